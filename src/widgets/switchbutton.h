#pragma once

#include <QColor>
#include <QWidget>

class QPainter;
class QTimer;

// On/off toggle drawn as a track with a sliding knob. Any mouse press toggles it; the knob then
// slides to the other end in steps of width / 50 pixels every 5 ms.
class SwitchButton : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int space READ space WRITE setSpace)
    Q_PROPERTY(int rectRadius READ rectRadius WRITE setRectRadius)
    Q_PROPERTY(bool checked READ isChecked WRITE setChecked NOTIFY checkedChanged)
    Q_PROPERTY(ButtonStyle buttonStyle READ buttonStyle WRITE setButtonStyle)
    Q_PROPERTY(QColor bgColorOff READ bgColorOff WRITE setBgColorOff)
    Q_PROPERTY(QColor bgColorOn READ bgColorOn WRITE setBgColorOn)
    Q_PROPERTY(QColor sliderColorOff READ sliderColorOff WRITE setSliderColorOff)
    Q_PROPERTY(QColor sliderColorOn READ sliderColorOn WRITE setSliderColorOn)

public:
    enum ButtonStyle
    {
        ButtonStyle_Rect = 0,
        ButtonStyle_CircleIn = 1,
        ButtonStyle_CircleOut = 2
    };
    Q_ENUM(ButtonStyle)

    explicit SwitchButton(QWidget *parent = nullptr);

    int space() const { return m_space; }
    int rectRadius() const { return m_rectRadius; }
    bool isChecked() const { return m_checked; }
    ButtonStyle buttonStyle() const { return m_buttonStyle; }
    QColor bgColorOff() const { return m_bgColorOff; }
    QColor bgColorOn() const { return m_bgColorOn; }
    QColor sliderColorOff() const { return m_sliderColorOff; }
    QColor sliderColorOn() const { return m_sliderColorOn; }

    // Read-only view of the animation: the knob's left edge (before `space` is added) and
    // whether the 5 ms step timer is running.
    int knobPosition() const { return m_knob; }
    bool isAnimating() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public Q_SLOTS:
    void change();
    void updateValue();

    void setSpace(int space);
    void setRectRadius(int rectRadius);
    void setChecked(bool checked);
    void setButtonStyle(ButtonStyle buttonStyle);
    void setBgColorOff(const QColor &bgColorOff);
    void setBgColorOn(const QColor &bgColorOn);
    void setSliderColorOff(const QColor &sliderColorOff);
    void setSliderColorOn(const QColor &sliderColorOn);

Q_SIGNALS:
    void checkedChanged(bool checked);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    int stepForWidth() const;
    int restingPosition() const;
    void applyRequestedState();

    void drawBackground(QPainter *painter);
    void drawSlider(QPainter *painter);

    int m_space = 2;
    int m_rectRadius = 5;
    bool m_checked = false;
    ButtonStyle m_buttonStyle = ButtonStyle_Rect;
    QColor m_bgColorOff = QColor(131, 149, 148);
    QColor m_bgColorOn = QColor(131, 149, 148);
    QColor m_sliderColorOff = QColor(199, 202, 199);
    QColor m_sliderColorOn = QColor(18, 225, 53);

    int m_step = 0; // pixels per tick; 0 until the widget has had a size
    int m_knob = 0; // current left edge of the knob
    int m_end = 0;  // where the knob is heading
    QTimer *m_timer = nullptr;

    // setChecked() before the widget has a size is applied a little later; the latest request
    // wins, however many arrive in the meantime.
    bool m_requestedChecked = false;
    QTimer *m_requestTimer = nullptr;
};
