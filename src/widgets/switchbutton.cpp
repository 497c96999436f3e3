#include "switchbutton.h"

#include <QPainter>
#include <QPainterPath>
#include <QTimer>

namespace {

constexpr int kAnimationIntervalMs = 5;
constexpr int kDeferredCheckMs = 10;

} // namespace

SwitchButton::SwitchButton(QWidget *parent)
    : QWidget(parent), m_timer(new QTimer(this)), m_requestTimer(new QTimer(this))
{
    m_timer->setInterval(kAnimationIntervalMs);
    connect(m_timer, &QTimer::timeout, this, &SwitchButton::updateValue);

    m_requestTimer->setSingleShot(true);
    m_requestTimer->setInterval(kDeferredCheckMs);
    connect(m_requestTimer, &QTimer::timeout, this, &SwitchButton::applyRequestedState);
}

bool SwitchButton::isAnimating() const
{
    return m_timer->isActive();
}

QSize SwitchButton::sizeHint() const
{
    return QSize(60, 30);
}

QSize SwitchButton::minimumSizeHint() const
{
    return QSize(10, 5);
}

int SwitchButton::stepForWidth() const
{
    // Below 50 pixels the natural step would be 0 and the knob would never arrive.
    return qMax(1, width() / 50);
}

int SwitchButton::restingPosition() const
{
    if (!m_checked)
        return 0;
    switch (m_buttonStyle) {
    case ButtonStyle_Rect:
        return width() - width() / 2;
    case ButtonStyle_CircleIn:
    case ButtonStyle_CircleOut:
        return width() - height();
    }
    return m_end; // a style without a knob keeps its target
}

void SwitchButton::change()
{
    m_checked = !m_checked;
    emit checkedChanged(m_checked);

    m_step = stepForWidth();
    m_end = restingPosition();
    m_timer->start();
}

void SwitchButton::updateValue()
{
    if (m_checked && m_end > m_knob) {
        m_knob += m_step;
    } else if (!m_checked && m_end < m_knob) {
        m_knob -= m_step;
    } else {
        // Land exactly on the end, whatever the last step overshot.
        m_knob = m_end;
        m_timer->stop();
    }
    update();
}

void SwitchButton::setChecked(bool checked)
{
    m_requestedChecked = checked;
    if (checked == m_checked) {
        m_requestTimer->stop();
        return;
    }
    if (m_step == 0) {
        // No size yet, so no end position to slide to: toggle once the widget is laid out.
        m_requestTimer->start();
        return;
    }
    m_requestTimer->stop();
    change();
}

void SwitchButton::applyRequestedState()
{
    if (m_requestedChecked != m_checked)
        change();
}

void SwitchButton::setSpace(int space)
{
    if (space == m_space)
        return;
    m_space = space;
    update();
}

void SwitchButton::setRectRadius(int rectRadius)
{
    if (rectRadius == m_rectRadius)
        return;
    m_rectRadius = rectRadius;
    update();
}

void SwitchButton::setButtonStyle(ButtonStyle buttonStyle)
{
    if (buttonStyle == m_buttonStyle)
        return;
    m_buttonStyle = buttonStyle;
    update();
}

void SwitchButton::setBgColorOff(const QColor &bgColorOff)
{
    if (bgColorOff == m_bgColorOff)
        return;
    m_bgColorOff = bgColorOff;
    update();
}

void SwitchButton::setBgColorOn(const QColor &bgColorOn)
{
    if (bgColorOn == m_bgColorOn)
        return;
    m_bgColorOn = bgColorOn;
    update();
}

void SwitchButton::setSliderColorOff(const QColor &sliderColorOff)
{
    if (sliderColorOff == m_sliderColorOff)
        return;
    m_sliderColorOff = sliderColorOff;
    update();
}

void SwitchButton::setSliderColorOn(const QColor &sliderColorOn)
{
    if (sliderColorOn == m_sliderColorOn)
        return;
    m_sliderColorOn = sliderColorOn;
    update();
}

void SwitchButton::mousePressEvent(QMouseEvent *)
{
    change();
}

void SwitchButton::resizeEvent(QResizeEvent *)
{
    m_step = stepForWidth();
    // Jump to the resting place for the new size; a running slide then ends there too.
    m_knob = restingPosition();
    m_end = m_knob;
    update();
}

void SwitchButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    drawBackground(&painter);
    drawSlider(&painter);
}

void SwitchButton::drawBackground(QPainter *painter)
{
    painter->save();
    painter->setPen(Qt::NoPen);
    painter->setBrush(m_checked ? m_bgColorOn : m_bgColorOff);

    const int w = width();
    const int h = height();
    switch (m_buttonStyle) {
    case ButtonStyle_Rect:
        painter->drawRoundedRect(QRect(0, 0, w, h), m_rectRadius, m_rectRadius);
        break;
    case ButtonStyle_CircleIn: {
        const int side = qMin(w, h);
        const int r = side / 2;
        const int d = side - side % 2;
        QPainterPath path;
        path.moveTo(r, 0);
        path.arcTo(QRectF(0, 0, d, d), 90, 180);
        path.lineTo(w - r, h);
        path.arcTo(QRectF(w - h, 0, d, d), 270, 180);
        path.lineTo(r, 0);
        painter->drawPath(path);
        break;
    }
    case ButtonStyle_CircleOut:
        painter->drawRoundedRect(QRect(h / 2, m_space, w - h, h - 2 * m_space), m_rectRadius,
                                 m_rectRadius);
        break;
    }
    painter->restore();
}

void SwitchButton::drawSlider(QPainter *painter)
{
    painter->save();
    painter->setPen(Qt::NoPen);
    painter->setBrush(m_checked ? m_sliderColorOn : m_sliderColorOff);

    const int w = width();
    const int h = height();
    switch (m_buttonStyle) {
    case ButtonStyle_Rect:
        painter->drawRoundedRect(
            QRect(m_knob + m_space, m_space, w / 2 - 2 * m_space, h - 2 * m_space), m_rectRadius,
            m_rectRadius);
        break;
    case ButtonStyle_CircleIn: {
        const int d = qMin(w, h) - 2 * m_space;
        painter->drawEllipse(QRect(m_knob + m_space, m_space, d, d));
        break;
    }
    case ButtonStyle_CircleOut:
        painter->drawEllipse(QRect(m_knob, 0, h, h));
        break;
    }
    painter->restore();
}
