// SPDX-License-Identifier: GPL-3.0-or-later
// Received frames: the PBX's release request, responses matched to requests, records answered.
#include "display/terminal_line.h"
#include "link/frame_builder.h"
#include "link/frame_reader.h"
#include "link/link_engine.h"
#include "link/peer_faults.h"
#include "model/debug_options.h"

namespace zkn::link {

namespace {

QByteArray hexByte(quint8 value)
{
    return QByteArray::number(value, 16).toUpper();
}

using Out = LinkOutput::Type;

// How the terminal names the request a response answered; a response that answered none has no
// name.
QByteArray requestName(std::optional<Request> request)
{
    switch (request.value_or(Request::Count)) {
    case Request::Connect:
        return "Connect";
    case Request::Release:
        return "LINK RELEASE";
    case Request::Lamp:
        return "Lamp Control";
    case Request::Health:
        return "Health Check";
    case Request::Count:
        break;
    }
    return {};
}

} // namespace

bool LinkEngine::frameArrived(const FrameHeader& frame)
{
    switch (frame.kind) {
    case '6':
        m_context.writeLine(display::marker::Received, "PBX Response: Link Release Request...");
        shutDownLink();
        return true;
    case '3':
        processResponse(frame);
        return true;
    case '2':
        return processRecord(frame);
    default:
        return true;
    }
}

// A response answers the first awaited request with its sequence number. One that answers none
// is shown in a box, and every request awaited then is forgotten after it: their late answers
// match nothing. Requests sent while the box was open are awaited still.
void LinkEngine::processResponse(const FrameHeader& frame)
{
    const std::optional<Request> matched = m_pending.match(frame.sequence);
    if (!matched) {
        m_context.fault(QStringLiteral("improper sequence %1").arg(QString::fromLatin1(frame.sequenceField)));
        m_context.tell(
            faultBox(PeerFault::ImproperSequence, {QString::fromLatin1(frame.sequenceField),
                                                   QString::number(m_pending.sequence(Request::Lamp))}));
        m_context.then([this, frame, awaitedThen = m_pending, connection = m_phases.connection()] {
            if (connection != m_phases.connection())
                return;
            m_pending.forgetWaitsOf(awaitedThen);
            finishResponse(frame, std::nullopt);
        });
        return;
    }
    switch (*matched) {
    case Request::Release:
        m_context.timers().stop(Timer::StatusMonitor);
        // The PBX is to close the connection now; if it never does, the wait ends after a while.
        m_context.timers().restart(Timer::ReleaseLimit, m_context.now());
        break;
    case Request::Health:
        m_context.timers().stop(Timer::T2);
        break;
    case Request::Lamp:
        m_context.timers().stop(Timer::T3);
        break;
    case Request::Connect:
    case Request::Count:
        break;
    }
    finishResponse(frame, matched);
}

void LinkEngine::finishResponse(const FrameHeader& frame, std::optional<Request> matched)
{
    const int code = frame.responseCode;
    if (matched) {
        LinkOutput response{Out::Response};
        response.request = *matched;
        response.code = code;
        m_context.out(std::move(response));
    }
    const bool linkStep = matched == Request::Connect || matched == Request::Release;
    if (linkStep || code >= 1 || m_context.debug().detail())
        m_context.writeLine(display::marker::Received, '(' + QByteArray::number(frame.sequence) + ") " +
                                                           requestName(matched) +
                                                           " Message Rcv'd: " + responseText(code) + "\r\n");
    if (matched && code >= 1)
        m_context.fault(
            QStringLiteral("negative answer %1 (%2)").arg(code).arg(QString::fromLatin1(responseText(code))));
    // The PBX refused the device: the tool drops the connection.
    if (code == 2 || code == 4)
        shutDownLink();
    else if (matched == Request::Connect) {
        m_phases.step(TcpEvent::ConnectAccepted);
        m_context.out(Out::LinkCameUp);
    }
    if (matched == Request::Lamp)
        m_lamps.answerCame(code);
}

bool LinkEngine::processRecord(const FrameHeader& frame)
{
    const std::optional<QByteArray> text = link::recordText(frame);
    if (!text)
        return false;
    m_recordText = display::DotBlanks(*text);
    m_context.writeLine(display::marker::Received, m_recordText);
    LinkOutput arrived{Out::RecordArrived, m_recordText};
    arrived.on = frame.parityGood;
    arrived.when = m_context.wallClock();
    m_context.out(std::move(arrived));
    if (!frame.parityGood)
        m_context.fault(QStringLiteral("bad check byte in a record"));

    // A forced answer applies to this one record.
    AnswerCode code = AnswerCode::Normal;
    QByteArray name = "J-Record Received NORMAL";
    if (m_context.debug().forcedAnswer() == DebugOptions::ForcedAnswer::ParityError) {
        code = AnswerCode::ParityError;
        name = "** PARITY ERROR **";
        m_context.debug().setForcedAnswer(DebugOptions::ForcedAnswer::Normal);
    } else if (m_context.debug().forcedAnswer() == DebugOptions::ForcedAnswer::InvalidText) {
        code = AnswerCode::InvalidText;
        name = "** INVALID TEXT **";
        m_context.debug().setForcedAnswer(DebugOptions::ForcedAnswer::Normal);
    }
    if (!frame.parityGood) {
        code = m_context.debug().ignoreParity() ? AnswerCode::Normal : AnswerCode::ParityError;
        name = "** PARITY ERROR **";
    }
    const SendPacer::FrameLeft left =
        m_send.IPSend(buildRecordAnswer(frame.deviceField, frame.sequenceField, code, m_context.parity()));
    if (!m_context.debug().detail())
        return true;
    const quint8 computed = ComputeParity(frame.frame.first(frame.frame.size() - 1), m_context.parity());
    const QByteArray fields = "            : Sequence_ID: <" + twoDigitField(frame.sequenceField) + ">" +
                              "    Byte_Length: <" + frame.lengthField + ">" + "    Received_Parity: <" +
                              hexByte(frame.receivedCheckByte) + "h>" + "    Calculated_Parity: <" +
                              hexByte(computed) + "h>\r\n";
    m_context.then([this, left, fields, name] {
        if (*left)
            m_context.writeTerminal(fields + display::terminalLine(display::marker::Sent,
                                                                   m_context.wallClock().time(),
                                                                   name + "\r\n"));
    });
    return true;
}

} // namespace zkn::link
