/** @file tst_dynamicmenusbar.cpp ** Menus built into a menu bar from the menus file, and the plain
 ** text wizard. **/
#include "core/errors_utl.h"
#include "platform/ScriptedDialogs.h"
#include "templates/TtextWizard.h"
#include "templates/dynamicMenusBar.h"
#include "templates/dynamicMenus_utl.h"
#include "templates/requestSyntax.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

const QString shippedFile = QStringLiteral(TEST_DATA_DIR "/../../shipped/default.mnu");

/// A document window's bar before the dynamic menus arrive.
struct Bar {
    QMenuBar bar;
    Bar()
    {
        for (const char* title : {"&File", "&Edit", "&View", "&Window"})
            bar.addMenu(QString::fromLatin1(title));
    }
    QStringList titles() const
    {
        QStringList out;
        for (QAction* a : bar.actions())
            out << a->text();
        return out;
    }
};

/// Runs `script` once the wizard's modal dialog is up.
void whenModal(std::function<void(QWidget*)> script)
{
    QTimer::singleShot(0, [script] {
        QWidget* dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        script(dialog);
    });
}

/// Entry tags in depth-first order; overflow menus are walked like any submenu.
void collectTags(const QMenu* menu, QList<int>& out)
{
    const QList<QAction*> actions = menu->actions();
    for (const QAction* a : actions) {
        if (a->menu())
            collectTags(a->menu(), out);
        else
            out.append(a->data().toInt());
    }
}

void click(QWidget* dialog, const char* name)
{
    auto* button = dialog->findChild<QPushButton*>(QString::fromLatin1(name));
    QVERIFY(button && button->isEnabled());
    button->click();
}

} // namespace

class tst_DynamicMenusBar : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString write(const QStringList& lines)
    {
        static int n = 0;
        const QString name = m_dir.filePath(QStringLiteral("m%1.mnu").arg(++n));
        QFile f(name);
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write fixture");
        f.write(lines.join(QStringLiteral("\r\n")).toUtf8() + "\r\n");
        return name;
    }

private slots:
    void menusGoBeforeWindow();
    void failuresKeepWhatWasFinished();
    void missingFileChangesNothing();
    void separatorHasNoCaption();
    void longMenusOverflowInFileOrder();
    void shippedFileBuilds();
    void textWizardAnswersAndMessages();
    void textWizardCancel();
};

void tst_DynamicMenusBar::menusGoBeforeWindow()
{
    pm::ScriptedDialogs dialogs;
    Bar b;
    QList<QAction*> clicked;
    loadDynamicMenus(write({"Dynamic Menus File - Orvane", "{auto insert tags when new html is created",
                            "<HTML>", "}", "{&Tags", "item=[&Bold]", "<B>{=,=}</B>", "item=[-]",
                            "{Text style", "item=[&Italic]", "<I>{=,=}</I>", "}", "}", "{&More",
                            "item=[&1st]", "1", "}"}),
                     &b.bar, 3, [&](QAction* a) { clicked << a; });
    QVERIFY(dialogs.shown().isEmpty());
    QCOMPARE(b.titles(), (QStringList{"&File", "&Edit", "&View", "&Tags", "&More", "&Window"}));
    QCOMPARE(menuEntryTexts, (QStringList{"<HTML>", "<B>{=,=}</B>", "", "<I>{=,=}</I>", "1"}));

    QMenu* tags = b.bar.actions().at(3)->menu();
    const QList<QAction*> items = tags->actions();
    QCOMPARE(items.size(), 3);
    QCOMPARE(items.at(0)->objectName(), QStringLiteral("TagsBold"));
    QCOMPARE(items.at(0)->data().toInt(), 1);
    QVERIFY(items.at(1)->isSeparator());
    QCOMPARE(items.at(1)->data().toInt(), 2);
    QCOMPARE(items.at(2)->menu()->objectName(), QStringLiteral("TagsTextstyle"));
    QCOMPARE(items.at(2)->data().toInt(), 0);
    QAction* italic = b.bar.findChild<QAction*>(QStringLiteral("TagsTextstyleItalic"));
    QVERIFY(italic);
    QCOMPARE(italic->data().toInt(), 3);
    QAction* first = b.bar.findChild<QAction*>(QStringLiteral("More1st"));
    QVERIFY(first);
    QCOMPARE(first->data().toInt(), 4);

    italic->trigger();
    QCOMPARE(clicked, QList<QAction*>{italic});

    // A position past the end appends.
    Bar other;
    loadDynamicMenus(write({"Dynamic Menus File - Orvane", "{auto insert tags when new html is created",
                            "}", "{&Z", "item=[z]", "z", "}"}),
                     &other.bar, 200, nullptr);
    QCOMPARE(other.titles().last(), QStringLiteral("&Z"));
}

void tst_DynamicMenusBar::failuresKeepWhatWasFinished()
{
    pm::ScriptedDialogs dialogs;
    Bar b;
    menuEntryTexts = {QStringLiteral("old")};
    const QString file = write({"Dynamic Menus File - Orvane", "{auto insert tags when new html is created",
                                "x", "}", "{&Done", "item=[A]", "a", "}", "{&Broken", "item=[-]",
                                "item=[-]", "}"});
    loadDynamicMenus(file, &b.bar, 3, nullptr);
    QCOMPARE(b.titles(), (QStringList{"&File", "&Edit", "&View", "&Done", "&Window"}));
    QCOMPARE(menuEntryTexts, (QStringList{"x", "a", ""}));
    QCOMPARE(dialogs.shown().size(), 1);
    QCOMPARE(dialogs.shown().at(0).text, formatErrorMessage(4, file));

    Bar header;
    const QString wrong = write({"Dynamic Menus File - Orvane ", "{auto insert tags when new html is created", "}"});
    loadDynamicMenus(wrong, &header.bar, 3, nullptr);
    QCOMPARE(header.titles().size(), 4);
    QVERIFY(menuEntryTexts.isEmpty()); // the new, empty table replaced the old one
    QCOMPARE(dialogs.shown().at(1).text, formatErrorMessage(4, wrong));
}

void tst_DynamicMenusBar::missingFileChangesNothing()
{
    pm::ScriptedDialogs dialogs;
    Bar b;
    menuEntryTexts = {QStringLiteral("kept")};
    const QString file = m_dir.filePath(QStringLiteral("none.mnu"));
    loadDynamicMenus(file, &b.bar, 3, nullptr);
    QCOMPARE(b.titles().size(), 4);
    QCOMPARE(menuEntryTexts, QStringList{"kept"});
    QCOMPARE(dialogs.shown().size(), 1);
    QCOMPARE(dialogs.shown().at(0).text, formatErrorMessage(1, file));
}

void tst_DynamicMenusBar::separatorHasNoCaption()
{
    pm::ScriptedDialogs dialogs;
    Bar b;
    loadDynamicMenus(write({"Dynamic Menus File - Orvane", "{auto insert tags when new html is created",
                            "}", "{&Tags", "item=[Alpha]", "a", "item=[-]", "item=[Beta]", "b", "}"}),
                     &b.bar, 3, nullptr);
    QMenu* built = b.bar.actions().at(3)->menu();
    QMenu reference;
    reference.addAction(QStringLiteral("Alpha"));
    reference.addSeparator();
    reference.addAction(QStringLiteral("Beta"));
    built->adjustSize();
    reference.adjustSize();
    // Drawn exactly as a separator the toolkit makes: no stray "-" beside the line.
    QCOMPARE(built->grab().toImage(), reference.grab().toImage());
    QCOMPARE(built->actions().at(1)->objectName(), QStringLiteral("Tags"));
    QCOMPARE(built->actions().at(1)->data().toInt(), 2);
}

void tst_DynamicMenusBar::longMenusOverflowInFileOrder()
{
    pm::ScriptedDialogs dialogs;
    QStringList lines{"Dynamic Menus File - Orvane", "{auto insert tags when new html is created", "}",
                      "{&Big"};
    const int big = 2 * maxDynamicMenuItems + maxDynamicMenuItems / 2;
    for (int e = 0; e < big; ++e)
        lines << QStringLiteral("item=[E%1]").arg(e) << QStringLiteral("t");
    lines << "}";
    const int tops = maxDynamicTopLevelMenus + 50; // &Big among them
    for (int m = 1; m < tops; ++m)
        lines << QStringLiteral("{M%1").arg(m) << "item=[x]" << "x" << "}";
    Bar b;
    loadDynamicMenus(write(lines), &b.bar, 3, nullptr);
    QVERIFY(dialogs.shown().isEmpty());

    const QStringList titles = b.titles();
    QCOMPARE(titles.size(), 4 + maxDynamicTopLevelMenus + 1);
    QCOMPARE(titles.at(3), QStringLiteral("&Big"));
    QCOMPARE(titles.at(3 + maxDynamicTopLevelMenus - 1),
             QStringLiteral("M%1").arg(maxDynamicTopLevelMenus - 1));
    QCOMPARE(titles.at(3 + maxDynamicTopLevelMenus), dynamicMenuOverflowCaption);
    QCOMPARE(titles.last(), QStringLiteral("&Window"));

    // No menu holds more than its share, and the overflow menus carry no command.
    QMenu* bigMenu = b.bar.actions().at(3)->menu();
    QCOMPARE(bigMenu->actions().size(), maxDynamicMenuItems + 1);
    QAction* more = bigMenu->actions().last();
    QCOMPARE(more->text(), dynamicMenuOverflowCaption);
    QCOMPARE(more->data().toInt(), -1);
    QCOMPARE(more->menu()->actions().size(), maxDynamicMenuItems + 1);
    QCOMPARE(more->menu()->actions().last()->menu()->actions().size(), maxDynamicMenuItems / 2);
    QMenu* moreTops = b.bar.actions().at(3 + maxDynamicTopLevelMenus)->menu();
    QCOMPARE(moreTops->actions().size(), tops - maxDynamicTopLevelMenus);
    QCOMPARE(moreTops->actions().first()->text(),
             QStringLiteral("M%1").arg(maxDynamicTopLevelMenus));

    // Depth first, every entry comes in file order: the tags count up from 1.
    QList<int> tags;
    for (qsizetype i = 3; i < b.bar.actions().size() - 1; ++i)
        collectTags(b.bar.actions().at(i)->menu(), tags);
    QList<int> expected;
    for (int t = 1; t <= big + tops - 1; ++t)
        expected.append(t);
    QCOMPARE(tags, expected);
    QCOMPARE(menuEntryTexts.size(), big + tops);
}

void tst_DynamicMenusBar::shippedFileBuilds()
{
    pm::ScriptedDialogs dialogs;
    Bar b;
    loadDynamicMenus(shippedFile, &b.bar, 3, nullptr);
    QVERIFY(dialogs.shown().isEmpty());
    QVERIFY(b.titles().size() >= 8);
    QCOMPARE(b.titles().last(), QStringLiteral("&Window"));
    // Every entry's tag names its own template, and every template passes the check.
    const QList<QAction*> all = b.bar.findChildren<QAction*>();
    int entries = 0;
    for (QAction* a : all) {
        const int tag = a->data().toInt();
        if (tag <= 0)
            continue;
        ++entries;
        QVERIFY(!a->objectName().isEmpty());
        QVERIFY2(checkTemplateSyntax(menuEntryTexts.at(tag)).ok, qPrintable(a->objectName()));
    }
    QCOMPARE(entries, menuEntryTexts.size() - 1);
}

void tst_DynamicMenusBar::textWizardAnswersAndMessages()
{
    pm::ScriptedDialogs dialogs;
    dialogs.queueAnswer(pm::Dialogs::Answer::Ok);
    TtextWizard wizard;
    QList<TWizardPage> pages(2);
    pages[0].type = rtPercent;
    pages[0].description = QStringLiteral("Width");
    pages[1].type = rtText;
    const QList<TWizardStep> steps{{"Width", 0, QString()},
                                   {"msg Read this", -1, "Read this"},
                                   {"", 1, QString()}};
    QString captions;
    whenModal([&](QWidget* dialog) {
        captions += dialog->windowTitle() + u'|';
        dialog->findChild<QLineEdit*>()->setText(QStringLiteral("50"));
        click(dialog, "nextBtn");
        captions += dialog->windowTitle();
        dialog->findChild<QPlainTextEdit*>()->setPlainText(QStringLiteral("a\nb"));
        click(dialog, "finishBtn");
    });
    QVERIFY(wizard.run(QStringLiteral("Image"), pages, steps));
    QCOMPARE(captions, QStringLiteral("Image Wizard - Step 1 of 2|Image Wizard - Step 2 of 2"));
    QCOMPARE(pages.at(0).answer, QStringLiteral("50%"));
    QCOMPARE(pages.at(1).answer, QStringLiteral("a\r\nb"));
    QCOMPARE(dialogs.shown().size(), 1);
    QCOMPARE(dialogs.shown().at(0).text, QStringLiteral("Read this"));
}

void tst_DynamicMenusBar::textWizardCancel()
{
    pm::ScriptedDialogs dialogs;
    TtextWizard wizard;
    QList<TWizardPage> pages(1);
    const QList<TWizardStep> steps{{"x", 0, QString()}};
    whenModal([&](QWidget* dialog) { click(dialog, "cancelBtn"); });
    QVERIFY(!wizard.run(QStringLiteral("T"), pages, steps));

    // A message cancelled before the first page cancels the wizard without showing it.
    dialogs.queueAnswer(pm::Dialogs::Answer::Cancel);
    const QList<TWizardStep> withMessage{{"msg Sure?", -1, "Sure?"}, {"x", 0, QString()}};
    QVERIFY(!wizard.run(QStringLiteral("T"), pages, withMessage));
    QCOMPARE(dialogs.shown().size(), 1);
}

QTEST_MAIN(tst_DynamicMenusBar)
#include "tst_dynamicmenusbar.moc"
