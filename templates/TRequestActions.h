/** @file TRequestActions.h ** The command requests (run, menucommand, plugin, goto) as seen by the
 ** template runner. Until the real actions are installed every action yields nothing. **/
#pragma once

#include <QString>
#include <optional>

class TMemoSource;

class TRequestActions
{
public:
    virtual ~TRequestActions() = default;
    /// "run": hands the (untransformed) parameter text to the desktop shell. Ends the run.
    virtual void runRequestAction(const QString& parameters) { (void)parameters; }
    /// "menucommand": the template of the entry named by the menu path, or nothing.
    virtual std::optional<QString> menuCommandAction(const QString& parameters)
    {
        (void)parameters;
        return std::nullopt;
    }
    /// "plugin": the text returned by the plug-in function, or nothing after an error.
    virtual std::optional<QString> pluginAction(const QString& parameters)
    {
        (void)parameters;
        return std::nullopt;
    }
    /// "goto": moves the caret of `editor` while the result is typed; not found moves nothing.
    virtual void gotoAction(const QString& parameters, TMemoSource& editor)
    {
        (void)parameters, (void)editor;
    }
};

/// The actions in use; the inert defaults until the command actions are installed.
TRequestActions& requestActions();
/// Installs actions (not owned); null restores the defaults. Returns the previous ones.
TRequestActions* setRequestActions(TRequestActions* actions);
