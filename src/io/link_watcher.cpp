// SPDX-License-Identifier: GPL-3.0-or-later
#include "link_watcher.h"

#include "monitor/frame_text.h"
#include "system_clock.h"

namespace zkn {

LinkWatcher::LinkWatcher(link::Parity parity, QObject* parent)
    : QObject(parent),
      m_watch(parity, {[this](const monitor::WatchedFrame& frame) { Q_EMIT frameSeen(frame); },
                       [this](const monitor::WatchFault& fault) { Q_EMIT faultSeen(fault); }})
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        m_watch.advanceTo(epochNowUs());
        armDeadline();
    });
}

// The relay and the tap go first: they tell of what they close as they go.
LinkWatcher::~LinkWatcher()
{
    m_relay.reset();
    m_tap.reset();
}

QString LinkWatcher::captureTo(const QString& path, WatchCapture::Rotation rotation, bool serial)
{
    return m_capture.open(path, rotation, serial);
}

std::optional<QString> LinkWatcher::relay(const TcpRelay::Options& options)
{
    m_relay = std::make_unique<TcpRelay>(options);
    const QHostAddress pbx = options.pbx;
    const quint16 pbxPort = options.pbxPort;
    connect(m_relay.get(), &TcpRelay::began, this,
            [this, pbx, pbxPort](int connection, qint64 timeUs, const QHostAddress& from, quint16 fromPort) {
                m_capture.began(connection, timeUs, from, fromPort, pbx, pbxPort);
                began(connection, timeUs, from.toString());
            });
    connect(m_relay.get(), &TcpRelay::passed, this, &LinkWatcher::passed);
    connect(m_relay.get(), &TcpRelay::ending, this, &LinkWatcher::ending);
    connect(m_relay.get(), &TcpRelay::finished, this,
            [this](int connection) { finished(connection, epochNowUs()); });
    connect(m_relay.get(), &TcpRelay::failed, this, &LinkWatcher::fault);
    connect(m_relay.get(), &TcpRelay::turnedAway, this, &LinkWatcher::turnedAway);
    std::optional<QString> why = m_relay->listen();
    if (why)
        m_relay.reset();
    return why;
}

SerialTap::Opened LinkWatcher::tap(const QString& pbxPort, const QString& mcPort,
                                   const settings::LineParameters& parameters)
{
    m_tap = std::make_unique<SerialTap>(pbxPort, mcPort, parameters);
    connect(m_tap.get(), &SerialTap::received, this, &LinkWatcher::serialPassed);
    connect(m_tap.get(), &SerialTap::failed, this,
            [this](qint64 timeUs, monitor::Side, const QString& why) { fault(0, timeUs, why); });
    const SerialTap::Opened opened = m_tap->open();
    if (opened.pbx && opened.mc)
        m_tap.reset();
    return opened;
}

void LinkWatcher::stop()
{
    if (m_relay)
        m_relay->close();
    if (m_tap)
        m_tap->close();
    m_relay.reset();
    m_tap.reset();
    if (!m_capture.failure().isEmpty())
        fault(0, epochNowUs(), QStringLiteral("the capture stopped: %1").arg(m_capture.failure()));
    m_capture.close();
}

void LinkWatcher::began(int connection, qint64 timeUs, const QString& from)
{
    m_watch.began(connection, timeUs);
    Q_EMIT connectionChanged(timeUs, connection, QStringLiteral("began from %1").arg(from));
}

void LinkWatcher::passed(int connection, qint64 timeUs, monitor::Side from, const QByteArray& bytes)
{
    m_capture.passed(connection, timeUs, from, bytes);
    m_watch.received(connection, timeUs, from, bytes);
    armDeadline();
}

void LinkWatcher::ending(int connection, qint64 timeUs, monitor::Side by, bool reset)
{
    // Named with the device of its connect request, which a reset takes with the connection.
    const QByteArray device = m_watch.deviceOf(connection);
    m_capture.ending(connection, timeUs, by, reset);
    m_watch.ending(connection, timeUs, by, reset);
    Q_EMIT connectionChanged(timeUs, connection, monitor::connectionEndText(by, reset, device));
    armDeadline();
}

void LinkWatcher::finished(int connection, qint64 timeUs)
{
    m_capture.finished(connection, timeUs);
    m_watch.finished(connection);
}

void LinkWatcher::serialPassed(qint64 timeUs, monitor::Side from, const QByteArray& bytes)
{
    m_capture.serialPassed(timeUs, from, bytes);
    m_watch.serialReceived(timeUs, from, bytes);
}

void LinkWatcher::fault(int connection, qint64 timeUs, const QString& what)
{
    m_watch.reportFault(connection, timeUs, what);
}

void LinkWatcher::armDeadline()
{
    if (const std::optional<qint64> due = m_watch.nextDeadline())
        m_deadline.start(int(std::clamp<qint64>((*due - epochNowUs() + 999) / 1000, 0, 60'000)));
    else
        m_deadline.stop();
}

} // namespace zkn
