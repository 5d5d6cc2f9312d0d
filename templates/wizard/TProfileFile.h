/** @file TProfileFile.h ** A private profile (INI) file read and written the way the Windows
 ** profile functions do it: names compared without regard to case, entries kept in file order. **/
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class TProfileFile
{
public:
    /// Larger files are neither offered nor rewritten: a history is a few hundred bytes, so such
    /// a file is not ours to shorten, and reading it on every answer would stall the wizard.
    static constexpr qint64 maxFileSize = 4 * 1024 * 1024;

    explicit TProfileFile(const QString& fileName) : m_fileName(fileName) {}

    /// Reads the file. A missing file is an empty profile; false when the file exists but cannot
    /// be read or is larger than maxFileSize (the profile then stays empty and read-only).
    bool load();
    /// Parses `bytes` as the file's content (no size limit).
    void setContent(const QByteArray& bytes);
    QByteArray content() const;

    /// Key names of the first section called `section`, in file order, without duplicates and
    /// without names holding control characters (what a damaged file may contain).
    /// At most `limit` names when `limit` >= 0.
    QStringList keys(const QString& section, int limit = -1) const;
    /// Sets the value of an existing key (its spelling kept) or adds "key=value" at the end of
    /// the section, adding the section at the end of the file when missing. False when the
    /// profile is read-only or the key or the section cannot be stored so that it reads back
    /// the same.
    bool setValue(const QString& section, const QString& key, const QString& value);
    /// Atomic write with CR LF line ends. False (and `error` set) when it failed; the old file
    /// is then untouched.
    bool save(QString* error = nullptr) const;

    bool isReadOnly() const { return m_readOnly; }

    /// Convenience: the keys of a section of `fileName`.
    static QStringList readKeys(const QString& fileName, const QString& section, int limit = -1);
    /// Convenience: read, set one value, write back. False when nothing was written.
    static bool writeString(const QString& fileName, const QString& section, const QString& key,
                            const QString& value);

    /// True when `key` survives a write and a read unchanged.
    static bool isStorableKey(const QString& key);

private:
    /// Index of the header line of the first section named `section`; -1 when none.
    int sectionLine(const QString& section) const;

    QString m_fileName;
    /// Raw lines without their line ends; bytes kept as read so a rewrite loses nothing.
    QList<QByteArray> m_lines;
    bool m_readOnly = false;
};
