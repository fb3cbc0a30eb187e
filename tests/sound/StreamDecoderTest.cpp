#include <gtest/gtest.h>

#include <vorbis/vorbisfile.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "foundation/FCPath.h"
#include "sound/FCWaveDecoder.h"
#include "sound/FCWaveDecoder_MP3.h"
#include "sound/FCWaveDecoder_V.h"
#include "sound/FCWaveDecoder_VORBIS.h"
#include "tests/sound/SoundTestFiles.h"

using namespace soundtest;

// Ogg Vorbis, MP3 and the engine's packet format. The Ogg and MP3 inputs
// are the fuzz seeds (made by oggenc and lame); comparisons with the
// reference command-line decoders are in lvtool-sound-test.sh.

namespace {

#ifndef LUMIVEX_SOUND_INPUTS
#define LUMIVEX_SOUND_INPUTS "tests/sound/inputs/"
#endif

Bytes readInput(const char* name)
{
    return readFile(std::string(LUMIVEX_SOUND_INPUTS) + name);
}

// --- Ogg Vorbis ---

// The same stream through vorbisfile, converted as the host converts:
// truncate(sample * 32767), clamped, mono to both sides; padded to blocks.
std::vector<int16_t> vorbisfileReference(const Bytes& ogg)
{
    MemoryStream stream { &ogg, 0 };
    OggVorbis_File file;
    ov_callbacks callbacks = { readMemory, nullptr, nullptr, nullptr };
    std::vector<int16_t> out;
    if (ov_open_callbacks(&stream, &file, nullptr, 0, callbacks) != 0)
        return out;
    int channels = ov_info(&file, -1)->channels;
    for (;;) {
        float** pcm = nullptr;
        int section = 0;
        long count = ov_read_float(&file, &pcm, 4096, &section);
        if (count <= 0)
            break;
        for (long i = 0; i < count; ++i)
            for (int c = 0; c < 2; ++c) {
                double v = double(pcm[channels > 1 ? c : 0][i]) * 32767.0;
                out.push_back(int16_t(std::trunc(std::max(-32768.0, std::min(32767.0, v)))));
            }
    }
    ov_clear(&file);
    out.resize((out.size() + 4095) / 4096 * 4096, 0);
    return out;
}

TEST(VorbisDecoder, MatchesVorbisfileWithTheHostsConversion)
{
    for (const char* name : { "ogg-seeds/mono.ogg", "ogg-seeds/stereo.ogg" }) {
        Bytes ogg = readInput(name);
        ASSERT_FALSE(ogg.empty()) << name;
        TempFile file(ogg);
        FCWaveDecoder_VORBIS decoder;
        ASSERT_TRUE(decoder.open(file.path(), -1)) << name;
        Decoded out = decodeAll(decoder);
        EXPECT_EQ(out.samples, vorbisfileReference(ogg)) << name;
        for (uint32_t flags : out.flags)
            EXPECT_EQ(flags & SoundBlock::kSilent, 0u);
        // Blocks of any size carry the same stream; the rest of the last is zero.
        decoder.rewind();
        Decoded small = decodeAll(decoder, 100000, 1000);
        small.samples.resize(out.samples.size(), 0);
        EXPECT_EQ(small.samples, out.samples) << name;
    }
}

TEST(VorbisDecoder, ScrambledStartIsDescrambledWithTheKey)
{
    Bytes ogg = readInput("ogg-seeds/stereo.ogg");
    ASSERT_GE(ogg.size(), 16u);
    // The scramble itself: XOR the key, then rotate right by R[i].
    const uint32_t key = 0x5A17C3E9, rotation[4] = { 2, 15, 7, 11 };
    Bytes scrambled = ogg;
    for (uint32_t i = 0; i < 4; ++i) {
        uint32_t word;
        std::memcpy(&word, scrambled.data() + 4 * i, 4);
        word ^= key;
        word = (word >> rotation[i]) | (word << (32 - rotation[i]));
        std::memcpy(scrambled.data() + 4 * i, &word, 4);
    }
    TempFile file(scrambled);
    FCWaveDecoder_VORBIS decoder;
    decoder.scrambleKey = key;
    decoder.scrambleWords = 4;
    ASSERT_TRUE(decoder.open(file.path(), -1));
    EXPECT_EQ(decodeAll(decoder).samples, vorbisfileReference(ogg));
    // Skipping the descramble leaves no Ogg page to find.
    FCWaveDecoder_VORBIS skipping;
    skipping.scrambleKey = key;
    skipping.scrambleWords = 4;
    skipping.scrambleSkip = 1;
    EXPECT_FALSE(skipping.open(file.path(), -1));
    EXPECT_EQ(decodeAll(skipping).blocks(), 0u);
}

TEST(VorbisDecoder, StopReleasesTheStreamAndRewindStartsAgain)
{
    TempFile file(readInput("ogg-seeds/stereo.ogg"));
    FCWaveDecoder_VORBIS decoder;
    ASSERT_TRUE(decoder.open(file.path(), -1));
    Decoded whole = decodeAll(decoder);
    decoder.rewind();
    ASSERT_EQ(decodeAll(decoder, 1).blocks(), 1u);
    decoder.stopHook();
    EXPECT_EQ(decodeAll(decoder).blocks(), 0u);
    decoder.rewind();
    EXPECT_EQ(decodeAll(decoder).samples, whole.samples);
}

TEST(VorbisDecoder, EntryInsideALargerFileReadsOnlyItsRegion)
{
    Bytes ogg = readInput("ogg-seeds/mono.ogg");
    Bytes archive(1000, 'x');
    archive.insert(archive.end(), ogg.begin(), ogg.end());
    // Another stream right after the entry must not be read.
    Bytes other = readInput("ogg-seeds/stereo.ogg");
    archive.insert(archive.end(), other.begin(), other.end());
    TempFile file(archive);
    SoundEntry entry;
    entry.marker = 1;
    entry.fileName = file.path();
    entry.offset = 1000;
    entry.size = uint32_t(ogg.size());
    for (int type : { FCWaveDecoder::kVorbis, FCWaveDecoder::kV }) {
        std::unique_ptr<FCWaveDecoder> decoder(createWaveDecoder(type));
        ASSERT_TRUE(decoder->openEntry(entry)) << type;
        EXPECT_EQ(decodeAll(*decoder).samples, vorbisfileReference(ogg)) << type;
    }
}

TEST(VorbisDecoder, AVFileHoldingOggPlaysAsVorbis)
{
    Bytes ogg = readInput("ogg-seeds/stereo.ogg");
    TempFile file(ogg, "sound.v");
    EXPECT_EQ(detectType(file.path()), FCWaveDecoder::kV);
    FCWaveDecoder_V decoder;
    ASSERT_TRUE(decoder.open(file.path(), -1));
    EXPECT_EQ(decodeAll(decoder).samples, vorbisfileReference(ogg));
}

// Streams cut anywhere (inside a packet, inside the headers, inside the
// first page) end cleanly after what they hold.
TEST(VorbisDecoder, TruncatedStreamsEndCleanly)
{
    Bytes ogg = readInput("ogg-seeds/stereo.ogg");
    std::vector<int16_t> whole = vorbisfileReference(ogg);
    for (size_t cut : { size_t(10), size_t(60), size_t(200), ogg.size() / 2, ogg.size() - 7 }) {
        TempFile file(Bytes(ogg.begin(), ogg.begin() + cut));
        FCWaveDecoder_VORBIS decoder;
        decoder.open(file.path(), -1);
        Decoded out = decodeAll(decoder, 1000);
        EXPECT_LE(out.samples.size(), whole.size()) << cut;
    }
}

// --- MP3 ---

TEST(Mp3Decoder, BlocksOfAnySizeCarryTheSameStreamAndTheLastIncompleteOneIsDropped)
{
    TempFile file(readInput("mp3-seeds/stereo.mp3"));
    FCWaveDecoder_MP3 decoder;
    ASSERT_TRUE(decoder.open(file.path(), -1));
    Decoded big = decodeAll(decoder, 1000, 40000);
    decoder.rewind();
    Decoded blocks = decodeAll(decoder);
    decoder.rewind();
    Decoded odd = decodeAll(decoder, 1000, 1001);
    // 0.1 s of lame: 6 frames of 1152 (4608 bytes each) and the decoder's delay.
    ASSERT_GE(blocks.blocks(), 2u);
    size_t n = blocks.samples.size();
    EXPECT_TRUE(big.samples.empty());
    ASSERT_GE(odd.samples.size(), n);
    // 1001-byte blocks take 1000 bytes (250 frames) each.
    std::vector<int16_t> oddStream;
    for (size_t b = 0; b < odd.blocks(); ++b)
        oddStream.insert(oddStream.end(), odd.samples.begin() + b * 500, odd.samples.begin() + b * 500 + 500);
    EXPECT_EQ(std::vector<int16_t>(oddStream.begin(), oddStream.begin() + n), blocks.samples);
}

TEST(Mp3Decoder, GarbageEndsAtTheFirstBlock)
{
    Bytes garbage(20000);
    uint32_t x = 1;
    for (auto& byte : garbage)
        byte = uint8_t((x = x * 1103515245 + 12345) >> 24);
    garbage[0] = 0xFF, garbage[1] = 0xFB, garbage[2] = 0x92;
    TempFile file(garbage);
    FCWaveDecoder_MP3 decoder;
    decoder.open(file.path(), -1);
    EXPECT_LE(decodeAll(decoder, 1000).blocks(), 2u);
}

// --- The engine's packet format ---

// A ".v" file: the header, then each packet as given (type byte first).
Bytes makeV(uint16_t count, uint16_t lastSamples, const std::vector<Bytes>& packets)
{
    Bytes out = { 'V', 'P', 'K', '0' };
    put16(out, count);
    put16(out, lastSamples);
    for (const Bytes& packet : packets)
        out.insert(out.end(), packet.begin(), packet.end());
    return out;
}

Bytes packet(uint8_t type, const std::vector<int16_t>& samples)
{
    Bytes out = { type };
    for (int16_t s : samples)
        put16(out, uint16_t(s));
    return out;
}

std::vector<int16_t> ramp(size_t n, int start, int step)
{
    std::vector<int16_t> out(n);
    for (size_t i = 0; i < n; ++i)
        out[i] = int16_t(start + int(i) * step);
    return out;
}

// The high-nibble-first IMA ADPCM of this format, written from the
// standard tables; the state carries from packet to packet.
struct ImaReference {
    int sample = 0, index = 0;
    int16_t next(int nibble)
    {
        static const int steps[89] = { 7, 8, 9, 10, 11, 12, 13, 14, 16, 17, 19, 21, 23, 25, 28, 31, 34, 37, 41, 45, 50,
            55, 60, 66, 73, 80, 88, 97, 107, 118, 130, 143, 157, 173, 190, 209, 230, 253, 279, 307, 337, 371, 408, 449,
            494, 544, 598, 658, 724, 796, 876, 963, 1060, 1166, 1282, 1411, 1552, 1707, 1878, 2066, 2272, 2499, 2749,
            3024, 3327, 3660, 4026, 4428, 4871, 5358, 5894, 6484, 7132, 7845, 8630, 9493, 10442, 11487, 12635, 13899,
            15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767 };
        static const int changes[16] = { -1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8 };
        int step = steps[index];
        int diff = step / 8 + ((nibble & 4) ? step : 0) + ((nibble & 2) ? step / 2 : 0) + ((nibble & 1) ? step / 4 : 0);
        sample = std::max(-32768, std::min(32767, sample + ((nibble & 8) ? -diff : diff)));
        index = std::max(0, std::min(88, index + changes[nibble]));
        return int16_t(sample);
    }
    std::vector<int16_t> decode(const Bytes& bytes, size_t nibbles)
    {
        std::vector<int16_t> out;
        for (size_t i = 0; i < nibbles; ++i)
            out.push_back(next((i & 1) ? bytes[i / 2] & 15 : bytes[i / 2] >> 4));
        return out;
    }
};

void appendMono(std::vector<int16_t>& out, const std::vector<int16_t>& samples)
{
    for (int16_t s : samples)
        out.push_back(s), out.push_back(s);
}

TEST(VDecoder, EveryPacketTypeFromAWriterOfItsOwn)
{
    Bytes adpcm(1024);
    for (size_t i = 0; i < adpcm.size(); ++i)
        adpcm[i] = uint8_t(i * 37 + 11);
    std::vector<int16_t> stereo = ramp(4096, -3000, 3);
    std::vector<int16_t> mono22 = ramp(1024, 100, -7);
    std::vector<int16_t> mono44 = ramp(2048, -5000, 5);
    std::vector<Bytes> packets = {
        packet(2, stereo),
        Bytes { 1 },
        packet(4, mono22),
        packet(6, mono44),
        Bytes { 0 },
        Bytes { 7 },
        Bytes { 2 },
    };
    packets[1].insert(packets[1].end(), adpcm.begin(), adpcm.begin() + 512);
    packets[5].insert(packets[5].end(), adpcm.begin(), adpcm.end());
    std::vector<int16_t> lastStereo = ramp(200, 1, 1);
    for (int16_t s : lastStereo)
        put16(packets[6], uint16_t(s));

    std::vector<int16_t> expected(stereo);
    ImaReference ima;
    int previous = 0;
    for (int16_t s : ima.decode(adpcm, 1024)) {
        appendMono(expected, { int16_t((previous + s) >> 1), s });
        previous = s;
    }
    appendMono(expected, { mono22[0], mono22[0] });
    for (size_t i = 1; i < mono22.size(); ++i) {
        int s = mono22[i], p = mono22[i - 1];
        appendMono(expected, { int16_t(s - (s - p) / 2), int16_t(s) });
    }
    appendMono(expected, mono44);
    expected.resize(expected.size() + 4096, 0);
    ima = ImaReference {}; // the silent packet clears the state
    appendMono(expected, ima.decode(adpcm, 2048));
    expected.insert(expected.end(), lastStereo.begin(), lastStereo.end());
    expected.resize(expected.size() + 4096 - lastStereo.size(), 0);

    TempFile file(makeV(7, 100, packets), "sound.v");
    ASSERT_EQ(detectType(file.path()), FCWaveDecoder::kV);
    FCWaveDecoder_V decoder;
    ASSERT_TRUE(decoder.open(file.path(), -1));
    // Blocks come recycled, marked silent: only the silent packet stays so.
    Decoded out = decodeAll(decoder);
    EXPECT_EQ(out.samples, expected);
    EXPECT_EQ(out.flags, (std::vector<uint32_t> { 0, 0, 0, 0, SoundBlock::kSilent, 0, 0 }));
    decoder.rewind();
    EXPECT_EQ(decodeAll(decoder).samples, expected);
}

struct LastPacketCase {
    uint8_t type;
    uint16_t samples;
};

class VLastPacket : public ::testing::TestWithParam<LastPacketCase> { };

// A file of one packet is its last packet: L samples, the rest of the
// block zero, not marked silent.
TEST_P(VLastPacket, HoldsItsSamplesThenZeros)
{
    LastPacketCase c = GetParam();
    std::vector<int16_t> expected;
    Bytes body;
    if (c.type == 1) {
        body.resize((c.samples + 1) / 2);
        for (size_t i = 0; i < body.size(); ++i)
            body[i] = uint8_t(i * 91 + 3);
        ImaReference ima;
        int previous = 0;
        for (int16_t s : ima.decode(body, c.samples)) {
            appendMono(expected, { int16_t((previous + s) >> 1), s });
            previous = s;
        }
    } else if (c.type == 2) {
        std::vector<int16_t> samples = ramp(2 * c.samples, -100, 9);
        body = packet(2, samples);
        body.erase(body.begin());
        expected = samples;
    } else {
        std::vector<int16_t> samples = ramp(c.samples, 300, -11);
        body = packet(c.type, samples);
        body.erase(body.begin());
        for (int16_t s : samples) {
            appendMono(expected, { s });
            if (c.type == 4)
                appendMono(expected, { s });
        }
    }
    body.insert(body.begin(), c.type);
    expected.resize(4096, 0);
    TempFile file(makeV(1, c.samples, { body }));
    FCWaveDecoder_V decoder;
    ASSERT_TRUE(decoder.open(file.path(), -1));
    Decoded out = decodeAll(decoder);
    EXPECT_EQ(out.samples, expected);
    EXPECT_EQ(out.flags, std::vector<uint32_t> { 0 });
}

INSTANTIATE_TEST_SUITE_P(Types, VLastPacket,
    ::testing::Values(LastPacketCase { 1, 50 }, LastPacketCase { 1, 1024 }, LastPacketCase { 2, 100 },
        LastPacketCase { 2, 2048 }, LastPacketCase { 4, 30 }, LastPacketCase { 6, 2000 }),
    [](const auto& info) {
        return "type" + std::to_string(info.param.type) + "samples" + std::to_string(info.param.samples);
    });

// Unknown packet types and packets running past the file end the sound
// after the packets before them; nothing is read past the file.
TEST(VDecoder, MalformedFilesEndTheSound)
{
    Bytes full = packet(6, ramp(2048, 0, 1));
    const std::vector<std::tuple<const char*, Bytes, size_t>> cases = {
        { "type 3", makeV(3, 10, { full, Bytes(4097, 3), full }), 1 },
        { "type 5", makeV(3, 10, { full, Bytes(4097, 5), full }), 1 },
        { "type 9", makeV(2, 10, { full, Bytes(100, 9) }), 1 },
        { "last packet of type 7", makeV(2, 10, { full, Bytes(1025, 7) }), 1 },
        { "more packets than the file holds", makeV(60000, 10, { full, full }), 2 },
        { "a packet cut short", makeV(3, 10, { full, Bytes(full.begin(), full.begin() + 100) }), 1 },
        { "a last packet longer than the file", makeV(1, 2000, { Bytes(300, 2) }), 0 },
        { "no packets", makeV(0, 0, {}), 0 },
        { "header cut short", Bytes { 'V', 'P', 'K', '0', 1 }, 0 },
    };
    for (const auto& [name, content, blocks] : cases) {
        TempFile file(content);
        FCWaveDecoder_V decoder;
        decoder.open(file.path(), -1);
        EXPECT_EQ(decodeAll(decoder).blocks(), blocks) << name;
    }
}

} // namespace
