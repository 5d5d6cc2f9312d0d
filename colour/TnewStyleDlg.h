/** @file TnewStyleDlg.h ** Asks for one style's name and its two colours. **/
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <optional>

class QLineEdit;
class QPushButton;

class TnewStyleDlg : public QDialog
{
    Q_OBJECT

public:
    /// Picks a colour starting from `current`; nothing when the user cancels.
    using ColorPicker = std::function<std::optional<int32_t>(int32_t current, QWidget* parent)>;

    explicit TnewStyleDlg(QWidget* parent = nullptr);

    QString styleName() const;
    void setStyleName(const QString& name);
    /// Colour values, 0x00BBGGRR or negative for a system colour.
    int32_t foreground() const { return m_foreground; }
    int32_t background() const { return m_background; }
    void setForeground(int32_t value);
    void setBackground(int32_t value);
    void setColorPicker(ColorPicker picker) { m_pickColor = std::move(picker); }

    QLineEdit* nameEdit;
    QPushButton* foregroundBtn;
    QPushButton* backgroundBtn;
    QPushButton* okBtn;
    QPushButton* cancelBtn;

private slots:
    void foregroundBtnClick();
    void backgroundBtnClick();
    void okBtnClick();

private:
    void showColors();

    int32_t m_foreground = 0xFFFFFF;
    int32_t m_background = 0xFFFFFF;
    ColorPicker m_pickColor;
};
