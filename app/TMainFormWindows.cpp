/** @file TMainFormWindows.cpp ** The document side of the main window. **/
#include "app/TMainFormWindows.h"

#include "app/Options.h"
#include "app/THotkeyPanel.h"
#include "app/TImagePreviewWindow.h"
#include "app/TToolWindow.h"
#include "app/TsplashScreen.h"
#include "app/startup_utl.h"
#include "app/windowPlacement_utl.h"
#include "core/global_utl.h"
#include "core/hotkeys_utl.h"
#include "core/reopen_utl.h"
#include "core/status_utl.h"
#include "document/Childwin.h"
#include "document/common/viewer_utl.h"
#include "editor/TDCMemo.h"
#include "platform/Dialogs.h"
#include "project/panel/TProjectPanel.h"
#include "project/project_utl.h"
#include "publish/ftpUnit.h"
#include "search/searchFrm.h"
#include "templates/dynamicMenusBar.h"
#include "toolbars/customToolbar.h"
#include "toolbars/customToolbarWindows.h"

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QKeySequenceEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <QWindow>

namespace {

/// An application-wide filter that only looks for modal windows: one that comes up during
/// start-up is not left under the splash (which stays on top), and once one has gone, the
/// keyboard goes back to the work in the frame.
class TModalCloseWatcher : public QObject
{
public:
    explicit TModalCloseWatcher(TMainFormWindows* windows)
        : QObject(windows)
        , m_windows(windows)
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if ((type == QEvent::Show || type == QEvent::Hide) && watched->isWidgetType()) {
            const auto* widget = static_cast<const QWidget*>(watched);
            if (!widget->isWindow() || !widget->isModal())
                return false;
            if (type == QEvent::Hide)
                QTimer::singleShot(0, m_windows, &TMainFormWindows::giveKeyboardToWork);
            else if (TsplashScreen* splash = splashScreen())
                splash->hide();
        }
        return false;
    }

private:
    TMainFormWindows* m_windows;
};

} // namespace

TMainFormWindows::TMainFormWindows(const TMainFormParts& parts)
    : QObject(parts.form), m_parts(parts)
{
    QMainWindow* form = m_parts.form;
    m_toolWindow = new TToolWindow(form);
    form->addDockWidget(Qt::LeftDockWidgetArea, m_toolWindow);
    m_toolWindow->onPreviewImage = [this](const QString& f) { showImagePreview(f); };
    m_toolWindow->onOpenProject = [](const QString& f) { loadProject(f); };
    m_projectPanel = new TProjectPanel(m_toolWindow->projectPanel(), form);
    // Until the browser view is built, the desktop's browser shows the page.
    m_projectPanel->onViewFile = [](const QString& f) { viewInBrowser(f); };
    m_projectPanel->setAddCurrentEnabled(false); // no document window yet
    connect(&currentProject(), &TProject::captionChanged, m_toolWindow,
            [this] { m_toolWindow->setWindowTitle(currentProject().caption()); });
    connect(m_toolWindow->undoReplaceButton(), &QPushButton::clicked, this,
            [this] { searchDialog()->undoReplaceInFiles(); });
    m_toolWindow->setFilterList(fileDialogFilter);
    connect(m_toolWindow, &QDockWidget::topLevelChanged, this,
            [](bool floating) { globalOptions.toolsWindowDocked = !floating; });
    connect(m_toolWindow, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        // Closing it by its own button is the same as the View menu's toggle.
        if (!visible && !m_toolWindow->isVisible() && !m_hotkeyPanel->isVisible()
            && !QCoreApplication::closingDown() && m_parts.form->isVisible())
            globalOptions.toolsWindowVisible = false;
    });
    m_toolWindow->installEventFilter(this);

    m_imagePreview = new TImagePreviewWindow(form);
    form->addDockWidget(Qt::RightDockWidgetArea, m_imagePreview);
    m_imagePreview->setFloating(true);
    m_imagePreview->hide();
    connect(m_imagePreview, &TImagePreviewWindow::closedByUser, this, [this] {
        // Its own close box is the View menu's toggle too: an empty preview must not come
        // back at the next start.
        globalOptions.imagePreviewVisible = false;
        if (TMDIChild* w = activeDocumentWindow())
            w->FormActivate();
    });

    m_hotkeyPanel = new THotkeyPanel(form);
    m_hotkeyPanel->hide();
    connect(m_hotkeyPanel, &THotkeyPanel::accepted, this, [this] { finishHotkeyAssignment(true); });
    connect(m_hotkeyPanel, &THotkeyPanel::rejected, this, [this] { finishHotkeyAssignment(false); });

    form->setAcceptDrops(true);
    form->installEventFilter(this);
    // Sees modal dialogs close, to hand the keyboard back to the text.
    qApp->installEventFilter(new TModalCloseWatcher(this));

    if (m_parts.area) {
        connect(m_parts.area, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* sub) {
            if (sub)
                if (auto* child = qobject_cast<TMDIChild*>(sub->widget()))
                    child->FormActivate();
            mergeMenus();
            UpdateMenuItems();
        });
    }
    if (m_parts.newAction)
        connect(m_parts.newAction, &QAction::triggered, this, [] { newDocument(); });
    if (m_parts.openAction)
        connect(m_parts.openAction, &QAction::triggered, this, [] { openFile(); });
    if (m_parts.aboutAction)
        connect(m_parts.aboutAction, &QAction::triggered, this, [this] { showAbout(); });

    m_previousDocumentHost = setDocumentHost(this);
}

TMainFormWindows::~TMainFormWindows()
{
    if (documentHost() == this)
        setDocumentHost(m_previousDocumentHost);
    if (hotkeyAssignmentActive())
        endHotkeyAssignment();
    delete m_temporaryWindow;
}

void TMainFormWindows::formDestroying()
{
    if (m_parts.area)
        disconnect(m_parts.area, nullptr, this, nullptr);
}

TMDIChild* TMainFormWindows::findDocumentWindow(const QString& caption) const
{
    const QList<TMDIChild*> windows = documentWindows();
    for (TMDIChild* w : windows)
        if (w->caption() == caption)
            return w;
    return nullptr;
}

void TMainFormWindows::mergeMenus(TMDIChild* leaving)
{
    QMenuBar* bar = m_parts.form->menuBar();
    TMDIChild* active = nullptr;
    if (m_parts.area) {
        QMdiSubWindow* sub = m_parts.area->currentSubWindow();
        active = sub ? qobject_cast<TMDIChild*>(sub->widget()) : nullptr;
        if (!active || active == leaving) {
            active = nullptr;
            // The window that takes over once the leaving one is gone.
            const QList<QMdiSubWindow*> subs = m_parts.area->subWindowList(QMdiArea::ActivationHistoryOrder);
            for (qsizetype i = subs.size() - 1; i >= 0 && !active; --i) {
                auto* child = qobject_cast<TMDIChild*>(subs[i]->widget());
                if (child && child != leaving)
                    active = child;
            }
        }
    }
    QList<QAction*> wanted;
    if (active)
        wanted = active->mainMenu()->actions();
    else
        wanted = { m_parts.fileMenu->menuAction(), m_parts.helpMenu->menuAction() };
    if (bar->actions() == wanted)
        return;
    const QList<QAction*> shown = bar->actions();
    for (QAction* a : shown)
        bar->removeAction(a);
    bar->addActions(wanted);
}

void TMainFormWindows::rebuildFrameReopenMenu()
{
    buildReopenMenu(fileReopenList, m_parts.reopenMenu, [](const QString& f) { openFile(f); });
}

void TMainFormWindows::UpdateMenuItems(TMDIChild* leaving)
{
    const QList<TMDIChild*> windows = documentWindows();
    const bool none = windows.isEmpty() || (windows.size() == 1 && windows.first() == leaving);
    m_projectPanel->setAddCurrentEnabled(!none);
    if (none)
        rebuildFrameReopenMenu();
}

void TMainFormWindows::setToolbarsVisible(bool visible)
{
    setToolbarWindowsVisible(visible);
}

void TMainFormWindows::addOpenedFile(const QString& caption, TMDIChild* window)
{
    m_toolWindow->addOpenedFile(caption, window);
}

void TMainFormWindows::renameOpenedFile(TMDIChild* window, const QString& newCaption)
{
    m_toolWindow->renameOpenedFile(window, newCaption);
}

void TMainFormWindows::removeOpenedFile(TMDIChild* window)
{
    m_toolWindow->removeOpenedFile(window);
}

void TMainFormWindows::showImagePreview(const QString& fileName)
{
    QString error;
    if (!m_imagePreview->showPicture(fileName, &error)) {
        pm::dialogs().error(QStringLiteral("Cannot show the picture\r\n") + fileName
                            + QStringLiteral("\r\n") + error);
        return;
    }
    if (!globalOptions.imagePreviewVisible) {
        globalOptions.imagePreviewVisible = true;
        applyImagePreviewVisible();
        if (TMDIChild* w = activeDocumentWindow())
            w->FormActivate();
    }
}

void TMainFormWindows::showProjectPage()
{
    m_toolWindow->pages()->setCurrentIndex(TToolWindow::ProjectPage);
}

TsearchDlg* TMainFormWindows::searchDialog()
{
    if (!m_searchDlg) {
        m_searchDlg = new TsearchDlg(m_parts.form, m_toolWindow->folder(), fileDialogFilter);
        connect(m_searchDlg, &TsearchDlg::undoAvailableChanged, m_toolWindow->undoReplaceButton(),
                &QPushButton::setEnabled);
    }
    return m_searchDlg;
}

void TMainFormWindows::showSearchDialog()
{
    searchDialog()->execute();
}

TpublishFilesFrm* TMainFormWindows::publishWindow()
{
    if (!m_publishFrm)
        m_publishFrm = new TpublishFilesFrm(m_parts.form, m_toolWindow->folder(), fileDialogFilter);
    return m_publishFrm;
}

void TMainFormWindows::showPublishWindow()
{
    publishWindow()->execute();
}

void TMainFormWindows::applyToolsWindowVisible()
{
    m_toolWindow->setVisible(globalOptions.toolsWindowVisible);
}

void TMainFormWindows::applyImagePreviewVisible()
{
    if (!globalOptions.imagePreviewVisible) {
        m_imagePreview->hide();
        return;
    }
    // Each time it opens it stands beside the tools window, which needs the frame's layout:
    // until the frame is shown the preview waits for it.
    if (!m_parts.form->isVisible() || m_imagePreview->isVisible())
        return;
    if (m_imagePreview->isFloating())
        placeImagePreview();
    m_imagePreview->show();
}

void TMainFormWindows::placeImagePreview()
{
    QMainWindow* form = m_parts.form;
    constexpr int gap = 8;
    QPoint at;
    if (m_toolWindow->isVisible() && !m_toolWindow->isFloating()) {
        const QRect tools(m_toolWindow->mapToGlobal(QPoint(0, 0)), m_toolWindow->size());
        at = QPoint(tools.right() + 1 + gap, tools.top() + gap);
    } else if (m_parts.area) {
        at = m_parts.area->mapToGlobal(QPoint(gap, gap));
    } else {
        at = form->mapToGlobal(QPoint(gap, form->menuBar()->height() + gap));
    }
    QRect place(at, m_imagePreview->frameGeometry().size());
    const QScreen* screen = QGuiApplication::screenAt(form->frameGeometry().center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen)
        place = fitIntoScreen(place, screen->availableGeometry());
    m_imagePreview->move(place.topLeft());
}

void TMainFormWindows::placeMainWindow()
{
    QMainWindow* form = m_parts.form;
    const optns& o = globalOptions;
    const bool stored = o.mainWindowWidth > 0 && o.mainWindowHeight > 0;
    const QRect wanted(o.mainWindowLeft, o.mainWindowTop, o.mainWindowWidth, o.mainWindowHeight);
    const QScreen* screen = stored ? QGuiApplication::screenAt(wanted.center()) : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // The frame must fit too: its margins are known once the window exists, which on X11
    // with a window manager is only after it is shown (they are small there).
    form->winId();
    const QMargins frame = form->windowHandle() ? form->windowHandle()->frameMargins() : QMargins();
    const QRect available = screen->availableGeometry().marginsRemoved(frame);
    form->setGeometry(stored ? fitIntoScreen(wanted, available) : firstStartGeometry(available));
    if (stored && o.mainWindowMaximized)
        form->setWindowState(form->windowState() | Qt::WindowMaximized);
}

void TMainFormWindows::applyToolbarsVisible()
{
    setToolbarsVisible(globalOptions.toolbarsVisible);
}

void TMainFormWindows::placeHotkeyPanel()
{
    const QRect client = m_parts.area ? m_parts.area->geometry() : m_parts.form->rect();
    const int height = m_hotkeyPanel->sizeHint().height();
    m_hotkeyPanel->setGeometry(client.x(), client.y(), client.width(), height);
}

void TMainFormWindows::startHotkeyAssignment()
{
    // The window the user works in: the one created last may have closed since.
    TMDIChild* active = activeDocumentWindow();
    if (!active || hotkeyAssignmentActive())
        return;
    QMenuBar* menu = active->mainMenu();
    setCurrentHotkeyMenu(menu);
    beginHotkeyAssignment(menu, [this] { return m_hotkeyPanel->hotkey(); });
    m_hotkeyPanel->hotkeyBox()->clear();
    placeHotkeyPanel();
    m_hotkeyPanel->show();
    m_hotkeyPanel->raise();
    m_toolWindow->hide();
    setToolbarsVisible(false);
    m_hotkeyEditorWindow = active;
    if (m_hotkeyEditorWindow)
        m_hotkeyEditorWindow->editor()->setEnabled(false);
    m_hotkeyPanel->hotkeyBox()->setFocus();
}

void TMainFormWindows::finishHotkeyAssignment(bool ok)
{
    if (!hotkeyAssignmentActive())
        return;
    endHotkeyAssignment();
    if (m_hotkeyEditorWindow) {
        m_hotkeyEditorWindow->editor()->setEnabled(true);
        m_hotkeyEditorWindow->setFocus();
    }
    m_hotkeyPanel->hide();
    if (globalOptions.toolsWindowVisible)
        m_toolWindow->show();
    // As the View menu says: "Tool&bars" may be off.
    applyToolbarsVisible();
    if (ok) {
        saveHotkeys();
        applyHotkeys();
    }
}

void TMainFormWindows::customizeToolbars()
{
    TMDIChild* active = activeDocumentWindow();
    if (!active)
        return;
    TcustomizeToolbarsDlg dialog(active->mainMenu(), m_parts.form, toolbarFileName, m_parts.form);
    dialog.exec();
}

void TMainFormWindows::closeMainWindow()
{
    m_parts.form->close();
}

void TMainFormWindows::showOptions()
{
    TOptionsDlg dialog(this, m_parts.form->statusBar(), m_parts.form);
    dialog.exec();
}

void TMainFormWindows::showAbout()
{
    pm::dialogs().message(pm::Dialogs::Kind::Information,
                          QStringLiteral("Pagemason 2.3\r\nA desktop HTML editor.\r\n\r\n"
                                         "Built with Qt ") + QLatin1String(qVersion()),
                          pm::Dialogs::Buttons::Ok, QStringLiteral("About Pagemason"));
}

void TMainFormWindows::documentWindowClosed(TMDIChild* window)
{
    mergeMenus(window);
    UpdateMenuItems(window);
}

void TMainFormWindows::showResultsPage()
{
    m_toolWindow->pages()->setCurrentIndex(TToolWindow::ResultsPage);
}

bool TMainFormWindows::openMenuByMnemonic(const QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers()
        & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (mods != Qt::AltModifier || event->key() == Qt::Key_Alt)
        return false;
    const QKeySequence pressed(QKeyCombination(Qt::AltModifier, Qt::Key(event->key())));
    QMenuBar* bar = m_parts.form->menuBar();
    const QList<QAction*> menus = bar->actions();
    for (QAction* a : menus) {
        if (!a->isVisible() || !a->isEnabled() || !a->menu()
            || QKeySequence::mnemonic(a->text()) != pressed)
            continue;
        m_parts.form->activateWindow();
        bar->setActiveAction(a);
        return true;
    }
    return false;
}

void TMainFormWindows::giveKeyboardToWork()
{
    QMainWindow* form = m_parts.form;
    if (QApplication::activePopupWidget())
        return;
    // A dialog over a dialog has closed: the one beneath takes the keyboard back, which no
    // window manager may do for us.
    if (QWidget* modal = QApplication::activeModalWidget()) {
        if (modal->isVisible() && !modal->isActiveWindow())
            modal->activateWindow();
        return;
    }
    if (!form->isVisible() || form->isMinimized())
        return;
    // Another window of ours that the user went to keeps the keyboard.
    QWidget* active = QApplication::activeWindow();
    if (active && active != form && active->isVisible())
        return;
    if (!form->isActiveWindow())
        form->activateWindow();
    TMDIChild* document = activeDocumentWindow();
    if (!document || hotkeyAssignmentActive())
        return;
    // Focus left where the user was working outside the documents stays there.
    QWidget* focus = form->focusWidget();
    const bool elsewhere = focus && focus->isVisible() && focus->isEnabled()
        && !(m_parts.area && m_parts.area->isAncestorOf(focus));
    // In preview mode the editor is hidden and the page view keeps what it has.
    TDCMemo* editor = document->editor();
    if (!elsewhere && editor->isVisible() && !editor->hasFocus())
        editor->setFocus(Qt::ActiveWindowFocusReason);
}

bool TMainFormWindows::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_parts.form) {
        switch (event->type()) {
        case QEvent::KeyPress:
            // An Alt+letter that nothing took, for instance while the window manager has not
            // made the frame active: the menu bar's own mnemonics open its menu.
            if (openMenuByMnemonic(static_cast<QKeyEvent*>(event)))
                return true;
            break;
        case QEvent::Show:
            if (globalOptions.imagePreviewVisible && !m_imagePreview->isVisible())
                QTimer::singleShot(0, this, &TMainFormWindows::applyImagePreviewVisible);
            break;
        case QEvent::DragEnter: {
            auto* e = static_cast<QDragEnterEvent*>(event);
            if (e->mimeData()->hasUrls()) {
                e->acceptProposedAction();
                return true;
            }
            break;
        }
        case QEvent::Drop: {
            auto* e = static_cast<QDropEvent*>(event);
            if (!e->mimeData()->hasUrls())
                break;
            const QList<QUrl> urls = e->mimeData()->urls();
            e->acceptProposedAction();
            for (const QUrl& url : urls)
                if (url.isLocalFile())
                    openFile(url.toLocalFile());
            return true;
        }
        case QEvent::Resize:
            if (m_hotkeyPanel->isVisible())
                placeHotkeyPanel();
            break;
        default:
            break;
        }
    } else if (watched == m_toolWindow && event->type() == QEvent::Move && m_toolWindow->isFloating()) {
        globalOptions.toolsWindowLeft = m_toolWindow->x();
        globalOptions.toolsWindowTop = m_toolWindow->y();
    }
    return QObject::eventFilter(watched, event);
}

// --- Start-up and shutdown steps ---------------------------------------------------------

void TMainFormWindows::afterFileNames()
{
    m_toolWindow->setFilterList(fileDialogFilter);
}

void TMainFormWindows::loadFileReopenList()
{
    loadReopenList(fileReopenList, fileReopenSection);
}

void TMainFormWindows::loadProjectReopenList()
{
    loadReopenList(projectReopenList, projectReopenSection);
}

void TMainFormWindows::initializeToolsWindow()
{
    TToolWindow* tools = m_toolWindow;
    tools->setFloating(!globalOptions.toolsWindowDocked);
    if (!globalOptions.toolsWindowDocked)
        tools->move(globalOptions.toolsWindowLeft, globalOptions.toolsWindowTop);
    tools->setVisible(globalOptions.toolsWindowVisible);
    applyToolsWindowPage(toolsWindowActivePage);
}

void TMainFormWindows::loadLastProject()
{
    // A last project whose file is gone is reported, and its name stays.
    loadProject(projectFileName);
    m_toolWindow->setFolder(projectDir);
}

void TMainFormWindows::installHandlers()
{
    m_toolWindow->setFilterList(fileDialogFilter);
    applyImagePreviewVisible();
}

void TMainFormWindows::loadReopenMenus()
{
    rebuildFrameReopenMenu();
    m_projectPanel->rebuildReopenMenu();
}

void TMainFormWindows::loadDynamicMenus()
{
    // A window of its own, never shown: its menu is what the toolbar file names.
    delete m_temporaryWindow;
    m_temporaryWindow = new TMDIChild;
    ::loadDynamicMenus(dynamicMenusFileName, m_temporaryWindow->mainMenu(), 3, [](QAction*) {});
}

void TMainFormWindows::loadToolbars()
{
    // The toolbar file is read against the temporary window's menu, which goes afterwards:
    // the buttons run their commands on whichever document window is active.
    if (m_temporaryWindow)
        loadToolbarsAtStartup(m_temporaryWindow->mainMenu(), m_parts.form);
    delete m_temporaryWindow;
    m_temporaryWindow = nullptr;
}

void TMainFormWindows::openCommandLineDocument(const QString& fileName)
{
    ::openCommandLineDocument(fileName);
}

void TMainFormWindows::openCommandLineProject(const QString& fileName)
{
    loadProject(fileName);
}

bool TMainFormWindows::closeDocumentWindows()
{
    return closeAllDocumentsForExit();
}

bool TMainFormWindows::askSaveProject()
{
    return ::askSaveProject() != TProjectAnswer::Cancel;
}

void TMainFormWindows::applyToolsWindowPage(int page)
{
    if (page >= 0 && page < m_toolWindow->pages()->count())
        m_toolWindow->pages()->setCurrentIndex(page);
}

void TMainFormWindows::beforeSave()
{
    // The normal place, also while maximised, so that un-maximising after the next start
    // gives back the window the user made.
    const QRect normal = m_parts.form->normalGeometry();
    if (normal.width() > 0 && normal.height() > 0) {
        globalOptions.mainWindowLeft = normal.x();
        globalOptions.mainWindowTop = normal.y();
        globalOptions.mainWindowWidth = normal.width();
        globalOptions.mainWindowHeight = normal.height();
    }
    globalOptions.mainWindowMaximized = m_parts.form->windowState() & Qt::WindowMaximized;
    if (m_toolWindow->isFloating()) {
        globalOptions.toolsWindowLeft = m_toolWindow->x();
        globalOptions.toolsWindowTop = m_toolWindow->y();
    }
    toolsWindowActivePage = m_toolWindow->pages()->currentIndex();
}

void TMainFormWindows::saveToolbarPositions(const QString& key)
{
    ::saveToolbarPositions(key);
}
