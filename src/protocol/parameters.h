#pragma once

// The parameter catalogue of the wheel base: every force-feedback parameter with its range,
// report field and profile key, plus the layout of the live and status reports. Everything here
// is constant data; the parameter orders and the profile orders are derived from it by the
// functions below, so the form binding, the report codecs and the profile code all read one
// table.

#include <QString>
#include <QVector>
#include <QtGlobal>

#include <array>

namespace protocol {

// ---------------------------------------------------------------------------------------------
// Report addressing shared by the catalogue and the codecs (reports.h)
// ---------------------------------------------------------------------------------------------

// Byte [1] of a vendor report (report id 0x80).
enum class SubCommand : quint8
{
    MachineSettings = 0x01,
    GameSettings = 0x02,
    ReadStore = 0x03,
    Mode = 0x04,
    FactoryReset = 0x05,
    Status = 0x0A,
};

// How a parameter is stored in its report. 16-bit fields are little-endian.
enum class FieldFormat
{
    Unsigned8,  // one byte, 0..255
    Signed8,    // one byte, two's complement, -128..127
    Unsigned16, // two bytes, both sent and read
    Index16,    // two bytes read; on send only the low byte is written, the high byte is 0
};

int fieldWidth(FieldFormat format); // bytes: 1 or 2
bool isSigned(FieldFormat format);

// ---------------------------------------------------------------------------------------------
// Parameters
// ---------------------------------------------------------------------------------------------

enum class Parameter
{
    Angle,
    TotalForce,
    FilterFrequency,
    WheelSpring,
    WheelDamper,
    WheelSpeed,
    WheelFriction,
    GameSpring,
    GameDamper,
    GameInertia,
    GameFriction,
    ConstantForce,
    PeriodForce,
    Suspension,
    Response,
};
constexpr int ParameterCount = 15;
constexpr int MachineParameterCount = 7;
constexpr int GameParameterCount = 6;

// Machine parameters go in the machine-settings report and sit in slider/line-edit pairs;
// game parameters likewise in the game-settings report; choice parameters are combo boxes
// sent in the mode report.
enum class ParameterGroup
{
    Machine,
    Game,
    Choice
};

struct IntRange
{
    int minimum;
    int maximum;
    constexpr bool contains(int value) const { return value >= minimum && value <= maximum; }
    // The nearest value of the range.
    constexpr int bounded(int value) const
    {
        return value < minimum ? minimum : (value > maximum ? maximum : value);
    }
};

struct ReportField
{
    SubCommand subCommand; // of the 0x80 report that carries the parameter both ways
    int position;          // first byte, counted from the report-id byte at position 0
    FieldFormat format;
};

struct ProfileKey
{
    const char *group;
    const char *key;
    // The shipped default profile lacks the key; absent, it reads as an empty value.
    bool mayBeAbsent = false;
};

struct ParameterInfo
{
    Parameter parameter;
    const char *name; // the parameter's name, also its English label
    ParameterGroup group;
    IntRange range; // the values the base takes; for choices the index range 0..count-1
    ReportField field;
    quint16 effectMask; // status-report bits that enable the controls (game parameters only)
    ProfileKey profile;
};

// The catalogue. Rows are in the order of the window's control lists: the seven machine
// parameters in the order of the machine list, the six game parameters in send order
// (bytes [2..7] of the game-settings report), then the two choices.
const std::array<ParameterInfo, ParameterCount> &parameterTable();

const ParameterInfo &parameterInfo(Parameter parameter);
// The row whose name is `name` ("Angle", "TotalForce", ...), or nullptr.
const ParameterInfo *findParameter(const QString &name);

// Derived orders.
QVector<const ParameterInfo *> machineParameters();         // machine list order
QVector<const ParameterInfo *> gameParametersInSendOrder(); // byte order of 0x80/0x02
QVector<const ParameterInfo *> gameParametersInMaskOrder(); // by lowest effect-mask bit
QVector<const ParameterInfo *> choiceParameters();          // Suspension, Response
// The parameters a report carries, in the order of their bytes (read-back order).
QVector<const ParameterInfo *> reportParameters(SubCommand subCommand);

// ---------------------------------------------------------------------------------------------
// Live report indicators (report id 0x01)
// ---------------------------------------------------------------------------------------------

enum class Axis
{
    X,
    Y,
    Z,
    RX,
    RY,
    RZ
};
constexpr int AxisCount = 6;

// How a 12-bit axis sits in two bytes starting at `firstByte`.
enum class AxisPacking
{
    ByteThenLowNibble, // bits 0..7 = byte[first], bits 8..11 = low nibble of byte[first + 1]
    HighNibbleThenByte // bits 0..3 = high nibble of byte[first], bits 4..11 = byte[first + 1]
};

struct AxisInfo
{
    Axis axis;
    int firstByte;
    AxisPacking packing;
};
const std::array<AxisInfo, AxisCount> &axisTable();

constexpr IntRange AxisValueRange{0, 4095};
// The calibration limits of an axis are axis values.
constexpr IntRange CalibrationLimitRange = AxisValueRange;

constexpr int WheelPositionByte = 1; // 16-bit unsigned, 32767 is the centre
constexpr int FirstButtonByte = 12;  // button k is bit (7 - k % 8) of byte 12 + k / 8
constexpr int ButtonCount = 64;

// ---------------------------------------------------------------------------------------------
// Status report indicators (0x80/0x0A)
// ---------------------------------------------------------------------------------------------

// Status codes 0..8 each have a pilot lamp, in code order (indicators.h); higher codes have
// none.
constexpr int StatusCodeCount = 9;

// ---------------------------------------------------------------------------------------------
// Profiles
// ---------------------------------------------------------------------------------------------

enum class ProfileItem
{
    ParameterValue, // a parameter: its line-edit text (written) / slider value (loaded), or
                    // for a choice its combo index as a decimal string
    EditionMarker,  // Softward/Ver: always written as "0"
    HelpSwitch,     // Softward/Help: "1" when the help switch is on, else "0"
    LanguageIndex,  // Language/Languages: read on load, not applied
};

struct ProfileStep
{
    ProfileItem item;
    Parameter parameter; // meaningful for ProfileItem::ParameterValue only
};

constexpr ProfileKey EditionMarkerKey{"Softward", "Ver"};
constexpr ProfileKey HelpSwitchKey{"Softward", "Help"};
constexpr ProfileKey LanguageReadKey{"Language", "Languages"};
constexpr ProfileKey LanguageWriteKey{"Language", "LanguageS"}; // written by the language switch
constexpr const char *ThisEditionMarker = "0";

constexpr int ProfileStepCount = 17;
// The keys a save writes, in write order.
const std::array<ProfileStep, ProfileStepCount> &profileWriteOrder();
// The keys a load reads, in read order (the last two are read and not applied).
const std::array<ProfileStep, ProfileStepCount> &profileLoadOrder();

// Group and key of a step: the catalogue's for parameter values, the constants above otherwise.
ProfileKey profileKey(const ProfileStep &step);

} // namespace protocol
