/** @file TcustomRulesDlg.h ** "Customize Color Rules": edits the rules and styles of colorRules
 ** and saves them to the colour rules file. **/
#pragma once

#include "colour/TRules.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class TnewStyleDlg;

/// Edits `colorRules` in place, so newly parsed lines follow at once; Cancel puts back the rule
/// set as the dialog found it after loading the file.
class TcustomRulesDlg : public QDialog
{
    Q_OBJECT

public:
    /// Runs the style dialog modally; true when the user pressed OK. Tests replace it.
    using StyleDialogRunner = std::function<bool(TnewStyleDlg& dialog)>;

    explicit TcustomRulesDlg(QWidget* parent = nullptr);
    void setStyleDialogRunner(StyleDialogRunner runner) { m_runStyleDialog = std::move(runner); }

    QListWidget* rulesListBox;
    QLineEdit* nameEdit;
    QPlainTextEdit* opentagEdit;
    QPlainTextEdit* closeTagEdit;
    QComboBox* stylesCombo;
    QPushButton* addRuleBtn;
    QPushButton* refreshRulesBtn;
    QPushButton* deleteRuleBtn;
    QPushButton* updateRuleBtn;
    QPushButton* loadRulesBtn;
    QPushButton* addStyleBtn;
    QPushButton* refreshStylesBtn;
    QPushButton* deleteStyleBtn;
    QPushButton* updateStyleBtn;
    QPushButton* cancelBtn;
    QPushButton* okBtn;

signals:
    /// OK has saved the file; the document windows reload their styles from it.
    void rulesSaved();

public slots:
    void reject() override;

private slots:
    void FormCreate();
    void loadRulesBtnClick();
    void refreshRulesBtnClick();
    void refreshStylesBtnClick();
    void rulesListBoxClick();
    void addRuleBtnClick();
    void updateRuleBtnClick();
    void deleteRuleBtnClick();
    void addStyleBtnClick();
    void updateStyleBtnClick();
    void deleteStyleBtnClick();
    void okBtnClick();

private:
    StyleDialogRunner m_runStyleDialog;
    /// The rule set as loaded when the dialog opened, put back on Cancel.
    TRules m_original;
};
