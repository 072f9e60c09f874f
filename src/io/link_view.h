// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/link_output.h"

namespace zkn {

// Where the link is shown: every output of the link engine that is neither a transport's work nor
// a notice (terminal lines, panels, lamps, records, the load test's figures), each a call of its
// own. The tool's main window is one; a program without a window keeps what it needs of them.
// A new output fails to compile in show() until it has its call, and every view until it
// answers that call.
class LinkView
{
public:
    virtual ~LinkView() = default;
    // Makes the call the output is for.
    void show(const link::LinkOutput& output);

protected:
    using PanelId = link::LinkOutput::PanelId;

    virtual void terminalText(const QByteArray& text) = 0;
    virtual void panelText(PanelId panel, const QString& text) = 0;
    // The "Settings" panel describes the connection as it is now.
    virtual void connectionSettingsChanged() = 0;
    // The connection picture: false when the connection ended or never stood.
    virtual void connectionShown(bool connected) = 0;
    virtual void connectChecked(bool checked) = 0;
    virtual void sendTextOffered(bool offered) = 0;
    virtual void propertiesOffered(bool offered) = 0;
    virtual void debugLanOffered(bool offered) = 0;
    // The PBX took the connect request, or the serial port is open with DSR.
    virtual void linkCameUp() = 0;
    virtual void txLampLit(bool lit) = 0;
    virtual void rxLampLit(bool lit) = 0;
    virtual void dsrLampLit(bool lit) = 0;
    // The release wait window.
    virtual void waitWindowShown(bool shown) = 0;
    virtual void propertiesAsked() = 0;
    // A received TCP chunk, and a frame that left, for the LAN debug window.
    virtual void chunkReceived(const QByteArray& chunk) = 0;
    virtual void frameSent(const QByteArray& frame) = 0;
    // The serial buffer gauge follows the port.
    virtual void serialBufferChanged() = 0;
    virtual void recordArrived(const QByteArray& record, bool checkGood, const QDateTime& when) = 0;
    // The PBX answered `request` with `code`.
    virtual void responded(link::Request request, int code) = 0;
    // The lamp frame awaited had no answer in time.
    virtual void lampTimedOut() = 0;
    // Where and why the connection never stood.
    virtual void connectFailed(const QString& why) = 0;
    virtual void resyncProgress(bool running, const QString& progress) = 0;
    virtual void loadTestPhaseChanged(link::LoadTestPhase phase) = 0;
    virtual void loadTestFiguresChanged(const lamp::LoadTestStats& figures, bool answersExpected) = 0;
    // The single-station dialog does what its Quit does.
    virtual void singleStationQuit() = 0;
};

} // namespace zkn
