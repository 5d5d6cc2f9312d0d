/** @file dynamicMenusBar.cpp ** Builds the dynamic menus into a menu bar. **/
#include "templates/dynamicMenusBar.h"

#include "core/errors_utl.h"
#include "templates/TMenusFile.h"
#include "templates/dynamicMenus_utl.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {

void fillMenu(QMenu* menu, const TMenuNode& node, const TMenuClickHandler& onClick)
{
    for (const TMenuNode& child : node.children) {
        if (!child.isEntry) {
            auto* sub = new QMenu(child.caption, menu);
            sub->setObjectName(child.name);
            sub->menuAction()->setObjectName(child.name);
            sub->menuAction()->setData(0);
            fillMenu(sub, child, onClick);
            menu->addMenu(sub);
            continue;
        }
        auto* action = new QAction(child.caption, menu);
        action->setObjectName(child.name);
        action->setData(child.tag);
        action->setSeparator(child.caption == QStringLiteral("-"));
        if (onClick)
            QObject::connect(action, &QAction::triggered, action,
                             [action, onClick] { onClick(action); });
        menu->addAction(action);
    }
}

} // namespace

void loadDynamicMenus(const QString& fileName, QMenuBar* menu, uint8_t firstIndex,
                      const TMenuClickHandler& onClick)
{
    const TMenusFile file = readMenusFile(fileName);
    if (file.errorCode == 1) {
        showError(1, fileName);
        return;
    }
    menuEntryTexts = file.entryTexts;
    int n = 0;
    for (const TMenuNode& node : file.menus) {
        auto* top = new QMenu(node.caption, menu);
        top->menuAction()->setData(0);
        fillMenu(top, node, onClick);
        const QList<QAction*> actions = menu->actions();
        const int position = firstIndex + n;
        if (position < actions.size())
            menu->insertMenu(actions.at(position), top);
        else
            menu->addMenu(top);
        ++n;
    }
    if (file.errorCode != 0)
        showError(4, fileName);
}
