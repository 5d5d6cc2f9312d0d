/** @file Shell.h ** Hands files and addresses to the desktop: "open" with the associated program,
 ** and starting a program on its own. **/
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

namespace pm {

class Shell
{
public:
    virtual ~Shell() = default;

    /// Opens a file, folder or address with the program the desktop associates with it.
    /// False when the desktop refused at once; nothing is known about what happens later.
    virtual bool open(const QString& target) = 0;
    /// Starts a program detached, without a shell: arguments reach it as they are.
    virtual bool startDetached(const QString& program, const QStringList& arguments) = 0;

    /// An address with a scheme ("http://...", "mailto:...") stays as it is; anything else is
    /// a path and becomes a file: URL.
    static QUrl urlFor(const QString& target);
};

/// The desktop's own shell (xdg-open and QProcess).
class DesktopShell : public Shell
{
public:
    bool open(const QString& target) override;
    bool startDetached(const QString& program, const QStringList& arguments) override;
};

/// The shell in use; the desktop's unless another was installed.
Shell& shell();
/// Installs a shell (not owned; null goes back to the desktop's); returns the previous one.
Shell* setShell(Shell* shell);

} // namespace pm
