/** @file tst_colorrules_fuzzcases.cpp ** Every colour rules file the fuzz target ever
 ** found breaking a property, and its seeds, checked again without libFuzzer. **/
#include "fuzz/ColorRulesCheck.h"

#include <QDir>
#include <QTest>

class tst_ColorRulesFuzzCases : public QObject
{
    Q_OBJECT
private slots:
    void propertiesHold_data();
    void propertiesHold();
};

void tst_ColorRulesFuzzCases::propertiesHold_data()
{
    QTest::addColumn<QString>("file");
    const QDir dir(QStringLiteral(TEST_DATA_DIR "/fuzz/colorrules"));
    const QStringList names = dir.entryList(QDir::Files, QDir::Name);
    for (const QString& name : names)
        QTest::newRow(qPrintable(name)) << dir.filePath(name);
    QTest::newRow("seed Pagemason.colors")
        << QStringLiteral(TEST_DATA_DIR "/../../shipped/Pagemason.colors");
}

void tst_ColorRulesFuzzCases::propertiesHold()
{
    QFETCH(QString, file);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString broken = pmfuzz::checkColorRules(f.readAll());
    QVERIFY2(broken.isEmpty(), qPrintable(broken));
}

QTEST_APPLESS_MAIN(tst_ColorRulesFuzzCases)
#include "tst_colorrules_fuzzcases.moc"
