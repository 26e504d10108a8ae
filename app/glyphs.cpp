#include "app/glyphs.h"

#include <QPainter>
#include <QPainterPath>

namespace orvel {

namespace {

const QColor kInk(64, 64, 64);
const QColor kOutline(235, 235, 235);

// Draws `path` as a dark stroke with a light rim, so the glyph reads on any button face.
void StrokeWithRim(QPainter& p, const QPainterPath& path, qreal width) {
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kOutline, width + 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.setPen(QPen(kInk, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
}

}  // namespace

QPixmap UsbPlugGlyph(bool open) {
    QPixmap pixmap(kGlyphPx, kGlyphPx);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);

    // The plug stands upright in the left part: metal shell, grip, cable.
    QPainterPath plug;
    plug.addRect(QRectF(10.5, 3.5, 17, 14));               // shell
    plug.addRoundedRect(QRectF(7.5, 17.5, 23, 19), 3, 3);  // grip
    plug.addRect(QRectF(16.5, 36.5, 5, 11));               // cable
    p.setPen(QPen(kOutline, 3));
    p.setBrush(kInk);
    p.drawPath(plug);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawPath(plug);

    // The two contact windows of the shell and the USB trident on the grip.
    p.setBrush(kOutline);
    p.drawRect(QRectF(13, 7, 4, 4));
    p.drawRect(QRectF(21, 7, 4, 4));
    QPainterPath trident;
    trident.moveTo(19, 33);
    trident.lineTo(19, 21);
    trident.moveTo(19, 28);
    trident.lineTo(14, 25);
    trident.moveTo(19, 29);
    trident.lineTo(24, 25);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kOutline, 1.5, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(trident);

    // The mark sits bottom right, clear of the plug.
    QPainterPath mark;
    if (open) {
        mark.moveTo(31, 37);
        mark.lineTo(37, 44);
        mark.lineTo(47, 29);
    } else {
        mark.moveTo(33, 30);
        mark.lineTo(46, 43);
        mark.moveTo(46, 30);
        mark.lineTo(33, 43);
    }
    StrokeWithRim(p, mark, 5);
    p.end();
    return pixmap;
}

}  // namespace orvel
