/** @file tst_profilefile_fuzzcases.cpp ** Every history file the fuzz target ever found breaking a
 ** property, and its seeds, checked again without libFuzzer. **/
#include "fuzz/ProfileFileCheck.h"

#include <QDir>
#include <QTest>

class tst_ProfileFileFuzzCases : public QObject
{
    Q_OBJECT
private slots:
    void propertiesHold_data();
    void propertiesHold();
};

void tst_ProfileFileFuzzCases::propertiesHold_data()
{
    QTest::addColumn<QString>("file");
    const QDir dir(QStringLiteral(TEST_DATA_DIR "/fuzz/profilefile"));
    const QStringList names = dir.entryList(QDir::Files, QDir::Name);
    for (const QString& name : names)
        QTest::newRow(qPrintable(name)) << dir.filePath(name);
    QTest::newRow("seed recent.lst") << QStringLiteral(TEST_DATA_DIR "/wizard/recent.lst");
}

void tst_ProfileFileFuzzCases::propertiesHold()
{
    QFETCH(QString, file);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString broken = pmfuzz::checkProfileFile(f.readAll());
    QVERIFY2(broken.isEmpty(), qPrintable(broken));
}

QTEST_APPLESS_MAIN(tst_ProfileFileFuzzCases)
#include "tst_profilefile_fuzzcases.moc"
