/** @file TnewStyleDlg.cpp ** Asks for one style's name and its two colours. **/
#include "colour/TnewStyleDlg.h"

#include "editor/colorValue_utl.h"
#include "platform/Dialogs.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TnewStyleDlg::TnewStyleDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("New Style"));
    nameEdit = new QLineEdit(this);
    nameEdit->setObjectName(QStringLiteral("nameEdit"));
    foregroundBtn = new QPushButton(this);
    foregroundBtn->setObjectName(QStringLiteral("foregroundBtn"));
    backgroundBtn = new QPushButton(this);
    backgroundBtn->setObjectName(QStringLiteral("backgroundBtn"));
    for (QPushButton* swatch : { foregroundBtn, backgroundBtn })
        swatch->setMinimumWidth(80);

    auto* form = new QFormLayout;
    auto* nameLabel = new QLabel(QStringLiteral("&Name:"), this);
    nameLabel->setBuddy(nameEdit);
    form->addRow(nameLabel, nameEdit);
    auto* foregroundLabel = new QLabel(QStringLiteral("&Foreground color:"), this);
    foregroundLabel->setBuddy(foregroundBtn);
    form->addRow(foregroundLabel, foregroundBtn);
    auto* backgroundLabel = new QLabel(QStringLiteral("&Background color:"), this);
    backgroundLabel->setBuddy(backgroundBtn);
    form->addRow(backgroundLabel, backgroundBtn);

    auto* buttons = new QDialogButtonBox(this);
    okBtn = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    okBtn->setObjectName(QStringLiteral("okBtn"));
    okBtn->setDefault(true);
    cancelBtn = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancelBtn->setObjectName(QStringLiteral("cancelBtn"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(foregroundBtn, &QPushButton::clicked, this, &TnewStyleDlg::foregroundBtnClick);
    connect(backgroundBtn, &QPushButton::clicked, this, &TnewStyleDlg::backgroundBtnClick);
    connect(okBtn, &QPushButton::clicked, this, &TnewStyleDlg::okBtnClick);
    connect(cancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    m_pickColor = [](int32_t current, QWidget* owner) -> std::optional<int32_t> {
        const QColor chosen = QColorDialog::getColor(colorValueToQColor(current), owner);
        if (!chosen.isValid())
            return std::nullopt;
        return qColorToColorValue(chosen);
    };
    showColors();
}

QString TnewStyleDlg::styleName() const
{
    return nameEdit->text();
}

void TnewStyleDlg::setStyleName(const QString& name)
{
    nameEdit->setText(name);
}

void TnewStyleDlg::setForeground(int32_t value)
{
    m_foreground = value;
    showColors();
}

void TnewStyleDlg::setBackground(int32_t value)
{
    m_background = value;
    showColors();
}

void TnewStyleDlg::showColors()
{
    // Both buttons show the style as it will look: its text on its background.
    const QColor fg = colorValueToQColor(m_foreground, palette());
    const QColor bg = colorValueToQColor(m_background, palette());
    const QString sheet = QStringLiteral("QPushButton { color: %1; background-color: %2; }")
                              .arg(fg.name(), bg.name());
    for (QPushButton* swatch : { foregroundBtn, backgroundBtn }) {
        swatch->setText(QStringLiteral("Abc"));
        swatch->setStyleSheet(sheet);
    }
}

void TnewStyleDlg::foregroundBtnClick()
{
    if (const auto chosen = m_pickColor(m_foreground, this))
        setForeground(*chosen);
}

void TnewStyleDlg::backgroundBtnClick()
{
    if (const auto chosen = m_pickColor(m_background, this))
        setBackground(*chosen);
}

void TnewStyleDlg::okBtnClick()
{
    // An empty name would end the styles section of the colour rules file when it is read back.
    if (nameEdit->text().trimmed().isEmpty()) {
        pm::dialogs().error(QStringLiteral("Please enter a name for the style."));
        nameEdit->setFocus();
        return;
    }
    accept();
}
