#pragma once

#include <QColor>
#include <QImage>
#include <QRectF>

class QPainter;

// Round glossy indicator lamps. Every lamp shares one geometry (bezel, body, gloss) so that
// swapping the image of a label between "off" and "on" never makes the lamp jump.
enum class LampKind
{
    GrayThree,  // header lamp and pilot lamp at rest
    GrayG,      // button LED released, pilot lamp not selected
    BlueThree,  // button LED pressed, header lamp running
    Green,      // pilot lamp "normal"
    Red,        // pilot lamp fault
    GreenThree, // link lamp connected
    RedThree,   // link lamp fault
};

struct LampColors
{
    QColor core; // brightest point, under the gloss
    QColor body; // main colour
    QColor rim;  // darkest edge of the body
    bool lit = false;
};

LampColors lampColors(LampKind kind);
void paintLamp(QPainter &painter, const QRectF &box, LampKind kind);
QImage renderLamp(LampKind kind, int size);
