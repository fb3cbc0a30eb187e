#pragma once

#include <cstdint>

#include "foundation/LumivexApi.h"

// The method-3 LZSS format: a big-endian size header, a raw first byte, then
// codes with most-significant-first flag bits over a 16384-byte ring (8192
// bytes of reach, matches of 2 to 256 bytes), closed by an end code.
// UxCompressLzssOrg owns one and calls it directly.
class LUMIVEX_API UxCompressLzss2 {
public:
    UxCompressLzss2();
    UxCompressLzss2(const UxCompressLzss2&) = delete;
    UxCompressLzss2& operator=(const UxCompressLzss2&) = delete;
    virtual ~UxCompressLzss2();

    // Bytes written, header included: 4 for an empty input, 0 when the
    // output cannot hold the result with at least one byte to spare.
    int32_t compress(uint8_t* output, int32_t outputCapacity, const uint8_t* input, int32_t inputSize);
    // Bytes written. The header is skipped, not trusted: the capacity bounds
    // the output. Stops at the end code, the end of the input or the output,
    // and before a match that reaches back before the first output byte.
    // Bytes past the count but inside the capacity may be overwritten.
    int32_t decompress(uint8_t* output, int32_t outputCapacity, const uint8_t* input, int32_t inputSize);
    void reset();

private:
    static constexpr int32_t kRingSize = 16384;
    static constexpr int32_t kLookAhead = 256;
    static constexpr int32_t kHashCount = 8192;
    static constexpr int32_t kGroupSize = 1 + 8 * 3;

    void insert(int32_t position);
    void unlink(int32_t position);
    int32_t hashAt(int32_t position) const;
    void findMatch(int32_t position, int32_t limit);
    int32_t emitCode(int32_t position);
    void emitBits(uint32_t bits, int32_t count);
    void put(const uint8_t* bytes, int32_t count);

    int32_t m_emitted;
    uint8_t m_ring[kRingSize + kLookAhead];
    // Length of the run of equal bytes starting at each position, itself included.
    uint8_t m_run[kRingSize];
    int32_t m_previousRun;
    int32_t m_hashHead[kHashCount];
    int32_t m_hashTail[kHashCount];
    int32_t m_older[kRingSize];
    int32_t m_newer[kRingSize];
    uint32_t m_pendingBits;
    int32_t m_pendingCount;
    uint8_t m_group[kGroupSize];
    int32_t m_groupFill;
    uint8_t m_code[3];
    int32_t m_codeCount;
    int32_t m_matchLength;
    int32_t m_matchDistance;
    int32_t m_inputRemaining;
    int32_t m_outputRemaining;
    const uint8_t* m_input;
    uint8_t* m_output;
    bool m_failed;
};
