/** @file tst_projectpanel.cpp ** The Project page as a person uses it: every way of adding a file,
 ** notes, saving, reopening, removing, the save question and the notes window. **/
#include "DocumentTestKit.h"
#include "core/global_utl.h"
#include "core/reopen_utl.h"
#include "document/Childwin.h"
#include "document/TDocumentHost.h"
#include "platform/MemorySettingsStore.h"
#include "platform/RecordingShell.h"
#include "platform/ScriptedDialogs.h"
#include "project/panel/TProjectPanel.h"
#include "project/project_utl.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

using Answer = pm::Dialogs::Answer;
Q_DECLARE_METATYPE(TProjectAnswer)

using namespace documenttest;

namespace {

QStringList listed()
{
    QStringList out;
    for (const TProjectItem& i : currentProject().files())
        out.append(projectItemPath(i));
    return out;
}

} // namespace

class TestProjectPanel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        pm::setSettingsStore(&m_store);
        setDocumentHost(&m_host);
        useTestFiles(m_dir);
        auto* central = new QWidget(&m_form);
        auto* layout = new QHBoxLayout(central);
        m_page = new QWidget(central);
        m_host.area = new QMdiArea(central);
        layout->addWidget(m_page);
        layout->addWidget(m_host.area, 1);
        m_form.setCentralWidget(central);
        m_panel = new TProjectPanel(m_page, &m_form);
        m_form.resize(900, 500);
        m_form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_form));
    }
    void cleanupTestCase()
    {
        setDocumentHost(nullptr);
        pm::setSettingsStore(nullptr);
    }
    void init()
    {
        newProject();
        projectDir = m_dir.path() + u'/';
        currentProject().setNotesWindow(TNotesWindowState());
        projectReopenList.clear();
    }
    void cleanup()
    {
        const QList<TMDIChild*> windows = documentWindows();
        for (TMDIChild* w : windows) {
            w->source().setModified(false);
            qobject_cast<QMdiSubWindow*>(w->parentWidget())->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const int questionsLeft = m_dialogs.pendingAnswers();
        m_dialogs.clear();
        QCOMPARE(questionsLeft, 0); // every answer a test queued was asked for
    }

    void aProjectFromStartToReopen()
    {
        const QString added = m_dir.filePath(QStringLiteral("site/added.html"));
        const QString titled = m_dir.filePath(QStringLiteral("site/titled.html"));
        const QString dropped1 = m_dir.filePath(QStringLiteral("site/z-drop.html"));
        const QString dropped2 = m_dir.filePath(QStringLiteral("site/a-drop.css"));
        for (const QString& f : { added, titled, dropped1, dropped2 })
            writeFile(f, "<title>T</title>\r\n");

        // "Add a file to project": chosen in the Open dialog, added and opened.
        m_dialogs.queueFiles({ added });
        m_panel->button(QStringLiteral("projectAddFN"))->trigger();
        QCOMPARE(listed(), QStringList { added });
        QCOMPARE(documentWindows().size(), 1);
        QCOMPARE(m_dialogs.fileRequests().last().filterIndex, 1); // "HTMLs"
        // "Add currently opened file": a titled document, then an untitled one saved first.
        QVERIFY(openFile(titled));
        m_panel->button(QStringLiteral("projectAddCurrentFN"))->trigger();
        TMDIChild* untitled = newDocument();
        QVERIFY(untitled);
        const QString saved = m_dir.filePath(QStringLiteral("site/new"));
        m_dialogs.queueFiles({ saved });
        m_panel->button(QStringLiteral("projectAddCurrentFN"))->trigger();
        QCOMPARE(untitled->fileName, saved + QStringLiteral(".html"));
        // Dropped from the desktop on the page: added in drop order, not opened.
        QMimeData mime;
        mime.setUrls({ QUrl::fromLocalFile(dropped1), QUrl::fromLocalFile(dropped2),
            QUrl::fromLocalFile(m_dir.path()) });
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_page, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_page, &drop);
        QCOMPARE(documentWindows().size(), 3);
        QCOMPARE(listed(),
            (QStringList { dropped2, added, saved + QStringLiteral(".html"), titled, dropped1 }));

        // The name does not count as a change; the notes do.
        projectModified = false;
        QTest::keyClicks(m_panel->nameEdit(), QStringLiteral("My site"));
        QVERIFY(!projectModified);
        QCOMPARE(currentProject().name(), QStringLiteral("My site"));
        QTest::keyClicks(m_panel->notesMemo(), QStringLiteral("first"));
        QVERIFY(projectModified);
        m_panel->notesMemo()->appendPlainText(QStringLiteral("\nthird"));

        // Save without a file asks for one; ".pmp" is added to a name without an extension.
        const QString project = m_dir.filePath(QStringLiteral("mine"));
        m_dialogs.queueFiles({ project });
        m_panel->button(QStringLiteral("projectSaveBtn"))->trigger();
        QCOMPARE(m_dialogs.fileRequests().last().title, QStringLiteral("Save file"));
        QCOMPARE(m_dialogs.fileRequests().last().filterIndex, 6); // "Projects"
        QCOMPARE(projectFileName, project + QStringLiteral(".pmp"));
        QVERIFY(!projectModified);
        QVERIFY(readAll(projectFileName)
                    .startsWith("Pagemason Project File\r\nProject name:\r\nMy site\r\n"));
        QVERIFY(readAll(projectFileName).endsWith("first\r\n\r\nthird\r\n"));

        // Loaded from the reopen menu after a New: the project is back, blank lines dropped.
        const QString other = m_dir.filePath(QStringLiteral("other.pmp"));
        writeFile(other, "Pagemason Project File\r\n\r\nOther\r\n\r\n");
        QVERIFY(loadProject(projectFileName));
        QVERIFY(loadProject(other));
        QCOMPARE(m_panel->reopenMenu()->actions().size(), 2);
        QCOMPARE(m_panel->reopenMenu()->actions().at(1)->text(), QStringLiteral("mine.pmp"));
        m_panel->button(QStringLiteral("projectNewBtn"))->trigger(); // not modified: no question
        QVERIFY(m_dialogs.shown().isEmpty());
        QVERIFY(currentProject().files().isEmpty());
        m_panel->reopenMenu()->actions().at(1)->trigger();
        QCOMPARE(listed().size(), 5);
        QCOMPARE(m_panel->nameEdit()->text(), QStringLiteral("My site"));
        QCOMPARE(m_panel->notesMemo()->toPlainText(), QStringLiteral("first\nthird"));
        QCOMPARE(m_panel->files()->model()->rowCount(), 5);
        QCOMPARE(m_panel->files()->model()->index(0, 1).data().toString(),
            m_dir.filePath(QStringLiteral("site/")));
    }

    void removeAsks_data()
    {
        QTest::addColumn<bool>("select");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("left");
        QTest::addColumn<bool>("modified");
        QTest::newRow("yes removes") << true << int(Answer::Yes) << 1 << true;
        QTest::newRow("no keeps it but counts as a change") << true << int(Answer::No) << 2 << true;
        QTest::newRow("nothing selected, nothing asked") << false << -1 << 2 << false;
    }
    void removeAsks()
    {
        QFETCH(bool, select);
        QFETCH(int, answer);
        QFETCH(int, left);
        QFETCH(bool, modified);
        const QString a = m_dir.filePath(QStringLiteral("r/a.html"));
        writeFile(a, "");
        writeFile(m_dir.filePath(QStringLiteral("r/b.html")), "");
        addFileToProject(a);
        addFileToProject(m_dir.filePath(QStringLiteral("r/b.html")));
        projectModified = false;
        if (select)
            m_panel->selectPath(a);
        if (answer >= 0)
            m_dialogs.queueAnswer(Answer(answer));
        m_panel->button(QStringLiteral("projectRemoveFN"))->trigger();
        QCOMPARE(currentProject().files().size(), left);
        QCOMPARE(projectModified, modified);
        QCOMPARE(m_dialogs.shown().size(), select ? 1 : 0);
        if (select)
            QCOMPARE(m_dialogs.shown().first().text,
                QStringLiteral("Are you sure you want to remove\r\na.html\r\nfrom your project?"));
    }

    void saveQuestion_data()
    {
        QTest::addColumn<bool>("modified");
        QTest::addColumn<bool>("hasFile");
        QTest::addColumn<int>("answer"); // -1: none asked
        QTest::addColumn<QStringList>("saveDialog"); // what the Save dialog answers, if shown
        QTest::addColumn<TProjectAnswer>("result");
        QTest::addColumn<bool>("saved");
        QTest::newRow("unchanged: nothing asked")
            << false << true << -1 << QStringList() << TProjectAnswer::NotAsked << false;
        QTest::newRow("no") << true << true << int(Answer::No) << QStringList()
                            << TProjectAnswer::No << false;
        QTest::newRow("cancel") << true << true << int(Answer::Cancel) << QStringList()
                                << TProjectAnswer::Cancel << false;
        QTest::newRow("yes saves to its file")
            << true << true << int(Answer::Yes) << QStringList() << TProjectAnswer::Yes << true;
        QTest::newRow("yes asks for a file first")
            << true << false << int(Answer::Yes) << QStringList { "asked.pmp" }
            << TProjectAnswer::Yes << true;
        QTest::newRow("yes, then no file chosen: nothing is lost")
            << true << false << int(Answer::Yes) << QStringList { "" } << TProjectAnswer::Cancel
            << false;
    }
    void saveQuestion()
    {
        QFETCH(bool, modified);
        QFETCH(bool, hasFile);
        QFETCH(int, answer);
        QFETCH(QStringList, saveDialog);
        QFETCH(TProjectAnswer, result);
        QFETCH(bool, saved);
        const QString file = m_dir.filePath(QStringLiteral("q.pmp"));
        QFile::remove(file);
        QFile::remove(m_dir.filePath(QStringLiteral("asked.pmp")));
        currentProject().setName(QStringLiteral("Q"));
        if (hasFile)
            projectFileName = file;
        projectModified = modified;
        if (answer >= 0)
            m_dialogs.queueAnswer(Answer(answer));
        if (!saveDialog.isEmpty())
            m_dialogs.queueFiles(saveDialog.first().isEmpty()
                    ? QStringList()
                    : QStringList { m_dir.filePath(saveDialog.first()) });
        QCOMPARE(askSaveProject(), result);
        QCOMPARE(m_dialogs.shown().size(), answer >= 0 ? 1 : 0);
        if (answer >= 0) {
            QCOMPARE(m_dialogs.shown().first().kind, pm::Dialogs::Kind::Warning);
            QCOMPARE(m_dialogs.shown().first().text,
                QStringLiteral("Save project?\r\nQ\r\n") + (hasFile ? file : QString()));
        }
        const QString target = hasFile ? file : m_dir.filePath(QStringLiteral("asked.pmp"));
        QCOMPARE(QFileInfo::exists(target), saved);
    }

    void newProjectQuestion()
    {
        addFileToProject(QStringLiteral("/s/keep.html"));
        currentProject().setNotesWindow({ true, 10, 20, 300, 200 });
        m_dialogs.queueAnswer(Answer::Cancel);
        m_panel->projectNewBtnClick();
        QCOMPARE(currentProject().files().size(), 1);
        m_dialogs.queueAnswer(Answer::No);
        m_panel->projectNewBtnClick();
        QVERIFY(currentProject().files().isEmpty());
        QVERIFY(!projectModified);
        QCOMPARE(projectDir, m_dir.path() + u'/');
        QCOMPARE(currentProject().notesWindow().visible, true);
        QVERIFY(m_panel->notesWindow()->isVisible());
    }

    void listOpensAndShowsTitles()
    {
        const QString page = m_dir.filePath(QStringLiteral("t/page.html"));
        writeFile(page, "<html>\r\n<TITLE>My Page</TITLE>\r\n");
        addFileToProject(page);
        addFileToProject(m_dir.filePath(QStringLiteral("t/gone.html")));
        m_panel->selectPath(page);
        QCOMPARE(m_panel->titleStrip()->text(), QStringLiteral("my page"));
        QTest::keyClick(m_panel->files(), Qt::Key_Return);
        QCOMPARE(documentWindows().size(), 1);
        QCOMPARE(documentWindows().first()->fileName, page);
        m_panel->selectPath(m_dir.filePath(QStringLiteral("t/gone.html")));
        QCOMPARE(m_dialogs.shown().size(), 1);
        QVERIFY(m_dialogs.shown().first().text.contains(QStringLiteral("was not found")));
        // "View selected file" hands the page to the browser view.
        QStringList viewed;
        m_panel->onViewFile = [&viewed](const QString& f) { viewed.append(f); };
        m_panel->button(QStringLiteral("projectViewFNBtn"))->trigger();
        QCOMPARE(viewed, QStringList { m_dir.filePath(QStringLiteral("t/gone.html")) });
    }

    void openButtonAndHeader()
    {
        const QString bad = m_dir.filePath(QStringLiteral("bad.pmp"));
        writeFile(bad, "not a project\r\n");
        m_dialogs.queueFiles({ bad });
        m_panel->projectOpenBtnClick();
        QCOMPARE(m_dialogs.fileRequests().last().title, QStringLiteral("Open file"));
        QCOMPARE(m_dialogs.fileRequests().last().folder, projectDir);
        QCOMPARE(m_dialogs.shown().size(), 1);
        QVERIFY(
            m_dialogs.shown().first().text.contains(QStringLiteral("is not a valid project file")));
    }

    void notesWindowIsTheProjects()
    {
        QVERIFY(!m_panel->notesWindow()->isVisible());
        m_panel->button(QStringLiteral("projectViewNotesBtn"))->trigger();
        QVERIFY(m_panel->notesWindow()->isVisible());
        QVERIFY(currentProject().notesWindow().visible);
        QVERIFY(!projectModified);
        m_panel->notesWindow()->move(120, 130);
        QCOMPARE(currentProject().notesWindow().left, 120);
        QCOMPARE(currentProject().notesWindow().top, 130);
        QVERIFY(!projectModified);
        m_panel->button(QStringLiteral("projectViewNotesBtn"))->trigger();
        QVERIFY(!m_panel->notesWindow()->isVisible());
        QVERIFY(!currentProject().notesWindow().visible);
        QVERIFY(notesWindowLine(currentProject().notesWindow())
                    .startsWith(QStringLiteral("- 130 120 ")));
    }

    void addCurrentFollowsTheWindows()
    {
        m_panel->setAddCurrentEnabled(false);
        QVERIFY(!m_panel->button(QStringLiteral("projectAddCurrentFN"))->isEnabled());
        m_panel->projectAddCurrentFNClick(); // with no document window nothing happens
        QVERIFY(currentProject().files().isEmpty());
        QVERIFY(m_dialogs.fileRequests().isEmpty());
        m_panel->setAddCurrentEnabled(true);
        QVERIFY(m_panel->button(QStringLiteral("projectAddCurrentFN"))->isEnabled());
    }

private:
    QTemporaryDir m_dir;
    pm::MemorySettingsStore m_store;
    pm::ScriptedDialogs m_dialogs;
    Host m_host;
    QMainWindow m_form;
    QWidget* m_page = nullptr;
    TProjectPanel* m_panel = nullptr;
};

QTEST_MAIN(TestProjectPanel)
#include "tst_projectpanel.moc"
