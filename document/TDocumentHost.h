/** @file TDocumentHost.h ** What document windows need from the main window that holds them.
 ** The main window installs itself; tests install a small host of their own. **/
#pragma once

#include <QString>

class QMdiArea;
class TMDIChild;

class TDocumentHost
{
public:
    virtual ~TDocumentHost() = default;
    /// Where document windows live. Never null while a host is installed.
    virtual QMdiArea* mdiArea() = 0;

    // The tools window's opened-files list: one entry per window, shown by its caption. Two
    // windows may show the same file and so the same caption.
    virtual void addOpenedFile(const QString& caption, TMDIChild* window)
    {
        (void)caption, (void)window;
    }
    virtual void renameOpenedFile(TMDIChild* window, const QString& newCaption)
    {
        (void)window, (void)newCaption;
    }
    virtual void removeOpenedFile(TMDIChild* window) { (void)window; }

    virtual void showImagePreview(const QString& fileName) { (void)fileName; }
    /// Brings the tools window's project page to the front (a project was just opened).
    virtual void showProjectPage() {}
    /// "Search&Replace...": the search dialog, modal.
    virtual void showSearchDialog() {}
    /// "&Publish files to an FTP server...": the publish window, modal.
    virtual void showPublishWindow() {}
    /// The tools window, image preview and toolbars shown or hidden as the settings now say.
    virtual void applyToolsWindowVisible() {}
    virtual void applyImagePreviewVisible() {}
    virtual void applyToolbarsVisible() {}
    /// "Change hotkeys..." with the current menu.
    virtual void startHotkeyAssignment() {}
    /// "Customize toolbars..." from the active document window.
    virtual void customizeToolbars() {}
    virtual void closeMainWindow() {}
    /// "Main Options...": the Options dialog.
    virtual void showOptions() {}
    virtual void showAbout() {}
    /// A document window closed; the main window shows its own menus when none is left.
    virtual void documentWindowClosed(TMDIChild* window) { (void)window; }
};

/// The host in use, or null before the main window exists.
TDocumentHost* documentHost();
/// Installs a host (not owned); returns the previous one.
TDocumentHost* setDocumentHost(TDocumentHost* host);
