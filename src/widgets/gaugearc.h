#pragma once

#include "gaugesupport.h"

#include <QColor>
#include <QWidget>

#include <tuple>

class QPainter;

// Ring-shaped dial with major and minor ticks, scale numbers, a pointer, a centre cap and the
// numeric value under the centre. Everything is drawn in a 200 x 200 logical box centred on the
// widget, so the dial scales with the widget. With `animation` on, the pointer glides to a new
// value in `animationStep` units every 10 ms.
class GaugeArc : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(double minValue READ minValue WRITE setMinValue)
    Q_PROPERTY(double maxValue READ maxValue WRITE setMaxValue)
    Q_PROPERTY(double value READ value WRITE setValue)
    Q_PROPERTY(int precision READ precision WRITE setPrecision)
    Q_PROPERTY(int scaleMajor READ scaleMajor WRITE setScaleMajor)
    Q_PROPERTY(int scaleMinor READ scaleMinor WRITE setScaleMinor)
    Q_PROPERTY(int startAngle READ startAngle WRITE setStartAngle)
    Q_PROPERTY(int endAngle READ endAngle WRITE setEndAngle)
    Q_PROPERTY(bool animation READ animation WRITE setAnimation)
    Q_PROPERTY(double animationStep READ animationStep WRITE setAnimationStep)
    Q_PROPERTY(QColor arcColor READ arcColor WRITE setArcColor)
    Q_PROPERTY(QColor scaleColor READ scaleColor WRITE setScaleColor)
    Q_PROPERTY(QColor scaleNumColor READ scaleNumColor WRITE setScaleNumColor)
    Q_PROPERTY(QColor pointerColor READ pointerColor WRITE setPointerColor)
    Q_PROPERTY(QColor textColor READ textColor WRITE setTextColor)
    Q_PROPERTY(PointerStyle pointerStyle READ pointerStyle WRITE setPointerStyle)

public:
    enum PointerStyle
    {
        PointerStyle_Circle = 0,
        PointerStyle_Indicator = 1,
        PointerStyle_IndicatorR = 2,
        PointerStyle_Triangle = 3
    };
    Q_ENUM(PointerStyle)

    explicit GaugeArc(QWidget *parent = nullptr);

    double minValue() const { return m_minValue; }
    double maxValue() const { return m_maxValue; }
    double value() const { return m_value; }
    int precision() const { return m_precision; }
    int scaleMajor() const { return m_scaleMajor; }
    int scaleMinor() const { return m_scaleMinor; }
    int startAngle() const { return m_startAngle; }
    int endAngle() const { return m_endAngle; }
    bool animation() const { return m_animation; }
    double animationStep() const { return m_animationStep; }
    QColor arcColor() const { return m_arcColor; }
    QColor scaleColor() const { return m_scaleColor; }
    QColor scaleNumColor() const { return m_scaleNumColor; }
    QColor pointerColor() const { return m_pointerColor; }
    QColor textColor() const { return m_textColor; }
    PointerStyle pointerStyle() const { return m_pointerStyle; }

    // Read-only view of the animation: the value the pointer currently shows, the text drawn
    // under the centre, and whether the 10 ms step timer is running.
    double shownValue() const { return m_glide.shown(); }
    QString valueText() const;
    // Where the pointer at the shown value, the hub and the value text are drawn. A move of the
    // pointer repaints this and the same area for where the pointer was drawn before.
    QRegion movingArea() const;
    bool isAnimating() const;

    // Where the rings, ticks and scale numbers are drawn, in the dial's 200-unit box.
    static const GaugeSupport::DialGeometry &dialGeometry();
    QVector<GaugeSupport::ScaleNumber> scaleNumbers() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public Q_SLOTS:
    void updateValue();

    void setRange(double minValue, double maxValue);
    void setRange(int minValue, int maxValue);
    void setMinValue(double minValue);
    void setMaxValue(double maxValue);
    void setValue(double value);
    void setValue(int value);
    void setPrecision(int precision);
    void setScaleMajor(int scaleMajor);
    void setScaleMinor(int scaleMinor);
    void setStartAngle(int startAngle);
    void setEndAngle(int endAngle);
    void setAnimation(bool animation);
    void setAnimationStep(double animationStep);
    void setArcColor(const QColor &arcColor);
    void setScaleColor(const QColor &scaleColor);
    void setScaleNumColor(const QColor &scaleNumColor);
    void setPointerColor(const QColor &pointerColor);
    void setTextColor(const QColor &textColor);
    void setPointerStyle(PointerStyle pointerStyle);

Q_SIGNALS:
    void valueChanged(int value);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Every setting the rings, ticks, scale numbers and outline are drawn from.
    using DialLayerSettings =
        std::tuple<double, double, int, int, int, int, int, QRgb, QRgb, QRgb, int>;
    DialLayerSettings dialLayerSettings() const;
    GaugeSupport::DialScale dialScale() const;
    double shownFraction() const;
    QRect pointerArea() const;

    void drawArc(QPainter *painter);
    void drawScaleNum(QPainter *painter);
    void drawOutline(QPainter *painter);

    double m_minValue = 0;
    double m_maxValue = 100;
    double m_value = 0;
    int m_precision = 0;
    int m_scaleMajor = 10;
    int m_scaleMinor = 10;
    int m_startAngle = 45;
    int m_endAngle = 45;
    bool m_animation = false;
    double m_animationStep = 0.5;
    QColor m_arcColor = QColor(50, 50, 50);
    QColor m_scaleColor = QColor(60, 60, 60);
    QColor m_scaleNumColor = QColor(20, 20, 20);
    QColor m_pointerColor = QColor(255, 107, 107);
    QColor m_textColor = QColor(100, 184, 255);
    PointerStyle m_pointerStyle = PointerStyle_Indicator;

    // All but the pointer, hub and value text.
    GaugeSupport::DialLayer<DialLayerSettings> m_dialLayer;
    QRect m_pointerDrawnArea; // pointerArea() when the gauge was last painted
    GaugeSupport::CentredTextCache m_valueText;
    GaugeSupport::PointerGlide m_glide; // where the pointer is drawn; walks toward m_value
};
