#pragma once

// The unchecked report builders behind the checked ones of reports.h. They keep the low 8 or 16
// bits of any value, as the report field's format says, so that the codecs' round trips and
// their tests can build any byte pattern; nothing outside the protocol core sends them.

#include "reports.h"

namespace protocol {

// 0x80/0x01: Angle (16-bit), the center command byte, TotalForce (signed), FilterFrequency,
// WheelSpring, WheelDamper, WheelSpeed, WheelFriction.
QByteArray machineSettingsReport(const ParameterValues &values, quint8 centerCommand,
                                 int featureLength = OutputRecordSize);
// 0x80/0x02: the six game parameters in bytes [2..7]; bytes [8..10] are 0.
QByteArray gameSettingsReport(const ParameterValues &values, int featureLength = OutputRecordSize);
// 0x80/0x04: the low bytes of the Suspension and Response indexes in [2] and [4].
QByteArray modeReport(const ParameterValues &values, int featureLength = OutputRecordSize);

} // namespace protocol
