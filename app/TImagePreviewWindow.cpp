/** @file TImagePreviewWindow.cpp ** The image preview window. **/
#include "app/TImagePreviewWindow.h"

#include "document/common/picture_utl.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMovie>
#include <QPixmap>
#include <QScrollArea>

TImagePreviewWindow::TImagePreviewWindow(QWidget* parent)
    : QDockWidget(QStringLiteral("Image Preview"), parent)
{
    setObjectName(QStringLiteral("imgPrevWindow"));
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable
                | QDockWidget::DockWidgetFloatable);
    m_scroll = new QScrollArea(this);
    previewImage = new QLabel(m_scroll);
    previewImage->setObjectName(QStringLiteral("previewImage"));
    m_scroll->setWidget(previewImage);
    setWidget(m_scroll);
    resize(240, 200);
}

bool TImagePreviewWindow::showPicture(const QString& fileName, QString* error)
{
    bool animated = false;
    const QImage image = loadPicture(fileName, error, &animated);
    if (image.isNull())
        return false;
    if (m_movie) {
        m_movie->stop();
        delete m_movie;
        m_movie = nullptr;
    }
    if (animated) {
        m_movie = new QMovie(fileName, QByteArray(), this);
        previewImage->setMovie(m_movie);
        m_movie->start();
    } else {
        previewImage->setPixmap(QPixmap::fromImage(image));
    }
    m_size = image.size();
    previewImage->resize(m_size);
    setWindowTitle(fileName + QLatin1Char(' ') + QString::number(m_size.width())
                   + QLatin1Char('x') + QString::number(m_size.height()));
    return true;
}

bool TImagePreviewWindow::isAnimating() const
{
    return m_movie && m_movie->state() == QMovie::Running;
}

void TImagePreviewWindow::closeEvent(QCloseEvent* event)
{
    QDockWidget::closeEvent(event);
    if (event->isAccepted())
        emit closedByUser();
}
