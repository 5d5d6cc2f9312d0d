/** @file menuCommands_utl.cpp ** The menu command list. **/
#include "toolbars/common/menuCommands_utl.h"

#include "core/hotkeys_utl.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {

void addItems(TMenuCommands& commands, const QMenu* menu, const QString& prefix,
    const TMenuActionOf& actionOf)
{
    const QList<QAction*> items = menu->actions();
    for (const QAction* item : items) {
        const int tag = menuItemTag(item);
        if (tag < 0)
            continue;
        QString path = prefix + u'|' + item->text();
        path.remove(u'&');
        TMenuCommand& c = commands.add();
        c.Name = item->objectName();
        c.CaptionPath = path;
        c.Tag = tag;
        if (actionOf)
            c.Action = actionOf(item);
        if (item->menu())
            addItems(commands, item->menu(), path, actionOf);
    }
}

} // namespace

void buildMenuCommands(TMenuCommands& commands, const QMenuBar* menu, const TMenuActionOf& actionOf)
{
    commands.clear();
    if (!menu)
        return;
    const QList<QAction*> top = menu->actions();
    for (const QAction* a : top)
        if (a->menu())
            addItems(commands, a->menu(), a->text(), actionOf);
}
