/** @file dynamicMenusBar.h ** Builds the menus of the dynamic menus file into a document window's
 ** menu bar. **/
#pragma once

#include <QString>
#include <cstdint>
#include <functional>

class QAction;
class QMenuBar;

/// Called with the entry's action; its data() is the tag, its text() the caption.
using TMenuClickHandler = std::function<void(QAction*)>;

/// Reads `fileName` and inserts its n-th top-level menu at position firstIndex + n of `menu`;
/// replaces `menuEntryTexts`. Failures go through showError (1 missing file, 4 invalid file);
/// the menus finished before a failure stay.
void loadDynamicMenus(const QString& fileName, QMenuBar* menu, uint8_t firstIndex,
                      const TMenuClickHandler& onClick);
