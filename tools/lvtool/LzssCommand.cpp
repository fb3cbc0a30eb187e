#include "tools/lvtool/LzssCommand.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "image/FCCompress.h"
#include "image/UxCompressAlgorithm.h"
#include "image/UxCompressLzssOrg.h"
#include "tools/lvtool/ToolSupport.h"

namespace {

// The most a byte of input can become: a 3-byte method-3 code yields at most
// 256 bytes, a 2-byte classic match at most 18.
constexpr uint64_t kMaxExpansion = 128;

int lzssUsage()
{
    std::fprintf(stderr,
        "usage: lvtool lzss decode --method M [--size N] [--base FILE] IN OUT\n"
        "       lvtool lzss encode --method M IN OUT\n");
    return 2;
}

int decode(int method, long long size, const char* basePath, const char* inPath, const char* outPath)
{
    std::vector<uint8_t> input;
    if (!readWholeFile(inPath, input))
        return fail(inPath, "cannot read the file");
    std::vector<uint8_t> base;
    if (basePath && !readWholeFile(basePath, base))
        return fail(basePath, "cannot read the base file");

    uint64_t outputSize;
    if (method == UxCompressAlgorithm::kMethodLzss2) {
        if (input.size() < 4)
            return fail(inPath, "too short for a method-3 header");
        outputSize = (uint64_t(input[0]) << 24) | (uint64_t(input[1]) << 16) | (uint64_t(input[2]) << 8) | input[3];
    } else if (size >= 0) {
        outputSize = static_cast<uint64_t>(size);
    } else {
        outputSize = basePath ? base.size() : 18 * uint64_t(input.size());
    }
    if (outputSize > kMaxExpansion * input.size() + 4096 && outputSize > base.size())
        return fail(inPath,
            ("output size " + std::to_string(outputSize) + " is more than " + std::to_string(input.size())
                + " compressed bytes can hold")
                .c_str());
    if (outputSize > 0x7FFFFFFF || input.size() > 0x7FFFFFFF)
        return fail(inPath, "too large");

    std::vector<uint8_t> output(static_cast<size_t>(outputSize), 0);
    if (!base.empty() && !output.empty())
        std::memcpy(output.data(), base.data(), std::min(base.size(), output.size()));
    FCCompress codec;
    int32_t produced = codec.decompress(
        output.data(), static_cast<int32_t>(output.size()), input.data(), static_cast<int32_t>(input.size()), method);
    if (!writeWholeFile(outPath, output.data(), static_cast<size_t>(produced)))
        return fail(outPath, "cannot write the file");
    return 0;
}

int encode(int method, const char* inPath, const char* outPath)
{
    std::vector<uint8_t> input;
    if (!readWholeFile(inPath, input))
        return fail(inPath, "cannot read the file");
    if (input.size() > 0x3FFFFFFF)
        return fail(inPath, "too large");
    // Literals cost a flag bit each: 9/8 of the input, a header and spare.
    std::vector<uint8_t> output(input.size() + input.size() / 4 + 64);
    UxCompressLzssOrg codec;
    int32_t written = codec.compress(
        output.data(), static_cast<int32_t>(output.size()), input.data(), static_cast<int32_t>(input.size()), method);
    if (written <= 0 && !input.empty())
        return fail(inPath, "cannot be compressed");
    if (!writeWholeFile(outPath, output.data(), static_cast<size_t>(written > 0 ? written : 0)))
        return fail(outPath, "cannot write the file");
    return 0;
}

} // namespace

int runLzssCommand(int argc, char** argv)
{
    if (argc < 1)
        return lzssUsage();
    bool decoding = std::strcmp(argv[0], "decode") == 0;
    if (!decoding && std::strcmp(argv[0], "encode") != 0)
        return lzssUsage();

    long long method = -1, size = -1;
    const char* basePath = nullptr;
    std::vector<const char*> files;
    for (int i = 1; i < argc; ++i) {
        bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--method") == 0 && hasValue) {
            if (!parseNumber(argv[++i], method) || method < 0 || method > 3)
                return lzssUsage();
        } else if (decoding && std::strcmp(argv[i], "--size") == 0 && hasValue) {
            if (!parseNumber(argv[++i], size) || size < 0)
                return lzssUsage();
        } else if (decoding && std::strcmp(argv[i], "--base") == 0 && hasValue) {
            basePath = argv[++i];
        } else if (argv[i][0] == '-' && argv[i][1] == '-') {
            return lzssUsage();
        } else {
            files.push_back(argv[i]);
        }
    }
    if (method < 0 || files.size() != 2)
        return lzssUsage();
    int m = static_cast<int>(method);
    return decoding ? decode(m, size, basePath, files[0], files[1]) : encode(m, files[0], files[1]);
}
