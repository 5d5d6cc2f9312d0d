/** @file colorValue_utl.cpp ** Stored colour values to QColors and back. **/
#include "editor/colorValue_utl.h"

#include <QGuiApplication>

namespace {

struct SystemRole {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// Indexed by the Windows system colour number (scroll bar = 0 ... menu bar = 30).
constexpr SystemRole systemRoles[] = {
    { QPalette::Active, QPalette::Button },          // scroll bar
    { QPalette::Active, QPalette::Window },          // desktop
    { QPalette::Active, QPalette::Highlight },       // active caption
    { QPalette::Inactive, QPalette::Mid },           // inactive caption
    { QPalette::Active, QPalette::Window },          // menu
    { QPalette::Active, QPalette::Base },            // window
    { QPalette::Active, QPalette::Shadow },          // window frame
    { QPalette::Active, QPalette::WindowText },      // menu text
    { QPalette::Active, QPalette::Text },            // window text
    { QPalette::Active, QPalette::HighlightedText }, // caption text
    { QPalette::Active, QPalette::Window },          // active border
    { QPalette::Inactive, QPalette::Window },        // inactive border
    { QPalette::Active, QPalette::Dark },            // application workspace
    { QPalette::Active, QPalette::Highlight },       // highlight
    { QPalette::Active, QPalette::HighlightedText }, // highlight text
    { QPalette::Active, QPalette::Button },          // button face
    { QPalette::Active, QPalette::Mid },             // button shadow
    { QPalette::Disabled, QPalette::Text },          // grey text
    { QPalette::Active, QPalette::ButtonText },      // button text
    { QPalette::Inactive, QPalette::WindowText },    // inactive caption text
    { QPalette::Active, QPalette::Light },           // button highlight
    { QPalette::Active, QPalette::Shadow },          // 3D dark shadow
    { QPalette::Active, QPalette::Midlight },        // 3D light
    { QPalette::Active, QPalette::ToolTipText },     // info text
    { QPalette::Active, QPalette::ToolTipBase },     // info background
    { QPalette::Active, QPalette::Window },          // (unused number)
    { QPalette::Active, QPalette::Link },            // hot light
    { QPalette::Active, QPalette::Highlight },       // gradient active caption
    { QPalette::Inactive, QPalette::Mid },           // gradient inactive caption
    { QPalette::Active, QPalette::Highlight },       // menu highlight
    { QPalette::Active, QPalette::Window },          // menu bar
};

} // namespace

QColor colorValueToQColor(int32_t value, const QPalette& palette)
{
    if (value >= 0)
        return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
    const unsigned index = static_cast<uint32_t>(value) & 0xFF;
    // Numbers the system never defined fall back to plain text colour rather than black-on-black.
    if (index >= std::size(systemRoles))
        return palette.color(QPalette::Active, QPalette::WindowText);
    const SystemRole& r = systemRoles[index];
    return palette.color(r.group, r.role);
}

QColor colorValueToQColor(int32_t value)
{
    return colorValueToQColor(value, QGuiApplication::palette());
}

int32_t qColorToColorValue(const QColor& color)
{
    const QColor c = color.toRgb();
    return int32_t(c.red()) | (int32_t(c.green()) << 8) | (int32_t(c.blue()) << 16);
}
