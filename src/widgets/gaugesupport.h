#pragma once

// Helpers shared by the self-painted widgets of this library (not part of its interface).

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QRegion>
#include <QVector>
#include <QWidget>

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>

class QFontMetricsF;
class QPainter;
class QSize;
class QString;
class QTimer;

namespace GaugeSupport {

// The accent blue every gauge draws its outline, pointer and used arc in.
inline QColor accentColor()
{
    return QColor(46, 189, 231);
}

// A double truncated toward zero to int, saturating at the int range (NaN gives 0), so
// conversions of extreme values stay defined.
inline int saturatingTruncate(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (v <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(v);
}

// A double truncated toward zero to int, or nothing when it is not finite or lies outside the
// int range: such writes are ignored instead of wrapping to an unrelated number.
inline std::optional<int> exactTruncate(double v)
{
    if (!std::isfinite(v))
        return std::nullopt;
    const double t = std::trunc(v);
    if (t < static_cast<double>(INT_MIN) || t > static_cast<double>(INT_MAX))
        return std::nullopt;
    return static_cast<int>(t);
}

// An angle in degrees as the painter's sixteenths of a degree. Arcs longer than two full turns
// look the same as two turns, so the angle is bounded first to keep the conversion defined.
inline int toSixteenths(double degrees)
{
    const double bounded = std::clamp(std::isfinite(degrees) ? degrees : 0.0, -720.0, 720.0);
    return static_cast<int>(bounded * 16);
}

// Where `shown` lies between `min` and `max`, pinned to 0...1 so that a value left outside a
// narrowed range is drawn at the end of the dial rather than off it.
inline double dialFraction(double shown, double min, double max)
{
    const double f = (shown - min) / (max - min);
    if (!std::isfinite(f))
        return 0;
    return std::clamp(f, 0.0, 1.0);
}

// "Arial" at a size in points or in pixels.
QFont arialPoints(int points);
QFont arialPixels(int pixels);

// Setters.

// Stores `value` and schedules a repaint of `widget` when it differs from `stored`.
template <class T> void storeAndRepaint(QWidget *widget, T &stored, const T &value)
{
    if (value == stored)
        return;
    stored = value;
    widget->update();
}

// Stores a new scale range and schedules a repaint; a range whose minimum is not below its
// maximum, or which equals the stored one, is ignored.
template <class T> void storeRange(QWidget *widget, T &min, T &max, T newMin, T newMax)
{
    if (!(newMin < newMax))
        return;
    if (newMin == min && newMax == max)
        return;
    min = newMin;
    max = newMax;
    widget->update();
}

// Animation.

// The value a gauge's pointer shows, gliding toward the gauge's value one step per tick of a
// 10 ms timer. The timer is a child of the widget, which connects its timeout to the slot that
// calls step(); every move of the pointer schedules a repaint of the widget.
class PointerGlide
{
public:
    explicit PointerGlide(QWidget *widget);
    PointerGlide(const PointerGlide &) = delete;
    PointerGlide &operator=(const PointerGlide &) = delete;

    QTimer *timer() const { return m_timer; }
    double shown() const { return m_shown; }
    bool isRunning() const;

    // Takes the direction toward a new target from where the pointer is now, so a target set
    // during a glide is always approached instead of being stopped short at the old position.
    void aimAt(double target);
    // Starts the timer; the pointer then walks toward the target given to step().
    void start();
    // Stops any glide and shows `target` at once.
    void jumpTo(double target);
    // One tick: moves the pointer one `stepSize` toward `target`, or stops the timer once the
    // pointer has reached or passed it. The pointer may pass the target by less than one step.
    void step(double target, double stepSize);
    // Limits the repaint of a move to the part of the widget `area` gives, which must hold
    // everything drawn from the shown value; the whole widget without one.
    void setMovingArea(std::function<QRegion()> area) { m_area = std::move(area); }

private:
    void repaint();

    QWidget *m_widget;
    QTimer *m_timer;
    std::function<QRegion()> m_area;
    bool m_reverse = false; // the running glide moves downward
    double m_shown = 0;
};

// Painting.
//
// A gauge paints in a 200 x 200 logical box centred on (0, 0), y pointing down. Its scale
// begins `startAngle` degrees clockwise from straight down and runs clockwise over `span`
// degrees; the pointer is drawn pointing straight down and then turned onto the value.

// The painter set up for the logical box: the smaller side of `size` is 200 units.
void setUpDialPainter(QPainter *painter, const QSize &size);

// The scale's place on the dial and its divisions: `major` divisions of `minor` ticks each.
struct DialScale
{
    int startAngle = 0;
    double span = 0;
    int major = 1;
    int minor = 1;
};

// The scale of a gauge that leaves `startAngle` degrees free at the start of the dial and
// `endAngle` degrees at its end.
DialScale dialScale(int startAngle, int endAngle, int major, int minor);

// Where one gauge draws its rings, ticks, scale numbers, pointer shapes and hub.
struct DialGeometry
{
    struct Ticks
    {
        int majorInner; // major ticks run from this radius to `outer`
        int minorInner; // minor ticks run from this radius to `outer`
        int outer;
        double majorWidth;
        double minorWidth;
    };
    struct Rings
    {
        int inner; // radius of the innermost ring
        int outer; // radius of the outermost ring; equal to `inner` for a single ring
        double width;
    };
    struct Pointer
    {
        QRect circle;             // PointerShape::Circle
        double indicatorROpacity; // PointerShape::IndicatorR
        QPoint triangle[3];       // PointerShape::Triangle
    };
    struct Hub
    {
        double capOpacity;
        QRect cap;    // translucent disc under the centre
        QRect centre; // solid disc on top of it
    };

    Ticks ticks;
    Rings rings;
    double scaleNumLimit; // every scale number lies inside this circle, clear of the ticks
    Pointer pointer;
    Hub hub;
};

// An annulus of the dial, as radii.
struct Band
{
    double inner;
    double outer;
};

// What the ticks and the rings cover, pen widths and round caps included.
Band tickBand(const DialGeometry &geometry);
Band ringBand(const DialGeometry &geometry);

// One scale number: its text, the box its ink fills and the baseline origin that puts the ink
// there, in dial units.
struct ScaleNumber
{
    QString text;
    QRectF box;
    QPointF origin;
};

// The shapes of the pointer, numbered as the gauges number their PointerStyle.
enum class PointerShape
{
    Circle = 0,
    Indicator = 1,
    IndicatorR = 2,
    Triangle = 3
};

// The dial's arc cut where the pointer stands: the used part from the start of the scale to
// `fraction` of it, the free part from there to the end. In the painter's sixteenths of a
// degree, counter-clockwise from 3 o'clock.
struct ArcParts
{
    int usedStart;
    int usedSpan;
    int freeStart;
    int freeSpan;
};
ArcParts splitArc(const DialScale &scale, double fraction);

// Major and minor ticks along the scale, with round caps.
void drawTicks(QPainter *painter, const DialScale &scale, const DialGeometry &geometry,
               const QColor &color);

// The texts `label(i)` of the major ticks, measured in `metrics`, the metrics of the font they
// are drawn in. Each is centred on the ray of its tick and lies as far out as it can while its
// box stays inside the circle of radius `limit`.
QVector<ScaleNumber> placeScaleNumbers(const DialScale &scale, double limit,
                                       const QFontMetricsF &metrics,
                                       const std::function<QString(int)> &label);

// The placed numbers in `font`, which they were measured with.
void drawScaleNumbers(QPainter *painter, const QVector<ScaleNumber> &numbers, const QFont &font,
                      const QColor &color);

// The pointer in `shape`, turned to `fraction` of the scale. A shape outside the four draws
// nothing.
void drawPointer(QPainter *painter, const DialScale &scale, double fraction, PointerShape shape,
                 const DialGeometry &geometry, const QColor &color);

// The cap and the centre disc over the pointer's pivot.
void drawHub(QPainter *painter, const DialGeometry &geometry, const QColor &color);

// Draws single-line texts centred both ways in a rectangle, as QPainter::drawText does with
// Qt::AlignCenter, keeping each text's layout: shaping a text costs more than drawing it, and a
// gauge's value text comes back to the same few hundred numbers. Texts with line breaks, tabs or
// mnemonics are handed to QPainter::drawText.
class CentredTextCache
{
public:
    CentredTextCache();
    ~CentredTextCache();
    CentredTextCache(const CentredTextCache &) = delete;
    CentredTextCache &operator=(const CentredTextCache &) = delete;

    void draw(QPainter *painter, const QRectF &rect, const QFont &font, const QColor &color,
              const QString &text);

private:
    struct Layouts;
    std::unique_ptr<Layouts> m_layouts;
};

// `text` centred both ways in `rect`.
void drawCentredText(QPainter *painter, const QRectF &rect, const QFont &font, const QColor &color,
                     const QString &text);

// The outer outline circle in the accent colour.
void drawOutline(QPainter *painter);

// Whether `picture` was drawn for `widget` as it is now: at its size and pixel ratio.
bool fitsWidget(const QPixmap &picture, const QWidget *widget);

// A transparent picture of `widget`'s size and pixel ratio, drawn by `draw` with a painter set up
// for the logical box.
QPixmap drawDialPicture(const QWidget *widget, const std::function<void(QPainter *)> &draw);

// `picture` over the whole widget, whatever transformation `painter` is set up with.
void drawWholeWidget(QPainter *painter, const QPixmap &picture);

// Parts of a dial that change only with the gauge's settings (ticks and scale numbers, and
// whatever else does not move with the pointer), kept as a picture of the widget's size. A moving
// pointer repaints the gauge up to 20 times a second; drawing this picture costs a fraction of
// drawing its ticks and texts. The picture is drawn again whenever `settings` (every setting it
// shows, as one comparable value), the widget's size or its pixel ratio differ from the last time.
template <class Settings> class DialLayer
{
public:
    // Paints the layer onto `painter`, an active painter on `widget` set up for the logical box,
    // drawing it first with `draw` (given a painter set up the same way on a transparent
    // picture) if it is out of date.
    void paint(QPainter *painter, const QWidget *widget, const Settings &settings,
               const std::function<void(QPainter *)> &draw)
    {
        if (!m_settings || !(*m_settings == settings) || !fitsWidget(m_picture, widget)) {
            m_picture = drawDialPicture(widget, draw);
            m_settings = settings;
        }
        drawWholeWidget(painter, m_picture);
    }

private:
    QPixmap m_picture;
    std::optional<Settings> m_settings;
};

} // namespace GaugeSupport
