/** @file RegDocumentCheck.h ** What must hold for any bytes read as a REGEDIT4 settings file. **/
#pragma once

#include <QByteArray>
#include <QString>

namespace pmfuzz {

/// Reads `bytes`, saves, reads again, and saves what was read; then changes a few values and
/// keys and reads the save. Empty when every property held, else which one broke and how:
/// - a save never changes what a read sees, apart from the changes made;
/// - saving what was read gives the same bytes again;
/// - values set are read back as set.
QString checkRegDocument(const QByteArray& bytes);

} // namespace pmfuzz
