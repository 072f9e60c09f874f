// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lamp/extensions.h"
#include "lamp/load_test_stats.h"
#include "link/clock.h"
#include "link/link_engine.h"
#include "link/link_output.h"

#include <QList>
#include <QMap>

namespace zkn::test {

// A simulated clock: tests move it on by hand.
class FakeClock : public link::Clock
{
public:
    qint64 nowUs() const override { return m_us; }
    QDateTime wallClock() const override { return m_start.addMSecs(m_us / 1000); }
    void advance(qint64 ms) { m_us += ms * 1000; }
    void advanceUs(qint64 us) { m_us += us; }

private:
    qint64 m_us = 0;
    QDateTime m_start{QDate(2026, 12, 6), QTime(14, 3, 59)};
};

// Plays the transports and the main window for the link engine and records what it is asked. The
// transports' states are its fields: sync() tells the engine what they are now.
class FakeLinkHost
{
public:
    using Panel = link::LinkOutput::PanelId;

    void sync(link::LinkEngine& engine) const;
    // Takes what the engine asks for, in order, answering its requests at once; its boxes are
    // answered by `op` as they come.
    void drain(link::LinkEngine& engine, Operator& op);
    // Forgets what was recorded so far of what grows with the traffic, for a long run.
    void forgetHistory();

    // Called as a frame leaves, and after each write to the terminal.
    std::function<void(const QByteArray&)> frameLeaves;
    std::function<void(const QByteArray&)> whileWriting;
    // Called as the exit's release step is done.
    std::function<void()> whenReleasedForExit;
    // The socket: its state, and what connect does (fails at once with `connectFailure`, said in
    // words as `connectFailureSaid`).
    link::SocketState state = link::SocketState::Closed;
    QString connectFailure;
    QString connectFailureSaid;
    QStringList connects;
    int closes = 0;
    bool lastCloseGraceful = false;
    // The serial port.
    bool portOpen = false;
    bool portExists = true;
    QString portFailure; // why opening the port fails, when it does
    bool dsr = true;
    bool receiving = false;
    QList<QByteArray> serialOutput;                   // each write to the port
    std::function<lamp::ExtensionsRead()> extensions; // what reading the extensions file gives

    QList<QByteArray> sent; // handed to IPSend
    QByteArray terminal;
    QByteArray log; // the terminal with the LAN debug window's traces, as the log file gets both
    QMap<Panel, QString> panels;
    QMap<Panel, QStringList> panelHistory;
    bool connected = false;
    bool connectChecked = false;
    bool propertiesEnabled = true;
    bool sendTextEnabled = false; // the text-file command
    int propertiesShown = 0;      // times the Properties dialog was opened for the operator
    bool debugLanEnabled = false;
    bool txLamp = false;
    int txBlinks = 0; // times the transmit lamp lit
    bool waitWindow = false;
    QList<std::pair<QByteArray, bool>> records;
    QStringList responses; // request:code as the PBX answered, or "lamp timed out"
    QStringList faults;    // what went wrong on the link, as the engine said
    QString neverStood;    // where and why a connection never stood
    QList<link::LoadTestPhase> loadTestPhases;
    QByteArray loadTestFigures;
    int singleStationQuits = 0;
    bool resyncRunning = false;
    QString resyncProgress;
    int releasedForExit = 0;
    int closedForExit = 0;

private:
    void apply(link::LinkEngine& engine, const link::LinkOutput& output);

    bool m_draining = false;
};

} // namespace zkn::test
