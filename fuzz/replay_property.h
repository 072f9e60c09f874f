// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The rule for the simulator's replay of a capture: any capture file gives its connections or a
// reason, never a crash; every frame read begins with SYN; and the replay, played to a tool that
// sends the captured tool frames again, runs to its end and reports without a crash.
#include "pbxsim/captured_link_reader.h"
#include "pbxsim/pbx_replay.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace zkn::fuzz {

// Plays `capture` to a tool that sends, for each connection, the frames the tool sent in it.
inline void playToItsOwnTool(const pbxsim::CapturedLink& capture)
{
    constexpr int kQuietMs = 100;
    pbxsim::PbxReplay replay(capture, link::Parity::Odd, 1000.0, kQuietMs);
    qint64 now = 0;
    const auto runUntilQuiet = [&] {
        for (int turns = 0; turns < 10000 && replay.nextDue() && !replay.ended(); ++turns) {
            now = std::max(now, *replay.nextDue());
            replay.takeDue(now);
        }
    };
    for (const pbxsim::CapturedConnection& connection : capture) {
        replay.connectionOpened();
        for (const pbxsim::CapturedFrame& frame : connection.frames) {
            if (!frame.fromTool)
                continue;
            replay.receive(frame.bytes, ++now);
            replay.takeDue(now);
        }
        runUntilQuiet();
        replay.connectionClosed();
    }
    runUntilQuiet();
    replay.report();
}

// Returns false when the rule is broken.
inline bool checkReplayInput(QByteArrayView input)
{
    static const QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("capture"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(input.data(), input.size()) != input.size())
        return true; // nothing to read it from: not the reader's fault
    file.close();
    const auto read = pbxsim::readCapturedLink(path, link::Parity::Odd);
    const auto* capture = std::get_if<pbxsim::CapturedLink>(&read);
    if (!capture)
        return true;
    for (const pbxsim::CapturedConnection& connection : *capture)
        for (const pbxsim::CapturedFrame& frame : connection.frames)
            if (!frame.bytes.startsWith('\x16'))
                return false;
    playToItsOwnTool(*capture);
    return true;
}

} // namespace zkn::fuzz
