/** @file errors_utl.cpp ** The error message tables, the error box and the error log. **/
#include "core/errors_utl.h"

#include "core/global_utl.h"
#include "platform/Dialogs.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

namespace {

constexpr int errorCount = 24;

const char16_t* const shortMessages[errorCount] = {
    u"No error",
    u"The file\r\n%s\r\nwas not found",
    u"Out of memory",
    u"%s\r\nis not a valid project file",
    u"%s\r\nis not a valid menus flie",
    u"Unknown error.",
    u"Opening request tag not found",
    u"Closing request tag not found",
    u"No comma was found inside request",
    u"Nested requests",
    u"More than one empty requests found",
    u"Unknown request type",
    u"Tag description string not closed",
    u"Request parameters are not closed",
    u"%s",
    u"%s\r\n is not a valid mask ('*' not found).",
    u"Error: Not connected",
    u"Error while talking to FTP server",
    u"Error while trying to connect ISP",
    u"The menu item was not found: %s",
    u"%s is not a valid Pagemason toolbars file",
    u"The plugin called \"%s\" was not found in the plugin collecion file",
    u"The plugin collection file \"%s\" was not found",
    u"An error has ocured in the plugin",
};

#define PM_REQUEST_SYNTAX                                                                          \
    u"\r\n\r\nRequest tag syntax:\r\n{= 'Type the request description here', request_type=}"

const char16_t* const detailedMessages[errorCount] = {
    u"No error. Please ignore.",
    u"The file\r\n%s\r\nwas not found. Please,\r\n  Check for typos\r\n  Check if this file exists "
    u"somewhere else in another directory or drive\r\n",
    u"Out of memory.\r\nTry closing some unused applications or windows.",
    u"%s\r\nis not a valid project file.\r\n  Try another file.\r\n  If you edited this file (and "
    u"save a backup), use the backup.",
    u"%s\r\nis not a valid menus file.\r\n  Try another file.\r\n  If you edited this file (and "
    u"saved a backup), use the backup.  If you still have the ZIP file of Pagemason, unzip it and "
    u"copy the file \"Default.mnu\" to the program directory.",
    u"An unknown error occured.",
    u"Error in position %s: Opening request tag not found.\r\n  A closing request tag ('=}') was "
    u"found, but an opening request tag ('{=') was not found." PM_REQUEST_SYNTAX,
    u"Error in position %s: Closing request tag not found.\r\n  An opening request tag ('{=') was "
    u"found, but a closing request tag ('=}') was not found." PM_REQUEST_SYNTAX,
    u"Error in position %s: No comma was found inside request.\r\n  You must put a comma inside a "
    u"request tag." PM_REQUEST_SYNTAX,
    u"Error in position %s: Nested requests.\r\n  Nested requests are not "
    u"allowed." PM_REQUEST_SYNTAX,
    u"Error in position %s: More than one empty requests found.\r\n  Only one empty request is "
    u"allowed.\r\n  An empty request is '{=,=}'" PM_REQUEST_SYNTAX,
    u"Error in position %s: Unknown (invalid) request type.\r\n  Check for typos.\r\n  Take a look "
    u"at the help file to see what request types exist." PM_REQUEST_SYNTAX,
    u"Error in position %s: Tag description string not closed\r\n  A tag description must be "
    u"opened and closed with '",
    u"Error in position %s: Request parameters are not closed\r\n  Request parameters must be "
    u"enclosed with '[' and ']' like this: '[......]'",
    u"%s",
    u"%s\r\n is not a valid mask ('*' not found).\r\nA mask MUST include '*' or all files "
    u"published "
    u"will have the same filename (which will cause only the last uploaded file to exist. All "
    u"other "
    u"files will be overriten).",
    u"Error: Not connected\r\nTake a look at the log for more information.",
    u"Error while talking to FTP server\r\nTake a look at the log for more information.",
    u"Error while trying to connect ISP\r\nTake a look at the log for more information.",
    u"The menu item was not found:\r\n %s\r\nThe menu item does not exist.",
    u"%s is not a valid Pagemason toolbars file",
    u"The plugin (function) called \"%s\" was not found in the plugin collecion file\r\nCheck for "
    u"typos\r\nCheck the plugin collection's documention for the right pluguin (function) name",
    u"The plugin collection file \"%s\" was not found\r\nThe plugin collection file must be "
    u"located "
    u"in the plugins\\ subdirectory of Pagemason's main directory",
    u"An error has ocured in the plugin\r\nThis means an internal error in the plugin has "
    u"ocured.\r\nContact the plugin author to report the bug in the plugin",
};

#undef PM_REQUEST_SYNTAX

constexpr uint8_t unknownErrorCode = 5;
constexpr uint8_t fileNotFoundCode = 1;

/// One pass over the text: the first "%s" takes the parameter, "%%" is a percent sign; the
/// parameter itself is never scanned, so a "%s" inside it stays as typed.
QString substitute(const QString& text, const QString& param)
{
    QString out;
    out.reserve(text.size() + param.size());
    bool used = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'%' && i + 1 < text.size()) {
            const QChar next = text.at(i + 1);
            if (next == u's' && !used) {
                out += param;
                used = true;
                ++i;
                continue;
            }
            if (next == u'%') {
                out += u'%';
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

void showBox(const QString& text)
{
    pm::dialogs().message(pm::Dialogs::Kind::Error, text, pm::Dialogs::Buttons::Ok);
}

} // namespace

QString formatErrorMessage(uint8_t code, const QString& param)
{
    return formatErrorMessage(code, param, globalOptions.messageType);
}

QString formatErrorMessage(uint8_t code, const QString& param, uint8_t messageType)
{
    // A code outside the table would read past it; it is reported as the unknown error.
    if (code >= errorCount)
        code = unknownErrorCode;
    // Any message type but "short" shows the detailed text, so no error box is ever empty.
    const char16_t* const* table = messageType == 1 ? shortMessages : detailedMessages;
    return substitute(QString::fromUtf16(table[code]), param);
}

void showError(uint8_t code, const QString& param)
{
    const QString message = formatErrorMessage(code, param);
    showBox(message);
    if (!globalOptions.logErrors)
        return;
    if (!QFileInfo::exists(errorLogFileName)) {
        // The log is never created by the program; tell the user once per error, unlogged.
        showBox(formatErrorMessage(fileNotFoundCode, errorLogFileName));
        return;
    }
    QFile log(errorLogFileName);
    const QString entry = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat)
        + QStringLiteral(" - \r\n") + message + QStringLiteral("\r\n");
    const QByteArray bytes = entry.toUtf8();
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append) || log.write(bytes) != bytes.size()
        || !log.flush()) {
        // Not thrown at the caller: a second box says the log could not take the entry.
        showBox(QStringLiteral("The error log\r\n") + errorLogFileName
            + QStringLiteral("\r\ncould not be written: ") + log.errorString());
    }
}
