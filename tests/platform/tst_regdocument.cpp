/** @file tst_regdocument.cpp ** Reading and writing REGEDIT4 text. **/
#include "platform/RegDocument.h"

#include <QFile>
#include <QTest>

using pm::RegDocument;

namespace {
const QString editKey = QStringLiteral("HKEY_CURRENT_USER\\Software\\Orvane\\Pagemason\\Edit");

QByteArray utf16File(const QString& text)
{
    QByteArray bytes("\xff\xfe", 2);
    bytes.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    return bytes;
}

/// Every key with every value name and what a read gives for it, in file order.
QStringList whatAReadSees(const RegDocument& doc)
{
    QStringList seen;
    for (const QString& key : doc.keyPaths()) {
        seen.append(u'[' + key + u']');
        QStringList names = doc.valueNames(key);
        names.prepend(QString()); // the default value
        for (const QString& name : std::as_const(names)) {
            const auto value = doc.value(key, name);
            seen.append(name + (value ? u"=" + *value : u" unreadable"_qs));
        }
    }
    return seen;
}
}

class TestRegDocument : public QObject
{
    Q_OBJECT
private slots:
    void readValue_data();
    void readValue();
    void roundTrip_data();
    void roundTrip();
    void writesRegedit4Layout();
    void keepsWhatItCannotRead();
    void unchangedLinesKeepTheirSpelling();
    void keysAndSubkeys();
    void aSaveChangesOnlyWhatItSet_data();
    void aSaveChangesOnlyWhatItSet();
};

void TestRegDocument::readValue_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("expected");

    const QByteArray header
        = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Orvane\\Pagemason\\Edit]\r\n";
    QTest::newRow("plain") << header + "\"Font name\"=\"Courier New\"\r\n"
                           << editKey << "Font name" << true << "Courier New";
    QTest::newRow("escapes") << header + "\"Path\"=\"C:\\\\web\\\\a \\\"b\\\"\"\r\n"
                             << editKey << "Path" << true << "C:\\web\\a \"b\"";
    QTest::newRow("unknown escape kept") << header + "\"P\"=\"a\\nb\"\r\n"
                                         << editKey << "P" << true << "a\\nb";
    QTest::newRow("names without case") << header + "\"Image Preview Visible\"=\"1\"\r\n"
                                        << "hkey_current_user\\SOFTWARE\\orvane\\pagemason\\edit"
                                        << "image preview visible" << true << "1";
    QTest::newRow("default value") << QByteArray(
        "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\Orvane\\Pagemason]\r\n@=\"2.3\"\r\n")
                                   << "HKEY_CURRENT_USER\\Software\\Orvane\\Pagemason"
                                   << "" << true << "2.3";
    QTest::newRow("odd spacing") << QByteArray(
        "  REGEDIT4  \n\n\n   [HKEY_CURRENT_USER\\Software\\\\Orvane\\Pagemason\\Edit\\]   \n"
        "\t \"Font name\"   =\t \"Courier New\"   \n")
                                 << editKey << "Font name" << true << "Courier New";
    QTest::newRow("blanks around key parts") << QByteArray(
        "[HKEY_CURRENT_USER\\ Software\t\\Orvane \\Pagemason\\Edit]\n\"Tag case\"=\"1\"\n")
                                             << editKey << "Tag case" << true << "1";
    QTest::newRow("LF line ends, no header") << QByteArray(
        "[HKEY_CURRENT_USER\\Software\\Orvane\\Pagemason\\Edit]\n\"Tag case\"=\"1\"\n")
                                             << editKey << "Tag case" << true << "1";
    QTest::newRow("dword") << header + "\"Tag case\"=dword:0000000a\r\n"
                           << editKey << "Tag case" << true << "10";
    QTest::newRow("hex(1) over lines") << header + "\"M\"=hex(1):61,0d,0a,\\\r\n  62,00\r\n"
                                       << editKey << "M" << true << "a\r\nb";
    QTest::newRow("binary value unreadable") << header + "\"B\"=hex:01,02\r\n"
                                             << editKey << "B" << false << "";
    QTest::newRow("later duplicate wins") << header + "\"A\"=\"1\"\r\n\"a\"=\"2\"\r\n"
                                          << editKey << "A" << true << "2";
    QTest::newRow("value cut short")
        << header + "\"Font name\"=\"Cour" << editKey << "Font name" << false << "";
    QTest::newRow("key header cut short")
        << QByteArray("REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\Orvane\\Pag") << editKey
        << "Font name" << false << "";
    QTest::newRow("garbage before a good section")
        << QByteArray("\x01\xff\xfe", 3) + QByteArray(1, '\0')
            + "garbage\x80\r\n\"x\"=\"y\"\r\n[HKEY_CURRENT_USER\\Software\\Orvane\\Pagemason\\Edit]"
              "\r\n\"Font size\"=\"12\"\r\n"
        << editKey << "Font size" << true << "12";
    QTest::newRow("value outside any key ignored")
        << QByteArray("REGEDIT4\r\n\"Font name\"=\"X\"\r\n") << editKey << "Font name" << false
        << "";
    QTest::newRow("latin-1 export") << header + "\"N\"=\"caf\xe9\"\r\n"
                                    << editKey << "N" << true << QString::fromUtf8("caf\xc3\xa9");
    {
        const QString v5 = u"Windows Registry Editor Version 5.00\r\n\r\n"
                           u"[HKEY_CURRENT_USER\\Software\\Orvane\\Pagemason\\Edit]\r\n"
                           u"\"Font name\"=\"Lucida\"\r\n"_qs;
        QByteArray utf16("\xff\xfe", 2);
        utf16.append(reinterpret_cast<const char*>(v5.utf16()), v5.size() * 2);
        QTest::newRow("UTF-16 export of a newer editor")
            << utf16 << editKey << "Font name" << true << "Lucida";
    }
    QTest::newRow("UTF-16 export, hex(2) over lines")
        << utf16File(u"Windows Registry Editor Version 5.00\r\n"
                     u"[HKEY_CURRENT_USER\\Software\\Orvane\\Pagemason\\Edit]\r\n"
                     u"\"P\"=hex(2):25,00,48,00,4f,00,\\\r\n  4d,00,45,00,25,00,00,00\r\n"_qs)
        << editKey << "P" << true << "%HOME%";
    QTest::newRow("empty file") << QByteArray() << editKey << "Font name" << false << "";

    QFile f(QStringLiteral(TEST_DATA_DIR "/platform/export.reg"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray exported = f.readAll();
    const QString reopenKey = editKey.section(u'\\', 0, -2) + u"\\Reopen List"_qs;
    QTest::newRow("export: dword") << exported << editKey << "Font size" << true << "12";
    QTest::newRow("export: hex(2)")
        << exported << editKey << "Font styles" << true << "Bold Italic";
    QTest::newRow("export: hex(1) over lines")
        << exported << editKey << "Notes" << true << "one\r\ntwo";
    QTest::newRow("export: binary over lines") << exported << editKey << "Window" << false << "";
    QTest::newRow("export: hex(7)") << exported << editKey << "Recent" << false << "";
    QTest::newRow("export: escapes")
        << exported << editKey << "Path" << true << "C:\\web\\\"quoted\"";
    QTest::newRow("export: UTF-8 after the binary values")
        << exported << reopenKey << "1" << true
        << QString::fromUtf8("/home/user/site/caf\xc3\xa9.html");
}

void TestRegDocument::readValue()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, key);
    QFETCH(QString, name);
    QFETCH(bool, found);
    QFETCH(QString, expected);

    const auto value = RegDocument::parse(file).value(key, name);
    QCOMPARE(value.has_value(), found);
    if (found)
        QCOMPARE(*value, expected);
}

void TestRegDocument::roundTrip_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::newRow("plain") << "Font name"
                           << "Courier New";
    QTest::newRow("backslashes and quotes") << "Viewer File Name"
                                            << "C:\\a \"b\"\\";
    QTest::newRow("empty") << "Server Address"
                           << "";
    QTest::newRow("default value") << ""
                                   << "2.3";
    QTest::newRow("line breaks") << "Notes"
                                 << "one\r\ntwo\nthree";
    QTest::newRow("non-ASCII") << "User name" << QString::fromUtf8("J\xc3\xbcrgen \xe2\x82\xac");
    QTest::newRow("quote in name") << "a \"b\" \\c"
                                   << "x";
    QTest::newRow("equals and brackets") << "[x]="
                                         << "@=\"y\"";
}

void TestRegDocument::roundTrip()
{
    QFETCH(QString, name);
    QFETCH(QString, value);
    RegDocument doc;
    doc.setValue(editKey, name, value);
    const RegDocument back = RegDocument::parse(doc.serialize());
    QCOMPARE(back.value(editKey, name), std::optional<QString>(value));
    QCOMPARE(back.unreadableLineCount(), 0);
}

void TestRegDocument::writesRegedit4Layout()
{
    RegDocument doc;
    doc.setValue(QStringLiteral("HKEY_CURRENT_USER\\Software\\Orvane\\Pagemason"), QString(),
        QStringLiteral("2.3"));
    doc.setValue(editKey, QStringLiteral("Font name"), QStringLiteral("Courier New"));
    doc.setValue(editKey, QStringLiteral("Path"), QStringLiteral("C:\\x"));
    QCOMPARE(doc.serialize(),
        QByteArray("REGEDIT4\r\n"
                   "\r\n[HKEY_CURRENT_USER\\Software\\Orvane\\Pagemason]\r\n"
                   "@=\"2.3\"\r\n"
                   "\r\n[HKEY_CURRENT_USER\\Software\\Orvane\\Pagemason\\Edit]\r\n"
                   "\"Font name\"=\"Courier New\"\r\n"
                   "\"Path\"=\"C:\\\\x\"\r\n"
                   "\r\n"));
}

void TestRegDocument::keepsWhatItCannotRead()
{
    const QByteArray garbage("\x01\x02\xff\xfe\x00\x7f", 6);
    const QByteArray file = "REGEDIT4\r\n" + garbage
        + "\r\n; a comment\r\n[HKEY_CURRENT_USER\\Software\\Orvane\\Pagemason\\Edit]\r\n"
          "\"Bin\"=hex:01,02\r\n\"Font name\"=\"Cour\r\n[-HKEY_CURRENT_USER\\Old]\r\n";
    RegDocument doc = RegDocument::parse(file);
    doc.setValue(editKey, QStringLiteral("Font size"), QStringLiteral("12"));
    const QByteArray out = doc.serialize();
    for (const QByteArray& kept :
        { garbage, QByteArray("; a comment"), QByteArray("\"Bin\"=hex:01,02"),
            QByteArray("\"Font name\"=\"Cour"), QByteArray("[-HKEY_CURRENT_USER\\Old]") })
        QVERIFY2(out.contains(kept), kept.constData());
    const RegDocument back = RegDocument::parse(out);
    QCOMPARE(back.value(editKey, QStringLiteral("Font size")), std::optional<QString>(u"12"_qs));
    QVERIFY(back.valueNames(editKey).contains(u"Bin"_qs));
}

void TestRegDocument::unchangedLinesKeepTheirSpelling()
{
    const QByteArray file = "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\Orvane\\Pagemason\\Edit]\r\n"
                            "  \"Font name\" = \"Arial\"\r\n\"Tag case\"=dword:00000001\r\n";
    RegDocument doc = RegDocument::parse(file);
    doc.setValue(editKey, QStringLiteral("FONT NAME"), QStringLiteral("Arial")); // same text
    doc.setValue(editKey, QStringLiteral("tag case"), QStringLiteral("2"));
    const QByteArray out = doc.serialize();
    QVERIFY(out.contains("  \"Font name\" = \"Arial\"\r\n"));
    QVERIFY(out.contains("\"Tag case\"=\"2\"\r\n")); // the first spelling of the name is kept
    QVERIFY(!out.contains("dword"));
}

void TestRegDocument::keysAndSubkeys()
{
    const QString base = QStringLiteral("HKEY_CURRENT_USER\\Software\\Orvane\\Pagemason");
    RegDocument doc;
    doc.setValue(base + QStringLiteral("\\Toolbars&Windows\\Toolbars Positions"),
        QStringLiteral("Toolbars Count"), QStringLiteral("1"));
    doc.setValue(base + QStringLiteral("\\Edit"), QStringLiteral("A"), QStringLiteral("1"));
    doc.setValue(QStringLiteral("HKEY_CLASSES_ROOT\\.pmp"), QString(), QStringLiteral("PMProject"));

    QVERIFY(doc.hasKey(base)); // only a parent of stored keys
    QVERIFY(doc.hasKey(base.toUpper() + QStringLiteral("\\TOOLBARS&WINDOWS")));
    QVERIFY(!doc.hasKey(base + QStringLiteral("\\Tool")));
    QCOMPARE(doc.subKeyNames(base), QStringList({ u"Toolbars&Windows"_qs, u"Edit"_qs }));
    QVERIFY(!doc.value(QStringLiteral("HKEY_CURRENT_USER\\.pmp"), QString()));

    doc.removeKey(base + QStringLiteral("\\toolbars&windows"));
    QVERIFY(!doc.hasKey(base + QStringLiteral("\\Toolbars&Windows\\Toolbars Positions")));
    QVERIFY(doc.hasKey(base + QStringLiteral("\\Edit")));
    doc.removeValue(base + QStringLiteral("\\Edit"), QStringLiteral("a"));
    QVERIFY(doc.valueNames(base + QStringLiteral("\\Edit")).isEmpty());
    QVERIFY(doc.hasKey(base + QStringLiteral("\\Edit"))); // an emptied key stays
    QCOMPARE(doc.value(QStringLiteral("hkey_classes_root\\.PMP"), QString()),
        std::optional<QString>(u"PMProject"_qs));
}

void TestRegDocument::aSaveChangesOnlyWhatItSet_data()
{
    QTest::addColumn<QByteArray>("file");
    const QByteArray header
        = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Orvane\\Pagemason\\Edit]\r\n";
    QTest::newRow("open continuation alone") << QByteArray("=hex\\");
    QTest::newRow("open continuation ends the file")
        << header + "\"Font size\"=\"12\"\r\n\"Bin\"=hex:01,02,\\";
    QTest::newRow("open continuation, blank line, garbage")
        << header + "\"Bin\"=hex:01,\\\r\n\r\ngarbage\r\n\"Font size\"=\"12\"\r\n";
    QTest::newRow("open continuation before a value")
        << header + "\"M\"=hex(1):61,\\\r\n\"Font size\"=\"12\"\r\n";
    QTest::newRow("open continuation before a key")
        << header + "\"Bin\"=hex:01,\\\r\n[HKEY_CURRENT_USER\\Other]\r\n\"A\"=\"1\"\r\n";
    QTest::newRow("continuations with LF line ends")
        << QByteArray("[HKEY_CURRENT_USER\\Software\\Orvane\\Pagemason\\Edit]\n"
                      "\"M\"=hex(1):61,\\\n  62,\\\n  00\n\"A\"=\"1\"\n");
    QTest::newRow("key name with blanks at a separator")
        << QByteArray("[\\ \\ a\\b]\r\n\"A\"=\"1\"\r\n[a\\b]\r\n\"B\"=\"2\"\r\n");
    QTest::newRow("UTF-16 export with hex(1) and hex(2)") << utf16File(
        u"Windows Registry Editor Version 5.00\r\n\r\n"
        u"[HKEY_CURRENT_USER\\Software\\Orvane\\Pagemason\\Edit]\r\n"
        u"\"Font name\"=hex(1):41,00,42,00,43,00,00,00\r\n"
        u"\"Path\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,\\\r\n  5c,00,e9,00,00,00\r\n"
        u"\"Odd\"=hex(1):00,d8,41,00\r\n"_qs);
}

void TestRegDocument::aSaveChangesOnlyWhatItSet()
{
    QFETCH(QByteArray, file);
    RegDocument doc = RegDocument::parse(file);
    doc.setValue(editKey, QStringLiteral("Tag case"), QStringLiteral("1"));
    const QByteArray saved = doc.serialize();
    const RegDocument next = RegDocument::parse(saved);
    QCOMPARE(whatAReadSees(next), whatAReadSees(doc));
    QCOMPARE(next.value(editKey, QStringLiteral("Tag case")), std::optional<QString>(u"1"_qs));
    // Saving what was read again gives the same bytes.
    QCOMPARE(next.serialize(), saved);
}

QTEST_APPLESS_MAIN(TestRegDocument)
#include "tst_regdocument.moc"
