// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Scripts over the link engine on a simulated clock. A script is steps separated by " | ": a
// command with its argument after a colon (see kLinkSteps), or a check "?what=value" of what
// observe() reads; "?what~=", "?what^=" and "?what$=" look for the value in it, at its start or
// at its end, and "?what!=" checks that it is not in it. Frames are written in hex.
#include "ledger_text.h"
#include "link_fixture.h"

#include "lamp/extensions.h"
#include "lamp/load_test_stats.h"

#include <QTest>

#include <map>

namespace zkn::test {

inline QString listed(const QList<QByteArray>& items, bool inHex)
{
    QStringList texts;
    for (const QByteArray& item : items)
        texts.append(QString::fromLatin1(inHex ? item.toHex().toUpper() : item));
    return texts.join(QStringLiteral(", "));
}

struct LinkScript : Link
{
    QByteArray file = "1000\r\n2002\r\n3003"; // the extensions file
    bool fileThere = true;
    int reads = 0;         // of the extensions file
    bool released = false; // the exit's release step is done
    int ticks = 0;         // taken by the last "untilsent"

    LinkScript()
    {
        host.extensions = [this] {
            ++reads;
            return lamp::ExtensionsRead{fileThere ? std::optional(file) : std::nullopt,
                                        QStringLiteral("/home/op/Extensions.dat"),
                                        QStringLiteral("No such file or directory")};
        };
    }
    bool lan() const { return connection.connectionType() == ConnectionType::Lan; }
    // The socket's frames over TCP, the port's writes on the serial line.
    const QList<QByteArray>& line() const { return lan() ? host.sent : host.serialOutput; }
    void answer(char code) { engine->onSocketData(responseToLast(code)); }

    QString observe(const QString& what)
    {
        static const char* const icons[] = {"None", "Information", "Exclamation", "Critical", "Question"};
        static const char* const phaseNames[] = {"Idle", "Running", "Stopping"};
        static const char* const timerNames[int(link::Timer::Count)] = {
            "StatusMonitor", "T2",           "T3",        "Timer1",         "ConnectionStatus",
            "Reconnect",     "ReleaseLimit", "ExitPause", "ExitCloseLimit", "Send",
            "Pace",          "TxLamp",       "RxLamp",    "SkipReport"};
        const auto flag = [](bool on) { return on ? QStringLiteral("true") : QStringLiteral("false"); };
        QStringList lamps, boxes, titles, phases, timers, records, shown;
        // The tagged lamp messages on the line: "1000+" for VMM on at 1000, "1000-" for off.
        for (const QByteArray& message : line()) {
            const QByteArray text = message.mid(message.indexOf('\x02'));
            if (message.contains('\x02'))
                lamps.append(QString::fromLatin1(text.mid(13, text.indexOf('\x03') - 13)) +
                             QLatin1Char(text.at(8) == '2' ? '+' : '-'));
        }
        for (const Operator::Message& box : op.messages) {
            boxes.append(QLatin1String(icons[int(box.icon)]) + QStringLiteral(": ") + box.text);
            titles.append(box.title);
        }
        for (const link::LoadTestPhase phase : host.loadTestPhases)
            phases.append(QLatin1String(phaseNames[int(phase)]));
        for (int t = 0; t < int(link::Timer::Count); ++t)
            if (realEngine.timers().isActive(link::Timer(t)))
                timers.append(QLatin1String(timerNames[t]));
        for (const auto& [record, good] : host.records)
            records.append(QString::fromLatin1(record) + (good ? "" : " (bad)"));
        for (const auto& [on, name] : {std::pair{host.connected, "connected"},
                                       {host.connectChecked, "checked"},
                                       {host.propertiesEnabled, "properties"},
                                       {host.debugLanEnabled, "lan"},
                                       {host.receiving, "receiving"},
                                       {host.waitWindow, "wait"},
                                       {host.txLamp, "tx"},
                                       {host.portOpen, "port"}})
            if (on)
                shown.append(QLatin1String(name));
        using Panel = link::LinkOutput::PanelId;
        // clang-format off
        const std::map<QString, QString> values{
            {"line", lamps.join(' ')}, {"boxes", boxes.join('\n')}, {"titles", titles.join('\n')},
            {"phases", phases.join(' ')}, {"count", QString::number(line().size())},
            {"sent", QString::fromLatin1(line().value(line().size() - 1).toHex().toUpper())},
            {"wire", listed(line(), lan())}, {"terminal", QString::fromLatin1(host.terminal)},
            {"log", QString::fromLatin1(host.log)}, {"open", QString::number(op.openBoxes())},
            {"figures", QString::fromLatin1(host.loadTestFigures)},
            {"csv", QString::fromLatin1(realEngine.lamps().loadTestLog().csvRows())},
            {"timeouts", QString::number(realEngine.lamps().loadTestStats().timeouts())},
            {"connects", QString::number(host.connects.size())}, {"hosts", host.connects.join(' ')},
            {"closes", QString::number(host.closes) + (host.lastCloseGraceful ? " graceful" : "")},
            {"socket", QString::number(int(host.state))}, {"reads", QString::number(reads)},
            {"running", flag(realEngine.lamps().loadTestRunning())}, {"port", flag(host.portOpen)},
            {"sendtext", flag(host.sendTextEnabled)}, {"propertiesshown", QString::number(host.propertiesShown)},
            {"released", flag(released)}, {"exitclosed", QString::number(host.closedForExit)},
            {"timers", timers.join(' ')}, {"shown", shown.join(' ')}, {"ticks", QString::number(ticks)},
            {"missed", QString::number(realEngine.missedHealthChecks())},
            {"hc", host.panelHistory.value(Panel::HealthChk).join(", ")},
            {"status", host.panels.value(Panel::Status)}, {"settings", host.panels.value(Panel::Settings)},
            {"time", host.panels.value(Panel::ConnectTime)},
            {"records", records.join(", ")}, {"recordtext", QString::fromLatin1(realEngine.recordText())},
            {"responses", host.responses.join(", ")}, {"faults", host.faults.join(", ")}, {"skipped", QString::number(realEngine.skippedBytes())},
            {"neverstood", host.neverStood},
            {"blinks", QString::number(host.txBlinks)}, {"quits", QString::number(host.singleStationQuits)},
            {"forced", QString::number(int(debug.forcedAnswer()))},
            {"ledger", test::ledgerText(realEngine.lamps().lampLedger().stations())}};
        // clang-format on
        const auto found = values.find(what);
        return found == values.end() ? QStringLiteral("<no such check>") : found->second;
    }

    void check(const QString& s)
    {
        QString what = s.section(QLatin1Char('='), 0, 0).mid(1);
        QString want = s.section(QLatin1Char('='), 1);
        const QChar how = what.back();
        if (QStringLiteral("~^$!").contains(how))
            what.chop(1);
        const QString was = observe(what);
        if (what == "sent" || (what == "wire" && lan()))
            want.remove(QLatin1Char(' ')).replace(QLatin1Char(','), QStringLiteral(", "));
        const bool holds = how == '~'   ? was.contains(want)
                           : how == '^' ? was.startsWith(want)
                           : how == '$' ? was.endsWith(want)
                           : how == '!' ? !was.contains(want)
                                        : was == want;
        QVERIFY2(holds, qPrintable(s + QStringLiteral("\n   was: ") + was));
    }

    void run(const QString& script);
};

using Arg = const QString&;

inline lamp::LampAction lampAction(Arg a)
{
    return a == "on" ? lamp::LampAction::On : a == "off" ? lamp::LampAction::Off : lamp::LampAction::NoChange;
}

// clang-format off
inline const std::map<QString, void (*)(LinkScript&, Arg)> kLinkSteps{
    // The link.
    {"up", [](LinkScript& t, Arg) { t.bringUp(); }}, // connect command, connected, connect request answered
    {"connect", [](LinkScript& t, Arg) { t.engine->connectCommand(); }},
    {"release", [](LinkScript& t, Arg) { t.engine->connectCommand(); }},
    {"picture", [](LinkScript& t, Arg) { t.engine->connectedPictureClicked(); }}, // the connected picture clicked
    {"connected", [](LinkScript& t, Arg) { t.host.state = link::SocketState::Connected; t.engine->onSocketConnected(); }},
    {"data", [](LinkScript& t, Arg hex) { t.engine->onSocketData(QByteArray::fromHex(hex.toLatin1())); }},
    {"answer", [](LinkScript& t, Arg code) { t.answer(code.isEmpty() ? '0' : code.at(0).toLatin1()); }},
    // The PBX closes or resets the connection, or the socket fails with a number and a text.
    {"closed", [](LinkScript& t, Arg) { t.host.state = link::SocketState::Closing; t.engine->onSocketClosed(); }},
    {"reset", [](LinkScript& t, Arg) { t.host.state = link::SocketState::Error; t.engine->onSocketReset(); }},
    {"error", [](LinkScript& t, Arg e) {
         t.host.state = link::SocketState::Error;
         // "NUMBER DESCRIPTION|SAID"
         t.engine->onSocketError(e.section(' ', 0, 0).toInt(), e.section(' ', 1).section('|', 0, 0), e.section('|', 1));
     }},
    // A new connection of the tool's, its connect request answered.
    {"reconnected", [](LinkScript& t, Arg) {
         t.host.state = link::SocketState::Connected;
         t.engine->onSocketConnected();
         t.answer('0');
     }},
    {"healthnow", [](LinkScript& t, Arg) { t.engine->healthCheckNow(); }},
    {"host", [](LinkScript& t, Arg host) { t.connection.setRemoteHost(host); }},
    {"hostfield", [](LinkScript& t, Arg text) { t.connection.setHostField(text); }}, // the host box's text
    // The socket fails at once: "DESCRIPTION|SAID".
    {"failopen", [](LinkScript& t, Arg why) {
         t.host.connectFailure = why.section('|', 0, 0);
         t.host.connectFailureSaid = why.section('|', 1);
     }},
    {"spacing", [](LinkScript& t, Arg ms) { t.realEngine.setSendSpacing(ms.toInt()); }},
    {"exit", [](LinkScript& t, Arg) {
         t.host.whenReleasedForExit = [&t] { t.released = true; };
         t.engine->exit().releaseForExit();
     }},
    {"waitclose", [](LinkScript& t, Arg) { t.engine->exit().waitForLinkClosedAtExit(); }},
    // The serial line.
    {"serial", [](LinkScript& t, Arg) { t.connection.setConnectionType(ConnectionType::Serial); }},
    {"portopen", [](LinkScript& t, Arg) { t.host.portOpen = true; }},
    {"noport", [](LinkScript& t, Arg) { t.host.portExists = false; }},
    {"portfails", [](LinkScript& t, Arg why) { t.host.portFailure = why; }},
    {"nodsr", [](LinkScript& t, Arg) { t.host.dsr = false; }},
    {"portlost", [](LinkScript& t, Arg) {
         t.host.portOpen = false;
         t.engine->serial().onClosedByError(QStringLiteral("The device went away"));
     }},
    {"portback", [](LinkScript& t, Arg) { t.engine->reopenReturnedPort(QStringLiteral("/dev/ttyUSB0")); }},
    {"echo", [](LinkScript& t, Arg) { t.connection.setEcho(true); }},
    {"type", [](LinkScript& t, Arg text) { t.engine->serial().typed(text.toLatin1()); }},
    {"block", [](LinkScript& t, Arg) { t.engine->serial().textBlockWritten(); }}, // of a text file
    {"serialdata", [](LinkScript& t, Arg text) { t.engine->serial().onData(text.toLatin1()); }},
    {"cd", [](LinkScript& t, Arg) { t.engine->serial().onEvent(link::SerialEvent::CdChange); }},
    // Lamps: the single-station dialog's Send (from,to,MW,VMM with on, off or -), the options.
    {"single", [](LinkScript& t, Arg a) {
         const QStringList f = a.split(',');
         t.engine->singleStation().sendSingleStation({f[0].toLatin1(), f[1].toLatin1(), lampAction(f[2]), lampAction(f[3])});
     }},
    {"resync", [](LinkScript& t, Arg) { t.engine->lamps().resynchroniseLamps(); }}, // the ledger's lamps sent again
    {"olv", [](LinkScript& t, Arg) { t.connection.setKraSelected(false); }}, // fixed fields rather than tagged
    {"expansion", [](LinkScript& t, Arg) { t.expansion.setEnabled(true); }},
    // The debug options.
    {"interval", [](LinkScript& t, Arg text) { t.debug.setHealthCheckIntervalText(text); }},
    {"detail", [](LinkScript& t, Arg) { t.debug.setDetail(true); }},
    {"stophealth", [](LinkScript& t, Arg) { t.debug.setStopHealth(true); }},
    {"ignoreparity", [](LinkScript& t, Arg) { t.debug.setIgnoreParity(true); }},
    {"forced", [](LinkScript& t, Arg a) {
         t.debug.setForcedAnswer(a == "parity" ? DebugOptions::ForcedAnswer::ParityError
                                               : DebugOptions::ForcedAnswer::InvalidText);
     }},
    // Time.
    {"tick", [](LinkScript& t, Arg ms) { t.tick(ms.toInt()); }},
    {"seconds", [](LinkScript& t, Arg n) { for (int i = 0; i < n.toInt(); ++i) t.tick(); }},
    {"later", [](LinkScript& t, Arg ms) { t.clock.advance(ms.toInt()); }}, // the clock moves on, no tick
    {"untilsent", [](LinkScript& t, Arg) { t.ticks = t.ticksToHealthCheck(); }}, // seconds until a frame leaves
    // The load test: n ticks of the delay, each sending one message, answered over TCP.
    {"start", [](LinkScript& t, Arg) { t.engine->lamps().mnuStart_Click(); }},
    {"stop", [](LinkScript& t, Arg) { t.engine->lamps().mnuStop_Click(); }},
    {"run", [](LinkScript& t, Arg n) {
         for (int sent = 0; sent < n.toInt(); ++sent) {
             const auto before = t.line().size();
             t.tick(t.loadTest.delayMs());
             QCOMPARE_GT(t.line().size(), before);
             if (t.lan())
                 t.answer('0');
         }
     }},
    // The serial sweep goes on at every turn of the event loop: turns of no time until it ends.
    {"turns", [](LinkScript& t, Arg) { for (int i = 0; i < 10 && t.realEngine.lamps().loadTestRunning(); ++i) t.tick(0); }},
    {"delay", [](LinkScript& t, Arg ms) { t.loadTest.setDelayMs(ms.toInt()); }},
    {"range", [](LinkScript& t, Arg r) { t.loadTest.setRange(r.split('-')[0].toInt(), r.split('-')[1].toInt()); }},
    {"from", [](LinkScript& t, Arg text) { t.loadTest.setStartText(text); }}, // the range boxes
    {"to", [](LinkScript& t, Arg text) { t.loadTest.setEndText(text); }},
    {"usefile", [](LinkScript& t, Arg) { t.loadTest.setUseFile(true); }},
    {"file", [](LinkScript& t, Arg content) { t.file = content.toLatin1(); }},
    {"nofile", [](LinkScript& t, Arg) { t.fileThere = false; }},
    {"seen", [](LinkScript& t, Arg) { t.op.messages.clear(); }}, // the boxes so far
    // Boxes stay open from now on, until closed one at a time (the oldest first).
    {"keepboxes", [](LinkScript& t, Arg) { t.op.keepOpen = true; }},
    {"closebox", [](LinkScript& t, Arg) {
         QVERIFY(t.op.closeBox());
         t.host.drain(t.realEngine, t.op);
     }},
    {"clear", [](LinkScript& t, Arg) { // the line, the terminal and the log
         t.host.sent.clear();
         t.host.serialOutput.clear();
         t.host.terminal.clear();
         t.host.log.clear();
     }}};
// clang-format on

inline void LinkScript::run(const QString& script)
{
    for (const QString& s : script.split(QStringLiteral(" | "))) {
        const auto step = kLinkSteps.find(s.section(QLatin1Char(':'), 0, 0));
        if (s.isEmpty())
            continue;
        if (s.startsWith(QLatin1Char('?')))
            check(s);
        else if (step != kLinkSteps.end())
            step->second(*this, s.section(QLatin1Char(':'), 1));
        else
            QFAIL(qPrintable(QStringLiteral("unknown step ") + s));
        if (QTest::currentTestFailed())
            return;
    }
}

} // namespace zkn::test
