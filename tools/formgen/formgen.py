#!/usr/bin/env python3
"""Writes src/app/widget.ui, the Qt Designer form of the main window.

The form holds a few hundred controls (three pages, 64 button LEDs, the slider
rows, the lamps, the hidden strips). Writing them out by hand is error-prone, so
this script describes them with small builders and emits the .ui that the build
compiles with uic. The slider rows' ranges, and the range and placeholder texts
derived from them, are read from the parameter catalogue
(src/protocol/parameters.cpp and .h), their page steps and start values from the
form catalogue (src/app/formcatalogue.cpp), so the form and the code that
validates, encodes and saves share one table. Edit this script or a catalogue,
run it, commit both.

    python3 tools/formgen/formgen.py            # writes src/app/widget.ui
    python3 tools/formgen/formgen.py -o out.ui  # writes elsewhere
"""

import argparse
import os
import re
import sys
import xml.etree.ElementTree as ET

# --------------------------------------------------------------------------
# Catalogue facts
# --------------------------------------------------------------------------

PROTOCOL_DIR = os.path.normpath(
    os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "src", "protocol"))
APP_DIR = os.path.join(os.path.dirname(PROTOCOL_DIR), "app")

_RANGE = r"(\w+|\{-?\d+, -?\d+\})"


def _read(folder, *names):
    text = ""
    for name in names:
        with open(os.path.join(folder, name), encoding="utf-8") as source:
            text += source.read()
    return text


def read_catalogue(protocol=PROTOCOL_DIR, app=APP_DIR):
    """The slider rows by slider name, (min, max, page step, value), and the
    axis and calibration-limit ranges.

    Reads each parameter's range, and the named ranges (Percent,
    CalibrationLimitRange, ...), from parameters.h and .cpp; the slider names,
    page steps and start values of the parameter rows and of the unbound rows
    from formcatalogue.cpp.
    """
    text = _read(protocol, "parameters.h", "parameters.cpp")
    named = {m.group(1): (int(m.group(2)), int(m.group(3))) for m in
             re.finditer(r"constexpr IntRange (\w+)\{(-?\d+), (-?\d+)\};", text)}
    for m in re.finditer(r"constexpr IntRange (\w+) = (\w+);", text):
        named[m.group(1)] = named[m.group(2)]

    def bounds(token):
        if token in named:
            return named[token]
        lo, hi = re.fullmatch(r"\{(-?\d+), (-?\d+)\}", token).groups()
        return int(lo), int(hi)

    ranges = {m.group(1): bounds(m.group(2)) for m in
              re.finditer(r'\{P::(\w+), "\w+", G::\w+, ' + _RANGE + ",", text)}
    form = _read(app, "formcatalogue.cpp")
    rows = {}
    parameter = (r'\{P::(\w+),\s*\{(?:nullptr|"\w+"), "(\w+)", "\w+", nullptr, (?:nullptr|"\w+")\},'
                 r"\s*(\d+), (-?\d+), (?:true|false)\}")
    unbound = r'\{"(\w+)", "\w+", P::(\w+), (\d+), (-?\d+), (?:true|false)\}'
    for m in re.finditer(parameter, form):
        rows[m.group(2)] = ranges[m.group(1)] + (int(m.group(3)), int(m.group(4)))
    for m in re.finditer(unbound, form):
        rows[m.group(1)] = ranges[m.group(2)] + (int(m.group(3)), int(m.group(4)))
    if not rows or "CalibrationLimitRange" not in named or "AxisValueRange" not in named:
        sys.exit("formgen: cannot read the catalogues in %s and %s" % (protocol, app))
    return rows, named["AxisValueRange"], named["CalibrationLimitRange"]


CATALOGUE, AXIS_RANGE, CALIBRATION_RANGE = read_catalogue()


def read_language_table(folder=APP_DIR):
    """Chinese texts of the window's language table by control (a list: combo items).

    Also the maker's name and contact address, under their constant names (the
    combos' names are the form catalogue's).
    """
    header = _read(folder, "formcatalogue.h", "languagetable.h")
    table = _read(folder, "languagetable.cpp")
    constants = dict(re.findall(r'constexpr const char \*(\w+) = "([^"]*)";', header))
    texts = {}
    for control, chinese in re.findall(r'\{"?(\w+)"?, ("[^"]*"|\w+), (?:"[^"]*"|\w+)\}',
                                       table):
        control = constants.get(control, control)
        text = constants[chinese] if chinese in constants else chinese.strip('"')
        texts.setdefault(control, []).append(text)
    if "colorComboBox" not in texts or "MakerContact" not in constants:
        sys.exit("formgen: cannot read the language table in %s" % folder)
    return texts, constants


LANGUAGE, LANGUAGE_CONSTANTS = read_language_table()
# Form texts that differ from the language table's: the form shows them until the first
# language switch.
FORM_ONLY_TEXTS = {"label_52": "力反馈滤波"}


def chinese(control):
    """The form's Chinese text of `control`, from the language table."""
    if control in FORM_ONLY_TEXTS:
        return FORM_ONLY_TEXTS[control]
    return LANGUAGE[control][0]


def span_text(lo, hi):
    """A range as the placeholders write it: "0~100", or "±100" when symmetric."""
    return "\u00b1%d" % hi if lo == -hi else "%d~%d" % (lo, hi)


def range_text(lo, hi):
    return "[%d~%d]" % (lo, hi)


# --------------------------------------------------------------------------
# Look
# --------------------------------------------------------------------------

NAME_LABEL_STYLE = "color: #9f9e9e;font-size:15px;font-weight:bold;"
RANGE_LABEL_STYLE = "color: #989898;font-size:15px;"
CALIB_LABEL_STYLE = "color: #777b81;font-size:15px;"
TITLE_STYLE = "color: rgb(255, 255, 255);font-size:35px;"
HELP_STYLE = "color: rgb(208, 208, 0);font-size:15px;font-weight:bold;"
MINIMISE_STYLE = "border-image: url(:/1111.png);"
CLOSE_STYLE = "border-image: url(:/delete.png);"
LAMP_GREY_STYLE = "border-image: url(:/LedGrayThree.png);"
LED_STYLE = "border-image: url(:/LEDGrayG.png);"
LED_STYLE_12PX = "font-size : 12px ;border-image: url(:/LEDGrayG.png);"
SEPARATOR_STYLE = "border-top: 1px solid gray;background-color: #3c3c3c;"


def header_style(color, px):
    return "color: %s;font-size:%dpx;font-weight:bold;" % (color, px)


SLIDER_STYLE = (
    "QSlider::groove:horizontal{border: 1px solid #4c4d50;background: #4c4d50;height: 2px;"
    "border-radius: 1px;padding-left: -1px;padding-right: -1px;}"
    "QSlider::sub-page:horizontal{background: #e31e18;border: 1px solid #e31e18;height: 15px;"
    "border-radius: 4px;}"
    "QSlider::add-page:horizontal{background: #4c4d50;height: 15px;border-radius: 4px;}"
    "QSlider::handle:horizontal{background: qradialgradient(spread:pad, cx:0.5, cy:0.5, "
    "radius:0.5, fx:0.5, fy:0.5, stop:0.6 #4c4d50, stop:0.778409 rgba(76, 77, 80, 255));"
    "width: 11px;margin-top: -4px;margin-bottom: -4px;border-radius: 5px;}"
    "QSlider::sub-page:horizontal:disabled{background: #7e7e7e;border-color: #7e7e7e;}"
    "QSlider::add-page:horizontal:disabled{background: #7e7e7e;border-color: #7e7e7e;}"
    "QSlider::handle:horizontal:disabled{background: #7e7e7e;border: 1px solid #7e7e7e;"
    "border-radius: 4px;}"
)

# The same rule the binding code gives a field at rest, so a field looks the
# same before and after its first edit.
LINE_EDIT_STYLE = (
    "QLineEdit{border:1px rgb(124,124,124); background-color: rgba(124,124,124, 0%);"
    "padding:1px 2px;border-style:solid;font-size:15px;color:#9f9e9e;}"
    "QLineEdit:enabled {color: rgb(124,124,124);}"
    "QLineEdit:enabled:hover,QLineEdit:enabled:focus{border-color: rgb(124,124,124);"
    "color: rgb(124,124,124);}"
    "QLineEdit:!enabled {color: rgb(124,124,124);}"
)

COMBO_STYLE = (
    "QComboBox{ border:1px solid gray;  border-radius:6px;  padding: 5px; min-width:5em;"
    "font-size : 15px ;font-weight:bold;color:#9f9e9e;background-color: transparent;}"
    "QComboBox::drop-down{subcontrol-origin: padding;subcontrol-position: top right;"
    "width: 25px;border-left-width: 1px;border-left-color: darkgray;border-left-style: solid;"
    "border-top-right-radius: 5px;border-bottom-right-radius: 5px;}"
    "QComboBox QAbstractItemView{border: 5px solid #4E6D8C;}"
)

# Hover comes before pressed so that a pressed button (which is also hovered)
# shows the pressed look.
def action_button_style(rest_color="#9f9e9e", image=None):
    rest = "font-size:15px;font-weight:bold;color:%s;border:1px solid rgb(124,124,124);" \
           "border-radius:5px;" % rest_color
    if image:
        rest += "background-image: url(%s);background-repeat: no-repeat;" \
                "background-position: center;" % image
    return (
        "QToolButton{" + rest + "}"
        "QToolButton:hover{color: #ffffff;background-color: #2EBDE7;}"
        "QToolButton:pressed{color: #777b81;border-image: url(:/redone.png);border-radius:15px;}"
    )


CENTER_BUTTON_STYLE = (
    "QToolButton{font-size:16px;font-weight:bold;color: rgb(147, 159, 153);"
    "border:1px solid rgb(124,124,124);border-radius:5px;}"
    "QToolButton:hover{background-color: #e31e18;}"
    "QToolButton:pressed{border-image: url(:/redtwo.png);}"
)


def tab_style(image, active):
    color = "#777b81" if active else "rgb(57, 65, 68)"
    return "QToolButton{border-image: url(:/%s);color: %s;font-size : 12px ;font-weight: bold;}" % (
        image, color)


def rich(text, pt=11, bold=True, color="#9f9e9e"):
    style = " font-size:%dpt;" % pt
    if bold:
        style += " font-weight:600;"
    style += " color:%s;" % color
    return '<html><head/><body><p><span style="%s">%s</span></p></body></html>' % (style, text)


def rich_centered(text):
    return '<html><head/><body><p align="center">%s</p></body></html>' % text


TITLE_TEXT = '<html><head/><body><p><span style=" color:#ffffff;">Torvane Manager</span></p></body></html>'
TAB_PREFIX = "\n" * 6
COMPANY = LANGUAGE_CONSTANTS["MakerCompanyChinese"]
CONTACT = LANGUAGE_CONSTANTS["MakerContact"]

# --------------------------------------------------------------------------
# XML builders
# --------------------------------------------------------------------------


def _prop(el, name, stdset=True):
    attrs = {"name": name}
    if not stdset:
        attrs["stdset"] = "0"
    return ET.SubElement(el, "property", attrs)


def _text(parent, tag, value):
    e = ET.SubElement(parent, tag)
    e.text = str(value)
    return e


def p_rect(el, name, x, y, w, h):
    r = ET.SubElement(_prop(el, name), "rect")
    for tag, v in (("x", x), ("y", y), ("width", w), ("height", h)):
        _text(r, tag, v)


def p_size(el, name, w, h):
    s = ET.SubElement(_prop(el, name), "size")
    _text(s, "width", w)
    _text(s, "height", h)


def p_string(el, name, value, notr=False, stdset=True):
    p = _prop(el, name, stdset)
    s = ET.SubElement(p, "string")
    if notr:
        s.set("notr", "true")
    if value:
        s.text = value


def p_number(el, name, value, stdset=True):
    _text(_prop(el, name, stdset), "number", value)


def p_double(el, name, value, stdset=True):
    _text(_prop(el, name, stdset), "double", "%.15f" % value)


def p_bool(el, name, value, stdset=True):
    _text(_prop(el, name, stdset), "bool", "true" if value else "false")


def p_enum(el, name, value):
    _text(_prop(el, name), "enum", value)


def p_set(el, name, value):
    _text(_prop(el, name), "set", value)


def p_color(el, name, r, g, b, a=255, stdset=False):
    c = ET.SubElement(_prop(el, name, stdset), "color", {"alpha": str(a)})
    _text(c, "red", r)
    _text(c, "green", g)
    _text(c, "blue", b)


def p_style(el, value):
    p_string(el, "styleSheet", value, notr=True)


def fixed(el, w, h):
    p_size(el, "minimumSize", w, h)
    p_size(el, "maximumSize", w, h)


def limits(el, minw, minh, maxw, maxh):
    p_size(el, "minimumSize", minw, minh)
    p_size(el, "maximumSize", maxw, maxh)


ALIGN_RIGHT_VCENTER = "Qt::AlignRight|Qt::AlignTrailing|Qt::AlignVCenter"
ALIGN_LEFT_VCENTER = "Qt::AlignLeading|Qt::AlignLeft|Qt::AlignVCenter"
ALIGN_CENTER = "Qt::AlignCenter"

QWIDGETSIZE_MAX = 16777215


class Form:
    """Keeps the counters for generated layout names and the list of objects."""

    def __init__(self):
        self.counters = {}
        self.names = set()

    def _register(self, name):
        if name in self.names:
            raise SystemExit("duplicate object name: " + name)
        self.names.add(name)

    def auto_name(self, base):
        n = self.counters.get(base, 0) + 1
        self.counters[base] = n
        name = base if n == 1 else "%s_%d" % (base, n)
        while name in self.names:
            n += 1
            self.counters[base] = n
            name = "%s_%d" % (base, n)
        return name

    def widget(self, parent, cls, name, geom=None):
        """Adds a widget to a widget (absolute geometry) or to a layout (wrapped in an item)."""
        if parent.tag == "layout":
            parent = ET.SubElement(parent, "item")
        self._register(name)
        el = ET.SubElement(parent, "widget", {"class": cls, "name": name})
        if geom:
            p_rect(el, "geometry", *geom)
        return el

    def layout(self, parent, cls, name=None, spacing=None, margins=None, item_attrs=None):
        if parent.tag == "layout":
            parent = ET.SubElement(parent, "item", item_attrs or {})
        if name is None:
            base = {"QHBoxLayout": "horizontalLayout", "QVBoxLayout": "verticalLayout",
                    "QGridLayout": "gridLayout"}[cls]
            name = self.auto_name(base)
        self._register(name)
        el = ET.SubElement(parent, "layout", {"class": cls, "name": name})
        if spacing is not None:
            p_number(el, "spacing", spacing)
        if margins is not None:
            for side, v in zip(("leftMargin", "topMargin", "rightMargin", "bottomMargin"),
                               margins):
                p_number(el, side, v)
        return el

    def spacer(self, layout, horizontal=True, w=40, h=20):
        item = ET.SubElement(layout, "item")
        name = self.auto_name("horizontalSpacer" if horizontal else "verticalSpacer")
        self._register(name)
        sp = ET.SubElement(item, "spacer", {"name": name})
        p_enum(sp, "orientation", "Qt::Horizontal" if horizontal else "Qt::Vertical")
        size = ET.SubElement(_prop(sp, "sizeHint", stdset=False), "size")
        _text(size, "width", w)
        _text(size, "height", h)

    # -- common controls ---------------------------------------------------

    def label(self, parent, name, text="", style=None, geom=None, align=None):
        el = self.widget(parent, "QLabel", name, geom)
        if style is not None:
            p_style(el, style)
        p_string(el, "text", text)
        if align:
            p_set(el, "alignment", align)
        return el

    def tool_button(self, parent, name, text="", style=None, geom=None):
        el = self.widget(parent, "QToolButton", name, geom)
        if style is not None:
            p_style(el, style)
        p_string(el, "text", text)
        return el

    def slider(self, parent, name, lo, hi, page, value, size=(161, 19)):
        el = self.widget(parent, "QSlider", name)
        if size:
            fixed(el, *size)
        p_style(el, SLIDER_STYLE)
        p_number(el, "minimum", lo)
        p_number(el, "maximum", hi)
        p_number(el, "pageStep", page)
        p_number(el, "value", value)
        p_enum(el, "orientation", "Qt::Horizontal")
        return el

    def line_edit(self, parent, name, placeholder, text="0", size=(60, 31)):
        el = self.widget(parent, "QLineEdit", name)
        if size:
            fixed(el, *size)
        p_style(el, LINE_EDIT_STYLE)
        p_string(el, "text", text)
        p_string(el, "placeholderText", placeholder)
        return el

    def combo(self, parent, name, items, cls="QComboBox", max_width=None, max_visible=None):
        el = self.widget(parent, cls, name)
        if max_width:
            p_size(el, "maximumSize", max_width, QWIDGETSIZE_MAX)
        p_style(el, COMBO_STYLE)
        if max_visible is not None:
            p_number(el, "maxVisibleItems", max_visible)
        for text in items:
            item = ET.SubElement(el, "item")
            p_string(item, "text", text)
        return el

    def frame(self, parent, name, geom, style, shape="QFrame::StyledPanel",
              shadow="QFrame::Raised"):
        el = self.widget(parent, "QFrame", name, geom)
        p_style(el, style)
        p_enum(el, "frameShape", shape)
        p_enum(el, "frameShadow", shadow)
        return el

    def slider_row(self, layout, row):
        """One parameter row: name label, range label, slider, line edit."""
        h = self.layout(layout, "QHBoxLayout", spacing=6)
        name_el = self.label(h, row["label"], rich(chinese(row["label"])), NAME_LABEL_STYLE)
        p_set(name_el, "alignment", ALIGN_LEFT_VCENTER)
        lo, hi, step, value = CATALOGUE[row["slider"]]
        if row.get("range"):
            rng = self.label(h, row["range"], rich(range_text(lo, hi), bold=False, color="#989898"),
                             RANGE_LABEL_STYLE, align=ALIGN_RIGHT_VCENTER)
            minw, maxw, rh = row.get("range_size", (70, 70, 35))
            limits(rng, minw, rh, maxw, rh)
        self.slider(h, row["slider"], lo, hi, step, value)
        self.line_edit(h, row["line"], span_text(lo, hi))
        return h


# --------------------------------------------------------------------------
# Tables
# --------------------------------------------------------------------------

MACHINE_ROWS = [
    dict(label="label_18", range="labelJump_3",
         range_size=(110, 150, 35), slider="SliderGramFreeBack",
         line="lineGramFreeBack"),
    dict(label="label_52", range="labelJump_5",
         slider="SliderGramFreeBack_Flider",
         line="lineGramFreeBack_Flider"),
    dict(label="label_3", range="labelInertia",
         slider="SliderInertia", line="lineInertia"),
    dict(label="label", range="labelDamping",
         slider="SliderJump", line="lineJump"),
    dict(label="label_2", range="labelJump",
         slider="SliderDamping", line="lineDamping"),
    dict(label="label_4", range="labelFriction",
         slider="SliderFriction", line="lineFriction"),
]

GAME_EFFECT_ROWS = [
    dict(label="label_5", range="labelGamesJump",
         slider="SliderGamesJump", line="lineGamesJump"),
    dict(label="label_6", range="labelGamesDamping",
         slider="SliderGamesDamping", line="lineGamesDamping"),
    dict(label="label_7", range="labelGamesInertia",
         slider="SliderGamesInertia", line="lineGamesInertia"),
    dict(label="label_8", range="labelGamesFriction",
         slider="SliderGamesFriction", line="lineGamesFriction"),
]

GAME_FORCE_ROWS = [
    dict(label="label_20", range="labelGamesJump_3",
         slider="SliderGamesconstant", line="lineGamesconstant"),
    dict(label="label_19", range="labelGamesJump_2",
         slider="SliderGamesSinOne", line="lineGamesSinOne"),
]

# Rows of the strip hidden at start: layout widget, geometry, name label, slider,
# line edit, percent label.
HIDDEN_ROWS = [
    ("layoutWidget", (10, 20, 208, 32), "label_21", "游戏正弦力2:", "SliderGamesSinTwo",
     "lineGamesSinTwo", "label_37"),
    ("layoutWidget2", (200, 20, 208, 32), "label_22", "游戏正弦力3:", "SliderGamesSinThree",
     "lineGamesSinThree", "label_38"),
    ("layoutWidget1", (400, 20, 363, 32), "label_28", "游戏正弦力4:", "SliderGamesSinFour",
     "lineGamesSinFour", "label_39"),
]

# Per page: page object, title, help, minimise, close, sidebar (name, height,
# style), tab buttons (name, image, active), header lamps.
CHROME = [
    dict(page="page", title="label_53", help="TB_Help_1", help_x=1107, minimise="toolButton_11",
         close="toolButton_12", sidebar="frame_15", sidebar_h=681,
         sidebar_style="#frame_15{background-color: rgb(144, 144, 144);}",
         tabs=[("ValueSet", "setting.png", True, "参数设置"),
               ("toolButton_4", "show.png", False, "外设校准"),
               ("toolButton_6", "message.png", False, "电机设置")],
         lamps=["label_47", "label_50", "label_51", "label_54"]),
    dict(page="page_2", title="label_126", help="TB_Help_2", help_x=1107,
         minimise="toolButton_13", close="toolButton_14", sidebar="frame_53", sidebar_h=691,
         sidebar_style="#frame_53{background-color: #202226;}",
         tabs=[("ValueSet_3", "setting1.png", False, "参数设置"),
               ("toolButton_9", "show1.png", True, "外设校准"),
               ("toolButton_10", "message.png", False, "电机设置")],
         lamps=["label_125", "label_59", "label_58", "label_56"]),
    dict(page="page_3", title="label_57", help="TB_Help_3", help_x=1108, minimise="toolButton",
         close="toolButton_2", sidebar="frame_17", sidebar_h=681,
         sidebar_style="#frame_17{background-color: #202226;}",
         tabs=[("ValueSet_2", "setting1.png", False, "参数设置"),
               ("toolButton_7", "show.png", False, "外设校准"),
               ("toolButton_8", "message1.png", True, "电机设置")],
         lamps=["label_49", "label_60", "label_61", "label_62"]),
]

LAMP_Y = [413, 479, 548, 610]

LED_ROWS_Y = [120, 166, 212, 258, 305, 352, 398, 444, 490, 536, 582]
LED_NAMES = ["led_%d" % n for n in list(range(1, 9)) + list(range(57, 113))]

# Axis-calibration strips: frame, frame geometry, switch, lower and upper limit
# fields, row layout widget, the three caption labels.
CALIB_STRIPS = [
    ("frame_6", (1070, 54, 51, 31), "switchButton", "lineFriction_2", "lineFriction_3"),
    ("frame_5", (990, 30, 21, 55), "switchButton_2", "lineFriction_4", "lineFriction_5"),
    ("frame_8", (1020, 30, 41, 55), "switchButton_3", "lineFriction_6", "lineFriction_7"),
    ("frame_10", (260, 634, 211, 31), "switchButton_4", "lineFriction_8", "lineFriction_9"),
    ("frame_12", (530, 644, 211, 21), "switchButton_5", "lineFriction_10", "lineFriction_11"),
    ("frame_14", (820, 644, 211, 21), "switchButton_6", "lineFriction_12", "lineFriction_13"),
]

GAUGE_POSITIONS = [(250, 120), (520, 120), (800, 120), (250, 390), (520, 390), (800, 390)]
GAUGE_NAMES = ["progressBar"] + ["progressBar_%d" % n for n in range(2, 7)]
GAUGE_TITLES = ["X", "Y", "Z", "RX", "RY", "RZ"]

PILOTS = [("frame_%d" % (18 + i), label, "imagePilot%d" % (i + 1), text)
          for i, (label, text) in enumerate([
              ("label_12", "正常"), ("label_23", "系统过流"), ("label_24", "硬件错误"),
              ("label_26", "参数读取"), ("label_25", "系统过压"), ("label_27", "角度超限"),
              ("label_29", "系统缺项"), ("label_30", "系统超速"), ("label_31", "未找零点")])]

TAB_ORDER = [
    "lineGramFreeBack", "lineJump", "lineDamping", "lineInertia", "lineFriction",
    "lineGamesJump", "lineGamesDamping", "lineGamesInertia", "lineGamesFriction", "toolButton_2",
    "lineGamesconstant", "lineGamesSinOne", "lineGamesSinTwo", "lineGamesSinThree",
    "SliderGramFreeBack", "SliderJump", "SliderDamping", "SliderInertia", "SliderFriction",
    "SliderGamesJump", "SliderGamesDamping", "SliderGamesInertia", "SliderGamesFriction",
    "SliderGamesconstant", "SliderGamesSinOne", "SliderGamesSinTwo", "SliderGamesSinThree",
    "toolButton_3", "ForceFeedback", "tbt_savedata", "tbt_readdata", "toolButton_5",
    "toolButton",
]

CUSTOM_WIDGETS = [
    ("GaugeArc", "QWidget", "gaugearc.h"),
    ("GaugeSimple", "QWidget", "gaugesimple.h"),
    ("SwitchButton", "QWidget", "switchbutton.h"),
    ("RoundCircle", "QWidget", "roundcircle.h"),
    ("ColorComboBox", "QComboBox", "colorcombobox.h"),
]

# --------------------------------------------------------------------------
# Pages
# --------------------------------------------------------------------------


def build_chrome(f, page, c):
    side = f.frame(page, c["sidebar"], (0, 0, 81, c["sidebar_h"]), c["sidebar_style"])
    for i, (name, image, active, word) in enumerate(c["tabs"]):
        b = f.tool_button(side, name, TAB_PREFIX + word, tab_style(image, active),
                          (0, 101 * i, 82, 101))
        p_size(b, "minimumSize", 82, 90)
    for name, y in zip(c["lamps"], LAMP_Y):
        f.label(side, name, "", LAMP_GREY_STYLE, (15, y, 41, 41))

    title = f.label(page, c["title"], TITLE_TEXT, TITLE_STYLE, (120, 10, 600, 70),
                    ALIGN_LEFT_VCENTER)
    fixed(title, 600, 70)
    help_button = f.tool_button(page, c["help"], "?", HELP_STYLE, (c["help_x"], 20, 21, 16))
    p_bool(help_button, "autoRaise", True)
    f.tool_button(page, c["minimise"], "", MINIMISE_STYLE, (1135, 20, 21, 16))
    f.tool_button(page, c["close"], "", CLOSE_STYLE, (1160, 20, 21, 16))


def separator(f, page, name):
    line = f.widget(page, "QFrame", name, (642, 90, 1, 581))
    p_style(line, SEPARATOR_STYLE)
    p_number(line, "lineWidth", 1)
    p_enum(line, "frameShape", "QFrame::VLine")
    p_enum(line, "frameShadow", "QFrame::Sunken")


def build_page0(f, stack):
    page = f.widget(stack, "QWidget", "page")
    build_chrome(f, page, CHROME[0])

    f.frame(page, "frame", (1153, 610, 41, 41), "#frame{border-image: url(:/YibIAO.png);}")
    separator(f, page, "line")

    gauge = f.widget(page, "GaugeArc", "gaugeArc", (710, 50, 381, 261))
    for prop in ("arcColor", "scaleColor", "scaleNumColor"):
        p_color(gauge, prop, 253, 253, 253)
    p_color(gauge, "pointerColor", 255, 0, 0)
    p_color(gauge, "textColor", 255, 255, 255)

    # Machine settings.
    w = f.widget(page, "QWidget", "layoutWidget5", (130, 90, 476, 291))
    v = f.layout(w, "QVBoxLayout", spacing=2, margins=(0, 0, 0, 0))
    f.label(v, "labelJump_4", "机械设置", header_style("#e31418", 50))
    for row in MACHINE_ROWS:
        f.slider_row(v, row)

    # Game effects.
    w = f.widget(page, "QWidget", "layoutWidget6", (130, 390, 474, 263))
    v = f.layout(w, "QVBoxLayout", spacing=2, margins=(0, 0, 0, 0))
    f.label(v, "labelJump_6", "游戏效果", header_style("#e31418", 35))
    for row in GAME_EFFECT_ROWS:
        f.slider_row(v, row)
    h = f.layout(v, "QHBoxLayout", spacing=6)
    f.label(h, "label_14", rich("悬挂硬度"), NAME_LABEL_STYLE)
    f.combo(h, "colorComboBox", LANGUAGE["colorComboBox"], max_width=131)
    f.label(h, "label_63", rich("响应模式"), NAME_LABEL_STYLE, align=ALIGN_RIGHT_VCENTER)
    f.combo(h, "colorComboBox_2", LANGUAGE["colorComboBox_2"], max_width=131)

    # Game force, with the steering-angle row on the picture panel.
    w = f.widget(page, "QWidget", "layoutWidget3", (672, 332, 478, 320))
    v = f.layout(w, "QVBoxLayout", spacing=2, margins=(0, 0, 0, 0))
    panel = f.frame(v, "frame_4", None, "#frame_4{border-image: url(:/ForIn.png);}")
    limits(panel, 471, 71, QWIDGETSIZE_MAX, 71)
    f.tool_button(panel, "toolButton_3", "对中", CENTER_BUTTON_STYLE, (198, 9, 71, 24))
    aw = f.widget(panel, "QWidget", "layoutWidget4", (26, 32, 431, 31))
    ah = f.layout(aw, "QHBoxLayout", spacing=6, margins=(0, 0, 0, 0))
    f.label(ah, "label_17", rich("方向盘角度"), NAME_LABEL_STYLE)
    lo, hi, step, value = CATALOGUE["SliderStreeingAngle"]
    f.slider(ah, "SliderStreeingAngle", lo, hi, step, value, size=None)
    rng = f.label(ah, "labelJump_2", rich(range_text(lo, hi), bold=False, color="#989898"),
                  RANGE_LABEL_STYLE, align=ALIGN_RIGHT_VCENTER)
    fixed(rng, 80, 30)
    edit = f.line_edit(ah, "lineStreeingAngle", span_text(lo, hi), size=None)
    limits(edit, 60, 31, 80, 31)

    f.label(v, "labelJump_8", "游戏力调整", header_style("#e31418", 35))
    for row in GAME_FORCE_ROWS:
        f.slider_row(v, row)
    for name_label, range_label in (("LB_filterFrequency", "labelGamesJump_7"),
                                    ("LB_filterDamping", "labelGamesJump_8")):
        h = f.layout(v, "QHBoxLayout", spacing=6)
        f.label(h, name_label, "", NAME_LABEL_STYLE)
        rng = f.label(h, range_label, "", RANGE_LABEL_STYLE, align=ALIGN_RIGHT_VCENTER)
        fixed(rng, 70, 30)
    h = f.layout(v, "QHBoxLayout", spacing=6)
    for name, image, text in (("tbt_readdata", ":/upload.png", ""),
                              ("tbt_savedata", ":/download.png", ""),
                              ("toolButton_5", None, "另存")):
        b = f.tool_button(h, name, text, action_button_style(image=image))
        limits(b, 111, 24, 112, 31)
        if name == "toolButton_5":
            p_enum(b, "focusPolicy", "Qt::TabFocus")
    cb = f.combo(h, "CB_ReadFile", [])
    limits(cb, 72, 31, 112, 31)

    # Strip of unused rows, clipped by its small frame and hidden at start.
    strip = f.frame(page, "frame_16", (1110, 40, 71, 41), "")
    for lw, geom, name_label, text, slider, line, percent in HIDDEN_ROWS:
        w = f.widget(strip, "QWidget", lw, geom)
        h = f.layout(w, "QHBoxLayout", spacing=6, margins=(0, 0, 0, 0))
        f.label(h, name_label, rich(text), NAME_LABEL_STYLE)
        lo, hi, step, value = CATALOGUE[slider]
        f.slider(h, slider, lo, hi, step, value, size=None)
        f.line_edit(h, line, span_text(lo, hi))
        f.label(h, percent, "0%", RANGE_LABEL_STYLE)
        if lw == "layoutWidget1":
            b = f.tool_button(h, "tBtn_ReadFile", "读取文件", action_button_style("#ffffff"))
            limits(b, 111, 24, 112, 31)
    check = f.widget(strip, "QCheckBox", "ForceFeedback", (380, 20, 21, 30))
    p_style(check, NAME_LABEL_STYLE)
    p_string(check, "text", "力反馈方向")


def build_page1(f, stack):
    page = f.widget(stack, "QWidget", "page_2")
    build_chrome(f, page, CHROME[1])

    for i, (name, (x, y)) in enumerate(zip(GAUGE_NAMES, GAUGE_POSITIONS)):
        g = f.widget(page, "GaugeSimple", name, (x, y, 231, 201))
        if i == 0:
            p_double(g, "minValue", AXIS_RANGE[0], stdset=False)
        p_double(g, "maxValue", AXIS_RANGE[1], stdset=False)
        p_number(g, "scaleMajor", 5, stdset=False)
        p_color(g, "usedColor", 46, 189, 231)
        p_color(g, "freeColor", 57, 65, 68)
        p_color(g, "scaleColor", 203, 203, 203)
        p_color(g, "pointerColor", 227, 30, 24)
        if i == 0:
            p_color(g, "overlayColor", 253, 253, 253, 60)
        p_string(g, "title", GAUGE_TITLES[i], stdset=False)

    # LED positions in numbering order: the left pair of columns row by row, the
    # middle row left to right, then the right pair of columns row by row.
    positions = []
    for y in LED_ROWS_Y:
        positions += [(125, y), (167, y)]
    for i in range(20):
        positions.append((223 + round(i * (1020 - 223) / 19), 352))
    for y in LED_ROWS_Y:
        positions += [(1078, y), (1120, y)]
    assert len(positions) == len(LED_NAMES) == 64
    for number, (name, (x, y)) in enumerate(zip(LED_NAMES, positions), start=1):
        height = 31 if int(name[4:]) >= 105 else 29
        style = LED_STYLE_12PX if name in ("led_1", "led_2") else LED_STYLE
        f.label(page, name, rich_centered(number), style, (x, y, 31, height), ALIGN_CENTER)

    calib_label = 64
    for i, (frame_name, geom, switch, low, high) in enumerate(CALIB_STRIPS):
        fr = f.frame(page, frame_name, geom, "#%s{border-image: url(:/tab3line.png);}" % frame_name)
        w = f.widget(fr, "QWidget", "layoutWidget%d" % (7 + i), (10, 0, 191, 51))
        h = f.layout(w, "QHBoxLayout", spacing=6, margins=(0, 0, 0, 0))
        texts = ["方向", "下限", "上限"]
        f.label(h, "label_%d" % calib_label, texts[0], CALIB_LABEL_STYLE)
        sw = f.widget(h, "SwitchButton", switch)
        fixed(sw, 50, 20)
        p_number(sw, "space", 1, stdset=False)
        if switch in ("switchButton", "switchButton_3"):
            p_number(sw, "rectRadius", 9 if switch == "switchButton" else 10, stdset=False)
        if switch in ("switchButton", "switchButton_2", "switchButton_3"):
            p_bool(sw, "checked", False, stdset=False)
        p_color(sw, "bgColorOff", 191, 22, 9)
        p_color(sw, "bgColorOn", 191, 22, 9)
        p_color(sw, "sliderColorOff", 76, 77, 80)
        p_color(sw, "sliderColorOn", 76, 77, 80)
        for j, edit in ((1, low), (2, high)):
            f.label(h, "label_%d" % (calib_label + j), texts[j], CALIB_LABEL_STYLE)
            f.line_edit(h, edit, span_text(*CALIBRATION_RANGE), size=(60, 20))
        calib_label += 3


def build_page2(f, stack):
    page = f.widget(stack, "QWidget", "page_3")
    build_chrome(f, page, CHROME[2])
    separator(f, page, "line_2")

    # Software information.
    w = f.widget(page, "QWidget", "layoutWidget13", (100, 150, 531, 402))
    v = f.layout(w, "QVBoxLayout", spacing=6, margins=(0, 0, 0, 0))
    f.label(v, "labelJump_11", "软件信息", header_style("#e31e18", 22))

    def info_row(name, text):
        h = f.layout(v, "QHBoxLayout", spacing=6)
        lab = f.label(h, name, text, NAME_LABEL_STYLE)
        fixed(lab, 120, 36)
        return h

    for name, text, value_name, value in (("label_9", "固件", "label_16", "0"),
                                          ("lb_software", "软件版本号", "lb_softwareVersion",
                                           "R4.0"),
                                          ("label_10", "公司名称", "label_15", COMPANY),
                                          ("label_11", "联系方式", "label_13", CONTACT)):
        h = info_row(name, text)
        f.label(h, value_name, value, NAME_LABEL_STYLE)
    h = info_row("label_32", "供电电压")
    volt = f.label(h, "label_33", "0", NAME_LABEL_STYLE)
    p_size(volt, "maximumSize", 50, QWIDGETSIZE_MAX)
    f.label(h, "label_34", "V", NAME_LABEL_STYLE)
    f.spacer(h)
    for name, text, combo, items, cls, visible in (
            ("label_35", "电机响应速度", "colorComboBox3", ["超柔", "柔性", "正常", "快速", "超快"],
             "ColorComboBox", 5),
            ("label_36", "游戏模式", "colorComboBox_29", ["赛车模式", "F1模式"], "ColorComboBox", 2),
            ("label_46", "中英文切换", "comboBox", ["其他", "中文(Chinese)", "英文(English)"],
             "QComboBox", None)):
        h = info_row(name, text)
        f.combo(h, combo, items, cls=cls, max_visible=visible)
        f.spacer(h)

    # System state: three rows of three framed cells, label and pilot lamp.
    w = f.widget(page, "QWidget", "layoutWidget14", (659, 148, 518, 231))
    v = f.layout(w, "QVBoxLayout", spacing=6, margins=(0, 0, 0, 0))
    f.label(v, "labelJump_12", "系统状态", header_style("#e31e18", 22))
    for r in range(3):
        h = f.layout(v, "QHBoxLayout", spacing=6)
        for frame_name, label_name, lamp, text in PILOTS[3 * r:3 * r + 3]:
            cell = f.frame(h, frame_name, None,
                           "#%s{border-image: url(:/tab3line.png);}" % frame_name)
            ch = f.layout(cell, "QHBoxLayout", spacing=6, margins=(9, 6, 9, 6))
            lab = f.label(ch, label_name, text, NAME_LABEL_STYLE)
            limits(lab, 100, 30, 120, 30)
            led = f.label(ch, lamp, "", LAMP_GREY_STYLE)
            fixed(led, 31, 31)

    # Help switch.
    w = f.widget(page, "QWidget", "layoutWidget15", (101, 561, 221, 42))
    h = f.layout(w, "QHBoxLayout", spacing=6, margins=(0, 0, 0, 0))
    lab = f.label(h, "LB_Help", "帮助", NAME_LABEL_STYLE)
    limits(lab, 120, 40, 1000, 40)
    sw = f.widget(h, "SwitchButton", "SwitchHelp")
    p_size(sw, "maximumSize", 100, 30)

    # Factory reset with its wait indicator.
    f.tool_button(page, "tbt_original_state", "恢复出厂", action_button_style(),
                  (100, 610, 221, 40))
    wait = f.widget(page, "RoundCircle", "Factory_wait", (320, 580, 100, 80))
    fixed(wait, 100, 80)

    f.label(page, "label_48", "", "border-image: url(:/System.png);", (891, 485, 90, 31))


def build():
    f = Form()
    ui = ET.Element("ui", {"version": "4.0"})
    _text(ui, "class", "Widget")
    top = f.widget(ui, "QWidget", "Widget", (0, 0, 1200, 675))
    fixed(top, 1200, 675)
    p_string(top, "windowTitle", "VELORAX")
    p_style(top, "")

    grid = f.layout(top, "QGridLayout", "gridLayout", spacing=0, margins=(0, 0, 0, 0))
    stack = f.widget(ET.SubElement(grid, "item", {"row": "0", "column": "0"}), "QStackedWidget",
                     "stackedWidget")
    fixed(stack, 1200, 675)
    p_size(stack, "sizeIncrement", 1200, 675)
    p_size(stack, "baseSize", 1200, 675)
    font = ET.SubElement(_prop(stack, "font"), "font")
    _text(font, "family", "微软雅黑")
    _text(font, "weight", 50)
    _text(font, "bold", "false")
    p_number(stack, "currentIndex", 0)

    build_page0(f, stack)
    build_page1(f, stack)
    build_page2(f, stack)

    missing = [n for n in TAB_ORDER if n not in f.names]
    if missing:
        raise SystemExit("tab stops name unknown objects: " + ", ".join(missing))

    ET.SubElement(ui, "layoutdefault", {"spacing": "6", "margin": "11"})
    cws = ET.SubElement(ui, "customwidgets")
    for cls, base, header in CUSTOM_WIDGETS:
        cw = ET.SubElement(cws, "customwidget")
        _text(cw, "class", cls)
        _text(cw, "extends", base)
        _text(cw, "header", header)
    stops = ET.SubElement(ui, "tabstops")
    for name in TAB_ORDER:
        _text(stops, "tabstop", name)
    ET.SubElement(ui, "resources")
    return ui


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    default_out = os.path.normpath(os.path.join(here, "..", "..", "src", "app", "widget.ui"))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("-o", "--output", default=default_out)
    args = parser.parse_args()

    ui = build()
    ET.indent(ui, space=" ")
    text = '<?xml version="1.0" encoding="UTF-8"?>\n' + ET.tostring(ui, encoding="unicode") + "\n"
    with open(args.output, "w", encoding="utf-8", newline="\n") as out:
        out.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
