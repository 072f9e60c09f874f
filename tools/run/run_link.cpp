// SPDX-License-Identifier: GPL-3.0-or-later
#include "run_link.h"

#include "link/link_engine.h"
#include "settings/settings_store.h"
#include "stored_settings.h"

#include <cstdio>

namespace zkn::run {

RunLink::RunLink(const LinkChoice& link, LinkView& view, Operator& op)
{
    configure(link);
    // Tests shorten the lamp answer time rather than wait ten seconds for a muted lamp.
    bool set = false;
    if (const int ms = qEnvironmentVariableIntValue("ZKN_RUN_LAMP_ANSWER_MS", &set); set && ms > 0)
        m_link.engine().timers().setInterval(link::Timer::T3, ms);
    m_link.start(view, op);
}

RunLink::~RunLink() = default;

void RunLink::feed(const std::function<void(link::LinkEngine&)>& input)
{
    m_link.pump().feed(input);
}

QString RunLink::keepLedgerIn(const QString& path)
{
    m_ledgerStore = std::make_unique<LampLedgerStore>(path);
    QString said;
    m_link.engine().lamps().lampLedger().replace(m_ledgerStore->load(&said));
    QObject::connect(&m_link.pump(), &LinkPump::lampLedgerChanged, m_ledgerStore.get(),
                     [this] { m_ledgerStore->changed(m_link.engine().lamps().lampLedger()); });
    QObject::connect(m_ledgerStore.get(), &LampLedgerStore::failed, [](const QString& why) {
        std::fputs(("zkn-run: " + why.toUtf8() + '\n').constData(), stderr);
    });
    return said;
}

void RunLink::setStationsFile(const QString& path)
{
    m_link.pump().setExtensionsPath(path);
}

void RunLink::configure(const LinkChoice& link)
{
    m_debug.setHealthCheckIntervalText(QStringLiteral("5"));
    if (const auto* lan = std::get_if<LanLink>(&link)) {
        m_connection.setConnectionType(ConnectionType::Lan);
        m_connection.setRemoteHost(lan->host);
        m_connection.setDeviceNumber(QString::number(lan->device));
        m_connection.setLanParity(lan->oddParity ? QStringLiteral("Odd") : QStringLiteral("Even"));
        m_link.socket().setRemotePort(lan->port);
        return;
    }
    if (const auto* serial = std::get_if<SerialLink>(&link)) {
        m_connection.setConnectionType(ConnectionType::Serial);
        m_link.serial().setPortName(serial->port);
        if (!serial->settings.isEmpty())
            m_link.serial().setSettings(serial->settings, nullptr);
        return;
    }
    const settings::SettingsStore store;
    loadConnectionOptions(store, m_connection);
    loadExpansionOption(store, m_expansion);
    applyStoredSerialSettings(store, m_link.serial());
}

} // namespace zkn::run
