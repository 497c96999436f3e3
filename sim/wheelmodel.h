#pragma once

// The mechanics of the simulated wheel and the driver who turns it: a rim with
// inertia under the base's spring, damper, return-speed limit and friction,
// held between end stops at half the steering range, plus a driver who steers
// left and right, works the pedals and presses buttons. Plain values, no
// threads: the owner advances it in time.

#include "simreports.h"

namespace sim {

class WheelModel
{
public:
    struct Mechanics
    {
        int angleRange = 900; // full steering range, degrees
        int spring = 0;       // 0..100 (values above are taken as they come)
        int damper = 0;
        int returnSpeed = 0;
        int friction = 0;
    };

    void setMechanics(const Mechanics &mechanics);
    Mechanics mechanics() const { return m_mechanics; }

    // Without the driver the wheel only answers to its own mechanics, and the
    // pedal axes and buttons rest at 0.
    void setDriverActive(bool active);
    bool driverActive() const { return m_driverActive; }

    // Advances the model by `seconds` in steps of at most a millisecond.
    void step(double seconds);

    double angle() const { return m_angle; } // degrees from the centre
    double velocity() const { return m_velocity; }
    double time() const { return m_time; }

    // Puts the rim at `degrees` (within the end stops) and stops it.
    void setAngle(double degrees);
    // The current position becomes the centre.
    void recentre();

    // The live report contents for the present moment.
    LiveState liveState() const;

private:
    void integrate(double dt);
    double halfRange() const;
    double driverTarget() const;
    double springTorque() const;

    Mechanics m_mechanics;
    bool m_driverActive = true;
    double m_angle = 0.0;
    double m_velocity = 0.0;
    double m_time = 0.0;
};

} // namespace sim
