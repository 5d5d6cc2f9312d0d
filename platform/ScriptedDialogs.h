/** @file ScriptedDialogs.h ** Test double of the dialogs service: answers from a queue, and a log
 *of
 ** every box and file dialog asked for. **/
#pragma once

#include "platform/Dialogs.h"

#include <QList>

namespace pm {

/// Installs itself as the service while it lives and puts the previous one back afterwards.
/// A box asked for with no answer queued gets the answer that changes nothing (Ok for an Ok
/// box, else No or Cancel) and is counted in unanswered(), so a test can tell.
class ScriptedDialogs : public Dialogs
{
public:
    struct Shown
    {
        Kind kind;
        QString text;
        Buttons buttons;
        QString caption;
    };
    struct FileAnswer
    {
        QStringList files; ///< empty: the dialog was cancelled
        int filterIndex = -1; ///< -1 keeps the request's index
    };

    ScriptedDialogs();
    ~ScriptedDialogs() override;
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    void queueAnswer(Answer answer) { m_answers.append(answer); }
    /// For the next open or save dialog.
    void queueFiles(const QStringList& files, int filterIndex = -1)
    {
        m_fileAnswers.append(FileAnswer { files, filterIndex });
    }

    const QList<Shown>& shown() const { return m_shown; }
    const QList<FileRequest>& fileRequests() const { return m_fileRequests; }
    int unanswered() const { return m_unanswered; }
    int pendingAnswers() const { return int(m_answers.size()); }
    void clear();

    Answer message(Kind kind, const QString& text, Buttons buttons,
        const QString& caption = QString()) override;
    QStringList openFiles(FileRequest& request) override;
    QString saveFile(FileRequest& request) override;

private:
    QStringList nextFiles(FileRequest& request);

    Dialogs* m_previous = nullptr;
    QList<Answer> m_answers;
    QList<FileAnswer> m_fileAnswers;
    QList<Shown> m_shown;
    QList<FileRequest> m_fileRequests;
    int m_unanswered = 0;
};

} // namespace pm
