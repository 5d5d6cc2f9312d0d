/** @file windowPlacement_utl.h ** Where the main window and its floating windows go on a
 ** screen: the first start's size, and stored places fitted back onto the screen. **/
#pragma once

#include <QRect>

/// The share of the available screen, in each direction, that the main window takes on the
/// first start.
inline constexpr double firstStartScreenShare = 0.8;

/// `firstStartScreenShare` of `available` in each direction, centred in it.
QRect firstStartGeometry(const QRect& available);
/// `wanted` made no larger than `available` and moved, as little as needed, to lie wholly in
/// it: a window stored on a larger or since removed screen comes back where it can be seen.
QRect fitIntoScreen(const QRect& wanted, const QRect& available);
