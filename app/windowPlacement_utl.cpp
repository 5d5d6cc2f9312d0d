/** @file windowPlacement_utl.cpp ** Window places fitted to a screen. **/
#include "app/windowPlacement_utl.h"

#include <algorithm>

QRect firstStartGeometry(const QRect& available)
{
    const QSize size(int(available.width() * firstStartScreenShare),
        int(available.height() * firstStartScreenShare));
    QRect place(QPoint(0, 0), size.expandedTo(QSize(1, 1)));
    place.moveCenter(available.center());
    return place;
}

QRect fitIntoScreen(const QRect& wanted, const QRect& available)
{
    QRect place(
        wanted.topLeft(), wanted.size().boundedTo(available.size()).expandedTo(QSize(1, 1)));
    place.moveLeft(std::clamp(
        place.left(), available.left(), available.left() + available.width() - place.width()));
    place.moveTop(std::clamp(
        place.top(), available.top(), available.top() + available.height() - place.height()));
    return place;
}
