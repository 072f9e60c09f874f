// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/link_output.h"

#include <QObject>
#include <QString>

#include <deque>
#include <functional>

class QSocketNotifier;

namespace zkn {

class Operator;
class SerialLine;
class TcpLink;
class LinkView;
namespace link {
class Clock;
class LinkEngine;
} // namespace link

// The one place where the link engine meets the program: the transports' signals become its
// inputs, every input is fed through here, and afterwards everything the engine asks for is
// carried out (the transports driven, the view shown, notices put up one at a time without
// waiting) and one real timer is armed for the engine's next deadline. The
// timer is the system's timerfd, which keeps microseconds where a QTimer rounds to whole
// milliseconds: a load test at 2 ms would lose a third of its rate to that rounding.
class LinkPump : public QObject
{
    Q_OBJECT

public:
    LinkPump(link::LinkEngine& engine, TcpLink& socket, SerialLine& serial, LinkView& view, Operator& op,
             const link::Clock& clock, QObject* parent = nullptr);
    ~LinkPump() override;

    // Gives the engine an input, then carries out what it asks for.
    void feed(const std::function<void(link::LinkEngine&)>& input);
    // The one way to the serial port besides the engine's own outputs: `change` (the properties
    // dialog's port, the stored settings) runs on it, then the engine is told the port as it is.
    template <typename Change> auto changePort(Change change)
    {
        const auto result = change(m_serial);
        tellSerialLine();
        return result;
    }
    // A block of a text file, written by the engine; why the port did not take it, else nothing.
    QString writeTextBlock(const QByteArray& block);
    // The file a load test takes its stations from; the tool's extensions file unless set.
    void setExtensionsPath(const QString& path) { m_extensionsPath = path; }

Q_SIGNALS:
    void releasedForExit();
    void linkClosedForExit();
    void lampLedgerChanged();
    // Something went wrong on the link, as `what` says.
    void faultHappened(const QString& what);
    // A frame left (`sent`), or a chunk came in.
    void framePassed(bool sent, const QByteArray& bytes);

private:
    void wireTransports();
    void drain();
    void carryOut(const link::LinkOutput& output);
    void openSocket(quint64 ticket, const QString& host);
    void togglePort(quint64 ticket);
    void readExtensions(quint64 ticket);
    void tellSerialLine();
    void showNextNotice();
    void arm();

    link::LinkEngine& m_engine;
    TcpLink& m_socket;
    SerialLine& m_serial;
    LinkView& m_view;
    Operator& m_operator;
    const link::Clock& m_clock;
    int m_timerFd = -1;
    QSocketNotifier* m_timerDue = nullptr;
    std::deque<link::Notice> m_notices;
    bool m_noticeShown = false;
    bool m_draining = false;
    QString m_extensionsPath;
    QString m_serialWriteError; // of the last write the engine asked for
};

} // namespace zkn
