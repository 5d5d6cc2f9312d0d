/** @file TQtClipboard.h ** The system clipboard for text storages. **/
#pragma once

#include "editor/TextClipboard.h"

/// Plain text on the system clipboard; a column block also carries a private MIME type, so
/// only a copy made by Pagemason pastes as a block.
class TQtClipboard : public TextClipboard
{
public:
    static constexpr const char* ColumnBlockMime = "application/x-pagemason-column-block";

    /// The one instance every view hands to storages without a clipboard.
    static TQtClipboard& instance();

    void setText(const QString& text, bool isColumnBlock) override;
    QString text(bool* isColumnBlock) const override;
};
