/** @file TProjectPanel.h ** The tools window's Project page: the project toolbar, the file list
 ** with its title strip, the name, the floating notes window, and the save question. **/
#pragma once

#include <QWidget>
#include <functional>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QToolBar;
class QToolButton;
class QTreeView;
class TProjectFilesModel;

/// The answers of askSaveProject; NotAsked when the project had not changed.
enum class TProjectAnswer { Yes, No, Cancel, NotAsked };

/// If the project is modified, asks "Save project?" (Yes, No, Cancel). Yes saves as the Save
/// button does, asking for a file first when the project has none; a save that is cancelled
/// or fails answers Cancel, so that nothing goes on to drop the project.
TProjectAnswer askSaveProject();
/// The Save button: to `projectFileName`, else as Save as. True when saved.
bool saveCurrentProject();
/// The Save as button: asks for a name (".pmp" added when it has no extension). True when
/// saved.
bool saveCurrentProjectAs();

class TProjectPanel : public QWidget
{
    Q_OBJECT
public:
    /// Fills `page` (the tools window's project page, which takes the files dropped on it);
    /// the notes window floats over `frame`.
    TProjectPanel(QWidget* page, QWidget* frame);
    ~TProjectPanel() override;

    QToolBar* toolbar() const { return projectToolbar; }
    QTreeView* files() const { return projectFiles; }
    QLineEdit* nameEdit() const { return projectName; }
    QLabel* titleStrip() const { return projectFNTitle; }
    QWidget* notesWindow() const { return projectNotesWindow; }
    QPlainTextEdit* notesMemo() const { return projectNotesMemo; }
    /// The "&Reopen a project" submenu.
    QMenu* reopenMenu() const { return projectReopenMenuItem; }
    /// A toolbar button by its name (projectNewBtn, projectOpenBtn, ...).
    QAction* button(const QString& name) const;

    /// Full path of the selected file, empty when none is selected.
    QString selectedPath() const;
    /// Selects the row of this full path (none when it is not listed).
    void selectPath(const QString& fullPath);

    /// Rebuilds "&Reopen a project" from the project reopen list.
    void rebuildReopenMenu();
    /// "Add currently opened file to project" is enabled exactly while a document window exists.
    void setAddCurrentEnabled(bool enabled);
    /// Adds files dropped on the page, in drop order; they are not opened.
    void dropFiles(const QStringList& fileNames);

    /// Shows a file in the browser ("View selected file"); the browser view is handed in.
    std::function<void(const QString& fileName)> onViewFile;

    // The toolbar's buttons.
    void projectNewBtnClick();
    void projectOpenBtnClick();
    void projectRemoveFNClick();
    void projectAddFNClick();
    void projectAddCurrentFNClick();
    void projectViewNotesBtnClick();
    void projectViewFNBtnClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void projectFilesActivated();
    void projectFilesSelectionChanged();
    void showName();
    void showNotes();
    void applyNotesWindow();
    void storeNotesWindow(bool visible);
    void projectLoaded(const QString& fileName);

    QWidget* m_page = nullptr;
    QToolBar* projectToolbar = nullptr;
    QToolButton* m_openButton = nullptr;
    QMenu* projectReopenPop = nullptr;
    QMenu* projectReopenMenuItem = nullptr;
    QWidget* projectNamePanel = nullptr;
    QLineEdit* projectName = nullptr;
    QTreeView* projectFiles = nullptr;
    TProjectFilesModel* m_model = nullptr;
    QLabel* projectFNTitle = nullptr;
    QWidget* projectNotesWindow = nullptr;
    QPlainTextEdit* projectNotesMemo = nullptr;
    QString m_titleOf; ///< the file the title strip shows
    bool m_applying = false; ///< the project is being shown: edits are not the user's
};
