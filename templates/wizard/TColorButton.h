/** @file TColorButton.h ** A push button that shows and holds a colour (0x00BBGGRR). **/
#pragma once

#include <QPushButton>
#include <cstdint>

class TColorButton : public QPushButton
{
    Q_OBJECT
public:
    explicit TColorButton(QWidget* parent = nullptr);
    int32_t color() const { return m_color; }
    void setColor(int32_t color);

signals:
    void colorChanged(int32_t color);

private:
    int32_t m_color = 0x00FFFFFF; ///< 0x00BBGGRR, never a system colour
};
