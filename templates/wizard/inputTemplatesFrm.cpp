/** @file inputTemplatesFrm.cpp ** The hidden form of wizard page templates. **/
#include "templates/wizard/inputTemplatesFrm.h"

#include "core/global_utl.h"
#include "templates/requestSyntax.h"
#include "templates/wizard/TColorButton.h"
#include "templates/wizard/TProfileFile.h"
#include "templates/wizard/TwizardPage.h"
#include "templates/wizard/wizardAnswers_utl.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QDate>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

using namespace wizardControls;

namespace {

TinputTemplates* theInstance = nullptr;

struct PageSize {
    int height;
    int width;
};
// Indexed by tag - 2.
constexpr PageSize pageSizes[] = {{55, 539},  {88, 482},  {31, 108},  {31, 108}, {55, 539},
                                  {55, 539},  {44, 291},  {185, 252}, {205, 325}, {295, 540},
                                  {185, 252}, {67, 539},  {306, 341}};

QComboBox* historyComboBox(QWidget* parent)
{
    auto* c = new QComboBox(parent);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->completer()->setCompletionMode(QCompleter::InlineCompletion);
    c->setMinimumWidth(300);
    c->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return c;
}

QPushButton* button(const char* caption, QWidget* parent)
{
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setAutoDefault(false);
    return b;
}

/// Combo with history and its buttons on one row.
void comboRow(TwizardPage* page, std::initializer_list<const char*> buttons)
{
    auto* row = new QHBoxLayout(page);
    row->addWidget(page->add(historyComboBox(page)));
    for (const char* caption : buttons)
        row->addWidget(page->add(button(caption, page)));
}

QLineEdit* numberLineEdit(QWidget* parent)
{
    auto* e = new QLineEdit(parent);
    e->setMaximumWidth(100);
    return e;
}

} // namespace

int pageTagForType(int type)
{
    if (type == rtDate)
        return datePage;
    if (type >= rtFile && type <= rtText)
        return type;
    return 0;
}

int pageHeight(int tag)
{
    return tag >= filenamePage && tag <= datePage ? pageSizes[tag - 2].height : 0;
}

int pageWidth(int tag)
{
    return tag >= filenamePage && tag <= datePage ? pageSizes[tag - 2].width : 0;
}

QString TinputTemplates::historySection(int tag)
{
    switch (tag) {
    case filenamePage: return historyFileNameSection;
    case urlPage: return historyUrlSection;
    case urlFilePage: return historyUrlFileSection;
    case imagePage: return historyImageSection;
    default: return QString();
    }
}

int TinputTemplates::historyCombo(int tag)
{
    switch (tag) {
    case filenamePage: return filenameEdit;
    case urlPage: return urlEdit;
    case urlFilePage: return urlFileEdit;
    case imagePage: return imageFNEdit;
    default: return -1;
    }
}

TwizardPage* TinputTemplates::buildPage(int tag, QWidget* parent)
{
    if (pageHeight(tag) == 0)
        return nullptr;
    auto* page = new TwizardPage(tag, parent);
    switch (tag) {
    case filenamePage:
        comboRow(page, {"B&rowse"});
        break;
    case stringPage: {
        auto* l = new QVBoxLayout(page);
        l->addWidget(page->add(new QLineEdit(page)));
        l->addStretch();
        break;
    }
    case numberPage: {
        auto* l = new QHBoxLayout(page);
        l->addWidget(page->add(numberLineEdit(page)));
        l->addStretch();
        break;
    }
    case percentPage: {
        auto* l = new QHBoxLayout(page);
        l->addWidget(page->add(numberLineEdit(page)));
        l->addWidget(page->add(new QLabel(QStringLiteral("%"), page)));
        l->addStretch();
        break;
    }
    case urlPage:
        comboRow(page, {"&URL Wizard..."});
        break;
    case urlFilePage:
        comboRow(page, {"B&rowse", "&URL Wizard..."});
        break;
    case colorPage: {
        auto* l = new QHBoxLayout(page);
        l->addWidget(page->add(new QCheckBox(QStringLiteral("Define color"), page)));
        auto* colorButton = page->add(new TColorButton(page));
        colorButton->setAutoDefault(false);
        colorButton->setEnabled(false);
        colorButton->setMinimumWidth(60);
        l->addWidget(colorButton);
        auto* picker = page->add(button("Color &picker", page));
        picker->setEnabled(false);
        l->addWidget(picker);
        l->addStretch();
        break;
    }
    case attListPage: {
        auto* l = new QVBoxLayout(page);
        l->addWidget(page->add(new QListWidget(page)));
        break;
    }
    case alignmentPage: {
        auto* l = new QVBoxLayout(page);
        auto* list = page->add(new QListWidget(page));
        list->addItems(alignCaptions);
        l->addWidget(list);
        break;
    }
    case imagePage: {
        auto* grid = new QGridLayout(page);
        auto* row = new QHBoxLayout;
        row->addWidget(page->add(historyComboBox(page)));
        row->addWidget(page->add(button("B&rowse", page)));
        row->addWidget(page->add(button("&URL Wizard...", page)));
        grid->addLayout(row, 0, 0, 1, 3);
        auto* width = page->add(numberLineEdit(page));
        auto* height = page->add(numberLineEdit(page));
        width->setText(QStringLiteral("0"));
        height->setText(QStringLiteral("0"));
        auto* widthLabel = new QLabel(QStringLiteral("&Width:"), page);
        auto* heightLabel = new QLabel(QStringLiteral("&Height:"), page);
        widthLabel->setBuddy(width);
        heightLabel->setBuddy(height);
        auto* sizes = new QGridLayout;
        sizes->addWidget(widthLabel, 0, 0);
        sizes->addWidget(width, 0, 1);
        sizes->addWidget(heightLabel, 1, 0);
        sizes->addWidget(height, 1, 1);
        sizes->setRowStretch(2, 1);
        grid->addLayout(sizes, 1, 0);
        auto* preview = page->add(new QLabel(page));
        preview->setAlignment(Qt::AlignCenter);
        preview->setMinimumSize(200, 200);
        preview->setFrameShape(QFrame::StyledPanel);
        grid->addWidget(preview, 1, 1, 1, 2);
        grid->setColumnStretch(1, 1);
        break;
    }
    case listPage: {
        auto* l = new QVBoxLayout(page);
        l->addWidget(page->add(new QLineEdit(page)));
        l->addWidget(page->add(new QListWidget(page)));
        auto* values = page->add(new QListWidget(page));
        values->hide();
        break;
    }
    case textPage: {
        auto* l = new QVBoxLayout(page);
        auto* text = page->add(new QPlainTextEdit(page));
        text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        l->addWidget(text);
        break;
    }
    case datePage: {
        auto* l = new QVBoxLayout(page);
        auto* group = page->add(new QGroupBox(QStringLiteral("Date type"), page));
        auto* gl = new QVBoxLayout(group);
        auto* js = page->add(
            new QRadioButton(QStringLiteral("Document last modified date (javascript)"), group));
        auto* custom = page->add(new QRadioButton(QStringLiteral("Custom date"), group));
        js->setChecked(true);
        gl->addWidget(js);
        gl->addWidget(custom);
        l->addWidget(group);
        auto* picker = page->add(new QDateEdit(QDate::currentDate(), page));
        picker->setCalendarPopup(true);
        picker->setDisplayFormat(QLocale::system().dateFormat(QLocale::ShortFormat));
        l->addWidget(picker);
        l->addStretch();
        break;
    }
    default:
        break;
    }
    return page;
}

TinputTemplates::TinputTemplates(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("inputTemplates"));
    pageControl1 = new QStackedWidget(this);
    for (int tag = filenamePage; tag <= datePage; ++tag)
        pageControl1->addWidget(buildPage(tag, pageControl1));
    loadHistory();
    if (!theInstance)
        theInstance = this;
}

TinputTemplates::~TinputTemplates()
{
    if (theInstance == this)
        theInstance = nullptr;
}

TinputTemplates* TinputTemplates::instance()
{
    return theInstance;
}

TwizardPage* TinputTemplates::templatePage(int tag) const
{
    if (pageHeight(tag) == 0)
        return nullptr;
    return static_cast<TwizardPage*>(pageControl1->widget(tag - filenamePage));
}

TwizardPage* TinputTemplates::copyPage(int tag, QWidget* parent) const
{
    TwizardPage* source = templatePage(tag);
    if (!source)
        return nullptr;
    TwizardPage* page = buildPage(tag, parent);
    // Lists are the only contents a template carries beyond what the factory builds.
    for (int i = 0; i < source->controls().size(); ++i) {
        if (auto* from = source->control<QComboBox>(i)) {
            auto* to = page->control<QComboBox>(i);
            to->addItems([from] {
                QStringList items;
                for (int k = 0; k < from->count(); ++k)
                    items.append(from->itemText(k));
                return items;
            }());
            to->setCurrentIndex(-1);
            to->setEditText(from->currentText());
        }
    }
    return page;
}

void TinputTemplates::reloadHistory(const QString& section)
{
    if (historyFileName.isEmpty())
        return;
    const QStringList items = TProfileFile::readKeys(historyFileName, section, historyReadLimit);
    for (int tag = filenamePage; tag <= datePage; ++tag) {
        if (historySection(tag).compare(section, Qt::CaseInsensitive) != 0)
            continue;
        auto* combo = templatePage(tag)->control<QComboBox>(historyCombo(tag));
        combo->clear();
        combo->addItems(items);
        combo->setCurrentIndex(-1);
        combo->setEditText(QString());
    }
}

void TinputTemplates::loadHistory()
{
    if (historyFileName.isEmpty())
        return;
    TProfileFile profile(historyFileName);
    profile.load();
    for (int tag = filenamePage; tag <= datePage; ++tag) {
        const int position = historyCombo(tag);
        if (position < 0)
            continue;
        auto* combo = templatePage(tag)->control<QComboBox>(position);
        combo->addItems(profile.keys(historySection(tag), historyReadLimit));
        combo->setCurrentIndex(-1);
        combo->setEditText(QString());
    }
}
