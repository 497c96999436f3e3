#include "pagesketch.h"

#include "icons.h"
#include "lamps.h"
#include "palette.h"
#include "panels.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace {

const QColor kLabelBar(0x6F, 0x74, 0x7B);
const QColor kRangeBar(0x4A, 0x4E, 0x55);
const QColor kControlBorder(124, 124, 124);

QFont pixelFont(const QString &family, int pixels, bool bold)
{
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// Text is drawn as rounded bars: the sketch shows where things are, the list says what.
void paintTextBar(QPainter &p, qreal x, qreal centreY, qreal width, const QColor &color,
                  qreal height = 12)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawRoundedRect(QRectF(x, centreY - height / 2, width, height), height / 2, height / 2);
}

void paintHeader(QPainter &p, qreal x, qreal y, qreal width)
{
    paintTextBar(p, x, y + 13, width, Palette::accent(), 22);
}

void paintSlider(QPainter &p, qreal x, qreal centreY, qreal width, qreal fraction)
{
    const qreal handle = x + width * fraction;
    p.setPen(Qt::NoPen);
    p.setBrush(Palette::track());
    p.drawRoundedRect(QRectF(x, centreY - 3, width, 6), 3, 3);
    p.setBrush(Palette::accent());
    p.drawRoundedRect(QRectF(x, centreY - 3, handle - x, 6), 3, 3);
    p.setPen(QPen(QColor(0x8A, 0x8D, 0x92), 2));
    p.setBrush(Palette::track());
    p.drawEllipse(QPointF(handle, centreY), 9, 9);
}

void paintBox(QPainter &p, const QRectF &rect, qreal radius = 4)
{
    p.setPen(QPen(kControlBorder, 2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(rect, radius, radius);
}

void paintValueBox(QPainter &p, qreal x, qreal centreY)
{
    paintBox(p, QRectF(x, centreY - 15, 60, 30));
    paintTextBar(p, x + 14, centreY, 30, kLabelBar, 10);
}

void paintCombo(QPainter &p, const QRectF &rect)
{
    paintBox(p, rect, 8);
    paintTextBar(p, rect.left() + 14, rect.center().y(), rect.width() * 0.45, kLabelBar, 10);
    const QPointF tip(rect.right() - 16, rect.center().y() + 5);
    const QPointF arrow[] = {tip + QPointF(-7, -9), tip, tip + QPointF(7, -9)};
    p.setPen(QPen(kLabelBar, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(arrow, 3);
}

void paintButton(QPainter &p, const QRectF &rect)
{
    paintBox(p, rect, 6);
    paintTextBar(p, rect.left() + rect.width() * 0.3, rect.center().y(), rect.width() * 0.5,
                 kLabelBar, 10);
}

void paintParameterRow(QPainter &p, qreal x, qreal centreY, qreal fraction, qreal rowWidth)
{
    paintTextBar(p, x, centreY, 96, kLabelBar);
    paintTextBar(p, x + 118, centreY, 56, kRangeBar, 10);
    paintSlider(p, x + 196, centreY, 161, fraction);
    paintValueBox(p, x + rowWidth - 66, centreY);
}

void paintSeparator(QPainter &p)
{
    p.fillRect(QRectF(642, 90, 2, 581), QColor(0x3C, 0x3C, 0x3C));
}

void paintChrome(QPainter &p, HelpSketch sketch, const QString &family)
{
    QLinearGradient page(0, 0, 0, kWindowHeight);
    page.setColorAt(0.0, Palette::pageTop());
    page.setColorAt(0.5, Palette::pageMiddle());
    page.setColorAt(1.0, Palette::pageBottom());
    p.fillRect(QRectF(0, 0, kWindowWidth, kWindowHeight), page);
    p.fillRect(QRectF(0, 0, 81, kWindowHeight), Palette::panel());

    paintTab(p, QRectF(0, 0, 82, 101), TabIcon::Settings, sketch == HelpSketch::Settings);
    paintTab(p, QRectF(0, 101, 82, 101), TabIcon::Calibration, sketch == HelpSketch::Calibration);
    paintTab(p, QRectF(0, 202, 82, 101), TabIcon::State, sketch == HelpSketch::State);

    static const qreal lampRows[] = {413, 479, 548};
    for (qreal y : lampRows)
        paintLamp(p, QRectF(15, y, 41, 41), LampKind::GrayThree);
    paintLamp(p, QRectF(15, 610, 41, 41), LampKind::GreenThree);

    p.setPen(Qt::white);
    p.setFont(pixelFont(family, 35, false));
    p.drawText(QRectF(120, 10, 600, 70), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Orvex Manager"));
    p.setPen(QColor(208, 208, 0));
    p.setFont(pixelFont(family, 24, true));
    p.drawText(QRectF(1100, 12, 30, 32), Qt::AlignCenter, QStringLiteral("?"));
    paintMinimise(p, QRectF(1135, 20, 21, 16));
    paintClose(p, QRectF(1160, 20, 21, 16));
}

void paintWheelGauge(QPainter &p)
{
    const QPointF centre(900, 200);
    const qreal radius = 128;
    const QColor scale(253, 253, 253);
    p.setPen(QPen(scale, 3));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius), -45 * 16,
              270 * 16);
    for (int i = 0; i <= 10; ++i) {
        const qreal angle = qDegreesToRadians(225.0 - i * 27.0);
        const QPointF dir(qCos(angle), -qSin(angle));
        p.setPen(QPen(scale, i % 5 == 0 ? 4 : 2));
        p.drawLine(centre + dir * (radius - (i % 5 == 0 ? 22 : 14)), centre + dir * radius);
    }
    const qreal needle = qDegreesToRadians(70.0);
    p.setPen(QPen(Palette::accent(), 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre, centre + QPointF(qCos(needle), -qSin(needle)) * (radius - 30));
    p.setPen(Qt::NoPen);
    p.setBrush(Palette::accent());
    p.drawEllipse(centre, 12, 12);
    paintTextBar(p, centre.x() - 30, centre.y() + 70, 60, QColor(0xE0, 0xE0, 0xE0), 16);
}

void paintSettingsPage(QPainter &p)
{
    paintSeparator(p);

    paintHeader(p, 130, 95, 230);
    static const qreal machine[] = {0.5, 1.0, 0.15, 0.3, 0.45, 0.2};
    for (int i = 0; i < 6; ++i)
        paintParameterRow(p, 130, 155 + i * 40, machine[i], 476);

    paintHeader(p, 130, 398, 170);
    static const qreal game[] = {0.5, 0.75, 0.5, 0.95};
    for (int i = 0; i < 4; ++i)
        paintParameterRow(p, 130, 445 + i * 40, game[i], 474);
    paintTextBar(p, 130, 616, 72, kLabelBar);
    paintCombo(p, QRectF(215, 600, 131, 32));
    paintTextBar(p, 372, 616, 72, kLabelBar);
    paintCombo(p, QRectF(457, 600, 131, 32));

    paintWheelGauge(p);

    paintAnglePanel(p, QRectF(672, 332, 471, 71));
    paintButton(p, QRectF(870, 341, 71, 24));
    paintTextBar(p, 698, 380, 80, kLabelBar);
    paintSlider(p, 800, 380, 220, 900.0 / 1600.0);
    paintValueBox(p, 1060, 380);

    paintHeader(p, 672, 425, 190);
    paintParameterRow(p, 672, 478, 0.5, 478);
    paintParameterRow(p, 672, 518, 1.0, 478);

    static const qreal buttonX[] = {672, 795, 918};
    for (qreal x : buttonX)
        paintButton(p, QRectF(x, 600, 111, 31));
    paintCombo(p, QRectF(1041, 600, 105, 31));
}

void paintAxisGauge(QPainter &p, const QRectF &box, qreal fraction, const QString &title,
                    const QString &family)
{
    const QPointF centre(box.center().x(), box.top() + 105);
    const qreal radius = 78;
    const QRectF dial(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(57, 65, 68), 14, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(dial, -45 * 16, 270 * 16);
    p.setPen(QPen(Palette::accent(), 14, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(dial, 225 * 16, int(-270 * 16 * fraction));

    p.setPen(QPen(QColor(203, 203, 203), 2));
    for (int i = 0; i <= 5; ++i) {
        const qreal angle = qDegreesToRadians(225.0 - i * 54.0);
        const QPointF dir(qCos(angle), -qSin(angle));
        p.drawLine(centre + dir * (radius - 26), centre + dir * (radius - 14));
    }
    const qreal needle = qDegreesToRadians(225.0 - 270.0 * fraction);
    p.setPen(QPen(Palette::red(), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre, centre + QPointF(qCos(needle), -qSin(needle)) * (radius - 22));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xD0, 0xD0, 0xD0));
    p.drawEllipse(centre, 8, 8);

    p.setPen(QColor(0xE6, 0xE9, 0xEE));
    p.setFont(pixelFont(family, 30, true));
    p.drawText(QRectF(box.left(), box.top() + 150, box.width(), 44), Qt::AlignCenter, title);
}

void paintCalibrationPage(QPainter &p, const QString &family)
{
    static const QPointF gauges[] = {{250, 120}, {520, 120}, {800, 120},
                                     {250, 390}, {520, 390}, {800, 390}};
    static const qreal fractions[] = {0.5, 0.1, 0.8, 0.35, 0.0, 0.65};
    static const char *const titles[] = {"X", "Y", "Z", "RX", "RY", "RZ"};
    for (int i = 0; i < 6; ++i)
        paintAxisGauge(p, QRectF(gauges[i], QSizeF(231, 201)), fractions[i],
                       QString::fromLatin1(titles[i]), family);

    static const qreal rows[] = {120, 166, 212, 258, 305, 352, 398, 444, 490, 536, 582};
    static const qreal columns[] = {125, 167, 1078, 1120};
    int index = 0;
    const auto lamp = [&p, &index](qreal x, qreal y) {
        // A few lit lamps show what a pressed button looks like.
        const bool lit = index == 3 || index == 16 || index == 30 || index == 51;
        paintLamp(p, QRectF(x, y, 31, 29), lit ? LampKind::BlueThree : LampKind::GrayG);
        ++index;
    };
    for (int c = 0; c < 2; ++c)
        for (qreal y : rows)
            lamp(columns[c], y);
    for (int i = 0; i < 20; ++i)
        lamp(223 + i * 42, 352);
    for (int c = 2; c < 4; ++c)
        for (qreal y : rows)
            lamp(columns[c], y);
}

void paintWaitIndicator(QPainter &p, const QPointF &centre, qreal radius)
{
    for (int i = 0; i < 4; ++i) {
        p.setPen(Qt::NoPen);
        p.setBrush(i % 2 ? QColor(0x5A, 0x5E, 0x66) : Palette::accent());
        p.drawPie(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius),
                  (30 + i * 90) * 16, 90 * 16);
    }
}

void paintStatePage(QPainter &p)
{
    paintSeparator(p);

    paintHeader(p, 100, 158, 150);
    static const qreal valueWidths[] = {60, 50, 200, 240, 40};
    for (int i = 0; i < 5; ++i) {
        const qreal y = 215 + i * 52;
        paintTextBar(p, 100, y, 100, kLabelBar);
        paintTextBar(p, 240, y, valueWidths[i], QColor(0xB8, 0xBC, 0xC4));
    }
    paintTextBar(p, 290, 215 + 4 * 52, 14, QColor(0xB8, 0xBC, 0xC4));

    paintHeader(p, 659, 156, 150);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            const QRectF cell(659 + c * 174, 192 + r * 62, 168, 56);
            paintCellFrame(p, cell);
            paintTextBar(p, cell.left() + 16, cell.center().y(), 80, kLabelBar);
            const LampKind kind = r == 0 && c == 0 ? LampKind::Green : LampKind::GrayG;
            paintLamp(p, QRectF(cell.left() + 122, cell.top() + 12, 31, 31), kind);
        }
    }

    paintButton(p, QRectF(100, 610, 221, 40));
    paintWaitIndicator(p, QPointF(370, 630), 24);
}

} // namespace

QVector<SketchMarker> sketchMarkers(HelpSketch sketch)
{
    switch (sketch) {
    case HelpSketch::Settings:
        return {{1, {1085, 72}}, {2, {656, 380}}, {3, {966, 353}}, {4, {390, 108}},
                {5, {330, 411}}, {6, {104, 616}}, {7, {890, 438}}, {8, {1172, 616}}};
    case HelpSketch::Calibration:
        return {{1, {505, 112}}, {2, {146, 90}}};
    case HelpSketch::State:
        return {
            {1, {835, 169}}, {2, {420, 215}}, {3, {470, 267}}, {4, {420, 423}}, {5, {430, 630}}};
    case HelpSketch::None:
        break;
    }
    return {};
}

void paintMarker(QPainter &p, const QPointF &centre, qreal radius, int number,
                 const QString &family)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 1.5));
    p.setBrush(Palette::accent());
    p.drawEllipse(centre, radius, radius);
    p.setPen(Qt::white);
    p.setFont(pixelFont(family, int(radius * 1.25), true));
    p.drawText(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius),
               Qt::AlignCenter, QString::number(number));
    p.restore();
}

void paintSketch(QPainter &p, const QRectF &box, HelpSketch sketch, const QString &markerFamily)
{
    if (sketch == HelpSketch::None)
        return;
    const qreal scale = box.width() / kWindowWidth;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setClipRect(box);
    p.translate(box.topLeft());
    p.scale(scale, box.height() / kWindowHeight);
    paintChrome(p, sketch, markerFamily);
    switch (sketch) {
    case HelpSketch::Settings:
        paintSettingsPage(p);
        break;
    case HelpSketch::Calibration:
        paintCalibrationPage(p, markerFamily);
        break;
    case HelpSketch::State:
        paintStatePage(p);
        break;
    case HelpSketch::None:
        break;
    }
    p.restore();

    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x3B, 0x42, 0x4E), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(box.adjusted(0.5, 0.5, -0.5, -0.5));
    p.restore();

    for (const SketchMarker &marker : sketchMarkers(sketch))
        paintMarker(p, box.topLeft() + marker.at * scale, 12, marker.number, markerFamily);
}
