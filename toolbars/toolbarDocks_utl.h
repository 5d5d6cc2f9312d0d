/** @file toolbarDocks_utl.h ** Where toolbars stand in a main window's four docks: the row and
 ** the order within it, or floating, for hidden toolbars too. **/
#pragma once

#include <QList>
#include <QRect>
#include <Qt>

class QMainWindow;
class QToolBar;

/// One toolbar's place in its window.
struct TToolbarSpot
{
    QToolBar* toolbar = nullptr;
    Qt::ToolBarArea area = Qt::TopToolBarArea; ///< floating ones too keep a dock to go back to
    int row = 0; ///< 0-based, from the window's edge inwards
    int pos = 0; ///< 0-based order within the row
    bool floating = false;
    QRect geometry; ///< floating: the toolbar's window on the screen
};

/// Every toolbar docked in (or floating from) `window`, dock by dock, row by row, in order.
/// Hidden toolbars keep the places they will come back to.
QList<TToolbarSpot> toolbarSpots(const QMainWindow* window);

/// Puts the toolbars of `spots` where they say: per dock, rows in ascending order of `row`
/// and, within one row, in ascending order of `pos` (equal values keep the list's order), so
/// rows and places need not be consecutive. Floating ones go to their geometry, moved onto a
/// screen when none shows enough of it. Toolbars of the window not in `spots` keep their
/// places; visibility is left as it is.
void arrangeToolbars(QMainWindow* window, const QList<TToolbarSpot>& spots);
