/** @file tst_inputdlg.cpp ** The input wizard driven offscreen: pages, answers, navigation,
 ** pictures, history and bad input. **/
#include "core/global_utl.h"
#include "document/common/TWizardDocument.h"
#include "document/common/picture_utl.h"
#include "platform/ScriptedDialogs.h"
#include "templates/requestSyntax.h"
#include "templates/templateRunner.h"
#include "templates/wizard/TColorButton.h"
#include "templates/wizard/TProfileFile.h"
#include "templates/wizard/TgetColorFrm.h"
#include "templates/wizard/TinputWizard.h"
#include "templates/wizard/TwizardPage.h"
#include "templates/wizard/inputForm.h"
#include "templates/wizard/inputTemplatesFrm.h"
#include "templates/wizard/wizardAnswers_utl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace wizardControls;

namespace {

class FakeDocument : public TWizardDocument
{
public:
    QString body;
    QString name;
    QString text() const override { return body; }
    QString fileName() const override { return name; }
    bool saveWithDialog() override { return false; }
};

/// The document the wizard works on.
struct DocumentScope {
    FakeDocument doc;
};

void writeFile(const QString& name, const QByteArray& bytes)
{
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QStringList comboItems(const QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items.append(combo->itemText(i));
    return items;
}

} // namespace

class tst_InputDlg : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void init();
    void percentAnswer();
    void imageSizeGoesToSuffix();
    void pickedFileMadeRelative();
    void colorPage();
    void listPage();
    void otherPages();
    void numberFilterAndArrows();
    void stepCaptionAndSize();
    void navigation();
    void keys();
    void messageSteps();
    void pictureSizes_data();
    void pictureSizes();
    void badImageSizeHoldsFinish();
    void historyFilesThatAreBad_data();
    void historyFilesThatAreBad();
    void historyWrittenOnceAndCapped();
    void badParameters();
    void templateRunEndToEnd();
    void prefilledPagesRoundTrip();
    void startUpWiring();
    void colorPickerForm();
};

void tst_InputDlg::init()
{
    historyFileName = path(QStringLiteral("recent.lst"));
    QFile::remove(historyFileName);
    globalOptions.convertUnixStrings = true;
}

void tst_InputDlg::percentAnswer()
{
    for (const QString& typed : {QStringLiteral("50"), QString()}) {
        TinputDlg dlg;
        dlg.addPage(rtPercent, QStringLiteral("Width"), QString(), QString(), QString(), true);
        QVERIFY(dlg.start(QStringLiteral("T")));
        QTest::keyClicks(dlg.page(0)->control(percentEdit), typed);
        dlg.finish();
        QVERIFY(dlg.finished());
        QCOMPARE(dlg.answers.at(0), typed.isEmpty() ? QString() : QStringLiteral("50%"));
    }
}

void tst_InputDlg::imageSizeGoesToSuffix()
{
    pm::ScriptedDialogs dialogs;
    TinputDlg dlg;
    dlg.addPage(rtImage, QStringLiteral("Image"), QString(), QStringLiteral(" SRC="),
                QStringLiteral("\""), false);
    QVERIFY(dlg.start(QStringLiteral("Image")));
    TwizardPage* page = dlg.page(0);
    page->control<QComboBox>(imageFNEdit)->setEditText(QStringLiteral("pic.gif"));
    QCOMPARE(page->control<QLineEdit>(imageWidthEdit)->text(), QStringLiteral("0"));
    page->control<QLineEdit>(imageHeightEdit)->setText(QStringLiteral("20"));
    dlg.finish();
    QCOMPARE(dlg.answers.at(0), QStringLiteral("pic.gif"));
    QCOMPARE(dlg.suffixes.at(0), QStringLiteral("\" HEIGHT=20"));
    QCOMPARE(dlg.openDialogFilter(), QStringLiteral("Images|*.gif;*.jpg;*.jpeg;*.png"));
    QVERIFY(dialogs.shown().isEmpty());
}

void tst_InputDlg::pickedFileMadeRelative()
{
    pm::ScriptedDialogs dialogs;
    DocumentScope scope;
    scope.doc.name = QStringLiteral("/srv/site/index.html");
    writeFile(historyFileName, "[filename]\r\nold.htm=\r\n");
    TinputTemplates templates;
    TinputDlg dlg(nullptr, &scope.doc);
    dlg.addPage(rtFile, QStringLiteral("File"), QStringLiteral("HTML files|*.htm;*.html"),
                QString(), QString(), false);
    QVERIFY(dlg.start(QStringLiteral("Link")));
    auto* combo = dlg.page(0)->control<QComboBox>(filenameEdit);
    QCOMPARE(comboItems(combo), QStringList{QStringLiteral("old.htm")});
    dialogs.queueFiles({QStringLiteral("/srv/site/img/a.gif")});
    dlg.page(0)->control<QPushButton>(fileNameBrowse)->click();
    QCOMPARE(dialogs.fileRequests().size(), 1);
    QCOMPARE(dialogs.fileRequests().first().filter, QStringLiteral("HTML files (*.htm *.html)"));
    dlg.finish();
    QCOMPARE(dlg.answers.at(0), QStringLiteral("img/a.gif"));
    // The full name goes to the history, after the entries already there.
    QCOMPARE(TProfileFile::readKeys(historyFileName, historyFileNameSection),
             (QStringList{QStringLiteral("old.htm"), QStringLiteral("/srv/site/img/a.gif")}));
    // and the next wizard offers it.
    TinputDlg next;
    next.addPage(rtFile, QStringLiteral("File"), QString(), QString(), QString(), false);
    QCOMPARE(next.page(0)->control<QComboBox>(filenameEdit)->count(), 2);
}

void tst_InputDlg::colorPage()
{
    const auto previousPicker = TinputDlg::colorPicker;
    int32_t picked = colorPickerCancelled;
    TinputDlg::colorPicker = [&picked](QWidget*) { return picked; };
    TinputDlg dlg;
    dlg.addPage(rtColor, QStringLiteral("Colour"), QString(), QString(), QString(), false);
    dlg.addPage(rtColor, QStringLiteral("Colour"), QString(), QString(), QString(), false);
    QVERIFY(dlg.start(QStringLiteral("Font")));
    TwizardPage* white = dlg.page(0);
    TwizardPage* pickedPage = dlg.page(1);
    QVERIFY(!white->control(ColorButton1)->isEnabled());
    white->control<QCheckBox>(colorChk)->setChecked(true);
    QVERIFY(white->control(ColorButton1)->isEnabled());
    QVERIFY(white->control(capColorBtn)->isEnabled());
    pickedPage->control<QCheckBox>(colorChk)->setChecked(true);
    pickedPage->control<QPushButton>(capColorBtn)->click(); // cancelled: stays white
    QCOMPARE(pickedPage->control<TColorButton>(ColorButton1)->color(), 0x00FFFFFF);
    picked = 0x00FF8000;
    pickedPage->control<QPushButton>(capColorBtn)->click();
    dlg.finish();
    QCOMPARE(dlg.answers, (QStringList{QStringLiteral("FFFFFF"), QStringLiteral("0080FF")}));

    TinputDlg clear;
    clear.addPage(rtColor, QStringLiteral("Colour"), QString(), QString(), QString(), true);
    QVERIFY(clear.start(QStringLiteral("Font")));
    clear.page(0)->control<QCheckBox>(colorChk)->setChecked(true);
    clear.page(0)->control<QCheckBox>(colorChk)->setChecked(false);
    QVERIFY(!clear.page(0)->control(capColorBtn)->isEnabled());
    clear.finish();
    QCOMPARE(clear.answers.at(0), QString());
    TinputDlg::colorPicker = previousPicker;
}

void tst_InputDlg::listPage()
{
    TinputDlg dlg;
    dlg.addPage(rtList, QStringLiteral("Colour"),
                QStringLiteral("'Red','#FF0000','Blue','#0000FF'"), QString(), QString(), false);
    dlg.addPage(rtList, QStringLiteral("Font"), QStringLiteral("FONTS"), QString(), QString(), true);
    QVERIFY(dlg.start(QStringLiteral("T")));
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    auto* shown = dlg.page(0)->control<QListWidget>(ListBox1);
    QCOMPARE(shown->count(), 2);
    QCOMPARE(shown->item(0)->text(), QStringLiteral("Red"));
    QCOMPARE(shown->item(1)->text(), QStringLiteral("Blue"));
    QVERIFY(!dlg.page(0)->control(tmpList)->isVisibleTo(&dlg));
    const QRect blue = shown->visualItemRect(shown->item(1));
    QTest::mouseClick(shown->viewport(), Qt::LeftButton, {}, blue.center());
    QCOMPARE(dlg.page(0)->control<QLineEdit>(listEdit)->text(), QStringLiteral("#0000FF"));
    auto* fonts = dlg.page(1)->control<QListWidget>(ListBox1);
    QVERIFY(fonts->count() >= 1);
    QCOMPARE(fonts->item(0)->text(), QStringLiteral("Don't define"));
    fonts->setCurrentRow(0);
    dlg.finish();
    QCOMPARE(dlg.answers, (QStringList{QStringLiteral("#0000FF"), QString()}));
}

void tst_InputDlg::otherPages()
{
    DocumentScope scope;
    scope.doc.body = QStringLiteral("<a name=\"Top\"></a><A NAME=\"End\">");
    TinputDlg dlg(nullptr, &scope.doc);
    dlg.addPage(rtString, QStringLiteral("s"), QString(), QString(), QString(), false);
    dlg.addPage(rtNumber, QStringLiteral("n"), QString(), QString(), QString(), false);
    dlg.addPage(rtUrl, QStringLiteral("u"), QString(), QString(), QString(), false);
    dlg.addPage(rtAttList, QStringLiteral("a"), QStringLiteral("<a;name=\";\" >"), QString(),
                QString(), false);
    dlg.addPage(rtAlign, QStringLiteral("al"), QString(), QString(), QString(), false);
    dlg.addPage(rtAlign, QStringLiteral("al0"), QString(), QString(), QString(), true);
    dlg.addPage(rtText, QStringLiteral("t"), QString(), QString(), QString(), false);
    dlg.addPage(rtDate, QStringLiteral("d1"), QString(), QString(), QString(), false);
    dlg.addPage(rtDate, QStringLiteral("d2"), QString(), QString(), QString(), false);
    QVERIFY(dlg.start(QStringLiteral("T")));
    dlg.page(0)->control<QLineEdit>(stringEdit)->setText(QStringLiteral(" as typed "));
    dlg.page(1)->control<QLineEdit>(numberEdit)->setText(QStringLiteral("-3"));
    dlg.page(2)->control<QComboBox>(urlEdit)->setEditText(QStringLiteral("http://x/"));
    auto* names = dlg.page(3)->control<QListWidget>(attList);
    QCOMPARE(names->count(), 2);
    names->setCurrentRow(1);
    dlg.page(4)->control<QListWidget>(ALIGNListbox)->setCurrentRow(6);
    dlg.page(5)->control<QListWidget>(ALIGNListbox)->setCurrentRow(0);
    dlg.page(6)->control<QPlainTextEdit>(textEdit)->setPlainText(QStringLiteral("a\nb"));
    dlg.page(8)->control<QRadioButton>(customDateRadio)->setChecked(true);
    dlg.page(8)->control<QDateEdit>(DatePicker1)->setDate(QDate(2001, 2, 3));
    dlg.finish();
    QCOMPARE(dlg.answers,
             (QStringList{QStringLiteral(" as typed "), QStringLiteral("-3"),
                          QStringLiteral("http://x/"), QStringLiteral("End"),
                          QStringLiteral("ABSMIDDLE"), QString(), QStringLiteral("a\r\nb"),
                          QStringLiteral("document.lastModified"),
                          QLocale::system().toString(QDate(2001, 2, 3), QLocale::ShortFormat)}));
    QCOMPARE(TProfileFile::readKeys(historyFileName, historyUrlSection),
             QStringList{QStringLiteral("http://x/")});
}

void tst_InputDlg::numberFilterAndArrows()
{
    TinputDlg dlg;
    dlg.addPage(rtNumber, QStringLiteral("n"), QString(), QString(), QString(), false);
    QVERIFY(dlg.start(QStringLiteral("T")));
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    auto* edit = dlg.page(0)->control<QLineEdit>(numberEdit);
    QCOMPARE(dlg.focusWidget(), edit);
    QTest::keyClicks(edit, QStringLiteral("9a -"));
    QCOMPARE(edit->text(), QStringLiteral("9")); // letter, blank and a "-" after a digit refused
    QTest::keyClick(edit, Qt::Key_Up);
    QCOMPARE(edit->text(), QStringLiteral("10"));
    QTest::keyClick(edit, Qt::Key_Down);
    QTest::keyClick(edit, Qt::Key_Down);
    QCOMPARE(edit->text(), QStringLiteral("8"));
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClick(edit, Qt::Key_Minus);
    QCOMPARE(edit->text(), QStringLiteral("-8"));
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClick(edit, Qt::Key_5); // before the "-"
    QCOMPARE(edit->text(), QStringLiteral("-8"));
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClicks(edit, QStringLiteral(".5"));
    QTest::keyClick(edit, Qt::Key_Up);
    QCOMPARE(edit->text(), QStringLiteral("-8.5")); // Up does nothing on a decimal
    QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(edit->text(), QStringLiteral("-8."));
}

void tst_InputDlg::stepCaptionAndSize()
{
    TinputDlg dlg;
    dlg.addPage(rtImage, QStringLiteral("Picture"), QString(), QString(), QString(), false);
    dlg.addPage(rtNumber, QStringLiteral("Border"), QString(), QString(), QString(), false);
    dlg.addPage(rtAlign, QStringLiteral("Alignment"), QString(), QString(), QString(), false);
    QVERIFY(dlg.start(QStringLiteral("Image")));
    // Help memo, button panel and 50 around the page's own height.
    const int around = dlg.helpMemo->height() + dlg.Panel1->height() + 50;
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Image Wizard - Step 1 of 3"));
    QCOMPARE(dlg.size(), QSize(540 + 20, around + 295));
    dlg.nextBtn->click();
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Image Wizard - Step 2 of 3"));
    QCOMPARE(dlg.helpMemo->toPlainText(), QStringLiteral("Border"));
    // The small number page makes a small dialog, however large the image page is.
    QCOMPARE(dlg.size(), QSize(400, around + 31)); // 108 + 20, raised to the minimum width
    QCOMPARE(dlg.PageControl1->currentWidget(), dlg.page(1));
    dlg.nextBtn->click();
    QCOMPARE(dlg.size(), QSize(400, around + 205)); // align: 325 + 20, raised to 400
    dlg.backBtn->click();
    dlg.backBtn->click();
    QCOMPARE(dlg.size(), QSize(540 + 20, around + 295));
}

void tst_InputDlg::navigation()
{
    TinputDlg dlg;
    for (int i = 0; i < 3; ++i)
        dlg.addPage(rtString, QStringLiteral("p%1").arg(i), QString(), QString(), QString(), false);
    QVERIFY(dlg.start(QStringLiteral("T")));
    const auto state = [&] {
        return QStringLiteral("%1 back%2 next%3 nextDefault%4 finishDefault%5")
            .arg(dlg.currentPage())
            .arg(dlg.backBtn->isEnabled())
            .arg(dlg.nextBtn->isEnabled())
            .arg(dlg.nextBtn->isDefault())
            .arg(dlg.finishBtn->isDefault());
    };
    QCOMPARE(state(), QStringLiteral("0 back0 next1 nextDefault1 finishDefault0"));
    QVERIFY(dlg.nextBtn->font().bold());
    dlg.nextBtn->click();
    QCOMPARE(state(), QStringLiteral("1 back1 next1 nextDefault1 finishDefault0"));
    dlg.nextBtn->click();
    QCOMPARE(state(), QStringLiteral("2 back1 next0 nextDefault0 finishDefault1"));
    QVERIFY(dlg.finishBtn->font().bold());
    QVERIFY(!dlg.nextBtn->font().bold());
    dlg.backBtn->click();
    dlg.backBtn->click();
    QCOMPARE(state(), QStringLiteral("0 back0 next1 nextDefault1 finishDefault0"));
    dlg.page(0)->control<QLineEdit>(stringEdit)->setText(QStringLiteral("kept?"));
    dlg.cancelBtn->click();
    QVERIFY(!dlg.finished());
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QCOMPARE(dlg.answers.at(0), QString()); // Cancel collects nothing
}

void tst_InputDlg::keys()
{
    // Esc goes back from a later step and cancels on the first; Ctrl+Enter finishes from any
    // control, the multi-line text included; the close box cancels.
    TinputDlg dlg;
    dlg.addPage(rtString, QStringLiteral("a"), QString(), QString(), QString(), false);
    dlg.addPage(rtText, QStringLiteral("b"), QString(), QString(), QString(), false);
    QVERIFY(dlg.start(QStringLiteral("T")));
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    dlg.nextBtn->click();
    auto* text = dlg.page(1)->control<QPlainTextEdit>(textEdit);
    QCOMPARE(dlg.focusWidget(), text);
    QTest::keyClick(text, Qt::Key_Escape);
    QCOMPARE(dlg.currentPage(), 0);
    QVERIFY(dlg.isVisible());
    dlg.nextBtn->click();
    QTest::keyClicks(text, QStringLiteral("x"));
    QTest::keyClick(text, Qt::Key_Return); // plain Enter is a line break in the text page
    QVERIFY(dlg.isVisible());
    QTest::keyClick(text, Qt::Key_Return, Qt::ControlModifier);
    QVERIFY(dlg.finished());
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.answers.at(1), QStringLiteral("x\r\n"));

    TinputDlg first;
    first.addPage(rtString, QStringLiteral("a"), QString(), QString(), QString(), false);
    first.addPage(rtString, QStringLiteral("b"), QString(), QString(), QString(), false);
    QVERIFY(first.start(QStringLiteral("T")));
    first.show();
    QVERIFY(QTest::qWaitForWindowExposed(&first));
    QTest::keyClick(first.page(0)->control(stringEdit), Qt::Key_Enter,
                    Qt::ControlModifier | Qt::KeypadModifier);
    QVERIFY(first.finished());

    TinputDlg esc;
    esc.addPage(rtString, QStringLiteral("a"), QString(), QString(), QString(), false);
    QVERIFY(esc.start(QStringLiteral("T")));
    esc.show();
    QVERIFY(QTest::qWaitForWindowExposed(&esc));
    QTest::keyClick(esc.page(0)->control(stringEdit), Qt::Key_Escape);
    QVERIFY(!esc.isVisible());
    QVERIFY(!esc.finished());

    TinputDlg closed;
    closed.addPage(rtString, QStringLiteral("a"), QString(), QString(), QString(), false);
    QVERIFY(closed.start(QStringLiteral("T")));
    closed.show();
    QVERIFY(QTest::qWaitForWindowExposed(&closed));
    closed.close();
    QVERIFY(!closed.finished());
}

void tst_InputDlg::messageSteps()
{
    pm::ScriptedDialogs dialogs;
    TinputDlg dlg;
    dlg.addMessageStep(QStringLiteral("first"));
    dlg.addPage(rtString, QStringLiteral("a"), QString(), QString(), QString(), false);
    dlg.addMessageStep(QString()); // empty: passed silently
    dlg.addMessageStep(QStringLiteral("between"));
    dlg.addPage(rtString, QStringLiteral("b"), QString(), QString(), QString(), false);
    dialogs.queueAnswer(pm::Dialogs::Answer::Ok);
    QVERIFY(dlg.start(QStringLiteral("T")));
    QCOMPARE(dlg.currentStep(), 1);
    QVERIFY(dlg.backBtn->isEnabled()); // a message step lies before
    dialogs.queueAnswer(pm::Dialogs::Answer::Ok);
    dlg.nextBtn->click();
    QCOMPARE(dlg.currentPage(), 1);
    QCOMPARE(dlg.currentStep(), 4);
    dialogs.queueAnswer(pm::Dialogs::Answer::Cancel); // going back through "between"
    dlg.backBtn->click();
    QVERIFY(!dlg.finished());
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QCOMPARE(dialogs.shown().size(), 3);
    QCOMPARE(dialogs.shown().at(2).text, QStringLiteral("between"));
    QCOMPARE(dialogs.shown().at(2).buttons, pm::Dialogs::Buttons::OkCancel);

    TinputDlg early; // a cancelled first message: the wizard is never shown
    early.addMessageStep(QStringLiteral("first"));
    early.addPage(rtString, QStringLiteral("a"), QString(), QString(), QString(), false);
    dialogs.queueAnswer(pm::Dialogs::Answer::Cancel);
    QVERIFY(!early.showWizard(QStringLiteral("T")));
    QVERIFY(!early.isVisible());
}

void tst_InputDlg::pictureSizes_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("height");
    QTest::newRow("gif") << QStringLiteral(TEST_DATA_DIR "/wizard/pic7x3.gif") << "7" << "3";
    QTest::newRow("jpeg") << QStringLiteral("made.jpg") << "9" << "4";
    QTest::newRow("bmp") << QStringLiteral("made.bmp") << "5" << "6";
    QTest::newRow("png") << QStringLiteral(TEST_DATA_DIR "/document/tiny.png") << "5" << "3";
    QTest::newRow("damaged jpeg") << QStringLiteral("broken.jpg") << "0" << "0";
    QTest::newRow("not a picture") << QStringLiteral("text.gif") << "0" << "0";
    QTest::newRow("missing") << QStringLiteral("missing.gif") << "0" << "0";
}

void tst_InputDlg::pictureSizes()
{
    QFETCH(QString, file);
    QFETCH(QString, width);
    QFETCH(QString, height);
    QImage jpeg(9, 4, QImage::Format_RGB32);
    jpeg.fill(Qt::red);
    QVERIFY(jpeg.save(path(QStringLiteral("made.jpg")), "JPG"));
    QImage bmp(5, 6, QImage::Format_RGB32);
    bmp.fill(Qt::blue);
    QVERIFY(bmp.save(path(QStringLiteral("made.bmp")), "BMP"));
    QFile good(path(QStringLiteral("made.jpg")));
    QVERIFY(good.open(QIODevice::ReadOnly));
    writeFile(path(QStringLiteral("broken.jpg")), good.read(good.size() / 2));
    writeFile(path(QStringLiteral("text.gif")), "GIF89a, or so it says");
    const QString name = file.startsWith(u'/') ? file : path(file);

    pm::ScriptedDialogs dialogs;
    TinputDlg dlg;
    dlg.addPage(rtImage, QStringLiteral("Image"), QString(), QString(), QString(), false);
    QVERIFY(dlg.start(QStringLiteral("Image")));
    TwizardPage* page = dlg.page(0);
    // A picture shown first, so the row's file must also clear what was there.
    page->control<QComboBox>(imageFNEdit)->setEditText(path(QStringLiteral("made.bmp")));
    QVERIFY(!page->control<QLabel>(imagePreview)->pixmap().isNull());
    dialogs.queueFiles({name});
    page->control<QPushButton>(imageBrowseButton)->click();
    QCOMPARE(page->control<QComboBox>(imageFNEdit)->currentText(), name);
    QCOMPARE(page->control<QLineEdit>(imageWidthEdit)->text(), width);
    QCOMPARE(page->control<QLineEdit>(imageHeightEdit)->text(), height);
    auto* preview = page->control<QLabel>(imagePreview);
    const bool shown = !preview->pixmap().isNull() || preview->movie();
    QCOMPARE(shown, width != QStringLiteral("0"));
    QVERIFY(dialogs.shown().isEmpty()); // no error box for a damaged picture
}

void tst_InputDlg::badImageSizeHoldsFinish()
{
    pm::ScriptedDialogs dialogs;
    TinputDlg dlg;
    dlg.addPage(rtImage, QStringLiteral("Image"), QString(), QString(), QString(), false);
    dlg.addPage(rtString, QStringLiteral("Alt"), QString(), QString(), QString(), false);
    QVERIFY(dlg.start(QStringLiteral("Image")));
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    dlg.nextBtn->click();
    TwizardPage* page = dlg.page(0);
    page->control<QComboBox>(imageFNEdit)->setEditText(QStringLiteral("a.gif"));
    page->control<QLineEdit>(imageWidthEdit)->setText(QStringLiteral("50%"));
    page->control<QLineEdit>(imageHeightEdit)->clear();
    dlg.finishBtn->click();
    QVERIFY(!dlg.finished());
    QVERIFY(dlg.isVisible());
    QCOMPARE(dlg.currentPage(), 0);
    QCOMPARE(dialogs.shown().size(), 1);
    QCOMPARE(dialogs.shown().first().text, TinputDlg::badImageSizeMessage);
    QCOMPARE(page->control<QLineEdit>(imageHeightEdit)->text(), QStringLiteral("0"));
    QVERIFY(TProfileFile::readKeys(historyFileName, historyImageSection).isEmpty());
    page->control<QLineEdit>(imageWidthEdit)->setText(QStringLiteral("50"));
    dlg.finishBtn->click();
    QVERIFY(dlg.finished());
    QCOMPARE(dlg.suffixes.at(0), QStringLiteral(" WIDTH=50"));
}

void tst_InputDlg::historyFilesThatAreBad_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("writable");
    QByteArray binary;
    for (int i = 0; i < 70000; ++i)
        binary.append(char((i * 131) % 256));
    QTest::newRow("binary") << binary << true;
    QTest::newRow("binary around a section")
        << (binary + "\r\n[ImageFN]\r\nkeep.gif=\r\n" + binary) << true;
    QByteArray many = "[ImageFN]\r\n";
    for (int i = 0; i < 5000; ++i)
        many += "pic" + QByteArray::number(i) + ".gif=\r\n";
    QTest::newRow("thousands of keys") << many << true;
    QTest::newRow("huge") << (QByteArray("[ImageFN]\r\nkeep.gif=\r\n")
                              + QByteArray(TProfileFile::maxFileSize, ';'))
                          << false;
}

void tst_InputDlg::historyFilesThatAreBad()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, writable);
    writeFile(historyFileName, content);
    const QStringList before = TProfileFile::readKeys(historyFileName, historyImageSection);
    TinputTemplates templates;
    TinputDlg dlg;
    dlg.addPage(rtImage, QStringLiteral("Image"), QString(), QString(), QString(), false);
    QVERIFY(dlg.start(QStringLiteral("T")));
    auto* combo = dlg.page(0)->control<QComboBox>(imageFNEdit);
    QVERIFY(combo->count() <= historyReadLimit);
    combo->setEditText(QStringLiteral("new.gif"));
    dlg.finish();
    QVERIFY(dlg.finished());
    QCOMPARE(dlg.answers.at(0), QStringLiteral("new.gif"));
    QFile f(historyFileName);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray after = f.readAll();
    QVERIFY(after.size() >= content.size()); // nothing cut away
    if (!writable)
        QCOMPARE(after, content);
    const QStringList now = TProfileFile::readKeys(historyFileName, historyImageSection);
    QCOMPARE(now.mid(0, before.size()), before);
    // Only a section with room gets the new entry.
    QCOMPARE(now.contains(QStringLiteral("new.gif")), writable && before.size() < maxHistoryItems);
}

void tst_InputDlg::historyWrittenOnceAndCapped()
{
    QByteArray ten = "[URL]\r\n";
    for (int i = 0; i < 10; ++i)
        ten += "u" + QByteArray::number(i) + "=\r\n";
    writeFile(historyFileName, ten);
    TinputTemplates templates;
    const auto answer = [](const QString& text) {
        TinputDlg dlg;
        dlg.addPage(rtUrl, QStringLiteral("u"), QString(), QString(), QString(), false);
        dlg.page(0)->control<QComboBox>(urlEdit)->setEditText(text);
        dlg.finish();
    };
    answer(QStringLiteral("u3")); // already offered: not written again
    answer(QStringLiteral("eleventh"));
    answer(QStringLiteral("twelfth")); // the combo is full now
    QStringList expected;
    for (int i = 0; i < 10; ++i)
        expected.append(QStringLiteral("u%1").arg(i));
    expected.append(QStringLiteral("eleventh"));
    QCOMPARE(TProfileFile::readKeys(historyFileName, historyUrlSection), expected);
}

void tst_InputDlg::badParameters()
{
    pm::ScriptedDialogs dialogs;
    DocumentScope scope;
    scope.doc.body = QStringLiteral("<a name=x>");
    TinputDlg dlg(nullptr, &scope.doc);
    dlg.addPage(rtList, QStringLiteral("l"), QStringLiteral("'a','1','b"), QString(), QString(), false);
    dlg.addPage(rtAttList, QStringLiteral("a"), QStringLiteral("<a"), QString(), QString(), false);
    dlg.addPage(rtAttList, QStringLiteral("a"), QString(), QString(), QString(), false);
    dlg.addPage(rtList, QStringLiteral("l"), QString(), QString(), QString(), false);
    dlg.addPage(rtUnknown, QStringLiteral("?"), QString(), QString(), QString(), false);
    QVERIFY(dlg.start(QStringLiteral("T")));
    QCOMPARE(dlg.page(0)->control<QListWidget>(ListBox1)->count(), 2);
    QCOMPARE(dlg.page(1)->control<QListWidget>(attList)->count(), 0);
    QCOMPARE(dlg.page(2)->control<QListWidget>(attList)->count(), 0);
    QCOMPARE(dlg.page(3)->control<QListWidget>(ListBox1)->count(), 0);
    QCOMPARE(dlg.page(4)->tag(), int(stringPage));
    dlg.page(0)->control<QListWidget>(ListBox1)->setCurrentRow(1);
    dlg.finish();
    QVERIFY(dlg.finished());
    QCOMPARE(dlg.answers, (QStringList{QString(), QString(), QString(), QString(), QString()}));
    QVERIFY(dialogs.shown().isEmpty());
}

void tst_InputDlg::templateRunEndToEnd()
{
    TinputWizard wizard;
    TWizard* previous = setWizard(&wizard);
    pm::ScriptedDialogs dialogs;
    globalOptions.tagCase = 2;
    QTimer::singleShot(0, this, [] {
        auto* dlg = qobject_cast<TinputDlg*>(QApplication::activeModalWidget());
        QVERIFY(dlg);
        QCOMPARE(dlg->windowTitle(), QStringLiteral("Image Wizard - Step 1 of 2"));
        dlg->page(0)->control<QComboBox>(imageFNEdit)->setEditText(QStringLiteral("pic.gif"));
        dlg->page(0)->control<QLineEdit>(imageHeightEdit)->setText(QStringLiteral("20"));
        dlg->nextBtn->click();
        QTest::keyClicks(dlg->page(1)->control(percentEdit), QStringLiteral("50"));
        dlg->finishBtn->click();
    });
    const QString result = runTemplate(
        QStringLiteral("<IMG SRC={= 'Image', image =} WIDTH={= 'Width', -percent =}>"),
        QStringLiteral("Image"));
    QCOMPARE(result, QStringLiteral("<IMG SRC=pic.gif HEIGHT=20 WIDTH=50%>"));

    QTimer::singleShot(0, this, [] {
        auto* dlg = qobject_cast<TinputDlg*>(QApplication::activeModalWidget());
        QVERIFY(dlg);
        dlg->finishBtn->click(); // optional percent left empty: the attribute goes
    });
    QCOMPARE(runTemplate(QStringLiteral("<HR WIDTH={= 'Width', -percent =}>"), QStringLiteral("Rule")),
             QStringLiteral("<HR>"));
    setWizard(previous);
}

void tst_InputDlg::prefilledPagesRoundTrip()
{
    // What an edited tag hands in comes back unchanged when the user just presses Finish.
    TinputWizard wizard;
    QList<TWizardPage> pages;
    const auto page = [&pages](int type, const QString& value, const QString& parameters = {}) {
        TWizardPage p;
        p.type = type;
        p.description = QStringLiteral("d");
        p.parameters = parameters;
        p.answer = value;
        pages.append(p);
    };
    page(rtString, QStringLiteral("text"));
    page(rtPercent, QStringLiteral("50%"));
    page(rtColor, QStringLiteral("#ff8000"));
    page(rtAlign, QStringLiteral("middle"));
    page(rtList, QStringLiteral("#0000FF"), QStringLiteral("'Red','#FF0000','Blue','#0000FF'"));
    page(rtUrl, QStringLiteral("http://x/"));
    QList<TWizardStep> steps;
    for (int k = 0; k < pages.size(); ++k)
        steps.append(TWizardStep{pages.at(k).description, k, QString()});
    steps.insert(1, TWizardStep{QStringLiteral("msg "), -1, QString()});
    QTimer::singleShot(0, this, [] {
        auto* dlg = qobject_cast<TinputDlg*>(QApplication::activeModalWidget());
        QVERIFY(dlg);
        QCOMPARE(dlg->page(4)->control<QListWidget>(ListBox1)->currentRow(), 1);
        dlg->finishBtn->click();
    });
    QVERIFY(wizard.run(QStringLiteral("Editing tag"), pages, steps));
    QStringList answers;
    for (const TWizardPage& p : pages)
        answers.append(p.answer);
    QCOMPARE(answers, (QStringList{QStringLiteral("text"), QStringLiteral("50%"),
                                   QStringLiteral("FF8000"), QStringLiteral("MIDDLE"),
                                   QStringLiteral("#0000FF"), QStringLiteral("http://x/")}));
}

void tst_InputDlg::startUpWiring()
{
    writeFile(historyFileName, "[URL]\r\nhttp://old/=\r\n");
    TWizard* previous = wizard();
    {
        QWidget mainWindow;
        TWizard* installed = installInputWizard(&mainWindow);
        QCOMPARE(wizard(), installed);
        QVERIFY(dynamic_cast<TinputWizard*>(installed));
        QVERIFY(TinputTemplates::instance());
        QCOMPARE(TinputTemplates::instance()->parentWidget(), &mainWindow);
        TinputDlg dlg; // pages come from the start-up templates and their history
        dlg.addPage(rtUrl, QStringLiteral("u"), QString(), QString(), QString(), false);
        QCOMPARE(dlg.page(0)->control<QComboBox>(urlEdit)->itemText(0), QStringLiteral("http://old/"));
    }
    QVERIFY(!TinputTemplates::instance());
    setWizard(previous);
}

void tst_InputDlg::colorPickerForm()
{
    // A patch of colour on the screen before the picker opens.
    const QColor green(10, 200, 30);
    QWidget patch(nullptr, Qt::FramelessWindowHint);
    QPalette palette = patch.palette();
    palette.setColor(QPalette::Window, green);
    patch.setPalette(palette);
    patch.setAutoFillBackground(true);
    patch.setGeometry(120, 90, 80, 60);
    patch.show();
    QVERIFY(QTest::qWaitForWindowExposed(&patch));
    const QPoint spot = patch.mapToGlobal(QPoint(40, 30));
    QScreen* screen = QGuiApplication::screenAt(spot);
    QVERIFY(screen);
    QTRY_COMPARE(screen->grabWindow(0).toImage().pixelColor(spot - screen->geometry().topLeft()),
                 green);

    for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
        TgetColorFrm form;
        QCOMPARE(form.pickResult(), colorPickerCancelled);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QPoint local = form.mapFromGlobal(spot);
        // The picker shows the screen as it was, and picks from that picture, not from itself.
        QCOMPARE(form.grab().toImage().pixelColor(local), green);
        QMouseEvent move(QEvent::MouseMove, QPointF(local), QPointF(spot), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&form, &move);
        QCOMPARE(form.pickedColor(), int32_t(10 | 200 << 8 | 30 << 16));
        QTest::mouseRelease(&form, button, {}, local);
        QVERIFY(!form.isVisible());
        QCOMPARE(form.pickResult(),
                 button == Qt::LeftButton ? form.pickedColor() : colorPickerCancelled);
    }
}

QTEST_MAIN(tst_InputDlg)
#include "tst_inputdlg.moc"
