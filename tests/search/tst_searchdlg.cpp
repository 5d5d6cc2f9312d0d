/** @file tst_searchdlg.cpp ** The search dialog as a person uses it: the list and its sources,
 ** the options' rules, runs over open and closed files, the question in document windows, the
 ** Escape key and Cancel over thousands of files, and taking a replace back. **/
#include "DocumentTestKit.h"
#include "core/global_utl.h"
#include "core/status_utl.h"
#include "document/Childwin.h"
#include "document/TDocumentHost.h"
#include "editor/TSearchOptions.h"
#include "platform/MemorySettingsStore.h"
#include "platform/ScriptedDialogs.h"
#include "project/project_utl.h"
#include "search/TprocessForm.h"
#include "search/TreplaceDlg.h"
#include "search/searchFrm.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

using Answer = TReplaceAnswer;

using namespace documenttest;

namespace {

class RowsRecorder : public TStatusSink
{
public:
    RowsRecorder()
        : m_previous(setStatusSink(this))
    {
    }
    ~RowsRecorder() override { setStatusSink(m_previous); }
    void statusChanged(const QString& text) override { status = text; }
    void progressChanged(int, int) override { }
    void resultRowAdded(const QStringList& columns) override { rows.append(columns); }
    QList<QStringList> rows;
    QString status;

private:
    TStatusSink* m_previous = nullptr;
};

/// Answers the replace question from a list, noting what was selected in which window.
class ScriptedQuestion : public TReplaceQuestion
{
public:
    QList<Answer> answers;
    QStringList asked;
    std::function<void()> whenAsked;
    Answer ask(QWidget* over) override
    {
        auto* w = qobject_cast<TMDIChild*>(over);
        asked.append(w ? QFileInfo(w->caption()).fileName() + u':' + w->source().SelText()
                       : QStringLiteral("no window"));
        if (whenAsked)
            whenAsked();
        return answers.isEmpty() ? Answer::AbortAllFiles : answers.takeFirst();
    }
};

} // namespace

class TestSearchDlg : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        pm::setSettingsStore(&m_store);
        setDocumentHost(&m_host);
        useTestFiles(m_dir);
        qputenv("XDG_CACHE_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("cache"))));
        auto* central = new QWidget(&m_form);
        auto* layout = new QHBoxLayout(central);
        m_host.area = new QMdiArea(central);
        layout->addWidget(m_host.area);
        m_form.setCentralWidget(central);
        m_form.resize(900, 600);
        m_form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_form));
        m_dlg = new TsearchDlg(&m_form, m_dir.path(), fileDialogFilter);
        m_dlg->setReplaceQuestion(&m_question);
    }
    void cleanupTestCase()
    {
        delete m_dlg;
        setDocumentHost(nullptr);
        pm::setSettingsStore(nullptr);
    }
    void init()
    {
        m_dlg->clearEntries();
        m_dlg->replaceChk()->setChecked(false);
        m_dlg->searchFor()->clear();
        m_dlg->replaceWith()->clear();
        m_dlg->caseChk()->setChecked(false);
        m_dlg->wholeChk()->setChecked(false);
        m_question.answers.clear();
        m_question.asked.clear();
        m_question.whenAsked = nullptr;
        m_rows.rows.clear();
        newProject();
    }
    void cleanup()
    {
        closeAll();
        m_dialogs.clear();
    }

    void showingTheDialog()
    {
        addFileToProject(QStringLiteral("/site/p.html"));
        TMDIChild* first = newDocument();
        TMDIChild* active = newDocument();
        active->source().setText(QStringLiteral("some text"));
        active->source().setSelection(smStream, 0, 0, 4, 0);
        m_dlg->replaceChk()->setChecked(true);
        m_dlg->FormShow();
        QVERIFY(!m_dlg->replaceChk()->isChecked());
        QVERIFY(m_dlg->selectedText()->isChecked()); // the active document has a selection
        QCOMPARE(m_dlg->entries().size(), 1);
        QCOMPARE(m_dlg->entries().first().caption, active->caption());
        QCOMPARE(m_dlg->entries().first().window.data(), active);
        QCOMPARE(m_dlg->openedFiles()->topLevelItemCount(), 2);
        QCOMPARE(m_dlg->openedFiles()->topLevelItem(0)->text(0), first->caption());
        QCOMPARE(m_dlg->projectFilesList()->topLevelItem(0)->text(0), QStringLiteral("p.html"));
        QCOMPARE(m_dlg->projectFilesList()->topLevelItem(0)->text(1), QStringLiteral("/site/"));
        // The check box rule: one entry, "In the text" and free; two, "In Results panel", fixed.
        QVERIFY(m_dlg->inTheText()->isChecked());
        QVERIFY(m_dlg->inTheText()->isEnabled());
        QVERIFY(!m_dlg->replaceWith()->isEnabled());
        m_dlg->openedFiles()->topLevelItem(0)->setSelected(true);
        m_dlg->dropFrom(m_dlg->openedFiles());
        QVERIFY(m_dlg->inResultsPanel()->isChecked());
        QVERIFY(!m_dlg->inResultsPanel()->isEnabled());
        m_dlg->filesListBox()->topLevelItem(1)->setSelected(true);
        m_dlg->removeSelectedEntries();
        QVERIFY(m_dlg->inTheText()->isChecked());
        m_dlg->replaceChk()->setChecked(true);
        QVERIFY(!m_dlg->inTheText()->isEnabled());
        QVERIFY(m_dlg->replaceWith()->isEnabled());
        // Showing it again keeps the list and adds nothing twice.
        m_dlg->FormShow();
        QCOMPARE(m_dlg->entries().size(), 1);
    }

    void dropping_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<bool>("byEnter");
        QTest::newRow("folder's files") << "folder" << QStringList { "a.html", "c.txt" } << false;
        QTest::newRow("folder's files by Enter")
            << "folder" << QStringList { "a.html", "c.txt" } << true;
        QTest::newRow("project's files")
            << "project" << QStringList { "/x/one.html", "/y/two.html" } << false;
        QTest::newRow("open documents by Enter")
            << "open" << QStringList { "Untitled:1", "Untitled:2" } << true;
        QTest::newRow("anything else is refused") << "other" << QStringList() << false;
    }
    void dropping()
    {
        QFETCH(QString, source);
        QFETCH(QStringList, entries);
        QFETCH(bool, byEnter);
        const QString folder = m_dir.filePath(QStringLiteral("drop"));
        for (const char* n : { "a.html", "b.html", "c.txt" })
            writeFile(folder + u'/' + QLatin1String(n), "x");
        addFileToProject(QStringLiteral("/x/one.html"));
        addFileToProject(QStringLiteral("/y/two.html"));
        newDocument();
        newDocument();
        m_dlg->FormShow();
        m_dlg->clearEntries();
        m_dlg->setFolder(folder);
        QObject* from = nullptr;
        if (source == QLatin1String("folder")) {
            from = m_dlg->fileList();
            QCOMPARE(m_dlg->fileList()->count(), 3);
            m_dlg->fileList()->item(0)->setSelected(true);
            m_dlg->fileList()->item(2)->setSelected(true);
            for (QString& e : entries)
                e = folder + u'/' + e;
        } else if (source == QLatin1String("project")) {
            from = m_dlg->projectFilesList();
            m_dlg->projectFilesList()->selectAll();
        } else if (source == QLatin1String("open")) {
            from = m_dlg->openedFiles();
            m_dlg->openedFiles()->selectAll();
        } else {
            from = m_dlg->searchFor();
        }
        QCOMPARE(m_dlg->acceptsDropFrom(from), !entries.isEmpty());
        if (byEnter) {
            QTest::keyClick(qobject_cast<QWidget*>(from), Qt::Key_Return);
            QTest::keyClick(qobject_cast<QWidget*>(from), Qt::Key_Return);
        } else if (m_dlg->acceptsDropFrom(from)) {
            m_dlg->dropFrom(from);
            m_dlg->dropFrom(from); // a caption already listed is not added again
        }
        QStringList got;
        for (const TsearchDlg::Entry& e : m_dlg->entries()) {
            got.append(e.caption);
            QCOMPARE(!e.window.isNull(), source == QLatin1String("open"));
        }
        QCOMPARE(got, entries);
    }

    void searchOpenAndClosedThenFindNext()
    {
        const QString closed = m_dir.filePath(QStringLiteral("s/closed.html"));
        writeFile(closed, "nothing\r\n<p>Alpha beta</p>\r\n");
        TMDIChild* open = newDocument();
        open->source().setText(QStringLiteral("beta one\r\nbeta two"));
        open->source().setCaret(0, 0);
        m_dlg->FormShow();
        m_dlg->addEntry(closed);
        m_dlg->addEntry(m_dir.filePath(QStringLiteral("s/missing.html")));
        m_dlg->searchFor()->setText(QStringLiteral("beta"));
        QVERIFY(m_dlg->go());
        QCOMPARE(m_rows.rows.size(), 2);
        QCOMPARE(m_rows.rows[0],
            (QStringList { "Search match", "beta", "1", "0", open->caption(), "" }));
        QCOMPARE(m_rows.rows[1],
            (QStringList { "Search match", "beta", "10", "1", "closed.html",
                m_dir.filePath(QStringLiteral("s/")) }));
        QVERIFY(m_rows.status.endsWith(QStringLiteral("Ready")));
        QVERIFY(!m_dlg->processForm()->isVisible());
        // Find Next repeats the search from the caret.
        open->source().setCaret(2, 0);
        QVERIFY(findNext(open->source()));
        QCOMPARE(open->source().CaretY(), 1);
        QCOMPARE(open->source().SelText(), QStringLiteral("beta"));
    }

    void oneDocumentInTheText()
    {
        TMDIChild* w = newDocument();
        w->source().setText(QStringLiteral("x\r\nfind me, find me"));
        w->source().setCaret(0, 0);
        m_dlg->FormShow();
        m_dlg->searchFor()->setText(QStringLiteral("me"));
        QVERIFY(m_dlg->inTheText()->isChecked());
        QVERIFY(m_dlg->go());
        QVERIFY(m_rows.rows.isEmpty());
        int c1, l1, c2, l2;
        w->source().getSelection(c1, l1, c2, l2);
        QCOMPARE(
            (QList<int> { c1, l1, c2, l2, w->source().CaretX() }), (QList<int> { 5, 1, 7, 1, 7 }));
        QVERIFY(m_dialogs.shown().isEmpty());
        // Not found: said so.
        m_dlg->FormShow();
        m_dlg->searchFor()->setText(QStringLiteral("absent"));
        QVERIFY(m_dlg->go());
        QCOMPARE(m_dialogs.shown().size(), 1);
        QCOMPARE(
            m_dialogs.shown().first().text, QStringLiteral("Search string 'absent' not found"));
        // An empty list: Go does nothing.
        m_dlg->clearEntries();
        QVERIFY(!m_dlg->go());
    }

    void replaceAskedInWindows()
    {
        const QString closed = m_dir.filePath(QStringLiteral("r/closed.html"));
        writeFile(closed, "a x b x\r\n");
        TMDIChild* open = newDocument();
        open->source().setText(QStringLiteral("x marks"));
        open->source().setCaret(0, 0);
        open->source().setModified(false);
        m_dlg->FormShow();
        m_dlg->addEntry(closed);
        m_dlg->replaceChk()->setChecked(true);
        m_dlg->searchFor()->setText(QStringLiteral("x"));
        m_dlg->replaceWith()->setText(QStringLiteral("yy"));
        // The untitled document is not a file: skipped. The closed file opens in a window for
        // its questions, which closes once it is saved.
        m_question.answers = { Answer::Yes, Answer::No };
        QVERIFY(m_dlg->go());
        QCOMPARE(m_question.asked, (QStringList { "closed.html:x", "closed.html:x" }));
        QCOMPARE(readAll(closed), QByteArray("a yy b x\r\n"));
        QCOMPARE(open->source().line(0), QStringLiteral("x marks"));
        QCOMPARE(documentWindows().size(), 1);
        QVERIFY(m_dlg->canUndoReplace());
        QCOMPARE(m_rows.rows.size(), 1);
        QCOMPARE(m_rows.rows[0],
            (QStringList { "Replace results", "\"x\" with \"yy\"", "1 time(s)", "", "closed.html",
                m_dir.filePath(QStringLiteral("r/")) }));

        // An open document with a file: changed, left unsaved, and one Undo takes it back.
        const QString page = m_dir.filePath(QStringLiteral("r/open.html"));
        writeFile(page, "x and x\r\n");
        TMDIChild* w = openFile(page);
        QVERIFY(w);
        m_rows.rows.clear();
        m_dlg->clearEntries();
        m_dlg->FormShow();
        m_dlg->replaceChk()->setChecked(true);
        m_dlg->searchFor()->setText(QStringLiteral("x"));
        m_dlg->replaceWith()->setText(QStringLiteral("yy"));
        m_question.asked.clear();
        m_question.answers = { Answer::YesToAllInFile };
        QVERIFY(m_dlg->go());
        QCOMPARE(m_question.asked, QStringList { "open.html:x" });
        QCOMPARE(w->source().line(0), QStringLiteral("yy and yy"));
        QVERIFY(w->source().Modified());
        QCOMPARE(readAll(page), QByteArray("x and x\r\n"));
        w->source().Undo();
        QCOMPARE(w->source().line(0), QStringLiteral("x and x"));
        // The next run wrote no file: the copies of the one before are gone with it.
        QVERIFY(!m_dlg->canUndoReplace());
    }

    void escapeStopsASearchOverThousandsOfFiles()
    {
        const QStringList files = manyFiles(QStringLiteral("many"), 2000, "<p>the word</p>\r\n");
        for (const QString& f : files)
            m_dlg->addEntry(f);
        m_dlg->searchFor()->setText(QStringLiteral("word"));
        // Once the run has found some files, Escape is pressed.
        QElapsedTimer sincePress;
        int rowsAtPress = -1;
        QTimer press;
        press.setInterval(0);
        connect(&press, &QTimer::timeout, this, [&] {
            if (m_rows.rows.size() < 10 || sincePress.isValid())
                return;
            rowsAtPress = int(m_rows.rows.size());
            sincePress.start();
            QCoreApplication::postEvent(m_dlg->processForm(),
                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        });
        press.start();
        QVERIFY(m_dlg->go());
        press.stop();
        QVERIFY2(sincePress.isValid(), "the run never let events through");
        const qint64 stoppedAfter = sincePress.elapsed();
        QVERIFY2(stoppedAfter < 500, qPrintable(QString::number(stoppedAfter)));
        // The rows found so far are kept; the run did not go on.
        QVERIFY(rowsAtPress > 0);
        QVERIFY(m_rows.rows.size() >= rowsAtPress);
        QVERIFY(m_rows.rows.size() < files.size());
        QVERIFY(m_rows.status.contains(QStringLiteral("(stopped)")));
    }

    void cancelStopsAReplaceAndUndoPutsItBack()
    {
        const QByteArray original("<p>the word\tand more</p>\r\n");
        const QStringList files = manyFiles(QStringLiteral("undo"), 2000, original);
        for (const QString& f : files)
            m_dlg->addEntry(f);
        m_dlg->replaceChk()->setChecked(true);
        m_dlg->searchFor()->setText(QStringLiteral("word"));
        m_dlg->replaceWith()->setText(QStringLiteral("term"));
        m_question.answers = { Answer::YesToAllFiles };
        QSignalSpy undo(m_dlg, &TsearchDlg::undoAvailableChanged);
        QElapsedTimer sinceCancel;
        QTimer cancel;
        cancel.setInterval(0);
        connect(&cancel, &QTimer::timeout, this, [&] {
            if (m_dlg->processForm()->breaths() < 3 || sinceCancel.isValid())
                return;
            sinceCancel.start();
            QMetaObject::invokeMethod(
                m_dlg->processForm()->cancelButton(), "click", Qt::QueuedConnection);
        });
        cancel.start();
        QVERIFY(m_dlg->go());
        cancel.stop();
        QVERIFY(sinceCancel.isValid());
        QVERIFY2(sinceCancel.elapsed() < 500, qPrintable(QString::number(sinceCancel.elapsed())));
        int changed = 0;
        for (const QString& f : files)
            changed += readAll(f) != original ? 1 : 0;
        QVERIFY(changed > 0);
        QVERIFY(changed < files.size());
        QCOMPARE(m_rows.rows.size(), changed); // every file written was reported
        QCOMPARE(undo.last().first().toBool(), true);

        // One file changed by hand since, one open in a window as the run left it.
        writeFile(files[0], "edited by hand\r\n");
        TMDIChild* w = openFile(files[1]);
        QVERIFY(w);
        QCOMPARE(w->source().line(0), QStringLiteral("<p>the term    and more</p>"));
        m_dlg->undoReplaceInFiles();
        QCOMPARE(readAll(files[0]), QByteArray("edited by hand\r\n"));
        for (int i = 1; i < files.size(); ++i)
            QCOMPARE(readAll(files[i]), original);
        QCOMPARE(w->source().line(0), QStringLiteral("<p>the word    and more</p>"));
        QVERIFY(!w->source().Modified());
        QCOMPARE(m_dialogs.shown().size(), 1);
        QVERIFY(m_dialogs.shown().first().text.contains(
            files[0] + QStringLiteral(": it has changed since the replace")));
        QCOMPARE(undo.last().first().toBool(), false);
        QVERIFY(!m_dlg->canUndoReplace());
    }

private:
    QStringList manyFiles(const QString& folder, int count, const QByteArray& bytes)
    {
        QStringList out;
        const QString dir = m_dir.filePath(folder);
        QDir().mkpath(dir);
        for (int i = 0; i < count; ++i) {
            const QString f = dir + QStringLiteral("/p%1.html").arg(i, 4, 10, QLatin1Char('0'));
            QFile file(f);
            if (file.open(QIODevice::WriteOnly))
                file.write(bytes);
            out.append(f);
        }
        return out;
    }

    QTemporaryDir m_dir;
    pm::MemorySettingsStore m_store;
    pm::ScriptedDialogs m_dialogs;
    RowsRecorder m_rows;
    Host m_host;
    QMainWindow m_form;
    TsearchDlg* m_dlg = nullptr;
    ScriptedQuestion m_question;
};

QTEST_MAIN(TestSearchDlg)
#include "tst_searchdlg.moc"
