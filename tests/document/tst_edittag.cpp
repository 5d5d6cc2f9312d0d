/** @file tst_edittag.cpp ** "&Edit tag (at cursor)..." in a document window, with the real
 ** input wizard driven offscreen as a person would. **/
#include "core/global_utl.h"
#include "document/Childwin.h"
#include "document/TDocumentHost.h"
#include "platform/MemorySettingsStore.h"
#include "platform/ScriptedDialogs.h"
#include "templates/wizard/TinputWizard.h"
#include "templates/wizard/TwizardPage.h"
#include "templates/wizard/inputForm.h"
#include "templates/wizard/inputTemplatesFrm.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace wizardControls;

namespace {

class TestHost : public TDocumentHost
{
public:
    QMdiArea area;
    QMdiArea* mdiArea() override { return &area; }
};

const QString imageTag = QStringLiteral("<IMG SRC=\"a.gif\" WIDTH=10 BORDER=0>");

/// Runs `script` on the wizard once it is up.
void whenWizard(std::function<void(TinputDlg*)> script)
{
    QTimer::singleShot(0, [script] {
        auto* dialog = qobject_cast<TinputDlg*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        script(dialog);
        if (dialog->isVisible()) // a failed check must not leave the test waiting
            dialog->reject();
    });
}

} // namespace

class TestEditTag : public QObject
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
        globalOptions.tagCase = 2;
        setApplicationFolder(m_dir.path());
        setFileNames();
        colorRulesFileName = QStringLiteral(TEST_DATA_DIR "/../../shipped/Pagemason.colors");
        QFile menus(dynamicMenusFileName);
        QVERIFY(menus.open(QIODevice::WriteOnly));
        menus.write(
            "Dynamic Menus File - Orvane\r\n{auto insert tags when new html is created\r\n}\r\n"
            "{I&mages\r\nitem=[&Picture]\r\n<IMG SRC=\"{= 'Picture file', image "
            "=}\">{=,=}\r\n}\r\n");
        menus.close();
        installInputWizard(nullptr, activeWizardDocument());
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
        s.setText(QStringLiteral("<P>\r\n") + imageTag + QStringLiteral(" after"));
        s.setModified(false);
        s.setCaret(8, 1); // inside the SRC value
    }
    void cleanup()
    {
        m_window->source().setModified(false);
        if (auto* sub = qobject_cast<QMdiSubWindow*>(m_window->parentWidget()))
            sub->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void finishWritesTheRebuiltTagAndUndoTakesItBack()
    {
        QString caption, picture, width, help, border;
        whenWizard([&](TinputDlg* w) {
            caption = w->windowTitle();
            picture = w->page(0)->control<QComboBox>(imageFNEdit)->currentText();
            width = w->page(0)->control<QLineEdit>(imageWidthEdit)->text();
            w->page(0)->control<QLineEdit>(imageWidthEdit)->setText(QStringLiteral("20"));
            w->nextBtn->click();
            help = w->helpMemo->toPlainText();
            border = w->page(1)->control<QLineEdit>(stringEdit)->text();
            w->finishBtn->click();
        });
        m_window->menuItem(QStringLiteral("Edittagatcursor1"))->trigger();
        QCOMPARE(caption, QStringLiteral("Editing tag Wizard - Step 1 of 2"));
        QCOMPARE(picture, QStringLiteral("a.gif"));
        QCOMPARE(width, QStringLiteral("10"));
        QCOMPARE(help, QStringLiteral(" BORDER=0"));
        QCOMPARE(border, QStringLiteral("0"));
        TMemoSource& s = m_window->source();
        QCOMPARE(s.line(1), QStringLiteral("<IMG SRC=\"a.gif\" WIDTH=20 BORDER=0> after"));
        QCOMPARE(s.line(0), QStringLiteral("<P>"));
        s.Undo();
        QCOMPARE(s.line(1), imageTag + QStringLiteral(" after"));
        QCOMPARE(s.lineCount(), 2);
    }

    void cancelFromThePopUpMenuLeavesTheLine()
    {
        bool shown = false;
        whenWizard([&](TinputDlg* w) {
            shown = true;
            w->cancelBtn->click();
        });
        QAction* popUp
            = m_window->contextMenu()->findChild<QAction*>(QStringLiteral("Edittagatcursor2"));
        QVERIFY(popUp);
        popUp->trigger();
        QVERIFY(shown);
        QCOMPARE(m_window->source().line(1), imageTag + QStringLiteral(" after"));
        QVERIFY(!m_window->source().Modified());
    }

private:
    QTemporaryDir m_dir;
    pm::MemorySettingsStore m_store;
    TestHost m_host;
    QPointer<TMDIChild> m_window;
};

QTEST_MAIN(TestEditTag)
#include "tst_edittag.moc"
