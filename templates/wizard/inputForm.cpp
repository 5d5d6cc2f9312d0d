/** @file inputForm.cpp ** The input wizard. **/
#include "templates/wizard/inputForm.h"

#include "core/global_utl.h"
#include "document/common/TWizardDocument.h"
#include "document/common/picture_utl.h"
#include "document/common/string_utl.h"
#include "platform/Dialogs.h"
#include "templates/requestSyntax.h"
#include "templates/wizard/TColorButton.h"
#include "templates/wizard/TProfileFile.h"
#include "templates/wizard/TgetColorFrm.h"
#include "templates/wizard/TwizardPage.h"
#include "templates/wizard/Urlform.h"
#include "templates/wizard/inputTemplatesFrm.h"
#include "templates/wizard/wizardAnswers_utl.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMovie>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStackedWidget>
#include <QVBoxLayout>

using namespace wizardControls;

namespace {

constexpr int helpMemoHeight = 40;
constexpr int panelHeight = 41;
const QString imageFilter = QStringLiteral("Images|*.gif;*.jpg;*.jpeg;*.png");

QStringList comboItems(const QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items.append(combo->itemText(i));
    return items;
}

bool isNumberEdit(const TwizardPage* page, QObject* watched)
{
    switch (page->tag()) {
    case numberPage: return watched == page->control(numberEdit);
    case percentPage: return watched == page->control(percentEdit);
    case imagePage:
        return watched == page->control(imageWidthEdit) || watched == page->control(imageHeightEdit);
    default: return false;
    }
}

} // namespace

std::function<int32_t(QWidget*)> TinputDlg::colorPicker = [](QWidget* parent) {
    return TgetColorFrm::pickColor(parent);
};
std::function<QString(QWidget*)> TinputDlg::urlWizard = [](QWidget* parent) {
    return TurlForm::getUrl(parent);
};
std::function<int32_t(int32_t, QWidget*)> TinputDlg::colorChooser = [](int32_t color,
                                                                       QWidget* parent) {
    const QColor initial(color & 0xff, (color >> 8) & 0xff, (color >> 16) & 0xff);
    const QColor c = QColorDialog::getColor(initial, parent);
    return c.isValid() ? int32_t(c.red() | (c.green() << 8) | (c.blue() << 16)) : color;
};

const QString TinputDlg::badImageSizeMessage =
    QStringLiteral("The width and the height of a picture must be whole numbers.");

TinputDlg::TinputDlg(QWidget* parent, TWizardDocument* document)
    : QDialog(parent), m_document(document)
{
    m_templates = TinputTemplates::instance();
    if (!m_templates) // no start-up form (tests, tools): a private one lives with the dialog
        m_templates = new TinputTemplates(this);
    m_templates->hide();

    helpMemo = new QPlainTextEdit(this);
    helpMemo->setReadOnly(true);
    helpMemo->setFixedHeight(helpMemoHeight);
    helpMemo->setFocusPolicy(Qt::NoFocus);
    helpMemo->setStyleSheet(
        QStringLiteral("QPlainTextEdit { color: white; background: grey; font-weight: bold; }"));
    PageControl1 = new QStackedWidget(this);
    Panel1 = new QWidget(this);
    Panel1->setFixedHeight(panelHeight);
    backBtn = new QPushButton(QStringLiteral("<< Back"), Panel1);
    nextBtn = new QPushButton(QStringLiteral("Next >>"), Panel1);
    finishBtn = new QPushButton(QStringLiteral("Finish"), Panel1);
    cancelBtn = new QPushButton(QStringLiteral("Cancel"), Panel1);
    auto* buttons = new QHBoxLayout(Panel1);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addStretch();
    for (QPushButton* b : {backBtn, nextBtn, finishBtn, cancelBtn}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    nextBtn->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(helpMemo);
    layout->addWidget(PageControl1, 1);
    layout->addWidget(Panel1);

    connect(nextBtn, &QPushButton::clicked, this, &TinputDlg::moveForward);
    connect(backBtn, &QPushButton::clicked, this, &TinputDlg::moveBack);
    connect(finishBtn, &QPushButton::clicked, this, &TinputDlg::finish);
    connect(cancelBtn, &QPushButton::clicked, this, &TinputDlg::cancel);
    // Key preview: Ctrl+Enter and Esc reach the wizard before any page control.
    qApp->installEventFilter(this);
}

TinputDlg::~TinputDlg()
{
    qApp->removeEventFilter(this);
}

int TinputDlg::addPage(int type, const QString& description, const QString& parameters,
                       const QString& prefix, const QString& suffix, bool optional)
{
    int tag = pageTagForType(type);
    if (tag == 0)
        tag = stringPage;
    TwizardPage* page = m_templates->copyPage(tag, PageControl1);
    PageControl1->addWidget(page);
    const int k = int(m_pages.size());
    m_pages.append(page);
    descriptions.append(description);
    prefixes.append(prefix);
    suffixes.append(suffix);
    answers.append(QString());
    optionalFlags.append(optional);
    bindPage(page);
    setupPage(k, type, parameters);
    m_steps.append(Step{description, k, QString()});
    return k;
}

void TinputDlg::addMessageStep(const QString& message)
{
    m_steps.append(Step{QStringLiteral("msg ") + message, -1, message});
}

void TinputDlg::setupPage(int k, int type, const QString& parameters)
{
    TwizardPage* page = m_pages.at(k);
    switch (type) {
    case rtFile:
    case rtUrlFile:
        m_openFilter = parameters;
        break;
    case rtImage:
        m_openFilter = imageFilter;
        break;
    case rtAttList: {
        if (parameters.isEmpty())
            break;
        if (m_document)
            page->control<QListWidget>(attList)->addItems(attListValues(m_document->text(), parameters));
        break;
    }
    case rtList: {
        if (parameters.isEmpty())
            break;
        auto* shown = page->control<QListWidget>(ListBox1);
        auto* values = page->control<QListWidget>(tmpList);
        values->clear();
        if (parameters.toLower() == QStringLiteral("fonts")) {
            const QStringList families = QFontDatabase::families();
            shown->addItem(QStringLiteral("Don't define"));
            values->addItem(QString());
            shown->addItems(families);
            values->addItems(families);
        } else {
            for (const auto& [text, value] : listParameterPairs(parameters)) {
                shown->addItem(text);
                values->addItem(value);
            }
        }
        break;
    }
    default:
        break;
    }
}

void TinputDlg::bindPage(TwizardPage* page)
{
    switch (page->tag()) {
    case filenamePage:
        connect(page->control<QPushButton>(fileNameBrowse), &QPushButton::clicked, this,
                [this, page] { browse(page, filenameEdit); });
        break;
    case numberPage:
        page->control(numberEdit)->installEventFilter(this);
        break;
    case percentPage:
        page->control(percentEdit)->installEventFilter(this);
        break;
    case urlPage:
    case urlFilePage: {
        const int combo = page->tag() == urlPage ? int(urlEdit) : int(urlFileEdit);
        const int wizardButton = page->tag() == urlPage ? int(urlButton) : int(urlFileButton);
        connect(page->control<QPushButton>(wizardButton), &QPushButton::clicked, this,
                [this, page, combo] {
                    const QString url = urlWizard(this);
                    if (!url.isEmpty())
                        page->control<QComboBox>(combo)->setEditText(url);
                });
        if (page->tag() == urlFilePage)
            connect(page->control<QPushButton>(browseButton), &QPushButton::clicked, this,
                    [this, page] { browse(page, urlFileEdit); });
        break;
    }
    case colorPage: {
        auto* button = page->control<TColorButton>(ColorButton1);
        auto* picker = page->control<QPushButton>(capColorBtn);
        connect(page->control<QCheckBox>(colorChk), &QCheckBox::toggled, this,
                [button, picker](bool on) {
                    button->setEnabled(on);
                    picker->setEnabled(on);
                });
        connect(button, &QPushButton::clicked, this,
                [this, button] { button->setColor(colorChooser(button->color(), this)); });
        connect(picker, &QPushButton::clicked, this, [this, button] {
            const int32_t c = colorPicker(this);
            if (c != colorPickerCancelled)
                button->setColor(c);
        });
        break;
    }
    case imagePage:
        connect(page->control<QPushButton>(imageBrowseButton), &QPushButton::clicked, this,
                [this, page] { browse(page, imageFNEdit); });
        connect(page->control<QPushButton>(Button2), &QPushButton::clicked, this, [this, page] {
            const QString url = urlWizard(this);
            if (!url.isEmpty())
                page->control<QComboBox>(imageFNEdit)->setEditText(url);
        });
        connect(page->control<QComboBox>(imageFNEdit), &QComboBox::editTextChanged, this,
                [this, page] { imageFileChanged(page); });
        page->control(imageWidthEdit)->installEventFilter(this);
        page->control(imageHeightEdit)->installEventFilter(this);
        break;
    case listPage: {
        auto* values = page->control<QListWidget>(tmpList);
        auto* edit = page->control<QLineEdit>(listEdit);
        connect(page->control<QListWidget>(ListBox1), &QListWidget::currentRowChanged, this,
                [values, edit](int row) {
                    if (row >= 0 && row < values->count())
                        edit->setText(values->item(row)->text());
                });
        break;
    }
    case datePage: {
        auto* picker = page->control<QDateEdit>(DatePicker1);
        connect(page->control<QRadioButton>(customDateRadio), &QRadioButton::toggled, picker,
                &QWidget::setEnabled);
        picker->setEnabled(page->control<QRadioButton>(customDateRadio)->isChecked());
        break;
    }
    default:
        break;
    }
}

void TinputDlg::browse(TwizardPage* page, int combo)
{
    pm::Dialogs::FileRequest request;
    request.filter = qtFileFilter(m_openFilter);
    request.filterIndex = 0;
    const QStringList files = pm::dialogs().openFiles(request);
    if (!files.isEmpty())
        page->control<QComboBox>(combo)->setEditText(files.first());
}

void TinputDlg::imageFileChanged(TwizardPage* page)
{
    auto* preview = page->control<QLabel>(imagePreview);
    auto* width = page->control<QLineEdit>(imageWidthEdit);
    auto* height = page->control<QLineEdit>(imageHeightEdit);
    if (QMovie* old = preview->movie()) {
        preview->setMovie(nullptr);
        old->deleteLater();
    }
    preview->clear();
    const QString name = page->control<QComboBox>(imageFNEdit)->currentText();
    QImage image;
    bool animated = false;
    if (!name.isEmpty() && QFileInfo(name).isFile())
        image = loadPicture(name, nullptr, &animated);
    if (image.isNull()) { // missing or damaged: no preview, no size, no error box
        width->setText(QStringLiteral("0"));
        height->setText(QStringLiteral("0"));
        return;
    }
    width->setText(QString::number(image.width()));
    height->setText(QString::number(image.height()));
    const QSize box = preview->contentsRect().size().expandedTo(QSize(1, 1));
    const QSize scaled = image.size().scaled(box, Qt::KeepAspectRatio);
    if (animated) {
        auto* movie = new QMovie(name, QByteArray(), preview);
        movie->setScaledSize(scaled);
        preview->setMovie(movie);
        movie->start();
    } else {
        preview->setPixmap(QPixmap::fromImage(
            image.scaled(scaled, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    }
}

void TinputDlg::setPageValue(int k, const QString& value, const QString& width,
                             const QString& height)
{
    setWizardPageValue(m_pages.value(k), value, width, height);
}

void setWizardPageValue(TwizardPage* page, const QString& value, const QString& width,
                        const QString& height)
{
    if (!page)
        return;
    switch (page->tag()) {
    case filenamePage: page->control<QComboBox>(filenameEdit)->setEditText(value); break;
    case urlPage: page->control<QComboBox>(urlEdit)->setEditText(value); break;
    case urlFilePage: page->control<QComboBox>(urlFileEdit)->setEditText(value); break;
    case stringPage: page->control<QLineEdit>(stringEdit)->setText(value); break;
    case numberPage: page->control<QLineEdit>(numberEdit)->setText(value); break;
    case percentPage:
        page->control<QLineEdit>(percentEdit)->setText(QString(value).remove(u'%'));
        break;
    case textPage: page->control<QPlainTextEdit>(textEdit)->setPlainText(value); break;
    case colorPage: {
        const std::optional<int32_t> c = colorFromAnswer(value);
        QString rest = value;
        rest.remove(u' ').remove(u'#');
        page->control<QCheckBox>(colorChk)->setChecked(!rest.isEmpty());
        if (c)
            page->control<TColorButton>(ColorButton1)->setColor(*c);
        break;
    }
    case attListPage: {
        auto* list = page->control<QListWidget>(attList);
        const auto found = list->findItems(value, Qt::MatchExactly | Qt::MatchCaseSensitive);
        list->setCurrentRow(found.isEmpty() ? -1 : list->row(found.first()));
        break;
    }
    case alignmentPage: {
        int row = 0;
        for (int i = 1; i < alignNames.size(); ++i)
            if (alignNames.at(i).compare(value, Qt::CaseInsensitive) == 0)
                row = i;
        page->control<QListWidget>(ALIGNListbox)->setCurrentRow(row);
        break;
    }
    case imagePage:
        page->control<QComboBox>(imageFNEdit)->setEditText(value);
        page->control<QLineEdit>(imageWidthEdit)->setText(width);
        page->control<QLineEdit>(imageHeightEdit)->setText(height);
        break;
    case listPage: {
        page->control<QLineEdit>(listEdit)->setText(value);
        auto* values = page->control<QListWidget>(tmpList);
        for (int i = 0; i < values->count(); ++i)
            if (values->item(i)->text() == value) {
                page->control<QListWidget>(ListBox1)->setCurrentRow(i);
                break;
            }
        break;
    }
    case datePage: {
        // An unreadable date leaves the picker as it is; reporting it is the caller's.
        const QDate date = QLocale::system().toDate(value, QLocale::ShortFormat);
        page->control<QRadioButton>(customDateRadio)->setChecked(true);
        if (date.isValid())
            page->control<QDateEdit>(DatePicker1)->setDate(date);
        break;
    }
    default:
        break;
    }
}

bool TinputDlg::start(const QString& title)
{
    m_title = title;
    m_currentStep = -1;
    m_cancelled = false;
    m_finished = false;
    move(1);
    return !m_cancelled;
}

bool TinputDlg::showWizard(const QString& title)
{
    if (!start(title))
        return false;
    exec();
    return m_finished;
}

void TinputDlg::move(int direction)
{
    const int last = int(m_steps.size()) - 1;
    while (direction > 0 ? m_currentStep < last : m_currentStep > 0) {
        m_currentStep += direction;
        const Step& step = m_steps.at(m_currentStep);
        if (step.page >= 0) {
            m_currentPage = step.page;
            PageControl1->setCurrentWidget(m_pages.at(step.page));
            break;
        }
        if (!step.message.isEmpty()
            && pm::dialogs().message(pm::Dialogs::Kind::Question, step.message,
                                     pm::Dialogs::Buttons::OkCancel)
                   == pm::Dialogs::Answer::Cancel) {
            cancel();
            return;
        }
    }
    afterMove();
}

void TinputDlg::afterMove()
{
    updateButtons();
    if (m_currentPage < 0)
        return;
    TwizardPage* page = m_pages.at(m_currentPage);
    helpMemo->setPlainText(descriptions.at(m_currentPage));
    setWindowTitle(m_title + QStringLiteral(" Wizard - Step ") + QString::number(m_currentPage + 1)
                   + QStringLiteral(" of ") + QString::number(m_pages.size()));
    // Only the current page may hold the dialog's size: the page stack's minimum is the
    // largest minimum among its pages, so every step would be as large as the largest page.
    for (TwizardPage* p : std::as_const(m_pages)) {
        const QSizePolicy::Policy policy
            = p == page ? QSizePolicy::Preferred : QSizePolicy::Ignored;
        p->setSizePolicy(policy, policy);
    }
    PageControl1->updateGeometry();
    layout()->invalidate();
    layout()->activate();
    resize(qMax(400, pageWidth(page->tag()) + 20),
           helpMemoHeight + panelHeight + 50 + pageHeight(page->tag()));
    if (QScreen* s = screen())
        QWidget::move(s->availableGeometry().center() - rect().center());
    focusFirstControl();
}

void TinputDlg::focusFirstControl()
{
    if (m_currentPage < 0)
        return;
    for (QWidget* control : m_pages.at(m_currentPage)->controls())
        if (control->isEnabled() && (control->focusPolicy() & Qt::TabFocus)) {
            control->setFocus();
            break;
        }
}

void TinputDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    focusFirstControl(); // the first move happens before the dialog is shown
}

void TinputDlg::updateButtons()
{
    const bool last = m_currentStep >= int(m_steps.size()) - 1;
    const bool first = m_currentStep <= 0;
    nextBtn->setEnabled(!last);
    nextBtn->setDefault(!last);
    finishBtn->setDefault(last);
    QFont bold = font();
    bold.setBold(true);
    nextBtn->setFont(last ? font() : bold);
    finishBtn->setFont(last ? bold : font());
    backBtn->setEnabled(!first);
}

void TinputDlg::cancel()
{
    m_finished = false;
    m_cancelled = true;
    reject();
}

void TinputDlg::finish()
{
    // Sizes are checked first, so that a refused Finish has changed nothing.
    for (int k = 0; k < m_pages.size(); ++k) {
        TwizardPage* page = m_pages.at(k);
        if (page->tag() != imagePage)
            continue;
        for (int edit : {int(imageWidthEdit), int(imageHeightEdit)})
            if (page->control<QLineEdit>(edit)->text().isEmpty())
                page->control<QLineEdit>(edit)->setText(QStringLiteral("0"));
        for (int edit : {int(imageWidthEdit), int(imageHeightEdit)}) {
            auto* e = page->control<QLineEdit>(edit);
            if (!wholeNumber(e->text())) {
                m_currentPage = k;
                for (int s = 0; s < m_steps.size(); ++s)
                    if (m_steps.at(s).page == k)
                        m_currentStep = s;
                PageControl1->setCurrentWidget(page);
                afterMove();
                pm::dialogs().message(pm::Dialogs::Kind::Warning, badImageSizeMessage,
                                      pm::Dialogs::Buttons::Ok);
                e->setFocus();
                e->selectAll();
                return;
            }
        }
    }
    m_finished = true;
    m_collecting = true;
    for (int k = 0; k < m_pages.size(); ++k) {
        PageControl1->setCurrentWidget(m_pages.at(k));
        collectAnswer(k);
    }
    m_collecting = false;
    accept();
}

void TinputDlg::collectAnswer(int k)
{
    if (!m_collecting)
        return;
    TwizardPage* page = m_pages.at(k);
    const auto relativeFile = [this](const QString& text) {
        return unixPathIfWanted(makeRelativePath(text, m_document));
    };
    QString answer;
    switch (page->tag()) {
    case filenamePage:
        answer = relativeFile(page->control<QComboBox>(filenameEdit)->currentText());
        addHistory(page);
        break;
    case stringPage: answer = page->control<QLineEdit>(stringEdit)->text(); break;
    case numberPage: answer = page->control<QLineEdit>(numberEdit)->text(); break;
    case percentPage:
        answer = page->control<QLineEdit>(percentEdit)->text();
        if (!answer.isEmpty()) // an empty answer must stay empty, or an optional one never goes
            answer += u'%';
        break;
    case urlPage:
        answer = page->control<QComboBox>(urlEdit)->currentText();
        addHistory(page);
        break;
    case urlFilePage:
        answer = relativeFile(page->control<QComboBox>(urlFileEdit)->currentText());
        addHistory(page);
        break;
    case colorPage:
        if (page->control<QCheckBox>(colorChk)->isChecked())
            answer = colorAnswer(page->control<TColorButton>(ColorButton1)->color());
        break;
    case attListPage: {
        auto* list = page->control<QListWidget>(attList);
        if (QListWidgetItem* item = list->currentItem(); item && item->isSelected())
            answer = item->text();
        break;
    }
    case alignmentPage: {
        auto* list = page->control<QListWidget>(ALIGNListbox);
        const int row = list->currentRow();
        if (row > 0 && row < alignNames.size() && list->item(row)->isSelected())
            answer = alignNames.at(row);
        break;
    }
    case imagePage: {
        const QString size =
            imageSizeAttributes(page->control<QLineEdit>(imageWidthEdit)->text(),
                                page->control<QLineEdit>(imageHeightEdit)->text())
                .value_or(QString());
        suffixes[k] += size;
        answer = relativeFile(page->control<QComboBox>(imageFNEdit)->currentText());
        addHistory(page);
        break;
    }
    case listPage: answer = page->control<QLineEdit>(listEdit)->text(); break;
    case textPage:
        answer = page->control<QPlainTextEdit>(textEdit)->toPlainText();
        answer.replace(u'\n', QStringLiteral("\r\n"));
        break;
    case datePage:
        if (page->control<QRadioButton>(lastModifiedRadio)->isChecked())
            answer = QStringLiteral("document.lastModified");
        else
            answer = QLocale::system().toString(page->control<QDateEdit>(DatePicker1)->date(),
                                                QLocale::ShortFormat);
        break;
    default:
        break;
    }
    answers[k] = answer;
}

void TinputDlg::addHistory(TwizardPage* page)
{
    auto* combo = page->control<QComboBox>(TinputTemplates::historyCombo(page->tag()));
    const QString text = combo->currentText();
    const QString section = TinputTemplates::historySection(page->tag());
    if (text.isEmpty() || historyFileName.isEmpty() || comboItems(combo).contains(text)
        || combo->count() >= maxHistoryItems)
        return;
    TProfileFile profile(historyFileName);
    if (!profile.load())
        return;
    // The file may have grown since the combo was filled (other wizards, other instances).
    if (profile.keys(section).size() >= maxHistoryItems)
        return;
    if (!profile.setValue(section, text, QString()) || !profile.save())
        return;
    combo->clear();
    combo->addItems(profile.keys(section, historyReadLimit));
    combo->setEditText(text);
    m_templates->reloadHistory(section);
}

bool TinputDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && isVisible())
        return handleKey(watched, static_cast<QKeyEvent*>(event));
    return QDialog::eventFilter(watched, event);
}

bool TinputDlg::handleKey(QObject* watched, QKeyEvent* key)
{
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this)
        return false;
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        && mods == Qt::ControlModifier) {
        finish();
        return true;
    }
    if (key->key() == Qt::Key_Escape && mods == Qt::NoModifier) {
        if (m_currentStep > 0)
            moveBack();
        else
            cancel();
        return true;
    }
    if (m_currentPage < 0)
        return false;
    for (TwizardPage* page : std::as_const(m_pages)) {
        if (!isNumberEdit(page, watched))
            continue;
        auto* edit = static_cast<QLineEdit*>(widget);
        if (page->tag() == numberPage && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
            if (const auto next = stepNumberText(edit->text(), key->key() == Qt::Key_Up ? 1 : -1)) {
                edit->setText(*next);
                return true;
            }
            return false;
        }
        const QString text = key->text();
        if (text.size() != 1 || (!text.at(0).isPrint() && text.at(0) != u'\b'))
            return false; // navigation, Delete and shortcuts are not typed characters
        const int caret = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
        return !acceptNumberChar(edit->text(), caret, text.at(0));
    }
    return false;
}
