/** @file settings_utl.cpp ** Loading and saving the settings record, and the editor font built
 ** from it. **/
#include "core/settings_utl.h"

#include "platform/SettingsStore.h"

#include <QFont>

#include <limits>

QFont editorFont;

namespace {

constexpr int viewerFileNameLimit = 255;
constexpr int defaultExtLimit = 4;
constexpr int fontNameLimit = 32;

/// Reads one section of the settings; missing values and texts that do not convert give the
/// default.
class SectionReader
{
public:
    SectionReader(pm::SettingsStore& store, const QString& key)
        : m_store(store)
        , m_key(key)
    {
    }

    QString text(const QString& name, const QString& fallback, int limit = -1) const
    {
        const QString value = m_store.readString(m_key, name, fallback);
        return limit >= 0 ? value.left(limit) : value;
    }

    /// Decimal, or hexadecimal after "0x" when the text is longer than two characters.
    /// Values outside [low, high] count as not converting: no silent wrap into a small field.
    int64_t integer(const QString& name, int64_t fallback, int64_t low, int64_t high) const
    {
        const auto stored = m_store.readString(m_key, name);
        if (!stored)
            return fallback;
        const QString s = stored->trimmed();
        bool ok = false;
        int64_t value = 0;
        if (s.size() > 2 && (s.startsWith(u"0x") || s.startsWith(u"0X"))) {
            const uint32_t bits = s.mid(2).toUInt(&ok, 16);
            // a 32-bit hexadecimal text names the bit pattern: 0xFFFFFFFF is -1
            value = low < 0 ? int64_t(int32_t(bits)) : int64_t(bits);
        } else {
            value = s.toLongLong(&ok, 10);
        }
        if (!ok || value < low || value > high)
            return fallback;
        return value;
    }

    int32_t int32(const QString& name, int32_t fallback) const
    {
        return int32_t(integer(name, fallback, std::numeric_limits<int32_t>::min(),
            std::numeric_limits<int32_t>::max()));
    }
    uint8_t uint8(const QString& name, uint8_t fallback) const
    {
        return uint8_t(integer(name, fallback, 0, 255));
    }
    /// Read as an integer: anything but 0 is true.
    bool boolean(const QString& name, bool fallback) const
    {
        return integer(name, fallback ? 1 : 0, std::numeric_limits<int32_t>::min(),
                   std::numeric_limits<int32_t>::max())
            != 0;
    }

private:
    pm::SettingsStore& m_store;
    QString m_key;
};

class SectionWriter
{
public:
    SectionWriter(pm::SettingsStore& store, const QString& key)
        : m_store(store)
        , m_key(key)
    {
    }
    void text(const QString& name, const QString& value)
    {
        m_ok &= m_store.writeString(m_key, name, value);
    }
    void integer(const QString& name, int64_t value) { text(name, QString::number(value)); }
    void boolean(const QString& name, bool value)
    {
        text(name, value ? QStringLiteral("1") : QStringLiteral("0"));
    }
    bool ok() const { return m_ok; }

private:
    pm::SettingsStore& m_store;
    QString m_key;
    bool m_ok = true;
};

QString section(const QString& key, const char16_t* name)
{
    return key + u'\\' + QString::fromUtf16(name);
}

void installFontFallbacks()
{
    // Courier New is rarely installed on Linux; its metric-compatible twins take its place.
    static const bool done = [] {
        QFont::insertSubstitutions(QStringLiteral("Courier New"),
            { QStringLiteral("Liberation Mono"), QStringLiteral("Cousine"),
                QStringLiteral("DejaVu Sans Mono") });
        return true;
    }();
    (void)done;
}

} // namespace

void loadSettings(const QString& key, TSettingsWindows* frame)
{
    pm::SettingsStore& store = pm::settingsStore();
    const optns defaults;
    optns& o = globalOptions;

    SectionReader viewers(store, section(key, u"Viewers"));
    o.viewerType = viewers.uint8(QStringLiteral("Viewer type"), defaults.viewerType);
    o.viewerFileName = viewers.text(
        QStringLiteral("Viewer File Name"), defaults.viewerFileName, viewerFileNameLimit);

    SectionReader files(store, section(key, u"Files"));
    o.defaultExt = files.text(QStringLiteral("Default Ext"), defaults.defaultExt, defaultExtLimit);
    projectFileName = files.text(QStringLiteral("Last project"), QString());

    SectionReader edit(store, section(key, u"Edit"));
    o.font.name = edit.text(QStringLiteral("Font name"), defaults.font.name, fontNameLimit);
    o.font.size = edit.int32(QStringLiteral("Font size"), defaults.font.size);
    o.font.styles = edit.text(QStringLiteral("Font styles"), defaults.font.styles);
    o.colorTags = edit.boolean(QStringLiteral("Color tags"), defaults.colorTags);
    o.autoInsertBR = edit.boolean(QStringLiteral("Autoinsert <BR>"), defaults.autoInsertBR);
    o.autoInsertTags
        = edit.boolean(QStringLiteral("Autoinsert tags when New HTML"), defaults.autoInsertTags);
    o.tagCase = edit.uint8(QStringLiteral("Tag case"), defaults.tagCase);
    o.autoCompleteTags
        = edit.boolean(QStringLiteral("Auto complete tags"), defaults.autoCompleteTags);
    o.convertUnixStrings = edit.boolean(
        QStringLiteral("Convert strings to Unix strings"), defaults.convertUnixStrings);

    SectionReader errors(store, section(key, u"Errors handeling"));
    o.messageType = errors.uint8(QStringLiteral("Message type"), defaults.messageType);
    o.logErrors = errors.boolean(QStringLiteral("Log errors"), defaults.logErrors);

    SectionReader windows(store, section(key, u"Toolbars&Windows"));
    o.toolsWindowDocked
        = windows.boolean(QStringLiteral("Tools Window docked"), defaults.toolsWindowDocked);
    o.toolsWindowLeft
        = windows.int32(QStringLiteral("Tools Window left"), defaults.toolsWindowLeft);
    o.toolsWindowTop = windows.int32(QStringLiteral("Tools Window top"), defaults.toolsWindowTop);
    o.toolsWindowVisible
        = windows.boolean(QStringLiteral("Tools Window visible"), defaults.toolsWindowVisible);
    toolsWindowActivePage = windows.int32(QStringLiteral("Tools Window active page#"), 0);
    if (frame)
        frame->applyToolsWindowPage(toolsWindowActivePage);
    o.imagePreviewVisible
        = windows.boolean(QStringLiteral("Image Preview Visible"), defaults.imagePreviewVisible);
    o.statusBarVisible
        = windows.boolean(QStringLiteral("Status Bar visible"), defaults.statusBarVisible);
    o.toolbarsVisible
        = windows.boolean(QStringLiteral("Toolbars visible"), defaults.toolbarsVisible);

    SectionReader splash(store, section(key, u"Splash"));
    o.showSplash = splash.boolean(QStringLiteral("Show splash screen"), defaults.showSplash);
    o.splashSeconds = splash.uint8(QStringLiteral("Splash screen seconds"), defaults.splashSeconds);

    SectionReader publish(store, section(key, u"Publish"));
    TPublishSettings& p = o.publish;
    const TPublishSettings& pd = defaults.publish;
    p.remoteFilenameMask
        = publish.text(QStringLiteral("Remote filename mask"), pd.remoteFilenameMask);
    p.serverAddress = publish.text(QStringLiteral("Server Address"), pd.serverAddress);
    p.serverPort = publish.int32(QStringLiteral("Server Port"), pd.serverPort);
    p.initialDirectory = publish.text(QStringLiteral("Initial Directory"), pd.initialDirectory);
    p.userName = publish.text(QStringLiteral("User name"), pd.userName);
    p.userPassword = publish.text(QStringLiteral("User password"), pd.userPassword);
    p.autoLowercaseRemoteFilename = publish.boolean(
        QStringLiteral("Auto lowercase remote filename"), pd.autoLowercaseRemoteFilename);
    p.dialISP = publish.boolean(QStringLiteral("Dial ISP"), pd.dialISP);

    // Our own values.
    o.keepTabsOnOpen = edit.boolean(QStringLiteral("Keep tabs on open"), defaults.keepTabsOnOpen);
    o.livePreview = windows.boolean(QStringLiteral("Live preview visible"), defaults.livePreview);
    o.lastDialogFolder = files.text(QStringLiteral("Last folder"), defaults.lastDialogFolder);
    o.mainWindowLeft = windows.int32(QStringLiteral("Main Window left"), defaults.mainWindowLeft);
    o.mainWindowTop = windows.int32(QStringLiteral("Main Window top"), defaults.mainWindowTop);
    o.mainWindowWidth
        = windows.int32(QStringLiteral("Main Window width"), defaults.mainWindowWidth);
    o.mainWindowHeight
        = windows.int32(QStringLiteral("Main Window height"), defaults.mainWindowHeight);
    o.mainWindowMaximized
        = windows.boolean(QStringLiteral("Main Window maximized"), defaults.mainWindowMaximized);

    rebuildEditorFont();
}

bool saveSettings(const QString& key, TSettingsWindows* frame)
{
    if (frame)
        frame->beforeSave();

    pm::SettingsStore& store = pm::settingsStore();
    pm::SettingsUpdate update(store); // the whole save reaches the store as one step
    const optns& o = globalOptions;
    bool ok = store.writeString(key, QString(), QStringLiteral("2.3"));

    SectionWriter files(store, section(key, u"Files"));
    files.text(QStringLiteral("Default Ext"), o.defaultExt);
    files.text(QStringLiteral("Last project"), projectFileName);

    SectionWriter viewers(store, section(key, u"Viewers"));
    viewers.text(QStringLiteral("Viewer File Name"), o.viewerFileName);
    viewers.integer(QStringLiteral("Viewer type"), o.viewerType);

    SectionWriter edit(store, section(key, u"Edit"));
    edit.text(QStringLiteral("Font name"), o.font.name);
    edit.integer(QStringLiteral("Font size"), o.font.size);
    edit.text(QStringLiteral("Font styles"), o.font.styles);
    edit.integer(QStringLiteral("Tag case"), o.tagCase);
    edit.boolean(QStringLiteral("Color tags"), o.colorTags);
    edit.boolean(QStringLiteral("Autoinsert <BR>"), o.autoInsertBR);
    edit.boolean(QStringLiteral("Autoinsert tags when New HTML"), o.autoInsertTags);
    edit.boolean(QStringLiteral("Auto complete tags"), o.autoCompleteTags);
    edit.boolean(QStringLiteral("Convert strings to Unix strings"), o.convertUnixStrings);

    SectionWriter errors(store, section(key, u"Errors handeling"));
    errors.integer(QStringLiteral("Message type"), o.messageType);
    errors.boolean(QStringLiteral("Log errors"), o.logErrors);

    SectionWriter windows(store, section(key, u"Toolbars&Windows"));
    windows.boolean(QStringLiteral("Tools Window docked"), o.toolsWindowDocked);
    windows.integer(QStringLiteral("Tools Window left"), o.toolsWindowLeft);
    windows.integer(QStringLiteral("Tools Window top"), o.toolsWindowTop);
    windows.boolean(QStringLiteral("Tools Window visible"), o.toolsWindowVisible);
    windows.integer(QStringLiteral("Tools Window active page#"), toolsWindowActivePage);
    windows.boolean(QStringLiteral("Image Preview visible"), o.imagePreviewVisible);
    windows.boolean(QStringLiteral("Status Bar visible"), o.statusBarVisible);
    windows.boolean(QStringLiteral("Toolbars visible"), o.toolbarsVisible);

    if (frame)
        frame->saveToolbarPositions(section(key, u"Toolbars&Windows\\Toolbars Positions"));

    SectionWriter splash(store, section(key, u"Splash"));
    splash.boolean(QStringLiteral("Show splash screen"), o.showSplash);
    splash.integer(QStringLiteral("Splash screen seconds"), o.splashSeconds);

    SectionWriter publish(store, section(key, u"Publish"));
    const TPublishSettings& p = o.publish;
    publish.text(QStringLiteral("Remote filename mask"), p.remoteFilenameMask);
    publish.text(QStringLiteral("Server Address"), p.serverAddress);
    publish.integer(QStringLiteral("Server Port"), p.serverPort);
    publish.text(QStringLiteral("Initial Directory"), p.initialDirectory);
    publish.text(QStringLiteral("User name"), p.userName);
    publish.text(QStringLiteral("User password"), p.userPassword);
    publish.boolean(
        QStringLiteral("Auto lowercase remote filename"), p.autoLowercaseRemoteFilename);
    publish.boolean(QStringLiteral("Dial ISP"), p.dialISP);

    // Our own values come after the designed ones, so those keep their order.
    files.text(QStringLiteral("Last folder"), o.lastDialogFolder);
    edit.boolean(QStringLiteral("Keep tabs on open"), o.keepTabsOnOpen);
    windows.boolean(QStringLiteral("Live preview visible"), o.livePreview);
    windows.integer(QStringLiteral("Main Window left"), o.mainWindowLeft);
    windows.integer(QStringLiteral("Main Window top"), o.mainWindowTop);
    windows.integer(QStringLiteral("Main Window width"), o.mainWindowWidth);
    windows.integer(QStringLiteral("Main Window height"), o.mainWindowHeight);
    windows.boolean(QStringLiteral("Main Window maximized"), o.mainWindowMaximized);

    ok = ok && files.ok() && viewers.ok() && edit.ok() && errors.ok() && windows.ok() && splash.ok()
        && publish.ok();
    return update.finish() && ok;
}

void parseFontDescriptor(const QString& descriptor, QFont& font, int32_t* color)
{
    if (descriptor.isEmpty()) {
        font.setFamily(QStringLiteral("_"));
        return;
    }
    font = QFont(QString());
    if (color)
        *color = 0;
    const QStringList fields = descriptor.split(u',');
    font.setFamily(fields.value(0));
    const QString size = fields.value(1);
    if (!size.isEmpty()) {
        bool ok = false;
        const int points = size.toInt(&ok);
        // A negative size is a height in pixels, as Windows font descriptors give it.
        if (ok && points > 0)
            font.setPointSize(points);
        else if (ok && points < 0)
            font.setPixelSize(-points);
    }
    const QString styles = fields.value(2);
    font.setBold(styles.contains(u"Bold"));
    font.setItalic(styles.contains(u"Italic"));
    font.setUnderline(styles.contains(u"Underline"));
    font.setStrikeOut(styles.contains(u"Strikeout"));
    const QString colour = fields.value(3);
    if (color && !colour.isEmpty()) {
        bool ok = false;
        const int value = colour.toInt(&ok);
        if (ok)
            *color = value;
    }
}

void rebuildEditorFont()
{
    installFontFallbacks();
    const TfontSettings& f = globalOptions.font;
    parseFontDescriptor(
        f.name + u',' + QString::number(f.size) + u',' + f.styles + u",,", editorFont);
    editorFont.setStyleHint(QFont::TypeWriter); // a missing face falls back to a fixed pitch one
    editorFont.setFixedPitch(true);
}
