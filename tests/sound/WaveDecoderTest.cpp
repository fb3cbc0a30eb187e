#include <gtest/gtest.h>

#include <cstddef>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "foundation/FCPath.h"
#include "sound/FCWaveDecoder.h"
#include "sound/FCWaveDecoder_ADPCM.h"
#include "sound/FCWaveDecoder_PCM.h"
#include "support/ContractLayout.h"
#include "tests/sound/SoundTestFiles.h"

using namespace soundtest;

// Scenario modules reach decoders through their channel: the members lie in
// their contract order with their contract widths.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
LUMIVEX_MEMBER_AT(SoundEntry, marker, 0);
LUMIVEX_MEMBER_AT(SoundEntry, fileName, 4);
LUMIVEX_MEMBER_AT(SoundEntry, offset, 16);
LUMIVEX_MEMBER_AT(SoundEntry, size, 24);
LUMIVEX_SIZE_IS(SoundEntry, 32);
LUMIVEX_MEMBER_AT(FCWaveDecoder, scrambleSkip, 4);
LUMIVEX_MEMBER_AT(FCWaveDecoder, scrambleKey, 8);
LUMIVEX_MEMBER_AT(FCWaveDecoder, scrambleWords, 12);
LUMIVEX_MEMBER_AT(FCWaveDecoder, entry, 16);
LUMIVEX_SIZE_IS(FCWaveDecoder, 48);
static_assert(ascending({ offsetof(SoundEntry, marker), offsetof(SoundEntry, fileName), offsetof(SoundEntry, offset),
    offsetof(SoundEntry, reserved1), offsetof(SoundEntry, size), offsetof(SoundEntry, reserved2) }));
static_assert(ascending({ offsetof(FCWaveDecoder, scrambleSkip), offsetof(FCWaveDecoder, scrambleKey),
    offsetof(FCWaveDecoder, scrambleWords), offsetof(FCWaveDecoder, entry) }));
LUMIVEX_MEMBER_AT(SoundBlock, data, 0);
LUMIVEX_MEMBER_AT(SoundBlock, flags, 4);
LUMIVEX_MEMBER_AT(SoundBlock, channel, 8);
LUMIVEX_MEMBER_AT(SoundBlock, capacity, 12);
LUMIVEX_MEMBER_AT(SoundBlock, used, 16);
#pragma GCC diagnostic pop

namespace {

Decoded decodeFile(int32_t type, const Bytes& content, bool* opened = nullptr)
{
    TempFile file(content, "sound.wav");
    EXPECT_TRUE(file.written());
    std::unique_ptr<FCWaveDecoder> decoder(createWaveDecoder(type));
    bool ok = decoder->open(file.path(), -1);
    if (opened)
        *opened = ok;
    return decodeAll(*decoder, 1000);
}

// 2048 output frames a block: the expected frames padded with zeros.
std::vector<int16_t> padToBlocks(std::vector<int16_t> frames)
{
    frames.resize((frames.size() + 4095) / 4096 * 4096, 0);
    return frames;
}

// --- PCM ---

struct PcmCase {
    uint16_t bits;
    uint16_t channels;
    uint32_t rate;
};

class PcmDecoding : public ::testing::TestWithParam<PcmCase> { };

// Input frames traceable to their index, raised to 44.1 kHz stereo by
// repetition; the last block is zero-padded.
TEST_P(PcmDecoding, EveryFrameRepeatedToStereoAt44100)
{
    PcmCase c = GetParam();
    int repeat = int(44100 / c.rate);
    int inFrames = 2 * 2048 / repeat + 123;
    Bytes data;
    std::vector<int16_t> expected;
    for (int i = 0; i < inFrames; ++i) {
        int16_t values[2];
        for (int ch = 0; ch < c.channels; ++ch) {
            if (c.bits == 8) {
                uint8_t byte = uint8_t(i * 5 + ch * 101);
                data.push_back(byte);
                values[ch] = int16_t((byte - 128) * 256);
            } else {
                int16_t sample = int16_t(i * 37 - 20000 + ch * 7001);
                put16(data, uint16_t(sample));
                values[ch] = sample;
            }
        }
        for (int r = 0; r < repeat; ++r) {
            expected.push_back(values[0]);
            expected.push_back(values[c.channels - 1]);
        }
    }
    WaveFields fields;
    fields.bits = c.bits;
    fields.channels = c.channels;
    fields.rate = c.rate;
    bool opened = false;
    Decoded out = decodeFile(FCWaveDecoder::kPcm, makeWave(fields, data), &opened);
    EXPECT_TRUE(opened);
    EXPECT_EQ(out.samples, padToBlocks(expected));
    for (uint32_t flags : out.flags)
        EXPECT_EQ(flags & SoundBlock::kSilent, 0u);
}

INSTANTIATE_TEST_SUITE_P(DepthsChannelsRates, PcmDecoding,
    ::testing::Values(PcmCase { 8, 1, 11025 }, PcmCase { 8, 1, 22050 }, PcmCase { 8, 1, 44100 },
        PcmCase { 8, 2, 11025 }, PcmCase { 8, 2, 22050 }, PcmCase { 8, 2, 44100 }, PcmCase { 16, 1, 11025 },
        PcmCase { 16, 1, 22050 }, PcmCase { 16, 1, 44100 }, PcmCase { 16, 2, 11025 }, PcmCase { 16, 2, 22050 },
        PcmCase { 16, 2, 44100 }),
    [](const auto& info) {
        return std::to_string(info.param.bits) + "bit" + std::to_string(info.param.channels) + "ch"
            + std::to_string(info.param.rate);
    });

TEST(PcmDecoder, QuietBlocksAreMarkedSilentUpToEight)
{
    for (int16_t level : { int16_t(8), int16_t(-8), int16_t(9), int16_t(-9) }) {
        Bytes data;
        for (int i = 0; i < 2048 * 2; ++i)
            put16(data, uint16_t(i % 100 == 0 ? level : 0));
        Decoded out = decodeFile(FCWaveDecoder::kPcm, makeWave(WaveFields {}, data));
        ASSERT_EQ(out.blocks(), 1u);
        EXPECT_EQ(out.flags[0] & SoundBlock::kSilent, std::abs(level) <= 8 ? 1u : 0u) << level;
    }
}

TEST(PcmDecoder, DataLengthPastTheFileStopsAtItsEnd)
{
    Bytes data(4 * 3000, 0x11);
    WaveFields fields;
    fields.dataLength = 0x7FFFFFF0;
    Decoded out = decodeFile(FCWaveDecoder::kPcm, makeWave(fields, data));
    ASSERT_EQ(out.blocks(), 2u);
    EXPECT_EQ(out.samples[2 * 2999], 0x1111);
    EXPECT_EQ(out.samples[2 * 3000], 0);
}

TEST(PcmDecoder, RewindStartsAgainAndASmallBlockGetsItsShareOnly)
{
    Bytes data;
    for (int i = 0; i < 2048 * 3; ++i)
        put16(data, uint16_t(i)), put16(data, uint16_t(-i));
    TempFile file(makeWave(WaveFields {}, data), "sound.wav");
    FCWaveDecoder_PCM decoder;
    ASSERT_TRUE(decoder.open(file.path(), -1));
    Decoded first = decodeAll(decoder);
    decoder.rewind();
    EXPECT_EQ(decodeAll(decoder).samples, first.samples);
    // A block of 100 bytes takes the first 25 frames of each 2048.
    decoder.rewind();
    Decoded small = decodeAll(decoder, 1000, 100);
    ASSERT_EQ(small.blocks(), 3u);
    EXPECT_EQ(small.samples[50], 2048);
    EXPECT_EQ(small.samples[51], -2048);
}

// Files the PCM decoder refuses: it stays empty and the sound ends.
TEST(PcmDecoder, RefusedFilesEndTheSound)
{
    Bytes data(4096, 1);
    auto variant = [&](auto change) {
        WaveFields fields;
        change(fields);
        return makeWave(fields, data);
    };
    Bytes good = makeWave(WaveFields {}, data);
    Bytes bigJunk;
    putTag(bigJunk, "junk");
    put32(bigJunk, 5000);
    bigJunk.resize(5008, 0);
    Bytes farFmt = good;
    farFmt.insert(farFmt.begin() + 12, bigJunk.begin(), bigJunk.end());
    const std::vector<std::pair<const char*, Bytes>> cases = {
        { "truncated header", Bytes(good.begin(), good.begin() + 30) },
        { "no RIFF", Bytes(4096, 'R') },
        { "zero channels", variant([](WaveFields& f) { f.channels = 0, f.blockAlign = 2; }) },
        { "three channels", variant([](WaveFields& f) { f.channels = 3; }) },
        { "24 bits", variant([](WaveFields& f) { f.bits = 24; }) },
        { "48000 Hz", variant([](WaveFields& f) { f.rate = 48000; }) },
        { "8000 Hz", variant([](WaveFields& f) { f.rate = 8000; }) },
        { "block alignment 0", variant([](WaveFields& f) { f.blockAlign = 0xFFFF; }) },
        { "absurd block alignment", variant([](WaveFields& f) { f.blockAlign = 4097; }) },
        { "ADPCM tag", variant([](WaveFields& f) { f.tag = 0x11; }) },
        { "format beyond 4096 bytes", farFmt },
        { "empty data", makeWave(WaveFields {}, Bytes {}) },
    };
    for (const auto& [name, content] : cases) {
        bool opened = true;
        Decoded out = decodeFile(FCWaveDecoder::kPcm, content, &opened);
        EXPECT_FALSE(opened) << name;
        EXPECT_EQ(out.blocks(), 0u) << name;
    }
}

// --- IMA ADPCM ---

// A reference written from the format's description, independent of the
// decoder: the standard tables, low nibble first, stereo in groups of four
// bytes per channel.
const int kStep[89] = { 7, 8, 9, 10, 11, 12, 13, 14, 16, 17, 19, 21, 23, 25, 28, 31, 34, 37, 41, 45, 50, 55, 60, 66, 73,
    80, 88, 97, 107, 118, 130, 143, 157, 173, 190, 209, 230, 253, 279, 307, 337, 371, 408, 449, 494, 544, 598, 658, 724,
    796, 876, 963, 1060, 1166, 1282, 1411, 1552, 1707, 1878, 2066, 2272, 2499, 2749, 3024, 3327, 3660, 4026, 4428, 4871,
    5358, 5894, 6484, 7132, 7845, 8630, 9493, 10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623,
    27086, 29794, 32767 };
const int kIndexChange[16] = { -1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8 };

struct RefChannel {
    int sample;
    int index;
    int16_t next(int nibble)
    {
        int step = kStep[index];
        int diff = step / 8;
        if (nibble & 4)
            diff += step;
        if (nibble & 2)
            diff += step / 2;
        if (nibble & 1)
            diff += step / 4;
        sample += (nibble & 8) ? -diff : diff;
        sample = std::max(-32768, std::min(32767, sample));
        index = std::max(0, std::min(88, index + kIndexChange[nibble]));
        return int16_t(sample);
    }
};

// Decodes `bytes` of one block into interleaved samples (all of them).
std::vector<int16_t> referenceBlock(const uint8_t* in, size_t bytes, int channels)
{
    std::vector<std::vector<int16_t>> perChannel(channels);
    RefChannel state[2];
    for (int c = 0; c < channels; ++c) {
        state[c].sample = int16_t(in[4 * c] | (in[4 * c + 1] << 8));
        state[c].index = std::min<int>(in[4 * c + 2], 88);
        perChannel[c].push_back(int16_t(state[c].sample));
    }
    size_t at = 4 * channels;
    while (at + 4 * channels <= bytes) {
        for (int c = 0; c < channels; ++c) {
            for (int k = 0; k < 4; ++k) {
                uint8_t byte = in[at + 4 * c + k];
                perChannel[c].push_back(state[c].next(byte & 15));
                perChannel[c].push_back(state[c].next(byte >> 4));
            }
        }
        at += 4 * channels;
    }
    // Mono: the bytes after the last whole group of four.
    if (channels == 1)
        for (; at < bytes; ++at) {
            perChannel[0].push_back(state[0].next(in[at] & 15));
            perChannel[0].push_back(state[0].next(in[at] >> 4));
        }
    std::vector<int16_t> out;
    for (size_t i = 0; i < perChannel[0].size(); ++i)
        for (int c = 0; c < channels; ++c)
            out.push_back(perChannel[c][i]);
    return out;
}

// Random ADPCM blocks with valid headers.
Bytes randomAdpcm(std::mt19937& random, size_t blocks, size_t blockAlign, size_t lastBytes, int channels)
{
    Bytes data(blocks * blockAlign + lastBytes);
    for (auto& byte : data)
        byte = uint8_t(random());
    for (size_t b = 0; b <= blocks; ++b)
        for (int c = 0; c < channels; ++c) {
            size_t at = b * blockAlign + 4 * c;
            if (at + 4 <= data.size())
                data[at + 2] = uint8_t(random() % 89), data[at + 3] = 0;
        }
    return data;
}

struct AdpcmCase {
    int channels;
    uint32_t rate;
    uint16_t blockAlign;
    size_t lastBytes; // of a short last block (0: none)
};

class AdpcmDecoding : public ::testing::TestWithParam<AdpcmCase> { };

TEST_P(AdpcmDecoding, MatchesTheReferenceDecoder)
{
    AdpcmCase c = GetParam();
    std::mt19937 random(c.blockAlign * 7 + c.channels + c.lastBytes);
    uint16_t samplesPerBlock = uint16_t((c.blockAlign - 4 * c.channels) * 2 / c.channels + 1);
    Bytes data = randomAdpcm(random, 9, c.blockAlign, c.lastBytes, c.channels);
    std::vector<int16_t> samples;
    for (size_t at = 0; at < data.size(); at += c.blockAlign) {
        size_t bytes = std::min<size_t>(c.blockAlign, data.size() - at);
        if (bytes < size_t(4 * c.channels))
            break;
        std::vector<int16_t> block = referenceBlock(data.data() + at, bytes, c.channels);
        samples.insert(samples.end(), block.begin(), block.end());
    }
    int repeat = int(44100 / c.rate);
    std::vector<int16_t> expected;
    for (size_t i = 0; i < samples.size(); i += c.channels)
        for (int r = 0; r < repeat; ++r) {
            expected.push_back(samples[i]);
            expected.push_back(samples[i + c.channels - 1]);
        }
    WaveFields fields;
    fields.tag = 0x11;
    fields.channels = uint16_t(c.channels);
    fields.rate = c.rate;
    fields.bits = 4;
    fields.blockAlign = c.blockAlign;
    fields.samplesPerBlock = samplesPerBlock;
    bool opened = false;
    Decoded out = decodeFile(FCWaveDecoder::kAdpcm, makeWave(fields, data), &opened);
    EXPECT_TRUE(opened);
    EXPECT_EQ(out.samples, padToBlocks(expected));
}

INSTANTIATE_TEST_SUITE_P(MonoStereoShortLastBlock, AdpcmDecoding,
    ::testing::Values(AdpcmCase { 1, 22050, 256, 0 }, AdpcmCase { 1, 44100, 512, 100 }, AdpcmCase { 1, 11025, 256, 5 },
        AdpcmCase { 2, 44100, 512, 0 }, AdpcmCase { 2, 22050, 1024, 48 }, AdpcmCase { 2, 11025, 256, 8 }),
    [](const auto& info) {
        return std::to_string(info.param.channels) + "ch" + std::to_string(info.param.rate) + "align"
            + std::to_string(info.param.blockAlign) + "last" + std::to_string(info.param.lastBytes);
    });

TEST(AdpcmDecoder, RefusedFilesEndTheSound)
{
    std::mt19937 random(5);
    Bytes data = randomAdpcm(random, 4, 256, 0, 1);
    WaveFields good;
    good.tag = 0x11;
    good.channels = 1;
    good.bits = 4;
    good.blockAlign = 256;
    good.samplesPerBlock = 505;
    auto variant = [&](auto change) {
        WaveFields fields = good;
        change(fields);
        return makeWave(fields, data);
    };
    Bytes noData = makeWave(good, data);
    std::memcpy(noData.data() + 40, "dat_", 4);
    // A chunk between the format and the data whose length runs off the end.
    Bytes runaway;
    putTag(runaway, "LIST");
    put32(runaway, 0xFFFFFFF0);
    const std::vector<std::pair<const char*, Bytes>> cases = {
        { "no data chunk", noData },
        { "chunk length past the file", makeWave(good, data, runaway) },
        { "zero channels", variant([](WaveFields& f) { f.channels = 0; }) },
        { "three channels", variant([](WaveFields& f) { f.channels = 3; }) },
        { "samples per block beyond the block", variant([](WaveFields& f) { f.samplesPerBlock = 600; }) },
        { "block alignment 0", variant([](WaveFields& f) {
             f.blockAlign = 0;
             f.samplesPerBlock = 1;
         }) },
        { "zero samples per block", variant([](WaveFields& f) { f.samplesPerBlock = 0; }) },
        { "48000 Hz", variant([](WaveFields& f) { f.rate = 48000; }) },
        { "PCM tag", variant([](WaveFields& f) { f.tag = 1; }) },
        { "truncated header", Bytes(noData.begin(), noData.begin() + 30) },
    };
    for (const auto& [name, content] : cases) {
        bool opened = true;
        Decoded out = decodeFile(FCWaveDecoder::kAdpcm, content, &opened);
        EXPECT_FALSE(opened) << name;
        EXPECT_EQ(out.blocks(), 0u) << name;
    }
}

TEST(AdpcmDecoder, DiscardedAndQuietBlocksAreSilent)
{
    // Header sample 40, index 0, then nibbles 0 (+1 each): loud enough to
    // be heard (above 32).
    Bytes data(256, 0);
    data[0] = 40;
    WaveFields fields;
    fields.tag = 0x11;
    fields.channels = 1;
    fields.bits = 4;
    fields.blockAlign = 256;
    fields.samplesPerBlock = 505;
    TempFile file(makeWave(fields, data), "sound.wav");
    FCWaveDecoder_ADPCM decoder;
    ASSERT_TRUE(decoder.open(file.path(), -1));
    EXPECT_EQ(decodeAll(decoder).flags, std::vector<uint32_t> { 0 });
    decoder.rewind();
    EXPECT_EQ(decodeAll(decoder, 10, SoundBlock::kBytes, SoundBlock::kDiscard).flags,
        std::vector<uint32_t> { SoundBlock::kSilent | SoundBlock::kDiscard });
}

// --- Type detection ---

TEST(DetectType, ByExtensionThenByFirstBytes)
{
    Bytes pcm = makeWave(WaveFields {}, Bytes(64, 0));
    WaveFields adpcmFields;
    adpcmFields.tag = 0x11;
    Bytes adpcm = makeWave(adpcmFields, Bytes(64, 0));
    WaveFields floatFields;
    floatFields.tag = 3;
    Bytes junk;
    putTag(junk, "junk");
    put32(junk, 1100);
    junk.resize(1108, 0);
    Bytes farFmt = pcm;
    farFmt.insert(farFmt.begin() + 12, junk.begin(), junk.end());
    Bytes id3 = { 'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0, 0xFF, 0xFB, 0x92, 0 };
    const std::vector<std::tuple<const char*, const char*, Bytes, int32_t>> cases = {
        { "PCM", "a.wav", pcm, 0 },
        { "ADPCM", "a.wav", adpcm, 1 },
        { "float WAVE", "a.wav", makeWave(floatFields, Bytes(64, 0)), -1 },
        { "format chunk past 1024 bytes", "a.wav", farFmt, -1 },
        { "MP3 128k 44.1k padded", "a.mp3", Bytes { 0xFF, 0xFB, 0x92, 0x64, 0, 0 }, 2 },
        { "MP3 unpadded", "a.mp3", Bytes { 0xFF, 0xFB, 0x90, 0x64, 0, 0 }, -1 },
        { "MP3 after an ID3v2 tag", "a.mp3", id3, -1 },
        { "ASF", "a.wma", Bytes { 0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66 }, 3 },
        { "Ogg", "a.oga", Bytes { 'O', 'g', 'g', 'S', 0 }, 4 },
        { "extension v", "a.V", pcm, 5 },
        { "extension ogg", "a.OGG", pcm, 4 },
        { "text", "a.txt", Bytes { 'h', 'e', 'l', 'l', 'o' }, -1 },
        { "one byte", "a.bin", Bytes { 0xFF }, -1 },
        { "empty", "a.wav", Bytes {}, -2 },
    };
    for (const auto& [what, name, content, type] : cases) {
        TempFile file(content, name);
        EXPECT_EQ(detectType(file.path()), type) << what;
    }
    EXPECT_EQ(detectType(tempPath("missing.wav").c_str()), -2);
    // The extension decides before the file is looked at.
    EXPECT_EQ(detectType(tempPath("missing.v").c_str()), 5);
}

// --- Descrambling ---

TEST(Descramble, OnlyTheGivenWordsWithAKeyAndNoSkip)
{
    class Probe : public FCWaveDecoder_PCM { };
    auto run = [](int32_t skip, uint32_t key, uint32_t words) {
        Probe decoder;
        decoder.scrambleSkip = skip;
        decoder.scrambleKey = key;
        decoder.scrambleWords = words;
        std::vector<uint32_t> data = { 0x80000001, 0x12345678, 3, 4, 5, 6, 7, 8, 9, 10 };
        decoder.descramble(data.data(), uint32_t(data.size()));
        return data;
    };
    std::vector<uint32_t> plain = { 0x80000001, 0x12345678, 3, 4, 5, 6, 7, 8, 9, 10 };
    EXPECT_EQ(run(0, 0, 4), plain);
    EXPECT_EQ(run(1, 0xABCD, 4), plain);
    EXPECT_EQ(run(0, 0xABCD, 0), plain);
    std::vector<uint32_t> four = run(0, 0xABCD, 4);
    // rotate-left by 2, 15, 7, 11, then XOR the key.
    EXPECT_EQ(four[0], ((0x80000001u << 2) | (0x80000001u >> 30)) ^ 0xABCDu);
    EXPECT_EQ(four[1], ((0x12345678u << 15) | (0x12345678u >> 17)) ^ 0xABCDu);
    EXPECT_EQ(four[2], (3u << 7) ^ 0xABCDu);
    EXPECT_EQ(four[3], (4u << 11) ^ 0xABCDu);
    EXPECT_EQ(
        std::vector<uint32_t>(four.begin() + 4, four.end()), std::vector<uint32_t>(plain.begin() + 4, plain.end()));
    // Word 8 rotates by R[0] again.
    std::vector<uint32_t> all = run(0, 1, 100);
    EXPECT_EQ(all[8], (9u << 2) ^ 1u);
}

} // namespace
