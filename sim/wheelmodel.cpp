#include "wheelmodel.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMaxStep = 0.001; // seconds

// Rim and motor, in torque units per degree (and per degree/second).
constexpr double kInertia = 0.0005;
constexpr double kBaseDamping = 0.001;
constexpr double kDampingPerStep = 0.0004;  // per WheelDamper step
constexpr double kSpringPerStep = 0.001;    // per WheelSpring step
constexpr double kFrictionPerStep = 0.015;  // per WheelFriction step
constexpr double kReturnSpeedBase = 90.0;   // deg/s at WheelSpeed 0
constexpr double kReturnSpeedPerStep = 9.0; // deg/s per WheelSpeed step

// The driver's arms: a stiff, limited hold on a target angle.
constexpr double kHandStiffness = 0.05;
constexpr double kHandDamping = 0.004;
constexpr double kHandMaxTorque = 3.0;
constexpr double kSteerPeriod = 5.0; // seconds per left-right sweep
constexpr double kSweepPeriod = 17.0;
constexpr double kMaxSteer = 270.0; // degrees

constexpr double kAxisMax = 4095.0;

double sign(double v)
{
    return v > 0 ? 1.0 : (v < 0 ? -1.0 : 0.0);
}

double wave(double t, double period)
{
    return std::sin(2.0 * kPi * t / period);
}

// A triangle pulse of `width` seconds every `period` seconds, 0..1.
double pulse(double t, double period, double width)
{
    const double phase = std::fmod(t, period);
    if (phase >= width)
        return 0.0;
    return 1.0 - std::fabs(2.0 * phase / width - 1.0);
}

std::uint16_t axis(double fraction)
{
    return std::uint16_t(std::lround(std::clamp(fraction, 0.0, 1.0) * kAxisMax));
}

} // namespace

void WheelModel::setMechanics(const Mechanics &mechanics)
{
    m_mechanics = mechanics;
    const double half = halfRange();
    m_angle = std::clamp(m_angle, -half, half);
}

void WheelModel::setDriverActive(bool active)
{
    m_driverActive = active;
}

void WheelModel::setAngle(double degrees)
{
    const double half = halfRange();
    m_angle = std::clamp(degrees, -half, half);
    m_velocity = 0.0;
}

void WheelModel::recentre()
{
    m_angle = 0.0;
}

void WheelModel::step(double seconds)
{
    while (seconds > 0.0) {
        const double dt = std::min(seconds, kMaxStep);
        integrate(dt);
        seconds -= dt;
    }
}

double WheelModel::halfRange() const
{
    return std::max(1, m_mechanics.angleRange / 2);
}

double WheelModel::driverTarget() const
{
    const double amplitude = std::min(0.7 * halfRange(), kMaxSteer);
    return amplitude * wave(m_time, kSteerPeriod) * (0.6 + 0.4 * wave(m_time, kSweepPeriod));
}

// The centring spring. Its pull fades as the rim approaches the return-speed
// limit in the direction of the pull, so WheelSpeed sets how fast it returns.
double WheelModel::springTorque() const
{
    const double torque = -kSpringPerStep * m_mechanics.spring * m_angle;
    const double limit = kReturnSpeedBase + kReturnSpeedPerStep * m_mechanics.returnSpeed;
    if (sign(torque) == sign(m_velocity)) {
        const double share = std::max(0.0, 1.0 - std::fabs(m_velocity) / limit);
        return torque * share;
    }
    return torque;
}

void WheelModel::integrate(double dt)
{
    double torque = springTorque();
    torque -= (kBaseDamping + kDampingPerStep * m_mechanics.damper) * m_velocity;
    if (m_driverActive) {
        const double hand = kHandStiffness * (driverTarget() - m_angle) - kHandDamping * m_velocity;
        torque += std::clamp(hand, -kHandMaxTorque, kHandMaxTorque);
    }

    // Coulomb friction with sticking: a rim at rest stays put until the other
    // torques exceed the friction, and friction never reverses the motion.
    const double friction = kFrictionPerStep * std::max(0, m_mechanics.friction);
    double velocity = m_velocity;
    if (velocity == 0.0) {
        if (std::fabs(torque) > friction)
            velocity = (torque - sign(torque) * friction) / kInertia * dt;
    } else {
        velocity += (torque - sign(velocity) * friction) / kInertia * dt;
        if (sign(velocity) != sign(m_velocity) && std::fabs(torque) <= friction)
            velocity = 0.0;
    }

    m_velocity = velocity;
    m_angle += m_velocity * dt;
    m_time += dt;

    const double half = halfRange();
    if (m_angle > half || m_angle < -half) {
        m_angle = std::clamp(m_angle, -half, half);
        m_velocity = 0.0; // the end stop takes the blow
    }
}

LiveState WheelModel::liveState() const
{
    LiveState state;
    state.wheelPosition = wheelPositionRaw(m_angle, m_mechanics.angleRange);
    if (!m_driverActive)
        return state;

    const double t = m_time;
    const double pace = wave(t, 4.0);
    state.axes[0] = axis(pace + 0.2);                // X: throttle
    state.axes[1] = axis((-pace - 0.3) / 0.7);       // Y: brake
    state.axes[2] = axis(pulse(t, 6.0, 1.0));        // Z: clutch
    state.axes[3] = axis(pulse(t, 11.0, 1.5));       // RX: handbrake
    state.axes[4] = axis(0.5 + 0.5 * wave(t, 9.0));  // RY: a dial
    state.axes[5] = axis(0.5 + 0.5 * wave(t, 13.0)); // RZ: another dial

    // A lamp walking along the 64 buttons, shift paddles following the
    // steering and button 0 held while braking hard.
    const int walking = int(std::fmod(t / 0.25, 64.0));
    state.buttons = std::uint64_t(1) << walking;
    if (m_velocity > 200.0)
        state.buttons |= std::uint64_t(1) << 1;
    if (m_velocity < -200.0)
        state.buttons |= std::uint64_t(1) << 2;
    if (state.axes[1] > 2048)
        state.buttons |= 1;
    return state;
}

} // namespace sim
