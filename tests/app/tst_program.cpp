/** @file tst_program.cpp ** The executable: the menus-check tool mode runs without any window, and
 ** a normal run with PAGEMASON_EXIT_WHEN_READY reaches ready and ends without saving. **/
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestProgram : public QObject
{
    Q_OBJECT
private slots:
    void checkMenusToolMode_data();
    void checkMenusToolMode();
    void exitsWhenReady();

private:
    static QString program() { return QStringLiteral(APP_DIR "pagemason"); }
};

void TestProgram::checkMenusToolMode_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output");
    QTest::newRow("missing file") << QStringList { u"--check-menus"_qs, u"/nonexistent/x.mnu"_qs }
                                  << 1 << "/nonexistent/x.mnu";
    QTest::newRow("no file named") << QStringList { u"--check-menus"_qs } << 2 << "";
    QTest::newRow("an invalid file says why")
        << QStringList { u"--check-menus"_qs, QStringLiteral(TEST_DATA_DIR "/templates/errors.mnu") }
        << 1
        << ":22:1: " TEST_DATA_DIR "/templates/errors.mnu is not a valid menus flie (the entry \"a\" "
           "on line 22 takes the same name (\"Morea\") as the entry \"A\" on line 20 of the same menu)";
}

void TestProgram::checkMenusToolMode()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY")); // the tool mode needs no display
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    p.setProcessEnvironment(env);
    p.start(program(), arguments);
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), exitCode);
    QVERIFY(QString::fromLocal8Bit(p.readAllStandardOutput()).contains(output));
}

void TestProgram::exitsWhenReady()
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("Pagemason.reg"));
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("PAGEMASON_REGISTRY"), store);
    env.insert(QStringLiteral("PAGEMASON_EXIT_WHEN_READY"), QStringLiteral("1"));
    p.setProcessEnvironment(env);
    p.start(program(), {});
    QVERIFY(p.waitForFinished(120000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
    QVERIFY(!QFile::exists(store)); // leaving for timing is not a close: nothing saved
}

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_program.moc"
