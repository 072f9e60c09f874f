#include "paced_sender.h"

#include <QAbstractSocket>

#include <algorithm>

namespace zkn {

namespace {
constexpr qint64 nsPerMs = 1000000;
} // namespace

PacedSender::PacedSender(QAbstractSocket& socket, int spacingMs, QObject* parent)
    : QObject(parent), m_socket(socket), m_spacingNs(spacingMs * nsPerMs)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &PacedSender::sendDue);
    m_clock.start();
}

void PacedSender::send(const QByteArray& frame)
{
    m_queue.enqueue({frame, m_clock.nsecsElapsed()});
    schedule();
}

qint64 PacedSender::headDueNs() const
{
    return std::max(m_queue.head().handedOverNs, m_lastSentNs) + m_spacingNs;
}

void PacedSender::schedule()
{
    if (m_queue.isEmpty() || m_timer.isActive())
        return;
    const qint64 waitNs = std::max<qint64>(0, headDueNs() - m_clock.nsecsElapsed());
    m_timer.start(static_cast<int>((waitNs + nsPerMs - 1) / nsPerMs));
}

void PacedSender::sendDue()
{
    const qint64 now = m_clock.nsecsElapsed();
    if (now < headDueNs()) { // the timer fired early
        schedule();
        return;
    }
    const QByteArray frame = m_queue.dequeue().frame;
    if (m_socket.state() == QAbstractSocket::ConnectedState) {
        m_socket.write(frame);
        m_socket.flush();
        m_lastSentNs = now;
        Q_EMIT frameSent(frame);
    }
    if (m_queue.isEmpty())
        Q_EMIT idle();
    else
        schedule();
}

} // namespace zkn
