// SPDX-License-Identifier: GPL-3.0-or-later
// The Monitor window's watch: started as the form says, stopped on request or with the window,
// and what it sees shown.
#include "frm_monitor.h"

#include "lamp_table_model.h"
#include "link_watcher.h"
#include "monitor/frame_text.h"
#include "system_clock.h"
#include "terminal_view.h"

#include <QCheckBox>
#include <QHostInfo>
#include <QLabel>
#include <QRadioButton>

namespace zkn {

void FrmMonitor::startWatch()
{
    if (m_running || m_lookup >= 0)
        return;
    if (toolLinkOpen())
        return;
    const MonitorChoices chosen = choices();
    storeMonitorChoices(m_store, chosen);
    if (chosen.tap)
        startTap(chosen);
    else
        startRelay(chosen);
}

bool FrmMonitor::toolLinkOpen()
{
    const bool open = m_toolLinkOpen && m_toolLinkOpen();
    if (open)
        say(QStringLiteral("The tool's own link is open: close it (Port Open) before monitoring."));
    return open;
}

void FrmMonitor::stopWatch()
{
    if (m_lookup >= 0) {
        m_lookup = -1; // its answer, when it comes, is not for this watch
        say(QStringLiteral("Not monitoring: stopped while the PBX's host was looked up."));
    }
    if (m_running) {
        m_watcher->stop();
        m_running = false;
        m_figuresEvery.stop();
        refreshFigures();
        note(QStringLiteral("Monitoring stopped"));
        say(QStringLiteral("Stopped. The figures and tables stay until the next Start."));
        Q_EMIT monitoringChanged(false);
    }
    showRunning(false);
}

// The PBX's host is looked up first, without holding the window up.
void FrmMonitor::startRelay(const MonitorChoices& chosen)
{
    const auto options = relayOptions(chosen);
    if (const QString* why = std::get_if<QString>(&options)) {
        say(*why);
        return;
    }
    if (QHostAddress address; address.setAddress(chosen.pbxHost)) {
        relayTo(chosen, address);
        return;
    }
    say(QStringLiteral("Looking up the PBX's host %1...").arg(chosen.pbxHost));
    m_lookup = QHostInfo::lookupHost(chosen.pbxHost, this, [this, chosen](const QHostInfo& info) {
        if (info.lookupId() != m_lookup)
            return;
        m_lookup = -1;
        showRunning(false);
        if (toolLinkOpen()) // opened while the host was looked up
            return;
        const QList<QHostAddress> found = info.addresses();
        if (found.isEmpty()) {
            say(QStringLiteral("The PBX's host \"%1\" cannot be found: %2")
                    .arg(chosen.pbxHost, info.errorString()));
            note(m_state->text());
            return;
        }
        const auto v4 = std::find_if(found.begin(), found.end(), [](const QHostAddress& a) {
            return a.protocol() == QAbstractSocket::IPv4Protocol;
        });
        relayTo(chosen, v4 != found.end() ? *v4 : found.front());
    });
    showRunning(false);
}

void FrmMonitor::relayTo(const MonitorChoices& chosen, const QHostAddress& pbx)
{
    TcpRelay::Options options = std::get<TcpRelay::Options>(relayOptions(chosen));
    options.pbx = pbx;
    std::unique_ptr<LinkWatcher> watcher = newWatcher(chosen);
    if (!watcher)
        return;
    if (const std::optional<QString> why = watcher->relay(options)) {
        say(QStringLiteral("Cannot listen on %1 port %2: %3")
                .arg(chosen.listenAddress)
                .arg(chosen.listenPort)
                .arg(*why));
        note(m_state->text());
        return;
    }
    m_watcher = std::move(watcher);
    m_recordFormat = decode::RecordFormat::Kra;
    const QString state = QStringLiteral("Relaying %1 port %2 to the PBX at %3 port %4")
                              .arg(chosen.listenAddress)
                              .arg(m_watcher->relayPort())
                              .arg(pbx.toString())
                              .arg(chosen.pbxPort);
    begin(state);
}

void FrmMonitor::startTap(const MonitorChoices& chosen)
{
    const auto parameters = tapParameters(chosen);
    if (const QString* why = std::get_if<QString>(&parameters)) {
        say(*why);
        return;
    }
    std::unique_ptr<LinkWatcher> watcher = newWatcher(chosen);
    if (!watcher)
        return;
    const SerialTap::Opened opened =
        watcher->tap(chosen.tapPbxPort, chosen.tapMcPort, std::get<settings::LineParameters>(parameters));
    if (opened.pbx && opened.mc) {
        say(QStringLiteral("Neither tap port opens: the PBX's %1: %2; the message centre's %3: %4")
                .arg(chosen.tapPbxPort, *opened.pbx, chosen.tapMcPort, *opened.mc));
        note(m_state->text());
        return;
    }
    m_watcher = std::move(watcher);
    m_recordFormat = chosen.tapKra ? decode::RecordFormat::Kra : decode::RecordFormat::Olv;
    begin(QStringLiteral("Tapping the PBX's %1 and the message centre's %2 at %3")
              .arg(chosen.tapPbxPort, chosen.tapMcPort, chosen.tapSettings));
    // The port that did not open is a fault; the other is watched.
    for (const auto& [port, failure] :
         {std::pair{chosen.tapPbxPort, opened.pbx}, std::pair{chosen.tapMcPort, opened.mc}})
        if (failure)
            m_watcher->fault(0, epochNowUs(),
                             QStringLiteral("the tap port %1 does not open: %2").arg(port, *failure));
}

// A watcher for a new watch, its capture open; none when the capture cannot be written.
std::unique_ptr<LinkWatcher> FrmMonitor::newWatcher(const MonitorChoices& chosen)
{
    auto watcher = std::make_unique<LinkWatcher>(chosen.parity);
    if (!m_captureFile.isEmpty())
        if (const QString why = watcher->captureTo(m_captureFile, {}, chosen.tap); !why.isEmpty()) {
            say(QStringLiteral("Cannot write the capture %1: %2").arg(m_captureFile, why));
            note(m_state->text());
            return nullptr;
        }
    connect(watcher.get(), &LinkWatcher::frameSeen, this, &FrmMonitor::frameSeen);
    // Counted by the watcher that saw it, which may not have become this window's yet.
    connect(watcher.get(), &LinkWatcher::faultSeen, this,
            [this, seenBy = watcher.get()](const monitor::WatchFault& fault) { faultSeen(*seenBy, fault); });
    connect(watcher.get(), &LinkWatcher::connectionChanged, this,
            [this](qint64 timeUs, int connection, const QString& event) {
                m_terminal->WriteTerminal(monitor::eventTerminalLine(timeUs, connection, event));
            });
    connect(watcher.get(), &LinkWatcher::turnedAway, this, [this](qint64 timeUs, const QString& why) {
        m_terminal->WriteTerminal(monitor::eventTerminalLine(timeUs, 0, why));
    });
    return watcher;
}

void FrmMonitor::begin(const QString& state)
{
    m_running = true;
    tapPacketsForSnapshots();
    m_lampChangesShown = -1;
    note(state);
    say(state);
    refreshFigures();
    m_figuresEvery.start();
    showRunning(true);
    Q_EMIT monitoringChanged(true);
}

void FrmMonitor::tapPacketsForSnapshots()
{
    if (!m_watcher)
        return;
    WatchCapture::PacketTap tap;
    if (m_snapshots.isOn())
        tap = [this](int linkType, const QByteArray& packet, qint64 timeUs) {
            m_snapshots.packet(linkType, packet, timeUs);
        };
    m_watcher->tapPackets(m_tap->isChecked(), std::move(tap));
}

void FrmMonitor::frameSeen(const monitor::WatchedFrame& frame)
{
    if (m_showHealth || !monitor::isHealthTraffic(frame))
        m_terminal->WriteTerminal(monitor::frameTerminalLine(frame));
    if (frame.meaning != monitor::Meaning::Record)
        return;
    if (frame.serial)
        Q_EMIT recordSeen(frame.message, true, m_recordFormat);
    else
        Q_EMIT recordSeen(frame.record, frame.frame.parityGood, m_recordFormat);
}

void FrmMonitor::faultSeen(LinkWatcher& seenBy, const monitor::WatchFault& fault)
{
    m_terminal->WriteTerminal(monitor::faultTerminalLine(fault));
    m_faults->setText(QStringLiteral("Faults: %1").arg(seenBy.watch().figures().faults));
    say(QStringLiteral("Last fault: %1").arg(fault.what));
    m_snapshots.fault(fault.what, fault.timeUs);
}

// Once a second: the figures line, the fault count and the tables, when they changed.
void FrmMonitor::refreshFigures()
{
    if (!m_watcher) {
        m_figures->setText(QStringLiteral("Figures: nothing watched yet"));
        m_faults->setText(QStringLiteral("Faults: 0"));
        return;
    }
    const monitor::LinkWatch& watch = m_watcher->watch();
    m_figures->setText(QStringLiteral("Figures: ") +
                       QString::fromLatin1(monitor::figuresLine(watch.figures())));
    m_faults->setText(QStringLiteral("Faults: %1").arg(watch.figures().faults));
    if (watch.lamps().changes() == m_lampChangesShown)
        return;
    m_lampChangesShown = watch.lamps().changes();
    m_troubleModel->show(watch.lamps());
    m_lampsModel->show(watch.lamps());
}

} // namespace zkn
