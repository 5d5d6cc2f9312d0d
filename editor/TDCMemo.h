/** @file TDCMemo.h ** The editor control's view: paints a text storage and edits it by keys and mouse. **/
#pragma once

#include "editor/TLineMetrics.h"
#include "editor/TMemoSource.h"
#include "editor/TTextStyles.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QColor>
#include <QFlags>
#include <QImage>
#include <QInputMethodEvent>
#include <array>
#include <functional>
#include <memory>

class QMimeData;

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

/// One entry of the gutter's image list.
struct TGutterImage
{
    QString Name;
    QImage Image;
};
using TGutterImages = QList<TGutterImage>;

/// Bookmarks are numbered 0 to 9, like the digit keys that reach them.
constexpr int kBookmarkCount = 10;

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
    /// Selects whole lines from `anchorLine` to `line` (either order); the caret goes to the
    /// `line` end, as a drag down the gutter leaves it.
    void selectLines(int anchorLine, int line);

    // --- Bookmarks --------------------------------------------------------------------------
    /// "BookMark": painted in the gutter, with its number, on each bookmarked line.
    const TGutterImages& GutterImgs() const { return m_gutterImgs; }
    /// Sets bookmark `number` on the caret's line, or removes it when it is already there.
    /// A line holds one bookmark: setting another there replaces it.
    void toggleBookmark(int number);
    void setBookmark(int number, int line, int column = 0);
    void clearBookmark(int number);
    void clearBookmarks();
    /// The line bookmark `number` is on, or -1.
    int bookmarkLine(int number) const;
    /// The bookmark on `line`, or -1.
    int bookmarkAt(int line) const;
    /// Moves the caret to the bookmark (to the column it was set at); false when not set.
    bool gotoBookmark(int number);

    // --- Input methods ----------------------------------------------------------------------
    /// Text an input method is composing at the caret; shown only, not yet in the storage.
    QString preeditText() const { return m_preedit; }
    /// The caret's rectangle (inside the composition), its line as surrounding text, the
    /// caret column as the cursor position.
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

    // --- Drag and drop of text --------------------------------------------------------------
    /// What a drag of the stream selection carries: its text, plus a mark by which this view
    /// knows its own drag when it comes back. Null without a stream selection.
    QMimeData* createDragData();
    /// Whether a drag holding `data` may drop here: plain text (file names are the document
    /// window's business), into a storage that is not read-only.
    bool acceptsTextDrop(const QMimeData* data) const;
    /// Where the drop caret is shown while a drag is over the view; x < 0 when none.
    QPoint dropCaret() const { return m_dropCaret; }

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
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    /// Starts dragging the stream selection; a move taken by another program deletes it here.
    void startTextDrag();
    /// Runs the platform's drag (a nested event loop) and returns what the target did.
    virtual Qt::DropAction execDrag(QMimeData* data, Qt::DropActions actions);
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
    /// Whether (column, line) lies in the stream selection (its end excluded).
    bool inStreamSelection(int column, int line) const;
    bool isOwnDrag(const QMimeData* data) const;
    Qt::DropAction dropActionFor(const QDropEvent* event) const;
    void setDropCaret(const QPoint& cell);
    /// Inserts `text` at (column, line) and selects it; with `move` set, the dragged
    /// selection then goes. One undo step.
    void dropText(const QString& text, int column, int line, bool move);
    void paintGutter(QPainter& p, const QRect& clip);
    /// Paints the caret's line with the pre-edit string shown at the caret.
    void paintPreeditLine(QPainter& p, int line, int y, const QRect& clip);
    qreal preeditCaretOffset() const;
    void clearPreedit();
    void makeGutterImages();
    /// Bookmarks mark lines: keep each at column 0 so a later split inside the line leaves it.
    void settleBookmarks();

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

    bool m_lineSelecting = false; ///< a press in the gutter selects whole lines while held
    int m_lineAnchor = 0;

    TGutterImages m_gutterImgs; ///< made for the font's line height
    /// Registered with m_source, so each stays on its line through every edit; null when the
    /// bookmark is not set. invariant: no two on the same line.
    std::array<std::unique_ptr<TPosition>, kBookmarkCount> m_bookmarks;
    std::array<int, kBookmarkCount> m_bookmarkColumns {}; ///< where gotoBookmark puts the caret

    QString m_preedit;
    int m_preeditCursor = 0; ///< in m_preedit's characters
    bool m_preeditCaretShown = true;
    QList<QInputMethodEvent::Attribute> m_preeditFormats;

    bool m_dragPending = false; ///< pressed inside the selection: a move starts a drag
    QPoint m_pressPos;
    QByteArray m_dragToken; ///< marks the data of the drag this view runs; empty when none
    bool m_ownDropDone = false; ///< that drag was dropped here and handled already
    QPoint m_dropCaret { -1, -1 };
};
