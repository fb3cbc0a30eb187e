#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "foundation/FCFile.h"
#include "image/ImageProbe.h"
#include "image/SurfaceLoad.h"
#include "image/UxCompressAlgorithm.h"
#include "image/UxCompressLzssOrg.h"
#include "image/UxDeltaDecoder.h"
#include "support/MessageBoxRecorder.h"

#if defined(_WIN32)
#include <process.h>
#define processId _getpid
#else
#include <unistd.h>
#define processId getpid
#endif

namespace {

using Bytes = std::vector<uint8_t>;
using D = UxDeltaDecoder;

void put32(Bytes& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

Bytes lzss(const Bytes& input)
{
    UxCompressLzssOrg codec;
    Bytes out(input.size() * 2 + 64);
    const int32_t size = codec.compress(out.data(), static_cast<int32_t>(out.size()), input.data(),
        static_cast<int32_t>(input.size()), UxCompressAlgorithm::kMethodPlain);
    out.resize(static_cast<size_t>(size));
    return out;
}

// A DLT file written chunk by chunk.
struct DltFile {
    Bytes bytes;
    DltFile(uint32_t w, uint32_t h, uint32_t flags, uint32_t version = 0x0103, bool magic = true, uint32_t timing = 0)
    {
        for (uint32_t v : { version, w, h, 1u, flags, timing, 0u, magic ? D::kMagic : 0u })
            put32(bytes, v);
    }
    DltFile& chunk(uint32_t flags, const Bytes& colour, std::array<int32_t, 4> rect = {}, const Bytes* alpha = nullptr)
    {
        put32(bytes, flags);
        put32(bytes, static_cast<uint32_t>(colour.size()));
        if (!(flags & (D::kNoRectangle | D::kNotDrawn | D::kEnd)))
            for (int32_t v : rect)
                put32(bytes, static_cast<uint32_t>(v));
        if (flags & D::kAlphaFollows)
            put32(bytes, static_cast<uint32_t>(alpha->size()));
        bytes.insert(bytes.end(), colour.begin(), colour.end());
        if (flags & D::kAlphaFollows)
            bytes.insert(bytes.end(), alpha->begin(), alpha->end());
        return *this;
    }
    DltFile& end()
    {
        put32(bytes, D::kEnd);
        put32(bytes, 0);
        return *this;
    }
};

uint32_t type(uint32_t t)
{
    return t << 8;
}

// A surface's planes for the decoder, filled with a pattern so that "left as
// it was" shows. Pixels are kept top-down here as (x, y) → 0x00RRGGBB-ish
// words; the canvas rows are bottom-up like the surface's.
struct Surface {
    int32_t w, h, bpp;
    Bytes pixels, alpha;
    Surface(int32_t w, int32_t h, bool withAlpha = false, int32_t bpp = 4)
        : w(w)
        , h(h)
        , bpp(bpp)
        , pixels(size_t(w) * h * bpp)
        , alpha(withAlpha ? size_t((w + 3) & ~3) * h : 0, 0x77)
    {
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                set(x, y, initial(x, y));
    }
    static uint32_t initial(int32_t x, int32_t y) { return 0x00101000u + uint32_t(y * 16 + x); }
    uint8_t* at(int32_t x, int32_t y) { return &pixels[(size_t(h - 1 - y) * w + x) * bpp]; }
    void set(int32_t x, int32_t y, uint32_t v)
    {
        if (bpp == 1)
            *at(x, y) = static_cast<uint8_t>(v);
        else
            std::memcpy(at(x, y), &v, 4);
    }
    uint32_t get(int32_t x, int32_t y)
    {
        uint32_t v = 0;
        std::memcpy(&v, at(x, y), size_t(bpp));
        return v;
    }
    uint8_t alphaAt(int32_t x, int32_t y) { return alpha[size_t(h - 1 - y) * size_t((w + 3) & ~3) + x]; }
    DeltaCanvas canvas()
    {
        DeltaCanvas c;
        c.pixels = pixels.data();
        c.width = w;
        c.height = h;
        c.stride = ptrdiff_t(w) * bpp;
        c.bytesPerPixel = bpp;
        c.alpha = alpha.empty() ? nullptr : alpha.data();
        c.alphaStride = (w + 3) & ~3;
        return c;
    }
};

// The expected picture: the initial pattern with rectangles of file data
// laid over it by the format's rules.
struct Expected {
    int32_t w, h;
    std::vector<uint32_t> px;
    Expected(int32_t w, int32_t h)
        : w(w)
        , h(h)
        , px(size_t(w) * h)
    {
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                px[size_t(y) * w + x] = Surface::initial(x, y);
    }
    // Data rows (first row on top, or at the bottom when bottomUp) over the
    // rectangle; `value(i)` gives the pixel for data element i, or nothing
    // (−1) when it leaves the surface's pixel.
    void lay(int32_t rx, int32_t ry, int32_t rw, int32_t rh, bool bottomUp, const std::function<int64_t(size_t)>& value)
    {
        for (int32_t r = 0; r < rh; ++r)
            for (int32_t c = 0; c < rw; ++c) {
                const int32_t x = rx + c, y = bottomUp ? ry + rh - 1 - r : ry + r;
                const int64_t v = value(size_t(r) * rw + c);
                if (v >= 0 && x >= 0 && y >= 0 && x < w && y < h)
                    px[size_t(y) * w + x] = static_cast<uint32_t>(v);
            }
    }
    // The same where every zero byte, not pixel, leaves the byte there.
    void layBytes(int32_t rx, int32_t ry, int32_t rw, int32_t rh, bool bottomUp, const std::vector<uint32_t>& data)
    {
        lay(rx, ry, rw, rh, bottomUp, [&](size_t i) -> int64_t {
            const int32_t x = rx + int32_t(i % rw), r = int32_t(i / rw), y = bottomUp ? ry + rh - 1 - r : ry + r;
            uint32_t v = px[size_t(y) * w + x];
            for (int b = 0; b < 32; b += 8)
                if ((data[i] >> b) & 0xFF)
                    v = (v & ~(0xFFu << b)) | (data[i] & (0xFFu << b));
            return v;
        });
    }
};

// 32-bit pixels over the rectangle: zero leaves.
std::function<int64_t(size_t)> colours(const std::vector<uint32_t>& data)
{
    return [data](size_t i) -> int64_t { return data[i] ? int64_t(data[i]) : -1; };
}

Bytes bytesOf(const std::vector<uint32_t>& data)
{
    Bytes out;
    for (uint32_t v : data)
        put32(out, v);
    return out;
}

void expectPicture(Surface& s, const Expected& e, const char* name)
{
    for (int32_t y = 0; y < s.h; ++y)
        for (int32_t x = 0; x < s.w; ++x)
            ASSERT_EQ(s.get(x, y), e.px[size_t(y) * e.w + x]) << name << " at " << x << "," << y;
}

const std::vector<uint32_t> kQuad = { 0x00AA0001, 0, 0x00AA0003, 0x00AA0004, 0x00AA0005, 0x00AA0006 }; // 3 x 2

} // namespace

// Every colour chunk kind, first into a patterned 4 x 3 surface: the picture
// each gives is laid out from the format's rules independently of the
// decoder.
TEST(Delta, EveryColourChunkKindDrawsByTheRules)
{
    const uint32_t bottomUp = D::kBottomUp, whole = D::kNoRectangle;
    std::vector<uint32_t> key(12);
    for (size_t i = 0; i < key.size(); ++i)
        key[i] = i % 5 ? 0x00CC0000u + uint32_t(i) : 0; // some zero pixels
    struct Case {
        const char* name;
        DltFile file;
        std::function<void(Expected&)> expect;
    };
    const std::vector<Case> cases = {
        { "stored delta, top-down rows", DltFile(4, 3, 0).chunk(type(0), bytesOf(kQuad), { 1, 1, 3, 2 }).end(),
            [](Expected& e) { e.lay(1, 1, 3, 2, false, colours(kQuad)); } },
        { "stored delta, bottom-up rows",
            DltFile(4, 3, 0).chunk(type(3) | bottomUp, bytesOf(kQuad), { 0, 0, 3, 2 }).end(),
            [](Expected& e) { e.lay(0, 0, 3, 2, true, colours(kQuad)); } },
        { "stored delta cut by the edges", DltFile(4, 3, 0).chunk(type(0), bytesOf(kQuad), { 2, -1, 3, 2 }).end(),
            [](Expected& e) { e.lay(2, -1, 3, 2, false, colours(kQuad)); } },
        { "compressed delta", DltFile(4, 3, 0).chunk(type(2), lzss(bytesOf(kQuad)), { 1, 0, 3, 2 }).end(),
            [](Expected& e) { e.lay(1, 0, 3, 2, false, colours(kQuad)); } },
        // Bottom-up compressed rows span the picture's width whatever the
        // rectangle says, and leave the target's bytes where theirs are 0.
        { "compressed delta of whole bottom-up rows",
            DltFile(3, 3, 0).chunk(type(2) | bottomUp, lzss(bytesOf(kQuad)), { 2, 1, 1, 2 }).end(),
            [](Expected& e) { e.layBytes(0, 1, 3, 2, true, kQuad); } },
        { "stored key frame copies zero pixels too", DltFile(4, 3, 0).chunk(type(0xF) | whole, bytesOf(key)).end(),
            [key](Expected& e) { e.lay(0, 0, 4, 3, true, [key](size_t i) -> int64_t { return key[i]; }); } },
        { "compressed key frame", DltFile(4, 3, 0).chunk(type(0xD) | whole, lzss(bytesOf(key))).end(),
            [key](Expected& e) { e.lay(0, 0, 4, 3, true, colours(key)); } },
        { "empty frame and an undrawn chunk",
            DltFile(4, 3, 0)
                .chunk(type(1), {}, { 0, 0, 4, 3 })
                .chunk(type(0) | D::kNotDrawn, bytesOf(kQuad))
                .chunk(type(0) | whole, bytesOf(std::vector<uint32_t>(12, 0x00EE0000)))
                .end(),
            [](Expected& e) { e.lay(0, 0, 4, 3, false, [](size_t) -> int64_t { return 0x00EE0000; }); } },
        { "headerless old form",
            DltFile(4, 3, 0x800, 0x0101, false).chunk(type(0), bytesOf(kQuad), { 0, 0, 3, 2 }).end(),
            [](Expected& e) {
                // 8-bit data: each byte of the 24 is an index, grey without a palette.
                const Bytes data = bytesOf(kQuad);
                e.lay(0, 0, 3, 2, false, [data](size_t i) -> int64_t { return data[i] ? data[i] * 0x010101 : -1; });
            } },
    };
    for (const Case& c : cases) {
        Surface surface(c.name == std::string("compressed delta of whole bottom-up rows") ? 3 : 4, 3);
        Expected expected(surface.w, surface.h);
        c.expect(expected);
        D decoder;
        ASSERT_TRUE(decoder.loadMemory(c.file.bytes.data(), c.file.bytes.size(), 0, 0, nullptr)) << c.name;
        while (!decoder.finished())
            decoder.step(surface.canvas());
        expectPicture(surface, expected, c.name);
    }
}

// 8-bit animations: index 0 leaves the pixel, other indices go through the
// last palette chunk, or are grey before one.
TEST(Delta, EightBitIndicesGoThroughThePalette)
{
    Bytes palette(1024);
    for (int i = 0; i < 256; ++i) {
        palette[4 * i] = static_cast<uint8_t>(i);
        palette[4 * i + 1] = static_cast<uint8_t>(255 - i);
        palette[4 * i + 2] = 0x40;
    }
    const Bytes indices = { 0, 1, 2, 3, 0, 5, 6, 7, 8, 9, 0, 200 };
    const Bytes unpackedDelta = { 9, 0 };
    const DltFile file = DltFile(4, 3, 0x800)
                             .chunk(type(0xE) | D::kNoRectangle, palette)
                             .chunk(type(0xD) | D::kNoRectangle, lzss(indices))
                             .chunk(type(2) | D::kColourUnpacked, unpackedDelta, { 0, 0, 2, 1 })
                             .end();
    Surface surface(4, 3);
    D decoder;
    ASSERT_TRUE(decoder.loadMemory(file.bytes.data(), file.bytes.size(), 0, 0, nullptr));
    while (!decoder.finished())
        decoder.step(surface.canvas());
    Expected expected(4, 3);
    auto through = [&palette](uint8_t i) -> int64_t {
        return i ? int64_t(palette[4 * i] | palette[4 * i + 1] << 8 | palette[4 * i + 2] << 16) : -1;
    };
    expected.lay(0, 0, 4, 3, true, [&](size_t i) { return through(indices[i]); });
    expected.lay(0, 0, 2, 1, false, [&](size_t i) { return through(unpackedDelta[i]); });
    expectPicture(surface, expected, "8-bit");

    // Without the palette the same key frame is grey; an 8-bit surface keeps the indices.
    const DltFile grey = DltFile(4, 3, 0x800).chunk(type(0xF) | D::kNoRectangle, indices).end();
    Surface rgb(4, 3), indexed(4, 3, false, 1);
    for (Surface* s : { &rgb, &indexed }) {
        D d;
        ASSERT_TRUE(d.loadMemory(grey.bytes.data(), grey.bytes.size(), 0, 0, nullptr));
        d.decodeFirstPicture(s->canvas());
    }
    Expected greyPicture(4, 3), indexPicture(4, 3);
    greyPicture.lay(0, 0, 4, 3, true, [&](size_t i) -> int64_t { return indices[i] ? indices[i] * 0x010101 : -1; });
    for (auto& v : indexPicture.px)
        v &= 0xFF;
    indexPicture.lay(0, 0, 4, 3, true, [&](size_t i) -> int64_t { return indices[i] ? indices[i] : -1; });
    expectPicture(rgb, greyPicture, "grey");
    expectPicture(indexed, indexPicture, "indices");
}

// Alpha: 0 leaves the plane's byte, except in compressed deltas where 0xFE
// does; key frames bring alpha only when the header says the file has it;
// a surface without an alpha plane ignores it.
TEST(Delta, AlphaChunksFollowTheirLeaveRules)
{
    const Bytes colour = bytesOf({ 0x00010101, 0x00020202 });
    const Bytes alphaZero = { 0, 0x30 }, alphaFe = { 0xFE, 0 };
    const Bytes packedFe = lzss(alphaFe);
    const uint32_t a = D::kAlphaFollows;
    DltFile fixed = DltFile(2, 3, D::kHasAlpha)
                        .chunk(type(0) | a, colour, { 0, 0, 2, 1 }, &alphaZero)
                        .chunk(type(2) | a | D::kAlphaUnpacked, lzss(colour), { 0, 1, 2, 1 }, &alphaFe)
                        .chunk(type(2) | a, lzss(colour), { 0, 2, 2, 1 }, &packedFe)
                        .end();
    Surface surface(2, 3, true);
    D decoder;
    ASSERT_TRUE(decoder.loadMemory(fixed.bytes.data(), fixed.bytes.size(), 0, 0, nullptr));
    while (!decoder.finished())
        decoder.step(surface.canvas());
    EXPECT_EQ(surface.alphaAt(0, 0), 0x77);
    EXPECT_EQ(surface.alphaAt(1, 0), 0x30);
    for (int y : { 1, 2 }) {
        EXPECT_EQ(surface.alphaAt(0, y), 0x77) << y;
        EXPECT_EQ(surface.alphaAt(1, y), 0) << y;
    }

    // A stored key frame of the surface's size copies its alpha whole; a
    // compressed one leaves at 0; without the header's flag neither counts.
    const Bytes keyAlpha = { 0, 9, 0, 9, 0, 9 };
    const Bytes keyColour = bytesOf({ 1, 1, 1, 1, 1, 1 });
    const Bytes packedKeyAlpha = lzss(keyAlpha);
    for (uint32_t headerFlags : { uint32_t(D::kHasAlpha), 0u }) {
        const DltFile stored
            = DltFile(2, 3, headerFlags).chunk(type(0xF) | D::kNoRectangle | a, keyColour, {}, &keyAlpha).end();
        const DltFile packed = DltFile(2, 3, headerFlags)
                                   .chunk(type(0xD) | D::kNoRectangle | a, lzss(keyColour), {}, &packedKeyAlpha)
                                   .end();
        Surface s1(2, 3, true), s2(2, 3, true);
        D d1, d2;
        d1.loadMemory(stored.bytes.data(), stored.bytes.size(), 0, 0, nullptr);
        d2.loadMemory(packed.bytes.data(), packed.bytes.size(), 0, 0, nullptr);
        d1.decodeFirstPicture(s1.canvas());
        d2.decodeFirstPicture(s2.canvas());
        const bool used = headerFlags != 0;
        EXPECT_EQ(s1.alphaAt(0, 2), used ? 0 : 0x77);
        EXPECT_EQ(s1.alphaAt(1, 2), used ? 9 : 0x77);
        EXPECT_EQ(s2.alphaAt(0, 2), 0x77);
        EXPECT_EQ(s2.alphaAt(1, 2), used ? 9 : 0x77);
    }
}

// The first picture is the first key frame, with the deltas before it
// drawn under it; it is placed by the load's offset.
TEST(Delta, FirstPictureStopsAtTheFirstKeyFrame)
{
    std::vector<uint32_t> key = { 0, 0x00D00001, 0x00D00002, 0x00D00003 }; // 2 x 2, one zero pixel
    const DltFile file = DltFile(2, 2, 0)
                             .chunk(type(0), bytesOf({ 0x00BB0000 }), { 0, 1, 1, 1 })
                             .chunk(type(0xD) | D::kNoRectangle, lzss(bytesOf(key)))
                             .chunk(type(0) | D::kNoRectangle, bytesOf({ 5, 5, 5, 5 }))
                             .end();
    Surface surface(4, 3);
    D decoder;
    ASSERT_TRUE(decoder.loadMemory(file.bytes.data(), file.bytes.size(), 1, 1, nullptr));
    decoder.decodeFirstPicture(surface.canvas());
    Expected expected(4, 3);
    expected.lay(1, 2, 1, 1, false, [](size_t) -> int64_t { return 0x00BB0000; });
    expected.lay(1, 1, 2, 2, true, colours(key));
    expectPicture(surface, expected, "first picture");
    EXPECT_EQ(decoder.framesDrawn(), 2);

    // Through a file into a 24-bit surface: the animation's size, no alpha
    // plane, the picture over zeros.
    const std::string path = "dlt-" + std::to_string(processId()) + ".tmp";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(file.bytes.data(), 1, file.bytes.size(), f);
    std::fclose(f);
    SurfaceLoad::Picture picture;
    {
        FCFile in;
        ASSERT_EQ(in.open(path.c_str(), FCFile::kOpenExisting, FCFile::kRead), 0u);
        EXPECT_EQ(SurfaceLoad::loadStream(in, 0, 0, picture), 1);
        EXPECT_EQ(probeImage(in, 0).kind, kImageDlt);
    }
    std::remove(path.c_str());
    ASSERT_EQ(picture.width(), 2);
    ASSERT_EQ(picture.height(), 2);
    EXPECT_FALSE(picture.hasAlpha());
    EXPECT_EQ(picture.imageInfo(), 0u);
    const uint32_t want[4] = { 0x00D00002, 0x00D00003, 0x00BB0000, 0x00D00001 }; // top-down
    for (int i = 0; i < 4; ++i) {
        uint32_t got = 0;
        std::memcpy(&got, picture.pixelAt(i % 2, i / 2), 4);
        EXPECT_EQ(got, want[i]) << i;
    }
}

// A newer file warns with its version's last four hex digits and still
// decodes.
TEST(Delta, NewerVersionWarnsAndStillDecodes)
{
    for (uint32_t version : { 0x0104u, 0x12345u }) {
        const DltFile file = DltFile(1, 1, 0, version).chunk(type(0xF) | D::kNoRectangle, bytesOf({ 0x0042 })).end();
        MessageBoxRecorder boxes;
        Surface surface(1, 1);
        D decoder;
        EXPECT_FALSE(decoder.loadMemory(file.bytes.data(), file.bytes.size(), 0, 0, "C:\\game\\op.dlt"));
        decoder.decodeFirstPicture(surface.canvas());
        EXPECT_EQ(surface.get(0, 0), 0x0042u);
        const auto requests = boxes.requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].caption, "data version checker");
        EXPECT_EQ(requests[0].style, 0x30u | 0x2000u | 0x10000u);
        const std::string digits = version == 0x0104u ? "0104" : "2345";
        // "op.dlt" + "…ver." digits " です。" "\n…ver." "0103" …
        const std::string text = requests[0].text;
        EXPECT_EQ(text.rfind("op.dlt", 0), 0u) << text;
        EXPECT_NE(text.find("ver." + digits + " \x82\xC5\x82\xB7\x81\x42\n"), std::string::npos);
        EXPECT_NE(text.find("ver.0103 "), std::string::npos);
    }
    // No name: "指定されたDLT"; a supported version shows nothing.
    char text[512];
    D::versionWarning(0x200, nullptr, text, sizeof text);
    EXPECT_EQ(std::string(text).rfind("\x8E\x77\x92\xE8\x82\xB3\x82\xEA\x82\xBD\x44\x4C\x54", 0), 0u);
    MessageBoxRecorder boxes;
    const DltFile ok = DltFile(1, 1, 0, 0x0100).end();
    D decoder;
    EXPECT_TRUE(decoder.loadMemory(ok.bytes.data(), ok.bytes.size(), 0, 0, nullptr));
    EXPECT_TRUE(boxes.requests().empty());
}

// Hostile files: every read stops at the end of the copy, every write at
// the edges of the surface, no buffer beyond what the data can fill.
TEST(Delta, HostileChunksAreClippedOrRefused)
{
    const Bytes four = bytesOf({ 0x00010101, 0x00020202, 0x00030303, 0x00040404 });
    std::vector<DltFile> files;
    // Rectangles far past the picture, and sizes beyond the file.
    files.push_back(DltFile(2, 2, 0).chunk(type(0), four, { 0x7FFFFFF0, -0x7FFFFFF0, 0x7FFFFFFF, 0x7FFFFFFF }));
    files.push_back(DltFile(2, 2, 0).chunk(type(2), lzss(four), { -5, -5, 0x40000000, 0x40000000 }));
    files.push_back(DltFile(2, 2, 0).chunk(type(2) | D::kBottomUp, lzss(four), { 0, -3, 2, 0x7FFFFFFF }));
    files.push_back(DltFile(0xFFFFFFFF, 0xFFFFFFFF, 0).chunk(type(0xD) | D::kNoRectangle, lzss(four)));
    files.push_back(DltFile(0xFFFFFFFF, 0xFFFFFFFF, 0).chunk(type(0xF) | D::kNoRectangle, four));
    DltFile truncated = DltFile(2, 2, 0).chunk(type(0xF) | D::kNoRectangle, four);
    truncated.bytes[36] = 0xFF; // colour size far past the end
    truncated.bytes[37] = 0xFF;
    files.push_back(truncated);
    DltFile cutHeader = DltFile(2, 2, 0).chunk(type(0), four, { 0, 0, 2, 2 });
    cutHeader.bytes.resize(32 + 12);
    files.push_back(cutHeader);
    // No key frame and no end chunk: playback and first picture both end.
    files.push_back(DltFile(2, 2, D::kLoops).chunk(type(0xE) | D::kNoRectangle, Bytes(10)));
    for (const DltFile& file : files) {
        Surface surface(2, 2);
        D decoder;
        decoder.loadMemory(file.bytes.data(), file.bytes.size(), 0, 0, nullptr);
        decoder.decodeFirstPicture(surface.canvas());
        decoder.rewind();
        for (int i = 0; i < 100 && !decoder.finished(); ++i)
            decoder.step(surface.canvas(), true);
        EXPECT_TRUE(decoder.finished());
    }
    // The first file's rectangle misses the surface: it is as it was.
    {
        Surface surface(2, 2);
        D decoder;
        decoder.loadMemory(files[0].bytes.data(), files[0].bytes.size(), 0, 0, nullptr);
        decoder.decodeFirstPicture(surface.canvas());
        EXPECT_EQ(surface.get(0, 0), Surface::initial(0, 0));
    }
    // A header claiming a picture the file cannot fill gets no surface.
    const std::string path = "dlt-bomb-" + std::to_string(processId()) + ".tmp";
    const DltFile bomb = DltFile(60000, 60000, 0).chunk(type(0xD) | D::kNoRectangle, lzss(four)).end();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bomb.bytes.data(), 1, bomb.bytes.size(), f);
    std::fclose(f);
    SurfaceLoad::Picture picture;
    {
        FCFile in;
        ASSERT_EQ(in.open(path.c_str(), FCFile::kOpenExisting, FCFile::kRead), 0u);
        EXPECT_EQ(SurfaceLoad::loadStream(in, 0, 0, picture), 0);
    }
    std::remove(path.c_str());
    EXPECT_EQ(picture.width(), 0);
}

namespace {

class FakeClock : public DeltaClock {
public:
    uint32_t now = 0;
    uint32_t milliseconds() override { return now; }
};

// Frame k of the playback tests fills the 1 x 1 picture with k + 1.
DltFile countingFrames(uint32_t flags, int frames, uint32_t timing)
{
    DltFile file(1, 1, flags, 0x0103, true, timing);
    file.chunk(type(0xF) | D::kNoRectangle, bytesOf({ 1 }));
    for (int k = 1; k < frames; ++k)
        file.chunk(type(0) | D::kNoRectangle, bytesOf({ uint32_t(k + 1) }));
    return file;
}

} // namespace

// Frames fall due one header timing value apart on the clock; an animation
// that does not loop stops at its end, one that loops starts over.
TEST(Delta, PlaybackTimesFramesOnTheClock)
{
    const DltFile once = countingFrames(0, 3, 100).end();
    FakeClock clock;
    clock.now = 0xFFFFFF00u; // the clock wraps during the run
    Surface surface(1, 1);
    D decoder;
    decoder.loadMemory(once.bytes.data(), once.bytes.size(), 0, 0, nullptr);
    UxDeltaPlayer player(decoder, clock);
    player.start(surface.canvas());
    EXPECT_EQ(surface.get(0, 0), 1u);
    clock.now += 99;
    EXPECT_EQ(player.update(surface.canvas()), 0);
    clock.now += 1;
    EXPECT_EQ(player.update(surface.canvas()), 1);
    EXPECT_EQ(surface.get(0, 0), 2u);
    clock.now += 250; // one frame due, then the end
    EXPECT_EQ(player.update(surface.canvas()), 1);
    EXPECT_EQ(surface.get(0, 0), 3u);
    clock.now += 1000;
    EXPECT_EQ(player.update(surface.canvas()), 0);
    EXPECT_TRUE(player.finished());

    const DltFile looping = countingFrames(D::kLoops, 3, 10).end();
    D loops;
    loops.loadMemory(looping.bytes.data(), looping.bytes.size(), 0, 0, nullptr);
    UxDeltaPlayer again(loops, clock);
    again.start(surface.canvas());
    clock.now += 40; // frames 2, 3, 1, 2
    EXPECT_EQ(again.update(surface.canvas()), 4);
    EXPECT_EQ(surface.get(0, 0), 2u);
    EXPECT_FALSE(again.finished());

    // Seeking replays from the start and times the next frame from now.
    again.seek(2, surface.canvas());
    EXPECT_EQ(surface.get(0, 0), 3u);
    clock.now += 9;
    EXPECT_EQ(again.update(surface.canvas()), 0);
}

// A repeat mark with count n plays the run of chunks it closes n more times.
TEST(Delta, RepeatMarksReplayTheirRun)
{
    DltFile file(1, 1, 0, 0x0103, true, 1);
    file.chunk(type(0xF) | D::kNoRectangle, bytesOf({ 1 }));
    file.chunk(type(0) | D::kNoRectangle | D::kRepeat | (2u << 4), bytesOf({ 2 }));
    file.chunk(type(0) | D::kNoRectangle, bytesOf({ 3 }));
    file.end();
    FakeClock clock;
    Surface surface(1, 1);
    D decoder;
    decoder.loadMemory(file.bytes.data(), file.bytes.size(), 0, 0, nullptr);
    UxDeltaPlayer player(decoder, clock);
    player.start(surface.canvas());
    std::vector<uint32_t> seen = { surface.get(0, 0) };
    while (!player.finished()) {
        ++clock.now;
        if (player.update(surface.canvas()))
            seen.push_back(surface.get(0, 0));
    }
    EXPECT_EQ(seen, (std::vector<uint32_t> { 1, 2, 1, 2, 1, 2, 3 }));
}
