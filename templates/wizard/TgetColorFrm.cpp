/** @file TgetColorFrm.cpp ** The screen colour picker. **/
#include "templates/wizard/TgetColorFrm.h"

#include "templates/wizard/wizardAnswers_utl.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

TgetColorFrm::TgetColorFrm(QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setCursor(Qt::CrossCursor);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Read from the screens before this form covers them: afterwards they show the form.
    QRect desktop;
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (QScreen* screen : screens) {
        const QImage image = screen->grabWindow(0).toImage();
        m_shots.append({ screen->geometry(), image });
        desktop |= screen->geometry();
    }
    if (desktop.isValid())
        setGeometry(desktop);
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

void TgetColorFrm::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black); // between screens of different sizes
    for (const Shot& shot : std::as_const(m_shots))
        painter.drawImage(
            QRect(mapFromGlobal(shot.geometry.topLeft()), shot.geometry.size()), shot.image);
}

void TgetColorFrm::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint global = event->globalPosition().toPoint();
    for (const Shot& shot : std::as_const(m_shots)) {
        if (!shot.geometry.contains(global) || shot.image.isNull())
            continue;
        // Scaled to device pixels: a high-density screen's picture is larger than its geometry.
        const QPoint at = global - shot.geometry.topLeft();
        const int x = at.x() * shot.image.width() / shot.geometry.width();
        const int y = at.y() * shot.image.height() / shot.geometry.height();
        const QRgb c = shot.image.pixel(
            qBound(0, x, shot.image.width() - 1), qBound(0, y, shot.image.height() - 1));
        m_picked = int32_t(qRed(c) | (qGreen(c) << 8) | (qBlue(c) << 16));
        m_colorPanel->setStyleSheet(
            QStringLiteral("background-color: #%1;").arg(colorAnswer(m_picked)));
        return;
    }
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
