/** @file TsplashScreen.cpp ** Splash window: drawn picture, centred, borderless. **/
#include "app/TsplashScreen.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr int splashWidth = 420;
constexpr int splashHeight = 240;
}

TsplashScreen::TsplashScreen(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("splashScreen"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFixedSize(splashWidth, splashHeight);

    status = new QLabel(this);
    status->setObjectName(QStringLiteral("status"));
    QPalette pal = status->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    status->setPalette(pal);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addStretch(1);
    layout->addWidget(status);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TsplashScreen::showStatus(const QString& text)
{
    status->setText(text);
    repaint(); // start-up does not return to the event loop between steps
}

QString TsplashScreen::statusText() const
{
    return status->text();
}

void TsplashScreen::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height());
    sky.setColorAt(0, QColor(0x1d, 0x3c, 0x6e));
    sky.setColorAt(1, QColor(0x0b, 0x16, 0x2c));
    p.fillRect(rect(), sky);

    // A page with angle brackets: the editor's emblem.
    const QRectF page(32, 40, 96, 124);
    p.setPen(QPen(QColor(0xd0, 0xd8, 0xe8), 2));
    p.setBrush(QColor(0xfa, 0xfa, 0xf5));
    p.drawRoundedRect(page, 6, 6);
    p.setPen(QPen(QColor(0xc0, 0x39, 0x2b), 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({ QPointF(64, 82), QPointF(48, 102), QPointF(64, 122) }));
    p.drawPolyline(QPolygonF({ QPointF(96, 82), QPointF(112, 102), QPointF(96, 122) }));

    QFont title = font();
    title.setPointSize(26);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRectF(150, 60, width() - 160, 50), Qt::AlignLeft | Qt::AlignVCenter,
        QStringLiteral("Pagemason"));
    QFont sub = font();
    sub.setPointSize(10);
    p.setFont(sub);
    p.setPen(QColor(0xb0, 0xc4, 0xde));
    p.drawText(QRectF(152, 108, width() - 160, 24), Qt::AlignLeft | Qt::AlignVCenter,
        QStringLiteral("HTML editor, version 2.3"));
    p.setPen(QPen(QColor(0x3a, 0x5a, 0x8e), 1));
    p.drawLine(16, height() - 40, width() - 16, height() - 40);
}
