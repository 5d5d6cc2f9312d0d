/** @file tst_files.cpp ** Page titles, file sizes and picture decoding. **/
#include "core/errors_utl.h"
#include "document/common/files_utl.h"
#include "document/common/picture_utl.h"
#include "platform/ScriptedDialogs.h"

#include <QTemporaryDir>
#include <QtTest>

class TestFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void title_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QString>("title");
        QTest::newRow("one line, lower-cased")
            << QByteArray("<html>\r\n<TITLE>My Page</Title>\r\n</html>\r\n") << "my page";
        QTest::newRow("lone tag, next line as written")
            << QByteArray("<head>\n<title>\nMy Page</TITLE>\n") << "My Page";
        QTest::newRow("lone tag, next line without closing tag")
            << QByteArray("<title>\r\nMy Page\r\n") << "My Page";
        QTest::newRow("leading blanks shift the cut")
            << QByteArray("  <title>x</title>\r\n") << "e>x";
        QTest::newRow("no title") << QByteArray("<html><body>x</body></html>\r\n") << "";
        QTest::newRow("empty file") << QByteArray() << "";
        QTest::newRow("lone tag at the end") << QByteArray("<title>") << "";
        QTest::newRow("latin-1 page")
            << QByteArray("<title>caf\xE9</title>\r\n") << QStringLiteral("caf\u00E9");
    }
    void title()
    {
        QFETCH(QByteArray, page);
        QFETCH(QString, title);
        const QString path = m_dir.filePath(QStringLiteral("page.html"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(page);
        f.close();
        QCOMPARE(readHtmlTitle(path), title);
        QCOMPARE(fileSizeOf(path), qint64(page.size()));
    }

    void missingFile()
    {
        m_dialogs.clear();
        const QString path = m_dir.filePath(QStringLiteral("nothere.html"));
        QCOMPARE(readHtmlTitle(path), QString());
        QCOMPARE(m_dialogs.shown().size(), 1); // code 1 names the file
        QVERIFY(m_dialogs.shown().first().text.contains(path));
        QCOMPARE(fileSizeOf(path), qint64(0));
        QCOMPARE(readHtmlTitle(QString()), QString());
        QCOMPARE(m_dialogs.shown().size(), 1); // an empty name asks nothing
    }

    void pictures_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("animated");
        QTest::newRow("jpeg by libjpeg") << "photo.JPG" << QSize(120, 60) << false;
        QTest::newRow("animated gif") << "anim.gif" << QSize(2, 1) << true;
        QTest::newRow("still gif") << "still.gif" << QSize(2, 1) << false;
        QTest::newRow("bmp") << "tiny.bmp" << QSize(7, 5) << false;
        QTest::newRow("png") << "tiny.png" << QSize(5, 3) << false;
        QTest::newRow("damaged jpeg") << "broken.jpg" << QSize() << false;
        QTest::newRow("missing") << "nothere.gif" << QSize() << false;
    }
    void pictures()
    {
        QFETCH(QString, file);
        QFETCH(QSize, size);
        QFETCH(bool, animated);
        QString error;
        bool isAnimated = true;
        const QImage image = loadPicture(QStringLiteral(TEST_DATA_DIR "/document/") + file,
                                         &error, &isAnimated);
        QCOMPARE(image.isNull() ? QSize() : image.size(), size);
        QCOMPARE(isAnimated, animated);
        QCOMPARE(error.isEmpty(), size.isValid());
    }

    void jpegColours()
    {
        const QImage image = decodeJpeg(QStringLiteral(TEST_DATA_DIR "/document/photo.JPG"));
        const QColor left = image.pixelColor(10, 30), right = image.pixelColor(100, 30);
        QVERIFY(qAbs(left.blue() - 220) < 12 && qAbs(left.red() - 20) < 12);
        QVERIFY(qAbs(right.red() - 200) < 12 && qAbs(right.blue() - 40) < 12);
    }

private:
    QTemporaryDir m_dir;
    pm::ScriptedDialogs m_dialogs;
};

QTEST_MAIN(TestFiles)
#include "tst_files.moc"
