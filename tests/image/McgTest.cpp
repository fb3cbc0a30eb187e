#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "foundation/FCFile.h"
#include "foundation/FCHeap.h"
#include "image/FCMcg.h"
#include "image/ImageProbe.h"
#include "image/McgWriter.h"
#include "image/SurfaceLoad.h"
#include "image/UxCgSurface.h"
#include "image/UxCompressAlgorithm.h"
#include "image/UxCompressLzssOrg.h"
#include "image/UxMcgReader.h"
#include "surface/FCDib.h"

#if defined(_WIN32)
#include <process.h>
#define processId _getpid
#else
#include <unistd.h>
#define processId getpid
#endif

namespace {

using Bytes = std::vector<uint8_t>;
using McgWriter::Encoding;

void put32(Bytes& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void set32(Bytes& out, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A keyed-layout header followed by its blocks.
Bytes keyed(uint32_t flags, uint32_t key, uint32_t bpp, int32_t w, int32_t h, const Bytes& table, const Bytes& colour,
    const Bytes& mask = {})
{
    Bytes out;
    put32(out, UxMcgReader::kMagic);
    put32(out, flags);
    put32(out, key);
    put32(out, bpp);
    put32(out, static_cast<uint32_t>(w));
    put32(out, static_cast<uint32_t>(h));
    put32(out, static_cast<uint32_t>(colour.size()));
    put32(out, static_cast<uint32_t>(mask.size()));
    put32(out, static_cast<uint32_t>(table.size() / 4));
    out.insert(out.end(), table.begin(), table.end());
    out.insert(out.end(), colour.begin(), colour.end());
    out.insert(out.end(), mask.begin(), mask.end());
    return out;
}

// The 64-byte header of the plain layout.
Bytes plainHeader(uint32_t width, uint32_t height, uint32_t bitCount, uint32_t decodedSize, uint32_t colours = 0)
{
    Bytes header(64, 0);
    set32(header, 0, FCMcg::kMagic);
    set32(header, 28, width);
    set32(header, 32, height);
    set32(header, 36, bitCount);
    set32(header, 40, decodedSize);
    set32(header, 44, colours);
    return header;
}

// A picture with gradients, flat bands and noise: bottom-up BGR0 rows and an
// alpha plane `w` bytes a row.
struct Sample {
    int32_t w, h;
    Bytes pixels, alpha;
};

Sample sample(int32_t w, int32_t h, uint32_t seed)
{
    std::mt19937 random(seed);
    Sample s { w, h, Bytes(size_t(w) * h * 4), Bytes(size_t(w) * h) };
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            uint8_t* p = &s.pixels[(size_t(y) * w + x) * 4];
            const bool flat = (x / 8) % 2 == 0;
            p[0] = flat ? 40 : static_cast<uint8_t>(x * 3);
            p[1] = flat ? 90 : static_cast<uint8_t>(y * 5);
            p[2] = random() % 7 == 0 ? static_cast<uint8_t>(random()) : static_cast<uint8_t>(x + y);
            p[3] = 0;
            s.alpha[size_t(y) * w + x] = static_cast<uint8_t>(x * 255 / (w > 1 ? w - 1 : 1));
        }
    }
    return s;
}

SurfaceLoad::Picture loadMemory(const Bytes& file, uint32_t flags, int32_t key);

// The MCG as the surface takes it, through a real file.
class McgFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_path = std::string("mcg-") + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-"
            + std::to_string(processId()) + ".tmp";
    }
    void TearDown() override { std::remove(m_path.c_str()); }

    void put(const Bytes& bytes)
    {
        std::FILE* f = std::fopen(m_path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    bool open(FCFile& file) { return file.open(m_path.c_str(), FCFile::kOpenExisting, FCFile::kRead) == 0; }

    std::string m_path;
};

Bytes pixelsOf(const SurfaceLoad::Picture& p)
{
    return Bytes(p.bits(), p.bits() + size_t(p.width()) * p.height() * 4);
}

} // namespace

TEST(McgKeyed, ReadsTheLayoutFieldByField)
{
    const Bytes file = keyed(0x01000000, // flags: colour stored raw, no mask
        0xFFFFFFFF, // not scrambled
        24, 2, 1, // 24 bits, 2 x 1
        {}, // no table
        { 1, 2, 3, 4, 5, 6, 0, 0 }); // one row: two pixels and two padding bytes
    UxMcgReader reader;
    ASSERT_TRUE(reader.read(file.data(), file.size(), 0));
    EXPECT_EQ(reader.colourStride(), 8);
    Bytes pixels(8, 0xAA);
    ASSERT_TRUE(reader.decodeColourTo32(pixels.data(), 0));
    EXPECT_EQ(pixels, (Bytes { 1, 2, 3, 0, 4, 5, 6, 0 }));
    FCDib dib;
    ASSERT_TRUE(reader.decodeColour(dib, 0));
    EXPECT_EQ(dib.header->bitCount, 24);
    EXPECT_EQ(dib.header->sizeImage, 8u);
    EXPECT_EQ(dib.header->compression, 0u);
    EXPECT_EQ(Bytes(dib.bits, dib.bits + 8), (Bytes { 1, 2, 3, 4, 5, 6, 0, 0 }));
}

TEST(McgKeyed, EightBitPicturesGoThroughTheirTable)
{
    const Bytes file = keyed(0x01008000, // raw, bit fields flag (compression 3)
        0xFFFFFFFF, 8, 3, 1, { 10, 20, 30, 99, 40, 50, 60, 99 }, // two entries (blue, green, red, fourth byte)
        { 1, 0, 7, 0 }); // indices 1, 0 and 7 (past the table), padding
    UxMcgReader reader;
    ASSERT_TRUE(reader.read(file.data(), file.size(), 0));
    Bytes pixels(12);
    ASSERT_TRUE(reader.decodeColourTo32(pixels.data(), 0));
    EXPECT_EQ(pixels, (Bytes { 40, 50, 60, 0, 10, 20, 30, 0, 0, 0, 0, 0 }));
}

TEST(McgKeyed, RoundTripsEveryEncodingDepthAndMask)
{
    const Sample s = sample(37, 23, 5);
    struct Case {
        Encoding encoding;
        int32_t bpp;
        int32_t mask;
        uint32_t key;
    };
    const Case cases[] = {
        { Encoding::Raw, 24, 0, 0 },
        { Encoding::Lzss0, 24, 17, 0 },
        { Encoding::Lzss0, 32, 256, 0x12345678 },
        { Encoding::Lzss3, 24, 256, 0 },
        { Encoding::Lzss3, 32, 17, 0xCAFEF00D },
        { Encoding::Raw, 32, 256, 7 },
    };
    for (const Case& c : cases) {
        McgWriter::KeyedOptions options;
        options.encoding = c.encoding;
        options.bitsPerPixel = c.bpp;
        options.maskLevels = c.mask;
        options.key = c.key;
        const Bytes file = McgWriter::writeKeyed(s.pixels.data(), s.alpha.data(), s.w, s.h, options);
        ASSERT_FALSE(file.empty());
        const SurfaceLoad::Picture p = loadMemory(file, 0, static_cast<int32_t>(c.key));
        ASSERT_EQ(p.width(), s.w);
        EXPECT_EQ(pixelsOf(p), s.pixels) << int(c.encoding) << " " << c.bpp;
        ASSERT_EQ(p.hasAlpha(), c.mask != 0);
        for (int32_t y = 0; y < s.h && c.mask; ++y) {
            for (int32_t x = 0; x < s.w; ++x) {
                const uint8_t a = s.alpha[size_t(s.h - 1 - y) * s.w + x];
                const uint8_t expected = c.mask == 256 ? a : (a >= 248 ? 255 : (a + 8) / 16 * 16);
                ASSERT_EQ(p.alphaAt(x, y), expected) << x << "," << y;
            }
        }
        const uint32_t info = (c.bpp & 0xFF) | (c.key ? uint32_t(SurfaceLoad::kInfoCallerKey) : 0u)
            | (c.mask == 17 ? uint32_t(SurfaceLoad::kInfoMask17) : 0u)
            | (c.mask == 256 ? uint32_t(SurfaceLoad::kInfoMask256) : 0u);
        EXPECT_EQ(p.imageInfo(), info);
    }
}

TEST(McgKeyed, DecodesTwiceTheSameUnderAKey)
{
    const Sample s = sample(16, 9, 2);
    McgWriter::KeyedOptions options;
    options.key = 0x5EED;
    options.embedKey = true;
    const Bytes file = McgWriter::writeKeyed(s.pixels.data(), nullptr, s.w, s.h, options);
    UxMcgReader reader;
    ASSERT_TRUE(reader.read(file.data(), file.size(), 0));
    EXPECT_EQ(reader.header().key, 0x5EEDu); // the file's own key, no caller key needed
    Bytes first(s.pixels.size()), second(s.pixels.size());
    ASSERT_TRUE(reader.decodeColourTo32(first.data(), 0));
    ASSERT_TRUE(reader.decodeColourTo32(second.data(), 0));
    EXPECT_EQ(first, s.pixels);
    EXPECT_EQ(second, s.pixels);
    // A wrong caller key overrides the file's and decodes garbage, in bounds.
    Bytes wrong(s.pixels.size());
    ASSERT_TRUE(reader.decodeColourTo32(wrong.data(), 0x5EEE));
    EXPECT_NE(wrong, s.pixels);
}

TEST(McgKeyed, ScrambleSwapsTenPairsAndUndoesThem)
{
    Bytes data(300);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i);
    const Bytes original = data;
    UxMcgReader::scramble(data.data(), static_cast<uint32_t>(data.size()), 77);
    size_t moved = 0;
    for (size_t i = 0; i < data.size(); ++i)
        moved += data[i] != original[i];
    EXPECT_GT(moved, 0u);
    EXPECT_LE(moved, 20u);
    UxMcgReader::unscramble(data.data(), static_cast<uint32_t>(data.size()), 77);
    EXPECT_EQ(data, original);
    // Nothing to swap in an empty block.
    UxMcgReader::scramble(nullptr, 0, 77);
}

TEST(McgKeyed, NoColourDataGivesAZeroPictureWithImageSizeZero)
{
    const Bytes file = keyed(0x02000000, 0xFFFFFFFF, 24, 3, 2, {}, {});
    UxMcgReader reader;
    ASSERT_TRUE(reader.read(file.data(), file.size(), 0));
    FCDib dib;
    ASSERT_TRUE(reader.decodeColour(dib, 0));
    EXPECT_EQ(dib.header->sizeImage, 0u);
    EXPECT_EQ(Bytes(dib.bits, dib.bits + 2 * 12), Bytes(24, 0));
}

TEST(McgKeyed, SeventeenLevelMaskExpands)
{
    const Bytes mask = {
        0xFF, // flags: eight literals
        16, 8, 17, 0, 15, 1, 200, // the row: 255, 128, 0, 0, 240, 16, 0 once expanded
        0, // its padding byte
    };
    const Bytes file = keyed(0x01000001, // raw colour, 17-level mask
        0xFFFFFFFF, 32, 7, 1, {}, Bytes(28, 0), mask);
    const SurfaceLoad::Picture p = loadMemory(file, 0, 0);
    ASSERT_TRUE(p.hasAlpha());
    const Bytes expected = { 255, 128, 0, 0, 240, 16, 0 };
    for (int32_t x = 0; x < 7; ++x)
        EXPECT_EQ(p.alphaAt(x, 0), expected[x]) << x;
    // Asked to ignore it, the surface gets no plane.
    EXPECT_FALSE(loadMemory(file, SurfaceLoad::kIgnoreMask, 0).hasAlpha());
}

TEST(McgKeyed, NoKeyAnywhereShowsThePlaceholder)
{
    const Sample s = sample(5, 7, 1);
    McgWriter::KeyedOptions options;
    options.key = 99; // the header leaves the key to the caller
    const Bytes file = McgWriter::writeKeyed(s.pixels.data(), nullptr, s.w, s.h, options);
    const SurfaceLoad::Picture p = loadMemory(file, 0, 0);
    ASSERT_EQ(p.width(), 5);
    ASSERT_EQ(p.height(), 7);
    for (int32_t y = 0; y < 7; ++y) {
        uint32_t v;
        std::memcpy(&v, p.pixelAt(2, y), 4);
        EXPECT_EQ(v, y % 3 == 0 ? 0x0000FF00u : 0u) << y;
    }
    EXPECT_FALSE(p.hasAlpha());
    EXPECT_EQ(p.imageInfo(), SurfaceLoad::kInfoCallerKey);

    // With no usable size the placeholder is 320 x 240.
    Bytes sizeless = file;
    set32(sizeless, 16, 0);
    const SurfaceLoad::Picture q = loadMemory(sizeless, 0, 0);
    EXPECT_EQ(q.width(), 320);
    EXPECT_EQ(q.height(), 240);
}

TEST(McgKeyed, HostileHeadersAreRefusedOrStayInBounds)
{
    const Bytes good = keyed(0x02000000, 0xFFFFFFFF, 24, 4, 4, {}, { 0xFF, 1, 2, 3, 4, 5, 6, 7, 8 });
    struct Case {
        const char* name;
        size_t at;
        uint32_t value;
        bool reads;
    };
    const Case cases[] = {
        { "colour size past the end", 24, 10, false },
        { "huge colour size", 24, 0xFFFFFFF0, false },
        { "mask flag with a mask past the end", 4, 0x02000001, false },
        { "colour count past the end", 32, 1, false },
        { "colour count above 256", 32, 0x10000, false },
        { "extra table missing", 4, 0x02000040, false },
        { "zero width", 16, 0, true },
        { "negative height", 20, 0xFFFFFFFF, true },
        { "huge picture", 16, 0x7FFFFFFF, true },
        { "unknown encoding", 4, 0x03000000, true },
        { "depth of 1 bit", 12, 1, true },
    };
    for (const Case& c : cases) {
        Bytes file = good;
        set32(file, c.at, c.value);
        if (c.at == 4 && (c.value & 1))
            set32(file, 28, 100);
        UxMcgReader reader;
        EXPECT_EQ(reader.read(file.data(), file.size(), 0), c.reads) << c.name;
        // Whatever was read decodes inside the picture it describes or not at all.
        Bytes pixels(16 * 4);
        if (reader.decodable() && reader.header().width == 4 && reader.header().height == 4)
            reader.decodeColourTo32(pixels.data(), 0);
        loadMemory(file, 0, 0);
    }
    // Truncated anywhere, the file is refused without reading past its end.
    for (size_t cut = 0; cut < good.size(); ++cut) {
        UxMcgReader reader;
        EXPECT_FALSE(reader.read(good.data(), cut, 0)) << cut;
    }
}

TEST(McgKeyed, UnknownEncodingLeavesThePixelsZero)
{
    const Bytes file = keyed(0x00400000, 0xFFFFFFFF, 32, 1, 1, {}, { 1, 2, 3, 4 });
    const SurfaceLoad::Picture p = loadMemory(file, 0, 0);
    ASSERT_EQ(p.width(), 1);
    EXPECT_EQ(pixelsOf(p), Bytes(4, 0));
}

TEST(McgKeyed, ExtraTableRanges)
{
    Bytes table(1024);
    for (size_t i = 0; i < table.size(); ++i)
        table[i] = static_cast<uint8_t>(i * 7);
    const Sample s = sample(3, 3, 4);
    McgWriter::KeyedOptions options;
    options.extraKind = 2;
    options.extraTable = table.data();
    const Bytes file = McgWriter::writeKeyed(s.pixels.data(), nullptr, s.w, s.h, options);
    UxMcgReader reader;
    ASSERT_TRUE(reader.read(file.data(), file.size(), 0));
    EXPECT_EQ(reader.extraKind(), 2u);
    struct Case {
        int32_t length, offset, copied;
    };
    const Case cases[] = { { 16, 0, 16 }, { 100, 1000, 24 }, { 4, 1024, 0 }, { 4, -1, 0 }, { 0, 5, 0 } };
    for (const Case& c : cases) {
        Bytes out(200, 0xEE);
        EXPECT_EQ(reader.extraTable(out.data(), c.length, c.offset), c.copied) << c.offset;
        for (int32_t i = 0; i < c.copied; ++i)
            ASSERT_EQ(out[i], table[c.offset + i]);
        EXPECT_EQ(out[c.copied], 0xEE);
    }
    // Without a table nothing is copied.
    options.extraKind = 0;
    const Bytes plain = McgWriter::writeKeyed(s.pixels.data(), nullptr, s.w, s.h, options);
    ASSERT_TRUE(reader.read(plain.data(), plain.size(), 0));
    Bytes out(8);
    EXPECT_EQ(reader.extraTable(out.data(), 8, 0), 0);
}

TEST_F(McgFile, ExtraTableRangeFromAFile)
{
    Bytes table(1024, 0x3C);
    const Sample s = sample(2, 2, 9);
    McgWriter::KeyedOptions options;
    options.extraKind = 1;
    options.extraTable = table.data();
    put(McgWriter::writeKeyed(s.pixels.data(), nullptr, s.w, s.h, options));
    FCFile file;
    Bytes out(64);
    EXPECT_EQ(UxMcgReader::readExtraTable(file, 0, out.data(), 64, 0), 0); // not open
    ASSERT_TRUE(open(file));
    EXPECT_EQ(UxMcgReader::readExtraTable(file, 0, out.data(), 64, 1000), 24);
    EXPECT_EQ(out[0], 0x3C);
}

TEST(McgPlain, DecodesAFixtureWithTheFieldsTurnedRound)
{
    Bytes file = plainHeader(2, 1, 24, 8); // width, height, bit count, decoded size
    const Bytes stream = {
        0x37, // flags: literal x3, match, literal x2
        'A', 'B', 'C', // window positions 4078..4080
        0xEE, 0x0F, // position 0xFEE (low nibble of b1 = bits 8-11), length 0 + 3
        0, 0, // the row's padding
    };
    file.insert(file.end(), stream.begin(), stream.end());
    size_t size = 0;
    uint8_t* packed = FCMcg::decode(file.data(), file.size(), &size);
    ASSERT_NE(packed, nullptr);
    EXPECT_EQ(size, 48u);
    EXPECT_EQ(FCMcg::packedSize(packed), 48u);
    EXPECT_EQ(Bytes(packed + 40, packed + 48), (Bytes { 'A', 'B', 'C', 'A', 'B', 'C', 0, 0 }));
    FCHeap::release(packed);
}

TEST(McgPlain, RowsAreFlippedAndTheTableCleared)
{
    // Five rows of one 8-bit pixel (stride 4), stored top-down as 0..4.
    Bytes file = plainHeader(1, 5, 8, 20, 16); // width, height, bit count, decoded size, colours
    for (uint32_t i = 0; i < 16; ++i)
        put32(file, 0x80000000u | i * 0x010101u); // fourth byte 0x80
    const Bytes stream = { 0xFF, 0, 0, 0, 0, 1, 0, 0, 0, 0xFF, 2, 0, 0, 0, 3, 0, 0, 0, 0x0F, 4, 0, 0, 0 };
    file.insert(file.end(), stream.begin(), stream.end());
    uint8_t* packed = FCMcg::decode(file.data(), file.size());
    ASSERT_NE(packed, nullptr);
    const uint8_t* table = packed + 40;
    EXPECT_EQ(table[4 * 5 + 3], 0);
    EXPECT_EQ(table[4 * 5], 5);
    const uint8_t* rows = table + 64;
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(rows[4 * i], 4 - i) << i; // row 2 stays, 0<->4 and 1<->3 swap
    FCDib dib;
    ASSERT_TRUE(packedToDib(packed, FCMcg::packedSize(packed), dib));
    EXPECT_EQ(*dib.pixel(0, 0), 0); // the top row
    FCHeap::release(packed);
}

TEST(McgPlain, HostileHeadersGiveNull)
{
    Bytes good = plainHeader(2, 2, 24, 16); // width, height, bit count, decoded size
    good.push_back(0xFF);
    for (int i = 0; i < 8; ++i)
        good.push_back(static_cast<uint8_t>(i));
    struct Case {
        const char* name;
        size_t at;
        uint32_t value;
    };
    const Case cases[] = {
        { "wrong magic", 0, 0x2047434E },
        { "zero width", 28, 0 },
        { "negative height", 32, 0x80000000 },
        { "bit count 7", 36, 7 },
        { "huge picture", 28, 0x40000000 },
        { "colour count above 256", 44, 257 },
        { "table past the end", 44, 200 },
    };
    for (const Case& c : cases) {
        Bytes file = good;
        set32(file, c.at, c.value);
        EXPECT_EQ(FCMcg::decode(file.data(), file.size()), nullptr) << c.name;
    }
    // A decoded size larger than the rows is decoded no further than the rows.
    Bytes lying = good;
    set32(lying, 40, 0x100000);
    uint8_t* packed = FCMcg::decode(lying.data(), lying.size());
    ASSERT_NE(packed, nullptr);
    FCHeap::release(packed);
}

TEST(McgPlain, RoundTripsThroughTheWriter)
{
    const Sample s = sample(29, 17, 8);
    const Bytes file = McgWriter::writePlain(s.pixels.data(), s.w, s.h);
    ASSERT_FALSE(file.empty());
    const SurfaceLoad::Picture p = loadMemory(file, 0, 0);
    EXPECT_EQ(pixelsOf(p), s.pixels);
    EXPECT_FALSE(p.hasAlpha());
    EXPECT_EQ(p.imageInfo(), 24u);
}

TEST_F(McgFile, SlotsReadTheRangeAndPutTheFileBack)
{
    // Eight bytes of something else, then the image.
    Bytes bytes = { 'j', 'u', 'n', 'k', 'j', 'u', 'n', 'k' };
    Bytes image = plainHeader(1, 1, 8, 4, 16); // width, height, bit count, decoded size, colours
    for (uint32_t i = 0; i < 16; ++i)
        put32(image, (i + 1) << 24 | i);
    const Bytes stream = { 0x0F, 3, 0, 0, 0 };
    image.insert(image.end(), stream.begin(), stream.end());
    bytes.insert(bytes.end(), image.begin(), image.end());
    put(bytes);

    FCFile file;
    ASSERT_TRUE(open(file));
    FCMcg mcg;
    int32_t table[256];
    EXPECT_EQ(mcg.checkSignature(), 0); // nothing attached
    EXPECT_EQ(mcg.decodeAll(), nullptr);
    file.seek(FCFile::kFromStart, 8);
    ASSERT_EQ(mcg.attach(file, -1), 1);
    EXPECT_EQ(mcg.start, 8);
    EXPECT_EQ(mcg.end, static_cast<int32_t>(bytes.size()));
    EXPECT_EQ(mcg.isReadable(), 1);
    EXPECT_EQ(mcg.checkSignature(), 1);
    EXPECT_EQ(file.position(), 8);
    EXPECT_EQ(mcg.colourCount(), 16);
    std::fill(std::begin(table), std::end(table), -1);
    ASSERT_EQ(mcg.readIndexAlpha(table), 1);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(table[i], i < 16 ? i + 1 : 0) << i; // entries 16..255 stay 0
    EXPECT_EQ(file.position(), 8);
    uint8_t* packed = mcg.decodeAll();
    ASSERT_NE(packed, nullptr);
    EXPECT_EQ(packed[40 + 64], 3);
    FCHeap::release(packed);

    // Through the loader: the side table is filled and the picture is indexed.
    file.seek(FCFile::kFromStart, 8);
    FCDib dib;
    ASSERT_TRUE(loadDibFile(file, 0, dib));
    EXPECT_EQ(file.position(), 8);
    EXPECT_EQ(dib.indexFlags[3], 4);
    EXPECT_EQ(dib.indexFlags[20], 0);
    EXPECT_EQ(*dib.pixel(0, 0), 3);
}

TEST(ImageKinds, ClassifiesTheFirstBytes)
{
    struct Case {
        const char* name;
        Bytes bytes;
        int32_t kind;
    };
    Bytes dlt(32, 0);
    dlt[0] = 0x03;
    dlt[1] = 0x01; // version 0x0103
    dlt[12] = 1; // frames
    dlt[16] = 1; // flags
    Bytes dltMagic(32, 0);
    std::memcpy(&dltMagic[28], "DLT", 4);
    const Case cases[] = {
        { "seven bytes", { 'B', 'M', 0, 0, 0, 0, 0 }, 0 },
        { "BMP", { 'B', 'M', 0, 0, 0, 0, 0, 0 }, 6 },
        { "MPEG-1", { 0, 0, 1, 0xBA, 0x21, 0, 0, 0 }, 242 },
        { "MPEG-2 pack", { 0, 0, 1, 0xBA, 0x44, 0, 0, 0 }, 0 },
        { "JPEG JFIF", { 0xFF, 0xD8, 0xFF, 0xE0, 0, 0, 0, 0 }, 5 },
        { "JPEG Exif", { 0xFF, 0xD8, 0xFF, 0xE1, 0, 0, 0, 0 }, 5 },
        { "PNG", { 0x89, 'P', 'N', 'G', 13, 10, 26, 10 }, 4 },
        { "keyed MCG", { 'G', 'Y', 'U', 0x1A, 0, 0, 0, 0 }, 3 },
        { "plain MCG", { 'M', 'C', 'G', ' ', 0, 0, 0, 0 }, 1 },
        { "DLT without magic", dlt, 241 },
        { "DLT with magic", dltMagic, 241 },
        { "DLT header of 31 bytes", Bytes(dltMagic.begin(), dltMagic.end() - 1), 0 },
        { "text", { 'h', 'e', 'l', 'l', 'o', '!', '!', '!' }, 0 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(classifyImage(c.bytes.data(), c.bytes.size()), c.kind) << c.name;
}

TEST_F(McgFile, ProbesWithoutDecoding)
{
    const Sample s = sample(6, 4, 3);
    McgWriter::KeyedOptions options;
    options.maskLevels = 17;
    options.key = 5;
    put(McgWriter::writeKeyed(s.pixels.data(), s.alpha.data(), s.w, s.h, options));
    FCFile file;
    ASSERT_TRUE(open(file));
    ImageProbe probe = probeImage(file, 0);
    EXPECT_EQ(probe.kind, 3);
    EXPECT_EQ(probe.width, 6);
    EXPECT_EQ(probe.height, 4);
    EXPECT_EQ(probe.bitsPerPixel, 24);
    EXPECT_EQ(probe.alphaKind, 1);
    EXPECT_EQ(probe.key, 0u);
    EXPECT_EQ(file.position(), 0);
    file.close();

    put(McgWriter::writePlain(s.pixels.data(), s.w, s.h));
    ASSERT_TRUE(open(file));
    probe = probeImage(file, 0);
    EXPECT_EQ(probe.kind, 1);
    EXPECT_EQ(probe.width, 6);
    EXPECT_EQ(probe.bitsPerPixel, 24);
    file.close();

    // A PNG of colour type 4 is 8 bits with full alpha.
    Bytes png = { 0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 13, 'I', 'H', 'D', 'R', //
        0, 0, 1, 0, // width 256
        0, 0, 0, 3, // height 3
        8, 4 }; // depth 8, grey with alpha
    put(png);
    ASSERT_TRUE(open(file));
    probe = probeImage(file, 0);
    EXPECT_EQ(probe.kind, 4);
    EXPECT_EQ(probe.width, 256);
    EXPECT_EQ(probe.bitsPerPixel, 8);
    EXPECT_EQ(probe.alphaKind, 2);
    file.close();

    put({ 'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e' });
    ASSERT_TRUE(open(file));
    EXPECT_EQ(probeImage(file, 0).kind, 240);
}

TEST_F(McgFile, MpegSequenceHeaderMustLieInItsWindow)
{
    for (size_t at : { size_t(3000), size_t(4088), size_t(4089) }) {
        Bytes mpeg(5000, 0);
        mpeg[2] = 1;
        mpeg[3] = 0xBA;
        mpeg[4] = 0x21;
        mpeg[at + 2] = 1;
        mpeg[at + 3] = 0xB3;
        mpeg[at + 4] = 0x14; // width 0x140 = 320
        mpeg[at + 5] = 0x00;
        mpeg[at + 6] = 0xF0; // height 0x0F0 = 240
        put(mpeg);
        FCFile file;
        ASSERT_TRUE(open(file));
        const ImageProbe probe = probeImage(file, 0);
        if (at + 3 <= 4091) {
            EXPECT_EQ(probe.kind, 242) << at;
            EXPECT_EQ(probe.width, 320);
            EXPECT_EQ(probe.height, 240);
        } else {
            EXPECT_EQ(probe.kind, 240) << at;
        }
    }
}

TEST(BmpReader, CoreHeaderGetsAFullTable)
{
    // A 12-byte header, 8 bits, 2 x 1, a table of 256 triples.
    Bytes file = { 'B', 'M' };
    put32(file, 14 + 12 + 768 + 4); // file size
    put32(file, 0);
    put32(file, 14 + 12 + 768); // pixel offset
    put32(file, 12);
    file.insert(file.end(), { 2, 0, 1, 0, 1, 0, 8, 0 }); // width, height, planes, bit count
    for (int i = 0; i < 256; ++i)
        file.insert(file.end(), { uint8_t(i), uint8_t(255 - i), 7 });
    file.insert(file.end(), { 1, 200, 0, 0 });
    FCDib dib;
    ASSERT_TRUE(bmpToDib(file.data(), file.size(), dib));
    EXPECT_EQ(dib.tableEntries(), 256u);
    EXPECT_EQ(dib.colors[4 * 200 + 1], 55);
    EXPECT_EQ(dib.colors[4 * 200 + 3], 0);
    Bytes pixels(8);
    SurfaceLoad::dibToPixels32(dib, pixels.data());
    EXPECT_EQ(pixels, (Bytes { 1, 254, 7, 0, 200, 55, 7, 0 }));
}

TEST(UxCgSurface, DescribesRowsBottomUp)
{
    UxCgSurface grey;
    uint8_t buffer[3 * 8] = {};
    grey.set(buffer, 5, 3, UxCgSurface::kOneByte | UxCgSurface::kPadded);
    EXPECT_EQ(grey.palette.count, 256);
    EXPECT_EQ(grey.palette.entries[4 * 9 + 2], 9);
    EXPECT_EQ(grey.stride(), 8);
    EXPECT_EQ(grey.pixelAt(1, 0), buffer + 2 * 8 + 1);
    EXPECT_EQ(grey.pixelAt(5, 0), nullptr);

    UxCgSurface colour;
    ASSERT_TRUE(colour.allocate(5, 2, UxCgSurface::kBgr | UxCgSurface::kAlphaZero));
    EXPECT_EQ(colour.bytesPerPixel(), 4);
    EXPECT_EQ(colour.stride(), 20);
    EXPECT_EQ(colour.palette.count, 0);
    EXPECT_EQ(colour.pixelAt(4, 1), static_cast<uint8_t*>(colour.bits) + 16);
    EXPECT_FALSE(colour.allocate(0x7FFFFFFF, 2, UxCgSurface::kPadded));
    EXPECT_EQ(colour.bits, nullptr);
}

namespace {

// A scratch file per call: loadMemory is used from plain tests too.
SurfaceLoad::Picture loadMemory(const Bytes& bytes, uint32_t flags, int32_t key)
{
    static int counter = 0;
    const std::string path = "mcg-load-" + std::to_string(processId()) + "-" + std::to_string(counter++) + ".tmp";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    SurfaceLoad::Picture picture;
    {
        FCFile file;
        if (file.open(path.c_str(), FCFile::kOpenExisting, FCFile::kRead) == 0)
            SurfaceLoad::loadStream(file, flags, key, picture);
    }
    std::remove(path.c_str());
    return picture;
}

} // namespace

TEST_F(McgFile, LzssFileSlotsWriteGroupsAndReadToTheEnd)
{
    const Sample s = sample(40, 10, 6);
    UxCompressLzssOrg codec;
    Bytes stream(s.pixels.size() * 2);
    stream.resize(static_cast<size_t>(codec.compress(stream.data(), static_cast<int32_t>(stream.size()),
        s.pixels.data(), static_cast<int32_t>(s.pixels.size()), UxCompressAlgorithm::kMethodPlain)));
    {
        FCFile file;
        ASSERT_EQ(file.open(m_path.c_str(), FCFile::kCreateAlways, FCFile::kReadWrite), 0u);
        file.write("xy", 2);
        codec.compressToFile(
            file, s.pixels.data(), static_cast<int32_t>(s.pixels.size()), UxCompressAlgorithm::kMethodPlain);
        // Method 3 writes nothing to a file.
        codec.compressToFile(
            file, s.pixels.data(), static_cast<int32_t>(s.pixels.size()), UxCompressAlgorithm::kMethodLzss2);
    }
    FCFile file;
    ASSERT_TRUE(open(file));
    EXPECT_EQ(file.size(), static_cast<int64_t>(stream.size() + 2));
    file.seek(FCFile::kFromStart, 2);
    Bytes output(s.pixels.size(), 0);
    codec.decompressFile(
        file, output.data(), static_cast<int32_t>(output.size()), -1, UxCompressAlgorithm::kMethodPlain);
    EXPECT_EQ(output, s.pixels);
    // A closed file does nothing.
    FCFile closed;
    codec.decompressFile(closed, output.data(), 4, -1, UxCompressAlgorithm::kMethodPlain);
}
