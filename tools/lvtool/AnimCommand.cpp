#include "tools/lvtool/AnimCommand.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "layer/AnimationScript.h"
#include "layer/Easing.h"
#include "tools/lvtool/ToolSupport.h"

namespace {

int animUsage()
{
    std::fprintf(stderr, "usage: lvtool anim steps SCRIPT COUNT\n");
    return 2;
}

int easeUsage()
{
    std::fprintf(stderr, "usage: lvtool ease CURVE D T TOTAL\n");
    return 2;
}

bool parseInRange(const char* text, long long low, long long high, long long& value)
{
    return parseNumber(text, value) && value >= low && value <= high;
}

} // namespace

// Runs an animation script as an animation area steps it (no restart, no
// stop at the end) and prints each step's result on its own line: a frame
// number, -1 for the end or a step without a new frame, -3 for a pause.
int runAnimCommand(int argc, char** argv)
{
    long long count;
    if (argc != 3 || std::strcmp(argv[0], "steps") != 0 || !parseInRange(argv[2], 0, 0x7FFFFFFF, count))
        return animUsage();
    AnimationScript script;
    script.load(argv[1], false);
    for (long long i = 0; i < count; ++i)
        std::printf("%d\n", script.step(false));
    return 0;
}

// Prints the eased part of a change D after T of TOTAL milliseconds on curve
// CURVE. T and TOTAL are unsigned 32-bit, CURVE and D signed 32-bit.
int runEaseCommand(int argc, char** argv)
{
    long long curve, delta, elapsed, total;
    if (argc != 4 || !parseInRange(argv[0], INT32_MIN, INT32_MAX, curve)
        || !parseInRange(argv[1], INT32_MIN, INT32_MAX, delta) || !parseInRange(argv[2], 0, UINT32_MAX, elapsed)
        || !parseInRange(argv[3], 0, UINT32_MAX, total))
        return easeUsage();
    std::printf("%d\n", ease(int32_t(curve), int32_t(delta), uint32_t(elapsed), uint32_t(total)));
    return 0;
}
