#include <benchmark/benchmark.h>

#include <string>

#include "foundation/FCString.h"

// Copying a string shares its representation: the cost is one atomic
// increment and decrement, against a heap copy for std::string.
static void BM_FCStringCopy(benchmark::State& state)
{
    FCString source(std::string(static_cast<size_t>(state.range(0)), 'x').c_str());
    for (auto _ : state) {
        FCString copy(source);
        benchmark::DoNotOptimize(copy.text());
    }
}
BENCHMARK(BM_FCStringCopy)->Arg(16)->Arg(4096);

static void BM_StdStringCopy(benchmark::State& state)
{
    std::string source(static_cast<size_t>(state.range(0)), 'x');
    for (auto _ : state) {
        std::string copy(source);
        benchmark::DoNotOptimize(copy.data());
    }
}
BENCHMARK(BM_StdStringCopy)->Arg(16)->Arg(4096);
