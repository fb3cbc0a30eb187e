#include <benchmark/benchmark.h>

#include <string>

#include "startup/UxRnf.h"

// A configuration file of many pair lines: parsing is one pass, each pair one
// map insertion.
static void BM_UxRnfParsePairs(benchmark::State& state)
{
    std::string text;
    for (int64_t i = 0; i < state.range(0); ++i)
        text += "wincnf" + std::to_string(i) + " = 0,0,800,600\t; layout\n";
    FCString source(text.c_str());
    for (auto _ : state) {
        UxRnf::Pairs pairs;
        UxRnf::parse(source, pairs);
        benchmark::DoNotOptimize(pairs.size());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_UxRnfParsePairs)->Arg(100)->Arg(10000);

// One block value of many lines grows in place: time per byte stays the same
// as the block grows.
static void BM_UxRnfParseBlock(benchmark::State& state)
{
    std::string text = "<--\nnote=\n";
    for (int64_t i = 0; i < state.range(0); ++i)
        text += "a line of the note, long enough to matter\n";
    text += "-->\n";
    FCString source(text.c_str());
    for (auto _ : state) {
        UxRnf::Pairs pairs;
        UxRnf::parse(source, pairs);
        benchmark::DoNotOptimize(pairs.size());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_UxRnfParseBlock)->Arg(1000)->Arg(100000);
