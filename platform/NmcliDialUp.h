/** @file NmcliDialUp.h ** Dial-up entries as NetworkManager connections: listed, brought up and
 ** taken down with nmcli. **/
#pragma once

#include "platform/DialUpService.h"

#include <QMutex>
#include <map>
#include <memory>

namespace pm {

class NmcliDialUp : public DialUpService
{
public:
    /// Error codes, in the numbering of the dial-up errors they stand for.
    enum : int {
        errTooManyEntries = 603, ///< more entries than the room for them
        errNoNetworkManager = 621, ///< nmcli cannot be run, or NetworkManager is not running
        errNoSuchEntry = 623,
        errTimeout = 638,
        errActivationFailed = 651,
    };

    /// `program` is the nmcli to run (tests name another one).
    explicit NmcliDialUp(const QString& program = QStringLiteral("nmcli"));
    ~NmcliDialUp() override;

    int enumEntries(QStringList& names) override;
    int entryDialParams(const QString& entry) override;
    int dial(const QString& entry, Progress progress, uintptr_t& handle) override;
    void hangUp(uintptr_t handle) override;
    QString errorText(int code) override;

    /// Splits nmcli's terse one-field output into names, undoing its "\:" and "\\" escapes.
    static QStringList parseTerseNames(const QByteArray& output);

private:
    struct Call;
    QString m_program;
    QMutex m_mutex;
    std::map<uintptr_t, std::unique_ptr<Call>> m_calls; ///< guarded by m_mutex
    uintptr_t m_nextHandle = 1;
};

} // namespace pm
