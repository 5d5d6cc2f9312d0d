/** @file tst_gotoline.cpp ** The go-to-line dialog: its texts, clamping and refusing non-numbers. **/
#include "editor/TGoToLineDlg.h"
#include "editor/TMemoSource.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

class tst_GoToLine : public QObject
{
    Q_OBJECT

private:
    // Ten lines "line 0" ... "line 9", caret on line 5, column 3.
    static void fill(TMemoSource& source)
    {
        QStringList lines;
        for (int i = 0; i < 10; ++i)
            lines << QStringLiteral("line %1").arg(i);
        source.setText(lines.join(QStringLiteral("\r\n")));
        source.setCaret(3, 5);
    }

private slots:
    void captionsAndPrefill()
    {
        TGoToLineDlg dlg(41);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Go to Line Number"));
        QVERIFY(dlg.isModal());
        QLabel* label = dlg.findChild<QLabel*>();
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("&Enter new line number:"));
        QCOMPARE(label->buddy(), dlg.lineEdit());
        QCOMPARE(dlg.lineEdit()->text(), QStringLiteral("42"));
        QCOMPARE(dlg.okButton()->text(), QStringLiteral("Ok"));
        QCOMPARE(dlg.cancelButton()->text(), QStringLiteral("Cancel"));
    }

    void clampsToExistingLines_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("line");
        QTest::newRow("zero") << QStringLiteral("0") << 0;
        QTest::newRow("negative") << QStringLiteral("-7") << 0;
        QTest::newRow("first") << QStringLiteral("1") << 0;
        QTest::newRow("middle") << QStringLiteral("4") << 3;
        QTest::newRow("last") << QStringLiteral("10") << 9;
        QTest::newRow("past the end") << QStringLiteral("11") << 9;
        QTest::newRow("far past any int") << QStringLiteral("99999999999999999999999") << 9;
        QTest::newRow("far below any int") << QStringLiteral("-99999999999999999999999") << 0;
        QTest::newRow("blanks and plus") << QStringLiteral("  +2 ") << 1;
    }
    void clampsToExistingLines()
    {
        QFETCH(QString, typed);
        QFETCH(int, line);
        TMemoSource source;
        fill(source);
        TGoToLineDlg dlg(source.CaretY());
        QCOMPARE(dlg.lineEdit()->text(), QStringLiteral("6"));
        dlg.lineEdit()->setText(typed);
        QTest::mouseClick(dlg.okButton(), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(dlg.applyTo(source));
        QCOMPARE(source.CaretY(), line);
        QCOMPARE(source.CaretX(), 0);
    }

    void refusesNonNumbers_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("empty") << QString();
        QTest::newRow("word") << QStringLiteral("abc");
        QTest::newRow("trailing letters") << QStringLiteral("3x");
        QTest::newRow("sign only") << QStringLiteral("-");
        QTest::newRow("fraction") << QStringLiteral("2.5");
    }
    void refusesNonNumbers()
    {
        QFETCH(QString, typed);
        TMemoSource source;
        fill(source);
        TGoToLineDlg dlg(source.CaretY());
        dlg.show();
        dlg.lineEdit()->setText(typed);
        QTest::mouseClick(dlg.okButton(), Qt::LeftButton);
        // The dialog stays open with the text kept for correcting.
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(dlg.lineEdit()->text(), typed);
        QVERIFY(!dlg.applyTo(source));
        QCOMPARE(source.CaretY(), 5);
        QCOMPARE(source.CaretX(), 3);
    }

    // The modal run as the document window uses it, answered from inside its event loop.
    void executeMovesOnlyOnOk_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("column");
        QTest::newRow("ok") << true << 1 << 0;
        QTest::newRow("cancel") << false << 5 << 3;
    }
    void executeMovesOnlyOnOk()
    {
        QFETCH(bool, ok);
        QFETCH(int, line);
        QFETCH(int, column);
        TMemoSource source;
        fill(source);
        bool answered = false;
        QTimer::singleShot(0, this, [&] {
            auto* dlg = qobject_cast<TGoToLineDlg*>(QApplication::activeModalWidget());
            if (!dlg)
                return;
            answered = true;
            dlg->lineEdit()->setText(QStringLiteral("2"));
            QTest::mouseClick(ok ? dlg->okButton() : dlg->cancelButton(), Qt::LeftButton);
        });
        QCOMPARE(TGoToLineDlg::execute(source), ok);
        QVERIFY(answered);
        QCOMPARE(source.CaretY(), line);
        QCOMPARE(source.CaretX(), column);
    }
};

QTEST_MAIN(tst_GoToLine)
#include "tst_gotoline.moc"
