/** @file TUndoRecord.h ** One basic edit in the undo or redo log. **/
#pragma once

#include <QString>
#include <cstdint>

/// Kinds of basic edits. Every record is relative to the caret: undoing "text inserted"
/// deletes that many characters at the caret, undoing "text deleted" inserts the saved text
/// at the caret, so caret moves are recorded too.
enum TUndoKind : uint8_t {
    ukCaretMoved = 0, ///< Count1 = column delta, Count2 = line delta
    ukTextInserted = 1, ///< Count1 = length; a line break counts as one character
    ukLineSplit = 2, ///< the caret's line was broken at the caret
    ukLinesJoined = 3, ///< the next line was appended at the caret column (line padded)
    ukTextDeleted = 4, ///< Text = what was deleted at the caret, line breaks as "\n"
};

struct TUndoRecord {
    uint8_t Kind = ukCaretMoved;
    int32_t Count1 = 0;
    int32_t Count2 = 0;
    QString Text;
    /// True on the first record made inside an outermost change bracket.
    bool GroupStart = false;
    /// Code of the outermost bracket's operation (see TMemoSource's op codes).
    uint8_t OpCode = 0;
};
