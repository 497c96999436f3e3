#include "gaugearc.h"

#include "gaugesupport.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <QTimer>
#include <QtMath>

#include <cmath>

using GaugeSupport::accentColor;

namespace {

constexpr int kAnimationIntervalMs = 10;

QFont arialPoints(int points)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(points);
    return font;
}

QFont arialPixels(int pixels)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    return font;
}

// Pointer outlines in logical coordinates, pointing straight down before rotation.
const QPolygon kIndicatorShape({QPoint(-5, 0), QPoint(5, 0), QPoint(0, 75)});
const QPolygon kTriangleShape({QPoint(-5, 55), QPoint(5, 55), QPoint(0, 65)});

} // namespace

GaugeArc::GaugeArc(QWidget *parent) : QWidget(parent), m_timer(new QTimer(this))
{
    m_timer->setInterval(kAnimationIntervalMs);
    connect(m_timer, &QTimer::timeout, this, &GaugeArc::updateValue);
    setFont(arialPoints(7));
}

QString GaugeArc::valueText() const
{
    return QString::number(m_shownValue, 'f', m_precision);
}

bool GaugeArc::isAnimating() const
{
    return m_timer->isActive();
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
    // A step that cannot move the pointer would keep the timer alive for ever: jump instead.
    if (!(m_animationStep > 0)) {
        m_shownValue = m_value;
    } else if (!m_reverse && m_shownValue < m_value) {
        m_shownValue += m_animationStep;
        update();
        return;
    } else if (m_reverse && m_shownValue > m_value) {
        m_shownValue -= m_animationStep;
        update();
        return;
    }
    m_timer->stop();
    update();
}

void GaugeArc::setRange(double minValue, double maxValue)
{
    if (!std::isfinite(minValue) || !std::isfinite(maxValue) || !(minValue < maxValue))
        return;
    if (minValue == m_minValue && maxValue == m_maxValue)
        return;
    m_minValue = minValue;
    m_maxValue = maxValue;
    update();
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

    // The direction is taken from where the pointer is now, so a new target set during a glide
    // is always approached instead of being stopped short at the old position.
    m_reverse = value < m_shownValue;
    m_value = value;
    emit valueChanged(GaugeSupport::saturatingTruncate(value));

    if (m_animation) {
        m_timer->start();
    } else {
        m_timer->stop();
        m_shownValue = value;
        update();
    }
}

void GaugeArc::setValue(int value)
{
    setValue(static_cast<double>(value));
}

void GaugeArc::setPrecision(int precision)
{
    if (precision > 3 || precision == m_precision)
        return;
    m_precision = precision;
    update();
}

void GaugeArc::setScaleMajor(int scaleMajor)
{
    // The scale divides the dial by this count: zero or fewer divisions cannot be drawn.
    if (scaleMajor < 1 || scaleMajor == m_scaleMajor)
        return;
    m_scaleMajor = scaleMajor;
    update();
}

void GaugeArc::setScaleMinor(int scaleMinor)
{
    if (scaleMinor < 1 || scaleMinor == m_scaleMinor)
        return;
    m_scaleMinor = scaleMinor;
    update();
}

void GaugeArc::setStartAngle(int startAngle)
{
    if (startAngle == m_startAngle)
        return;
    m_startAngle = startAngle;
    update();
}

void GaugeArc::setEndAngle(int endAngle)
{
    if (endAngle == m_endAngle)
        return;
    m_endAngle = endAngle;
    update();
}

void GaugeArc::setAnimation(bool animation)
{
    if (animation == m_animation)
        return;
    m_animation = animation;
    update();
}

void GaugeArc::setAnimationStep(double animationStep)
{
    if (!std::isfinite(animationStep) || animationStep == m_animationStep)
        return;
    m_animationStep = animationStep;
    update();
}

void GaugeArc::setArcColor(const QColor &arcColor)
{
    if (arcColor == m_arcColor)
        return;
    m_arcColor = arcColor;
    update();
}

void GaugeArc::setScaleColor(const QColor &scaleColor)
{
    if (scaleColor == m_scaleColor)
        return;
    m_scaleColor = scaleColor;
    update();
}

void GaugeArc::setScaleNumColor(const QColor &scaleNumColor)
{
    if (scaleNumColor == m_scaleNumColor)
        return;
    m_scaleNumColor = scaleNumColor;
    update();
}

void GaugeArc::setPointerColor(const QColor &pointerColor)
{
    if (pointerColor == m_pointerColor)
        return;
    m_pointerColor = pointerColor;
    update();
}

void GaugeArc::setTextColor(const QColor &textColor)
{
    if (textColor == m_textColor)
        return;
    m_textColor = textColor;
    update();
}

void GaugeArc::setPointerStyle(PointerStyle pointerStyle)
{
    if (pointerStyle == m_pointerStyle)
        return;
    m_pointerStyle = pointerStyle;
    update();
}

void GaugeArc::paintEvent(QPaintEvent *)
{
    const int side = qMin(width(), height());
    if (side <= 0)
        return;

    // The pointer is always drawn in the accent colour.
    m_pointerColor = accentColor();

    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    painter.translate(width() / 2, height() / 2);
    painter.scale(side / 200.0, side / 200.0);

    drawArc(&painter);
    drawScale(&painter);
    drawScaleNum(&painter);
    drawPointer(&painter);
    drawRoundCircle(&painter);
    drawCenterCircle(&painter);
    drawValue(&painter);
    drawOutline(&painter);
}

double GaugeArc::spanAngle() const
{
    return 360.0 - m_startAngle - m_endAngle;
}

double GaugeArc::shownFraction() const
{
    return GaugeSupport::dialFraction(m_shownValue, m_minValue, m_maxValue);
}

void GaugeArc::drawArc(QPainter *painter)
{
    painter->save();
    painter->setPen(QPen(m_arcColor, 2));
    painter->setBrush(Qt::NoBrush);

    const double span = spanAngle();
    const double used = shownFraction() * span;
    const double rest = span - used;
    const double usedStart = 270.0 - m_startAngle - used;
    const double restStart = usedStart - rest;

    for (const QRectF &rect : {QRectF(-80, -80, 160, 160), QRectF(-72, -72, 144, 144)}) {
        painter->drawArc(rect, GaugeSupport::toSixteenths(usedStart),
                         GaugeSupport::toSixteenths(used));
        painter->drawArc(rect, GaugeSupport::toSixteenths(restStart),
                         GaugeSupport::toSixteenths(rest));
    }
    painter->restore();
}

void GaugeArc::drawScale(QPainter *painter)
{
    painter->save();
    painter->rotate(m_startAngle);

    const qint64 steps = qint64(m_scaleMajor) * m_scaleMinor;
    const double angleStep = spanAngle() / steps;
    QPen pen(m_scaleColor);
    pen.setCapStyle(Qt::RoundCap);

    for (qint64 i = 0; i <= steps; ++i) {
        if (i % m_scaleMinor == 0) {
            pen.setWidthF(1.5);
            painter->setPen(pen);
            painter->drawLine(0, 67, 0, 79);
        } else {
            pen.setWidthF(1.0);
            painter->setPen(pen);
            painter->drawLine(0, 74, 0, 79);
        }
        painter->rotate(angleStep);
    }
    painter->restore();
}

void GaugeArc::drawScaleNum(QPainter *painter)
{
    painter->save();
    painter->setPen(m_scaleNumColor);
    painter->setFont(arialPoints(10));

    // Measured with the widget's own font, as the labels have always been placed.
    const QFontMetrics metrics = fontMetrics();
    const double start = qDegreesToRadians(270.0 - m_startAngle);
    const double delta = qDegreesToRadians(spanAngle()) / m_scaleMajor;
    const double range = m_maxValue - m_minValue;

    for (int i = 0; i <= m_scaleMajor; ++i) {
        const double angle = start - i * delta;
        const double number = m_minValue + i * range / m_scaleMajor;
        const QString text = QString::number(number, 'f', m_precision);
        const double w = metrics.horizontalAdvance(text);
        const double h = metrics.height();
        const int x = GaugeSupport::saturatingTruncate(57 * std::cos(angle) - w * 0.5);
        const int y = GaugeSupport::saturatingTruncate(-57 * std::sin(angle) + h * 0.25);
        painter->drawText(x, y, text);
    }
    painter->restore();
}

void GaugeArc::drawPointer(QPainter *painter)
{
    painter->save();
    painter->rotate(m_startAngle);
    painter->rotate(spanAngle() * shownFraction());

    switch (m_pointerStyle) {
    case PointerStyle_Circle:
        drawPointerCircle(painter);
        break;
    case PointerStyle_Indicator:
        drawPointerIndicator(painter);
        break;
    case PointerStyle_IndicatorR:
        drawPointerIndicatorR(painter);
        break;
    case PointerStyle_Triangle:
        drawPointerTriangle(painter);
        break;
    }
    painter->restore();
}

void GaugeArc::drawPointerCircle(QPainter *painter)
{
    painter->setPen(Qt::NoPen);
    painter->setBrush(m_pointerColor);
    painter->drawEllipse(-8, 38, 16, 16);
}

void GaugeArc::drawPointerIndicator(QPainter *painter)
{
    painter->setOpacity(0.8);
    painter->setPen(Qt::NoPen);
    painter->setBrush(m_pointerColor);
    painter->drawConvexPolygon(kIndicatorShape);
}

void GaugeArc::drawPointerIndicatorR(QPainter *painter)
{
    painter->setPen(m_pointerColor);
    painter->setBrush(m_pointerColor);
    painter->drawConvexPolygon(kIndicatorShape);

    QPen pen(m_pointerColor, 4);
    pen.setCapStyle(Qt::RoundCap);
    painter->setPen(pen);
    painter->drawLine(0, 0, 0, 75);
}

void GaugeArc::drawPointerTriangle(QPainter *painter)
{
    painter->setPen(Qt::NoPen);
    painter->setBrush(m_pointerColor);
    painter->drawConvexPolygon(kTriangleShape);
}

void GaugeArc::drawRoundCircle(QPainter *painter)
{
    painter->save();
    painter->setOpacity(0.5);
    painter->setPen(Qt::NoPen);
    painter->setBrush(m_pointerColor);
    painter->drawEllipse(-12, -12, 24, 24);
    painter->restore();
}

void GaugeArc::drawCenterCircle(QPainter *painter)
{
    painter->save();
    painter->setPen(Qt::NoPen);
    painter->setBrush(m_pointerColor);
    painter->drawEllipse(-8, -8, 16, 16);
    painter->restore();
}

void GaugeArc::drawValue(QPainter *painter)
{
    painter->save();
    painter->setPen(m_textColor);
    painter->setFont(arialPixels(35));
    painter->drawText(QRectF(-100, 50, 200, 33), Qt::AlignCenter, valueText());
    painter->restore();
}

void GaugeArc::drawOutline(QPainter *painter)
{
    painter->save();
    painter->setBrush(Qt::NoBrush);
    painter->setPen(QPen(accentColor(), 1));
    painter->drawEllipse(-99, -99, 198, 198);
    painter->setPen(QPen(m_arcColor, 1));
    painter->drawEllipse(-95, -95, 190, 190);
    painter->restore();
}
