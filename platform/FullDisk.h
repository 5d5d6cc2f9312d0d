/** @file FullDisk.h ** A full file system for tests: a small tmpfs, filled up, that only one
 ** child process sees. **/
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

namespace pm {

/// Runs `act` in a child process in which `folder` (an existing, empty folder) is a tiny file
/// system of its own: `prepare` puts files there first, then the rest of it is filled, so every
/// later write meets "No space left on device". Returns what `act` returned; nothing when this
/// machine will not let a process mount one (neither root nor user namespaces), so the caller
/// can skip. The parent's view of `folder` never changes. In the child, /dev is read-only
/// (its devices stay writable), so /dev/full can be written there without risk to the device.
std::optional<QByteArray> runOnFullDisk(const QString& folder,
    const std::function<void(const QString&)>& prepare,
    const std::function<QByteArray(const QString&)>& act);

} // namespace pm
