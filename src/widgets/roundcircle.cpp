#include "roundcircle.h"

#include <QPainter>
#include <QRadialGradient>
#include <QTimer>

namespace {

constexpr int kRotationIntervalMs = 30;

} // namespace

RoundCircle::RoundCircle(QWidget *parent) : QWidget(parent), m_timer(new QTimer(this))
{
    // Started by showEvent(): nothing turns before the indicator can be seen.
    m_timer->setInterval(kRotationIntervalMs);
    connect(m_timer, &QTimer::timeout, this, &RoundCircle::updateAngle);
}

bool RoundCircle::isAnimating() const
{
    return m_timer->isActive();
}

QSize RoundCircle::sizeHint() const
{
    return QSize(100, 100);
}

QSize RoundCircle::minimumSizeHint() const
{
    return QSize(10, 10);
}

void RoundCircle::updateAngle()
{
    const double next = m_angle + m_step;
    m_angle = next > 360 ? 0 : next;
    update();
}

void RoundCircle::setStep(int step)
{
    if (step == m_step)
        return;
    m_step = step;
    update();
}

void RoundCircle::setClockWise(bool clockWise)
{
    if (clockWise == m_clockWise)
        return;
    m_clockWise = clockWise;
    update();
}

void RoundCircle::setBgColorStart(const QColor &bgColorStart)
{
    if (bgColorStart == m_bgColorStart)
        return;
    m_bgColorStart = bgColorStart;
    update();
}

void RoundCircle::setBgColorEnd(const QColor &bgColorEnd)
{
    if (bgColorEnd == m_bgColorEnd)
        return;
    m_bgColorEnd = bgColorEnd;
    update();
}

void RoundCircle::setPieColor1Start(const QColor &pieColor1Start)
{
    if (pieColor1Start == m_pieColor1Start)
        return;
    m_pieColor1Start = pieColor1Start;
    update();
}

void RoundCircle::setPieColor1End(const QColor &pieColor1End)
{
    if (pieColor1End == m_pieColor1End)
        return;
    m_pieColor1End = pieColor1End;
    update();
}

void RoundCircle::setPieColor2Start(const QColor &pieColor2Start)
{
    if (pieColor2Start == m_pieColor2Start)
        return;
    m_pieColor2Start = pieColor2Start;
    update();
}

void RoundCircle::setPieColor2End(const QColor &pieColor2End)
{
    if (pieColor2End == m_pieColor2End)
        return;
    m_pieColor2End = pieColor2End;
    update();
}

void RoundCircle::showEvent(QShowEvent *event)
{
    m_timer->start();
    QWidget::showEvent(event);
}

void RoundCircle::hideEvent(QHideEvent *event)
{
    m_timer->stop();
    QWidget::hideEvent(event);
}

void RoundCircle::paintEvent(QPaintEvent *)
{
    const int radius = qMin(width(), height()) / 2 - 5;
    if (radius <= 0)
        return; // too small to show anything
    const QPoint centre((width() - 1) / 2, (height() - 1) / 2);

    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    drawBackground(&painter, centre, radius);
    drawPies(&painter, centre, radius);
}

void RoundCircle::drawBackground(QPainter *painter, const QPoint &centre, int radius)
{
    painter->save();
    painter->setPen(Qt::NoPen);

    const QRect disc(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    QRadialGradient gradient(QRectF(disc).center(), radius, QRectF(disc).center());
    gradient.setColorAt(0.0, m_bgColorStart);
    gradient.setColorAt(1.0, m_bgColorEnd);
    painter->setBrush(gradient);
    painter->drawEllipse(disc);
    painter->restore();
}

void RoundCircle::drawPies(QPainter *painter, const QPoint &centre, int radius)
{
    painter->save();
    painter->setPen(Qt::NoPen);

    QTransform transform;
    transform.translate(centre.x(), centre.y());
    transform.rotate(m_clockWise ? m_angle : -m_angle, Qt::ZAxis);
    painter->setTransform(transform, true);

    const QRectF square(-0.8 * radius, -0.8 * radius, 1.6 * radius, 1.6 * radius);
    for (int i = 0; i < 4; ++i) {
        const bool firstPair = (i % 2 == 0);
        QRadialGradient gradient(square.center(), radius);
        gradient.setColorAt(0.0, firstPair ? m_pieColor2Start : m_pieColor1Start);
        gradient.setColorAt(1.0, firstPair ? m_pieColor2End : m_pieColor1End);
        painter->setBrush(gradient);
        painter->drawPie(square, i * 90 * 16, 90 * 16);
    }
    painter->restore();
}
