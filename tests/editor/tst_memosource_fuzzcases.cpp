/** @file tst_memosource_fuzzcases.cpp ** Every file the text storage's fuzz target ever found
 ** breaking a property, checked again without libFuzzer. **/
#include "fuzz/MemoSourceCheck.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class TestMemoSourceFuzzCases : public QObject
{
    Q_OBJECT
private slots:
    void propertiesHold_data();
    void propertiesHold();
};

void TestMemoSourceFuzzCases::propertiesHold_data()
{
    QTest::addColumn<QString>("file");
    const QDir dir(QStringLiteral(TEST_DATA_DIR "/fuzz/memosource"));
    const QStringList names = dir.entryList(QDir::Files, QDir::Name);
    QVERIFY(!names.isEmpty());
    for (const QString& name : names)
        QTest::newRow(qPrintable(name)) << dir.filePath(name);
}

void TestMemoSourceFuzzCases::propertiesHold()
{
    QFETCH(QString, file);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString broken = pmfuzz::checkMemoSource(f.readAll(), folder.path());
    QVERIFY2(broken.isEmpty(), qPrintable(broken));
}

QTEST_APPLESS_MAIN(TestMemoSourceFuzzCases)
#include "tst_memosource_fuzzcases.moc"
