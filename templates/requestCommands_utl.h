/** @file requestCommands_utl.h ** The command requests that reach the desktop and the menus:
 ** "run" and "menucommand". **/
#pragma once

#include <QString>
#include <optional>

class QAction;
class QMenuBar;

/// "run": the parameter text, exactly as written, is one name: an executable file (a path, or
/// a bare name found on the PATH) is started with no arguments, anything else is opened with
/// the desktop's associated program. Never through a command interpreter, so blanks, quotes,
/// ";", "|" or "$( )" are part of the name. A local name that does not exist does nothing;
/// nothing is ever reported.
void runRequestAction(const QString& parameters);

/// The item named by a "|"-separated path of captions (compared without "&" and case). A
/// segment that names no item below the current one is skipped. Null when the first segment
/// names no top-level menu, or the path names only a top-level menu.
QAction* findMenuItemByPath(const QMenuBar* menu, const QString& path);

/// "menucommand": the template of the entry the path names in `menu`. Code 19 when the path
/// names no item (nothing then); an item that is not an entry gives nothing, silently.
std::optional<QString> menuCommandAction(const QMenuBar* menu, const QString& parameters);
