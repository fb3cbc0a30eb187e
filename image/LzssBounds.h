#pragma once

#include <cstdint>

namespace lzss {

// The most bytes an LZSS stream of inputBytes can decode to. A classic
// stream (methods 0 to 2, and the plain MCG layout's) spends at least two
// bytes and a flag bit on every 18 bytes it writes; a method-3 stream at
// least three bytes and two flag bits on every 256 (a long match with its
// length byte). Readers refuse pictures that their stream could never fill
// before they allocate them: a header alone can claim gigabytes.
// Pictures up to kAlwaysDecodedBytes are decoded whatever their data: the
// formats give a short stream (or none) a picture filled with zeros.
constexpr int64_t kAlwaysDecodedBytes = int64_t(1) << 18;

constexpr int64_t mostDecodedBytes(bool method3, int64_t inputBytes)
{
    const int64_t most = method3 ? inputBytes * 79 + 256 : inputBytes * 9 + 18;
    return most > kAlwaysDecodedBytes ? most : kAlwaysDecodedBytes;
}

} // namespace lzss
