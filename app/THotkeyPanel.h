/** @file THotkeyPanel.h ** The panel shown while the user assigns hotkeys by clicking menu
 ** items. **/
#pragma once

#include <QFrame>

class QKeySequenceEdit;
class QPushButton;

class THotkeyPanel : public QFrame
{
    Q_OBJECT
public:
    explicit THotkeyPanel(QWidget* parent = nullptr);

    QKeySequenceEdit* hotkeyBox() const { return m_edit; }
    /// The first key combination in the box; empty when none.
    QKeySequence hotkey() const;
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

signals:
    void accepted();
    void rejected();

private:
    QKeySequenceEdit* m_edit = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};
