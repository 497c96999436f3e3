#include "panels.h"

#include "palette.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace {

QImage transparentImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QColor withAlpha(QColor color, int alpha)
{
    color.setAlpha(alpha);
    return color;
}

} // namespace

void paintAnglePanel(QPainter &p, const QRectF &box)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(box.topLeft());
    p.scale(box.width() / 471.0, box.height() / 71.0);
    const QRectF frame(1, 1, 469, 69);

    QLinearGradient fill(0, 0, 0, 71);
    fill.setColorAt(0.0, QColor(0x26, 0x2D, 0x38, 235));
    fill.setColorAt(1.0, QColor(0x14, 0x18, 0x1F, 235));
    p.setPen(QPen(withAlpha(Palette::accent(), 90), 1));
    p.setBrush(fill);
    p.drawRoundedRect(frame, 6, 6);

    // Accent edge along the bottom, fading out towards both ends.
    QLinearGradient edge(0, 0, 471, 0);
    edge.setColorAt(0.0, withAlpha(Palette::accent(), 0));
    edge.setColorAt(0.2, withAlpha(Palette::accent(), 230));
    edge.setColorAt(0.8, withAlpha(Palette::accent(), 230));
    edge.setColorAt(1.0, withAlpha(Palette::accent(), 0));
    p.setPen(Qt::NoPen);
    p.setBrush(edge);
    p.drawRect(QRectF(8, 67.5, 455, 1.5));

    // Faint light along the top edge.
    p.setBrush(QColor(255, 255, 255, 22));
    p.drawRect(QRectF(6, 2, 459, 1));
    p.restore();
}

QImage renderAnglePanel(int scale)
{
    QImage image = transparentImage(471 * scale, 71 * scale);
    QPainter painter(&image);
    paintAnglePanel(painter, QRectF(0, 0, image.width(), image.height()));
    return image;
}

void paintCellFrame(QPainter &p, const QRectF &box)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(box.topLeft());
    p.scale(box.width() / 170.0, box.height() / 60.0);
    QLinearGradient fill(0, 0, 0, 60);
    fill.setColorAt(0.0, QColor(255, 255, 255, 10));
    fill.setColorAt(1.0, QColor(0, 0, 0, 40));
    p.setPen(QPen(QColor(0x3B, 0x42, 0x4E), 1));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(0.5, 0.5, 169, 59), 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(withAlpha(Palette::accent(), 200));
    p.drawRect(QRectF(0.5, 14, 2, 32));
    p.restore();
}

QImage renderCellFrame(int scale)
{
    QImage image = transparentImage(170 * scale, 60 * scale);
    QPainter painter(&image);
    paintCellFrame(painter, QRectF(0, 0, image.width(), image.height()));
    return image;
}

void paintGaugeEmblem(QPainter &p, const QRectF &box)
{
    const qreal side = qMin(box.width(), box.height());
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(box.center());
    p.scale(side / 100.0, side / 100.0);

    QRadialGradient face(QPointF(0, -10), 52);
    face.setColorAt(0.0, QColor(0x2A, 0x30, 0x3A));
    face.setColorAt(1.0, Palette::panel());
    p.setPen(QPen(withAlpha(Palette::accent(), 140), 2));
    p.setBrush(face);
    p.drawEllipse(QPointF(0, 0), 47, 47);

    const QRectF dial(-34, -34, 68, 68);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Palette::track(), 7, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(dial, -45 * 16, 270 * 16);
    p.setPen(QPen(Palette::accent(), 7, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(dial, 90 * 16, 135 * 16);

    p.setPen(QPen(QColor(0xCB, 0xCB, 0xCB), 2, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i <= 6; ++i) {
        const qreal angle = qDegreesToRadians(225.0 - i * 45.0);
        const QPointF dir(qCos(angle), -qSin(angle));
        p.drawLine(dir * 22, dir * 27);
    }
    const qreal needle = qDegreesToRadians(112.0);
    p.setPen(QPen(Palette::red(), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(0, 0), QPointF(qCos(needle), -qSin(needle)) * 30);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xE8, 0xEA, 0xEE));
    p.drawEllipse(QPointF(0, 0), 6, 6);
    p.restore();
}

QImage renderGaugeEmblem(int size)
{
    QImage image = transparentImage(size, size);
    QPainter painter(&image);
    paintGaugeEmblem(painter, QRectF(0, 0, size, size));
    return image;
}

QImage renderPressedButton(int width, int height, qreal radius, int scale)
{
    QImage image = transparentImage(width * scale, height * scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    const QRectF frame(0.5, 0.5, width - 1, height - 1);
    const qreal r = qMin(radius, frame.height() / 2);

    QLinearGradient fill(0, 0, 0, height);
    fill.setColorAt(0.0, QColor(0xF0, 0x45, 0x3E));
    fill.setColorAt(0.5, Palette::red());
    fill.setColorAt(1.0, QColor(0xA8, 0x12, 0x0D));
    p.setPen(QPen(QColor(0x6E, 0x0B, 0x08), 1));
    p.setBrush(fill);
    p.drawRoundedRect(frame, r, r);

    // Inner shadow at the top: the button looks pushed in.
    QLinearGradient shade(0, 0, 0, height * 0.45);
    shade.setColorAt(0.0, QColor(0, 0, 0, 70));
    shade.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawRoundedRect(frame.adjusted(1, 1, -1, -1), r - 1, r - 1);
    return image;
}

QImage renderComboArrow(int scale)
{
    QImage image = transparentImage(12 * scale, 8 * scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    p.setPen(QPen(Palette::greyText(), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPointF chevron[] = {{1.5, 1.5}, {6, 6.5}, {10.5, 1.5}};
    p.drawPolyline(chevron, 3);
    return image;
}

QImage renderTransferButton(TransferArrow arrow)
{
    QImage image = transparentImage(109, 29);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor color = Palette::greyText();
    const QPen pen(color, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);

    // Tray.
    QPainterPath tray;
    tray.moveTo(10, 16);
    tray.lineTo(10, 22);
    tray.lineTo(26, 22);
    tray.lineTo(26, 16);
    p.drawPath(tray);

    // Arrow out of the tray (read from the base) or into it (store in the base).
    const bool up = arrow == TransferArrow::Up;
    const qreal tip = up ? 5 : 18;
    const qreal tail = up ? 18 : 5;
    const qreal wing = up ? 4.5 : -4.5;
    p.drawLine(QPointF(18, tail), QPointF(18, tip));
    p.drawLine(QPointF(18, tip), QPointF(18 - 4.5, tip + wing));
    p.drawLine(QPointF(18, tip), QPointF(18 + 4.5, tip + wing));
    return image;
}
