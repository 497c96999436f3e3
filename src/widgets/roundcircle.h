#pragma once

#include <QColor>
#include <QWidget>

class QPainter;
class QTimer;

// Busy indicator: a shaded disc with four alternating quarter pies turning `step` degrees every
// 30 ms. The rotation runs only while the widget is visible, so a hidden indicator costs nothing;
// it resumes from the same angle when shown again.
class RoundCircle : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int step READ step WRITE setStep)
    Q_PROPERTY(bool clockWise READ clockWise WRITE setClockWise)
    Q_PROPERTY(QColor bgColorStart READ bgColorStart WRITE setBgColorStart)
    Q_PROPERTY(QColor bgColorEnd READ bgColorEnd WRITE setBgColorEnd)
    Q_PROPERTY(QColor pieColor1Start READ pieColor1Start WRITE setPieColor1Start)
    Q_PROPERTY(QColor pieColor1End READ pieColor1End WRITE setPieColor1End)
    Q_PROPERTY(QColor pieColor2Start READ pieColor2Start WRITE setPieColor2Start)
    Q_PROPERTY(QColor pieColor2End READ pieColor2End WRITE setPieColor2End)

public:
    explicit RoundCircle(QWidget *parent = nullptr);

    int step() const { return m_step; }
    bool clockWise() const { return m_clockWise; }
    QColor bgColorStart() const { return m_bgColorStart; }
    QColor bgColorEnd() const { return m_bgColorEnd; }
    QColor pieColor1Start() const { return m_pieColor1Start; }
    QColor pieColor1End() const { return m_pieColor1End; }
    QColor pieColor2Start() const { return m_pieColor2Start; }
    QColor pieColor2End() const { return m_pieColor2End; }

    // Read-only view of the rotation: the current angle in degrees and whether the 30 ms timer
    // is running.
    double angle() const { return m_angle; }
    bool isAnimating() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public Q_SLOTS:
    void updateAngle();

    void setStep(int step);
    void setClockWise(bool clockWise);
    void setBgColorStart(const QColor &bgColorStart);
    void setBgColorEnd(const QColor &bgColorEnd);
    void setPieColor1Start(const QColor &pieColor1Start);
    void setPieColor1End(const QColor &pieColor1End);
    void setPieColor2Start(const QColor &pieColor2Start);
    void setPieColor2End(const QColor &pieColor2End);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void drawBackground(QPainter *painter, const QPoint &centre, int radius);
    void drawPies(QPainter *painter, const QPoint &centre, int radius);

    int m_step = 5;
    bool m_clockWise = true;
    QColor m_bgColorStart = QColor(65, 65, 65);
    QColor m_bgColorEnd = QColor(89, 89, 89);
    QColor m_pieColor1Start = QColor(0, 133, 203);
    QColor m_pieColor1End = QColor(0, 118, 177);
    QColor m_pieColor2Start = QColor(255, 255, 255);
    QColor m_pieColor2End = QColor(233, 233, 233);

    double m_angle = 0;
    QTimer *m_timer = nullptr;
};
