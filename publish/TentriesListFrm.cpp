/** @file TentriesListFrm.cpp ** The entries chooser. **/
#include "publish/TentriesListFrm.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TentriesListFrm::TentriesListFrm(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("entriesListFrm"));
    setWindowTitle(QStringLiteral("Dialup entries found on system"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("Select the entry to dial"), this);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    label->setBuddy(ListBox1);
    layout->addWidget(label);
    layout->addWidget(ListBox1, 1);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("okBtn"));
    ok->setDefault(true);
    QPushButton* cancel
        = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelBtn"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &TentriesListFrm::reject);
    layout->addWidget(buttons);
    resize(320, 240);
}

QString TentriesListFrm::selectedEntry() const
{
    const QList<QListWidgetItem*> items = ListBox1->selectedItems();
    return items.isEmpty() ? QString() : items.first()->text();
}

void TentriesListFrm::reject()
{
    ListBox1->clearSelection();
    QDialog::reject();
}

QString TentriesListFrm::choose(const QStringList& entries, QWidget* parent)
{
    TentriesListFrm form(parent);
    form.ListBox1->addItems(entries);
    if (QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        form.move(screen->availableGeometry().center() - form.rect().center());
    form.exec();
    return form.selectedEntry();
}
