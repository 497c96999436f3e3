#include "lamps.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

LampColors lampColors(LampKind kind)
{
    switch (kind) {
    case LampKind::GrayThree:
        return {QColor(0x8A, 0x8F, 0x97), QColor(0x55, 0x59, 0x60), QColor(0x22, 0x24, 0x28),
                false};
    case LampKind::GrayG:
        return {QColor(0x6E, 0x78, 0x72), QColor(0x3E, 0x45, 0x42), QColor(0x18, 0x1C, 0x1B),
                false};
    case LampKind::BlueThree:
        return {QColor(0x8F, 0xE6, 0xFF), QColor(0x1F, 0x9F, 0xC8), QColor(0x07, 0x3A, 0x4E), true};
    case LampKind::Green:
        return {QColor(0xA8, 0xFF, 0x9E), QColor(0x2D, 0xB8, 0x3A), QColor(0x0A, 0x45, 0x12), true};
    case LampKind::Red:
        return {QColor(0xFF, 0xA0, 0x90), QColor(0xE3, 0x1E, 0x18), QColor(0x55, 0x08, 0x06), true};
    case LampKind::GreenThree:
        return {QColor(0xC4, 0xFF, 0xB8), QColor(0x3C, 0xD0, 0x48), QColor(0x0C, 0x52, 0x16), true};
    case LampKind::RedThree:
        return {QColor(0xFF, 0xB4, 0xA6), QColor(0xF0, 0x2C, 0x24), QColor(0x60, 0x0A, 0x08), true};
    }
    return {};
}

namespace {

// All steps work in a 100 x 100 box centred on the origin.
void paintBezel(QPainter &p)
{
    QLinearGradient metal(0, -48, 0, 48);
    metal.setColorAt(0.0, QColor(0x7A, 0x80, 0x8A));
    metal.setColorAt(0.5, QColor(0x3A, 0x3E, 0x45));
    metal.setColorAt(1.0, QColor(0x16, 0x18, 0x1B));
    p.setPen(Qt::NoPen);
    p.setBrush(metal);
    p.drawEllipse(QPointF(0, 0), 48, 48);

    QLinearGradient recess(0, -43, 0, 43);
    recess.setColorAt(0.0, QColor(0x0C, 0x0D, 0x0F));
    recess.setColorAt(1.0, QColor(0x2A, 0x2D, 0x32));
    p.setBrush(recess);
    p.drawEllipse(QPointF(0, 0), 43, 43);
}

void paintBody(QPainter &p, const LampColors &c)
{
    QRadialGradient glow(QPointF(0, 0), 40, QPointF(0, -8));
    glow.setColorAt(0.0, c.core);
    glow.setColorAt(0.55, c.body);
    glow.setColorAt(1.0, c.rim);
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QPointF(0, 0), 40, 40);

    // Light scattered back from the bottom of the dome.
    QRadialGradient bounce(QPointF(0, 30), 26);
    QColor bounceColor = c.core;
    bounceColor.setAlpha(c.lit ? 110 : 50);
    bounce.setColorAt(0.0, bounceColor);
    bounce.setColorAt(1.0, Qt::transparent);
    p.setBrush(bounce);
    p.drawEllipse(QPointF(0, 0), 40, 40);
}

void paintGloss(QPainter &p, bool lit)
{
    QLinearGradient shine(0, -37, 0, -2);
    shine.setColorAt(0.0, QColor(255, 255, 255, lit ? 190 : 140));
    shine.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shine);
    p.drawEllipse(QRectF(-27, -37, 54, 36));
}

void paintHalo(QPainter &p, const LampColors &c)
{
    if (!c.lit)
        return;
    QColor edge = c.core;
    edge.setAlpha(120);
    p.setPen(QPen(edge, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(0, 0), 41.5, 41.5);
}

} // namespace

void paintLamp(QPainter &painter, const QRectF &box, LampKind kind)
{
    const LampColors colors = lampColors(kind);
    const qreal side = qMin(box.width(), box.height());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(box.center());
    painter.scale(side / 100.0, side / 100.0);
    paintBezel(painter);
    paintBody(painter, colors);
    paintHalo(painter, colors);
    paintGloss(painter, colors.lit);
    painter.restore();
}

QImage renderLamp(LampKind kind, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paintLamp(painter, QRectF(0, 0, size, size), kind);
    painter.end();
    return image;
}
