// The two gauges: which values they take, how the pointer glides, and where the scale numbers
// go, measured in the font they are drawn in. The dial is drawn in units of a 200-unit box
// scaled to the widget, so where the numbers lie in it does not depend on the widget's size.

#include "gaugearc.h"
#include "gaugesimple.h"

#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <memory>

using GaugeSupport::Band;

namespace {

QList<int> emitted(const QSignalSpy &spy)
{
    QList<int> values;
    for (const QList<QVariant> &args : spy)
        values << args.at(0).toInt();
    return values;
}

// Distances from the dial's centre to the nearest and the farthest point of `box`.
std::pair<double, double> radialExtent(const QRectF &box)
{
    const double nearX = std::clamp(0.0, box.left(), box.right());
    const double nearY = std::clamp(0.0, box.top(), box.bottom());
    const double farX = std::max(std::abs(box.left()), std::abs(box.right()));
    const double farY = std::max(std::abs(box.top()), std::abs(box.bottom()));
    return {std::hypot(nearX, nearY), std::hypot(farX, farY)};
}

// Every scale number lies clear of the ticks, the rings and the hub, and of its neighbours.
void checkScaleNumbers(const QVector<GaugeSupport::ScaleNumber> &numbers,
                       const GaugeSupport::DialGeometry &geometry, int expectedCount)
{
    QCOMPARE(numbers.size(), expectedCount);
    const Band bands[] = {GaugeSupport::tickBand(geometry),
                          GaugeSupport::ringBand(geometry),
                          {0, geometry.hub.cap.width() / 2.0}};
    for (int i = 0; i < numbers.size(); ++i) {
        const QRectF &box = numbers[i].box;
        QVERIFY2(box.width() > 0 && box.height() > 0, qPrintable(numbers[i].text));
        const auto [nearest, farthest] = radialExtent(box);
        for (const Band &band : bands)
            QVERIFY2(farthest < band.inner || nearest > band.outer,
                     qPrintable(QStringLiteral("\"%1\" spans radii %2..%3, band %4..%5")
                                    .arg(numbers[i].text)
                                    .arg(nearest)
                                    .arg(farthest)
                                    .arg(band.inner)
                                    .arg(band.outer)));
        if (i > 0)
            QVERIFY2(!box.intersects(numbers[i - 1].box), qPrintable(numbers[i].text));
    }
}

} // namespace

class TestGauges : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void arcValues_data();
    void arcValues();
    void simpleValues_data();
    void simpleValues();
    void glide_data();
    void glide();
    void scaleNumbersClear_data();
    void scaleNumbersClear();
    void ticksMajorLongerThanMinor();
    void settingRedrawsTheDial_data();
    void settingRedrawsTheDial();
    void wheelOnAPageLooksFresh_data();
    void wheelOnAPageLooksFresh();
    void keptTextLayoutsDrawAsDrawText();
};

// A gauge keeps its dial as a picture: after any setting it shows changes, it must look like a
// gauge built with that setting (a stale picture would keep the old dial).
void TestGauges::settingRedrawsTheDial_data()
{
    QTest::addColumn<bool>("arc");
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("setting");
    const QVariant red = QColor(Qt::red);
    for (const bool arc : {true, false}) {
        const char *kind = arc ? "arc " : "simple ";
        const auto row = [&](const char *property, const QVariant &setting) {
            QTest::addRow("%s%s", kind, property) << arc << QByteArray(property) << setting;
        };
        row("minValue", -70.0);
        row("maxValue", 130.0);
        row("scaleMajor", 4);
        row("scaleMinor", 3);
        row("startAngle", 60);
        row("endAngle", 30);
        row("scaleColor", red);
        row("textColor", red);
        row(arc ? "arcColor" : "freeColor", red);
        row(arc ? "scaleNumColor" : "showOverlay", arc ? red : QVariant(true));
        if (arc)
            row("precision", 2);
    }
}

void TestGauges::settingRedrawsTheDial()
{
    QFETCH(bool, arc);
    QFETCH(QByteArray, property);
    QFETCH(QVariant, setting);
    const auto make = [arc]() -> std::unique_ptr<QWidget> {
        std::unique_ptr<QWidget> gauge;
        if (arc)
            gauge = std::make_unique<GaugeArc>();
        else
            gauge = std::make_unique<GaugeSimple>();
        gauge->setProperty("animation", false);
        gauge->setProperty("value", 25.0);
        gauge->resize(231, 201);
        return gauge;
    };
    const auto changed = make();
    const QImage before = changed->grab().toImage();
    QVERIFY(changed->setProperty(property, setting));
    const QImage after = changed->grab().toImage();
    const auto fresh = make();
    QVERIFY(fresh->setProperty(property, setting));
    QVERIFY(after != before);
    QVERIFY(after == fresh->grab().toImage());
}

void TestGauges::arcValues_data()
{
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("stored");
    QTest::addColumn<QList<int>>("signalled");

    QTest::newRow("fraction truncated in signal") << 0.0 << 100.0 << 37.9 << 37.9 << QList<int>{37};
    QTest::newRow("negative truncated toward zero")
        << -450.0 << 450.0 << -12.7 << -12.7 << QList<int>{-12};
    QTest::newRow("upper end accepted") << 0.0 << 100.0 << 100.0 << 100.0 << QList<int>{100};
    QTest::newRow("above range ignored") << 0.0 << 100.0 << 150.0 << 0.0 << QList<int>{};
    QTest::newRow("equal value ignored") << -10.0 << 10.0 << 0.0 << 0.0 << QList<int>{};
    QTest::newRow("not a number ignored") << 0.0 << 100.0 << qQNaN() << 0.0 << QList<int>{};
}

void TestGauges::arcValues()
{
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(double, value);
    QFETCH(double, stored);
    QFETCH(QList<int>, signalled);

    GaugeArc gauge;
    gauge.setRange(min, max);
    QSignalSpy spy(&gauge, &GaugeArc::valueChanged);
    gauge.setValue(value);
    QCOMPARE(gauge.value(), stored);
    QCOMPARE(gauge.shownValue(), stored);
    QCOMPARE(emitted(spy), signalled);
}

void TestGauges::simpleValues_data()
{
    QTest::addColumn<double>("written"); // through the property system, as the form writes
    QTest::addColumn<int>("stored");
    QTest::addColumn<QList<int>>("signalled");

    QTest::newRow("full scale") << 4095.0 << 4095 << QList<int>{4095};
    QTest::newRow("past full scale ignored") << 4096.0 << 0 << QList<int>{};
    QTest::newRow("fraction truncated") << 819.9 << 819 << QList<int>{819};
    QTest::newRow("infinite ignored") << qInf() << 0 << QList<int>{};
}

void TestGauges::simpleValues()
{
    QFETCH(double, written);
    QFETCH(int, stored);
    QFETCH(QList<int>, signalled);

    GaugeSimple gauge;
    QVERIFY(gauge.setProperty("maxValue", 4095.9));
    QCOMPARE(gauge.maxValue(), 4095);
    QSignalSpy spy(&gauge, &GaugeSimple::valueChanged);
    QVERIFY(gauge.setProperty("value", written));
    QCOMPARE(gauge.value(), stored);
    QCOMPARE(emitted(spy), signalled);
}

void TestGauges::glide_data()
{
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("to");
    QTest::addColumn<double>("step");
    QTest::addColumn<QList<double>>("shown"); // after each tick until the timer stops

    QTest::newRow("passes target by less than a step")
        << 0.0 << 1.2 << 0.5 << QList<double>{0.5, 1.0, 1.5, 1.5};
    QTest::newRow("downward") << 2.0 << 0.6 << 0.5 << QList<double>{1.5, 1.0, 0.5, 0.5};
    QTest::newRow("no step jumps") << 0.0 << 40.0 << 0.0 << QList<double>{40.0};
}

void TestGauges::glide()
{
    QFETCH(double, from);
    QFETCH(double, to);
    QFETCH(double, step);
    QFETCH(QList<double>, shown);

    GaugeArc gauge;
    gauge.setValue(from);
    gauge.setAnimation(true);
    gauge.setAnimationStep(step);
    gauge.setValue(to);
    QVERIFY(gauge.isAnimating());
    QList<double> seen;
    for (int i = 0; i < 100 && gauge.isAnimating(); ++i) {
        gauge.updateValue();
        seen << gauge.shownValue();
    }
    QCOMPARE(seen, shown);
}

void TestGauges::scaleNumbersClear_data()
{
    QTest::addColumn<bool>("arc"); // the wheel gauge, or else an axis gauge
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<int>("detail"); // the wheel gauge's decimals, an axis gauge's major ticks

    // The wheel gauge of the settings page shows plus and minus half the steering angle.
    QTest::newRow("900 degrees") << true << -450.0 << 450.0 << 0;
    QTest::newRow("1600 degrees") << true << -800.0 << 800.0 << 0;
    QTest::newRow("1 degree") << true << -0.5 << 0.5 << 0;
    QTest::newRow("540 degrees, decimals") << true << -270.0 << 270.0 << 1;
    QTest::newRow("12-bit axis") << false << 0.0 << 4095.0 << 5;
    QTest::newRow("axis defaults") << false << 0.0 << 100.0 << 10;
    QTest::newRow("10-bit axis") << false << 0.0 << 1023.0 << 4;
}

void TestGauges::scaleNumbersClear()
{
    QFETCH(bool, arc);
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(int, detail);
    if (arc) {
        GaugeArc gauge;
        gauge.resize(381, 261); // its size in the form
        gauge.setRange(min, max);
        gauge.setPrecision(detail);
        checkScaleNumbers(gauge.scaleNumbers(), GaugeArc::dialGeometry(), gauge.scaleMajor() + 1);
    } else {
        GaugeSimple gauge;
        gauge.resize(231, 201); // its size in the form
        gauge.setRange(int(min), int(max));
        gauge.setScaleMajor(detail);
        checkScaleNumbers(gauge.scaleNumbers(), GaugeSimple::dialGeometry(), detail + 1);
    }
}

void TestGauges::ticksMajorLongerThanMinor()
{
    // Half a turn in one division of two: majors straight down and up, a minor to the left.
    const GaugeSupport::DialScale scale{0, 180, 1, 2};
    GaugeSupport::DialGeometry geometry{};
    geometry.ticks = {70, 88, 95, 2, 2};
    QImage image(200, 200, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.translate(100, 100);
        GaugeSupport::drawTicks(&painter, scale, geometry, Qt::white);
    }
    const auto inked = [&](int x, int y) { return qAlpha(image.pixel(x, y)) > 0; };
    QVERIFY(inked(100, 180) && inked(100, 20)); // both majors reach radius 80
    QVERIFY(inked(8, 100));                     // the minor at radius 92
    QVERIFY(!inked(20, 100));                   // but not at 80
    QVERIFY(!inked(180, 100));                  // nothing beyond the scale
}

// The wheel gauge paints what lies under it from a picture it keeps and repaints only where its
// pointer and value text were and are: after any changes, what the window shows (its backing
// store) must be what a window built in the final state shows.
void TestGauges::wheelOnAPageLooksFresh_data()
{
    QTest::addColumn<QStringList>("steps"); // value:V, page:COLOUR (page style), title:TEXT
    const auto row = [](const char *tag, const char *steps) {
        QTest::newRow(tag) << QString::fromLatin1(steps).split(QLatin1Char(' '));
    };
    row("pointer sweeps", "value:-400 value:30 value:450 value:-1 value:1600");
    row("text widths", "value:-1600 value:7 value:-88 value:1234");
    row("page restyled", "value:90 page:#402020 value:-90");
    row("title under the gauge", "value:200 title:Orvex title:Manager value:-5");
}

void TestGauges::wheelOnAPageLooksFresh()
{
    QFETCH(QStringList, steps);
    struct Page
    {
        QWidget window;
        QLabel *title = new QLabel(QStringLiteral("Torvane"), &window);
        GaugeArc *gauge = new GaugeArc(&window);
        explicit Page(const QStringList &steps)
        {
            window.setObjectName(QStringLiteral("page"));
            window.resize(500, 320);
            title->setGeometry(100, 0, 300, 70);
            title->setStyleSheet(QStringLiteral("color: white; font-size: 35px;"));
            gauge->setGeometry(40, 40, 381, 261);
            gauge->setAnimation(false);
            gauge->setRange(-1600, 1600);
            // Only the last page style: Qt keeps the first one parsed for a widget restyled
            // before it is shown.
            const QStringList styles = QStringList(QStringLiteral("page:#283345")) +
                                       steps.filter(QRegularExpression(QStringLiteral("^page:")));
            apply(styles.last());
            for (const QString &step : steps)
                if (!step.startsWith(QLatin1String("page:")))
                    apply(step);
        }
        void apply(const QString &step)
        {
            const QString what = step.section(QLatin1Char(':'), 0, 0);
            const QString argument = step.section(QLatin1Char(':'), 1);
            if (what == QLatin1String("value"))
                gauge->setValue(argument.toDouble());
            else if (what == QLatin1String("title"))
                title->setText(argument);
            else
                window.setStyleSheet(
                    QStringLiteral("#page{background: qlineargradient(x1:0, "
                                   "y1:0, x2:0, y2:1, stop:0 %1, stop:1 #020407);}")
                        .arg(argument));
        }
        QImage shown()
        {
            QCoreApplication::processEvents();
            return window.screen()->grabWindow(window.winId()).toImage();
        }
    };
    Page changed({});
    changed.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&changed.window));
    for (const QString &step : steps) {
        changed.apply(step);
        changed.shown();
    }
    Page fresh(steps);
    fresh.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fresh.window));
    QVERIFY(changed.shown() == fresh.shown());
}

// The gauge's value text keeps its layouts; drawn from them it must be what QPainter::drawText
// draws, fitting or cut to its rectangle, and a text of two lines is left to drawText.
void TestGauges::keptTextLayoutsDrawAsDrawText()
{
    GaugeSupport::CentredTextCache kept;
    const QFont font(QStringLiteral("Arial"), 26);
    for (const QRectF &rect : {QRectF(20, 30, 160, 40), QRectF(60, 40, 50, 12)}) {
        for (const QString &text :
             {QStringLiteral("-1600"), QStringLiteral("7"), QStringLiteral("123.5"),
              QStringLiteral("12\n34"), QStringLiteral("-1600")}) {
            QImage cached(200, 100, QImage::Format_ARGB32_Premultiplied);
            cached.fill(Qt::black);
            QImage direct = cached;
            QPainter onCached(&cached), onDirect(&direct);
            kept.draw(&onCached, rect, font, Qt::white, text);
            GaugeSupport::drawCentredText(&onDirect, rect, font, Qt::white, text);
            onCached.end(), onDirect.end();
            QVERIFY2(cached == direct, qPrintable(text));
        }
    }
}

QTEST_MAIN(TestGauges)
#include "tst_gauges.moc"
