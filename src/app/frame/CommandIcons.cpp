#include "frame/CommandIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <functional>

namespace loom {
namespace {

const QColor kInk(40, 52, 70);
const QColor kPaper(250, 250, 246);
const QColor kBlue(40, 110, 200);
const QColor kGreen(40, 150, 80);
const QColor kRed(200, 50, 40);
const QColor kYellow(236, 190, 70);

QPixmap paint(int size, const std::function<void(QPainter&)>& draw) {
    const qreal ratio = 2.0;
    QPixmap pixmap(QSize(size, size) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 18.0, size / 18.0);
    draw(p);
    return pixmap;
}

void sheet(QPainter& p) {
    QPainterPath page;
    page.moveTo(3.5, 1.5);
    page.lineTo(11.5, 1.5);
    page.lineTo(14.5, 4.5);
    page.lineTo(14.5, 16.5);
    page.lineTo(3.5, 16.5);
    page.closeSubpath();
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawPath(page);
    p.drawLine(QPointF(11.5, 1.5), QPointF(11.5, 4.5));
    p.drawLine(QPointF(11.5, 4.5), QPointF(14.5, 4.5));
}

void arrow(QPainter& p, QPointF from, QPointF to, const QColor& colour) {
    p.setPen(QPen(colour, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(from, to);
    const QPointF d = to - from;
    const qreal length = std::hypot(d.x(), d.y());
    const QPointF u = d / length, n(-u.y(), u.x());
    p.setBrush(colour);
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF({to + u * 2.5, to - u * 2 + n * 3, to - u * 2 - n * 3}));
}

// A PROM chip with its legs.
void chip(QPainter& p, qreal y) {
    p.setPen(QPen(kInk, 1));
    for (qreal x = 5; x <= 13; x += 2.6) {
        p.drawLine(QPointF(x, y - 1.5), QPointF(x, y));
        p.drawLine(QPointF(x, y + 6), QPointF(x, y + 7.5));
    }
    p.setBrush(QColor(60, 64, 72));
    p.drawRoundedRect(QRectF(3, y, 12, 6), 1, 1);
    p.setBrush(kYellow);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(5.5, y + 1.8), 0.9, 0.9);
}

void drawCommand(CommandId id, QPainter& p) {
    switch (id) {
        case CommandId::New:
            sheet(p);
            p.setPen(QPen(kGreen, 2));
            p.drawLine(QPointF(9, 8), QPointF(9, 14));
            p.drawLine(QPointF(6, 11), QPointF(12, 11));
            break;
        case CommandId::Open: {
            p.setPen(QPen(kInk, 1));
            p.setBrush(kYellow.darker(115));
            p.drawRect(QRectF(1.5, 4.5, 13, 10));
            p.drawRect(QRectF(1.5, 3, 5, 1.5));
            p.setBrush(kYellow);
            p.drawPolygon(QPolygonF({{1.5, 14.5}, {4.5, 7.5}, {17, 7.5}, {14.5, 14.5}}));
            break;
        }
        case CommandId::Save:
            p.setPen(QPen(kInk, 1));
            p.setBrush(kBlue);
            p.drawRoundedRect(QRectF(2.5, 2.5, 13, 13), 1.5, 1.5);
            p.setBrush(kPaper);
            p.drawRect(QRectF(5, 2.5, 8, 5));
            p.setBrush(QColor(200, 205, 215));
            p.drawRect(QRectF(5.5, 10.5, 7, 5));
            break;
        case CommandId::Print:
            p.setPen(QPen(kInk, 1));
            p.setBrush(kPaper);
            p.drawRect(QRectF(5.5, 1.5, 7, 6));
            p.setBrush(QColor(150, 156, 168));
            p.drawRoundedRect(QRectF(1.5, 6.5, 15, 7), 1.5, 1.5);
            p.setBrush(kPaper);
            p.drawRect(QRectF(5.5, 11.5, 7, 5));
            p.setBrush(kGreen);
            p.setPen(Qt::NoPen);
            p.drawEllipse(QPointF(14, 9), 0.9, 0.9);
            break;
        case CommandId::PreviousPage:
            arrow(p, {15, 9}, {4, 9}, kBlue);
            break;
        case CommandId::NextPage:
            arrow(p, {3, 9}, {14, 9}, kBlue);
            break;
        case CommandId::ReadProm:
            chip(p, 2.5);
            arrow(p, {9, 10.5}, {9, 15}, kGreen);
            break;
        case CommandId::WriteProm:
            chip(p, 9);
            arrow(p, {9, 1.5}, {9, 6}, kRed);
            break;
        case CommandId::Disconnect:
            p.setPen(QPen(kInk, 1.6, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(1.5, 13), QPointF(5, 9.5));
            p.drawLine(QPointF(16.5, 5), QPointF(13, 8.5));
            p.setBrush(QColor(150, 156, 168));
            p.drawRoundedRect(QRectF(4.5, 6, 4, 5), 1, 1);
            p.drawRoundedRect(QRectF(9.5, 7, 4, 5), 1, 1);
            p.setPen(QPen(kRed, 1.6, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(8, 1.5), QPointF(10, 4));
            p.drawLine(QPointF(8, 16.5), QPointF(10, 14));
            break;
        default:
            break;
    }
}

}  // namespace

QIcon commandIcon(CommandId id) {
    switch (id) {
        case CommandId::New:
        case CommandId::Open:
        case CommandId::Save:
        case CommandId::Print:
        case CommandId::PreviousPage:
        case CommandId::NextPage:
        case CommandId::ReadProm:
        case CommandId::WriteProm:
        case CommandId::Disconnect:
            return QIcon(paint(18, [id](QPainter& p) { drawCommand(id, p); }));
        default:
            return {};
    }
}

// A panel front: a keypad beside a display, on a warp-and-weft tile.
QPixmap programPicture(int size) {
    return paint(size, [](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(36, 70, 120));
        p.drawRoundedRect(QRectF(0.5, 0.5, 17, 17), 3, 3);
        p.setPen(QPen(QColor(255, 255, 255, 40), 0.8));
        for (qreal x = 3; x < 17; x += 3)
            p.drawLine(QPointF(x, 1), QPointF(x, 17));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(190, 230, 200));
        p.drawRoundedRect(QRectF(3, 3, 12, 4), 1, 1);
        p.setBrush(kPaper);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                p.drawRoundedRect(QRectF(3.5 + c * 4, 8.5 + r * 3, 3, 2), 0.5, 0.5);
    });
}

}  // namespace loom
