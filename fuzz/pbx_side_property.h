// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The rule for the simulator behind its parsers: any bytes from the tool, over TCP or on a serial
// line, give frames, texts and junk and switch the lamps, never a crash, and the same whole, byte
// by byte or in any pieces. Over TCP every frame of kinds 1, 5 and 6 is answered once, in order,
// by a kind "3" frame with its device and sequence fields, up to a release request, after which
// nothing more is read.
#include "pieces.h"

#include "link/frame_reader.h"
#include "pbxsim/frame_assembler.h"
#include "pbxsim/lamp_board.h"
#include "pbxsim/pbx_link.h"
#include "pbxsim/serial_side.h"
#include "pbxsim/sim_stats.h"

namespace zkn::fuzz {

struct PbxSideOutcome
{
    QList<QByteArray> units; // kind, bytes and note of each unit found; junk joined up to the next
    QByteArray written;      // what the PBX side sent, a close or reset as "|close" or "|reset"
    QMap<QByteArray, pbxsim::LampState> lamps;
    int lampControls = 0;
    int lampRejected = 0;

    friend bool operator==(const PbxSideOutcome&, const PbxSideOutcome&) = default;
};

inline void note(PbxSideOutcome& outcome, const QList<pbxsim::FrameInfo>& found)
{
    for (const pbxsim::FrameInfo& unit : found) {
        const bool junk = unit.kind == pbxsim::FrameInfo::kJunk;
        if (junk && !outcome.units.isEmpty() && outcome.units.back().startsWith(unit.kind))
            outcome.units.back() += unit.bytes;
        else
            outcome.units.append(unit.kind + (junk ? QByteArray() : unit.note.toUtf8() + '|') + unit.bytes);
    }
}

inline void note(PbxSideOutcome& outcome, const QList<pbxsim::LinkAction>& actions)
{
    for (const pbxsim::LinkAction& action : actions) {
        switch (action.type) {
        case pbxsim::LinkAction::Type::Write:
            outcome.written += action.bytes;
            break;
        case pbxsim::LinkAction::Type::Close:
            outcome.written += "|close";
            break;
        case pbxsim::LinkAction::Type::Reset:
            outcome.written += "|reset";
            break;
        }
    }
}

inline PbxSideOutcome playPbxSide(const QList<QByteArray>& reads, bool serial, link::Parity parity)
{
    pbxsim::SimStats stats;
    pbxsim::LampBoard lamps;
    PbxSideOutcome outcome;
    if (serial) {
        pbxsim::SerialSide side(stats, lamps);
        side.lineOpened();
        for (const QByteArray& read : reads) {
            note(outcome, side.receive(read));
            note(outcome, side.takeDue(0));
        }
    } else {
        pbxsim::PbxLink side(stats, lamps);
        side.setParity(parity);
        side.connectionOpened();
        for (const QByteArray& read : reads) {
            note(outcome, side.receive(read, 0));
            note(outcome, side.takeDue(0));
        }
    }
    outcome.lamps = lamps.stations();
    outcome.lampControls = stats.lampControls;
    outcome.lampRejected = stats.lampRejected;
    return outcome;
}

// Every frame of kinds 1, 5 and 6 has its answer, in order, and a release request is the last
// frame read.
inline bool eachRequestAnsweredInOrder(const QByteArray& received, const PbxSideOutcome& outcome,
                                       link::Parity parity)
{
    QList<link::FrameHeader> requests;
    bool released = false;
    for (const auto& piece : pbxsim::FrameAssembler().feed(received)) {
        if (released)
            break;
        if (!piece.isFrame)
            continue;
        const link::FrameHeader request = link::readFrameHeader(piece.bytes, parity);
        if (request.kind == '1' || request.kind == '5' || request.kind == '6')
            requests.append(request);
        released = request.kind == '6' && request.parityGood && request.length == 4;
    }
    QByteArray written = outcome.written;
    if (released &&
        !(outcome.units.back().contains("release request: answered") && written.endsWith("|close")))
        return false;
    written.chop(released ? 6 : 0);
    const auto answers = pbxsim::FrameAssembler().feed(written);
    if (answers.size() != requests.size())
        return false;
    for (qsizetype i = 0; i < answers.size(); ++i) {
        const link::FrameHeader answer = link::readFrameHeader(answers[i].bytes, parity);
        if (!answers[i].isFrame || answer.kind != '3' || !answer.parityGood ||
            answer.deviceField != requests[i].deviceField ||
            answer.sequenceField != requests[i].sequenceField)
            return false;
    }
    return true;
}

// One fuzz input: its first byte chooses the line (bit 0: serial) and the parity (bit 1: even);
// the rest is what the tool sent.
inline bool checkPbxSideInput(QByteArrayView input)
{
    if (input.isEmpty())
        return true;
    const bool serial = input.front() & 1;
    const link::Parity parity = input.front() & 2 ? link::Parity::Even : link::Parity::Odd;
    const QByteArrayView received = input.sliced(1);
    const QList<Cuts> shapes = streamShapes(received);
    const PbxSideOutcome whole = playPbxSide(cutInto(received, shapes.front()), serial, parity);
    for (const Cuts& cuts : shapes)
        if (playPbxSide(cutInto(received, cuts), serial, parity) != whole)
            return false;
    return serial || eachRequestAnsweredInOrder(received.toByteArray(), whole, parity);
}

} // namespace zkn::fuzz
