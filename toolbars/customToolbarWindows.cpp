/** @file customToolbarWindows.cpp ** The toolbar windows, their commands and their places. **/
#include "toolbars/customToolbarWindows.h"

#include "core/errors_utl.h"
#include "core/global_utl.h"
#include "core/hotkeys_utl.h"
#include "document/Childwin.h"
#include "document/TDocumentHost.h"
#include "templates/dynamicMenus_utl.h"
#include "toolbars/TToolbarButton.h"
#include "toolbars/TToolbarWindow.h"
#include "toolbars/common/menuCommands_utl.h"
#include "toolbars/toolbarDocks_utl.h"
#include "toolbars/toolbarGlyph_utl.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>

#include <limits>

QList<TToolbarWindow*> toolbarWindows;

namespace {

constexpr uint8_t kErrNotToolbarsFile = 20;

QPointer<QMainWindow> g_dock;

Qt::ToolBarArea areaOfDock(int32_t dock)
{
    switch (dock) {
    case tdRight:
        return Qt::RightToolBarArea;
    case tdBottom:
        return Qt::BottomToolBarArea;
    case tdLeft:
        return Qt::LeftToolBarArea;
    default:
        return Qt::TopToolBarArea;
    }
}

int32_t dockOfArea(Qt::ToolBarArea area)
{
    switch (area) {
    case Qt::RightToolBarArea:
        return tdRight;
    case Qt::BottomToolBarArea:
        return tdBottom;
    case Qt::LeftToolBarArea:
        return tdLeft;
    default:
        return tdTop;
    }
}

TToolbarWindow* buildWindow(const TToolbar& description, QMainWindow* dock, bool inert,
    TGlyphCache& glyphs, QToolBar* before)
{
    auto* window = new TToolbarWindow(description, dock);
    const TMenuCommands* commands = description.Commands;
    for (const TToolbarElement& e : description.Elements) {
        if (e.IsSeparator == 1) {
            window->addSeparator();
            continue;
        }
        if (e.IsSeparator != 0)
            continue;
        auto* button = new TToolbarButton(e, glyphs.glyph(e.GlyphFileName, e.NumGlyphs), window);
        const bool bound = commands && e.CommandIndex >= 0 && e.CommandIndex < commands->count();
        if (bound) {
            const TMenuCommand& command = commands->at(e.CommandIndex);
            if (!inert)
                button->setAction(command.Action);
            button->setTag(command.Tag);
        }
        window->addWidget(button);
    }
    if (before)
        dock->insertToolBar(before, window);
    else
        dock->addToolBar(Qt::TopToolBarArea, window);
    return window;
}

/// A command of the document windows' menus that the frame's own menu has too.
void runFrameCommand(const QString& name)
{
    if (name == u"FileNewItem") {
        newDocument();
    } else if (name == u"FileOpenItem") {
        openFile();
    } else if (TDocumentHost* host = documentHost()) {
        if (name == u"FileExitItem")
            host->closeMainWindow();
        else if (name == u"HelpAboutItem")
            host->showAbout();
    }
}

void runDocumentCommand(const QString& name)
{
    TMDIChild* window = activeDocumentWindow();
    if (!window) {
        runFrameCommand(name);
        return;
    }
    if (QAction* item = window->menuItem(name))
        item->trigger();
}

void rebuild(QMainWindow* dock, bool inert, const TToolbarPlaces* places)
{
    if (!dock)
        return;
    while (!toolbarWindows.isEmpty())
        delete toolbarWindows.takeLast();
    g_dock = dock;
    const QList<TToolbar>& descriptions = toolbarDescriptions.Toolbars;
    TGlyphCache glyphs;
    QToolBar* before = nullptr;
    for (qsizetype i = descriptions.size() - 1; i >= 0; --i) {
        TToolbarWindow* window = buildWindow(descriptions.at(i), dock, inert, glyphs, before);
        window->setDescriptionIndex(i);
        window->setMovable(!inert); // a preview stays in its dock
        toolbarWindows.append(window);
        before = window;
    }
    const bool shown = inert || globalOptions.toolbarsVisible;
    for (TToolbarWindow* window : std::as_const(toolbarWindows))
        window->setVisible(shown && window->describedVisible());
    if (inert)
        return;
    if (places)
        applyToolbarPlaces(*places);
    else
        loadToolbarPositions();
}

} // namespace

// --- The window ---------------------------------------------------------------------------

TToolbarWindow::TToolbarWindow(const TToolbar& description, QWidget* parent)
    : QToolBar(description.ToolbarName, parent)
    , m_descriptionId(description.id())
    , m_describedVisible(description.Visible != 0)
{
    // Its place is saved and restored by this name; the frame's dock menu does not list it,
    // as a toolbar window has no close button.
    setObjectName(QStringLiteral("customToolbar") + QString::number(m_descriptionId));
    toggleViewAction()->setVisible(false);
    // Floating, it is a window of its own that must leave the keyboard in the text.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFloatable(true);
    setMovable(true);
}

TToolbarWindow::~TToolbarWindow()
{
    toolbarWindows.removeAll(this);
}

// --- Building -----------------------------------------------------------------------------

QMainWindow* toolbarWindowsDock()
{
    return toolbarWindows.isEmpty() ? nullptr : g_dock.data();
}

TToolbarWindow* buildToolbarWindow(const TToolbar& description, QMainWindow* dock, bool inert)
{
    if (!dock)
        return nullptr;
    TGlyphCache glyphs;
    TToolbarWindow* window = buildWindow(description, dock, inert, glyphs, nullptr);
    window->show();
    return window;
}

void rebuildToolbars(QMainWindow* dock, bool inert)
{
    rebuild(dock, inert, nullptr);
}

void rebuildToolbars(QMainWindow* dock, bool inert, const TToolbarPlaces& places)
{
    rebuild(dock, inert, &places);
}

// --- Places -------------------------------------------------------------------------------

QList<TToolbarPlace> toolbarPlaces()
{
    QList<TToolbarPlace> places;
    QMainWindow* dock = toolbarWindowsDock();
    if (!dock)
        return places;
    QHash<const QToolBar*, TToolbarSpot> spots;
    for (const TToolbarSpot& s : toolbarSpots(dock))
        spots.insert(s.toolbar, s);
    for (const TToolbarWindow* window : std::as_const(toolbarWindows)) {
        TToolbarPlace p;
        const auto it = spots.constFind(window);
        if (it != spots.constEnd()) {
            p.dock = it->floating ? tdFloating : dockOfArea(it->area);
            p.dockRow = it->row;
            p.dockPos = it->pos;
        }
        p.x = window->geometry().x();
        p.y = window->geometry().y();
        places.append(p);
    }
    return places;
}

void applyToolbarPlaces(const TToolbarPlaces& places)
{
    QMainWindow* dock = toolbarWindowsDock();
    if (!dock)
        return;
    bool anyTop = false;
    int lastTopRow = 0;
    QList<TToolbarSpot> spots;
    for (qsizetype i = 0; i < toolbarWindows.size() && i < places.size(); ++i) {
        if (!places.at(i))
            continue;
        const TToolbarPlace& p = *places.at(i);
        TToolbarSpot s;
        s.toolbar = toolbarWindows.at(i);
        s.floating = p.dock == tdFloating;
        s.area = areaOfDock(p.dock);
        s.row = p.dockRow;
        s.pos = p.dockPos;
        if (s.floating) {
            s.geometry = QRect(p.x, p.y, 0, 0);
        } else if (s.area == Qt::TopToolBarArea) {
            lastTopRow = anyTop ? qMax(lastTopRow, s.row) : s.row;
            anyTop = true;
        }
        spots.append(s);
    }
    if (spots.isEmpty())
        return; // every window stays where it was built
    // The others join the top dock's last row, in description order.
    for (qsizetype i = toolbarWindows.size() - 1; i >= 0; --i) {
        if (i < places.size() && places.at(i))
            continue;
        TToolbarSpot s;
        s.toolbar = toolbarWindows.at(i);
        s.row = lastTopRow;
        s.pos = std::numeric_limits<int>::max();
        spots.append(s);
    }
    arrangeToolbars(dock, spots);
}

void saveToolbarPositions(const QString& key)
{
    writeToolbarPlaces(key, toolbarPlaces());
}

void loadToolbarPositions(const QString& key)
{
    const QList<TToolbarPlace> stored = readToolbarPlaces(key, toolbarWindows.size());
    TToolbarPlaces places;
    for (const TToolbarPlace& p : stored)
        places.append(p);
    applyToolbarPlaces(places);
}

void setToolbarWindowsVisible(bool visible)
{
    for (TToolbarWindow* window : std::as_const(toolbarWindows))
        window->setVisible(visible && window->describedVisible());
}

// --- Commands and start-up ----------------------------------------------------------------

TMenuCommandAction documentCommandAction(const QAction* item)
{
    if (item->menu())
        return {};
    // Only entries of the menus file carry positive tags (their index in menuEntryTexts); the
    // document window's own items carry 0, or -1 to stay out of this list.
    if (menuItemTag(item) > 0)
        return [](QObject* sender) {
            const auto* button = qobject_cast<const TToolbarButton*>(sender);
            if (!button)
                return;
            QString title = button->caption();
            title.remove(u'&');
            TMDIChild* window = activeDocumentWindow();
            dynamicMenuItemClick(button->tag(), title, window ? &window->source() : nullptr);
        };
    const QString name = item->objectName();
    if (name.isEmpty())
        return {};
    return [name](QObject*) { runDocumentCommand(name); };
}

void buildDocumentMenuCommands(TMenuCommands& commands, const QMenuBar* menu)
{
    buildMenuCommands(commands, menu, &documentCommandAction);
}

void loadToolbarsAtStartup(const QMenuBar* menu, QMainWindow* form)
{
    buildDocumentMenuCommands(toolbarDescriptions.Commands, menu);
    if (!loadToolbarsFile(toolbarDescriptions, toolbarFileName)) {
        showError(kErrNotToolbarsFile, toolbarFileName);
        return;
    }
    rebuildToolbars(form, false);
}
