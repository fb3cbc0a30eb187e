#include "tools/lvtool/TextCommand.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "foundation/UxTextScramble.h"
#include "tools/lvtool/ToolSupport.h"

namespace {

int textUsage()
{
    std::fprintf(stderr,
        "usage: lvtool text scramble --seed S [--plain-lines N] IN OUT\n"
        "       lvtool text unscramble --seed S [--plain-lines N] IN OUT\n");
    return 2;
}

} // namespace

// The scramble of the game's text files: every byte after the first N lines
// (N = 0 by default) is rotated by a key drawn from the seed, exactly as the
// host's text loading undoes it.
int runTextCommand(int argc, char** argv)
{
    if (argc < 1)
        return textUsage();
    bool scramble;
    if (std::strcmp(argv[0], "scramble") == 0)
        scramble = true;
    else if (std::strcmp(argv[0], "unscramble") == 0)
        scramble = false;
    else
        return textUsage();

    long long seed = -1;
    long long plainLines = 0;
    const char* paths[2] = {};
    int pathCount = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc) {
            if (!parseNumber(argv[++i], seed) || seed < 0 || seed > 0xFFFFFFFFLL)
                return textUsage();
        } else if (std::strcmp(argv[i], "--plain-lines") == 0 && i + 1 < argc) {
            if (!parseNumber(argv[++i], plainLines) || plainLines < 0 || plainLines > 0x7FFFFFFF)
                return textUsage();
        } else if (argv[i][0] == '-' && argv[i][1] == '-') {
            return textUsage();
        } else if (pathCount < 2) {
            paths[pathCount++] = argv[i];
        } else {
            return textUsage();
        }
    }
    if (seed < 0 || pathCount != 2)
        return textUsage();

    std::vector<uint8_t> content;
    if (!readWholeFile(paths[0], content))
        return fail(paths[0], "cannot read the file");
    char* text = reinterpret_cast<char*>(content.data());
    size_t start = scrambleRegionStart(text, content.size(), static_cast<int32_t>(plainLines));
    // A text with fewer lines than the plain ones is left as it is, as loading does.
    if (start != SIZE_MAX && start < content.size()) {
        if (scramble)
            scrambleBytes(text + start, content.size() - start, static_cast<uint32_t>(seed));
        else
            unscrambleBytes(text + start, content.size() - start, static_cast<uint32_t>(seed));
    }
    if (!writeWholeFile(paths[1], content.data(), content.size()))
        return fail(paths[1], "cannot write the file");
    return 0;
}
