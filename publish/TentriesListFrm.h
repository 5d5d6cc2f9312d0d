/** @file TentriesListFrm.h ** The chooser of the dial-up entry to dial. **/
#pragma once

#include <QDialog>

class QListWidget;

class TentriesListFrm : public QDialog
{
    Q_OBJECT
public:
    explicit TentriesListFrm(QWidget* parent = nullptr);

    /// Fills the list, shows the chooser modally and gives the entry chosen; empty when none
    /// was selected or Cancel was pressed.
    static QString choose(const QStringList& entries, QWidget* parent = nullptr);

    QListWidget* ListBox1 = nullptr;
    /// The selected entry, or empty.
    QString selectedEntry() const;

protected:
    void reject() override;
};
