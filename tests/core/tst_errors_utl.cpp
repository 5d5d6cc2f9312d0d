/** @file tst_errors_utl.cpp ** Error messages in both forms, the error box and the error log. **/
#include "core/errors_utl.h"
#include "core/global_utl.h"
#include "platform/ScriptedDialogs.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

using Kind = pm::Dialogs::Kind;
using Buttons = pm::Dialogs::Buttons;

class TestErrorsUtl : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void message_data();
    void message();
    void boxIsAnErrorWithOk();
    void logEntryIsTwoLines();
    void missingLogShowsSecondBoxAndStaysAbsent();
    void unwritableLogIsReportedNotThrown();
    void noLogWhenNotAsked();

private:
    QString today() const
    {
        return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
    }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestErrorsUtl::init()
{
    globalOptions = optns();
    m_dir = std::make_unique<QTemporaryDir>();
    errorLogFileName = m_dir->filePath(QStringLiteral("Pagemason.err"));
}

void TestErrorsUtl::message_data()
{
    QTest::addColumn<int>("messageType");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("param");
    QTest::addColumn<QString>("expected");

    QTest::newRow("short file not found") << 1 << 1 << "C:\\a.htm"
                                          << "The file\r\nC:\\a.htm\r\nwas not found";
    QTest::newRow("detailed file not found")
        << 0 << 1 << "/x/a.htm"
        << "The file\r\n/x/a.htm\r\nwas not found. Please,\r\n  Check for typos\r\n  Check if this "
           "file "
           "exists somewhere else in another directory or drive\r\n";
    QTest::newRow("generic short") << 1 << 14 << "abc"
                                   << "abc";
    QTest::newRow("generic detailed") << 0 << 14 << "abc"
                                      << "abc";
    QTest::newRow("no error detailed") << 0 << 0 << "x"
                                       << "No error. Please ignore.";
    QTest::newRow("no placeholder keeps text") << 1 << 2 << "ignored"
                                               << "Out of memory";
    QTest::newRow("menus typo kept") << 1 << 4 << "m.mnu"
                                     << "m.mnu\r\nis not a valid menus flie";
    QTest::newRow("menus detailed quotes")
        << 0 << 4 << "m.mnu"
        << "m.mnu\r\nis not a valid menus file.\r\n  Try another file.\r\n  If you edited this "
           "file (and "
           "saved a backup), use the backup.  If you still have the ZIP file of Pagemason, unzip "
           "it and "
           "copy the file \"Default.mnu\" to the program directory.";
    QTest::newRow("position in a template error")
        << 0 << 8 << "12"
        << "Error in position 12: No comma was found inside request.\r\n  You must put a comma "
           "inside a "
           "request tag.\r\n\r\nRequest tag syntax:\r\n{= 'Type the request description here', "
           "request_type=}";
    QTest::newRow("short template error has no position") << 1 << 8 << "12"
                                                          << "No comma was found inside request";
    QTest::newRow("ends with an apostrophe")
        << 0 << 12 << "3"
        << "Error in position 3: Tag description string not closed\r\n  A tag description must be "
           "opened and closed with '";
    QTest::newRow("mask") << 1 << 15 << "abc"
                          << "abc\r\n is not a valid mask ('*' not found).";
    QTest::newRow("plugin quoted")
        << 1 << 21 << "Hello"
        << "The plugin called \"Hello\" was not found in the plugin collecion file";
    QTest::newRow("plugins folder")
        << 0 << 22 << "tools.so"
        << "The plugin collection file \"tools.so\" was not found\r\nThe plugin collection file "
           "must be "
           "located in the plugins\\ subdirectory of Pagemason's main directory";
    QTest::newRow("last code") << 1 << 23 << ""
                               << "An error has ocured in the plugin";
    QTest::newRow("parameter is not a format") << 1 << 14 << "100% %s done"
                                               << "100% %s done";
    QTest::newRow("code beyond the table") << 1 << 24 << ""
                                           << "Unknown error.";
    QTest::newRow("unknown message type shows detailed") << 2 << 14 << "abc"
                                                         << "abc";
}

void TestErrorsUtl::message()
{
    QFETCH(int, messageType);
    QFETCH(int, code);
    QFETCH(QString, param);
    QFETCH(QString, expected);
    globalOptions.messageType = uint8_t(messageType);
    QCOMPARE(formatErrorMessage(uint8_t(code), param), expected);
    // Asked for a type, the setting plays no part.
    globalOptions.messageType = uint8_t(messageType == 1 ? 0 : 1);
    QCOMPARE(formatErrorMessage(uint8_t(code), param, uint8_t(messageType)), expected);
}

void TestErrorsUtl::boxIsAnErrorWithOk()
{
    pm::ScriptedDialogs dialogs;
    globalOptions.messageType = 1;
    showError(3, QStringLiteral("p.pmp"));
    QCOMPARE(dialogs.shown().size(), 1);
    QCOMPARE(dialogs.shown().first().kind, Kind::Error);
    QCOMPARE(dialogs.shown().first().buttons, Buttons::Ok);
    QCOMPARE(dialogs.shown().first().text, u"p.pmp\r\nis not a valid project file"_qs);
    QVERIFY(!QFile::exists(errorLogFileName));
}

void TestErrorsUtl::logEntryIsTwoLines()
{
    pm::ScriptedDialogs dialogs;
    globalOptions.logErrors = true;
    globalOptions.messageType = 1;
    QFile log(errorLogFileName);
    QVERIFY(log.open(QIODevice::WriteOnly)); // an existing empty log
    log.close();

    showError(14, QStringLiteral("abc"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QCOMPARE(log.readAll(), (today() + u" - \r\nabc\r\n"_qs).toUtf8());
    log.close();

    showError(1, QStringLiteral("/x.htm")); // appended; CR LF inside the message kept
    QVERIFY(log.open(QIODevice::ReadOnly));
    QCOMPARE(log.readAll(),
        (today() + u" - \r\nabc\r\n"_qs + today()
            + u" - \r\nThe file\r\n/x.htm\r\nwas not found\r\n"_qs)
            .toUtf8());
    QCOMPARE(dialogs.shown().size(), 2);
}

void TestErrorsUtl::missingLogShowsSecondBoxAndStaysAbsent()
{
    pm::ScriptedDialogs dialogs;
    globalOptions.logErrors = true;
    globalOptions.messageType = 1;
    showError(14, QStringLiteral("abc"));
    QCOMPARE(dialogs.shown().size(), 2);
    QCOMPARE(dialogs.shown().at(0).text, u"abc"_qs);
    QCOMPARE(dialogs.shown().at(1).kind, Kind::Error);
    QCOMPARE(dialogs.shown().at(1).text,
        u"The file\r\n"_qs + errorLogFileName + u"\r\nwas not found"_qs);
    QVERIFY(!QFile::exists(errorLogFileName));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

void TestErrorsUtl::unwritableLogIsReportedNotThrown()
{
    pm::ScriptedDialogs dialogs;
    globalOptions.logErrors = true;
    QVERIFY(QDir().mkpath(errorLogFileName)); // exists, but a folder cannot take an entry
    showError(14, QStringLiteral("abc"));
    QCOMPARE(dialogs.shown().size(), 2);
    QVERIFY(dialogs.shown().at(1).text.startsWith(u"The error log\r\n"_qs + errorLogFileName));
    QCOMPARE(dialogs.shown().at(1).kind, Kind::Error);
}

void TestErrorsUtl::noLogWhenNotAsked()
{
    pm::ScriptedDialogs dialogs;
    QFile log(errorLogFileName);
    QVERIFY(log.open(QIODevice::WriteOnly));
    log.close();
    showError(14, QStringLiteral("abc"));
    QCOMPARE(QFileInfo(errorLogFileName).size(), 0);
    QCOMPARE(dialogs.shown().size(), 1);
}

QTEST_GUILESS_MAIN(TestErrorsUtl)
#include "tst_errors_utl.moc"
