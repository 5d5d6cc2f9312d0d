/** @file TToolbarButton.cpp ** A toolbar button drawn from its description. **/
#include "toolbars/TToolbarButton.h"

#include <QApplication>
#include <QPointer>
#include <QStyleOptionToolButton>
#include <QStylePainter>
#include <QTextDocument>
#include <QTimer>

TToolbarButton::TToolbarButton(
    const TToolbarElement& element, const TToolbarGlyph& glyph, QWidget* parent)
    : QToolButton(parent)
    , m_element(element)
    , m_glyph(glyph)
{
    setAutoRaise(true);
    // A click must leave the keyboard in the text it acts on.
    setFocusPolicy(Qt::NoFocus);
    // Hints name tags ("<B>"): shown as they are typed, never as mark-up.
    if (!element.Hint.isEmpty())
        setToolTip(Qt::convertFromPlainText(element.Hint, Qt::WhiteSpaceNormal));
    setStatusTip(element.Hint);
    QFont f = font();
    if (element.FontSize > 0)
        f.setPointSize(qMin(element.FontSize, 200));
    f.setBold(element.FontStyle & fsBold);
    f.setItalic(element.FontStyle & fsItalic);
    f.setUnderline(element.FontStyle & fsUnderline);
    f.setStrikeOut(element.FontStyle & fsStrikeOut);
    setFont(f);
    setText(element.Caption);
    setFixedSize(sizeHint());
    connect(this, &QToolButton::clicked, this, &TToolbarButton::clicked);
}

QSize TToolbarButton::sizeHint() const
{
    return QSize(
        qBound(minSide, m_element.Width, maxSide), qBound(minSide, m_element.Height, maxSide));
}

void TToolbarButton::clicked()
{
    if (!m_action)
        return;
    // The command may take this button down (a rebuild of the toolbars): it runs once the
    // click is over, and the button is gone for it when that happened in between.
    QTimer::singleShot(0, qApp, [action = m_action, self = QPointer<TToolbarButton>(this)] {
        if (self)
            action(self.data());
    });
}

void TToolbarButton::paintEvent(QPaintEvent*)
{
    QStylePainter p(this);
    QStyleOptionToolButton frame;
    initStyleOption(&frame);
    frame.text.clear();
    frame.icon = QIcon();
    frame.toolButtonStyle = Qt::ToolButtonIconOnly;
    p.drawComplexControl(QStyle::CC_ToolButton, frame);

    QRect area = rect().adjusted(2, 2, -2, -2);
    if (isDown())
        area.translate(1, 1);
    const QImage& picture = !isEnabled() && !m_glyph.disabled.isNull() ? m_glyph.disabled
        : isDown() && !m_glyph.down.isNull()                           ? m_glyph.down
                                                                       : m_glyph.up;
    const bool showGlyph = m_element.DisplayMode != dmTextOnly && !picture.isNull();
    const bool showText = m_element.DisplayMode != dmGlyphOnly && !m_element.Caption.isEmpty();
    const QSize glyph = showGlyph ? m_glyph.size() : QSize(0, 0);
    const int spacing = showGlyph && showText ? 2 : 0;
    const int flags = Qt::AlignCenter | Qt::TextShowMnemonic
        | (m_element.WordWrap ? Qt::TextWordWrap : Qt::TextSingleLine);
    const bool beside = m_element.Layout == blGlyphLeft || m_element.Layout == blGlyphRight;

    QSize text(0, 0);
    if (showText) {
        const int room = beside ? area.width() - glyph.width() - spacing : area.width();
        text = p.fontMetrics()
                   .boundingRect(QRect(0, 0, qMax(room, 1), 10000), flags, m_element.Caption)
                   .size();
        text.setWidth(qMin(text.width(), qMax(room, 1)));
    }
    // The glyph and the caption stand together in the middle of the button.
    QRect glyphRect, textRect;
    if (beside) {
        const int total = glyph.width() + spacing + text.width();
        const int left = area.left() + (area.width() - total) / 2;
        const bool glyphFirst = m_element.Layout == blGlyphLeft;
        const int glyphLeft = glyphFirst ? left : left + text.width() + spacing;
        const int textLeft = glyphFirst ? left + glyph.width() + spacing : left;
        glyphRect
            = QRect(QPoint(glyphLeft, area.top() + (area.height() - glyph.height()) / 2), glyph);
        textRect = QRect(textLeft, area.top(), text.width(), area.height());
    } else {
        const int total = glyph.height() + spacing + text.height();
        const int top = area.top() + (area.height() - total) / 2;
        const bool glyphFirst = m_element.Layout != blGlyphBottom;
        const int glyphTop = glyphFirst ? top : top + text.height() + spacing;
        const int textTop = glyphFirst ? top + glyph.height() + spacing : top;
        glyphRect
            = QRect(QPoint(area.left() + (area.width() - glyph.width()) / 2, glyphTop), glyph);
        textRect = QRect(area.left(), textTop, area.width(), text.height());
    }
    if (showGlyph) {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(glyphRect, picture);
    }
    if (showText) {
        p.setPen(palette().color(
            isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
        p.drawText(textRect, flags, m_element.Caption);
    }
}
