/** @file tst_toolbarsfile_fuzzcases.cpp ** Every toolbar file the fuzz target ever found breaking a
 ** property, checked again without libFuzzer. **/
#include "fuzz/ToolbarsFileCheck.h"

#include <QDir>
#include <QTest>

class tst_ToolbarsFileFuzzCases : public QObject
{
    Q_OBJECT
private slots:
    void propertiesHold_data();
    void propertiesHold();
};

void tst_ToolbarsFileFuzzCases::propertiesHold_data()
{
    QTest::addColumn<QString>("file");
    const QDir dir(QStringLiteral(TEST_DATA_DIR "/fuzz/toolbarsfile"));
    const QStringList names = dir.entryList(QDir::Files, QDir::Name);
    QVERIFY(!names.isEmpty());
    for (const QString& name : names)
        QTest::newRow(qPrintable(name)) << dir.filePath(name);
    // The seeds too: the shipped file and the tests' own.
    QTest::newRow("shipped") << QStringLiteral(TEST_DATA_DIR "/../../shipped/Pagemason.tb");
    QTest::newRow("two.tb") << QStringLiteral(TEST_DATA_DIR "/toolbars/two.tb");
}

void tst_ToolbarsFileFuzzCases::propertiesHold()
{
    QFETCH(QString, file);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString broken = pmfuzz::checkToolbarsFile(f.readAll());
    QVERIFY2(broken.isEmpty(), qPrintable(broken));
}

QTEST_APPLESS_MAIN(tst_ToolbarsFileFuzzCases)
#include "tst_toolbarsfile_fuzzcases.moc"
