/** @file toolbarPositions_utl.cpp ** The toolbar positions in the settings store. **/
#include "toolbars/common/toolbarPositions_utl.h"

#include "platform/SettingsStore.h"

#include <algorithm>
#include <limits>

const QString toolbarPositionsKey
    = QStringLiteral("Software\\Orvane\\Pagemason\\Toolbars&Windows\\Toolbars Positions");

namespace {

/// Decimal, or hexadecimal after "0x" when the text is longer than two characters, as every
/// integer of the store; anything else is the default.
int32_t readInteger(
    pm::SettingsStore& store, const QString& key, const QString& name, int32_t fallback)
{
    const auto stored = store.readString(key, name);
    if (!stored)
        return fallback;
    const QString s = stored->trimmed();
    bool ok = false;
    if (s.size() > 2 && (s.startsWith(u"0x") || s.startsWith(u"0X"))) {
        const uint32_t bits = s.mid(2).toUInt(&ok, 16);
        return ok ? int32_t(bits) : fallback;
    }
    const qlonglong value = s.toLongLong(&ok, 10);
    if (!ok || value < std::numeric_limits<int32_t>::min()
        || value > std::numeric_limits<int32_t>::max())
        return fallback;
    return int32_t(value);
}

QString valueName(qsizetype i, const char* what)
{
    return QStringLiteral("Toolbar #") + QString::number(i) + QLatin1Char(' ')
        + QLatin1String(what);
}

} // namespace

QList<TToolbarPlace> readToolbarPlaces(const QString& key, qsizetype windowCount)
{
    pm::SettingsStore& store = pm::settingsStore();
    const int32_t stored = readInteger(store, key, QStringLiteral("Toolbars Count"), 0);
    const qsizetype count = std::clamp<qsizetype>(stored, 0, qMax<qsizetype>(windowCount, 0));
    QList<TToolbarPlace> places;
    places.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        TToolbarPlace p;
        p.dock = readInteger(store, key, valueName(i, "dock"), tdTop);
        if (p.dock < tdFloating || p.dock > tdLeft)
            p.dock = tdTop;
        p.dockPos = readInteger(store, key, valueName(i, "dockpos"), 0);
        p.dockRow = readInteger(store, key, valueName(i, "dockrow"), 0);
        p.x = readInteger(store, key, valueName(i, "x"), 0);
        p.y = readInteger(store, key, valueName(i, "y"), 0);
        places.append(p);
    }
    return places;
}

bool writeToolbarPlaces(const QString& key, const QList<TToolbarPlace>& places)
{
    pm::SettingsStore& store = pm::settingsStore();
    pm::SettingsUpdate update(store);
    store.writeString(key, QStringLiteral("Toolbars Count"), QString::number(places.size()));
    for (qsizetype i = 0; i < places.size(); ++i) {
        const TToolbarPlace& p = places.at(i);
        store.writeString(key, valueName(i, "dock"), QString::number(p.dock));
        store.writeString(key, valueName(i, "dockpos"), QString::number(p.dockPos));
        store.writeString(key, valueName(i, "dockrow"), QString::number(p.dockRow));
        store.writeString(key, valueName(i, "x"), QString::number(p.x));
        store.writeString(key, valueName(i, "y"), QString::number(p.y));
    }
    return update.finish();
}
