/** @file TCommandActions.h ** The command requests of templates carried out on the active
 ** document window: its menus, its editor, the shell and the plug-ins. **/
#pragma once

#include "templates/TRequestActions.h"

class QWidget;

class TCommandActions : public TRequestActions
{
public:
    void runRequestAction(const QString& parameters) override;
    std::optional<QString> menuCommandAction(const QString& parameters) override;
    std::optional<QString> pluginAction(const QString& parameters) override;
    void gotoAction(const QString& parameters, TMemoSource& editor) override;
};

/// Start-up wiring: installs the command actions and the plug-in wait window (a child of
/// `mainWindow`, made once).
void installCommandActions(QWidget* mainWindow);
