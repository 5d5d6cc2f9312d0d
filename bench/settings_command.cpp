/** @file settings_command.cpp ** `pagemason-bench settings`: a large settings store read at start
 ** and written at exit, as the program does. **/
#include "BenchCommand.h"

#include "platform/RegFileStore.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>

namespace {

using Root = pm::SettingsStore::Root;

const QString mainKey = QStringLiteral("Software\\Orvane\\Pagemason");

/// Section and value names the program reads at start and writes at exit.
const QList<std::pair<const char*, QList<const char*>>>& settingsValues()
{
    static const QList<std::pair<const char*, QList<const char*>>> values {
        { "Viewers", { "Viewer type", "Viewer File Name" } },
        { "Files", { "Default Ext", "Last project" } },
        { "Edit",
            { "Font name", "Font size", "Font styles", "Color tags", "Autoinsert <BR>",
                "Autoinsert tags when New HTML", "Tag case", "Auto complete tags",
                "Convert strings to Unix strings" } },
        { "Errors handeling", { "Message type", "Log errors" } },
        { "Toolbars&Windows",
            { "Tools Window docked", "Tools Window left", "Tools Window top",
                "Tools Window visible", "Tools Window active page#", "Image Preview Visible",
                "Status Bar visible", "Toolbars visible" } },
        { "Splash", { "Show splash screen", "Splash screen seconds" } },
        { "Publish",
            { "Remote filename mask", "Server Address", "Server Port", "Initial Directory",
                "User name", "User password", "Auto lowercase remote filename", "Dial ISP" } },
    };
    return values;
}

QString section(const char* name)
{
    return mainKey + u'\\' + QLatin1StringView(name);
}

/// A store of about `bytes` bytes holding the program's own settings and, by `shape`:
/// "export" many keys as a registry export has (strings, dwords, binary values over lines),
/// "values" one key of many values, "hex" one binary value over many lines.
QByteArray generateStore(const QString& shape, qsizetype bytes)
{
    QByteArray out = "REGEDIT4\r\n";
    out.reserve(bytes + 4096);
    for (const auto& [name, values] : settingsValues()) {
        out += "\r\n[HKEY_CURRENT_USER\\" + section(name).toUtf8() + "]\r\n";
        for (const char* value : values)
            out += "\"" + QByteArray(value) + "\"=\"1\"\r\n";
    }
    for (const char* list : { "Reopen List", "Project Reopen List" }) {
        out += "\r\n[HKEY_CURRENT_USER\\" + section(list).toUtf8() + "]\r\n";
        for (int k = 0; k < 10; ++k)
            out += "\"" + QByteArray::number(k) + "\"=\"/home/user/site/page"
                + QByteArray::number(k) + ".html\"\r\n";
    }
    qsizetype i = 0;
    if (shape == u"values") {
        out += "\r\n[HKEY_CURRENT_USER\\Software\\Vendor\\Tool\\History]\r\n";
        while (out.size() < bytes) {
            out += "\"Entry " + QByteArray::number(i) + "\"=\"/home/user/projects/site/page"
                + QByteArray::number(i) + ".html\"\r\n";
            ++i;
        }
    } else if (shape == u"hex") {
        out += "\r\n[HKEY_CURRENT_USER\\Software\\Vendor\\Tool]\r\n\"Blob\"=hex:00";
        while (out.size() < bytes)
            out += ",\\\r\n  "
                   "01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,18";
        out += "\r\n";
    } else {
        while (out.size() < bytes) {
            out += "\r\n[HKEY_CURRENT_USER\\Software\\Vendor" + QByteArray::number(i / 50)
                + "\\Application\\Component" + QByteArray::number(i) + "]\r\n";
            out += "\"Name\"=\"some text value " + QByteArray::number(i)
                + "\"\r\n\"Count\"=dword:0000002a\r\n";
            out += "\"Blob\"=hex:01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,"
                   "15,\\\r\n  16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,"
                   "2b,2c,2d,\\\r\n  2e,2f\r\n";
            ++i;
        }
    }
    return out;
}

qint64 median(QList<qint64> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v.at(v.size() / 2);
}

int runSettings(const QStringList& args)
{
    QTextStream err(stderr);
    QTextStream out(stdout);
    QString file;
    QString shape = QStringLiteral("export");
    qsizetype megabytes = 45;
    int runs = 3;
    bool names = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == u"--shape" && i + 1 < args.size())
            shape = args.at(++i);
        else if (a == u"--mb" && i + 1 < args.size())
            megabytes = args.at(++i).toInt();
        else if (a == u"--runs" && i + 1 < args.size())
            runs = std::max(1, args.at(++i).toInt());
        else if (a == u"--names")
            names = true;
        else if (!a.startsWith(u"--") && file.isEmpty())
            file = a;
        else {
            err << "usage: pagemason-bench settings [FILE] [--shape export|values|hex] [--mb N]"
                   " [--runs N] [--names]"
                << Qt::endl;
            return 2;
        }
    }
    QByteArray original;
    if (!file.isEmpty()) {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly)) {
            err << file << ": " << f.errorString() << Qt::endl;
            return 1;
        }
        original = f.readAll();
    } else {
        original = generateStore(shape, megabytes << 20);
    }

    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("Pagemason.reg"));
    QList<qint64> start, exit, listing;
    int found = 0;
    for (int run = 0; run < runs; ++run) {
        {
            QFile f(copy);
            if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)
                || f.write(original) != original.size()) {
                err << copy << ": " << f.errorString() << Qt::endl;
                return 1;
            }
        }
        QElapsedTimer clock;
        clock.start();
        pm::RegFileStore store(copy);
        for (const auto& [name, values] : settingsValues())
            for (const char* value : values)
                found += store.readString(section(name), QLatin1StringView(value)).has_value();
        for (const char* list : { "Reopen List", "Project Reopen List" })
            for (int k = 0; k < 10; ++k)
                found += store.readString(section(list), QString::number(k)).has_value();
        start.append(clock.restart());

        {
            pm::SettingsUpdate update(store);
            store.writeString(mainKey, QString(), QStringLiteral("2.3"));
            for (const auto& [name, values] : settingsValues())
                for (const char* value : values)
                    store.writeString(
                        section(name), QLatin1StringView(value), QString::number(run + 2));
            if (!update.finish()) {
                err << store.lastError() << Qt::endl;
                return 1;
            }
        }
        for (const char* list : { "Reopen List", "Project Reopen List" }) {
            pm::SettingsUpdate update(store);
            for (int k = 0; k < 10; ++k)
                store.writeString(section(list), QString::number(k),
                    QStringLiteral("/home/user/other/page") + QString::number(k + run));
            if (!update.finish()) {
                err << store.lastError() << Qt::endl;
                return 1;
            }
        }
        exit.append(clock.restart());

        if (names) {
            // Listing calls: every key's value names, every subkey list, a missing key.
            pm::RegFileStore reader(copy);
            reader.readValue(Root::CurrentUser, mainKey, QString());
            qsizetype listed
                = reader.subKeyNames(Root::CurrentUser, QStringLiteral("Software")).size();
            listed += reader
                          .valueNames(
                              Root::CurrentUser, QStringLiteral("Software\\Vendor\\Tool\\History"))
                          .size();
            listed += reader.keyExists(Root::CurrentUser, QStringLiteral("Software\\Missing"));
            listing.append(clock.elapsed());
            found += int(listed > 0);
        }
    }
    out << "settings " << (file.isEmpty() ? shape : QFileInfo(file).fileName()) << " "
        << original.size() << " bytes, median of " << runs << " runs: start_ms " << median(start)
        << " exit_ms " << median(exit);
    if (names)
        out << " listing_ms " << median(listing);
    out << " (" << found << " values found)" << Qt::endl;
    return 0;
}

const bool registered = pmbench::registerCommand({ "settings",
    "settings [FILE] [--shape export|values|hex] [--mb N] [--runs N] [--names]: read a large "
    "settings store as the start does, write it as the exit does",
    &runSettings });

} // namespace
