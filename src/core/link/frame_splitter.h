// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/frame_reader.h"
#include "link/parity.h"

#include <QByteArray>
#include <QByteArrayView>

#include <functional>

namespace zkn::link {

// Cuts one direction's byte stream into link frames with the tool's receiver's rules: a frame
// cut across pieces waits for the rest, and a broken fragment (a header that is no frame's, or
// one a sound frame begins inside) is skipped. Bytes before a SYN are skipped too, so the frames
// found never depend on how the stream was cut into segments. The check byte is judged under the
// parity given.
class FrameSplitter
{
public:
    using Handler = std::function<void(const FrameHeader& frame)>;

    FrameSplitter(Parity parity, Handler handler);

    // The next bytes of the stream, in order.
    void feed(QByteArrayView bytes);
    // Bytes are missing before the next ones: the frame begun is lost.
    void gap() { m_rest.clear(); }

private:
    // Where the frame search goes on from `at`; the same when the bytes there must wait for more.
    qsizetype step(qsizetype at);

    Parity m_parity;
    Handler m_handler;
    QByteArray m_rest; // a frame not yet whole
};

} // namespace zkn::link
