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
    if (!m_handle)
        return kError;
    if (in && inSize > 0 && mpg123_feed(m_handle, in, inSize) != MPG123_OK)
        return kError;
    // A format announcement comes without samples; a frame follows it. The
    // bound only guards against a library that keeps answering without output.
    for (int tries = 0; tries < 64; ++tries) {
        off_t frame = 0;
        unsigned char* audio = nullptr;
        size_t bytes = 0;
        int result = mpg123_decode_frame(m_handle, &frame, &audio, &bytes);
        if (result == MPG123_NEW_FORMAT)
            continue;
        if (result == MPG123_NEED_MORE)
            return kNeedMore;
        if (result != MPG123_OK || bytes > size_t(outSize))
            return kError;
        if (bytes == 0)
            continue;
        std::memcpy(out, audio, bytes);
        *done = int32_t(bytes);
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
