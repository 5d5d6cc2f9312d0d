/** @file main.cpp ** pagemason-bench: runs the subcommand named by the first argument. **/
#include "BenchCommand.h"

#include <QCoreApplication>
#include <QTextStream>

namespace pmbench {

namespace {
QList<Command>& registry()
{
    // Function-local, so that registrars in other files may run first.
    static QList<Command> commands;
    return commands;
}
} // namespace

bool registerCommand(const Command& command)
{
    registry().append(command);
    return true;
}

const QList<Command>& commands()
{
    return registry();
}

} // namespace pmbench

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const QString name = args.isEmpty() ? QString() : args.takeFirst();
    for (const pmbench::Command& c : pmbench::commands()) {
        if (name == QLatin1StringView(c.name))
            return c.run(args);
    }
    QTextStream err(stderr);
    if (!name.isEmpty() && name != QLatin1StringView("help"))
        err << "unknown subcommand: " << name << Qt::endl;
    err << "usage: pagemason-bench SUBCOMMAND ARGS..." << Qt::endl;
    for (const pmbench::Command& c : pmbench::commands())
        err << "  " << c.usage << Qt::endl;
    return 2;
}
