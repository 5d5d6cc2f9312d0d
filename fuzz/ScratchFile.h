/** @file ScratchFile.h ** Files the property checks hand to readers that take a file name: one
 ** private folder per process, removed at exit. **/
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

namespace pmfuzz {

/// The path of `name` in the process's scratch folder: in memory where the system has a place
/// for it, since the writers flush every save to disk and a fuzzer saves thousands a second.
inline QString scratchPath(const QString& name)
{
    static const QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
            ? QStringLiteral("/dev/shm/pagemason-fuzz-XXXXXX")
            : QDir::tempPath() + QStringLiteral("/pagemason-fuzz-XXXXXX"));
    return dir.filePath(name);
}

/// Writes `bytes` as the file `name` of the scratch folder and returns its path; empty when
/// the file could not be written.
inline QString scratchFile(const QString& name, const QByteArray& bytes)
{
    const QString path = scratchPath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return QString();
    return path;
}

/// The bytes of a scratch file, empty when it cannot be read.
inline QByteArray scratchBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

/// A text as a report quotes it: control characters escaped, long texts cut.
inline QString shown(const QString& s, qsizetype limit = 120)
{
    QString out;
    for (const QChar c : s.left(limit)) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QChar(u'0'));
        else
            out += c;
    }
    return out + (s.size() > limit ? QStringLiteral("...") : QString());
}

} // namespace pmfuzz
