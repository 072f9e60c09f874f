// SPDX-License-Identifier: GPL-3.0-or-later
// Received TCP data: cutting it into link frames, matching responses, answering records.
#include "display/terminal_line.h"
#include "link/frame_builder.h"
#include "link/frame_cutter.h"
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

// TCP is a byte stream: a frame may arrive in pieces, several may arrive together. Whole frames
// are handled in order; a partial one that begins with SYN waits for the rest while the connection
// stands. Bytes that begin no frame (stray characters, or a fragment that turns out broken: its
// header is no frame's, or a sound frame begins inside it) cost only themselves: they are skipped
// up to the next SYN that begins a frame, also in later reads, and said once a frame follows.
void LinkEngine::ProcessZKNPacket(const QByteArray& data)
{
    m_context.blink(Timer::TxLamp);
    m_chunkConnection = m_connectionsEnded;
    m_chunk = m_partialFrame + data;
    m_chunkAt = 0;
    m_partialFrame.clear();
    processFramesOfChunk();
}

// A frame follows skipped bytes: said at once unless a line said some within the second.
void LinkEngine::frameBegins()
{
    if (m_skipped.frameBegins() && !m_context.timers().isActive(Timer::SkipReport)) {
        saySkippedBytes();
        m_context.timers().start(Timer::SkipReport, m_context.now());
    }
}

// Each line is a fault for the snapshot; a flood of junk is a line and a fault a second.
void LinkEngine::saySkippedBytes()
{
    const qint64 count = m_skipped.takeUnsaid();
    if (count == 0) {
        m_context.timers().stop(Timer::SkipReport);
        return;
    }
    m_context.fault(QStringLiteral("bytes skipped before a frame"));
    m_context.writeLine(display::marker::Received, QByteArray::number(count) +
                                                       (count == 1 ? " byte" : " bytes") +
                                                       " skipped before a frame");
}

// The frames of the chunk in order, walked with an offset so a chunk costs its size once; a box
// shown for one, or its answer waiting to leave, holds the ones behind it.
void LinkEngine::processFramesOfChunk()
{
    if (!sameConnection(m_chunkConnection)) {
        m_chunk.clear();
        return;
    }
    while (m_chunkAt < m_chunk.size()) {
        // Nothing of a frame is copied before it is known to be one.
        const QByteArrayView rest = QByteArrayView(m_chunk).sliced(m_chunkAt);
        const FrameCut cut = cutFront(rest);
        if (cut.what == FrameCut::What::Skip) {
            m_skipped.skip(cut.size);
            m_chunkAt += cut.size;
            continue;
        }
        if (cut.what == FrameCut::What::Wait) {
            // A frame in this very read may have ended the link: nothing is kept for it.
            if (connectionStands())
                m_partialFrame = rest.toByteArray();
            m_chunkAt = m_chunk.size();
            break;
        }
        frameBegins();
        const FrameHeader frame = readFrameHeader(rest.first(cut.size), m_context.parity());
        m_chunkAt += cut.size;
        if (!processFrame(frame)) {
            reportProcessingError(rest);
            m_chunkAt = m_chunk.size();
            break;
        }
        if (m_context.hold().held()) {
            m_context.then([this] { processFramesOfChunk(); });
            return;
        }
    }
    m_chunk.clear();
    m_context.then([this] { endChunk(); });
}

bool LinkEngine::processFrame(const FrameHeader& frame)
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
        m_context.then([this, frame, awaitedThen = m_pending, connection = m_connectionsEnded] {
            if (!sameConnection(connection))
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
        step(LinkEvent::ConnectAccepted);
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
    const FrameLeft left =
        IPSend(buildRecordAnswer(frame.deviceField, frame.sequenceField, code, m_context.parity()));
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

// A frame the processor cannot take apart (a record without STX, or too short for its text)
// ends this receive event; the rest of its data is dropped.
// The box quotes the start of what was left, enough to recognise the frame.
void LinkEngine::reportProcessingError(QByteArrayView unprocessed)
{
    constexpr qsizetype kQuoted = 256;
    QString quoted = QString::fromLatin1(unprocessed.first(qMin(unprocessed.size(), kQuoted)));
    if (unprocessed.size() > kQuoted)
        quoted += QStringLiteral("... (%1 bytes more)").arg(unprocessed.size() - kQuoted);
    m_context.fault(QStringLiteral("a frame that cannot be read"));
    m_context.tell(faultBox(PeerFault::UnreadableFrame, {m_context.timeStamp(), quoted}));
}

} // namespace zkn::link
