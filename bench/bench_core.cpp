// SPDX-License-Identifier: GPL-3.0-or-later
// Figures for the hot paths of the core: building and checking frames, writing to a full
// terminal, and one tick of a load test on the serial line. Run: build/bench/bench/bench_core
#include "display/terminal_buffer.h"
#include "display/terminal_line.h"
#include "link/clock.h"
#include "link/frame_builder.h"
#include "link/frame_reader.h"
#include "link/link_engine.h"
#include "link/parity.h"
#include "model/connection_options.h"
#include "model/debug_options.h"
#include "model/expansion_option.h"
#include "model/load_test_options.h"

#include <benchmark/benchmark.h>

using namespace zkn;

namespace {

QByteArray lampMessage()
{
    return QByteArray(1, '\x02') + QByteArray("1 2 1234   ") + QByteArray(1, '\x03');
}

void BM_BuildHealthCheck(benchmark::State& state)
{
    int sequence = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(link::buildStatusFrame("1", sequence, link::Parity::Odd));
        sequence = (sequence + 1) % 100;
    }
}
BENCHMARK(BM_BuildHealthCheck);

void BM_BuildLampControlFrame(benchmark::State& state)
{
    const QByteArray message = lampMessage();
    for (auto _ : state)
        benchmark::DoNotOptimize(link::buildTextFrame("1", 42, message, link::Parity::Even));
}
BENCHMARK(BM_BuildLampControlFrame);

// A record frame of the given data length, read and checked as the receive path does.
void BM_ReadAndCheckRecordFrame(benchmark::State& state)
{
    const QByteArray record = QByteArray(1, '\x02') + QByteArray(state.range(0), 'J') + QByteArray(1, '\x03');
    const QByteArray frame = link::buildTextFrame("1", 7, record, link::Parity::Odd);
    for (auto _ : state) {
        const link::FrameHeader header = link::readFrameHeader(frame, link::Parity::Odd);
        benchmark::DoNotOptimize(header.parityGood);
    }
    state.SetBytesProcessed(state.iterations() * frame.size());
}
BENCHMARK(BM_ReadAndCheckRecordFrame)->Arg(64)->Arg(256)->Arg(990);

// A terminal line written to a buffer kept at its cap, so the 4096-character cut happens too.
void BM_WriteTerminalFullBuffer(benchmark::State& state)
{
    display::TerminalBuffer buffer;
    buffer.WriteTerminal(QByteArray(display::TerminalBuffer::kCapacity, 'x'));
    const QByteArray line =
        display::terminalLine(display::marker::Received, QTime(12, 0, 0), QByteArray(120, 'J'));
    for (auto _ : state)
        benchmark::DoNotOptimize(buffer.WriteTerminal(line));
    state.SetBytesProcessed(state.iterations() * line.size());
}
BENCHMARK(BM_WriteTerminalFullBuffer);

void BM_WriteTerminalWithBackspaces(benchmark::State& state)
{
    display::TerminalBuffer buffer;
    buffer.WriteTerminal(QByteArray(display::TerminalBuffer::kCapacity, 'x'));
    for (auto _ : state)
        benchmark::DoNotOptimize(buffer.WriteTerminal("ab\bc\r\n\bdef\r\n"));
}
BENCHMARK(BM_WriteTerminalWithBackspaces);

// A clock moved by hand.
class HandClock : public link::Clock
{
public:
    qint64 nowUs() const override { return us; }
    QDateTime wallClock() const override { return QDateTime::fromMSecsSinceEpoch(us / 1000); }
    qint64 us = 0;
};

// One tick of the load test's send clock on the serial line: the message built and written, its
// terminal line made, the figures counted, and every output taken.
void BM_LoadTestTickSerial(benchmark::State& state)
{
    HandClock clock;
    ConnectionOptions connection;
    DebugOptions debug;
    ExpansionOption expansion;
    LoadTestOptions loadTest;
    connection.setConnectionType(ConnectionType::Serial);
    loadTest.setRange(1000, 1999);
    loadTest.setDelayMs(2);
    link::LinkEngine engine(clock, connection, debug, expansion, loadTest);
    engine.serial().onLine(true, true); // open, with DSR
    engine.lamps().mnuStart_Click();
    while (engine.poll()) {
    }
    for (auto _ : state) {
        clock.us += 2000;
        engine.advanceTo(clock.us);
        while (const std::optional<link::LinkOutput> output = engine.poll())
            benchmark::DoNotOptimize(output->bytes.data());
    }
}
BENCHMARK(BM_LoadTestTickSerial);

// 16 MB of frames of a kind the tool ignores (the PBX's own status frames), in reads of 64 KB as
// the socket gives them, through a connected link's receive path: linear in the bytes, so it
// takes well under a second.
void BM_IgnoredFrames16MB(benchmark::State& state)
{
    HandClock clock;
    ConnectionOptions connection;
    DebugOptions debug;
    ExpansionOption expansion;
    LoadTestOptions loadTest;
    connection.setConnectionType(ConnectionType::Lan);
    connection.setDeviceNumber(QStringLiteral("1"));
    link::LinkEngine engine(clock, connection, debug, expansion, loadTest);
    engine.setSendSpacing(0);
    engine.onSocketStateChanged(link::SocketState::Connected);
    engine.onSocketConnected();
    while (engine.poll()) {
    }
    const QByteArray status = link::buildStatusFrame("1", 1, link::Parity::Odd);
    const QByteArray read = status.repeated(65536 / status.size());
    const qsizetype reads = (16 << 20) / read.size();
    for (auto _ : state) {
        for (qsizetype i = 0; i < reads; ++i) {
            engine.onSocketData(read);
            while (const std::optional<link::LinkOutput> output = engine.poll())
                benchmark::DoNotOptimize(output->bytes.data());
        }
    }
    state.SetBytesProcessed(state.iterations() * reads * read.size());
}
BENCHMARK(BM_IgnoredFrames16MB)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
