#include "mainwnd/KryIcon.h"

#include <QPainter>
#include <QPixmap>

namespace vexel {

namespace {

// A stack of three boxes shrinking upwards, the smallest one marked: the program keeps
// the smallest archive. Drawn rather than loaded so that it needs no resource file.
QPixmap drawIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, size > 16);
    const double unit = size / 16.0;
    const QColor boxes[] = {QColor(0x2b, 0x57, 0x9a), QColor(0x3f, 0x7f, 0xc8),
                            QColor(0xe8, 0x8b, 0x1a)};
    const QRectF rects[] = {QRectF(1, 10, 14, 5), QRectF(3, 5, 10, 5), QRectF(5, 1, 6, 4)};
    for (int i = 0; i < 3; ++i) {
        const QRectF r(rects[i].x() * unit, rects[i].y() * unit, rects[i].width() * unit,
                       rects[i].height() * unit);
        painter.fillRect(r, boxes[i]);
        painter.setPen(QPen(Qt::black, std::max(1.0, unit * 0.5)));
        painter.drawRect(r.adjusted(0, 0, -1, -1));
    }
    return pixmap;
}

} // namespace

QIcon kryIcon()
{
    QIcon icon;
    icon.addPixmap(drawIcon(16));
    icon.addPixmap(drawIcon(32));
    return icon;
}

} // namespace vexel
