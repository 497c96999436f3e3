#include "gaugesimple.h"

#include "gaugesupport.h"

#include <QFont>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QTimer>
#include <QtMath>

#include <cmath>

using GaugeSupport::accentColor;

namespace {

constexpr int kAnimationIntervalMs = 10;

QFont arialPixels(int pixels)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    return font;
}

// Numbers as the gauge prints them: general format, six significant digits.
QString formatNumber(double number)
{
    return QString::number(number, 'g', 6);
}

// Pointer outlines in logical coordinates, pointing straight down before rotation.
const QPolygon kIndicatorShape({QPoint(-5, 0), QPoint(5, 0), QPoint(0, 75)});
const QPolygon kTriangleShape({QPoint(-5, 45), QPoint(5, 45), QPoint(0, 55)});

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

GaugeSimple::GaugeSimple(QWidget *parent) : QWidget(parent), m_timer(new QTimer(this))
{
    m_timer->setInterval(kAnimationIntervalMs);
    connect(m_timer, &QTimer::timeout, this, &GaugeSimple::updateValue);
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(7);
    setFont(font);
}

QString GaugeSimple::valueText() const
{
    return formatNumber(m_shownValue);
}

bool GaugeSimple::isAnimating() const
{
    return m_timer->isActive();
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
    // A step that cannot move the pointer would keep the timer alive for ever: jump instead.
    if (m_animationStep <= 0) {
        m_shownValue = m_value;
        m_timer->stop();
    } else if (!m_reverse && m_shownValue < m_value) {
        m_shownValue += m_animationStep;
    } else if (m_reverse && m_shownValue > m_value) {
        m_shownValue -= m_animationStep;
    } else {
        m_timer->stop();
    }
    update();
}

void GaugeSimple::setRange(int minValue, int maxValue)
{
    if (minValue >= maxValue)
        return;
    if (minValue == m_minValue && maxValue == m_maxValue)
        return;
    m_minValue = minValue;
    m_maxValue = maxValue;
    update();
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

    // The direction is taken from where the pointer is now, so a new target set during a glide
    // is always approached instead of being stopped short at the old position.
    m_reverse = value < m_shownValue;
    m_value = value;
    emit valueChanged(value);

    if (m_animation) {
        m_timer->start();
    } else {
        m_timer->stop();
        m_shownValue = value;
        update();
    }
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
    if (scaleMajor < 1 || scaleMajor == m_scaleMajor)
        return;
    m_scaleMajor = scaleMajor;
    update();
}

void GaugeSimple::setScaleMinor(int scaleMinor)
{
    if (scaleMinor < 1 || scaleMinor == m_scaleMinor)
        return;
    m_scaleMinor = scaleMinor;
    update();
}

void GaugeSimple::setStartAngle(int startAngle)
{
    if (startAngle == m_startAngle)
        return;
    m_startAngle = startAngle;
    update();
}

void GaugeSimple::setEndAngle(int endAngle)
{
    if (endAngle == m_endAngle)
        return;
    m_endAngle = endAngle;
    update();
}

void GaugeSimple::setAnimation(bool animation)
{
    if (animation == m_animation)
        return;
    m_animation = animation;
    update();
}

void GaugeSimple::setAnimationStep(int animationStep)
{
    if (animationStep == m_animationStep)
        return;
    m_animationStep = animationStep;
    update();
}

void GaugeSimple::setUsedColor(const QColor &usedColor)
{
    if (usedColor == m_usedColor)
        return;
    m_usedColor = usedColor;
    update();
}

void GaugeSimple::setFreeColor(const QColor &freeColor)
{
    if (freeColor == m_freeColor)
        return;
    m_freeColor = freeColor;
    update();
}

void GaugeSimple::setScaleColor(const QColor &scaleColor)
{
    if (scaleColor == m_scaleColor)
        return;
    m_scaleColor = scaleColor;
    update();
}

void GaugeSimple::setPointerColor(const QColor &pointerColor)
{
    if (pointerColor == m_pointerColor)
        return;
    m_pointerColor = pointerColor;
    update();
}

void GaugeSimple::setTextColor(const QColor &textColor)
{
    if (textColor == m_textColor)
        return;
    m_textColor = textColor;
    update();
}

void GaugeSimple::setShowOverlay(bool showOverlay)
{
    if (showOverlay == m_showOverlay)
        return;
    m_showOverlay = showOverlay;
    update();
}

void GaugeSimple::setOverlayColor(const QColor &overlayColor)
{
    if (overlayColor == m_overlayColor)
        return;
    m_overlayColor = overlayColor;
    update();
}

void GaugeSimple::setPointerStyle(PointerStyle pointerStyle)
{
    if (pointerStyle == m_pointerStyle)
        return;
    m_pointerStyle = pointerStyle;
    update();
}

void GaugeSimple::setTitle(const QString &text)
{
    // Shown with the next repaint, which the live values cause often enough.
    m_title = text;
}

void GaugeSimple::paintEvent(QPaintEvent *)
{
    const int side = qMin(width(), height());
    if (side <= 0)
        return;

    // Pointer and used arc are always drawn in the accent colour.
    m_pointerColor = accentColor();
    m_usedColor = accentColor();

    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    painter.translate(width() / 2, height() / 2);
    painter.scale(side / 200.0, side / 200.0);

    drawArc(&painter);
    drawScale(&painter);
    drawScaleNum(&painter);
    drawPointer(&painter);
    drawTitle(&painter);
    drawRoundCircle(&painter);
    drawCenterCircle(&painter);
    drawValue(&painter);
    if (m_showOverlay)
        drawOverlay(&painter);
    drawOutline(&painter);
}

double GaugeSimple::spanAngle() const
{
    return 360.0 - m_startAngle - m_endAngle;
}

double GaugeSimple::shownFraction() const
{
    return GaugeSupport::dialFraction(m_shownValue, m_minValue, m_maxValue);
}

void GaugeSimple::drawArc(QPainter *painter)
{
    painter->save();
    painter->setBrush(Qt::NoBrush);

    const QRectF rect(-90, -90, 180, 180);
    const double span = spanAngle();
    const double used = shownFraction() * span;
    const double free = span - used;
    const double usedStart = 270.0 - m_startAngle - used;

    QPen pen(m_usedColor, 10);
    pen.setCapStyle(Qt::FlatCap);
    painter->setPen(pen);
    painter->drawArc(rect, GaugeSupport::toSixteenths(usedStart), GaugeSupport::toSixteenths(used));

    pen.setColor(m_freeColor);
    painter->setPen(pen);
    painter->drawArc(rect, GaugeSupport::toSixteenths(usedStart - free),
                     GaugeSupport::toSixteenths(free));
    painter->restore();
}

void GaugeSimple::drawScale(QPainter *painter)
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
            painter->drawLine(0, 58, 0, 68);
        } else {
            pen.setWidthF(0.5);
            painter->setPen(pen);
            painter->drawLine(0, 63, 0, 68);
        }
        painter->rotate(angleStep);
    }
    painter->restore();
}

void GaugeSimple::drawScaleNum(QPainter *painter)
{
    painter->save();
    painter->setPen(m_scaleColor);
    painter->setFont(arialPixels(18));

    // Measured with the widget's own font, as the labels have always been placed.
    const QFontMetrics metrics = fontMetrics();
    const double start = qDegreesToRadians(270.0 - m_startAngle);
    const double delta = qDegreesToRadians(spanAngle()) / m_scaleMajor;
    // Whole-number divisions; 64-bit so that wide ranges cannot overflow.
    const qint64 division = (qint64(m_maxValue) - m_minValue) / m_scaleMajor;

    for (int i = 0; i <= m_scaleMajor; ++i) {
        const double angle = start - i * delta;
        const QString text = formatNumber(double(m_minValue + i * division));
        const double w = metrics.horizontalAdvance(text);
        const double h = metrics.height();
        const int x = GaugeSupport::saturatingTruncate(78 * std::cos(angle) - w / 2);
        const int y = GaugeSupport::saturatingTruncate(-78 * std::sin(angle) + h / 4);
        painter->drawText(x, y, text);
    }
    painter->restore();
}

void GaugeSimple::drawPointer(QPainter *painter)
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

void GaugeSimple::drawPointerCircle(QPainter *painter)
{
    painter->setPen(Qt::NoPen);
    painter->setBrush(m_pointerColor);
    painter->drawEllipse(-12, 32, 24, 24);
}

void GaugeSimple::drawPointerIndicator(QPainter *painter)
{
    painter->setOpacity(0.8);
    painter->setPen(Qt::NoPen);
    painter->setBrush(m_pointerColor);
    painter->drawConvexPolygon(kIndicatorShape);
}

void GaugeSimple::drawPointerIndicatorR(QPainter *painter)
{
    painter->setOpacity(0.6);
    painter->setPen(m_pointerColor);
    painter->setBrush(m_pointerColor);
    painter->drawConvexPolygon(kIndicatorShape);

    QPen pen(m_pointerColor, 4);
    pen.setCapStyle(Qt::RoundCap);
    painter->setPen(pen);
    painter->drawLine(0, 0, 0, 75);
}

void GaugeSimple::drawPointerTriangle(QPainter *painter)
{
    painter->setPen(Qt::NoPen);
    painter->setBrush(m_pointerColor);
    painter->drawConvexPolygon(kTriangleShape);
}

void GaugeSimple::drawTitle(QPainter *painter)
{
    painter->save();
    painter->setPen(m_textColor);
    painter->setFont(arialPixels(20));
    painter->drawText(QRectF(-100, 50, 200, 33), Qt::AlignCenter, m_title);
    painter->restore();
}

void GaugeSimple::drawRoundCircle(QPainter *painter)
{
    painter->save();
    painter->setOpacity(0.6);
    painter->setPen(Qt::NoPen);
    painter->setBrush(m_pointerColor);
    painter->drawEllipse(-18, -18, 36, 36);
    painter->restore();
}

void GaugeSimple::drawCenterCircle(QPainter *painter)
{
    painter->save();
    painter->setPen(Qt::NoPen);
    painter->setBrush(m_pointerColor);
    painter->drawEllipse(-15, -15, 30, 30);
    painter->restore();
}

void GaugeSimple::drawValue(QPainter *painter)
{
    painter->save();
    painter->setPen(m_textColor);
    painter->setFont(arialPixels(9));
    painter->drawText(QRectF(-100, -100, 200, 200), Qt::AlignCenter, valueText());
    painter->restore();
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

void GaugeSimple::drawOutline(QPainter *painter)
{
    painter->save();
    painter->setPen(QPen(accentColor(), 1));
    painter->setBrush(Qt::NoBrush);
    painter->drawEllipse(-99, -99, 198, 198);
    painter->restore();
}
