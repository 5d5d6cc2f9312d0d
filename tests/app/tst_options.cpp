/** @file tst_options.cpp ** The Options dialog: every control writes its setting at once, the
 ** viewer path follows the viewer type, "Never Mind" keeps the changes in memory only, "Save
 ** It !" stores them, and the association buttons. **/
#include "app/Options.h"
#include "core/global_utl.h"
#include "platform/MemorySettingsStore.h"
#include "platform/ScriptedDialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

using Root = pm::SettingsStore::Root;

namespace {

void click(QButtonGroup* group, int id)
{
    group->button(id)->click();
}

QString edit(const QString& name)
{
    return settingsKey + QStringLiteral("\\") + name;
}

} // namespace

class TestOptions : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        globalOptions = optns();
        errorLogFileName = QStringLiteral("/home/u/.local/share/Pagemason/Pagemason.err");
        m_store.reset(new pm::MemorySettingsStore);
        pm::setSettingsStore(m_store.get());
    }
    void cleanup() { pm::setSettingsStore(nullptr); }

    void pagesAndOpeningState()
    {
        globalOptions.viewerType = 3;
        globalOptions.viewerFileName = QStringLiteral("/usr/bin/viewer");
        globalOptions.showSplash = false;
        globalOptions.splashSeconds = 7;
        globalOptions.tagCase = 1;
        globalOptions.messageType = 1;
        globalOptions.defaultExt = QStringLiteral("htm");
        TOptionsDlg dlg(nullptr, nullptr);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Options"));
        QStringList pages;
        for (int i = 0; i < dlg.pages()->count(); ++i)
            pages.append(dlg.pages()->tabText(i));
        QCOMPARE(pages, (QStringList { "Viewer", "Files", "Splash Screen", "Edit", "Errors" }));
        QCOMPARE(dlg.saveButton()->text(), QStringLiteral("Save It !"));
        QCOMPARE(dlg.cancelButton()->text(), QStringLiteral("Never Mind"));
        QCOMPARE(dlg.viewerTypeGroup()->checkedId(), 3);
        QCOMPARE(dlg.viewerPathBox()->text(), QStringLiteral("/usr/bin/viewer"));
        // "Default browser" needs no path.
        QVERIFY(!dlg.viewerPathBox()->isEnabled());
        QVERIFY(!dlg.viewerPathLabel()->isEnabled());
        QVERIFY(!dlg.selectViewerButton()->isEnabled());
        QVERIFY(!dlg.showSplashBox()->isChecked());
        QVERIFY(!dlg.splashSecondsBox()->isEnabled());
        QCOMPARE(dlg.splashSecondsBox()->value(), 7);
        QCOMPARE(dlg.splashSecondsBox()->maximum(), 10);
        QCOMPARE(dlg.tagCaseGroup()->checkedId(), 1);
        QCOMPARE(dlg.messageTypeBox()->currentText(), QStringLiteral("Short"));
        QCOMPARE(dlg.defaultExtBox()->currentText(), QStringLiteral("htm"));
        QCOMPARE(dlg.errorLogLabel()->text(),
            QStringLiteral("(/home/u/.local/share/Pagemason/Pagemason.err)."));
        QCOMPARE(dlg.associationButton(2)->text(),
            QStringLiteral("Register assocciation for *.pmP files"));
        // Opening changes nothing.
        QCOMPARE(globalOptions.viewerFileName, QStringLiteral("/usr/bin/viewer"));
    }

    void everyControlWritesAtOnce_data()
    {
        QTest::addColumn<QString>("control");
        for (const char* c : { "viewer type", "viewer path", "long viewer path", "extension",
                 "splash", "splash seconds", "tag case", "auto insert tags", "auto insert BR",
                 "auto complete", "unix strings", "keep tabs", "message type", "log errors" })
            QTest::newRow(c) << QString::fromLatin1(c);
    }
    void everyControlWritesAtOnce()
    {
        QFETCH(QString, control);
        TOptionsDlg dlg(nullptr, nullptr);
        optns& o = globalOptions;
        const QString c = control;
        if (c == u"viewer type") {
            click(dlg.viewerTypeGroup(), 2);
            QCOMPARE(o.viewerType, 2);
        } else if (c == u"viewer path") {
            QTest::keyClicks(dlg.viewerPathBox(), QStringLiteral("/opt/a b/viewer"));
            QCOMPARE(o.viewerFileName, QStringLiteral("/opt/a b/viewer"));
        } else if (c == u"long viewer path") {
            QTest::keyClicks(dlg.viewerPathBox(), QString(300, u'v'));
            QCOMPARE(o.viewerFileName, QString(255, u'v'));
        } else if (c == u"extension") {
            dlg.defaultExtBox()->setEditText(QStringLiteral("shtml"));
            QCOMPARE(o.defaultExt, QStringLiteral("shtm"));
        } else if (c == u"splash") {
            dlg.showSplashBox()->click();
            QVERIFY(!o.showSplash);
            QVERIFY(!dlg.splashSecondsBox()->isEnabled());
            QVERIFY(!dlg.splashSecondsLabel()->isEnabled());
            dlg.showSplashBox()->click();
            QVERIFY(o.showSplash);
            QVERIFY(dlg.splashSecondsBox()->isEnabled());
        } else if (c == u"splash seconds") {
            dlg.splashSecondsBox()->setValue(10);
            QCOMPARE(o.splashSeconds, 10);
        } else if (c == u"tag case") {
            click(dlg.tagCaseGroup(), 0);
            QCOMPARE(o.tagCase, 0);
        } else if (c == u"auto insert tags") {
            dlg.autoInsertTagsBox()->click();
            QVERIFY(!o.autoInsertTags);
        } else if (c == u"auto insert BR") {
            dlg.autoInsertBRBox()->click();
            QVERIFY(o.autoInsertBR);
        } else if (c == u"auto complete") {
            dlg.autoCompleteTagsBox()->click();
            QVERIFY(!o.autoCompleteTags);
        } else if (c == u"unix strings") {
            dlg.convertUnixStringsBox()->click();
            QVERIFY(!o.convertUnixStrings);
        } else if (c == u"keep tabs") {
            dlg.keepTabsBox()->click();
            QVERIFY(o.keepTabsOnOpen);
        } else if (c == u"message type") {
            dlg.messageTypeBox()->setCurrentIndex(1);
            QCOMPARE(o.messageType, 1);
        } else if (c == u"log errors") {
            dlg.logErrorsBox()->click();
            QVERIFY(o.logErrors);
        } else {
            QFAIL("unknown control");
        }
    }

    // Choosing a type applies the browser path defaults and enables the path as the type wants.
    void viewerTypeAndPathDefaults()
    {
        QTemporaryDir bin;
        QFile browser(bin.filePath(QStringLiteral("x-www-browser")));
        QVERIFY(browser.open(QIODevice::WriteOnly));
        browser.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.path().toLocal8Bit());
        globalOptions.viewerType = 2;
        TOptionsDlg dlg(nullptr, nullptr);
        click(dlg.viewerTypeGroup(), 3);
        QVERIFY(!dlg.viewerPathBox()->isEnabled());
        QVERIFY(dlg.viewerPathBox()->text().isEmpty());
        click(dlg.viewerTypeGroup(), 0);
        qputenv("PATH", path);
        QVERIFY(dlg.viewerPathBox()->isEnabled() && dlg.selectViewerButton()->isEnabled());
        QCOMPARE(dlg.viewerPathBox()->text(), bin.filePath(QStringLiteral("x-www-browser")));
        QCOMPARE(globalOptions.viewerFileName, bin.filePath(QStringLiteral("x-www-browser")));
        QCOMPARE(globalOptions.viewerType, 0);
    }

    void selectViewer()
    {
        pm::ScriptedDialogs dialogs;
        globalOptions.viewerFileName = QStringLiteral("/usr/bin/old viewer");
        TOptionsDlg dlg(nullptr, nullptr);
        dialogs.queueFiles({});
        dlg.selectViewerButton()->click();
        // A cancelled dialog keeps the viewer that was set.
        QCOMPARE(globalOptions.viewerFileName, QStringLiteral("/usr/bin/old viewer"));
        QCOMPARE(dialogs.fileRequests().value(0).folder, QStringLiteral("/usr/bin/"));
        dialogs.queueFiles({ QStringLiteral("/opt/browser/run") });
        dlg.selectViewerButton()->click();
        QCOMPARE(dlg.viewerPathBox()->text(), QStringLiteral("/opt/browser/run"));
        QCOMPARE(globalOptions.viewerFileName, QStringLiteral("/opt/browser/run"));
    }

    void neverMindKeepsChangesInMemoryOnly()
    {
        {
            TOptionsDlg dlg(nullptr, nullptr);
            click(dlg.tagCaseGroup(), 1);
            dlg.cancelButton()->click();
            QCOMPARE(dlg.result(), int(QDialog::Rejected));
        }
        QCOMPARE(globalOptions.tagCase, 1);
        QVERIFY(!m_store->readString(edit(QStringLiteral("Edit")), QStringLiteral("Tag case")));
    }

    void saveItStoresAndAppliesTheStatusBar()
    {
        QWidget statusBar;
        statusBar.show();
        globalOptions.statusBarVisible = false;
        TOptionsDlg dlg(nullptr, &statusBar);
        click(dlg.tagCaseGroup(), 1);
        dlg.saveButton()->click();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(m_store->readString(edit(QStringLiteral("Edit")), QStringLiteral("Tag case")),
            std::optional<QString>(QStringLiteral("1")));
        QCOMPARE(m_store->readString(settingsKey, QString()),
            std::optional<QString>(QStringLiteral("2.3")));
        QVERIFY(!statusBar.isVisible());
    }

    void associationButtons()
    {
        QTemporaryDir home;
        const QByteArray data = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", home.path().toLocal8Bit());
        pm::ScriptedDialogs dialogs;
        TOptionsDlg dlg(nullptr, nullptr);
        dlg.programPath = QStringLiteral("/opt/pm/bin/pagemason");
        dlg.associationButton(2)->click();
        QCOMPARE(m_store->readValue(
                     Root::ClassesRoot, QStringLiteral("pmpfile\\shell\\open\\command"), QString()),
            std::optional<QString>(QStringLiteral("\"/opt/pm/bin/pagemason\" \"%1\"")));
        QCOMPARE(m_store->readValue(
                     Root::ClassesRoot, QStringLiteral("pmpfile\\defaulticon"), QString()),
            std::optional<QString>(QStringLiteral("\"/opt/pm/bin/pagemason,1\"")));
        const QString entry
            = home.filePath(QStringLiteral("applications/pagemason-pmpfile-open.desktop"));
        QVERIFY(QFile::exists(entry));
        dlg.associationButton(0)->click();
        QCOMPARE(m_store->readValue(Root::ClassesRoot,
                     QStringLiteral("htmlfile\\shell\\Edit with Pagemason\\command"), QString()),
            std::optional<QString>(QStringLiteral("\"/opt/pm/bin/pagemason\" \"%1\"")));
        dlg.associationButton(3)->click();
        QVERIFY(!m_store->keyExists(Root::ClassesRoot, QStringLiteral("pmpfile\\shell\\open")));
        QVERIFY(!QFile::exists(entry));
        QCOMPARE(dialogs.shown().size(), 0);

        // An applications folder that cannot be made: told, with the reason.
        QFile::remove(home.filePath(
            QStringLiteral("applications/pagemason-htmlfile-edit-with-pagemason.desktop")));
        QDir(home.filePath(QStringLiteral("applications"))).removeRecursively();
        QFile blocker(home.filePath(QStringLiteral("applications")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        dlg.associationButton(2)->click();
        qputenv("XDG_DATA_HOME", data);
        QCOMPARE(dialogs.shown().size(), 1);
        QVERIFY2(dialogs.shown()[0].text.startsWith(QStringLiteral(
                     "Cannot register Pagemason for *.pmp files.\r\nCannot create the folder ")),
            qPrintable(dialogs.shown()[0].text));
        QVERIFY(!m_store->keyExists(Root::ClassesRoot, QStringLiteral("pmpfile\\shell\\open")));
    }

private:
    std::unique_ptr<pm::MemorySettingsStore> m_store;
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
