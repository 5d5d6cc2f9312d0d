/** @file MemorySettingsStore.h ** A settings store held in memory, for tests. **/
#pragma once

#include "platform/RegDocument.h"
#include "platform/SettingsStore.h"

namespace pm {

/// Installs itself as the store in use while it lives and puts the previous one back
/// afterwards. Starts empty, or from REGEDIT4 text.
class MemorySettingsStore : public SettingsStore
{
public:
    explicit MemorySettingsStore(const QByteArray& regedit4Text = QByteArray());
    ~MemorySettingsStore() override;
    MemorySettingsStore(const MemorySettingsStore&) = delete;
    MemorySettingsStore& operator=(const MemorySettingsStore&) = delete;

    std::optional<QString> readValue(Root root, const QString& key, const QString& name) override;
    bool writeValue(
        Root root, const QString& key, const QString& name, const QString& value) override;
    bool deleteValue(Root root, const QString& key, const QString& name) override;
    bool keyExists(Root root, const QString& key) override;
    bool deleteKey(Root root, const QString& key) override;
    QStringList valueNames(Root root, const QString& key) override;
    QStringList subKeyNames(Root root, const QString& key) override;
    using SettingsStore::valueNames;

    /// The whole store as the file would hold it.
    QByteArray text() const { return m_doc.serialize(); }
    /// Every write in order, as "key\name=value", for tests of write order.
    QStringList writes;

private:
    RegDocument m_doc;
    SettingsStore* m_previous = nullptr;
};

} // namespace pm
