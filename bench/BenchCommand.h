/** @file BenchCommand.h ** Subcommands of pagemason-bench register themselves here. **/
#pragma once

#include <QStringList>

namespace pmbench {

/// `args` are the words after the subcommand's name. Returns the process exit code.
using CommandFn = int (*)(const QStringList& args);

struct Command {
    const char* name;
    const char* usage;
    CommandFn run;
};

/// Called from a static object in each *_command.cpp file.
bool registerCommand(const Command& command);
const QList<Command>& commands();

} // namespace pmbench
