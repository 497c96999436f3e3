#include "liveindicators.h"

#include "formcatalogue.h"
#include "formcontrols.h"
#include "gaugesimple.h"
#include "indicatorlooks.h"

#include <QCoreApplication>
#include <QLabel>
#include <QWidget>

#include <algorithm>

namespace {

QString sheet(const char *style)
{
    return QCoreApplication::translate("Widget", style);
}

} // namespace

LiveIndicators::LiveIndicators(QWidget *window)
    : m_window(window), m_buttonLeds(controlsNamed<QLabel>(window, form::buttonLedNames())),
      m_pilotLamps(controlsNamed<QLabel>(window, form::pilotLampNames())),
      m_axisGauges(controlsNamed<GaugeSimple>(window, form::axisGaugeNames()))
{
    const char *const axisTitles[] = {"X", "Y", "Z", "RX", "RY", "RZ"};
    for (int a = 0; a < m_axisGauges.size() && a < protocol::AxisCount; ++a)
        m_axisGauges.at(a)->setTitle(QCoreApplication::translate("Widget", axisTitles[a]));
    const QString ledOff = sheet(form::ButtonLedInitialStyle);
    for (QLabel *led : qAsConst(m_buttonLeds))
        led->setStyleSheet(ledOff);
}

void LiveIndicators::showButtons(quint64 buttons)
{
    // Nothing is restyled while the LEDs' page is not shown: showing it brings them up to date.
    if (!m_buttonLeds.isEmpty() && !m_buttonLeds.first()->isVisibleTo(m_window))
        return;
    // Only the LEDs whose state changed are restyled; the first report after a (re)connection
    // styles all of them.
    const quint64 changed = m_buttonsShown ? (buttons ^ m_shownButtons) : ~quint64(0);
    if (changed == 0)
        return;
    const QString on = sheet(form::ButtonLedOnStyle);
    const QString off = sheet(form::ButtonLedOffStyle);
    const int count = std::min(int(m_buttonLeds.size()), protocol::ButtonCount);
    for (int k = 0; k < count; ++k) {
        if ((changed >> k) & 1u)
            m_buttonLeds.at(k)->setStyleSheet(((buttons >> k) & 1u) ? on : off);
    }
    m_shownButtons = buttons;
    m_buttonsShown = true;
}

void LiveIndicators::showAxes(const protocol::LiveReport &live)
{
    // The gauges ignore a value they already show, so an unchanged report repaints nothing.
    for (int a = 0; a < protocol::AxisCount; ++a) {
        if (GaugeSimple *gauge = m_axisGauges.value(a))
            gauge->setValue(live.axes[std::size_t(a)]);
    }
}

void LiveIndicators::showPilotLamps(int statusCode)
{
    // What is shown: the lit lamp's position, or StatusCodeCount for none.
    const std::optional<int> lit = protocol::litPilotLamp(quint16(statusCode));
    const int shown = lit ? *lit : protocol::StatusCodeCount;
    if (shown == m_shownStatusCode)
        return;
    const auto looks = protocol::pilotLampLooks(quint16(statusCode));
    // Lamps whose look stays are left alone, unless nothing is known of them.
    const bool known = m_shownStatusCode >= 0;
    const auto before = protocol::pilotLampLooks(quint16(known ? m_shownStatusCode : 0));
    const int count = std::min(int(m_pilotLamps.size()), protocol::StatusCodeCount);
    for (int j = 0; j < count; ++j) {
        const std::size_t at = std::size_t(j);
        if (!known || looks[at] != before[at])
            m_pilotLamps.at(j)->setStyleSheet(sheet(form::pilotLampStyle(looks[at])));
    }
    m_shownStatusCode = shown;
}

void LiveIndicators::setHeaderLamps(const char *style, bool linkLampsOnly)
{
    const QString look = sheet(style);
    for (const form::HeaderLampGroupInfo &group : form::headerLampGroups()) {
        if (linkLampsOnly && group.group != protocol::HeaderLampGroup::Link)
            continue;
        for (const char *name : group.lamps) {
            if (auto *lamp = m_window->findChild<QLabel *>(QLatin1String(name)))
                lamp->setStyleSheet(look);
        }
    }
}

bool LiveIndicators::stepConnectionSequence()
{
    const std::optional<protocol::ConnectionStep> step = protocol::connectionStep(m_connectionStep);
    if (!step)
        return false;
    for (const form::HeaderLampGroupInfo &group : form::headerLampGroups()) {
        const QString style =
            sheet(form::headerLampStyle(protocol::headerLampLook(*step, group.group)));
        for (const char *name : group.lamps) {
            auto *lamp = m_window->findChild<QLabel *>(QLatin1String(name));
            if (lamp && lamp->styleSheet() != style)
                lamp->setStyleSheet(style);
        }
    }
    m_connectionStep = quint8(step->nextStep);
    return !step->stopsSequence;
}

void LiveIndicators::clear()
{
    m_connectionStep = 0;
    setHeaderLamps(form::HeaderLampOffStyle, false);
    setHeaderLamps(form::LinkLampOffStyle, true);
    for (GaugeSimple *gauge : qAsConst(m_axisGauges))
        gauge->setValue(0);
    const QString greyLed = sheet(form::buttonLedStyle(false));
    for (QLabel *led : qAsConst(m_buttonLeds))
        led->setStyleSheet(greyLed);
    const QString greyLamp = sheet(form::pilotLampStyle(protocol::PilotLook::Grey));
    for (QLabel *lamp : qAsConst(m_pilotLamps))
        lamp->setStyleSheet(greyLamp);
    m_buttonsShown = false;
    m_shownStatusCode = -1;
}
