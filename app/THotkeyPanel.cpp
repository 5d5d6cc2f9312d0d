/** @file THotkeyPanel.cpp ** The hotkey assignment panel. **/
#include "app/THotkeyPanel.h"

#include <QHBoxLayout>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

THotkeyPanel::THotkeyPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("shortcutsPanel"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Press a hotkey"), this));
    m_edit = new QKeySequenceEdit(this);
    m_edit->setObjectName(QStringLiteral("hotKey"));
    layout->addWidget(m_edit);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    layout->addWidget(line);
    auto* hint = new QLabel(
        QStringLiteral("Click with mouse on the menu item you want to assign the hotkey to."), this);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    auto* buttons = new QHBoxLayout;
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    connect(m_ok, &QPushButton::clicked, this, &THotkeyPanel::accepted);
    connect(m_cancel, &QPushButton::clicked, this, &THotkeyPanel::rejected);
    // One combination per item: the box stops after the first.
    connect(m_edit, &QKeySequenceEdit::keySequenceChanged, this, [this](const QKeySequence& k) {
        if (k.count() > 1)
            m_edit->setKeySequence(QKeySequence(k[0]));
    });
}

QKeySequence THotkeyPanel::hotkey() const
{
    const QKeySequence k = m_edit->keySequence();
    return k.isEmpty() ? QKeySequence() : QKeySequence(k[0]);
}
