/** @file requestCommands_utl.cpp ** "run" through the shell and "menucommand" through the menus.
 * **/
#include "templates/requestCommands_utl.h"

#include "core/errors_utl.h"
#include "platform/Shell.h"
#include "templates/dynamicMenus_utl.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QStandardPaths>

void runRequestAction(const QString& parameters)
{
    const QString& name = parameters;
    if (name.isEmpty())
        return;
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    if (scheme.match(name).hasMatch()) {
        pm::shell().open(name);
        return;
    }
    const QFileInfo file(name);
    if (file.exists()) {
        if (file.isFile() && file.isExecutable())
            pm::shell().startDetached(file.absoluteFilePath(), {});
        else
            pm::shell().open(name);
        return;
    }
    if (!name.contains(u'/')) {
        const QString program = QStandardPaths::findExecutable(name);
        if (!program.isEmpty())
            pm::shell().startDetached(program, {});
    }
}

namespace {

bool captionMatches(const QAction* item, const QString& segment)
{
    QString caption = item->text();
    caption.remove(u'&');
    return caption.toLower() == segment;
}

} // namespace

QAction* findMenuItemByPath(const QMenuBar* menu, const QString& path)
{
    if (!menu)
        return nullptr;
    QStringList segments = path.toLower().split(u'|');
    QAction* current = nullptr;
    const QList<QAction*> top = menu->actions();
    for (QAction* item : top)
        if (captionMatches(item, segments.first())) {
            current = item;
            break;
        }
    if (!current)
        return nullptr;
    QAction* result = nullptr;
    for (qsizetype s = 1; s < segments.size(); ++s) {
        if (!current->menu())
            break;
        const QList<QAction*> items = current->menu()->actions();
        for (QAction* item : items)
            if (captionMatches(item, segments.at(s))) {
                current = result = item;
                break;
            }
    }
    return result;
}

std::optional<QString> menuCommandAction(const QMenuBar* menu, const QString& parameters)
{
    const QAction* item = findMenuItemByPath(menu, parameters);
    if (!item) {
        showError(19, parameters);
        return std::nullopt;
    }
    const int tag = item->data().toInt();
    if (tag < 1 || tag >= menuEntryTexts.size())
        return std::nullopt;
    return menuEntryTexts.at(tag);
}
