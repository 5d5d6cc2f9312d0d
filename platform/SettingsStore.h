/** @file SettingsStore.h ** Per-user settings: string values under registry-style keys. **/
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace pm {

/// Every value is a string. Key paths are the parts below a root, joined by "\"
/// ("Software\Orvane\Pagemason\Edit"). An empty value name addresses the key's default value.
/// Key and value names compare without regard to case; the spelling of the first write is kept.
class SettingsStore
{
public:
    /// The hive a key path lives under.
    enum class Root { CurrentUser, ClassesRoot };

    virtual ~SettingsStore() = default;

    /// Nothing when the key or the value does not exist.
    virtual std::optional<QString> readValue(Root root, const QString& key, const QString& name)
        = 0;
    /// Creates missing keys. False when the store could not be written; the stored data is then
    /// as it was before the call.
    virtual bool writeValue(
        Root root, const QString& key, const QString& name, const QString& value)
        = 0;
    /// True when the value is gone afterwards (also when it never existed).
    virtual bool deleteValue(Root root, const QString& key, const QString& name) = 0;
    virtual bool keyExists(Root root, const QString& key) = 0;
    /// Deletes the key with every key below it. True when it is gone afterwards.
    virtual bool deleteKey(Root root, const QString& key) = 0;
    /// Names of the key's values in stored order; the default value is not listed.
    virtual QStringList valueNames(Root root, const QString& key) = 0;
    /// Names of the key's direct subkeys.
    virtual QStringList subKeyNames(Root root, const QString& key) = 0;

    /// Between beginUpdate and the matching endUpdate, writes are collected and reach the store
    /// together, in one atomic step, at the outermost endUpdate. Calls nest. endUpdate returns
    /// false when that step failed (the store then holds none of the collected writes).
    virtual void beginUpdate() { }
    virtual bool endUpdate() { return true; }

    // Shorthands for the current user's hive.
    std::optional<QString> readString(const QString& key, const QString& name)
    {
        return readValue(Root::CurrentUser, key, name);
    }
    /// The stored text, or `fallback` when the value is missing.
    QString readString(const QString& key, const QString& name, const QString& fallback)
    {
        return readValue(Root::CurrentUser, key, name).value_or(fallback);
    }
    bool writeString(const QString& key, const QString& name, const QString& value)
    {
        return writeValue(Root::CurrentUser, key, name, value);
    }
    QStringList valueNames(const QString& key) { return valueNames(Root::CurrentUser, key); }
};

/// Groups the writes of a scope into one update of the store.
class SettingsUpdate
{
public:
    explicit SettingsUpdate(SettingsStore& store)
        : m_store(store)
    {
        m_store.beginUpdate();
    }
    ~SettingsUpdate()
    {
        if (!m_finished)
            m_store.endUpdate();
    }
    /// Ends the update early to learn whether it reached the store.
    bool finish()
    {
        m_finished = true;
        return m_store.endUpdate();
    }
    SettingsUpdate(const SettingsUpdate&) = delete;
    SettingsUpdate& operator=(const SettingsUpdate&) = delete;

private:
    SettingsStore& m_store;
    bool m_finished = false;
};

/// The store in use: the one installed last, else the per-user REGEDIT4 file
/// ($PAGEMASON_REGISTRY, or $XDG_CONFIG_HOME/Orvane/Pagemason.reg), opened on first use.
SettingsStore& settingsStore();
/// Installs a store (not owned; null goes back to the per-user file); returns the previous
/// installed one. Tests install a memory store or a file store of their own.
SettingsStore* setSettingsStore(SettingsStore* store);

} // namespace pm
