/** @file TFileSearch.h ** Search and replace over a list of files, open or closed, with the
 ** editor's findText: the runs behind the search dialog and the bench (QtCore only). **/
#pragma once

#include "editor/TSearchOptions.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>

class TMemoSource;
class TReplaceBackups;

/// One entry of the search list: its caption (a full file name, or the caption of an
/// untitled window) and, when it came from an open document, that document's text.
struct TSearchEntry
{
    QString caption;
    TMemoSource* document = nullptr; ///< not owned; null for a file on disk
};

/// The results list's columns, in order.
enum TResultColumn {
    rcDescription,
    rcText,
    rcPosition,
    rcLine,
    rcFileName,
    rcFilePath,
    rcColumnCount
};
inline const QString searchMatchDescription = QStringLiteral("Search match");
inline const QString replaceResultsDescription = QStringLiteral("Replace results");

/// Where the search of a text starts: at the caret (index = caret column + 1) with "From
/// cursor"; with "Entire scope" findText places it (FirstSearch is set for that).
TSearchPos searchStart(const TMemoSource& text, TSearchOptions& options);

/// What a run sees of the user interface. The defaults never stop and never ask.
class TRunMonitor
{
public:
    virtual ~TRunMonitor() = default;
    /// Called between files and between matches, often: the interface may let events run
    /// here. True when the user has cancelled: the run stops at once.
    virtual bool cancelled() { return false; }
    /// Escape is held down, or was pressed since the last call.
    virtual bool escapePressed() { return false; }
    virtual void fileStarted(int index, int count, const QString& caption)
    {
        (void)index, (void)count, (void)caption;
    }
};

struct TSearchRunResult
{
    int filesSearched = 0;
    int filesMatched = 0;
    bool stopped = false; ///< cancelled before the last entry
    /// Entries whose match was selected in their open document instead of listed.
    QList<int> selectedInDocument;
    QStringList unreadable; ///< "file name: reason" for files that could not be loaded
};

/// Searches each entry in list order for its first match from its start. Each file matched
/// adds one "Search match" row (description, text, 1-based index, 0-based line, file name,
/// folder with "/"), except that with `inText` a match in an open document is selected
/// there (stream selection, caret at its end) instead. A closed file is read into a text of
/// its own, searched and released; one that does not exist is skipped.
TSearchRunResult searchInFiles(
    const QList<TSearchEntry>& entries, TSearchOptions options, bool inText, TRunMonitor& monitor);

/// The answers of the replace question.
enum class TReplaceAnswer { Yes, No, YesToAllInFile, NextFile, YesToAllFiles, AbortAllFiles };

/// What the progress window shows at a match.
struct TReplaceProgress
{
    int file = 0; ///< index of the entry
    int fileCount = 0;
    QString caption;
    int line = 0;
    int lineCount = 0;
    int charIndex = 0; ///< 1-based index of the match in its line
    int lineLength = 0;
    int replaced = 0; ///< in this file so far
};

/// The interface side of a replace run. The defaults are a run without windows: every
/// question is answered "Yes to all files" and closed files change in texts of their own.
class TReplaceHost : public TRunMonitor
{
public:
    /// A closed file whose matches are to be asked about: the host opens it in a document
    /// window and returns that window's text as read from the file, or null to go on
    /// without a window.
    virtual TMemoSource* openForQuestions(const QString& fileName)
    {
        (void)fileName;
        return nullptr;
    }
    /// The match is selected in `text` with the caret at its end; the user's answer.
    virtual TReplaceAnswer ask(TMemoSource& text, const TReplaceProgress& where)
    {
        (void)text, (void)where;
        return TReplaceAnswer::YesToAllFiles;
    }
    /// Progress at each match; throttling is the host's business.
    virtual void matchReached(const TReplaceProgress& where) { (void)where; }
    /// The run is done with a text openForQuestions gave: closed unless `keep` (an abort
    /// keeps the window open with its changes).
    virtual void release(TMemoSource* text, bool keep) { (void)text, (void)keep; }
};

struct TReplaceRunResult
{
    int filesProcessed = 0; ///< files that got a "Replace results" row
    int filesWritten = 0; ///< closed files written
    int documentsChanged = 0; ///< open documents changed (left unsaved)
    int replacements = 0;
    bool aborted = false;
    QStringList failures; ///< "file name: reason" for files that could not be read or written
};

/// Operation codes of a replace run's changes in a text: every change a run makes carries one
/// of them, so that an open document takes the whole run back in one Undo. Runs alternate
/// between the two, so that two runs in a row stay two steps.
constexpr uint8_t opReplaceInFilesA = 62;
constexpr uint8_t opReplaceInFilesB = 63;

/// Replaces `options.TextToFind` with `options.ReplaceWith` in each entry whose caption names
/// an existing file, asking through `host`. A closed file is read as a document window reads
/// it (tabs become four spaces); it is written only when something was replaced, and only
/// after `backups` (when given) has kept its old bytes; a read-only file is not written.
/// Every file processed adds a "Replace results" row: "\"find\" with \"replacement\"", the
/// count and " time(s)", an empty line, the file name and the folder.
TReplaceRunResult replaceInFiles(const QList<TSearchEntry>& entries, TSearchOptions options,
    TReplaceHost& host, TReplaceBackups* backups);

/// The file name part and the folder part (with its trailing "/") of a caption.
QString captionFileName(const QString& caption);
QString captionFolder(const QString& caption);
