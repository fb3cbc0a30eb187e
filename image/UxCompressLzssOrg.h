#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/LumivexApi.h"
#include "image/UxCompressAlgorithm.h"
#include "image/UxCompressLzss2.h"

// Methods 0 to 2: the classic LZSS stream (4096-byte window starting at 4078,
// flag bytes used from bit 0, literals and 12-bit position / 4-bit length
// matches of 3 to 18 bytes), encoded with the binary search tree of the
// classic encoder. Method 3 goes to the embedded UxCompressLzss2.
class LUMIVEX_API UxCompressLzssOrg : public UxCompressAlgorithm {
public:
    UxCompressLzssOrg();
    UxCompressLzssOrg(const UxCompressLzssOrg&) = delete;
    UxCompressLzssOrg& operator=(const UxCompressLzssOrg&) = delete;
    ~UxCompressLzssOrg() override;

    int32_t compress(
        void* output, int32_t outputCapacity, const void* input, int32_t inputSize, int32_t method) override;
    void compressToFile(FCFile& file, const void* input, int32_t inputSize, int32_t method) override;
    void decompressFile(FCFile& file, void* output, int32_t outputCapacity, int32_t inputSize, int32_t method) override;
    int32_t decompress(
        void* output, int32_t outputCapacity, const void* input, int32_t inputSize, int32_t method) override;

    // The plain MCG layout's stream: the classic one with the two fields of a
    // match item the other way round (position = b0 | (b1 & 0x0F) << 8,
    // length = (b1 >> 4) + 3). Same bounds and results as method 0.
    int32_t decompressMcg(void* output, int32_t outputCapacity, const void* input, int32_t inputSize);
    int32_t compressMcg(void* output, int32_t outputCapacity, const void* input, int32_t inputSize);

    // A few hundred kilobytes: from the process heap, and a failure throws
    // NotEnoughMemoryException rather than std::bad_alloc.
    static void* operator new(size_t size);
    static void operator delete(void* block);

private:
    static constexpr int32_t kWindowSize = 4096;
    static constexpr int32_t kMaxMatch = 18;
    static constexpr int32_t kNil = kWindowSize;

    struct GroupSink;
    struct BufferSink;
    struct FileSink;

    int32_t encode(const uint8_t* input, int32_t inputSize, GroupSink& sink);
    int32_t decode(uint8_t* output, int32_t outputCapacity, const uint8_t* input, int32_t inputSize, int32_t keptValue);
    template <bool kSwapped>
    int32_t decodeInPlace(uint8_t* output, int32_t outputCapacity, const uint8_t* input, int32_t inputSize);
    void resetTree();
    void insertNode(int32_t position);
    void deleteNode(int32_t position);

    int32_t m_emitted;
    // The window, with its first kMaxMatch - 1 bytes mirrored at the end so
    // that string compares never wrap.
    uint8_t m_text[kWindowSize + kMaxMatch - 1];
    int32_t m_parent[kWindowSize + 1];
    int32_t m_left[kWindowSize + 1];
    // The last 256 entries are the roots, one per first byte.
    int32_t m_right[kWindowSize + 1 + 256];
    int32_t m_matchPosition;
    int32_t m_matchLength;
    UxCompressLzss2 m_lzss2;
};
