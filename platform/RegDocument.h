/** @file RegDocument.h ** The keys and string values of a REGEDIT4 file, read leniently and written
 ** back without losing what could not be understood. **/
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

namespace pm {

/// Key paths are full paths with their root ("HKEY_CURRENT_USER\Software\Orvane"); parts are
/// joined by "\" and compare, like value names, without regard to case.
///
/// Lines the reader does not understand (garbage, a value cut short, comments, value types
/// other than strings) are kept as they were, byte for byte, in the section where they stood,
/// and untouched values keep their original line too: a save changes only what was changed,
/// and reading what was saved gives exactly what the document held.
///
/// Reading and writing take time in proportion to the file; a lookup takes constant time.
class RegDocument
{
public:
    static RegDocument parse(const QByteArray& bytes);
    /// The REGEDIT4 text with CR LF line ends.
    QByteArray serialize() const;

    /// Strings, and dword values as decimal text; nothing for a missing or non-text value.
    std::optional<QString> value(const QString& keyPath, const QString& name) const;
    /// True also for a value that cannot be read as text.
    bool hasValue(const QString& keyPath, const QString& name) const;
    /// Creates the key when missing. An empty name is the key's default value ("@"). Does
    /// nothing when the file cannot hold the key or the name (see canHold).
    void setValue(const QString& keyPath, const QString& name, const QString& text);
    /// False for a key path or value name that no REGEDIT4 line can hold: one with a line
    /// break, an empty key path, or one that starts with "-" (a deletion request on import).
    static bool canHold(const QString& keyPath, const QString& name);
    void removeValue(const QString& keyPath, const QString& name);
    /// True also for a key that only exists as the parent of another key.
    bool hasKey(const QString& keyPath) const;
    /// Removes the key and every key below it.
    void removeKey(const QString& keyPath);
    QStringList valueNames(const QString& keyPath) const;
    QStringList subKeyNames(const QString& keyPath) const;
    /// Every key that has a section of its own, in file order.
    QStringList keyPaths() const;

    /// Lines kept only as bytes because they could not be read as keys or values.
    int unreadableLineCount() const;

    /// "HKEY_CURRENT_USER\\Software\\" and "hkey_current_user\software" name the same key.
    static QString normalizeKey(const QString& keyPath);

private:
    struct Line
    {
        enum Kind : uint8_t { Raw, Text, Other };
        Kind kind = Raw;
        /// The raw lines end inside a hex value's continuation; a blank line must follow
        /// them, or a reader would take the next line as part of the value.
        bool open = false;
        QString name; ///< value name; empty for the default value
        QString text; ///< the value as text (Text only)
        QByteArrayView raw; ///< the line(s) as read, inside m_source; empty once changed
    };
    struct Key
    {
        QString path; ///< as first spelled; empty for the lines before the first key
        QList<Line> lines;
        /// Case-folded value name -> index of its last line in `lines`, which is the one that
        /// counts, as on import. Built at the first lookup; invariant: valid while `named`.
        mutable QHash<QString, qsizetype> names;
        mutable bool named = false;
    };

    int findKey(const QString& keyPath) const;
    int findOrAddKey(const QString& keyPath);
    int addKey(const QString& normalizedPath);
    static qsizetype findValue(const Key& key, const QString& name);
    void reindex();

    QByteArray m_source; ///< the bytes every Line::raw points into (shared between copies)
    QList<Key> m_keys { Key {} }; ///< invariant: m_keys[0] is the preamble, path empty
    QHash<QString, int> m_index; ///< case-folded normalised path -> index in m_keys
    /// Case-folded paths of every key's parents; built at the first hasKey that needs it.
    mutable QSet<QString> m_parents;
    mutable bool m_parentsBuilt = false;
};

} // namespace pm
