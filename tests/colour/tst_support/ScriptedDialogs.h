/** @file ScriptedDialogs.h ** A dialogs service for tests: records every box and answers from a
 ** script. **/
#pragma once

#include "platform/Dialogs.h"

#include <QList>

struct ShownMessage {
    pm::Dialogs::Kind kind;
    QString text;
};

/// Installed for its lifetime; the previous service comes back when it goes.
class ScriptedDialogs : public pm::Dialogs
{
public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;

    Answer message(Kind kind, const QString& text, Buttons buttons,
                   const QString& caption = QString()) override;
    QStringList openFiles(FileRequest& request) override;
    QString saveFile(FileRequest& request) override;

    QList<ShownMessage> shown;
    /// Answers handed out in order; Ok once they run out.
    QList<Answer> answers;

private:
    pm::Dialogs* m_previous;
};
