#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "foundation/FCFile.h"
#include "image/ImageProbe.h"
#include "image/SurfaceLoad.h"
#include "surface/FCDib.h"

namespace {

using Bytes = std::vector<uint8_t>;

void put32(Bytes& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void put16(Bytes& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

// A 3 x 2 picture: pixel (x, y) from the top.
constexpr int32_t kW = 3, kH = 2;
uint32_t colourAt(int32_t x, int32_t y)
{
    return 0x00102030u + uint32_t(x) * 0x00010407u + uint32_t(y) * 0x00400000u;
}

struct Form {
    const char* name;
    bool core; // the 12-byte header
    int32_t bitCount;
    bool topDown;
    uint32_t usedColours; // the info header's count (0: as many as the depth gives)
};

// A BMP of the picture in a form. 8-bit forms hold entry i = the colour of
// pixel i (top-down order) and the indices 0..5; a 32-bit form keeps a
// fourth byte of 0x5A.
Bytes bmp(const Form& f)
{
    const int32_t entries = f.bitCount > 8 ? 0 : f.usedColours ? int32_t(f.usedColours) : 1 << f.bitCount;
    const int32_t entryBytes = f.core ? 3 : 4;
    const int32_t headerBytes = f.core ? 12 : 40;
    const int32_t stride = (kW * f.bitCount / 8 + 3) & ~3;
    const uint32_t offset = 14 + headerBytes + entries * entryBytes;
    Bytes out = { 'B', 'M' };
    put32(out, offset + stride * kH);
    put32(out, 0);
    put32(out, offset);
    put32(out, uint32_t(headerBytes));
    if (f.core) {
        put16(out, kW);
        put16(out, kH);
        put16(out, 1);
        put16(out, static_cast<uint16_t>(f.bitCount));
    } else {
        put32(out, kW);
        put32(out, static_cast<uint32_t>(f.topDown ? -kH : kH));
        put16(out, 1);
        put16(out, static_cast<uint16_t>(f.bitCount));
        for (uint32_t v : { 0u, 0u, 0u, 0u, f.usedColours, 0u })
            put32(out, v);
    }
    for (int32_t i = 0; i < entries; ++i) {
        const uint32_t c = i < kW * kH ? colourAt(i % kW, i / kW) : 0;
        out.insert(out.end(), { uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16) });
        if (!f.core)
            out.push_back(0);
    }
    for (int32_t r = 0; r < kH; ++r) {
        const int32_t y = f.topDown ? r : kH - 1 - r;
        Bytes row;
        for (int32_t x = 0; x < kW; ++x) {
            const uint32_t c = colourAt(x, y);
            if (f.bitCount == 8)
                row.push_back(static_cast<uint8_t>(y * kW + x));
            else
                row.insert(row.end(), { uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16) });
            if (f.bitCount == 32)
                row.push_back(0x5A);
        }
        row.resize(size_t(stride), 0);
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

} // namespace

// Every form a BMP may take reaches the surface as the same picture.
TEST(BmpReader, EveryAcceptedFormGivesThePicture)
{
    const Form forms[] = {
        { "info, 24 bits", false, 24, false, 0 },
        { "info, 24 bits, top-down", false, 24, true, 0 },
        { "info, 32 bits", false, 32, false, 0 },
        { "info, 8 bits, full table", false, 8, false, 0 },
        { "info, 8 bits, 6 colours used", false, 8, false, 6 },
        { "info, 8 bits, 6 colours used, top-down", false, 8, true, 6 },
        { "core, 24 bits", true, 24, false, 0 },
        { "core, 8 bits", true, 8, false, 0 },
    };
    for (const Form& f : forms) {
        const Bytes file = bmp(f);
        ASSERT_EQ(classifyImage(file.data(), file.size()), kImageBmp) << f.name;
        FCDib dib;
        ASSERT_TRUE(bmpToDib(file.data(), file.size(), dib)) << f.name;
        SurfaceLoad::Picture picture;
        ASSERT_EQ(picture.loadDib(dib), 1) << f.name;
        ASSERT_EQ(picture.width(), kW) << f.name;
        ASSERT_EQ(picture.height(), kH) << f.name;
        for (int32_t y = 0; y < kH; ++y)
            for (int32_t x = 0; x < kW; ++x) {
                uint32_t got = 0;
                std::memcpy(&got, picture.pixelAt(x, y), 4);
                const uint32_t want = colourAt(x, y) | (f.bitCount == 32 ? 0x5A000000u : 0u);
                EXPECT_EQ(got, want) << f.name << " at " << x << "," << y;
            }
    }
}

// Counts and offsets that lie: no read outside the file, no picture from
// rows the file does not hold.
TEST(BmpReader, LyingHeadersAreRefused)
{
    Bytes manyColours = bmp({ "", false, 8, false, 6 });
    manyColours[14 + 32] = 0xE8; // 1000 colours used
    manyColours[14 + 33] = 0x03;
    Bytes huge = bmp({ "", false, 24, false, 0 });
    huge[14 + 4] = 0xFF; // width 0x7FFFFFFF
    huge[14 + 5] = 0xFF;
    huge[14 + 6] = 0xFF;
    huge[14 + 7] = 0x7F;
    Bytes cut = bmp({ "", false, 24, false, 0 });
    cut.resize(cut.size() - 5);
    for (const Bytes* file : { &manyColours, &huge, &cut }) {
        FCDib dib;
        bmpToDib(file->data(), file->size(), dib);
        EXPECT_FALSE(SurfaceLoad::dibAccepted(dib));
    }
}

// A JPEG's probe reads its frame header through libjpeg: size and 8 bits a
// component, without decoding.
TEST(JpegProbe, SizeAndDepthFromTheHeader)
{
    for (int components : { 3, 1 }) {
        jpeg_compress_struct cinfo;
        jpeg_error_mgr error;
        cinfo.err = jpeg_std_error(&error);
        jpeg_create_compress(&cinfo);
        unsigned char* buffer = nullptr;
        unsigned long size = 0;
        jpeg_mem_dest(&cinfo, &buffer, &size);
        cinfo.image_width = 37;
        cinfo.image_height = 5;
        cinfo.input_components = components;
        cinfo.in_color_space = components == 3 ? JCS_RGB : JCS_GRAYSCALE;
        jpeg_set_defaults(&cinfo);
        jpeg_start_compress(&cinfo, TRUE);
        Bytes row(37 * size_t(components), 0x80);
        while (cinfo.next_scanline < cinfo.image_height) {
            JSAMPROW p = row.data();
            jpeg_write_scanlines(&cinfo, &p, 1);
        }
        jpeg_finish_compress(&cinfo);
        const Bytes jpeg(buffer, buffer + size);
        jpeg_destroy_compress(&cinfo);
        std::free(buffer);

        const std::string path = "jpeg-probe-" + std::to_string(components) + ".tmp";
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(jpeg.data(), 1, jpeg.size(), f);
        std::fclose(f);
        FCFile file;
        ASSERT_EQ(file.open(path.c_str(), FCFile::kOpenExisting, FCFile::kRead), 0u);
        const ImageProbe probe = probeImage(file, 0);
        EXPECT_EQ(probe.kind, kImageJpeg);
        EXPECT_EQ(probe.width, 37);
        EXPECT_EQ(probe.height, 5);
        EXPECT_EQ(probe.bitsPerPixel, 8 * components);
        EXPECT_EQ(file.position(), 0);
        file.close();
        std::remove(path.c_str());
    }
}
