/** @file tst_toolbarsfile.cpp ** The toolbar file: reading, writing, the older format, and the
 ** toolbar positions in the settings store. **/
#include "core/global_utl.h"
#include "platform/FullDisk.h"
#include "platform/MemorySettingsStore.h"
#include "platform/ScriptedDialogs.h"
#include "toolbars/common/customToolbar_utl.h"
#include "toolbars/common/toolbarPositions_utl.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstring>

namespace {

/// The commands the fixtures name: 0 FileNewItem, 1 TextBold, and two called Dup.
void fillCommands(TMenuCommands& commands)
{
    commands.clear();
    for (const char* name : { "FileNewItem", "TextBold", "Dup", "Dup" }) {
        TMenuCommand& c = commands.add();
        c.Name = QLatin1String(name);
        c.CaptionPath = QStringLiteral("Menu|") + c.Name;
        c.Tag = 0;
    }
}

QString describe(const QList<TToolbar>& toolbars)
{
    QStringList out;
    for (const TToolbar& t : toolbars) {
        QStringList elements;
        for (const TToolbarElement& e : t.Elements) {
            if (e.IsSeparator == 1)
                elements.append(QStringLiteral("|"));
            else
                elements.append(
                    QStringList { e.Caption, e.GlyphFileName, QString::number(e.NumGlyphs), e.Hint,
                        QString::number(e.Width), QString::number(e.Height),
                        u'#' + QString::number(e.CommandIndex), QString::number(e.DisplayMode) }
                        .join(u','));
        }
        out.append((t.Visible ? u'+' : u'-') + t.ToolbarName + u':' + elements.join(u' '));
    }
    return out.join(QStringLiteral(" / "));
}

const QByteArray kHeader = "Pagemason Toolbars File - Orvane";

QByteArray lines(const QList<QByteArray>& list, const QByteArray& end = "\r\n")
{
    QByteArray out;
    for (const QByteArray& l : list)
        out += l + end;
    return out;
}

QList<QByteArray> button(const QByteArray& caption, const QByteArray& command,
    const QByteArray& width = "48", const QByteArray& marker = "~Button~")
{
    return { marker, caption, "g.bmp", "1", "hint", width, "28", command, "0" };
}

QByteArray file(const QList<QList<QByteArray>>& parts)
{
    QList<QByteArray> all { kHeader };
    for (const QList<QByteArray>& p : parts)
        all += p;
    return lines(all);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList boxTexts(const pm::ScriptedDialogs& boxes)
{
    QStringList out;
    for (const auto& s : boxes.shown())
        out.append(s.text);
    return out;
}

} // namespace

class tst_ToolbarsFile : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void roundTripResetsTheFieldsNotSaved();
    void loadFailureKeepsTheDescriptions_data();
    void loadFailureKeepsTheDescriptions();
    void saveOnAFullDiskKeepsTheOldFile();
    void tenThousandButtons();
    void convertOld_data();
    void convertOld();
    void convertOldFileTellsHowItWent();
    void places_data();
    void places();
    void placesWrittenReadBack();
};

void tst_ToolbarsFile::read_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected"); ///< describe(), or "wrong header", or "line N: why"

    QTest::newRow("header only") << lines({ kHeader }) << QString();
    QTest::newRow("header without line end") << kHeader << QString();
    QTest::newRow("empty file") << QByteArray() << QStringLiteral("wrong header");
    QTest::newRow("header with a trailing blank")
        << lines({ kHeader + ' ' }) << QStringLiteral("wrong header");
    QTest::newRow("header of the older format")
        << lines({ "Toolbars File - Orvane" }) << QStringLiteral("wrong header");
    QTest::newRow("binary") << QByteArray("\x00\xff\xfe\x89PNG\r\n\x1a\n\x00\x00", 12)
                            << QStringLiteral("wrong header");
    QTest::newRow("empty hidden toolbar")
        << file({ { "{-Hidden one", "}" } }) << QStringLiteral("-Hidden one:");
    QTest::newRow("flag is the character after the brace, blanks before it")
        << file({ { "  {Xname", "}", "\t{+", "}" } }) << QStringLiteral("+name: / +:");
    QTest::newRow("separator in any letter case")
        << file({ { "{+T", "~Seperator~", "~SEPERATOR~", "~sePERator~", "}" } })
        << QStringLiteral("+T:| | |");
    QTest::newRow("the misspelt separator opens a button")
        << file({ { "{+T" }, button("Cap", "TextBold", "48", "~Separator~"), { "}" } })
        << QStringLiteral("+T:Cap,g.bmp,1,hint,48,28,#1,0");
    QTest::newRow("commands: unknown, empty, first of equal names")
        << file({ { "{+T" }, button("a", "NoSuchItem"), button("b", ""), button("c", "Dup"),
               button("d", "textbold"), { "}" } })
        << QStringLiteral("+T:a,g.bmp,1,hint,48,28,#-1,0 b,g.bmp,1,hint,48,28,#-1,0 "
                          "c,g.bmp,1,hint,48,28,#2,0 d,g.bmp,1,hint,48,28,#-1,0");
    QTest::newRow("lines outside toolbars are ignored")
        << file({ { "stray", "}", "~Button~", "{+T", "~Seperator~", "}", "after" } })
        << QStringLiteral("+T:|");
    QTest::newRow("LF line ends and a Latin-1 caption") << lines(
        { kHeader, "{+T", "~Button~", "Caf\xe9", "", "2", "", "10", "20", "", "1", "}" },
        "\n") << QStringLiteral("+T:Caf\u00e9,,2,,10,20,#-1,1");
    QTest::newRow("lines past the eighth are ignored")
        << file({ { "{+T" }, button("a", "FileNewItem"), { "extra", "more", "}" } })
        << QStringLiteral("+T:a,g.bmp,1,hint,48,28,#0,0");
    QTest::newRow("file ending inside a toolbar keeps it")
        << file({ { "{+T", "~Seperator~" }, button("a", "FileNewItem") })
        << QStringLiteral("+T:| a,g.bmp,1,hint,48,28,#0,0");
    QTest::newRow("toolbar opened on the last line")
        << file({ { "{-Last" } }) << QStringLiteral("-Last:");
    QTest::newRow("negative and large sizes are kept")
        << file({ { "{+T" }, button("a", "", "-5"), button("b", "", "2147483647"), { "}" } })
        << QStringLiteral("+T:a,g.bmp,1,hint,-5,28,#-1,0 b,g.bmp,1,hint,2147483647,28,#-1,0");
    QTest::newRow("button of fewer than eight lines")
        << file({ { "{+T", "~Seperator~", "~Button~", "cap", "g.bmp", "1", "}" } })
        << QStringLiteral("line 4: the button opened here has 3 of its 8 lines");
    QTest::newRow("file ending inside a button")
        << file({ { "{+T", "~Button~", "cap", "g.bmp" } })
        << QStringLiteral("line 3: the button opened here has 2 of its 8 lines");
    QTest::newRow("a button ended by the next button marker")
        << file({ { "{+T", "~Button~", "cap", "~BUTTON~" } })
        << QStringLiteral("line 3: the button opened here has 1 of its 8 lines");
    QTest::newRow("non-numeric width")
        << file({ { "{+T" }, button("a", "", "4x8"), { "}" } })
        << QStringLiteral("line 8: '4x8' is not a valid integer value");
    QTest::newRow("width beyond 32 bits")
        << file({ { "{+T" }, button("a", "", "4294967296"), { "}" } })
        << QStringLiteral("line 8: '4294967296' is not a valid integer value");
    QTest::newRow("empty number of glyphs")
        << file({ { "{+T", "~Button~", "a", "g", "", "h", "1", "1", "", "0", "}" } })
        << QStringLiteral("line 6: '' is not a valid integer value");
    QTest::newRow("number of glyphs past 8 bits")
        << file({ { "{+T", "~Button~", "a", "g", "300", "h", "1", "1", "", "0", "}" } })
        << QStringLiteral("line 6: 300 is out of range (0 to 255)");
    QTest::newRow("hexadecimal display mode")
        << file({ { "{+T", "~Button~", "a", "g", "1", "h", "1", "1", "", "0x1", "}" } })
        << QStringLiteral("line 11: '0x1' is not a valid integer value");
}

void tst_ToolbarsFile::read()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    TMenuCommands commands;
    fillCommands(commands);
    const TToolbarsText read = readToolbarsText(bytes, commands);
    QString got;
    switch (read.status) {
    case TToolbarsText::Read:
        got = describe(read.toolbars);
        break;
    case TToolbarsText::WrongHeader:
        got = QStringLiteral("wrong header");
        QVERIFY(read.toolbars.isEmpty());
        break;
    case TToolbarsText::Malformed:
        got = QStringLiteral("line %1: %2").arg(read.errorLine).arg(read.error);
        QVERIFY(read.toolbars.isEmpty());
        break;
    }
    QCOMPARE(got, expected);
}

void tst_ToolbarsFile::roundTripResetsTheFieldsNotSaved()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("round.tb"));
    TToolbars saved;
    fillCommands(saved.Commands);
    TToolbar& a = saved.add();
    a.ToolbarName = QStringLiteral("Edit\ning\r");
    TToolbarElement b;
    b.Layout = blGlyphRight;
    b.WordWrap = false;
    b.FontSize = 11;
    b.FontStyle = fsBold | fsStrikeOut;
    b.Caption = QStringLiteral("Bold \u2192");
    b.GlyphFileName = QStringLiteral("glyphs/bold.bmp");
    b.NumGlyphs = 2;
    b.Hint = QStringLiteral("Bold: <B>");
    b.Width = 30;
    b.Height = 31;
    b.CommandIndex = 1;
    b.DisplayMode = dmGlyphOnly;
    a.Elements = { b, TToolbarElement::separator(), TToolbarElement() };
    a.Elements[2].CommandIndex = 7; // past the commands: saved as none
    TToolbar& hidden = saved.add();
    hidden.ToolbarName = QStringLiteral("Hidden");
    hidden.Visible = 0;
    QVERIFY(saveToolbarsFile(saved, path));

    QCOMPARE(readFile(path),
        lines({ kHeader, "{+Edit ing\r", "~Button~", "Bold \xe2\x86\x92", "glyphs/bold.bmp", "2",
            "Bold: <B>", "30", "31", "TextBold", "1", "~Seperator~", "~Button~", "New Button", "",
            "1", "", "48", "28", "", "0", "}", "{-Hidden", "}" }));

    TToolbars loaded;
    fillCommands(loaded.Commands);
    QVERIFY(loadToolbarsFile(loaded, path));
    QCOMPARE(loaded.Toolbars.size(), 2);
    QCOMPARE(loaded.Toolbars[0].Commands, &loaded.Commands);
    QCOMPARE(loaded.Toolbars[0].ToolbarName, QStringLiteral("Edit ing\r"));
    const TToolbarElement& back = loaded.Toolbars[0].Elements[0];
    const TToolbarElement fresh;
    QCOMPARE(back.Layout, fresh.Layout);
    QCOMPARE(back.WordWrap, fresh.WordWrap);
    QCOMPARE(back.FontSize, fresh.FontSize);
    QCOMPARE(back.FontStyle, fresh.FontStyle);
    TToolbarElement expected = b;
    expected.Layout = fresh.Layout;
    expected.WordWrap = fresh.WordWrap;
    expected.FontSize = fresh.FontSize;
    expected.FontStyle = fresh.FontStyle;
    QVERIFY(back == expected);
    QCOMPARE(loaded.Toolbars[0].Elements[2].CommandIndex, -1);
    QCOMPARE(describe(loaded.Toolbars.mid(1)), QStringLiteral("-Hidden:"));
    // Saving what was read gives the same bytes.
    const QString again = dir.filePath(QStringLiteral("again.tb"));
    QVERIFY(saveToolbarsFile(loaded, again));
    QCOMPARE(readFile(again), readFile(path));
}

void tst_ToolbarsFile::loadFailureKeepsTheDescriptions_data()
{
    QTest::addColumn<QByteArray>("bytes"); ///< empty name: no file at all
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QString>("box"); ///< "%1" stands for the file name; empty: no box

    QTest::newRow("missing file") << QByteArray() << false << QString();
    QTest::newRow("empty file") << QByteArray() << true
                                << QStringLiteral("%1 is not a valid Pagemason toolbars file");
    QTest::newRow("binary file") << QByteArray("\x7f"
                                               "ELF\x02\x01\x01\x00\x00",
        9) << true << QStringLiteral("%1 is not a valid Pagemason toolbars file");
    QTest::newRow("short button")
        << file({ { "{+T", "~Button~", "a", "}" } }) << true
        << QStringLiteral("%1\r\nline 3: the button opened here has 1 of its 8 lines");
    QTest::newRow("non-numeric height")
        << file({ { "{+T", "~Button~", "a", "g", "1", "h", "1", "tall", "", "0", "}" } }) << true
        << QStringLiteral("%1\r\nline 9: 'tall' is not a valid integer value");
}

void tst_ToolbarsFile::loadFailureKeepsTheDescriptions()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, exists);
    QFETCH(QString, box);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.tb"));
    if (exists)
        writeFile(path, bytes);
    TToolbars d;
    fillCommands(d.Commands);
    QVERIFY(loadToolbarsFile(d, QString::fromUtf8(TEST_DATA_DIR) + "/toolbars/two.tb"));
    const QString before = describe(d.Toolbars);
    QVERIFY(!before.isEmpty());

    pm::ScriptedDialogs boxes;
    QVERIFY(!loadToolbarsFile(d, path));
    QCOMPARE(boxTexts(boxes), box.isEmpty() ? QStringList() : QStringList { box.arg(path) });
    QCOMPARE(describe(d.Toolbars), before);
    QCOMPARE(QFileInfo::exists(path), exists);
    if (exists)
        QCOMPARE(readFile(path), bytes);
}

void tst_ToolbarsFile::saveOnAFullDiskKeepsTheOldFile()
{
    QTemporaryDir folder;
    const QByteArray old = file({ { "{+Old", "}" } });
    const std::optional<QByteArray> result = pm::runOnFullDisk(
        folder.path(), [&](const QString& f) { writeFile(f + QStringLiteral("/full.tb"), old); },
        [&](const QString& f) -> QByteArray {
            TToolbars d;
            for (int i = 0; i < 2000; ++i)
                d.add().Elements.append(TToolbarElement());
            pm::ScriptedDialogs boxes;
            const QString path = f + QStringLiteral("/full.tb");
            const bool saved = saveToolbarsFile(d, path);
            return QByteArray(saved ? "saved" : "refused") + '|'
                + boxTexts(boxes).join(u';').toUtf8() + '|'
                + (readFile(path) == old ? "old file whole" : "old file changed");
        });
    if (!result)
        QSKIP("this machine lets no process mount a file system of its own");
    const QString path = folder.filePath(QStringLiteral("full.tb"));
    QCOMPARE(QString::fromUtf8(*result),
        QStringLiteral("refused|Cannot save the file\r\n") + path + QStringLiteral("\r\n")
            + QString::fromLocal8Bit(std::strerror(ENOSPC)) + QStringLiteral("|old file whole"));
}

void tst_ToolbarsFile::tenThousandButtons()
{
    QList<QByteArray> all { kHeader, "{+Many" };
    for (int i = 0; i < 10000; ++i)
        all += button("b" + QByteArray::number(i), i % 2 ? "TextBold" : "missing");
    all += "}";
    TMenuCommands commands;
    fillCommands(commands);
    const TToolbarsText read = readToolbarsText(lines(all), commands);
    QCOMPARE(read.status, TToolbarsText::Read);
    QCOMPARE(read.toolbars.size(), 1);
    const QList<TToolbarElement>& e = read.toolbars.first().Elements;
    QCOMPARE(e.size(), 10000);
    QCOMPARE(e.last().Caption, QStringLiteral("b9999"));
    QCOMPARE(e.last().CommandIndex, 1);
    QCOMPARE(e.at(9998).CommandIndex, -1);
}

void tst_ToolbarsFile::convertOld_data()
{
    QTest::addColumn<QByteArray>("old");
    QTest::addColumn<QByteArray>("expected"); ///< the new text, or "line N: why"

    const QByteArray oldHeader = "Toolbars File - Orvane";
    QTest::newRow("toolbars, buttons and separators")
        << lines({ oldHeader, "comment dropped", "{+Files", "~Button~", "Open", "open.bmp", "2",
               "Open a file", "FileOpenItem", "1;48,28", "~Seperator~", "~Button~", "Bold", "", "1",
               "", "TextBold", "2 30,31", "}", "between", "{-Empty", "}" })
        << lines({ kHeader, "{+Files", "~Button~", "Open", "open.bmp", "2", "Open a file", "48",
               "28", "FileOpenItem", "1", "~Seperator~", "~Button~", "Bold", "", "1", "", "30",
               "31", "TextBold", "2", "}", "{-Empty", "}" });
    QTest::newRow("header only") << lines({ oldHeader }) << lines({ kHeader });
    QTest::newRow("file ending inside a toolbar")
        << lines({ oldHeader, "{+T", "~Seperator~" }) << lines({ kHeader, "{+T", "~Seperator~" });
    QTest::newRow("new format is not the old one")
        << lines({ kHeader, "{+T", "}" }) << QByteArray("wrong header");
    QTest::newRow("empty file") << QByteArray() << QByteArray("wrong header");
    QTest::newRow("button block cut short")
        << lines({ oldHeader, "{+T", "~Button~", "a", "b", "1" })
        << QByteArray("line 3: the button opened here has 3 of its 6 lines");
    QTest::newRow("sizes without a comma")
        << lines({ oldHeader, "{+T", "~Button~", "a", "b", "1", "h", "c", "0 48", "}" })
        << QByteArray("line 9: '0 48' is not a display mode with a width and a height");
    QTest::newRow("sizes that are no numbers")
        << lines({ oldHeader, "{+T", "~Button~", "a", "b", "1", "h", "c", "0 wide,28", "}" })
        << QByteArray("line 9: 'wide' is not a valid integer value");
}

void tst_ToolbarsFile::convertOld()
{
    QFETCH(QByteArray, old);
    QFETCH(QByteArray, expected);
    const TOldToolbarsConversion c = convertOldToolbarsText(old);
    QByteArray got = c.converted ? c.text
        : c.wrongHeader          ? QByteArray("wrong header")
                        : QStringLiteral("line %1: %2").arg(c.errorLine).arg(c.error).toUtf8();
    QCOMPARE(got, expected);
    if (c.converted) {
        TMenuCommands none;
        QCOMPARE(readToolbarsText(c.text, none).status, TToolbarsText::Read);
    }
}

void tst_ToolbarsFile::convertOldFileTellsHowItWent()
{
    QTemporaryDir dir;
    const QString oldName = dir.filePath(QStringLiteral("old.tb"));
    const QString newName = dir.filePath(QStringLiteral("new.tb"));
    writeFile(oldName,
        lines({ "Toolbars File - Orvane", "{+T", "~Button~", "Bold", "", "1", "", "TextBold",
            "0;40,20", "}" }));
    pm::ScriptedDialogs boxes;
    QVERIFY(convertOldToolbarsFile(oldName, newName));
    QCOMPARE(boxTexts(boxes),
        QStringList { QStringLiteral("Done.\r\n") + oldName
            + QStringLiteral("\r\n converted to\r\n") + newName });
    TToolbars d;
    fillCommands(d.Commands);
    QVERIFY(loadToolbarsFile(d, newName));
    QCOMPARE(describe(d.Toolbars), QStringLiteral("+T:Bold,,1,,40,20,#1,0"));

    boxes.clear();
    const QByteArray converted = readFile(newName);
    QVERIFY(!convertOldToolbarsFile(newName, oldName)); // the new format is no old file
    QCOMPARE(boxTexts(boxes),
        QStringList { newName + QStringLiteral(" is not a valid toolbar file !") });
    QCOMPARE(readFile(newName), converted);
    QCOMPARE(readFile(oldName).left(22), QByteArray("Toolbars File - Orvane"));
}

void tst_ToolbarsFile::places_data()
{
    QTest::addColumn<QByteArray>("values"); ///< value lines of the positions key
    QTest::addColumn<int>("windows");
    QTest::addColumn<QString>("expected"); ///< dock,pos,row,x,y per place

    QTest::newRow("nothing stored") << QByteArray() << 3 << QString();
    QTest::newRow("all values") << QByteArray(
        "\"Toolbars Count\"=\"2\"\r\n\"Toolbar #0 dock\"=\"0\"\r\n"
        "\"Toolbar #0 dockpos\"=\"1\"\r\n\"Toolbar #0 dockrow\"=\"2\"\r\n"
        "\"Toolbar #0 x\"=\"-40\"\r\n\"Toolbar #0 y\"=\"0x10\"\r\n"
        "\"Toolbar #1 dock\"=\"4\"\r\n")
                                << 2 << QStringLiteral("0,1,2,-40,16 4,0,0,0,0");
    QTest::newRow("more places than windows")
        << QByteArray("\"Toolbars Count\"=\"5\"\r\n\"Toolbar #1 dock\"=\"3\"\r\n") << 2
        << QStringLiteral("1,0,0,0,0 3,0,0,0,0");
    QTest::newRow("docks that do not exist are the top dock")
        << QByteArray("\"Toolbars Count\"=\"3\"\r\n\"Toolbar #0 dock\"=\"7\"\r\n"
                      "\"Toolbar #1 dock\"=\"-1\"\r\n\"Toolbar #2 dock\"=\"left\"\r\n")
        << 3 << QStringLiteral("1,0,0,0,0 1,0,0,0,0 1,0,0,0,0");
    QTest::newRow("texts that are no numbers read as defaults") << QByteArray(
        "\"Toolbars Count\"=\"1\"\r\n\"Toolbar #0 dockrow\"=\"one\"\r\n"
        "\"Toolbar #0 x\"=\"99999999999\"\r\n") << 1 << QStringLiteral("1,0,0,0,0");
    QTest::newRow("negative count")
        << QByteArray("\"Toolbars Count\"=\"-3\"\r\n") << 2 << QString();
    QTest::newRow("huge count, no windows")
        << QByteArray("\"Toolbars Count\"=\"2147483647\"\r\n") << 0 << QString();
}

void tst_ToolbarsFile::places()
{
    QFETCH(QByteArray, values);
    QFETCH(int, windows);
    QFETCH(QString, expected);
    pm::MemorySettingsStore store(
        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Orvane\\Pagemason\\Toolbars&Windows\\"
        "Toolbars Positions]\r\n"
        + values + "\r\n");
    QStringList got;
    for (const TToolbarPlace& p : readToolbarPlaces(toolbarPositionsKey, windows))
        got.append(QStringLiteral("%1,%2,%3,%4,%5")
                       .arg(p.dock)
                       .arg(p.dockPos)
                       .arg(p.dockRow)
                       .arg(p.x)
                       .arg(p.y));
    QCOMPARE(got.join(u' '), expected);
}

void tst_ToolbarsFile::placesWrittenReadBack()
{
    pm::MemorySettingsStore store;
    const QList<TToolbarPlace> places { { tdFloating, 0, 0, 612, -30 }, { tdLeft, 1, 2, 0, 80 } };
    QVERIFY(writeToolbarPlaces(toolbarPositionsKey, places));
    QCOMPARE(readToolbarPlaces(toolbarPositionsKey, 5), places);
    QCOMPARE(store.valueNames(toolbarPositionsKey).mid(0, 7),
        (QStringList { "Toolbars Count", "Toolbar #0 dock", "Toolbar #0 dockpos",
            "Toolbar #0 dockrow", "Toolbar #0 x", "Toolbar #0 y", "Toolbar #1 dock" }));
    QCOMPARE(store.readString(toolbarPositionsKey, QStringLiteral("Toolbar #1 dockrow")),
        std::optional<QString>(QStringLiteral("2")));
}

QTEST_GUILESS_MAIN(tst_ToolbarsFile)
#include "tst_toolbarsfile.moc"
