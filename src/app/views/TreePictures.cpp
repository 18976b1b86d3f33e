#include "views/TreePictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <array>

#include "document/PageStates.h"

namespace loom {
namespace {

const QColor kOutline(70, 70, 70);
const QColor kFolder(232, 190, 80);
const QColor kFolderDark(196, 150, 50);
const QColor kSheet(255, 255, 255);
const QColor kShown(40, 100, 200);
const QColor kDiffers(210, 40, 40);

// The control panel of the installation: a cabinet with a display and keys.
void drawRoot(QPainter& p) {
    p.setPen(kOutline);
    p.setBrush(QColor(215, 215, 220));
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 2, 2);
    p.setBrush(QColor(60, 130, 90));
    p.drawRect(QRectF(3.5, 3.5, 9, 3));
    p.setPen(Qt::NoPen);
    p.setBrush(kOutline);
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 3; ++col)
            p.drawRect(QRectF(4 + col * 3, 9 + row * 2.5, 2, 1.5));
}

void drawFolder(QPainter& p, bool open) {
    p.setPen(kOutline);
    p.setBrush(kFolderDark);
    p.drawRect(QRectF(1.5, 3.5, 5, 2));
    p.drawRect(QRectF(1.5, 4.5, 12, 9));
    if (open) {
        QPainterPath front;
        front.moveTo(3.5, 7.5);
        front.lineTo(15.5, 7.5);
        front.lineTo(13.5, 13.5);
        front.lineTo(1.5, 13.5);
        front.closeSubpath();
        p.setBrush(kFolder);
        p.drawPath(front);
    } else {
        p.setBrush(kFolder);
        p.drawRect(QRectF(1.5, 6.5, 12, 7));
    }
}

// A sheet with a folded corner and lines of text; `ink` for the lines.
void drawSheet(QPainter& p, const QColor& edge, const QColor& paper, const QColor& ink,
               Qt::PenStyle style = Qt::SolidLine) {
    QPainterPath sheet;
    sheet.moveTo(3.5, 1.5);
    sheet.lineTo(9.5, 1.5);
    sheet.lineTo(12.5, 4.5);
    sheet.lineTo(12.5, 14.5);
    sheet.lineTo(3.5, 14.5);
    sheet.closeSubpath();
    p.setPen(QPen(edge, 1, style));
    p.setBrush(paper);
    p.drawPath(sheet);
    p.drawLine(QPointF(9.5, 1.5), QPointF(9.5, 4.5));
    p.drawLine(QPointF(9.5, 4.5), QPointF(12.5, 4.5));
    p.setPen(ink);
    for (double y : {6.5, 8.5, 10.5, 12.5})
        p.drawLine(QPointF(5, y), QPointF(11, y));
}

// The page shown: a pointer at the sheet's left.
void drawShownMark(QPainter& p) {
    QPainterPath arrow;
    arrow.moveTo(0, 5);
    arrow.lineTo(4, 8.5);
    arrow.lineTo(0, 12);
    arrow.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kShown);
    p.drawPath(arrow);
}

// The file and the panel disagree: a red badge at the lower right.
void drawDiffersMark(QPainter& p) {
    p.setPen(Qt::white);
    p.setBrush(kDiffers);
    p.drawEllipse(QRectF(8.5, 8.5, 7, 7));
    p.setPen(QPen(Qt::white, 1.4));
    p.drawLine(QPointF(12, 10), QPointF(12, 12.6));
    p.drawPoint(QPointF(12, 14));
}

QPixmap draw(int index) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(150, 150, 150);
    switch (index) {
        case PageStates::kRoot:
            drawRoot(p);
            break;
        case PageStates::kGroupCollapsed:
        case PageStates::kGroupExpanded:
            drawFolder(p, index == PageStates::kGroupExpanded);
            break;
        case PageStates::kPageSelected:
        case PageStates::kPageDiffersSelected:
            drawSheet(p, kShown, QColor(225, 236, 252), kShown);
            drawShownMark(p);
            break;
        case PageStates::kPageUnavailable:
            drawSheet(p, QColor(160, 160, 160), QColor(238, 238, 238), QColor(215, 215, 215),
                      Qt::DotLine);
            break;
        default:
            drawSheet(p, kOutline, kSheet, ink);
            break;
    }
    if (index == PageStates::kPageDiffers || index == PageStates::kPageDiffersSelected) {
        drawDiffersMark(p);
    }
    return pixmap;
}

}  // namespace

const QIcon& treePicture(int index) {
    static const std::array<QIcon, 8> pictures = [] {
        std::array<QIcon, 8> made;
        for (int i = 0; i < 8; ++i) {
            const QPixmap pixmap = draw(i);
            // The same picture selected: the tree's highlight must not tint the marks.
            made[static_cast<std::size_t>(i)].addPixmap(pixmap, QIcon::Normal);
            made[static_cast<std::size_t>(i)].addPixmap(pixmap, QIcon::Selected);
        }
        return made;
    }();
    return pictures[static_cast<std::size_t>(index < 0 || index > 7 ? 3 : index)];
}

}  // namespace loom
