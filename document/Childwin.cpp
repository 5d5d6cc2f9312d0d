/** @file Childwin.cpp ** The document window and the document operations. **/
#include "document/Childwin.h"

#include "colour/ColorRuleMatcher.h"
#include "colour/TcustomRulesDlg.h"
#include "colour/customRules_utl.h"
#include "core/hotkeys_utl.h"
#include "core/reopen_utl.h"
#include "core/settings_utl.h"
#include "core/status_utl.h"
#include "document/TDocumentHost.h"
#include "document/TPreviewPane.h"
#include "document/common/TWizardDocument.h"
#include "document/common/files_utl.h"
#include "document/common/picture_utl.h"
#include "document/editCommands_utl.h"
#include "editor/TDCMemo.h"
#include "editor/TGoToLineDlg.h"
#include "editor/TSearchOptions.h"
#include "platform/Dialogs.h"
#include "project/project_utl.h"
#include "templates/dynamicMenusBar.h"
#include "templates/dynamicMenus_utl.h"
#include "templates/tagParser.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

bool closeCancelled = false;
int fileDialogFilterIndex = 2;
const QString fileDialogFilter = QStringLiteral(
    "All|*.*|HTMLs|*.htm*|Images|*.GIF;*.JPG;*.JPEG|Exectables|*.exe|Maps|*.map|Java "
    "Classes|*.class|Projects|*.pmP|Menus Files|*.mnu|Color Rules|*.colors|Toolbars Files|*.tb");

namespace {

TDocumentHost* g_host = nullptr;

class BusyCursor
{
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// "12345" -> "12,345" whatever the user's locale.
QString groupedThousands(qint64 n)
{
    QString digits = QString::number(n);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, QLatin1Char(','));
    return digits;
}

// The dialog filter in Qt's form: "HTMLs (*.htm*);;...". "*.*" also matches names without a
// dot, as it does where the filter comes from.
QString qtFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString masks = parts[i + 1];
        masks.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (masks == QLatin1String("*.*"))
            masks = QStringLiteral("*");
        out.append(parts[i] + QStringLiteral(" (") + masks + QLatin1Char(')'));
    }
    return out.join(QStringLiteral(";;"));
}

QString lowerExtension(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || dot < name.lastIndexOf(QLatin1Char('/')))
        return QString();
    return name.mid(dot).toLower();
}

} // namespace

TDocumentHost* documentHost()
{
    return g_host;
}

TDocumentHost* setDocumentHost(TDocumentHost* host)
{
    TDocumentHost* previous = g_host;
    g_host = host;
    return previous;
}

// --- The window ---------------------------------------------------------------------------

TMDIChild::TMDIChild(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MDIChild"));
    setAttribute(Qt::WA_DeleteOnClose);

    // The menu bar is merged into the main window's; kept hidden here so that only the
    // menus on show (the active window's) fire their shortcuts.
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    MainMenu1->setNativeMenuBar(false);
    MainMenu1->hide();

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    editPage = new QWidget;
    editPage->setObjectName(QStringLiteral("editPage"));
    auto* editLayout = new QVBoxLayout(editPage);
    editLayout->setContentsMargins(0, 0, 0, 0);
    m_editSplit = new QSplitter(Qt::Horizontal, editPage);
    m_editSplit->setObjectName(QStringLiteral("editSplit"));
    m_editSplit->setChildrenCollapsible(false);
    memo1 = new TDCMemo(m_editSplit);
    memo1->setObjectName(QStringLiteral("memo1"));
    m_editSplit->addWidget(memo1);
    editLayout->addWidget(m_editSplit);
    PageControl1->addTab(editPage, QStringLiteral("Edit"));
    previewPage = new QWidget;
    previewPage->setObjectName(QStringLiteral("previewPage"));
    PageControl1->addTab(previewPage, QStringLiteral("Preview"));
    setCentralWidget(PageControl1);

    MemoSource1.setOptions(TStringsOptions(0x1FF));
    MemoSource1.setTabStops(QStringLiteral("9,17"));
    memo1->setMemoSource(&MemoSource1);
    memo1->setOptions(moDrawMargin | moDrawGutter | moThumbTracking | moColorSyntax);
    memo1->setScrollBars(ssBoth);
    memo1->setGutterWidth(20);
    memo1->setSelectionStyle(1);
    memo1->setSearchMatchStyle(2);
    // Giving the window the focus gives it to the text.
    setFocusProxy(memo1);
    // Mouse presses arrive at the scroll area's viewport, not at the editor itself.
    memo1->viewport()->installEventFilter(this);
    MemoSource1.attach(this);

    static const int widths[4] = { 50, 70, 80, 100 };
    for (int i = 0; i < 4; ++i) {
        m_panels[i] = new QLabel(this);
        m_panels[i]->setMinimumWidth(widths[i]);
        m_panels[i]->setFrameShape(QFrame::StyledPanel);
        statusBar()->addPermanentWidget(m_panels[i], i == 3 ? 1 : 0);
    }
    statusBar()->setSizeGripEnabled(false);

    buildMenus();
    installEditCommands(this);

    auto* previewLayout = new QVBoxLayout(previewPage);
    previewLayout->setContentsMargins(0, 0, 0, 0);
    if (webBrowserControlAvailable && TPreviewPane::available()) {
        webBrowser = new TPreviewPane(previewPage);
        previewLayout->addWidget(webBrowser);
    }
    PageControl1->setTabVisible(1, webBrowser != nullptr);
    QAction* preview = menuItem(QStringLiteral("PreviewModeItem"));
    preview->setEnabled(webBrowser != nullptr);
    setMenuItemTag(preview, webBrowser ? 0 : -1);
    QAction* live = menuItem(QStringLiteral("LivePreviewItem"));
    live->setEnabled(webBrowser != nullptr);
    setMenuItemTag(live, webBrowser ? 0 : -1);
    m_liveTimer = new QTimer(this);
    m_liveTimer->setSingleShot(true);
    m_liveTimer->setInterval(livePreviewDelayMs);
    connect(m_liveTimer, &QTimer::timeout, this, &TMDIChild::refreshPreview);
    PageControl1->setCurrentIndex(0);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TMDIChild::PageControl1Change);
}

TMDIChild::~TMDIChild()
{
    MemoSource1.detach(this);
    MemoSource1.setOnParseSyntax({});
    MemoSource1.setOnParseSyntaxFrom({});
    memo1->setMemoSource(nullptr);
    // FormDestroy: the opened-files entry goes with the window.
    if (g_host)
        g_host->removeOpenedFile(this);
}

void TMDIChild::setCaption(const QString& caption)
{
    setWindowTitle(caption);
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->setWindowTitle(caption);
}

QAction* TMDIChild::addItem(QMenu* menu, const char* name, const QString& caption,
                            const QKeySequence& key)
{
    QAction* a = menu->addAction(caption);
    a->setObjectName(QLatin1String(name));
    a->setShortcut(key);
    return a;
}

QAction* TMDIChild::menuItem(const QString& name) const
{
    const QList<QAction*> items = menuItemsDepthFirst(MainMenu1);
    for (QAction* a : items)
        if (a->objectName() == name)
            return a;
    return nullptr;
}

void TMDIChild::buildMenus()
{
    auto separator = [](QMenu* m) { setMenuItemTag(m->addSeparator(), -1); };
    auto active = [this] { return this; };

    QMenu* file = MainMenu1->addMenu(QStringLiteral("&File"));
    file->menuAction()->setObjectName(QStringLiteral("File1"));
    connect(addItem(file, "FileNewItem", QStringLiteral("&New"), QKeySequence(QStringLiteral("Ctrl+N"))),
            &QAction::triggered, this, [] { newDocument(); });
    connect(addItem(file, "FileOpenItem", QStringLiteral("&Open..."), QKeySequence(QStringLiteral("Ctrl+O"))),
            &QAction::triggered, this, [] { openFile(); });
    m_reopenMenu = file->addMenu(QStringLiteral("Reopen"));
    m_reopenMenu->menuAction()->setObjectName(QStringLiteral("FileReopenItem"));
    setMenuItemTag(m_reopenMenu->menuAction(), -1);
    connect(addItem(file, "FileSaveItem", QStringLiteral("&Save"), QKeySequence(QStringLiteral("Ctrl+S"))),
            &QAction::triggered, this, [active] { saveActive(active()); });
    connect(addItem(file, "FileSaveAsItem", QStringLiteral("Save &As...")), &QAction::triggered,
            this, [active] { saveAs(active()); });
    connect(addItem(file, "FileCloseItem", QStringLiteral("&Close file")), &QAction::triggered,
            this, [this] {
                if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
                    sub->close();
                else
                    close();
            });
    separator(file);
    connect(addItem(file, "ViewInBrowserItem", QStringLiteral("View in &browser")),
            &QAction::triggered, this, &TMDIChild::ViewInBrowserItemClick);
    connect(addItem(file, "PublishfilestoanFTPserver1",
                QStringLiteral("&Publish files to an FTP server...")),
            &QAction::triggered, this, [] {
                if (g_host)
                    g_host->showPublishWindow();
            });
    separator(file);
    connect(addItem(file, "FileExitItem", QStringLiteral("E&xit")), &QAction::triggered, this, [] {
        if (g_host)
            g_host->closeMainWindow();
    });

    QMenu* edit = MainMenu1->addMenu(QStringLiteral("&Edit"));
    edit->menuAction()->setObjectName(QStringLiteral("Edit1"));
    connect(addItem(edit, "EditUndoItem", QStringLiteral("&Undo")), &QAction::triggered, this,
            [this] { MemoSource1.Undo(); });
    connect(addItem(edit, "EditRedoItem", QStringLiteral("&Redo")), &QAction::triggered, this,
            [this] { MemoSource1.Redo(); });
    connect(addItem(edit, "ClearUndoItem", QStringLiteral("C&lear undo buffer")),
            &QAction::triggered, this, [this] { MemoSource1.clearUndo(); });
    separator(edit);
    connect(addItem(edit, "EditCutItem", QStringLiteral("C&ut"), QKeySequence(QStringLiteral("Shift+Del"))),
            &QAction::triggered, this, [this] { MemoSource1.CutToClipboard(); });
    connect(addItem(edit, "EditCopyItem", QStringLiteral("&Copy"), QKeySequence(QStringLiteral("Ctrl+C"))),
            &QAction::triggered, this, [this] { MemoSource1.CopyToClipboard(); });
    connect(addItem(edit, "EditPasteItem", QStringLiteral("&Paste"), QKeySequence(QStringLiteral("Ctrl+V"))),
            &QAction::triggered, this, [this] { MemoSource1.PasteFromClipboard(); });
    separator(edit);
    connect(addItem(edit, "SearchReplace1", QStringLiteral("&Search&&Replace...")),
            &QAction::triggered, this, [] {
                if (g_host)
                    g_host->showSearchDialog();
            });
    connect(addItem(edit, "FindNext1", QStringLiteral("Find Ne&xt"), QKeySequence(Qt::Key_F3)),
            &QAction::triggered, this, [this] { findNext(MemoSource1); });
    connect(addItem(edit, "GotoLine1", QStringLiteral("&Goto line...")), &QAction::triggered, this,
            [this] { TGoToLineDlg::execute(MemoSource1, this); });
    separator(edit);
    connect(addItem(edit, "LowerCaseItem", QStringLiteral("&lower selected text")),
            &QAction::triggered, this, [this] { MemoSource1.lowerCaseSelection(); });
    connect(addItem(edit, "UpperCaseItem", QStringLiteral("U&PPER selected text")),
            &QAction::triggered, this, [this] { MemoSource1.upperCaseSelection(); });
    addItem(edit, "WackyCaseItem", QStringLiteral("&WaCkY selected text"));
    separator(edit);
    addItem(edit, "OpenSelectedFile1", QStringLiteral("&Open file (selected text)"));
    connect(addItem(edit, "Edittagatcursor1", QStringLiteral("&Edit tag (at cursor)...")),
            &QAction::triggered, this, &TMDIChild::Edittagatcursor1Click);

    QMenu* view = MainMenu1->addMenu(QStringLiteral("&View"));
    view->menuAction()->setObjectName(QStringLiteral("View1"));
    QAction* tools = addItem(view, "ToolsWindowItem", QStringLiteral("&Tools window"));
    tools->setCheckable(true);
    connect(tools, &QAction::triggered, this, [this] {
        globalOptions.toolsWindowVisible = !globalOptions.toolsWindowVisible;
        if (g_host)
            g_host->applyToolsWindowVisible();
        FormActivate();
    });
    QAction* image = addItem(view, "ImagePreviewItem", QStringLiteral("&Image Preview window"));
    image->setCheckable(true);
    connect(image, &QAction::triggered, this, [this] {
        globalOptions.imagePreviewVisible = !globalOptions.imagePreviewVisible;
        if (g_host)
            g_host->applyImagePreviewVisible();
        FormActivate();
    });
    QAction* bars = addItem(view, "ToolbarsItem", QStringLiteral("Tool&bars"));
    bars->setCheckable(true);
    connect(bars, &QAction::triggered, this, [this] {
        globalOptions.toolbarsVisible = !globalOptions.toolbarsVisible;
        if (g_host)
            g_host->applyToolbarsVisible();
        FormActivate();
    });
    separator(view);
    auto* modes = new QActionGroup(this);
    QAction* editMode = addItem(view, "EditModeItem", QStringLiteral("&Edit mode"));
    QAction* previewMode = addItem(view, "PreviewModeItem", QStringLiteral("&Preview mode"));
    for (QAction* a : { editMode, previewMode }) {
        a->setCheckable(true);
        modes->addAction(a);
    }
    editMode->setChecked(true);
    connect(editMode, &QAction::triggered, this, [this] { PageControl1->setCurrentIndex(0); });
    connect(previewMode, &QAction::triggered, this, [this] {
        if (webBrowser)
            PageControl1->setCurrentIndex(1);
    });
    QAction* live = addItem(view, "LivePreviewItem", QStringLiteral("&Live preview"));
    live->setCheckable(true);
    connect(live, &QAction::triggered, this, [this](bool on) {
        globalOptions.livePreview = on;
        setLivePreview(on);
    });
    separator(view);
    connect(addItem(view, "RefreshItem", QStringLiteral("Refre&sh"), QKeySequence(Qt::Key_F5)),
            &QAction::triggered, this, [this] { memo1->viewport()->update(); });

    QMenu* window = MainMenu1->addMenu(QStringLiteral("&Window"));
    window->menuAction()->setObjectName(QStringLiteral("Window1"));
    auto area = [] { return g_host ? g_host->mdiArea() : nullptr; };
    connect(addItem(window, "WindowCascadeItem", QStringLiteral("&Cascade")), &QAction::triggered,
            this, [area] { if (QMdiArea* a = area()) a->cascadeSubWindows(); });
    connect(addItem(window, "WindowTileItem", QStringLiteral("&Tile")), &QAction::triggered, this,
            [area] { if (QMdiArea* a = area()) a->tileSubWindows(); });
    connect(addItem(window, "WindowArrangeItem", QStringLiteral("&Arrange Icons")),
            &QAction::triggered, this, [area] {
                // Minimised windows line up again along the bottom of the area.
                if (QMdiArea* a = area()) {
                    const QList<QMdiSubWindow*> subs = a->subWindowList();
                    for (QMdiSubWindow* s : subs)
                        if (s->isMinimized())
                            s->showMinimized();
                }
            });
    connect(addItem(window, "WindowMinimizeItem", QStringLiteral("&Minimize All")),
            &QAction::triggered, this, [area] {
                if (QMdiArea* a = area()) {
                    const QList<QMdiSubWindow*> subs = a->subWindowList();
                    for (QMdiSubWindow* s : subs)
                        s->showMinimized();
                }
            });
    connect(addItem(window, "WindowCloseAllItem", QStringLiteral("C&lose All")),
            &QAction::triggered, this, [] { closeAllDocuments(); });

    QMenu* options = MainMenu1->addMenu(QStringLiteral("&Options"));
    options->menuAction()->setObjectName(QStringLiteral("Options1"));
    connect(addItem(options, "MainOptionsItem", QStringLiteral("Main &Options...")),
            &QAction::triggered, this, [] {
                if (g_host)
                    g_host->showOptions();
            });
    connect(addItem(options, "ChangeHotkeysItem", QStringLiteral("Change &hotkeys...")),
            &QAction::triggered, this, [] {
                if (g_host)
                    g_host->startHotkeyAssignment();
            });
    connect(addItem(options, "ColorRulesItem", QStringLiteral("&Color rules...")),
            &QAction::triggered, this, [this] {
                TcustomRulesDlg dialog(this);
                connect(&dialog, &TcustomRulesDlg::rulesSaved, &dialog, &recolorAllDocuments);
                dialog.exec();
            });
    connect(addItem(options, "CustomizeToolbarsItem", QStringLiteral("Customize &toolbars...")),
            &QAction::triggered, this, [] {
                if (g_host)
                    g_host->customizeToolbars();
            });
    addItem(options, "ChangeFontItem", QStringLiteral("C&hange Font..."));

    QMenu* help = MainMenu1->addMenu(QStringLiteral("&Help"));
    help->menuAction()->setObjectName(QStringLiteral("Help1"));
    connect(addItem(help, "HelpAboutItem", QStringLiteral("&About")), &QAction::triggered, this, [] {
        if (g_host)
            g_host->showAbout();
    });

    editPop = new QMenu(this);
    editPop->setObjectName(QStringLiteral("editPop"));
    connect(editPop->addAction(QStringLiteral("&Copy")), &QAction::triggered, this,
            [this] { MemoSource1.CopyToClipboard(); });
    connect(editPop->addAction(QStringLiteral("C&ut")), &QAction::triggered, this,
            [this] { MemoSource1.CutToClipboard(); });
    connect(editPop->addAction(QStringLiteral("&Paste")), &QAction::triggered, this,
            [this] { MemoSource1.PasteFromClipboard(); });
    editPop->addSeparator();
    editPop->addAction(QStringLiteral("&Open file (selected text)"))
        ->setObjectName(QStringLiteral("OpenSelectedFile2"));
    QAction* editTag2 = editPop->addAction(QStringLiteral("&Edit tag (at cursor)..."));
    editTag2->setObjectName(QStringLiteral("Edittagatcursor2"));
    connect(editTag2, &QAction::triggered, this, &TMDIChild::Edittagatcursor1Click);
    memo1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(memo1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { editPop->popup(memo1->mapToGlobal(pos)); });
}

void TMDIChild::Edittagatcursor1Click()
{
    editTagAtCursor(MemoSource1);
}

bool TMDIChild::eventFilter(QObject* watched, QEvent* event)
{
    // The editor takes the focus with a click even when the window was not active yet.
    if (watched == memo1->viewport() && event->type() == QEvent::MouseButtonPress
        && !memo1->hasFocus()) {
        setFocus();
        memo1->setFocus();
    }
    return QMainWindow::eventFilter(watched, event);
}

QString TMDIChild::statusText(int panel) const
{
    return panel >= 0 && panel < 4 ? m_panels[panel]->text() : QString();
}

void TMDIChild::updateStatusBar(uint32_t changes)
{
    if (changes & msCaretMoved)
        m_panels[0]->setText(QString::number(MemoSource1.CaretY() + 1) + QStringLiteral(": ")
                             + QString::number(MemoSource1.CaretX() + 1));
    if (changes & msOverwriteChanged)
        m_panels[2]->setText(TMemoSource::overwriteMode() ? QStringLiteral("Overwrite")
                                                          : QStringLiteral("Insert"));
    if (changes & msModifiedChanged)
        m_panels[1]->setText(MemoSource1.Modified() ? QStringLiteral("Modified") : QString());
    m_panels[3]->setText(groupedThousands(textSize()) + QStringLiteral(" bytes"));
}

qint64 TMDIChild::textSize() const
{
    const int lineEnd = MemoSource1.lineBreak() == lbCRLF ? 2 : 1;
    // The storage keeps the count: a per-line copy of the lengths would cost memory as
    // large files have many lines.
    return MemoSource1.charCount() + lineEnd * qint64(MemoSource1.lineCount() - 1);
}

void TMDIChild::refreshStatusBar()
{
    for (QLabel* panel : m_panels)
        panel->clear();
    updateStatusBar(msCaretMoved | msOverwriteChanged | msModifiedChanged);
}

void TMDIChild::memoChanged(const TMemoChange& change)
{
    if (change.FirstLine >= 0)
        textChangedForPreview();
    updateStatusBar(change.State & (msCaretMoved | msOverwriteChanged | msModifiedChanged));
}

void TMDIChild::setupColouring()
{
    if (!m_matcher) {
        m_matcher = std::make_unique<ColorRuleMatcher>(DCParser1);
        MemoSource1.setOnParseSyntax(DCParser1.parseSyntaxEvent());
        MemoSource1.setOnParseSyntaxFrom(DCParser1.parseSyntaxFromEvent());
    }
    memo1->setTextStyles(reloadColorStyles());
    MemoSource1.invalidateColors();
}

void TMDIChild::FormActivate()
{
    memo1->setFont(editorFont);
    menuItem(QStringLiteral("ToolsWindowItem"))->setChecked(globalOptions.toolsWindowVisible);
    menuItem(QStringLiteral("ImagePreviewItem"))->setChecked(globalOptions.imagePreviewVisible);
    menuItem(QStringLiteral("ToolbarsItem"))->setChecked(globalOptions.toolbarsVisible);
}

void TMDIChild::rebuildReopenMenu()
{
    buildReopenMenu(fileReopenList, m_reopenMenu, [](const QString& f) { openFile(f); });
}

bool TMDIChild::askToSave()
{
    if (!MemoSource1.Modified())
        return true;
    const auto answer = pm::dialogs().message(pm::Dialogs::Kind::Warning,
                                              QStringLiteral("Save changes in ") + caption()
                                                  + QLatin1Char('?'),
                                              pm::Dialogs::Buttons::YesNoCancel);
    if (answer == pm::Dialogs::Answer::Yes) {
        // A save that fails or whose dialog is cancelled keeps the window: closing it would
        // throw away what the user just asked to keep.
        return fileName.isEmpty() ? saveAs(this) : saveDocument(fileName, this);
    }
    return answer != pm::Dialogs::Answer::Cancel;
}

void TMDIChild::closeEvent(QCloseEvent* event)
{
    if (!m_saveAnswered && !askToSave()) {
        closeCancelled = true;
        event->ignore();
        return;
    }
    event->accept();
    if (g_host)
        g_host->documentWindowClosed(this);
}

// --- Document operations ------------------------------------------------------------------

QList<TMDIChild*> documentWindows()
{
    QList<TMDIChild*> out;
    if (!g_host || !g_host->mdiArea())
        return out;
    const QList<QMdiSubWindow*> subs = g_host->mdiArea()->subWindowList(QMdiArea::CreationOrder);
    for (QMdiSubWindow* s : subs)
        if (auto* child = qobject_cast<TMDIChild*>(s->widget()))
            out.append(child);
    return out;
}

TMDIChild* activeDocumentWindow()
{
    if (!g_host || !g_host->mdiArea())
        return nullptr;
    QMdiArea* area = g_host->mdiArea();
    QMdiSubWindow* sub = area->activeSubWindow();
    if (!sub)
        sub = area->currentSubWindow();
    return sub ? qobject_cast<TMDIChild*>(sub->widget()) : nullptr;
}

void recolorAllDocuments()
{
    for (TMDIChild* w : documentWindows()) {
        w->setupColouring();
        w->editor()->viewport()->update();
    }
}

namespace {

/// Follows whichever document window is active, so the wizard needs it handed over only once.
class TActiveWizardDocument : public TWizardDocument
{
public:
    QString text() const override
    {
        TMDIChild* w = activeDocumentWindow();
        return w ? w->source().text() : QString();
    }
    QString fileName() const override
    {
        TMDIChild* w = activeDocumentWindow();
        return w ? w->fileName : QString();
    }
    bool saveWithDialog() override
    {
        TMDIChild* w = activeDocumentWindow();
        return w && saveAs(w);
    }
};

} // namespace

TWizardDocument* activeWizardDocument()
{
    static TActiveWizardDocument document;
    return &document;
}

TMDIChild* newDocument()
{
    setStatus(QStringLiteral("Creating new window..."));
    const QString caption = QStringLiteral("Untitled:") + QString::number(documentWindows().size() + 1);
    TMDIChild* window = createDocumentWindow(caption, false);
    if (window && globalOptions.autoInsertTags) {
        setStatus(QStringLiteral("Inserting auto-insert tags...."));
        insertAutoInsertTags(window->source());
        window->refreshStatusBar();
    }
    setStatus(QStringLiteral("Ready"));
    return window;
}

namespace {

/// A new window's place: as large as the area allows less a margin, stepped down and right
/// from the windows already open, and always wholly inside the area's visible part.
void placeDocumentWindow(QMdiSubWindow* sub, QMdiArea* area)
{
    const QRect visible = area->viewport()->rect();
    constexpr int margin = 40;
    constexpr int step = 24;
    QSize size = visible.size() - QSize(margin, margin);
    // A small area gets windows as large as itself: smaller ones could not be worked in.
    if (size.width() < 240 || size.height() < 160)
        size = visible.size();
    size = size.expandedTo(QSize(1, 1));
    const int steps = std::min(visible.width() - size.width(), visible.height() - size.height())
        / step;
    int others = 0;
    const QList<QMdiSubWindow*> subs = area->subWindowList();
    for (QMdiSubWindow* s : subs)
        if (s != sub && s->isVisible() && !s->isMinimized())
            ++others;
    const int offset = steps > 0 ? (others % (steps + 1)) * step : 0;
    sub->setGeometry(QRect(visible.topLeft() + QPoint(offset, offset), size));
}

} // namespace

TMDIChild* createDocumentWindow(const QString& caption, bool bare)
{
    if (!g_host || !g_host->mdiArea())
        return nullptr;
    QMdiArea* area = g_host->mdiArea();
    // A new window follows the one the user works in: maximised when that one is.
    QMdiSubWindow* previous = area->activeSubWindow() ? area->activeSubWindow()
                                                       : area->currentSubWindow();
    const bool maximized = previous && previous->isMaximized();
    auto* window = new TMDIChild;
    window->setCaption(caption);
    window->fileName.clear();
    QMdiSubWindow* sub = area->addSubWindow(window);
    sub->setWindowTitle(caption);
    if (!bare) {
        QMenuBar* menu = window->mainMenu();
        loadDynamicMenus(dynamicMenusFileName, menu, 3, [window](QAction* item) {
            QString title = item->text();
            title.remove(QLatin1Char('&'));
            dynamicMenuItemClick(item->data().toInt(), title, &window->source());
        });
        setCurrentHotkeyMenu(menu);
        applyHotkeys();
        loadReopenList(fileReopenList, fileReopenSection);
        window->rebuildReopenMenu();
        window->setupColouring();
        window->source().setDelimeters(parserDelimiters);
        window->menuItem(QStringLiteral("ToolsWindowItem"))
            ->setChecked(globalOptions.toolsWindowVisible);
        window->source().setModified(false);
        window->refreshStatusBar();
        g_host->addOpenedFile(caption, window);
        if (globalOptions.livePreview)
            window->setLivePreview(true);
    }
    if (maximized) {
        sub->showMaximized();
    } else {
        placeDocumentWindow(sub, area);
        sub->show();
    }
    // Typing goes into the new text at once, also when the frame becomes active only later.
    window->editor()->setFocus();
    return window;
}

namespace {

/// Whether a document can be read at all, before a window is made for it: a window that
/// closes again at once is only noise. A failure is told with the file's name.
bool documentReadable(const QString& name)
{
    QFile file(name);
    if (file.open(QIODevice::ReadOnly))
        return true;
    pm::dialogs().error(QStringLiteral("Cannot open the file\r\n") + name + QStringLiteral("\r\n")
                        + file.errorString());
    return false;
}

void reportLoadFailure(const QString& name, const QString& error)
{
    pm::dialogs().error(QStringLiteral("Cannot open the file\r\n") + name + QStringLiteral("\r\n")
                        + error);
}

} // namespace

TMDIChild* openFile(const QString& requested, bool bare)
{
    BusyCursor busy;
    QString name = requested;
    if (name.isEmpty())
        name = showFileDialog(0, fileDialogFilterIndex);
    TMDIChild* window = nullptr;
    if (!name.isEmpty() && QFileInfo(name).isFile()) {
        const QString ext = lowerExtension(name);
        if (ext == QLatin1String(".pmp")) {
            loadProject(name);
            if (g_host)
                g_host->showProjectPage();
        } else if (isPictureFileName(name)) {
            if (g_host)
                g_host->showImagePreview(name);
        } else if (documentReadable(name)) {
            setStatus(QStringLiteral("Creating new window..."));
            window = createDocumentWindow(name, bare);
            if (window) {
                setStatus(QStringLiteral("Opening file..."));
                QString error;
                if (!window->source().loadFile(name, &error)) {
                    // Nothing was loaded: an empty window under the file's name would invite
                    // saving it over the file.
                    reportLoadFailure(name, error);
                    window->source().setModified(false);
                    if (auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget()))
                        sub->close();
                    window = nullptr;
                } else {
                    if (!globalOptions.keepTabsOnOpen)
                        window->source().expandTabs(4);
                    window->fileName = name;
                    window->source().setModified(false);
                    if (!bare) {
                        window->refreshStatusBar();
                        setStatus(QStringLiteral("Adding to Reopen menu..."));
                        addToReopenList(fileReopenList, name);
                        saveReopenList(fileReopenList, fileReopenSection);
                        setStatus(QStringLiteral("Updating Reopen menus..."));
                        rebuildAllReopenMenus();
                    }
                }
            }
        }
    }
    setStatus(QStringLiteral("Ready"));
    return window;
}

bool saveDocument(const QString& requested, TMDIChild* window)
{
    if (requested.isEmpty() || !window)
        return false;
    BusyCursor busy;
    QString name = requested;
    if (!name.contains(QLatin1Char('.')))
        name += QLatin1Char('.') + globalOptions.defaultExt;
    QString error;
    if (!window->source().SaveToFile(name, &error)) {
        pm::dialogs().error(QStringLiteral("Cannot save the file\r\n") + name
                            + QStringLiteral("\r\n") + error);
        return false;
    }
    if (g_host)
        g_host->renameOpenedFile(window, name);
    window->fileName = name;
    window->source().setModified(false);
    window->setCaption(name);
    window->refreshStatusBar();
    window->documentSaved();
    if (name.compare(dynamicMenusFileName, Qt::CaseInsensitive) == 0) {
        QStringList lines;
        const int count = window->source().lineCount();
        lines.reserve(count);
        for (int i = 0; i < count; ++i)
            lines.append(window->source().line(i));
        checkMenusFileAfterSave(name, lines);
    }
    return true;
}

bool saveActive(TMDIChild* window)
{
    if (!window)
        return false;
    return window->fileName.isEmpty() ? saveAs(window) : saveDocument(window->fileName, window);
}

bool saveAs(TMDIChild* window)
{
    if (!window)
        return false;
    const QString name = showFileDialog(1, fileDialogFilterIndex);
    return !name.isEmpty() && saveDocument(name, window);
}

QString fileDialogFolder()
{
    // projectDir starts as the program's own folder and changes only when a project is loaded
    // or saved; until then the user's own folders are the useful start.
    if (projectDir != applicationFolder)
        return projectDir;
    const QString& last = globalOptions.lastDialogFolder;
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last;
    return QDir::homePath() + QLatin1Char('/');
}

QString showFileDialog(int mode, int filterIndex)
{
    pm::Dialogs::FileRequest request;
    request.title = mode == 0 ? QStringLiteral("Open file") : QStringLiteral("Save file");
    request.folder = fileDialogFolder();
    request.filter = qtFilter(fileDialogFilter);
    request.filterIndex = filterIndex - 1;
    QString name;
    if (mode == 0) {
        const QStringList names = pm::dialogs().openFiles(request);
        name = names.isEmpty() ? QString() : names.first();
    } else {
        name = pm::dialogs().saveFile(request);
    }
    if (!name.isEmpty())
        globalOptions.lastDialogFolder = QFileInfo(name).absolutePath() + QLatin1Char('/');
    return name;
}

bool closeAllDocumentsForExit()
{
    closeCancelled = false;
    const QList<TMDIChild*> windows = documentWindows();
    // Every question first: a Cancel on any of them leaves every window as it was.
    for (qsizetype i = windows.size() - 1; i >= 0; --i) {
        if (!windows[i]->askToSave()) {
            for (TMDIChild* w : windows)
                w->setSaveAnswered(false);
            closeCancelled = true;
            return false;
        }
        windows[i]->setSaveAnswered(true);
    }
    for (qsizetype i = windows.size() - 1; i >= 0; --i) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(windows[i]->parentWidget()))
            sub->close();
        else
            windows[i]->close();
    }
    return documentWindows().isEmpty();
}

bool closeAllDocuments()
{
    closeCancelled = false;
    QList<TMDIChild*> windows = documentWindows();
    for (qsizetype i = windows.size() - 1; i >= 0; --i) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(windows[i]->parentWidget()))
            sub->close();
        else
            windows[i]->close();
        if (closeCancelled)
            return false;
    }
    return true;
}

void rebuildAllReopenMenus()
{
    const QList<TMDIChild*> windows = documentWindows();
    for (TMDIChild* w : windows)
        w->rebuildReopenMenu();
}

TMDIChild* openCommandLineDocument(const QString& fileName)
{
    BusyCursor busy;
    if (!documentReadable(fileName))
        return nullptr;
    // Unlike File > Open: tabs stay and the reopen list is not touched.
    TMDIChild* window = createDocumentWindow(fileName, false);
    if (!window)
        return nullptr;
    QString error;
    if (!window->source().LoadFromFile(fileName, &error)) {
        reportLoadFailure(fileName, error);
        window->source().setModified(false);
        if (auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget()))
            sub->close();
        return nullptr;
    }
    window->fileName = fileName;
    window->source().setModified(false);
    window->refreshStatusBar();
    return window;
}
