/** @file tst_projectfile_fuzzcases.cpp ** Every project file the fuzz target ever found breaking a
 ** property, and its seeds, checked again without libFuzzer. **/
#include "fuzz/ProjectFileCheck.h"

#include <QDir>
#include <QTest>

class tst_ProjectFileFuzzCases : public QObject
{
    Q_OBJECT
private slots:
    void propertiesHold_data();
    void propertiesHold();
};

void tst_ProjectFileFuzzCases::propertiesHold_data()
{
    QTest::addColumn<QString>("file");
    const QDir dir(QStringLiteral(TEST_DATA_DIR "/fuzz/projectfile"));
    const QStringList names = dir.entryList(QDir::Files, QDir::Name);
    for (const QString& name : names)
        QTest::newRow(qPrintable(name)) << dir.filePath(name);
    QTest::newRow("seed site.pmp") << QStringLiteral(TEST_DATA_DIR "/project/site.pmp");
}

void tst_ProjectFileFuzzCases::propertiesHold()
{
    QFETCH(QString, file);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString broken = pmfuzz::checkProjectFile(f.readAll());
    QVERIFY2(broken.isEmpty(), qPrintable(broken));
}

QTEST_APPLESS_MAIN(tst_ProjectFileFuzzCases)
#include "tst_projectfile_fuzzcases.moc"
