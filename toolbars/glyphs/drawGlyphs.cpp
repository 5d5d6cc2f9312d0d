/** @file drawGlyphs.cpp ** Draws the shipped toolbar glyphs: each one a few shapes on a 24 x 24
 ** grid, written as a 48 x 48 bitmap at 192 dpi (sharp at twice the density, halved smoothly
 ** at standard density) and as an SVG file with the same shapes. **/
#include <QByteArray>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

#include <cstdio>
#include <functional>

namespace {

constexpr int kGrid = 24;
constexpr int kScale = 2;
constexpr qreal kLine = 1.5;

const QColor kSlate(0x37, 0x47, 0x4f);
const QColor kBlue(0x1e, 0x88, 0xe5);
const QColor kPaleBlue(0xbb, 0xde, 0xfb);
const QColor kAmber(0xff, 0xca, 0x28);
const QColor kDarkAmber(0xf9, 0xa8, 0x25);
const QColor kGreen(0x43, 0xa0, 0x47);
const QColor kPaper(0xff, 0xff, 0xff);
const QColor kGrey(0x90, 0xa4, 0xae);
const QColor kBrown(0x8d, 0x6e, 0x63);

struct Shape
{
    QPainterPath path;
    QColor fill; ///< invalid: not filled
    QColor stroke; ///< invalid: not stroked
    qreal width = kLine;
};

using Glyph = QList<Shape>;

Shape filled(const QPainterPath& p, const QColor& fill, const QColor& stroke = kSlate)
{
    return { p, fill, stroke, kLine };
}

Shape stroked(const QPainterPath& p, const QColor& stroke, qreal width = kLine)
{
    return { p, QColor(), stroke, width };
}

QPainterPath polygon(std::initializer_list<QPointF> points, bool closed = true)
{
    QPainterPath p;
    bool first = true;
    for (const QPointF& pt : points) {
        if (first)
            p.moveTo(pt);
        else
            p.lineTo(pt);
        first = false;
    }
    if (closed)
        p.closeSubpath();
    return p;
}

QPainterPath rect(qreal x, qreal y, qreal w, qreal h, qreal radius = 0)
{
    QPainterPath p;
    if (radius > 0)
        p.addRoundedRect(QRectF(x, y, w, h), radius, radius);
    else
        p.addRect(QRectF(x, y, w, h));
    return p;
}

QPainterPath circle(qreal cx, qreal cy, qreal r)
{
    QPainterPath p;
    p.addEllipse(QPointF(cx, cy), r, r);
    return p;
}

QPainterPath line(qreal x1, qreal y1, qreal x2, qreal y2)
{
    return polygon({ QPointF(x1, y1), QPointF(x2, y2) }, false);
}

/// Text as outlines, scaled to fill `box` (keeping its proportions) and centred in it.
QPainterPath text(const QString& s, const QString& family, bool bold, bool italic, QRectF box)
{
    QFont font(family);
    font.setPixelSize(100);
    font.setBold(bold);
    font.setItalic(italic);
    QPainterPath p;
    p.addText(0, 0, font, s);
    const QRectF r = p.boundingRect();
    const qreal k = qMin(box.width() / r.width(), box.height() / r.height());
    QTransform t;
    t.translate(box.center().x(), box.center().y());
    t.scale(k, k);
    t.translate(-r.center().x(), -r.center().y());
    return t.map(p);
}

QPainterPath page(qreal x, qreal y, qreal w, qreal h, qreal fold)
{
    return polygon({ QPointF(x, y), QPointF(x + w - fold, y), QPointF(x + w, y + fold),
        QPointF(x + w, y + h), QPointF(x, y + h) });
}

QPainterPath arrowHead(QPointF tip, QPointF back1, QPointF back2)
{
    return polygon({ back1, tip, back2 }, false);
}

Glyph newGlyph()
{
    return { filled(page(5, 2.5, 14, 19, 5), kPaper),
        stroked(polygon({ QPointF(14, 2.5), QPointF(14, 7.5), QPointF(19, 7.5) }, false), kSlate),
        stroked(line(12, 11, 12, 18), kBlue, 2), stroked(line(8.5, 14.5, 15.5, 14.5), kBlue, 2) };
}

Glyph openGlyph()
{
    return { filled(polygon({ QPointF(2.5, 5), QPointF(9, 5), QPointF(11, 7), QPointF(19.5, 7),
                        QPointF(19.5, 19.5), QPointF(2.5, 19.5) }),
                 kDarkAmber),
        filled(polygon({ QPointF(2.5, 19.5), QPointF(6, 10.5), QPointF(22, 10.5),
                   QPointF(18.5, 19.5) }),
            kAmber) };
}

Glyph saveGlyph()
{
    return { filled(polygon({ QPointF(3.5, 3.5), QPointF(17, 3.5), QPointF(20.5, 7),
                        QPointF(20.5, 20.5), QPointF(3.5, 20.5) }),
                 kBlue),
        filled(rect(7, 3.5, 9, 6), kPaper), filled(rect(12.5, 4.5, 2, 4), kSlate, QColor()),
        filled(rect(6.5, 13, 11, 7.5), kPaper), stroked(line(8.5, 16, 15.5, 16), kGrey, 1),
        stroked(line(8.5, 18, 15.5, 18), kGrey, 1) };
}

Glyph cutGlyph()
{
    return { stroked(line(9, 15.5, 16.5, 3), kSlate, 2), stroked(line(15, 15.5, 7.5, 3), kSlate, 2),
        filled(circle(7.5, 18, 3), kPaper, kBlue), filled(circle(16.5, 18, 3), kPaper, kBlue),
        filled(circle(12, 10.7, 1), kSlate, QColor()) };
}

Glyph copyGlyph()
{
    return { filled(page(8.5, 2.5, 12, 14, 4), kPaper), filled(page(3.5, 7.5, 12, 14, 4), kPaper),
        stroked(line(6.5, 13, 12.5, 13), kBlue), stroked(line(6.5, 16, 12.5, 16), kBlue),
        stroked(line(6.5, 19, 10.5, 19), kBlue) };
}

Glyph pasteGlyph()
{
    return { filled(rect(4, 4.5, 16, 17, 2), kBrown), filled(rect(7.5, 8, 9, 11), kPaper),
        filled(rect(8.5, 2.5, 7, 4, 1.5), kGrey), stroked(line(9.5, 12, 14.5, 12), kBlue),
        stroked(line(9.5, 15, 14.5, 15), kBlue) };
}

QPainterPath turn(bool right)
{
    QPainterPath p;
    if (right) {
        p.moveTo(5, 19);
        p.cubicTo(5, 12, 9, 9, 17, 9);
    } else {
        p.moveTo(19, 19);
        p.cubicTo(19, 12, 15, 9, 7, 9);
    }
    return p;
}

Glyph undoGlyph()
{
    return { stroked(turn(false), kBlue, 2.5),
        stroked(arrowHead(QPointF(6, 9), QPointF(10.5, 4.5), QPointF(10.5, 13.5)), kBlue, 2.5) };
}

Glyph redoGlyph()
{
    return { stroked(turn(true), kBlue, 2.5),
        stroked(arrowHead(QPointF(18, 9), QPointF(13.5, 4.5), QPointF(13.5, 13.5)), kBlue, 2.5) };
}

Glyph boldGlyph()
{
    return { filled(
        text(QStringLiteral("B"), QStringLiteral("DejaVu Sans"), true, false, QRectF(5, 3, 14, 18)),
        kSlate, QColor()) };
}

Glyph italicGlyph()
{
    return { filled(
        text(QStringLiteral("I"), QStringLiteral("DejaVu Serif"), true, true, QRectF(6, 3, 12, 18)),
        kSlate, QColor()) };
}

Glyph paragraphGlyph()
{
    return { filled(text(QStringLiteral("\u00b6"), QStringLiteral("DejaVu Sans"), true, false,
                        QRectF(6, 3, 12, 18)),
        kSlate, QColor()) };
}

Glyph lineBreakGlyph()
{
    return { stroked(
                 polygon({ QPointF(19, 4), QPointF(19, 14), QPointF(6, 14) }, false), kBlue, 2.5),
        stroked(arrowHead(QPointF(5, 14), QPointF(9.5, 9.5), QPointF(9.5, 18.5)), kBlue, 2.5),
        stroked(line(3, 21, 21, 21), kGrey, 1) };
}

Glyph headingGlyph(const QString& level)
{
    return { filled(text(QStringLiteral("H"), QStringLiteral("DejaVu Sans"), true, false,
                        QRectF(2, 4, 13, 16)),
                 kSlate, QColor()),
        filled(text(level, QStringLiteral("DejaVu Sans"), true, false, QRectF(15.5, 11, 7, 10)),
            kBlue, QColor()) };
}

Glyph bulletListGlyph()
{
    Glyph g;
    for (const qreal y : { 6.0, 12.0, 18.0 }) {
        g.append(filled(circle(5, y, 2), kBlue, QColor()));
        g.append(stroked(line(9.5, y, 20.5, y), kSlate, 2));
    }
    return g;
}

Glyph numberListGlyph()
{
    Glyph g;
    const QString digits[3] = { QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3") };
    for (int i = 0; i < 3; ++i) {
        const qreal y = 6 + 6 * i;
        g.append(filled(text(digits[i], QStringLiteral("DejaVu Sans"), true, false,
                            QRectF(2.5, y - 2.75, 5, 5.5)),
            kBlue, QColor()));
        g.append(stroked(line(9.5, y, 20.5, y), kSlate, 2));
    }
    return g;
}

Glyph linkGlyph()
{
    QTransform t;
    t.translate(12, 12);
    t.rotate(-45);
    t.translate(-12, -12);
    return { stroked(t.map(rect(2.5, 9, 11, 6, 3)), kBlue, 2.2),
        stroked(t.map(rect(10.5, 9, 11, 6, 3)), kSlate, 2.2) };
}

Glyph imageGlyph()
{
    return { filled(rect(2.5, 4.5, 19, 15, 1.5), kPaleBlue),
        filled(polygon({ QPointF(4, 18), QPointF(9, 10.5), QPointF(13, 15.5), QPointF(15.5, 12.5),
                   QPointF(20, 18) }),
            kGreen, QColor()),
        filled(circle(16.5, 8.5, 2), kAmber, QColor()) };
}

Glyph tableGlyph()
{
    return { filled(rect(2.5, 4.5, 19, 15), kPaper), filled(rect(2.5, 4.5, 19, 4.5), kPaleBlue),
        stroked(rect(2.5, 4.5, 19, 15), kSlate), stroked(line(2.5, 9, 21.5, 9), kSlate),
        stroked(line(2.5, 14.25, 21.5, 14.25), kSlate, 1),
        stroked(line(8.8, 4.5, 8.8, 19.5), kSlate, 1),
        stroked(line(15.2, 4.5, 15.2, 19.5), kSlate, 1) };
}

struct Named
{
    const char* name;
    std::function<Glyph()> draw;
};

QString svgColor(const QColor& c)
{
    return c.isValid() ? c.name() : QStringLiteral("none");
}

QString svgPath(const QPainterPath& p)
{
    QString d;
    for (int i = 0; i < p.elementCount(); ++i) {
        const QPainterPath::Element e = p.elementAt(i);
        const QString xy = QString::number(e.x, 'g', 5) + u' ' + QString::number(e.y, 'g', 5);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            d += u'M' + xy + u' ';
            break;
        case QPainterPath::LineToElement:
            d += u'L' + xy + u' ';
            break;
        case QPainterPath::CurveToElement:
            d += u'C' + xy + u' ';
            break;
        case QPainterPath::CurveToDataElement:
            d += xy + u' ';
            break;
        }
    }
    return d.trimmed();
}

QByteArray svg(const Glyph& g)
{
    QString out;
    QTextStream s(&out);
    s << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kGrid << "\" height=\"" << kGrid
      << "\" viewBox=\"0 0 " << kGrid << ' ' << kGrid << "\">\n";
    for (const Shape& shape : g) {
        s << "  <path d=\"" << svgPath(shape.path) << "\" fill=\"" << svgColor(shape.fill)
          << "\" fill-rule=\"" << (shape.path.fillRule() == Qt::WindingFill ? "nonzero" : "evenodd")
          << "\" stroke=\"" << svgColor(shape.stroke) << "\" stroke-width=\"" << shape.width
          << "\" stroke-linecap=\"round\" stroke-linejoin=\"round\"/>\n";
    }
    s << "</svg>\n";
    s.flush();
    return out.toUtf8();
}

QImage render(const Glyph& g)
{
    QImage image(kGrid * kScale, kGrid * kScale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(kScale, kScale);
    for (const Shape& shape : g) {
        p.setBrush(shape.fill.isValid() ? QBrush(shape.fill) : QBrush(Qt::NoBrush));
        p.setPen(shape.stroke.isValid()
                ? QPen(shape.stroke, shape.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin)
                : QPen(Qt::NoPen));
        p.drawPath(shape.path);
    }
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

/// A 32-bit bitmap with an alpha mask (BITMAPV4HEADER), which Qt's reader takes with its
/// transparency; Qt's own writer would drop it.
QByteArray bmp(const QImage& image, int dotsPerMeter)
{
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    const quint32 headers = 14 + 108;
    const quint32 pixels = quint32(image.width() * image.height() * 4);
    s << quint16(0x4d42) << quint32(headers + pixels) << quint16(0) << quint16(0) << headers;
    s << quint32(108) << qint32(image.width()) << qint32(image.height()) << quint16(1)
      << quint16(32) << quint32(3) << pixels << qint32(dotsPerMeter) << qint32(dotsPerMeter)
      << quint32(0) << quint32(0);
    s << quint32(0x00ff0000) << quint32(0x0000ff00) << quint32(0x000000ff) << quint32(0xff000000);
    s << quint32(0x73524742); // sRGB
    for (int i = 0; i < 12; ++i)
        s << quint32(0); // end points and gamma, unused for sRGB
    for (int y = image.height() - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            s << quint32(row[x]);
    }
    return out;
}

bool write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: pagemason-draw-glyphs FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    const Named glyphs[] = {
        { "new", newGlyph },
        { "open", openGlyph },
        { "save", saveGlyph },
        { "cut", cutGlyph },
        { "copy", copyGlyph },
        { "paste", pasteGlyph },
        { "undo", undoGlyph },
        { "redo", redoGlyph },
        { "bold", boldGlyph },
        { "italic", italicGlyph },
        { "paragraph", paragraphGlyph },
        { "linebreak", lineBreakGlyph },
        { "heading1", [] { return headingGlyph(QStringLiteral("1")); } },
        { "heading2", [] { return headingGlyph(QStringLiteral("2")); } },
        { "bulletlist", bulletListGlyph },
        { "numberlist", numberListGlyph },
        { "link", linkGlyph },
        { "image", imageGlyph },
        { "table", tableGlyph },
    };
    const int dotsPerMeter = int(96.0 * kScale / 0.0254 + 0.5);
    for (const Named& n : glyphs) {
        const Glyph g = n.draw();
        const QString base = folder + u'/' + QLatin1String(n.name);
        if (!write(base + QStringLiteral(".bmp"), bmp(render(g), dotsPerMeter))
            || !write(base + QStringLiteral(".svg"), svg(g))) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(base));
            return 1;
        }
    }
    return 0;
}
