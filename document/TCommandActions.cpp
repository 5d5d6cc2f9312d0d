/** @file TCommandActions.cpp ** The command requests on the active document window. **/
#include "document/TCommandActions.h"

#include "document/Childwin.h"
#include "templates/TpluginWaitFrm.h"
#include "templates/commandActions_utl.h"
#include "templates/requestCommands_utl.h"

void TCommandActions::runRequestAction(const QString& parameters)
{
    ::runRequestAction(parameters);
}

std::optional<QString> TCommandActions::menuCommandAction(const QString& parameters)
{
    TMDIChild* window = activeDocumentWindow();
    return ::menuCommandAction(window ? window->mainMenu() : nullptr, parameters);
}

std::optional<QString> TCommandActions::pluginAction(const QString& parameters)
{
    TMDIChild* window = activeDocumentWindow();
    return ::pluginAction(parameters, exportedValuesFor(window ? &window->source() : nullptr));
}

void TCommandActions::gotoAction(const QString& parameters, TMemoSource& editor)
{
    ::gotoAction(parameters, editor);
}

void installCommandActions(QWidget* mainWindow)
{
    static TCommandActions actions;
    setRequestActions(&actions);
    static QPointer<TpluginWaitFrm> waitWindow;
    if (!waitWindow) {
        waitWindow = new TpluginWaitFrm(mainWindow);
        // It goes with the main window; calls after that show no window.
        QObject::connect(waitWindow, &QObject::destroyed, [] { setPluginWaitWindow(nullptr); });
    }
    setPluginWaitWindow(waitWindow);
}
