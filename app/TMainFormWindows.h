/** @file TMainFormWindows.h ** The document side of the main window: the tools window, the image
 ** preview, menu merging, file drops, hotkey assignment and the start-up steps that belong to
 ** them. The main window owns one and hands it its frame parts. **/
#pragma once

#include "document/TDocumentHost.h"
#include "templates/TTemplateHost.h"

#include <QObject>
#include <QPointer>
#include <functional>

class QAction;
class QMainWindow;
class QMdiArea;
class QMenu;
class QMenuBar;
class THotkeyPanel;
class TImagePreviewWindow;
class TMDIChild;
class TToolWindow;

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

class TMainFormWindows : public QObject, public TDocumentHost, public TTemplateHost
{
    Q_OBJECT
public:
    /// Installs itself as the document host and the template host.
    explicit TMainFormWindows(const TMainFormParts& parts);
    ~TMainFormWindows() override;
    /// The form is being destroyed: its menus must not be touched any more, although the MDI
    /// area still reports activations while its windows are hidden and taken down.
    void formDestroying();

    TToolWindow* toolWindow() const { return m_toolWindow; }
    TImagePreviewWindow* imagePreview() const { return m_imagePreview; }
    THotkeyPanel* hotkeyPanel() const { return m_hotkeyPanel; }

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

    /// The one living instance (the main window's), or null.
    static TMainFormWindows* instance();
    /// Fills the start-up and settings seams that belong to the document side; they act on
    /// the instance living when they run. The program entry calls this before creating the
    /// main window.
    static void installStartupHooks();
    /// The toolbar file is read against the temporary window's menu here.
    std::function<void(QMenuBar* documentMenu)> onLoadToolbars;
    /// Projects are loaded here.
    std::function<void(const QString& fileName)> onLoadProject;

    // TDocumentHost
    QMdiArea* mdiArea() override { return m_parts.area; }
    void addOpenedFile(const QString& caption, TMDIChild* window) override;
    void renameOpenedFile(const QString& oldCaption, const QString& newCaption) override;
    void removeOpenedFile(const QString& caption) override;
    void showImagePreview(const QString& fileName) override;
    void openProject(const QString& fileName) override;
    void applyToolsWindowVisible() override;
    void applyImagePreviewVisible() override;
    void applyToolbarsVisible() override;
    void startHotkeyAssignment() override;
    void closeMainWindow() override;
    void showAbout() override;
    void documentWindowClosed(TMDIChild* window) override;

    // TTemplateHost
    void setStatus(const QString& text) override;
    void setProgress(int position, int maximum) override;
    void setBusyCursor(bool busy) override;
    void addResultRow(const QStringList& columns) override;
    void showResultsPage() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeHotkeyPanel();
    void rebuildFrameReopenMenu();

    TMainFormParts m_parts;
    TToolWindow* m_toolWindow = nullptr;
    TImagePreviewWindow* m_imagePreview = nullptr;
    THotkeyPanel* m_hotkeyPanel = nullptr;
    QPointer<TMDIChild> m_hotkeyEditorWindow; ///< its editor is disabled while assigning
    TMDIChild* m_temporaryWindow = nullptr;  ///< start-up's menu window, freed after toolbars
    TDocumentHost* m_previousDocumentHost = nullptr;
    TTemplateHost* m_previousTemplateHost = nullptr;
};
