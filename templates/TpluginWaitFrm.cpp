/** @file TpluginWaitFrm.cpp ** The plug-in wait window. **/
#include "templates/TpluginWaitFrm.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

TpluginWaitFrm::TpluginWaitFrm(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Pagemason"));
    setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(this);
    waitLabel = new QLabel(this);
    layout->addWidget(waitLabel);
    auto* busy = new QProgressBar(this);
    busy->setRange(0, 0); // no end is known: a moving bar
    layout->addWidget(busy);
    cancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    layout->addWidget(cancelBtn, 0, Qt::AlignRight);
    connect(cancelBtn, &QPushButton::clicked, this, &TpluginWaitFrm::reject);
}

void TpluginWaitFrm::showWaiting(const QString& functionName, const std::function<void()>& cancel)
{
    m_cancel = cancel;
    waitLabel->setText(QStringLiteral("Waiting for the plug-in \"%1\"...").arg(functionName));
    adjustSize();
    // The run shows the hourglass; over this window the pointer must say it can click.
    if (!isVisible())
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    show();
}

void TpluginWaitFrm::hideWaiting()
{
    m_cancel = nullptr;
    if (isVisible())
        QApplication::restoreOverrideCursor();
    hide();
}

void TpluginWaitFrm::reject()
{
    if (m_cancel)
        m_cancel();
}
