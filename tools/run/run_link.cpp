// SPDX-License-Identifier: GPL-3.0-or-later
#include "run_link.h"

#include "link/link_engine.h"
#include "link_pump.h"
#include "settings/settings_store.h"
#include "stored_settings.h"

#include <cstdio>

namespace zkn::run {

RunLink::RunLink(const LinkChoice& link, LinkView& view, Operator& op)
{
    configure(link);
    m_engine = std::make_unique<link::LinkEngine>(m_clock, m_connection, m_debug, m_expansion, m_loadTest);
    // Tests shorten the lamp answer time rather than wait ten seconds for a muted lamp.
    bool set = false;
    if (const int ms = qEnvironmentVariableIntValue("ZKN_RUN_LAMP_ANSWER_MS", &set); set && ms > 0)
        m_engine->timers().setInterval(link::Timer::T3, ms);
    // Before the pump: what the transports report is captured before the engine acts on it.
    m_capture.watch(m_socket);
    m_capture.watch(m_serial);
    m_pump = std::make_unique<LinkPump>(*m_engine, m_socket, m_serial, view, op, m_clock);
}

RunLink::~RunLink() = default;

void RunLink::feed(const std::function<void(link::LinkEngine&)>& input)
{
    m_pump->feed(input);
}

QString RunLink::keepLedgerIn(const QString& path)
{
    m_ledgerStore = std::make_unique<LampLedgerStore>(path);
    QString said;
    m_engine->lampLedger().replace(m_ledgerStore->load(&said));
    QObject::connect(m_pump.get(), &LinkPump::lampLedgerChanged, m_ledgerStore.get(),
                     [this] { m_ledgerStore->changed(m_engine->lampLedger()); });
    QObject::connect(m_ledgerStore.get(), &LampLedgerStore::failed, [](const QString& why) {
        std::fputs(("zkn-run: " + why.toUtf8() + '\n').constData(), stderr);
    });
    return said;
}

void RunLink::setStationsFile(const QString& path)
{
    m_pump->setExtensionsPath(path);
}

void RunLink::configure(const LinkChoice& link)
{
    m_debug.setHealthCheckIntervalText(QStringLiteral("5"));
    if (const auto* lan = std::get_if<LanLink>(&link)) {
        m_connection.setConnectionType(ConnectionType::Lan);
        m_connection.setRemoteHost(lan->host);
        m_connection.setDeviceNumber(QString::number(lan->device));
        m_connection.setLanParity(lan->oddParity ? QStringLiteral("Odd") : QStringLiteral("Even"));
        m_socket.setRemotePort(lan->port);
        return;
    }
    if (const auto* serial = std::get_if<SerialLink>(&link)) {
        m_connection.setConnectionType(ConnectionType::Serial);
        m_serial.setPortName(serial->port);
        if (!serial->settings.isEmpty())
            m_serial.setSettings(serial->settings, nullptr);
        return;
    }
    const settings::SettingsStore store;
    loadConnectionOptions(store, m_connection);
    loadExpansionOption(store, m_expansion);
    applyStoredSerialSettings(store, m_serial);
}

} // namespace zkn::run
