/** @file toolbarDocks_utl.cpp ** Reading and setting toolbar places through the main window's
 ** saved state. **/
#include "toolbars/toolbarDocks_utl.h"

#include <QDataStream>
#include <QGuiApplication>
#include <QHash>
#include <QIODevice>
#include <QMainWindow>
#include <QScreen>
#include <QSet>
#include <QToolBar>

#include <algorithm>
#include <optional>

// QMainWindow tells where its toolbars stand, hidden and floating ones included, only in its
// saved state, and sets a floating place only from one. The state ends with the toolbar
// section laid out below (the format Qt has kept since 4.5): it is found, read, and written
// back with the places wanted, leaving the dock widgets' section before it as it was.

namespace {

constexpr uchar kMarker = 0xfe; ///< a section without floating geometry
constexpr uchar kMarkerEx = 0xfc;
/// The state's dock numbers.
enum { kLeftDock = 0, kRightDock = 1, kTopDock = 2, kBottomDock = 3, kDockCount = 4 };

struct StateItem
{
    QString name;
    uchar shown = 1; ///< bit 0 shown, bit 1 vertical when floating
    qint32 pos = 0;
    qint32 size = -1;
    quint32 geom0 = 0;
    quint32 geom1 = 0;
};

struct StateLine
{
    qint32 dock = kTopDock;
    QList<StateItem> items;
};

struct ToolbarSection
{
    qsizetype offset = 0; ///< where it starts in the state
    QList<StateLine> lines;
};

int dockOf(Qt::ToolBarArea area)
{
    switch (area) {
    case Qt::LeftToolBarArea:
        return kLeftDock;
    case Qt::RightToolBarArea:
        return kRightDock;
    case Qt::BottomToolBarArea:
        return kBottomDock;
    default:
        return kTopDock;
    }
}

Qt::ToolBarArea areaOf(int dock)
{
    static const Qt::ToolBarArea areas[kDockCount]
        = { Qt::LeftToolBarArea, Qt::RightToolBarArea, Qt::TopToolBarArea, Qt::BottomToolBarArea };
    return areas[dock];
}

QRect unpackRect(quint32 geom0, quint32 geom1)
{
    geom0 >>= 1;
    const int x = int(geom0 & 0xffff) - 0x7fff;
    const int y = int(geom1 & 0xffff) - 0x7fff;
    return QRect(x, y, int((geom0 >> 16) & 0xffff), int((geom1 >> 16) & 0xffff));
}

void packRect(const QRect& r, quint32* geom0, quint32* geom1)
{
    const quint32 x = quint32(qBound(-0x7fff, r.x(), 0x8000) + 0x7fff) & 0xffff;
    const quint32 y = quint32(qBound(-0x7fff, r.y(), 0x8000) + 0x7fff) & 0xffff;
    const quint32 w = quint32(qBound(1, r.width(), 0x7fff));
    const quint32 h = quint32(qBound(1, r.height(), 0x7fff));
    *geom0 = ((w << 16 | x) << 1) | 1;
    *geom1 = h << 16 | y;
}

std::optional<QList<StateLine>> readSection(
    const QByteArray& state, qsizetype offset, const QSet<QString>& names)
{
    QDataStream in(state.sliced(offset));
    uchar marker = 0;
    in >> marker;
    qint32 lineCount = 0;
    in >> lineCount;
    // Each line takes at least 8 bytes: a count larger than the rest cannot be one.
    if (lineCount < 0 || lineCount > (state.size() - offset) / 8)
        return std::nullopt;
    QList<StateLine> lines;
    for (qint32 j = 0; j < lineCount; ++j) {
        StateLine line;
        qint32 count = 0;
        in >> line.dock >> count;
        if (in.status() != QDataStream::Ok || line.dock < 0 || line.dock >= kDockCount || count < 0
            || count > (state.size() - offset) / 8)
            return std::nullopt;
        for (qint32 k = 0; k < count; ++k) {
            StateItem item;
            in >> item.name >> item.shown >> item.pos >> item.size >> item.geom0;
            if (marker == kMarkerEx)
                in >> item.geom1;
            if (in.status() != QDataStream::Ok || !names.contains(item.name))
                return std::nullopt;
            line.items.append(item);
        }
        lines.append(line);
    }
    if (in.status() != QDataStream::Ok || !in.atEnd())
        return std::nullopt;
    return lines;
}

QList<QToolBar*> windowToolbars(const QMainWindow* window)
{
    return window->findChildren<QToolBar*>(Qt::FindDirectChildrenOnly);
}

/// The toolbar section of `state`: the first place where a section naming only the window's
/// toolbars runs exactly to the end.
std::optional<ToolbarSection> findSection(const QByteArray& state, const QMainWindow* window)
{
    QSet<QString> names;
    for (const QToolBar* t : windowToolbars(window))
        names.insert(t->objectName());
    for (qsizetype at = state.indexOf(char(kMarkerEx)); at >= 0;
         at = state.indexOf(char(kMarkerEx), at + 1)) {
        if (auto lines = readSection(state, at, names))
            return ToolbarSection { at, *lines };
    }
    for (qsizetype at = state.indexOf(char(kMarker)); at >= 0;
         at = state.indexOf(char(kMarker), at + 1)) {
        if (auto lines = readSection(state, at, names))
            return ToolbarSection { at, *lines };
    }
    return std::nullopt;
}

/// A floating toolbar the user can reach: left where it is when a screen shows enough of it,
/// else moved into the screen that shows most of it (the primary one when none does).
QRect ontoScreen(const QRect& wanted)
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    const QScreen* best = QGuiApplication::primaryScreen();
    int bestArea = 0;
    for (const QScreen* s : screens) {
        const QRect seen = s->availableGeometry().intersected(wanted);
        const int area = seen.isEmpty() ? 0 : seen.width() * seen.height();
        if (seen.width() >= qMin(wanted.width(), 40) && seen.height() >= qMin(wanted.height(), 16))
            return wanted;
        if (area > bestArea) {
            bestArea = area;
            best = s;
        }
    }
    if (!best)
        return wanted;
    const QRect avail = best->availableGeometry();
    QRect r = wanted;
    r.moveLeft(qBound(avail.left(), r.left(), qMax(avail.left(), avail.right() - r.width() + 1)));
    r.moveTop(qBound(avail.top(), r.top(), qMax(avail.top(), avail.bottom() - r.height() + 1)));
    return r;
}

/// Without a state to read: the docked toolbars ordered by where they are drawn, rows from the
/// top or the left. Hidden toolbars are placed where they were drawn last.
QList<TToolbarSpot> spotsFromGeometry(const QMainWindow* window)
{
    QList<TToolbarSpot> spots;
    for (QToolBar* t : windowToolbars(window)) {
        const Qt::ToolBarArea area = window->toolBarArea(t);
        if (area == Qt::NoToolBarArea)
            continue;
        TToolbarSpot s;
        s.toolbar = t;
        s.area = area;
        s.floating = t->isFloating();
        s.geometry = t->geometry();
        spots.append(s);
    }
    const auto across = [](const TToolbarSpot& s) {
        const bool vertical = s.area == Qt::LeftToolBarArea || s.area == Qt::RightToolBarArea;
        return vertical ? s.geometry.x() : s.geometry.y();
    };
    const auto along = [](const TToolbarSpot& s) {
        const bool vertical = s.area == Qt::LeftToolBarArea || s.area == Qt::RightToolBarArea;
        return vertical ? s.geometry.y() : s.geometry.x();
    };
    std::stable_sort(spots.begin(), spots.end(), [&](const TToolbarSpot& a, const TToolbarSpot& b) {
        if (a.area != b.area)
            return a.area < b.area;
        return across(a) != across(b) ? across(a) < across(b) : along(a) < along(b);
    });
    for (qsizetype i = 0; i < spots.size(); ++i) {
        TToolbarSpot& s = spots[i];
        if (i > 0 && spots[i - 1].area == s.area) {
            const bool newRow = across(spots[i - 1]) != across(s);
            s.row = spots[i - 1].row + (newRow ? 1 : 0);
            s.pos = newRow ? 0 : spots[i - 1].pos + 1;
        }
    }
    return spots;
}

/// The spots ordered as they are to stand: by dock, then row, then place, else list order.
QList<TToolbarSpot> ordered(QList<TToolbarSpot> spots)
{
    std::stable_sort(spots.begin(), spots.end(), [](const TToolbarSpot& a, const TToolbarSpot& b) {
        const int da = dockOf(a.area), db = dockOf(b.area);
        if (da != db)
            return da < db;
        if (a.floating != b.floating)
            return b.floating; // floating ones keep lines of their own after the docked rows
        if (a.row != b.row)
            return a.row < b.row;
        return a.pos < b.pos;
    });
    return spots;
}

void arrangeWithoutState(QMainWindow* window, const QList<TToolbarSpot>& spots)
{
    const QList<TToolbarSpot> wanted = ordered(spots);
    for (const TToolbarSpot& s : wanted) {
        const bool hidden = s.toolbar->isHidden();
        window->removeToolBar(s.toolbar);
        s.toolbar->setHidden(hidden);
    }
    for (qsizetype i = 0; i < wanted.size(); ++i) {
        const TToolbarSpot& s = wanted.at(i);
        const bool hidden = s.toolbar->isHidden();
        if (i > 0 && wanted.at(i - 1).area == s.area && wanted.at(i - 1).row != s.row)
            window->addToolBarBreak(s.area);
        window->addToolBar(s.area, s.toolbar);
        s.toolbar->setHidden(hidden);
    }
}

} // namespace

QList<TToolbarSpot> toolbarSpots(const QMainWindow* window)
{
    const QByteArray state = const_cast<QMainWindow*>(window)->saveState();
    const std::optional<ToolbarSection> section = findSection(state, window);
    if (!section)
        return spotsFromGeometry(window);
    QHash<QString, QToolBar*> byName;
    for (QToolBar* t : windowToolbars(window))
        byName.insert(t->objectName(), t);
    QList<TToolbarSpot> spots;
    int rows[kDockCount] = {};
    for (const StateLine& line : section->lines) {
        for (qsizetype k = 0; k < line.items.size(); ++k) {
            const StateItem& item = line.items.at(k);
            TToolbarSpot s;
            s.toolbar = byName.value(item.name);
            s.area = areaOf(line.dock);
            s.row = rows[line.dock];
            s.pos = int(k);
            s.floating = item.geom0 & 1;
            if (s.floating)
                s.geometry = unpackRect(item.geom0, item.geom1);
            spots.append(s);
        }
        ++rows[line.dock];
    }
    return spots;
}

void arrangeToolbars(QMainWindow* window, const QList<TToolbarSpot>& spots)
{
    const QByteArray state = window->saveState();
    const std::optional<ToolbarSection> section = findSection(state, window);
    if (!section) {
        arrangeWithoutState(window, spots);
        return;
    }
    QSet<QString> arranged;
    for (const TToolbarSpot& s : spots)
        arranged.insert(s.toolbar->objectName());

    // Per dock: the lines of the toolbars left alone first, then the arranged rows.
    QList<StateLine> lines[kDockCount];
    for (const StateLine& line : section->lines) {
        StateLine kept { line.dock, {} };
        for (const StateItem& item : line.items)
            if (!arranged.contains(item.name))
                kept.items.append(item);
        if (!kept.items.isEmpty())
            lines[line.dock].append(kept);
    }
    const QList<TToolbarSpot> wanted = ordered(spots);
    for (qsizetype i = 0; i < wanted.size(); ++i) {
        const TToolbarSpot& s = wanted.at(i);
        const int dock = dockOf(s.area);
        const TToolbarSpot* previous = i > 0 ? &wanted.at(i - 1) : nullptr;
        const bool sameLine = previous && dockOf(previous->area) == dock && !s.floating
            && !previous->floating && previous->row == s.row;
        if (!sameLine)
            lines[dock].append(StateLine { dock, {} });
        StateItem item;
        item.name = s.toolbar->objectName();
        item.shown = s.toolbar->isHidden() ? 0 : 1;
        if (s.floating) {
            QRect r = s.geometry;
            if (r.width() <= 0 || r.height() <= 0) {
                // The size a floating toolbar takes is its size lying flat.
                const Qt::Orientation was = s.toolbar->orientation();
                s.toolbar->setOrientation(Qt::Horizontal);
                r.setSize(s.toolbar->sizeHint());
                s.toolbar->setOrientation(was);
            }
            packRect(ontoScreen(r), &item.geom0, &item.geom1);
        }
        lines[dock].last().items.append(item);
    }

    QByteArray out = state.left(section->offset);
    QDataStream stream(&out, QIODevice::Append);
    qint32 lineCount = 0;
    for (const QList<StateLine>& dockLines : lines)
        lineCount += qint32(dockLines.size());
    stream << uchar(kMarkerEx) << lineCount;
    for (const QList<StateLine>& dockLines : lines) {
        for (const StateLine& line : dockLines) {
            stream << line.dock << qint32(line.items.size());
            for (const StateItem& item : line.items)
                stream << item.name << item.shown << item.pos << item.size << item.geom0
                       << item.geom1;
        }
    }
    if (!window->restoreState(out))
        arrangeWithoutState(window, spots);
}
