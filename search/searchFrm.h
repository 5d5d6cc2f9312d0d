/** @file searchFrm.h ** The multi-file search and replace dialog: the search list filled from
 ** the open documents, the project and a folder, the options, the run with its progress window
 ** and question, and taking the last replace run back. **/
#pragma once

#include "search/engine/TFileSearch.h"
#include "search/engine/TReplaceBackups.h"

#include <QDialog>
#include <QHash>
#include <QPointer>
#include <memory>

class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QTabWidget;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;
class TFileSources;
class TMDIChild;
class TReplaceQuestion;
class TSearchList;
class TprocessForm;
class TreplaceDlg;

class TsearchDlg : public QDialog
{
    Q_OBJECT
public:
    /// FormCreate: the folder tree starts at `folder`, the filter box holds `filter` ("Name|mask"
    /// pairs). Lives for the whole run; the progress window floats over `frame`.
    TsearchDlg(QWidget* frame, const QString& folder, const QString& filter);
    ~TsearchDlg() override;

    /// Search&Replace...: FormShow, then the dialog, modal.
    void execute();
    void FormShow();
    /// Go: runs the search, or the replacement when the replace box is set, and closes the
    /// dialog. Nothing happens while the search list is empty.
    bool go();

    struct Entry
    {
        QString caption;
        QPointer<TMDIChild> window; ///< set when it came from the open documents
    };
    QList<Entry> entries() const;
    /// Adds an entry unless one with this caption is there (that one then takes the window).
    bool addEntry(const QString& caption, TMDIChild* window = nullptr);
    void clearEntries();
    /// The search list takes drops from the dialog's file list and list views, and files from
    /// the desktop.
    bool acceptsDropFrom(const QObject* source) const;
    /// The selected entries of `source` join the search list.
    void dropFrom(QObject* source);
    void removeSelectedEntries();
    /// Fewer than two entries: results "In the text", which may be changed; two or more, or
    /// replacing: "In Results panel", fixed. The replacement is editable exactly while replacing.
    void applyCheckBoxRule();
    /// The directory page's folder.
    void setFolder(const QString& folder);

    /// Whether the last replace run wrote files that can be put back.
    bool canUndoReplace() const { return !m_backups.isEmpty(); }
    /// "Undo replace in files": every file the last run wrote, unless it changed since.
    void undoReplaceInFiles();

    /// The question the runs ask (not owned); null: the dialog's own "Replace ?".
    void setReplaceQuestion(TReplaceQuestion* question) { m_question = question; }
    TprocessForm* processForm() const { return m_process.get(); }

    // The controls, by their names.
    QLineEdit* searchFor() const { return m_searchFor; }
    QLineEdit* replaceWith() const { return m_replaceWith; }
    QCheckBox* replaceChk() const { return m_replaceChk; }
    QCheckBox* caseChk() const { return m_caseChk; }
    QCheckBox* wholeChk() const { return m_wholeChk; }
    QRadioButton* backward() const { return m_backward; }
    QRadioButton* entireScope() const { return m_entireScope; }
    QRadioButton* selectedText() const { return m_selected; }
    QRadioButton* inTheText() const { return m_inText; }
    QRadioButton* inResultsPanel() const { return m_inPanel; }
    QTreeWidget* openedFiles() const;
    QTreeWidget* projectFilesList() const;
    QListWidget* fileList() const;
    QLineEdit* filterEdit() const;
    QTreeWidget* filesListBox() const;

signals:
    void undoAvailableChanged(bool available);

private:
    QWidget* buildOptions();
    TSearchOptions options() const;
    void runSearch(const QList<TSearchEntry>& list, const TSearchOptions& o);
    void runReplace(const QList<TSearchEntry>& list, const TSearchOptions& o);

    QWidget* m_frame = nullptr;
    TFileSources* m_sources = nullptr;
    TSearchList* m_list = nullptr;
    QHash<QTreeWidgetItem*, QPointer<TMDIChild>> m_links; ///< entries from open documents

    QLineEdit* m_searchFor = nullptr;
    QCheckBox* m_replaceChk = nullptr;
    QLineEdit* m_replaceWith = nullptr;
    QCheckBox* m_caseChk = nullptr;
    QCheckBox* m_wholeChk = nullptr;
    QRadioButton* m_forward = nullptr;
    QRadioButton* m_backward = nullptr;
    QRadioButton* m_fromCursor = nullptr;
    QRadioButton* m_entireScope = nullptr;
    QRadioButton* m_global = nullptr;
    QRadioButton* m_selected = nullptr;
    QRadioButton* m_inText = nullptr;
    QRadioButton* m_inPanel = nullptr;
    QWidget* m_resultsGroup = nullptr;

    std::unique_ptr<TprocessForm> m_process;
    std::unique_ptr<TreplaceDlg> m_replaceDlg;
    TReplaceQuestion* m_question = nullptr;
    TReplaceBackups m_backups; ///< the last replace run's copies, until the next run or exit
};
