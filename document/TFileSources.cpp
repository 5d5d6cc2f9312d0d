/** @file TFileSources.cpp ** The pages that offer files to a list. **/
#include "document/TFileSources.h"

#include "document/Childwin.h"
#include "project/project_utl.h"

#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStorageInfo>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

TFileSources::TFileSources(const QString& folder, const QString& filter, QWidget* parent)
    : QTabWidget(parent)
{
    setObjectName(QStringLiteral("sourcePages"));
    m_openedFiles = new QTreeWidget(this);
    m_openedFiles->setObjectName(QStringLiteral("openedFiles"));
    m_openedFiles->setHeaderLabels({ QStringLiteral("Filename") });
    m_projectFiles = new QTreeWidget(this);
    m_projectFiles->setObjectName(QStringLiteral("projectFilesList"));
    m_projectFiles->setHeaderLabels({ QStringLiteral("Filename"), QStringLiteral("Path") });
    for (QTreeWidget* t : { m_openedFiles, m_projectFiles }) {
        t->setRootIsDecorated(false);
        t->setSelectionMode(QAbstractItemView::ExtendedSelection);
        t->setDragEnabled(true);
        t->setDragDropMode(QAbstractItemView::DragOnly);
    }
    addTab(m_openedFiles, QStringLiteral("Open files"));
    addTab(m_projectFiles, QStringLiteral("Project files"));
    addTab(buildFolderPage(filter), QStringLiteral("Directory files"));

    // The keyboard adds files too, not only a drag.
    for (QAbstractItemView* v : { static_cast<QAbstractItemView*>(m_openedFiles),
             static_cast<QAbstractItemView*>(m_projectFiles),
             static_cast<QAbstractItemView*>(m_fileList) }) {
        v->installEventFilter(this);
        connect(v, &QAbstractItemView::doubleClicked, this, [this, v] { emit filesChosen(v); });
    }
    setFolder(folder);
}

QWidget* TFileSources::buildFolderPage(const QString& filter)
{
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    m_driveList = new QComboBox(page);
    m_driveList->setObjectName(QStringLiteral("driveList"));
    const QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
    for (const QStorageInfo& v : volumes)
        if (v.isValid() && v.isReady())
            m_driveList->addItem(v.rootPath());
    connect(m_driveList, &QComboBox::textActivated, this, &TFileSources::setFolder);
    m_dirModel = new QFileSystemModel(this);
    m_dirModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_dirModel->setRootPath(QDir::rootPath());
    m_dirTree = new QTreeView(page);
    m_dirTree->setObjectName(QStringLiteral("dirTree"));
    m_dirTree->setModel(m_dirModel);
    m_dirTree->setHeaderHidden(true);
    for (int c = 1; c < m_dirModel->columnCount(); ++c)
        m_dirTree->hideColumn(c);
    connect(m_dirTree, &QTreeView::clicked, this,
        [this](const QModelIndex& index) { setFolder(m_dirModel->filePath(index)); });
    m_fileList = new QListWidget(page);
    m_fileList->setObjectName(QStringLiteral("fileList"));
    m_fileList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_fileList->setDragEnabled(true);
    m_fileList->setDragDropMode(QAbstractItemView::DragOnly);
    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(new QLabel(QStringLiteral("Filter:"), page));
    m_filterList = new QComboBox(page);
    m_filterList->setObjectName(QStringLiteral("filterList"));
    filterRow->addWidget(m_filterList, 1);
    m_filterEdit = new QLineEdit(QStringLiteral("*.*"), page);
    m_filterEdit->setObjectName(QStringLiteral("filterEdit"));
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        m_filterList->addItem(parts[i] + QStringLiteral(" (") + parts[i + 1] + u')');
        m_filterMasks.append(parts[i + 1]);
    }
    connect(m_filterList, &QComboBox::activated, this, [this](int index) {
        if (index >= 0 && index < m_filterMasks.size())
            m_filterEdit->setText(m_filterMasks[index]);
    });
    connect(m_filterEdit, &QLineEdit::textChanged, this, &TFileSources::fillFileList);
    layout->addWidget(m_driveList);
    layout->addWidget(m_dirTree, 1);
    layout->addWidget(m_fileList, 1);
    layout->addLayout(filterRow);
    layout->addWidget(m_filterEdit);
    return page;
}

void TFileSources::refresh()
{
    m_projectFiles->clear();
    const QList<TProjectItem>& files = currentProject().files();
    for (const TProjectItem& f : files)
        new QTreeWidgetItem(m_projectFiles, { f.fileName, f.path });
    m_openedFiles->clear();
    m_openedLinks.clear();
    QStringList captions;
    const QList<TMDIChild*> windows = documentWindows();
    for (TMDIChild* w : windows) {
        if (captions.contains(w->caption()))
            continue;
        captions.append(w->caption());
        m_openedLinks.insert(new QTreeWidgetItem(m_openedFiles, { w->caption() }), w);
    }
}

bool TFileSources::isSource(const QObject* source) const
{
    return source == m_fileList || source == m_projectFiles || source == m_openedFiles
        || source == m_fileList->viewport() || source == m_projectFiles->viewport()
        || source == m_openedFiles->viewport();
}

QList<TFileSources::File> TFileSources::selectedFiles(const QObject* source) const
{
    QList<File> out;
    if (source == m_fileList || source == m_fileList->viewport()) {
        QString folder = m_folder;
        if (!folder.endsWith(u'/'))
            folder += u'/';
        const QList<QListWidgetItem*> items = m_fileList->selectedItems();
        for (QListWidgetItem* i : items)
            out.append({ folder + i->text(), nullptr });
    } else if (source == m_projectFiles || source == m_projectFiles->viewport()) {
        const QList<QTreeWidgetItem*> items = m_projectFiles->selectedItems();
        for (QTreeWidgetItem* i : items)
            out.append({ i->text(1) + i->text(0), nullptr });
    } else if (source == m_openedFiles || source == m_openedFiles->viewport()) {
        const QList<QTreeWidgetItem*> items = m_openedFiles->selectedItems();
        for (QTreeWidgetItem* i : items)
            out.append({ i->text(0), m_openedLinks.value(i) });
    }
    return out;
}

void TFileSources::setFolder(const QString& folder)
{
    if (folder.isEmpty())
        return;
    m_folder = folder;
    const QModelIndex index = m_dirModel->index(folder);
    m_dirTree->setCurrentIndex(index);
    m_dirTree->scrollTo(index);
    fillFileList();
}

void TFileSources::fillFileList()
{
    QStringList masks = m_filterEdit->text().split(u';', Qt::SkipEmptyParts);
    for (QString& m : masks) {
        m = m.trimmed();
        if (m == QLatin1String("*.*"))
            m = QStringLiteral("*"); // every file, dotted or not
    }
    m_fileList->clear();
    m_fileList->addItems(QDir(m_folder).entryList(masks, QDir::Files | QDir::Hidden, QDir::Name));
}

bool TFileSources::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            emit filesChosen(watched);
            return true;
        }
    }
    return QTabWidget::eventFilter(watched, event);
}
