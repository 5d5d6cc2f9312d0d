/** @file hotkeys_utl.h ** The hotkeys file: shortcuts the user gave to menu items, stored by
 ** item name, and the "Change hotkeys" mode that assigns them by clicking menu items. **/
#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>
#include <cstdint>
#include <functional>

class QAction;
class QMenuBar;

/// One record of the hotkeys file.
struct THotkeyRecord {
    QString name;          ///< the menu item's component name, at most 255 Latin-1 characters
    uint16_t shortcut = 0; ///< virtual key | 0x2000 Shift | 0x4000 Ctrl | 0x8000 Alt; 0 = none
};

namespace hotkeys {
constexpr int recordSize = 258;
/// A reader takes at most this many records, so a writer never writes more.
constexpr int maxRecords = 500;
constexpr uint16_t shiftBit = 0x2000;
constexpr uint16_t ctrlBit = 0x4000;
constexpr uint16_t altBit = 0x8000;
} // namespace hotkeys

/// Windows virtual-key form of a key combination; 0 when the key has no virtual-key code or
/// carries a modifier the format cannot hold (Meta).
uint16_t keyToHotkey(const QKeyCombination& key);
uint16_t keySequenceToHotkey(const QKeySequence& sequence);
/// Empty sequence for 0 or an unknown virtual key.
QKeySequence hotkeyToKeySequence(uint16_t hotkey);

/// Reads at most `hotkeys::maxRecords` whole records; a short tail is ignored. A missing file
/// gives an empty list.
QList<THotkeyRecord> readHotkeyFile(const QString& fileName);
/// Writes atomically. Fails (and leaves the old file whole) on an I/O error or when there are
/// more records than a reader accepts; `error` then says why.
bool writeHotkeyFile(const QString& fileName, const QList<THotkeyRecord>& records,
                     QString* error = nullptr);

/// The tag of a menu item (kept in QAction::data(); items made at run time have tag 0).
int menuItemTag(const QAction* item);
void setMenuItemTag(QAction* item, int tag);

/// Every item below the top-level menus of `menu`, depth first in menu order, negative tags
/// included (callers filter them).
QList<QAction*> menuItemsDepthFirst(const QMenuBar* menu);

/// The menu bar of the document window created last; hotkeys are saved from and assigned on it.
void setCurrentHotkeyMenu(QMenuBar* menu);
QMenuBar* currentHotkeyMenu();

/// Records of the items of `menu` with tag 0 or more.
QList<THotkeyRecord> hotkeyRecordsOf(const QMenuBar* menu);
/// Writes the hotkeys file from the current menu. False (after telling the user) on failure.
bool saveHotkeys();
bool saveHotkeys(const QMenuBar* menu, const QString& fileName);
/// Applies the hotkeys file to the current menu; a missing file changes nothing.
void applyHotkeys();
void applyHotkeys(QMenuBar* menu, const QString& fileName);

/// Assignment mode: while it runs, choosing an item of the current menu assigns the key that
/// `hotkeySource` gives (the panel's hotkey box) instead of running the item's command.
void beginHotkeyAssignment(QMenuBar* menu, std::function<QKeySequence()> hotkeySource);
void assignHotkey(QAction* item);
void endHotkeyAssignment();
bool hotkeyAssignmentActive();
