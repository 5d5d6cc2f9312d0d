/** @file ScriptedDialUp.h ** Test double of the dial-up service: entries, results and progress
 ** reports from a script, the reports played on a thread of their own as the system does. **/
#pragma once

#include "platform/DialUpService.h"

#include <QList>
#include <QMap>
#include <QMutex>
#include <QWaitCondition>
#include <atomic>
#include <thread>

namespace pm {

/// Installs itself as the service while it lives and puts the previous one back afterwards.
class ScriptedDialUp : public DialUpService
{
public:
    struct Report
    {
        int state = 0;
        int error = 0;
    };

    ScriptedDialUp();
    ~ScriptedDialUp() override;
    ScriptedDialUp(const ScriptedDialUp&) = delete;
    ScriptedDialUp& operator=(const ScriptedDialUp&) = delete;

    // The script, set before the dial.
    QStringList entries;
    int enumResult = 0;
    int paramsResult = 0;
    int dialResult = 0;
    /// Played in order after a dial that started; a call whose reports end before "Connected"
    /// stays waiting until it is hung up.
    QList<Report> reports { { 0, 0 }, { 2, 0 }, { 14, 0 }, { 8192, 0 } };
    QMap<int, QString> errorTexts;

    // What happened.
    int dials() const { return m_dials; }
    /// Hang-ups of a call that was started.
    int hangUps() const { return m_hangUps; }
    QStringList dialled() const { return m_dialled; }
    /// True while a call's thread is playing reports.
    bool playing() const { return m_playing; }

    int enumEntries(QStringList& names) override;
    int entryDialParams(const QString& entry) override;
    int dial(const QString& entry, Progress progress, uintptr_t& handle) override;
    void hangUp(uintptr_t handle) override;
    QString errorText(int code) override;

private:
    void stopThread();

    DialUpService* m_previous = nullptr;
    int m_dials = 0;
    int m_hangUps = 0;
    QStringList m_dialled;
    uintptr_t m_handle = 0;
    std::atomic<bool> m_cancel { false };
    std::atomic<bool> m_playing { false };
    std::thread m_thread;
};

} // namespace pm
