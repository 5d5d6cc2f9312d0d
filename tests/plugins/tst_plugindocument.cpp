/** @file tst_plugindocument.cpp ** Plug-ins called from a document window's menu: a plug-in
 ** that fails in any way leaves the program, the text, the caret and the selection as they
 ** were; what a run inserts is one undo step; the callbacks see the document. **/
#include "core/errors_utl.h"
#include "core/global_utl.h"
#include "document/Childwin.h"
#include "document/TCommandActions.h"
#include "document/TDocumentHost.h"
#include "platform/MemorySettingsStore.h"
#include "platform/ScriptedDialogs.h"
#include "templates/TpluginWaitFrm.h"
#include "templates/pluginCall.h"
#include "templates/requestCommands_utl.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

class TestHost : public TDocumentHost
{
public:
    QMdiArea area;
    QMdiArea* mdiArea() override { return &area; }
};

const char* const faults[] = { "segfault", "bus", "fpe", "ill", "abort", "throw", "loop", "huge",
    "badutf8", "unterminated" };

struct DocumentState
{
    QString text;
    int caretX, caretY;
    QString selected;
    qsizetype undoRecords;
    bool operator==(const DocumentState&) const = default;
};

DocumentState stateOf(TMemoSource& s)
{
    return { s.text(), s.CaretX(), s.CaretY(), s.SelText(), s.undoLog().size() };
}

} // namespace

class TestPluginDocument : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        pm::setSettingsStore(&m_store);
        setDocumentHost(&m_host);
        webBrowserControlAvailable = false;
        globalOptions.autoInsertTags = false;
        setApplicationFolder(m_dir.path());
        setFileNames();
        colorRulesFileName = QStringLiteral(TEST_DATA_DIR "/../../shipped/Pagemason.colors");
        setPluginHostProgram(QStringLiteral(APP_DIR "pagemason-plugin-host"));
        QDir().mkpath(pluginsFolder);
        QVERIFY(
            QFile::link(QStringLiteral(APP_DIR "plugins/tools.so"), pluginsFolder + "tools.so"));
        QByteArray menus = "Dynamic Menus File - Orvane\r\n{auto insert tags when new html is "
                           "created\r\n}\r\n{&Plug-in tests\r\nitem=[Upper]\r\n<P>{= 'u', "
                           "plugin[tools.so, UpperCase] =}</P>\r\nitem=[Callbacks]\r\n{= 'c', "
                           "plugin[good.so, Callbacks] =}\r\n";
        QVERIFY(QFile::link(QStringLiteral(TEST_PLUGINS_DIR "good.so"), pluginsFolder + "good.so"));
        for (const char* fault : faults) {
            QVERIFY(QFile::link(
                QStringLiteral(TEST_PLUGINS_DIR) + fault + ".so", pluginsFolder + fault + ".so"));
            menus += QByteArray("item=[") + fault + "]\r\n<B>{= 'f', plugin[" + fault
                + ".so, Fault] =}</B>{=,=}\r\n";
        }
        menus += "}\r\n";
        QFile file(dynamicMenusFileName);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(menus);
        file.close();
        installCommandActions(nullptr);
    }
    void cleanupTestCase()
    {
        setDocumentHost(nullptr);
        pm::setSettingsStore(nullptr);
    }
    void init()
    {
        m_window = newDocument();
        QVERIFY(m_window);
        TMemoSource& s = m_window->source();
        s.setText(QStringLiteral("hello world\r\nsecond line"));
        s.clearUndo();
        s.setCaret(5, 1);
    }
    void cleanup()
    {
        m_window->source().setModified(false);
        if (auto* sub = qobject_cast<QMdiSubWindow*>(m_window->parentWidget()))
            sub->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void faultLeavesTheDocumentAsItWas_data()
    {
        QTest::addColumn<QString>("fault");
        for (const char* fault : faults)
            QTest::newRow(fault) << QString::fromLatin1(fault);
    }
    void faultLeavesTheDocumentAsItWas()
    {
        QFETCH(QString, fault);
        TMemoSource& s = m_window->source();
        s.setSelection(smStream, 6, 0, 5, 1); // "world", the line break and "secon"
        const DocumentState before = stateOf(s);
        pm::ScriptedDialogs dialogs;
        // The endless loop is ended with the wait window's Cancel, as a person would.
        QTimer canceller;
        int cancelled = 0;
        connect(&canceller, &QTimer::timeout, this, [&] {
            const auto windows = QApplication::topLevelWidgets();
            for (QWidget* w : windows)
                if (auto* wait = qobject_cast<TpluginWaitFrm*>(w); wait && wait->isVisible()) {
                    ++cancelled;
                    wait->cancelBtn->click();
                }
        });
        if (fault == QStringLiteral("loop"))
            canceller.start(100);
        QAction* entry
            = findMenuItemByPath(m_window->mainMenu(), QStringLiteral("Plug-in tests|") + fault);
        QVERIFY(entry);
        entry->trigger();
        canceller.stop();
        QCOMPARE(dialogs.shown().size(), 1);
        QCOMPARE(dialogs.shown().first().text, formatErrorMessage(23, QString()));
        QCOMPARE(stateOf(s), before);
        QVERIFY(documentWindows().contains(m_window.data()));
        if (fault == QStringLiteral("loop"))
            QCOMPARE(cancelled, 1);
    }

    void insertedTextIsOneUndoStep()
    {
        TMemoSource& s = m_window->source();
        s.setSelection(smStream, 0, 0, 5, 0);
        const qsizetype records = s.undoLog().size();
        findMenuItemByPath(m_window->mainMenu(), QStringLiteral("Plug-in tests|Upper"))->trigger();
        QCOMPARE(s.text(), QStringLiteral("<P>HELLO</P> world\r\nsecond line"));
        s.Undo();
        QCOMPARE(s.text(), QStringLiteral("hello world\r\nsecond line"));
        QCOMPARE(s.undoLog().size(), records);
    }

    void callbacksSeeTheActiveDocument()
    {
        // The caret at line 1, column 5, nothing selected.
        findMenuItemByPath(m_window->mainMenu(), QStringLiteral("Plug-in tests|Callbacks"))
            ->trigger();
        QCOMPARE(m_window->source().line(1),
            QStringLiteral("secon|5|1|") + errorLogFileName + u'|' + applicationFolder + u'|'
                + pluginsFolder + QStringLiteral("d line"));
    }

private:
    QTemporaryDir m_dir;
    pm::MemorySettingsStore m_store;
    TestHost m_host;
    QPointer<TMDIChild> m_window;
};

QTEST_MAIN(TestPluginDocument)
#include "tst_plugindocument.moc"
