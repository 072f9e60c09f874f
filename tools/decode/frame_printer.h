// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/frame_reader.h"
#include "link_side.h"
#include "output_buffer.h"

namespace zkn::decodetool {

// Appends one line per link frame to the output: its time, the side that sent it, its kind,
// device and sequence fields, the check byte's verdict and its data. For people, with the time
// in UTC and control characters and bytes above 126 as <hex>:
//   2025-12-06 05:46:40.003000  pbx   kind 3  device 01  seq 07  check good  0
// As JSON lines, with the time in seconds since the epoch to the microsecond and the fields as
// they came:
//   {"time":1765000000.003000,"from":"pbx","kind":"3","device":"01","seq":"07","check_good":true,
//    "data":"0"}
// Control characters and bytes above 126 as <hex>, the rest as they are.
QByteArray readableBytes(const QByteArray& bytes);

class FramePrinter
{
public:
    FramePrinter(OutputStyle style, OutputBuffer& out) : m_style(style), m_out(out) {}

    void print(CaptureTime time, LinkSide from, const link::FrameHeader& frame);

private:
    OutputStyle m_style;
    OutputBuffer& m_out;
};

} // namespace zkn::decodetool
