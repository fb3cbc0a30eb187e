#pragma once

#include <cstdint>

#include "foundation/LumivexApi.h"

class UxCompressLzssOrg;

// The decompression front end an image reader owns: one codec, made once,
// reused for every plane and frame.
class LUMIVEX_API FCCompress {
public:
    FCCompress();
    FCCompress(const FCCompress&) = delete;
    FCCompress& operator=(const FCCompress&) = delete;
    virtual ~FCCompress();

    // UxCompressAlgorithm::decompress of the owned codec.
    int32_t decompress(void* output, int32_t outputCapacity, const void* input, int32_t inputSize, int32_t method);

    // The plain MCG layout's variant of the classic stream.
    int32_t decompressMcg(void* output, int32_t outputCapacity, const void* input, int32_t inputSize);

private:
    UxCompressLzssOrg* m_codec;
};
