#include "image/UxDeltaDecoder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "foundation/FCFile.h"
#include "foundation/FCHeap.h"
#include "foundation/UxMessageBox.h"
#include "image/FCCompress.h"
#include "image/LzssBounds.h"
#include "image/UxCompressAlgorithm.h"

namespace {

constexpr size_t kHeaderBytes = 32;
constexpr size_t kPaletteBytes = 1024;
// A file copy larger than this is refused.
constexpr int64_t kMostFileBytes = int64_t(1) << 30;

uint32_t read32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The rows of a rectangle that land on a canvas of `height` rows: data row
// r goes to display row top + r (top-down data) or top + h - 1 - r
// (bottom-up data). Gives the first and one-past-last data rows.
void visibleRows(int64_t top, int64_t h, int64_t height, bool bottomUp, int64_t& first, int64_t& last)
{
    const int64_t from = std::max<int64_t>(top, 0), to = std::min<int64_t>(top + h, height);
    if (from >= to) {
        first = last = 0;
        return;
    }
    if (bottomUp) {
        first = top + h - to;
        last = top + h - from;
    } else {
        first = from - top;
        last = to - top;
    }
}

// a * b * c, or cap when that is larger (sizes from a file overflow).
int64_t cappedProduct(int64_t a, int64_t b, int64_t c, int64_t cap)
{
    if (a <= 0 || b <= 0 || c <= 0)
        return 0;
    if (a > cap / b || a * b > cap / c)
        return cap;
    return std::min(a * b * c, cap);
}

// Bytes of one plane (one byte a pixel) drawn into the alpha plane; data
// bytes equal to `keep` leave the plane's byte. keep < 0 copies every byte.
void drawAlpha(const DeltaCanvas& canvas, const uint8_t* data, size_t size, int64_t x, int64_t y, int64_t w, int64_t h,
    bool bottomUp, int keep)
{
    if (!canvas.alpha || w <= 0 || h <= 0)
        return;
    int64_t first = 0, last = 0;
    visibleRows(y, h, canvas.height, bottomUp, first, last);
    const int64_t x0 = std::max<int64_t>(x, 0), x1 = std::min<int64_t>(x + w, canvas.width);
    const int64_t count = int64_t(size);
    for (int64_t r = first; r < last && x0 < x1; ++r) {
        if (r > count / w || r * w >= count)
            break;
        const int64_t rowStart = r * w;
        const int64_t ty = bottomUp ? y + h - 1 - r : y + r;
        uint8_t* to = canvas.alpha + (canvas.height - 1 - ty) * canvas.alphaStride;
        const int64_t end = std::min<int64_t>(x1, x + (count - rowStart));
        for (int64_t tx = x0; tx < end; ++tx) {
            const uint8_t value = data[rowStart + tx - x];
            if (keep < 0 || value != keep)
                to[tx] = value;
        }
    }
}

// A method-0 stream decoded into a zero-filled block of w x h x bytes per
// pixel, or less when the stream could never fill that much (rectangles
// come from the file). Empty when the block cannot be had.
class Inflated {
public:
    Inflated(FCCompress& codec, const uint8_t* data, size_t size, int64_t w, int64_t h, int64_t bytesPerPixel)
    {
        const int64_t bytes = cappedProduct(w, h, bytesPerPixel, lzss::mostDecodedBytes(false, int64_t(size)));
        m_block = static_cast<uint8_t*>(FCHeap::allocate(size_t(bytes) + 1, FCHeap::kZero));
        if (!m_block || !bytes)
            return;
        const int32_t got = codec.decompress(
            m_block, static_cast<int32_t>(bytes), data, static_cast<int32_t>(size), UxCompressAlgorithm::kMethodPlain);
        m_size = size_t(std::max(got, 0));
    }
    ~Inflated() { FCHeap::release(m_block); }
    Inflated(const Inflated&) = delete;
    Inflated& operator=(const Inflated&) = delete;
    const uint8_t* data() const { return m_block; }
    size_t size() const { return m_size; }

private:
    uint8_t* m_block = nullptr;
    size_t m_size = 0;
};

} // namespace

struct UxDeltaDecoder::Chunk {
    uint32_t flags;
    uint32_t type;
    bool hasRectangle;
    int64_t x, y, width, height;
    const uint8_t* colour;
    size_t colourSize;
    const uint8_t* alpha; // null without flag 14
    size_t alphaSize;
    size_t next; // the read position after the chunk
};

UxDeltaDecoder::UxDeltaDecoder()
    : m_compress(new FCCompress)
{
}

UxDeltaDecoder::~UxDeltaDecoder()
{
    FCHeap::release(m_data);
    delete m_compress;
}

bool UxDeltaDecoder::load(FCFile& file, uint32_t size, int32_t x, int32_t y, const char* name)
{
    FCHeap::release(m_data);
    m_data = nullptr;
    m_size = 0;
    const int64_t start = file.position();
    const int64_t fileSize = file.size();
    if (start < 0 || fileSize <= start)
        return false;
    int64_t wanted = size ? int64_t(size) : fileSize;
    wanted = std::min(wanted, fileSize - start);
    if (wanted < int64_t(kHeaderBytes) || wanted > kMostFileBytes)
        return false;
    auto* data = static_cast<uint8_t*>(FCHeap::allocate(size_t(wanted), FCHeap::kNoThrow));
    if (!data)
        return false;
    const uint32_t got = file.read(data, static_cast<uint32_t>(wanted));
    if (got < kHeaderBytes) {
        FCHeap::release(data);
        return false;
    }
    m_data = data;
    m_size = got;
    m_offsetX = x;
    m_offsetY = y;
    std::memcpy(&m_header, m_data, kHeaderBytes);
    rewind();
    checkVersion(name);
    return m_header.version <= kNewestVersion;
}

bool UxDeltaDecoder::loadMemory(const void* data, size_t size, int32_t x, int32_t y, const char* name)
{
    FCHeap::release(m_data);
    m_data = nullptr;
    m_size = 0;
    if (!data || size < kHeaderBytes || int64_t(size) > kMostFileBytes)
        return false;
    m_data = static_cast<uint8_t*>(FCHeap::allocate(size, FCHeap::kNoThrow));
    if (!m_data)
        return false;
    std::memcpy(m_data, data, size);
    m_size = size;
    m_offsetX = x;
    m_offsetY = y;
    std::memcpy(&m_header, m_data, kHeaderBytes);
    rewind();
    checkVersion(name);
    return m_header.version <= kNewestVersion;
}

bool UxDeltaDecoder::sizeJustified() const
{
    if (!m_data || m_header.width == 0 || m_header.height == 0 || m_header.width > 0x7FFFFFFF
        || m_header.height > 0x7FFFFFFF)
        return false;
    const int64_t bound = lzss::mostDecodedBytes(false, int64_t(m_size));
    return cappedProduct(m_header.width, m_header.height, eightBit() ? 1 : 4, bound + 1) <= bound;
}

void UxDeltaDecoder::versionWarning(uint32_t version, const char* name, char* text, size_t capacity)
{
    if (!text || !capacity)
        return;
    // The name's file part, or "the specified DLT".
    const char* shown = "\x8E\x77\x92\xE8\x82\xB3\x82\xEA\x82\xBD\x44\x4C\x54";
    if (name && *name) {
        shown = name;
        for (const char* p = name; *p; ++p) {
            // A lead byte of code page 932 takes the next byte with it, which
            // may be a backslash.
            const auto c = static_cast<unsigned char>(*p);
            if (((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) && p[1]) {
                ++p;
                continue;
            }
            if (c == '\\' || c == '/')
                shown = p + 1;
        }
    }
    char digits[16];
    std::snprintf(digits, sizeof digits, "%04x", version);
    const size_t n = std::strlen(digits);
    const char* lastFour = digits + (n > 4 ? n - 4 : 0);
    std::snprintf(text, capacity, "%s%s%s%s%s%s%s%s", shown,
        "\x82\xCC\x83\x66\x81\x5B\x83\x5E\x83\x6F\x81\x5B\x83\x57\x83\x87\x83\x93\x82\xCD\x81\x41\x76\x65\x72\x2E",
        lastFour, "\x20\x82\xC5\x82\xB7\x81\x42",
        "\x0A\x82\xB1\x82\xCC\x83\x41\x83\x76\x83\x8A\x83\x50\x81\x5B\x83\x56\x83\x87\x83\x93\x82\xC5\x91\x7A\x92\xE8"
        "\x82\xB3\x82\xEA\x82\xC4\x82\xA2\x82\xE9\x83\x66\x81\x5B\x83\x5E\x83\x6F\x81\x5B\x83\x57\x83\x87\x83\x93\x82"
        "\xCD\x81\x41\x76\x65\x72\x2E",
        "0103",
        "\x20\x82\xDC\x82\xC5\x82\xC8\x82\xCC\x82\xC5\x81\x41\x8D\xC4\x90\xB6\x82\xC5\x82\xAB\x82\xC8\x82\xA2\x89\xC2"
        "\x94\x5C\x90\xAB\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB7\x81\x42",
        "\x0A\x0A\x8D\xC5\x90\x56\x82\xCC\x83\x41\x83\x76\x83\x8A\x83\x50\x81\x5B\x83\x56\x83\x87\x83\x93\x82\xF0\x82"
        "\xB2\x97\x98\x97\x70\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81\x42");
}

void UxDeltaDecoder::checkVersion(const char* name)
{
    if (m_header.version <= kNewestVersion)
        return;
    char text[512];
    versionWarning(m_header.version, name, text, sizeof text);
    UxMessageBox::show(nullptr, text, "data version checker",
        UxMessageBox::kOk | UxMessageBox::kIconExclamation | UxMessageBox::kTaskModal | UxMessageBox::kSetForeground);
}

void UxDeltaDecoder::rewind()
{
    m_position = kHeaderBytes;
    m_framesDrawn = 0;
    m_finished = false;
    m_untilPicture = false;
    m_havePalette = false;
    m_runStart = kHeaderBytes;
    m_repeatsLeft = -1;
}

void UxDeltaDecoder::decodeFirstPicture(const DeltaCanvas& canvas)
{
    m_untilPicture = true;
    // Every step either ends the search or moves the read position on.
    while (m_untilPicture && hasData() && !m_finished)
        step(canvas);
    m_untilPicture = false;
}

UxDeltaDecoder::Step UxDeltaDecoder::step(const DeltaCanvas& canvas, bool playback)
{
    if (!m_data || m_finished)
        return Step::Nothing;
    // A chunk header must be whole: flags and colour size, then the words
    // its flags ask for. A stream that runs out without an end chunk ends.
    const size_t left = m_size - m_position;
    if (left < 8) {
        m_finished = true;
        return Step::End;
    }
    Chunk chunk {};
    const uint8_t* p = m_data + m_position;
    chunk.flags = read32(p);
    chunk.type = (chunk.flags >> 8) & 0xF;
    size_t headerBytes = 8;
    chunk.hasRectangle = !(chunk.flags & (kNoRectangle | kNotDrawn | kEnd));
    if (chunk.hasRectangle)
        headerBytes += 16;
    if ((chunk.flags & kAlphaFollows) && !(chunk.flags & kEnd))
        headerBytes += 4;
    if (chunk.flags & kEnd) {
        m_position += 8;
        if (m_untilPicture || !(m_header.flags & kLoops) || !playback) {
            m_untilPicture = false;
            m_finished = true;
        } else {
            rewind();
        }
        return Step::End;
    }
    if (left < headerBytes) {
        m_finished = true;
        return Step::End;
    }
    if (chunk.hasRectangle) {
        chunk.x = static_cast<int32_t>(read32(p + 8));
        chunk.y = static_cast<int32_t>(read32(p + 12));
        chunk.width = static_cast<int32_t>(read32(p + 16));
        chunk.height = static_cast<int32_t>(read32(p + 20));
    } else {
        chunk.width = m_header.width;
        chunk.height = m_header.height;
    }
    // Sizes are the file's word: clip them to what the copy holds.
    size_t at = m_position + headerBytes;
    chunk.colour = m_data + at;
    chunk.colourSize = std::min<size_t>(read32(p + 4), m_size - at);
    at += chunk.colourSize;
    if (chunk.flags & kAlphaFollows) {
        chunk.alpha = m_data + at;
        chunk.alphaSize = std::min<size_t>(read32(p + headerBytes - 4), m_size - at);
        at += chunk.alphaSize;
    }
    chunk.next = at;

    Step result = Step::Frame;
    if (chunk.type == kTypePalette && !(chunk.flags & kNotDrawn)) {
        result = Step::Palette;
        if (chunk.colourSize >= kPaletteBytes) {
            std::memcpy(m_palette, chunk.colour, kPaletteBytes);
            m_havePalette = true;
        }
    } else {
        const bool key = chunk.type == kTypeStoredKey || chunk.type == kTypeCompressedKey;
        if (!(chunk.flags & kNotDrawn))
            draw(chunk, canvas);
        ++m_framesDrawn;
        if (key && !(chunk.flags & kNotDrawn)) {
            result = Step::KeyFrame;
            if (m_untilPicture) {
                // The first picture is there; the read position stays.
                m_untilPicture = false;
                return result;
            }
        }
    }
    m_position = chunk.next;

    // A repeat mark sends playback back to the first chunk of its run, as
    // many more times as its count says.
    if (playback && (chunk.flags & kRepeat)) {
        if (m_repeatsLeft < 0)
            m_repeatsLeft = static_cast<int32_t>((chunk.flags >> 4) & 0xF);
        if (m_repeatsLeft > 0) {
            --m_repeatsLeft;
            m_position = m_runStart;
        } else {
            m_repeatsLeft = -1;
            m_runStart = m_position;
        }
    }
    return result;
}

void UxDeltaDecoder::draw(const Chunk& chunk, const DeltaCanvas& canvas)
{
    if (!canvas.pixels || canvas.width <= 0 || canvas.height <= 0)
        return;
    const int64_t x = chunk.x + m_offsetX, y = chunk.y + m_offsetY;
    const bool bottomUp = (chunk.flags & kBottomUp) != 0;
    switch (chunk.type) {
    case kTypeEmpty:
        return;
    case kTypeCompressedDelta:
        drawCompressedDelta(chunk, canvas);
        return;
    case kTypeStoredKey:
        drawStoredKey(chunk, canvas);
        return;
    case kTypeCompressedKey:
        drawCompressedKey(chunk, canvas);
        return;
    default:
        drawColour(canvas, chunk.colour, chunk.colourSize, x, y, chunk.width, chunk.height, bottomUp);
        if (chunk.alpha)
            drawAlpha(canvas, chunk.alpha, chunk.alphaSize, x, y, chunk.width, chunk.height, bottomUp, 0);
        return;
    }
}

void UxDeltaDecoder::drawCompressedDelta(const Chunk& chunk, const DeltaCanvas& canvas)
{
    const bool bottomUp = (chunk.flags & kBottomUp) != 0;
    int64_t x = chunk.x + m_offsetX, w = chunk.width;
    const int64_t y = chunk.y + m_offsetY, h = chunk.height;
    if (w <= 0 || h <= 0)
        return;
    // Bottom-up 32-bit rows are whole rows of the picture: they decode
    // straight into the surface when they fall inside it, a decoded zero
    // byte leaving the byte there.
    if (bottomUp && !eightBit()) {
        x = m_offsetX;
        w = canvas.width;
    }
    const int64_t rowBytes = w * (eightBit() ? 1 : 4);
    if (bottomUp && !eightBit() && m_offsetX == 0 && canvas.bytesPerPixel == 4
        && canvas.stride == int64_t(canvas.width) * 4 && y >= 0 && y + h <= canvas.height) {
        uint8_t* rows = canvas.pixels + (canvas.height - y - h) * canvas.stride;
        m_compress->decompress(rows, static_cast<int32_t>(rowBytes * h), chunk.colour,
            static_cast<int32_t>(chunk.colourSize), UxCompressAlgorithm::kMethodKeep00);
    } else if (eightBit() && (chunk.flags & kColourUnpacked)) {
        drawColour(canvas, chunk.colour, chunk.colourSize, x, y, w, h, bottomUp);
    } else {
        const Inflated colour(*m_compress, chunk.colour, chunk.colourSize, w, h, eightBit() ? 1 : 4);
        drawColour(canvas, colour.data(), colour.size(), x, y, w, h, bottomUp);
    }
    if (!chunk.alpha || !canvas.alpha)
        return;
    if (chunk.flags & kAlphaUnpacked) {
        drawAlpha(canvas, chunk.alpha, chunk.alphaSize, x, y, w, h, bottomUp, 0xFE);
        return;
    }
    const Inflated alpha(*m_compress, chunk.alpha, chunk.alphaSize, w, h, 1);
    drawAlpha(canvas, alpha.data(), alpha.size(), x, y, w, h, bottomUp, 0xFE);
}

void UxDeltaDecoder::drawStoredKey(const Chunk& chunk, const DeltaCanvas& canvas)
{
    const int64_t w = m_header.width, h = m_header.height;
    const bool exact = m_offsetX == 0 && m_offsetY == 0 && canvas.width == w && canvas.height == h;
    const bool withAlpha = chunk.alpha && canvas.alpha && (m_header.flags & kHasAlpha);
    if (exact && !eightBit() && canvas.bytesPerPixel == 4 && canvas.stride == w * 4) {
        // The whole picture at once, zero pixels included.
        std::memcpy(canvas.pixels, chunk.colour, std::min<size_t>(chunk.colourSize, size_t(w * h * 4)));
        if (withAlpha)
            drawAlpha(canvas, chunk.alpha, chunk.alphaSize, 0, 0, w, h, true, -1);
        return;
    }
    drawColour(canvas, chunk.colour, chunk.colourSize, m_offsetX, m_offsetY, w, h, true);
    if (withAlpha)
        drawAlpha(canvas, chunk.alpha, chunk.alphaSize, m_offsetX, m_offsetY, w, h, true, exact ? -1 : 0);
}

void UxDeltaDecoder::drawCompressedKey(const Chunk& chunk, const DeltaCanvas& canvas)
{
    const int64_t w = m_header.width, h = m_header.height;
    {
        const Inflated colour(*m_compress, chunk.colour, chunk.colourSize, w, h, eightBit() ? 1 : 4);
        drawColour(canvas, colour.data(), colour.size(), m_offsetX, m_offsetY, w, h, true);
    }
    if (!chunk.alpha || !canvas.alpha || !(m_header.flags & kHasAlpha))
        return;
    const Inflated alpha(*m_compress, chunk.alpha, chunk.alphaSize, w, h, 1);
    drawAlpha(canvas, alpha.data(), alpha.size(), m_offsetX, m_offsetY, w, h, true, 0);
}

// Colour data (32-bit pixels or 8-bit indices, as the header says) drawn
// into the rectangle: a zero pixel or index 0 leaves the canvas pixel.
void UxDeltaDecoder::drawColour(const DeltaCanvas& canvas, const uint8_t* data, size_t size, int64_t x, int64_t y,
    int64_t w, int64_t h, bool bottomUp) const
{
    if (w <= 0 || h <= 0)
        return;
    const int64_t bpp = eightBit() ? 1 : 4;
    int64_t first = 0, last = 0;
    visibleRows(y, h, canvas.height, bottomUp, first, last);
    const int64_t x0 = std::max<int64_t>(x, 0), x1 = std::min<int64_t>(x + w, canvas.width);
    const uint8_t* palette = m_havePalette ? m_palette : nullptr;
    const int64_t count = int64_t(size) / bpp;
    for (int64_t r = first; r < last && x0 < x1; ++r) {
        if (r > count / w || r * w >= count)
            break;
        const int64_t rowStart = r * w;
        const int64_t ty = bottomUp ? y + h - 1 - r : y + r;
        uint8_t* row = canvas.pixels + (canvas.height - 1 - ty) * canvas.stride;
        const int64_t end = std::min<int64_t>(x1, x + (count - rowStart));
        if (bpp == 4 && canvas.bytesPerPixel == 4) {
            // The common case, kept branch-light so that it vectorises.
            const uint8_t* from = data + (rowStart + x0 - x) * 4;
            uint8_t* to = row + x0 * 4;
            for (int64_t n = end - x0; n > 0; --n, from += 4, to += 4) {
                uint32_t v;
                std::memcpy(&v, from, 4);
                if (v)
                    std::memcpy(to, &v, 4);
            }
            continue;
        }
        for (int64_t tx = x0; tx < end; ++tx) {
            const uint8_t* s = data + (rowStart + tx - x) * bpp;
            if (canvas.bytesPerPixel == 1) {
                // An 8-bit surface takes the index, or a pixel's first byte.
                if (bpp == 1 ? s[0] != 0 : read32(s) != 0)
                    row[tx] = s[0];
                continue;
            }
            uint8_t* t = row + tx * 4;
            if (bpp == 4) {
                if (read32(s) != 0)
                    std::memcpy(t, s, 4);
            } else if (s[0] != 0) {
                if (palette) {
                    t[0] = palette[4 * s[0]];
                    t[1] = palette[4 * s[0] + 1];
                    t[2] = palette[4 * s[0] + 2];
                } else {
                    t[0] = t[1] = t[2] = s[0];
                }
                t[3] = 0;
            }
        }
    }
}

UxDeltaPlayer::UxDeltaPlayer(UxDeltaDecoder& decoder, DeltaClock& clock)
    : m_decoder(decoder)
    , m_clock(clock)
{
}

bool UxDeltaPlayer::nextFrame(const DeltaCanvas& canvas)
{
    // Palettes draw nothing; a looping end rewinds once and goes on. Each
    // step moves on through the copy, so a file without frames ends.
    for (int ends = 0; !m_decoder.finished();) {
        const UxDeltaDecoder::Step step = m_decoder.step(canvas, true);
        if (step == UxDeltaDecoder::Step::Frame || step == UxDeltaDecoder::Step::KeyFrame) {
            ++m_frame;
            return true;
        }
        // A looping animation without a frame would spin.
        if (step == UxDeltaDecoder::Step::Nothing || (step == UxDeltaDecoder::Step::End && ++ends > 1))
            return false;
    }
    return false;
}

void UxDeltaPlayer::start(const DeltaCanvas& canvas)
{
    m_decoder.rewind();
    m_frame = -1;
    nextFrame(canvas);
    m_due = m_clock.milliseconds() + m_decoder.header().timing;
}

namespace {
constexpr int32_t kMostCatchUp = 256;
}

int32_t UxDeltaPlayer::update(const DeltaCanvas& canvas)
{
    const uint32_t now = m_clock.milliseconds();
    const uint32_t interval = m_decoder.header().timing;
    int32_t drawn = 0;
    // Wrapping clock: a frame is due while now - due is below half the range.
    while (!m_decoder.finished() && uint32_t(now - m_due) < 0x80000000u) {
        if (!nextFrame(canvas))
            break;
        ++drawn;
        m_due += interval;
        // A zero interval shows one frame an update; a clock far ahead
        // (a stalled caller) drops the lost time rather than racing.
        if (interval == 0)
            break;
        if (drawn >= kMostCatchUp) {
            m_due = now + interval;
            break;
        }
    }
    return drawn;
}

void UxDeltaPlayer::seek(int32_t frame, const DeltaCanvas& canvas)
{
    start(canvas);
    while (m_frame < frame && nextFrame(canvas)) { }
    m_due = m_clock.milliseconds() + m_decoder.header().timing;
}
