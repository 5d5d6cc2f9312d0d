/** @file tst_hotkeys_fuzzcases.cpp ** Every hotkeys file the fuzz target ever found breaking a
 ** property, and its seeds, checked again without libFuzzer. **/
#include "fuzz/HotkeysFileCheck.h"

#include <QDir>
#include <QTest>

class tst_HotkeysFuzzCases : public QObject
{
    Q_OBJECT
private slots:
    void propertiesHold_data();
    void propertiesHold();
};

void tst_HotkeysFuzzCases::propertiesHold_data()
{
    QTest::addColumn<QString>("file");
    const QDir dir(QStringLiteral(TEST_DATA_DIR "/fuzz/hotkeys"));
    const QStringList names = dir.entryList(QDir::Files, QDir::Name);
    for (const QString& name : names)
        QTest::newRow(qPrintable(name)) << dir.filePath(name);
    QTest::newRow("seed sample.hotkeys") << QStringLiteral(TEST_DATA_DIR "/core/sample.hotkeys");
}

void tst_HotkeysFuzzCases::propertiesHold()
{
    QFETCH(QString, file);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString broken = pmfuzz::checkHotkeysFile(f.readAll());
    QVERIFY2(broken.isEmpty(), qPrintable(broken));
}

QTEST_APPLESS_MAIN(tst_HotkeysFuzzCases)
#include "tst_hotkeys_fuzzcases.moc"
