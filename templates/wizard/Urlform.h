/** @file Urlform.h ** The URL wizard dialog: composes a URL from a resource type and its parts. **/
#pragma once

#include "templates/wizard/urlWizard_utl.h"

#include <QDialog>
#include <array>

class QComboBox;
class QLabel;
class QLineEdit;

class TurlForm : public QDialog
{
    Q_OBJECT
public:
    explicit TurlForm(QWidget* parent = nullptr);

    /// Opens the dialog modally; the composed URL after OK, empty after Cancel.
    static QString getUrl(QWidget* parent = nullptr);

    /// The text of URLEdit when OK was pressed; empty until then.
    QString resultUrl() const { return m_result; }

    QComboBox* RTypeCombo = nullptr;
    QLineEdit* HostEdit = nullptr;
    QLineEdit* PortEdit = nullptr;
    QLineEdit* PathEdit = nullptr;
    QLineEdit* FNEdit = nullptr;
    QLineEdit* TargetEdit = nullptr;
    QLineEdit* URLEdit = nullptr;

    /// Field edits in the order of TUrlField.
    std::array<QLineEdit*, urlFieldCount> fields() const
    {
        return {HostEdit, PortEdit, PathEdit, FNEdit, TargetEdit};
    }
    bool isFieldShown(int field) const;
    QString fieldCaption(int field) const;
    QString fieldSeparator(int field) const;

private:
    void typeChanged(int type);
    void compose();

    std::array<QLabel*, urlFieldCount> m_captions{};
    std::array<QLabel*, urlFieldCount> m_separators{};
    /// Whether a field is part of the chosen type's layout (isVisible() needs a shown dialog).
    std::array<bool, urlFieldCount> m_shown{};
    QString m_result;
};
