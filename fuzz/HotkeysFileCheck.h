/** @file HotkeysFileCheck.h ** What must hold for any bytes read as a hotkeys file. **/
#pragma once

#include <QByteArray>
#include <QString>

namespace pmfuzz {

/// Reads `bytes` as a hotkeys file. Empty when every property held, else which one broke and
/// how:
/// - every whole record up to the limit is read, with the name its length byte gives and the
///   little-endian shortcut;
/// - writing what was read and reading it back gives the same records, and writing those gives
///   the same bytes;
/// - a shortcut that names a key reads back as the same shortcut once it is a key sequence
///   (less the bits the file cannot hold), and a key the file can hold does too.
QString checkHotkeysFile(const QByteArray& bytes);

} // namespace pmfuzz
