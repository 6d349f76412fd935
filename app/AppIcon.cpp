#include "AppIcon.h"

#include <QPainter>
#include <QPainterPath>

QImage DrawAppIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);  // drawn on a 64-unit square
    QPainterPath tile;
    tile.addRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    p.fillPath(tile, QColor(0x1F, 0x3A, 0x5F));
    static const QColor kStones[9] = {
        QColor(0xE6, 0x39, 0x46), QColor(0xF4, 0xA2, 0x61), QColor(0xE9, 0xC4, 0x6A),
        QColor(0x2A, 0x9D, 0x8F), QColor(0xF1, 0xFA, 0xEE), QColor(0x8E, 0xCA, 0xE6),
        QColor(0x45, 0x7B, 0x9D), QColor(0xA8, 0xDA, 0xDC), QColor(0xE7, 0x6F, 0x51),
    };
    // Three rows of stones with narrow joints; small icons get wider joints to stay clear.
    const double joint = size <= 24 ? 5.0 : 3.5, stone = (52.0 - 2 * joint) / 3;
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) {
            const QRectF r(6 + col * (stone + joint), 6 + row * (stone + joint), stone, stone);
            QPainterPath s;
            s.addRoundedRect(r, 2.5, 2.5);
            p.fillPath(s, kStones[row * 3 + col]);
        }
    p.end();
    return image;
}

QIcon AppIcon() {
    QIcon icon;
    for (int size : kAppIconSizes)
        if (size <= 256) icon.addPixmap(QPixmap::fromImage(DrawAppIcon(size)));
    return QIcon::fromTheme(QString::fromLatin1(kAppId), icon);
}
