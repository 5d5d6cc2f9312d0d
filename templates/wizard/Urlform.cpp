/** @file Urlform.cpp ** The URL wizard dialog. **/
#include "templates/wizard/Urlform.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TurlForm::TurlForm(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("URL Wizard"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Resorce Type"), this));
    RTypeCombo = new QComboBox(this);
    RTypeCombo->addItems(urlResourceTypes);
    RTypeCombo->setCurrentIndex(-1);
    top->addWidget(RTypeCombo);
    top->addStretch();
    layout->addLayout(top);

    auto* grid = new QGridLayout;
    for (int f = 0; f < urlFieldCount; ++f) {
        m_separators[f] = new QLabel(this);
        m_captions[f] = new QLabel(this);
        auto* edit = new QLineEdit(this);
        m_captions[f]->setBuddy(edit);
        grid->addWidget(m_captions[f], 0, 2 * f + 1);
        grid->addWidget(m_separators[f], 1, 2 * f);
        grid->addWidget(edit, 1, 2 * f + 1);
        m_separators[f]->hide();
        m_captions[f]->hide();
        edit->hide();
        connect(edit, &QLineEdit::textChanged, this, &TurlForm::compose);
        switch (f) {
        case urlHost: HostEdit = edit; break;
        case urlPort: PortEdit = edit; break;
        case urlPath: PathEdit = edit; break;
        case urlFileName: FNEdit = edit; break;
        default: TargetEdit = edit; break;
        }
    }
    layout->addLayout(grid);
    layout->addWidget(new QLabel(QStringLiteral("URL"), this));
    URLEdit = new QLineEdit(this);
    layout->addWidget(URLEdit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        m_result = URLEdit->text();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(RTypeCombo, &QComboBox::currentIndexChanged, this, &TurlForm::typeChanged);
}

QString TurlForm::getUrl(QWidget* parent)
{
    TurlForm form(parent);
    form.adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        form.move(screen->availableGeometry().center() - form.rect().center());
    form.exec();
    return form.resultUrl();
}

bool TurlForm::isFieldShown(int field) const
{
    return field >= 0 && field < urlFieldCount && m_shown[field];
}

QString TurlForm::fieldCaption(int field) const
{
    return isFieldShown(field) ? m_captions[field]->text() : QString();
}

QString TurlForm::fieldSeparator(int field) const
{
    return isFieldShown(field) && m_separators[field]->isVisibleTo(this)
               ? m_separators[field]->text()
               : QString();
}

void TurlForm::typeChanged(int type)
{
    const TUrlLayout l = urlLayout(type);
    const auto edits = fields();
    for (int f = 0; f < urlFieldCount; ++f) {
        m_shown[f] = l[f].visible;
        m_captions[f]->setText(l[f].caption);
        m_separators[f]->setText(l[f].separator);
        m_captions[f]->setVisible(l[f].visible);
        m_separators[f]->setVisible(l[f].visible && !l[f].separator.isEmpty());
        edits[f]->setVisible(l[f].visible);
    }
    compose();
}

void TurlForm::compose()
{
    const int type = RTypeCombo->currentIndex();
    if (type < 0)
        return;
    TUrlParts parts;
    const auto edits = fields();
    for (int f = 0; f < urlFieldCount; ++f)
        parts[f] = m_shown[f] ? edits[f]->text() : QString();
    URLEdit->setText(composeUrl(type, parts));
}
