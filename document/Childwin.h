/** @file Childwin.h ** A document window: one document in its editor, its own menus and
 ** status bar, and the operations that create, open, save and close documents. **/
#pragma once

#include "colour/TDCParser.h"
#include "editor/TMemoSource.h"

#include <QMainWindow>
#include <QPointer>
#include <memory>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QSplitter;
class QTabWidget;
class QTimer;
class ColorRuleMatcher;
class TPreviewPane;
class TDCMemo;
class TWizardDocument;

class TMDIChild : public QMainWindow, private TMemoListener
{
    Q_OBJECT

public:
    /// The form's tag.
    static constexpr int formTag = 1;

    /// FormCreate: builds the components; the set-up steps are createDocumentWindow's.
    explicit TMDIChild(QWidget* parent = nullptr);
    ~TMDIChild() override;

    QString caption() const { return windowTitle(); }
    void setCaption(const QString& caption);

    /// The menu item (or submenu item) with this component name, or null.
    QAction* menuItem(const QString& name) const;
    QMenuBar* mainMenu() const { return MainMenu1; }
    QMenu* reopenMenu() const { return m_reopenMenu; }
    QMenu* contextMenu() const { return editPop; }
    QTabWidget* pages() const { return PageControl1; }
    TDCMemo* editor() const { return memo1; }
    TMemoSource& source() { return MemoSource1; }
    /// The status bar panels 0 (caret), 1 (modified), 2 (insert mode), 3 (size).
    QString statusText(int panel) const;

    /// Fills the status bar for the changes in `changes` (msCaretMoved, msOverwriteChanged,
    /// msModifiedChanged); the size panel always.
    void updateStatusBar(uint32_t changes);
    /// Every panel from scratch.
    void refreshStatusBar();
    /// The size the size panel shows: the text with the document's own line ends (those it
    /// is saved with), less the final one.
    qint64 textSize() const;

    /// Colours the text by the colour rules: the rule matcher on the tokenizer, the styles
    /// read again from the colour rules file.
    void setupColouring();

    void FormActivate();
    /// The save question of a modified document: Yes saves it, No lets it go. False when the
    /// user cancelled or the save did not happen, so the window must stay.
    bool askToSave();
    /// The question was asked already: the next close does not ask again.
    void setSaveAnswered(bool answered) { m_saveAnswered = answered; }
    /// "&Edit tag (at cursor)..." of the Edit menu and the editor's pop-up menu.
    void Edittagatcursor1Click();
    /// Fills the "Reopen" submenu from the file reopen list.
    void rebuildReopenMenu();

    /// "View in &browser": the save question of a modified document, then viewInBrowser.
    void ViewInBrowserItemClick();
    /// The Edit and Preview pages switched: the Preview page shows the saved file itself, or
    /// the current text when it is modified, untitled or its file is gone.
    void PageControl1Change();
    /// The preview beside the editor, following the typing.
    void setLivePreview(bool on);
    bool livePreview() const { return m_livePreview; }
    /// A live refresh waits for the typing to pause.
    bool livePreviewPending() const;
    /// Shows the document in the preview now (the file, or its current text).
    void refreshPreview();
    /// The document was written to its file.
    void documentSaved();
    /// Pages larger than this (bytes) are not previewed live while typing, only when saved.
    static constexpr qint64 livePreviewLimit = 4 * 1024 * 1024;
    /// The wait after the last keystroke before the live preview follows.
    static constexpr int livePreviewDelayMs = 300;

    /// Full path of the document's file; empty while untitled.
    QString fileName;
    /// The preview page's browser, or null when the control is not available. Its web view
    /// is made when it first shows a page.
    TPreviewPane* webBrowser = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void memoChanged(const TMemoChange& change) override;
    void buildMenus();
    QAction* addItem(QMenu* menu, const char* name, const QString& caption,
                     const QKeySequence& key = QKeySequence());
    void textChangedForPreview();
    /// Puts the preview where it is seen: on the Preview page while that is active, else
    /// beside the editor when the live preview is on.
    void placePreview();

    QMenuBar* MainMenu1 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* editPage = nullptr;
    QWidget* previewPage = nullptr;
    TDCMemo* memo1 = nullptr;
    TMemoSource MemoSource1;
    TDCParser DCParser1;
    std::unique_ptr<ColorRuleMatcher> m_matcher; ///< registered with DCParser1
    QMenu* editPop = nullptr;
    QMenu* m_reopenMenu = nullptr;
    QLabel* m_panels[4] = {};
    bool m_saveAnswered = false;
    QSplitter* m_editSplit = nullptr; ///< the editor, and the live preview when it is on
    QTimer* m_liveTimer = nullptr;
    bool m_livePreview = false;
    bool m_bigPageNoted = false; ///< the status bar told that this page follows saves only

};

/// All document windows in creation order.
QList<TMDIChild*> documentWindows();
/// The active document window (the most recent one when the frame is not active), or null.
TMDIChild* activeDocumentWindow();

/// Set when the user cancels a save question; stops "Close All" and program exit.
extern bool closeCancelled;
/// The shared filter index of the Open and Save dialogs (1-based: 2 is "HTMLs").
extern int fileDialogFilterIndex;
/// The filter of the shared Open and Save dialogs, in their own "Name|mask|..." form.
extern const QString fileDialogFilter;

/// Every document window takes its styles from the colour rules file again and repaints.
void recolorAllDocuments();
/// The active document window as the wizard sees it (nothing while none is open).
TWizardDocument* activeWizardDocument();

TMDIChild* newDocument();
TMDIChild* createDocumentWindow(const QString& caption, bool bare);
/// Opens a document, a project (loaded, and its page shown) or a picture by extension; asks
/// for a name when `name` is empty. Returns the new document window, or null.
TMDIChild* openFile(const QString& name = QString(), bool bare = false);
/// Writes the document to `name` (adding the default extension when the name has no dot).
/// True when the file was written; a failure is reported and leaves the document modified.
bool saveDocument(const QString& name, TMDIChild* window);
/// Save: to the window's file, else Save As. True when it was saved.
bool saveActive(TMDIChild* window);
bool saveAs(TMDIChild* window);
/// Mode 0 open, 1 save; `filterIndex` is 1-based. Empty when cancelled. The chosen name's
/// folder is where the next dialog starts.
QString showFileDialog(int mode, int filterIndex);
/// Where the Open and Save dialogs start: the project's folder once a project is loaded, else
/// the folder last used in either dialog, else the home folder.
QString fileDialogFolder();
/// Closes document windows from the last to the first until the user cancels. True when all
/// closed.
bool closeAllDocuments();
/// The program's exit: asks the save question of every modified document first, from the last
/// window to the first, and closes them all only when none was cancelled. True when all closed.
bool closeAllDocumentsForExit();
/// Rebuilds the "Reopen" submenu of every document window.
void rebuildAllReopenMenus();
/// A document named on the command line: loaded as it is (tabs kept), not added to the reopen
/// list. Null when it could not be read (the user is told).
TMDIChild* openCommandLineDocument(const QString& fileName);
