#pragma once

// Small helpers shared by the widget tests.

#include <QColor>
#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <QObject>
#include <QPoint>
#include <QSignalSpy>
#include <QTest>
#include <QVariant>
#include <QWidget>

#include <cstdlib>
#include <optional>

namespace WidgetTest {

// The accent blue the gauges draw their outline, pointer and used arc in.
const QColor kAccent(46, 189, 231);

// The int arguments of every signal a spy on a valueChanged(int) signal has caught, in order.
inline QList<int> emittedValues(const QSignalSpy &spy)
{
    QList<int> values;
    for (const QList<QVariant> &args : spy)
        values << args.at(0).toInt();
    return values;
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *target) : m_target(target) { target->installEventFilter(this); }
    ~PaintCounter() override { m_target->removeEventFilter(this); }

    int count() const { return m_count; }
    void reset() { m_count = 0; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_target && event->type() == QEvent::Paint)
            ++m_count;
        return false;
    }

private:
    QWidget *m_target;
    int m_count = 0;
};

// Shows the widget as a window and lets every pending paint happen.
inline bool showAndSettle(QWidget *widget)
{
    widget->show();
    if (!QTest::qWaitForWindowExposed(widget))
        return false;
    QTest::qWait(50);
    return true;
}

// Lets posted update requests turn into paint events.
inline void settle()
{
    QCoreApplication::processEvents();
    QTest::qWait(40);
}

// The widget painted on a transparent image of its own size, without any window background.
inline QImage renderTransparent(QWidget *widget)
{
    QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// Checks that a gauge which has painted once draws the same picture after `property` is set
// to `value` as a gauge that never painted before the change, and that the change shows: a
// gauge's picture of its ticks and scale numbers must be drawn again when they change.
template <class Gauge> void checkDialRedrawnAfter(const char *property, const QVariant &value)
{
    Gauge painted;
    painted.resize(200, 200);
    const QImage before = renderTransparent(&painted);
    QVERIFY(painted.setProperty(property, value));

    Gauge fresh;
    fresh.resize(200, 200);
    QVERIFY(fresh.setProperty(property, value));
    const QImage after = renderTransparent(&painted);
    if (after.size() == before.size())
        QVERIFY2(after != before, "the change does not show");
    QVERIFY(after == renderTransparent(&fresh));
}

inline bool isInked(const QImage &image, int x, int y)
{
    return qAlpha(image.pixel(x, y)) > 40;
}

// First column (from the left, or from the right when `fromRight`) in row y that carries ink.
inline std::optional<int> firstInkedColumn(const QImage &image, int y, bool fromRight = false)
{
    for (int i = 0; i < image.width(); ++i) {
        const int x = fromRight ? image.width() - 1 - i : i;
        if (isInked(image, x, y))
            return x;
    }
    return std::nullopt;
}

// First row (from the top) in column x that carries ink.
inline std::optional<int> firstInkedRow(const QImage &image, int x)
{
    for (int y = 0; y < image.height(); ++y) {
        if (isInked(image, x, y))
            return y;
    }
    return std::nullopt;
}

// Number of pixels in which some colour channel of two images of one size differs by more than
// `threshold`.
inline int countDifferentPixels(const QImage &a, const QImage &b, int threshold)
{
    int different = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            const int worst =
                qMax(qMax(std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q))),
                     qMax(std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))));
            if (worst > threshold)
                ++different;
        }
    }
    return different;
}

// Shows the widget, then writes `property` through the property system: first with the value
// it already has, which must not cause a repaint, then with `other`, which must be stored and
// repainted.
inline void verifyWriteRepaintsOnlyOnChange(QWidget *widget, const QByteArray &property,
                                            const QVariant &other)
{
    QVERIFY(showAndSettle(widget));
    PaintCounter paints(widget);

    widget->setProperty(property.constData(), widget->property(property.constData()));
    settle();
    QCOMPARE(paints.count(), 0);

    widget->setProperty(property.constData(), other);
    QCOMPARE(widget->property(property.constData()), other);
    QTRY_VERIFY(paints.count() > 0);
}

} // namespace WidgetTest
