/** @file toolbarGlyph_utl.h ** The pictures of a toolbar button's glyph file. **/
#pragma once

#include <QHash>
#include <QImage>
#include <QString>

/// A glyph file holds its pictures side by side: up, disabled, down. A picture with no alpha
/// channel is transparent wherever it has the colour of the file's bottom-left pixel. The
/// file's resolution gives the pictures' size on the screen: one stored at 192 dpi shows at
/// half its pixel size, so it stays sharp on a screen of twice the density.
struct TToolbarGlyph
{
    QImage up; ///< null when the file gave no picture
    QImage disabled; ///< null when the file has no second picture
    QImage down; ///< null when the file has no third picture
    bool isNull() const { return up.isNull(); }
    /// Size on the screen, in device-independent pixels.
    QSize size() const { return up.isNull() ? QSize() : up.deviceIndependentSize().toSize(); }
};

/// The largest glyph picture read, in pixels on each side; larger files give no picture.
inline constexpr int maxGlyphSide = 1024;

/// The pictures of `fileName`; a relative name is taken in the program's folder. Nothing for
/// a missing, empty, unreadable or oversized file. `numGlyphs` outside 1 to the picture's
/// width counts as 1.
TToolbarGlyph loadToolbarGlyph(const QString& fileName, int numGlyphs);

/// Keeps each file's pictures for one rebuild of the toolbars, which may name a file often.
class TGlyphCache
{
public:
    const TToolbarGlyph& glyph(const QString& fileName, int numGlyphs);

private:
    QHash<QString, TToolbarGlyph> m_glyphs;
};
