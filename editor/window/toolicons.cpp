#include "editor/window/toolicons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// Draws picture on a 16 by 16 grid; the painter is already scaled to the pixmap's size.
void draw(QPainter& p, ToolPicture picture) {
    const QColor ink(40, 40, 40);
    const QColor paper(250, 250, 250);
    const QColor accent(30, 90, 170);
    p.setPen(QPen(ink, 1.0));
    switch (picture) {
    case ToolPicture::New: {
        QPainterPath page;
        page.moveTo(3.5, 1.5);
        page.lineTo(9.5, 1.5);
        page.lineTo(12.5, 4.5);
        page.lineTo(12.5, 14.5);
        page.lineTo(3.5, 14.5);
        page.closeSubpath();
        p.setBrush(paper);
        p.drawPath(page);
        p.drawLine(QPointF(9.5, 1.5), QPointF(9.5, 4.5));
        p.drawLine(QPointF(9.5, 4.5), QPointF(12.5, 4.5));
        p.setPen(QPen(accent, 1.5));
        p.drawLine(QPointF(11.5, 10), QPointF(15.5, 10));
        p.drawLine(QPointF(13.5, 8), QPointF(13.5, 12));
        break;
    }
    case ToolPicture::Open:
        p.setBrush(QColor(230, 190, 90));
        p.drawRect(QRectF(1.5, 4.5, 13, 9));
        p.drawRect(QRectF(1.5, 2.5, 5, 2));
        p.setBrush(QColor(245, 215, 130));
        p.drawPolygon(QPolygonF({QPointF(3.5, 7.5), QPointF(15.5, 7.5), QPointF(13.5, 13.5), QPointF(1.5, 13.5)}));
        break;
    case ToolPicture::Save:
        p.setBrush(accent);
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(paper);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.drawRect(QRectF(3.5, 9.5, 9, 5));
        break;
    case ToolPicture::Config:
        p.setPen(QPen(ink, 2.0));
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(8, 8);
            p.rotate(45.0 * i);
            p.drawLine(QPointF(0, 4.5), QPointF(0, 7));
            p.restore();
        }
        p.setPen(QPen(ink, 1.0));
        p.setBrush(QColor(170, 170, 170));
        p.drawEllipse(QPointF(8, 8), 4.5, 4.5);
        p.setBrush(paper);
        p.drawEllipse(QPointF(8, 8), 1.8, 1.8);
        break;
    case ToolPicture::Cut:
        p.setPen(QPen(ink, 1.3));
        p.drawLine(QPointF(5, 1.5), QPointF(10.5, 10));
        p.drawLine(QPointF(11, 1.5), QPointF(5.5, 10));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(accent, 1.5));
        p.drawEllipse(QPointF(4.5, 12.5), 2.3, 2.3);
        p.drawEllipse(QPointF(11.5, 12.5), 2.3, 2.3);
        break;
    case ToolPicture::Copy:
        p.setBrush(paper);
        p.drawRect(QRectF(1.5, 1.5, 8, 10));
        p.drawRect(QRectF(6.5, 4.5, 8, 10));
        p.setPen(QPen(accent, 1.0));
        for (double y = 7.5; y < 13; y += 2) p.drawLine(QPointF(8.5, y), QPointF(12.5, y));
        break;
    case ToolPicture::Paste:
        p.setBrush(QColor(190, 140, 80));
        p.drawRect(QRectF(2.5, 2.5, 11, 12.5));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(5.5, 1.5, 5, 3));
        p.setBrush(paper);
        p.drawRect(QRectF(4.5, 5.5, 7, 8));
        break;
    case ToolPicture::View:
        p.setBrush(paper);
        p.drawEllipse(QRectF(0.5, 3.5, 15, 9));
        p.setBrush(accent);
        p.drawEllipse(QPointF(8, 8), 3, 3);
        p.setBrush(ink);
        p.drawEllipse(QPointF(8, 8), 1.2, 1.2);
        break;
    }
}

QPixmap drawn(ToolPicture picture, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 16.0, size / 16.0);
    draw(painter, picture);
    return pixmap;
}

}  // namespace

QIcon DrawnToolIcon(ToolPicture picture) {
    QIcon icon;
    for (int size : {16, 24, 32, 48}) icon.addPixmap(drawn(picture, size));
    return icon;
}

QIcon ToolIcon(const QString& themeName, ToolPicture picture) {
    if (QIcon::hasThemeIcon(themeName)) return QIcon::fromTheme(themeName);
    return DrawnToolIcon(picture);
}
