#include "gaugesupport.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTextLayout>
#include <QTimer>
#include <QtMath>

#include <unordered_map>

namespace GaugeSupport {

namespace {

constexpr int kGlideIntervalMs = 10;

// Both gauges' indicator needle, and the line that rings it in PointerShape::IndicatorR.
constexpr QPoint kIndicatorShape[3] = {QPoint(-5, 0), QPoint(5, 0), QPoint(0, 75)};
constexpr int kIndicatorLength = 75;
constexpr int kIndicatorRingWidth = 4;

} // namespace

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

PointerGlide::PointerGlide(QWidget *widget) : m_widget(widget), m_timer(new QTimer(widget))
{
    m_timer->setInterval(kGlideIntervalMs);
}

bool PointerGlide::isRunning() const
{
    return m_timer->isActive();
}

void PointerGlide::aimAt(double target)
{
    m_reverse = target < m_shown;
}

void PointerGlide::start()
{
    m_timer->start();
}

void PointerGlide::jumpTo(double target)
{
    m_timer->stop();
    m_shown = target;
    repaint();
}

void PointerGlide::step(double target, double stepSize)
{
    // A step that cannot move the pointer would keep the timer alive for ever: jump instead.
    if (!(stepSize > 0)) {
        m_shown = target;
        m_timer->stop();
    } else if (!m_reverse && m_shown < target) {
        m_shown += stepSize;
    } else if (m_reverse && m_shown > target) {
        m_shown -= stepSize;
    } else {
        m_timer->stop();
    }
    repaint();
}

void PointerGlide::repaint()
{
    if (m_area)
        m_widget->update(m_area());
    else
        m_widget->update();
}

void setUpDialPainter(QPainter *painter, const QSize &size)
{
    const int side = qMin(size.width(), size.height());
    painter->setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    painter->translate(size.width() / 2, size.height() / 2);
    painter->scale(side / 200.0, side / 200.0);
}

DialScale dialScale(int startAngle, int endAngle, int major, int minor)
{
    return {startAngle, 360.0 - startAngle - endAngle, major, minor};
}

ArcParts splitArc(const DialScale &scale, double fraction)
{
    const double used = fraction * scale.span;
    const double free = scale.span - used;
    const double usedStart = 270.0 - scale.startAngle - used;
    return {toSixteenths(usedStart), toSixteenths(used), toSixteenths(usedStart - free),
            toSixteenths(free)};
}

void drawTicks(QPainter *painter, const DialScale &scale, const DialGeometry &geometry,
               const QColor &color)
{
    const DialGeometry::Ticks &ticks = geometry.ticks;
    painter->save();
    painter->rotate(scale.startAngle);

    // 64-bit so that large division counts cannot overflow.
    const qint64 steps = qint64(scale.major) * scale.minor;
    const double angleStep = scale.span / steps;
    QPen pen(color);
    pen.setCapStyle(Qt::RoundCap);

    for (qint64 i = 0; i <= steps; ++i) {
        if (i % scale.minor == 0) {
            pen.setWidthF(ticks.majorWidth);
            painter->setPen(pen);
            painter->drawLine(0, ticks.majorInner, 0, ticks.outer);
        } else {
            pen.setWidthF(ticks.minorWidth);
            painter->setPen(pen);
            painter->drawLine(0, ticks.minorInner, 0, ticks.outer);
        }
        painter->rotate(angleStep);
    }
    painter->restore();
}

Band tickBand(const DialGeometry &geometry)
{
    const DialGeometry::Ticks &ticks = geometry.ticks;
    const double cap = std::max(ticks.majorWidth, ticks.minorWidth) / 2;
    return {std::min(ticks.majorInner, ticks.minorInner) - cap, ticks.outer + cap};
}

Band ringBand(const DialGeometry &geometry)
{
    const DialGeometry::Rings &rings = geometry.rings;
    return {rings.inner - rings.width / 2, rings.outer + rings.width / 2};
}

QVector<ScaleNumber> placeScaleNumbers(const DialScale &scale, double limit,
                                       const QFontMetricsF &metrics,
                                       const std::function<QString(int)> &label)
{
    QVector<ScaleNumber> numbers;
    const double start = qDegreesToRadians(270.0 - scale.startAngle);
    const double delta = qDegreesToRadians(scale.span) / scale.major;

    for (int i = 0; i <= scale.major; ++i) {
        const double angle = start - i * delta;
        const QPointF ray(std::cos(angle), -std::sin(angle));
        const QString text = label(i);
        const QRectF ink = metrics.tightBoundingRect(text);
        const double halfW = ink.width() / 2;
        const double halfH = ink.height() / 2;

        // The box's corner farthest from the centre touches the limit circle:
        // |r * ray + (±halfW, ±halfH)| = limit, the signs those of the ray.
        const double p = std::abs(ray.x()) * halfW + std::abs(ray.y()) * halfH;
        const double q = halfW * halfW + halfH * halfH;
        const double r = std::max(0.0, -p + std::sqrt(std::max(0.0, p * p - q + limit * limit)));

        const QPointF centre = ray * r;
        const QRectF box(centre.x() - halfW, centre.y() - halfH, ink.width(), ink.height());
        numbers.append({text, box, box.topLeft() - ink.topLeft()});
    }
    return numbers;
}

void drawScaleNumbers(QPainter *painter, const QVector<ScaleNumber> &numbers, const QFont &font,
                      const QColor &color)
{
    painter->save();
    painter->setPen(color);
    painter->setFont(font);
    for (const ScaleNumber &number : numbers)
        painter->drawText(number.origin, number.text);
    painter->restore();
}

void drawPointer(QPainter *painter, const DialScale &scale, double fraction, PointerShape shape,
                 const DialGeometry &geometry, const QColor &color)
{
    const DialGeometry::Pointer &pointer = geometry.pointer;
    painter->save();
    painter->rotate(scale.startAngle);
    painter->rotate(scale.span * fraction);

    switch (shape) {
    case PointerShape::Circle:
        painter->setPen(Qt::NoPen);
        painter->setBrush(color);
        painter->drawEllipse(pointer.circle);
        break;
    case PointerShape::Indicator:
        painter->setOpacity(0.8);
        painter->setPen(Qt::NoPen);
        painter->setBrush(color);
        painter->drawConvexPolygon(kIndicatorShape, 3);
        break;
    case PointerShape::IndicatorR: {
        painter->setOpacity(pointer.indicatorROpacity);
        painter->setPen(color);
        painter->setBrush(color);
        painter->drawConvexPolygon(kIndicatorShape, 3);

        QPen pen(color, kIndicatorRingWidth);
        pen.setCapStyle(Qt::RoundCap);
        painter->setPen(pen);
        painter->drawLine(0, 0, 0, kIndicatorLength);
        break;
    }
    case PointerShape::Triangle:
        painter->setPen(Qt::NoPen);
        painter->setBrush(color);
        painter->drawConvexPolygon(pointer.triangle, 3);
        break;
    }
    painter->restore();
}

void drawHub(QPainter *painter, const DialGeometry &geometry, const QColor &color)
{
    const DialGeometry::Hub &hub = geometry.hub;

    painter->save();
    painter->setOpacity(hub.capOpacity);
    painter->setPen(Qt::NoPen);
    painter->setBrush(color);
    painter->drawEllipse(hub.cap);
    painter->restore();

    painter->save();
    painter->setPen(Qt::NoPen);
    painter->setBrush(color);
    painter->drawEllipse(hub.centre);
    painter->restore();
}

void drawCentredText(QPainter *painter, const QRectF &rect, const QFont &font, const QColor &color,
                     const QString &text)
{
    painter->save();
    painter->setPen(color);
    painter->setFont(font);
    painter->drawText(rect, Qt::AlignCenter, text);
    painter->restore();
}

namespace {

// Enough for every whole degree of the widest steering range (1600 degrees).
constexpr int kMaxKeptLayouts = 2048;

// One line of `text` laid out as QPainter::drawText lays out a line that does not wrap.
std::unique_ptr<QTextLayout> layOutLine(const QString &text, const QFont &font,
                                        Qt::LayoutDirection direction)
{
    auto layout = std::make_unique<QTextLayout>(text, font);
    layout->setCacheEnabled(true);
    QTextOption option;
    option.setTextDirection(direction);
    option.setAlignment(Qt::AlignLeft);
    layout->setTextOption(option);
    layout->beginLayout();
    QTextLine line = layout->createLine();
    line.setLineWidth(0x01000000);
    line.setPosition(QPointF(0, 0));
    layout->endLayout();
    return layout;
}

bool isPlainLine(const QString &text)
{
    for (const QChar c : text) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t') ||
            c == QLatin1Char('&') || c == QChar(ushort(0x9c)))
            return false;
    }
    return !text.isEmpty();
}

} // namespace

struct CentredTextCache::Layouts
{
    QFont font;
    Qt::LayoutDirection direction = Qt::LeftToRight;
    std::unordered_map<QString, std::unique_ptr<QTextLayout>> byText;
};

CentredTextCache::CentredTextCache() : m_layouts(std::make_unique<Layouts>()) {}

CentredTextCache::~CentredTextCache() = default;

void CentredTextCache::draw(QPainter *painter, const QRectF &rect, const QFont &font,
                            const QColor &color, const QString &text)
{
    if (!isPlainLine(text)) {
        drawCentredText(painter, rect, font, color, text);
        return;
    }
    painter->save();
    painter->setPen(color);
    painter->setFont(font);
    // The painter's font is the one resolved for its device, as QPainter::drawText uses it.
    Layouts &layouts = *m_layouts;
    if (!(layouts.font == painter->font()) || layouts.direction != painter->layoutDirection() ||
        int(layouts.byText.size()) >= kMaxKeptLayouts) {
        layouts.byText.clear();
        layouts.font = painter->font();
        layouts.direction = painter->layoutDirection();
    }
    std::unique_ptr<QTextLayout> &layout = layouts.byText[text];
    if (!layout)
        layout = layOutLine(text, layouts.font, layouts.direction);
    const QTextLine line = layout->lineAt(0);
    const qreal height = line.ascent() + line.descent();
    const qreal width = line.naturalTextWidth();
    const qreal top = rect.y() + (rect.height() - height) / 2;
    const QRectF bounds(rect.x() + (rect.width() - width) / 2, top, width, height);
    // A text taller or wider than the rectangle is cut to it.
    if (!rect.contains(bounds))
        painter->setClipRect(rect, Qt::IntersectClip);
    line.draw(painter, QPointF(rect.x() + (rect.width() - line.horizontalAdvance()) / 2, top));
    painter->restore();
}

void drawOutline(QPainter *painter)
{
    painter->save();
    painter->setBrush(Qt::NoBrush);
    painter->setPen(QPen(accentColor(), 1));
    painter->drawEllipse(-99, -99, 198, 198);
    painter->restore();
}

bool fitsWidget(const QPixmap &picture, const QWidget *widget)
{
    const qreal ratio = widget->devicePixelRatioF();
    return picture.size() == widget->size() * ratio && picture.devicePixelRatioF() == ratio;
}

QPixmap drawDialPicture(const QWidget *widget, const std::function<void(QPainter *)> &draw)
{
    const qreal ratio = widget->devicePixelRatioF();
    QPixmap picture(widget->size() * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    {
        QPainter painter(&picture);
        setUpDialPainter(&painter, widget->size());
        draw(&painter);
    }
    return picture;
}

void drawWholeWidget(QPainter *painter, const QPixmap &picture)
{
    painter->save();
    painter->resetTransform();
    painter->drawPixmap(0, 0, picture);
    painter->restore();
}

} // namespace GaugeSupport
