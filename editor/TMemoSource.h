/** @file TMemoSource.h ** Manages the lines of a document: text, caret, selection, undo, colours. **/
#pragma once

#include "editor/LineText.h"
#include "editor/TCharSet.h"
#include "editor/TPosition.h"
#include "editor/TTabStops.h"
#include "editor/TUndoRecord.h"

#include <QFlags>
#include <QList>
#include <QStringList>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class QIODevice;
class TextClipboard;
class TLineArena;
struct TSearchOptions;
struct TSearchPos;

enum TStringsOption : uint32_t {
    soBackUnindents = 0x001,
    soGroupUndo = 0x002,
    soBeyondFileEnd = 0x004,
    soForceCutCopy = 0x008,
    soAutoIndent = 0x010,
    soSmartTab = 0x020,
    soFindTextAtCursor = 0x040,
    soUndoAfterSave = 0x080,
    soCreateBackups = 0x100,
};
Q_DECLARE_FLAGS(TStringsOptions, TStringsOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TStringsOptions)

enum TSelectionMode : uint8_t { smNone = 0, smStream = 1, smColumn = 2 };

/// Operation codes given to beginChange; undo takes back runs of records sharing a code.
enum TMemoOp : uint8_t {
    opCaretMove = 2,
    opInsertAtCaret = 5, ///< also typing a character
    opBackspace = 8,
    opCut = 20,
    opPaste = 22,
    opUpperCase = 25,
    opLowerCase = 26,
    opSetSelection = 31,
    opReplaceSelection = 38,
    opInsertText = 39,
    opEnter = 40,
    opDelete = 46, ///< the Delete key and deleteSelection
    opClearSelection = 47,
    opLoadFile = 48,
    opSetModified = 49,
    opTab = 52,
    opSetLines = 60, ///< setting, inserting or deleting whole lines through the line list
    opDragDrop = 61, ///< moving or copying text by drag and drop (one undo step per drop)
};

/// Bits of TMemoChange::State; 0x01, 0x10 and 0x40 are the ones a view's OnStateChange reports.
enum TMemoState : uint32_t {
    msCaretMoved = 0x01,
    msSelectionChanged = 0x02,
    msTextChanged = 0x04,
    msLineCountChanged = 0x08,
    msOverwriteChanged = 0x10,
    msModifiedChanged = 0x40,
    msTabStopsChanged = 0x100, ///< where tabs end on screen changed
};

/// What one outermost change bracket did, sent to every attached view at its end.
struct TMemoChange {
    uint32_t State = 0; ///< TMemoState bits
    /// Lines to repaint, in the numbering after the change; -1 when no text changed. When
    /// msLineCountChanged is set every line from FirstLine to the end of the window moved.
    int FirstLine = -1;
    int LastLine = -1;
    int LineDelta = 0; ///< lines inserted (positive) or removed (negative)
    /// The characters of FirstLine before this column are the ones it held before the change
    /// (at most its length).
    int FirstColumn = 0;
};

class TMemoListener
{
public:
    virtual ~TMemoListener() = default;
    virtual void memoChanged(const TMemoChange& change) = 0;
    /// The storage is being destroyed; it detaches the listener itself.
    virtual void memoDestroyed() { }
};

/// Encoding a document was read with; saving writes the same one.
enum TTextEncoding : uint8_t { teUtf8, teLatin1 };
/// Line ends a document was read with; saving writes the same kind.
enum TLineBreak : uint8_t { lbLF, lbCRLF, lbCR };

class TMemoSource
{
public:
    TMemoSource();
    ~TMemoSource();
    TMemoSource(const TMemoSource&) = delete;
    TMemoSource& operator=(const TMemoSource&) = delete;

    // --- Lines ------------------------------------------------------------------------
    /// Never 0: an empty document is one empty line.
    int lineCount() const;
    /// Out-of-range lines read as empty. The view is valid until the line changes.
    LineText lineText(int line) const;
    /// The same without closing a gap a long line may hold (see LineText::hasGap): for what
    /// runs per keystroke or per painted line and reads characters by at(). Valid until the
    /// line changes or a view or its colours are asked for.
    LineText lineView(int line) const;
    QString line(int line) const;
    int lineLength(int line) const;
    /// Characters in all lines together (line breaks not counted).
    qint64 charCount() const;
    /// Stores `text` without its trailing characters of code <= 32; a line break inside
    /// it splits it into several lines. Recorded for undo (op opSetLines).
    void setLine(int line, const QString& text);
    void insertLine(int line, const QString& text); ///< line == lineCount() appends
    void addLine(const QString& text);
    void deleteLine(int line);
    /// Lines joined by CR LF (and a final CR LF when the document has one).
    QString text() const;
    /// Replaces everything; the caret goes to (0, 0), the selection and both logs are
    /// cleared. A trailing line break is not an extra line.
    void setText(const QString& text);
    /// Whether the last line ends with a line break in the file (kept on save).
    bool finalLineBreak() const { return m_finalLineBreak; }
    void setFinalLineBreak(bool on) { m_finalLineBreak = on; }
    TTextEncoding encoding() const { return m_encoding; }
    void setEncoding(TTextEncoding e) { m_encoding = e; }
    /// LF for a new storage; a loaded file's first line end (LF when it has none).
    TLineBreak lineBreak() const { return m_lineBreak; }
    void setLineBreak(TLineBreak b) { m_lineBreak = b; }

    /// Reads a file (UTF-8 when valid, else Latin-1; LF, CR LF or CR line ends). On failure
    /// returns false with `error` set and leaves the storage as it was.
    bool LoadFromFile(const QString& fileName, QString* error = nullptr);
    /// Writes atomically with lineBreak() line ends in the document's encoding. On failure
    /// returns false with `error` set; the old file is left whole. A line with characters the
    /// Latin-1 encoding cannot hold makes the document save as UTF-8 instead.
    bool SaveToFile(const QString& fileName, QString* error = nullptr) const;
    /// The bytes SaveToFile writes, to an open device (for writers that commit them their
    /// own way). False, with `error` set, when the device took less than it was given.
    bool writeTo(QIODevice& device, QString* error = nullptr) const;
    /// Op 48: clears the selection and both logs, marks every line for parsing, loads.
    bool loadFile(const QString& fileName, QString* error = nullptr);
    bool saveFile(const QString& fileName, QString* error = nullptr) const;
    /// Every tab becomes exactly `width` spaces. A whole-document conversion done after
    /// loading: not recorded, and it empties both logs.
    void expandTabs(int width);

    // --- Caret and selection ----------------------------------------------------------
    int CaretX() const { return m_caret.m_column; }
    int CaretY() const { return m_caret.m_line; }
    /// Lines clamp to 0 .. last line, columns to >= 0. Recorded as a caret move.
    void setCaret(int column, int line);
    void moveCaret(int columnDelta, int lineDelta); ///< op 2

    TSelectionMode selectionMode() const { return m_selMode; }
    bool hasSelection() const { return m_selMode != smNone; }
    /// Positions as set (start may lie after end); meaningful when the mode is not 0.
    void getSelection(int& startColumn, int& startLine, int& endColumn, int& endLine) const;
    /// Op 31. Positions are clamped like the caret; an empty stream range clears it.
    void setSelection(TSelectionMode mode, int startColumn, int startLine, int endColumn,
                      int endLine);
    void clearSelection(); ///< op 47
    /// Stream: the text between the positions, lines joined by CR LF. Column block: each
    /// line's part between the two columns, padded with spaces, joined by CR LF.
    QString SelText() const;
    /// Deletes the selected text (for a block, the columns on each line) and clears the
    /// selection; the caret goes to the selection's start.
    void deleteSelection();
    void replaceSelection(const QString& text); ///< op 38
    /// Op 39: inserts text that may hold line breaks (CR LF, LF or CR) at the caret; the
    /// caret ends after it.
    void insertText(const QString& text);
    /// Op 5: inserts single-line text at the caret, padding the line up to the caret first.
    void insertAtCaret(const QString& text);
    /// Breaks the caret's line at the caret; the caret goes to column 0 of the new line.
    void splitLine();
    void upperCaseSelection(); ///< op 25
    void lowerCaseSelection(); ///< op 26

    // --- Clipboard -------------------------------------------------------------------
    /// Not owned; may be null (then the clipboard commands do nothing).
    void setClipboard(TextClipboard* clipboard) { m_clipboard = clipboard; }
    TextClipboard* clipboard() const { return m_clipboard; }
    void CutToClipboard(); ///< op 20
    void CopyToClipboard();
    /// A column block pastes as a block whose top-left corner is the caret.
    void PasteFromClipboard(); ///< op 22

    // --- Editing keys (the overwrite flag is overwriteMode()) ---------------------------
    void keyTab(); ///< op 52
    void keyEnter(); ///< op 40
    void keyBackspace(); ///< op 8
    /// Deletes the selection, or the character at the caret, or joins the next line when
    /// the caret is at or beyond the line's end. Op 46.
    void keyDelete();
    /// Types one character at the caret (replacing a selection first); in overwrite mode it
    /// replaces the character under the caret. Op 5.
    void keyChar(QChar c);
    /// Insert or overwrite mode, one flag shared by every storage; changing it notifies
    /// every attached view with msOverwriteChanged.
    static bool overwriteMode();
    static void setOverwriteMode(bool on);

    // --- Undo -------------------------------------------------------------------------
    void Undo();
    void Redo();
    void clearUndo();
    bool canUndo() const { return !m_undo.isEmpty(); }
    bool canRedo() const { return !m_redo.isEmpty(); }
    const QList<TUndoRecord>& undoLog() const { return m_undo; }
    const QList<TUndoRecord>& redoLog() const { return m_redo; }

    /// Change brackets nest; the outermost one's code marks the records, and its end
    /// notifies the views. Every operation above brackets itself.
    void beginChange(uint8_t opCode);
    void endChange();

    // --- Settings ---------------------------------------------------------------------
    bool Modified() const { return m_modified; }
    void setModified(bool on); ///< op 49
    TStringsOptions Options() const { return m_options; }
    void setOptions(TStringsOptions options) { m_options = options; }
    QString TabStops() const { return m_tabStopsText; }
    /// Comma-separated 0-based columns, strictly increasing; anything else is refused
    /// (returns false and keeps the old stops). Views are told (msTabStopsChanged).
    bool setTabStops(const QString& stops);
    const TTabStops& tabStops() const { return m_tabStops; }
    /// The first tab stop after `column` (stops continue at the last listed distance).
    int nextTabStop(int column) const;
    QString Delimeters() const { return m_delimeters; }
    void setDelimeters(const QString& delimiters);
    /// Characters 0 to 32 plus those of Delimeters().
    const TCharSet& delimiterSet() const { return m_delimiterSet; }
    bool isDelimiter(char16_t c) const { return m_delimiterSet.contains(c); }
    bool ReadOnly() const { return m_readOnly; }
    void setReadOnly(bool on) { m_readOnly = on; }
    bool lineReadOnly(int line) const;
    void setLineReadOnly(int line, bool on);

    // --- Word boundaries (on the delimiter set) ------------------------------------------
    /// The word around (column, line): [start, end). Empty (start == end == column) when
    /// the character there is a delimiter or lies beyond the line's end.
    void wordAt(int column, int line, int& start, int& end) const;
    /// Start of the next word after the position, crossing lines; stays at the end of
    /// the document when there is none.
    void nextWordStart(int& column, int& line) const;
    /// Start of the word before the position, crossing lines.
    void previousWordStart(int& column, int& line) const;

    // --- Colours ----------------------------------------------------------------------
    void setOnParseSyntax(TOnParseSyntaxEvent handler);
    const TOnParseSyntaxEvent& OnParseSyntax() const { return m_onParseSyntax; }
    /// One style byte per character of the line, parsing from the parse mark first when
    /// the line's data may be stale. Null for an empty line, an out-of-range line or when
    /// no handler is set. Valid until the line changes or is parsed again.
    const uint8_t* colorData(int line);
    /// Lines at least this long are coloured piece by piece when a handler for that is set.
    static constexpr qsizetype kLongParseLine = qsizetype(64) << 10;
    /// Lets long lines be coloured only as far as they are shown; without it they are parsed
    /// whole like any other.
    void setOnParseSyntaxFrom(TOnParseSyntaxFromEvent handler);
    /// colorData whose bytes are right at least for columns [0, to): a long line is parsed
    /// only that far (and from the last point an edit left untouched).
    const uint8_t* colorData(int line, qsizetype to);
    /// The state the line's pass ended in (parsing on demand like colorData).
    int32_t lineEndState(int line);
    /// The first line whose colour data may be stale.
    int parseMark() const { return m_parseMark; }
    /// Marks every line from `line` on for parsing again (e.g. after the rules changed).
    void invalidateColors(int line = 0);
    /// The last line whose end state changed in parses since the previous call (-1 when
    /// none), and resets it. After a change a view repaints down to the line after it.
    int takeLastStateChange();

    // --- Views ------------------------------------------------------------------------
    void attach(TMemoListener* listener);
    void detach(TMemoListener* listener);

private:
    friend class TPosition;
    friend bool findText(const TMemoSource&, TSearchOptions&, TSearchPos&, const TCharSet&);
    class Impl;
    friend class Impl;

    // Basic edits, all at the caret and recorded in the undo log (see TUndoRecord).
    void record(uint8_t kind, int32_t count1, int32_t count2, const QString& text = QString());
    void recCaretTo(int column, int line);
    /// `text` uses "\n" breaks. Reports where the caret belongs after it (blanks that the
    /// store trims still move the caret, as typed).
    void recInsert(const QString& text, int* endColumn = nullptr, int* endLine = nullptr);
    /// Inserts `text` (any line breaks) at the caret when insertion is allowed there, and
    /// puts the caret after it.
    void recInsertAtCaret(const QString& text);
    void recDelete(qint64 count);
    /// recDelete's general case: the deleted text, and where it ended; false when there was
    /// nothing but virtual space to delete.
    bool recDeleteAcross(qint64 count, QString& deleted, int& endLine, int& endColumn);
    /// recInsert for text without line breaks into a Latin-1 line; false when it does not apply.
    bool recInsertNarrow(const QString& text, int* endColumn, int* endLine);
    /// Moves the positions after the caret past text just inserted there, and records it.
    void insertedAtCaret(int endColumn, int breaks, qint64 count);
    void recSplit();
    void recJoin();
    /// Lines [first, last] changed (the numbering after the change), `lineDelta` lines came or
    /// went, and `first` is as it was before `column`.
    void noteTextChange(int first, int last, int lineDelta, int column);

    bool canInsertAtCaret() const;
    bool canEditLine(int line) const;
    void clampPosition(int& column, int& line) const;
    qint64 distance(int c1, int l1, int c2, int l2) const;
    void normalizedSelection(int& c1, int& l1, int& c2, int& l2) const;
    void deleteSelectionInner();
    void insertBlock(const QStringList& rows);
    void changeSelectionCase(bool upper);
    void undoRedo(bool undo);
    void applyInverse(const TUndoRecord& r);
    void notify(const TMemoChange& change);
    void resetAfterLoad();
    void parseLine(int line, bool keepColours);
    /// Parses long line `line` until its colours are known for [0, to); at its end this sets
    /// its end state as parseLine does.
    void parseLongLine(int line, qsizetype to);

    // Stored state; see TMemoSource.cpp for the line record and arena.
    std::unique_ptr<Impl> m_d;
    TPosition m_caret;
    TPosition m_selStart;
    TPosition m_selEnd;
    TSelectionMode m_selMode = smNone;
    std::vector<TPosition*> m_positions; ///< every registered position, the three above too
    std::vector<TMemoListener*> m_listeners;
    TextClipboard* m_clipboard = nullptr;
    TOnParseSyntaxEvent m_onParseSyntax;
    TOnParseSyntaxFromEvent m_onParseSyntaxFrom;
    uint64_t m_colourGeneration = 1; ///< grows whenever every line's colours go stale

    QList<TUndoRecord> m_undo;
    QList<TUndoRecord> m_redo;
    int m_bracketDepth = 0;
    uint8_t m_bracketOp = 0;
    bool m_groupPending = false; ///< the next record starts a group
    bool m_inUndo = false; ///< the bracket belongs to Undo or Redo: keep the redo log
    TMemoChange m_pending; ///< accumulated for the outermost bracket
    bool m_modifiedAtBegin = false;
    bool m_textChanged = false; ///< in the current outermost bracket

    bool m_modified = false;
    bool m_readOnly = false;
    bool m_finalLineBreak = true;
    TTextEncoding m_encoding = teUtf8;
    TLineBreak m_lineBreak = lbLF;
    TStringsOptions m_options;
    QString m_tabStopsText;
    TTabStops m_tabStops;
    QString m_delimeters;
    TCharSet m_delimiterSet;

    /// invariant: 0 <= m_parseMark <= lineCount(); lines below it have valid end states.
    int m_parseMark = 0;
    int m_lastStateChange = -1;
};
