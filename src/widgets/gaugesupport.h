#pragma once

// Helpers shared by the self-painted widgets of this library (not part of its interface).

#include <QColor>

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>

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

} // namespace GaugeSupport
