#pragma once

#include <QColor>

// Colours of the tool's dark theme, shared by every picture so they match the style sheets.
namespace Palette {
inline QColor accent()
{
    return QColor(0x2E, 0xBD, 0xE7);
}
inline QColor accentPressed()
{
    return QColor(0x24, 0x94, 0xB3);
}
inline QColor red()
{
    return QColor(0xE3, 0x1E, 0x18);
}
inline QColor panel()
{
    return QColor(0x20, 0x22, 0x26);
}
inline QColor pageTop()
{
    return QColor(0x28, 0x33, 0x45);
}
inline QColor pageMiddle()
{
    return QColor(0x15, 0x1C, 0x26);
}
inline QColor pageBottom()
{
    return QColor(0x02, 0x04, 0x07);
}
inline QColor greyText()
{
    return QColor(0x9F, 0x9E, 0x9E);
}
inline QColor dimText()
{
    return QColor(0x77, 0x7B, 0x81);
}
inline QColor track()
{
    return QColor(0x4C, 0x4D, 0x50);
}
inline QColor helpBackground()
{
    return QColor(22, 22, 26);
}
inline QColor lightText()
{
    return QColor(0xD8, 0xDC, 0xE2);
}
} // namespace Palette
