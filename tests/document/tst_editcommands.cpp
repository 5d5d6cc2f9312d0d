/** @file tst_editcommands.cpp ** A document window's typing aids and editing commands, driven
 ** through its editor and menus: "<BR>" on Enter, typing over a selection, closing-tag
 ** completion, the WaCkY case, opening the selected name and dropped file names. **/
#include "core/global_utl.h"
#include "document/Childwin.h"
#include "document/TDocumentHost.h"
#include "document/editCommands_utl.h"
#include "editor/TDCMemo.h"
#include "editor/TSearchOptions.h"
#include "editor/TextClipboard.h"
#include "platform/MemorySettingsStore.h"
#include "platform/ScriptedDialogs.h"
#include "templates/TMenusFile.h"
#include "templates/dynamicMenus_utl.h"

#include <QListView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

using Answer = pm::Dialogs::Answer;

namespace {

class TestHost : public TDocumentHost
{
public:
    QMdiArea area;
    QStringList applied; ///< the show/hide requests, in order
    QMdiArea* mdiArea() override { return &area; }
    void applyToolsWindowVisible() override { applied.append(QStringLiteral("tools")); }
    void applyImagePreviewVisible() override { applied.append(QStringLiteral("image")); }
    void applyToolbarsVisible() override { applied.append(QStringLiteral("toolbars")); }
};

class FakeClipboard : public TextClipboard
{
public:
    QString content;
    void setText(const QString& text, bool) override { content = text; }
    QString text(bool* block) const override
    {
        if (block)
            *block = false;
        return content;
    }
};

QStringList lines(TMemoSource& s)
{
    QStringList out;
    for (int i = 0; i < s.lineCount(); ++i)
        out.append(s.line(i));
    return out;
}

void writeFile(const QString& path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("<p>\r\n");
}

} // namespace

class tst_EditCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        pm::setSettingsStore(&m_store);
        setDocumentHost(&m_host);
        webBrowserControlAvailable = false;
        dynamicMenusFileName = QStringLiteral(TEST_DATA_DIR "/document/default.mnu");
        hotkeysFileName = m_dir.filePath(QStringLiteral("Pagemason.HotKeys"));
        colorRulesFileName = QStringLiteral(TEST_DATA_DIR "/../../shipped/Pagemason.colors");
        m_host.area.resize(640, 480);
        m_host.area.show();
    }
    void cleanupTestCase()
    {
        setDocumentHost(nullptr);
        pm::setSettingsStore(nullptr);
    }
    void init()
    {
        globalOptions = optns();
        globalOptions.autoInsertTags = false;
        m_window = createDocumentWindow(QStringLiteral("Untitled:1"), true);
        QVERIFY(m_window);
    }
    void cleanup()
    {
        const QList<TMDIChild*> windows = documentWindows();
        for (TMDIChild* w : windows) {
            w->source().setModified(false);
            qobject_cast<QMdiSubWindow*>(w->parentWidget())->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_dialogs.clear();
    }

    void enterInsertsBR_data();
    void enterInsertsBR();
    void selectionKeys_data();
    void selectionKeys();
    void cutKeepsShiftDelete();
    void typingOverSelection();
    void unshiftedMoveClearsSelection();
    void ctrlUpDownScroll();
    void closingTagCompletion_data();
    void closingTagCompletion();
    void completionIsItsOwnUndoStep();
    void shippedTemplatesCompleteTheirOwnTag_data();
    void shippedTemplatesCompleteTheirOwnTag();
    void wacky_data();
    void wacky();
    void openSelectedFile_data();
    void openSelectedFile();
    void droppedFileName_data();
    void droppedFileName();
    void droppedFileOnUntitled();
    void dropSources();
    void viewToggles_data();
    void viewToggles();
    void clearUndoAndFindNext();

private:
    TMemoSource& source() { return m_window->source(); }
    TDCMemo* editor() { return m_window->editor(); }

    QTemporaryDir m_dir;
    pm::MemorySettingsStore m_store;
    pm::ScriptedDialogs m_dialogs;
    TestHost m_host;
    TMDIChild* m_window = nullptr;
};

void tst_EditCommands::enterInsertsBR_data()
{
    QTest::addColumn<bool>("autoInsertBR");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QStringList>("expected");
    const QStringList br = { "abc<BR>", "" };
    const QStringList plain = { "abc", "" };
    QTest::newRow("on, Enter") << true << int(Qt::NoModifier) << br;
    QTest::newRow("on, Ctrl+Enter") << true << int(Qt::ControlModifier) << plain;
    QTest::newRow("on, Shift+Enter") << true << int(Qt::ShiftModifier) << br;
    QTest::newRow("off, Enter") << false << int(Qt::NoModifier) << plain;
    QTest::newRow("off, Ctrl+Enter") << false << int(Qt::ControlModifier) << br;
    QTest::newRow("off, Ctrl+Shift+Enter")
        << false << int(Qt::ControlModifier | Qt::ShiftModifier) << plain;
}

void tst_EditCommands::enterInsertsBR()
{
    QFETCH(bool, autoInsertBR);
    QFETCH(int, modifiers);
    QFETCH(QStringList, expected);
    globalOptions.autoInsertBR = autoInsertBR;
    source().setText(QStringLiteral("abc"));
    source().setCaret(3, 0);
    QTest::keyClick(editor(), Qt::Key_Return, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(lines(source()), expected);
    QCOMPARE(source().CaretY(), 1);
}

void tst_EditCommands::selectionKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("caretAtStart");
    QTest::addColumn<QStringList>("expected");
    // "hello", "big world" with "lo" .. "big" selected.
    const QStringList joined = { "hel world" };
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << false << joined;
    QTest::newRow("Backspace, selected backwards") << int(Qt::Key_Backspace) << true << joined;
    QTest::newRow("Delete") << int(Qt::Key_Delete) << false << joined;
    QTest::newRow("Delete, selected backwards") << int(Qt::Key_Delete) << true << joined;
}

void tst_EditCommands::selectionKeys()
{
    QFETCH(int, key);
    QFETCH(bool, caretAtStart);
    QFETCH(QStringList, expected);
    source().setText(QStringLiteral("hello\r\nbig world"));
    if (caretAtStart) {
        source().setCaret(3, 0);
        source().setSelection(smStream, 3, 1, 3, 0);
    } else {
        source().setCaret(3, 1);
        source().setSelection(smStream, 3, 0, 3, 1);
    }
    QTest::keyClick(editor(), Qt::Key(key));
    QCOMPARE(lines(source()), expected);
    QVERIFY(!source().hasSelection());
    QCOMPARE(source().CaretX(), 3);
    QCOMPARE(source().CaretY(), 0);
    // Nothing beyond the selection went.
    QTest::keyClick(editor(), Qt::Key(key));
    QCOMPARE(lines(source()), key == Qt::Key_Backspace ? QStringList { "he world" }
                                                       : QStringList { "helworld" });
}

void tst_EditCommands::cutKeepsShiftDelete()
{
    FakeClipboard clipboard;
    source().setClipboard(&clipboard);
    source().setText(QStringLiteral("hello world"));
    source().setSelection(smStream, 0, 0, 6, 0);
    QTest::keyClick(editor(), Qt::Key_Delete, Qt::ShiftModifier);
    QCOMPARE(source().line(0), QStringLiteral("world"));
    QCOMPARE(clipboard.content, QStringLiteral("hello "));
    source().setClipboard(nullptr);
}

void tst_EditCommands::typingOverSelection()
{
    source().setText(QStringLiteral("one two three"));
    source().setCaret(4, 0);
    source().setSelection(smStream, 7, 0, 4, 0);
    QTest::keyClicks(editor(), QStringLiteral("x"));
    QCOMPARE(source().line(0), QStringLiteral("one x three"));
    QCOMPARE(source().CaretX(), 5);
    QVERIFY(!source().hasSelection());
    // One step takes back both the typing and the removal.
    source().Undo();
    QCOMPARE(source().line(0), QStringLiteral("one two three"));
}

void tst_EditCommands::unshiftedMoveClearsSelection()
{
    source().setText(QStringLiteral("abcdef"));
    source().setCaret(2, 0);
    QTest::keyClick(editor(), Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(editor(), Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(source().SelText(), QStringLiteral("cd"));
    QTest::keyClick(editor(), Qt::Key_Home);
    QVERIFY(!source().hasSelection());
    QCOMPARE(source().line(0), QStringLiteral("abcdef"));
}

void tst_EditCommands::ctrlUpDownScroll()
{
    QStringList text;
    for (int i = 0; i < 300; ++i)
        text.append(QString::number(i));
    source().setText(text.join(QStringLiteral("\r\n")));
    source().setCaret(0, 5);
    QCOMPARE(editor()->topLine(), 0);
    QTest::keyClick(editor(), Qt::Key_Down, Qt::ControlModifier);
    QTest::keyClick(editor(), Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(editor()->topLine(), 2);
    QTest::keyClick(editor(), Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(editor()->topLine(), 1);
    QCOMPARE(source().CaretY(), 5); // the view scrolls, the caret stays
    QCOMPARE(source().line(5), QStringLiteral("5"));
}

void tst_EditCommands::closingTagCompletion_data()
{
    QTest::addColumn<bool>("complete");
    QTest::addColumn<int>("tagCase");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("caret");
    QTest::newRow("table, lower case") << true << 0 << "<table border=1" << "" << "<table border=1></table>" << 16;
    QTest::newRow("table, upper case") << true << 1 << "<table border=1" << "" << "<table border=1></TABLE>" << 16;
    QTest::newRow("table, as written") << true << 2 << "<table border=1" << "" << "<table border=1></Table>" << 16;
    QTest::newRow("bold in mid-line") << true << 0 << "x <b" << " y" << "x <b></b> y" << 5;
    QTest::newRow("no template") << true << 0 << "<i" << "" << "<i>" << 3;
    QTest::newRow("template without closing tag") << true << 0 << "<br" << "" << "<br>" << 4;
    QTest::newRow("closing tag typed") << true << 0 << "<b>x</b" << "" << "<b>x</b>" << 8;
    QTest::newRow("auto-insert template not used") << true << 0 << "<html" << "" << "<html>" << 6;
    QTest::newRow("no tag before the caret") << true << 0 << "a " << "" << "a >" << 3;
    QTest::newRow("completion off") << false << 0 << "<b" << "" << "<b>" << 3;
}

void tst_EditCommands::closingTagCompletion()
{
    QFETCH(bool, complete);
    QFETCH(int, tagCase);
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QString, expected);
    QFETCH(int, caret);
    menuEntryTexts = QStringList { "<HTML>\r\n<BODY>{=,=}</BODY>\r\n</HTML>",
                                   "<Table Border=1>{=,=}</Table>",
                                   "<B>{=,=}</B>",
                                   "<BR>" };
    globalOptions.autoCompleteTags = complete;
    globalOptions.tagCase = uint8_t(tagCase);
    source().setText(before + after);
    source().setCaret(int(before.size()), 0);
    QTest::keyClicks(editor(), QStringLiteral(">"));
    QCOMPARE(lines(source()), QStringList { expected });
    QCOMPARE(source().CaretX(), caret);
    QVERIFY(!source().hasSelection());
}

void tst_EditCommands::completionIsItsOwnUndoStep()
{
    menuEntryTexts = QStringList { QString(), "<B>{=,=}</B>" };
    globalOptions.tagCase = 2;
    source().setText(QStringLiteral("abc xyz"));
    source().setCaret(7, 0);
    source().setSelection(smStream, 4, 0, 7, 0); // typed over
    QTest::keyClicks(editor(), QStringLiteral("<b>"));
    QCOMPARE(source().line(0), QStringLiteral("abc <b></B>"));
    source().Undo();
    QCOMPARE(source().line(0), QStringLiteral("abc <b>"));
}

void tst_EditCommands::shippedTemplatesCompleteTheirOwnTag_data()
{
    QTest::addColumn<int>("tagCase");
    QTest::newRow("lower case") << 0;
    QTest::newRow("upper case") << 1;
    QTest::newRow("as written") << 2;
}

void tst_EditCommands::shippedTemplatesCompleteTheirOwnTag()
{
    // Typing <name> for a tag that a shipped template starts with completes that tag's own
    // closing tag, or nothing: never the closing tag of something the template holds inside.
    QFETCH(int, tagCase);
    const TMenusFile shipped = readMenusFile(QStringLiteral(APP_DIR "default.mnu"));
    QCOMPARE(shipped.errorCode, uint8_t(0));
    menuEntryTexts = shipped.entryTexts;
    globalOptions.autoCompleteTags = true;
    globalOptions.tagCase = uint8_t(tagCase);
    QStringList names; // as the templates spell them, first spelling of each
    for (qsizetype k = 1; k < shipped.entryTexts.size(); ++k) {
        const QString& text = shipped.entryTexts.at(k);
        if (!text.startsWith(u'<') || text.size() < 2 || !text.at(1).isLetter())
            continue;
        qsizetype end = 1;
        while (end < text.size() && text.at(end).isLetterOrNumber())
            ++end;
        const QString name = text.mid(1, end - 1);
        if (!names.contains(name, Qt::CaseInsensitive))
            names.append(name);
    }
    QVERIFY(names.size() > 30);
    QVERIFY(names.contains(QStringLiteral("TABLE")) && names.contains(QStringLiteral("TR")));

    int completed = 0;
    for (const QString& name : std::as_const(names)) {
        const QString typed = QLatin1Char('<') + name.toLower();
        source().setText(typed);
        source().setCaret(int(typed.size()), 0);
        QTest::keyClicks(editor(), QStringLiteral(">"));
        QCOMPARE(source().lineCount(), 1);
        const QString closing = source().line(0).mid(typed.size() + 1);
        if (closing.isEmpty())
            continue;
        const QString own = tagCase == 0 ? name.toLower() : tagCase == 1 ? name.toUpper() : name;
        QCOMPARE(closing, QStringLiteral("</") + own + QLatin1Char('>'));
        QCOMPARE(source().CaretX(), int(typed.size()) + 1);
        ++completed;
    }
    QVERIFY(completed > 20);
}

void tst_EditCommands::wacky_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("ABC") << "ABC" << int(smStream) << QPoint(0, 0) << QPoint(3, 0)
                         << QStringList { "AbC" };
    QTest::newRow("hello world") << "hello world" << int(smStream) << QPoint(0, 0)
                                 << QPoint(11, 0) << QStringList { "HeLlO WoRlD" };
    QTest::newRow("part of a line") << "xxABCDxx" << int(smStream) << QPoint(2, 0)
                                    << QPoint(6, 0) << QStringList { "xxAbCdxx" };
    // The line break counts: "ab", CR, LF, "cd".
    QTest::newRow("two lines") << "ab\r\ncd" << int(smStream) << QPoint(0, 0) << QPoint(2, 1)
                               << QStringList { "Ab", "Cd" };
    // A block changes in place; rows count as the block's own text (3 columns + CR LF).
    QTest::newRow("column block") << "aaaaa\r\nbbbbb\r\ncc" << int(smColumn) << QPoint(1, 0)
                                  << QPoint(4, 2) << QStringList { "aAaAa", "bbBbb", "cC" };
    QTest::newRow("no selection") << "abc" << int(smNone) << QPoint(0, 0) << QPoint(0, 0)
                                  << QStringList { "abc" };
}

void tst_EditCommands::wacky()
{
    QFETCH(QString, text);
    QFETCH(int, mode);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(QStringList, expected);
    source().setText(text);
    source().clearUndo();
    if (mode != smNone)
        source().setSelection(TSelectionMode(mode), from.x(), from.y(), to.x(), to.y());
    m_window->menuItem(QStringLiteral("WackyCaseItem"))->trigger();
    QCOMPARE(lines(source()), expected);
    if (mode == smNone)
        return;
    QCOMPARE(int(source().selectionMode()), mode == smColumn ? int(smColumn) : int(smNone));
    source().Undo();
    QCOMPARE(lines(source()), text.split(QStringLiteral("\r\n")));
}

void tst_EditCommands::openSelectedFile_data()
{
    // The current folder holds open/page.html and open/cur.html; the document, when saved,
    // lies in site/, which holds site/page.html and site/sub/inner.html.
    QTest::addColumn<QString>("selected");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<QString>("opened"); // relative to the test folder; empty: nothing
    QTest::newRow("full name with blanks around") << "  %1/open/page.html \t" << false
                                                  << "open/page.html";
    QTest::newRow("relative to the current folder") << "page.html" << false << "open/page.html";
    QTest::newRow("relative to the document first") << "page.html" << true << "site/page.html";
    QTest::newRow("below the document") << "sub/inner.html" << true << "site/sub/inner.html";
    QTest::newRow("then the current folder") << "cur.html" << true << "open/cur.html";
    QTest::newRow("missing file") << "%1/none.html" << false << "";
    QTest::newRow("a folder") << "%1" << false << "";
    QTest::newRow("blanks only") << "   " << false << "";
}

void tst_EditCommands::openSelectedFile()
{
    QFETCH(QString, selected);
    QFETCH(bool, saved);
    QFETCH(QString, opened);
    const QString root = m_dir.path();
    for (const char* f :
         { "open/page.html", "open/cur.html", "site/page.html", "site/sub/inner.html" })
        writeFile(root + QLatin1Char('/') + QLatin1String(f));
    if (saved)
        m_window->fileName = root + QStringLiteral("/site/index.html");
    const QString oldCurrent = QDir::currentPath();
    QDir::setCurrent(root + QStringLiteral("/open"));
    if (selected.contains(QStringLiteral("%1")))
        selected = selected.arg(root);
    source().setText(QStringLiteral("see ") + selected + QStringLiteral(" here"));
    source().setSelection(smStream, 4, 0, int(4 + selected.size()), 0);
    m_window->menuItem(QStringLiteral("OpenSelectedFile1"))->trigger();
    QDir::setCurrent(oldCurrent);
    const QList<TMDIChild*> windows = documentWindows();
    QCOMPARE(windows.size(), opened.isEmpty() ? 1 : 2);
    if (!opened.isEmpty()) {
        QCOMPARE(windows.last()->fileName, root + QLatin1Char('/') + opened);
        QCOMPARE(windows.last()->source().line(0), QStringLiteral("<p>"));
    }
}

void tst_EditCommands::droppedFileName_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("convert");
    QTest::addColumn<QString>("inserted");
    QTest::newRow("below") << "/site/p.html" << "/site/img/a.gif" << true << "img/a.gif";
    QTest::newRow("above") << "/site/sub/p.html" << "/site/a.gif" << true << "../a.gif";
    QTest::newRow("beside stays absolute") << "/site/sub/p.html" << "/site/img/a.gif" << true
                                           << "/site/img/a.gif";
    QTest::newRow("converted") << "/site/p.html" << "/other/x\\y.gif" << true << "/other/x/y.gif";
    QTest::newRow("not converted") << "/site/p.html" << "/other/x\\y.gif" << false
                                   << "/other/x\\y.gif";
}

void tst_EditCommands::droppedFileName()
{
    QFETCH(QString, document);
    QFETCH(QString, file);
    QFETCH(bool, convert);
    QFETCH(QString, inserted);
    globalOptions.convertUnixStrings = convert;
    m_window->fileName = document;
    source().setText(QStringLiteral("src=\"\""));
    source().setCaret(5, 0);
    dropFileName(*m_window, file);
    QCOMPARE(source().line(0), QStringLiteral("src=\"") + inserted + QStringLiteral("\""));
    QVERIFY(m_dialogs.shown().isEmpty());
}

void tst_EditCommands::droppedFileOnUntitled()
{
    const QString site = m_dir.filePath(QStringLiteral("site"));
    QDir().mkpath(site);
    const QString picture = site + QStringLiteral("/img/a.gif");

    m_dialogs.queueAnswer(Answer::No);
    dropFileName(*m_window, picture);
    QCOMPARE(source().line(0), picture);
    QVERIFY(m_window->fileName.isEmpty());

    source().setText(QString());
    m_dialogs.queueAnswer(Answer::Yes);
    m_dialogs.queueFiles({}); // the Save dialog is cancelled
    dropFileName(*m_window, picture);
    QCOMPARE(source().line(0), picture);

    source().setText(QString());
    m_dialogs.queueAnswer(Answer::Yes);
    m_dialogs.queueFiles({ site + QStringLiteral("/new.html") });
    dropFileName(*m_window, picture);
    QCOMPARE(source().line(0), QStringLiteral("img/a.gif"));
    QCOMPARE(m_window->fileName, site + QStringLiteral("/new.html"));
    QVERIFY(QFile::exists(site + QStringLiteral("/new.html")));
    QCOMPARE(m_dialogs.shown().size(), 3);
    QCOMPARE(m_dialogs.unanswered(), 0);
}

void tst_EditCommands::dropSources()
{
    QListView fileList;
    fileList.setObjectName(QStringLiteral("fileList"));
    QListView other;
    QMimeData files;
    files.setUrls({ QUrl::fromLocalFile(QStringLiteral("/site/a.gif")) });
    QMimeData web;
    web.setUrls({ QUrl(QStringLiteral("https://example.org/a.gif")) });
    QMimeData text;
    text.setText(QStringLiteral("/site/a.gif"));
    QVERIFY(acceptsFileDrop(&fileList, &files));
    QVERIFY(!acceptsFileDrop(&other, &files));
    QVERIFY(!acceptsFileDrop(nullptr, &files)); // from another program
    QVERIFY(!acceptsFileDrop(&fileList, &web));
    QVERIFY(!acceptsFileDrop(&fileList, &text));
    QVERIFY(editor()->viewport()->acceptDrops());
}

void tst_EditCommands::viewToggles_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("hook");
    QTest::newRow("tools window") << "ToolsWindowItem" << "tools";
    QTest::newRow("image preview") << "ImagePreviewItem" << "image";
    QTest::newRow("toolbars") << "ToolbarsItem" << "toolbars";
}

void tst_EditCommands::viewToggles()
{
    QFETCH(QString, item);
    QFETCH(QString, hook);
    auto setting = [&]() -> bool {
        if (hook == QLatin1String("tools"))
            return globalOptions.toolsWindowVisible;
        if (hook == QLatin1String("image"))
            return globalOptions.imagePreviewVisible;
        return globalOptions.toolbarsVisible;
    };
    m_host.applied.clear();
    QAction* action = m_window->menuItem(item);
    const bool before = setting();
    for (int i = 1; i <= 2; ++i) {
        action->trigger();
        QCOMPARE(setting(), i == 1 ? !before : before);
        QCOMPARE(action->isChecked(), setting()); // the check mark follows the setting
        QCOMPARE(m_host.applied.size(), i);
        QCOMPARE(m_host.applied.last(), hook);
    }
}

void tst_EditCommands::clearUndoAndFindNext()
{
    source().setText(QStringLiteral("alpha beta\r\ngamma beta"));
    source().setCaret(0, 0);
    source().insertAtCaret(QStringLiteral("x"));
    QVERIFY(source().canUndo());
    m_window->menuItem(QStringLiteral("ClearUndoItem"))->trigger();
    QVERIFY(!source().canUndo());
    QCOMPARE(source().line(0), QStringLiteral("xalpha beta"));

    const TSearchOptions saved = searchOptions();
    searchOptions() = TSearchOptions();
    searchOptions().TextToFind = QStringLiteral("beta");
    searchOptions().ShowNotFound = false;
    QAction* findNextItem = m_window->menuItem(QStringLiteral("FindNext1"));
    findNextItem->trigger();
    QCOMPARE(source().SelText(), QStringLiteral("beta"));
    QCOMPARE(QPoint(source().CaretX(), source().CaretY()), QPoint(11, 0));
    findNextItem->trigger();
    QCOMPARE(QPoint(source().CaretX(), source().CaretY()), QPoint(10, 1));
    searchOptions() = saved;
}

QTEST_MAIN(tst_EditCommands)
#include "tst_editcommands.moc"
