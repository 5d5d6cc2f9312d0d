/** @file TToolWindow.cpp ** The tools window's pages. **/
#include "app/TToolWindow.h"

#include "document/Childwin.h"
#include "document/common/picture_utl.h"
#include "editor/TDCMemo.h"
#include "platform/Shell.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QStorageInfo>
#include <QStyle>
#include <QTabWidget>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

Q_DECLARE_METATYPE(QPointer<TMDIChild>)

TToolWindow::TToolWindow(QWidget* parent) : QDockWidget(QStringLiteral("Tools"), parent)
{
    setObjectName(QStringLiteral("toolWindow"));
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable
                | QDockWidget::DockWidgetFloatable);
    toolPages = new QTabWidget(this);
    toolPages->setObjectName(QStringLiteral("toolPages"));

    openFilesPage = new QWidget;
    openFilesPage->setObjectName(QStringLiteral("openFilesPage"));
    auto* openLayout = new QVBoxLayout(openFilesPage);
    openLayout->setContentsMargins(0, 0, 0, 0);
    openedFiles = new QListWidget(openFilesPage);
    openedFiles->setObjectName(QStringLiteral("openedFiles"));
    openedFiles->setEditTriggers(QAbstractItemView::NoEditTriggers);
    openLayout->addWidget(openedFiles);
    connect(openedFiles, &QListWidget::itemActivated, this, &TToolWindow::activateOpenedFile);
    toolPages->addTab(openFilesPage, QStringLiteral("Open Files"));

    projectPage = new QWidget;
    projectPage->setObjectName(QStringLiteral("projectPage"));
    toolPages->addTab(projectPage, QStringLiteral("Project"));

    dirPage = new QWidget;
    dirPage->setObjectName(QStringLiteral("dirPage"));
    auto* dirLayout = new QVBoxLayout(dirPage);
    dirLayout->setContentsMargins(0, 0, 0, 0);
    m_fileModel = new QFileSystemModel(this);
    m_fileModel->setFilter(QDir::Files | QDir::NoDotAndDotDot);
    m_fileModel->setNameFilterDisables(false);
    fileList = new QListView(dirPage);
    fileList->setObjectName(QStringLiteral("fileList"));
    fileList->setModel(m_fileModel);
    fileList->setDragEnabled(true);
    fileList->setDragDropMode(QAbstractItemView::DragOnly);
    fileList->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(fileList, &QListView::activated, this,
            [this](const QModelIndex& index) { openListedFile(m_fileModel->filePath(index)); });
    m_dirModel = new QFileSystemModel(this);
    m_dirModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    dirList = new QTreeView(dirPage);
    dirList->setObjectName(QStringLiteral("dirList"));
    dirList->setModel(m_dirModel);
    dirList->setHeaderHidden(true);
    for (int c = 1; c < m_dirModel->columnCount(); ++c)
        dirList->hideColumn(c);
    connect(dirList, &QTreeView::clicked, this,
            [this](const QModelIndex& index) { setFolder(m_dirModel->filePath(index)); });
    auto* panel2 = new QWidget(dirPage);
    panel2->setObjectName(QStringLiteral("panel2"));
    auto* panelLayout = new QVBoxLayout(panel2);
    panelLayout->setContentsMargins(1, 1, 1, 1);
    driveList = new QComboBox(panel2);
    driveList->setObjectName(QStringLiteral("driveList"));
    const QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
    for (const QStorageInfo& v : volumes)
        if (v.isValid() && v.isReady())
            driveList->addItem(v.rootPath());
    connect(driveList, &QComboBox::textActivated, this, [this](const QString& root) { setFolder(root); });
    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(new QLabel(QStringLiteral("Filter:"), panel2));
    filterList = new QComboBox(panel2);
    filterList->setObjectName(QStringLiteral("filterList"));
    filterRow->addWidget(filterList, 1);
    filterEdit = new QLineEdit(QStringLiteral("*.*"), panel2);
    filterEdit->setObjectName(QStringLiteral("filterEdit"));
    panelLayout->addWidget(driveList);
    panelLayout->addLayout(filterRow);
    panelLayout->addWidget(filterEdit);
    connect(filterList, &QComboBox::activated, this, [this](int index) {
        if (index >= 0 && index < m_filterMasks.size())
            filterEdit->setText(m_filterMasks[index]);
    });
    connect(filterEdit, &QLineEdit::textChanged, this, [this](const QString& text) {
        QStringList masks = text.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        // "*.*" names every file here, dotted or not.
        for (QString& m : masks)
            if (m.trimmed() == QLatin1String("*.*"))
                m = QStringLiteral("*");
        m_fileModel->setNameFilters(masks);
    });
    m_fileModel->setNameFilters({ QStringLiteral("*") });
    dirLayout->addWidget(fileList, 2);
    dirLayout->addWidget(dirList, 1);
    dirLayout->addWidget(panel2);
    toolPages->addTab(dirPage, QStringLiteral("Directory Files"));

    resultsPage = new QWidget;
    resultsPage->setObjectName(QStringLiteral("resultsPage"));
    auto* resultsLayout = new QVBoxLayout(resultsPage);
    resultsLayout->setContentsMargins(0, 0, 0, 0);
    resultsList = new QTreeWidget(resultsPage);
    resultsList->setObjectName(QStringLiteral("resultsList"));
    resultsList->setRootIsDecorated(false);
    resultsList->setHeaderLabels({ QStringLiteral("Description"), QStringLiteral("Text"),
                                   QStringLiteral("Position in line"), QStringLiteral("Line number"),
                                   QStringLiteral("Filename"), QStringLiteral("File Path") });
    connect(resultsList, &QTreeWidget::itemActivated, this, &TToolWindow::resultsListDblClick);
    clearBtn = new QPushButton(QStringLiteral("Clear"), resultsPage);
    clearBtn->setObjectName(QStringLiteral("clearBtn"));
    connect(clearBtn, &QPushButton::clicked, resultsList, &QTreeWidget::clear);
    undoReplaceBtn = new QPushButton(QStringLiteral("Undo replace in files"), resultsPage);
    undoReplaceBtn->setObjectName(QStringLiteral("undoReplaceBtn"));
    undoReplaceBtn->setEnabled(false);
    auto* resultsButtons = new QHBoxLayout;
    resultsButtons->addWidget(clearBtn);
    resultsButtons->addWidget(undoReplaceBtn);
    resultsLayout->addWidget(resultsList);
    resultsLayout->addLayout(resultsButtons);
    toolPages->addTab(resultsPage, QStringLiteral("Results"));

    setWidget(toolPages);
}

namespace {

TMDIChild* entryWindow(const QListWidgetItem* item)
{
    return item->data(Qt::UserRole).value<QPointer<TMDIChild>>().data();
}

} // namespace

QListWidgetItem* TToolWindow::openedFileEntry(const TMDIChild* window) const
{
    for (int i = 0; i < openedFiles->count(); ++i)
        if (entryWindow(openedFiles->item(i)) == window)
            return openedFiles->item(i);
    return nullptr;
}

void TToolWindow::addOpenedFile(const QString& caption, TMDIChild* window)
{
    if (window && openedFileEntry(window))
        return;
    auto* item = new QListWidgetItem(caption, openedFiles);
    item->setData(Qt::UserRole, QVariant::fromValue(QPointer<TMDIChild>(window)));
}

void TToolWindow::renameOpenedFile(TMDIChild* window, const QString& newCaption)
{
    if (QListWidgetItem* item = openedFileEntry(window))
        item->setText(newCaption);
}

void TToolWindow::removeOpenedFile(TMDIChild* window)
{
    delete openedFileEntry(window);
}

QStringList TToolWindow::openedFileCaptions() const
{
    QStringList out;
    for (int i = 0; i < openedFiles->count(); ++i)
        out.append(openedFiles->item(i)->text());
    return out;
}

void TToolWindow::activateOpenedFile(QListWidgetItem* item)
{
    if (!item)
        return;
    // The entry's window may be gone; then nothing happens.
    const QPointer<TMDIChild> window = entryWindow(item);
    if (!window)
        return;
    if (auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget())) {
        if (QMdiArea* area = sub->mdiArea())
            area->setActiveSubWindow(sub);
        sub->raise();
    }
    window->FormActivate();
}

void TToolWindow::setFilterList(const QString& filter)
{
    filterList->clear();
    m_filterMasks.clear();
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        filterList->addItem(parts[i] + QStringLiteral(" (") + parts[i + 1] + QLatin1Char(')'));
        m_filterMasks.append(parts[i + 1]);
    }
}

void TToolWindow::setFolder(const QString& folder)
{
    if (folder.isEmpty())
        return;
    m_dirModel->setRootPath(QDir::rootPath());
    dirList->setCurrentIndex(m_dirModel->index(folder));
    dirList->scrollTo(m_dirModel->index(folder));
    fileList->setRootIndex(m_fileModel->setRootPath(folder));
}

QString TToolWindow::folder() const
{
    return m_fileModel->rootPath();
}

void TToolWindow::openListedFile(const QString& fileName)
{
    const QString ext = QFileInfo(fileName).suffix().toLower();
    if (ext == QLatin1String("htm") || ext == QLatin1String("html")) {
        openFile(fileName);
    } else if (ext == QLatin1String("pmp")) {
        if (onOpenProject)
            onOpenProject(fileName);
        toolPages->setCurrentIndex(ProjectPage);
    } else if (isPictureFileName(fileName)) {
        if (onPreviewImage)
            onPreviewImage(fileName);
    } else {
        pm::shell().open(fileName);
    }
}

void TToolWindow::addResultRow(const QStringList& columns)
{
    if (resultsList->columnCount() < columns.size())
        resultsList->setColumnCount(int(columns.size()));
    auto* item = new QTreeWidgetItem(resultsList, columns);
    const QString description = columns.value(0);
    if (description == QLatin1String("Search match"))
        item->setIcon(0, style()->standardIcon(QStyle::SP_FileDialogContentsView));
    else if (description == QLatin1String("Replace results"))
        item->setIcon(0, style()->standardIcon(QStyle::SP_BrowserReload));
    toolPages->setCurrentIndex(ResultsPage);
}

void TToolWindow::resultsListDblClick(QTreeWidgetItem* item)
{
    enum { description, text, position, line, fileName, filePath };
    if (!item)
        return;
    const QString full = item->text(filePath) + item->text(fileName);
    const QString kind = item->text(description);
    if (full.isEmpty()
        || (kind != QLatin1String("Search match") && !kind.contains(QLatin1String("Syntax error"))))
        return;
    TMDIChild* window = nullptr;
    const QList<TMDIChild*> windows = documentWindows();
    for (TMDIChild* w : windows)
        if (!window && w->caption() == full)
            window = w;
    // An untitled document that is no longer open cannot be reached.
    if (!window && !full.toLower().contains(QLatin1String("untitled:")))
        window = openFile(full);
    if (!window)
        return;
    const int row = item->text(line).toInt();
    const int start = item->text(position).toInt() - 1;
    const int end = start + int(item->text(text).size());
    window->source().setSelection(smStream, start, row, end, row);
    window->source().setCaret(end, row);
    if (auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget())) {
        if (QMdiArea* area = sub->mdiArea())
            area->setActiveSubWindow(sub);
        sub->raise();
    }
    window->editor()->centerCaretLine();
    window->editor()->setFocus();
}
