/** @file TTextStyles.h ** Paint styles by index: a name and two colours. **/
#pragma once

#include <QList>
#include <QString>
#include <cstdint>

/// Colours are 0x00BBGGRR, or negative for a system colour (low byte = index).
struct TStyleFont {
    int32_t Color = 0; ///< foreground
};

struct TTextStyle {
    QString Name;
    int32_t Color = 0xFFFFFF; ///< background
    TStyleFont Font;
};

using TTextStyles = QList<TTextStyle>;
