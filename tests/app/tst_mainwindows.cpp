/** @file tst_mainwindows.cpp ** The main window's document side: menu merging, the opened-files
 ** list, drops, the image preview, the files page and hotkey assignment. **/
#include "app/THotkeyPanel.h"
#include "app/TImagePreviewWindow.h"
#include "app/TMainFormWindows.h"
#include "app/TToolWindow.h"
#include "core/global_utl.h"
#include "core/hotkeys_utl.h"
#include "core/reopen_utl.h"
#include "core/status_utl.h"
#include "document/Childwin.h"
#include "editor/TDCMemo.h"
#include "platform/MemorySettingsStore.h"
#include "platform/RecordingShell.h"
#include "platform/ScriptedDialogs.h"
#include "search/searchFrm.h"

#include <QDialog>
#include <QKeySequenceEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

using Answer = pm::Dialogs::Answer;

namespace {

QStringList barCaptions(QMenuBar* bar)
{
    QStringList out;
    const QList<QAction*> actions = bar->actions();
    for (QAction* a : actions)
        out.append(a->text());
    return out;
}

void closeAll()
{
    const QList<TMDIChild*> windows = documentWindows();
    for (TMDIChild* w : windows)
        w->source().setModified(false);
    closeAllDocuments();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

/// Hands results to the tools window, as the main window does.
class ResultsSink : public TStatusSink
{
public:
    TMainFormWindows* windows = nullptr;
    void statusChanged(const QString&) override {}
    void progressChanged(int, int) override {}
    void resultRowAdded(const QStringList& columns) override
    {
        windows->toolWindow()->addResultRow(columns);
    }
    void resultsPageShown() override { windows->showResultsPage(); }
};

const QStringList documentMenus { "&File", "&Edit", "&View", "&Tags", "&Window", "&Options", "&Help" };

} // namespace

class TestMainWindows : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        pm::setSettingsStore(&m_store);
        webBrowserControlAvailable = false;
        globalOptions.autoInsertTags = false;
        dynamicMenusFileName = QStringLiteral(TEST_DATA_DIR "/document/default.mnu");
        colorRulesFileName = QStringLiteral(TEST_DATA_DIR "/../../shipped/Pagemason.colors");
        hotkeysFileName = m_dir.filePath(QStringLiteral("Pagemason.HotKeys"));

        m_area = new QMdiArea(&m_form);
        m_form.setCentralWidget(m_area);
        TMainFormParts parts;
        parts.form = &m_form;
        parts.area = m_area;
        parts.fileMenu = m_form.menuBar()->addMenu(QStringLiteral("&File"));
        parts.newAction = parts.fileMenu->addAction(QStringLiteral("&New"));
        parts.openAction = parts.fileMenu->addAction(QStringLiteral("&Open"));
        parts.reopenMenu = parts.fileMenu->addMenu(QStringLiteral("&Reopen"));
        parts.helpMenu = m_form.menuBar()->addMenu(QStringLiteral("&Help"));
        parts.aboutAction = parts.helpMenu->addAction(QStringLiteral("&About"));
        m_reopen = parts.reopenMenu;
        m_open = parts.openAction;
        m_windows = new TMainFormWindows(parts);
        m_sink.windows = m_windows;
        setStatusSink(&m_sink);
        m_form.resize(720, 502);
        m_form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_form));
    }
    void cleanupTestCase()
    {
        closeAll();
        setStatusSink(nullptr);
        delete m_windows;
        pm::setSettingsStore(nullptr);
    }
    void cleanup()
    {
        closeAll();
        m_dialogs.clear();
    }

    void menuMerging()
    {
        QCOMPARE(barCaptions(m_form.menuBar()), (QStringList { "&File", "&Help" }));
        TMDIChild* first = newDocument();
        TMDIChild* second = newDocument();
        QCOMPARE(barCaptions(m_form.menuBar()), documentMenus);
        QCOMPARE(m_form.menuBar()->actions().first(), second->mainMenu()->actions().first());
        m_area->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(first->parentWidget()));
        QCOMPARE(m_form.menuBar()->actions().first(), first->mainMenu()->actions().first());

        // Closing the last window brings back the frame's File menu with a rebuilt Reopen.
        const QString page = m_dir.filePath(QStringLiteral("recent.html"));
        writeFile(page, "x");
        fileReopenList = { page };
        closeAll();
        QCOMPARE(barCaptions(m_form.menuBar()), (QStringList { "&File", "&Help" }));
        QCOMPARE(m_reopen->actions().size(), 1);
        QCOMPARE(m_reopen->actions().first()->text(), QStringLiteral("recent.html"));
        m_reopen->actions().first()->trigger();
        QCOMPARE(documentWindows().size(), 1);
        QCOMPARE(documentWindows().first()->caption(), page);
    }

    void onlyTheActiveWindowsShortcutsFire()
    {
        TMDIChild* first = newDocument();
        TMDIChild* second = newDocument();
        int firstRuns = 0, secondRuns = 0;
        for (auto [w, counter] : { std::pair { first, &firstRuns }, std::pair { second, &secondRuns } }) {
            QAction* a = w->menuItem(QStringLiteral("WackyCaseItem"));
            a->setShortcut(QKeySequence(QStringLiteral("Ctrl+F12")));
            connect(a, &QAction::triggered, this, [counter] { ++*counter; });
        }
        QApplication::setActiveWindow(&m_form);
        QVERIFY(QTest::qWaitForWindowActive(&m_form));
        QTest::keyClick(&m_form, Qt::Key_F12, Qt::ControlModifier);
        QCOMPARE(secondRuns, 1);
        QCOMPARE(firstRuns, 0);
        m_area->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(first->parentWidget()));
        QTest::keyClick(&m_form, Qt::Key_F12, Qt::ControlModifier);
        QCOMPARE(firstRuns, 1);
        QCOMPARE(secondRuns, 1);
    }

    void altLetterOpensItsMenu_data()
    {
        QTest::addColumn<bool>("frameActive");
        QTest::newRow("frame active") << true;
        // Keys still reach the editor when the window system has not made the frame active
        // (focus under the pointer on a bare X server): the menu bar takes them all the same.
        QTest::newRow("frame not active") << false;
    }
    void altLetterOpensItsMenu()
    {
        QFETCH(bool, frameActive);
        TMDIChild* w = newDocument();
        w->source().setText(QStringLiteral("abc"));
        w->source().setModified(false);
        QWidget other;
        const auto activate = [&](QWidget* window) {
            window->show();
            window->activateWindow();
            return QTest::qWaitForWindowActive(window);
        };
        QVERIFY(activate(&m_form));
        w->editor()->setFocus();
        QVERIFY(w->editor()->hasFocus());
        // Every "&" letter of the merged bar, the dynamic menus' included.
        const QList<QAction*> menus = m_form.menuBar()->actions();
        QCOMPARE(menus.size(), documentMenus.size());
        for (QAction* menu : menus) {
            const QString title = menu->text();
            const QKeySequence letter = QKeySequence::mnemonic(title);
            QVERIFY2(!letter.isEmpty(), qPrintable(title));
            if (!frameActive)
                QVERIFY(activate(&other));
            QTest::keyClick(w->editor(), letter[0].key(), Qt::AltModifier);
            auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY2(popup, qPrintable(title));
            QCOMPARE(popup->menuAction(), menu);
            popup->close();
            QTRY_VERIFY(!QApplication::activePopupWidget());
            QCOMPARE(w->source().text(), QStringLiteral("abc"));
            QVERIFY(!w->source().Modified());
        }
        // An Alt+letter that no menu has types nothing either.
        QTest::keyClick(w->editor(), Qt::Key_Q, Qt::AltModifier);
        QVERIFY(!QApplication::activePopupWidget());
        QCOMPARE(w->source().text(), QStringLiteral("abc"));
    }

    void newAndOpenedDocumentsTakeTheKeyboard_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("new") << "new";
        QTest::newRow("open") << "open";
        QTest::newRow("open from the dialog") << "dialog";
        QTest::newRow("second window") << "second";
    }
    void newAndOpenedDocumentsTakeTheKeyboard()
    {
        QFETCH(QString, how);
        m_form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&m_form));
        const QString page = m_dir.filePath(QStringLiteral("typed.html"));
        writeFile(page, "<p>\r\n");
        TMDIChild* w = nullptr;
        if (how == QLatin1String("new")) {
            w = newDocument();
        } else if (how == QLatin1String("open")) {
            w = openFile(page);
        } else if (how == QLatin1String("dialog")) {
            m_dialogs.queueFiles({ page });
            m_open->trigger();
            w = documentWindows().value(0);
        } else {
            newDocument();
            w = newDocument();
        }
        QVERIFY(w);
        QCOMPARE(QApplication::focusWidget(), w->editor());
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("hi"));
        QVERIFY(w->source().line(0).startsWith(QLatin1String("hi")));
    }

    void keyboardComesBackAfterADialog()
    {
        TMDIChild* w = newDocument();
        m_form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&m_form));
        // Something else of the frame had the keyboard when the dialog came up, as the tab of
        // the Edit page may after a click.
        w->pages()->tabBar()->setFocus();
        QDialog dialog(&m_form);
        QTimer::singleShot(0, &dialog, &QDialog::accept);
        dialog.exec();
        QTRY_COMPARE(QApplication::focusWidget(), w->editor());
        QVERIFY(m_form.isActiveWindow());
    }

    void openedFilesAndFind()
    {
        TMDIChild* first = newDocument();
        newDocument();
        QListWidget* list = m_windows->toolWindow()->openedFilesList();
        QCOMPARE(m_windows->toolWindow()->openedFileCaptions(), (QStringList { "Untitled:1", "Untitled:2" }));
        m_dialogs.queueFiles({ m_dir.filePath(QStringLiteral("Saved.html")) });
        QVERIFY(saveAs(first));
        QCOMPARE(m_windows->toolWindow()->openedFileCaptions(),
                 (QStringList { m_dir.filePath(QStringLiteral("Saved.html")), "Untitled:2" }));
        QCOMPARE(m_windows->findDocumentWindow(m_dir.filePath(QStringLiteral("Saved.html"))), first);
        QVERIFY(!m_windows->findDocumentWindow(m_dir.filePath(QStringLiteral("saved.html"))));

        // Choosing an entry brings its window to the front.
        emit list->itemActivated(list->item(0));
        QCOMPARE(m_area->currentSubWindow()->widget(), first);
        closeAll();
        QCOMPARE(list->count(), 0);
    }

    void sameFileTwiceHasTwoEntries()
    {
        const QString page = m_dir.filePath(QStringLiteral("twice.html"));
        writeFile(page, "x");
        TMDIChild* first = openFile(page);
        TMDIChild* second = openFile(page);
        QVERIFY(first && second);
        QListWidget* list = m_windows->toolWindow()->openedFilesList();
        QCOMPARE(m_windows->toolWindow()->openedFileCaptions(), (QStringList { page, page }));
        qobject_cast<QMdiSubWindow*>(first->parentWidget())->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(m_windows->toolWindow()->openedFileCaptions(), QStringList { page });
        // The entry left is the open window's.
        newDocument();
        emit list->itemActivated(list->item(0));
        QCOMPARE(m_area->currentSubWindow()->widget(), second);
    }

    void exitAsksEveryQuestionFirst_data()
    {
        QTest::addColumn<QList<bool>>("modified"); // of the windows in creation order
        QTest::addColumn<QList<Answer>>("answers"); // in the order asked: last window first
        QTest::addColumn<bool>("exits");
        QTest::newRow("cancel on the only question")
            << QList<bool> { true, false, false } << QList<Answer> { Answer::Cancel } << false;
        QTest::newRow("cancel on the second question")
            << QList<bool> { true, false, true } << QList<Answer> { Answer::No, Answer::Cancel }
            << false;
        QTest::newRow("no to all") << QList<bool> { true, false, true }
                                   << QList<Answer> { Answer::No, Answer::No } << true;
    }
    void exitAsksEveryQuestionFirst()
    {
        QFETCH(QList<bool>, modified);
        QFETCH(QList<Answer>, answers);
        QFETCH(bool, exits);
        QList<TMDIChild*> windows;
        for (bool m : modified) {
            TMDIChild* w = newDocument();
            if (m)
                w->source().insertText(QStringLiteral("changed"));
            windows.append(w);
        }
        for (Answer a : answers)
            m_dialogs.queueAnswer(a);
        QCOMPARE(m_windows->closeDocumentWindows(), exits);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(m_dialogs.shown().size(), answers.size());
        QCOMPARE(m_dialogs.unanswered(), 0);
        QCOMPARE(documentWindows(), exits ? QList<TMDIChild*>() : windows);
        if (!exits) {
            // Nothing was decided for good: closing one now asks again.
            m_dialogs.clear();
            m_dialogs.queueAnswer(Answer::Cancel);
            QVERIFY(!qobject_cast<QMdiSubWindow*>(windows.first()->parentWidget())->close());
            QCOMPARE(m_dialogs.shown().size(), 1);
        }
    }

    void dropsOpenInOrder()
    {
        const QString a = m_dir.filePath(QStringLiteral("drop a.html"));
        const QString b = m_dir.filePath(QStringLiteral("drop b.htm"));
        writeFile(a, "a");
        writeFile(b, "b");
        QMimeData data;
        data.setUrls({ QUrl::fromLocalFile(a), QUrl::fromLocalFile(b),
                       QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("gone.html"))) });
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&m_form, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&m_form, &drop);
        QStringList captions;
        const QList<TMDIChild*> windows = documentWindows();
        for (TMDIChild* w : windows)
            captions.append(w->caption());
        QCOMPARE(captions, (QStringList { a, b }));
    }

    void imagePreview()
    {
        globalOptions.imagePreviewVisible = false;
        m_windows->applyImagePreviewVisible();
        const QString photo = QStringLiteral(TEST_DATA_DIR "/document/photo.JPG");
        QVERIFY(!openFile(photo));
        TImagePreviewWindow* preview = m_windows->imagePreview();
        QCOMPARE(preview->windowTitle(), photo + QStringLiteral(" 120x60"));
        QVERIFY(globalOptions.imagePreviewVisible);
        QVERIFY(preview->isVisible());
        QVERIFY(documentWindows().isEmpty());

        m_windows->showImagePreview(QStringLiteral(TEST_DATA_DIR "/document/anim.gif"));
        QVERIFY(preview->isAnimating());
        QCOMPARE(preview->pictureSize(), QSize(2, 1));

        // PNG pictures open in the preview too, from File > Open and from the files page.
        const QString png = QStringLiteral(TEST_DATA_DIR "/document/tiny.png");
        QVERIFY(!openFile(png));
        QCOMPARE(preview->windowTitle(), png + QStringLiteral(" 5x3"));
        m_windows->showImagePreview(photo);
        m_windows->toolWindow()->openListedFile(png);
        QCOMPARE(preview->pictureSize(), QSize(5, 3));
        QVERIFY(documentWindows().isEmpty());
        QVERIFY(m_dialogs.shown().isEmpty());
        m_windows->showImagePreview(QStringLiteral(TEST_DATA_DIR "/document/anim.gif"));

        // A picture that cannot be read says so and leaves the last one up.
        m_windows->showImagePreview(QStringLiteral(TEST_DATA_DIR "/document/broken.jpg"));
        QCOMPARE(m_dialogs.shown().size(), 1);
        QCOMPARE(preview->pictureSize(), QSize(2, 1));
    }

    void imagePreviewPlaceAndCloseBox()
    {
        globalOptions.toolsWindowVisible = true;
        m_windows->applyToolsWindowVisible();
        globalOptions.imagePreviewVisible = false;
        m_windows->applyImagePreviewVisible();
        m_form.move(30, 20);
        TMDIChild* w = newDocument();
        m_windows->showImagePreview(QStringLiteral(TEST_DATA_DIR "/document/tiny.bmp"));
        TImagePreviewWindow* preview = m_windows->imagePreview();
        QVERIFY(preview->isVisible());
        QVERIFY(preview->isFloating());
        // Beside the tools window: below the menu bar, right of the tools window, on screen.
        const QRect place = preview->frameGeometry();
        TToolWindow* tools = m_windows->toolWindow();
        const QRect bar(m_form.menuBar()->mapToGlobal(QPoint(0, 0)), m_form.menuBar()->size());
        QVERIFY(place.top() > bar.bottom());
        QVERIFY(place.left() > tools->mapToGlobal(QPoint(tools->width(), 0)).x());
        QVERIFY(preview->screen()->availableGeometry().contains(place));
        QVERIFY(w->menuItem(QStringLiteral("ImagePreviewItem"))->isChecked());

        // Its own close box is the View menu's toggle.
        QVERIFY(preview->close());
        QVERIFY(!preview->isVisible());
        QVERIFY(!globalOptions.imagePreviewVisible);
        QVERIFY(!w->menuItem(QStringLiteral("ImagePreviewItem"))->isChecked());
    }

    void filesPage_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("page opens") << "index.HTML" << "document";
        QTest::newRow("project loads") << "site.pmp" << "project";
        QTest::newRow("other goes to the desktop") << "notes.txt" << "shell";
    }
    void filesPage()
    {
        QFETCH(QString, name);
        QFETCH(QString, outcome);
        pm::RecordingShell shell;
        projectFileName.clear();
        const QString path = m_dir.filePath(name);
        writeFile(path, outcome == QLatin1String("project") ? "Pagemason Project File\r\n" : "x");
        m_windows->toolWindow()->openListedFile(path);
        QCOMPARE(documentWindows().size(), outcome == QLatin1String("document") ? 1 : 0);
        QCOMPARE(projectFileName, outcome == QLatin1String("project") ? path : QString());
        QCOMPARE(shell.opened, outcome == QLatin1String("shell") ? QStringList { path } : QStringList());
        if (outcome == QLatin1String("project"))
            QCOMPARE(m_windows->toolWindow()->pages()->currentIndex(), int(TToolWindow::ProjectPage));
    }

    void resultsList()
    {
        m_windows->toolWindow()->addResultRow({ QStringLiteral("Syntax error: x"), QStringLiteral("3") });
        m_windows->showResultsPage();
        QTreeWidget* results = m_windows->toolWindow()->results();
        QCOMPARE(results->topLevelItemCount(), 1);
        QCOMPARE(results->topLevelItem(0)->text(0), QStringLiteral("Syntax error: x"));
        QTest::mouseClick(m_windows->toolWindow()->findChild<QPushButton*>(QStringLiteral("clearBtn")),
                          Qt::LeftButton);
        QCOMPARE(results->topLevelItemCount(), 0);
    }

    void resultsNavigation_data()
    {
        QTest::addColumn<QString>("row"); // which row is activated
        QTest::addColumn<QString>("opens"); // the window then active, "" for none
        QTest::addColumn<QString>("selected");
        QTest::newRow("a match in a closed file opens it at the match") << "closed" << "closed.html" << "beta";
        QTest::newRow("a match in an open document") << "open" << "Untitled:1" << "gamma";
        QTest::newRow("an untitled document no longer open") << "gone" << "" << "";
        QTest::newRow("replace results do nothing") << "replace" << "" << "";
    }
    void resultsNavigation()
    {
        QFETCH(QString, row);
        QFETCH(QString, opens);
        QFETCH(QString, selected);
        QDir().mkpath(m_dir.filePath(QStringLiteral("nav")));
        const QString closed = m_dir.filePath(QStringLiteral("nav/closed.html"));
        writeFile(closed, "alpha\r\n  x beta y\r\n");
        TMDIChild* open = newDocument();
        open->source().setText(QStringLiteral("gamma"));
        TToolWindow* tools = m_windows->toolWindow();
        tools->results()->clear();
        tools->pages()->setCurrentIndex(TToolWindow::OpenFilesPage);
        const QString folder = m_dir.filePath(QStringLiteral("nav/"));
        const QMap<QString, QStringList> rows {
            { "closed", { "Search match", "beta", "5", "1", "closed.html", folder } },
            { "open", { "Search match", "gamma", "1", "0", "Untitled:1", "" } },
            { "gone", { "Search match", "x", "1", "0", "Untitled:7", "" } },
            { "replace", { "Replace results", "\"x\" with \"y\"", "1 time(s)", "", "closed.html", folder } },
        };
        tools->addResultRow(rows[row]);
        QCOMPARE(tools->pages()->currentIndex(), int(TToolWindow::ResultsPage));
        QCOMPARE(tools->results()->headerItem()->text(5), QStringLiteral("File Path"));
        QVERIFY(!tools->results()->topLevelItem(0)->icon(0).isNull()); // its kind's picture
        tools->resultsListDblClick(tools->results()->topLevelItem(0));
        QCOMPARE(documentWindows().size(), opens == QLatin1String("closed.html") ? 2 : 1);
        if (opens.isEmpty())
            return;
        TMDIChild* w = activeDocumentWindow();
        QVERIFY(w);
        QVERIFY(w->caption().endsWith(opens));
        QCOMPARE(w->source().SelText(), selected);
        QCOMPARE(w->source().CaretX(), int(rows[row][3] == QLatin1String("1") ? 8 : 5));
    }

    void undoButtonFollowsTheLastReplace()
    {
        QPushButton* undo = m_windows->toolWindow()->undoReplaceButton();
        QVERIFY(!undo->isEnabled());
        emit m_windows->searchDialog()->undoAvailableChanged(true);
        QVERIFY(undo->isEnabled());
        emit m_windows->searchDialog()->undoAvailableChanged(false);
        QVERIFY(!undo->isEnabled());
    }

    void savingTheMenusFileChecksIt()
    {
        const QString menus = m_dir.filePath(QStringLiteral("default.mnu"));
        QFile::remove(menus);
        QVERIFY(QFile::copy(QStringLiteral(TEST_DATA_DIR "/document/default.mnu"), menus));
        QFile::setPermissions(menus, QFile::ReadOwner | QFile::WriteOwner);
        m_windows->toolWindow()->results()->clear();
        TMDIChild* w = openFile(menus);
        QVERIFY(w);
        dynamicMenusFileName = menus;
        w->source().setCaret(0, 8);
        w->source().insertText(QStringLiteral("<B>{=broken"));
        QVERIFY(saveActive(w));
        dynamicMenusFileName = QStringLiteral(TEST_DATA_DIR "/document/default.mnu");
        QTreeWidget* results = m_windows->toolWindow()->results();
        QCOMPARE(results->topLevelItemCount(), 1);
        QVERIFY(results->topLevelItem(0)->text(0).startsWith(QLatin1String("Syntax error: ")));
        QCOMPARE(m_dialogs.shown().size(), 1); // error 14
    }

    void hotkeyAssignment_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("newestClosed");
        QTest::newRow("ok saves") << true << false;
        QTest::newRow("cancel keeps the file") << false << false;
        QTest::newRow("the window created last has closed") << true << true;
    }
    void hotkeyAssignment()
    {
        QFETCH(bool, ok);
        QFETCH(bool, newestClosed);
        QFile::remove(hotkeysFileName);
        globalOptions.toolsWindowVisible = true;
        m_windows->applyToolsWindowVisible();
        TMDIChild* older = newDocument();
        TMDIChild* newest = newDocument();
        if (newestClosed) {
            qobject_cast<QMdiSubWindow*>(newest->parentWidget())->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        // The mode works on the menu of the window the user works in, whichever came last.
        m_area->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(older->parentWidget()));
        m_windows->startHotkeyAssignment();
        QVERIFY(hotkeyAssignmentActive());
        QVERIFY(m_windows->hotkeyPanel()->isVisible());
        QVERIFY(!m_windows->toolWindow()->isVisible());
        QVERIFY(!older->editor()->isEnabled());
        TMDIChild* current = older;

        m_windows->hotkeyPanel()->hotkeyBox()->setKeySequence(QKeySequence(QStringLiteral("Ctrl+Shift+F")));
        QAction* bold = nullptr;
        const QList<QAction*> items = menuItemsDepthFirst(current->mainMenu());
        for (QAction* a : items)
            if (a->text() == QLatin1String("&Bold"))
                bold = a;
        QVERIFY(bold);
        bold->trigger(); // runs nothing while assigning
        assignHotkey(bold);
        QTest::mouseClick(ok ? m_windows->hotkeyPanel()->okButton()
                             : m_windows->hotkeyPanel()->cancelButton(),
                          Qt::LeftButton);
        QVERIFY(!hotkeyAssignmentActive());
        QVERIFY(!m_windows->hotkeyPanel()->isVisible());
        QVERIFY(m_windows->toolWindow()->isVisible());
        QVERIFY(older->editor()->isEnabled());
        QCOMPARE(bold->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+F")));
        QVERIFY(m_dialogs.shown().isEmpty()); // the wizard never came up

        const QList<THotkeyRecord> records = readHotkeyFile(hotkeysFileName);
        uint16_t saved = 0;
        for (const THotkeyRecord& r : records)
            if (r.name == bold->objectName())
                saved = r.shortcut;
        QCOMPARE(int(saved), ok ? 0x6046 : 0);
        TMDIChild* later = newDocument();
        QAction* laterBold = later->menuItem(bold->objectName());
        QVERIFY(laterBold);
        QCOMPARE(laterBold->shortcut().isEmpty(), !ok);
    }

private:
    QTemporaryDir m_dir;
    pm::MemorySettingsStore m_store;
    pm::ScriptedDialogs m_dialogs;
    QMainWindow m_form;
    QMdiArea* m_area = nullptr;
    QMenu* m_reopen = nullptr;
    QAction* m_open = nullptr;
    TMainFormWindows* m_windows = nullptr;
    ResultsSink m_sink;
};

QTEST_MAIN(TestMainWindows)
#include "tst_mainwindows.moc"
