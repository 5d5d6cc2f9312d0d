/** @file HotkeysFileCheck.cpp ** Property checks of the hotkeys file's reader and writer. **/
#include "fuzz/HotkeysFileCheck.h"

#include "core/hotkeys_utl.h"
#include "fuzz/ScratchFile.h"

namespace pmfuzz {

namespace {

    bool sameRecords(const QList<THotkeyRecord>& a, const QList<THotkeyRecord>& b)
    {
        if (a.size() != b.size())
            return false;
        for (qsizetype i = 0; i < a.size(); ++i)
            if (a.at(i).name != b.at(i).name || a.at(i).shortcut != b.at(i).shortcut)
                return false;
        return true;
    }

    /// The bits a shortcut keeps through a key sequence: the key and the three modifiers.
    constexpr uint16_t heldBits = 0x00FF | hotkeys::shiftBit | hotkeys::ctrlBit | hotkeys::altBit;

    QString checkKey(QKeyCombination key)
    {
        const uint16_t hotkey = keyToHotkey(key);
        if (hotkey == 0)
            return {};
        const QKeySequence back = hotkeyToKeySequence(hotkey);
        if (back.isEmpty() || keySequenceToHotkey(back) != hotkey)
            return QStringLiteral("key 0x%1 with modifiers 0x%2 is held as 0x%3 but reads back "
                                  "as 0x%4")
                .arg(int(key.key()), 0, 16)
                .arg(int(key.keyboardModifiers().toInt()), 0, 16)
                .arg(hotkey, 0, 16)
                .arg(back.isEmpty() ? 0 : keySequenceToHotkey(back), 0, 16);
        return {};
    }

} // namespace

QString checkHotkeysFile(const QByteArray& bytes)
{
    const QString file = scratchFile(QStringLiteral("fuzz.hotkeys"), bytes);
    if (file.isEmpty())
        return QStringLiteral("the scratch file could not be written");
    const QList<THotkeyRecord> read = readHotkeyFile(file);

    const qsizetype whole
        = std::min<qsizetype>(bytes.size() / hotkeys::recordSize, hotkeys::maxRecords);
    if (read.size() != whole)
        return QStringLiteral("%1 bytes gave %2 records, not %3")
            .arg(bytes.size())
            .arg(read.size())
            .arg(whole);
    for (qsizetype i = 0; i < read.size(); ++i) {
        const char* record = bytes.constData() + i * hotkeys::recordSize;
        const int length = static_cast<unsigned char>(record[0]);
        const uint16_t shortcut = uint16_t(
            static_cast<unsigned char>(record[256]) | static_cast<unsigned char>(record[257]) << 8);
        if (read.at(i).name != QString::fromLatin1(record + 1, length))
            return QStringLiteral("record %1: name \"%2\" is not its %3 bytes")
                .arg(i)
                .arg(shown(read.at(i).name))
                .arg(length);
        if (read.at(i).shortcut != shortcut)
            return QStringLiteral("record %1: shortcut 0x%2, not 0x%3")
                .arg(i)
                .arg(read.at(i).shortcut, 0, 16)
                .arg(shortcut, 0, 16);
    }

    const QString saved = scratchPath(QStringLiteral("fuzz-saved.hotkeys"));
    QString error;
    if (!writeHotkeyFile(saved, read, &error))
        return u"writing what was read failed: "_qs + error;
    const QByteArray savedBytes = scratchBytes(saved);
    if (savedBytes.size() != read.size() * hotkeys::recordSize)
        return QStringLiteral("%1 records were written as %2 bytes")
            .arg(read.size())
            .arg(savedBytes.size());
    const QList<THotkeyRecord> again = readHotkeyFile(saved);
    if (!sameRecords(read, again))
        return QStringLiteral("a save did not read back as the records written");
    if (!writeHotkeyFile(saved, again, &error))
        return u"writing what was read back failed: "_qs + error;
    if (scratchBytes(saved) != savedBytes)
        return QStringLiteral("saving what was read changed the bytes");

    for (const THotkeyRecord& r : read) {
        const QKeySequence sequence = hotkeyToKeySequence(r.shortcut);
        if (!sequence.isEmpty() && keySequenceToHotkey(sequence) != (r.shortcut & heldBits))
            return QStringLiteral("shortcut 0x%1 became \"%2\", which is held as 0x%3")
                .arg(r.shortcut, 0, 16)
                .arg(sequence.toString())
                .arg(keySequenceToHotkey(sequence), 0, 16);
        // The record's bits as a key the user could press: a printable character or one of
        // Qt's special keys, with the modifiers the high bits pick.
        Qt::KeyboardModifiers mods;
        if (r.shortcut & 0x100)
            mods |= Qt::ShiftModifier;
        if (r.shortcut & 0x200)
            mods |= Qt::ControlModifier;
        if (r.shortcut & 0x400)
            mods |= Qt::AltModifier;
        if (r.shortcut & 0x800)
            mods |= Qt::MetaModifier;
        if (r.shortcut & 0x1000)
            mods |= Qt::KeypadModifier;
        const int low = r.shortcut & 0xFF;
        for (const int key : { 0x20 + low % 0x5F, 0x01000000 | low })
            if (QString broken = checkKey(QKeyCombination(mods, Qt::Key(key))); !broken.isEmpty())
                return broken;
    }
    return {};
}

} // namespace pmfuzz
