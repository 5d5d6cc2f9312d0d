/** @file TGoToLineDlg.cpp ** The modal "Go to Line Number" dialog. **/
#include "editor/TGoToLineDlg.h"

#include "editor/TMemoSource.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <limits>

TGoToLineDlg::TGoToLineDlg(int caretLine, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Go to Line Number"));
    setModal(true);

    auto* label = new QLabel(QStringLiteral("&Enter new line number:"), this);
    m_edit = new QLineEdit(QString::number(qint64(caretLine) + 1), this);
    m_edit->selectAll();
    label->setBuddy(m_edit);

    m_ok = new QPushButton(QStringLiteral("Ok"), this);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    connect(m_ok, &QPushButton::clicked, this, &TGoToLineDlg::accept);
    connect(m_cancel, &QPushButton::clicked, this, &TGoToLineDlg::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_edit);
    layout->addLayout(buttons);
}

std::optional<qint64> TGoToLineDlg::lineNumber() const
{
    const QString text = m_edit->text().trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    if (i == text.size())
        return std::nullopt;
    for (qsizetype k = i; k < text.size(); ++k)
        if (text[k] < u'0' || text[k] > u'9')
            return std::nullopt;
    bool ok = false;
    const qint64 n = text.toLongLong(&ok);
    if (ok)
        return n;
    // Too many digits for any document: far past either end, which clamping handles.
    return negative ? std::numeric_limits<qint64>::min() : std::numeric_limits<qint64>::max();
}

int TGoToLineDlg::targetLine(qint64 number, int lineCount)
{
    if (lineCount <= 0 || number <= 1)
        return 0;
    return number - 1 >= lineCount ? lineCount - 1 : int(number - 1);
}

bool TGoToLineDlg::applyTo(TMemoSource& source) const
{
    const std::optional<qint64> n = lineNumber();
    if (!n)
        return false;
    source.setCaret(0, targetLine(*n, source.lineCount()));
    return true;
}

bool TGoToLineDlg::execute(TMemoSource& source, QWidget* parent)
{
    TGoToLineDlg dlg(source.CaretY(), parent);
    return dlg.exec() == QDialog::Accepted && dlg.applyTo(source);
}

void TGoToLineDlg::accept()
{
    if (!lineNumber()) {
        QApplication::beep();
        m_edit->selectAll();
        m_edit->setFocus();
        return;
    }
    QDialog::accept();
}
