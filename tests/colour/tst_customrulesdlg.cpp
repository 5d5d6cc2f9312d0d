/** @file tst_customrulesdlg.cpp ** The colour rules dialog and the style dialog, driven offscreen. **/
#include "colour/TcustomRulesDlg.h"
#include "colour/TnewStyleDlg.h"
#include "colour/customRules_utl.h"
#include "core/global_utl.h"
#include "platform/ScriptedDialogs.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QByteArray kFile = "Styles:\r\n"
                         "All Chars\r\n0 16777215\r\n"
                         "Selection\r\n16777215 8388608\r\n"
                         "Find\r\n0 65535\r\n"
                         "Tags\r\n8388608 16777215\r\n"
                         "Comments\r\n32768 255\r\n"
                         "\r\n"
                         "Rules:\r\n"
                         "Comment1\r\n<!--\r\n-->\r\n4\r\n-----------------------------\r\n"
                         "Tag1\r\n<\r\n>\r\n3\r\n-----------------------------\r\n"
                         "Entity1\r\n&\r\n;\r\n4\r\n-----------------------------\r\n";

QString rulesText(const TRules& rules)
{
    QStringList out;
    for (qsizetype i = 0; i < rules.count(); ++i) {
        const TRule& r = rules.at(i);
        out << QStringLiteral("%1|%2|%3|%4")
                   .arg(r.RuleName(), r.OpenTag(), r.CloseTag())
                   .arg(r.StyleIndex());
    }
    return out.join(u' ');
}

QStringList styleNames(const TRules& rules)
{
    QStringList names;
    for (const TTextStyle& s : rules.TextStyles)
        names << s.Name;
    return names;
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QString kLoadedRules = QStringLiteral("Comment1|<!--|-->|4 Tag1|<|>|3 Entity1|&|;|4");

} // namespace

class tst_CustomRulesDlg : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void opensWithTheFileLoaded();
    void addRule_data();
    void addRule();
    void clickingARuleShowsItAndUpdateChangesIt();
    void deleteRules();
    void addAndUpdateStyles();
    void deleteStyle_data();
    void deleteStyle();
    void rulesAreDrawnInTheirStyle();
    void okSavesAndRecolours();
    void okWithAFailedSaveStaysOpen();
    void cancelChangesNothing();
    void styleDialogNeedsAName();

private:
    void clickRule(TcustomRulesDlg& dlg, int row);

    QTemporaryDir m_dir;
    pm::ScriptedDialogs* m_boxes = nullptr;
    int m_recolored = 0;
};

void tst_CustomRulesDlg::init()
{
    QVERIFY(m_dir.isValid());
    colorRulesFileName = m_dir.filePath(QStringLiteral("Pagemason.colors"));
    QFile f(colorRulesFileName);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(kFile);
    f.close();
    colorRules.clear();
    colorRules.TextStyles = TRules::defaultTextStyles();
    m_boxes = new pm::ScriptedDialogs;
    m_recolored = 0;
}

void tst_CustomRulesDlg::cleanup()
{
    delete m_boxes;
    m_boxes = nullptr;
    colorRules.clear();
}

void tst_CustomRulesDlg::clickRule(TcustomRulesDlg& dlg, int row)
{
    QListWidget* list = dlg.rulesListBox;
    const QRect rect = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

void tst_CustomRulesDlg::opensWithTheFileLoaded()
{
    TcustomRulesDlg dlg;
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Customize Color Rules"));
    QCOMPARE(rulesText(colorRules), kLoadedRules);
    QCOMPARE(dlg.rulesListBox->count(), 3);
    QCOMPARE(dlg.rulesListBox->item(1)->text(), QStringLiteral("Tag1"));
    QCOMPARE(dlg.stylesCombo->count(), 5);
    QCOMPARE(dlg.stylesCombo->itemText(4), QStringLiteral("Comments"));
    QCOMPARE(dlg.stylesCombo->currentIndex(), 0);
    QVERIFY(m_boxes->shown().isEmpty());
}

void tst_CustomRulesDlg::addRule_data()
{
    QTest::addColumn<QString>("openText");
    QTest::addColumn<QString>("closeText");
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("added");
    QTest::addColumn<bool>("error");

    QTest::newRow("one line is numbered 1") << QStringLiteral("<B") << QStringLiteral(">") << 3
                                            << QStringLiteral("New1|<b|>|3") << false;
    QTest::newRow("two open lines, one close line")
        << QStringLiteral("a\nb") << QStringLiteral("x") << 2
        << QStringLiteral("New1|a|x|2 New2|b||2") << false;
    QTest::newRow("three open lines, one close line") << QStringLiteral("a\nb\nc")
                                                      << QStringLiteral("x") << 2 << QString()
                                                      << true;
    QTest::newRow("empty open box") << QString() << QStringLiteral("x") << 2 << QString() << false;
    QTest::newRow("empty open line is skipped, pairs keep their lines")
        << QStringLiteral("a\n\nb") << QStringLiteral("1\n2\n3") << 1
        << QStringLiteral("New1|a|1|1 New3|b|3|1") << false;
    QTest::newRow("line break at the end starts no line")
        << QStringLiteral("a\n") << QString() << 1 << QStringLiteral("New1|a||1") << false;
    QTest::newRow("no style chosen") << QStringLiteral("a") << QString() << -1
                                     << QStringLiteral("New1|a||-1") << false;
}

void tst_CustomRulesDlg::addRule()
{
    QFETCH(QString, openText);
    QFETCH(QString, closeText);
    QFETCH(int, style);
    QFETCH(QString, added);
    QFETCH(bool, error);

    TcustomRulesDlg dlg;
    dlg.nameEdit->setText(QStringLiteral("New"));
    dlg.opentagEdit->setPlainText(openText);
    dlg.closeTagEdit->setPlainText(closeText);
    dlg.stylesCombo->setCurrentIndex(style);
    QTest::mouseClick(dlg.addRuleBtn, Qt::LeftButton);

    QString expected = kLoadedRules;
    if (!added.isEmpty())
        expected += u' ' + added;
    QCOMPARE(rulesText(colorRules), expected);
    QCOMPARE(dlg.rulesListBox->count(), colorRules.count());
    QCOMPARE(m_boxes->shown().size(), error ? 1 : 0);
    if (error) {
        QCOMPARE(m_boxes->shown().at(0).kind, pm::Dialogs::Kind::Error);
        QCOMPARE(m_boxes->shown().at(0).text,
                 QStringLiteral("Error: number of lines in open tags and close tags is not "
                                "equal.\r\nEach open tag line MUST have a close tag line (even "
                                "if empty)."));
    }
}

void tst_CustomRulesDlg::clickingARuleShowsItAndUpdateChangesIt()
{
    TcustomRulesDlg dlg;
    dlg.show();
    clickRule(dlg, 2);
    QCOMPARE(dlg.nameEdit->text(), QStringLiteral("Entity1"));
    QCOMPARE(dlg.opentagEdit->toPlainText(), QStringLiteral("&"));
    QCOMPARE(dlg.closeTagEdit->toPlainText(), QStringLiteral(";"));
    QCOMPARE(dlg.stylesCombo->currentIndex(), 4);

    dlg.nameEdit->setText(QStringLiteral("Script"));
    dlg.opentagEdit->setPlainText(QStringLiteral("<SCRIPT"));
    dlg.closeTagEdit->setPlainText(QStringLiteral("</script>"));
    dlg.stylesCombo->setCurrentIndex(1);
    QTest::mouseClick(dlg.updateRuleBtn, Qt::LeftButton);
    QCOMPARE(rulesText(colorRules), QStringLiteral("Comment1|<!--|-->|4 Tag1|<|>|3 "
                                                   "Script|<script|</script>|1"));
    QCOMPARE(dlg.rulesListBox->item(2)->text(), QStringLiteral("Script"));

    // The whole box is the opening text, line break included.
    clickRule(dlg, 0);
    dlg.opentagEdit->setPlainText(QStringLiteral("a\nb"));
    QTest::mouseClick(dlg.updateRuleBtn, Qt::LeftButton);
    QCOMPARE(colorRules.at(0).OpenTag(), QStringLiteral("a\nb"));
}

void tst_CustomRulesDlg::deleteRules()
{
    TcustomRulesDlg dlg;
    dlg.show();
    QTest::mouseClick(dlg.deleteRuleBtn, Qt::LeftButton); // nothing selected
    QCOMPARE(rulesText(colorRules), kLoadedRules);

    clickRule(dlg, 1);
    QTest::mouseClick(dlg.deleteRuleBtn, Qt::LeftButton);
    QCOMPARE(rulesText(colorRules), QStringLiteral("Comment1|<!--|-->|4 Entity1|&|;|4"));

    dlg.nameEdit->setText(QStringLiteral("N"));
    dlg.opentagEdit->setPlainText(QStringLiteral("a\nb\nc"));
    dlg.closeTagEdit->setPlainText(QStringLiteral("\n\n"));
    QTest::mouseClick(dlg.addRuleBtn, Qt::LeftButton);
    QCOMPARE(colorRules.count(), 5);
    clickRule(dlg, 0);
    QTest::mouseClick(dlg.rulesListBox->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      dlg.rulesListBox->visualItemRect(dlg.rulesListBox->item(2)).center());
    QTest::mouseClick(dlg.rulesListBox->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      dlg.rulesListBox->visualItemRect(dlg.rulesListBox->item(4)).center());
    QCOMPARE(dlg.rulesListBox->selectedItems().size(), 3);
    QTest::mouseClick(dlg.deleteRuleBtn, Qt::LeftButton);
    QCOMPARE(rulesText(colorRules), QStringLiteral("Entity1|&|;|4 N2|b||3"));
    QCOMPARE(dlg.rulesListBox->count(), 2);
}

void tst_CustomRulesDlg::addAndUpdateStyles()
{
    TcustomRulesDlg dlg;
    QString caption;
    bool answer = true;
    dlg.setStyleDialogRunner([&](TnewStyleDlg& style) {
        caption = style.windowTitle();
        if (caption == QStringLiteral("Edit style")) {
            // Filled in from the style being edited.
            if (style.styleName() != QStringLiteral("Tags") || style.foreground() != 8388608
                || style.background() != 16777215)
                return false;
        }
        style.setStyleName(QStringLiteral("Entities"));
        style.setForeground(0x0000FF);
        style.setBackground(-5);
        return answer;
    });

    QTest::mouseClick(dlg.addStyleBtn, Qt::LeftButton);
    QCOMPARE(caption, QStringLiteral("Add style"));
    QCOMPARE(styleNames(colorRules).last(), QStringLiteral("Entities"));
    QCOMPARE(colorRules.TextStyles.last().Font.Color, 0x0000FF);
    QCOMPARE(colorRules.TextStyles.last().Color, -5);
    QCOMPARE(dlg.stylesCombo->count(), 6);

    answer = false;
    QTest::mouseClick(dlg.addStyleBtn, Qt::LeftButton);
    QCOMPARE(colorRules.TextStyles.size(), 6);

    answer = true;
    dlg.stylesCombo->setCurrentIndex(3);
    QTest::mouseClick(dlg.updateStyleBtn, Qt::LeftButton);
    QCOMPARE(caption, QStringLiteral("Edit style"));
    QCOMPARE(styleNames(colorRules),
             (QStringList{ QStringLiteral("All Chars"), QStringLiteral("Selection"),
                           QStringLiteral("Find"), QStringLiteral("Entities"),
                           QStringLiteral("Comments"), QStringLiteral("Entities") }));
    QCOMPARE(colorRules.TextStyles.at(3).Color, -5);
}

void tst_CustomRulesDlg::deleteStyle_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("remaining");
    QTest::addColumn<bool>("refused");

    const QString a = QStringLiteral("All Chars"), s = QStringLiteral("Selection"),
                  f = QStringLiteral("Find"), t = QStringLiteral("Tags"),
                  c = QStringLiteral("Comments");
    QTest::newRow("All Chars") << 0 << QStringList{ a, s, f, t, c } << true;
    QTest::newRow("Selection") << 1 << QStringList{ a, s, f, t, c } << true;
    QTest::newRow("Find") << 2 << QStringList{ a, s, f, t, c } << true;
    QTest::newRow("nothing selected") << -1 << QStringList{ a, s, f, t, c } << true;
    QTest::newRow("a style of the user's") << 3 << QStringList{ a, s, f, c } << false;
}

void tst_CustomRulesDlg::deleteStyle()
{
    QFETCH(int, index);
    QFETCH(QStringList, remaining);
    QFETCH(bool, refused);

    TcustomRulesDlg dlg;
    dlg.stylesCombo->setCurrentIndex(index);
    QTest::mouseClick(dlg.deleteStyleBtn, Qt::LeftButton);
    QCOMPARE(styleNames(colorRules), remaining);
    QCOMPARE(dlg.stylesCombo->count(), remaining.size());
    QCOMPARE(m_boxes->shown().size(), refused ? 1 : 0);
    if (refused) {
        QCOMPARE(m_boxes->shown().at(0).kind, pm::Dialogs::Kind::Information);
        QCOMPARE(m_boxes->shown().at(0).text,
                 QStringLiteral("All Chars, Selection and Find styles cannot be deleted."));
    }
    // Rules keep their numbers: the comment rule now names the style that moved into 4, or none.
    QCOMPARE(rulesText(colorRules), kLoadedRules);
}

void tst_CustomRulesDlg::rulesAreDrawnInTheirStyle()
{
    TcustomRulesDlg dlg;
    dlg.resize(700, 400);
    dlg.show();
    QListWidget* list = dlg.rulesListBox;
    const auto pixelBehind = [list](int row) {
        const QImage image = list->viewport()->grab().toImage();
        const QRect rect = list->visualItemRect(list->item(row));
        return image.pixelColor(rect.right() - 4, rect.center().y());
    };
    QCOMPARE(pixelBehind(0), QColor(255, 0, 0)); // Comments: background 255 is red
    QCOMPARE(pixelBehind(1), QColor(255, 255, 255)); // Tags
    colorRules[1].setValues(QStringLiteral("Tag1"), QStringLiteral("<"), 99, QStringLiteral(">"));
    QTest::mouseClick(dlg.refreshRulesBtn, Qt::LeftButton);
    QCOMPARE(pixelBehind(1), QColor(255, 255, 255)); // no such style: drawn as style 0
    colorRules.TextStyles[0].Color = 0x00FF00;
    QTest::mouseClick(dlg.refreshStylesBtn, Qt::LeftButton);
    QCOMPARE(pixelBehind(1), QColor(0, 255, 0));
}

void tst_CustomRulesDlg::okSavesAndRecolours()
{
    TcustomRulesDlg dlg;
    dlg.show();
    clickRule(dlg, 1);
    QTest::mouseClick(dlg.deleteRuleBtn, Qt::LeftButton);
    connect(&dlg, &TcustomRulesDlg::rulesSaved, this, [this] {
        // The documents reload from the file, so it must be written first.
        TRules fromFile;
        if (loadColorRules(fromFile, colorRulesFileName) && fromFile.count() == 2)
            ++m_recolored;
    });
    QTest::mouseClick(dlg.okBtn, Qt::LeftButton);
    QCOMPARE(m_recolored, 1);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QVERIFY(!dlg.isVisible());
    QVERIFY(!readFile(colorRulesFileName).contains("Tag1"));
    QVERIFY(readFile(colorRulesFileName).contains("\r\nEntity1\r\n&\r\n;\r\n4\r\n"));
}

void tst_CustomRulesDlg::okWithAFailedSaveStaysOpen()
{
    TcustomRulesDlg dlg;
    connect(&dlg, &TcustomRulesDlg::rulesSaved, this, [this] { ++m_recolored; });
    dlg.show();
    colorRulesFileName = m_dir.filePath(QStringLiteral("no such folder/Pagemason.colors"));
    QTest::mouseClick(dlg.okBtn, Qt::LeftButton);
    QCOMPARE(m_recolored, 0);
    QVERIFY(dlg.isVisible());
    QCOMPARE(m_boxes->shown().size(), 1);
    QCOMPARE(m_boxes->shown().at(0).kind, pm::Dialogs::Kind::Error);
    QCOMPARE(rulesText(colorRules), kLoadedRules);
}

void tst_CustomRulesDlg::cancelChangesNothing()
{
    TcustomRulesDlg dlg;
    connect(&dlg, &TcustomRulesDlg::rulesSaved, this, [this] { ++m_recolored; });
    dlg.show();
    dlg.nameEdit->setText(QStringLiteral("X"));
    dlg.opentagEdit->setPlainText(QStringLiteral("x"));
    QTest::mouseClick(dlg.addRuleBtn, Qt::LeftButton);
    dlg.stylesCombo->setCurrentIndex(4);
    QTest::mouseClick(dlg.deleteStyleBtn, Qt::LeftButton);
    QCOMPARE(colorRules.count(), 4);

    QTest::mouseClick(dlg.cancelBtn, Qt::LeftButton);
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QCOMPARE(rulesText(colorRules), kLoadedRules);
    QCOMPARE(colorRules.TextStyles.size(), 5);
    QCOMPARE(readFile(colorRulesFileName), kFile);
    QCOMPARE(m_recolored, 0);
}

void tst_CustomRulesDlg::styleDialogNeedsAName()
{
    TnewStyleDlg dlg;
    QCOMPARE(dlg.windowTitle(), QStringLiteral("New Style"));
    QCOMPARE(dlg.foreground(), 0xFFFFFF);
    QCOMPARE(dlg.background(), 0xFFFFFF);
    dlg.setColorPicker([](int32_t current, QWidget*) { return std::optional<int32_t>(current - 1); });
    QTest::mouseClick(dlg.backgroundBtn, Qt::LeftButton);
    QCOMPARE(dlg.background(), 0xFFFFFE);
    QCOMPARE(dlg.foreground(), 0xFFFFFF);

    dlg.show();
    QTest::mouseClick(dlg.okBtn, Qt::LeftButton);
    QVERIFY(dlg.isVisible());
    QCOMPARE(m_boxes->shown().size(), 1);
    QTest::keyClicks(dlg.nameEdit, QStringLiteral("Doctype"));
    QTest::mouseClick(dlg.okBtn, Qt::LeftButton);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.styleName(), QStringLiteral("Doctype"));
}

QTEST_MAIN(tst_CustomRulesDlg)
#include "tst_customrulesdlg.moc"
