/** @file tst_toolbarwindows.cpp ** The toolbar windows in the main window: the shipped toolbars,
 ** buttons that run commands on the active document, glyphs, places in the four docks and their
 ** saving, visibility, and the start-up load. **/
#include "app/TMainFormWindows.h"
#include "app/TToolWindow.h"
#include "core/global_utl.h"
#include "core/settings_utl.h"
#include "document/Childwin.h"
#include "platform/MemorySettingsStore.h"
#include "platform/ScriptedDialogs.h"
#include "templates/TScriptedWizard.h"
#include "templates/dynamicMenusBar.h"
#include "toolbars/TToolbarButton.h"
#include "toolbars/TToolbarWindow.h"
#include "toolbars/customToolbarWindows.h"
#include "toolbars/toolbarDocks_utl.h"

#include <QDockWidget>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QtTest>

namespace {

const QString kSettingsKey = QStringLiteral("Software\\Orvane\\Pagemason");

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void closeAll()
{
    for (TMDIChild* w : documentWindows())
        w->source().setModified(false);
    closeAllDocuments();
    flushDeletes();
}

TToolbarButton* buttonNamed(const QString& caption)
{
    for (TToolbarWindow* w : std::as_const(toolbarWindows))
        for (TToolbarButton* b : w->findChildren<TToolbarButton*>())
            if (b->caption() == caption)
                return b;
    return nullptr;
}

/// A click as the user makes it; the command runs once the click is over.
void click(TToolbarButton* button)
{
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
    QCoreApplication::processEvents();
}

void activate(TMDIChild* window)
{
    auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget());
    sub->mdiArea()->setActiveSubWindow(sub);
    QCOMPARE(activeDocumentWindow(), window);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

/// Toolbars named by `names`, each with one button captioned like it and no command.
void describe(const QStringList& names)
{
    QList<TToolbar> toolbars;
    for (const QString& name : names) {
        TToolbar t;
        t.ToolbarName = name;
        TToolbarElement b;
        b.Caption = name;
        t.Elements.append(b);
        toolbars.append(t);
    }
    toolbarDescriptions.replace(toolbars);
}

TToolbarWindow* windowNamed(const QString& name)
{
    for (TToolbarWindow* w : std::as_const(toolbarWindows))
        if (w->windowTitle() == name)
            return w;
    return nullptr;
}

QString placeText(const TToolbarPlace& p)
{
    return QStringLiteral("%1/%2/%3").arg(p.dock).arg(p.dockRow).arg(p.dockPos);
}

/// Where the red pixels of a picture are: the middle of their bounding box, or (-1, -1).
QPoint redCentre(const QImage& image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 60 && c.blue() < 60)
                box = box.united(QRect(x, y, 1, 1));
        }
    return box.isNull() ? QPoint(-1, -1) : box.center();
}

} // namespace

class tst_ToolbarWindows : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void shippedToolbarsNameShippedCommandsAndGlyphs();
    void buttonsRunOnTheActiveDocument();
    void withoutADocumentOnlyFrameCommandsRun();
    void inertAndUnboundButtons();
    void glyphFiles_data();
    void glyphFiles();
    void glyphAndCaptionPlaces_data();
    void glyphAndCaptionPlaces();
    void placesInTheFourDocksAndFloating();
    void placesSurviveARestart();
    void storedPlacesBeyondTheWindows();
    void floatingPlaceOffEveryScreen();
    void visibility();
    void tenThousandButtons();
    void startupReportsABadFile_data();
    void startupReportsABadFile();

private:
    void startUp();

    QTemporaryDir m_dir;
    pm::MemorySettingsStore m_store;
    QMainWindow m_form;
    QMdiArea* m_area = nullptr;
    TMainFormWindows* m_windows = nullptr;
};

void tst_ToolbarWindows::initTestCase()
{
    QVERIFY(m_dir.isValid());
    setApplicationFolder(QStringLiteral(APP_DIR));
    setFileNames();
    hotkeysFileName = m_dir.filePath(QStringLiteral("Pagemason.HotKeys"));
    webBrowserControlAvailable = false;
    globalOptions.autoInsertTags = false;
    m_area = new QMdiArea(&m_form);
    m_form.setCentralWidget(m_area);
    TMainFormParts parts;
    parts.form = &m_form;
    parts.area = m_area;
    parts.fileMenu = m_form.menuBar()->addMenu(QStringLiteral("&File"));
    parts.reopenMenu = parts.fileMenu->addMenu(QStringLiteral("&Reopen"));
    parts.helpMenu = m_form.menuBar()->addMenu(QStringLiteral("&Help"));
    m_windows = new TMainFormWindows(parts);
    m_form.resize(900, 600);
    m_form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_form));
}

void tst_ToolbarWindows::cleanupTestCase()
{
    closeAll();
    toolbarDescriptions.replace({});
    rebuildToolbars(&m_form, false);
    delete m_windows;
}

void tst_ToolbarWindows::cleanup()
{
    closeAll();
    globalOptions.toolbarsVisible = true;
    toolbarFileName = applicationFolder + QStringLiteral("Pagemason.tb");
    m_store.deleteKey(pm::SettingsStore::Root::CurrentUser, kSettingsKey);
    toolbarDescriptions.replace({});
    rebuildToolbars(&m_form, false);
    QVERIFY(toolbarWindows.isEmpty());
}

void tst_ToolbarWindows::startUp()
{
    m_windows->loadDynamicMenus();
    m_windows->loadToolbars();
}

void tst_ToolbarWindows::shippedToolbarsNameShippedCommandsAndGlyphs()
{
    pm::ScriptedDialogs boxes;
    startUp();
    QCOMPARE(boxes.shown().size(), 0);
    QCOMPARE(toolbarDescriptions.Toolbars.size(), 2);
    QCOMPARE(toolbarWindows.size(), 2);
    // Window 0 is the file's last toolbar; they stand in the file's order.
    QCOMPARE(toolbarWindows.at(0)->windowTitle(), QStringLiteral("Tags"));
    QCOMPARE(toolbarWindows.at(1)->windowTitle(), QStringLiteral("Standard"));
    QVERIFY(toolbarWindows.at(1)->x() < toolbarWindows.at(0)->x());
    QCOMPARE(toolbarWindows.at(0)->tag(), 9999);
    QStringList captions;
    for (const TToolbar& t : std::as_const(toolbarDescriptions.Toolbars))
        for (const TToolbarElement& e : t.Elements) {
            if (e.IsSeparator)
                continue;
            captions.append(e.Caption);
            QVERIFY2(e.CommandIndex >= 0, qPrintable(e.Caption + u" names no shipped command"));
            const TToolbarButton* b = buttonNamed(e.Caption);
            QVERIFY(b);
            QVERIFY2(b->hasGlyph(), qPrintable(e.GlyphFileName));
            // Hints name tags: the tooltip shows them as typed.
            QTextDocument tip;
            tip.setHtml(b->toolTip());
            QCOMPARE(tip.toPlainText(), e.Hint);
            const TToolbarGlyph g = loadToolbarGlyph(e.GlyphFileName, e.NumGlyphs);
            // Drawn at twice the density: sharp on such a screen, 24 pixels wide on others.
            QCOMPARE(g.size(), QSize(24, 24));
            QCOMPARE(g.up.size(), QSize(48, 48));
            QVERIFY(g.up.hasAlphaChannel());
            QVERIFY(b->width() >= g.size().width() + 4 && b->height() >= g.size().height() + 4);
        }
    for (const char* wanted :
        { "New", "Open", "Save", "Cut", "Copy", "Paste", "Undo", "Redo", "Bold", "Italic", "Link",
            "Image", "Table", "Bulleted list", "Heading 1", "Paragraph", "Line break" })
        QVERIFY2(captions.contains(QLatin1String(wanted)), wanted);
}

void tst_ToolbarWindows::buttonsRunOnTheActiveDocument()
{
    startUp(); // the temporary window the commands were taken from is gone again
    TScriptedWizard wizard;
    TMDIChild* a = newDocument();
    TMDIChild* b = newDocument();
    activate(b);
    click(buttonNamed(QStringLiteral("Bold")));
    QCOMPARE(b->source().line(0), QStringLiteral("<B></B>"));
    QCOMPARE(a->source().line(0), QString());

    // An entry with a wizard page, titled by the button's caption.
    b->source().setText(QStringLiteral("Home"));
    b->source().setSelection(smStream, 0, 0, 4, 0);
    wizard.queueAnswers({ QStringLiteral("index.html") });
    click(buttonNamed(QStringLiteral("Link")));
    QCOMPARE(wizard.calls().size(), 1);
    QCOMPARE(wizard.calls().first().title, QStringLiteral("Link"));
    QCOMPARE(b->source().line(0), QStringLiteral("<A HREF=\"index.html\">Home</A>"));

    // The document window's own commands, on the window in front.
    click(buttonNamed(QStringLiteral("Undo")));
    QCOMPARE(b->source().line(0), QStringLiteral("Home"));
    activate(a);
    click(buttonNamed(QStringLiteral("Italic")));
    QCOMPARE(a->source().line(0), QStringLiteral("<I></I>"));
    QCOMPARE(b->source().line(0), QStringLiteral("Home"));
    const int before = int(documentWindows().size());
    click(buttonNamed(QStringLiteral("New")));
    QCOMPARE(documentWindows().size(), before + 1);
}

void tst_ToolbarWindows::withoutADocumentOnlyFrameCommandsRun()
{
    startUp();
    pm::ScriptedDialogs boxes;
    TScriptedWizard wizard;
    for (const char* caption : { "Bold", "Link", "Save", "Cut", "Undo" })
        click(buttonNamed(QLatin1String(caption)));
    QVERIFY(documentWindows().isEmpty());
    QCOMPARE(wizard.calls().size(), 0);
    QCOMPARE(boxes.shown().size(), 0);
    click(buttonNamed(QStringLiteral("New")));
    QCOMPARE(documentWindows().size(), 1);
}

void tst_ToolbarWindows::inertAndUnboundButtons()
{
    startUp();
    TToolbar t;
    TToolbarElement bound;
    bound.Caption = QStringLiteral("Bound");
    bound.CommandIndex = toolbarDescriptions.Commands.indexOfName(QStringLiteral("FileNewItem"));
    QVERIFY(bound.CommandIndex >= 0);
    TToolbarElement unbound;
    unbound.Caption = QStringLiteral("Unbound");
    TToolbarElement neither; // a separator kind no one knows: nothing is built for it
    neither.IsSeparator = 2;
    t.Elements = { bound, TToolbarElement::separator(), unbound, neither };
    toolbarDescriptions.replace({ t });

    QMainWindow preview;
    rebuildToolbars(&preview, true);
    QCOMPARE(toolbarWindows.size(), 1);
    QCOMPARE(toolbarWindows.first()->parentWidget(), &preview);
    QCOMPARE(toolbarWindows.first()->findChildren<TToolbarButton*>().size(), 2);
    QCOMPARE(toolbarWindows.first()->actions().size(), 3);
    TToolbarButton* b = buttonNamed(QStringLiteral("Bound"));
    QVERIFY(b->isInert());
    QCOMPARE(b->tag(), 0);
    click(b);
    QVERIFY(documentWindows().isEmpty());

    rebuildToolbars(&m_form, false);
    QCOMPARE(toolbarWindows.first()->parentWidget(), &m_form);
    QVERIFY(!buttonNamed(QStringLiteral("Bound"))->isInert());
    TToolbarButton* u = buttonNamed(QStringLiteral("Unbound"));
    QVERIFY(u->isInert());
    QCOMPARE(u->tag(), -1);
    click(u);
    QVERIFY(documentWindows().isEmpty());
    click(buttonNamed(QStringLiteral("Bound")));
    QCOMPARE(documentWindows().size(), 1);
}

void tst_ToolbarWindows::glyphFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("numGlyphs");
    QTest::addColumn<QString>("expected"); ///< "none" or "WxH logical, pictures"

    QTest::newRow("missing") << "missing" << 1 << "none";
    QTest::newRow("empty") << "empty" << 1 << "none";
    QTest::newRow("not a picture") << "text" << 1 << "none";
    QTest::newRow("too large") << "huge" << 1 << "none";
    QTest::newRow("bitmap without alpha") << "plain" << 1 << "16x16 1";
    QTest::newRow("two pictures side by side") << "strip" << 2 << "16x16 2";
    QTest::newRow("three pictures side by side") << "strip3" << 3 << "16x16 3";
    QTest::newRow("more pictures than pixels") << "strip" << 40 << "32x16 1";
    QTest::newRow("no pictures") << "strip" << 0 << "32x16 1";
    QTest::newRow("drawn at 192 dpi") << "shipped" << 1 << "24x24 1";
}

void tst_ToolbarWindows::glyphFiles()
{
    QFETCH(QString, kind);
    QFETCH(int, numGlyphs);
    QFETCH(QString, expected);
    QString path = m_dir.filePath(kind + QStringLiteral(".bmp"));
    if (kind == u"empty") {
        writeFile(path, QByteArray());
    } else if (kind == u"text") {
        writeFile(path, "Pagemason Toolbars File - Orvane\r\n");
    } else if (kind == u"huge") {
        QImage(2000, 4, QImage::Format_RGB32).save(path, "BMP");
    } else if (kind == u"plain" || kind.startsWith(u"strip")) {
        const int pictures = kind == u"strip3" ? 3 : kind == u"strip" ? 2 : 1;
        QImage image(16 * pictures, 16, QImage::Format_RGB32);
        image.fill(QColor(255, 0, 255)); // the bottom-left colour: transparent
        image.setPixelColor(5, 5, Qt::black);
        QVERIFY(image.save(path, "BMP"));
    } else if (kind == u"shipped") {
        path = QStringLiteral("glyphs/bold.bmp"); // relative: in the program's folder
    }
    const TToolbarGlyph g = loadToolbarGlyph(path, numGlyphs);
    if (expected == u"none") {
        QVERIFY(g.isNull());
        // A button with such a glyph is built without a picture and draws its caption.
        TToolbarElement e;
        e.GlyphFileName = path;
        TToolbarButton b(e, g, nullptr);
        QVERIFY(!b.hasGlyph());
        QVERIFY(!b.grab().isNull());
        return;
    }
    const int pictures = int(!g.up.isNull()) + int(!g.disabled.isNull()) + int(!g.down.isNull());
    QCOMPARE(QStringLiteral("%1x%2 %3").arg(g.size().width()).arg(g.size().height()).arg(pictures),
        expected);
    if (kind == u"plain") {
        QCOMPARE(g.up.pixelColor(0, 0).alpha(), 0);
        QCOMPARE(g.up.pixelColor(5, 5), QColor(Qt::black));
    }
}

void tst_ToolbarWindows::glyphAndCaptionPlaces_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("where"); ///< of the glyph, from the button's centre

    QTest::newRow("glyph left") << int(blGlyphLeft) << int(dmGlyphAndText) << "left";
    QTest::newRow("glyph right") << int(blGlyphRight) << int(dmGlyphAndText) << "right";
    QTest::newRow("glyph top") << int(blGlyphTop) << int(dmGlyphAndText) << "top";
    QTest::newRow("glyph bottom") << int(blGlyphBottom) << int(dmGlyphAndText) << "bottom";
    QTest::newRow("glyph only") << int(blGlyphLeft) << int(dmGlyphOnly) << "centre";
    QTest::newRow("text only") << int(blGlyphTop) << int(dmTextOnly) << "none";
}

void tst_ToolbarWindows::glyphAndCaptionPlaces()
{
    QFETCH(int, layout);
    QFETCH(int, mode);
    QFETCH(QString, where);
    const QString path = m_dir.filePath(QStringLiteral("red.bmp"));
    QImage red(10, 10, QImage::Format_ARGB32);
    red.fill(Qt::red);
    red.setPixelColor(0, 9, Qt::white); // the transparent colour of a bitmap without alpha
    QVERIFY(red.save(path, "BMP"));
    TToolbarElement e;
    e.Caption = QStringLiteral("Caption");
    e.FontSize = 9;
    e.Layout = uint8_t(layout);
    e.DisplayMode = uint8_t(mode);
    e.Width = 90;
    e.Height = 50;
    TToolbarButton b(e, loadToolbarGlyph(path, 1), nullptr);
    QCOMPARE(b.size(), QSize(90, 50));
    const QImage shot = b.grab().toImage();
    const QPoint c = redCentre(shot);
    QString got = QStringLiteral("none");
    if (c.x() >= 0) {
        const QPoint d = c - QPoint(45, 25);
        if (qAbs(d.x()) <= 2 && qAbs(d.y()) <= 2)
            got = QStringLiteral("centre");
        else if (qAbs(d.x()) > qAbs(d.y()))
            got = d.x() < 0 ? QStringLiteral("left") : QStringLiteral("right");
        else
            got = d.y() < 0 ? QStringLiteral("top") : QStringLiteral("bottom");
    }
    QCOMPARE(got, where);
}

void tst_ToolbarWindows::placesInTheFourDocksAndFloating()
{
    describe({ "A", "B", "C", "D", "E" });
    rebuildToolbars(&m_form, false);
    QDockWidget* tools = m_windows->toolWindow();
    const Qt::DockWidgetArea toolsArea = m_form.dockWidgetArea(tools);
    const bool toolsShown = tools->isVisible();
    // Built in description order in the top dock's one row; window 0 is E.
    QCOMPARE(placeText(toolbarPlaces().at(0)), QStringLiteral("1/0/4"));
    QCOMPARE(placeText(toolbarPlaces().at(4)), QStringLiteral("1/0/0"));

    TToolbarPlaces places { TToolbarPlace { tdFloating, 0, 0, 340, 260 },
        TToolbarPlace { tdLeft, 0, 0, 0, 0 }, TToolbarPlace { tdBottom, 0, 0, 0, 0 },
        TToolbarPlace { tdTop, 0, 5, 0, 0 }, TToolbarPlace { tdTop, 7, 5, 0, 0 } };
    applyToolbarPlaces(places);
    QCoreApplication::processEvents();
    TToolbarWindow* e = windowNamed(QStringLiteral("E"));
    QVERIFY(e->isFloating());
    QCOMPARE(e->geometry().topLeft(), QPoint(340, 260));
    QCOMPARE(m_form.toolBarArea(windowNamed(QStringLiteral("D"))), Qt::LeftToolBarArea);
    QCOMPARE(m_form.toolBarArea(windowNamed(QStringLiteral("C"))), Qt::BottomToolBarArea);
    // Rows and places keep their order, not their numbers: B and A share the top row, B first.
    QVERIFY(windowNamed(QStringLiteral("B"))->x() < windowNamed(QStringLiteral("A"))->x());
    QCOMPARE(windowNamed(QStringLiteral("B"))->y(), windowNamed(QStringLiteral("A"))->y());

    QStringList got;
    for (const TToolbarPlace& p : toolbarPlaces())
        got.append(placeText(p));
    QCOMPARE(got.join(u' '), QStringLiteral("0/1/0 4/0/0 3/0/0 1/0/0 1/0/1"));
    QCOMPARE(toolbarPlaces().at(0).x, 340);
    QCOMPARE(toolbarPlaces().at(0).y, 260);

    // A hidden toolbar keeps its place, and a new row goes below the first.
    places[3] = TToolbarPlace { tdTop, 0, 1, 0, 0 };
    places[4] = TToolbarPlace { tdTop, 0, 0, 0, 0 };
    applyToolbarPlaces(places);
    QCoreApplication::processEvents();
    QVERIFY(windowNamed(QStringLiteral("B"))->y() > windowNamed(QStringLiteral("A"))->y());
    windowNamed(QStringLiteral("A"))->hide();
    QCOMPARE(placeText(toolbarPlaces().at(3)), QStringLiteral("1/1/0"));
    QCOMPARE(placeText(toolbarPlaces().at(4)), QStringLiteral("1/0/0"));
    // The tools window is left where it was by the rearranging.
    QCOMPARE(m_form.dockWidgetArea(tools), toolsArea);
    QCOMPARE(tools->isVisible(), toolsShown);
    QVERIFY(!tools->isFloating());
}

void tst_ToolbarWindows::placesSurviveARestart()
{
    describe({ "A", "B", "C" });
    rebuildToolbars(&m_form, false);
    applyToolbarPlaces({ TToolbarPlace { tdRight, 0, 0, 0, 0 },
        TToolbarPlace { tdFloating, 0, 0, 200, 150 }, std::nullopt });
    QVERIFY(saveSettings(kSettingsKey, m_windows));
    const QString key = kSettingsKey + QStringLiteral("\\Toolbars&Windows\\Toolbars Positions");
    QCOMPARE(m_store.readString(key, QStringLiteral("Toolbars Count")),
        std::optional<QString>(QStringLiteral("3")));
    QCOMPARE(m_store.readString(key, QStringLiteral("Toolbar #1 dock")),
        std::optional<QString>(QStringLiteral("0")));
    QCOMPARE(m_store.readString(key, QStringLiteral("Toolbar #1 x")),
        std::optional<QString>(QStringLiteral("200")));

    // The next start builds fresh windows and finds them where they were.
    rebuildToolbars(&m_form, false);
    QCOMPARE(m_form.toolBarArea(windowNamed(QStringLiteral("C"))), Qt::RightToolBarArea);
    QVERIFY(windowNamed(QStringLiteral("B"))->isFloating());
    QCOMPARE(windowNamed(QStringLiteral("B"))->geometry().topLeft(), QPoint(200, 150));
    QCOMPARE(m_form.toolBarArea(windowNamed(QStringLiteral("A"))), Qt::TopToolBarArea);
}

void tst_ToolbarWindows::storedPlacesBeyondTheWindows()
{
    pm::ScriptedDialogs boxes;
    const QString key = kSettingsKey + QStringLiteral("\\Toolbars&Windows\\Toolbars Positions");
    m_store.writeString(key, QStringLiteral("Toolbars Count"), QStringLiteral("9"));
    m_store.writeString(key, QStringLiteral("Toolbar #0 dock"), QStringLiteral("7"));
    m_store.writeString(key, QStringLiteral("Toolbar #0 dockrow"), QStringLiteral("-4"));
    m_store.writeString(key, QStringLiteral("Toolbar #1 dock"), QStringLiteral("left"));
    m_store.writeString(key, QStringLiteral("Toolbar #5 dock"), QStringLiteral("2"));
    describe({ "A", "B" });
    rebuildToolbars(&m_form, false);
    QCOMPARE(toolbarWindows.size(), 2);
    for (TToolbarWindow* w : std::as_const(toolbarWindows)) {
        QCOMPARE(m_form.toolBarArea(w), Qt::TopToolBarArea);
        QVERIFY(!w->isFloating());
    }
    QCOMPARE(boxes.shown().size(), 0);
}

void tst_ToolbarWindows::floatingPlaceOffEveryScreen()
{
    describe({ "A" });
    rebuildToolbars(&m_form, false);
    applyToolbarPlaces({ TToolbarPlace { tdFloating, 0, 0, -30000, 30000 } });
    TToolbarWindow* a = toolbarWindows.first();
    QVERIFY(a->isFloating());
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY2(screen.contains(a->geometry()),
        qPrintable(QStringLiteral("%1,%2").arg(a->x()).arg(a->y())));
}

void tst_ToolbarWindows::visibility()
{
    describe({ "Shown", "Hidden" });
    toolbarDescriptions.Toolbars[1].Visible = 0;
    rebuildToolbars(&m_form, false);
    TToolbarWindow* shown = windowNamed(QStringLiteral("Shown"));
    TToolbarWindow* hidden = windowNamed(QStringLiteral("Hidden"));
    QVERIFY(shown->isVisible());
    QVERIFY(!hidden->isVisible());
    QVERIFY(!shown->toggleViewAction()->isVisible()); // not listed in the docks' menu

    // "Tool&bars" hides them all and brings back only the visible ones.
    TMDIChild* doc = newDocument();
    doc->menuItem(QStringLiteral("ToolbarsItem"))->trigger();
    QVERIFY(!globalOptions.toolbarsVisible);
    QVERIFY(!shown->isVisible());
    QVERIFY(!hidden->isVisible());
    QVERIFY(!doc->menuItem(QStringLiteral("ToolbarsItem"))->isChecked());
    // Off at the next start too.
    rebuildToolbars(&m_form, false);
    QVERIFY(!windowNamed(QStringLiteral("Shown"))->isVisible());
    // Assigning hotkeys hides them while it lasts; afterwards "Tool&bars" decides.
    m_windows->startHotkeyAssignment();
    QVERIFY(!windowNamed(QStringLiteral("Shown"))->isVisible());
    m_windows->finishHotkeyAssignment(false);
    QVERIFY(!windowNamed(QStringLiteral("Shown"))->isVisible());
    doc->menuItem(QStringLiteral("ToolbarsItem"))->trigger();
    QVERIFY(globalOptions.toolbarsVisible);
    QVERIFY(windowNamed(QStringLiteral("Shown"))->isVisible());
    QVERIFY(!windowNamed(QStringLiteral("Hidden"))->isVisible());
    m_windows->startHotkeyAssignment();
    QVERIFY(!windowNamed(QStringLiteral("Shown"))->isVisible());
    m_windows->finishHotkeyAssignment(false);
    QVERIFY(windowNamed(QStringLiteral("Shown"))->isVisible());
    QVERIFY(!windowNamed(QStringLiteral("Hidden"))->isVisible());
}

void tst_ToolbarWindows::tenThousandButtons()
{
    TToolbar t;
    t.ToolbarName = QStringLiteral("Many");
    for (int i = 0; i < 10000; ++i) {
        TToolbarElement e = i % 10 == 9 ? TToolbarElement::separator() : TToolbarElement();
        e.Caption = QString::number(i);
        t.Elements.append(e);
    }
    toolbarDescriptions.replace({ t });
    rebuildToolbars(&m_form, false);
    QCOMPARE(toolbarWindows.size(), 1);
    QCOMPARE(toolbarWindows.first()->findChildren<TToolbarButton*>().size(), 9000);
    QCoreApplication::processEvents();
    QVERIFY(!m_form.grab().isNull());
    QVERIFY(toolbarWindows.first()->width() <= m_form.width());
}

void tst_ToolbarWindows::startupReportsABadFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<int>("boxes"); ///< each "not a valid Pagemason toolbars file" or a line

    QTest::newRow("missing file") << QByteArray() << false << 1;
    QTest::newRow("wrong header: the reader and start-up both say so")
        << QByteArray("Toolbars File - Orvane\r\n{+T\r\n}\r\n") << true << 2;
    QTest::newRow("short button: where, then not valid")
        << QByteArray("Pagemason Toolbars File - Orvane\r\n{+T\r\n~Button~\r\nx\r\n}\r\n") << true
        << 2;
}

void tst_ToolbarWindows::startupReportsABadFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, exists);
    QFETCH(int, boxes);
    toolbarFileName = m_dir.filePath(QStringLiteral("bad.tb"));
    QFile::remove(toolbarFileName);
    if (exists)
        writeFile(toolbarFileName, bytes);
    pm::ScriptedDialogs dialogs;
    startUp();
    QCOMPARE(dialogs.shown().size(), boxes);
    QCOMPARE(dialogs.shown().last().text,
        toolbarFileName + QStringLiteral(" is not a valid Pagemason toolbars file"));
    QVERIFY(toolbarWindows.isEmpty());
    QVERIFY(toolbarDescriptions.Toolbars.isEmpty());
    // Start-up and the settings save never rewrite the file.
    QVERIFY(saveSettings(kSettingsKey, m_windows));
    QCOMPARE(QFileInfo::exists(toolbarFileName), exists);
    if (exists) {
        QFile f(toolbarFileName);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), bytes);
    }
}

QTEST_MAIN(tst_ToolbarWindows)
#include "tst_toolbarwindows.moc"
