/** @file dynamicMenusBar.cpp ** Builds the dynamic menus into a menu bar. **/
#include "templates/dynamicMenusBar.h"

#include "core/errors_utl.h"
#include "templates/TMenusFile.h"
#include "templates/dynamicMenus_utl.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <optional>

namespace {

/// Hands out the menu that takes the next item: the menu itself until it holds `limit` items,
/// then an overflow submenu at its end, then one at the end of that, and so on. Qt walks a
/// widget's whole action list for every action added to it, so one menu of n items costs n²
/// to build; bounded menus keep a window's menus linear in the size of the file.
class TMenuFiller
{
public:
    TMenuFiller(QMenu* menu, int limit)
        : m_menu(menu)
        , m_limit(limit)
    {
    }

    QMenu* next()
    {
        if (m_count == m_limit) {
            auto* more = new QMenu(dynamicMenuOverflowCaption, m_menu);
            more->menuAction()->setData(-1); // no command of its own, no hotkey
            m_menu->addMenu(more);
            m_menu = more;
            m_count = 0;
        }
        ++m_count;
        return m_menu;
    }

private:
    QMenu* m_menu;
    int m_limit;
    int m_count = 0;
};

void fillMenu(QMenu* menu, const TMenuNode& node, const TMenuClickHandler& onClick)
{
    TMenuFiller filler(menu, maxDynamicMenuItems);
    for (const TMenuNode& child : node.children) {
        QMenu* parent = filler.next();
        if (!child.isEntry) {
            auto* sub = new QMenu(child.caption, parent);
            sub->setObjectName(child.name);
            sub->menuAction()->setObjectName(child.name);
            sub->menuAction()->setData(0);
            fillMenu(sub, child, onClick);
            parent->addMenu(sub);
            continue;
        }
        // A separator drawn with its caption would show a stray "-" in some styles.
        const bool separator = child.caption == QStringLiteral("-");
        auto* action = new QAction(separator ? QString() : child.caption, parent);
        action->setObjectName(child.name);
        action->setData(child.tag);
        action->setSeparator(separator);
        if (onClick)
            QObject::connect(action, &QAction::triggered, action,
                             [action, onClick] { onClick(action); });
        parent->addAction(action);
    }
}

} // namespace

const QString dynamicMenuOverflowCaption = QStringLiteral("More");

void loadDynamicMenus(const QString& fileName, QMenuBar* menu, uint8_t firstIndex,
                      const TMenuClickHandler& onClick)
{
    const TMenusFile file = readMenusFile(fileName);
    if (file.errorCode == 1) {
        showError(1, fileName);
        return;
    }
    menuEntryTexts = file.entryTexts;
    // Each menu goes before the item that stood at firstIndex, which keeps them in file order.
    const QList<QAction*> existing = menu->actions();
    QAction* before = firstIndex < existing.size() ? existing.at(firstIndex) : nullptr;
    std::optional<TMenuFiller> overflow;
    for (qsizetype n = 0; n < file.menus.size(); ++n) {
        const TMenuNode& node = file.menus.at(n);
        if (n == maxDynamicTopLevelMenus) {
            auto* more = new QMenu(dynamicMenuOverflowCaption, menu);
            more->menuAction()->setData(-1);
            menu->insertMenu(before, more);
            overflow.emplace(more, maxDynamicMenuItems);
        }
        QMenu* parent = overflow ? overflow->next() : nullptr;
        auto* top = new QMenu(node.caption, parent ? static_cast<QWidget*>(parent) : menu);
        top->menuAction()->setData(0);
        fillMenu(top, node, onClick);
        if (parent)
            parent->addMenu(top);
        else
            menu->insertMenu(before, top);
    }
    if (file.errorCode != 0)
        showError(4, fileName);
}
