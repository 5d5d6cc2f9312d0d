/** @file tst_startup.cpp ** The start-up sequence: steps and splash texts in order, the splash
 *wait,
 ** the one-time first show and the command line. **/
#include "app/TMainForm.h"
#include "app/TsplashScreen.h"
#include "app/startup_utl.h"
#include "core/global_utl.h"
#include "platform/MemorySettingsStore.h"
#include "platform/ScriptedDialogs.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>
#include <functional>

namespace {

const QString splashKey = QStringLiteral("Software\\Orvane\\Pagemason\\Splash");

/// Every step appends its name to `log`.
class RecordingSteps : public TStartupSteps
{
public:
    explicit RecordingSteps(QStringList& log) : m_log(log) { }
    void afterFileNames() override { hook(u"afterFileNames"_qs); }
    void loadFileReopenList() override { hook(u"loadFileReopenList"_qs); }
    void loadProjectReopenList() override { hook(u"loadProjectReopenList"_qs); }
    void initializeToolsWindow() override { hook(u"initializeToolsWindow"_qs); }
    void loadLastProject() override { hook(u"loadLastProject"_qs); }
    void installHandlers() override { hook(u"installHandlers"_qs); }
    void loadReopenMenus() override { hook(u"loadReopenMenus"_qs); }
    void loadDynamicMenus() override { hook(u"loadDynamicMenus"_qs); }
    void loadToolbars() override { hook(u"loadToolbars"_qs); }

private:
    void hook(const QString& name) { m_log.append(u"hook:"_qs + name); }
    QStringList& m_log;
};

/// Steps that run one function each where a test looks.
class Steps : public TStartupSteps
{
public:
    std::function<void()> lastProject, dynamicMenus, toolbars;
    std::function<void(const QString&)> document, project;
    void loadLastProject() override { call(lastProject); }
    void loadDynamicMenus() override { call(dynamicMenus); }
    void loadToolbars() override { call(toolbars); }
    void openCommandLineDocument(const QString& f) override { if (document) document(f); }
    void openCommandLineProject(const QString& f) override { if (project) project(f); }

private:
    static void call(const std::function<void()>& f) { if (f) f(); }
};

/// Records the splash texts and waits in `log`.
void recordSplash(QStringList& log)
{
    startupStatusObserver = [&log](const QString& text) { log.append(u"status:"_qs + text); };
    splashWait = [&log](int ms) {
        log.append(u"wait:"_qs + QString::number(ms));
        QVERIFY(splashScreen() && splashScreen()->isVisible()); // the splash stays up meanwhile
    };
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();
    void stepsInOrder_data();
    void stepsInOrder();
    void splashShowsEachStatus();
    void firstShowRunsOnce();
    void commandLine_data();
    void commandLine();
    void aBoxDuringStartupIsNotUnderTheSplash();
};

void TestStartup::cleanup()
{
    startupStatusObserver = nullptr;
    commandLineArguments.clear();
    globalOptions = optns();
}

void TestStartup::stepsInOrder_data()
{
    QTest::addColumn<QString>("showSplash");
    QTest::addColumn<QString>("seconds");
    QTest::addColumn<QStringList>("ending"); // after the command-line step

    QTest::newRow("splash for 3 seconds")
        << "1"
        << "3" << QStringList { u"status:Done"_qs, u"wait:3000"_qs };
    QTest::newRow("splash for 0 seconds") << "1"
                                          << "0" << QStringList { u"status:Done"_qs };
    QTest::newRow("no splash, no wait") << "0"
                                        << "3" << QStringList {};
    QTest::newRow("wait capped at 10 seconds")
        << "1"
        << "200" << QStringList { u"status:Done"_qs, u"wait:10000"_qs };
}

void TestStartup::stepsInOrder()
{
    QFETCH(QString, showSplash);
    QFETCH(QString, seconds);
    QFETCH(QStringList, ending);
    pm::MemorySettingsStore store;
    store.writeString(splashKey, u"Show splash screen"_qs, showSplash);
    store.writeString(splashKey, u"Splash screen seconds"_qs, seconds);
    QStringList log;
    RecordingSteps steps(log);
    recordSplash(log);

    TMainForm form(&steps);
    QCOMPARE(splashScreen() != nullptr, showSplash == u"1");
    QVERIFY(!form.isReady());
    form.FormShow();
    QVERIFY(form.isReady());
    QCOMPARE(splashScreen(), nullptr);

    const QStringList expected
        = QStringList { u"status:Initializing Pagemason...."_qs, u"status:Setting filenames..."_qs,
              u"hook:afterFileNames"_qs, u"status:Loading file reopen list..."_qs,
              u"hook:loadFileReopenList"_qs, u"status:Loading project reopen list..."_qs,
              u"hook:loadProjectReopenList"_qs, u"status:Initializing tools window..."_qs,
              u"hook:initializeToolsWindow"_qs, u"status:Loading last project..."_qs,
              u"hook:loadLastProject"_qs, u"status:Setting some internal stuff..."_qs,
              u"hook:installHandlers"_qs, u"status:Loading reopen menu items..."_qs,
              u"hook:loadReopenMenus"_qs, u"status:Loading dynamic menus..."_qs,
              u"hook:loadDynamicMenus"_qs, u"status:Loading dynamic toolbars..."_qs,
              u"hook:loadToolbars"_qs, u"status:Proccessing command line parameters..."_qs }
        + ending;
    QCOMPARE(log, expected);
    // Start-up texts go to the splash only; the status bar keeps its "Ready".
    QCOMPARE(form.statusText(), u"Ready"_qs);
    QCOMPARE(applicationFolder, QDir(QCoreApplication::applicationDirPath()).absolutePath() + u'/');
    QCOMPARE(dynamicMenusFileName, applicationFolder + u"default.mnu"_qs);
    QVERIFY(parserDelimiters.endsWith(u'\t'));
}

void TestStartup::splashShowsEachStatus()
{
    pm::MemorySettingsStore store; // splash on by default
    QStringList seen;
    Steps steps;
    steps.dynamicMenus = [&seen] { seen.append(splashScreen()->statusText()); };
    steps.lastProject = [&seen] { seen.append(splashScreen()->statusText()); };
    splashWait = [](int) {};
    TMainForm form(&steps);
    TsplashScreen* splash = splashScreen();
    QVERIFY(splash);
    QVERIFY(splash->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(
        splash->findChild<QLabel*>(u"status"_qs)->text(), u"Setting some internal stuff..."_qs);
    form.FormShow();
    QCOMPARE(seen, QStringList({ u"Loading last project..."_qs, u"Loading dynamic menus..."_qs }));
}

void TestStartup::firstShowRunsOnce()
{
    pm::MemorySettingsStore store;
    store.writeString(splashKey, u"Show splash screen"_qs, u"0"_qs);
    int toolbarsLoaded = 0;
    Steps steps;
    steps.toolbars = [&toolbarsLoaded] { ++toolbarsLoaded; };
    TMainForm form(&steps);
    QSignalSpy finished(&form, &TMainForm::startupFinished);
    form.show();
    QCOMPARE(toolbarsLoaded, 0); // the first show's body runs from the event loop
    QCoreApplication::processEvents();
    QCOMPARE(toolbarsLoaded, 1);
    QCOMPARE(finished.size(), 1);
    form.showMinimized();
    form.showNormal();
    QCoreApplication::processEvents();
    form.FormShow();
    QCOMPARE(toolbarsLoaded, 1);
    QCOMPARE(finished.size(), 1);
}

void TestStartup::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("documents");
    QTest::addColumn<QStringList>("projects");

    QTest::newRow("document and project")
        << QStringList { u"a.htm"_qs, u"b.pmp"_qs } << QStringList { u"a.htm"_qs }
        << QStringList { u"b.pmp"_qs };
    QTest::newRow("htm in a folder name only")
        << QStringList { u"htmfiles/x.txt"_qs } << QStringList {} << QStringList {};
    QTest::newRow(".htm in a folder name")
        << QStringList { u"site.htm/x.txt"_qs } << QStringList { u"site.htm/x.txt"_qs }
        << QStringList {};
    QTest::newRow("upper-case extension")
        << QStringList { u"C.HTML"_qs } << QStringList { u"C.HTML"_qs } << QStringList {};
    QTest::newRow("missing file skipped") << QStringList { u"gone.htm"_qs, u"a.htm"_qs }
                                          << QStringList { u"a.htm"_qs } << QStringList {};
    QTest::newRow("other extension ignored")
        << QStringList { u"notes.txt"_qs } << QStringList {} << QStringList {};
    QTest::newRow("a folder is no file") << QStringList { u"site.htm"_qs, u"site.htm/"_qs }
                                         << QStringList {} << QStringList {};
}

void TestStartup::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, documents);
    QFETCH(QStringList, projects);
    QTemporaryDir dir;
    for (const QString& name : { u"a.htm"_qs, u"b.pmp"_qs, u"htmfiles/x.txt"_qs,
             u"site.htm/x.txt"_qs, u"C.HTML"_qs, u"notes.txt"_qs }) {
        QVERIFY(QDir(dir.path()).mkpath(QFileInfo(name).path()));
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path()); // arguments are passed on exactly as written
    QStringList opened;
    QStringList loaded;
    Steps steps;
    steps.document = [&opened](const QString& f) { opened.append(f); };
    steps.project = [&loaded](const QString& f) { loaded.append(f); };
    commandLineArguments = arguments;
    processCommandLine(steps);
    QDir::setCurrent(previous);
    QCOMPARE(opened, documents);
    QCOMPARE(loaded, projects);
    QVERIFY(!QApplication::overrideCursor());
}

void TestStartup::aBoxDuringStartupIsNotUnderTheSplash()
{
    pm::MemorySettingsStore store;
    store.writeString(splashKey, u"Show splash screen"_qs, u"1"_qs);
    store.writeString(splashKey, u"Splash screen seconds"_qs, u"0"_qs);
    QTemporaryDir dir;
    const QString page = dir.filePath(u"a.htm"_qs);
    QFile(page).open(QIODevice::WriteOnly);
    commandLineArguments = { page };
    bool splashUpBefore = false;
    bool splashUpDuringTheBox = true;
    Steps steps;
    // Opening the page asks something (an error, say) while the splash, on top, is still up.
    steps.document = [&](const QString&) {
        splashUpBefore = splashScreen() && splashScreen()->isVisible();
        QDialog box;
        QTimer::singleShot(0, &box, [&] {
            splashUpDuringTheBox = splashScreen() && splashScreen()->isVisible();
            box.accept();
        });
        box.exec();
    };
    TMainForm form(&steps);
    form.show();
    QCoreApplication::processEvents();
    QVERIFY(form.hasShownOnce());
    QVERIFY(splashUpBefore);
    QVERIFY(!splashUpDuringTheBox);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
