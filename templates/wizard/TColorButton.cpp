/** @file TColorButton.cpp ** A push button that shows and holds a colour. **/
#include "templates/wizard/TColorButton.h"

#include <QColor>

TColorButton::TColorButton(QWidget* parent) : QPushButton(parent)
{
    setColor(m_color);
}

void TColorButton::setColor(int32_t color)
{
    m_color = color & 0x00FFFFFF;
    const QColor c(m_color & 0xff, (m_color >> 8) & 0xff, (m_color >> 16) & 0xff);
    setStyleSheet(QStringLiteral("background-color: %1;").arg(c.name()));
    emit colorChanged(m_color);
}
