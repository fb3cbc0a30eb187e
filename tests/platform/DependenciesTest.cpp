#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include <jpeglib.h>
#include <mpg123.h>
#include <png.h>
#include <vorbis/codec.h>

// The image and sound libraries link and run in this build, at the versions
// the build pins.
TEST(Dependencies, VersionsArePinned)
{
    EXPECT_EQ(png_access_version_number(), 10639u);
    EXPECT_EQ(JPEG_LIB_VERSION, 62);
    EXPECT_NE(std::string(vorbis_version_string()).find("1.3.7"), std::string::npos) << vorbis_version_string();
    // mpg123 1.31 is interface version 47.
    EXPECT_EQ(MPG123_API_VERSION, 47);
}

TEST(Dependencies, DecodersStart)
{
    ASSERT_EQ(mpg123_init(), MPG123_OK);
    int error = 0;
    mpg123_handle* mp3 = mpg123_new(nullptr, &error);
    ASSERT_NE(mp3, nullptr) << mpg123_plain_strerror(error);
    EXPECT_EQ(mpg123_open_feed(mp3), MPG123_OK);
    mpg123_delete(mp3);

    jpeg_decompress_struct jpeg {};
    jpeg_error_mgr errors {};
    jpeg.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&jpeg);
    jpeg_destroy_decompress(&jpeg);

    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    ASSERT_NE(png, nullptr);
    png_destroy_read_struct(&png, nullptr, nullptr);
}
