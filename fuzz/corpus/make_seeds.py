#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets into the folders beside this file.

The seeds are small, valid or nearly valid inputs, so that each fuzzer starts
from the formats it is meant to break. Regression inputs (crashes found and
fixed) live in the same folders under names starting with "regression-"; this
script never touches them.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    folder = os.path.join(HERE, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def report(*values, size=20):
    data = bytes(values)
    return data + bytes(size - len(data))


def live(wheel=0x8000, axes=(0, 4095, 2048, 1, 100, 4000), buttons=0xA000000000000081):
    b = bytearray(20)
    b[0] = 0x01
    b[1:3] = struct.pack("<H", wheel)
    # Three pairs of 12-bit axes packed into 3 bytes each.
    for pair in range(3):
        a, c = axes[2 * pair], axes[2 * pair + 1]
        base = 3 + 3 * pair
        b[base] = a & 0xFF
        b[base + 1] = ((a >> 8) & 0x0F) | ((c & 0x0F) << 4)
        b[base + 2] = (c >> 4) & 0xFF
    b[12:20] = buttons.to_bytes(8, "big")
    return bytes(b)


def status(mask=0x01FF, code=0, firmware=6001, volts=24):
    return report(0x80, 0x0A, *struct.pack("<HHHH", mask, code, firmware, volts))


MACHINE = report(0x80, 0x01, 0x84, 0x03, 0x2D, 0xEC, 0x05, 0x1A, 0x3B, 0x5B, 0x09)
GAME = report(0x80, 0x02, 100, 150, 99, 189, 100, 200)
MODE = report(0x80, 0x04, 0x01, 0x00, 0x02, 0x00)
RESET_ACK = report(0x80, 0x05, 0xAA, 0xAA)
RESET_OTHER = report(0x80, 0x05, 0xAA, 0x00)

# --- decoders --------------------------------------------------------------------------------
for name, data in {
    "live": live(),
    "live-centre": live(wheel=32767, axes=(0,) * 6, buttons=0),
    "live-short": live()[:12],
    "status": status(),
    "status-old-firmware": status(firmware=4999, code=5),
    "status-short": status()[:9],
    "machine": MACHINE,
    "machine-short": MACHINE[:10],
    "game": GAME,
    "mode": MODE,
    "reset-ack": RESET_ACK,
    "reset-other": RESET_OTHER,
    "read-request": report(0x80, 0x03, 0x01, size=11),
}.items():
    write("fuzz_live_decode", name, data)

# --- report descriptor ------------------------------------------------------------------------
WHEEL_BASE = bytes.fromhex(
    "05010904a101"          # usage page generic desktop, joystick, collection application
    "8501"                  # report id 1
    "1500 26ff0f 750c 9506 0930093109320933093409358102"  # six 12-bit axes
    "0509 1901 2940 1500 2501 7501 9540 8102"              # 64 buttons
    "7510 9501 0930 8102"   # wheel position, 16 bits
    "0600ff 0901"           # vendor page
    "8580 7508 953f 0901 b102"  # feature report 0x80, 63 bytes
    "8580 7508 9513 0901 8102"  # input report 0x80, 19 bytes
    "c0"
)
write("fuzz_report_descriptor", "wheel-base", WHEEL_BASE)
write("fuzz_report_descriptor", "unnumbered", bytes.fromhex("0600ff0901a1017508954009018102954009019102c0"))
write("fuzz_report_descriptor", "push-pop", bytes.fromhex("85807508a4950ab102b49502b102c0"))
write("fuzz_report_descriptor", "long-item", bytes.fromhex("fe0310aabbcc8580750895" "0bb102"))
write("fuzz_report_descriptor", "truncated", WHEEL_BASE[:-7])

# --- device paths -----------------------------------------------------------------------------
for name, text in {
    "windows": "\\\\?\\HID#VID_0483&PID_0522#7&2a1b&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}",
    "windows-other": "\\\\?\\hid#vid_046d&pid_c262#8&11aa&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}",
    "sim": "sim://HID#VID_0483&PID_0522#0",
    "cut": "\\\\?\\HID#VID_0483&PID_05",
    "unicode": "\\\\?\\HID#VID_\u65b9\u5411\u76d8&PID_0522#\u00e9",
    "hidraw": "/dev/hidraw3",
}.items():
    write("fuzz_device_path", name, text.encode("utf-8"))

# --- device-change records --------------------------------------------------------------------
HID_GUID = struct.pack("<IHH8B", 0x4D1E55B2, 0xF16F, 0x11CF, 0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30)


def interface_record(name, size_delta=0, device_type=5, terminated=True):
    units = name.encode("utf-16-le") + (b"\0\0" if terminated else b"")
    size = 28 + len(units)
    return struct.pack("<III", size + size_delta, device_type, 0) + HID_GUID + units


WIN_PATH = "\\\\?\\HID#VID_0483&PID_0522#7&2a1b&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}"
write("fuzz_device_change", "arrival", interface_record(WIN_PATH))
write("fuzz_device_change", "surrogates", interface_record("\\\\?\\HID#\U0001F697\ud7ff"))
write("fuzz_device_change", "size-too-large", interface_record(WIN_PATH, size_delta=8))
write("fuzz_device_change", "unterminated", interface_record("abc", terminated=False))
write("fuzz_device_change", "volume", struct.pack("<III", 12, 2, 0))

# --- profiles (the last three bytes choose the key and value to store) ------------------------
with open(os.path.join(HERE, "..", "..", "resources", "data.ini"), "rb") as f:
    DEFAULT = f.read()
write("fuzz_profile", "default", DEFAULT + bytes([0, 10, 4]))
write("fuzz_profile", "crlf", DEFAULT.replace(b"\n", b"\r\n") + bytes([5, 40, 3]))
write("fuzz_profile", "bom-and-case",
      b"\xef\xbb\xbf[language]\nLANGUAGES=2\n[Language]\nlanguages=1\n[Softward]\nVer=1\n" + bytes([16, 0, 0]))
write("fuzz_profile", "escapes",
      b'[General]\nk="quoted; value"\n[New%20Group]\na%20key%3B%20with%3Dsigns=\\x4e2d\\n\n' + bytes([19, 9, 20]))
write("fuzz_profile", "malformed", b"[MachineSetUp\nOuterDamping\n=5\n;comment\n\\\n" + bytes([18, 0, 8]))

# --- the window -------------------------------------------------------------------------------
PASSES = b"\x81"  # read-back and live passes
write("fuzz_widget_reports", "read-back-burst",
      b"\x00" + MACHINE + b"\x00" + GAME + b"\x00" + MODE + b"\x00" + status() + PASSES)
write("fuzz_widget_reports", "live", b"\x00" + MACHINE + PASSES + b"\x00" + live() + PASSES)
write("fuzz_widget_reports", "old-firmware", b"\x00" + status(firmware=4999, code=3) + PASSES + b"\xff")
write("fuzz_widget_reports", "factory-reset", b"\x00" + RESET_OTHER + PASSES + b"\x00" + RESET_ACK + PASSES + b"\xc0")
write("fuzz_widget_reports", "short-and-long",
      bytes([0x40 | 5]) + live()[:5] + bytes([0x40 | 40]) + status() * 2 + PASSES)
write("fuzz_widget_reports", "other-ids",
      b"\x00" + report(0x80, 0x03, 1) + b"\x00" + report(0x80, 0x10, 9) + b"\x00" + report(0x02, 1, 2) + PASSES)
