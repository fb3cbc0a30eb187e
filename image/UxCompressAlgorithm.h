#pragma once

#include <cstdint>

#include "foundation/LumivexApi.h"

class FCFile;

// The LZSS codec interface. Image readers hold it through FCCompress; tools
// and scenario modules reach it only through the virtual table, so the slot
// order below is part of the module contract and derived codecs append.
//
// Every output is a pointer and a capacity: codecs never write past
// output + outputCapacity, whatever the input holds.
class LUMIVEX_API UxCompressAlgorithm {
public:
    // Method numbers as the image containers store them.
    static constexpr int32_t kMethodPlain = 0; // classic stream, every decoded byte stored
    static constexpr int32_t kMethodKeep00 = 1; // classic stream, a decoded 0x00 leaves the destination byte
    static constexpr int32_t kMethodKeepFE = 2; // classic stream, a decoded 0xFE leaves the destination byte
    static constexpr int32_t kMethodLzss2 = 3; // the 16 KiB ring format with a size header

    UxCompressAlgorithm() = default;
    virtual ~UxCompressAlgorithm() = default;

    // The compressed size, or 0 when the input is empty, the method unknown
    // or the output does not hold the result with at least one byte to spare.
    virtual int32_t compress(
        void* /*output*/, int32_t /*outputCapacity*/, const void* /*input*/, int32_t /*inputSize*/, int32_t /*method*/)
    {
        return 0;
    }

    virtual void compressToFile(FCFile& /*file*/, const void* /*input*/, int32_t /*inputSize*/, int32_t /*method*/) { }

    // Kept for the slot's place in the table; nothing calls it.
    virtual int32_t reserved(int32_t, int32_t, int32_t, int32_t) { return 0; }

    // A negative inputSize reads from the file position to the end.
    virtual void decompressFile(
        FCFile& /*file*/, void* /*output*/, int32_t /*outputCapacity*/, int32_t /*inputSize*/, int32_t /*method*/)
    {
    }

    // The number of output positions advanced. Decoding stops at the end of
    // the input or the output, before a code the input does not hold whole
    // and before a match that refers to bytes before the output; a match cut
    // by the end of the output is written up to it. Methods 0 and 3 may also
    // write bytes past the advanced count (never past the capacity) where a
    // stream ends early, so a caller that keeps the rest of its buffer
    // clears it from the count on; methods 1 and 2 touch nothing beyond.
    virtual int32_t decompress(
        void* /*output*/, int32_t /*outputCapacity*/, const void* /*input*/, int32_t /*inputSize*/, int32_t /*method*/)
    {
        return 0;
    }
};
