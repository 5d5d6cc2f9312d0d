/** @file colorValue_utl.h ** Turns stored colour values (0x00BBGGRR or a system colour) into QColors. **/
#pragma once

#include <QColor>
#include <QPalette>
#include <cstdint>

/// `value` is 0x00BBGGRR, or negative for a system colour whose index is the low byte. System
/// colours are looked up in `palette` by the nearest role, so they follow the desktop theme.
QColor colorValueToQColor(int32_t value, const QPalette& palette);
/// Same, against the application palette.
QColor colorValueToQColor(int32_t value);
/// The 0x00BBGGRR value of an explicit colour (alpha is dropped).
int32_t qColorToColorValue(const QColor& color);
