/** @file tst_mainform.cpp ** The main window frame: menu, status text and picture, progress bar,
 ** hints, and closing that saves the settings. **/
#include "app/TMainForm.h"
#include "app/TMainFormWindows.h"
#include "app/TToolWindow.h"
#include "app/startup_utl.h"
#include "core/StatusRecorder.h"
#include "core/global_utl.h"
#include "document/Childwin.h"
#include "platform/MemorySettingsStore.h"
#include "platform/RegFileStore.h"
#include "platform/ScriptedDialogs.h"
#include "project/panel/TProjectPanel.h"
#include "project/project_utl.h"

#include <QFile>
#include <QMenu>
#include <QScreen>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusTipEvent>
#include <QTreeWidget>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

namespace {

/// Start-up steps that do nothing: the frame alone.
TStartupSteps noSteps;

QImage picture(TMainForm& form)
{
    return form.statusPicture()->grab().toImage();
}

} // namespace

class TestMainForm : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void frame();
    void status_data();
    void status();
    void progress_data();
    void progress();
    void hintLeavesReadyAlone();
    void resultsReachTheToolsWindow();
    void startAndCloseCreatesTheStore();
    void closeRefusedByAStep_data();
    void closeRefusedByAStep();
    void failedSaveIsReported();
    void destroyedWithDocumentsOpen();
    void placeFromTheStore_data();
    void placeFromTheStore();
    void placeSurvivesARestart_data();
    void placeSurvivesARestart();
    void lastProjectComesBackAfterARestart();
};

void TestMainForm::initTestCase()
{
    splashWait = [](int) {};
}

void TestMainForm::cleanup()
{
    globalOptions = optns();
}

void TestMainForm::frame()
{
    pm::MemorySettingsStore store;
    TMainForm form(&noSteps);
    QCOMPARE(form.windowTitle(), u"Pagemason"_qs);
    // The first start takes most of the screen, and all of it lies on the screen.
    const QRect available = form.screen()->availableGeometry();
    QVERIFY(available.contains(form.frameGeometry()));
    QVERIFY(form.width() >= available.width() * 3 / 4);
    QVERIFY(form.height() >= available.height() * 3 / 4);
    QVERIFY(form.mdiArea());
    QCOMPARE(form.menuBar()->actions().size(), 2);
    QCOMPARE(form.fileMenu()->title(), u"&File"_qs);
    QCOMPARE(form.helpMenu()->title(), u"&Help"_qs);
    QStringList items;
    for (QAction* a : form.fileMenu()->actions())
        items.append(a->isSeparator() ? u"-"_qs : a->text() + u' ' + a->shortcut().toString());
    QCOMPARE(items,
        QStringList(
            { u"&New Ctrl+N"_qs, u"&Open Ctrl+O"_qs, u"&Reopen "_qs, u"-"_qs, u"E&xit "_qs }));
    QCOMPARE(form.aboutAction()->text(), u"&About"_qs);
    QCOMPARE(form.progressBar()->width(), 144);
    QCOMPARE(form.statusPicture()->width(), 18);
    QCOMPARE(form.statusText(), u"Ready"_qs);
}

void TestMainForm::status_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ready");
    QTest::newRow("busy") << "Opening file..." << false;
    QTest::newRow("ready") << "Ready" << true;
    QTest::newRow("contains Ready") << "Search done. Ready" << true;
    QTest::newRow("lower case is not ready") << "ready" << false;
}

void TestMainForm::status()
{
    QFETCH(QString, text);
    QFETCH(bool, ready);
    pm::MemorySettingsStore store;
    TMainForm form(&noSteps);
    form.FormShow();
    form.show();
    form.setStatus(QStringLiteral("Ready"));
    const QImage readyPicture = picture(form);
    form.setStatus(QStringLiteral("Working..."));
    const QImage busyPicture = picture(form);
    QVERIFY(readyPicture != busyPicture);

    ::setStatus(text); // the free function reaches the registered window
    QCOMPARE(form.statusText(), text);
    QCOMPARE(form.isReady(), ready);
    QCOMPARE(picture(form), ready ? readyPicture : busyPicture);
}

void TestMainForm::progress_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("value");
    QTest::newRow("halfway") << 5 << 10 << 5;
    QTest::newRow("at the end resets") << 10 << 10 << 0;
    QTest::newRow("zero of zero") << 0 << 0 << 0;
}

void TestMainForm::progress()
{
    QFETCH(int, position);
    QFETCH(int, maximum);
    QFETCH(int, value);
    pm::MemorySettingsStore store;
    TMainForm form(&noSteps);
    ::setProgress(position, maximum);
    QCOMPARE(form.progressBar()->value(), value);
    if (maximum > 0)
        QCOMPARE(form.progressBar()->maximum(), maximum);
    {
        TStatusRecorder recorder; // parts without a window record instead
        ::setProgress(1, 2);
        QCOMPARE(recorder.progress, (QList<QPair<int, int>> { { 1, 2 } }));
    }
    ::setProgress(1, 4); // the window is registered again afterwards
    QCOMPARE(form.progressBar()->value(), 1);
}

void TestMainForm::hintLeavesReadyAlone()
{
    pm::MemorySettingsStore store;
    TMainForm form(&noSteps);
    form.FormShow();
    form.setStatus(QStringLiteral("Ready"));
    QStatusTipEvent tip(QStringLiteral("Creates a new document"));
    QApplication::sendEvent(&form, &tip);
    QCOMPARE(form.statusText(), u"Creates a new document"_qs);
    QVERIFY(form.isReady());
}

void TestMainForm::resultsReachTheToolsWindow()
{
    pm::MemorySettingsStore store;
    TMainForm form(&noSteps);
    TToolWindow* tools = form.windows()->toolWindow();
    tools->pages()->setCurrentIndex(TToolWindow::OpenFilesPage);
    addResultRow({ u"Syntax error: x"_qs, u"/site/"_qs, u"a.mnu"_qs, u"3"_qs, u"7"_qs });
    showResultsPage();
    QCOMPARE(tools->results()->topLevelItemCount(), 1);
    QCOMPARE(tools->results()->topLevelItem(0)->text(2), u"a.mnu"_qs);
    QCOMPARE(tools->pages()->currentIndex(), int(TToolWindow::ResultsPage));
    setBusyCursor(true);
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    setBusyCursor(false);
    QVERIFY(!QApplication::overrideCursor());
}

void TestMainForm::destroyedWithDocumentsOpen()
{
    // Leaving the event loop without closing the window (a quit from outside, say) takes the
    // form down with its document windows still in it.
    pm::MemorySettingsStore store;
    pm::SettingsStore* previous = pm::setSettingsStore(&store);
    auto* form = new TMainForm(&noSteps);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    QVERIFY(newDocument());
    QVERIFY(newDocument());
    delete form;
    pm::setSettingsStore(previous);
}

void TestMainForm::startAndCloseCreatesTheStore()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Orvane/Pagemason.reg"));
    pm::RegFileStore store(file);
    pm::SettingsStore* previous = pm::setSettingsStore(&store);
    {
        TMainForm form(&noSteps);
        form.FormShow();
        form.show();
        QVERIFY(!QFile::exists(file)); // start-up never writes
        QVERIFY(form.close());
    }
    pm::setSettingsStore(previous);

    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const pm::RegDocument doc = pm::RegDocument::parse(f.readAll());
    QCOMPARE(doc.unreadableLineCount(), 0);
    const QString key = QStringLiteral("HKEY_CURRENT_USER\\Software\\Orvane\\Pagemason");
    QCOMPARE(doc.value(key, QString()), std::optional<QString>(u"2.3"_qs));
    // The designed values and our own: "Last folder", "Keep tabs on open", the main
    // window's five and "Live preview visible".
    const QList<QPair<QString, int>> sections = { { u"Files"_qs, 3 }, { u"Viewers"_qs, 2 },
        { u"Edit"_qs, 10 }, { u"Errors handeling"_qs, 2 }, { u"Toolbars&Windows"_qs, 14 },
        { u"Splash"_qs, 2 }, { u"Publish"_qs, 8 } };
    for (const auto& [name, count] : sections)
        QCOMPARE(doc.valueNames(key + u'\\' + name).size(), count);
    QCOMPARE(doc.value(key + u"\\Files"_qs, u"Last project"_qs), std::optional<QString>(QString()));
    QCOMPARE(doc.value(key + u"\\Toolbars&Windows"_qs, u"Tools Window active page#"_qs),
        std::optional<QString>(u"0"_qs));
    QCOMPARE(
        doc.value(key + u"\\Edit"_qs, u"Font name"_qs), std::optional<QString>(u"Courier New"_qs));
    QCOMPARE(doc.value(key + u"\\Edit"_qs, u"Keep tabs on open"_qs), std::optional<QString>(u"0"_qs));
}

void TestMainForm::closeRefusedByAStep_data()
{
    QTest::addColumn<bool>("windowsClose");
    QTest::addColumn<bool>("projectAnswered");
    QTest::addColumn<bool>("closes");
    QTest::newRow("a document window cancels") << false << true << false;
    QTest::newRow("the project question cancels") << true << false << false;
    QTest::newRow("both agree") << true << true << true;
}

void TestMainForm::closeRefusedByAStep()
{
    QFETCH(bool, windowsClose);
    QFETCH(bool, projectAnswered);
    QFETCH(bool, closes);
    pm::MemorySettingsStore store;
    QStringList steps;
    struct CloseSteps : TStartupSteps {
        std::function<bool()> windows, project;
        bool closeDocumentWindows() override { return windows(); }
        bool askSaveProject() override { return project(); }
    } closeSteps;
    closeSteps.windows = [&] {
        steps.append(u"windows"_qs);
        return windowsClose;
    };
    closeSteps.project = [&] {
        steps.append(u"project"_qs);
        return projectAnswered;
    };
    TMainForm form(&closeSteps);
    form.FormShow();
    form.show();
    QCOMPARE(form.close(), closes);
    QCOMPARE(form.isVisible(), !closes);
    QCOMPARE(steps.size(), windowsClose ? 2 : 1);
    QCOMPARE(store.readString(u"Software\\Orvane\\Pagemason"_qs, QString()).has_value(), closes);
}

void TestMainForm::failedSaveIsReported()
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("file")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    pm::RegFileStore store(blocker.fileName() + QStringLiteral("/Pagemason.reg"));
    pm::SettingsStore* previous = pm::setSettingsStore(&store);
    pm::ScriptedDialogs dialogs;
    {
        TMainForm form(&noSteps);
        form.FormShow();
        QVERIFY(form.close()); // the program still ends
    }
    pm::setSettingsStore(previous);
    QCOMPARE(dialogs.shown().size(), 1);
    QVERIFY(dialogs.shown().first().text.startsWith(u"The settings could not be saved."_qs));
}

void TestMainForm::placeFromTheStore_data()
{
    QTest::addColumn<QRect>("stored"); // the inside of the window
    QTest::addColumn<QString>("edges"); // where the frame must meet the screen's edges
    QTest::newRow("a place on the screen comes back") << QRect(40, 30, 600, 400) << "";
    QTest::newRow("larger than the screen shrinks onto it") << QRect(-50, -50, 5000, 4000)
                                                            << "left top right bottom";
    QTest::newRow("over the edge moves back") << QRect(700, 650, 600, 400) << "right bottom";
    QTest::newRow("on a screen that is gone") << QRect(3000, -2000, 600, 400) << "right top";
}

void TestMainForm::placeFromTheStore()
{
    QFETCH(QRect, stored);
    QFETCH(QString, edges);
    pm::MemorySettingsStore store;
    const QString section = u"Software\\Orvane\\Pagemason\\Toolbars&Windows"_qs;
    store.writeString(section, u"Main Window left"_qs, QString::number(stored.x()));
    store.writeString(section, u"Main Window top"_qs, QString::number(stored.y()));
    store.writeString(section, u"Main Window width"_qs, QString::number(stored.width()));
    store.writeString(section, u"Main Window height"_qs, QString::number(stored.height()));
    TMainForm form(&noSteps);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(!form.isMaximized());
    const QRect available = form.screen()->availableGeometry();
    const QRect frame = form.frameGeometry();
    QVERIFY(available.contains(frame));
    if (edges.isEmpty()) {
        QCOMPARE(form.geometry(), stored);
        return;
    }
    if (!edges.contains(u"left") || !edges.contains(u"right"))
        QCOMPARE(form.width(), stored.width()); // moved, not shrunk
    if (!edges.contains(u"top") || !edges.contains(u"bottom"))
        QCOMPARE(form.height(), stored.height());
    QCOMPARE(frame.left() == available.left(), edges.contains(u"left"));
    QCOMPARE(frame.top() == available.top(), edges.contains(u"top"));
    QCOMPARE(frame.right() == available.right(), edges.contains(u"right"));
    QCOMPARE(frame.bottom() == available.bottom(), edges.contains(u"bottom"));
}

void TestMainForm::placeSurvivesARestart_data()
{
    QTest::addColumn<bool>("maximized");
    QTest::newRow("normal") << false;
    QTest::newRow("maximised keeps its normal place too") << true;
}

void TestMainForm::placeSurvivesARestart()
{
    QFETCH(bool, maximized);
    pm::MemorySettingsStore store;
    const QRect place(60, 50, 520, 380);
    {
        TMainForm form(&noSteps);
        form.FormShow();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.setGeometry(place);
        if (maximized)
            form.showMaximized();
        QTRY_COMPARE(form.isMaximized(), maximized);
        QVERIFY(form.close());
    }
    TMainForm again(&noSteps);
    again.show();
    QVERIFY(QTest::qWaitForWindowExposed(&again));
    QTRY_COMPARE(again.isMaximized(), maximized);
    QCOMPARE(again.normalGeometry(), place);
}

void TestMainForm::lastProjectComesBackAfterARestart()
{
    // The main window's own project steps, and nothing else of start-up.
    struct ProjectSteps : TStartupSteps {
        void loadProjectReopenList() override { mainForm->windows()->loadProjectReopenList(); }
        void loadLastProject() override { mainForm->windows()->loadLastProject(); }
        void loadReopenMenus() override { mainForm->windows()->loadReopenMenus(); }
        bool askSaveProject() override { return mainForm->windows()->askSaveProject(); }
    } steps;
    QTemporaryDir dir;
    const QString project = dir.filePath(QStringLiteral("site.pmp"));
    QFile f(project);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("Pagemason Project File\r\nProject name:\r\nSite\r\nProject files:\r\n/s/a.html\r\n"
            "Project Notes:\r\n- 85 154 269 232\r\nnote\r\n");
    f.close();
    pm::MemorySettingsStore store;
    store.writeString(u"Software\\Orvane\\Pagemason\\Files"_qs, u"Last project"_qs, project);
    pm::ScriptedDialogs dialogs;
    {
        TMainForm form(&steps);
        form.FormShow();
        QCOMPARE(currentProject().files().size(), 1);
        QCOMPARE(form.windows()->toolWindow()->windowTitle(), project);
        QCOMPARE(projectDir, dir.path() + u'/');
        addFileToProject(u"/s/b.html"_qs);
        dialogs.queueAnswer(pm::Dialogs::Answer::Yes);
        QVERIFY(form.close());
        QCOMPARE(dialogs.shown().size(), 1);
        QCOMPARE(dialogs.shown().first().text, u"Save project?\r\nSite\r\n"_qs + project);
    }
    newProject(); // the program has ended
    {
        TMainForm form(&steps);
        form.FormShow();
        QCOMPARE(currentProject().files().size(), 2);
        QCOMPARE(currentProject().notes(), u"note"_qs);
        QCOMPARE(form.windows()->projectPanel()->reopenMenu()->actions().size(), 1);
        QVERIFY(form.close()); // not modified: nothing asked
        QCOMPARE(dialogs.shown().size(), 1);
    }
    // A last project that is gone is reported; its name stays for the next start.
    QFile::remove(project);
    newProject();
    {
        TMainForm form(&steps);
        QCOMPARE(dialogs.shown().size(), 2);
        QVERIFY(dialogs.shown().last().text.contains(u"was not found"_qs));
        QVERIFY(currentProject().files().isEmpty());
        QCOMPARE(projectFileName, project);
    }
}

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
