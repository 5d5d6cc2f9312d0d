/** @file ScriptedDialogs.cpp ** Queue-driven dialogs service for tests. **/
#include "platform/ScriptedDialogs.h"

namespace pm {

ScriptedDialogs::ScriptedDialogs()
    : m_previous(setDialogs(this))
{
}

ScriptedDialogs::~ScriptedDialogs()
{
    setDialogs(m_previous);
}

void ScriptedDialogs::clear()
{
    m_answers.clear();
    m_fileAnswers.clear();
    m_shown.clear();
    m_fileRequests.clear();
    m_unanswered = 0;
}

Dialogs::Answer ScriptedDialogs::message(
    Kind kind, const QString& text, Buttons buttons, const QString& caption)
{
    m_shown.append(Shown { kind, text, buttons, caption });
    if (!m_answers.isEmpty())
        return m_answers.takeFirst();
    ++m_unanswered;
    return safeAnswer(buttons);
}

QStringList ScriptedDialogs::nextFiles(FileRequest& request)
{
    m_fileRequests.append(request);
    if (m_fileAnswers.isEmpty()) {
        ++m_unanswered;
        return {};
    }
    const FileAnswer answer = m_fileAnswers.takeFirst();
    if (answer.filterIndex >= 0 && !answer.files.isEmpty())
        request.filterIndex = answer.filterIndex;
    return answer.files;
}

QStringList ScriptedDialogs::openFiles(FileRequest& request)
{
    return nextFiles(request);
}

QString ScriptedDialogs::saveFile(FileRequest& request)
{
    const QStringList files = nextFiles(request);
    return files.isEmpty() ? QString() : files.first();
}

} // namespace pm
