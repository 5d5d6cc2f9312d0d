/** @file files_utl.cpp ** Small file routines shared by several windows. **/
#include "document/common/files_utl.h"

#include "core/errors_utl.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

qint64 fileSizeOf(const QString& fileName)
{
    const QFileInfo info(fileName);
    return info.isFile() ? info.size() : 0;
}

namespace {
// One line of the page without its line end; pages that are not UTF-8 read as Latin-1.
QString readTextLine(QFile& file, bool& utf8)
{
    QByteArray bytes = file.readLine();
    while (bytes.endsWith('\n') || bytes.endsWith('\r'))
        bytes.chop(1);
    if (utf8) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = decoder.decode(bytes);
        if (!decoder.hasError())
            return text;
        utf8 = false;
    }
    return QString::fromLatin1(bytes);
}
} // namespace

QString readHtmlTitle(const QString& fileName)
{
    if (fileName.isEmpty())
        return QString();
    if (!QFileInfo(fileName).isFile()) {
        showError(1, fileName);
        return QString();
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QString open = QStringLiteral("<title>");
    const QString close = QStringLiteral("</title>");
    bool utf8 = true;
    QString line;
    bool found = false;
    while (!file.atEnd()) {
        line = readTextLine(file, utf8).toLower();
        if (line.contains(open)) {
            found = true;
            break;
        }
    }
    if (!found)
        return QString();
    if (line == open) {
        const QString next = readTextLine(file, utf8);
        return next.toLower().contains(close) ? next.left(next.size() - close.size()) : next;
    }
    // The line is taken to begin with "<title>" and end with "</title>": text around them
    // shifts the cut, which the title strip has always shown that way.
    QString title = line.mid(open.size());
    if (title.contains(close))
        title.chop(close.size());
    return title;
}
