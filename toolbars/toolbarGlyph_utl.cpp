/** @file toolbarGlyph_utl.cpp ** Glyph files read into pictures. **/
#include "toolbars/toolbarGlyph_utl.h"

#include "core/global_utl.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>

#include <cmath>

namespace {

/// 96 dpi in dots per metre: a picture at this density or less shows at its pixel size.
constexpr double kStandardDotsPerMeter = 96 / 0.0254;

QString glyphPath(const QString& fileName)
{
    if (fileName.isEmpty() || QDir::isAbsolutePath(fileName))
        return fileName;
    return applicationFolder + fileName;
}

} // namespace

TToolbarGlyph loadToolbarGlyph(const QString& fileName, int numGlyphs)
{
    TToolbarGlyph glyph;
    const QString path = glyphPath(fileName);
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return glyph;
    QImageReader reader(path);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > maxGlyphSide || size.height() > maxGlyphSide)
        return glyph;
    QImage image = reader.read();
    if (image.isNull())
        return glyph;
    const int density = image.dotsPerMeterX() > 0
        ? qBound(1, int(std::lround(image.dotsPerMeterX() / kStandardDotsPerMeter)), 4)
        : 1;
    if (!image.hasAlphaChannel()) {
        image = image.convertToFormat(QImage::Format_ARGB32);
        const QRgb transparent = image.pixel(0, image.height() - 1);
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                if (line[x] == transparent)
                    line[x] = 0;
        }
    } else {
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    if (numGlyphs < 1 || numGlyphs > image.width())
        numGlyphs = 1;
    const int width = image.width() / numGlyphs;
    const auto picture = [&](int i) {
        if (i >= numGlyphs)
            return QImage();
        QImage p = image.copy(i * width, 0, width, image.height());
        p.setDevicePixelRatio(density);
        return p;
    };
    glyph.up = picture(0);
    glyph.disabled = picture(1);
    glyph.down = picture(2);
    return glyph;
}

const TToolbarGlyph& TGlyphCache::glyph(const QString& fileName, int numGlyphs)
{
    const QString key = QString::number(numGlyphs) + u'|' + fileName;
    auto it = m_glyphs.find(key);
    if (it == m_glyphs.end())
        it = m_glyphs.insert(key, loadToolbarGlyph(fileName, numGlyphs));
    return *it;
}
