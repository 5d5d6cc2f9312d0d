/** @file tst_dcmemo.cpp ** The editor view driven by keys and mouse, and what it paints. **/
#include "editor/TDCMemo.h"
#include "editor/TMemoSource.h"
#include "editor/TQtClipboard.h"
#include "editor/colorValue_utl.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QtTest>
#include <memory>

namespace {

constexpr int32_t kRed = 0x0000FF, kYellow = 0x00FFFF, kBlue = 0xFF0000, kGreen = 0x00FF00;
constexpr int32_t kBlack = 0x000000, kWhite = 0xFFFFFF, kNavy = 0x800000, kGrey = 0xC0C0C0;
constexpr int32_t kPurple = 0x800080, kOrange = 0x0080FF;

QColor rgb(int32_t value)
{
    return colorValueToQColor(value, QPalette());
}

QString lines(int count)
{
    QStringList l;
    for (int i = 0; i < count; ++i)
        l << QStringLiteral("line %1 of text").arg(i);
    return l.join(QStringLiteral("\r\n"));
}

// A shown, focused view over its own storage, in a fixed-pitch font.
template <class Memo> struct FixtureOf
{
    TMemoSource source;
    Memo memo;

    explicit FixtureOf(
        const QString& text, const QString& family = QStringLiteral("DejaVu Sans Mono"))
    {
        source.setText(text);
        source.setDelimeters(QStringLiteral("<>=\"' "));
        memo.setFont(QFont(family, 12));
        memo.setMemoSource(&source);
        memo.resize(480, 320);
        memo.show();
        memo.activateWindow();
        memo.setFocus();
    }
    bool ready() { return QTest::qWaitForWindowActive(&memo) && memo.hasFocus(); }

    QPoint cellCentre(int column, int line) const
    {
        const QPoint a = memo.cellPos(column, line);
        const QPoint b = memo.cellPos(column + 1, line);
        return QPoint((a.x() + b.x()) / 2, a.y() + memo.lineHeight() / 2);
    }
    QString selected() const { return source.SelText(); }
    void selection(int& sc, int& sl, int& ec, int& el) const { source.getSelection(sc, sl, ec, el); }
    bool caretShown() const { return memo.viewport()->rect().contains(memo.caretRect()); }
};
using Fixture = FixtureOf<TDCMemo>;

// A view whose drags run a script instead of the platform's nested drag loop.
class ScriptedDragMemo : public TDCMemo
{
public:
    std::function<Qt::DropAction(QMimeData*)> target; ///< plays the drop target
    QStringList draggedTexts;
    Qt::DropActions offered;

protected:
    Qt::DropAction execDrag(QMimeData* data, Qt::DropActions actions) override
    {
        std::unique_ptr<QMimeData> owned(data);
        draggedTexts << data->text();
        offered = actions;
        return target ? target(data) : Qt::IgnoreAction;
    }
};
using DragFixture = FixtureOf<ScriptedDragMemo>;

// Enters, moves over and drops on the view at `at`, as the platform would; returns the
// action the view took (IgnoreAction when it refused the data).
Qt::DropAction dropOn(TDCMemo& memo, const QMimeData* data, const QPoint& at,
    Qt::KeyboardModifiers mods = {}, Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction)
{
    QWidget* vp = memo.viewport();
    QDragEnterEvent enter(at, actions, data, Qt::LeftButton, mods);
    QApplication::sendEvent(vp, &enter);
    if (!enter.isAccepted())
        return Qt::IgnoreAction;
    QDragMoveEvent move(at, actions, data, Qt::LeftButton, mods);
    QApplication::sendEvent(vp, &move);
    QDropEvent drop(at, actions, data, Qt::LeftButton, mods);
    QApplication::sendEvent(vp, &drop);
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

// Pixels of `color` inside `r` of `image`.
int countColor(const QImage& image, const QRect& r, const QColor& color)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += image.pixelColor(x, y) == color;
    return n;
}

using StorageEdit = void (*)(TMemoSource&);

// Whether the undo log holds nothing but caret moves.
bool noTextEdits(const TMemoSource& source)
{
    const auto& log = source.undoLog();
    return std::all_of(
        log.begin(), log.end(), [](const TUndoRecord& r) { return r.Kind == ukCaretMoved; });
}

} // namespace

Q_DECLARE_METATYPE(StorageEdit)

class tst_DCMemo : public QObject
{
    Q_OBJECT

private slots:
    void init() { TMemoSource::setOverwriteMode(false); }

    void colorValues_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QColor>("expected");
        QTest::newRow("red is the low byte") << 0x0000FF << QColor(255, 0, 0);
        QTest::newRow("blue is the high byte") << 0xFF0000 << QColor(0, 0, 255);
        QTest::newRow("mixed") << 0x123456 << QColor(0x56, 0x34, 0x12);
        QTest::newRow("window") << int(0x80000005) << QColor(1, 2, 3);
        QTest::newRow("window text") << int(0x80000008) << QColor(4, 5, 6);
        QTest::newRow("highlight") << int(0x8000000D) << QColor(7, 8, 9);
        QTest::newRow("unknown system number") << int(0x800000FE) << QColor(10, 11, 12);
    }
    void colorValues()
    {
        QFETCH(int, value);
        QFETCH(QColor, expected);
        QPalette pal;
        pal.setColor(QPalette::Active, QPalette::Base, QColor(1, 2, 3));
        pal.setColor(QPalette::Active, QPalette::Text, QColor(4, 5, 6));
        pal.setColor(QPalette::Active, QPalette::Highlight, QColor(7, 8, 9));
        pal.setColor(QPalette::Active, QPalette::WindowText, QColor(10, 11, 12));
        QCOMPARE(colorValueToQColor(value, pal), expected);
        if (value >= 0)
            QCOMPARE(qColorToColorValue(expected), value);
    }

    void freshViewDefaults()
    {
        TDCMemo memo;
        QCOMPARE(memo.TextStyles().size(), 1);
        QCOMPARE(memo.TextStyles()[0].Name, QStringLiteral("Selected Text"));
        QCOMPARE(memo.TextStyles()[0].Font.Color, kNavy);
        QCOMPARE(memo.TextStyles()[0].Color, kWhite);
        QCOMPARE(memo.GutterWidth(), 32);
        QCOMPARE(memo.MarginPos(), 80);
        QCOMPARE(memo.GutterLineColor(), 0x808080);
        QCOMPARE(memo.HorzMaxPos(), 512);
        QCOMPARE(memo.ScrollBars(), ssBoth);
        QVERIFY(memo.MemoSource() == nullptr);
    }

    void typing()
    {
        Fixture f(QStringLiteral("xy"));
        QVERIFY(f.ready());
        QTest::keyClick(&f.memo, Qt::Key_End);
        QTest::keyClicks(&f.memo, QStringLiteral(" ab"));
        for (QChar c : QStringLiteral("é€"))
            QTest::sendKeyEvent(QTest::Click, &f.memo, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QCOMPARE(f.source.line(0), QStringLiteral("xy abé€"));
        QCOMPARE(f.source.CaretX(), 7);

        QTest::keyClick(&f.memo, Qt::Key_Return);
        QTest::keyClicks(&f.memo, QStringLiteral("z"));
        QCOMPARE(f.source.lineCount(), 2);
        QCOMPARE(f.source.line(1), QStringLiteral("z"));
        QTest::keyClick(&f.memo, Qt::Key_Backspace);
        QTest::keyClick(&f.memo, Qt::Key_Backspace);
        QCOMPARE(f.source.lineCount(), 1);
        QCOMPARE(f.source.line(0), QStringLiteral("xy abé€"));

        // Overwrite mode replaces the character under the caret.
        QTest::keyClick(&f.memo, Qt::Key_Home);
        QTest::keyClick(&f.memo, Qt::Key_Insert);
        QVERIFY(TMemoSource::overwriteMode());
        QTest::keyClicks(&f.memo, QStringLiteral("Q"));
        QCOMPARE(f.source.line(0), QStringLiteral("Qy abé€"));

        // Text from an input method goes the same way.
        QInputMethodEvent im;
        im.setCommitString(QStringLiteral("日本"));
        QApplication::sendEvent(&f.memo, &im);
        QCOMPARE(f.source.line(0), QStringLiteral("Q日本abé€"));

        // Ctrl+letter is a command, not a character.
        QTest::keyClick(&f.memo, Qt::Key_B, Qt::ControlModifier);
        QCOMPARE(f.source.line(0), QStringLiteral("Q日本abé€"));

        // Tab and Delete are editing keys of the storage, not focus moves.
        TMemoSource::setOverwriteMode(false);
        QTest::keyClick(&f.memo, Qt::Key_Home);
        QTest::keyClick(&f.memo, Qt::Key_Tab);
        QVERIFY(f.memo.hasFocus());
        QCOMPARE(f.source.CaretX(), f.source.nextTabStop(0));
        QCOMPARE(f.source.line(0), QString(f.source.nextTabStop(0), u' ') + QStringLiteral("Q日本abé€"));
        QTest::keyClick(&f.memo, Qt::Key_Delete);
        QCOMPARE(f.source.line(0), QString(f.source.nextTabStop(0), u' ') + QStringLiteral("日本abé€"));
    }

    void stateChangeFlags()
    {
        Fixture f(QStringLiteral("abc\r\ndef"));
        QVERIFY(f.ready());
        QList<int> states;
        f.memo.OnStateChange = [&](TDCMemo* sender, int state) {
            QCOMPARE(sender, &f.memo);
            states << state;
        };
        QTest::keyClick(&f.memo, Qt::Key_Down);
        QVERIFY(!states.isEmpty());
        QVERIFY(states.last() & 0x01);
        QVERIFY(!(states.last() & 0x40));

        states.clear();
        QTest::keyClick(&f.memo, Qt::Key_Insert);
        QVERIFY(!states.isEmpty());
        QVERIFY(states.last() & 0x10);

        states.clear();
        QTest::keyClick(&f.memo, Qt::Key_Insert);
        f.source.setModified(false); // as after loading
        states.clear();
        QTest::keyClicks(&f.memo, QStringLiteral("x"));
        int all = 0;
        for (int s : states)
            all |= s;
        QVERIFY(all & 0x40); // first change of an unmodified document
        QVERIFY(all & 0x01);
        QVERIFY(f.source.Modified());
    }

    void keyHooksRunFirst()
    {
        Fixture f(QStringLiteral("abc"));
        QVERIFY(f.ready());
        f.memo.OnKeyDown = [](TDCMemo*, QKeyEvent* e, bool& handled) {
            handled = e->key() == Qt::Key_End;
        };
        f.memo.OnKeyPress = [](TDCMemo*, QString& text, bool& handled) {
            if (text == QLatin1String("<"))
                handled = true;
            else if (text == QLatin1String("a"))
                text = QStringLiteral("A");
        };
        QTest::keyClick(&f.memo, Qt::Key_End);
        QCOMPARE(f.source.CaretX(), 0);
        QTest::keyClicks(&f.memo, QStringLiteral("<a"));
        QCOMPARE(f.source.line(0), QStringLiteral("Aabc"));
    }

    void keySelection_data()
    {
        QTest::addColumn<QList<QKeyCombination>>("keys");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<int>("mode");
        const auto S = Qt::ShiftModifier;
        const auto C = Qt::ControlModifier;
        const auto A = Qt::AltModifier;
        using K = QList<QKeyCombination>;
        QTest::newRow("shift right") << K { S | Qt::Key_Right, S | Qt::Key_Right } << QStringLiteral("<a")
                                     << int(smStream);
        QTest::newRow("back over the anchor")
            << K { Qt::Key_Right, Qt::Key_Right, S | Qt::Key_Right, S | Qt::Key_Left,
                   S | Qt::Key_Left, S | Qt::Key_Left }
            << QStringLiteral("<a") << int(smStream);
        QTest::newRow("shift down") << K { Qt::Key_Right, S | Qt::Key_Down }
                                    << QStringLiteral("a href=x>\r\n<") << int(smStream);
        QTest::newRow("shift end") << K { Qt::Key_Right, S | Qt::Key_End }
                                   << QStringLiteral("a href=x>") << int(smStream);
        QTest::newRow("ctrl shift right is a word")
            << K { Qt::Key_Right, (S | C) | Qt::Key_Right } << QStringLiteral("a ") << int(smStream);
        QTest::newRow("select all") << K { C | Qt::Key_A } << QStringLiteral("<a href=x>\r\n<b>bold</b>")
                                    << int(smStream);
        QTest::newRow("plain move clears") << K { S | Qt::Key_Right, Qt::Key_Right } << QString()
                                           << int(smNone);
        QTest::newRow("alt shift block") << K { Qt::Key_Right, (S | A) | Qt::Key_Down,
                                                (S | A) | Qt::Key_Right, (S | A) | Qt::Key_Right }
                                         << QStringLiteral("a \r\nb>") << int(smColumn);
    }
    void keySelection()
    {
        QFETCH(QList<QKeyCombination>, keys);
        QFETCH(QString, selected);
        QFETCH(int, mode);
        Fixture f(QStringLiteral("<a href=x>\r\n<b>bold</b>"));
        QVERIFY(f.ready());
        for (QKeyCombination k : keys)
            QTest::keyClick(&f.memo, k.key(), k.keyboardModifiers());
        QCOMPARE(int(f.source.selectionMode()), mode);
        QCOMPARE(f.selected(), selected);
    }

    void mouseSelection()
    {
        Fixture f(QStringLiteral("<a href=x>\r\n<b>bold</b>\r\nlast"));
        QVERIFY(f.ready());
        QWidget* vp = f.memo.viewport();

        // A plain drag selects a stream, from the press to the release.
        QTest::mousePress(vp, Qt::LeftButton, {}, f.memo.cellPos(3, 0) + QPoint(1, 2));
        QTest::mouseMove(vp, f.memo.cellPos(3, 1) + QPoint(1, 2));
        QTest::mouseRelease(vp, Qt::LeftButton, {}, f.memo.cellPos(3, 1) + QPoint(1, 2));
        QCOMPARE(int(f.source.selectionMode()), int(smStream));
        QCOMPARE(f.selected(), QStringLiteral("href=x>\r\n<b>"));
        QCOMPARE(f.source.CaretX(), 3);
        QCOMPARE(f.source.CaretY(), 1);

        // Alt+drag makes a column block, into virtual space too.
        QTest::mousePress(vp, Qt::LeftButton, Qt::AltModifier, f.memo.cellPos(1, 0) + QPoint(1, 2));
        QTest::mouseMove(vp, f.memo.cellPos(6, 2) + QPoint(1, 2));
        QTest::mouseRelease(vp, Qt::LeftButton, Qt::AltModifier, f.memo.cellPos(6, 2) + QPoint(1, 2));
        QCOMPARE(int(f.source.selectionMode()), int(smColumn));
        int sc, sl, ec, el;
        f.selection(sc, sl, ec, el);
        QCOMPARE(QList<int>({ sc, sl, ec, el }), QList<int>({ 1, 0, 6, 2 }));
        QCOMPARE(f.selected(), QStringLiteral("a hre\r\nb>bol\r\nast  "));

        // Shift+click extends the stream from the caret.
        QTest::mouseClick(vp, Qt::LeftButton, {}, f.memo.cellPos(0, 2) + QPoint(1, 2));
        QTest::mouseClick(vp, Qt::LeftButton, Qt::ShiftModifier, f.memo.cellPos(2, 2) + QPoint(1, 2));
        QCOMPARE(f.selected(), QStringLiteral("la"));

        // A double click selects the word under the pointer.
        QTest::mouseDClick(vp, Qt::LeftButton, {}, f.cellCentre(5, 1));
        QCOMPARE(f.selected(), QStringLiteral("bold"));

        // ... or the line with moDblClickLine.
        f.memo.setOptions(f.memo.Options() | moDblClickLine);
        QTest::mouseDClick(vp, Qt::LeftButton, {}, f.cellCentre(5, 1));
        QCOMPARE(f.selected(), QStringLiteral("<b>bold</b>"));
    }

    void scrollingKeepsCaretShown()
    {
        Fixture f(lines(1000));
        QVERIFY(f.ready());
        QScrollBar* bar = f.memo.verticalScrollBar();
        const int page = f.memo.visibleLines();
        QVERIFY(page > 3);
        QCOMPARE(bar->maximum(), 1000 - page);

        QTest::keyClick(&f.memo, Qt::Key_PageDown);
        QCOMPARE(f.source.CaretY(), page - 1);
        QVERIFY(bar->value() > 0);
        QVERIFY(f.caretShown());

        QTest::keyClick(&f.memo, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(f.source.CaretY(), 999);
        QCOMPARE(bar->value(), bar->maximum());
        QVERIFY(f.caretShown());

        QTest::keyClick(&f.memo, Qt::Key_PageUp);
        QCOMPARE(f.source.CaretY(), 999 - (page - 1));
        QVERIFY(f.caretShown());

        QTest::keyClick(&f.memo, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(bar->value(), 0);

        // Moves made by the program scroll too, and the centring puts the caret mid-window.
        f.source.setCaret(0, 500);
        QVERIFY(f.caretShown());
        f.memo.centerCaretLine();
        QCOMPARE(f.memo.topLine(), 500 - page / 2);

        // Scrolling by a line leaves the caret where it is.
        f.memo.scrollLineDown();
        QCOMPARE(f.memo.topLine(), 500 - page / 2 + 1);
        QTest::keyClick(&f.memo, Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(f.memo.topLine(), 500 - page / 2);
        QCOMPARE(f.source.CaretY(), 500);

        // Dragging below the window selects on and scrolls the line under the pointer in.
        const int top = f.memo.topLine();
        QWidget* vp = f.memo.viewport();
        QTest::mousePress(vp, Qt::LeftButton, {}, f.cellCentre(2, top));
        const int below = vp->height() + f.memo.lineHeight() / 2;
        QTest::mouseMove(vp, QPoint(f.cellCentre(2, top).x(), below));
        QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(f.cellCentre(2, top).x(), below));
        QCOMPARE(f.source.CaretY(), top + below / f.memo.lineHeight());
        QVERIFY(f.memo.topLine() > top);
        QVERIFY(f.caretShown());
        QCOMPARE(int(f.source.selectionMode()), int(smStream));

        // Far into virtual space the horizontal bar follows the caret.
        QScrollBar* hbar = f.memo.horizontalScrollBar();
        f.source.setCaret(700, 500);
        QVERIFY(hbar->value() > 0);
        QVERIFY(f.caretShown());
        QTest::keyClick(&f.memo, Qt::Key_Home);
        QCOMPARE(hbar->value(), 0);
        QVERIFY(f.caretShown());
    }

    void clipboardAndUndoKeys()
    {
        Fixture f(QStringLiteral("abcd\r\nefgh"));
        QVERIFY(f.ready());
        QTest::keyClick(&f.memo, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(&f.memo, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(&f.memo, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("ab"));
        QTest::keyClick(&f.memo, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(f.source.line(0), QStringLiteral("cd"));
        QTest::keyClick(&f.memo, Qt::Key_End);
        QTest::keyClick(&f.memo, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(f.source.line(0), QStringLiteral("cdab"));
        QTest::keyClick(&f.memo, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.source.line(0), QStringLiteral("cd"));
        QTest::keyClick(&f.memo, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(f.source.line(0), QStringLiteral("cdab"));

        // A column block copied here pastes back as a block; plain text from elsewhere not.
        QTest::keyClick(&f.memo, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(&f.memo, Qt::Key_Down, Qt::ShiftModifier | Qt::AltModifier);
        QTest::keyClick(&f.memo, Qt::Key_Right, Qt::ShiftModifier | Qt::AltModifier);
        QTest::keyClick(&f.memo, Qt::Key_C, Qt::ControlModifier);
        QTest::keyClick(&f.memo, Qt::Key_Home, Qt::ControlModifier);
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data && data->hasFormat(QLatin1String(TQtClipboard::ColumnBlockMime)));
        QCOMPARE(data->text(), QStringLiteral("c\r\ne"));
        QTest::keyClick(&f.memo, Qt::Key_End);
        QTest::keyClick(&f.memo, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(f.source.line(0), QStringLiteral("cdabc"));
        QCOMPARE(f.source.line(1), QStringLiteral("efghe"));

        QGuiApplication::clipboard()->setText(QStringLiteral("1\r\n2"));
        bool block = true;
        QCOMPARE(TQtClipboard::instance().text(&block), QStringLiteral("1\r\n2"));
        QVERIFY(!block);
    }

    // Each row names a character of the painted line "█ █ █ █ █ █ █": blocks show the style's
    // foreground, the spaces its background.
    void paintsStyles_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("fg");
        QTest::addColumn<int>("bg");
        QTest::newRow("style 1") << 0 << kRed << kYellow;
        QTest::newRow("style 2") << 2 << kBlue << kGreen;
        QTest::newRow("index beyond the list is style 0") << 4 << kBlack << kWhite;
        QTest::newRow("unmatched 255 is style 0") << 6 << kBlack << kWhite;
        QTest::newRow("selected is the selection style") << 8 << kPurple << kOrange;
        QTest::newRow("after the selection") << 10 << kRed << kYellow;
    }
    void paintsStyles()
    {
        QFETCH(int, column);
        QFETCH(int, fg);
        QFETCH(int, bg);
        const QString line = QStringLiteral("█ █ █ █ █ █ █");
        Fixture f(line + QStringLiteral("\r\n") + line);
        QVERIFY(f.ready());
        f.source.setOnParseSyntax([](const LineText& text, int32_t, uint8_t* colors) {
            static const uint8_t styles[] = { 1, 2, 7, 255, 1, 1, 1 };
            for (qsizetype i = 0; i < text.size(); ++i)
                colors[i] = styles[i / 2];
            return 0;
        });
        f.source.invalidateColors();
        f.memo.setTextStyles({ { QStringLiteral("plain"), kWhite, { kBlack } },
                               { QStringLiteral("one"), kYellow, { kRed } },
                               { QStringLiteral("two"), kGreen, { kBlue } },
                               { QStringLiteral("sel"), kOrange, { kPurple } } });
        f.memo.setSelectionStyle(3);
        f.source.setSelection(smStream, 8, 0, 10, 0);
        f.memo.setColor(kGrey);
        f.memo.setFontColor(kNavy);
        const QImage shot = f.memo.viewport()->grab().toImage();
        QCOMPARE(shot.pixelColor(f.cellCentre(column, 0)), rgb(fg));
        QCOMPARE(shot.pixelColor(f.cellCentre(column + 1, 0)), rgb(bg));

        // Without colour syntax (or without styles) every character is the editor's own.
        f.memo.setOptions(f.memo.Options() & ~TMemoOptions(moColorSyntax));
        const QImage plain = f.memo.viewport()->grab().toImage();
        QCOMPARE(plain.pixelColor(f.cellCentre(column, 1)), rgb(kNavy));
        QCOMPARE(plain.pixelColor(f.cellCentre(column + 1, 1)), rgb(kGrey));
        f.memo.setOptions(f.memo.Options() | moColorSyntax);
        f.memo.setTextStyles({});
        const QImage unstyled = f.memo.viewport()->grab().toImage();
        QCOMPARE(unstyled.pixelColor(f.cellCentre(column, 1)), rgb(kNavy));
        QCOMPARE(unstyled.pixelColor(f.cellCentre(column + 1, 1)), rgb(kGrey));
    }

    void paintsSearchMatch()
    {
        Fixture f(QStringLiteral("█ █ █"));
        QVERIFY(f.ready());
        f.memo.setTextStyles({ { QStringLiteral("plain"), kWhite, { kBlack } },
                               { QStringLiteral("sel"), kOrange, { kPurple } },
                               { QStringLiteral("match"), kGreen, { kRed } } });
        f.memo.setSearchMatchStyle(2);
        f.memo.setColor(kWhite);
        f.memo.setFontColor(kBlack);
        f.memo.setSearchMatch(0, 2, 2);
        QImage shot = f.memo.viewport()->grab().toImage();
        QCOMPARE(shot.pixelColor(f.cellCentre(2, 0)), rgb(kRed));
        QCOMPARE(shot.pixelColor(f.cellCentre(3, 0)), rgb(kGreen));
        QCOMPARE(shot.pixelColor(f.cellCentre(0, 0)), rgb(kBlack));
        // Editing the text takes the stale mark away.
        QTest::keyClicks(&f.memo, QStringLiteral("x"));
        QVERIFY(!f.memo.hasSearchMatch());
        QCOMPARE(f.source.line(0), QStringLiteral("x█ █ █"));
        shot = f.memo.viewport()->grab().toImage();
        QCOMPARE(shot.pixelColor(f.cellCentre(2, 0)), rgb(kWhite));
    }

    void paintsCaretShapes_data()
    {
        QTest::addColumn<int>("column");
        QTest::newRow("on a character") << 1;
        QTest::newRow("in virtual space") << 12;
    }
    void paintsCaretShapes()
    {
        QFETCH(int, column);
        Fixture f(QStringLiteral("a.c"));
        QVERIFY(f.ready());
        f.memo.setColor(kWhite);
        f.memo.setFontColor(kBlack);
        f.source.setCaret(column, 0);
        const QPoint cell = f.memo.cellPos(column, 0);
        const int w = f.memo.cellPos(column + 1, 0).x() - cell.x();
        // Bottom row of the cell, right half: inside a block caret, outside a bar.
        const QPoint probe(cell.x() + w * 3 / 4, cell.y() + f.memo.lineHeight() - 2);

        QImage shot = f.memo.viewport()->grab().toImage();
        QCOMPARE(shot.pixelColor(probe), rgb(kWhite));
        QCOMPARE(shot.pixelColor(cell + QPoint(0, f.memo.lineHeight() - 2)), rgb(kBlack));

        QTest::keyClick(&f.memo, Qt::Key_Insert);
        QVERIFY(f.memo.caretRect().width() >= w - 1);
        shot = f.memo.viewport()->grab().toImage();
        QCOMPARE(shot.pixelColor(probe), rgb(kBlack));
    }

    // A proportional font: the caret and clicks land after the measured prefix.
    void proportionalPlacement()
    {
        Fixture f(QStringLiteral("iiiiWWWW"), QStringLiteral("DejaVu Sans"));
        QVERIFY(f.ready());
        const QFontMetricsF fm(f.memo.font());
        const int left = f.memo.textLeft();
        QVERIFY(fm.horizontalAdvance(QStringLiteral("W")) > 2 * fm.horizontalAdvance(QStringLiteral("i")));

        f.source.setCaret(4, 0);
        QVERIFY(qAbs(f.memo.caretRect().x() - (left + fm.horizontalAdvance(QStringLiteral("iiii")))) <= 1);
        f.source.setCaret(11, 0);
        const qreal expected = left + fm.horizontalAdvance(QStringLiteral("iiiiWWWW"))
            + 3 * fm.horizontalAdvance(QLatin1Char(' '));
        QVERIFY(qAbs(f.memo.caretRect().x() - expected) <= 1);

        const int x6 = left + qRound(fm.horizontalAdvance(QStringLiteral("iiiiWW")));
        QTest::mouseClick(f.memo.viewport(), Qt::LeftButton, {}, QPoint(x6 + 2, 3));
        QCOMPARE(f.source.CaretX(), 6);
        QTest::keyClick(&f.memo, Qt::Key_Left);
        QVERIFY(qAbs(f.memo.caretRect().x()
                     - (left + fm.horizontalAdvance(QStringLiteral("iiiiW")))) <= 1);
    }

    // A change whose parse alters where later lines start repaints those lines too, though
    // the storage reports only the edited line as changed.
    void repaintsLinesWhoseStartStateChanged()
    {
        Fixture f(lines(40));
        f.source.setOnParseSyntax([](const LineText& text, int32_t state, uint8_t* colors) {
            for (qsizetype i = 0; i < text.size(); ++i)
                colors[i] = uint8_t(state);
            return text.toString().contains(QLatin1String("<!--")) ? 1 : state;
        });
        f.memo.setTextStyles({ { QStringLiteral("plain"), kWhite, { kBlack } },
                               { QStringLiteral("comment"), kYellow, { kRed } } });
        QVERIFY(f.ready());
        QVERIFY(QTest::qWaitForWindowExposed(&f.memo));
        QCoreApplication::processEvents();

        struct PaintLog : QObject {
            QRegion painted;
            bool eventFilter(QObject*, QEvent* e) override
            {
                if (e->type() == QEvent::Paint)
                    painted += static_cast<QPaintEvent*>(e)->region();
                return false;
            }
        } log;
        f.memo.viewport()->installEventFilter(&log);
        f.source.setCaret(15, 0);
        f.source.insertAtCaret(QStringLiteral(" <!--"));
        for (int i = 0; i < 10; ++i)
            QCoreApplication::processEvents();

        const int rows = f.memo.visibleLines();
        const int lh = f.memo.lineHeight();
        const int x = f.cellCentre(2, 0).x();
        for (int row = 0; row < rows; ++row)
            QVERIFY2(log.painted.contains(QPoint(x, row * lh + lh / 2)), qPrintable(QString::number(row)));
        const QImage shot = f.memo.viewport()->grab().toImage();
        QCOMPARE(shot.pixelColor(f.cellCentre(4, rows - 1)), rgb(kYellow));
    }

    // Long lines are measured in chunks; a column must land where the whole prefix ends.
    void longLineColumns_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<bool>("wide");
        QTest::newRow("proportional, Latin-1") << QStringLiteral("DejaVu Sans") << false;
        QTest::newRow("proportional, UTF-16") << QStringLiteral("DejaVu Sans") << true;
        QTest::newRow("fixed pitch, UTF-16") << QStringLiteral("DejaVu Sans Mono") << true;
    }
    void longLineColumns()
    {
        QFETCH(QString, family);
        QFETCH(bool, wide);
        QString text;
        for (int i = 0; i < 300; ++i)
            text += QStringLiteral("iW.m");
        if (wide)
            text.insert(255, QStringLiteral("\U0001F600")); // a pair across the first chunk's end
        const QByteArray latin1 = text.toLatin1();
        const LineText line = wide ? LineText(reinterpret_cast<const char16_t*>(text.utf16()), text.size())
                                   : LineText(latin1.constData(), latin1.size());
        const TLineMetrics m(QFont(family, 11));
        const QFontMetricsF fm(m.font());
        for (qsizetype column : std::initializer_list<qsizetype> { 0, 1, 255, 257, 258, 600, 1000, text.size() }) {
            const qreal exact = fm.horizontalAdvance(text.left(column));
            QVERIFY2(qAbs(m.xOfColumn(line, column) - exact) < 1.0, qPrintable(QString::number(column)));
            QCOMPARE(m.columnAt(line, exact), column);
        }
        const qreal end = fm.horizontalAdvance(text);
        QVERIFY(qAbs(m.xOfColumn(line, text.size() + 4) - (end + 4 * m.spaceWidth())) < 1.0);
        QVERIFY(m.paintStart(line, fm.horizontalAdvance(text.left(700))) <= 700);
        QVERIFY(m.paintStart(line, fm.horizontalAdvance(text.left(700))) > 400);
    }

    // Measured widths of a long line must not outlive an edit of that line.
    void longLineEditedInPlace()
    {
        QString text;
        for (int i = 0; i < 300; ++i)
            text += QStringLiteral("iiii");
        Fixture f(text, QStringLiteral("DejaVu Sans"));
        QVERIFY(f.ready());
        auto xOf = [&](int column) { return f.memo.cellPos(column, 0).x() - f.memo.cellPos(0, 0).x(); };
        const QFontMetricsF fm(f.memo.font());
        QVERIFY(qAbs(xOf(600) - fm.horizontalAdvance(text.left(600))) <= 1);
        f.source.setCaret(10, 0);
        QTest::keyClick(&f.memo, Qt::Key_Insert);
        QTest::keyClicks(&f.memo, QStringLiteral("WWWW"));
        text.replace(10, 4, QStringLiteral("WWWW"));
        QCOMPARE(f.source.line(0), text);
        QVERIFY(qAbs(xOf(600) - fm.horizontalAdvance(text.left(600))) <= 1);
    }

    // --- Tabs ------------------------------------------------------------------------------

    // A tab reaches the next tab stop of the storage ("9,17": 9, 17, 25, ...): the character
    // after it is drawn there, and the caret, a click and the selection agree.
    void tabsReachTheirStops_data()
    {
        QTest::addColumn<QString>("text"); // one tab, then the character looked at
        QTest::addColumn<int>("cell"); // where that character starts, in space widths; -1: the
                                       // first stop after the text before the tab
        QTest::addColumn<QString>("family");
        const QString mono = QStringLiteral("DejaVu Sans Mono");
        QTest::newRow("at the start") << QStringLiteral("\tX") << 9 << mono;
        QTest::newRow("after text") << QStringLiteral("ab\tX") << 9 << mono;
        QTest::newRow("on a stop, to the next") << QStringLiteral("abcdefghi\tX") << 17 << mono;
        QTest::newRow("after a tab") << QStringLiteral("\t\tX") << 17 << mono;
        QTest::newRow("past the listed stops") << QStringLiteral("\t\t\tX") << 25 << mono;
        QTest::newRow("every 8 after the last") << QString(30, u'a') + QStringLiteral("\tX") << 33
                                                << mono;
        QTest::newRow("wide line") << QStringLiteral("\u03a9\u20ac\tX") << 9 << mono;
        QTest::newRow("proportional") << QStringLiteral("iii\tX") << 9 << QStringLiteral("DejaVu Sans");
        QTest::newRow("proportional, far") << QStringLiteral("WWWWWWWWWWW\tX") << -1
                                           << QStringLiteral("DejaVu Sans");
    }
    void tabsReachTheirStops()
    {
        QFETCH(QString, text);
        QFETCH(int, cell);
        QFETCH(QString, family);
        const int tab = int(text.lastIndexOf(u'\t'));
        const int column = tab + 1;
        Fixture f(text + QStringLiteral("\r\nz"), family);
        QVERIFY(f.ready());
        QCOMPARE(f.source.TabStops(), QStringLiteral("9,17"));
        f.memo.setTextStyles({ { QStringLiteral("plain"), kWhite, { kBlack } },
                               { QStringLiteral("sel"), kOrange, { kPurple } } });
        f.memo.setSelectionStyle(1);
        f.memo.setColor(kWhite);
        f.memo.setFontColor(kBlack);
        f.source.setCaret(0, 1); // the caret out of the way
        const qreal sw = QFontMetricsF(f.memo.font()).horizontalAdvance(QLatin1Char(' '));
        const int left = f.memo.cellPos(0, 0).x();
        const int before = f.memo.cellPos(tab, 0).x(); // where the tab begins
        if (cell < 0)
            cell = f.source.nextTabStop(int((before - left) / sw));
        const int stop = left + qRound(cell * sw);
        QVERIFY(qAbs(f.memo.cellPos(column, 0).x() - stop) <= 1);

        // Drawn: nothing between the text before the tab and the stop, the character after it.
        const QImage shot = f.memo.viewport()->grab().toImage();
        const int lh = f.memo.lineHeight();
        auto ink = [&](int from, int to) {
            for (int x = from; x < to; ++x)
                for (int y = 0; y < lh; ++y)
                    if (shot.pixelColor(x, y) != rgb(kWhite))
                        return true;
            return false;
        };
        QVERIFY(!ink(before + 1, stop - 1));
        QVERIFY(ink(stop, stop + qRound(sw)));

        // The caret, and clicks on either half of the tab and on the character.
        f.source.setCaret(column, 0);
        QVERIFY(qAbs(f.memo.caretRect().x() - stop) <= 1);
        const int quarter = (stop - before) / 4;
        QVERIFY(quarter >= 1);
        QTest::mouseClick(f.memo.viewport(), Qt::LeftButton, {}, QPoint(before + quarter, lh / 2));
        QCOMPARE(f.source.CaretX(), tab);
        QTest::mouseClick(f.memo.viewport(), Qt::LeftButton, {}, QPoint(stop - quarter, lh / 2));
        QCOMPARE(f.source.CaretX(), column);
        QTest::mouseClick(f.memo.viewport(), Qt::LeftButton, {}, f.cellCentre(column, 0));
        QCOMPARE(f.source.CaretX(), column);
        QTest::keyClick(&f.memo, Qt::Key_Left);
        QVERIFY(qAbs(f.memo.caretRect().x() - before) <= 1);

        // A selected tab is marked over its whole width.
        f.source.setSelection(smStream, tab, 0, column, 0);
        f.source.setCaret(0, 1);
        const QImage selected = f.memo.viewport()->grab().toImage();
        QCOMPARE(selected.pixelColor((before + stop) / 2, lh / 2), rgb(kOrange));
        QCOMPARE(selected.pixelColor(stop + 2, 1), rgb(kWhite)); // above the X, not selected
    }

    void tabStopsChangeWhatIsDrawn()
    {
        Fixture f(QStringLiteral("\tX"));
        QVERIFY(f.ready());
        const qreal sw = QFontMetricsF(f.memo.font()).horizontalAdvance(QLatin1Char(' '));
        const int left = f.memo.cellPos(0, 0).x();
        QVERIFY(f.source.setTabStops(QStringLiteral("4,6")));
        QVERIFY(qAbs(f.memo.cellPos(1, 0).x() - (left + qRound(4 * sw))) <= 1);
        f.source.insertText(QStringLiteral("\t\t"));
        QVERIFY(qAbs(f.memo.cellPos(3, 0).x() - (left + qRound(8 * sw))) <= 1);
    }

    // Long lines keep measured positions across edits; after any edit every column must sit
    // where a fresh measuring of the text puts it (and, in a fixed-pitch font, where counting
    // cells puts it).
    void tabbedLongLineAfterEdits_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("length");
        QTest::newRow("fixed pitch") << QStringLiteral("DejaVu Sans Mono") << 3000;
        QTest::newRow("proportional") << QStringLiteral("DejaVu Sans") << 3000;
        QTest::newRow("fixed pitch, 10 MB") << QStringLiteral("DejaVu Sans Mono") << (10 << 20);
    }
    void tabbedLongLineAfterEdits()
    {
        QFETCH(QString, family);
        QFETCH(int, length);
        const QString piece = QStringLiteral("<td>\tx7\t\tyy <b>bold</b>");
        Fixture f(piece.repeated(length / piece.size() + 1), family);
        QVERIFY(f.ready());
        const bool fixed = family.endsWith(QLatin1String("Mono"));
        const qreal sw = QFontMetricsF(f.memo.font()).horizontalAdvance(QLatin1Char(' '));

        auto check = [&](const char* step) {
            const TLineMetrics fresh(f.memo.font(), f.source.tabStops());
            for (int l = 0; l < f.source.lineCount(); ++l) {
                const LineText t = f.source.lineText(l);
                const int left = f.memo.cellPos(0, l).x();
                // Counting cells, for the columns looked at below.
                std::vector<qint64> cells;
                if (fixed && t.size() < 100000) {
                    cells.push_back(0);
                    for (qsizetype c = 0; c < t.size(); ++c)
                        cells.push_back(t.at(c) == u'\t' ? f.source.tabStops().next(cells.back())
                                                         : cells.back() + 1);
                }
                const qsizetype stride = qMax<qsizetype>(37, t.size() / 60);
                for (qsizetype c = 0; c <= t.size() + 3; c += (c + stride > t.size() && c < t.size()) ? 1 : stride) {
                    const int x = f.memo.cellPos(int(c), l).x() - left;
                    const QString what = QStringLiteral("%1: line %2, column %3").arg(QLatin1String(step)).arg(l).arg(c);
                    QVERIFY2(qAbs(x - qRound(fresh.xOfColumn(t, c))) <= 1, qPrintable(what));
                    if (!cells.empty() && c <= t.size())
                        QVERIFY2(qAbs(x - qRound(cells[size_t(c)] * sw)) <= 1, qPrintable(what));
                    if (c == t.size() + 3)
                        break;
                }
            }
        };
        const int end = f.source.lineLength(0);
        f.source.setCaret(end, 0);
        f.memo.ensureCaretVisible();
        (void)f.memo.viewport()->grab();
        check("loaded");
        f.source.setCaret(end / 2, 0);
        f.source.insertText(QStringLiteral("a\tb"));
        check("inserted mid-line");
        f.source.setCaret(3, 0);
        f.source.keyChar(u'\t');
        check("tab typed near the start");
        f.source.setCaret(end / 2 + 700, 0);
        f.source.keyEnter();
        check("line split");
        f.source.setSelection(smStream, end / 4, 0, 5, 1);
        f.source.deleteSelection();
        check("deleted across lines");
        f.source.Undo();
        f.source.Undo();
        check("undone");
        f.source.setCaret(f.source.lineLength(0), 0);
        QTest::keyClicks(&f.memo, QStringLiteral("zz"));
        QVERIFY(f.memo.caretRect().x() >= f.memo.cellPos(f.source.lineLength(0), 0).x() - 1);
        check("typed at the end");
    }

    void outlivesItsStorage()
    {
        TDCMemo memo;
        auto source = std::make_unique<TMemoSource>();
        source->setText(QStringLiteral("text"));
        memo.setMemoSource(source.get());
        memo.resize(200, 100);
        memo.show();
        source.reset();
        QVERIFY(memo.MemoSource() == nullptr);
        QTest::keyClicks(&memo, QStringLiteral("ab"));
        QVERIFY(!memo.viewport()->grab().isNull());
    }

    // --- Bookmarks -----------------------------------------------------------------------------

    void bookmarkKeys()
    {
        Fixture f(lines(8));
        QVERIFY(f.ready());
        const auto CS = Qt::ControlModifier | Qt::ShiftModifier;
        f.source.setCaret(4, 2);
        QTest::keyClick(&f.memo, Qt::Key_3, CS);
        QCOMPARE(f.memo.bookmarkLine(3), 2);
        QTest::keyClick(&f.memo, Qt::Key_Down);
        QTest::keyClick(&f.memo, Qt::Key_Down);
        QTest::keyClick(&f.memo, Qt::Key_1, CS);
        QCOMPARE(f.memo.bookmarkLine(1), 4);

        // Ctrl+digit goes to the place the bookmark was set; the digits are never typed.
        QTest::keyClick(&f.memo, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(&f.memo, Qt::Key_3, Qt::ControlModifier);
        QCOMPARE(QPoint(f.source.CaretX(), f.source.CaretY()), QPoint(4, 2));
        QTest::keyClick(&f.memo, Qt::Key_1, Qt::ControlModifier);
        QCOMPARE(f.source.CaretY(), 4);
        QTest::keyClick(&f.memo, Qt::Key_7, Qt::ControlModifier); // not set: nothing happens
        QCOMPARE(f.source.CaretY(), 4);
        QCOMPARE(f.source.text(), lines(8));
        QVERIFY(noTextEdits(f.source));

        // The same keys on the same line take it away; another number replaces it.
        QTest::keyClick(&f.memo, Qt::Key_1, CS);
        QCOMPARE(f.memo.bookmarkLine(1), -1);
        f.source.setCaret(0, 2);
        QTest::keyClick(&f.memo, Qt::Key_5, CS);
        QCOMPARE(f.memo.bookmarkLine(5), 2);
        QCOMPARE(f.memo.bookmarkLine(3), -1);
        QCOMPARE(f.memo.bookmarkAt(2), 5);

        // Shifted layouts report the symbol on the digit key.
        f.source.setCaret(0, 6);
        QTest::keyClick(&f.memo, Qt::Key_ParenRight, CS);
        QCOMPARE(f.memo.bookmarkLine(0), 6);

        // A new text for the view drops the old bookmarks.
        TMemoSource other;
        f.memo.setMemoSource(&other);
        QCOMPARE(f.memo.bookmarkLine(0), -1);
        f.memo.setMemoSource(&f.source);
        QCOMPARE(f.memo.bookmarkLine(0), -1);
    }

    void userShortcutOnBookmarkKeyWins()
    {
        // A hotkey the user gave Ctrl+1 keeps working: the view does not claim the key.
        QWidget window;
        TMemoSource source;
        source.setText(lines(3));
        auto* memo = new TDCMemo(&window);
        memo->setMemoSource(&source);
        memo->resize(300, 200);
        auto* action = new QAction(&window);
        action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_1));
        window.addAction(action);
        int fired = 0;
        connect(action, &QAction::triggered, [&] { ++fired; });
        window.show();
        window.activateWindow();
        memo->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        memo->setBookmark(1, 2);
        QTest::keyClick(memo, Qt::Key_1, Qt::ControlModifier);
        QCOMPARE(fired, 1);
        QCOMPARE(source.CaretY(), 0);
        QTest::keyClick(memo, Qt::Key_2, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(memo->bookmarkLine(2), 0);
    }

    void bookmarksFollowEdits_data()
    {
        QTest::addColumn<StorageEdit>("edit");
        QTest::addColumn<int>("after");
        QTest::addColumn<int>("afterUndo");
        // The bookmark starts on line 3 of six lines "line 0 of text" ... "line 5 of text".
        QTest::newRow("lines inserted above") << StorageEdit([](TMemoSource& s) {
            s.setCaret(0, 1);
            s.insertText(QStringLiteral("a\r\nb\r\n"));
        }) << 5 << 3;
        QTest::newRow("lines deleted above") << StorageEdit([](TMemoSource& s) {
            s.setSelection(smStream, 0, 0, 0, 2);
            s.deleteSelection();
        }) << 1 << 3;
        QTest::newRow("lines inserted below") << StorageEdit([](TMemoSource& s) {
            s.setCaret(2, 4);
            s.insertText(QStringLiteral("a\r\nb"));
        }) << 3 << 3;
        QTest::newRow("its line split inside") << StorageEdit([](TMemoSource& s) {
            s.setCaret(4, 3);
            s.splitLine();
        }) << 3 << 3;
        QTest::newRow("a line break typed at its start") << StorageEdit([](TMemoSource& s) {
            s.setCaret(0, 3);
            s.keyEnter();
        }) << 4 << 3;
        QTest::newRow("typed at its start, then split") << StorageEdit([](TMemoSource& s) {
            s.setCaret(0, 3);
            s.insertAtCaret(QStringLiteral("xyz"));
            s.endChange(); // the view settles its marks after each change
            s.beginChange(opEnter);
            s.setCaret(2, 3);
            s.splitLine();
        }) << 3 << 3;
        // The line's start went into the line above: it stays there through undo.
        QTest::newRow("joined to the line above") << StorageEdit([](TMemoSource& s) {
            s.setCaret(0, 3);
            s.keyBackspace();
        }) << 2 << 2;
        // A deleted line's bookmark goes to where the deletion was, and stays with that
        // line's text when the deletion is undone.
        QTest::newRow("its line deleted")
            << StorageEdit([](TMemoSource& s) { s.deleteLine(3); }) << 3 << 4;
        QTest::newRow("deleted across it") << StorageEdit([](TMemoSource& s) {
            s.setSelection(smStream, 2, 2, 2, 4);
            s.deleteSelection();
        }) << 2 << 2;
        QTest::newRow("last lines deleted") << StorageEdit([](TMemoSource& s) {
            s.setSelection(smStream, 4, 1, 14, 5);
            s.deleteSelection();
        }) << 1 << 1;
    }
    void bookmarksFollowEdits()
    {
        QFETCH(StorageEdit, edit);
        QFETCH(int, after);
        QFETCH(int, afterUndo);
        Fixture f(lines(6));
        f.memo.setBookmark(7, 3);
        f.source.clearUndo();
        f.source.beginChange(opInsertText);
        edit(f.source);
        f.source.endChange();
        QCOMPARE(f.memo.bookmarkLine(7), after);
        while (f.source.canUndo())
            f.source.Undo();
        QCOMPARE(f.source.text(), lines(6));
        QCOMPARE(f.memo.bookmarkLine(7), afterUndo);
        while (f.source.canRedo())
            f.source.Redo();
        QCOMPARE(f.memo.bookmarkLine(7), after);
    }

    void bookmarksMeetingOnOneLine()
    {
        // Deleting the lines between two bookmarks brings both onto one line: one stays.
        Fixture f(lines(6));
        f.memo.setBookmark(2, 1);
        f.memo.setBookmark(4, 3);
        f.source.setSelection(smStream, 3, 1, 3, 3);
        f.source.deleteSelection();
        QCOMPARE(f.memo.bookmarkLine(2), 1);
        QCOMPARE(f.memo.bookmarkLine(4), -1);
        QCOMPARE(f.memo.bookmarkAt(1), 2);
    }

    void paintsBookmarks()
    {
        Fixture f(lines(6));
        QVERIFY(f.ready());
        f.memo.setGutterWidth(20);
        f.source.setCaret(0, 5);
        QCOMPARE(f.memo.GutterImgs().size(), 1);
        const TGutterImage& image = f.memo.GutterImgs().first();
        QCOMPARE(image.Name, QStringLiteral("BookMark"));
        QVERIFY(!image.Image.isNull());
        QVERIFY(image.Image.width() <= 19);
        const QColor fill = image.Image.pixelColor(image.Image.width() / 2, 2);
        QCOMPARE(fill.alpha(), 255);

        const int lh = f.memo.lineHeight();
        auto band = [&](int line) { return QRect(0, line * lh, 19, lh); };
        f.memo.setBookmark(1, 2);
        QImage shot = f.memo.viewport()->grab().toImage();
        QVERIFY(countColor(shot, band(2), fill) > image.Image.width());
        QCOMPARE(countColor(shot, band(1), fill), 0);
        QCOMPARE(countColor(shot, band(3), fill), 0);
        // The number is drawn on the image.
        QVERIFY(countColor(shot, band(2), Qt::white) > 0);

        // Another number looks different; the mark moves with its line.
        f.memo.setBookmark(8, 4);
        shot = f.memo.viewport()->grab().toImage();
        QVERIFY(shot.copy(band(2)) != shot.copy(band(4)).copy(QRect(0, 0, 19, lh)));
        f.source.beginChange(opInsertText);
        f.source.setCaret(0, 0);
        f.source.insertText(QStringLiteral("new\r\n"));
        f.source.endChange();
        shot = f.memo.viewport()->grab().toImage();
        QCOMPARE(countColor(shot, band(2), fill), 0);
        QVERIFY(countColor(shot, band(3), fill) > image.Image.width());
        QVERIFY(countColor(shot, band(5), fill) > image.Image.width());

        // No gutter, no image; the bookmark is still there.
        f.memo.setOptions(f.memo.Options() & ~TMemoOptions(moDrawGutter));
        shot = f.memo.viewport()->grab().toImage();
        QCOMPARE(countColor(shot, band(3), fill), 0);
        QCOMPARE(f.memo.bookmarkLine(1), 3);
    }

    void gutterSelectsLines()
    {
        Fixture f(QStringLiteral("first\r\nsecond\r\nthird\r\nlast"));
        QVERIFY(f.ready());
        f.memo.setGutterWidth(20);
        QWidget* vp = f.memo.viewport();
        const int lh = f.memo.lineHeight();
        auto gutter = [&](int line) { return QPoint(8, line * lh + lh / 2); };

        QTest::mouseClick(vp, Qt::LeftButton, {}, gutter(1));
        QCOMPARE(f.selected(), QStringLiteral("second\r\n"));
        QCOMPARE(QPoint(f.source.CaretX(), f.source.CaretY()), QPoint(0, 2));

        // Dragging down the gutter takes whole lines; Shift+click grows from the same anchor.
        QTest::mousePress(vp, Qt::LeftButton, {}, gutter(0));
        QTest::mouseMove(vp, gutter(2));
        QTest::mouseRelease(vp, Qt::LeftButton, {}, gutter(2));
        QCOMPARE(f.selected(), QStringLiteral("first\r\nsecond\r\nthird\r\n"));
        QTest::mouseClick(vp, Qt::LeftButton, Qt::ShiftModifier, gutter(1));
        QCOMPARE(f.selected(), QStringLiteral("first\r\nsecond\r\n"));

        // Upwards the caret ends at the top; the last line has no break to take.
        QTest::mousePress(vp, Qt::LeftButton, {}, gutter(3));
        QTest::mouseMove(vp, gutter(2));
        QTest::mouseRelease(vp, Qt::LeftButton, {}, gutter(2));
        QCOMPARE(f.selected(), QStringLiteral("third\r\nlast"));
        QCOMPARE(QPoint(f.source.CaretX(), f.source.CaretY()), QPoint(0, 2));
        QTest::keyClick(&f.memo, Qt::Key_Up, Qt::ShiftModifier);
        QCOMPARE(f.selected(), QStringLiteral("second\r\nthird\r\nlast"));

        QTest::mouseDClick(vp, Qt::LeftButton, {}, gutter(3));
        QCOMPARE(f.selected(), QStringLiteral("last"));
        QCOMPARE(f.memo.bookmarkAt(3), -1); // clicks set no bookmarks

        // A click in the text still places the caret.
        QTest::mouseClick(vp, Qt::LeftButton, {}, f.cellCentre(2, 0) - QPoint(2, 0));
        QCOMPARE(int(f.source.selectionMode()), int(smNone));
        QCOMPARE(QPoint(f.source.CaretX(), f.source.CaretY()), QPoint(2, 0));
    }

    // --- Input methods ------------------------------------------------------------------------

    void preeditIsShownNotStored()
    {
        Fixture f(QStringLiteral("abcd\r\nefgh"));
        QVERIFY(f.ready());
        f.memo.setColor(kWhite);
        f.memo.setFontColor(kBlack);
        f.source.setCaret(2, 0);
        f.source.setModified(false);
        f.source.clearUndo();
        const QRect before = f.memo.caretRect();
        const QImage plainShot = f.memo.viewport()->grab().toImage();

        QInputMethodEvent compose(QStringLiteral("xy"),
            { QInputMethodEvent::Attribute(QInputMethodEvent::Cursor, 1, 1) });
        QApplication::sendEvent(&f.memo, &compose);
        QCOMPARE(f.memo.preeditText(), QStringLiteral("xy"));
        QCOMPARE(f.source.line(0), QStringLiteral("abcd"));
        QVERIFY(f.source.undoLog().isEmpty());
        QVERIFY(!f.source.Modified());

        // The caret sits inside the composition, where the input method put its cursor.
        const QFontMetricsF fm(f.memo.font());
        QCOMPARE(f.memo.caretRect().x(), before.x() + qRound(fm.horizontalAdvance(u'x')));
        const QRectF imRect = f.memo.inputMethodQuery(Qt::ImCursorRectangle).toRectF();
        QCOMPARE(imRect.x(), f.memo.caretRect().x() + f.memo.viewport()->x());
        QCOMPARE(f.memo.inputMethodQuery(Qt::ImSurroundingText).toString(), QStringLiteral("abcd"));
        QCOMPARE(f.memo.inputMethodQuery(Qt::ImCursorPosition).toInt(), 2);

        // Underlined across its width; the text after the caret moves right to make room.
        const QImage shot = f.memo.viewport()->grab().toImage();
        const int x0 = before.x();
        const int w = qFloor(fm.horizontalAdvance(QStringLiteral("xy")));
        const int underline = qMin(f.memo.lineHeight() - 1, qRound(fm.ascent()) + 1);
        const QRect row(x0 + 1, underline, w - 2, 1);
        QCOMPARE(countColor(shot, row, rgb(kBlack)), row.width());
        QVERIFY(countColor(plainShot, row, rgb(kBlack)) < row.width() / 2);
        const int cell = f.memo.cellPos(4, 0).x() - f.memo.cellPos(3, 0).x();
        const QRect oldD(f.memo.cellPos(3, 0), QSize(cell, f.memo.lineHeight() - 1));
        QCOMPARE(shot.copy(oldD.translated(qCeil(fm.horizontalAdvance(QStringLiteral("xy"))), 0)),
            plainShot.copy(oldD));

        // Committing types the text as one step; cancelling leaves nothing behind.
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("字"));
        QApplication::sendEvent(&f.memo, &commit);
        QCOMPARE(f.memo.preeditText(), QString());
        QCOMPARE(f.source.line(0), QStringLiteral("ab字cd"));
        QCOMPARE(f.source.CaretX(), 3);
        QCOMPARE(f.memo.caretRect().x(), f.memo.cellPos(3, 0).x());

        QInputMethodEvent again(QStringLiteral("zz"), {});
        QApplication::sendEvent(&f.memo, &again);
        QInputMethodEvent cancel;
        QApplication::sendEvent(&f.memo, &cancel);
        QCOMPARE(f.memo.preeditText(), QString());
        QCOMPARE(f.source.line(0), QStringLiteral("ab字cd"));
        const QImage after = f.memo.viewport()->grab().toImage();
        QCOMPARE(countColor(
                     after, QRect(f.memo.cellPos(3, 0).x() + 3, underline, w - 4, 1), rgb(kBlack)),
            0);

        f.source.Undo();
        QCOMPARE(f.source.line(0), QStringLiteral("abcd"));
    }

    void inputMethodReplacesAroundCaret_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("expected");
        QTest::newRow("the character before") << -1 << 1 << QStringLiteral("abXde");
        QTest::newRow("the two after") << 0 << 2 << QStringLiteral("abcX");
        QTest::newRow("beyond the line is cut to it") << -2 << 10 << QStringLiteral("aX");
    }
    void inputMethodReplacesAroundCaret()
    {
        QFETCH(int, start);
        QFETCH(int, length);
        QFETCH(QString, expected);
        Fixture f(QStringLiteral("abcde"));
        QVERIFY(f.ready());
        f.source.setCaret(3, 0);
        f.source.clearUndo();
        QInputMethodEvent e;
        e.setCommitString(QStringLiteral("X"), start, length);
        QApplication::sendEvent(&f.memo, &e);
        QCOMPARE(f.source.line(0), expected);
        f.source.Undo();
        QCOMPARE(f.source.line(0), QStringLiteral("abcde"));
    }

    void inputMethodQueriesInVirtualSpace()
    {
        Fixture f(QStringLiteral("ab\r\nwords here"));
        QVERIFY(f.ready());
        f.source.setCaret(5, 0);
        QCOMPARE(
            f.memo.inputMethodQuery(Qt::ImSurroundingText).toString(), QStringLiteral("ab   "));
        QCOMPARE(f.memo.inputMethodQuery(Qt::ImCursorPosition).toInt(), 5);
        f.source.setCaret(5, 1);
        f.source.setSelection(smStream, 0, 1, 5, 1);
        QCOMPARE(f.memo.inputMethodQuery(Qt::ImAnchorPosition).toInt(), 0);
        QCOMPARE(
            f.memo.inputMethodQuery(Qt::ImCurrentSelection).toString(), QStringLiteral("words"));
    }

    // --- Dragging text ------------------------------------------------------------------------

    void dragStartsFromSelection()
    {
        DragFixture f(QStringLiteral("one two three\r\nfour"));
        QVERIFY(f.ready());
        QWidget* vp = f.memo.viewport();
        f.source.setSelection(smStream, 4, 0, 2, 1);
        const int far = QApplication::startDragDistance() + 2;

        // Pressing inside the selection and moving far enough drags its text, LF-separated.
        QTest::mousePress(vp, Qt::LeftButton, {}, f.cellCentre(5, 0));
        QTest::mouseMove(vp, f.cellCentre(5, 0) + QPoint(far, 0));
        QTest::mouseRelease(vp, Qt::LeftButton, {}, f.cellCentre(5, 0) + QPoint(far, 0));
        QCOMPARE(f.memo.draggedTexts, QStringList { QStringLiteral("two three\nfo") });
        QCOMPARE(f.memo.offered, Qt::CopyAction | Qt::MoveAction);
        QCOMPARE(f.selected(), QStringLiteral("two three\r\nfo")); // ignored: nothing changed

        // A click inside it that never moves places the caret there instead.
        QTest::mouseClick(vp, Qt::LeftButton, {}, f.cellCentre(6, 0) - QPoint(2, 0));
        QCOMPARE(f.memo.draggedTexts.size(), 1);
        QCOMPARE(int(f.source.selectionMode()), int(smNone));
        QCOMPARE(QPoint(f.source.CaretX(), f.source.CaretY()), QPoint(6, 0));

        // Outside the selection (or with Shift) a press selects as before.
        f.source.setSelection(smStream, 4, 0, 7, 0);
        QTest::mousePress(vp, Qt::LeftButton, {}, f.cellCentre(9, 0) - QPoint(2, 0));
        QTest::mouseMove(vp, f.cellCentre(11, 0) - QPoint(2, 0));
        QTest::mouseRelease(vp, Qt::LeftButton, {}, f.cellCentre(11, 0) - QPoint(2, 0));
        QCOMPARE(f.memo.draggedTexts.size(), 1);
        QCOMPARE(f.selected(), QStringLiteral("hr"));

        // A read-only text offers only a copy.
        f.source.setReadOnly(true);
        f.source.setSelection(smStream, 0, 0, 3, 0);
        QTest::mousePress(vp, Qt::LeftButton, {}, f.cellCentre(1, 0));
        QTest::mouseMove(vp, f.cellCentre(1, 0) + QPoint(far, 0));
        QTest::mouseRelease(vp, Qt::LeftButton, {}, f.cellCentre(1, 0) + QPoint(far, 0));
        QCOMPARE(f.memo.offered, Qt::DropActions(Qt::CopyAction));
    }

    void dragWithinText_data()
    {
        QTest::addColumn<QPoint>("selFrom");
        QTest::addColumn<QPoint>("selTo");
        QTest::addColumn<QPoint>("dropAt");
        QTest::addColumn<bool>("copy");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("selectedAfter");
        const QPoint none(-1, -1);
        QTest::newRow("move right")
            << QPoint(3, 0) << QPoint(7, 0) << QPoint(13, 0) << false
            << QStringLiteral("one three two\r\nfour five") << QStringLiteral(" two");
        QTest::newRow("move left")
            << QPoint(8, 0) << QPoint(13, 0) << QPoint(0, 0) << false
            << QStringLiteral("threeone two\r\nfour five") << QStringLiteral("three");
        QTest::newRow("move to the next line")
            << QPoint(0, 0) << QPoint(4, 0) << QPoint(5, 1) << false
            << QStringLiteral("two three\r\nfour one five") << QStringLiteral("one ");
        QTest::newRow("move lines down")
            << QPoint(0, 0) << QPoint(0, 1) << QPoint(9, 1) << false
            << QStringLiteral("four fiveone two three\r\n") << QStringLiteral("one two three\r\n");
        QTest::newRow("copy with Ctrl")
            << QPoint(4, 0) << QPoint(7, 0) << QPoint(0, 1) << true
            << QStringLiteral("one two three\r\ntwofour five") << QStringLiteral("two");
        QTest::newRow("copy at its own edge")
            << QPoint(4, 0) << QPoint(7, 0) << QPoint(7, 0) << true
            << QStringLiteral("one twotwo three\r\nfour five") << QStringLiteral("two");
        // Drops on the dragged text itself leave everything as it was.
        QTest::newRow("move inside") << QPoint(4, 0) << QPoint(13, 0) << QPoint(6, 0) << false
                                     << QString() << QStringLiteral("two three");
        QTest::newRow("move to its edge") << QPoint(4, 0) << QPoint(13, 0) << QPoint(13, 0) << false
                                          << QString() << QStringLiteral("two three");
        QTest::newRow("copy inside") << QPoint(0, 0) << QPoint(3, 1) << QPoint(2, 1) << true
                                     << QString() << QStringLiteral("one two three\r\nfou");
    }
    void dragWithinText()
    {
        QFETCH(QPoint, selFrom);
        QFETCH(QPoint, selTo);
        QFETCH(QPoint, dropAt);
        QFETCH(bool, copy);
        QFETCH(QString, expected);
        QFETCH(QString, selectedAfter);
        const QString original = QStringLiteral("one two three\r\nfour five");
        DragFixture f(original);
        QVERIFY(f.ready());
        f.source.setSelection(smStream, selFrom.x(), selFrom.y(), selTo.x(), selTo.y());
        f.source.clearUndo();
        Qt::DropAction taken = Qt::IgnoreAction;
        f.memo.target = [&](QMimeData* data) {
            taken = dropOn(f.memo, data, f.memo.cellPos(dropAt.x(), dropAt.y()) + QPoint(1, 2),
                copy ? Qt::ControlModifier : Qt::NoModifier);
            return taken;
        };
        const int far = QApplication::startDragDistance() + 2;
        const QPoint press = f.memo.cellPos(selFrom.x(), selFrom.y()) + QPoint(2, 2);
        QTest::mousePress(f.memo.viewport(), Qt::LeftButton, {}, press);
        QTest::mouseMove(f.memo.viewport(), press + QPoint(far, far));
        QTest::mouseRelease(f.memo.viewport(), Qt::LeftButton, {}, press + QPoint(far, far));
        QCOMPARE(f.memo.draggedTexts.size(), 1);

        if (expected.isEmpty()) {
            QCOMPARE(taken, Qt::IgnoreAction);
            QCOMPARE(f.source.text(), original);
            QVERIFY(noTextEdits(f.source));
            QCOMPARE(f.selected(), selectedAfter);
        } else {
            QCOMPARE(taken, copy ? Qt::CopyAction : Qt::MoveAction);
            QCOMPARE(f.source.text(), expected);
            QCOMPARE(f.selected(), selectedAfter); // the dropped text, where it landed
            // One undo step takes the whole drop back, and redo brings it again.
            f.source.Undo();
            QCOMPARE(f.source.text(), original);
            f.source.Redo();
            QCOMPARE(f.source.text(), expected);
        }
        QCOMPARE(f.memo.dropCaret(), QPoint(-1, -1));
    }

    void dragOutToAnotherProgram_data()
    {
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("expected");
        QTest::newRow("moved") << int(Qt::MoveAction) << QStringLiteral("one three");
        QTest::newRow("copied") << int(Qt::CopyAction) << QStringLiteral("one two three");
        QTest::newRow("refused") << int(Qt::IgnoreAction) << QStringLiteral("one two three");
    }
    void dragOutToAnotherProgram()
    {
        QFETCH(int, action);
        QFETCH(QString, expected);
        DragFixture f(QStringLiteral("one two three"));
        QVERIFY(f.ready());
        f.source.setSelection(smStream, 4, 0, 8, 0);
        f.source.clearUndo();
        // The other program sees plain text only.
        f.memo.target = [&](QMimeData* data) {
            [&] {
                QVERIFY(data->hasText());
                QVERIFY(!data->hasUrls());
            }();
            return Qt::DropAction(action);
        };
        const QPoint press = f.cellCentre(5, 0);
        const QPoint away = press + QPoint(0, 3 * f.memo.lineHeight());
        QTest::mousePress(f.memo.viewport(), Qt::LeftButton, {}, press);
        QTest::mouseMove(f.memo.viewport(), away);
        QTest::mouseRelease(f.memo.viewport(), Qt::LeftButton, {}, away);
        QCOMPARE(f.memo.draggedTexts, QStringList { QStringLiteral("two ") });
        QCOMPARE(f.source.line(0), expected);
        if (action == Qt::MoveAction) {
            f.source.Undo();
            QCOMPARE(f.source.line(0), QStringLiteral("one two three"));
        }
    }

    void moveOntoReadOnlyLineKeepsText()
    {
        // The storage refuses text on a read-only line: the dragged text must stay put.
        DragFixture f(QStringLiteral("one two\r\nlocked"));
        QVERIFY(f.ready());
        f.source.setSelection(smStream, 0, 0, 3, 0);
        f.source.setLineReadOnly(1, true);
        Qt::DropAction taken = Qt::MoveAction;
        f.memo.target = [&](QMimeData* data) {
            taken = dropOn(f.memo, data, f.memo.cellPos(2, 1) + QPoint(1, 2));
            return taken;
        };
        QTest::mousePress(f.memo.viewport(), Qt::LeftButton, {}, f.cellCentre(1, 0));
        QTest::mouseMove(f.memo.viewport(), f.cellCentre(1, 0) + QPoint(0, 20));
        QTest::mouseRelease(
            f.memo.viewport(), Qt::LeftButton, {}, f.cellCentre(1, 0) + QPoint(0, 20));
        QCOMPARE(f.memo.draggedTexts.size(), 1);
        QCOMPARE(taken, Qt::IgnoreAction);
        QCOMPARE(f.source.text(), QStringLiteral("one two\r\nlocked"));
    }

    void dropsFromElsewhere()
    {
        Fixture f(QStringLiteral("alpha beta\r\ngamma"));
        QVERIFY(f.ready());
        f.memo.setColor(kWhite);
        f.memo.setFontColor(kBlack);
        f.source.setCaret(0, 1);
        QWidget* vp = f.memo.viewport();
        const int lh = f.memo.lineHeight();

        // Plain text: the drop caret follows the pointer, then the text lands there.
        QMimeData text;
        text.setText(QStringLiteral("new\nlines"));
        const QPoint at = f.memo.cellPos(6, 0) + QPoint(1, 2);
        QDragEnterEvent enter(at, Qt::CopyAction, &text, Qt::LeftButton, {});
        QApplication::sendEvent(vp, &enter);
        QVERIFY(enter.isAccepted());
        QCOMPARE(f.memo.dropCaret(), QPoint(6, 0));
        const QPoint caretPixel = f.memo.cellPos(6, 0) + QPoint(0, lh - 2);
        QCOMPARE(vp->grab().toImage().pixelColor(caretPixel), rgb(kBlack));
        QDragLeaveEvent leave;
        QApplication::sendEvent(vp, &leave);
        QCOMPARE(f.memo.dropCaret(), QPoint(-1, -1));
        QCOMPARE(vp->grab().toImage().pixelColor(caretPixel), rgb(kWhite));

        f.source.clearUndo();
        QCOMPARE(dropOn(f.memo, &text, at), Qt::CopyAction);
        QCOMPARE(f.source.text(), QStringLiteral("alpha new\r\nlinesbeta\r\ngamma"));
        QCOMPARE(f.selected(), QStringLiteral("new\r\nlines"));
        f.source.Undo();
        QCOMPARE(f.source.text(), QStringLiteral("alpha beta\r\ngamma"));

        // File names are left to the document window; a read-only text takes nothing.
        QMimeData files;
        files.setUrls({ QUrl::fromLocalFile(QStringLiteral("/tmp/x.gif")) });
        files.setText(QStringLiteral("/tmp/x.gif"));
        QCOMPARE(dropOn(f.memo, &files, at), Qt::IgnoreAction);
        QMimeData image;
        image.setData(QStringLiteral("image/png"), QByteArray("png"));
        QCOMPARE(dropOn(f.memo, &image, at), Qt::IgnoreAction);
        f.source.setLineReadOnly(0, true);
        QCOMPARE(dropOn(f.memo, &text, at), Qt::IgnoreAction);
        f.source.setLineReadOnly(0, false);
        f.source.setReadOnly(true);
        QCOMPARE(dropOn(f.memo, &text, at), Qt::IgnoreAction);
        QCOMPARE(f.source.text(), QStringLiteral("alpha beta\r\ngamma"));
    }
};


QTEST_MAIN(tst_DCMemo)
#include "tst_dcmemo.moc"
