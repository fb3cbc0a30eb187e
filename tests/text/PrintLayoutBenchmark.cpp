#include <benchmark/benchmark.h>

#include <string>

#include "foundation/TextCodePage.h"
#include "text/PrintLayout.h"

// Laying out 10,000 characters of Japanese text with fixed advances (16
// pixels a character, measured by division as a device would by its width
// table) in pages of 40 x 12 characters, kinsoku on: the cost of the
// layout alone, without measuring or drawing.

namespace {

class FixedAdvances final : public PrintLayoutTarget {
public:
    int32_t fitBytes(const char*, int32_t length, int32_t maxWidth) override
    {
        const int32_t bytes = maxWidth / 8;
        return bytes < length ? bytes : length;
    }
    int32_t textWidth(const char*, int32_t length) override { return 8 * length; }
    void drawPiece(int32_t, int32_t, const char*, int32_t length, bool) override { drawn += length; }
    void areaFull() override { ++pages; }
    void warnStartOutside(const char*) override { }
    void debugNotice(const char*) override { }
    int64_t drawn = 0;
    int64_t pages = 0;
};

void BM_PrintLayoutJapanese(benchmark::State& state)
{
    setTextCodePage(932);
    // あいうえお。 and a line break every 60 characters.
    const std::string unit = "\x82\xA0\x82\xA2\x82\xA4\x82\xA6\x82\xA8\x81\x42";
    std::string text;
    for (int i = 0; i < 10000 / 6; ++i) {
        text += unit;
        if (i % 10 == 9)
            text += "\n";
    }
    FixedAdvances target;
    for (auto _ : state) {
        PrintLayoutState layoutState;
        layoutState.area = FCRect(0, 0, 40 * 16, 12 * 20);
        layoutState.kinsoku = "\x81\x42\x81\x41";
        PrintLayout layout(layoutState, target);
        layout.home();
        benchmark::DoNotOptimize(layout.layout(text.c_str(), int32_t(text.size())));
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_PrintLayoutJapanese);

} // namespace
