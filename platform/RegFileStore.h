/** @file RegFileStore.h ** The settings store kept in one REGEDIT4 file, safe against crashes and a
 ** second running instance. **/
#pragma once

#include "platform/RegDocument.h"
#include "platform/SettingsStore.h"

#include <functional>

namespace pm {

/// Reads come from a cached copy that is read again whenever the file's identity, size or
/// modification time changed, so another instance's writes are seen. Each write (or group of
/// writes, see beginUpdate) re-reads the file under an advisory lock, applies the change,
/// writes a temporary file with mode 0600, syncs it and renames it over the store: a crash
/// leaves the old file or the new one, never a torn one, and two instances never lose each
/// other's values. A file that exists but cannot be read is never overwritten.
///
/// The temporary file has no name until it is complete (O_TMPFILE) where the file system
/// allows; a named one that a killed writer left beside the store (it holds the settings and
/// the password) is removed by the next write.
class RegFileStore : public SettingsStore
{
public:
    explicit RegFileStore(const QString& fileName);

    /// $PAGEMASON_REGISTRY, else $XDG_CONFIG_HOME (or ~/.config) + "/Orvane/Pagemason.reg".
    static QString defaultFileName();

    QString fileName() const { return m_fileName; }
    /// Why the last write failed; empty after a successful one.
    QString lastError() const { return m_lastError; }

    std::optional<QString> readValue(Root root, const QString& key, const QString& name) override;
    bool writeValue(
        Root root, const QString& key, const QString& name, const QString& value) override;
    bool deleteValue(Root root, const QString& key, const QString& name) override;
    bool keyExists(Root root, const QString& key) override;
    bool deleteKey(Root root, const QString& key) override;
    QStringList valueNames(Root root, const QString& key) override;
    QStringList subKeyNames(Root root, const QString& key) override;
    void beginUpdate() override;
    bool endUpdate() override;

    using SettingsStore::valueNames;

    static QString fullKey(Root root, const QString& key);

private:
    using Change = std::function<void(RegDocument&)>;

    struct Stamp
    {
        bool exists = false;
        quint64 inode = 0;
        qint64 size = -1;
        qint64 mtimeNs = 0;
        bool operator==(const Stamp&) const = default;
    };

    /// Brings m_doc up to date with the file (plus the changes of an open update).
    void refresh();
    /// Reads the file into `doc`, parsing it only when it differs from m_base; false when it
    /// exists but cannot be read.
    bool readFile(RegDocument& doc, Stamp& stamp, size_t& hash);
    bool change(const Change& change);
    bool commit(const QList<Change>& changes);
    bool writeFile(const QByteArray& data, Stamp& stamp);
    /// Temporary files of killed writers; only called under the lock, when no writer of ours
    /// can be between creating one and renaming it.
    void removeStaleTemporaries();

    QString m_fileName;
    RegDocument m_base; ///< the file as last read or written
    size_t m_baseHash = 0; ///< of the bytes m_base was read from or written as
    RegDocument m_doc; ///< m_base plus m_pending
    Stamp m_stamp; ///< of the file m_base was read from
    bool m_readable = true; ///< false while the file exists but could not be read
    int m_updateDepth = 0;
    QList<Change> m_pending; ///< invariant: empty while m_updateDepth == 0
    QString m_lastError;
};

} // namespace pm
