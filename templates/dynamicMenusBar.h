/** @file dynamicMenusBar.h ** Builds the menus of the dynamic menus file into a document window's
 ** menu bar. **/
#pragma once

#include <QString>
#include <cstdint>
#include <functional>

class QAction;
class QMenuBar;

/// The most items a menu takes from the file, and the most top-level menus the bar takes; the
/// rest go into a trailing submenu captioned `dynamicMenuOverflowCaption` (tag -1), chained as
/// often as needed, so the file's order is kept depth first. No menu that fits on a screen
/// comes near these.
inline constexpr int maxDynamicMenuItems = 1000;
inline constexpr int maxDynamicTopLevelMenus = 100;
extern const QString dynamicMenuOverflowCaption;

/// Called with the entry's action; its data() is the tag, its text() the caption.
using TMenuClickHandler = std::function<void(QAction*)>;

/// Reads `fileName` and inserts its n-th top-level menu at position firstIndex + n of `menu`;
/// replaces `menuEntryTexts`. An entry captioned "-" is a separator without text. Failures go
/// through showError (1 missing file, 4 invalid file); the menus finished before a failure stay.
void loadDynamicMenus(const QString& fileName, QMenuBar* menu, uint8_t firstIndex,
                      const TMenuClickHandler& onClick);
