/** @file tst_childwin.cpp ** Document windows: captions, saving, the close question, the status
 ** bar, opening by extension and the command line. **/
#include "app/startup_utl.h"
#include "core/global_utl.h"
#include "core/hotkeys_utl.h"
#include "core/reopen_utl.h"
#include "document/Childwin.h"
#include "document/TDocumentHost.h"
#include "editor/TDCMemo.h"
#include "platform/MemorySettingsStore.h"
#include "platform/ScriptedDialogs.h"
#include "project/project_utl.h"
#include "templates/dynamicMenus_utl.h"

#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using Answer = pm::Dialogs::Answer;

namespace {

class TestHost : public TDocumentHost
{
public:
    QMdiArea area;
    QList<std::pair<TMDIChild*, QString>> entries; ///< the opened-files list
    QStringList previews;
    int projectPages = 0;
    QMdiArea* mdiArea() override { return &area; }
    QStringList opened() const
    {
        QStringList out;
        for (const auto& e : entries)
            out.append(e.second);
        return out;
    }
    void addOpenedFile(const QString& caption, TMDIChild* window) override
    {
        for (const auto& e : std::as_const(entries))
            if (e.first == window)
                return;
        entries.append({ window, caption });
    }
    void renameOpenedFile(TMDIChild* window, const QString& to) override
    {
        for (auto& e : entries)
            if (e.first == window)
                e.second = to;
    }
    void removeOpenedFile(TMDIChild* window) override
    {
        entries.removeIf([window](const auto& e) { return e.first == window; });
    }
    void showImagePreview(const QString& f) override { previews.append(f); }
    void showProjectPage() override { ++projectPages; }
};

QStringList captions()
{
    QStringList out;
    const QList<TMDIChild*> windows = documentWindows();
    for (TMDIChild* w : windows)
        out.append(w->caption());
    return out;
}

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool closeWindow(TMDIChild* w)
{
    auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget());
    const bool closed = sub->close();
    flushDeletes();
    return closed;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TestChildwin : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        pm::setSettingsStore(&m_store);
        setDocumentHost(&m_host);
        webBrowserControlAvailable = false;
        dynamicMenusFileName = QStringLiteral(TEST_DATA_DIR "/document/default.mnu");
        hotkeysFileName = m_dir.filePath(QStringLiteral("Pagemason.HotKeys"));
        colorRulesFileName = QStringLiteral(TEST_DATA_DIR "/../../shipped/Pagemason.colors");
        globalOptions.autoInsertTags = false;
    }
    void cleanupTestCase()
    {
        setDocumentHost(nullptr);
        pm::setSettingsStore(nullptr);
    }
    void cleanup()
    {
        // Whatever a test left open goes without questions.
        const QList<TMDIChild*> windows = documentWindows();
        for (TMDIChild* w : windows) {
            w->source().setModified(false);
            closeWindow(w);
        }
        m_dialogs.clear();
        globalOptions.defaultExt = QStringLiteral("html");
        globalOptions.keepTabsOnOpen = false;
    }

    void untitledCaptions()
    {
        newDocument();
        newDocument();
        TMDIChild* third = newDocument();
        QCOMPARE(captions(), (QStringList { "Untitled:1", "Untitled:2", "Untitled:3" }));
        QCOMPARE(newDocument()->caption(), QStringLiteral("Untitled:4"));
        // Numbers count open windows, so they may repeat after a close; each window keeps an
        // entry of its own in the opened-files list all the same.
        QVERIFY(closeWindow(third));
        QCOMPARE(newDocument()->caption(), QStringLiteral("Untitled:4"));
        QCOMPARE(m_host.opened(),
                 (QStringList { "Untitled:1", "Untitled:2", "Untitled:4", "Untitled:4" }));
    }

    void menus()
    {
        TMDIChild* w = newDocument();
        QStringList tops;
        const QList<QAction*> bar = w->mainMenu()->actions();
        for (QAction* a : bar)
            tops.append(a->text());
        // The dynamic menus stand at position 3.
        QCOMPARE(tops, (QStringList { "&File", "&Edit", "&View", "&Tags", "&Window", "&Options",
                                     "&Help" }));
        const struct { const char* name; const char* key; } items[] = {
            { "FileNewItem", "Ctrl+N" }, { "FileOpenItem", "Ctrl+O" }, { "FileSaveItem", "Ctrl+S" },
            { "EditCutItem", "Shift+Del" }, { "EditCopyItem", "Ctrl+C" },
            { "EditPasteItem", "Ctrl+V" }, { "FindNext1", "F3" }, { "RefreshItem", "F5" },
            { "FileExitItem", "" }, { "SearchReplace1", "" }, { "Edittagatcursor1", "" },
            { "WindowCloseAllItem", "" }, { "ChangeHotkeysItem", "" },
        };
        for (const auto& item : items) {
            QAction* a = w->menuItem(QLatin1String(item.name));
            QVERIFY2(a, item.name);
            QCOMPARE(a->shortcut(), QKeySequence(QLatin1String(item.key)));
        }
        // Without the browser control the Preview page and mode are off and kept out of the
        // hotkeys file.
        QAction* preview = w->menuItem(QStringLiteral("PreviewModeItem"));
        QVERIFY(!preview->isEnabled());
        QCOMPARE(menuItemTag(preview), -1);
        QVERIFY(!w->pages()->isTabVisible(1));
        QCOMPARE(w->contextMenu()->actions().size(), 6);
        QCOMPARE(currentHotkeyMenu(), w->mainMenu());
    }

    void hotkeysReachNewWindows()
    {
        const auto bold = [](TMDIChild* w) -> QAction* {
            const QList<QAction*> items = menuItemsDepthFirst(w->mainMenu());
            for (QAction* a : items)
                if (a->text() == QLatin1String("&Bold"))
                    return a;
            return nullptr;
        };
        TMDIChild* before = newDocument();
        QVERIFY(bold(before));
        const QString boldName = bold(before)->objectName();
        QVERIFY(!boldName.isEmpty());
        QVERIFY(writeHotkeyFile(hotkeysFileName, { { boldName, 0x6046 },
                                                   { QStringLiteral("FileNewItem"), 0x4071 } }));
        TMDIChild* after = newDocument();
        QCOMPARE(bold(after)->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+F")));
        QCOMPARE(after->menuItem(QStringLiteral("FileNewItem"))->shortcut(),
                 QKeySequence(QStringLiteral("Ctrl+F2")));
        // Windows made before the change keep their keys.
        QVERIFY(bold(before)->shortcut().isEmpty());
        QCOMPARE(before->menuItem(QStringLiteral("FileNewItem"))->shortcut(),
                 QKeySequence(QStringLiteral("Ctrl+N")));
        QFile::remove(hotkeysFileName);
    }

    void defaultExtension_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("ext");
        QTest::addColumn<QString>("written");
        QTest::newRow("no dot gets the extension") << "index" << "html" << "index.html";
        QTest::newRow("own extension kept") << "index.htm" << "html" << "index.htm";
        QTest::newRow("dot in the folder counts") << "my.site/index" << "html" << "my.site/index";
        QTest::newRow("setting followed") << "page" << "shtm" << "page.shtm";
    }
    void defaultExtension()
    {
        QFETCH(QString, typed);
        QFETCH(QString, ext);
        QFETCH(QString, written);
        globalOptions.defaultExt = ext;
        QDir(m_dir.path()).mkpath(QStringLiteral("my.site"));
        TMDIChild* w = newDocument();
        w->source().insertText(QStringLiteral("<p>x</p>"));
        m_dialogs.queueFiles({ m_dir.filePath(typed) });
        QVERIFY(saveActive(w)); // untitled: Save runs Save As
        const QString path = m_dir.filePath(written);
        QCOMPARE(readAll(path), QByteArray("<p>x</p>\n")); // a new document: LF
        QCOMPARE(w->caption(), path);
        QCOMPARE(w->fileName, path);
        QVERIFY(!w->source().Modified());
        QVERIFY(m_host.opened().contains(path));
        QFile::remove(path);
    }

    void closeQuestion_data()
    {
        QTest::addColumn<bool>("titled");
        QTest::addColumn<bool>("modified");
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<QStringList>("saveAs"); // names for the Save dialog; empty: cancel
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QByteArray>("onDisk");
        QTest::newRow("unmodified asks nothing")
            << true << false << QList<Answer>() << QStringList() << true << QByteArray("old");
        QTest::newRow("yes saves") << true << true << QList<Answer> { Answer::Yes } << QStringList()
                                   << true << QByteArray("new");
        QTest::newRow("no discards") << true << true << QList<Answer> { Answer::No }
                                     << QStringList() << true << QByteArray("old");
        QTest::newRow("cancel keeps the window") << true << true << QList<Answer> { Answer::Cancel }
                                                 << QStringList() << false << QByteArray("old");
        QTest::newRow("yes on untitled runs save as")
            << false << true << QList<Answer> { Answer::Yes } << QStringList { "doc.html" } << true
            << QByteArray("new");
        QTest::newRow("yes then cancelled save dialog keeps the window")
            << false << true << QList<Answer> { Answer::Yes } << QStringList { "" } << false
            << QByteArray("old");
    }
    void closeQuestion()
    {
        QFETCH(bool, titled);
        QFETCH(bool, modified);
        QFETCH(QList<Answer>, answers);
        QFETCH(QStringList, saveAs);
        QFETCH(bool, closed);
        QFETCH(QByteArray, onDisk);
        const QString path = m_dir.filePath(QStringLiteral("doc.html"));
        writeFile(path, "old");
        TMDIChild* w = titled ? openFile(path) : newDocument();
        QVERIFY(w);
        if (modified) {
            w->source().setText(QStringLiteral("new"));
            w->source().setModified(true);
        }
        for (Answer a : answers)
            m_dialogs.queueAnswer(a);
        for (const QString& name : saveAs)
            m_dialogs.queueFiles(name.isEmpty() ? QStringList() : QStringList { m_dir.filePath(name) });
        closeCancelled = false;
        const QString caption = w->caption();
        QCOMPARE(closeWindow(w), closed);
        QCOMPARE(m_dialogs.shown().size(), int(answers.size()));
        if (!answers.isEmpty())
            QCOMPARE(m_dialogs.shown().first().text, QStringLiteral("Save changes in ") + caption + "?");
        QCOMPARE(documentWindows().size(), closed ? 0 : 1);
        QCOMPARE(closeCancelled, !closed);
        QCOMPARE(readAll(path), onDisk);
        QCOMPARE(m_dialogs.pendingAnswers(), 0);
    }

    void closeAllStopsAtCancel()
    {
        TMDIChild* first = newDocument();
        TMDIChild* second = newDocument();
        TMDIChild* third = newDocument();
        for (TMDIChild* w : { first, second })
            w->source().insertText(QStringLiteral("x"));
        // The last window closes silently, the second is asked first and cancels.
        m_dialogs.queueAnswer(Answer::Cancel);
        QVERIFY(!closeAllDocuments());
        flushDeletes();
        QCOMPARE(m_dialogs.shown().size(), 1);
        QVERIFY(m_dialogs.shown().first().text.contains(QLatin1String("Untitled:2")));
        QCOMPARE(documentWindows(), (QList<TMDIChild*> { first, second }));
        Q_UNUSED(third);
    }

    void statusBar()
    {
        TMDIChild* w = newDocument();
        TMemoSource& s = w->source();
        QCOMPARE(w->statusText(0), QStringLiteral("1: 1"));
        QCOMPARE(w->statusText(1), QString());
        QCOMPARE(w->statusText(2), QStringLiteral("Insert"));
        QCOMPARE(w->statusText(3), QStringLiteral("0 bytes"));

        // A new document is saved with LF line ends, so each counts one.
        s.insertText(QStringLiteral("ab\r\ncde"));
        QCOMPARE(w->statusText(0), QStringLiteral("2: 4"));
        QCOMPARE(w->statusText(1), QStringLiteral("Modified"));
        QCOMPARE(w->statusText(3), QStringLiteral("6 bytes"));

        TMemoSource::setOverwriteMode(true);
        QCOMPARE(w->statusText(2), QStringLiteral("Overwrite"));
        TMemoSource::setOverwriteMode(false);
        QCOMPARE(w->statusText(2), QStringLiteral("Insert"));

        s.setText(QString(12345 - 1, QLatin1Char('x')) + QStringLiteral("\r\n"));
        s.insertLine(1, QString());
        QCOMPARE(w->statusText(3), QStringLiteral("12,345 bytes"));

        // Edits of every kind keep the running size equal to a full count.
        const auto fullCount = [&] {
            qint64 n = (s.lineBreak() == lbCRLF ? 2 : 1) * qint64(s.lineCount() - 1);
            for (int i = 0; i < s.lineCount(); ++i)
                n += s.lineLength(i);
            return n;
        };
        s.setText(QStringLiteral("one\r\ntwo\r\nthree\r\nfour"));
        s.setCaret(1, 1);
        s.keyEnter();
        s.insertText(QStringLiteral("a\r\nb\r\nc"));
        s.setSelection(smStream, 0, 0, 2, 3);
        s.deleteSelection();
        s.keyBackspace();
        s.keyDelete();
        s.Undo();
        s.Undo();
        s.Redo();
        s.setSelection(smColumn, 1, 0, 3, 2);
        s.deleteSelection();
        s.deleteLine(0);
        s.addLine(QStringLiteral("tail   "));
        QCOMPARE(w->textSize(), fullCount());

        s.setModified(false);
        QCOMPARE(w->statusText(1), QString());

        // A file read with CR LF is saved with CR LF: two for each line end.
        const QString path = m_dir.filePath(QStringLiteral("size.html"));
        writeFile(path, "ab\r\ncde\r\n");
        TMDIChild* crlf = openFile(path);
        QVERIFY(crlf);
        QCOMPARE(crlf->statusText(3), QStringLiteral("7 bytes"));
        crlf->source().setCaret(0, 1);
        crlf->source().insertText(QStringLiteral("x\ny"));
        QCOMPARE(crlf->statusText(3), QStringLiteral("11 bytes"));
        QCOMPARE(crlf->textSize(), qint64(crlf->source().text().size() - 2));
    }

    void openByExtension()
    {
        const QString page = m_dir.filePath(QStringLiteral("page.HTML"));
        writeFile(page, "<p>\tx</p>\r\n");
        const QString project = m_dir.filePath(QStringLiteral("site.pmp"));
        writeFile(project, "Pagemason Project File\r\n");
        fileReopenList.clear();
        m_host.projectPages = 0;

        QVERIFY(!openFile(QStringLiteral(TEST_DATA_DIR "/document/photo.JPG")));
        QVERIFY(!openFile(project));
        QVERIFY(!openFile(m_dir.filePath(QStringLiteral("missing.html"))));
        QCOMPARE(m_host.previews, QStringList { QStringLiteral(TEST_DATA_DIR "/document/photo.JPG") });
        QCOMPARE(projectFileName, project); // loaded, and its page shown
        QCOMPARE(m_host.projectPages, 1);
        QVERIFY(documentWindows().isEmpty());
        QVERIFY(m_dialogs.shown().isEmpty()); // a missing file says nothing

        TMDIChild* w = openFile(page);
        QVERIFY(w);
        QCOMPARE(w->caption(), page);
        QCOMPARE(w->source().line(0), QStringLiteral("<p>    x</p>")); // tabs expanded
        QVERIFY(!w->source().Modified());
        QCOMPARE(fileReopenList.value(0), page);
        QCOMPARE(w->reopenMenu()->actions().value(0)->text(), QStringLiteral("page.HTML"));
        QCOMPARE(m_store.readString(QStringLiteral("Software\\Orvane\\Pagemason\\Reopen List"),
                                    QStringLiteral("0"), QString()),
                 page);
        // A cancelled Open dialog opens nothing.
        QVERIFY(!openFile());
    }

    // An option of our own lets File > Open keep tabs as the command line does.
    void keepTabsOnOpen()
    {
        const QString page = m_dir.filePath(QStringLiteral("tabbed.html"));
        writeFile(page, "<ul>\n\t<li>x</li>\n</ul>\n");
        globalOptions.keepTabsOnOpen = true;
        TMDIChild* w = openFile(page);
        QVERIFY(w);
        QCOMPARE(w->source().line(1), QStringLiteral("\t<li>x</li>"));
        QVERIFY(!w->source().Modified());
        QVERIFY(saveActive(w));
        QCOMPARE(readAll(page), QByteArray("<ul>\n\t<li>x</li>\n</ul>\n"));
        globalOptions.keepTabsOnOpen = false;
        TMDIChild* expanded = openFile(page);
        QVERIFY(expanded);
        QCOMPARE(expanded->source().line(1), QStringLiteral("    <li>x</li>"));
    }

    void commandLine()
    {
        const QString a = m_dir.filePath(QStringLiteral("a.htm"));
        const QString b = m_dir.filePath(QStringLiteral("b.pmp"));
        const QString txt = m_dir.filePath(QStringLiteral("c/htmfiles/x.txt"));
        const QString inHtmFolder = m_dir.filePath(QStringLiteral("c/site.htm/x.txt"));
        for (const QString& f : { a, b, txt, inHtmFolder })
            writeFile(f, "\tx\r\n");
        writeFile(b, "Pagemason Project File\r\n");
        projectFileName.clear();
        fileReopenList.clear();
        // The start-up sequence's loop over the arguments, with the steps the main window
        // takes.
        struct CommandLineSteps : TStartupSteps {
            void openCommandLineDocument(const QString& f) override { ::openCommandLineDocument(f); }
            void openCommandLineProject(const QString& f) override { loadProject(f); }
        } steps;
        // A folder is no existing file, with or without its slash: skipped without a word.
        const QString htmFolder = m_dir.filePath(QStringLiteral("c/site.htm"));
        commandLineArguments = { a, b, txt, inHtmFolder, m_dir.filePath(QStringLiteral("gone.htm")),
                                 htmFolder, htmFolder + QLatin1Char('/') };
        processCommandLine(steps);
        QCOMPARE(captions(), (QStringList { a, inHtmFolder }));
        QVERIFY(m_dialogs.shown().isEmpty());
        QCOMPARE(projectFileName, b);
        const QList<TMDIChild*> windows = documentWindows();
        QCOMPARE(windows[0]->source().line(0), QStringLiteral("\tx")); // tabs kept
        QCOMPARE(windows[0]->fileName, a);
        QVERIFY(!windows[0]->source().Modified());
        QVERIFY(!fileReopenList.contains(a));
    }

    void unreadableFileOpensNoWindow_data()
    {
        QTest::addColumn<bool>("commandLine");
        QTest::newRow("File > Open") << false;
        QTest::newRow("command line") << true;
    }
    void unreadableFileOpensNoWindow()
    {
        QFETCH(bool, commandLine);
        if (geteuid() == 0)
            QSKIP("the superuser reads every file");
        const QString path = m_dir.filePath(QStringLiteral("locked.html"));
        writeFile(path, "x");
        QFile::setPermissions(path, QFile::WriteOwner);
        TMDIChild* w = commandLine ? openCommandLineDocument(path) : openFile(path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY(!w);
        QVERIFY(documentWindows().isEmpty());
        QCOMPARE(m_dialogs.shown().size(), 1);
        QVERIFY(m_dialogs.shown().first().text.startsWith(
            QStringLiteral("Cannot open the file\r\n") + path + QStringLiteral("\r\n")));
    }

    void newWindowsOpenInsideTheArea_data()
    {
        QTest::addColumn<QSize>("area");
        QTest::newRow("roomy") << QSize(900, 700);
        QTest::newRow("small") << QSize(180, 120);
    }
    void newWindowsOpenInsideTheArea()
    {
        QFETCH(QSize, area);
        m_host.area.resize(area);
        m_host.area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_host.area));
        const QRect visible = m_host.area.viewport()->rect();
        QList<QMdiSubWindow*> subs;
        for (int i = 0; i < 8; ++i) {
            auto* sub = qobject_cast<QMdiSubWindow*>(newDocument()->parentWidget());
            QVERIFY2(visible.contains(sub->geometry()), qPrintable(QString::number(i)));
            subs.append(sub);
        }
        // In a roomy area they step aside so that every title stays in sight.
        if (area.width() > 400)
            QVERIFY(subs[0]->geometry() != subs[1]->geometry());

        // A maximised window makes the next one maximised too, also while another window
        // (a dialog, the preview) is the active one.
        subs.last()->showMaximized();
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        auto* next = qobject_cast<QMdiSubWindow*>(newDocument()->parentWidget());
        QVERIFY(next->isMaximized());
        m_host.area.hide();
    }

    void dialogsStartInTheLastFolder()
    {
        const QString home = QDir::homePath() + QLatin1Char('/');
        const QString saved = applicationFolder;
        applicationFolder = m_dir.filePath(QStringLiteral("program/"));
        projectDir = applicationFolder;
        globalOptions.lastDialogFolder.clear();
        const auto folders = [this] {
            QStringList out;
            for (const auto& r : m_dialogs.fileRequests())
                out.append(r.folder);
            return out;
        };
        // First start: the home folder, not the program's.
        QVERIFY(!openFile());
        const QString site = m_dir.filePath(QStringLiteral("site/"));
        writeFile(site + QStringLiteral("a.html"), "a");
        m_dialogs.queueFiles({ site + QStringLiteral("a.html") });
        TMDIChild* w = openFile();
        QVERIFY(w);
        // The Save dialog starts where the Open dialog was left, and the other way round.
        const QString other = m_dir.filePath(QStringLiteral("other/"));
        QDir().mkpath(other);
        m_dialogs.queueFiles({ other + QStringLiteral("b.html") });
        QVERIFY(saveAs(w));
        QVERIFY(!openFile());
        // A folder that went away is no start; the home folder is.
        globalOptions.lastDialogFolder = m_dir.filePath(QStringLiteral("gone/"));
        QVERIFY(!openFile());
        // A loaded project's folder wins.
        projectDir = m_dir.filePath(QStringLiteral("project/"));
        QVERIFY(!saveAs(w));
        QCOMPARE(folders(), (QStringList { home, home, site, other, home, projectDir }));
        applicationFolder = saved;
        projectDir = saved;
    }

    void failedSaveKeepsEverything_data()
    {
        QTest::addColumn<bool>("readOnlyFolder"); // else the disk is full
        QTest::newRow("read-only folder") << true;
        QTest::newRow("full disk") << false;
    }
    void failedSaveKeepsEverything()
    {
        QFETCH(bool, readOnlyFolder);
        if (readOnlyFolder && geteuid() == 0)
            QSKIP("the superuser writes into read-only folders; the full-disk row covers root");
        const QString folder = m_dir.filePath(QStringLiteral("locked"));
        const QString path = folder + QStringLiteral("/page.html");
        writeFile(path, "old text\r\n");
        TMDIChild* w = openFile(path);
        QVERIFY(w);
        w->source().setText(QString(100000, QLatin1Char('y')));
        w->source().setModified(true);

        bool saved = true;
        if (readOnlyFolder) {
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
            saved = saveActive(w);
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        } else {
            // A file size limit makes every write past it fail as on a full disk.
            rlimit old {};
            getrlimit(RLIMIT_FSIZE, &old);
            auto previous = std::signal(SIGXFSZ, SIG_IGN);
            rlimit small = old;
            small.rlim_cur = 4096;
            setrlimit(RLIMIT_FSIZE, &small);
            saved = saveActive(w);
            setrlimit(RLIMIT_FSIZE, &old);
            std::signal(SIGXFSZ, previous);
        }
        QVERIFY(!saved);
        QCOMPARE(m_dialogs.shown().size(), 1);
        QCOMPARE(m_dialogs.shown().first().kind, pm::Dialogs::Kind::Error);
        QVERIFY(w->source().Modified());
        QCOMPARE(w->statusText(1), QStringLiteral("Modified"));
        QCOMPARE(readAll(path), QByteArray("old text\r\n"));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList { "page.html" });

        // Closing it asks, and a failing save on Yes keeps the window.
        m_dialogs.clear();
        if (!readOnlyFolder) {
            rlimit old {};
            getrlimit(RLIMIT_FSIZE, &old);
            auto previous = std::signal(SIGXFSZ, SIG_IGN);
            rlimit small = old;
            small.rlim_cur = 4096;
            setrlimit(RLIMIT_FSIZE, &small);
            m_dialogs.queueAnswer(Answer::Yes);
            QVERIFY(!closeWindow(w));
            setrlimit(RLIMIT_FSIZE, &old);
            std::signal(SIGXFSZ, previous);
            QCOMPARE(documentWindows().size(), 1);
        }
    }

    void latin1RoundTrip()
    {
        const QString path = m_dir.filePath(QStringLiteral("latin.html"));
        const QByteArray bytes("caf\xE9 cr\xE8me\r\n<p>\xA9</p>\r\n");
        writeFile(path, bytes);
        TMDIChild* w = openFile(path);
        QVERIFY(w);
        QCOMPARE(w->source().line(0), QStringLiteral("caf\u00E9 cr\u00E8me"));
        QVERIFY(saveActive(w));
        QCOMPARE(readAll(path), bytes);
    }

    // Saving writes the line ends the file was read with; a new document gets LF.
    void saveKeepsLineEnds_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // empty: a new document
        QTest::addColumn<bool>("commandLine");
        QTest::addColumn<QByteArray>("saved");
        QTest::newRow("LF") << QByteArray("<p>\n\t<b>x</b>\n</p>\n") << false
                            << QByteArray("<p>\nnew\n    <b>x</b>\n</p>\n");
        QTest::newRow("CR LF") << QByteArray("<p>\r\n<b>x</b>\r\n</p>") << false
                               << QByteArray("<p>\r\nnew\r\n<b>x</b>\r\n</p>");
        QTest::newRow("LF, Latin-1, command line")
            << QByteArray("<p>caf\xe9\n\t<b>x</b>\n</p>\n") << true
            << QByteArray("<p>caf\xe9\nnew\n\t<b>x</b>\n</p>\n");
        QTest::newRow("new document") << QByteArray() << false << QByteArray("<p>\nnew\n");
    }
    void saveKeepsLineEnds()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, commandLine);
        QFETCH(QByteArray, saved);
        const QString path = m_dir.filePath(QStringLiteral("ends.html"));
        TMDIChild* w = nullptr;
        if (bytes.isEmpty()) {
            w = newDocument();
            w->source().insertText(QStringLiteral("<p>"));
        } else {
            writeFile(path, bytes);
            w = commandLine ? openCommandLineDocument(path) : openFile(path);
        }
        QVERIFY(w);
        w->source().setCaret(w->source().lineLength(0), 0);
        w->source().insertText(QStringLiteral("\r\nnew"));
        QVERIFY(saveDocument(path, w));
        QCOMPARE(readAll(path), saved);
    }

private:
    QTemporaryDir m_dir;
    pm::MemorySettingsStore m_store;
    pm::ScriptedDialogs m_dialogs;
    TestHost m_host;
};

QTEST_MAIN(TestChildwin)
#include "tst_childwin.moc"
