/** @file hotkeys_utl.cpp ** The hotkeys file and the hotkey assignment mode. **/
#include "core/hotkeys_utl.h"

#include "core/global_utl.h"
#include "platform/Dialogs.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QSaveFile>
#include <QtEndian>

#include <vector>

namespace {

struct KeyPair {
    Qt::Key key;
    uint8_t vk;
};

// Keys whose virtual-key code is not their Latin-1 letter or digit. The first entry for a code
// is the one it reads back as.
constexpr KeyPair keyTable[] = {
    { Qt::Key_Backspace, 0x08 }, { Qt::Key_Tab, 0x09 },      { Qt::Key_Backtab, 0x09 },
    { Qt::Key_Clear, 0x0C },     { Qt::Key_Return, 0x0D },   { Qt::Key_Enter, 0x0D },
    { Qt::Key_Pause, 0x13 },     { Qt::Key_CapsLock, 0x14 }, { Qt::Key_Escape, 0x1B },
    { Qt::Key_Space, 0x20 },     { Qt::Key_PageUp, 0x21 },   { Qt::Key_PageDown, 0x22 },
    { Qt::Key_End, 0x23 },       { Qt::Key_Home, 0x24 },     { Qt::Key_Left, 0x25 },
    { Qt::Key_Up, 0x26 },        { Qt::Key_Right, 0x27 },    { Qt::Key_Down, 0x28 },
    { Qt::Key_Print, 0x2C },     { Qt::Key_Insert, 0x2D },   { Qt::Key_Delete, 0x2E },
    { Qt::Key_Help, 0x2F },      { Qt::Key_Menu, 0x5D },     { Qt::Key_NumLock, 0x90 },
    { Qt::Key_ScrollLock, 0x91 },
    // The punctuation keys of a US keyboard, unshifted then shifted.
    { Qt::Key_Semicolon, 0xBA }, { Qt::Key_Colon, 0xBA },    { Qt::Key_Equal, 0xBB },
    { Qt::Key_Plus, 0xBB },      { Qt::Key_Comma, 0xBC },    { Qt::Key_Less, 0xBC },
    { Qt::Key_Minus, 0xBD },     { Qt::Key_Underscore, 0xBD }, { Qt::Key_Period, 0xBE },
    { Qt::Key_Greater, 0xBE },   { Qt::Key_Slash, 0xBF },    { Qt::Key_Question, 0xBF },
    { Qt::Key_QuoteLeft, 0xC0 }, { Qt::Key_AsciiTilde, 0xC0 }, { Qt::Key_BracketLeft, 0xDB },
    { Qt::Key_BraceLeft, 0xDB }, { Qt::Key_Backslash, 0xDC }, { Qt::Key_Bar, 0xDC },
    { Qt::Key_BracketRight, 0xDD }, { Qt::Key_BraceRight, 0xDD }, { Qt::Key_Apostrophe, 0xDE },
    { Qt::Key_QuoteDbl, 0xDE },
    // Shifted digits.
    { Qt::Key_Exclam, 0x31 },    { Qt::Key_At, 0x32 },       { Qt::Key_NumberSign, 0x33 },
    { Qt::Key_Dollar, 0x34 },    { Qt::Key_Percent, 0x35 },  { Qt::Key_AsciiCircum, 0x36 },
    { Qt::Key_Ampersand, 0x37 }, { Qt::Key_Asterisk, 0x38 }, { Qt::Key_ParenLeft, 0x39 },
    { Qt::Key_ParenRight, 0x30 },
};

// Keypad keys (Qt reports them with KeypadModifier).
constexpr KeyPair keypadTable[] = {
    { Qt::Key_Asterisk, 0x6A }, { Qt::Key_Plus, 0x6B },  { Qt::Key_Minus, 0x6D },
    { Qt::Key_Period, 0x6E },   { Qt::Key_Slash, 0x6F }, { Qt::Key_Enter, 0x0D },
};

uint8_t virtualKeyOf(Qt::Key key, bool keypad)
{
    if (keypad) {
        if (key >= Qt::Key_0 && key <= Qt::Key_9)
            return uint8_t(0x60 + (key - Qt::Key_0));
        for (const KeyPair& p : keypadTable)
            if (p.key == key)
                return p.vk;
    }
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return uint8_t(key);
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return uint8_t(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return uint8_t(0x70 + (key - Qt::Key_F1));
    for (const KeyPair& p : keyTable)
        if (p.key == key)
            return p.vk;
    return 0;
}

QKeyCombination keyOfVirtualKey(uint8_t vk)
{
    if ((vk >= 0x30 && vk <= 0x39) || (vk >= 0x41 && vk <= 0x5A))
        return QKeyCombination(Qt::Key(vk));
    if (vk >= 0x60 && vk <= 0x69)
        return QKeyCombination(Qt::KeypadModifier, Qt::Key(Qt::Key_0 + (vk - 0x60)));
    if (vk >= 0x70 && vk <= 0x87)
        return QKeyCombination(Qt::Key(Qt::Key_F1 + (vk - 0x70)));
    for (const KeyPair& p : keypadTable)
        if (p.vk == vk && vk != 0x0D)
            return QKeyCombination(Qt::KeypadModifier, p.key);
    for (const KeyPair& p : keyTable)
        if (p.vk == vk)
            return QKeyCombination(p.key);
    return QKeyCombination(Qt::Key_unknown);
}

QPointer<QMenuBar> g_currentMenu;

struct AssignmentRow {
    QString name;
    QPointer<QAction> item;
    bool signalsWereBlocked = false;
    bool checked = false;
};

// Watches the current menu's pop-ups while assigning: the item the user chooses gets the key.
// The items' own signals are blocked meanwhile, so their commands cannot run by any route.
class AssignmentWatcher : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* menu = qobject_cast<QMenu*>(watched);
        if (!menu)
            return false;
        QAction* chosen = nullptr;
        if (event->type() == QEvent::MouseButtonRelease) {
            auto* me = static_cast<QMouseEvent*>(event);
            chosen = menu->actionAt(me->position().toPoint());
        } else if (event->type() == QEvent::KeyPress) {
            auto* ke = static_cast<QKeyEvent*>(event);
            if (ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter)
                chosen = menu->activeAction();
        }
        if (chosen && !chosen->menu() && !chosen->isSeparator())
            assignHotkey(chosen);
        return false;
    }
};

struct AssignmentState {
    bool active = false;
    QPointer<QMenuBar> menu;
    std::function<QKeySequence()> hotkeySource;
    std::vector<AssignmentRow> rows;
    std::vector<QPointer<QMenu>> watchedMenus;
    AssignmentWatcher watcher;
};

AssignmentState& assignment()
{
    static AssignmentState state;
    return state;
}

void collect(const QMenu* menu, QList<QAction*>& out)
{
    const QList<QAction*> actions = menu->actions();
    for (QAction* a : actions) {
        out.append(a);
        if (a->menu())
            collect(a->menu(), out);
    }
}

// setProgress lives with the main window; forwarded through the status functions of the core.
void progressStep(int position, int maximum);

} // namespace

#include "core/status_utl.h"

namespace {
void progressStep(int position, int maximum)
{
    setProgress(position, maximum);
}
} // namespace

uint16_t keyToHotkey(const QKeyCombination& key)
{
    const Qt::KeyboardModifiers mods = key.keyboardModifiers();
    if (mods & Qt::MetaModifier)
        return 0;
    const uint8_t vk = virtualKeyOf(key.key(), mods & Qt::KeypadModifier);
    if (vk == 0)
        return 0;
    uint16_t value = vk;
    if (mods & Qt::ShiftModifier)
        value |= hotkeys::shiftBit;
    if (mods & Qt::ControlModifier)
        value |= hotkeys::ctrlBit;
    if (mods & Qt::AltModifier)
        value |= hotkeys::altBit;
    return value;
}

uint16_t keySequenceToHotkey(const QKeySequence& sequence)
{
    // A menu item holds one key combination; chords have no place in the file.
    return sequence.isEmpty() ? 0 : keyToHotkey(sequence[0]);
}

QKeySequence hotkeyToKeySequence(uint16_t hotkey)
{
    const QKeyCombination base = keyOfVirtualKey(uint8_t(hotkey & 0xFF));
    if (hotkey == 0 || base.key() == Qt::Key_unknown)
        return QKeySequence();
    Qt::KeyboardModifiers mods = base.keyboardModifiers();
    if (hotkey & hotkeys::shiftBit)
        mods |= Qt::ShiftModifier;
    if (hotkey & hotkeys::ctrlBit)
        mods |= Qt::ControlModifier;
    if (hotkey & hotkeys::altBit)
        mods |= Qt::AltModifier;
    return QKeySequence(QKeyCombination(mods, base.key()));
}

QList<THotkeyRecord> readHotkeyFile(const QString& fileName)
{
    QList<THotkeyRecord> records;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return records;
    // Reading stops at the record limit, so an oversized file costs nothing beyond it.
    char buffer[hotkeys::recordSize];
    while (records.size() < hotkeys::maxRecords) {
        if (file.read(buffer, hotkeys::recordSize) != hotkeys::recordSize)
            break;
        const int length = static_cast<unsigned char>(buffer[0]);
        THotkeyRecord r;
        r.name = QString::fromLatin1(buffer + 1, length);
        r.shortcut = qFromLittleEndian<uint16_t>(buffer + 256);
        records.append(r);
    }
    return records;
}

bool writeHotkeyFile(const QString& fileName, const QList<THotkeyRecord>& records, QString* error)
{
    if (records.size() > hotkeys::maxRecords) {
        if (error)
            *error = QStringLiteral("The menu has %1 items that can hold a hotkey; the hotkeys "
                                    "file holds at most %2.")
                         .arg(records.size())
                         .arg(hotkeys::maxRecords);
        return false;
    }
    QByteArray data(records.size() * hotkeys::recordSize, '\0');
    for (qsizetype i = 0; i < records.size(); ++i) {
        char* rec = data.data() + i * hotkeys::recordSize;
        const QByteArray name = records[i].name.toLatin1().left(255);
        rec[0] = char(name.size());
        memcpy(rec + 1, name.constData(), size_t(name.size()));
        qToLittleEndian<uint16_t>(records[i].shortcut, rec + 256);
    }
    QSaveFile file(fileName);
    // Unbuffered: through the buffer a full disk shows only in commit, which misses it.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(data) != data.size()
        || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

int menuItemTag(const QAction* item)
{
    return item->data().toInt();
}

void setMenuItemTag(QAction* item, int tag)
{
    item->setData(tag);
}

QList<QAction*> menuItemsDepthFirst(const QMenuBar* menu)
{
    QList<QAction*> out;
    if (!menu)
        return out;
    const QList<QAction*> top = menu->actions();
    for (QAction* a : top)
        if (a->menu())
            collect(a->menu(), out);
    return out;
}

void setCurrentHotkeyMenu(QMenuBar* menu)
{
    g_currentMenu = menu;
}

QMenuBar* currentHotkeyMenu()
{
    return g_currentMenu.data();
}

QList<THotkeyRecord> hotkeyRecordsOf(const QMenuBar* menu)
{
    QList<THotkeyRecord> records;
    const QList<QAction*> items = menuItemsDepthFirst(menu);
    for (const QAction* a : items)
        if (menuItemTag(a) >= 0)
            records.append({ a->objectName(), keySequenceToHotkey(a->shortcut()) });
    return records;
}

namespace {
// Runs `step` over each top-level menu's items, advancing the progress bar per menu.
template<typename F>
void forEachTopMenu(const QMenuBar* menu, F step)
{
    const QList<QAction*> top = menu->actions();
    QList<QMenu*> menus;
    for (QAction* a : top)
        if (a->menu())
            menus.append(a->menu());
    for (int i = 0; i < menus.size(); ++i) {
        QList<QAction*> items;
        collect(menus[i], items);
        for (QAction* a : items)
            step(a);
        progressStep(i, int(menus.size()) - 1);
    }
}
} // namespace

bool saveHotkeys(const QMenuBar* menu, const QString& fileName)
{
    if (!menu)
        return false;
    QList<THotkeyRecord> records;
    forEachTopMenu(menu, [&](QAction* a) {
        if (menuItemTag(a) >= 0)
            records.append({ a->objectName(), keySequenceToHotkey(a->shortcut()) });
    });
    QString error;
    if (!writeHotkeyFile(fileName, records, &error)) {
        pm::dialogs().error(QStringLiteral("The hotkeys could not be saved to\r\n%1\r\n%2")
                                .arg(fileName, error));
        return false;
    }
    return true;
}

bool saveHotkeys()
{
    return saveHotkeys(currentHotkeyMenu(), hotkeysFileName);
}

void applyHotkeys(QMenuBar* menu, const QString& fileName)
{
    if (!menu || !QFile::exists(fileName))
        return;
    const QList<THotkeyRecord> records = readHotkeyFile(fileName);
    QHash<QString, uint16_t> byName;
    // The first record of a name wins.
    for (const THotkeyRecord& r : records)
        if (!byName.contains(r.name))
            byName.insert(r.name, r.shortcut);
    forEachTopMenu(menu, [&](QAction* a) {
        const auto it = byName.constFind(a->objectName());
        if (it != byName.constEnd())
            a->setShortcut(hotkeyToKeySequence(*it));
    });
}

void applyHotkeys()
{
    applyHotkeys(currentHotkeyMenu(), hotkeysFileName);
}

bool hotkeyAssignmentActive()
{
    return assignment().active;
}

void beginHotkeyAssignment(QMenuBar* menu, std::function<QKeySequence()> hotkeySource)
{
    AssignmentState& st = assignment();
    if (st.active || !menu)
        return;
    st.active = true;
    st.menu = menu;
    st.hotkeySource = std::move(hotkeySource);
    st.rows.clear();
    st.watchedMenus.clear();
    forEachTopMenu(menu, [&](QAction* a) {
        if (menuItemTag(a) < 0)
            return;
        st.rows.push_back({ a->objectName(), a, a->signalsBlocked(), a->isChecked() });
        a->blockSignals(true);
    });
    const QList<QAction*> top = menu->actions();
    for (QAction* t : top) {
        if (!t->menu())
            continue;
        QList<QAction*> items { t };
        collect(t->menu(), items);
        for (QAction* a : items)
            if (QMenu* m = a->menu()) {
                m->installEventFilter(&st.watcher);
                st.watchedMenus.push_back(m);
            }
    }
}

void assignHotkey(QAction* item)
{
    if (!item || !assignment().active)
        return;
    const AssignmentState& st = assignment();
    const QKeySequence key = st.hotkeySource ? st.hotkeySource() : QKeySequence();
    // Only what the file can hold is assigned, so what the user sees is what gets saved.
    item->setShortcut(hotkeyToKeySequence(keySequenceToHotkey(key)));
}

void endHotkeyAssignment()
{
    AssignmentState& st = assignment();
    if (!st.active)
        return;
    for (const AssignmentRow& row : st.rows) {
        if (!row.item)
            continue;
        // A checkable item toggled by the click that assigned it gets its state back, while
        // its signals are still blocked so no command runs.
        if (row.item->isCheckable())
            row.item->setChecked(row.checked);
        row.item->blockSignals(row.signalsWereBlocked);
    }
    for (const QPointer<QMenu>& m : st.watchedMenus)
        if (m)
            m->removeEventFilter(&st.watcher);
    st.rows.clear();
    st.watchedMenus.clear();
    st.menu = nullptr;
    st.hotkeySource = {};
    st.active = false;
}
