/** @file customToolbarWindows.h ** The toolbar windows built from the descriptions: their
 ** buttons run commands on the active document window, and their places are saved and
 ** restored. **/
#pragma once

#include "toolbars/common/customToolbar_utl.h"
#include "toolbars/common/toolbarPositions_utl.h"

#include <QList>
#include <optional>

class QAction;
class QMainWindow;
class QMenuBar;
class TToolbarWindow;

/// The windows built from `toolbarDescriptions`, in the reverse order of the descriptions, so
/// window 0 is the last toolbar of the file.
extern QList<TToolbarWindow*> toolbarWindows;

/// The window `dock` the windows are built in (its top dock); null when there are none.
QMainWindow* toolbarWindowsDock();

/// Builds and shows the window of one description, docked at the end of `dock`'s top dock.
/// Buttons of an inert window run nothing.
TToolbarWindow* buildToolbarWindow(const TToolbar& description, QMainWindow* dock, bool inert);

/// Places by window index; nothing for a window that keeps the place it was built in.
using TToolbarPlaces = QList<std::optional<TToolbarPlace>>;

/// Frees every toolbar window and builds one per description, from the last to the first,
/// into `dock` (nothing when it is null); so they stand in description order. Live windows
/// show as their descriptions say while "Tool&bars" is on, and go where the store says.
void rebuildToolbars(QMainWindow* dock, bool inert);
/// The same, but live windows go to `places` rather than where the store says.
void rebuildToolbars(QMainWindow* dock, bool inert, const TToolbarPlaces& places);

/// Where each window of `toolbarWindows` stands now.
QList<TToolbarPlace> toolbarPlaces();
/// Puts windows at their places: window i at places[i]; windows without one join the end of
/// the top dock's last row.
void applyToolbarPlaces(const TToolbarPlaces& places);
/// The settings save's part: every window's place under `key`.
void saveToolbarPositions(const QString& key = toolbarPositionsKey);
/// Puts the windows where the store says; only as many as exist.
void loadToolbarPositions(const QString& key = toolbarPositionsKey);

/// Shows the windows whose descriptions are visible, or hides them all.
void setToolbarWindowsVisible(bool visible);

/// Start-up: the commands from a document window's menu (with its dynamic menus), the
/// toolbar file, and the windows in `form`'s top dock at their stored places. A missing or
/// unreadable file is reported (code 20) and gives no toolbars.
void loadToolbarsAtStartup(const QMenuBar* menu, QMainWindow* form);

/// What a toolbar button bound to `item` runs: the item of the same name in the active
/// document window's menu, or for an entry of the menus file its template, by the button's
/// tag and with its caption as the wizard's title. With no document window open it runs
/// only what the frame's own menu offers (New, Open, Exit, About). Submenus run nothing.
TMenuCommandAction documentCommandAction(const QAction* item);
/// The commands of `menu` with actions that run on the active document window.
void buildDocumentMenuCommands(TMenuCommands& commands, const QMenuBar* menu);
