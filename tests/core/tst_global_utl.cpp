/** @file tst_global_utl.cpp ** Loading and saving the settings record, the font descriptor and the
 ** Unix path conversion. **/
#include "core/settings_utl.h"
#include "platform/MemorySettingsStore.h"

#include <QFont>
#include <QFontInfo>
#include <QTest>
#include <functional>

namespace {

const QString base = QStringLiteral("Software\\Orvane\\Pagemason");

QString section(const QString& name)
{
    return base + u'\\' + name;
}

/// The field a load row looks at, as text.
QString field(const QString& name)
{
    const optns& o = globalOptions;
    if (name == u"viewerType")
        return QString::number(o.viewerType);
    if (name == u"viewerFileName")
        return o.viewerFileName;
    if (name == u"defaultExt")
        return o.defaultExt;
    if (name == u"fontName")
        return o.font.name;
    if (name == u"fontSize")
        return QString::number(o.font.size);
    if (name == u"tagCase")
        return QString::number(o.tagCase);
    if (name == u"autoInsertBR")
        return QString::number(o.autoInsertBR);
    if (name == u"autoInsertTags")
        return QString::number(o.autoInsertTags);
    if (name == u"imagePreviewVisible")
        return QString::number(o.imagePreviewVisible);
    if (name == u"toolsWindowLeft")
        return QString::number(o.toolsWindowLeft);
    if (name == u"serverPort")
        return QString::number(o.publish.serverPort);
    if (name == u"splashSeconds")
        return QString::number(o.splashSeconds);
    if (name == u"lastProject")
        return projectFileName;
    if (name == u"activePage")
        return QString::number(toolsWindowActivePage);
    if (name == u"keepTabsOnOpen")
        return QString::number(o.keepTabsOnOpen);
    if (name == u"livePreview")
        return QString::number(o.livePreview);
    return QStringLiteral("?");
}

/// Every value a save writes, in the save order, for the default record.
const QStringList defaultSave = {
    u"Software\\Orvane\\Pagemason\\=2.3"_qs,
    u"Software\\Orvane\\Pagemason\\Files\\Default Ext=html"_qs,
    u"Software\\Orvane\\Pagemason\\Files\\Last project="_qs,
    u"Software\\Orvane\\Pagemason\\Viewers\\Viewer File Name="_qs,
    u"Software\\Orvane\\Pagemason\\Viewers\\Viewer type=0"_qs,
    u"Software\\Orvane\\Pagemason\\Edit\\Font name=Courier New"_qs,
    u"Software\\Orvane\\Pagemason\\Edit\\Font size=10"_qs,
    u"Software\\Orvane\\Pagemason\\Edit\\Font styles="_qs,
    u"Software\\Orvane\\Pagemason\\Edit\\Tag case=2"_qs,
    u"Software\\Orvane\\Pagemason\\Edit\\Color tags=1"_qs,
    u"Software\\Orvane\\Pagemason\\Edit\\Autoinsert <BR>=0"_qs,
    u"Software\\Orvane\\Pagemason\\Edit\\Autoinsert tags when New HTML=1"_qs,
    u"Software\\Orvane\\Pagemason\\Edit\\Auto complete tags=1"_qs,
    u"Software\\Orvane\\Pagemason\\Edit\\Convert strings to Unix strings=1"_qs,
    u"Software\\Orvane\\Pagemason\\Errors handeling\\Message type=0"_qs,
    u"Software\\Orvane\\Pagemason\\Errors handeling\\Log errors=0"_qs,
    u"Software\\Orvane\\Pagemason\\Toolbars&Windows\\Tools Window docked=1"_qs,
    u"Software\\Orvane\\Pagemason\\Toolbars&Windows\\Tools Window left=100"_qs,
    u"Software\\Orvane\\Pagemason\\Toolbars&Windows\\Tools Window top=100"_qs,
    u"Software\\Orvane\\Pagemason\\Toolbars&Windows\\Tools Window visible=1"_qs,
    u"Software\\Orvane\\Pagemason\\Toolbars&Windows\\Tools Window active page#=0"_qs,
    u"Software\\Orvane\\Pagemason\\Toolbars&Windows\\Image Preview visible=0"_qs,
    u"Software\\Orvane\\Pagemason\\Toolbars&Windows\\Status Bar visible=1"_qs,
    u"Software\\Orvane\\Pagemason\\Toolbars&Windows\\Toolbars visible=1"_qs,
    u"Software\\Orvane\\Pagemason\\Splash\\Show splash screen=1"_qs,
    u"Software\\Orvane\\Pagemason\\Splash\\Splash screen seconds=1"_qs,
    u"Software\\Orvane\\Pagemason\\Publish\\Remote filename mask=*"_qs,
    u"Software\\Orvane\\Pagemason\\Publish\\Server Address="_qs,
    u"Software\\Orvane\\Pagemason\\Publish\\Server Port=21"_qs,
    u"Software\\Orvane\\Pagemason\\Publish\\Initial Directory="_qs,
    u"Software\\Orvane\\Pagemason\\Publish\\User name="_qs,
    u"Software\\Orvane\\Pagemason\\Publish\\User password="_qs,
    u"Software\\Orvane\\Pagemason\\Publish\\Auto lowercase remote filename=1"_qs,
    u"Software\\Orvane\\Pagemason\\Publish\\Dial ISP=1"_qs,
    u"Software\\Orvane\\Pagemason\\Files\\Last folder="_qs,
    u"Software\\Orvane\\Pagemason\\Edit\\Keep tabs on open=0"_qs,
    u"Software\\Orvane\\Pagemason\\Toolbars&Windows\\Live preview visible=0"_qs,
    u"Software\\Orvane\\Pagemason\\Toolbars&Windows\\Main Window left=0"_qs,
    u"Software\\Orvane\\Pagemason\\Toolbars&Windows\\Main Window top=0"_qs,
    u"Software\\Orvane\\Pagemason\\Toolbars&Windows\\Main Window width=0"_qs,
    u"Software\\Orvane\\Pagemason\\Toolbars&Windows\\Main Window height=0"_qs,
    u"Software\\Orvane\\Pagemason\\Toolbars&Windows\\Main Window maximized=0"_qs,
};

} // namespace

class TestGlobalUtl : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void emptyStoreGivesDefaultsAndSaveWritesEverything();
    void loadValue_data();
    void loadValue();
    void saveThenLoadRestoresEveryField();
    void hooksRunAtTheirPlace();
    void fontDescriptor_data();
    void fontDescriptor();
    void editorFontFromSettings_data();
    void editorFontFromSettings();
    void unixPathIfWanted_data();
    void unixPathIfWanted();
    void fileNamesFollowTheApplicationFolder();
};

void TestGlobalUtl::init()
{
    globalOptions = optns();
    projectFileName.clear();
    toolsWindowActivePage = 0;
}

void TestGlobalUtl::emptyStoreGivesDefaultsAndSaveWritesEverything()
{
    pm::MemorySettingsStore store;
    globalOptions.font.name = QStringLiteral("changed");
    globalOptions.publish.serverPort = 2121;
    loadSettings(base);
    QCOMPARE(globalOptions.font.name, u"Courier New"_qs);
    QCOMPARE(globalOptions.publish.serverPort, 21);
    QVERIFY(globalOptions.showSplash);

    QVERIFY(saveSettings(base));
    QCOMPARE(store.writes, defaultSave);
    QCOMPARE(store.readString(base, QString()), std::optional<QString>(u"2.3"_qs));
}

void TestGlobalUtl::loadValue_data()
{
    QTest::addColumn<QString>("sectionName");
    QTest::addColumn<QString>("valueName");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("fieldName");
    QTest::addColumn<QString>("expected");

    QTest::newRow("extension cut to 4") << "Files"
                                        << "Default Ext"
                                        << "shtml"
                                        << "defaultExt"
                                        << "shtm";
    QTest::newRow("port not a number") << "Publish"
                                       << "Server Port"
                                       << "abc"
                                       << "serverPort"
                                       << "21";
    QTest::newRow("port in hexadecimal") << "Publish"
                                         << "Server Port"
                                         << "0x15"
                                         << "serverPort"
                                         << "21";
    QTest::newRow("upper-case hex prefix") << "Publish"
                                           << "Server Port"
                                           << "0X1F"
                                           << "serverPort"
                                           << "31";
    QTest::newRow("bare 0x is not hex") << "Publish"
                                        << "Server Port"
                                        << "0x"
                                        << "serverPort"
                                        << "21";
    QTest::newRow("decimal port") << "Publish"
                                  << "Server Port"
                                  << "2121"
                                  << "serverPort"
                                  << "2121";
    QTest::newRow("negative position") << "Toolbars&Windows"
                                       << "Tools Window left"
                                       << "-5"
                                       << "toolsWindowLeft"
                                       << "-5";
    QTest::newRow("hex bit pattern") << "Toolbars&Windows"
                                     << "Tools Window left"
                                     << "0xFFFFFFFF"
                                     << "toolsWindowLeft"
                                     << "-1";
    QTest::newRow("boolean any non-zero") << "Edit"
                                          << "Autoinsert <BR>"
                                          << "2"
                                          << "autoInsertBR"
                                          << "1";
    QTest::newRow("boolean zero") << "Edit"
                                  << "Autoinsert tags when New HTML"
                                  << "0"
                                  << "autoInsertTags"
                                  << "0";
    QTest::newRow("boolean not a number") << "Edit"
                                          << "Autoinsert tags when New HTML"
                                          << "yes"
                                          << "autoInsertTags"
                                          << "1";
    QTest::newRow("byte out of range") << "Edit"
                                       << "Tag case"
                                       << "300"
                                       << "tagCase"
                                       << "2";
    QTest::newRow("byte") << "Edit"
                          << "Tag case"
                          << "1"
                          << "tagCase"
                          << "1";
    QTest::newRow("font name cut to 32")
        << "Edit"
        << "Font name" << QString(40, u'F') << "fontName" << QString(32, u'F');
    QTest::newRow("viewer path cut to 255")
        << "Viewers"
        << "Viewer File Name" << QString(300, u'v') << "viewerFileName" << QString(255, u'v');
    QTest::newRow("other case of a value name") << "Toolbars&Windows"
                                                << "IMAGE PREVIEW VISIBLE"
                                                << "1"
                                                << "imagePreviewVisible"
                                                << "1";
    QTest::newRow("save spelling of preview") << "Toolbars&Windows"
                                              << "Image Preview visible"
                                              << "1"
                                              << "imagePreviewVisible"
                                              << "1";
    QTest::newRow("other case of a section") << "FILES"
                                             << "last project"
                                             << "/p/site.pmp"
                                             << "lastProject"
                                             << "/p/site.pmp";
    QTest::newRow("active tools page") << "Toolbars&Windows"
                                       << "Tools Window active page#"
                                       << "3"
                                       << "activePage"
                                       << "3";
    QTest::newRow("keep tabs on open") << "Edit"
                                       << "Keep tabs on open"
                                       << "1"
                                       << "keepTabsOnOpen"
                                       << "1";
    QTest::newRow("live preview") << "Toolbars&Windows"
                                  << "Live preview visible"
                                  << "1"
                                  << "livePreview"
                                  << "1";
    QTest::newRow("keep tabs on open, missing") << "Edit"
                                                << "Some other value"
                                                << "1"
                                                << "keepTabsOnOpen"
                                                << "0";
    QTest::newRow("blanks around a number") << "Splash"
                                            << "Splash screen seconds"
                                            << " 4 "
                                            << "splashSeconds"
                                            << "4";
}

void TestGlobalUtl::loadValue()
{
    QFETCH(QString, sectionName);
    QFETCH(QString, valueName);
    QFETCH(QString, stored);
    QFETCH(QString, fieldName);
    QFETCH(QString, expected);
    pm::MemorySettingsStore store;
    store.writeString(section(sectionName), valueName, stored);
    loadSettings(base);
    QCOMPARE(field(fieldName), expected);
}

void TestGlobalUtl::saveThenLoadRestoresEveryField()
{
    pm::MemorySettingsStore store;
    optns& o = globalOptions;
    o.viewerType = 3;
    o.viewerFileName = QStringLiteral("/usr/bin/firefox \"x\"\\");
    o.autoInsertBR = true;
    o.autoInsertTags = false;
    o.statusBarVisible = false;
    o.defaultExt = QStringLiteral("htm");
    o.showSplash = false;
    o.splashSeconds = 7;
    o.toolsWindowDocked = false;
    o.toolsWindowTop = -20;
    o.toolsWindowLeft = 333;
    o.toolsWindowVisible = false;
    o.colorTags = false;
    o.font = TfontSettings { QStringLiteral("Arial"), 14, QStringLiteral("BoldItalic") };
    o.messageType = 1;
    o.logErrors = true;
    o.tagCase = 0;
    o.imagePreviewVisible = true;
    o.toolbarsVisible = false;
    o.autoCompleteTags = false;
    o.convertUnixStrings = false;
    o.keepTabsOnOpen = true;
    o.livePreview = true;
    o.publish = TPublishSettings { QStringLiteral("*.x"), QStringLiteral("ftp.example.com"), 2121,
        QStringLiteral("/www"), QStringLiteral("me"), QStringLiteral("p@ss\"w"), false, false };
    o.lastDialogFolder = QStringLiteral("/home/me/site/");
    o.mainWindowLeft = -8;
    o.mainWindowTop = 30;
    o.mainWindowWidth = 1200;
    o.mainWindowHeight = 700;
    o.mainWindowMaximized = true;
    projectFileName = QStringLiteral("/site/a.pmp");
    toolsWindowActivePage = 2;
    const optns saved = o;
    QVERIFY(saveSettings(base));

    globalOptions = optns();
    projectFileName.clear();
    toolsWindowActivePage = 0;
    loadSettings(base);
    const optns& l = globalOptions;
    QCOMPARE(l.viewerType, saved.viewerType);
    QCOMPARE(l.viewerFileName, saved.viewerFileName);
    QCOMPARE(l.autoInsertBR, saved.autoInsertBR);
    QCOMPARE(l.autoInsertTags, saved.autoInsertTags);
    QCOMPARE(l.statusBarVisible, saved.statusBarVisible);
    QCOMPARE(l.defaultExt, saved.defaultExt);
    QCOMPARE(l.showSplash, saved.showSplash);
    QCOMPARE(l.splashSeconds, saved.splashSeconds);
    QCOMPARE(l.toolsWindowDocked, saved.toolsWindowDocked);
    QCOMPARE(l.toolsWindowTop, saved.toolsWindowTop);
    QCOMPARE(l.toolsWindowLeft, saved.toolsWindowLeft);
    QCOMPARE(l.toolsWindowVisible, saved.toolsWindowVisible);
    QCOMPARE(l.colorTags, saved.colorTags);
    QCOMPARE(l.font.name, saved.font.name);
    QCOMPARE(l.font.size, saved.font.size);
    QCOMPARE(l.font.styles, saved.font.styles);
    QCOMPARE(l.messageType, saved.messageType);
    QCOMPARE(l.logErrors, saved.logErrors);
    QCOMPARE(l.tagCase, saved.tagCase);
    QCOMPARE(l.imagePreviewVisible, saved.imagePreviewVisible);
    QCOMPARE(l.toolbarsVisible, saved.toolbarsVisible);
    QCOMPARE(l.autoCompleteTags, saved.autoCompleteTags);
    QCOMPARE(l.convertUnixStrings, saved.convertUnixStrings);
    QCOMPARE(l.keepTabsOnOpen, saved.keepTabsOnOpen);
    QCOMPARE(l.livePreview, saved.livePreview);
    QCOMPARE(l.publish.remoteFilenameMask, saved.publish.remoteFilenameMask);
    QCOMPARE(l.publish.serverAddress, saved.publish.serverAddress);
    QCOMPARE(l.publish.serverPort, saved.publish.serverPort);
    QCOMPARE(l.publish.initialDirectory, saved.publish.initialDirectory);
    QCOMPARE(l.publish.userName, saved.publish.userName);
    QCOMPARE(l.publish.userPassword, saved.publish.userPassword);
    QCOMPARE(l.publish.autoLowercaseRemoteFilename, saved.publish.autoLowercaseRemoteFilename);
    QCOMPARE(l.publish.dialISP, saved.publish.dialISP);
    QCOMPARE(l.lastDialogFolder, saved.lastDialogFolder);
    QCOMPARE(l.mainWindowLeft, saved.mainWindowLeft);
    QCOMPARE(l.mainWindowTop, saved.mainWindowTop);
    QCOMPARE(l.mainWindowWidth, saved.mainWindowWidth);
    QCOMPARE(l.mainWindowHeight, saved.mainWindowHeight);
    QCOMPARE(l.mainWindowMaximized, saved.mainWindowMaximized);
    QCOMPARE(projectFileName, u"/site/a.pmp"_qs);
    QCOMPARE(toolsWindowActivePage, 2);
}

void TestGlobalUtl::hooksRunAtTheirPlace()
{
    pm::MemorySettingsStore store;
    store.writeString(section(u"Toolbars&Windows"_qs), u"Tools Window active page#"_qs, u"1"_qs);
    int appliedPage = -1;
    QString positionsKey;
    qsizetype writesBeforePositions = -1;
    struct Windows : TSettingsWindows {
        std::function<void(int)> page;
        std::function<void()> before;
        std::function<void(const QString&)> positions;
        void applyToolsWindowPage(int p) override { page(p); }
        void beforeSave() override { before(); }
        void saveToolbarPositions(const QString& key) override { positions(key); }
    } windows;
    windows.page = [&](int page) { appliedPage = page; };
    windows.before = [&] {
        QVERIFY(store.writes.size() == 1); // nothing of the save written yet
        globalOptions.toolsWindowLeft = 640;
        toolsWindowActivePage = 3;
    };
    windows.positions = [&](const QString& key) {
        positionsKey = key;
        writesBeforePositions = store.writes.size();
        store.writeString(key, u"Toolbars Count"_qs, u"0"_qs);
    };
    loadSettings(base, &windows);
    QCOMPARE(appliedPage, 1);
    QVERIFY(saveSettings(base, &windows));
    QCOMPARE(positionsKey, u"Software\\Orvane\\Pagemason\\Toolbars&Windows\\Toolbars Positions"_qs);
    // Right after "Toolbars visible", before the splash section.
    QVERIFY(store.writes.at(writesBeforePositions - 1).endsWith(u"Toolbars visible=1"_qs));
    QVERIFY(store.writes.at(writesBeforePositions + 1).endsWith(u"Show splash screen=1"_qs));
    QVERIFY(store.writes.contains(
        u"Software\\Orvane\\Pagemason\\Toolbars&Windows\\Tools Window left=640"_qs));
    QVERIFY(store.writes.contains(
        u"Software\\Orvane\\Pagemason\\Toolbars&Windows\\Tools Window active page#=3"_qs));
}

void TestGlobalUtl::fontDescriptor_data()
{
    QTest::addColumn<QString>("descriptor");
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("points");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<bool>("underline");
    QTest::addColumn<bool>("strikeOut");
    QTest::addColumn<int>("color");

    QTest::newRow("empty names the font _") << ""
                                            << "_" << 12 << true << false << false << false << 7;
    QTest::newRow("full") << "Arial,14,Bold Italic,255"
                          << "Arial" << 14 << true << true << false << false << 255;
    QTest::newRow("words run together") << "Arial,9,UnderlineStrikeout,,"
                                        << "Arial" << 9 << false << false << true << true << 0;
    QTest::newRow("lower-case words do nothing")
        << "Arial,9,bold italic,,"
        << "Arial" << 9 << false << false << false << false << 0;
    QTest::newRow("styles reset") << "Arial,,,"
                                  << "Arial" << -1 << false << false << false << false << 0;
    QTest::newRow("name only") << "Times"
                               << "Times" << -1 << false << false << false << false << 0;
}

void TestGlobalUtl::fontDescriptor()
{
    QFETCH(QString, descriptor);
    QFETCH(QString, family);
    QFETCH(int, points);
    QFETCH(bool, bold);
    QFETCH(bool, italic);
    QFETCH(bool, underline);
    QFETCH(bool, strikeOut);
    QFETCH(int, color);

    QFont font(QStringLiteral("Before"), 12);
    font.setBold(true);
    int32_t c = 7;
    parseFontDescriptor(descriptor, font, &c);
    QCOMPARE(font.family(), family);
    if (points > 0)
        QCOMPARE(font.pointSize(), points);
    else
        QCOMPARE(font.pointSize(), QFont(QString()).pointSize()); // not the 12 of before
    QCOMPARE(font.bold(), bold);
    QCOMPARE(font.italic(), italic);
    QCOMPARE(font.underline(), underline);
    QCOMPARE(font.strikeOut(), strikeOut);
    QCOMPARE(c, color);
}

void TestGlobalUtl::editorFontFromSettings_data()
{
    QTest::addColumn<QString>("styles");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");
    QTest::newRow("BoldItalic") << "BoldItalic" << true << true;
    QTest::newRow("bold in lower case") << "bold" << false << false;
    QTest::newRow("none") << "" << false << false;
}

void TestGlobalUtl::editorFontFromSettings()
{
    QFETCH(QString, styles);
    QFETCH(bool, bold);
    QFETCH(bool, italic);
    pm::MemorySettingsStore store;
    store.writeString(section(u"Edit"_qs), u"Font styles"_qs, styles);
    store.writeString(section(u"Edit"_qs), u"Font size"_qs, u"11"_qs);
    loadSettings(base);
    QCOMPARE(editorFont.family(), u"Courier New"_qs);
    QCOMPARE(editorFont.pointSize(), 11);
    QCOMPARE(editorFont.bold(), bold);
    QCOMPARE(editorFont.italic(), italic);
    // Courier New need not be installed: a fixed-pitch face of the same metrics stands in.
    const QFontInfo shown(editorFont);
    QVERIFY2(shown.fixedPitch(), qPrintable(shown.family()));
}

void TestGlobalUtl::unixPathIfWanted_data()
{
    QTest::addColumn<bool>("convert");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("drive path") << true << "C:\\web\\a.gif"
                                << "C|/web/a.gif";
    QTest::newRow("relative") << true << "img\\b.gif"
                              << "img/b.gif";
    QTest::newRow("colon without backslash") << true << "http://x/a"
                                             << "http://x/a";
    QTest::newRow("empty") << true << ""
                           << "";
    QTest::newRow("off") << false << "C:\\web\\a.gif"
                         << "C:\\web\\a.gif";
}

void TestGlobalUtl::unixPathIfWanted()
{
    QFETCH(bool, convert);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    globalOptions.convertUnixStrings = convert;
    QCOMPARE(::unixPathIfWanted(text), expected);
}

void TestGlobalUtl::fileNamesFollowTheApplicationFolder()
{
    setApplicationFolder(QStringLiteral("/opt/pm"));
    setFileNames();
    QCOMPARE(applicationFolder, u"/opt/pm/"_qs);
    QCOMPARE(pluginsFolder, u"/opt/pm/plugins/"_qs);
    QCOMPARE(projectDir, u"/opt/pm/"_qs);
    const QStringList names = { hotkeysFileName, toolbarFileName, errorLogFileName, historyFileName,
        helpFileName, colorRulesFileName, dynamicMenusFileName };
    QCOMPARE(names,
        QStringList({ u"/opt/pm/Pagemason.HotKeys"_qs, u"/opt/pm/Pagemason.tb"_qs,
            u"/opt/pm/Pagemason.err"_qs, u"/opt/pm/recent.lst"_qs, u"/opt/pm/Pagemason.hlp"_qs,
            u"/opt/pm/Pagemason.colors"_qs, u"/opt/pm/default.mnu"_qs }));
}

QTEST_MAIN(TestGlobalUtl)
#include "tst_global_utl.moc"
