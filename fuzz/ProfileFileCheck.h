/** @file ProfileFileCheck.h ** What must hold for any bytes read as a profile (history) file. **/
#pragma once

#include <QByteArray>
#include <QString>

namespace pmfuzz {

/// Reads `bytes` as the wizard's history file. Empty when every property held, else which one
/// broke and how:
/// - the content saves to bytes that read back to the same keys in every section, and saving
///   those gives the same bytes;
/// - every key read can be stored again, appears once without regard to case, and a limit
///   gives the first keys;
/// - a value set in a section (the history sections, the file's own, new ones) reads back
///   there, leaves every other section's keys as they were, and survives a save; a storable
///   key is never refused in a history section.
QString checkProfileFile(const QByteArray& bytes);

} // namespace pmfuzz
