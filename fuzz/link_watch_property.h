// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The rule for the watch of a link between a PBX and a message centre: any bytes from either side,
// over TCP or a serial line, give frames and faults, never a crash, and the same ones however the
// bytes were cut into reads. The first half of the input is the message centre's, the rest the
// PBX's; the figures count what was seen.
#include "pieces.h"

#include "monitor/link_watch.h"

namespace zkn::fuzz {

struct Watched
{
    QStringList seen; // frames and faults in the order they came
    qint64 frames = 0;
    qint64 faults = 0;
};

inline Watched watchedOf(QByteArrayView fromMc, QByteArrayView fromPbx, const Cuts& mcCuts,
                         const Cuts& pbxCuts, bool serial)
{
    Watched watched;
    monitor::LinkWatch watch(link::Parity::Odd,
                             {[&watched](const monitor::WatchedFrame& f) {
                                  watched.seen << QString::number(int(f.from)) + QLatin1Char(' ') +
                                                      QLatin1String(monitor::meaningName(f.meaning)) +
                                                      QLatin1Char(' ') +
                                                      QString::fromLatin1(f.frame.frame + f.message) +
                                                      (f.answered ? QStringLiteral(" answered") : QString());
                              },
                              [&watched](const monitor::WatchFault& f) { watched.seen << f.what; }});
    for (const auto& [side, bytes, cuts] :
         {std::tuple{monitor::Side::Mc, fromMc, mcCuts}, std::tuple{monitor::Side::Pbx, fromPbx, pbxCuts}})
        for (const QByteArray& piece : cutInto(bytes, cuts)) {
            if (serial)
                watch.serialReceived(1000, side, piece);
            else
                watch.received(1, 1000, side, piece);
        }
    watch.advanceTo(60'000'000); // every request's time up
    watched.frames = watch.figures().pbx.frames + watch.figures().mc.frames;
    watched.faults = watch.figures().faults;
    return watched;
}

// Returns false when the rule is broken.
inline bool checkLinkWatchInput(QByteArrayView input)
{
    const QByteArrayView fromMc = input.first(input.size() / 2);
    const QByteArrayView fromPbx = input.sliced(input.size() / 2);
    for (const bool serial : {false, true}) {
        const Watched whole = watchedOf(fromMc, fromPbx, {}, {}, serial);
        if (whole.frames + whole.faults != whole.seen.size() || whole.frames > input.size())
            return false;
        for (const Cuts& cuts : streamShapes(fromMc))
            if (watchedOf(fromMc, fromPbx, cuts, everyByte(fromPbx.size()), serial).seen != whole.seen)
                return false;
    }
    return true;
}

} // namespace zkn::fuzz
