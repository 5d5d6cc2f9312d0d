/** @file TDCMemo.cpp ** The editor control's view: paints a text storage and edits it by keys and mouse. **/
#include "editor/TDCMemo.h"

#include "editor/TQtClipboard.h"
#include "editor/colorValue_utl.h"

#include <QApplication>
#include <QDrag>
#include <QFontDatabase>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStyleHints>
#include <QTextCharFormat>
#include <QtMath>
#include <climits>

namespace {

// Windows system colour numbers, as stored colour values carry them (negative, index in the low byte).
constexpr int32_t clWindow = int32_t(0x80000005);
constexpr int32_t clWindowText = int32_t(0x80000008);
constexpr int32_t clBtnFace = int32_t(0x8000000F);
constexpr int32_t clMarginLine = 0xC0C0C0;

constexpr int kTextPadding = 2;     ///< pixels between the gutter line and column 0
constexpr int kInsertCaretWidth = 2;
constexpr int kDragScrollMs = 50;

// Marks the data of a drag that a view started, so that it knows the drag when it comes back.
const QLatin1String kDragMime("application/x-pagemason-drag");
constexpr int32_t kBookmarkFill = 0x9C4A1E; ///< 0x00BBGGRR: a deep blue
constexpr int32_t kBookmarkEdge = 0x5A2A10;

/// The digit of a bookmark key, or -1. With Shift held, layouts report the shifted symbol,
/// so the physical top-row key (X keycodes 10 to 19) and the US symbols count as well.
int bookmarkDigit(const QKeyEvent* event)
{
    const int key = event->key();
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return key - Qt::Key_0;
    static const bool xkbCodes = QGuiApplication::platformName() == QLatin1String("xcb")
        || QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    const quint32 scan = event->nativeScanCode();
    if (xkbCodes && scan >= 10 && scan <= 19)
        return int(scan - 9) % 10;
    static constexpr int shifted[] = { Qt::Key_ParenRight, Qt::Key_Exclam, Qt::Key_At,
        Qt::Key_NumberSign, Qt::Key_Dollar, Qt::Key_Percent, Qt::Key_AsciiCircum, Qt::Key_Ampersand,
        Qt::Key_Asterisk, Qt::Key_ParenLeft };
    for (int d = 0; d < 10; ++d)
        if (key == shifted[d])
            return d;
    return -1;
}

bool isTypable(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() < 32 || c.unicode() == 127 || c.category() == QChar::Other_Control)
            return false;
    return !text.isEmpty();
}

} // namespace

TDCMemo::TDCMemo(QWidget* parent)
    : QAbstractScrollArea(parent), m_color(clWindow), m_fontColor(clWindowText)
{
    m_styles.append(TTextStyle { QStringLiteral("Selected Text"), 0xFFFFFF, TStyleFont { 0x800000 } });
    m_options = moDrawMargin | moDrawGutter | moThumbTracking | moColorSyntax;
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setAutoFillBackground(false);
    QWidget::setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_metrics = TLineMetrics(font());
    setScrollBars(ssBoth);
    verticalScrollBar()->setTracking(true);
    horizontalScrollBar()->setTracking(true);
    viewport()->setAcceptDrops(true);
    makeGutterImages();
    updateScrollBars();
}

TDCMemo::~TDCMemo()
{
    if (m_source)
        m_source->detach(this);
}

// --- Properties ----------------------------------------------------------------------------

void TDCMemo::setMemoSource(TMemoSource* source)
{
    if (source == m_source)
        return;
    clearBookmarks(); // they belong to the old text
    clearPreedit();
    if (m_source)
        m_source->detach(this);
    m_source = source;
    m_anchorValid = false;
    m_matchLine = -1;
    if (m_source) {
        m_source->attach(this);
        if (!m_source->clipboard())
            m_source->setClipboard(&TQtClipboard::instance());
        m_metrics.setTabStops(m_source->tabStops());
    } else {
        m_metrics.clearCache();
    }
    updateScrollBars();
    viewport()->update();
}

void TDCMemo::setTextStyles(const TTextStyles& styles)
{
    m_styles = styles;
    viewport()->update();
}

void TDCMemo::setSelectionStyle(int index)
{
    m_selectionStyle = index;
    viewport()->update();
}

void TDCMemo::setSearchMatchStyle(int index)
{
    m_searchMatchStyle = index;
    viewport()->update();
}

void TDCMemo::setOptions(TMemoOptions options)
{
    m_options = options;
    verticalScrollBar()->setTracking(options & moThumbTracking);
    horizontalScrollBar()->setTracking(options & moThumbTracking);
    updateScrollBars();
    viewport()->update();
}

void TDCMemo::setScrollBars(TScrollStyle bars)
{
    m_scrollBars = bars;
    const bool v = bars == ssVertical || bars == ssBoth;
    const bool h = bars == ssHorizontal || bars == ssBoth;
    // Always shown when wanted, so the text area never changes size while typing.
    setVerticalScrollBarPolicy(v ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void TDCMemo::setGutterWidth(int width)
{
    m_gutterWidth = qMax(0, width);
    viewport()->update();
}

void TDCMemo::setMarginPos(int column)
{
    m_marginPos = column;
    viewport()->update();
}

void TDCMemo::setGutterLineColor(int32_t color)
{
    m_gutterLineColor = color;
    viewport()->update();
}

void TDCMemo::setHorzMaxPos(int columns)
{
    m_horzMaxPos = qMax(0, columns);
    updateScrollBars();
}

void TDCMemo::setColor(int32_t color)
{
    m_color = color;
    viewport()->update();
}

void TDCMemo::setFontColor(int32_t color)
{
    m_fontColor = color;
    viewport()->update();
}

void TDCMemo::setSearchMatch(int line, int column, int length)
{
    if (m_matchLine >= 0)
        updateLines(m_matchLine, m_matchLine);
    m_matchLine = line;
    m_matchColumn = column;
    m_matchLength = length;
    if (line >= 0)
        updateLines(line, line);
}

void TDCMemo::clearSearchMatch()
{
    setSearchMatch(-1, 0, 0);
}

// --- Geometry and scrolling ------------------------------------------------------------------

int TDCMemo::topLine() const
{
    return verticalScrollBar()->value();
}

void TDCMemo::setTopLine(int line)
{
    verticalScrollBar()->setValue(line);
}

int TDCMemo::visibleLines() const
{
    return qMax(1, viewport()->height() / lineHeight());
}

void TDCMemo::scrollLineUp()
{
    setTopLine(topLine() - 1);
}

void TDCMemo::scrollLineDown()
{
    setTopLine(topLine() + 1);
}

void TDCMemo::centerCaretLine()
{
    if (!m_source)
        return;
    setTopLine(m_source->CaretY() - visibleLines() / 2);
    ensureCaretVisible();
}

int TDCMemo::textLeft() const
{
    return ((m_options & moDrawGutter) ? m_gutterWidth : 0) + kTextPadding;
}

int TDCMemo::horzOffset() const
{
    return qRound(horizontalScrollBar()->value() * m_metrics.spaceWidth());
}

QPoint TDCMemo::cellPos(int column, int line) const
{
    qreal x = 0;
    if (m_source && column > 0)
        x = m_metrics.xOfColumn(m_source->lineView(line), column, line);
    return QPoint(textLeft() - horzOffset() + qRound(x), (line - topLine()) * lineHeight());
}

QPoint TDCMemo::positionAt(const QPoint& point) const
{
    if (!m_source)
        return QPoint(0, 0);
    const int row = point.y() >= 0 ? point.y() / lineHeight() : -1 - (-point.y() - 1) / lineHeight();
    const int line = qBound(0, topLine() + row, m_source->lineCount() - 1);
    const qreal x = point.x() - textLeft() + horzOffset();
    const qsizetype column = m_metrics.columnAt(m_source->lineView(line), x, line);
    return QPoint(int(qMin<qsizetype>(column, INT_MAX / 2)), line);
}

QRect TDCMemo::caretRect() const
{
    if (!m_source)
        return QRect();
    const int column = m_source->CaretX(), line = m_source->CaretY();
    const QPoint p = cellPos(column, line) + QPoint(qRound(preeditCaretOffset()), 0);
    int width = kInsertCaretWidth;
    if (TMemoSource::overwriteMode() && m_preedit.isEmpty())
        width = qMax(kInsertCaretWidth,
                     qRound(m_metrics.charWidth(m_source->lineView(line), column, line)));
    return QRect(p.x(), p.y(), width, lineHeight());
}

void TDCMemo::ensureCaretVisible()
{
    if (!m_source)
        return;
    updateScrollBars();
    const int line = m_source->CaretY();
    const int top = topLine();
    if (line < top)
        setTopLine(line);
    else if (line >= top + visibleLines())
        setTopLine(line - visibleLines() + 1);

    const LineText text = m_source->lineView(line);
    const qreal x = m_metrics.xOfColumn(text, m_source->CaretX(), line);
    const qreal right
        = x + qMax<qreal>(m_metrics.charWidth(text, m_source->CaretX(), line), kInsertCaretWidth);
    const qreal width = qMax(1, viewport()->width() - textLeft());
    const qreal sw = m_metrics.spaceWidth();
    QScrollBar* h = horizontalScrollBar();
    if (x < h->value() * sw)
        h->setValue(int(x / sw));
    else if (right > h->value() * sw + width)
        h->setValue(qCeil((right - width) / sw));
}

void TDCMemo::updateScrollBars()
{
    QScrollBar* v = verticalScrollBar();
    const int lines = m_source ? m_source->lineCount() : 1;
    const int page = visibleLines();
    v->setRange(0, qMax(0, lines - page));
    v->setPageStep(page);
    v->setSingleStep(1);

    QScrollBar* h = horizontalScrollBar();
    const int columns = qMax(1, int((viewport()->width() - textLeft()) / m_metrics.spaceWidth()));
    int maxColumn = m_horzMaxPos;
    // A caret out in virtual space or on a long line must stay reachable (tabs before it
    // take it further right than its column).
    if (m_source) {
        const int line = m_source->CaretY();
        const qreal caretX = m_metrics.xOfColumn(m_source->lineView(line), m_source->CaretX(), line);
        // In steps of a window's width, so that typing on a long line does not change the
        // range (and repaint the bar) at each key.
        const qint64 step = qMax(64, columns);
        const qint64 need = (qCeil(caretX / m_metrics.spaceWidth()) + 1 + step - 1) / step * step;
        if (need > maxColumn)
            maxColumn = int(qMin<qint64>(INT_MAX / 2, need));
    }
    h->setRange(0, qMax(0, maxColumn - columns));
    h->setPageStep(columns);
    h->setSingleStep(1);
}

void TDCMemo::updateLines(int first, int last)
{
    const int top = topLine();
    const int bottom = top + visibleLines(); // the partly shown line below too
    if (last < 0 || last > bottom)
        last = bottom;
    first = qMax(first, top);
    if (first > last)
        return;
    const int lh = lineHeight();
    viewport()->update(0, (first - top) * lh, viewport()->width(), (last - first + 1) * lh);
}

void TDCMemo::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void TDCMemo::scrollContentsBy(int, int)
{
    viewport()->update();
    updateMicroFocus();
}

void TDCMemo::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange) {
        m_metrics = TLineMetrics(font(), m_metrics.tabStops());
        makeGutterImages();
        updateScrollBars();
        viewport()->update();
    } else if (event->type() == QEvent::PaletteChange) {
        viewport()->update();
    }
    QAbstractScrollArea::changeEvent(event);
}

// --- Painting ------------------------------------------------------------------------------

TDCMemo::Colors TDCMemo::plainColors() const
{
    return { colorValueToQColor(m_fontColor, palette()), colorValueToQColor(m_color, palette()) };
}

TDCMemo::Colors TDCMemo::styleColors(int index) const
{
    if (m_styles.isEmpty())
        return plainColors();
    if (index < 0 || index >= m_styles.size())
        index = 0;
    const TTextStyle& s = m_styles[index];
    return { colorValueToQColor(s.Font.Color, palette()), colorValueToQColor(s.Color, palette()) };
}

bool TDCMemo::selectionOnLine(int line, int& from, int& to) const
{
    if (!m_source || !m_source->hasSelection())
        return false;
    int sc, sl, ec, el;
    m_source->getSelection(sc, sl, ec, el);
    if (m_source->selectionMode() == smColumn) {
        if (line < qMin(sl, el) || line > qMax(sl, el))
            return false;
        from = qMin(sc, ec);
        to = qMax(sc, ec);
        return from < to;
    }
    if (el < sl || (el == sl && ec < sc)) {
        std::swap(sc, ec);
        std::swap(sl, el);
    }
    if (line < sl || line > el)
        return false;
    from = line == sl ? sc : 0;
    to = line == el ? ec : INT_MAX;
    return from < to;
}

void TDCMemo::paintLine(QPainter& p, int line, int y, const QRect& clip)
{
    const qreal x0 = textLeft() - horzOffset();
    // Only the characters that can show are measured, coloured and painted, so a very long
    // line costs its visible part.
    LineText text = m_source->lineView(line);
    const qsizetype first = m_metrics.paintStart(text, clip.left() - x0, line);
    const qsizetype last
        = qBound<qsizetype>(first, m_metrics.columnAt(text, clip.right() - x0, line) + 2, text.size());
    // Parsing may reach other lines first and move this line's gap: read the text after it.
    const uint8_t* colors = colorSyntax() ? m_source->colorData(line, last + 1) : nullptr;
    text = m_source->lineView(line);
    const qsizetype len = text.size();
    const int lh = lineHeight();
    const qreal baseline = y + m_metrics.ascent();

    int selFrom = 0, selTo = 0;
    const bool selected = selectionOnLine(line, selFrom, selTo);
    const bool matched = line == m_matchLine && m_matchLength > 0;
    const Colors plain = plainColors();
    const Colors selColors = styleColors(m_selectionStyle);
    const Colors matchColors = styleColors(m_searchMatchStyle);

    // Which colours a column has; runs of equal colours are painted together.
    enum Kind : int { kPlain = -3, kSel = -2, kMatch = -1 }; // >= 0: a style index
    auto kindAt = [&](qsizetype c) -> int {
        if (matched && c >= m_matchColumn && c < qsizetype(m_matchColumn) + m_matchLength)
            return kMatch;
        if (selected && c >= selFrom && c < selTo)
            return kSel;
        if (colors && c < len)
            return colors[c] < m_styles.size() ? colors[c] : 0;
        return kPlain;
    };
    auto colorsOf = [&](int kind) -> const Colors {
        switch (kind) {
        case kPlain: return plain;
        case kSel: return selColors;
        case kMatch: return matchColors;
        default: return styleColors(kind);
        }
    };

    const bool cells = m_metrics.fixedWidth(text);
    const qreal sw = m_metrics.spaceWidth();
    constexpr qsizetype maxRun = 256; // lets painting stop soon after the window's edge

    qreal x = x0 + m_metrics.xOfColumn(text, first, line);
    qsizetype c = first;
    while (c < last) {
        const int kind = kindAt(c);
        const Colors col = colorsOf(kind);
        if (text.at(c) == u'\t') {
            // A tab shows as blank up to its stop, where the text after it starts.
            const qreal end = x0 + m_metrics.xOfColumn(text, c + 1, line);
            if (col.bg != plain.bg)
                p.fillRect(QRectF(x, y, end - x, lh), col.bg);
            x = end;
            ++c;
        } else {
            qsizetype end = c + 1;
            while (end < last && end - c < maxRun && kindAt(end) == kind && text.at(end) != u'\t')
                ++end;
            if (end < len && QChar::isLowSurrogate(text.at(end)))
                ++end; // keep a pair in one run
            const QString run = TLineMetrics::displayText(text, c, end);
            const qreal w = cells ? (end - c) * sw : m_metrics.metrics().horizontalAdvance(run);
            if (col.bg != plain.bg)
                p.fillRect(QRectF(x, y, w, lh), col.bg);
            p.setPen(col.fg);
            p.drawText(QPointF(x, baseline), run);
            x += w;
            c = end;
        }
        if (x > clip.right())
            break;
    }
    if (c < len)
        return; // the line's end lies right of what is painted

    // Selection and match marks in virtual space past the line's end.
    const qreal lineEnd = x;
    auto markVirtual = [&](qsizetype from, qsizetype to, const QColor& bg) {
        from = qMax(from, len);
        if (to <= from)
            return;
        const qreal left = lineEnd + (from - len) * sw;
        const qreal right = qMin<qreal>(lineEnd + qreal(to - len) * sw, clip.right() + 1);
        if (right > left)
            p.fillRect(QRectF(left, y, right - left, lh), bg);
    };
    if (selected) {
        // A stream selection that goes on to the next line shows its line break as one cell.
        const qsizetype to = selTo == INT_MAX ? qMax<qsizetype>(len, selFrom) + 1 : selTo;
        markVirtual(selFrom, to, selColors.bg);
    }
    if (matched)
        markVirtual(m_matchColumn, qsizetype(m_matchColumn) + m_matchLength, matchColors.bg);
}

void TDCMemo::paintCaret(QPainter& p)
{
    if (!m_source || !hasFocus() || !m_caretOn || !m_preeditCaretShown)
        return;
    const QRect r = caretRect();
    m_paintedCaret = r;
    const Colors plain = plainColors();
    if (!TMemoSource::overwriteMode() || !m_preedit.isEmpty()) {
        p.fillRect(r, plain.fg);
        return;
    }
    // A block caret shows the character under it in reverse.
    p.fillRect(r, plain.fg);
    const LineText text = m_source->lineView(m_source->CaretY());
    const int column = m_source->CaretX();
    if (column < text.size()) {
        p.setPen(plain.bg);
        p.drawText(QPointF(r.left(), r.top() + m_metrics.ascent()),
                   TLineMetrics::displayText(text, column, column + 1));
    }
}

void TDCMemo::paintEvent(QPaintEvent* event)
{
    QPainter p(viewport());
    const QRect clip = event->rect();
    const Colors plain = plainColors();
    p.fillRect(clip, plain.bg);
    p.setFont(m_metrics.font());

    const int lh = lineHeight();
    const int top = topLine();
    const int gutter = (m_options & moDrawGutter) ? m_gutterWidth : 0;
    int firstPainted = -1, lastPainted = -1;
    if (m_source) {
        p.save();
        p.setClipRect(QRect(gutter, clip.top(), viewport()->width() - gutter, clip.height()));
        const int firstRow = qMax(0, clip.top() / lh);
        const int lastRow = clip.bottom() / lh;
        const int count = m_source->lineCount();
        const int preeditLine = m_preedit.isEmpty() ? -1 : m_source->CaretY();
        for (int row = firstRow; row <= lastRow && top + row < count; ++row) {
            if (top + row == preeditLine)
                paintPreeditLine(p, top + row, row * lh, clip);
            else
                paintLine(p, top + row, row * lh, clip);
            if (firstPainted < 0)
                firstPainted = top + row;
            lastPainted = top + row;
        }
        if (m_options & moDrawMargin) {
            const int x = textLeft() - horzOffset() + qRound(m_marginPos * m_metrics.spaceWidth());
            if (x >= gutter) {
                p.setPen(colorValueToQColor(clMarginLine, palette()));
                p.drawLine(x, clip.top(), x, clip.bottom());
            }
        }
        paintCaret(p);
        if (m_dropCaret.x() >= 0) {
            const QPoint at = cellPos(m_dropCaret.x(), m_dropCaret.y());
            p.fillRect(QRect(at.x(), at.y(), kInsertCaretWidth, lh), plain.fg);
        }
        p.restore();
    }
    if (gutter > 0 && clip.left() < gutter)
        paintGutter(p, clip);

    // Parsing the painted lines may have changed where later lines start; show them again.
    if (m_source) {
        const int changed = m_source->takeLastStateChange();
        if (lastPainted >= 0 && changed >= lastPainted)
            updateLines(lastPainted + 1, -1);
        else if (changed >= 0 && changed < firstPainted)
            updateLines(changed + 1, firstPainted - 1);
    }
}

// --- Caret blinking and focus ------------------------------------------------------------------

void TDCMemo::restartBlink()
{
    m_caretOn = true;
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    if (hasFocus() && flash > 0)
        m_blinkTimer.start(flash / 2, this);
    else
        m_blinkTimer.stop();
    viewport()->update(m_paintedCaret.adjusted(-1, 0, 1, 0)); // its old shape
    if (m_source)
        viewport()->update(caretRect().adjusted(-1, 0, 1, 0));
}

void TDCMemo::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    restartBlink();
}

void TDCMemo::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    m_blinkTimer.stop();
    if (m_source)
        viewport()->update(caretRect().adjusted(-1, 0, 1, 0));
}

void TDCMemo::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_blinkTimer.timerId()) {
        m_caretOn = !m_caretOn;
        if (m_source)
            viewport()->update(caretRect().adjusted(-1, 0, 1, 0));
    } else if (event->timerId() == m_dragScrollTimer.timerId()) {
        if (!(m_dragging || m_lineSelecting) || !m_source) {
            m_dragScrollTimer.stop();
            return;
        }
        const QPoint pos = positionAt(m_lastDragPos);
        if (m_lineSelecting)
            selectLines(m_lineAnchor, pos.y());
        else
            moveTo(pos.x(), pos.y(), true, m_dragBlock);
    } else {
        QAbstractScrollArea::timerEvent(event);
    }
}

bool TDCMemo::focusNextPrevChild(bool)
{
    return false; // Tab is a key for the text
}

// --- Storage notifications ---------------------------------------------------------------------

void TDCMemo::memoChanged(const TMemoChange& change)
{
    const uint32_t state = change.State;
    if (state & msTabStopsChanged) {
        m_metrics.setTabStops(m_source->tabStops());
        updateScrollBars();
        viewport()->update();
    }
    if (state & (msTextChanged | msLineCountChanged)) {
        m_metrics.textChanged(change.FirstLine, change.FirstColumn, change.LastLine,
                              state & msLineCountChanged);
        settleBookmarks();
        m_matchLine = -1; // the marked text may be gone
        updateScrollBars();
        if (change.FirstLine >= 0)
            updateLines(change.FirstLine,
                        (state & msLineCountChanged) ? -1 : change.LastLine + 1);
    }
    if (state & msSelectionChanged)
        viewport()->update();
    if (state & (msCaretMoved | msTextChanged | msTabStopsChanged)) {
        viewport()->update(m_paintedCaret.adjusted(-1, 0, 1, 0));
        ensureCaretVisible();
        restartBlink();
        updateMicroFocus();
    }
    if (state & msOverwriteChanged)
        restartBlink();
    if (state == 0)
        return;
    if (OnStateChange)
        OnStateChange(this, int(state));
    emit stateChange(int(state));
}

void TDCMemo::memoDestroyed()
{
    for (auto& b : m_bookmarks)
        b.reset();
    m_preedit.clear();
    m_source = nullptr;
    m_anchorValid = false;
    m_matchLine = -1;
    updateScrollBars();
    viewport()->update();
}

// --- Caret moves and selection -----------------------------------------------------------------

void TDCMemo::moveTo(int column, int line, bool extend, bool block)
{
    if (!m_source)
        return;
    column = qMax(0, column);
    line = qBound(0, line, m_source->lineCount() - 1);
    if (extend) {
        const int caretColumn = m_source->CaretX(), caretLine = m_source->CaretY();
        bool keep = false;
        if (m_anchorValid && m_source->hasSelection()) {
            int sc, sl, ec, el;
            m_source->getSelection(sc, sl, ec, el);
            keep = sc == m_anchorColumn && sl == m_anchorLine && ec == caretColumn && el == caretLine;
        } else if (m_anchorValid) {
            keep = m_anchorColumn == caretColumn && m_anchorLine == caretLine;
        }
        if (!keep) {
            // Grow the storage's own selection from its end away from the caret.
            m_anchorColumn = caretColumn;
            m_anchorLine = caretLine;
            if (m_source->hasSelection()) {
                int sc, sl, ec, el;
                m_source->getSelection(sc, sl, ec, el);
                const bool caretAtStart = sc == caretColumn && sl == caretLine;
                m_anchorColumn = caretAtStart ? ec : sc;
                m_anchorLine = caretAtStart ? el : sl;
            }
        }
        m_source->beginChange(opCaretMove);
        m_source->setCaret(column, line);
        if (m_source->CaretX() == m_anchorColumn && m_source->CaretY() == m_anchorLine)
            m_source->clearSelection();
        else
            m_source->setSelection(block ? smColumn : smStream, m_anchorColumn, m_anchorLine,
                                   m_source->CaretX(), m_source->CaretY());
        m_source->endChange();
        m_anchorValid = true;
    } else {
        m_source->beginChange(opCaretMove);
        if (m_source->hasSelection())
            m_source->clearSelection();
        m_source->setCaret(column, line);
        m_source->endChange();
        m_anchorValid = false;
    }
}

void TDCMemo::selectAll()
{
    if (!m_source)
        return;
    const int last = m_source->lineCount() - 1;
    m_source->beginChange(opSetSelection);
    m_source->setCaret(m_source->lineLength(last), last);
    m_source->setSelection(smStream, 0, 0, m_source->lineLength(last), last);
    m_source->endChange();
    m_anchorColumn = 0;
    m_anchorLine = 0;
    m_anchorValid = true;
}

void TDCMemo::selectWordAt(int column, int line)
{
    if (!m_source)
        return;
    int start = column, end = column;
    if (m_options & moDblClickLine) {
        start = 0;
        end = m_source->lineLength(line);
    } else {
        m_source->wordAt(column, line, start, end);
    }
    if (start >= end) {
        moveTo(column, line, false);
        return;
    }
    m_source->beginChange(opSetSelection);
    m_source->setCaret(end, line);
    m_source->setSelection(smStream, start, line, end, line);
    m_source->endChange();
    m_anchorColumn = start;
    m_anchorLine = line;
    m_anchorValid = true;
}

void TDCMemo::deleteSelectionAtStart()
{
    m_source->beginChange(opDelete);
    m_source->deleteSelection();
    m_source->endChange();
    m_anchorValid = false;
}

// --- Keys ---------------------------------------------------------------------------------------

bool TDCMemo::event(QEvent* event)
{
    // Keys the editor owns win over application shortcuts while it has the focus.
    if (event->type() == QEvent::ShortcutOverride && m_source) {
        auto* ke = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods = ke->modifiers() & ~(Qt::KeypadModifier);
        const bool plainTyping = (mods & ~Qt::ShiftModifier) == 0 && isTypable(ke->text());
        if (plainTyping || ke == QKeySequence::Copy || ke == QKeySequence::Cut
            || ke == QKeySequence::Paste || ke == QKeySequence::Undo || ke == QKeySequence::Redo
            || ke == QKeySequence::SelectAll) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void TDCMemo::keyPressEvent(QKeyEvent* event)
{
    if (!m_source) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    bool handled = false;
    if (OnKeyDown)
        OnKeyDown(this, event, handled);
    if (handled || !m_source) {
        event->accept();
        return;
    }
    if (handleKey(event)) {
        event->accept();
        return;
    }
    const Qt::KeyboardModifiers mods = event->modifiers();
    // Ctrl+Alt is how some layouts reach their third level, so it still types. Alt alone
    // types nothing: Alt+letter belongs to the menu bar, and an ignored key goes on to it.
    const bool ctrl = mods & Qt::ControlModifier;
    const bool alt = mods & Qt::AltModifier;
    const bool command = ctrl != alt || (mods & Qt::MetaModifier);
    QString text = event->text();
    if (!command && isTypable(text)) {
        bool used = false;
        if (OnKeyPress)
            OnKeyPress(this, text, used);
        if (!used && m_source && !text.isEmpty())
            typeText(text);
        event->accept();
        return;
    }
    event->ignore();
}

void TDCMemo::typeText(const QString& text)
{
    if (!m_source)
        return;
    m_source->beginChange(opInsertAtCaret);
    for (QChar c : text)
        m_source->keyChar(c);
    m_source->endChange();
    m_anchorValid = false;
}

bool TDCMemo::handleKey(QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const bool shift = mods & Qt::ShiftModifier;
    const bool ctrl = mods & Qt::ControlModifier;
    const bool alt = mods & Qt::AltModifier;
    const bool block = shift && alt; // Alt+Shift+arrows grow a column block
    int column = m_source->CaretX();
    int line = m_source->CaretY();
    const int lastLine = m_source->lineCount() - 1;
    auto lineText = [this](int l) { return m_source->lineView(l); };

    if (event == QKeySequence::Copy) {
        m_source->CopyToClipboard();
        return true;
    }
    if (event == QKeySequence::Cut) {
        m_source->CutToClipboard();
        return true;
    }
    if (event == QKeySequence::Paste) {
        m_source->PasteFromClipboard();
        return true;
    }
    if (event == QKeySequence::Undo) {
        m_source->Undo();
        return true;
    }
    if (event == QKeySequence::Redo || (ctrl && !alt && event->key() == Qt::Key_Y)) {
        m_source->Redo();
        return true;
    }
    if (event == QKeySequence::SelectAll) {
        selectAll();
        return true;
    }
    if (ctrl && !alt && !(mods & Qt::MetaModifier)) {
        // Ctrl+Shift+digit sets or removes that bookmark on the caret's line, Ctrl+digit
        // goes to it.
        const int digit = bookmarkDigit(event);
        if (digit >= 0) {
            if (shift)
                toggleBookmark(digit);
            else
                gotoBookmark(digit);
            return true;
        }
    }

    switch (event->key()) {
    case Qt::Key_Left:
        if (ctrl) {
            m_source->previousWordStart(column, line);
        } else if (column > 0) {
            const LineText t = lineText(line);
            --column;
            if (column > 0 && column < t.size() && QChar::isLowSurrogate(t.at(column))
                && QChar::isHighSurrogate(t.at(column - 1)))
                --column;
        } else if (line > 0) {
            --line;
            column = m_source->lineLength(line);
        }
        moveTo(column, line, shift, block);
        return true;
    case Qt::Key_Right: {
        if (ctrl) {
            m_source->nextWordStart(column, line);
        } else {
            const LineText t = lineText(line);
            // The caret may wander into virtual space, but not without bound.
            if (column < qMax<qsizetype>(t.size(), m_horzMaxPos)) {
                ++column;
                if (column < t.size() && QChar::isLowSurrogate(t.at(column))
                    && QChar::isHighSurrogate(t.at(column - 1)))
                    ++column;
            }
        }
        moveTo(column, line, shift, block);
        return true;
    }
    case Qt::Key_Up:
        if (ctrl && !shift) {
            scrollLineUp();
            return true;
        }
        moveTo(column, line - 1, shift, block);
        return true;
    case Qt::Key_Down:
        if (ctrl && !shift) {
            scrollLineDown();
            return true;
        }
        moveTo(column, line + 1, shift, block);
        return true;
    case Qt::Key_Home:
        if (ctrl) {
            moveTo(0, 0, shift);
        } else {
            // First press goes to the indentation, the next to column 0.
            const LineText t = lineText(line);
            int indent = 0;
            while (indent < t.size() && (t.at(indent) == u' ' || t.at(indent) == u'\t'))
                ++indent;
            moveTo(column == indent || indent == t.size() ? 0 : indent, line, shift, block);
        }
        return true;
    case Qt::Key_End:
        if (ctrl)
            moveTo(m_source->lineLength(lastLine), lastLine, shift);
        else
            moveTo(m_source->lineLength(line), line, shift, block);
        return true;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        const int page = qMax(1, visibleLines() - 1);
        const int delta = event->key() == Qt::Key_PageUp ? -page : page;
        setTopLine(topLine() + delta);
        moveTo(column, qBound(0, line + delta, lastLine), shift, block);
        return true;
    }
    case Qt::Key_Insert:
        if (shift && !ctrl)
            m_source->PasteFromClipboard();
        else if (ctrl && !shift)
            m_source->CopyToClipboard();
        else if (!mods)
            TMemoSource::setOverwriteMode(!TMemoSource::overwriteMode());
        else
            return false;
        return true;
    case Qt::Key_Delete:
        if (shift && !ctrl)
            m_source->CutToClipboard();
        else
            m_source->keyDelete();
        m_anchorValid = false;
        return true;
    case Qt::Key_Backspace:
        if (m_source->hasSelection())
            deleteSelectionAtStart();
        else
            m_source->keyBackspace();
        m_anchorValid = false;
        return true;
    case Qt::Key_Tab:
        if (ctrl || alt)
            return false;
        m_source->keyTab();
        m_anchorValid = false;
        return true;
    case Qt::Key_Backtab:
        return false;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (alt)
            return false;
        m_source->keyEnter();
        m_anchorValid = false;
        return true;
    default:
        return false;
    }
}

// --- Input methods ----------------------------------------------------------------------------

void TDCMemo::inputMethodEvent(QInputMethodEvent* event)
{
    if (!m_source) {
        event->ignore();
        return;
    }
    const int oldLine = m_source->CaretY();
    QString text = event->commitString();
    if (event->replacementLength() > 0 && m_source->lineView(oldLine).size() > 0) {
        // The input method takes back characters beside the caret, in the caret's line.
        const int caret = m_source->CaretX();
        const int from
            = qBound(0, caret + event->replacementStart(), m_source->lineLength(oldLine));
        const int to
            = qBound(from, from + event->replacementLength(), m_source->lineLength(oldLine));
        if (to > from) {
            m_source->beginChange(opInsertAtCaret);
            m_source->setSelection(smStream, from, oldLine, to, oldLine);
            m_source->deleteSelection();
            if (!text.isEmpty())
                typeText(text);
            m_source->endChange();
            text.clear();
        }
    }
    if (!text.isEmpty()) {
        bool used = false;
        if (OnKeyPress)
            OnKeyPress(this, text, used);
        if (!used && m_source && !text.isEmpty())
            typeText(text);
    }
    if (!m_source) {
        event->accept();
        return;
    }

    // The composition is only shown: it reaches the storage when the input method commits it.
    const bool had = !m_preedit.isEmpty();
    m_preedit = event->preeditString();
    m_preeditCursor = int(m_preedit.size());
    m_preeditCaretShown = true;
    m_preeditFormats.clear();
    for (const QInputMethodEvent::Attribute& a : event->attributes()) {
        if (a.type == QInputMethodEvent::Cursor) {
            m_preeditCursor = qBound(0, a.start, int(m_preedit.size()));
            m_preeditCaretShown = a.length != 0;
        } else if (a.type == QInputMethodEvent::TextFormat) {
            m_preeditFormats.append(a);
        }
    }
    if (m_preedit.isEmpty())
        clearPreedit();
    if (had || !m_preedit.isEmpty()) {
        updateLines(oldLine, oldLine);
        updateLines(m_source->CaretY(), m_source->CaretY());
        updateMicroFocus();
    }
    event->accept();
}

void TDCMemo::clearPreedit()
{
    const bool had = !m_preedit.isEmpty();
    m_preedit.clear();
    m_preeditCursor = 0;
    m_preeditCaretShown = true;
    m_preeditFormats.clear();
    if (had && m_source)
        updateLines(m_source->CaretY(), m_source->CaretY());
}

qreal TDCMemo::preeditCaretOffset() const
{
    return m_preedit.isEmpty()
        ? 0
        : m_metrics.metrics().horizontalAdvance(m_preedit.left(m_preeditCursor));
}

void TDCMemo::paintPreeditLine(QPainter& p, int line, int y, const QRect& clip)
{
    const int lh = lineHeight();
    const int x = cellPos(m_source->CaretX(), line).x();
    const qreal w = m_metrics.metrics().horizontalAdvance(m_preedit);
    const int shift = qCeil(w);
    // The text left of the caret stays; the rest moves right to make room.
    if (x > clip.left()) {
        p.save();
        const QRect left(clip.left(), y, x - clip.left(), lh);
        p.setClipRect(left, Qt::IntersectClip);
        paintLine(p, line, y, left);
        p.restore();
    }
    if (x + shift <= clip.right()) {
        p.save();
        p.translate(shift, 0);
        const QRect right(x, y, clip.right() - shift - x + 1, lh);
        p.setClipRect(right, Qt::IntersectClip);
        paintLine(p, line, y, right);
        p.restore();
    }

    const Colors plain = plainColors();
    p.fillRect(QRectF(x, y, w, lh), plain.bg);
    for (const QInputMethodEvent::Attribute& a : std::as_const(m_preeditFormats)) {
        // The input method may mark a clause (the one being converted, say) with a background.
        const QTextCharFormat f = qvariant_cast<QTextFormat>(a.value).toCharFormat();
        if (f.background().style() == Qt::NoBrush || a.length <= 0)
            continue;
        const int from = qBound(0, a.start, int(m_preedit.size()));
        const int to = qBound(from, a.start + a.length, int(m_preedit.size()));
        const qreal left = x + m_metrics.metrics().horizontalAdvance(m_preedit.left(from));
        const qreal width = m_metrics.metrics().horizontalAdvance(m_preedit.mid(from, to - from));
        p.fillRect(QRectF(left, y, width, lh), f.background());
    }
    p.setPen(plain.fg);
    p.drawText(QPointF(x, y + m_metrics.ascent()), m_preedit);
    const int underline = qMin(y + lh - 1, y + qRound(m_metrics.ascent()) + 1);
    p.drawLine(QPointF(x, underline + 0.5), QPointF(x + w, underline + 0.5));
}

QVariant TDCMemo::inputMethodQuery(Qt::InputMethodQuery query) const
{
    if (!m_source)
        return query == Qt::ImEnabled ? QVariant(false)
                                      : QAbstractScrollArea::inputMethodQuery(query);
    const int line = m_source->CaretY();
    // Input methods see the caret's line around the caret only: a long line is not copied
    // for each query. Positions count from where that part starts.
    constexpr int kSurrounding = 1024;
    const LineText lineText = m_source->lineView(line);
    const int start = lineText.size() > 4 * kSurrounding
        ? qMax(0, m_source->CaretX() - kSurrounding) : 0;
    const int caret = m_source->CaretX() - start;
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImCursorRectangle:
        return QRectF(caretRect().translated(viewport()->pos()));
    case Qt::ImFont:
        return font();
    case Qt::ImCursorPosition:
        return caret;
    case Qt::ImAnchorPosition: {
        // The other end of a selection within the caret's line; else the caret itself.
        int sc, sl, ec, el;
        if (m_source->selectionMode() == smStream) {
            m_source->getSelection(sc, sl, ec, el);
            if (sl == line && el == line)
                return qMax(0, (sc == caret + start ? ec : sc) - start);
        }
        return caret;
    }
    case Qt::ImSurroundingText: {
        // A caret in virtual space stands after spaces, so positions match the text.
        const qsizetype end = start > 0 || lineText.size() > 4 * kSurrounding
            ? qMin<qsizetype>(lineText.size(), qsizetype(caret) + start + kSurrounding)
            : lineText.size();
        QString text(qMax<qsizetype>(0, end - start), Qt::Uninitialized);
        for (qsizetype i = start; i < end; ++i)
            text[i - start] = QChar(lineText.at(i));
        if (text.size() < caret)
            text += QString(caret - text.size(), u' ');
        return text;
    }
    case Qt::ImCurrentSelection: {
        int sc, sl, ec, el;
        if (m_source->selectionMode() == smStream) {
            m_source->getSelection(sc, sl, ec, el);
            if (sl == line && el == line)
                return m_source->SelText();
        }
        return QString();
    }
    case Qt::ImHints:
        return int(Qt::ImhMultiLine);
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

// --- Mouse -------------------------------------------------------------------------------------

void TDCMemo::mousePressEvent(QMouseEvent* event)
{
    if (!m_source || event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    if (!hasFocus())
        setFocus(Qt::MouseFocusReason);
    if (!m_preedit.isEmpty()) {
        // The composition belongs where it was started: finish it before the caret moves.
        QGuiApplication::inputMethod()->commit();
        clearPreedit();
    }
    const QPoint at = event->position().toPoint();
    const QPoint pos = positionAt(at);
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool alt = event->modifiers() & Qt::AltModifier;
    if ((m_options & moDrawGutter) && at.x() < m_gutterWidth) {
        // The gutter selects whole lines; Shift grows them from the caret's line.
        m_lineAnchor = shift ? (m_anchorValid ? m_anchorLine : m_source->CaretY()) : pos.y();
        selectLines(m_lineAnchor, pos.y());
        m_lineSelecting = true;
        m_lastDragPos = at;
        event->accept();
        return;
    }
    if (!shift && !alt && inStreamSelection(pos.x(), pos.y())) {
        // Maybe the start of a drag of the selection: decided when the pointer moves.
        m_dragPending = true;
        m_pressPos = at;
        event->accept();
        return;
    }
    if (shift) {
        moveTo(pos.x(), pos.y(), true, alt);
    } else {
        moveTo(pos.x(), pos.y(), false);
        m_anchorColumn = pos.x();
        m_anchorLine = pos.y();
        m_anchorValid = true;
    }
    m_dragging = true;
    m_dragBlock = alt;
    m_lastDragPos = at;
    event->accept();
}

void TDCMemo::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_source || !(event->buttons() & Qt::LeftButton)
        || !(m_dragging || m_dragPending || m_lineSelecting)) {
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    m_lastDragPos = event->position().toPoint();
    if (m_dragPending) {
        if ((m_lastDragPos - m_pressPos).manhattanLength() >= QApplication::startDragDistance()) {
            m_dragPending = false;
            startTextDrag();
        }
        event->accept();
        return;
    }
    const QPoint pos = positionAt(m_lastDragPos);
    if (m_lineSelecting)
        selectLines(m_lineAnchor, pos.y());
    else
        moveTo(pos.x(), pos.y(), true, m_dragBlock);
    // Outside the text the view keeps scrolling towards the pointer while it is held.
    if (viewport()->rect().contains(m_lastDragPos))
        m_dragScrollTimer.stop();
    else if (!m_dragScrollTimer.isActive())
        m_dragScrollTimer.start(kDragScrollMs, this);
    event->accept();
}

void TDCMemo::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    if (m_dragPending && m_source) {
        // A click inside the selection that never became a drag places the caret there.
        const QPoint pos = positionAt(event->position().toPoint());
        moveTo(pos.x(), pos.y(), false);
        m_anchorColumn = pos.x();
        m_anchorLine = pos.y();
        m_anchorValid = true;
    }
    m_dragPending = false;
    m_dragging = false;
    m_lineSelecting = false;
    m_dragScrollTimer.stop();
    event->accept();
}

void TDCMemo::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (!m_source || event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseDoubleClickEvent(event);
        return;
    }
    const QPoint at = event->position().toPoint();
    const QPoint pos = positionAt(at);
    if ((m_options & moDrawGutter) && at.x() < m_gutterWidth)
        selectLines(pos.y(), pos.y());
    else
        selectWordAt(pos.x(), pos.y());
    m_dragging = false;
    m_dragPending = false;
    m_lineSelecting = false;
    event->accept();
}

void TDCMemo::selectLines(int anchorLine, int line)
{
    if (!m_source)
        return;
    const int last = m_source->lineCount() - 1;
    anchorLine = qBound(0, anchorLine, last);
    line = qBound(0, line, last);
    const int first = qMin(anchorLine, line), final = qMax(anchorLine, line);
    // The selection takes the line break too, except on the last line, which has none.
    const int endColumn = final < last ? 0 : m_source->lineLength(last);
    const int endLine = final < last ? final + 1 : last;
    const bool down = line >= anchorLine;
    m_source->beginChange(opSetSelection);
    if (down) {
        m_source->setCaret(endColumn, endLine);
        m_source->setSelection(smStream, 0, first, endColumn, endLine);
    } else {
        m_source->setCaret(0, first);
        m_source->setSelection(smStream, endColumn, endLine, 0, first);
    }
    m_source->endChange();
    m_anchorColumn = down ? 0 : endColumn;
    m_anchorLine = down ? first : endLine;
    m_anchorValid = m_source->hasSelection();
}

// --- Bookmarks ---------------------------------------------------------------------------------

void TDCMemo::makeGutterImages()
{
    const int size = qBound(8, lineHeight() - 2, 16);
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(colorValueToQColor(kBookmarkEdge, QPalette()));
    p.setBrush(colorValueToQColor(kBookmarkFill, QPalette()));
    p.drawRoundedRect(QRectF(0.5, 0.5, size - 1, size - 1), 2, 2);
    p.end();
    m_gutterImgs = { TGutterImage { QStringLiteral("BookMark"), image } };
}

void TDCMemo::paintGutter(QPainter& p, const QRect& clip)
{
    const int gutter = m_gutterWidth;
    p.fillRect(
        QRect(0, clip.top(), gutter, clip.height()), colorValueToQColor(clBtnFace, palette()));
    p.setPen(colorValueToQColor(m_gutterLineColor, palette()));
    p.drawLine(gutter - 1, clip.top(), gutter - 1, clip.bottom());
    if (!m_source || m_gutterImgs.isEmpty())
        return;
    const QImage& image = m_gutterImgs.first().Image;
    const int lh = lineHeight();
    const int top = topLine();
    QFont digitFont = font();
    digitFont.setBold(true);
    digitFont.setPixelSize(qMax(6, image.height() - 4));
    p.save();
    p.setClipRect(QRect(0, clip.top(), gutter - 1, clip.height()));
    p.setFont(digitFont);
    for (int n = 0; n < kBookmarkCount; ++n) {
        const int line = bookmarkLine(n);
        if (line < top || line > top + visibleLines())
            continue;
        const QRect r(qMax(0, (gutter - 1 - image.width()) / 2),
            (line - top) * lh + (lh - image.height()) / 2, image.width(), image.height());
        if (!r.intersects(clip))
            continue;
        p.drawImage(r.topLeft(), image);
        p.setPen(Qt::white);
        p.drawText(r, Qt::AlignCenter, QString::number(n));
    }
    p.restore();
}

void TDCMemo::toggleBookmark(int number)
{
    if (!m_source || number < 0 || number >= kBookmarkCount)
        return;
    if (bookmarkLine(number) == m_source->CaretY())
        clearBookmark(number);
    else
        setBookmark(number, m_source->CaretY(), m_source->CaretX());
}

void TDCMemo::setBookmark(int number, int line, int column)
{
    if (!m_source || number < 0 || number >= kBookmarkCount)
        return;
    line = qBound(0, line, m_source->lineCount() - 1);
    const int other = bookmarkAt(line);
    if (other >= 0 && other != number)
        clearBookmark(other);
    clearBookmark(number);
    m_bookmarks[number] = std::make_unique<TPosition>(m_source, 0, line);
    m_bookmarkColumns[number] = qMax(0, column);
    updateLines(line, line);
}

void TDCMemo::clearBookmark(int number)
{
    if (number < 0 || number >= kBookmarkCount || !m_bookmarks[number])
        return;
    const int line = m_bookmarks[number]->line();
    m_bookmarks[number].reset();
    updateLines(line, line);
}

void TDCMemo::clearBookmarks()
{
    for (int n = 0; n < kBookmarkCount; ++n)
        clearBookmark(n);
}

int TDCMemo::bookmarkLine(int number) const
{
    if (number < 0 || number >= kBookmarkCount || !m_bookmarks[number])
        return -1;
    return m_bookmarks[number]->line();
}

int TDCMemo::bookmarkAt(int line) const
{
    for (int n = 0; n < kBookmarkCount; ++n)
        if (m_bookmarks[n] && m_bookmarks[n]->line() == line)
            return n;
    return -1;
}

bool TDCMemo::gotoBookmark(int number)
{
    const int line = bookmarkLine(number);
    if (line < 0)
        return false;
    moveTo(m_bookmarkColumns[number], line, false);
    return true;
}

void TDCMemo::settleBookmarks()
{
    // Edits may bring two bookmarks onto one line (the lines between them deleted); the
    // higher number goes, so each line still shows one.
    for (int n = 0; n < kBookmarkCount; ++n) {
        if (!m_bookmarks[n])
            continue;
        const int line = m_bookmarks[n]->line();
        m_bookmarks[n]->set(0, line);
        for (int k = 0; k < n; ++k)
            if (m_bookmarks[k] && m_bookmarks[k]->line() == line) {
                m_bookmarks[n].reset();
                break;
            }
    }
}

// --- Drag and drop of text ---------------------------------------------------------------------

bool TDCMemo::inStreamSelection(int column, int line) const
{
    if (!m_source || m_source->selectionMode() != smStream)
        return false;
    int sc, sl, ec, el;
    m_source->getSelection(sc, sl, ec, el);
    if (el < sl || (el == sl && ec < sc)) {
        std::swap(sc, ec);
        std::swap(sl, el);
    }
    const bool afterStart = line > sl || (line == sl && column >= sc);
    const bool beforeEnd = line < el || (line == el && column < ec);
    return afterStart && beforeEnd;
}

QMimeData* TDCMemo::createDragData()
{
    if (!m_source || m_source->selectionMode() != smStream)
        return nullptr;
    static quint64 serial = 0;
    m_dragToken = QByteArray::number(quintptr(this), 16) + '-' + QByteArray::number(++serial);
    auto* data = new QMimeData;
    // Other programs on this system expect LF line ends in dropped text.
    QString text = m_source->SelText();
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    data->setText(text);
    data->setData(kDragMime, m_dragToken);
    return data;
}

bool TDCMemo::isOwnDrag(const QMimeData* data) const
{
    return data && !m_dragToken.isEmpty() && data->data(kDragMime) == m_dragToken;
}

bool TDCMemo::acceptsTextDrop(const QMimeData* data) const
{
    if (!m_source || m_source->ReadOnly() || !data)
        return false;
    if (isOwnDrag(data))
        return true;
    // Files dropped here are the document window's to take (it inserts their names).
    return data->hasText() && !data->hasUrls();
}

Qt::DropAction TDCMemo::dropActionFor(const QDropEvent* event) const
{
    const Qt::DropActions possible = event->possibleActions();
    const bool copy = event->modifiers() & Qt::ControlModifier;
    if (isOwnDrag(event->mimeData()))
        return copy || !(possible & Qt::MoveAction) ? Qt::CopyAction : Qt::MoveAction;
    if (copy && (possible & Qt::CopyAction))
        return Qt::CopyAction;
    if (possible & event->proposedAction())
        return event->proposedAction();
    return (possible & Qt::CopyAction) ? Qt::CopyAction : Qt::MoveAction;
}

void TDCMemo::setDropCaret(const QPoint& cell)
{
    if (cell == m_dropCaret)
        return;
    if (m_dropCaret.x() >= 0)
        updateLines(m_dropCaret.y(), m_dropCaret.y());
    m_dropCaret = cell;
    if (cell.x() >= 0)
        updateLines(cell.y(), cell.y());
}

void TDCMemo::dragEnterEvent(QDragEnterEvent* event)
{
    if (!acceptsTextDrop(event->mimeData())) {
        event->ignore();
        return;
    }
    event->setDropAction(dropActionFor(event));
    event->accept();
    setDropCaret(positionAt(event->position().toPoint()));
}

void TDCMemo::dragMoveEvent(QDragMoveEvent* event)
{
    if (!acceptsTextDrop(event->mimeData())) {
        event->ignore();
        return;
    }
    const QPoint at = event->position().toPoint();
    // Near the top or bottom edge the text scrolls, so a drop can reach any line.
    if (at.y() < lineHeight() / 2)
        scrollLineUp();
    else if (at.y() > viewport()->height() - lineHeight() / 2)
        scrollLineDown();
    const QPoint cell = positionAt(at);
    if (m_source->lineReadOnly(cell.y())) {
        event->ignore();
        setDropCaret(QPoint(-1, -1));
        return;
    }
    event->setDropAction(dropActionFor(event));
    event->accept();
    setDropCaret(cell);
}

void TDCMemo::dragLeaveEvent(QDragLeaveEvent* event)
{
    setDropCaret(QPoint(-1, -1));
    event->accept();
}

void TDCMemo::dropEvent(QDropEvent* event)
{
    setDropCaret(QPoint(-1, -1));
    const QMimeData* data = event->mimeData();
    if (!acceptsTextDrop(data)) {
        event->ignore();
        return;
    }
    const QPoint pos = positionAt(event->position().toPoint());
    if (m_source->lineReadOnly(pos.y())) {
        event->ignore();
        return;
    }
    const Qt::DropAction action = dropActionFor(event);
    if (isOwnDrag(data)) {
        m_ownDropDone = true;
        const bool move = action == Qt::MoveAction;
        int sc, sl, ec, el;
        m_source->getSelection(sc, sl, ec, el);
        const bool atEdge = pos == QPoint(sc, sl) || pos == QPoint(ec, el);
        // A drop inside the dragged text changes nothing; nor does a move to its very edge.
        if (m_source->selectionMode() != smStream
            || (inStreamSelection(pos.x(), pos.y()) && !atEdge) || (move && atEdge)) {
            event->setDropAction(Qt::IgnoreAction);
            event->accept();
            return;
        }
        dropText(m_source->SelText(), pos.x(), pos.y(), move);
        event->setDropAction(action);
        event->accept();
        return;
    }
    dropText(data->text(), pos.x(), pos.y(), false);
    event->setDropAction(action);
    event->accept();
}

void TDCMemo::dropText(const QString& text, int column, int line, bool move)
{
    if (!m_source || text.isEmpty())
        return;
    int sc = 0, sl = 0, ec = 0, el = 0;
    if (move)
        m_source->getSelection(sc, sl, ec, el);
    // The dragged text, wherever the insertion puts it.
    TPosition from(m_source, sc, sl), to(m_source, ec, el);
    m_source->beginChange(opDragDrop);
    if (m_source->hasSelection())
        m_source->clearSelection();
    m_source->setCaret(column, line);
    const int startColumn = m_source->CaretX(), startLine = m_source->CaretY();
    m_source->insertText(text);
    // Inserting first means a refused insertion (a read-only line) never loses the text.
    const bool inserted = m_source->CaretX() != startColumn || m_source->CaretY() != startLine;
    TPosition start(m_source, startColumn, startLine);
    TPosition end(m_source, m_source->CaretX(), m_source->CaretY());
    if (move && inserted) {
        m_source->setSelection(smStream, from.column(), from.line(), to.column(), to.line());
        m_source->deleteSelection();
    }
    if (inserted) {
        m_source->setCaret(end.column(), end.line());
        m_source->setSelection(smStream, start.column(), start.line(), end.column(), end.line());
    }
    m_source->endChange();
    m_anchorColumn = start.column();
    m_anchorLine = start.line();
    m_anchorValid = inserted;
    if (!hasFocus())
        setFocus(Qt::OtherFocusReason);
}

void TDCMemo::startTextDrag()
{
    if (!m_source || m_source->selectionMode() != smStream)
        return;
    int sc, sl, ec, el;
    m_source->getSelection(sc, sl, ec, el);
    if (el < sl || (el == sl && ec < sc)) {
        std::swap(sc, ec);
        std::swap(sl, el);
    }
    TMemoSource* source = m_source;
    // Where the dragged text is, through whatever happens during the drag.
    TPosition start(source, sc, sl), end(source, ec, el);
    QMimeData* data = createDragData();
    m_ownDropDone = false;
    const Qt::DropActions actions
        = source->ReadOnly() ? Qt::CopyAction : Qt::CopyAction | Qt::MoveAction;
    QPointer<TDCMemo> self(this);
    const Qt::DropAction action = execDrag(data, actions);
    if (!self)
        return;
    m_dragToken.clear();
    setDropCaret(QPoint(-1, -1));
    const bool here = m_ownDropDone;
    m_ownDropDone = false;
    if (action != Qt::MoveAction || here || m_source != source || !start.owner() || !(start < end))
        return;
    // Another program took the text as a move: it leaves this document.
    source->beginChange(opDragDrop);
    source->setSelection(smStream, start.column(), start.line(), end.column(), end.line());
    source->deleteSelection();
    source->endChange();
    m_anchorValid = false;
}

Qt::DropAction TDCMemo::execDrag(QMimeData* data, Qt::DropActions actions)
{
    auto* drag = new QDrag(this); // Qt deletes it when the drag is over
    drag->setMimeData(data);
    return drag->exec(actions, Qt::MoveAction);
}
