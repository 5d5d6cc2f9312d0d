/** @file TToolWindow.h ** The dockable tools window: open files, the project page, the files
 ** of a folder, and the results list. **/
#pragma once

#include <QDockWidget>
#include <QStringList>
#include <functional>

class QComboBox;
class QFileSystemModel;
class QLineEdit;
class QListView;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTabWidget;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;
class TMDIChild;

class TToolWindow : public QDockWidget
{
    Q_OBJECT
public:
    enum Page { OpenFilesPage = 0, ProjectPage = 1, DirPage = 2, ResultsPage = 3 };

    explicit TToolWindow(QWidget* parent = nullptr);

    QTabWidget* pages() const { return toolPages; }
    QListWidget* openedFilesList() const { return openedFiles; }
    QTreeWidget* results() const { return resultsList; }
    QListView* files() const { return fileList; }
    QLineEdit* filter() const { return filterEdit; }
    /// The project panel's page; the project panel fills it.
    QWidget* projectPanel() const { return projectPage; }

    // The opened-files list: one entry per document window, shown by the window's caption.
    void addOpenedFile(const QString& caption, TMDIChild* window);
    void renameOpenedFile(TMDIChild* window, const QString& newCaption);
    void removeOpenedFile(TMDIChild* window);
    QStringList openedFileCaptions() const;

    /// The filter box's entries, from a "Name|mask|Name|mask" filter.
    void setFilterList(const QString& filter);
    /// The folder the folder and file lists show.
    void setFolder(const QString& folder);
    QString folder() const;
    /// The files page's double click: by extension, open, load the project, preview or hand
    /// to the desktop.
    void openListedFile(const QString& fileName);

    /// Appends a row (Description, Text, Position in line, Line number, Filename, File Path)
    /// with the picture of its kind, and brings the results page to the front.
    void addResultRow(const QStringList& columns);
    /// Double click or Enter on a row: a "Search match" or "Syntax error" row opens its file
    /// (unless it is an untitled document no longer open) and selects the text there.
    void resultsListDblClick(QTreeWidgetItem* item);
    /// "Undo replace in files", beside Clear; enabled while the last replace can be taken back.
    QPushButton* undoReplaceButton() const { return undoReplaceBtn; }

    /// What the files page does with a project file (load it and show the project page).
    std::function<void(const QString&)> onOpenProject;
    std::function<void(const QString&)> onPreviewImage;

private:
    void activateOpenedFile(QListWidgetItem* item);
    QListWidgetItem* openedFileEntry(const TMDIChild* window) const;

    QTabWidget* toolPages = nullptr;
    QWidget* openFilesPage = nullptr;
    QListWidget* openedFiles = nullptr;
    QWidget* projectPage = nullptr;
    QWidget* dirPage = nullptr;
    QListView* fileList = nullptr;
    QTreeView* dirList = nullptr;
    QComboBox* driveList = nullptr;
    QComboBox* filterList = nullptr;
    QLineEdit* filterEdit = nullptr;
    QStringList m_filterMasks; ///< masks of filterList's entries, in order
    QFileSystemModel* m_dirModel = nullptr;
    QFileSystemModel* m_fileModel = nullptr;
    QWidget* resultsPage = nullptr;
    QTreeWidget* resultsList = nullptr;
    QPushButton* clearBtn = nullptr;
    QPushButton* undoReplaceBtn = nullptr;
};
