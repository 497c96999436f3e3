#pragma once

// One input report on its way from the reader thread to the window.

#include <QByteArray>
#include <QEvent>

class USBEvent : public QEvent
{
public:
    // 1025, in the user range (QEvent::User is 1000, so this is User + 25).
    static constexpr QEvent::Type kType = QEvent::Type(1025);

    // `bytes` is one input report, report id first.
    explicit USBEvent(const QByteArray &bytes);

    const QByteArray &bytes() const { return m_bytes; }
    // A copy of the first report byte; 0 for an empty report.
    quint8 reportId() const { return m_reportId; }

private:
    QByteArray m_bytes;
    quint8 m_reportId = 0;
};

// Posted by the reader when its read handle reports that the device is gone;
// `channel` identifies that handle, so that a late notice about an old handle
// is told apart from one about the current link.
class ReaderDisconnectEvent : public QEvent
{
public:
    static constexpr QEvent::Type kType = QEvent::Type(1026);

    explicit ReaderDisconnectEvent(const void *channel) : QEvent(kType), m_channel(channel) {}
    const void *channel() const { return m_channel; }

private:
    const void *m_channel;
};
