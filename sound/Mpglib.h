#pragma once

#include <cstddef>
#include <cstdint>

struct mpg123_handle_struct;

// mpglib's decoding interface (initialise, decode one frame, exit) over
// libmpg123's feed decoder: input handed to decode is added to the state's
// buffer chain, and each call decodes at most one frame of interleaved
// 16-bit samples in the stream's own channels and rate.
class Mpglib {
public:
    enum Result { kError = -1, kOk = 0, kNeedMore = 1 };
    // One frame of 1152 stereo samples.
    static constexpr int32_t kFrameBytes = 4608;

    Mpglib();
    ~Mpglib();
    Mpglib(const Mpglib&) = delete;
    Mpglib& operator=(const Mpglib&) = delete;

    bool init();
    // Output below kFrameBytes is refused with mpglib's complaint on the
    // debugger output.
    Result decode(const uint8_t* in, size_t inSize, uint8_t* out, int32_t outSize, int32_t* done);
    // The same without the copy: the frame stays in the decoder's own
    // buffer, valid until the next call on this state.
    Result decodeFrame(const uint8_t* in, size_t inSize, const uint8_t** frame, int32_t* bytes);
    void exit();

private:
    mpg123_handle_struct* m_handle;
};
