#include "AppIcon.h"

#include "DrawnIcon.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPainter>

namespace {

// Drawn on a 64 x 64 grid, as the SVG is.
void paint(QPainter &p)
{
    const QColor frame(0x1b, 0x2f, 0x42);
    const QColor light(0xd8, 0xde, 0xe6);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2f, 0x4f, 0x6f));
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);

    // The converter.
    p.setPen(QPen(frame, 2));
    p.setBrush(light);
    p.drawRoundedRect(QRectF(20, 14, 24, 36), 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x3c, 0xb0, 0x43));
    p.drawEllipse(QPointF(32, 22), 3, 3);
    p.setBrush(frame);
    p.drawRect(QRectF(25, 30, 14, 3));
    p.drawRect(QRectF(25, 37, 14, 3));

    // The DeviceNet bus on the left.
    p.setPen(QPen(QColor(0xf0, 0xc0, 0x30), 3, Qt::SolidLine, Qt::RoundCap));
    for (const qreal y : {24.0, 32.0, 40.0})
        p.drawLine(QPointF(6, y), QPointF(20, y));

    // The Ethernet link on the right.
    p.setPen(QPen(light, 1.5));
    p.setBrush(QColor(0x7f, 0xb3, 0xe0));
    p.drawRoundedRect(QRectF(46, 26, 12, 12), 1.5, 1.5);
    p.setPen(QPen(light, 2));
    p.drawLine(QPointF(44, 32), QPointF(46, 32));
}

} // namespace

QIcon AppIcon::icon()
{
    // Drawn at each size when a window system first asks for it.
    return DrawnIcon::make(paint, 64, {16, 24, 32, 48, 64, 128});
}

void AppIcon::install()
{
    QApplication::setWindowIcon(icon());
#ifdef Q_OS_LINUX
    // The name of packaging/sw40917.desktop, without its extension.
    QGuiApplication::setDesktopFileName(QStringLiteral("sw40917"));
#endif
}
