/** @file TProjectPanel.cpp ** The Project page of the tools window. **/
#include "project/panel/TProjectPanel.h"

#include "core/global_utl.h"
#include "core/reopen_utl.h"
#include "document/Childwin.h"
#include "document/common/files_utl.h"
#include "platform/Dialogs.h"
#include "project/project_utl.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr int projectsFilter = 7; ///< "Projects" in the shared dialogs' filter list
constexpr int htmlsFilter = 2; ///< "HTMLs"

} // namespace

/// The project's files as the list shows them: "Filename", "Path", in the project's order.
class TProjectFilesModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    void reload()
    {
        beginResetModel();
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(currentProject().files().size());
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : 2;
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        const QList<TProjectItem>& files = currentProject().files();
        if (role != Qt::DisplayRole || !index.isValid() || index.row() >= files.size())
            return QVariant();
        const TProjectItem& item = files[index.row()];
        return index.column() == 0 ? item.fileName : item.path;
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return QVariant();
        return section == 0 ? QStringLiteral("Filename") : QStringLiteral("Path");
    }
};

// --- The save question ----------------------------------------------------------------

bool saveCurrentProjectAs()
{
    QString name = showFileDialog(1, projectsFilter);
    if (name.isEmpty())
        return false;
    // The shared dialog adds a page's extension, if any; a project without one would not be
    // known for a project again.
    if (QFileInfo(name).suffix().isEmpty())
        name += QStringLiteral(".pmp");
    return saveProject(name);
}

bool saveCurrentProject()
{
    return projectFileName.isEmpty() ? saveCurrentProjectAs() : saveProject(projectFileName);
}

TProjectAnswer askSaveProject()
{
    if (!projectModified)
        return TProjectAnswer::NotAsked;
    const auto answer = pm::dialogs().message(pm::Dialogs::Kind::Warning,
        QStringLiteral("Save project?\r\n") + currentProject().name() + QStringLiteral("\r\n")
            + projectFileName,
        pm::Dialogs::Buttons::YesNoCancel);
    switch (answer) {
    case pm::Dialogs::Answer::Yes:
        return saveCurrentProject() ? TProjectAnswer::Yes : TProjectAnswer::Cancel;
    case pm::Dialogs::Answer::No:
        return TProjectAnswer::No;
    default:
        return TProjectAnswer::Cancel;
    }
}

// --- The panel --------------------------------------------------------------------------

TProjectPanel::TProjectPanel(QWidget* page, QWidget* frame)
    : QWidget(page)
    , m_page(page)
{
    setObjectName(QStringLiteral("projectPanel"));
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->addWidget(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    projectToolbar = new QToolBar(this);
    projectToolbar->setObjectName(QStringLiteral("projectToolbar"));
    projectToolbar->setIconSize(QSize(16, 16));
    auto add = [this](const char* name, QStyle::StandardPixmap icon, const QString& hint) {
        QAction* a = projectToolbar->addAction(style()->standardIcon(icon), hint);
        a->setObjectName(QLatin1String(name));
        a->setToolTip(hint);
        a->setStatusTip(hint);
        return a;
    };
    connect(add("projectNewBtn", QStyle::SP_FileIcon, QStringLiteral("Create a new project file")),
        &QAction::triggered, this, &TProjectPanel::projectNewBtnClick);
    QAction* open
        = add("projectOpenBtn", QStyle::SP_DialogOpenButton, QStringLiteral("Open project"));
    connect(open, &QAction::triggered, this, &TProjectPanel::projectOpenBtnClick);
    projectReopenPop = new QMenu(this);
    projectReopenPop->setObjectName(QStringLiteral("projectReopenPop"));
    projectReopenMenuItem = projectReopenPop->addMenu(QStringLiteral("&Reopen a project"));
    projectReopenMenuItem->setObjectName(QStringLiteral("projectReopenMenuItem"));
    open->setMenu(projectReopenPop);
    m_openButton = qobject_cast<QToolButton*>(projectToolbar->widgetForAction(open));
    if (m_openButton)
        m_openButton->setPopupMode(QToolButton::MenuButtonPopup);
    connect(add("projectSaveBtn", QStyle::SP_DialogSaveButton, QStringLiteral("Save project")),
        &QAction::triggered, this, [] { saveCurrentProject(); });
    connect(add("projectSaveAsBtn", QStyle::SP_DriveFDIcon, QStringLiteral("Save project as")),
        &QAction::triggered, this, [] { saveCurrentProjectAs(); });
    projectToolbar->addSeparator();
    connect(add("projectViewNotesBtn", QStyle::SP_FileDialogContentsView,
                QStringLiteral("Show/Hide Project notes")),
        &QAction::triggered, this, &TProjectPanel::projectViewNotesBtnClick);
    connect(add("projectViewFNBtn", QStyle::SP_ComputerIcon, QStringLiteral("View selected file")),
        &QAction::triggered, this, &TProjectPanel::projectViewFNBtnClick);
    connect(add("projectRemoveFN", QStyle::SP_TrashIcon,
                QStringLiteral("Remove selected file from project")),
        &QAction::triggered, this, &TProjectPanel::projectRemoveFNClick);
    connect(add("projectAddFN", QStyle::SP_FileDialogNewFolder,
                QStringLiteral("Add a file to project")),
        &QAction::triggered, this, &TProjectPanel::projectAddFNClick);
    connect(add("projectAddCurrentFN", QStyle::SP_ArrowDown,
                QStringLiteral("Add currently opened file to project")),
        &QAction::triggered, this, &TProjectPanel::projectAddCurrentFNClick);
    layout->addWidget(projectToolbar);

    projectNamePanel = new QWidget(this);
    projectNamePanel->setObjectName(QStringLiteral("projectNamePanel"));
    auto* nameLayout = new QHBoxLayout(projectNamePanel);
    nameLayout->setContentsMargins(0, 0, 7, 0); // the edit stays 7 pixels narrower
    projectName = new QLineEdit(projectNamePanel);
    projectName->setObjectName(QStringLiteral("projectName"));
    QFont bold = projectName->font();
    bold.setBold(true);
    projectName->setFont(bold);
    nameLayout->addWidget(projectName);
    layout->addWidget(projectNamePanel);
    connect(projectName, &QLineEdit::textEdited, this,
        [](const QString& text) { currentProject().setName(text); });

    projectFiles = new QTreeView(this);
    projectFiles->setObjectName(QStringLiteral("projectFiles"));
    m_model = new TProjectFilesModel(projectFiles);
    projectFiles->setModel(m_model);
    projectFiles->setRootIsDecorated(false);
    projectFiles->setUniformRowHeights(true);
    projectFiles->setEditTriggers(QAbstractItemView::NoEditTriggers);
    projectFiles->setSelectionMode(QAbstractItemView::SingleSelection);
    projectFiles->setSelectionBehavior(QAbstractItemView::SelectRows);
    layout->addWidget(projectFiles, 1);
    connect(projectFiles, &QTreeView::activated, this, &TProjectPanel::projectFilesActivated);
    connect(projectFiles->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        &TProjectPanel::projectFilesSelectionChanged);

    projectFNTitle = new QLabel(this);
    projectFNTitle->setObjectName(QStringLiteral("projectFNTitle"));
    projectFNTitle->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    layout->addWidget(projectFNTitle);

    projectNotesWindow = new QWidget(frame, Qt::Tool);
    projectNotesWindow->setObjectName(QStringLiteral("projectNotesWindow"));
    projectNotesWindow->setWindowTitle(QStringLiteral("Project Notes"));
    auto* notesLayout = new QVBoxLayout(projectNotesWindow);
    notesLayout->setContentsMargins(0, 0, 0, 0);
    projectNotesMemo = new QPlainTextEdit(projectNotesWindow);
    projectNotesMemo->setObjectName(QStringLiteral("projectNotesMemo"));
    projectNotesMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    notesLayout->addWidget(projectNotesMemo);
    projectNotesWindow->installEventFilter(this);
    connect(projectNotesMemo, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_applying)
            currentProject().setNotes(projectNotesMemo->toPlainText());
    });

    page->setAcceptDrops(true);
    page->installEventFilter(this);

    TProject& project = currentProject();
    connect(&project, &TProject::nameChanged, this, &TProjectPanel::showName);
    connect(&project, &TProject::filesChanged, this, [this] {
        const QString selected = selectedPath();
        m_model->reload();
        selectPath(selected);
    });
    connect(&project, &TProject::notesChanged, this, &TProjectPanel::showNotes);
    connect(&project, &TProject::notesWindowChanged, this, &TProjectPanel::applyNotesWindow);
    connect(&project, &TProject::loaded, this, &TProjectPanel::projectLoaded);
    showName();
    showNotes();
    applyNotesWindow();
}

TProjectPanel::~TProjectPanel()
{
    // The notes window belongs to the frame; it goes with the panel that fills it.
    delete projectNotesWindow;
}

QAction* TProjectPanel::button(const QString& name) const
{
    const QList<QAction*> actions = projectToolbar->actions();
    for (QAction* a : actions)
        if (a->objectName() == name)
            return a;
    return nullptr;
}

QString TProjectPanel::selectedPath() const
{
    const QModelIndexList rows = projectFiles->selectionModel()->selectedRows();
    const QList<TProjectItem>& files = currentProject().files();
    if (rows.isEmpty() || rows.first().row() >= files.size())
        return QString();
    return projectItemPath(files[rows.first().row()]);
}

void TProjectPanel::selectPath(const QString& fullPath)
{
    if (fullPath.isEmpty())
        return;
    const TProjectItem item = projectItemFor(fullPath);
    const QList<TProjectItem>& files = currentProject().files();
    const auto at = std::lower_bound(files.begin(), files.end(), item, projectItemLess);
    if (at == files.end() || !(*at == item))
        return;
    const QModelIndex index = m_model->index(int(at - files.begin()), 0);
    projectFiles->setCurrentIndex(index);
    projectFiles->scrollTo(index);
}

void TProjectPanel::rebuildReopenMenu()
{
    buildReopenMenu(
        projectReopenList, projectReopenMenuItem, [](const QString& f) { loadProject(f); });
}

void TProjectPanel::setAddCurrentEnabled(bool enabled)
{
    button(QStringLiteral("projectAddCurrentFN"))->setEnabled(enabled);
}

void TProjectPanel::dropFiles(const QStringList& fileNames)
{
    for (const QString& f : fileNames)
        addFileToProject(f);
}

void TProjectPanel::projectLoaded(const QString& fileName)
{
    addToReopenList(projectReopenList, fileName);
    saveReopenList(projectReopenList, projectReopenSection);
    rebuildReopenMenu();
}

void TProjectPanel::showName()
{
    if (projectName->text() != currentProject().name())
        projectName->setText(currentProject().name());
}

void TProjectPanel::showNotes()
{
    if (projectNotesMemo->toPlainText() == currentProject().notes())
        return;
    m_applying = true;
    projectNotesMemo->setPlainText(currentProject().notes());
    m_applying = false;
}

void TProjectPanel::applyNotesWindow()
{
    const TNotesWindowState& s = currentProject().notesWindow();
    m_applying = true;
    // A hand-edited file may hold any numbers: the window stays usable and on a screen.
    QRect r(s.left, s.top, std::clamp(s.width, 80, 4000), std::clamp(s.height, 60, 4000));
    bool onScreen = false;
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (QScreen* screen : screens)
        onScreen = onScreen || screen->availableGeometry().intersects(r);
    if (!onScreen && !screens.isEmpty())
        r.moveTopLeft(screens.first()->availableGeometry().topLeft());
    projectNotesWindow->move(r.topLeft());
    projectNotesWindow->resize(r.size());
    projectNotesWindow->setVisible(s.visible);
    m_applying = false;
}

void TProjectPanel::storeNotesWindow(bool visible)
{
    TNotesWindowState s = currentProject().notesWindow();
    s.visible = visible;
    if (projectNotesWindow->isVisible()) {
        const QPoint at = projectNotesWindow->pos();
        s.top = at.y();
        s.left = at.x();
        s.width = projectNotesWindow->width();
        s.height = projectNotesWindow->height();
    }
    currentProject().setNotesWindow(s);
}

bool TProjectPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_page) {
        if (event->type() == QEvent::DragEnter) {
            auto* e = static_cast<QDragEnterEvent*>(event);
            if (e->mimeData()->hasUrls()) {
                e->acceptProposedAction();
                return true;
            }
        } else if (event->type() == QEvent::Drop) {
            auto* e = static_cast<QDropEvent*>(event);
            QStringList names;
            const QList<QUrl> urls = e->mimeData()->urls();
            for (const QUrl& url : urls)
                if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile())
                    names.append(url.toLocalFile());
            e->acceptProposedAction();
            dropFiles(names);
            return true;
        }
    } else if (watched == projectNotesWindow && !m_applying) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
            if (projectNotesWindow->isVisible())
                storeNotesWindow(true);
            break;
        case QEvent::Close:
            // Its own close button hides it, as the toolbar's toggle does.
            storeNotesWindow(false);
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TProjectPanel::projectNewBtnClick()
{
    if (askSaveProject() == TProjectAnswer::Cancel)
        return;
    newProject();
}

void TProjectPanel::projectOpenBtnClick()
{
    const QString name = showFileDialog(0, projectsFilter);
    if (!name.isEmpty())
        loadProject(name);
}

void TProjectPanel::projectRemoveFNClick()
{
    const QModelIndexList rows = projectFiles->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return;
    const int row = rows.first().row();
    const auto answer = pm::dialogs().message(pm::Dialogs::Kind::Warning,
        QStringLiteral("Are you sure you want to remove\r\n")
            + currentProject().files().at(row).fileName + QStringLiteral("\r\nfrom your project?"),
        pm::Dialogs::Buttons::YesNo);
    if (answer == pm::Dialogs::Answer::Yes)
        currentProject().removeFile(row);
    projectModified = true;
}

void TProjectPanel::projectAddFNClick()
{
    const QString name = showFileDialog(0, htmlsFilter);
    if (name.isEmpty())
        return;
    addFileToProject(name);
    openFile(name);
}

void TProjectPanel::projectAddCurrentFNClick()
{
    // Disabled while no document window exists; then there is nothing to add.
    TMDIChild* window = activeDocumentWindow();
    if (!window)
        return;
    if (window->fileName.isEmpty()) {
        const QString name = showFileDialog(1, htmlsFilter);
        if (!name.isEmpty())
            saveDocument(name, window);
        if (window->fileName.isEmpty())
            return;
    }
    addFileToProject(window->fileName);
}

void TProjectPanel::projectViewNotesBtnClick()
{
    const bool show = !projectNotesWindow->isVisible();
    m_applying = true;
    projectNotesWindow->setVisible(show);
    m_applying = false;
    storeNotesWindow(show);
}

void TProjectPanel::projectViewFNBtnClick()
{
    const QString path = selectedPath();
    if (!path.isEmpty() && onViewFile)
        onViewFile(path);
}

void TProjectPanel::projectFilesActivated()
{
    const QString path = selectedPath();
    if (!path.isEmpty())
        openFile(path);
}

void TProjectPanel::projectFilesSelectionChanged()
{
    // The list is rebuilt when files come and go and its selection put back: the same file
    // selected again is not read (or reported missing) again.
    const QString path = selectedPath();
    if (path.isEmpty() || path == m_titleOf)
        return;
    m_titleOf = path;
    projectFNTitle->setText(readHtmlTitle(path));
}
