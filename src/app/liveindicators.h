#pragma once

// The window's live indicators: the button LEDs, the pilot lamps, the axis gauges and the
// header lamps with their connection sequence. Each is restyled only when what it shows
// changes; the LEDs only while their page is shown.

#include "reports.h"

#include <QList>
#include <QtGlobal>

class QLabel;
class QWidget;
class GaugeSimple;

class LiveIndicators
{
public:
    // Finds the indicators among `window`'s children and gives the LEDs their first look.
    explicit LiveIndicators(QWidget *window);

    const QList<QLabel *> &buttonLeds() const { return m_buttonLeds; }
    void showButtons(quint64 buttons);
    void showAxes(const protocol::LiveReport &live);
    void showPilotLamps(int statusCode);
    // Gives the link lamps, or every header lamp when `linkLampsOnly` is false, `style`.
    void setHeaderLamps(const char *style, bool linkLampsOnly);
    // Shows the next step of the connection sequence; false once the sequence has ended.
    bool stepConnectionSequence();
    // The link went: every LED and pilot lamp grey, the axes at zero, the header lamps off;
    // the next link plays the sequence from its first step and restyles everything.
    void clear();

private:
    QWidget *m_window;
    QList<QLabel *> m_buttonLeds;
    QList<QLabel *> m_pilotLamps;
    QList<GaugeSimple *> m_axisGauges; // in axis order X, Y, Z, RX, RY, RZ
    quint8 m_connectionStep = 0;
    quint64 m_shownButtons = 0;
    bool m_buttonsShown = false;
    int m_shownStatusCode = -1; // the lit lamp's position, StatusCodeCount for none
};
