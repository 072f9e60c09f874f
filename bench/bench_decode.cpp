// SPDX-License-Identifier: GPL-3.0-or-later
// Records decoded per second in each layout, from the simulator's catalogue.
// Run: build/bench/bench/bench_decode
#include "decode/decode_record.h"
#include "pbxsim/record_catalogue.h"

#include <benchmark/benchmark.h>

namespace {

using zkn::pbxsim::RecordLayout;

void BM_DecodeRecord(benchmark::State& state)
{
    const auto layout = static_cast<RecordLayout>(state.range(0));
    const zkn::decode::RecordFormat format =
        layout == RecordLayout::Kra ? zkn::decode::RecordFormat::Kra : zkn::decode::RecordFormat::Olv;
    const QList<QByteArray> records = zkn::pbxsim::catalogueTexts(layout);
    qsizetype next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(zkn::decode::DecodeRecord(records[next], format));
        next = (next + 1) % records.size();
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel(zkn::pbxsim::layoutName(layout).toStdString());
}
BENCHMARK(BM_DecodeRecord)
    ->Arg(static_cast<int>(RecordLayout::Kra))
    ->Arg(static_cast<int>(RecordLayout::Olv6))
    ->Arg(static_cast<int>(RecordLayout::Olv8))
    ->Arg(static_cast<int>(RecordLayout::Olv6Expanded))
    ->Arg(static_cast<int>(RecordLayout::Olv8Expanded));

} // namespace

BENCHMARK_MAIN();
