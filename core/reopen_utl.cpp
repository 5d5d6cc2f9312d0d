/** @file reopen_utl.cpp ** The reopen lists and their menus. **/
#include "core/reopen_utl.h"

#include "platform/SettingsStore.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

QStringList fileReopenList;
QStringList projectReopenList;

namespace {
constexpr int maxLoaded = 10;

QString sectionKey(const QString& section)
{
    return QStringLiteral("Software\\Orvane\\Pagemason\\") + section;
}
} // namespace

void loadReopenList(QStringList& list, const QString& section)
{
    list.clear();
    pm::SettingsStore& store = pm::settingsStore();
    const QString key = sectionKey(section);
    for (int k = 0; k < maxLoaded; ++k) {
        const QString value = store.readString(key, QString::number(k), QString());
        if (value.isEmpty())
            break;
        list.append(value);
    }
}

bool saveReopenList(const QStringList& list, const QString& section)
{
    pm::SettingsStore& store = pm::settingsStore();
    const QString key = sectionKey(section);
    pm::SettingsUpdate update(store);
    for (int k = 0; k < list.size(); ++k)
        store.writeString(key, QString::number(k), list[k]);
    return update.finish();
}

void addToReopenList(QStringList& list, const QString& name)
{
    list.removeIf([](const QString& entry) { return !QFileInfo::exists(entry); });
    if (name.isEmpty())
        return;
    list.removeIf([&](const QString& entry) { return entry.compare(name, Qt::CaseInsensitive) == 0; });
    list.prepend(name);
}

void buildReopenMenu(const QStringList& list, QMenu* submenu,
                     const std::function<void(const QString&)>& open)
{
    if (!submenu)
        return;
    submenu->clear();
    for (const QString& entry : list) {
        // Menus treat "&" as an accelerator mark; a file name shows as it is.
        QString caption = QFileInfo(entry).fileName();
        caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* item = submenu->addAction(caption);
        QObject::connect(item, &QAction::triggered, submenu, [open, entry] {
            if (open)
                open(entry);
        });
    }
}
