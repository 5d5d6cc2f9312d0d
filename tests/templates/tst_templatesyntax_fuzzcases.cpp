/** @file tst_templatesyntax_fuzzcases.cpp ** Every template text the fuzz target ever
 ** found breaking a property, and its seeds, checked again without libFuzzer. **/
#include "fuzz/TemplateSyntaxCheck.h"

#include <QDir>
#include <QTest>

class tst_TemplateSyntaxFuzzCases : public QObject
{
    Q_OBJECT
private slots:
    void propertiesHold_data();
    void propertiesHold();
};

void tst_TemplateSyntaxFuzzCases::propertiesHold_data()
{
    QTest::addColumn<QString>("file");
    const QDir dir(QStringLiteral(TEST_DATA_DIR "/fuzz/templatesyntax"));
    const QStringList names = dir.entryList(QDir::Files, QDir::Name);
    for (const QString& name : names)
        QTest::newRow(qPrintable(name)) << dir.filePath(name);
    QTest::newRow("seed default.mnu") << QStringLiteral(TEST_DATA_DIR "/../../shipped/default.mnu");
    QTest::newRow("seed errors.mnu") << QStringLiteral(TEST_DATA_DIR "/templates/errors.mnu");
}

void tst_TemplateSyntaxFuzzCases::propertiesHold()
{
    QFETCH(QString, file);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString broken = pmfuzz::checkTemplateSyntax(f.readAll());
    QVERIFY2(broken.isEmpty(), qPrintable(broken));
}

QTEST_APPLESS_MAIN(tst_TemplateSyntaxFuzzCases)
#include "tst_templatesyntax_fuzzcases.moc"
