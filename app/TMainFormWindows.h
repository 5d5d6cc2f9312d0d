/** @file TMainFormWindows.h ** The document side of the main window: the tools window, the image
 ** preview, menu merging, file drops, hotkey assignment and the start-up steps that belong to
 ** them. The main window owns one and hands it its frame parts. **/
#pragma once

#include "app/startup_utl.h"
#include "core/settings_utl.h"
#include "document/TDocumentHost.h"

#include <QObject>
#include <QPointer>
#include <functional>

class QAction;
class QKeyEvent;
class QMainWindow;
class QMdiArea;
class QMenu;
class QMenuBar;
class THotkeyPanel;
class TImagePreviewWindow;
class TMDIChild;
class TProjectPanel;
class TToolWindow;
class TpublishFilesFrm;
class TsearchDlg;

/// The frame parts the main window already has.
struct TMainFormParts {
    QMainWindow* form = nullptr;
    QMdiArea* area = nullptr;
    QMenu* fileMenu = nullptr;   ///< the frame's own "&File"
    QMenu* reopenMenu = nullptr; ///< its "&Reopen"
    QMenu* helpMenu = nullptr;   ///< its "&Help"
    QAction* newAction = nullptr;
    QAction* openAction = nullptr;
    QAction* aboutAction = nullptr;
};

class TMainFormWindows : public QObject,
                         public TDocumentHost,
                         public TStartupSteps,
                         public TSettingsWindows
{
    Q_OBJECT
public:
    /// Installs itself as the document host.
    explicit TMainFormWindows(const TMainFormParts& parts);
    ~TMainFormWindows() override;
    /// The form is being destroyed: its menus must not be touched any more, although the MDI
    /// area still reports activations while its windows are hidden and taken down.
    void formDestroying();

    TToolWindow* toolWindow() const { return m_toolWindow; }
    TImagePreviewWindow* imagePreview() const { return m_imagePreview; }
    THotkeyPanel* hotkeyPanel() const { return m_hotkeyPanel; }
    TProjectPanel* projectPanel() const { return m_projectPanel; }
    /// The search dialog, made at its first use and kept for the whole run.
    TsearchDlg* searchDialog();
    /// The publish window, made at its first use and kept for the whole run.
    TpublishFilesFrm* publishWindow();

    /// The first open document window with exactly this caption, or null.
    TMDIChild* findDocumentWindow(const QString& caption) const;
    /// Shows the active document window's menus in the frame's menu bar, or the frame's own
    /// File and Help menus when there is none. `leaving` is a window about to close.
    void mergeMenus(TMDIChild* leaving = nullptr);
    /// The active-window handler: with no document window the frame's "&Reopen" is rebuilt.
    void UpdateMenuItems(TMDIChild* leaving = nullptr);
    /// Shows or hides every user toolbar of the frame.
    void setToolbarsVisible(bool visible);
    /// Ends the hotkey assignment: OK saves the keys and applies them again.
    void finishHotkeyAssignment(bool ok);
    /// Makes the results list the tools window's active page.
    void showResultsPage();
    /// The frame's place from the settings: the stored one fitted into its screen, or on the
    /// first start most of the screen. Runs once the settings are loaded.
    void placeMainWindow();
    /// Makes the frame the active window and gives the active document's editor the keyboard,
    /// unless the user is in another of our windows or outside the documents. Runs at the end
    /// of start-up and after each modal dialog closes.
    void giveKeyboardToWork();

    // TStartupSteps
    void afterFileNames() override;
    void loadFileReopenList() override;
    void loadProjectReopenList() override;
    void initializeToolsWindow() override;
    void loadLastProject() override;
    void installHandlers() override;
    void loadReopenMenus() override;
    void loadDynamicMenus() override;
    void loadToolbars() override;
    void openCommandLineDocument(const QString& fileName) override;
    void openCommandLineProject(const QString& fileName) override;
    bool closeDocumentWindows() override;
    bool askSaveProject() override;

    // TSettingsWindows
    void applyToolsWindowPage(int page) override;
    void beforeSave() override;
    void saveToolbarPositions(const QString& key) override;

    // TDocumentHost
    QMdiArea* mdiArea() override { return m_parts.area; }
    void addOpenedFile(const QString& caption, TMDIChild* window) override;
    void renameOpenedFile(TMDIChild* window, const QString& newCaption) override;
    void removeOpenedFile(TMDIChild* window) override;
    void showImagePreview(const QString& fileName) override;
    void showProjectPage() override;
    void showSearchDialog() override;
    void showPublishWindow() override;
    void applyToolsWindowVisible() override;
    void applyImagePreviewVisible() override;
    void applyToolbarsVisible() override;
    void startHotkeyAssignment() override;
    void customizeToolbars() override;
    void closeMainWindow() override;
    void showOptions() override;
    void showAbout() override;
    void documentWindowClosed(TMDIChild* window) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeHotkeyPanel();
    void placeImagePreview();
    /// Opens the merged bar's menu whose "&" letter is the Alt+key pressed. True when it did.
    bool openMenuByMnemonic(const QKeyEvent* event);
    void rebuildFrameReopenMenu();

    TMainFormParts m_parts;
    TToolWindow* m_toolWindow = nullptr;
    TImagePreviewWindow* m_imagePreview = nullptr;
    THotkeyPanel* m_hotkeyPanel = nullptr;
    TProjectPanel* m_projectPanel = nullptr;
    TsearchDlg* m_searchDlg = nullptr;
    TpublishFilesFrm* m_publishFrm = nullptr;
    QPointer<TMDIChild> m_hotkeyEditorWindow; ///< its editor is disabled while assigning
    TMDIChild* m_temporaryWindow = nullptr;  ///< start-up's menu window, freed after toolbars
    TDocumentHost* m_previousDocumentHost = nullptr;
};
