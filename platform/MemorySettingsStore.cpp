/** @file MemorySettingsStore.cpp ** In-memory settings store. **/
#include "platform/MemorySettingsStore.h"

#include "platform/RegFileStore.h"

namespace pm {

MemorySettingsStore::MemorySettingsStore(const QByteArray& regedit4Text)
    : m_doc(RegDocument::parse(regedit4Text))
    , m_previous(setSettingsStore(this))
{
}

MemorySettingsStore::~MemorySettingsStore()
{
    setSettingsStore(m_previous);
}

std::optional<QString> MemorySettingsStore::readValue(
    Root root, const QString& key, const QString& name)
{
    return m_doc.value(RegFileStore::fullKey(root, key), name);
}

bool MemorySettingsStore::writeValue(
    Root root, const QString& key, const QString& name, const QString& value)
{
    writes.append(key + u'\\' + name + u'=' + value);
    m_doc.setValue(RegFileStore::fullKey(root, key), name, value);
    return true;
}

bool MemorySettingsStore::deleteValue(Root root, const QString& key, const QString& name)
{
    m_doc.removeValue(RegFileStore::fullKey(root, key), name);
    return true;
}

bool MemorySettingsStore::keyExists(Root root, const QString& key)
{
    return m_doc.hasKey(RegFileStore::fullKey(root, key));
}

bool MemorySettingsStore::deleteKey(Root root, const QString& key)
{
    m_doc.removeKey(RegFileStore::fullKey(root, key));
    return true;
}

QStringList MemorySettingsStore::valueNames(Root root, const QString& key)
{
    return m_doc.valueNames(RegFileStore::fullKey(root, key));
}

QStringList MemorySettingsStore::subKeyNames(Root root, const QString& key)
{
    return m_doc.subKeyNames(RegFileStore::fullKey(root, key));
}

} // namespace pm
