#include "icons.h"

#include "palette.h"

#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>
#include <QtMath>

namespace {

QImage transparentImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QPen iconPen(const QColor &color, qreal width)
{
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// Icon steps draw into a 48 x 48 box at the origin.
void paintSlidersIcon(QPainter &p, const QColor &color)
{
    static const qreal rows[] = {12, 24, 36};
    static const qreal knobs[] = {31, 15, 35};
    p.setPen(iconPen(color, 3));
    for (int i = 0; i < 3; ++i)
        p.drawLine(QPointF(6, rows[i]), QPointF(42, rows[i]));
    p.setBrush(color);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i)
        p.drawEllipse(QPointF(knobs[i], rows[i]), 5, 5);
}

void paintGaugeIcon(QPainter &p, const QColor &color)
{
    const QPointF centre(24, 28);
    const QRectF dial(centre.x() - 19, centre.y() - 19, 38, 38);
    p.setPen(iconPen(color, 3));
    p.setBrush(Qt::NoBrush);
    p.drawArc(dial, -30 * 16, 240 * 16);
    p.setPen(iconPen(color, 2));
    for (int i = 0; i <= 4; ++i) {
        const qreal angle = qDegreesToRadians(210.0 - i * 60.0);
        const QPointF dir(qCos(angle), -qSin(angle));
        p.drawLine(centre + dir * 12, centre + dir * 15);
    }
    const qreal needle = qDegreesToRadians(55.0);
    p.setPen(iconPen(color, 3));
    p.drawLine(centre, centre + QPointF(qCos(needle), -qSin(needle)) * 13);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(centre, 3.5, 3.5);
}

void paintStatusIcon(QPainter &p, const QColor &color)
{
    p.setPen(iconPen(color, 3));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(5, 7, 38, 27), 4, 4);
    p.drawLine(QPointF(24, 34), QPointF(24, 40));
    p.drawLine(QPointF(15, 41), QPointF(33, 41));
    static const QPointF pulse[] = {{10, 21}, {17, 21}, {20, 14}, {25, 28},
                                    {29, 17}, {32, 21}, {38, 21}};
    p.setPen(iconPen(color, 2.4));
    p.drawPolyline(pulse, int(sizeof(pulse) / sizeof(pulse[0])));
}

void paintTabBackground(QPainter &p, bool active)
{
    if (active) {
        QLinearGradient fill(0, 0, 0, kTabHeight);
        fill.setColorAt(0.0, QColor(0x2C, 0x33, 0x3E));
        fill.setColorAt(1.0, QColor(0x24, 0x28, 0x2F));
        p.fillRect(QRectF(0, 0, kTabWidth, kTabHeight), fill);
        p.fillRect(QRectF(0, 0, 3, kTabHeight), Palette::accent());
    }
    p.fillRect(QRectF(8, kTabHeight - 1, kTabWidth - 16, 1), QColor(255, 255, 255, 18));
}

void paintTabSymbol(QPainter &p, TabIcon icon, bool active)
{
    const QColor color = active ? Palette::accent() : QColor(0x8A, 0x8F, 0x96);
    p.save();
    p.translate((kTabWidth - 48) / 2.0, 12);
    switch (icon) {
    case TabIcon::Settings:
        paintSlidersIcon(p, color);
        break;
    case TabIcon::Calibration:
        paintGaugeIcon(p, color);
        break;
    case TabIcon::State:
        paintStatusIcon(p, color);
        break;
    }
    p.restore();
}

void paintCross(QPainter &p, const QPointF &centre, qreal half, const QPen &pen)
{
    p.setPen(pen);
    p.drawLine(centre + QPointF(-half, -half), centre + QPointF(half, half));
    p.drawLine(centre + QPointF(half, -half), centre + QPointF(-half, half));
}

} // namespace

void paintTab(QPainter &painter, const QRectF &box, TabIcon icon, bool active)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(box.topLeft());
    painter.scale(box.width() / kTabWidth, box.height() / kTabHeight);
    paintTabBackground(painter, active);
    paintTabSymbol(painter, icon, active);
    painter.restore();
}

QImage renderTab(TabIcon icon, bool active, int scale)
{
    QImage image = transparentImage(kTabWidth * scale, kTabHeight * scale);
    QPainter painter(&image);
    paintTab(painter, QRectF(0, 0, image.width(), image.height()), icon, active);
    return image;
}

void paintMinimise(QPainter &painter, const QRectF &box)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(box.topLeft());
    painter.scale(box.width() / 21.0, box.height() / 16.0);
    painter.setPen(iconPen(QColor(0xC9, 0xCD, 0xD3), 1.8));
    painter.drawLine(QPointF(6, 8.5), QPointF(15, 8.5));
    painter.restore();
}

void paintClose(QPainter &painter, const QRectF &box)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(box.topLeft());
    painter.scale(box.width() / 21.0, box.height() / 16.0);
    paintCross(painter, QPointF(10.5, 8), 4.2, iconPen(QColor(0xC9, 0xCD, 0xD3), 1.8));
    painter.restore();
}

QImage renderMinimise(int scale)
{
    QImage image = transparentImage(21 * scale, 16 * scale);
    QPainter painter(&image);
    paintMinimise(painter, QRectF(0, 0, image.width(), image.height()));
    return image;
}

QImage renderClose(int scale)
{
    QImage image = transparentImage(21 * scale, 16 * scale);
    QPainter painter(&image);
    paintClose(painter, QRectF(0, 0, image.width(), image.height()));
    return image;
}

QImage renderHelpClose(int scale)
{
    QImage image = transparentImage(21 * scale, 21 * scale);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    painter.setPen(QPen(QColor(255, 255, 255, 150), 1.2));
    painter.setBrush(QColor(0, 0, 0, 40));
    painter.drawEllipse(QPointF(10.5, 10.5), 9.6, 9.6);
    paintCross(painter, QPointF(10.5, 10.5), 4.3, iconPen(Qt::white, 2.0));
    return image;
}

QImage renderSaveDisk(int size)
{
    QImage image = transparentImage(size, size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);

    QPainterPath body;
    body.moveTo(4, 2);
    body.lineTo(24, 2);
    body.lineTo(30, 8);
    body.lineTo(30, 28);
    body.quadTo(30, 30, 28, 30);
    body.lineTo(4, 30);
    body.quadTo(2, 30, 2, 28);
    body.lineTo(2, 4);
    body.quadTo(2, 2, 4, 2);
    QLinearGradient metal(0, 2, 0, 30);
    metal.setColorAt(0.0, QColor(0xD4, 0xD8, 0xDE));
    metal.setColorAt(1.0, QColor(0x98, 0x9E, 0xA8));
    p.setPen(QPen(QColor(0x24, 0x27, 0x2C), 1.2));
    p.setBrush(metal);
    p.drawPath(body);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x34, 0x38, 0x40));
    p.drawRect(QRectF(8, 2.6, 14, 9));
    p.setBrush(QColor(0xD4, 0xD8, 0xDE));
    p.drawRect(QRectF(17, 4, 3.2, 6));

    p.setBrush(QColor(0xF2, 0xF4, 0xF6));
    p.drawRoundedRect(QRectF(6, 16, 20, 12), 1.2, 1.2);
    p.setBrush(Palette::accent());
    p.drawRect(QRectF(8.5, 19.5, 15, 1.8));
    p.drawRect(QRectF(8.5, 23.5, 10, 1.8));
    return image;
}

QByteArray applicationIconSvg()
{
    // A steering wheel: accent rim with a red top marker, three spokes and a hub, on the
    // page gradient in a rounded square.
    return QByteArrayLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
        "viewBox=\"0 0 256 256\">\n"
        "  <defs>\n"
        "    <linearGradient id=\"page\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">\n"
        "      <stop offset=\"0\" stop-color=\"#283345\"/>\n"
        "      <stop offset=\"0.5\" stop-color=\"#151c26\"/>\n"
        "      <stop offset=\"1\" stop-color=\"#020407\"/>\n"
        "    </linearGradient>\n"
        "    <linearGradient id=\"rim\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">\n"
        "      <stop offset=\"0\" stop-color=\"#8fe3fa\"/>\n"
        "      <stop offset=\"0.45\" stop-color=\"#2ebde7\"/>\n"
        "      <stop offset=\"1\" stop-color=\"#17789a\"/>\n"
        "    </linearGradient>\n"
        "  </defs>\n"
        "  <rect x=\"8\" y=\"8\" width=\"240\" height=\"240\" rx=\"48\" ry=\"48\" "
        "fill=\"url(#page)\" stroke=\"#2ebde7\" stroke-opacity=\"0.45\" stroke-width=\"3\"/>\n"
        "  <circle cx=\"128\" cy=\"132\" r=\"80\" fill=\"none\" stroke=\"url(#rim)\" "
        "stroke-width=\"22\"/>\n"
        "  <path d=\"M 54 134 L 202 134 M 128 134 L 128 206\" fill=\"none\" "
        "stroke=\"#2ebde7\" stroke-width=\"18\" stroke-linecap=\"round\"/>\n"
        "  <circle cx=\"128\" cy=\"134\" r=\"27\" fill=\"#151c26\" stroke=\"#2ebde7\" "
        "stroke-width=\"8\"/>\n"
        "  <circle cx=\"128\" cy=\"134\" r=\"9\" fill=\"#2ebde7\"/>\n"
        "  <rect x=\"120\" y=\"41\" width=\"16\" height=\"22\" rx=\"2\" ry=\"2\" "
        "fill=\"#e31e18\"/>\n"
        "</svg>\n");
}

QImage renderApplicationIcon(int size)
{
    QImage image = transparentImage(size, size);
    QSvgRenderer renderer(applicationIconSvg());
    if (!renderer.isValid())
        return QImage();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, size, size));
    return image;
}
