/** @file TextClipboard.h ** The clipboard as the text storage sees it. **/
#pragma once

#include <QString>

/// The storage links QtCore only; the view supplies the real clipboard, tests a fake.
/// A column block is marked so that pasting inside the program inserts it as a block;
/// text from other programs is never a block.
class TextClipboard
{
public:
    virtual ~TextClipboard() = default;
    /// Line breaks in `text` are CR LF.
    virtual void setText(const QString& text, bool isColumnBlock) = 0;
    /// `isColumnBlock` may be null.
    virtual QString text(bool* isColumnBlock) const = 0;
};
