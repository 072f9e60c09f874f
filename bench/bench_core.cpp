// Figures for the hot paths of the core: building and checking frames, and writing to a full
// terminal. Run: build/bench/bench/bench_core
#include "display/terminal_buffer.h"
#include "display/terminal_line.h"
#include "link/frame_builder.h"
#include "link/frame_reader.h"
#include "link/parity.h"

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

} // namespace

BENCHMARK_MAIN();
