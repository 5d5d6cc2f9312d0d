/** @file tst_regfilestore.cpp ** The REGEDIT4 settings file: format on disk, damaged files, mode,
 ** other instances' writes, grouped writes and two processes saving at once. **/
#include "platform/RegFileStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using pm::RegFileStore;
using Root = pm::SettingsStore::Root;

namespace {

const QString editKey = QStringLiteral("Software\\Orvane\\Pagemason\\Edit");

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

/// Child process: writes `count` values named "<id>-<n>", each as its own locked save.
int runWriter(const QString& file, const QString& id, int count)
{
    RegFileStore store(file);
    for (int n = 0; n < count; ++n)
        if (!store.writeValue(
                Root::CurrentUser, editKey, id + u'-' + QString::number(n), QString::number(n)))
            return 1;
    return 0;
}

/// Forked child: saves "Counter" = from, from + 1, ..., each as its own write, and tells the
/// parent through `pipeFd` of every write that returned, until it is killed.
[[noreturn]] void writeUntilKilled(const QString& file, int from, int pipeFd)
{
    RegFileStore store(file);
    for (int n = from; n < from + 100000; ++n) {
        if (!store.writeValue(
                Root::CurrentUser, editKey, QStringLiteral("Counter"), QString::number(n)))
            ::_exit(1);
        if (::write(pipeFd, &n, sizeof n) != sizeof n)
            ::_exit(1);
    }
    ::_exit(0);
}

/// Files beside the store that are neither the store nor its lock.
QStringList strayFiles(const QString& store)
{
    QStringList names = QDir(QFileInfo(store).absolutePath())
                            .entryList(QDir::Files | QDir::Hidden | QDir::System);
    names.removeAll(QFileInfo(store).fileName());
    names.removeAll(QFileInfo(store).fileName() + QStringLiteral(".lock"));
    return names;
}

} // namespace

class TestRegFileStore : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void writesRegedit4FileWithMode0600();
    void damagedFileLoadsWhatItCanAndSurvivesAWrite_data();
    void damagedFileLoadsWhatItCanAndSurvivesAWrite();
    void unreadableFileIsNeverReplaced();
    void failedWriteReportsAndChangesNothing();
    void namesNoLineCanHoldAreRefused_data();
    void namesNoLineCanHoldAreRefused();
    void seesAnotherInstancesWrites();
    void groupedWritesLandTogether();
    void rootsAreSeparate();
    void deletions();
    void twoProcessesSavingAtOnceLoseNothing();
    void killedWritesLeaveTheLastStateAndNoTemporaryFile();
    void defaultFileName();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_file;
};

void TestRegFileStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_file = m_dir->filePath(QStringLiteral("Orvane/Pagemason.reg"));
}

void TestRegFileStore::writesRegedit4FileWithMode0600()
{
    RegFileStore store(m_file);
    QVERIFY(!store.readValue(Root::CurrentUser, editKey, QStringLiteral("Font name")));
    QVERIFY(store.writeValue(
        Root::CurrentUser, editKey, QStringLiteral("Font name"), QStringLiteral("Courier New")));
    QVERIFY(store.writeValue(Root::CurrentUser, QStringLiteral("Software\\Orvane\\Pagemason"),
        QString(), QStringLiteral("2.3")));

    QCOMPARE(readAll(m_file),
        QByteArray("REGEDIT4\r\n"
                   "\r\n[HKEY_CURRENT_USER\\Software\\Orvane\\Pagemason\\Edit]\r\n"
                   "\"Font name\"=\"Courier New\"\r\n"
                   "\r\n[HKEY_CURRENT_USER\\Software\\Orvane\\Pagemason]\r\n"
                   "@=\"2.3\"\r\n\r\n"));
    struct stat st
    {
    };
    QCOMPARE(::stat(QFile::encodeName(m_file).constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, mode_t(0600));
    // No temporary files are left behind.
    const QStringList left
        = QDir(QFileInfo(m_file).absolutePath()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(left, QStringList({ u"Pagemason.reg"_qs, u"Pagemason.reg.lock"_qs }));

    RegFileStore again(m_file);
    QCOMPARE(again.readValue(Root::CurrentUser, editKey.toUpper(), QStringLiteral("font NAME")),
        std::optional<QString>(u"Courier New"_qs));
}

void TestRegFileStore::damagedFileLoadsWhatItCanAndSurvivesAWrite_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("readable"); // a value that must be read, or empty
    QTest::addColumn<QByteArray>("kept"); // bytes the next write must keep

    const QByteArray good
        = "[HKEY_CURRENT_USER\\Software\\Orvane\\Pagemason\\Edit]\r\n\"Font size\"=\"12\"\r\n";
    QTest::newRow("empty") << QByteArray() << "" << QByteArray();
    QTest::newRow("truncated") << "REGEDIT4\r\n" + good + "\"Font name\"=\"Cou"
                               << "12" << QByteArray("\"Font name\"=\"Cou");
    QTest::newRow("binary garbage") << QByteArray("\x7f"
                                                  "ELF\x02\x01\x01\x00\x00\x00\xff\xfe\r\n\x00\x01",
        16) << ""
                                    << QByteArray("\x7f"
                                                  "ELF\x02\x01\x01\x00\x00\x00\xff\xfe",
                                           12);
    QTest::newRow("garbage then good")
        << QByteArray("\x80\x81\x82\n") + good << "12" << QByteArray("\x80\x81\x82");
    QTest::newRow("hex value cut short at the end")
        << "REGEDIT4\r\n" + good + "\"Bin\"=hex:01,02,\\"
        << "12" << QByteArray("\"Bin\"=hex:01,02,\\");
    {
        const QString v5 = u"Windows Registry Editor Version 5.00\r\n\r\n"
                           u"[HKEY_CURRENT_USER\\Software\\Orvane\\Pagemason\\Edit]\r\n"
                           u"\"Font size\"=hex(1):31,00,32,00,00,00\r\n"_qs;
        QByteArray utf16("\xff\xfe", 2);
        utf16.append(reinterpret_cast<const char*>(v5.utf16()), v5.size() * 2);
        QTest::newRow("UTF-16 export with a hex(1) string") << utf16 << "12" << QByteArray();
    }
    QTest::newRow("hand-written spacing")
        << QByteArray("REGEDIT4\n  [ HKEY_CURRENT_USER\\Software\\Orvane\\Pagemason\\Edit ]\n"
                      "   \"Font size\"   =  \"12\"   \n")
        << "12" << QByteArray("   \"Font size\"   =  \"12\"   ");
}

void TestRegFileStore::damagedFileLoadsWhatItCanAndSurvivesAWrite()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, readable);
    QFETCH(QByteArray, kept);
    QVERIFY(QDir().mkpath(QFileInfo(m_file).absolutePath()));
    writeFile(m_file, file);

    RegFileStore store(m_file);
    const auto size = store.readValue(Root::CurrentUser, editKey, QStringLiteral("Font size"));
    QCOMPARE(size.value_or(QString()), readable);
    QVERIFY(store.writeValue(
        Root::CurrentUser, editKey, QStringLiteral("Tag case"), QStringLiteral("1")));

    const QByteArray after = readAll(m_file);
    QVERIFY(after.startsWith("REGEDIT4\r\n"));
    QVERIFY(after.contains(kept));
    RegFileStore reader(m_file);
    QCOMPARE(reader.readValue(Root::CurrentUser, editKey, QStringLiteral("Tag case")),
        std::optional<QString>(u"1"_qs));
    QCOMPARE(reader.readValue(Root::CurrentUser, editKey, QStringLiteral("Font size"))
                 .value_or(QString()),
        readable);
}

void TestRegFileStore::unreadableFileIsNeverReplaced()
{
    // A folder in the file's place exists but cannot be read as a file (tests may run as root,
    // so permissions cannot make a file unreadable).
    QVERIFY(QDir().mkpath(m_file));
    QVERIFY(QFile::copy(
        QStringLiteral(TEST_DATA_DIR "/platform/sample.reg"), m_file + QStringLiteral("/inside")));
    RegFileStore store(m_file);
    QVERIFY(
        !store.writeValue(Root::CurrentUser, editKey, QStringLiteral("A"), QStringLiteral("1")));
    QVERIFY(!store.lastError().isEmpty());
    QVERIFY(QFileInfo(m_file).isDir());
    QVERIFY(QFileInfo::exists(m_file + QStringLiteral("/inside")));
}

void TestRegFileStore::failedWriteReportsAndChangesNothing()
{
    const QString blocked = m_dir->filePath(QStringLiteral("plain-file"));
    writeFile(blocked, "x");
    RegFileStore store(blocked + QStringLiteral("/sub/Pagemason.reg")); // a file as a folder
    QVERIFY(
        !store.writeValue(Root::CurrentUser, editKey, QStringLiteral("A"), QStringLiteral("1")));
    QVERIFY(!store.lastError().isEmpty());
    QVERIFY(!store.readValue(Root::CurrentUser, editKey, QStringLiteral("A")));
    QCOMPARE(readAll(blocked), QByteArray("x"));
}

void TestRegFileStore::namesNoLineCanHoldAreRefused_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("name");
    QTest::newRow("line break in a value name") << editKey << "a\n\"b\"=\"c";
    QTest::newRow("line break in a key") << editKey + u"\n[x]"_qs << "a";
}

void TestRegFileStore::namesNoLineCanHoldAreRefused()
{
    QFETCH(QString, key);
    QFETCH(QString, name);
    RegFileStore store(m_file);
    QVERIFY(store.writeValue(Root::CurrentUser, editKey, QStringLiteral("A"), QStringLiteral("1")));
    const QByteArray before = readAll(m_file);
    QVERIFY(!store.writeValue(Root::CurrentUser, key, name, QStringLiteral("x")));
    QVERIFY(!store.lastError().isEmpty());
    QCOMPARE(readAll(m_file), before);
    QVERIFY(!store.readValue(Root::CurrentUser, key, name));
}

void TestRegFileStore::seesAnotherInstancesWrites()
{
    RegFileStore first(m_file);
    RegFileStore second(m_file);
    QVERIFY(first.writeValue(
        Root::CurrentUser, editKey, QStringLiteral("Font size"), QStringLiteral("10")));
    QCOMPARE(second.readValue(Root::CurrentUser, editKey, QStringLiteral("Font size")),
        std::optional<QString>(u"10"_qs));
    // Same size, written at once: the file's identity still tells the change.
    QVERIFY(first.writeValue(
        Root::CurrentUser, editKey, QStringLiteral("Font size"), QStringLiteral("11")));
    QCOMPARE(second.readValue(Root::CurrentUser, editKey, QStringLiteral("Font size")),
        std::optional<QString>(u"11"_qs));
    // A write of the second instance keeps the first one's values.
    QVERIFY(second.writeValue(
        Root::CurrentUser, editKey, QStringLiteral("Tag case"), QStringLiteral("0")));
    QCOMPARE(first.valueNames(Root::CurrentUser, editKey),
        QStringList({ u"Font size"_qs, u"Tag case"_qs }));
}

void TestRegFileStore::groupedWritesLandTogether()
{
    RegFileStore store(m_file);
    {
        pm::SettingsUpdate update(store);
        QVERIFY(
            store.writeValue(Root::CurrentUser, editKey, QStringLiteral("A"), QStringLiteral("1")));
        store.beginUpdate(); // nested
        QVERIFY(
            store.writeValue(Root::CurrentUser, editKey, QStringLiteral("B"), QStringLiteral("2")));
        QVERIFY(store.endUpdate());
        QVERIFY(!QFileInfo::exists(m_file)); // nothing on disk before the outer end
        QCOMPARE(store.readValue(Root::CurrentUser, editKey, QStringLiteral("B")),
            std::optional<QString>(u"2"_qs)); // but the instance reads its own writes
        QVERIFY(update.finish());
    }
    RegFileStore reader(m_file);
    QCOMPARE(reader.valueNames(Root::CurrentUser, editKey), QStringList({ u"A"_qs, u"B"_qs }));
}

void TestRegFileStore::rootsAreSeparate()
{
    RegFileStore store(m_file);
    QVERIFY(store.writeValue(
        Root::ClassesRoot, QStringLiteral(".pmp"), QString(), QStringLiteral("PMProject")));
    QVERIFY(!store.keyExists(Root::CurrentUser, QStringLiteral(".pmp")));
    QVERIFY(store.keyExists(Root::ClassesRoot, QStringLiteral(".PMP")));
    QVERIFY(readAll(m_file).contains("[HKEY_CLASSES_ROOT\\.pmp]\r\n@=\"PMProject\"\r\n"));
}

void TestRegFileStore::deletions()
{
    RegFileStore store(m_file);
    QVERIFY(store.writeValue(Root::ClassesRoot, QStringLiteral("PMProject\\shell\\open\\command"),
        QString(), QStringLiteral("x")));
    QVERIFY(store.writeValue(Root::ClassesRoot, QStringLiteral("PMProject\\shell\\edit\\command"),
        QString(), QStringLiteral("y")));
    QVERIFY(store.deleteKey(Root::ClassesRoot, QStringLiteral("pmproject\\shell\\OPEN")));
    QCOMPARE(store.subKeyNames(Root::ClassesRoot, QStringLiteral("PMProject\\shell")),
        QStringList({ u"edit"_qs }));
    QVERIFY(store.deleteKey(Root::ClassesRoot, QStringLiteral("nothing\\here")));
    QVERIFY(store.writeValue(Root::CurrentUser, editKey, QStringLiteral("A"), QStringLiteral("1")));
    QVERIFY(store.deleteValue(Root::CurrentUser, editKey, QStringLiteral("a")));
    QVERIFY(!RegFileStore(m_file).readValue(Root::CurrentUser, editKey, QStringLiteral("A")));
}

void TestRegFileStore::twoProcessesSavingAtOnceLoseNothing()
{
    const int count = 40;
    QList<QProcess*> writers;
    for (const QString& id : { u"one"_qs, u"two"_qs }) {
        auto* p = new QProcess(this);
        p->start(QCoreApplication::applicationFilePath(),
            { QStringLiteral("--writer"), m_file, id, QString::number(count) });
        writers.append(p);
    }
    for (QProcess* p : writers) {
        QVERIFY(p->waitForFinished(120000));
        QCOMPARE(p->exitStatus(), QProcess::NormalExit);
        QCOMPARE(p->exitCode(), 0);
        delete p;
    }
    const pm::RegDocument doc = pm::RegDocument::parse(readAll(m_file));
    QCOMPARE(doc.unreadableLineCount(), 0);
    const QStringList names = doc.valueNames(RegFileStore::fullKey(Root::CurrentUser, editKey));
    QCOMPARE(names.size(), 2 * count);
    QVERIFY(names.contains(u"one-39"_qs) && names.contains(u"two-39"_qs));
}

void TestRegFileStore::killedWritesLeaveTheLastStateAndNoTemporaryFile()
{
    const QString publishKey = QStringLiteral("Software\\Orvane\\Pagemason\\Publish");
    RegFileStore store(m_file);
    {
        pm::SettingsUpdate update(store); // a store of some size, so that a write takes a while
        for (int i = 0; i < 300; ++i)
            store.writeValue(Root::CurrentUser, publishKey, u"Value "_qs + QString::number(i),
                u"some text "_qs + QString::number(i));
        store.writeValue(
            Root::CurrentUser, publishKey, QStringLiteral("User password"), QStringLiteral("pw"));
        QVERIFY(update.finish());
    }
    QElapsedTimer clock;
    clock.start();
    int last = 0;
    for (; last < 5; ++last)
        QVERIFY(store.writeValue(
            Root::CurrentUser, editKey, QStringLiteral("Counter"), QString::number(last + 1)));
    const qint64 writeUs = clock.nsecsElapsed() / 5000;

    const int rounds = 200;
    int leftUntilNextWrite = 0;
    for (int round = 0; round < rounds; ++round) {
        int fds[2];
        QCOMPARE(::pipe2(fds, O_CLOEXEC), 0);
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            ::close(fds[0]);
            writeUntilKilled(m_file, last + 1, fds[1]);
        }
        ::close(fds[1]);
        // Anywhere in the first three writes, opening the file to renaming it.
        ::usleep(useconds_t(QRandomGenerator::global()->bounded(3 * writeUs + 1)));
        ::kill(child, SIGKILL);
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        int acknowledged = last;
        for (int n = 0; ::read(fds[0], &n, sizeof n) == sizeof n;)
            acknowledged = n;
        ::close(fds[0]);

        const pm::RegDocument doc = pm::RegDocument::parse(readAll(m_file));
        QCOMPARE(doc.unreadableLineCount(), 0);
        const QString counter = doc.value(RegFileStore::fullKey(Root::CurrentUser, editKey),
                                       QStringLiteral("Counter"))
                                    .value_or(QString());
        // The last write that returned, or the one under way when the kill came.
        QVERIFY2(counter == QString::number(acknowledged)
                || counter == QString::number(acknowledged + 1),
            qPrintable(counter + u" after "_qs + QString::number(acknowledged)));
        QCOMPARE(doc.value(RegFileStore::fullKey(Root::CurrentUser, publishKey),
                     QStringLiteral("User password")),
            std::optional<QString>(u"pw"_qs));
        QCOMPARE(doc.valueNames(RegFileStore::fullKey(Root::CurrentUser, publishKey)).size(), 301);
        last = counter.toInt();
        leftUntilNextWrite += strayFiles(m_file).isEmpty() ? 0 : 1;
    }
    QVERIFY(store.writeValue(
        Root::CurrentUser, editKey, QStringLiteral("Counter"), QString::number(last + 1)));
    QCOMPARE(strayFiles(m_file), QStringList());
    qInfo("%d of %d kills left a temporary file until the next write (one write: %lld us)",
        leftUntilNextWrite, rounds, writeUs);
}

void TestRegFileStore::defaultFileName()
{
    const QByteArray oldReg = qgetenv("PAGEMASON_REGISTRY");
    const QByteArray oldXdg = qgetenv("XDG_CONFIG_HOME");
    qputenv("PAGEMASON_REGISTRY", "/tmp/x.reg");
    QCOMPARE(RegFileStore::defaultFileName(), u"/tmp/x.reg"_qs);
    qunsetenv("PAGEMASON_REGISTRY");
    qputenv("XDG_CONFIG_HOME", "/cfg");
    QCOMPARE(RegFileStore::defaultFileName(), u"/cfg/Orvane/Pagemason.reg"_qs);
    qunsetenv("XDG_CONFIG_HOME");
    QCOMPARE(
        RegFileStore::defaultFileName(), QDir::homePath() + u"/.config/Orvane/Pagemason.reg"_qs);
    qputenv("PAGEMASON_REGISTRY", oldReg);
    if (!oldXdg.isEmpty())
        qputenv("XDG_CONFIG_HOME", oldXdg);
    if (oldReg.isEmpty())
        qunsetenv("PAGEMASON_REGISTRY");
}

int main(int argc, char** argv)
{
    if (argc == 5 && qstrcmp(argv[1], "--writer") == 0)
        return runWriter(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
            QByteArray(argv[4]).toInt());
    QCoreApplication app(argc, argv);
    TestRegFileStore test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_regfilestore.moc"
