#include "gaugearc.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTimer>

#include <cmath>

using GaugeSupport::arialPixels;
using GaugeSupport::arialPoints;
using GaugeSupport::PointerShape;

namespace {

// Rings of radius 72 and 80. Ticks: major from radius 67 and minor from 74, both out to 79.
// Scale numbers inside radius 64, clear of the ticks. Pointer: a small circle, the ringed
// indicator fully opaque, a short triangle near the ticks. Hub: a half-transparent cap of
// radius 12 under a centre of radius 8.
// Where the value is written, in dial coordinates.
const QRectF kValueTextRect(-100, 50, 200, 33);

constexpr GaugeSupport::DialGeometry kDial = {
    {67, 74, 79, 1.5, 1.0},
    {72, 80, 2.0},
    64,
    {QRect(-8, 38, 16, 16), 1.0, {QPoint(-5, 55), QPoint(5, 55), QPoint(0, 65)}},
    {0.5, QRect(-12, -12, 24, 24), QRect(-8, -8, 16, 16)},
};

// The scale numbers' font.
QFont scaleNumFont()
{
    return arialPoints(10);
}

static_assert(int(GaugeArc::PointerStyle_Circle) == int(PointerShape::Circle) &&
                  int(GaugeArc::PointerStyle_Indicator) == int(PointerShape::Indicator) &&
                  int(GaugeArc::PointerStyle_IndicatorR) == int(PointerShape::IndicatorR) &&
                  int(GaugeArc::PointerStyle_Triangle) == int(PointerShape::Triangle),
              "pointer styles are drawn as the shapes of the same number");

} // namespace

const GaugeSupport::DialGeometry &GaugeArc::dialGeometry()
{
    return kDial;
}

QVector<GaugeSupport::ScaleNumber> GaugeArc::scaleNumbers() const
{
    // Evenly spaced fixed-point numbers from the minimum to the maximum.
    const double range = m_maxValue - m_minValue;
    return GaugeSupport::placeScaleNumbers(
        dialScale(), kDial.scaleNumLimit, QFontMetricsF(scaleNumFont(), this), [&](int i) {
            const double number = m_minValue + i * range / m_scaleMajor;
            return QString::number(number, 'f', m_precision);
        });
}

GaugeArc::GaugeArc(QWidget *parent) : QWidget(parent), m_glide(this)
{
    connect(m_glide.timer(), &QTimer::timeout, this, &GaugeArc::updateValue);
    m_glide.setMovingArea([this] { return movingArea().united(m_pointerDrawnArea); });
    setFont(arialPoints(7));
}

QString GaugeArc::valueText() const
{
    return QString::number(shownValue(), 'f', m_precision);
}

bool GaugeArc::isAnimating() const
{
    return m_glide.isRunning();
}

QSize GaugeArc::sizeHint() const
{
    return QSize(200, 200);
}

QSize GaugeArc::minimumSizeHint() const
{
    return QSize(50, 50);
}

void GaugeArc::updateValue()
{
    m_glide.step(m_value, m_animationStep);
}

void GaugeArc::setRange(double minValue, double maxValue)
{
    if (!std::isfinite(minValue) || !std::isfinite(maxValue))
        return;
    GaugeSupport::storeRange(this, m_minValue, m_maxValue, minValue, maxValue);
}

void GaugeArc::setRange(int minValue, int maxValue)
{
    setRange(static_cast<double>(minValue), static_cast<double>(maxValue));
}

void GaugeArc::setMinValue(double minValue)
{
    setRange(minValue, m_maxValue);
}

void GaugeArc::setMaxValue(double maxValue)
{
    setRange(m_minValue, maxValue);
}

void GaugeArc::setValue(double value)
{
    if (!std::isfinite(value) || value < m_minValue || value > m_maxValue || value == m_value)
        return;

    m_glide.aimAt(value);
    m_value = value;
    emit valueChanged(GaugeSupport::saturatingTruncate(value));

    if (m_animation)
        m_glide.start();
    else
        m_glide.jumpTo(value);
}

void GaugeArc::setValue(int value)
{
    setValue(static_cast<double>(value));
}

void GaugeArc::setPrecision(int precision)
{
    if (precision > 3)
        return;
    GaugeSupport::storeAndRepaint(this, m_precision, precision);
}

void GaugeArc::setScaleMajor(int scaleMajor)
{
    // The scale divides the dial by this count: zero or fewer divisions cannot be drawn.
    if (scaleMajor < 1)
        return;
    GaugeSupport::storeAndRepaint(this, m_scaleMajor, scaleMajor);
}

void GaugeArc::setScaleMinor(int scaleMinor)
{
    if (scaleMinor < 1)
        return;
    GaugeSupport::storeAndRepaint(this, m_scaleMinor, scaleMinor);
}

void GaugeArc::setStartAngle(int startAngle)
{
    GaugeSupport::storeAndRepaint(this, m_startAngle, startAngle);
}

void GaugeArc::setEndAngle(int endAngle)
{
    GaugeSupport::storeAndRepaint(this, m_endAngle, endAngle);
}

void GaugeArc::setAnimation(bool animation)
{
    GaugeSupport::storeAndRepaint(this, m_animation, animation);
}

void GaugeArc::setAnimationStep(double animationStep)
{
    if (!std::isfinite(animationStep))
        return;
    GaugeSupport::storeAndRepaint(this, m_animationStep, animationStep);
}

void GaugeArc::setArcColor(const QColor &arcColor)
{
    GaugeSupport::storeAndRepaint(this, m_arcColor, arcColor);
}

void GaugeArc::setScaleColor(const QColor &scaleColor)
{
    GaugeSupport::storeAndRepaint(this, m_scaleColor, scaleColor);
}

void GaugeArc::setScaleNumColor(const QColor &scaleNumColor)
{
    GaugeSupport::storeAndRepaint(this, m_scaleNumColor, scaleNumColor);
}

void GaugeArc::setPointerColor(const QColor &pointerColor)
{
    GaugeSupport::storeAndRepaint(this, m_pointerColor, pointerColor);
}

void GaugeArc::setTextColor(const QColor &textColor)
{
    GaugeSupport::storeAndRepaint(this, m_textColor, textColor);
}

void GaugeArc::setPointerStyle(PointerStyle pointerStyle)
{
    GaugeSupport::storeAndRepaint(this, m_pointerStyle, pointerStyle);
}

void GaugeArc::paintEvent(QPaintEvent *)
{
    if (width() <= 0 || height() <= 0)
        return;

    // The pointer is always drawn in the accent colour.
    m_pointerColor = GaugeSupport::accentColor();

    // Nothing but the pointer and the value text moves with the value: the rest of the dial is
    // one picture.
    QPainter painter(this);
    GaugeSupport::setUpDialPainter(&painter, size());
    const GaugeSupport::DialScale scale = dialScale();
    m_dialLayer.paint(&painter, this, dialLayerSettings(), [&](QPainter *layer) {
        drawArc(layer);
        GaugeSupport::drawTicks(layer, scale, kDial, m_scaleColor);
        drawScaleNum(layer);
        drawOutline(layer);
    });
    GaugeSupport::drawPointer(&painter, scale, shownFraction(), PointerShape(m_pointerStyle), kDial,
                              m_pointerColor);
    m_pointerDrawnArea = pointerArea();
    GaugeSupport::drawHub(&painter, kDial, m_pointerColor);
    m_valueText.draw(&painter, kValueTextRect, arialPixels(35), m_textColor, valueText());
}

namespace {

// The painter's transformation for the dial's logical box on a widget of `size`.
QTransform dialTransform(const QSize &size)
{
    QTransform dial;
    const int side = qMin(size.width(), size.height());
    dial.translate(size.width() / 2, size.height() / 2);
    dial.scale(side / 200.0, side / 200.0);
    return dial;
}

// `area` in pixels, grown by what antialiased edges reach past the shapes.
QRect grownToPixels(const QRectF &area)
{
    return area.toAlignedRect().adjusted(-2, -2, 2, 2);
}

} // namespace

QRect GaugeArc::pointerArea() const
{
    // Every pointer shape lies along the rotated y axis, out to radius 77 (the ringed indicator's
    // round cap), and within 8 units of it (the circle); the hub lies within radius 12.
    const QRectF envelope(-12, -12, 24, 12 + 80);
    const GaugeSupport::DialScale scale = dialScale();
    QTransform pointer = dialTransform(size());
    pointer.rotate(scale.startAngle + scale.span * shownFraction());
    return grownToPixels(pointer.mapRect(envelope)) & rect();
}

QRegion GaugeArc::movingArea() const
{
    // The value text stays in its row, which is taken across the whole width in case a long text
    // overflows the dial.
    QRectF row = dialTransform(size()).mapRect(kValueTextRect);
    row.setLeft(0);
    row.setRight(width());
    return QRegion(pointerArea()).united(grownToPixels(row) & rect());
}

GaugeArc::DialLayerSettings GaugeArc::dialLayerSettings() const
{
    return {m_minValue,        m_maxValue,          m_precision,
            m_scaleMajor,      m_scaleMinor,        m_startAngle,
            m_endAngle,        m_scaleColor.rgba(), m_scaleNumColor.rgba(),
            m_arcColor.rgba(), logicalDpiY()};
}

GaugeSupport::DialScale GaugeArc::dialScale() const
{
    return GaugeSupport::dialScale(m_startAngle, m_endAngle, m_scaleMajor, m_scaleMinor);
}

double GaugeArc::shownFraction() const
{
    return GaugeSupport::dialFraction(shownValue(), m_minValue, m_maxValue);
}

void GaugeArc::drawArc(QPainter *painter)
{
    // Two thin rings over the whole scale. The parts either side of the pointer share one
    // colour, so the rings are drawn whole (the used part at its full length) and do not move
    // with the pointer.
    const GaugeSupport::ArcParts whole = GaugeSupport::splitArc(dialScale(), 1.0);

    painter->save();
    painter->setPen(QPen(m_arcColor, kDial.rings.width));
    painter->setBrush(Qt::NoBrush);
    for (const int radius : {kDial.rings.outer, kDial.rings.inner})
        painter->drawArc(QRectF(-radius, -radius, 2 * radius, 2 * radius), whole.usedStart,
                         whole.usedSpan);
    painter->restore();
}

void GaugeArc::drawScaleNum(QPainter *painter)
{
    GaugeSupport::drawScaleNumbers(painter, scaleNumbers(), scaleNumFont(), m_scaleNumColor);
}

void GaugeArc::drawOutline(QPainter *painter)
{
    GaugeSupport::drawOutline(painter);

    // An inner ring in the arc colour doubles the outline.
    painter->save();
    painter->setBrush(Qt::NoBrush);
    painter->setPen(QPen(m_arcColor, 1));
    painter->drawEllipse(-95, -95, 190, 190);
    painter->restore();
}
