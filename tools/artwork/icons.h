#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QRectF>

class QPainter;

// Sidebar tab pictures. A tab button is 82 x 101 and shows its word six lines down, so the
// icon keeps to the upper two thirds and the lower part stays plain.
enum class TabIcon
{
    Settings,
    Calibration,
    State
};

constexpr int kTabWidth = 82;
constexpr int kTabHeight = 101;

void paintTab(QPainter &painter, const QRectF &box, TabIcon icon, bool active);
QImage renderTab(TabIcon icon, bool active, int scale);

// Window chrome: the minimise and close buttons (21 x 16) and the help dialog's close
// button (21 x 21, on the accent-coloured title strip).
QImage renderMinimise(int scale);
QImage renderClose(int scale);
QImage renderHelpClose(int scale);
void paintMinimise(QPainter &painter, const QRectF &box);
void paintClose(QPainter &painter, const QRectF &box);

// A disk symbol for the save-as button, drawn into any square size.
QImage renderSaveDisk(int size);

// The application icon: a steering wheel in the accent colour on the page gradient.
QByteArray applicationIconSvg();
QImage renderApplicationIcon(int size); // rendered from applicationIconSvg()
