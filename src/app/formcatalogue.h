#pragma once

// The form's side of the parameter catalogue: for each protocol::Parameter the object names of
// its controls, its slider's page step and the value the form starts with, and every other form
// object the window reaches by name. Ranges are the protocol catalogue's (parameters.h);
// validators and range texts are made from them. tools/formgen/formgen.py reads this table and
// the protocol's when it writes widget.ui.

#include "parameters.h"
#include "reports.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <array>

namespace form {

// The two choice combos; their items are keyed by these names in the language table.
constexpr const char *SuspensionCombo = "colorComboBox";
constexpr const char *ResponseCombo = "colorComboBox_2";

// Object names in the form; nullptr where the parameter has no such control.
struct Controls
{
    const char *label;      // name label, e.g. "label_17"
    const char *slider;     // QSlider (machine and game parameters)
    const char *lineEdit;   // QLineEdit beside the slider
    const char *combo;      // QComboBox (choice parameters)
    const char *rangeLabel; // the "[0~100]" label, when the row has one
};

struct ParameterForm
{
    protocol::Parameter parameter;
    Controls controls;
    int pageStep;        // slider page step; 0 for choices
    int startValue;      // slider value (or combo index) before any data arrives
    bool fieldTakesZero; // the line edit also takes 0 below the range; a commit bounds it
};

const ParameterForm &parameterForm(protocol::Parameter parameter);
const Controls &controls(protocol::Parameter parameter);
// The values the form shows before any profile or device data.
protocol::ParameterValues startValues();
// The range of the line edit's validator: the parameter's range, from 0 where the row says so.
protocol::IntRange fieldRange(protocol::Parameter parameter);

// Object-name lists in the orders of the window's control lists (parameters.h).
QStringList machineSliderNames();
QStringList machineLineEditNames();
QStringList gameSliderNamesInSendOrder();
QStringList gameLineEditNamesInSendOrder();
QStringList gameSliderNamesInMaskOrder();
QStringList gameLineEditNamesInMaskOrder();

// The three further periodic-force rows in the hidden frame: never sent, read back or stored.
struct UnboundSliderRow
{
    const char *slider;
    const char *lineEdit;
    protocol::Parameter rangeOf; // the parameter whose range the row takes
    int pageStep;
    int startValue;
    bool hasValidator; // the last row's line edit has no validator
};
const std::array<UnboundSliderRow, 3> &unboundPeriodicRows();

// The calibration page's controls of each axis, in axis order.
struct AxisControls
{
    protocol::Axis axis;
    const char *gauge;           // GaugeSimple
    const char *directionSwitch; // SwitchButton of the calibration strip
    const char *lowerLimit;      // line edits of the strip (validator CalibrationLimitRange)
    const char *upperLimit;
};
const std::array<AxisControls, protocol::AxisCount> &axisControls();
QStringList axisGaugeNames();
// The calibration limit fields lineFriction_2 .. lineFriction_13, lower then upper per axis.
QStringList calibrationLimitNames();

constexpr const char *WheelGaugeObject = "gaugeArc";
constexpr const char *FirmwareLabelObject = "label_16";
constexpr const char *VoltageLabelObject = "label_33";
constexpr const char *VoltageUnitLabelObject = "label_34";

struct ValidatorAssignment
{
    QString lineEdit;
    protocol::IntRange range;
};
// Every line edit that carries an integer validator, with its range: the machine line edits,
// the game line edits (send order), lineGamesSinTwo/Three (lineGamesSinFour has none) and the
// twelve calibration limit fields.
QVector<ValidatorAssignment> validatorAssignments();

} // namespace form
