/** @file RecordingShell.h ** Test double of the shell: records what would have been opened or
 * started. **/
#pragma once

#include "platform/Shell.h"

#include <QList>

namespace pm {

/// Installs itself as the shell while it lives and puts the previous one back afterwards.
class RecordingShell : public Shell
{
public:
    struct Started
    {
        QString program;
        QStringList arguments;
    };

    RecordingShell();
    ~RecordingShell() override;
    RecordingShell(const RecordingShell&) = delete;
    RecordingShell& operator=(const RecordingShell&) = delete;

    bool open(const QString& target) override;
    bool startDetached(const QString& program, const QStringList& arguments) override;

    /// What open() was given, and the URL the desktop shell would have received.
    QStringList opened;
    QList<QUrl> openedUrls;
    QList<Started> started;
    bool result = true; ///< what every call answers

private:
    Shell* m_previous = nullptr;
};

} // namespace pm
