/** @file tst_customizetoolbars.cpp ** The "Customize Toolbars" dialog: its lists and buttons, its
 ** questions, the preview, and the file operations. **/
#include "app/TMainFormWindows.h"
#include "core/global_utl.h"
#include "document/Childwin.h"
#include "platform/MemorySettingsStore.h"
#include "platform/ScriptedDialogs.h"
#include "toolbars/TToolbarButton.h"
#include "toolbars/TToolbarWindow.h"
#include "toolbars/customToolbar.h"
#include "toolbars/customToolbarWindows.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using Answer = pm::Dialogs::Answer;

namespace {

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QStringList texts(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out.append(list->item(i)->text());
    return out;
}

QStringList names()
{
    QStringList out;
    for (const TToolbar& t : std::as_const(toolbarDescriptions.Toolbars))
        out.append(t.ToolbarName);
    return out;
}

const QByteArray kFile
    = "Pagemason Toolbars File - Orvane\r\n"
      "{+First\r\n"
      "~Button~\r\nNew\r\n\r\n1\r\nNew document\r\n30\r\n30\r\nFileNewItem\r\n1\r\n"
      "~Seperator~\r\n"
      "~Button~\r\nBold\r\n\r\n1\r\n\r\n30\r\n30\r\nTextBold\r\n0\r\n"
      "}\r\n"
      "{-Second\r\n}\r\n";

/// The dialog of one test, with its controls by name.
struct Dialog
{
    explicit Dialog(QMainWindow* live)
        : dlg(activeDocumentWindow()->mainMenu(), live, toolbarFileName)
    {
        dlg.show();
    }
    template <typename T = QWidget> T* get(const char* name)
    {
        T* w = dlg.findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    void click(const char* name) { get<QAbstractButton>(name)->click(); }
    QListWidget* toolbars() { return get<QListWidget>("toolBarsList"); }
    QListWidget* elements() { return get<QListWidget>("toolbarButtonsList"); }
    QComboBox* command() { return get<QComboBox>("menuItemsCaptions"); }
    bool enabled(const char* name) { return get<QWidget>(name)->isEnabled(); }
    /// The command drop-down loses the keyboard to another control.
    void leaveCommand()
    {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(command(), &out);
    }

    TcustomizeToolbarsDlg dlg;
};

} // namespace

class tst_CustomizeToolbars : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void withoutAFileItReportsAndShowsEmptyLists();
    void opensWithThePreviewAndTheFirstToolbar();
    void removingTheLastToolbar();
    void severalToolbarsSelected();
    void toolbarsAndButtonsMove();
    void buttonAddedWithNoCommand();
    void unknownCommandQuestion_data();
    void unknownCommandQuestion();
    void removeButtonQuestions();
    void cancelRestoresTheFile();
    void okSavesAndGivesTheToolbarsBack();
    void saveAsksANameForAMissingFile();
    void anUnreadableFileIsReplacedOnlyWhenTheUserSaysSo();
    void importFromAnotherFileAndTheOlderFormat();
    void openedFromTheDocumentMenu();

private:
    QTemporaryDir m_dir;
    pm::MemorySettingsStore m_store;
    QMainWindow m_form;
    TMainFormWindows* m_windows = nullptr;
    pm::ScriptedDialogs* m_boxes = nullptr;
};

void tst_CustomizeToolbars::initTestCase()
{
    QVERIFY(m_dir.isValid());
    setApplicationFolder(QStringLiteral(APP_DIR));
    setFileNames();
    hotkeysFileName = m_dir.filePath(QStringLiteral("Pagemason.HotKeys"));
    webBrowserControlAvailable = false;
    globalOptions.autoInsertTags = false;
    auto* area = new QMdiArea(&m_form);
    m_form.setCentralWidget(area);
    TMainFormParts parts;
    parts.form = &m_form;
    parts.area = area;
    parts.fileMenu = m_form.menuBar()->addMenu(QStringLiteral("&File"));
    parts.reopenMenu = parts.fileMenu->addMenu(QStringLiteral("&Reopen"));
    parts.helpMenu = m_form.menuBar()->addMenu(QStringLiteral("&Help"));
    m_windows = new TMainFormWindows(parts);
    m_form.resize(900, 600);
    m_form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_form));
}

void tst_CustomizeToolbars::cleanupTestCase()
{
    toolbarDescriptions.replace({});
    rebuildToolbars(&m_form, false);
    delete m_windows;
}

void tst_CustomizeToolbars::init()
{
    toolbarFileName = m_dir.filePath(QStringLiteral("Pagemason.tb"));
    writeFile(toolbarFileName, kFile);
    m_boxes = new pm::ScriptedDialogs;
    // Start-up: the toolbars live in the frame.
    m_windows->loadDynamicMenus();
    m_windows->loadToolbars();
    QCOMPARE(toolbarWindows.size(), 2);
    m_boxes->clear();
    newDocument();
}

void tst_CustomizeToolbars::cleanup()
{
    delete m_boxes;
    m_boxes = nullptr;
    for (TMDIChild* w : documentWindows())
        w->source().setModified(false);
    closeAllDocuments();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    toolbarDescriptions.replace({});
    rebuildToolbars(&m_form, false);
}

void tst_CustomizeToolbars::withoutAFileItReportsAndShowsEmptyLists()
{
    QFile::remove(toolbarFileName);
    toolbarDescriptions.replace({});
    rebuildToolbars(&m_form, false);
    Dialog d(&m_form);
    QCOMPARE(m_boxes->shown().size(), 1);
    QCOMPARE(m_boxes->shown().first().text,
        toolbarFileName + QStringLiteral(" is not a valid Pagemason toolbars file"));
    QCOMPARE(d.toolbars()->count(), 0);
    QCOMPARE(d.elements()->count(), 0);
    QVERIFY(d.enabled("addToolbarBtn"));
    QVERIFY(!d.enabled("removeToolbarBtn"));
    QVERIFY(!d.get<QGroupBox>("buttonProperties")->isEnabled());
    // The commands of the document window are there to choose from.
    QVERIFY(d.command()->findText(QStringLiteral("File|Open...")) >= 0);
    QVERIFY(d.command()->findText(QStringLiteral("Text|Bold")) >= 0);
}

void tst_CustomizeToolbars::opensWithThePreviewAndTheFirstToolbar()
{
    Dialog d(&m_form);
    QCOMPARE(m_boxes->shown().size(), 0);
    QCOMPARE(toolbarWindows.size(), 2);
    for (TToolbarWindow* w : std::as_const(toolbarWindows)) {
        QCOMPARE(w->parentWidget(), d.dlg.defaultDock());
        for (TToolbarButton* b : w->findChildren<TToolbarButton*>())
            QVERIFY(b->isInert());
    }
    // The preview shows the visible toolbar whole.
    QVERIFY(QTest::qWaitForWindowExposed(&d.dlg));
    TToolbarWindow* shown = toolbarWindows.at(1);
    QVERIFY(shown->isVisible());
    QCOMPARE(shown->window(), &d.dlg);
    QVERIFY(d.dlg.defaultDock()->rect().contains(shown->geometry()));
    QVERIFY(shown->height() >= 30);
    QCOMPARE(texts(d.toolbars()), (QStringList { "First", "Second" }));
    QCOMPARE(d.toolbars()->item(0)->checkState(), Qt::Checked);
    QCOMPARE(d.toolbars()->item(1)->checkState(), Qt::Unchecked);
    QCOMPARE(d.toolbars()->currentRow(), 0);
    QCOMPARE(d.get<QLabel>("toolbarNameLabel")->text(), QStringLiteral("\"First\" &buttons:"));
    QCOMPARE(texts(d.elements()), (QStringList { "New", "Seperator", "Bold" }));
    QCOMPARE(d.get<QLineEdit>("buttonCaption")->text(), QStringLiteral("New"));
    QCOMPARE(d.get<QLineEdit>("hint")->text(), QStringLiteral("New document"));
    QCOMPARE(d.command()->currentText(), QStringLiteral("File|New"));
    QCOMPARE(d.get<QSpinBox>("widthEdit")->value(), 30);

    // The separator has no fields; a check mark is the toolbar's visibility.
    d.elements()->setCurrentRow(1);
    QVERIFY(!d.get<QGroupBox>("buttonProperties")->isEnabled());
    QCOMPARE(d.get<QLineEdit>("buttonCaption")->text(), QString());
    d.toolbars()->item(1)->setCheckState(Qt::Checked);
    QCOMPARE(toolbarDescriptions.Toolbars[1].Visible, 1);
    d.click("clearBtn");
    QVERIFY(d.get<QGroupBox>("buttonProperties")->isEnabled());
    QCOMPARE(d.get<QSpinBox>("widthEdit")->value(), 28);
    QCOMPARE(d.get<QSpinBox>("heightEdit")->value(), 28);
    QCOMPARE(d.command()->currentIndex(), 0);
}

void tst_CustomizeToolbars::removingTheLastToolbar()
{
    Dialog d(&m_form);
    m_boxes->queueAnswer(Answer::No);
    d.click("removeToolbarBtn");
    QCOMPARE(m_boxes->shown().last().text,
        QStringLiteral("Are you sure you want to remove the toolbar named \"First\"?"));
    QCOMPARE(m_boxes->shown().last().buttons, pm::Dialogs::Buttons::YesNo);
    QCOMPARE(names(), (QStringList { "First", "Second" }));
    for (int i = 0; i < 2; ++i) {
        m_boxes->queueAnswer(Answer::Yes);
        d.click("removeToolbarBtn");
    }
    QVERIFY(names().isEmpty());
    QCOMPARE(d.toolbars()->count(), 0);
    QVERIFY(toolbarWindows.isEmpty());
    QVERIFY(!d.enabled("removeToolbarBtn"));
    QVERIFY(!d.enabled("updateToolbarBtn"));
    QVERIFY(d.enabled("addToolbarBtn"));
    QVERIFY(d.enabled("toolbarName"));
    QCOMPARE(d.get<QLineEdit>("toolbarName")->text(), QString());
    QVERIFY(!d.get<QGroupBox>("buttonProperties")->isEnabled());

    d.get<QLineEdit>("toolbarName")->setText(QStringLiteral("Again"));
    d.click("addToolbarBtn");
    QCOMPARE(names(), (QStringList { "Again" }));
    QVERIFY(d.enabled("removeToolbarBtn"));
    QVERIFY(d.get<QGroupBox>("buttonProperties")->isEnabled());
    QCOMPARE(toolbarWindows.size(), 1);
}

void tst_CustomizeToolbars::severalToolbarsSelected()
{
    Dialog d(&m_form);
    d.toolbars()->item(1)->setSelected(true);
    QCOMPARE(d.toolbars()->selectedItems().size(), 2);
    QCOMPARE(d.get<QLineEdit>("toolbarName")->text(), QStringLiteral("Multiselect"));
    QVERIFY(!d.enabled("addToolbarBtn"));
    QVERIFY(!d.enabled("updateToolbarBtn"));
    QVERIFY(!d.enabled("toolbarName"));
    QCOMPARE(d.get<QLabel>("toolbarNameLabel")->text(), QString());
    QCOMPARE(d.elements()->count(), 0);
    d.click("addButtonBtn"); // on no one toolbar: nothing
    QCOMPARE(toolbarDescriptions.Toolbars[0].Elements.size(), 3);
    m_boxes->queueAnswer(Answer::Yes);
    d.click("removeToolbarBtn");
    QVERIFY(names().isEmpty());
}

void tst_CustomizeToolbars::toolbarsAndButtonsMove()
{
    Dialog d(&m_form);
    d.click("toolbarUpBtn"); // already first
    QCOMPARE(names(), (QStringList { "First", "Second" }));
    d.click("toolbarDownBtn");
    QCOMPARE(names(), (QStringList { "Second", "First" }));
    QCOMPARE(d.toolbars()->currentRow(), 1);
    QCOMPARE(toolbarWindows.first()->windowTitle(), QStringLiteral("First"));

    d.elements()->setCurrentRow(2);
    d.click("buttonUpBtn");
    QCOMPARE(texts(d.elements()), (QStringList { "New", "Bold", "Seperator" }));
    QCOMPARE(d.elements()->currentRow(), 1);
    d.click("buttonUpBtn");
    d.click("buttonUpBtn"); // at the top: nothing
    QCOMPARE(texts(d.elements()), (QStringList { "Bold", "New", "Seperator" }));

    d.get<QLineEdit>("toolbarName")->setText(QStringLiteral("Renamed"));
    d.click("updateToolbarBtn");
    QCOMPARE(names(), (QStringList { "Second", "Renamed" }));
    QCOMPARE(d.get<QLabel>("toolbarNameLabel")->text(), QStringLiteral("\"Renamed\" &buttons:"));
}

void tst_CustomizeToolbars::buttonAddedWithNoCommand()
{
    Dialog d(&m_form);
    d.click("clearBtn");
    d.get<QLineEdit>("buttonCaption")->setText(QStringLiteral("Useless"));
    d.command()->setCurrentIndex(-1);
    d.click("addButtonBtn");
    const QList<TToolbarElement>& e = toolbarDescriptions.Toolbars[0].Elements;
    QCOMPARE(e.size(), 4);
    QCOMPARE(e.last().Caption, QStringLiteral("Useless"));
    QCOMPARE(e.last().CommandIndex, -1);
    QCOMPARE(e.last().Width, 28);
    QCOMPARE(d.elements()->currentRow(), 3);

    // Chosen by its caption path, typed exactly.
    d.command()->setEditText(QStringLiteral("Text|Bold"));
    d.leaveCommand();
    d.get<QLineEdit>("buttonCaption")->setText(QStringLiteral("B"));
    d.click("updateButtonBtn");
    QCOMPARE(e.last().Caption, QStringLiteral("B"));
    QCOMPARE(e.last().CommandIndex,
        toolbarDescriptions.Commands.indexOfName(QStringLiteral("TextBold")));
    d.click("addSeperatorBtn");
    QCOMPARE(e.last().IsSeparator, 1);
    QCOMPARE(texts(d.elements()).last(), QStringLiteral("Seperator"));
    QCOMPARE(m_boxes->shown().size(), 0);
}

void tst_CustomizeToolbars::unknownCommandQuestion_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("textAfter");
    QTest::newRow("OK: choose again") << int(Answer::Ok) << "No such command";
    QTest::newRow("Cancel: no command") << int(Answer::Cancel) << "";
}

void tst_CustomizeToolbars::unknownCommandQuestion()
{
    QFETCH(int, answer);
    QFETCH(QString, textAfter);
    Dialog d(&m_form);
    d.command()->setEditText(QStringLiteral("No such command"));
    m_boxes->queueAnswer(Answer(answer));
    d.leaveCommand();
    QCOMPARE(m_boxes->shown().size(), 1);
    QCOMPARE(m_boxes->shown().first().text,
        QStringLiteral("The menu command \"No such command\" does not exist.\r\nClick OK if you "
                       "want to select a menu command again,\r\nor Cancel to assign no menu "
                       "command for this button (i.e a useless button....)"));
    QCOMPARE(m_boxes->shown().first().buttons, pm::Dialogs::Buttons::OkCancel);
    QCOMPARE(d.command()->currentText(), textAfter);
    // Either way a button added now has no command.
    d.click("addButtonBtn");
    QCOMPARE(toolbarDescriptions.Toolbars[0].Elements.last().CommandIndex, -1);
    QCOMPARE(m_boxes->shown().size(), 1);
    // An empty text is no command, and asks nothing.
    d.command()->setEditText(QString());
    d.leaveCommand();
    QCOMPARE(m_boxes->shown().size(), 1);
    QCOMPARE(d.command()->currentIndex(), -1);
}

void tst_CustomizeToolbars::removeButtonQuestions()
{
    Dialog d(&m_form);
    m_boxes->queueAnswer(Answer::Yes);
    d.click("removeButtonBtn");
    QCOMPARE(m_boxes->shown().last().text,
        QStringLiteral("Are you sure you want to remove the button named \"New\"?"));
    QCOMPARE(texts(d.elements()), (QStringList { "Seperator", "Bold" }));
    QCOMPARE(d.elements()->currentRow(), 0);
    m_boxes->queueAnswer(Answer::No);
    d.click("removeButtonBtn");
    QCOMPARE(m_boxes->shown().last().text,
        QStringLiteral("Are you sure you want to remove the Seperator?"));
    QCOMPARE(texts(d.elements()), (QStringList { "Seperator", "Bold" }));
}

void tst_CustomizeToolbars::cancelRestoresTheFile()
{
    // A place the user gave a toolbar before opening the dialog.
    applyToolbarPlaces({ std::nullopt, TToolbarPlace { tdLeft, 0, 0, 0, 0 } });
    {
        Dialog d(&m_form);
        d.get<QLineEdit>("toolbarName")->setText(QStringLiteral("Added"));
        d.click("addToolbarBtn");
        m_boxes->queueAnswer(Answer::Yes);
        d.toolbars()->setCurrentRow(0);
        d.click("removeToolbarBtn");
        QCOMPARE(names(), (QStringList { "Second", "Added" }));
        d.click("cancelBtn");
        QVERIFY(!d.dlg.isVisible());
    }
    QCOMPARE(names(), (QStringList { "First", "Second" }));
    QCOMPARE(toolbarDescriptions.Toolbars[0].Elements.size(), 3);
    QCOMPARE(readFile(toolbarFileName), kFile);
    QCOMPARE(toolbarWindows.size(), 2);
    for (TToolbarWindow* w : std::as_const(toolbarWindows))
        QCOMPARE(w->parentWidget(), &m_form);
    const TToolbarWindow* first = toolbarWindows.at(1);
    QCOMPARE(first->windowTitle(), QStringLiteral("First"));
    QCOMPARE(m_form.toolBarArea(first), Qt::LeftToolBarArea);
    QVERIFY(!first->findChildren<TToolbarButton*>().first()->isInert());
}

void tst_CustomizeToolbars::okSavesAndGivesTheToolbarsBack()
{
    applyToolbarPlaces({ std::nullopt, TToolbarPlace { tdBottom, 0, 0, 0, 0 } });
    {
        Dialog d(&m_form);
        // A new toolbar comes first in the windows' list: the others keep their places anyway.
        d.get<QLineEdit>("toolbarName")->setText(QStringLiteral("Third"));
        d.click("addToolbarBtn");
        d.click("clearBtn");
        d.get<QLineEdit>("buttonCaption")->setText(QStringLiteral("Open"));
        d.command()->setCurrentIndex(d.command()->findText(QStringLiteral("File|Open...")));
        d.click("addButtonBtn");
        d.click("okBtn");
        QVERIFY(!d.dlg.isVisible());
    }
    QCOMPARE(m_boxes->shown().size(), 0);
    TToolbars reread;
    reread.Commands.add().Name = QStringLiteral("FileOpenItem");
    QVERIFY(loadToolbarsFile(reread, toolbarFileName));
    QCOMPARE(reread.Toolbars.size(), 3);
    QCOMPARE(reread.Toolbars[2].ToolbarName, QStringLiteral("Third"));
    QCOMPARE(reread.Toolbars[2].Elements.first().CommandIndex, 0);
    QCOMPARE(toolbarWindows.size(), 3);
    QCOMPARE(toolbarWindows.first()->windowTitle(), QStringLiteral("Third"));
    const TToolbarWindow* first = toolbarWindows.at(2);
    QCOMPARE(first->windowTitle(), QStringLiteral("First"));
    QCOMPARE(m_form.toolBarArea(first), Qt::BottomToolBarArea);
    QCOMPARE(m_form.toolBarArea(toolbarWindows.first()), Qt::TopToolBarArea);
    TToolbarButton* open = toolbarWindows.first()->findChildren<TToolbarButton*>().first();
    QVERIFY(!open->isInert());
}

void tst_CustomizeToolbars::saveAsksANameForAMissingFile()
{
    QFile::remove(toolbarFileName);
    const QString chosen = m_dir.filePath(QStringLiteral("chosen.tb"));
    Dialog d(&m_form);
    m_boxes->clear();
    m_boxes->queueFiles({}); // cancelled: nothing is written, the dialog stays
    d.click("okBtn");
    QVERIFY(d.dlg.isVisible());
    QCOMPARE(m_boxes->fileRequests().size(), 1);
    QCOMPARE(m_boxes->fileRequests().last().title, QStringLiteral("Save toolbars to file"));
    QCOMPARE(m_boxes->fileRequests().last().filter, QStringLiteral("Toolbars files (*.tb)"));
    QCOMPARE(m_boxes->fileRequests().last().defaultSuffix, QStringLiteral("tb"));
    QVERIFY(!QFileInfo::exists(toolbarFileName));
    m_boxes->queueFiles({ chosen });
    d.click("saveBtn");
    QCOMPARE(d.dlg.currentFileName(), chosen);
    QCOMPARE(readFile(chosen).left(34), QByteArray("Pagemason Toolbars File - Orvane\r\n"));
    QVERIFY(d.dlg.isVisible());
}

void tst_CustomizeToolbars::anUnreadableFileIsReplacedOnlyWhenTheUserSaysSo()
{
    const QByteArray broken
        = "Pagemason Toolbars File - Orvane\r\n{+T\r\n~Button~\r\nhalf\r\n}\r\n";
    writeFile(toolbarFileName, broken);
    Dialog d(&m_form);
    QCOMPARE(m_boxes->shown().size(), 2); // where it is broken, then that it is not valid
    // The toolbars as they were stay on show.
    QCOMPARE(texts(d.toolbars()), (QStringList { "First", "Second" }));
    m_boxes->queueAnswer(Answer::No);
    d.click("okBtn");
    QVERIFY(m_boxes->shown().last().text.contains(QStringLiteral("could not be read")));
    QVERIFY(d.dlg.isVisible());
    QCOMPARE(readFile(toolbarFileName), broken);
    d.click("cancelBtn");
    QCOMPARE(readFile(toolbarFileName), broken);
    QCOMPARE(names(), (QStringList { "First", "Second" }));
    QCOMPARE(toolbarWindows.size(), 2);
    QCOMPARE(toolbarWindows.first()->parentWidget(), &m_form);
}

void tst_CustomizeToolbars::importFromAnotherFileAndTheOlderFormat()
{
    const QString other = m_dir.filePath(QStringLiteral("other.tb"));
    writeFile(other, "Pagemason Toolbars File - Orvane\r\n{+Imported\r\n}\r\n");
    const QString old = m_dir.filePath(QStringLiteral("old.tb"));
    writeFile(old, "Toolbars File - Orvane\r\n{+Old\r\n}\r\n");
    const QString converted = m_dir.filePath(QStringLiteral("converted.tb"));
    Dialog d(&m_form);
    m_boxes->queueFiles({ old }); // not this format
    d.click("importBtn");
    QCOMPARE(m_boxes->shown().size(), 2);
    QCOMPARE(names(), (QStringList { "First", "Second" }));
    m_boxes->queueFiles({ other });
    d.click("importBtn");
    QCOMPARE(names(), (QStringList { "Imported" }));
    QCOMPARE(texts(d.toolbars()), (QStringList { "Imported" }));
    QCOMPARE(d.dlg.currentFileName(), other);

    m_boxes->clear();
    m_boxes->queueFiles({ old });
    m_boxes->queueFiles({ converted });
    d.click("importOldBtn");
    QCOMPARE(readFile(converted), QByteArray("Pagemason Toolbars File - Orvane\r\n{+Old\r\n}\r\n"));
    QVERIFY(m_boxes->shown().last().text.startsWith(QStringLiteral("Done.\r\n")));
    QCOMPARE(names(), (QStringList { "Imported" })); // the converted file is not loaded
    d.click("cancelBtn");
    QCOMPARE(names(), (QStringList { "Imported" })); // Cancel reads the current file again
}

void tst_CustomizeToolbars::openedFromTheDocumentMenu()
{
    TMDIChild* doc = activeDocumentWindow();
    QVERIFY(doc);
    // The modal dialog is answered as soon as it shows: Escape is Cancel.
    QTimer::singleShot(0, this, [] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(qobject_cast<TcustomizeToolbarsDlg*>(modal));
        QCOMPARE(modal->windowTitle(), QStringLiteral("Customize Toolbars"));
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    doc->menuItem(QStringLiteral("CustomizeToolbarsItem"))->trigger();
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(toolbarWindows.size(), 2);
    QCOMPARE(toolbarWindows.first()->parentWidget(), &m_form);
    QCOMPARE(readFile(toolbarFileName), kFile);
}

QTEST_MAIN(tst_CustomizeToolbars)
#include "tst_customizetoolbars.moc"
