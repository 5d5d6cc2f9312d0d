/** @file tst_project_utl.cpp ** The open project: loading good and broken files, saving
 ** atomically, adding files, and what each does to the project's state. **/
#include "core/global_utl.h"
#include "platform/ScriptedDialogs.h"
#include "project/project_utl.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

/// Makes every write past a few bytes fail, as a full disk does.
class FullDisk
{
public:
    explicit FullDisk(rlim_t bytes = 64)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = m_old;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FullDisk()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_previous);
    }

private:
    rlimit m_old {};
    void (*m_previous)(int) = nullptr;
};

const QByteArray goodProject("Pagemason Project File\r\nProject name:\r\nGood\r\nProject files:\r\n"
                             "/site/b.html\r\n/site/a.html\r\nProject Notes:\r\n+ 10 20 300 "
                             "200\r\nkeep me\r\n");

} // namespace

class TestProjectUtl : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void init()
    {
        currentProject().clear();
        currentProject().setNotesWindow(TNotesWindowState());
        projectFileName.clear();
        projectDir = QStringLiteral("/app/");
        projectModified = false;
        m_dialogs.clear();
    }

    void loadSetsTheState()
    {
        const QString path = m_dir.filePath(QStringLiteral("site/good.pmp"));
        writeFile(path, goodProject);
        currentProject().setNotes(QStringLiteral("unsaved"));
        QVERIFY(projectModified);
        QSignalSpy loaded(&currentProject(), &TProject::loaded);
        QVERIFY(loadProject(path));
        // An unsaved project is dropped without a question.
        QVERIFY(m_dialogs.shown().isEmpty());
        QCOMPARE(loaded.size(), 1);
        QCOMPARE(projectFileName, path);
        QCOMPARE(projectDir, m_dir.filePath(QStringLiteral("site/")));
        QCOMPARE(currentProject().caption(), path);
        QCOMPARE(currentProject().name(), QStringLiteral("Good"));
        QCOMPARE(currentProject().files().size(), 2);
        QCOMPARE(currentProject().files().first().fileName, QStringLiteral("a.html"));
        QCOMPARE(currentProject().notes(), QStringLiteral("keep me"));
        QCOMPARE(currentProject().notesWindow(), (TNotesWindowState { true, 10, 20, 300, 200 }));
        QVERIFY(!projectModified);
        QVERIFY(!loadProject(QString())); // an empty name does nothing
        QVERIFY(m_dialogs.shown().isEmpty());
    }

    void failedLoadChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // empty with `missing`: no file at all
        QTest::addColumn<bool>("missing");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << QByteArray() << true << "was not found";
        QTest::newRow("empty") << QByteArray() << false << "is not a valid project file";
        QTest::newRow("binary") << QByteArray("\0\x01\x02\xff\xfe\n\x80", 7) << false
                                << "is not a valid project file";
        QTest::newRow("long first line")
            << QByteArray(100000, 'P') << false << "is not a valid project file";
        QTest::newRow("words for numbers")
            << QByteArray("Pagemason Project File\r\n\r\nOther\r\n\r\n/x/y.html\r\nProject "
                          "Notes:\r\n+ top 1 2 3\r\nnote\r\n")
            << false << "does not hold four whole numbers";
    }
    void failedLoadChangesNothing()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, missing);
        QFETCH(QString, message);
        const QString good = m_dir.filePath(QStringLiteral("keep.pmp"));
        writeFile(good, goodProject);
        QVERIFY(loadProject(good));
        currentProject().addFile(QStringLiteral("/site/c.html"));
        QVERIFY(projectModified);
        const TProjectData before = currentProject().data();

        const QString broken = m_dir.filePath(QStringLiteral("broken.pmp"));
        QFile::remove(broken);
        if (!missing)
            writeFile(broken, bytes);
        QVERIFY(!loadProject(broken));
        QCOMPARE(m_dialogs.shown().size(), 1);
        QCOMPARE(m_dialogs.shown().first().kind, pm::Dialogs::Kind::Error);
        QVERIFY2(m_dialogs.shown().first().text.contains(message),
            qPrintable(m_dialogs.shown().first().text));
        QVERIFY(m_dialogs.shown().first().text.contains(broken));
        // The open project, its file name and its unsaved state are as they were, so that
        // saving it later cannot write a mixture of two projects.
        QCOMPARE(currentProject().data().files, before.files);
        QCOMPARE(currentProject().name(), before.name);
        QCOMPARE(currentProject().notes(), before.notes);
        QCOMPARE(projectFileName, good);
        QCOMPARE(currentProject().caption(), good);
        QVERIFY(projectModified);
    }

    void folderIsNoProject()
    {
        const QString folder = m_dir.filePath(QStringLiteral("dir.pmp"));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(!loadProject(folder));
        QCOMPARE(m_dialogs.shown().size(), 1);
        QVERIFY(
            m_dialogs.shown().first().text.contains(QStringLiteral("is not a valid project file")));
    }

    void fileEndingBeforeNotesLineKeepsTheWindow()
    {
        currentProject().setNotesWindow({ true, 1, 2, 3, 4 });
        const QString path = m_dir.filePath(QStringLiteral("short.pmp"));
        writeFile(path,
            "Pagemason Project File\r\nProject name:\r\nShort\r\nProject files:\r\n/a/x.html\r\n");
        QVERIFY(loadProject(path));
        QVERIFY(m_dialogs.shown().isEmpty());
        QCOMPARE(currentProject().name(), QStringLiteral("Short"));
        QCOMPARE(currentProject().files().size(), 1);
        QCOMPARE(currentProject().notesWindow(), (TNotesWindowState { true, 1, 2, 3, 4 }));
        QVERIFY(currentProject().notes().isEmpty());
    }

    void hundredThousandFiles()
    {
        QByteArray bytes("Pagemason Project File\r\nProject name:\r\nBig\r\nProject files:\r\n");
        for (int i = 100000; i > 0; --i)
            bytes += "/nowhere/dir/page" + QByteArray::number(i) + ".html\r\n";
        bytes += "Project Notes:\r\n- 1 2 3 4\r\n";
        const QString path = m_dir.filePath(QStringLiteral("big.pmp"));
        writeFile(path, bytes);
        QVERIFY(loadProject(path)); // files that do not exist are listed all the same
        const QList<TProjectItem>& files = currentProject().files();
        QCOMPARE(files.size(), 100000);
        QVERIFY(std::is_sorted(files.begin(), files.end(), projectItemLess));
        QVERIFY(addFileToProject(QStringLiteral("/nowhere/dir/extra.html")));
        QVERIFY(!addFileToProject(QStringLiteral("/nowhere/dir/page500.html")));
    }

    void addingTheSameFile_data()
    {
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("added");
        QTest::newRow("same name and folder") << "/site/Index.html" << false;
        QTest::newRow("name in another case") << "/site/index.html" << true;
        QTest::newRow("folder in another case") << "/Site/Index.html" << true;
        QTest::newRow("no folder") << "Index.html" << true;
    }
    void addingTheSameFile()
    {
        QFETCH(QString, second);
        QFETCH(bool, added);
        QVERIFY(addFileToProject(QStringLiteral("/site/Index.html")));
        QVERIFY(projectModified);
        projectModified = false;
        QCOMPARE(addFileToProject(second), added);
        QCOMPARE(projectModified, added);
        QCOMPARE(currentProject().files().size(), added ? 2 : 1);
    }

    void saveAndReload()
    {
        TProject& p = currentProject();
        p.setName(QStringLiteral("Mine"));
        QVERIFY(!projectModified); // typing the name does not count
        addFileToProject(QStringLiteral("/s/z.html"));
        addFileToProject(QStringLiteral("/s/A.html"));
        p.setNotes(QStringLiteral("line 1\n\nline 3"));
        p.setNotesWindow({ false, 85, 154, 269, 232 });
        const QString path = m_dir.filePath(QStringLiteral("saved/mine.pmp"));
        QDir().mkpath(QFileInfo(path).absolutePath());
        QVERIFY(saveProject(path));
        QVERIFY(!projectModified);
        QCOMPARE(projectFileName, path);
        QCOMPARE(projectDir, m_dir.filePath(QStringLiteral("saved/")));
        QCOMPARE(p.caption(), path);
        QCOMPARE(readAll(path),
            QByteArray("Pagemason Project File\r\nProject name:\r\nMine\r\nProject files:\r\n"
                       "/s/A.html\r\n/s/z.html\r\nProject Notes:\r\n- 85 154 269 232\r\n"
                       "line 1\r\n\r\nline 3\r\n"));
        p.clear();
        QVERIFY(loadProject(path));
        QCOMPARE(p.notes(), QStringLiteral("line 1\nline 3"));
        QCOMPARE(p.files().size(), 2);
    }

    void failedSaveKeepsTheOldFile()
    {
        const QString path = m_dir.filePath(QStringLiteral("full.pmp"));
        writeFile(path, goodProject);
        QVERIFY(loadProject(path));
        for (int i = 0; i < 50; ++i)
            addFileToProject(QStringLiteral("/a/long/folder/name/page%1.html").arg(i));
        bool saved = true;
        {
            FullDisk full(256);
            saved = saveProject(path);
        }
        QVERIFY(!saved);
        QCOMPARE(readAll(path), goodProject);
        QVERIFY(projectModified);
        QCOMPARE(m_dialogs.shown().size(), 1);
        QVERIFY(m_dialogs.shown().first().text.contains(QStringLiteral("could not be saved")));
        QCOMPARE(QDir(m_dir.path()).entryList({ QStringLiteral("full.pmp*") }, QDir::Files),
            QStringList { "full.pmp" });
    }

    void newProjectKeepsFolderAndWindow()
    {
        const QString path = m_dir.filePath(QStringLiteral("site/good.pmp"));
        writeFile(path, goodProject);
        QVERIFY(loadProject(path));
        projectModified = true;
        newProject();
        QVERIFY(!projectModified);
        QVERIFY(projectFileName.isEmpty());
        QCOMPARE(projectDir, m_dir.filePath(QStringLiteral("site/")));
        QVERIFY(currentProject().files().isEmpty());
        QVERIFY(currentProject().name().isEmpty());
        QVERIFY(currentProject().caption().isEmpty());
        QCOMPARE(currentProject().notesWindow(), (TNotesWindowState { true, 10, 20, 300, 200 }));
    }

private:
    QTemporaryDir m_dir;
    pm::ScriptedDialogs m_dialogs;
};

QTEST_GUILESS_MAIN(TestProjectUtl)
#include "tst_project_utl.moc"
