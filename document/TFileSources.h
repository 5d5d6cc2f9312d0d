/** @file TFileSources.h ** The three pages that offer files to a list: the open documents, the
 ** current project's files, and a folder's files under a filter. Dialogs that gather files
 ** (search in files, publish) take their files from here by drag, Enter or double click. **/
#pragma once

#include <QHash>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QTabWidget>

class QComboBox;
class QFileSystemModel;
class QLineEdit;
class QListWidget;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;
class TMDIChild;

class TFileSources : public QTabWidget
{
    Q_OBJECT
public:
    /// The folder page starts at `folder`; `filter` holds "Name|mask" pairs for its filter list.
    TFileSources(const QString& folder, const QString& filter, QWidget* parent);

    struct File
    {
        QString name; ///< a path, or an open document's caption
        QPointer<TMDIChild> window; ///< set for an open document
    };

    /// Fills the open documents' and the project's pages from the program as it is now; each
    /// caption is offered once.
    void refresh();
    /// Whether `source` is one of the pages' lists (or a list's viewport).
    bool isSource(const QObject* source) const;
    /// The files selected in `source`, in the list's order.
    QList<File> selectedFiles(const QObject* source) const;

    QString folder() const { return m_folder; }
    void setFolder(const QString& folder);

    QTreeWidget* openedFiles() const { return m_openedFiles; }
    QTreeWidget* projectFilesList() const { return m_projectFiles; }
    QListWidget* fileList() const { return m_fileList; }
    QLineEdit* filterEdit() const { return m_filterEdit; }

signals:
    /// Enter or a double click in `source`: its selection is meant to join the list.
    void filesChosen(QObject* source);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildFolderPage(const QString& filter);
    void fillFileList();

    QTreeWidget* m_openedFiles = nullptr;
    QTreeWidget* m_projectFiles = nullptr;
    QComboBox* m_driveList = nullptr;
    QTreeView* m_dirTree = nullptr;
    QFileSystemModel* m_dirModel = nullptr;
    QListWidget* m_fileList = nullptr;
    QComboBox* m_filterList = nullptr;
    QLineEdit* m_filterEdit = nullptr;
    QStringList m_filterMasks;
    QString m_folder;
    QHash<QTreeWidgetItem*, QPointer<TMDIChild>> m_openedLinks;
};
