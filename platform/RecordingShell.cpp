/** @file RecordingShell.cpp ** Shell double that only records. **/
#include "platform/RecordingShell.h"

namespace pm {

RecordingShell::RecordingShell()
    : m_previous(setShell(this))
{
}

RecordingShell::~RecordingShell()
{
    setShell(m_previous);
}

bool RecordingShell::open(const QString& target)
{
    opened.append(target);
    openedUrls.append(urlFor(target));
    return result;
}

bool RecordingShell::startDetached(const QString& program, const QStringList& arguments)
{
    started.append(Started { program, arguments });
    return result;
}

} // namespace pm
