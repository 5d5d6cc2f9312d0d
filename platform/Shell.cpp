/** @file Shell.cpp ** The desktop shell through QDesktopServices and QProcess. **/
#include "platform/Shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>

namespace pm {

QUrl Shell::urlFor(const QString& target)
{
    // Two letters or more before the colon: a one-letter "scheme" would be a drive letter.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    if (scheme.match(target).hasMatch())
        return QUrl(target);
    return QUrl::fromLocalFile(QDir::cleanPath(QDir::current().absoluteFilePath(target)));
}

bool DesktopShell::open(const QString& target)
{
    if (target.isEmpty())
        return false;
    return QDesktopServices::openUrl(urlFor(target));
}

bool DesktopShell::startDetached(const QString& program, const QStringList& arguments)
{
    return QProcess::startDetached(program, arguments);
}

namespace {
    Shell* installedShell = nullptr;
}

Shell& shell()
{
    if (installedShell)
        return *installedShell;
    static DesktopShell desktop;
    return desktop;
}

Shell* setShell(Shell* s)
{
    return std::exchange(installedShell, s);
}

} // namespace pm
