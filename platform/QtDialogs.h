/** @file QtDialogs.h ** The dialogs service shown with Qt's standard message boxes and file
 * dialogs. **/
#pragma once

#include "platform/Dialogs.h"

namespace pm {

class QtDialogs : public Dialogs
{
public:
    Answer message(Kind kind, const QString& text, Buttons buttons,
        const QString& caption = QString()) override;
    QStringList openFiles(FileRequest& request) override;
    QString saveFile(FileRequest& request) override;

    /// The caption a box of this kind carries when the caller names none.
    static QString standardCaption(Kind kind);
};

} // namespace pm
