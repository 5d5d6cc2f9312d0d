/** @file menuCommands_utl.h ** The list of commands a toolbar button can name, taken from a
 ** document window's menu bar. **/
#pragma once

#include "toolbars/common/customToolbar_utl.h"

class QAction;
class QMenuBar;

/// What a command runs for a menu item: the caller decides, since the item's own handler
/// belongs to the window the menu was taken from.
using TMenuActionOf = std::function<TMenuCommandAction(const QAction* item)>;

/// Empties `commands` and adds every item below the top-level menus of `menu`, depth first,
/// whose tag is not negative; an item with a negative tag is skipped with all its sub-items.
void buildMenuCommands(
    TMenuCommands& commands, const QMenuBar* menu, const TMenuActionOf& actionOf = {});
