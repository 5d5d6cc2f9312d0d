/** @file RegDocument.h ** The keys and string values of a REGEDIT4 file, read leniently and written
 *back
 ** without losing what could not be understood. **/
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace pm {

/// Key paths are full paths with their root ("HKEY_CURRENT_USER\Software\Orvane"); parts are
/// joined by "\" and compare, like value names, without regard to case.
///
/// Lines the reader does not understand (garbage, a value cut short, comments, value types
/// other than strings) are kept as they were, byte for byte, in the section where they stood,
/// and untouched values keep their original line too: a save changes only what was changed.
class RegDocument
{
public:
    static RegDocument parse(const QByteArray& bytes);
    /// The REGEDIT4 text with CR LF line ends.
    QByteArray serialize() const;

    /// Strings, and dword values as decimal text; nothing for a missing or non-text value.
    std::optional<QString> value(const QString& keyPath, const QString& name) const;
    /// Creates the key when missing. An empty name is the key's default value ("@").
    void setValue(const QString& keyPath, const QString& name, const QString& text);
    void removeValue(const QString& keyPath, const QString& name);
    /// True also for a key that only exists as the parent of another key.
    bool hasKey(const QString& keyPath) const;
    /// Removes the key and every key below it.
    void removeKey(const QString& keyPath);
    QStringList valueNames(const QString& keyPath) const;
    QStringList subKeyNames(const QString& keyPath) const;

    /// Lines kept only as bytes because they could not be read as keys or values.
    int unreadableLineCount() const;

    /// "HKEY_CURRENT_USER\\Software\\" and "hkey_current_user\software" name the same key.
    static QString normalizeKey(const QString& keyPath);

private:
    struct Line
    {
        enum Kind { Raw, Text, Other };
        Kind kind = Raw;
        QString name; ///< value name; empty for the default value
        QString text; ///< the value as text (Text only)
        QByteArray raw; ///< the line(s) as read; empty once the value has been changed
    };
    struct Key
    {
        QString path; ///< as first spelled; empty for the lines before the first key
        QList<Line> lines;
    };

    int findKey(const QString& keyPath) const;
    int findOrAddKey(const QString& keyPath);
    /// invariant: the last line with a name is the one that counts, as on import.
    static int findValue(const Key& key, const QString& name);
    void reindex();

    QList<Key> m_keys { Key {} }; ///< invariant: m_keys[0] is the preamble, path empty
    QHash<QString, int> m_index; ///< case-folded normalised path -> index in m_keys
};

} // namespace pm
