/** @file TDCMemo.cpp ** The editor control's view: paints a text storage and edits it by keys and mouse. **/
#include "editor/TDCMemo.h"

#include "editor/TQtClipboard.h"
#include "editor/colorValue_utl.h"

#include <QApplication>
#include <QFontDatabase>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <QStyleHints>
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
    if (m_source)
        m_source->detach(this);
    m_source = source;
    m_anchorValid = false;
    m_matchLine = -1;
    if (m_source) {
        m_source->attach(this);
        if (!m_source->clipboard())
            m_source->setClipboard(&TQtClipboard::instance());
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
        x = m_metrics.xOfColumn(m_source->lineText(line), column);
    return QPoint(textLeft() - horzOffset() + qRound(x), (line - topLine()) * lineHeight());
}

QPoint TDCMemo::positionAt(const QPoint& point) const
{
    if (!m_source)
        return QPoint(0, 0);
    const int row = point.y() >= 0 ? point.y() / lineHeight() : -1 - (-point.y() - 1) / lineHeight();
    const int line = qBound(0, topLine() + row, m_source->lineCount() - 1);
    const qreal x = point.x() - textLeft() + horzOffset();
    const qsizetype column = m_metrics.columnAt(m_source->lineText(line), x);
    return QPoint(int(qMin<qsizetype>(column, INT_MAX / 2)), line);
}

QRect TDCMemo::caretRect() const
{
    if (!m_source)
        return QRect();
    const int column = m_source->CaretX(), line = m_source->CaretY();
    const QPoint p = cellPos(column, line);
    int width = kInsertCaretWidth;
    if (TMemoSource::overwriteMode())
        width = qMax(kInsertCaretWidth,
                     qRound(m_metrics.charWidth(m_source->lineText(line), column)));
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

    const LineText text = m_source->lineText(line);
    const qreal x = m_metrics.xOfColumn(text, m_source->CaretX());
    const qreal right = x + qMax<qreal>(m_metrics.charWidth(text, m_source->CaretX()), kInsertCaretWidth);
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
    // A caret out in virtual space or on a long line must stay reachable.
    if (m_source)
        maxColumn = qMax(maxColumn, m_source->CaretX() + 1);
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
        m_metrics = TLineMetrics(font());
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
    // Parsing comes first: it may reach other lines before this one's text is read.
    const uint8_t* colors = colorSyntax() ? m_source->colorData(line) : nullptr;
    const LineText text = m_source->lineText(line);
    const qsizetype len = text.size();
    const int lh = lineHeight();
    const qreal x0 = textLeft() - horzOffset();
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

    // Characters that can show, so a very long line costs only its visible part.
    const qsizetype first = m_metrics.paintStart(text, clip.left() - x0);
    qsizetype last = len;
    if (m_metrics.fixedLatin1() && !text.isWide())
        last = qBound<qsizetype>(first, qsizetype((clip.right() - x0) / m_metrics.spaceWidth()) + 2, len);
    constexpr qsizetype maxRun = 256; // lets painting stop soon after the window's edge

    qreal x = x0 + m_metrics.xOfColumn(text, first);
    for (qsizetype c = first; c < last;) {
        const int kind = kindAt(c);
        qsizetype end = c + 1;
        while (end < last && end - c < maxRun && kindAt(end) == kind)
            ++end;
        if (end < len && QChar::isLowSurrogate(text.at(end)))
            ++end; // keep a pair in one run
        const QString run = TLineMetrics::displayText(text, c, end);
        const qreal w = m_metrics.fixedLatin1() && !text.isWide()
            ? (end - c) * m_metrics.spaceWidth()
            : m_metrics.metrics().horizontalAdvance(run);
        const Colors col = colorsOf(kind);
        if (col.bg != plain.bg)
            p.fillRect(QRectF(x, y, w, lh), col.bg);
        p.setPen(col.fg);
        p.drawText(QPointF(x, baseline), run);
        x += w;
        c = end;
        if (x > clip.right())
            break;
    }

    // Selection and match marks in virtual space past the line's end.
    const qreal lineEnd = x0 + m_metrics.xOfColumn(text, len);
    const qreal sw = m_metrics.spaceWidth();
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
    if (!m_source || !hasFocus() || !m_caretOn)
        return;
    const QRect r = caretRect();
    m_paintedCaret = r;
    const Colors plain = plainColors();
    if (!TMemoSource::overwriteMode()) {
        p.fillRect(r, plain.fg);
        return;
    }
    // A block caret shows the character under it in reverse.
    p.fillRect(r, plain.fg);
    const LineText text = m_source->lineText(m_source->CaretY());
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
        for (int row = firstRow; row <= lastRow && top + row < count; ++row) {
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
        p.restore();
    }
    if (gutter > 0 && clip.left() < gutter) {
        p.fillRect(QRect(0, clip.top(), gutter, clip.height()), colorValueToQColor(clBtnFace, palette()));
        p.setPen(colorValueToQColor(m_gutterLineColor, palette()));
        p.drawLine(gutter - 1, clip.top(), gutter - 1, clip.bottom());
    }

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
        if (!m_dragging || !m_source) {
            m_dragScrollTimer.stop();
            return;
        }
        const QPoint pos = positionAt(m_lastDragPos);
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
    if (state & (msTextChanged | msLineCountChanged)) {
        m_metrics.clearCache();
        m_matchLine = -1; // the marked text may be gone
        updateScrollBars();
        if (change.FirstLine >= 0)
            updateLines(change.FirstLine,
                        (state & msLineCountChanged) ? -1 : change.LastLine + 1);
    }
    if (state & msSelectionChanged)
        viewport()->update();
    if (state & (msCaretMoved | msTextChanged)) {
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
    // Ctrl+Alt is how some layouts reach their third level, so it still types.
    const bool command = ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier))
        || (mods & Qt::MetaModifier);
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
    auto lineText = [this](int l) { return m_source->lineText(l); };

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
    QString text = event->commitString();
    if (m_source && !text.isEmpty()) {
        bool used = false;
        if (OnKeyPress)
            OnKeyPress(this, text, used);
        if (!used && m_source && !text.isEmpty())
            typeText(text);
    }
    event->accept();
}

QVariant TDCMemo::inputMethodQuery(Qt::InputMethodQuery query) const
{
    switch (query) {
    case Qt::ImEnabled:
        return m_source != nullptr;
    case Qt::ImCursorRectangle:
        return QRectF(caretRect().translated(viewport()->pos()));
    case Qt::ImFont:
        return font();
    case Qt::ImCursorPosition:
    case Qt::ImAnchorPosition:
        return m_source ? m_source->CaretX() : 0;
    case Qt::ImSurroundingText:
        return m_source ? m_source->line(m_source->CaretY()) : QString();
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
    const QPoint pos = positionAt(event->position().toPoint());
    const bool alt = event->modifiers() & Qt::AltModifier;
    if (event->modifiers() & Qt::ShiftModifier) {
        moveTo(pos.x(), pos.y(), true, alt);
    } else {
        moveTo(pos.x(), pos.y(), false);
        m_anchorColumn = pos.x();
        m_anchorLine = pos.y();
        m_anchorValid = true;
    }
    m_dragging = true;
    m_dragBlock = alt;
    m_lastDragPos = event->position().toPoint();
    event->accept();
}

void TDCMemo::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_source || !m_dragging || !(event->buttons() & Qt::LeftButton)) {
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    m_lastDragPos = event->position().toPoint();
    const QPoint pos = positionAt(m_lastDragPos);
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
    m_dragging = false;
    m_dragScrollTimer.stop();
    event->accept();
}

void TDCMemo::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (!m_source || event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseDoubleClickEvent(event);
        return;
    }
    const QPoint pos = positionAt(event->position().toPoint());
    selectWordAt(pos.x(), pos.y());
    m_dragging = false;
    event->accept();
}
