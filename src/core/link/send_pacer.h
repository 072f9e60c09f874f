// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <deque>
#include <memory>
#include <optional>
#include <vector>

namespace zkn::link {

// The frames waiting to leave the socket. Each leaves no sooner than the spacing after it was
// handed over and after the frame before it left, in order. The handler that handed a frame over waits for it
// (its hold), and reads from `left` whether it went out. Times are the link clock's microseconds; the engine
// arms the timer and writes to the socket.
class SendPacer
{
public:
    using FrameLeft = std::shared_ptr<bool>;
    struct Frame
    {
        QByteArray bytes;
        qint64 handedOverUs = 0;
        quint64 hold = 0; // of the handler waiting for it; 0: none waits
        FrameLeft left;
    };

    // 20 ms on a real link; with none, frames leave as they are handed over.
    void setSpacingUs(qint64 us) { m_spacingUs = us; }
    bool paced() const { return m_spacingUs != 0; }

    void handOver(Frame frame) { m_waiting.push_back(std::move(frame)); }
    bool empty() const { return m_waiting.empty(); }
    // Reading stops while this many wait: 200 ms of the spacing, and a flooding PBX is held
    // back by TCP rather than by the tool's memory.
    bool full() const { return m_waiting.size() >= kMostWaiting; }
    // When the front frame may leave; nothing while none waits.
    std::optional<qint64> dueUs() const;
    // The front frame, gone now: `sent` when it went out on the socket at `nowUs`.
    Frame takeFront(bool sent, qint64 nowUs);

    // A connection given up: the holds of the frames that will never leave.
    std::vector<quint64> giveUp();

private:
    static constexpr std::size_t kMostWaiting = 10;

    std::deque<Frame> m_waiting;
    qint64 m_spacingUs = 20000;
    std::optional<qint64> m_lastLeftUs;
};

} // namespace zkn::link
