/** @file TDCMemo.h ** The editor control's view: paints a text storage and edits it by keys and mouse. **/
#pragma once

#include "editor/TLineMetrics.h"
#include "editor/TMemoSource.h"
#include "editor/TTextStyles.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QColor>
#include <QFlags>
#include <functional>

enum TMemoOption : uint32_t {
    moDrawMargin = 0x01,
    moDrawGutter = 0x02,
    moThumbTracking = 0x04,
    moColorSyntax = 0x08,
    moDblClickLine = 0x10, ///< a double click selects the whole line instead of a word
};
Q_DECLARE_FLAGS(TMemoOptions, TMemoOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TMemoOptions)

enum TScrollStyle : uint8_t { ssNone, ssHorizontal, ssVertical, ssBoth };

class TDCMemo;
/// `State` carries TMemoState bits: 0x01 caret moved, 0x10 insert/overwrite changed,
/// 0x40 Modified changed (other bits may be set too).
using TMemoChangeEvent = std::function<void(TDCMemo* Sender, int State)>;
/// Runs before the view's own key handling; setting `handled` stops it.
using TMemoKeyDownEvent = std::function<void(TDCMemo* Sender, QKeyEvent* event, bool& handled)>;
/// Runs before typed text reaches the storage; it may change `text` or set `handled`.
using TMemoKeyPressEvent = std::function<void(TDCMemo* Sender, QString& text, bool& handled)>;

class TDCMemo : public QAbstractScrollArea, private TMemoListener
{
    Q_OBJECT
public:
    explicit TDCMemo(QWidget* parent = nullptr);
    ~TDCMemo() override;

    /// Not owned; the view detaches itself when either side goes away. A storage without a
    /// clipboard gets the system one.
    TMemoSource* MemoSource() const { return m_source; }
    void setMemoSource(TMemoSource* source);

    const TTextStyles& TextStyles() const { return m_styles; }
    void setTextStyles(const TTextStyles& styles);
    int SelectionStyle() const { return m_selectionStyle; }
    void setSelectionStyle(int index);
    int SearchMatchStyle() const { return m_searchMatchStyle; }
    void setSearchMatchStyle(int index);
    TMemoOptions Options() const { return m_options; }
    void setOptions(TMemoOptions options);
    TScrollStyle ScrollBars() const { return m_scrollBars; }
    void setScrollBars(TScrollStyle bars);
    int GutterWidth() const { return m_gutterWidth; }
    void setGutterWidth(int width);
    int MarginPos() const { return m_marginPos; }
    void setMarginPos(int column);
    int32_t GutterLineColor() const { return m_gutterLineColor; }
    void setGutterLineColor(int32_t color);
    /// Columns the horizontal scroll bar covers; it grows past this to keep the caret shown.
    int HorzMaxPos() const { return m_horzMaxPos; }
    void setHorzMaxPos(int columns);
    /// The editor's own background and text colours (used where no style applies).
    int32_t Color() const { return m_color; }
    void setColor(int32_t color);
    int32_t FontColor() const { return m_fontColor; }
    void setFontColor(int32_t color);
    /// The widget's font; styles change only colours.
    QFont Font() const { return font(); }
    void setFont(const QFont& font) { QWidget::setFont(font); }

    /// Marks a search match on one line, painted in SearchMatchStyle until the text
    /// changes or the mark is cleared.
    void setSearchMatch(int line, int column, int length);
    void clearSearchMatch();
    bool hasSearchMatch() const { return m_matchLine >= 0; }

    // --- Scrolling ----------------------------------------------------------------------
    int topLine() const;
    void setTopLine(int line);
    /// Full lines that fit in the window (at least 1).
    int visibleLines() const;
    void scrollLineUp();
    void scrollLineDown();
    /// Scrolls so that the caret's line sits in the middle of the window.
    void centerCaretLine();
    /// Scrolls the least needed to show the caret.
    void ensureCaretVisible();

    // --- Geometry (viewport coordinates) ------------------------------------------------
    /// Left edge of the text area, after the gutter.
    int textLeft() const;
    /// Top-left corner of the cell at (column, line); lines above the window give negative y.
    QPoint cellPos(int column, int line) const;
    /// The (column, line) under a viewport point; the line is clamped to the document.
    QPoint positionAt(const QPoint& point) const;
    QRect caretRect() const;
    int lineHeight() const { return m_metrics.lineHeight(); }

    /// Selects the word at the position (or the line with moDblClickLine).
    void selectWordAt(int column, int line);

    // Hooks for the document window, run before the view's own handling.
    TMemoChangeEvent OnStateChange;
    TMemoKeyDownEvent OnKeyDown;
    TMemoKeyPressEvent OnKeyPress;

signals:
    void stateChange(int State);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    bool event(QEvent* event) override;
    /// The view's own key handling, after OnKeyDown; true when the key was used.
    virtual bool handleKey(QKeyEvent* event);
    /// Typed text after OnKeyPress: each character through the storage's typing operation.
    virtual void typeText(const QString& text);

private:
    void memoChanged(const TMemoChange& change) override;
    void memoDestroyed() override;

    struct Colors {
        QColor fg, bg;
    };
    Colors styleColors(int index) const;
    Colors plainColors() const;
    bool colorSyntax() const { return (m_options & moColorSyntax) && !m_styles.isEmpty(); }
    /// Selected columns [from, to) of `line`; to may be INT_MAX (selection runs past the
    /// line end). False when nothing of the line is selected.
    bool selectionOnLine(int line, int& from, int& to) const;
    void paintLine(QPainter& p, int line, int y, const QRect& clip);
    void paintCaret(QPainter& p);
    void updateLines(int first, int last); ///< last < 0: to the bottom of the window
    void updateScrollBars();
    int horzOffset() const; ///< pixels scrolled to the right
    void restartBlink();

    /// Moves the caret, extending the selection from its anchor when `extend` is set (a
    /// column block when `block` is set), else clearing it.
    void moveTo(int column, int line, bool extend, bool block = false);
    void selectAll();
    void deleteSelectionAtStart();

    TMemoSource* m_source = nullptr;
    TTextStyles m_styles;
    int m_selectionStyle = 0;
    int m_searchMatchStyle = 0;
    TMemoOptions m_options;
    TScrollStyle m_scrollBars = ssBoth;
    int m_gutterWidth = 32;
    int m_marginPos = 80;
    int32_t m_gutterLineColor = 0x808080;
    int m_horzMaxPos = 512;
    int32_t m_color;
    int32_t m_fontColor;
    TLineMetrics m_metrics;

    int m_matchLine = -1; ///< -1: no search match marked
    int m_matchColumn = 0;
    int m_matchLength = 0;

    /// The fixed end of a selection grown by Shift or the mouse; valid while the storage's
    /// selection is the one the view made (m_anchorValid).
    int m_anchorColumn = 0;
    int m_anchorLine = 0;
    bool m_anchorValid = false;
    bool m_dragging = false;
    bool m_dragBlock = false;
    QPoint m_lastDragPos;

    bool m_caretOn = true; ///< blink phase; the caret shows only while focused and on
    QRect m_paintedCaret; ///< where the caret was last painted, to erase it after a move
    QBasicTimer m_blinkTimer;
    QBasicTimer m_dragScrollTimer;
};
