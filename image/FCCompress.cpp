#include "image/FCCompress.h"

#include "image/UxCompressLzssOrg.h"

FCCompress::FCCompress()
    : m_codec(new UxCompressLzssOrg)
{
}

FCCompress::~FCCompress()
{
    delete m_codec;
}

int32_t FCCompress::decompress(
    void* output, int32_t outputCapacity, const void* input, int32_t inputSize, int32_t method)
{
    return m_codec->decompress(output, outputCapacity, input, inputSize, method);
}

int32_t FCCompress::decompressMcg(void* output, int32_t outputCapacity, const void* input, int32_t inputSize)
{
    return m_codec->decompressMcg(output, outputCapacity, input, inputSize);
}
