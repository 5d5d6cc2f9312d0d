/** @file TgetColorFrm.cpp ** The screen colour picker. **/
#include "templates/wizard/TgetColorFrm.h"

#include "templates/wizard/wizardAnswers_utl.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>

TgetColorFrm::TgetColorFrm(QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setCursor(Qt::CrossCursor);
    setMouseTracking(true);
    setAttribute(Qt::WA_NoSystemBackground);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->geometry());
    m_colorPanel = new QLabel(this);
    m_colorPanel->resize(16, 16);
    m_colorPanel->move(width() - 16, height() - 16);
    m_colorPanel->hide();
}

int32_t TgetColorFrm::pickColor(QWidget* parent)
{
    TgetColorFrm form(parent);
    form.exec();
    return form.pickResult();
}

void TgetColorFrm::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint global = event->globalPosition().toPoint();
    QScreen* screen = QGuiApplication::screenAt(global);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QPoint local = global - screen->geometry().topLeft();
    const QImage pixel = screen->grabWindow(0, local.x(), local.y(), 1, 1).toImage();
    if (pixel.isNull())
        return;
    const QRgb c = pixel.pixel(0, 0);
    m_picked = int32_t(qRed(c) | (qGreen(c) << 8) | (qBlue(c) << 16));
    m_colorPanel->setStyleSheet(
        QStringLiteral("background-color: #%1;").arg(colorAnswer(m_picked)));
}

void TgetColorFrm::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_cancelled = false;
        accept();
    } else if (event->button() == Qt::RightButton) {
        m_cancelled = true;
        reject();
    }
}

void TgetColorFrm::keyPressEvent(QKeyEvent* event)
{
    // Esc must not leave a full-screen form that only a mouse button can close.
    if (event->key() == Qt::Key_Escape) {
        m_cancelled = true;
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}
