/** @file SettingsStore.cpp ** The store in use: an installed one or the per-user file. **/
#include "platform/SettingsStore.h"

#include "platform/RegFileStore.h"

namespace pm {

namespace {
    SettingsStore* installedStore = nullptr;
}

SettingsStore& settingsStore()
{
    if (installedStore)
        return *installedStore;
    static RegFileStore userStore(RegFileStore::defaultFileName());
    return userStore;
}

SettingsStore* setSettingsStore(SettingsStore* store)
{
    return std::exchange(installedStore, store);
}

} // namespace pm
