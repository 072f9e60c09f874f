// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link_view.h"

namespace zkn::run {

// What a program without a window takes from the link, each output it acts on a call of its own;
// what only a window shows is passed over by name, so that a new output fails to compile here
// until it is placed.
class HeadlessView : public LinkView
{
public:
    void show(const link::LinkOutput& output) final;

protected:
    virtual void terminalText(const QByteArray& /*text*/) {}
    virtual void linkCameUp() {}
    // The connection picture: false when the connection ended or never stood.
    virtual void connectionShown(bool /*connected*/) {}
    // Where and why the connection never stood.
    virtual void connectFailed(const QString& /*why*/) {}
    virtual void responded(link::Request /*request*/, int /*code*/) {}
    virtual void lampTimedOut() {}
    virtual void loadTestFiguresChanged(const lamp::LoadTestStats& /*figures*/) {}
    virtual void loadTestPhaseChanged(link::LoadTestPhase /*phase*/) {}
    virtual void resyncRunning(bool /*running*/) {}
    virtual void recordArrived(const QByteArray& /*record*/) {}
};

} // namespace zkn::run
