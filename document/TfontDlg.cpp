/** @file TfontDlg.cpp ** The "Font" dialog. **/
#include "document/TfontDlg.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QIntValidator>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

const QString TfontDlg::notDefined = QStringLiteral("Don't define");

namespace {
const char* const styleLetters = "bius";

QColor toQColor(int32_t bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}
} // namespace

TfontDlg::TfontDlg(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("fontDlg"));
    setWindowTitle(QStringLiteral("Font"));

    m_name = new QComboBox(this);
    m_name->addItem(notDefined);
    m_name->addItems(QFontDatabase::families());
    m_size = new QComboBox(this);
    m_size->setEditable(true);
    m_size->addItem(notDefined);
    for (int s : { 6, 8, 10, 12, 14, 16, 18, 22, 24, 28, 36, 42, 72 })
        m_size->addItem(QString::number(s));
    m_size->setValidator(new QIntValidator(1, 999, m_size));

    static const char* const captions[4] = { "&Bold", "&Italic", "&Underline", "&Strikethrough" };
    for (int i = 0; i < 4; ++i)
        m_styles[i] = new QCheckBox(QLatin1String(captions[i]), this);
    m_defineColor = new QCheckBox(QStringLiteral("Define &color"), this);
    m_colorButton = new QPushButton(this);
    m_colorButton->setEnabled(false);
    m_colorButton->setMinimumWidth(48);
    m_sample = new QLabel(QStringLiteral("Sample text 1234567890"), this);
    m_sample->setMinimumHeight(60);
    m_sample->setFrameShape(QFrame::StyledPanel);
    m_sample->setAlignment(Qt::AlignCenter);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Name"), this), 0, 0);
    grid->addWidget(m_name, 0, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Size"), this), 1, 0);
    grid->addWidget(m_size, 1, 1);
    for (int i = 0; i < 4; ++i)
        grid->addWidget(m_styles[i], 2 + i / 2, i % 2 * 2, 1, 2);
    grid->addWidget(m_defineColor, 4, 0, 1, 2);
    grid->addWidget(m_colorButton, 4, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_sample);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, [this] { okBtnClick(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_defineColor, &QCheckBox::toggled, this, [this](bool on) {
        m_colorButton->setEnabled(on);
        updateSample();
    });
    connect(m_colorButton, &QPushButton::clicked, this, [this] {
        const QColor c = QColorDialog::getColor(toQColor(m_colorValue), this);
        if (c.isValid())
            setColorValue(c.red() | (c.green() << 8) | (c.blue() << 16));
    });
    connect(m_name, &QComboBox::currentIndexChanged, this, [this] { updateSample(); });
    connect(m_size, &QComboBox::currentTextChanged, this, [this] { updateSample(); });
    for (QCheckBox* box : m_styles)
        connect(box, &QCheckBox::toggled, this, [this] { updateSample(); });
    setColorValue(0);
}

void TfontDlg::setResults(const TfontResults& initial)
{
    m_results = initial;
    const int nameIndex = initial.name.isEmpty() ? 0 : m_name->findText(initial.name);
    if (nameIndex < 0) {
        // A font this system lacks is still the one asked for; OK keeps it.
        m_name->addItem(initial.name);
        m_name->setCurrentIndex(m_name->count() - 1);
    } else {
        m_name->setCurrentIndex(nameIndex);
    }
    if (initial.size.isEmpty())
        m_size->setCurrentIndex(0);
    else
        m_size->setCurrentText(initial.size);
    for (int i = 0; i < 4; ++i)
        m_styles[i]->setChecked(initial.styles.contains(QLatin1Char(styleLetters[i])));
    m_defineColor->setChecked(!initial.color.isEmpty());
    if (!initial.color.isEmpty())
        setColorValue(initial.colorValue);
    updateSample();
}

void TfontDlg::setColorValue(int32_t value)
{
    m_colorValue = value & 0xFFFFFF;
    m_colorButton->setStyleSheet(
        QStringLiteral("background-color: ") + toQColor(m_colorValue).name());
    updateSample();
}

void TfontDlg::okBtnClick()
{
    TfontResults r;
    if (m_name->currentIndex() > 0)
        r.name = m_name->currentText().left(32);
    const QString size = m_size->currentText().trimmed();
    if (size != notDefined && !size.isEmpty())
        r.size = size.left(3);
    if (m_defineColor->isChecked()) {
        const QColor c = toQColor(m_colorValue);
        r.color = QStringLiteral("%1%2%3")
                      .arg(c.red(), 2, 16, QLatin1Char('0'))
                      .arg(c.green(), 2, 16, QLatin1Char('0'))
                      .arg(c.blue(), 2, 16, QLatin1Char('0'))
                      .toUpper();
        r.colorValue = m_colorValue;
    }
    for (int i = 0; i < 4; ++i)
        if (m_styles[i]->isChecked())
            r.styles += QLatin1Char(styleLetters[i]);
    m_results = r;
    accept();
}

void TfontDlg::updateSample()
{
    QFont f = m_sample->font();
    if (m_name->currentIndex() > 0)
        f.setFamily(m_name->currentText());
    bool ok = false;
    const int size = m_size->currentText().toInt(&ok);
    if (ok && size > 0)
        f.setPointSize(size);
    f.setBold(m_styles[0]->isChecked());
    f.setItalic(m_styles[1]->isChecked());
    f.setUnderline(m_styles[2]->isChecked());
    f.setStrikeOut(m_styles[3]->isChecked());
    m_sample->setFont(f);
    QPalette p = m_sample->palette();
    p.setColor(QPalette::WindowText,
        m_defineColor->isChecked() ? toQColor(m_colorValue)
                                   : palette().color(QPalette::WindowText));
    m_sample->setPalette(p);
}

bool showFontDialog(TfontResults& io, QWidget* parent)
{
    TfontDlg dialog(parent);
    dialog.setResults(io);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    io = dialog.results();
    return true;
}
