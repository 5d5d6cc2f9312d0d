/** @file TGoToLineDlg.h ** The modal "Go to Line Number" dialog. **/
#pragma once

#include <QDialog>
#include <optional>

class QLineEdit;
class QPushButton;
class TMemoSource;

class TGoToLineDlg : public QDialog
{
    Q_OBJECT
public:
    /// `caretLine` is 0-based; the edit shows it plus 1.
    explicit TGoToLineDlg(int caretLine, QWidget* parent = nullptr);

    /// The number typed (1-based), saturated to the qint64 range; nullopt unless the text is an
    /// optionally signed run of digits.
    std::optional<qint64> lineNumber() const;
    /// The 0-based line for a typed number among `lineCount` lines: 0 or less gives the first
    /// line, past the end the last.
    static int targetLine(qint64 number, int lineCount);
    /// Moves the caret of `source` to column 0 of the typed line. False when the text is no
    /// number.
    bool applyTo(TMemoSource& source) const;
    /// Shows the dialog for `source`; on "Ok" moves its caret. True when the caret was moved.
    static bool execute(TMemoSource& source, QWidget* parent = nullptr);

    QLineEdit* lineEdit() const { return m_edit; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

public slots:
    /// Refuses a text that is no number: the dialog stays open with the text selected.
    void accept() override;

private:
    QLineEdit* m_edit = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};
