/** @file tst_customrulesview.cpp ** An editor control gets its styles from the colour rules file. **/
#include "colour/customRulesView_utl.h"
#include "colour/customRules_utl.h"
#include "core/global_utl.h"
#include "editor/TDCMemo.h"
#include "platform/ScriptedDialogs.h"

#include <QTemporaryDir>
#include <QtTest>

class tst_CustomRulesView : public QObject
{
    Q_OBJECT

private slots:
    void reloadGivesTheEditorTheFilesStyles();
};

void tst_CustomRulesView::reloadGivesTheEditorTheFilesStyles()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    colorRulesFileName = dir.filePath(QStringLiteral("Pagemason.colors"));
    QFile file(colorRulesFileName);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Styles:\r\nAll Chars\r\n1 2\r\nSelection\r\n3 4\r\n\r\nRules:\r\n");
    file.close();
    pm::ScriptedDialogs boxes;
    TDCMemo memo;

    reloadColorStyles(memo);
    QCOMPARE(memo.TextStyles().size(), 2);
    QCOMPARE(memo.TextStyles().at(1).Name, QStringLiteral("Selection"));
    QCOMPARE(memo.TextStyles().at(1).Font.Color, 3);
    QCOMPARE(memo.TextStyles().at(1).Color, 4);

    // Without the file the editor still gets the rule set's list, and the error is shown.
    QVERIFY(QFile::remove(colorRulesFileName));
    colorRules.TextStyles[0].Color = 77;
    reloadColorStyles(memo);
    QCOMPARE(boxes.shown().size(), 1);
    QCOMPARE(memo.TextStyles().size(), 2);
    QCOMPARE(memo.TextStyles().at(0).Color, 77);
    colorRules.TextStyles = TRules::defaultTextStyles();
}

QTEST_MAIN(tst_CustomRulesView)
#include "tst_customrulesview.moc"
