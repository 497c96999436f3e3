#pragma once

#include "gaugesupport.h"

#include <QColor>
#include <QString>
#include <QWidget>

#include <tuple>

class QPainter;

// Dial with a thick two-colour arc (used and free part), ticks, scale numbers, a title under the
// centre, the value under the title and an optional glassy overlay. The whole-number sibling of
// GaugeArc: the same 200 x 200 logical box and animation, other proportions.
//
// minValue, maxValue, value and animationStep are declared as double to the property system but
// stored as int: a double written through a property is truncated toward zero (4095.9 -> 4095).
class GaugeSimple : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(double minValue READ minValue WRITE writeMinValue)
    Q_PROPERTY(double maxValue READ maxValue WRITE writeMaxValue)
    Q_PROPERTY(double value READ value WRITE writeValue)
    Q_PROPERTY(int scaleMajor READ scaleMajor WRITE setScaleMajor)
    Q_PROPERTY(int scaleMinor READ scaleMinor WRITE setScaleMinor)
    Q_PROPERTY(int startAngle READ startAngle WRITE setStartAngle)
    Q_PROPERTY(int endAngle READ endAngle WRITE setEndAngle)
    Q_PROPERTY(bool animation READ animation WRITE setAnimation)
    Q_PROPERTY(double animationStep READ animationStep WRITE writeAnimationStep)
    Q_PROPERTY(QColor usedColor READ usedColor WRITE setUsedColor)
    Q_PROPERTY(QColor freeColor READ freeColor WRITE setFreeColor)
    Q_PROPERTY(QColor scaleColor READ scaleColor WRITE setScaleColor)
    Q_PROPERTY(QColor pointerColor READ pointerColor WRITE setPointerColor)
    Q_PROPERTY(QColor textColor READ textColor WRITE setTextColor)
    Q_PROPERTY(bool showOverlay READ showOverlay WRITE setShowOverlay)
    Q_PROPERTY(QColor overlayColor READ overlayColor WRITE setOverlayColor)
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

    explicit GaugeSimple(QWidget *parent = nullptr);

    int minValue() const { return m_minValue; }
    int maxValue() const { return m_maxValue; }
    int value() const { return m_value; }
    int scaleMajor() const { return m_scaleMajor; }
    int scaleMinor() const { return m_scaleMinor; }
    int startAngle() const { return m_startAngle; }
    int endAngle() const { return m_endAngle; }
    bool animation() const { return m_animation; }
    int animationStep() const { return m_animationStep; }
    QColor usedColor() const { return m_usedColor; }
    QColor freeColor() const { return m_freeColor; }
    QColor scaleColor() const { return m_scaleColor; }
    QColor pointerColor() const { return m_pointerColor; }
    QColor textColor() const { return m_textColor; }
    bool showOverlay() const { return m_showOverlay; }
    QColor overlayColor() const { return m_overlayColor; }
    PointerStyle pointerStyle() const { return m_pointerStyle; }
    QString title() const { return m_title; }

    // Read-only view of the animation: the value the pointer currently shows, the value text
    // drawn under the title, and whether the 10 ms step timer is running.
    double shownValue() const { return m_glide.shown(); }
    QString valueText() const;
    bool isAnimating() const;

    // Where the ring, ticks and scale numbers are drawn, in the dial's 200-unit box.
    static const GaugeSupport::DialGeometry &dialGeometry();
    QVector<GaugeSupport::ScaleNumber> scaleNumbers() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public Q_SLOTS:
    void updateValue();

    void setRange(int minValue, int maxValue);
    void setMinValue(int minValue);
    void setMaxValue(int maxValue);
    void setValue(int value);
    void setScaleMajor(int scaleMajor);
    void setScaleMinor(int scaleMinor);
    void setStartAngle(int startAngle);
    void setEndAngle(int endAngle);
    void setAnimation(bool animation);
    void setAnimationStep(int animationStep);
    void setUsedColor(const QColor &usedColor);
    void setFreeColor(const QColor &freeColor);
    void setScaleColor(const QColor &scaleColor);
    void setPointerColor(const QColor &pointerColor);
    void setTextColor(const QColor &textColor);
    void setShowOverlay(bool showOverlay);
    void setOverlayColor(const QColor &overlayColor);
    void setPointerStyle(PointerStyle pointerStyle);
    void setTitle(const QString &text);

Q_SIGNALS:
    void valueChanged(int value);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Property-system writers: truncate toward zero, ignore what does not fit an int.
    void writeMinValue(double minValue);
    void writeMaxValue(double maxValue);
    void writeValue(double value);
    void writeAnimationStep(double animationStep);

    // Every setting the ticks and scale numbers are drawn from, and those of the glass and the
    // outline drawn over everything else.
    using DialLayerSettings = std::tuple<int, int, int, int, int, int, QRgb, int>;
    using GlassLayerSettings = std::tuple<bool, QRgb>;
    DialLayerSettings dialLayerSettings() const;
    GlassLayerSettings glassLayerSettings() const;
    GaugeSupport::DialScale dialScale() const;
    double shownFraction() const;

    void drawArc(QPainter *painter);
    void drawScaleNum(QPainter *painter);
    void drawOverlay(QPainter *painter);

    int m_minValue = 0;
    int m_maxValue = 100;
    int m_value = 0;
    int m_scaleMajor = 10;
    int m_scaleMinor = 10;
    int m_startAngle = 45;
    int m_endAngle = 45;
    bool m_animation = false;
    int m_animationStep = 1;
    QColor m_usedColor = QColor(100, 184, 255);
    QColor m_freeColor = QColor(100, 100, 100);
    QColor m_scaleColor = QColor(50, 50, 50);
    QColor m_pointerColor = QColor(255, 107, 107);
    QColor m_textColor = QColor(250, 250, 250);
    bool m_showOverlay = false;
    QColor m_overlayColor = QColor(255, 255, 255, 60);
    PointerStyle m_pointerStyle = PointerStyle_Indicator;
    QString m_title;

    GaugeSupport::DialLayer<DialLayerSettings> m_dialLayer;   // ticks and scale numbers
    GaugeSupport::DialLayer<GlassLayerSettings> m_glassLayer; // overlay and outline, on top
    GaugeSupport::PointerGlide m_glide; // where the pointer is drawn; walks toward m_value
};
