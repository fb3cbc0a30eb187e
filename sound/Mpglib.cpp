#include "sound/Mpglib.h"

#include <mpg123.h>

#include <cstring>

#include "sound/DebuggerOutput.h"

namespace {

bool libraryReady()
{
    // Thread-safe once; a no-op in current libmpg123 but required by older ones.
    static const bool ready = mpg123_init() == MPG123_OK;
    return ready;
}

} // namespace

Mpglib::Mpglib()
    : m_handle(nullptr)
{
}

Mpglib::~Mpglib()
{
    exit();
}

bool Mpglib::init()
{
    exit();
    if (!libraryReady())
        return false;
    int error = 0;
    mpg123_handle* handle = mpg123_new(nullptr, &error);
    if (!handle)
        return false;
    // As mpglib: every frame as decoded (no gapless trimming), 16-bit samples
    // in the stream's own rate and channels, nothing printed.
    bool ok = mpg123_param(handle, MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0) == MPG123_OK
        && mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0) == MPG123_OK
        && mpg123_format_none(handle) == MPG123_OK;
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; ok && i < rateCount; ++i)
        ok = mpg123_format(handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16) == MPG123_OK;
    if (!ok || mpg123_open_feed(handle) != MPG123_OK) {
        mpg123_delete(handle);
        return false;
    }
    m_handle = handle;
    return true;
}

Mpglib::Result Mpglib::decode(const uint8_t* in, size_t inSize, uint8_t* out, int32_t outSize, int32_t* done)
{
    *done = 0;
    if (outSize < kFrameBytes) {
        debuggerOutput("To less out space\n");
        return kError;
    }
    const uint8_t* frame = nullptr;
    int32_t bytes = 0;
    Result result = decodeFrame(in, inSize, &frame, &bytes);
    if (result != kOk)
        return result;
    if (bytes > outSize)
        return kError;
    std::memcpy(out, frame, size_t(bytes));
    *done = bytes;
    return kOk;
}

Mpglib::Result Mpglib::decodeFrame(const uint8_t* in, size_t inSize, const uint8_t** frame, int32_t* bytes)
{
    *frame = nullptr;
    *bytes = 0;
    if (!m_handle)
        return kError;
    if (in && inSize > 0 && mpg123_feed(m_handle, in, inSize) != MPG123_OK)
        return kError;
    // A format announcement comes without samples; a frame follows it. The
    // bound only guards against a library that keeps answering without output.
    for (int tries = 0; tries < 64; ++tries) {
        off_t number = 0;
        unsigned char* audio = nullptr;
        size_t size = 0;
        int result = mpg123_decode_frame(m_handle, &number, &audio, &size);
        if (result == MPG123_NEW_FORMAT)
            continue;
        if (result == MPG123_NEED_MORE)
            return kNeedMore;
        // One frame is at most 1152 stereo samples.
        if (result != MPG123_OK || size > size_t(kFrameBytes))
            return kError;
        if (size == 0)
            continue;
        *frame = audio;
        *bytes = int32_t(size);
        return kOk;
    }
    return kError;
}

void Mpglib::exit()
{
    if (m_handle)
        mpg123_delete(m_handle);
    m_handle = nullptr;
}
