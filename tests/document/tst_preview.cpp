/** @file tst_preview.cpp ** The Preview page and the live preview with the real web engine
 ** (offscreen): a saved page shows itself, unsaved text shows with its own pictures and styles
 ** and nothing written anywhere, no page shared between documents, the live preview follows
 ** typing and keeps its place, large pages follow saves; and "View in browser"'s question. **/
#include "core/StatusRecorder.h"
#include "core/global_utl.h"
#include "document/Childwin.h"
#include "document/TDocumentHost.h"
#include "document/TPreviewPane.h"
#include "platform/MemorySettingsStore.h"
#include "platform/RecordingShell.h"
#include "platform/ScriptedDialogs.h"

#include <QDir>
#include <QDirIterator>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
// The web engine frees some of its own objects with another size than it made them with.
extern "C" const char* __asan_default_options()
{
    return "new_delete_type_mismatch=0";
}
#endif

namespace {

// Chromium refuses to start as root with its sandbox on; set before the application exists.
const bool sandboxRule = [] {
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    return true;
}();

using Answer = pm::Dialogs::Answer;

class TestHost : public TDocumentHost
{
public:
    QMdiArea area;
    QMdiArea* mdiArea() override { return &area; }
};

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

/// Every file below a folder with its size, to see that previewing wrote nothing.
QStringList listing(const QString& folder)
{
    QStringList out;
    QDirIterator it(
        folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        out.append(it.filePath() + u' ' + QString::number(it.fileInfo().size()));
    }
    out.sort();
    return out;
}

QVariant evaluate(TPreviewPane* pane, const QString& script)
{
    QVariant result;
    bool done = false;
    pane->runScript(script, [&](const QVariant& v) {
        result = v;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 10000))
        return QStringLiteral("<no answer>");
    return result;
}

/// What the shown page holds: its text, its paragraph colour (the style sheet's) and the width
/// its picture was decoded with (0 when it did not load).
QString pageState(TPreviewPane* pane)
{
    return evaluate(pane,
        QStringLiteral("[document.body.innerText.trim().replace(/\\s+/g, ' '),"
                       " getComputedStyle(document.querySelector('p')).color,"
                       " String(document.images.length ? document.images[0].naturalWidth : 0)]"
                       ".join(' | ')"))
        .toString();
}

const QByteArray page = "<html><head><link rel=\"stylesheet\" href=\"css/site.css\"></head>\n"
                        "<body><p>Saved text</p><img src=\"img/dot.png\"></body></html>\n";

// A 3 x 2 PNG.
const QByteArray png
    = QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAMAAAACCAIAAAASFvFNAAAAEklEQVR4nGP4z8AARCCSg"
                             "QHCAAA1rgX7Yy2LrwAAAABJRU5ErkJggg==");

} // namespace

class TestPreview : public QObject
{
    Q_OBJECT

    /// Switches to the Preview page and waits for the page to load.
    bool showPreviewPage(TMDIChild* w)
    {
        QSignalSpy loaded(w->webBrowser, &TPreviewPane::loaded);
        w->pages()->setCurrentIndex(1);
        return loaded.wait(20000) && loaded.first().first().toBool();
    }

    QString site() const { return m_dir.filePath(QStringLiteral("site/")); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        pm::setSettingsStore(&m_store);
        setDocumentHost(&m_host);
        m_host.area.resize(900, 700);
        m_host.area.show();
        webBrowserControlAvailable = true;
        QVERIFY(TPreviewPane::available());
        globalOptions.autoInsertTags = false;
        setApplicationFolder(m_dir.filePath(QStringLiteral("app")));
        QDir().mkpath(applicationFolder);
        setFileNames();
        dynamicMenusFileName = QStringLiteral(TEST_DATA_DIR "/document/default.mnu");
        colorRulesFileName = QStringLiteral(TEST_DATA_DIR "/../../shipped/Pagemason.colors");
        writeFile(site() + QStringLiteral("index.html"), page);
        writeFile(site() + QStringLiteral("css/site.css"), "p { color: rgb(0, 128, 0) }\n");
        writeFile(site() + QStringLiteral("img/dot.png"), png);
    }
    void cleanupTestCase()
    {
        setDocumentHost(nullptr);
        pm::setSettingsStore(nullptr);
    }
    void cleanup()
    {
        const QList<TMDIChild*> windows = documentWindows();
        for (TMDIChild* w : windows) {
            w->source().setModified(false);
            qobject_cast<QMdiSubWindow*>(w->parentWidget())->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        globalOptions.livePreview = false;
    }

    void savedPageShowsItself()
    {
        TMDIChild* w = openFile(site() + QStringLiteral("index.html"));
        QVERIFY(w && w->webBrowser);
        // The web view is made only when a page is first shown.
        QVERIFY(!w->webBrowser->view());
        QVERIFY(showPreviewPage(w));
        QCOMPARE(w->webBrowser->currentUrl(),
            QUrl::fromLocalFile(site() + QStringLiteral("index.html")));
        QVERIFY(w->menuItem(QStringLiteral("PreviewModeItem"))->isChecked());
        QCOMPARE(pageState(w->webBrowser), QStringLiteral("Saved text | rgb(0, 128, 0) | 3"));

        w->menuItem(QStringLiteral("EditModeItem"))->trigger();
        QCOMPARE(w->pages()->currentIndex(), 0);
        QVERIFY(w->menuItem(QStringLiteral("EditModeItem"))->isChecked());
    }

    void currentTextShows_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("modified page") << "modified";
        QTest::newRow("untitled page in the project's folder") << "untitled";
        QTest::newRow("page whose file has gone") << "gone";
    }
    void currentTextShows()
    {
        QFETCH(QString, kind);
        const QStringList before = listing(m_dir.path());
        TMDIChild* w = nullptr;
        if (kind == QLatin1String("untitled")) {
            projectDir = site();
            w = newDocument();
            w->source().setText(QString::fromUtf8(page));
        } else {
            const QString name = site() + kind + QStringLiteral(".html");
            writeFile(name, page);
            w = openFile(name);
            QVERIFY(w);
            if (kind == QLatin1String("gone"))
                QFile::remove(name);
        }
        w->source().setCaret(9, 1);
        w->source().insertText(QStringLiteral("Unsaved "));
        QVERIFY(showPreviewPage(w));
        QCOMPARE(w->webBrowser->currentUrl().scheme(), QStringLiteral("pagemason-preview"));
        QCOMPARE(
            pageState(w->webBrowser), QStringLiteral("Unsaved Saved text | rgb(0, 128, 0) | 3"));
        QVERIFY(w->source().Modified());
        // Nothing written beside the page, in the program's folder or anywhere else here.
        QStringList after = listing(m_dir.path());
        if (kind != QLatin1String("untitled"))
            after.append(listing(m_dir.path()).filter(QStringLiteral("/site/") + kind));
        QStringList expected = before;
        if (kind == QLatin1String("modified"))
            expected.append(
                site() + QStringLiteral("modified.html ") + QString::number(page.size()));
        expected.sort();
        after.removeDuplicates();
        after.sort();
        QCOMPARE(after, expected);
        projectDir = applicationFolder;
        if (kind != QLatin1String("untitled"))
            QFile::remove(site() + kind + QStringLiteral(".html"));
    }

    void documentsDoNotShareAPage()
    {
        projectDir = site();
        TMDIChild* a = newDocument();
        a->source().setText(QStringLiteral("<p>First</p>"));
        TMDIChild* b = newDocument();
        b->source().setText(QStringLiteral("<p>Second</p>"));
        QVERIFY(showPreviewPage(a));
        QVERIFY(showPreviewPage(b));
        QVERIFY(a->webBrowser->currentUrl() != b->webBrowser->currentUrl());
        // Reloading the first one still shows its own text.
        QSignalSpy loaded(a->webBrowser, &TPreviewPane::loaded);
        a->refreshPreview();
        QVERIFY(loaded.wait(20000));
        QVERIFY(pageState(a->webBrowser).startsWith(QStringLiteral("First |")));
        QVERIFY(pageState(b->webBrowser).startsWith(QStringLiteral("Second |")));
        projectDir = applicationFolder;
    }

    void livePreviewFollowsTypingAndKeepsItsPlace()
    {
        QByteArray text = "<html><body>\n";
        for (int i = 0; i < 300; ++i)
            text += "<p>Paragraph " + QByteArray::number(i) + "</p>\n";
        text += "</body></html>\n";
        const QString name = site() + QStringLiteral("long.html");
        writeFile(name, text);
        TMDIChild* w = openFile(name);
        QVERIFY(w);
        QSignalSpy loaded(w->webBrowser, &TPreviewPane::loaded);
        w->menuItem(QStringLiteral("LivePreviewItem"))->trigger();
        QVERIFY(w->livePreview());
        QVERIFY(globalOptions.livePreview);
        QCOMPARE(w->pages()->currentIndex(), 0);
        QVERIFY(w->webBrowser->isVisible());
        QVERIFY(loaded.wait(20000));
        evaluate(w->webBrowser, QStringLiteral("window.scrollTo(0, 800)"));
        QVERIFY(QTest::qWaitFor([&] { return w->webBrowser->scrollPosition().y() > 790; }, 10000));
        const QPointF place = w->webBrowser->scrollPosition();

        // Several keystrokes, one refresh after the pause.
        w->source().setCaret(0, 1);
        loaded.clear();
        for (const char* piece : { "<p>", "Typed", "</p>" })
            w->source().insertText(QLatin1String(piece));
        QVERIFY(w->livePreviewPending());
        QVERIFY(loaded.wait(20000));
        QVERIFY(!w->livePreviewPending());
        QCOMPARE(loaded.size(), 1);
        QVERIFY(pageState(w->webBrowser).startsWith(QStringLiteral("Typed Paragraph 0 ")));
        QVERIFY(QTest::qWaitFor(
            [&] { return qAbs(w->webBrowser->scrollPosition().y() - place.y()) < 2; }, 5000));

        // Switching the Preview page on and off takes the view there and back.
        loaded.clear();
        w->pages()->setCurrentIndex(1);
        QVERIFY(loaded.wait(20000));
        QVERIFY(w->webBrowser->isVisible());
        w->pages()->setCurrentIndex(0);
        QVERIFY(w->webBrowser->isVisible());
        w->menuItem(QStringLiteral("LivePreviewItem"))->trigger();
        QVERIFY(!w->livePreview());
        QVERIFY(!w->webBrowser->isVisible());
        w->source().insertText(QStringLiteral("x"));
        QVERIFY(!w->livePreviewPending());
    }

    // Above the live limit typing sets no refresh; saving shows the saved file.
    void largePageFollowsSaves()
    {
        QByteArray text;
        const QByteArray line = "<p>A paragraph of a very large page, written to be long.</p>\n";
        while (text.size() <= TMDIChild::livePreviewLimit)
            text += line;
        const QString name = site() + QStringLiteral("large.html");
        writeFile(name, text);
        TMDIChild* w = openFile(name);
        QVERIFY(w);
        QSignalSpy loaded(w->webBrowser, &TPreviewPane::loaded);
        w->setLivePreview(true);
        QVERIFY(loaded.wait(30000));
        TStatusRecorder status;
        w->source().setCaret(0, 0);
        w->source().insertText(QStringLiteral("<p>Top</p>"));
        QVERIFY(!w->livePreviewPending());
        QCOMPARE(status.texts,
            QStringList {
                QStringLiteral("Live preview: pages over 4 MB follow each save. Ready") });
        loaded.clear();
        QVERIFY(saveDocument(name, w));
        QVERIFY(loaded.wait(30000));
        QCOMPARE(w->webBrowser->currentUrl(), QUrl::fromLocalFile(name));
        QFile::remove(name);
    }

    void viewInBrowserAsksToSave_data()
    {
        QTest::addColumn<bool>("untitled");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<bool>("viewed");
        QTest::newRow("Yes saves, then views") << false << int(Answer::Yes) << true << true;
        QTest::newRow("No views the file as it is") << false << int(Answer::No) << false << true;
        QTest::newRow("Cancel does nothing") << false << int(Answer::Cancel) << false << false;
        QTest::newRow("untitled: Yes saves nothing") << true << int(Answer::Yes) << false << true;
    }
    void viewInBrowserAsksToSave()
    {
        QFETCH(bool, untitled);
        QFETCH(int, answer);
        QFETCH(bool, saved);
        QFETCH(bool, viewed);
        pm::ScriptedDialogs dialogs;
        pm::RecordingShell shell;
        globalOptions.viewerType = 3;
        const QString name = site() + QStringLiteral("view.html");
        writeFile(name, "<p>old</p>\n");
        TMDIChild* w = untitled ? newDocument() : openFile(name);
        QVERIFY(w);
        w->source().setText(QStringLiteral("<p>new</p>"));
        dialogs.queueAnswer(Answer(answer));
        w->menuItem(QStringLiteral("ViewInBrowserItem"))->trigger();
        QCOMPARE(dialogs.shown().size(), 1);
        QCOMPARE(dialogs.shown()[0].text,
            QStringLiteral("Do you want to save the document before viewing it in the "
                           "browser? (recommended)"));
        QCOMPARE(dialogs.shown()[0].buttons, pm::Dialogs::Buttons::YesNoCancel);
        QCOMPARE(readAll(name), saved ? QByteArray("<p>new</p>") : QByteArray("<p>old</p>\n"));
        // An untitled page has no file for the desktop to open.
        QCOMPARE(shell.opened, viewed && !untitled ? QStringList { name } : QStringList());
        QCOMPARE(w->source().Modified(), !saved);
    }

private:
    QTemporaryDir m_dir;
    pm::MemorySettingsStore m_store;
    TestHost m_host;
};

QTEST_MAIN(TestPreview)
#include "tst_preview.moc"
