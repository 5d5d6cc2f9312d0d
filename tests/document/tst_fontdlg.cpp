/** @file tst_fontdlg.cpp ** The "Font" dialog's results, and "C&hange Font..." applying them to
 ** the editor font and the font settings. **/
#include "core/settings_utl.h"
#include "document/Childwin.h"
#include "document/TfontDlg.h"
#include "document/editCommands_utl.h"
#include "editor/TDCMemo.h"
#include "platform/MemorySettingsStore.h"
#include "platform/ScriptedDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

class tst_FontDlg : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        pm::setSettingsStore(&m_store);
        const QStringList families = QFontDatabase::families();
        QVERIFY(!families.isEmpty());
        m_family = families.first();
    }
    void cleanupTestCase() { pm::setSettingsStore(nullptr); }
    void init()
    {
        globalOptions = optns();
        editorFont = QFont(m_family, 10);
    }

    void controls();
    void results_data();
    void results();
    void cancelKeepsResults();
    void applyResults_data();
    void applyResults();
    void changeFontCommand();

private:
    pm::MemorySettingsStore m_store;
    pm::ScriptedDialogs m_dialogs;
    QString m_family;
};

void tst_FontDlg::controls()
{
    TfontDlg dlg;
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Font"));
    QCOMPARE(dlg.nameBox()->itemText(0), QStringLiteral("Don't define"));
    QCOMPARE(dlg.nameBox()->count(), QFontDatabase::families().size() + 1);
    QStringList sizes;
    for (int i = 0; i < dlg.sizeBox()->count(); ++i)
        sizes.append(dlg.sizeBox()->itemText(i));
    QCOMPARE(sizes, (QStringList { "Don't define", "6", "8", "10", "12", "14", "16", "18", "22",
                                   "24", "28", "36", "42", "72" }));
    const char* captions[] = { "&Bold", "&Italic", "&Underline", "&Strikethrough" };
    for (int i = 0; i < 4; ++i)
        QCOMPARE(dlg.styleBox(i)->text(), QLatin1String(captions[i]));
    QCOMPARE(dlg.sample()->text(), QStringLiteral("Sample text 1234567890"));
    QCOMPARE(dlg.defineColorBox()->text(), QStringLiteral("Define &color"));
    QVERIFY(!dlg.colorButton()->isEnabled());
    dlg.defineColorBox()->setChecked(true);
    QVERIFY(dlg.colorButton()->isEnabled());
}

void tst_FontDlg::results_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("styles");
    QTest::addColumn<bool>("color");
    QTest::addColumn<QString>("expectedName");
    QTest::addColumn<QString>("expectedSize");
    QTest::addColumn<QString>("expectedColor");
    QTest::newRow("everything defined") << "@family" << "14" << "bs" << true << "@family" << "14"
                                        << "123456";
    QTest::newRow("nothing defined") << "Don't define" << "Don't define" << "" << false << ""
                                     << "" << "";
    QTest::newRow("typed size") << "@family" << "11" << "biu" << false << "@family" << "11" << "";
    QTest::newRow("all styles") << "@family" << "8" << "bius" << false << "@family" << "8" << "";
}

void tst_FontDlg::results()
{
    QFETCH(QString, name);
    QFETCH(QString, size);
    QFETCH(QString, styles);
    QFETCH(bool, color);
    QFETCH(QString, expectedName);
    QFETCH(QString, expectedSize);
    QFETCH(QString, expectedColor);
    name.replace(QStringLiteral("@family"), m_family);
    expectedName.replace(QStringLiteral("@family"), m_family);
    TfontDlg dlg;
    dlg.nameBox()->setCurrentText(name);
    dlg.sizeBox()->setCurrentText(size);
    for (int i = 0; i < 4; ++i)
        dlg.styleBox(i)->setChecked(styles.contains(QLatin1Char("bius"[i])));
    dlg.defineColorBox()->setChecked(color);
    dlg.setColorValue(0x563412); // 0x00BBGGRR: red 12, green 34, blue 56
    dlg.okButton()->click();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.results().name, expectedName);
    QCOMPARE(dlg.results().size, expectedSize);
    QCOMPARE(dlg.results().styles, styles);
    QCOMPARE(dlg.results().color, expectedColor);
    if (color)
        QCOMPARE(dlg.results().colorValue, 0x563412);
}

void tst_FontDlg::cancelKeepsResults()
{
    TfontDlg dlg;
    TfontResults initial;
    initial.name = QStringLiteral("No Such Font Here");
    initial.size = QStringLiteral("12");
    initial.styles = QStringLiteral("i");
    dlg.setResults(initial);
    // A font the system lacks is still shown, and kept by OK.
    QCOMPARE(dlg.nameBox()->currentText(), initial.name);
    QVERIFY(dlg.styleBox(1)->isChecked());
    QVERIFY(!dlg.styleBox(0)->isChecked());
    dlg.sizeBox()->setCurrentText(QStringLiteral("20"));
    dlg.reject();
    QCOMPARE(dlg.results().size, QStringLiteral("12"));
    dlg.okButton()->click();
    QCOMPARE(dlg.results().name, initial.name);
    QCOMPARE(dlg.results().size, QStringLiteral("20"));
}

void tst_FontDlg::applyResults_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("styles");
    QTest::addColumn<int>("pointSize");
    QTest::addColumn<QString>("stored");
    QTest::newRow("size and styles") << "" << "14" << "bi" << 14 << "BoldItalic";
    QTest::newRow("size not defined") << "" << "" << "" << 10 << "";
    QTest::newRow("size not a number") << "" << "x" << "u" << 10 << "Underline";
    QTest::newRow("size zero") << "" << "0" << "s" << 10 << "Strikeout";
    QTest::newRow("all styles") << "" << "8" << "bius" << 8 << "BoldItalicUnderlineStrikeout";
}

void tst_FontDlg::applyResults()
{
    QFETCH(QString, name);
    QFETCH(QString, size);
    QFETCH(QString, styles);
    QFETCH(int, pointSize);
    QFETCH(QString, stored);
    editorFont.setBold(true); // switched off unless the results say so
    TMDIChild window;
    TfontResults r { name, size, QString(), 0, styles };
    applyFontResults(r, &window);
    QCOMPARE(editorFont.pointSize(), pointSize);
    QCOMPARE(editorFont.bold(), styles.contains(u'b'));
    QCOMPARE(editorFont.strikeOut(), styles.contains(u's'));
    QCOMPARE(window.editor()->Font(), editorFont);
    QCOMPARE(globalOptions.font.size, pointSize);
    QCOMPARE(globalOptions.font.styles, stored);
    QCOMPARE(globalOptions.font.name, editorFont.family());
}

void tst_FontDlg::changeFontCommand()
{
    TMDIChild window;
    window.editor()->setFont(QFont(m_family, 12));
    editorFont = QFont(m_family, 12);
    bool seen = false;
    // The dialog is modal: answer it once the event loop shows it.
    QTimer::singleShot(0, this, [&] {
        auto* dlg = qobject_cast<TfontDlg*>(QApplication::activeModalWidget());
        QVERIFY(dlg);
        seen = true;
        QCOMPARE(dlg->nameBox()->currentText(), m_family);
        QCOMPARE(dlg->sizeBox()->currentText(), QStringLiteral("12"));
        dlg->sizeBox()->setCurrentIndex(0); // "Don't define"
        dlg->styleBox(0)->setChecked(true);
        dlg->okButton()->click();
    });
    window.menuItem(QStringLiteral("ChangeFontItem"))->trigger();
    QVERIFY(seen);
    QCOMPARE(editorFont.pointSize(), 12);
    QVERIFY(editorFont.bold());
    QCOMPARE(window.editor()->Font(), editorFont);
    QCOMPARE(globalOptions.font.size, 12);
    QCOMPARE(globalOptions.font.styles, QStringLiteral("Bold"));
}

QTEST_MAIN(tst_FontDlg)
#include "tst_fontdlg.moc"
