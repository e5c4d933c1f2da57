#include "ButtonIcons.h"

#include "DrawnIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace {

// Every picture is drawn on a 24 x 24 grid, in the colours of the program's icon.
constexpr qreal Grid = 24;
const QColor Navy(0x2f, 0x4f, 0x6f);
const QColor Frame(0x1b, 0x2f, 0x42);
const QColor Light(0xd8, 0xde, 0xe6);
const QColor Sky(0x7f, 0xb3, 0xe0);
const QColor Blue(0x2f, 0x6f, 0xb5);
const QColor Green(0x3c, 0xb0, 0x43);
const QColor DarkGreen(0x2a, 0x84, 0x30);
const QColor Yellow(0xf0, 0xc0, 0x30);
const QColor Amber(0xc9, 0x8f, 0x1c);
const QColor Red(0xc0, 0x39, 0x2b);
const QColor Paper(0xff, 0xff, 0xff);
const QColor PaperEdge(0x6b, 0x7b, 0x8c);
const QColor Ink(0x8a, 0x99, 0xa8);

QPen line(const QColor &colour, qreal width)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A round badge with a thin darker rim.
void disc(QPainter &p, const QPointF &centre, qreal radius, const QColor &fill, const QColor &rim)
{
    p.setPen(QPen(rim, 1));
    p.setBrush(fill);
    p.drawEllipse(centre, radius, radius);
}

// A sheet with its top right corner folded.
void sheet(QPainter &p)
{
    QPainterPath page;
    page.moveTo(5, 2.5);
    page.lineTo(14.5, 2.5);
    page.lineTo(19, 7);
    page.lineTo(19, 21.5);
    page.lineTo(5, 21.5);
    page.closeSubpath();
    p.setPen(QPen(PaperEdge, 1.2, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    p.setBrush(Paper);
    p.drawPath(page);
    p.setBrush(Light);
    p.drawPolygon(QPolygonF({QPointF(14.5, 2.5), QPointF(14.5, 7), QPointF(19, 7)}));
}

void info(QPainter &p)
{
    disc(p, {12, 12}, 10.5, Blue, Frame);
    p.setPen(Qt::NoPen);
    p.setBrush(Paper);
    p.drawEllipse(QPointF(12, 6.8), 1.7, 1.7);
    p.drawRoundedRect(QRectF(10.5, 10, 3, 8.5), 1, 1);
}

void options(QPainter &p)
{
    // Three sliders, each at its own setting.
    const qreal rows[] = {6, 12, 18};
    const qreal knobs[] = {15, 8, 13};
    for (int i = 0; i < 3; ++i) {
        p.setPen(line(Navy, 2));
        p.drawLine(QPointF(3.5, rows[i]), QPointF(20.5, rows[i]));
        p.setPen(QPen(Navy, 1.6));
        p.setBrush(Sky);
        p.drawEllipse(QPointF(knobs[i], rows[i]), 2.6, 2.6);
    }
}

void cross(QPainter &p)
{
    p.setPen(line(Red, 3.2));
    p.drawLine(QPointF(6, 6), QPointF(18, 18));
    p.drawLine(QPointF(18, 6), QPointF(6, 18));
}

void newSheet(QPainter &p)
{
    sheet(p);
    disc(p, {16.5, 17}, 5, Green, DarkGreen);
    p.setPen(line(Paper, 1.8));
    p.drawLine(QPointF(16.5, 14), QPointF(16.5, 20));
    p.drawLine(QPointF(13.5, 17), QPointF(19.5, 17));
}

void folder(QPainter &p)
{
    p.setPen(QPen(Amber.darker(120), 1, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    p.setBrush(Amber);
    p.drawPolygon(QPolygonF({QPointF(2.5, 5), QPointF(9, 5), QPointF(11, 7), QPointF(20.5, 7), QPointF(20.5, 19.5),
                             QPointF(2.5, 19.5)}));
    p.setBrush(Yellow);
    p.drawPolygon(QPolygonF({QPointF(5, 10.5), QPointF(22.5, 10.5), QPointF(20.5, 19.5), QPointF(2.5, 19.5)}));
}

void communication(QPainter &p)
{
    // The converter between its two ports, as on the program's icon.
    p.setPen(line(Yellow, 2));
    for (const qreal y : {8.0, 12.0, 16.0})
        p.drawLine(QPointF(2, y), QPointF(7, y));
    p.setPen(line(Light, 1.6));
    p.drawLine(QPointF(16, 12), QPointF(18, 12));
    p.setPen(QPen(Frame, 1.2));
    p.setBrush(Light);
    p.drawRoundedRect(QRectF(7.5, 3, 8.5, 18), 1.5, 1.5);
    p.setBrush(Sky);
    p.drawRoundedRect(QRectF(18, 9.5, 4.5, 5), 0.8, 0.8);
    p.setPen(Qt::NoPen);
    p.setBrush(Green);
    p.drawEllipse(QPointF(11.75, 6.5), 1.3, 1.3);
    p.setBrush(Frame);
    p.drawRect(QRectF(9.5, 10, 4.5, 1.2));
    p.drawRect(QRectF(9.5, 13, 4.5, 1.2));
}

void network(QPainter &p)
{
    // The trunk with three slaves on their drops.
    p.setPen(line(Yellow, 2.4));
    p.drawLine(QPointF(2, 6), QPointF(22, 6));
    p.setPen(line(Amber, 1.4));
    const qreal drops[] = {5, 12, 19};
    for (const qreal x : drops)
        p.drawLine(QPointF(x, 6), QPointF(x, 12));
    p.setPen(QPen(Frame, 1));
    p.setBrush(Navy);
    for (const qreal x : drops)
        p.drawRoundedRect(QRectF(x - 3, 12, 6, 8), 1.2, 1.2);
    p.setPen(Qt::NoPen);
    p.setBrush(Green);
    for (const qreal x : drops)
        p.drawEllipse(QPointF(x, 14.8), 1, 1);
}

void registers(QPainter &p)
{
    // A table of registers with its heading row.
    const QRectF table(3, 4, 18, 16);
    p.setPen(Qt::NoPen);
    p.setBrush(Paper);
    p.drawRect(table);
    p.setBrush(Sky);
    p.drawRect(QRectF(3, 4, 18, 4));
    p.setPen(QPen(Ink, 1));
    for (const qreal y : {12.0, 16.0})
        p.drawLine(QPointF(3, y), QPointF(21, y));
    for (const qreal x : {9.0, 15.0})
        p.drawLine(QPointF(x, 8), QPointF(x, 20));
    p.setPen(QPen(Navy, 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawRect(table);
}

void update(QPainter &p)
{
    disc(p, {12, 12}, 10.5, Green, DarkGreen);
    p.setPen(Qt::NoPen);
    p.setBrush(Paper);
    p.drawPolygon(QPolygonF({QPointF(12, 4.8), QPointF(18.3, 11.6), QPointF(14.4, 11.6), QPointF(14.4, 18.5),
                             QPointF(9.6, 18.5), QPointF(9.6, 11.6), QPointF(5.7, 11.6)}));
}

void monitor(QPainter &p)
{
    // A screen with a live trace, on its stand.
    p.setPen(QPen(Frame, 1.2));
    p.setBrush(Navy);
    p.drawRoundedRect(QRectF(2.5, 3, 19, 13.5), 1.5, 1.5);
    p.setPen(line(QColor(0x8f, 0xe3, 0x96), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(5, 12.5), QPointF(8, 8.5), QPointF(11, 11.5), QPointF(14, 6.5),
                              QPointF(17, 10.5), QPointF(19, 9)}));
    p.setPen(line(PaperEdge, 1.6));
    p.drawLine(QPointF(12, 16.5), QPointF(12, 19.5));
    p.drawLine(QPointF(7.5, 20.5), QPointF(16.5, 20.5));
}

void report(QPainter &p)
{
    // A page with its heading, two lines of text and a small chart.
    sheet(p);
    p.setPen(Qt::NoPen);
    p.setBrush(Blue);
    p.drawRect(QRectF(7.5, 6, 6.5, 2.2));
    p.setPen(line(Ink, 1.2));
    for (const qreal y : {11.0, 13.5})
        p.drawLine(QPointF(8, y), QPointF(16, y));
    p.setPen(Qt::NoPen);
    p.setBrush(Sky);
    p.drawRect(QRectF(8, 16.5, 2.2, 3));
    p.setBrush(Blue);
    p.drawRect(QRectF(11, 15, 2.2, 4.5));
    p.setBrush(Green);
    p.drawRect(QRectF(14, 16, 2.2, 3.5));
}

void refresh(QPainter &p)
{
    // A circle of arrows, open at the top right where the arrow points on.
    p.setPen(line(Blue, 2.4));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(4, 4, 16, 16), 60 * 16, 290 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(Blue);
    p.drawPolygon(QPolygonF({QPointF(12.2, 1.5), QPointF(18.5, 4.8), QPointF(12.8, 8.8)}));
}

void cancel(QPainter &p)
{
    disc(p, {12, 12}, 10.5, Red, Red.darker(130));
    p.setPen(line(Paper, 2.4));
    p.drawLine(QPointF(8, 8), QPointF(16, 16));
    p.drawLine(QPointF(16, 8), QPointF(8, 16));
}

DrawnIcon::Painting painting(ButtonIcons::Picture picture)
{
    using P = ButtonIcons::Picture;
    switch (picture) {
    case P::Info: return info;
    case P::Options: return options;
    case P::Close: return cross;
    case P::New: return newSheet;
    case P::Open: return folder;
    case P::Communication: return communication;
    case P::Network: return network;
    case P::Registers: return registers;
    case P::Update: return update;
    case P::Monitor: return monitor;
    case P::Report: return report;
    case P::Refresh: return refresh;
    case P::Cancel: return cancel;
    }
    return info;
}

} // namespace

QIcon ButtonIcons::icon(Picture picture)
{
    // Step buttons show 20 px, the top buttons 32 px.
    return DrawnIcon::make(painting(picture), Grid, {16, 20, 24, 32});
}
