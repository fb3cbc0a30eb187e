#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/LumivexApi.h"

class FCCompress;
class FCFile;

// The 32-byte header of a DLT animation (little-endian words).
struct DltHeader {
    uint32_t version;
    uint32_t width;
    uint32_t height;
    uint32_t frameCount;
    uint32_t flags;
    uint32_t timing; // milliseconds a frame stays on screen during playback
    uint32_t reserved;
    uint32_t magic; // "DLT\0", or 0 in older files
};

// Where frames are drawn: a surface's planes, rows bottom-up. A 24-bit
// surface has 4 bytes a pixel (blue, green, red, fourth byte); an 8-bit
// surface 1 (palette indices). alpha is null when the surface has no alpha
// plane in use.
struct DeltaCanvas {
    uint8_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    ptrdiff_t stride = 0;
    int32_t bytesPerPixel = 4;
    uint8_t* alpha = nullptr;
    ptrdiff_t alphaStride = 0;
};

// Reads a DLT animation into memory and draws its chunks one step at a
// time. Chunk sizes and rectangles come from the file: every read stops at
// the end of the copy and every write at the edges of the canvas.
class LUMIVEX_API UxDeltaDecoder {
public:
    static constexpr uint32_t kMagic = 0x00544C44;
    static constexpr uint32_t kNewestVersion = 0x0103;

    // Header flags.
    enum : uint32_t { kLoops = 0x1, kHasAlpha = 0x2 };
    // Chunk flags.
    enum : uint32_t {
        kNoRectangle = 1u << 1,
        kNotDrawn = 1u << 2,
        kRepeat = 1u << 3, // count in bits 4-7
        kColourUnpacked = 1u << 12,
        kAlphaUnpacked = 1u << 13,
        kAlphaFollows = 1u << 14,
        kEnd = 1u << 15,
        kBottomUp = 1u << 16,
    };
    // Chunk types (bits 8-11); any other value is a stored delta.
    enum : uint32_t {
        kTypeEmpty = 0x1,
        kTypeCompressedDelta = 0x2,
        kTypeCompressedKey = 0xD,
        kTypePalette = 0xE,
        kTypeStoredKey = 0xF,
    };

    // What one step did.
    enum class Step { Nothing, Frame, KeyFrame, Palette, End };

    UxDeltaDecoder();
    UxDeltaDecoder(const UxDeltaDecoder&) = delete;
    UxDeltaDecoder& operator=(const UxDeltaDecoder&) = delete;
    virtual ~UxDeltaDecoder();

    // size bytes (0: the whole file) from the file's position; chunks are
    // placed x, y pixels into the canvas. A version newer than this host
    // knows warns the player (name, or a generic one, in the text) and
    // returns false, but the data stay loaded and decode as usual.
    bool load(FCFile& file, uint32_t size, int32_t x, int32_t y, const char* name);
    // The same from memory (the bytes are copied).
    bool loadMemory(const void* data, size_t size, int32_t x, int32_t y, const char* name);

    // False when nothing was loaded (too short, or no memory for the copy).
    bool hasData() const { return m_data != nullptr; }
    const DltHeader& header() const { return m_header; }
    bool eightBit() const { return ((m_header.flags >> 8) & 0xFF) == 8; }
    // Whether the file could fill a picture of the header's size with one
    // key frame: a header alone can claim gigabytes.
    bool sizeJustified() const;

    // Steps until the first key frame or the end has been drawn.
    void decodeFirstPicture(const DeltaCanvas& canvas);

    // One chunk. During playback (repeats on) the repeat marks of the
    // chunks send the read position back, and an end chunk of a looping
    // animation rewinds to the first chunk.
    Step step(const DeltaCanvas& canvas, bool playback = false);

    // Back to the first chunk; the palette and the counters start over.
    void rewind();

    bool finished() const { return m_finished; }
    // Frames drawn since the load or the last rewind (every chunk but
    // palettes and the end).
    int32_t framesDrawn() const { return m_framesDrawn; }
    // The last palette chunk's 256 entries (blue, green, red, fourth
    // byte); null before one has been read.
    const uint8_t* palette() const { return m_havePalette ? m_palette : nullptr; }

    // The warning's text for a version (the caller's display name or null).
    static void versionWarning(uint32_t version, const char* name, char* text, size_t capacity);

private:
    struct Chunk;
    void checkVersion(const char* name);
    void draw(const Chunk& chunk, const DeltaCanvas& canvas);
    void drawCompressedDelta(const Chunk& chunk, const DeltaCanvas& canvas);
    void drawStoredKey(const Chunk& chunk, const DeltaCanvas& canvas);
    void drawCompressedKey(const Chunk& chunk, const DeltaCanvas& canvas);
    void drawColour(const DeltaCanvas& canvas, const uint8_t* data, size_t size, int64_t x, int64_t y, int64_t w,
        int64_t h, bool bottomUp) const;

    DltHeader m_header {};
    uint8_t* m_data = nullptr;
    size_t m_size = 0;
    size_t m_position = 0;
    int32_t m_offsetX = 0;
    int32_t m_offsetY = 0;
    int32_t m_framesDrawn = 0;
    bool m_finished = false;
    bool m_untilPicture = false;
    bool m_havePalette = false;
    // Repeat marks: the first chunk of the run being repeated and the
    // repeats still to go for the mark that ends it (-1: none started).
    size_t m_runStart = 0;
    int32_t m_repeatsLeft = -1;
    uint8_t m_palette[1024] {};
    FCCompress* m_compress;
};

// Timed playback of a loaded animation: frames are drawn when the clock
// says they are due, one header timing value apart. The clock is a seam so
// that tests drive the time.
class LUMIVEX_API DeltaClock {
public:
    virtual uint32_t milliseconds() = 0;

protected:
    ~DeltaClock() = default;
};

class LUMIVEX_API UxDeltaPlayer {
public:
    UxDeltaPlayer(UxDeltaDecoder& decoder, DeltaClock& clock);

    // Draws the first frame now and starts the clock.
    void start(const DeltaCanvas& canvas);
    // Draws every frame that has fallen due; the number drawn. Stops at the
    // end of an animation that does not loop.
    int32_t update(const DeltaCanvas& canvas);
    // Replays from the start until frame `frame` (0-based) is on the canvas
    // and times the following frames from now.
    void seek(int32_t frame, const DeltaCanvas& canvas);
    int32_t frame() const { return m_frame; }
    bool finished() const { return m_decoder.finished(); }

private:
    // Steps until one frame has been drawn; false at the end.
    bool nextFrame(const DeltaCanvas& canvas);

    UxDeltaDecoder& m_decoder;
    DeltaClock& m_clock;
    uint32_t m_due = 0; // when the next frame is due
    int32_t m_frame = -1; // the frame on the canvas
};
