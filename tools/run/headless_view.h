// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link_view.h"

namespace zkn::run {

// The link shown nowhere: a program without a window answers the calls it acts on and leaves
// the rest, which only a window shows.
class HeadlessView : public LinkView
{
protected:
    void terminalText(const QByteArray&) override {}
    void panelText(PanelId, const QString&) override {}
    void connectionSettingsChanged() override {}
    void connectionShown(bool) override {}
    void connectChecked(bool) override {}
    void sendTextOffered(bool) override {}
    void propertiesOffered(bool) override {}
    void debugLanOffered(bool) override {}
    void linkCameUp() override {}
    void txLampLit(bool) override {}
    void rxLampLit(bool) override {}
    void dsrLampLit(bool) override {}
    void waitWindowShown(bool) override {}
    void propertiesAsked() override {}
    void chunkReceived(const QByteArray&) override {}
    void frameSent(const QByteArray&) override {}
    void serialBufferChanged() override {}
    void recordArrived(const QByteArray&, bool, const QDateTime&) override {}
    void responded(link::Request, int) override {}
    void lampTimedOut() override {}
    void connectFailed(const QString&) override {}
    void resyncProgress(bool, const QString&) override {}
    void loadTestPhaseChanged(link::LoadTestPhase) override {}
    void loadTestFiguresChanged(const lamp::LoadTestStats&, bool) override {}
    void singleStationQuit() override {}
};

} // namespace zkn::run
