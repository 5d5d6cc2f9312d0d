/** @file tst_filesearch.cpp ** The search and replace runs without windows: rows, every answer
 ** of the question, the Escape rule, what is written and what is not, and undo. **/
#include "core/global_utl.h"
#include "core/status_utl.h"
#include "editor/TMemoSource.h"
#include "search/engine/TFileSearch.h"
#include "search/engine/TReplaceBackups.h"

#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>

using Answer = TReplaceAnswer;
Q_DECLARE_METATYPE(QList<TReplaceAnswer>)

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

qint64 mtimeNs(const QString& path)
{
    struct stat st
    {
    };
    ::stat(QFile::encodeName(path).constData(), &st);
    return qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

/// Answers from a list and records what it was asked; may hand out "windows" of its own.
class ScriptedHost : public TReplaceHost
{
public:
    QList<Answer> answers;
    QStringList asked; ///< "file name:line:index" of each question
    QStringList released; ///< "file name:kept" for each window given back
    bool giveWindows = false;
    int escapeAtMatch = -1; ///< Escape "pressed" when this match (counted over the run) is reached
    int escapeAtFile = -1;
    int cancelAtMatch = -1;
    int matches = 0;

    TMemoSource* openForQuestions(const QString& fileName) override
    {
        if (!giveWindows)
            return nullptr;
        auto w = std::make_unique<TMemoSource>();
        if (!w->loadFile(fileName))
            return nullptr;
        w->expandTabs(4);
        w->setModified(false);
        m_names[w.get()] = QFileInfo(fileName).fileName();
        m_windows.push_back(std::move(w));
        return m_windows.back().get();
    }
    Answer ask(TMemoSource& text, const TReplaceProgress& where) override
    {
        asked.append(QFileInfo(where.caption).fileName() + u':' + QString::number(where.line) + u':'
            + QString::number(where.charIndex));
        // The match is what is selected, and the caret is at its end.
        int c1, l1, c2, l2;
        text.getSelection(c1, l1, c2, l2);
        if (!text.hasSelection() || c1 != where.charIndex - 1 || text.CaretX() != c2)
            asked.last() += QStringLiteral(" (not selected)");
        return answers.isEmpty() ? Answer::AbortAllFiles : answers.takeFirst();
    }
    void matchReached(const TReplaceProgress&) override { ++matches; }
    bool escapePressed() override
    {
        // Asked once per match under "yes to all", and once at the start of each file.
        if (escapeAtMatch >= 0 && matches == escapeAtMatch) {
            escapeAtMatch = -1;
            return true;
        }
        if (escapeAtFile >= 0 && m_file == escapeAtFile) {
            escapeAtFile = -1;
            return true;
        }
        return false;
    }
    bool cancelled() override { return cancelAtMatch >= 0 && matches >= cancelAtMatch; }
    void fileStarted(int index, int, const QString&) override { m_file = index; }
    void release(TMemoSource* text, bool keep) override
    {
        released.append(
            m_names.value(text) + (keep ? QStringLiteral(":kept") : QStringLiteral(":closed")));
    }

private:
    std::vector<std::unique_ptr<TMemoSource>> m_windows;
    QHash<TMemoSource*, QString> m_names;
    int m_file = -1;
};

/// The results rows, as the tools window would get them.
class RowsRecorder : public TStatusSink
{
public:
    RowsRecorder()
        : m_previous(setStatusSink(this))
    {
    }
    ~RowsRecorder() override { setStatusSink(m_previous); }
    void statusChanged(const QString&) override { }
    void progressChanged(int, int) override { }
    void resultRowAdded(const QStringList& columns) override { rows.append(columns); }
    void clear() { rows.clear(); }
    QList<QStringList> rows;

private:
    TStatusSink* m_previous = nullptr;
};

/// Every write past a few bytes fails, as on a full disk.
class FullDisk
{
public:
    explicit FullDisk(rlim_t bytes)
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

} // namespace

class TestFileSearch : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        parserDelimiters = QStringLiteral("{}+-/*():=,;><$.#[]^@&~|%'<>") + QChar(u'\t');
    }
    void init()
    {
        m_sink.clear();
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
    }

    void searchRows()
    {
        writeFile(path("three.html"), "one x\r\nx x\r\n");
        writeFile(path("none.html"), "nothing here\r\n");
        writeFile(path("sub/deep.html"), "\r\n\r\n   A X\r\n");
        TSearchOptions o;
        o.TextToFind = QStringLiteral("x");
        TRunMonitor monitor;
        const auto r
            = searchInFiles(entries({ "three.html", "gone.html", "none.html", "sub/deep.html" }), o,
                false, monitor);
        QCOMPARE(r.filesSearched, 3); // the missing file is skipped
        QCOMPARE(r.filesMatched, 2);
        // One row per file however many matches it holds.
        QCOMPARE(m_sink.rows.size(), 2);
        QCOMPARE(m_sink.rows[0],
            (QStringList { "Search match", "x", "5", "0", "three.html", m_dir.path() + u'/' }));
        QCOMPARE(m_sink.rows[1],
            (QStringList { "Search match", "x", "6", "2", "deep.html", path("sub/") }));
    }

    void searchOptions_data()
    {
        QTest::addColumn<QString>("find");
        QTest::addColumn<bool>("caseSensitive");
        QTest::addColumn<bool>("whole");
        QTest::addColumn<bool>("backward");
        QTest::addColumn<bool>("entireScope");
        QTest::addColumn<QString>("where"); // "index:line" of the row, or empty
        QTest::newRow("from cursor, closed file starts at its top")
            << "Word" << false << false << false << false << "4:0";
        QTest::newRow("case sensitive") << "Word" << true << false << false << false << "10:1";
        QTest::newRow("whole words, closed file bounded by blanks only")
            << "word" << false << true << false << false << "5:3";
        QTest::newRow("backward from the top finds nothing")
            << "word" << false << false << true << false << "";
        QTest::newRow("backward over the entire scope")
            << "word" << false << false << true << true << "5:3";
    }
    void searchOptions()
    {
        QFETCH(QString, find);
        QFETCH(bool, caseSensitive);
        QFETCH(bool, whole);
        QFETCH(bool, backward);
        QFETCH(bool, entireScope);
        QFETCH(QString, where);
        writeFile(path("p.html"), "a.bword\r\nx <b>a.b Word</b>\r\nword.x\r\nsay word now\r\n");
        TSearchOptions o;
        o.TextToFind = find;
        o.CaseSensitive = caseSensitive;
        o.WholeWordsOnly = whole;
        o.Direction = backward ? sdBackward : sdForward;
        o.Origin = entireScope ? soEntireScope : soFromCursor;
        TRunMonitor monitor;
        searchInFiles(entries({ "p.html" }), o, false, monitor);
        QCOMPARE(m_sink.rows.size(), where.isEmpty() ? 0 : 1);
        if (!where.isEmpty())
            QCOMPARE(m_sink.rows[0][rcPosition] + u':' + m_sink.rows[0][rcLine], where);
    }

    void searchInTheTextSelectsInTheDocument()
    {
        TMemoSource doc;
        doc.setText(QStringLiteral("alpha\r\nbeta gamma beta\r\n"));
        doc.setCaret(2, 1);
        TSearchOptions o;
        o.TextToFind = QStringLiteral("beta");
        TRunMonitor monitor;
        const auto r = searchInFiles(
            { TSearchEntry { QStringLiteral("Untitled:1"), &doc } }, o, true, monitor);
        QCOMPARE(r.selectedInDocument, QList<int> { 0 });
        QVERIFY(m_sink.rows.isEmpty());
        int c1, l1, c2, l2;
        doc.getSelection(c1, l1, c2, l2);
        QCOMPARE((QList<int> { c1, l1, c2, l2, doc.CaretX() }), (QList<int> { 11, 1, 15, 1, 15 }));
        // In the results panel instead: a row, named by the caption.
        doc.setCaret(0, 0);
        searchInFiles({ TSearchEntry { QStringLiteral("Untitled:1"), &doc } }, o, false, monitor);
        QCOMPARE(m_sink.rows.size(), 1);
        QCOMPARE(m_sink.rows[0][rcFileName], QStringLiteral("Untitled:1"));
        QCOMPARE(m_sink.rows[0][rcFilePath], QString());
    }

    void searchOddFiles()
    {
        // Binary bytes read as single-byte text: a match is still a match, and nothing breaks.
        QByteArray binary(4096, '\0');
        for (int i = 0; i < binary.size(); ++i)
            binary[i] = char((i * 37) & 0xff);
        binary.insert(3000, "needle");
        writeFile(path("blob.bin"), binary);
        writeFile(path("empty.html"), QByteArray());
        QVERIFY(QDir().mkpath(path("folder.html")));
        TSearchOptions o;
        o.TextToFind = QStringLiteral("needle");
        TRunMonitor monitor;
        const auto r = searchInFiles(
            entries({ "blob.bin", "empty.html", "folder.html" }), o, false, monitor);
        QCOMPARE(r.filesMatched, 1);
        QCOMPARE(r.filesSearched, 2);
        QVERIFY(r.unreadable.isEmpty());

        // A file that opens but cannot be read (even by the superuser) is listed with why, for
        // a text the byte scan looks for and for one it leaves to the storage.
        const QList<TSearchEntry> mem { TSearchEntry { QStringLiteral("/proc/self/mem"), nullptr } };
        for (const QString& find : { QStringLiteral("needle"), QStringLiteral("n\u00e9e") }) {
            o.TextToFind = find;
            const auto u = searchInFiles(mem, o, false, monitor);
            QCOMPARE(u.unreadable.size(), 1);
            QVERIFY(u.unreadable.first().startsWith(QStringLiteral("/proc/self/mem: ")));
        }
    }

    void replaceAnswers_data()
    {
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("second");
        QTest::addColumn<QStringList>("counts"); // the rows' counts, in order
        QTest::addColumn<int>("questions");
        const QByteArray a("x x\r\nx\r\n");
        const QByteArray b("x\r\n");
        QTest::newRow("yes, no, yes; then yes")
            << QList<Answer> { Answer::Yes, Answer::No, Answer::Yes, Answer::Yes }
            << QByteArray("yy x\r\nyy\r\n") << QByteArray("yy\r\n")
            << QStringList { "2 time(s)", "1 time(s)" } << 4;
        QTest::newRow("yes to all in file asks again in the next")
            << QList<Answer> { Answer::No, Answer::YesToAllInFile, Answer::No }
            << QByteArray("x yy\r\nyy\r\n") << b << QStringList { "2 time(s)", "0 time(s)" } << 3;
        QTest::newRow("yes to all files asks no more")
            << QList<Answer> { Answer::YesToAllFiles } << QByteArray("yy yy\r\nyy\r\n")
            << QByteArray("yy\r\n") << QStringList { "3 time(s)", "1 time(s)" } << 1;
        QTest::newRow("next file leaves the rest")
            << QList<Answer> { Answer::Yes, Answer::NextFile, Answer::NextFile }
            << QByteArray("yy x\r\nx\r\n") << b << QStringList { "1 time(s)", "0 time(s)" } << 3;
        QTest::newRow("abort leaves this file and the rest unsaved and unreported")
            << QList<Answer> { Answer::Yes, Answer::AbortAllFiles } << a << b << QStringList() << 2;
    }
    void replaceAnswers()
    {
        QFETCH(QList<Answer>, answers);
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        QFETCH(QStringList, counts);
        QFETCH(int, questions);
        writeFile(path("a.html"), "x x\r\nx\r\n");
        writeFile(path("b.html"), "x\r\n");
        ScriptedHost host;
        host.answers = answers;
        TSearchOptions o;
        o.TextToFind = QStringLiteral("x");
        o.ReplaceWith = QStringLiteral("yy");
        const auto r = replaceInFiles(entries({ "a.html", "b.html" }), o, host, nullptr);
        QCOMPARE(host.asked.size(), questions);
        QVERIFY2(!host.asked.join(u' ').contains(QStringLiteral("not selected")),
            qPrintable(host.asked.join(u' ')));
        QCOMPARE(readAll(path("a.html")), first);
        QCOMPARE(readAll(path("b.html")), second);
        QStringList got;
        for (const QStringList& row : std::as_const(m_sink.rows)) {
            QCOMPARE(row[rcDescription], QStringLiteral("Replace results"));
            QCOMPARE(row[rcText], QStringLiteral("\"x\" with \"yy\""));
            QCOMPARE(row[rcLine], QString());
            got.append(row[rcPosition]);
        }
        QCOMPARE(got, counts);
        QCOMPARE(r.aborted, counts.isEmpty());
    }

    void nextFileAndNoMatchLeaveTheFileAlone()
    {
        // Tabs and trailing blanks, which a read through the storage would change.
        const QByteArray tabbed("\tx  \r\nline\t\r\n");
        writeFile(path("next.html"), tabbed);
        writeFile(path("none.html"), tabbed);
        const qint64 before = mtimeNs(path("next.html"));
        const qint64 beforeNone = mtimeNs(path("none.html"));
        ScriptedHost host;
        host.answers = { Answer::NextFile };
        TSearchOptions o;
        o.TextToFind = QStringLiteral("x");
        o.ReplaceWith = QStringLiteral("y");
        replaceInFiles(entries({ "next.html" }), o, host, nullptr);
        o.TextToFind = QStringLiteral("absent");
        replaceInFiles(entries({ "none.html" }), o, host, nullptr);
        QCOMPARE(readAll(path("next.html")), tabbed);
        QCOMPARE(readAll(path("none.html")), tabbed);
        QCOMPARE(mtimeNs(path("next.html")), before);
        QCOMPARE(mtimeNs(path("none.html")), beforeNone);
        QCOMPARE(m_sink.rows.size(), 2);
        QCOMPARE(m_sink.rows[0][rcPosition], QStringLiteral("0 time(s)"));
        QCOMPARE(m_sink.rows[1][rcPosition], QStringLiteral("0 time(s)"));
    }

    void replacementHoldingTheTextEnds()
    {
        writeFile(path("grow.html"), "ab ab\r\nab\r\n");
        ScriptedHost host;
        host.answers = { Answer::YesToAllFiles };
        TSearchOptions o;
        o.TextToFind = QStringLiteral("ab");
        o.ReplaceWith = QStringLiteral("xaby");
        const auto r = replaceInFiles(entries({ "grow.html" }), o, host, nullptr);
        QCOMPARE(r.replacements, 3);
        QCOMPARE(readAll(path("grow.html")), QByteArray("xaby xaby\r\nxaby\r\n"));
    }

    void backwardReplaceTakesEachMatchOnce()
    {
        writeFile(path("back.html"), "aaaa\r\naa\r\n");
        ScriptedHost host;
        host.answers = { Answer::YesToAllFiles };
        TSearchOptions o;
        o.TextToFind = QStringLiteral("aa");
        o.ReplaceWith = QStringLiteral("b");
        o.Direction = sdBackward;
        o.Origin = soEntireScope;
        const auto r = replaceInFiles(entries({ "back.html" }), o, host, nullptr);
        QCOMPARE(r.replacements, 3);
        QCOMPARE(readAll(path("back.html")), QByteArray("bb\r\nb\r\n"));
    }

    void escapeUnderYesToAll()
    {
        writeFile(path("a.html"), "x x x\r\n");
        writeFile(path("b.html"), "x\r\n");
        writeFile(path("c.html"), "x\r\n");
        ScriptedHost host;
        host.giveWindows = true;
        // The first question is answered for all files; Escape at the third match asks for
        // that match (in a window opened now, holding what was replaced), and the answer is
        // "No"; Escape at the start of the third file ends the run there.
        host.answers = { Answer::YesToAllFiles, Answer::No };
        host.escapeAtMatch = 3;
        host.escapeAtFile = 2;
        TSearchOptions o;
        o.TextToFind = QStringLiteral("x");
        o.ReplaceWith = QStringLiteral("y");
        const auto r = replaceInFiles(entries({ "a.html", "b.html", "c.html" }), o, host, nullptr);
        QCOMPARE(host.asked, (QStringList { "a.html:0:1", "a.html:0:5" }));
        QCOMPARE(readAll(path("a.html")), QByteArray("y y x\r\n"));
        QCOMPARE(readAll(path("b.html")), QByteArray("y\r\n"));
        QCOMPARE(readAll(path("c.html")), QByteArray("x\r\n"));
        QVERIFY(r.aborted);
        QCOMPARE(m_sink.rows.size(), 2);
        QCOMPARE(host.released, (QStringList { "a.html:closed" }));
    }

    void cancelStopsAtOnce()
    {
        writeFile(path("a.html"), "x x x\r\n");
        ScriptedHost host;
        host.giveWindows = true;
        host.answers = { Answer::YesToAllInFile };
        host.cancelAtMatch = 2;
        TSearchOptions o;
        o.TextToFind = QStringLiteral("x");
        o.ReplaceWith = QStringLiteral("y");
        const auto r = replaceInFiles(entries({ "a.html" }), o, host, nullptr);
        QVERIFY(r.aborted);
        QCOMPARE(readAll(path("a.html")), QByteArray("x x x\r\n"));
        QVERIFY(m_sink.rows.isEmpty());
        QCOMPARE(host.released, (QStringList { "a.html:kept" })); // its window keeps the changes
    }

    void openDocumentGetsOneUndoStep()
    {
        const QString name = path("open.html");
        writeFile(name, "keep\r\n");
        TMemoSource doc;
        doc.setOptions(TStringsOptions(0x1FF));
        QVERIFY(doc.loadFile(name));
        doc.setCaret(0, 0);
        doc.insertText(QStringLiteral("typed x and x "));
        doc.setCaret(0, 0);
        const QString before = doc.text();
        ScriptedHost host;
        host.answers = { Answer::Yes, Answer::Yes };
        TSearchOptions o;
        o.TextToFind = QStringLiteral("x");
        o.ReplaceWith = QStringLiteral("why");
        const auto r = replaceInFiles({ TSearchEntry { name, &doc } }, o, host, nullptr);
        QCOMPARE(r.documentsChanged, 1);
        QCOMPARE(r.filesWritten, 0);
        QCOMPARE(doc.line(0), QStringLiteral("typed why and why keep"));
        QCOMPARE(readAll(name), QByteArray("keep\r\n")); // left unsaved
        doc.Undo();
        QCOMPARE(doc.text(), before);
        // Before the run: the caret move, then the user's own typing, each a step of its own.
        doc.Undo();
        QCOMPARE(doc.text(), before);
        doc.Undo();
        QCOMPARE(doc.line(0), QStringLiteral("keep"));
    }

    void writeFailuresLeaveFilesWhole_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("undoCopies");
        QTest::newRow("read-only") << "read-only" << true;
        QTest::newRow("full disk, the undo copy fails first") << "full" << true;
        QTest::newRow("full disk, the file itself") << "full" << false;
    }
    void writeFailuresLeaveFilesWhole()
    {
        QFETCH(QString, kind);
        QFETCH(bool, undoCopies);
        QByteArray big;
        for (int i = 0; i < 400; ++i)
            big += "x marks the spot number " + QByteArray::number(i) + "\r\n";
        writeFile(path("a.html"), big);
        writeFile(path("b.html"), "x\r\n");
        if (kind == QLatin1String("read-only"))
            QFile::setPermissions(path("a.html"), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        ScriptedHost host;
        host.answers = { Answer::YesToAllFiles };
        TSearchOptions o;
        o.TextToFind = QStringLiteral("x");
        o.ReplaceWith = QStringLiteral("y");
        TReplaceBackups backups(path("cache"));
        TReplaceRunResult r;
        {
            std::unique_ptr<FullDisk> full;
            if (kind == QLatin1String("full"))
                full = std::make_unique<FullDisk>(4096);
            r = replaceInFiles(
                entries({ "a.html", "b.html" }), o, host, undoCopies ? &backups : nullptr);
        }
        QCOMPARE(readAll(path("a.html")), big);
        QCOMPARE(r.failures.size(), 1);
        QVERIFY(r.failures.first().startsWith(path("a.html")));
        // The other file is done, and it is the only one undo would put back.
        QCOMPARE(readAll(path("b.html")), QByteArray("y\r\n"));
        QCOMPARE(m_sink.rows.size(), 1);
        QCOMPARE(m_sink.rows[0][rcFileName], QStringLiteral("b.html"));
        QCOMPARE(backups.count(), undoCopies ? 1 : 0);
        QCOMPARE(QDir(m_dir.path()).entryList({ QStringLiteral("a.html*") }, QDir::Files),
            QStringList { "a.html" });
        QFile::setPermissions(path("a.html"), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    void writingKeepsLinksAndPermissions()
    {
        writeFile(path("real.html"), "x\r\n");
        QFile::setPermissions(path("real.html"),
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
        QVERIFY(QFile::link(path("real.html"), path("link.html")));
        ScriptedHost host;
        host.answers = { Answer::YesToAllFiles };
        TSearchOptions o;
        o.TextToFind = QStringLiteral("x");
        o.ReplaceWith = QStringLiteral("y");
        QCOMPARE(replaceInFiles(entries({ "link.html" }), o, host, nullptr).filesWritten, 1);
        QVERIFY(QFileInfo(path("link.html")).isSymLink());
        QCOMPARE(readAll(path("real.html")), QByteArray("y\r\n"));
        QCOMPARE(QFileInfo(path("real.html")).permissions(),
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
                | QFileDevice::WriteUser | QFileDevice::ReadGroup);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::System).size(),
            2); // no temporary left
    }

    void undoPutsEveryFileBack()
    {
        const QByteArray a("\tx\r\nkeep  \r\n");
        const QByteArray b("x x\nLF only\n");
        writeFile(path("a.html"), a);
        writeFile(path("b.html"), b);
        writeFile(path("c.html"), "x\r\n");
        ScriptedHost host;
        host.answers = { Answer::YesToAllFiles };
        TSearchOptions o;
        o.TextToFind = QStringLiteral("x");
        o.ReplaceWith = QStringLiteral("y");
        TReplaceBackups backups(path("cache"));
        const auto r = replaceInFiles(entries({ "a.html", "b.html", "c.html" }), o, host, &backups);
        QCOMPARE(r.filesWritten, 3);
        QCOMPARE(backups.count(), 3);
        writeFile(path("c.html"), "changed by hand\r\n");
        const auto outcomes = backups.restore();
        QCOMPARE(outcomes.size(), 3);
        QCOMPARE(readAll(path("a.html")), a);
        QCOMPARE(readAll(path("b.html")), b);
        QCOMPARE(readAll(path("c.html")), QByteArray("changed by hand\r\n"));
        QCOMPARE(outcomes[0].fileName, path("c.html")); // the last written first
        QCOMPARE(outcomes[0].result, TReplaceBackups::Outcome::Refused);
        QCOMPARE(outcomes[1].result, TReplaceBackups::Outcome::Restored);
        QCOMPARE(outcomes[2].result, TReplaceBackups::Outcome::Restored);
        QVERIFY(backups.isEmpty());
    }

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QList<TSearchEntry> entries(const QStringList& names) const
    {
        QList<TSearchEntry> out;
        for (const QString& n : names) {
            QDir().mkpath(QFileInfo(path(n)).absolutePath());
            out.append(TSearchEntry { path(n), nullptr });
        }
        return out;
    }

    QTemporaryDir m_dir;
    RowsRecorder m_sink;
};

QTEST_GUILESS_MAIN(TestFileSearch)
#include "tst_filesearch.moc"
