#include "gaugesimple.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

using GaugeSupport::arialPixels;
using GaugeSupport::PointerShape;

namespace {

// A ring of radius 90. Ticks: major from radius 58 and minor from 63, both out to 68. Scale
// numbers inside radius 55, clear of the ticks. Pointer: a large circle, the ringed indicator at
// opacity 0.6, a triangle inside the ticks. Hub: a cap of radius 18 at opacity 0.6 under a
// centre of radius 15.
constexpr GaugeSupport::DialGeometry kDial = {
    {58, 63, 68, 1.5, 0.5},
    {90, 90, 10.0},
    55,
    {QRect(-12, 32, 24, 24), 0.6, {QPoint(-5, 45), QPoint(5, 45), QPoint(0, 55)}},
    {0.6, QRect(-18, -18, 36, 36), QRect(-15, -15, 30, 30)},
};

// The title under the hub, and the value under the title: on the dark page, where it reads.
const QRectF kTitleRect(-100, 50, 200, 33);
const QRectF kValueRect(-100, 79, 200, 18);
constexpr int kTitlePixels = 20;
constexpr int kValuePixels = 16;

// The scale numbers' font: four digits fit between the hub and the ticks, clear of both.
QFont scaleNumFont()
{
    return arialPixels(13);
}

static_assert(int(GaugeSimple::PointerStyle_Circle) == int(PointerShape::Circle) &&
                  int(GaugeSimple::PointerStyle_Indicator) == int(PointerShape::Indicator) &&
                  int(GaugeSimple::PointerStyle_IndicatorR) == int(PointerShape::IndicatorR) &&
                  int(GaugeSimple::PointerStyle_Triangle) == int(PointerShape::Triangle),
              "pointer styles are drawn as the shapes of the same number");

// Numbers as the gauge prints them: general format, six significant digits.
QString formatNumber(double number)
{
    return QString::number(number, 'g', 6);
}

// The glass highlight: the top of the dial face cut by a large circle below it.
QPainterPath overlayShape()
{
    QPainterPath face;
    face.addEllipse(-89, -89, 178, 178);
    QPainterPath cut;
    cut.addEllipse(-178, -38, 356, 356);
    return face.subtracted(cut);
}

} // namespace

const GaugeSupport::DialGeometry &GaugeSimple::dialGeometry()
{
    return kDial;
}

QVector<GaugeSupport::ScaleNumber> GaugeSimple::scaleNumbers() const
{
    // Whole-number divisions; 64-bit so that wide ranges cannot overflow.
    const qint64 division = (qint64(m_maxValue) - m_minValue) / m_scaleMajor;
    return GaugeSupport::placeScaleNumbers(
        dialScale(), kDial.scaleNumLimit, QFontMetricsF(scaleNumFont(), this),
        [&](int i) { return formatNumber(double(m_minValue + i * division)); });
}

GaugeSimple::GaugeSimple(QWidget *parent) : QWidget(parent), m_glide(this)
{
    connect(m_glide.timer(), &QTimer::timeout, this, &GaugeSimple::updateValue);
    setFont(GaugeSupport::arialPoints(7));
}

QString GaugeSimple::valueText() const
{
    return formatNumber(shownValue());
}

bool GaugeSimple::isAnimating() const
{
    return m_glide.isRunning();
}

QSize GaugeSimple::sizeHint() const
{
    return QSize(200, 200);
}

QSize GaugeSimple::minimumSizeHint() const
{
    return QSize(50, 50);
}

void GaugeSimple::updateValue()
{
    m_glide.step(m_value, m_animationStep);
}

void GaugeSimple::setRange(int minValue, int maxValue)
{
    GaugeSupport::storeRange(this, m_minValue, m_maxValue, minValue, maxValue);
}

void GaugeSimple::setMinValue(int minValue)
{
    setRange(minValue, m_maxValue);
}

void GaugeSimple::setMaxValue(int maxValue)
{
    setRange(m_minValue, maxValue);
}

void GaugeSimple::setValue(int value)
{
    if (value < m_minValue || value > m_maxValue || value == m_value)
        return;

    m_glide.aimAt(value);
    m_value = value;
    emit valueChanged(value);

    if (m_animation)
        m_glide.start();
    else
        m_glide.jumpTo(value);
}

void GaugeSimple::writeMinValue(double minValue)
{
    if (const auto v = GaugeSupport::exactTruncate(minValue))
        setMinValue(*v);
}

void GaugeSimple::writeMaxValue(double maxValue)
{
    if (const auto v = GaugeSupport::exactTruncate(maxValue))
        setMaxValue(*v);
}

void GaugeSimple::writeValue(double value)
{
    if (const auto v = GaugeSupport::exactTruncate(value))
        setValue(*v);
}

void GaugeSimple::writeAnimationStep(double animationStep)
{
    if (const auto v = GaugeSupport::exactTruncate(animationStep))
        setAnimationStep(*v);
}

void GaugeSimple::setScaleMajor(int scaleMajor)
{
    // The scale divides the dial by this count: zero or fewer divisions cannot be drawn.
    if (scaleMajor < 1)
        return;
    GaugeSupport::storeAndRepaint(this, m_scaleMajor, scaleMajor);
}

void GaugeSimple::setScaleMinor(int scaleMinor)
{
    if (scaleMinor < 1)
        return;
    GaugeSupport::storeAndRepaint(this, m_scaleMinor, scaleMinor);
}

void GaugeSimple::setStartAngle(int startAngle)
{
    GaugeSupport::storeAndRepaint(this, m_startAngle, startAngle);
}

void GaugeSimple::setEndAngle(int endAngle)
{
    GaugeSupport::storeAndRepaint(this, m_endAngle, endAngle);
}

void GaugeSimple::setAnimation(bool animation)
{
    GaugeSupport::storeAndRepaint(this, m_animation, animation);
}

void GaugeSimple::setAnimationStep(int animationStep)
{
    GaugeSupport::storeAndRepaint(this, m_animationStep, animationStep);
}

void GaugeSimple::setUsedColor(const QColor &usedColor)
{
    GaugeSupport::storeAndRepaint(this, m_usedColor, usedColor);
}

void GaugeSimple::setFreeColor(const QColor &freeColor)
{
    GaugeSupport::storeAndRepaint(this, m_freeColor, freeColor);
}

void GaugeSimple::setScaleColor(const QColor &scaleColor)
{
    GaugeSupport::storeAndRepaint(this, m_scaleColor, scaleColor);
}

void GaugeSimple::setPointerColor(const QColor &pointerColor)
{
    GaugeSupport::storeAndRepaint(this, m_pointerColor, pointerColor);
}

void GaugeSimple::setTextColor(const QColor &textColor)
{
    GaugeSupport::storeAndRepaint(this, m_textColor, textColor);
}

void GaugeSimple::setShowOverlay(bool showOverlay)
{
    GaugeSupport::storeAndRepaint(this, m_showOverlay, showOverlay);
}

void GaugeSimple::setOverlayColor(const QColor &overlayColor)
{
    GaugeSupport::storeAndRepaint(this, m_overlayColor, overlayColor);
}

void GaugeSimple::setPointerStyle(PointerStyle pointerStyle)
{
    GaugeSupport::storeAndRepaint(this, m_pointerStyle, pointerStyle);
}

void GaugeSimple::setTitle(const QString &text)
{
    // Shown with the next repaint, which the live values cause often enough.
    m_title = text;
}

void GaugeSimple::paintEvent(QPaintEvent *)
{
    if (width() <= 0 || height() <= 0)
        return;

    // Pointer and used arc are always drawn in the accent colour.
    m_pointerColor = GaugeSupport::accentColor();
    m_usedColor = GaugeSupport::accentColor();

    QPainter painter(this);
    GaugeSupport::setUpDialPainter(&painter, size());
    const GaugeSupport::DialScale scale = dialScale();

    drawArc(&painter);
    m_dialLayer.paint(&painter, this, dialLayerSettings(), [&](QPainter *layer) {
        GaugeSupport::drawTicks(layer, scale, kDial, m_scaleColor);
        drawScaleNum(layer);
    });
    GaugeSupport::drawPointer(&painter, scale, shownFraction(), PointerShape(m_pointerStyle), kDial,
                              m_pointerColor);
    GaugeSupport::drawCentredText(&painter, kTitleRect, arialPixels(kTitlePixels), m_textColor,
                                  m_title);
    GaugeSupport::drawHub(&painter, kDial, m_pointerColor);
    GaugeSupport::drawCentredText(&painter, kValueRect, arialPixels(kValuePixels), m_textColor,
                                  valueText());
    m_glassLayer.paint(&painter, this, glassLayerSettings(), [&](QPainter *layer) {
        if (m_showOverlay)
            drawOverlay(layer);
        GaugeSupport::drawOutline(layer);
    });
}

GaugeSimple::DialLayerSettings GaugeSimple::dialLayerSettings() const
{
    return {m_minValue,   m_maxValue, m_scaleMajor,        m_scaleMinor,
            m_startAngle, m_endAngle, m_scaleColor.rgba(), logicalDpiY()};
}

GaugeSimple::GlassLayerSettings GaugeSimple::glassLayerSettings() const
{
    // The whole tint, opacity included: drawing the overlay sets its opacity (see drawOverlay).
    return {m_showOverlay, m_overlayColor.rgba()};
}

GaugeSupport::DialScale GaugeSimple::dialScale() const
{
    return GaugeSupport::dialScale(m_startAngle, m_endAngle, m_scaleMajor, m_scaleMinor);
}

double GaugeSimple::shownFraction() const
{
    return GaugeSupport::dialFraction(shownValue(), m_minValue, m_maxValue);
}

void GaugeSimple::drawArc(QPainter *painter)
{
    // One thick ring, split at the pointer into the used and the free colour.
    const GaugeSupport::ArcParts parts = GaugeSupport::splitArc(dialScale(), shownFraction());
    const int radius = kDial.rings.outer;
    const QRectF rect(-radius, -radius, 2 * radius, 2 * radius);

    painter->save();
    painter->setBrush(Qt::NoBrush);

    QPen pen(m_usedColor, kDial.rings.width);
    pen.setCapStyle(Qt::FlatCap);
    painter->setPen(pen);
    painter->drawArc(rect, parts.usedStart, parts.usedSpan);

    pen.setColor(m_freeColor);
    painter->setPen(pen);
    painter->drawArc(rect, parts.freeStart, parts.freeSpan);
    painter->restore();
}

void GaugeSimple::drawScaleNum(QPainter *painter)
{
    GaugeSupport::drawScaleNumbers(painter, scaleNumbers(), scaleNumFont(), m_scaleColor);
}

void GaugeSimple::drawOverlay(QPainter *painter)
{
    static const QPainterPath shape = overlayShape();

    painter->save();
    painter->setPen(Qt::NoPen);

    // The gradient's two stops are set on the stored tint itself, which therefore keeps the
    // opacity of the lower stop afterwards.
    QLinearGradient gradient(0, -89, 0, 0);
    m_overlayColor.setAlpha(100);
    gradient.setColorAt(0.0, m_overlayColor);
    m_overlayColor.setAlpha(30);
    gradient.setColorAt(1.0, m_overlayColor);

    painter->setBrush(gradient);
    painter->rotate(-20);
    painter->drawPath(shape);
    painter->restore();
}
