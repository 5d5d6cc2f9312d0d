/** @file toolbarPositions_utl.h ** Where each toolbar window stands, as the settings store keeps
 ** it. **/
#pragma once

#include <QList>
#include <QString>
#include <cstdint>

/// Docks as the store numbers them.
enum : int32_t { tdFloating = 0, tdTop = 1, tdRight = 2, tdBottom = 3, tdLeft = 4 };

/// The place of one toolbar window.
struct TToolbarPlace
{
    int32_t dock = tdTop;
    int32_t dockPos = 0; ///< order within its row of the dock
    int32_t dockRow = 0; ///< row within the dock
    int32_t x = 0; ///< left edge (on the screen when floating)
    int32_t y = 0; ///< top edge
    bool operator==(const TToolbarPlace&) const = default;
};

/// "Software\Orvane\Pagemason\Toolbars&Windows\Toolbars Positions".
extern const QString toolbarPositionsKey;

/// The places stored under `key` for windows 0 to "Toolbars Count" - 1, but never more than
/// `windowCount`. A dock the store does not know is the top dock; missing values and texts
/// that are no number read as their defaults.
QList<TToolbarPlace> readToolbarPlaces(const QString& key, qsizetype windowCount);
/// Writes "Toolbars Count" and every place, in one update of the store.
bool writeToolbarPlaces(const QString& key, const QList<TToolbarPlace>& places);
