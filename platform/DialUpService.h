/** @file DialUpService.h ** Dial-up networking as the publishing code needs it: the entries of the
 ** system, dialling one with progress reported from another thread, error texts, hang-up. **/
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

namespace pm {

class DialUpService
{
public:
    /// Message number of every progress report.
    static constexpr unsigned dialEventMessage = 0xCCCD;
    /// Called on the dialling thread, never on the GUI thread: message number, connection
    /// state (8192 connected) and an error code (0 for none).
    using Progress = std::function<void(unsigned message, int state, int error)>;

    virtual ~DialUpService() = default;
    /// The entry names in the system's order; 0, or an error code (`names` then empty).
    virtual int enumEntries(QStringList& names) = 0;
    /// 0 when the stored dial parameters of `entry` are there, else an error code.
    virtual int entryDialParams(const QString& entry) = 0;
    /// Starts the call; 0 with `handle` set when it started, else an error code.
    virtual int dial(const QString& entry, Progress progress, uintptr_t& handle) = 0;
    /// Ends the call of `handle` (0: none). Once it returns, no report of that call follows.
    virtual void hangUp(uintptr_t handle) = 0;
    /// The system's text for an error code, at most 100 characters.
    virtual QString errorText(int code) = 0;
};

/// The service in use: NetworkManager through nmcli unless another one was installed.
DialUpService& dialUpService();
/// Installs a service (not owned; null puts the default back); returns the previous one.
DialUpService* setDialUpService(DialUpService* service);

} // namespace pm
