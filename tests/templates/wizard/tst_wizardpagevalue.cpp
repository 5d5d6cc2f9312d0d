/** @file tst_wizardpagevalue.cpp ** An edited tag's value put back into a page of every kind
 ** comes out of Finish as the same answer. **/
#include "core/global_utl.h"
#include "document/common/TWizardDocument.h"
#include "platform/ScriptedDialogs.h"
#include "templates/requestSyntax.h"
#include "templates/wizard/TwizardPage.h"
#include "templates/wizard/inputForm.h"
#include "templates/wizard/inputTemplatesFrm.h"

#include <QCheckBox>
#include <QDate>
#include <QDateEdit>
#include <QLocale>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace wizardControls;

namespace {

class FakeDocument : public TWizardDocument
{
public:
    QString text() const override
    {
        return QStringLiteral("<a name=\"top\">x</a> <A NAME=\"end\">");
    }
    QString fileName() const override { return QString(); }
    bool saveWithDialog() override { return false; }
};

} // namespace

class TestWizardPageValue : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        historyFileName = m_dir.filePath(QStringLiteral("recent.lst"));
        globalOptions.convertUnixStrings = true;
    }

    void roundTrip_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("parameters");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("suffix");
        const QString list = QStringLiteral("'Red','#FF0000','Blue','#0000FF'");
        QTest::newRow("file") << int(rtFile) << ""
                              << "img/a.gif"
                              << ""
                              << ""
                              << "img/a.gif"
                              << "\"";
        QTest::newRow("string") << int(rtString) << ""
                                << "x y"
                                << ""
                                << ""
                                << "x y"
                                << "\"";
        QTest::newRow("number") << int(rtNumber) << ""
                                << "12"
                                << ""
                                << ""
                                << "12"
                                << "\"";
        QTest::newRow("percent") << int(rtPercent) << ""
                                 << "50%"
                                 << ""
                                 << ""
                                 << "50%"
                                 << "\"";
        QTest::newRow("url") << int(rtUrl) << ""
                             << "http://x/y"
                             << ""
                             << ""
                             << "http://x/y"
                             << "\"";
        QTest::newRow("urlfile") << int(rtUrlFile) << ""
                                 << "p.html"
                                 << ""
                                 << ""
                                 << "p.html"
                                 << "\"";
        QTest::newRow("color") << int(rtColor) << ""
                               << " #ff8000"
                               << ""
                               << ""
                               << "FF8000"
                               << "\"";
        QTest::newRow("color, none") << int(rtColor) << ""
                                     << ""
                                     << ""
                                     << ""
                                     << ""
                                     << "\"";
        QTest::newRow("attlist") << int(rtAttList) << "<a;name=\";\" >"
                                 << "end"
                                 << ""
                                 << ""
                                 << "end"
                                 << "\"";
        QTest::newRow("attlist, absent") << int(rtAttList) << "<a;name=\";\" >"
                                         << "gone"
                                         << ""
                                         << ""
                                         << ""
                                         << "\"";
        QTest::newRow("align") << int(rtAlign) << ""
                               << "middle"
                               << ""
                               << ""
                               << "MIDDLE"
                               << "\"";
        QTest::newRow("align, unknown") << int(rtAlign) << ""
                                        << "sideways"
                                        << ""
                                        << ""
                                        << ""
                                        << "\"";
        QTest::newRow("image with its size") << int(rtImage) << ""
                                             << "pic.gif"
                                             << "10"
                                             << "20"
                                             << "pic.gif"
                                             << "\" WIDTH=10 HEIGHT=20";
        QTest::newRow("image without a size") << int(rtImage) << ""
                                              << "pic.gif"
                                              << ""
                                              << ""
                                              << "pic.gif"
                                              << "\"";
        QTest::newRow("list") << int(rtList) << list << "#0000FF"
                              << ""
                              << ""
                              << "#0000FF"
                              << "\"";
        QTest::newRow("text") << int(rtText) << ""
                              << "two\r\nlines"
                              << ""
                              << ""
                              << "two\r\nlines"
                              << "\"";
        const QString date = QLocale::system().toString(QDate(2024, 5, 17), QLocale::ShortFormat);
        QTest::newRow("date") << int(rtDate) << "" << date << ""
                              << "" << date << "\"";
    }
    void roundTrip()
    {
        QFETCH(int, type);
        QFETCH(QString, parameters);
        QFETCH(QString, value);
        QFETCH(QString, width);
        QFETCH(QString, height);
        pm::ScriptedDialogs dialogs;
        TinputTemplates templates;
        FakeDocument document;
        TinputDlg dlg(nullptr, &document);
        dlg.addPage(type, QStringLiteral("d"), parameters, QStringLiteral(" A=\""),
            QStringLiteral("\""), true);
        setWizardPageValue(dlg.page(0), value, width, height);
        QVERIFY(dlg.start(QStringLiteral("T")));
        dlg.finish();
        QVERIFY(dlg.finished());
        QTEST(dlg.answers.at(0), "answer");
        QTEST(dlg.suffixes.at(0), "suffix");
        QVERIFY(dialogs.shown().isEmpty());
    }

    void unreadableDateKeepsThePicker()
    {
        TinputTemplates templates;
        TinputDlg dlg;
        dlg.addPage(rtDate, QStringLiteral("d"), QString(), QString(), QString(), false);
        TwizardPage* page = dlg.page(0);
        const QDate before = page->control<QDateEdit>(DatePicker1)->date();
        setWizardPageValue(page, QStringLiteral("tomorrow"));
        QVERIFY(page->control<QRadioButton>(customDateRadio)->isChecked());
        QCOMPARE(page->control<QDateEdit>(DatePicker1)->date(), before);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestWizardPageValue)
#include "tst_wizardpagevalue.moc"
