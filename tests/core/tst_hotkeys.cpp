/** @file tst_hotkeys.cpp ** The hotkeys file format, its limits, and assigning hotkeys. **/
#include "core/global_utl.h"
#include "core/hotkeys_utl.h"
#include "platform/Dialogs.h"
#include "platform/FullDisk.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstring>

namespace {

class RecordingDialogs : public pm::Dialogs
{
public:
    QStringList messages;
    Answer message(Kind, const QString& text, Buttons, const QString&) override
    {
        messages.append(text);
        return Answer::Ok;
    }
    QStringList openFiles(FileRequest&) override { return {}; }
    QString saveFile(FileRequest&) override { return {}; }
};

QByteArray record(const QByteArray& name, uint16_t key, int length = -1)
{
    QByteArray r(hotkeys::recordSize, '\0');
    r[0] = char(length < 0 ? name.size() : length);
    r.replace(1, name.size(), name);
    r[256] = char(key & 0xFF);
    r[257] = char(key >> 8);
    return r;
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A document-like menu: File (New, Reopen submenu with run-time items, separator, Exit),
// Edit (Undo), and a dynamic menu with a submenu.
struct TestMenu {
    QMenuBar bar;
    QAction* fileNew;
    QAction* exitItem;
    QAction* undo;
    QAction* bold;
    QAction* reopened;
    int newRuns = 0;

    TestMenu()
    {
        QMenu* file = bar.addMenu(QStringLiteral("&File"));
        fileNew = file->addAction(QStringLiteral("&New"));
        fileNew->setObjectName(QStringLiteral("FileNewItem"));
        fileNew->setShortcut(QKeySequence(QStringLiteral("Ctrl+N")));
        QObject::connect(fileNew, &QAction::triggered, [this] { ++newRuns; });
        QMenu* reopen = file->addMenu(QStringLiteral("&Reopen"));
        setMenuItemTag(reopen->menuAction(), -1);
        reopened = reopen->addAction(QStringLiteral("a.html"));
        setMenuItemTag(file->addSeparator(), -1);
        exitItem = file->addAction(QStringLiteral("E&xit"));
        exitItem->setObjectName(QStringLiteral("FileExitItem"));
        QMenu* edit = bar.addMenu(QStringLiteral("&Edit"));
        undo = edit->addAction(QStringLiteral("&Undo"));
        undo->setObjectName(QStringLiteral("EditUndoItem"));
        QMenu* tags = bar.addMenu(QStringLiteral("&Tags"));
        QMenu* style = tags->addMenu(QStringLiteral("Text style"));
        style->menuAction()->setObjectName(QStringLiteral("N_TagsTextstyle"));
        bold = style->addAction(QStringLiteral("Bold"));
        bold->setObjectName(QStringLiteral("N_TagsTextstyleBold"));
        setMenuItemTag(bold, 1);
    }
};

} // namespace

class TestHotkeys : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_dir.isValid()); m_file = m_dir.filePath(QStringLiteral("Pagemason.HotKeys")); QFile::remove(m_file); }

    void keyCodes_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("code");
        QTest::newRow("ctrl+shift+f") << "Ctrl+Shift+F" << 0x6046;
        QTest::newRow("ctrl+n") << "Ctrl+N" << 0x404E;
        QTest::newRow("f3") << "F3" << 0x72;
        QTest::newRow("shift+del") << "Shift+Del" << 0x202E;
        QTest::newRow("alt+f4") << "Alt+F4" << 0x8073;
        QTest::newRow("ctrl+alt+1") << "Ctrl+Alt+1" << 0xC031;
        QTest::newRow("ctrl+[") << "Ctrl+[" << 0x40DB;
        QTest::newRow("ctrl+return") << "Ctrl+Return" << 0x400D;
        QTest::newRow("f24") << "F24" << 0x87;
        QTest::newRow("none") << "" << 0;
    }
    void keyCodes()
    {
        QFETCH(QString, keys);
        QFETCH(int, code);
        const QKeySequence seq(keys);
        QCOMPARE(int(keySequenceToHotkey(seq)), code);
        QCOMPARE(hotkeyToKeySequence(uint16_t(code)), seq);
    }

    void unmappableKeys()
    {
        QCOMPARE(int(keySequenceToHotkey(QKeySequence(QStringLiteral("Meta+A")))), 0);
        QCOMPARE(int(keyToHotkey(QKeyCombination(Qt::ControlModifier, Qt::Key_MediaPlay))), 0);
        QVERIFY(hotkeyToKeySequence(0x40FF).isEmpty());
        // The keypad keeps its own codes.
        QCOMPARE(int(keyToHotkey(QKeyCombination(Qt::KeypadModifier, Qt::Key_5))), 0x65);
    }

    void recordLayout()
    {
        QVERIFY(writeHotkeyFile(m_file, { { QStringLiteral("FileNewItem"), 0x6046 },
                                          { QString(), 0 } }));
        QFile f(m_file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QCOMPARE(bytes, record("FileNewItem", 0x6046) + record("", 0));
        QCOMPARE(uchar(bytes[256]), uchar(0x46));
        QCOMPARE(uchar(bytes[257]), uchar(0x60));
    }

    void damagedFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("empty") << QByteArray() << QStringList();
        QTest::newRow("truncated tail ignored")
            << record("A", 1) + record("B", 2).left(100) << QStringList { "A" };
        QTest::newRow("length 255 with garbage")
            << record(QByteArray(255, '\xE9'), 0x41) + record("B", 2)
            << QStringList { QString(255, QChar(0xE9)), "B" };
        QTest::newRow("garbage after the name is ignored")
            << [] { QByteArray r = record("A", 7); r[40] = 'x'; return r; }()
            << QStringList { "A" };
    }
    void damagedFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, names);
        writeBytes(m_file, bytes);
        QStringList got;
        const QList<THotkeyRecord> records = readHotkeyFile(m_file);
        for (const THotkeyRecord& r : records)
            got.append(r.name);
        QCOMPARE(got, names);
    }

    void recordLimit()
    {
        QByteArray bytes;
        for (int i = 0; i < 501; ++i)
            bytes += record(QByteArray::number(i), uint16_t(i));
        writeBytes(m_file, bytes);
        const QList<THotkeyRecord> records = readHotkeyFile(m_file);
        QCOMPARE(records.size(), 500);
        QCOMPARE(records.last().name, QStringLiteral("499"));

        // A writer never makes a file a reader would cut; the old file stays whole.
        QList<THotkeyRecord> many(501, { QStringLiteral("x"), 0 });
        QString error;
        QVERIFY(!writeHotkeyFile(m_file, many, &error));
        QVERIFY(!error.isEmpty());
        QFile f(m_file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), bytes);
    }

    void saveWalksTaggedItemsDepthFirst()
    {
        TestMenu menu;
        menu.undo->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+F")));
        QVERIFY(saveHotkeys(&menu.bar, m_file));
        QStringList names;
        QList<int> keys;
        const QList<THotkeyRecord> records = readHotkeyFile(m_file);
        for (const THotkeyRecord& r : records) {
            names.append(r.name);
            keys.append(r.shortcut);
        }
        // The Reopen submenu and the separator are left out, the run-time reopen item has no
        // name, and the walk enters submenus.
        QCOMPARE(names, (QStringList { "FileNewItem", "", "FileExitItem", "EditUndoItem",
                                      "N_TagsTextstyle", "N_TagsTextstyleBold" }));
        QCOMPARE(keys, (QList<int> { 0x404E, 0, 0, 0x6046, 0, 0 }));
    }

    void applyByName()
    {
        writeBytes(m_file, record("N_TagsTextstyleBold", 0x6046) + record("Unknown", 0x70)
                               + record("FileNewItem", 0) + record("N_TagsTextstyleBold", 0x71));
        TestMenu menu;
        menu.exitItem->setShortcut(QKeySequence(QStringLiteral("Alt+X")));
        applyHotkeys(&menu.bar, m_file);
        QCOMPARE(menu.bold->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+F")));
        QVERIFY(menu.fileNew->shortcut().isEmpty()); // a record of 0 removes the shortcut
        QCOMPARE(menu.exitItem->shortcut(), QKeySequence(QStringLiteral("Alt+X")));

        TestMenu untouched;
        applyHotkeys(&untouched.bar, m_dir.filePath(QStringLiteral("missing")));
        QCOMPARE(untouched.fileNew->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
    }

    void assignmentMode()
    {
        TestMenu older;
        TestMenu current;
        QKeySequence boxKey(QStringLiteral("Ctrl+Shift+F"));
        beginHotkeyAssignment(&current.bar, [&] { return boxKey; });
        QVERIFY(hotkeyAssignmentActive());
        current.fileNew->trigger();
        QCOMPARE(current.newRuns, 0); // choosing an item does not run it
        assignHotkey(current.bold);
        boxKey = QKeySequence();
        assignHotkey(current.fileNew); // an empty box removes the shortcut
        endHotkeyAssignment();
        QVERIFY(!hotkeyAssignmentActive());

        current.fileNew->trigger();
        QCOMPARE(current.newRuns, 1);
        QCOMPARE(current.bold->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+F")));
        QVERIFY(current.fileNew->shortcut().isEmpty());
        QCOMPARE(older.fileNew->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));

        // OK saves the current menu and later windows get the new key.
        setCurrentHotkeyMenu(&current.bar);
        hotkeysFileName = m_file;
        QVERIFY(saveHotkeys());
        bool found = false;
        const QList<THotkeyRecord> records = readHotkeyFile(m_file);
        for (const THotkeyRecord& r : records)
            if (r.name == QLatin1String("N_TagsTextstyleBold"))
                found = r.shortcut == 0x6046;
        QVERIFY(found);
        TestMenu later;
        setCurrentHotkeyMenu(&later.bar);
        applyHotkeys();
        QCOMPARE(later.bold->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+F")));
        QCOMPARE(older.bold->shortcut(), QKeySequence());
    }

    void failedSaveIsReported()
    {
        RecordingDialogs dialogs;
        pm::Dialogs* previous = pm::setDialogs(&dialogs);
        TestMenu menu;
        QVERIFY(!saveHotkeys(&menu.bar, m_dir.filePath(QStringLiteral("no/such/folder/x"))));
        QCOMPARE(dialogs.messages.size(), 1);
        pm::setDialogs(previous);
    }

    void fullDiskSaysSo()
    {
        // A hotkeys file is a few kilobytes: the size a bare save replaced by a torn file.
        const QByteArray old = record("FileNewItem", 0x6046);
        QTemporaryDir folder;
        const std::optional<QByteArray> result = pm::runOnFullDisk(
            folder.path(), [&](const QString& f) { writeBytes(f + QStringLiteral("/x.HotKeys"), old); },
            [&](const QString& f) -> QByteArray {
                const QString file = f + QStringLiteral("/x.HotKeys");
                QString error;
                const bool saved = writeHotkeyFile(file,
                    { { QStringLiteral("FileNewItem"), 0x6046 }, { QStringLiteral("EditUndoItem"), 0x605A } },
                    &error);
                QFile back(file);
                const bool whole = back.open(QIODevice::ReadOnly) && back.readAll() == old;
                return QByteArray(saved ? "saved" : "refused") + '|' + error.toUtf8() + '|'
                    + (whole ? "old file whole" : "old file changed");
            });
        if (!result)
            QSKIP("this machine lets no process mount a file system of its own");
        QCOMPARE(QString::fromUtf8(*result),
                 QStringLiteral("refused|") + QString::fromLocal8Bit(std::strerror(ENOSPC))
                     + QStringLiteral("|old file whole"));
    }

private:
    QTemporaryDir m_dir;
    QString m_file;
};

QTEST_MAIN(TestHotkeys)
#include "tst_hotkeys.moc"
