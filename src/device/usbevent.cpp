#include "usbevent.h"

static_assert(USBEvent::kType > QEvent::User && USBEvent::kType <= QEvent::MaxUser,
              "report events must use a user event type");

USBEvent::USBEvent(const QByteArray &bytes)
    : QEvent(kType), m_bytes(bytes), m_reportId(bytes.isEmpty() ? 0 : quint8(bytes.at(0)))
{
}
