/** @file ScriptedDialUp.cpp ** The scripted dial-up service. **/
#include "platform/ScriptedDialUp.h"

namespace pm {

ScriptedDialUp::ScriptedDialUp()
    : m_previous(setDialUpService(this))
{
}

ScriptedDialUp::~ScriptedDialUp()
{
    stopThread();
    setDialUpService(m_previous);
}

int ScriptedDialUp::enumEntries(QStringList& names)
{
    names.clear();
    if (enumResult != 0)
        return enumResult;
    names = entries;
    return 0;
}

int ScriptedDialUp::entryDialParams(const QString& entry)
{
    if (paramsResult != 0)
        return paramsResult;
    return entries.contains(entry) ? 0 : 623;
}

int ScriptedDialUp::dial(const QString& entry, Progress progress, uintptr_t& handle)
{
    ++m_dials;
    m_dialled.append(entry);
    if (dialResult != 0)
        return dialResult;
    stopThread();
    handle = ++m_handle;
    m_cancel = false;
    m_playing = true;
    const QList<Report> script = reports;
    m_thread = std::thread([this, script, progress] {
        for (const Report& r : script) {
            if (m_cancel)
                break;
            progress(dialEventMessage, r.state, r.error);
        }
        m_playing = false;
    });
    return 0;
}

void ScriptedDialUp::hangUp(uintptr_t handle)
{
    if (handle == 0)
        return;
    ++m_hangUps;
    stopThread();
}

QString ScriptedDialUp::errorText(int code)
{
    return errorTexts.value(code, QStringLiteral("Scripted error %1").arg(code));
}

void ScriptedDialUp::stopThread()
{
    m_cancel = true;
    if (m_thread.joinable())
        m_thread.join();
    m_playing = false;
}

} // namespace pm
