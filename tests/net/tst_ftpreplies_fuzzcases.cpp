/** @file tst_ftpreplies_fuzzcases.cpp ** Every server's replies the fuzz target ever found
 ** breaking a property, and its seeds, checked again without libFuzzer. **/
#include "fuzz/FtpRepliesCheck.h"

#include <QDir>
#include <QTest>

class tst_FtpRepliesFuzzCases : public QObject
{
    Q_OBJECT
private slots:
    void propertiesHold_data();
    void propertiesHold();
};

void tst_FtpRepliesFuzzCases::propertiesHold_data()
{
    QTest::addColumn<QString>("file");
    const QDir dir(QStringLiteral(TEST_DATA_DIR "/fuzz/ftpreplies"));
    const QStringList names = dir.entryList(QDir::Files, QDir::Name);
    for (const QString& name : names)
        QTest::newRow(qPrintable(name)) << dir.filePath(name);
    QTest::newRow("seed login.replies") << QStringLiteral(TEST_DATA_DIR "/net/login.replies");
    QTest::newRow("seed refused.replies") << QStringLiteral(TEST_DATA_DIR "/net/refused.replies");
}

void tst_FtpRepliesFuzzCases::propertiesHold()
{
    QFETCH(QString, file);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString broken = pmfuzz::checkFtpReplies(f.readAll());
    QVERIFY2(broken.isEmpty(), qPrintable(broken));
}

QTEST_GUILESS_MAIN(tst_FtpRepliesFuzzCases)
#include "tst_ftpreplies_fuzzcases.moc"
