/** @file tst_regdocument_fuzzcases.cpp ** Every settings file the fuzz target ever found breaking
 ** a property, checked again without libFuzzer. **/
#include "fuzz/RegDocumentCheck.h"

#include <QDir>
#include <QTest>

class TestRegDocumentFuzzCases : public QObject
{
    Q_OBJECT
private slots:
    void propertiesHold_data();
    void propertiesHold();
};

void TestRegDocumentFuzzCases::propertiesHold_data()
{
    QTest::addColumn<QString>("file");
    const QDir dir(QStringLiteral(TEST_DATA_DIR "/fuzz/regdocument"));
    const QStringList names = dir.entryList(QDir::Files, QDir::Name);
    QVERIFY(!names.isEmpty());
    for (const QString& name : names)
        QTest::newRow(qPrintable(name)) << dir.filePath(name);
}

void TestRegDocumentFuzzCases::propertiesHold()
{
    QFETCH(QString, file);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString broken = pmfuzz::checkRegDocument(f.readAll());
    QVERIFY2(broken.isEmpty(), qPrintable(broken));
}

QTEST_APPLESS_MAIN(TestRegDocumentFuzzCases)
#include "tst_regdocument_fuzzcases.moc"
