#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "image/FCCompress.h"
#include "image/UxCompressLzssOrg.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int32_t kPlain = UxCompressAlgorithm::kMethodPlain;
constexpr int32_t kKeep00 = UxCompressAlgorithm::kMethodKeep00;
constexpr int32_t kKeepFE = UxCompressAlgorithm::kMethodKeepFE;
constexpr int32_t kLzss2 = UxCompressAlgorithm::kMethodLzss2;

Bytes text(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

// Room for the worst case of both formats: one flag bit per literal, plus
// the header and end code of method 3.
int32_t roomFor(size_t size)
{
    return static_cast<int32_t>(size + size / 8 + 32);
}

Bytes compress(UxCompressAlgorithm& codec, const Bytes& input, int32_t method)
{
    Bytes output(static_cast<size_t>(roomFor(input.size())));
    int32_t size = codec.compress(
        output.data(), static_cast<int32_t>(output.size()), input.data(), static_cast<int32_t>(input.size()), method);
    output.resize(static_cast<size_t>(size));
    return output;
}

// Decodes into a buffer of exactly `capacity` bytes, so that AddressSanitizer
// sees any write past the bound; `fill` is what the destination held before.
Bytes decompress(UxCompressAlgorithm& codec, const Bytes& stream, int32_t method, size_t capacity, uint8_t fill = 0xAA,
    int32_t* advanced = nullptr)
{
    auto output = std::make_unique<uint8_t[]>(capacity ? capacity : 1);
    std::fill_n(output.get(), capacity, fill);
    int32_t count = codec.decompress(
        output.get(), static_cast<int32_t>(capacity), stream.data(), static_cast<int32_t>(stream.size()), method);
    EXPECT_GE(count, 0);
    EXPECT_LE(static_cast<size_t>(count), capacity);
    if (advanced)
        *advanced = count;
    return Bytes(output.get(), output.get() + std::min<size_t>(static_cast<size_t>(count), capacity));
}

// Image-like bytes: 32-bit pixel rows with a gradient, flat bands and a little
// seeded noise.
Bytes picture(size_t size, uint32_t seed)
{
    std::mt19937 random(seed);
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) {
        size_t pixel = i / 4, x = pixel % 97, y = pixel / 97;
        uint8_t value = (x / 16) % 2 ? static_cast<uint8_t>(x * 2 + y) : static_cast<uint8_t>(y * 3);
        if (i % 4 == 3)
            value = 0;
        else if (random() % 50 == 0)
            value = static_cast<uint8_t>(random());
        bytes[i] = value;
    }
    return bytes;
}

Bytes noise(size_t size, uint32_t seed)
{
    std::mt19937 random(seed);
    Bytes bytes(size);
    for (uint8_t& b : bytes)
        b = static_cast<uint8_t>(random());
    return bytes;
}

// The decoders as written down, one byte at a time through the window (or,
// for method 3, the output), stopping exactly where the codec must stop.
Bytes referenceClassic(const Bytes& in, size_t capacity, int kept, bool swapped, Bytes out)
{
    uint8_t window[4096] = {};
    size_t r = 4078, i = 0, o = 0;
    unsigned flags = 0;
    while (i < in.size() && o < capacity) {
        flags >>= 1;
        if (!(flags & 0x100)) {
            flags = 0xFF00u | in[i++];
            if (i == in.size())
                break;
        }
        auto emit = [&](uint8_t c) {
            if (c != kept)
                out[o] = c;
            ++o;
            window[r] = c;
            r = (r + 1) & 4095;
        };
        if (flags & 1) {
            emit(in[i++]);
            continue;
        }
        if (in.size() - i < 2)
            break;
        const unsigned b0 = in[i], b1 = in[i + 1];
        i += 2;
        const unsigned position = swapped ? b0 | (b1 & 0x0F) << 8 : b0 | (b1 & 0xF0) << 4;
        const unsigned length = (swapped ? b1 >> 4 : b1 & 0x0F) + 3;
        for (unsigned k = 0; k < length && o < capacity; ++k)
            emit(window[(position + k) & 4095]);
    }
    out.resize(o);
    return out;
}

Bytes referenceLzss2(const Bytes& in, size_t capacity)
{
    Bytes out;
    if (in.size() < 5 || capacity < 1)
        return out;
    size_t i = 4;
    out.push_back(in[i++]);
    unsigned flags = 0;
    int left = 0;
    auto bit = [&](unsigned& b) {
        if (!left) {
            if (i >= in.size())
                return false;
            flags = in[i++];
            left = 8;
        }
        b = (flags >> --left) & 1;
        return true;
    };
    auto byte = [&](unsigned& b) {
        if (i >= in.size())
            return false;
        b = in[i++];
        return true;
    };
    for (;;) {
        unsigned f, length, distance;
        if (!bit(f))
            return out;
        if (f) {
            unsigned c;
            if (!byte(c) || out.size() >= capacity)
                return out;
            out.push_back(static_cast<uint8_t>(c));
            continue;
        }
        if (!bit(f))
            return out;
        if (!f) {
            unsigned x, y, d;
            if (!bit(x) || !bit(y) || !byte(d))
                return out;
            length = 2 + (x << 1 | y);
            distance = 256 - d;
        } else {
            unsigned b0, b1, l;
            if (!byte(b0) || !byte(b1))
                return out;
            const unsigned w = b0 << 8 | b1;
            distance = 8192 - (w >> 3);
            if (w & 7) {
                length = (w & 7) + 2;
            } else {
                if (!byte(l) || l == 0)
                    return out;
                length = l + 1;
            }
        }
        if (distance > out.size())
            return out;
        for (unsigned k = 0; k < length; ++k) {
            if (out.size() >= capacity)
                return out;
            out.push_back(out[out.size() - distance]);
        }
    }
}

std::unique_ptr<UxCompressLzssOrg> makeCodec()
{
    return std::make_unique<UxCompressLzssOrg>();
}

} // namespace

TEST(LzssClassic, DecodesFixtures)
{
    struct Case {
        const char* name;
        Bytes stream;
        size_t capacity;
        Bytes expected;
    };
    const Case cases[] = {
        { "eight literals", { 0xFF, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H' }, // flags: eight literals; the bytes
            8, text("ABCDEFGH") },
        { "match into the zeroed window",
            { 0x00, // flags: match
                0x00, 0x0F }, // position 0x000, length 15 + 3
            18, Bytes(18, 0) },
        { "overlapping match repeats",
            { 0x01, // flags: literal, match
                'A', // written at window position 4078
                0xEE, 0xF2 }, // position 0xFEE (4078), length 2 + 3
            6, text("AAAAAA") },
        { "last group shorter than eight items", { 0xFF, 'A', 'B' }, 8, text("AB") },
        { "flag byte without items", { 0xFF }, 8, {} },
        { "match missing its second byte", { 0x01, 'A', 0xEE }, // flags; literal; half a match
            8, text("A") },
        { "output ends inside a match", { 0x00, 0x00, 0x0F }, 5, Bytes(5, 0) },
        { "output ends before a literal", { 0xFF, 'A', 'B', 'C', 'D' }, 3, text("ABC") },
        { "no output room", { 0xFF, 'A' }, 0, {} },
    };
    auto codec = makeCodec();
    for (const Case& c : cases)
        EXPECT_EQ(decompress(*codec, c.stream, kPlain, c.capacity), c.expected) << c.name;
}

TEST(LzssClassic, KeptValueLeavesTheDestinationByte)
{
    const Bytes stream = {
        0x07, // flags: literal, literal, literal, match
        0x00, 0xFE, 'A', // at window positions 4078..4080
        0xEE, 0xF0, // position 4078, length 3: copies the decoded bytes, kept or not
    };
    struct Case {
        int32_t method;
        Bytes expected;
    };
    const Case cases[] = {
        { kPlain, { 0x00, 0xFE, 'A', 0x00, 0xFE, 'A' } },
        { kKeep00, { 0x55, 0xFE, 'A', 0x55, 0xFE, 'A' } },
        { kKeepFE, { 0x00, 0x55, 'A', 0x00, 0x55, 'A' } },
    };
    auto codec = makeCodec();
    for (const Case& c : cases) {
        int32_t advanced = 0;
        EXPECT_EQ(decompress(*codec, stream, c.method, 6, 0x55, &advanced), c.expected) << c.method;
        EXPECT_EQ(advanced, 6) << c.method;
    }
}

// Streams worked out by hand from the classic tree encoder.
TEST(LzssClassic, EncodesLikeTheClassicEncoder)
{
    struct Case {
        const char* name;
        Bytes input;
        Bytes expected;
    };
    const Case cases[] = {
        { "one byte", text("A"), { 0x01, 'A' } },
        { "two groups", text("ABCDEFGHIJ"),
            { 0xFF, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', // eight literals
                0x03, 'I', 'J' } }, // the incomplete last group
        { "zeros match the window before the start", Bytes(20, 0),
            { 0x06, // flags: match, literal, literal
                0xDC, 0xFF, // position 0xFDC (4060, the oldest full match), length 18
                0x00, 0x00 } }, // two left: too short for a match
        { "overlapping match clipped to the input", text("ABABABAB"),
            { 0x03, 'A', 'B', // flags: literal, literal, match
                0xEE, 0xF3 } }, // position 4078, length 6
        { "first node met wins a tie", text("ABCXABCYABCZ"),
            { 0xAF, 'A', 'B', 'C', 'X', // flags: 4 literals, match, literal, match, literal
                0xEE, 0xF0, 'Y', // position 4078, length 3
                0xEE, 0xF0, 'Z' } }, // 4078 again, not the nearer 4082: the tree meets it first
    };
    auto codec = makeCodec();
    for (const Case& c : cases) {
        EXPECT_EQ(compress(*codec, c.input, kPlain), c.expected) << c.name;
        EXPECT_EQ(decompress(*codec, c.expected, kPlain, c.input.size()), c.input) << c.name;
    }
}

TEST(Lzss2, EncodesDocumentedStreams)
{
    struct Case {
        const char* name;
        Bytes input;
        Bytes expected;
    };
    const Case cases[] = {
        { "one byte", text("X"),
            { 0x00, 0x00, 0x00, 0x01, // size, big-endian
                'X', // raw first byte
                0x40, // flags: end code 0 1, then zero padding
                0x00, 0x00, 0x00 } }, // end code
        { "run of 300", Bytes(300, 'z'),
            { 0x00, 0x00, 0x01, 0x2C, 'z',
                0x54, // flags: long, long, end
                0xFF, 0xF8,
                0xFE, // distance 8192 - 0x1FFF = 1, length 0xFE + 1 = 255 (the look-ahead after the raw byte)
                0xFF, 0xF8, 0x2B, // distance 1, length 44
                0x00, 0x00, 0x00 } },
        { "short match", text("ABCABC"),
            { 0x00, 0x00, 0x00, 0x06, 'A',
                0xC5, // flags: literal, literal, short 0 0 0 1, end 0 1 (eight bits, one flag byte)
                'B', 'C', 0xFD, // short match: distance 256 - 0xFD = 3, length 2 + 1
                0x00, 0x00, 0x00 } },
        { "flag bits across two flag bytes", text("ABCDEFGHABC"),
            { 0x00, 0x00, 0x00, 0x0B, 'A',
                0xFE, // seven literals, then the first bit of the short match
                'B', 'C', 'D', 'E', 'F', 'G', 'H',
                0x28, // the short match's other three bits 0 0 1, end 0 1, padding
                0xF8, // its data byte follows the flag byte that completes it: distance 8
                0x00, 0x00, 0x00 } },
    };
    auto codec = makeCodec();
    for (const Case& c : cases) {
        EXPECT_EQ(compress(*codec, c.input, kLzss2), c.expected) << c.name;
        EXPECT_EQ(decompress(*codec, c.expected, kLzss2, c.input.size()), c.input) << c.name;
    }
}

TEST(Lzss2, DecodesFixtures)
{
    struct Case {
        const char* name;
        Bytes stream;
        size_t capacity;
        Bytes expected;
    };
    const Bytes header = { 0x00, 0x00, 0x00, 0x06 };
    auto withHeader = [&](Bytes body) {
        body.insert(body.begin(), header.begin(), header.end());
        return body;
    };
    const Case cases[] = {
        { "long match, length in the low bits",
            withHeader({ 'A',
                0xA8, // flags: literal, long, end
                'B', 0xFF, 0xF2, // distance 8192 - 0x1FFE = 2, length 2 + 2
                0x00, 0x00, 0x00 }),
            6, text("ABABAB") },
        { "long match with a length byte",
            withHeader({ 'A', 0x50, // flags: long, end
                0xFF, 0xF8, 0x0B, // distance 1, length 11 + 1
                0x00, 0x00, 0x00 }),
            13, Bytes(13, 'A') },
        { "header is not trusted", { 0xFF, 0xFF, 0xFF, 0xFF, 'A', 0x40, 0x00, 0x00, 0x00 }, 4, text("A") },
        // Hostile and truncated streams stop with what they produced.
        { "empty", {}, 8, {} },
        { "header only", header, 8, {} },
        { "no end code", withHeader({ 'A' }), 8, text("A") },
        { "reaches before the start",
            withHeader({ 'A', 0x00, // flags: short 0 0 0 0
                0xFE }), // distance 2, one byte written
            8, text("A") },
        { "farthest reach at the start", withHeader({ 'A', 0x40, 0x00, 0x01 }), 8, text("A") },
        { "long match cut after one byte", withHeader({ 'A', 0x40, 0xFF }), 8, text("A") },
        { "length byte missing", withHeader({ 'A', 0x40, 0xFF, 0xF8 }), 8, text("A") },
        { "short match without its byte", withHeader({ 'A', 0x00 }), 8, text("A") },
        { "match longer than the output", withHeader({ 'A', 0x40, 0xFF, 0xF8, 0xFF }), 10, Bytes(10, 'A') },
        { "literal past the output", withHeader({ 'A', 0xC0, 'B', 'C' }), 2, text("AB") },
        { "no output room", withHeader({ 'A' }), 0, {} },
    };
    auto codec = makeCodec();
    for (const Case& c : cases)
        EXPECT_EQ(decompress(*codec, c.stream, kLzss2, c.capacity), c.expected) << c.name;
}

// Scenario modules decode into buffers of their own, often larger than the
// picture, from streams that other data follows in their file: a well-formed
// stream changes nothing past what it decodes.
TEST(Lzss2, WritesNothingPastTheResultInALargerBuffer)
{
    constexpr size_t kSpare = 300;
    constexpr uint8_t kSentinel = 0xA5;
    auto codec = makeCodec();
    for (size_t size : { 1u, 7u, 64u, 255u, 256u, 300u, 1000u, 4113u, 20000u }) {
        for (uint32_t seed = 0; seed < 8; ++seed) {
            const Bytes input = seed % 2 ? noise(size, seed) : picture(size, seed);
            Bytes stream = compress(*codec, input, kLzss2);
            // What follows the stream in its container (the next plane).
            const Bytes after = noise(64, seed + 100);
            stream.insert(stream.end(), after.begin(), after.end());
            Bytes output(size + kSpare, kSentinel);
            const int32_t count = codec->decompress(output.data(), static_cast<int32_t>(output.size()), stream.data(),
                static_cast<int32_t>(stream.size()), kLzss2);
            ASSERT_EQ(count, static_cast<int32_t>(size)) << size << " seed " << seed;
            EXPECT_TRUE(std::equal(input.begin(), input.end(), output.begin())) << size << " seed " << seed;
            EXPECT_EQ(std::count(output.begin() + static_cast<ptrdiff_t>(size), output.end(), kSentinel),
                static_cast<ptrdiff_t>(kSpare))
                << size << " seed " << seed;
        }
    }
}

TEST(Lzss, RoundTripsBothEncoders)
{
    Bytes zerosThenOne(256, 0);
    zerosThenOne.push_back(1); // past the first look-ahead, where the ring still holds zeros
    zerosThenOne.resize(600, 0);
    std::vector<std::pair<std::string, Bytes>> inputs
        = { { "zeros then one", zerosThenOne }, { "long run", Bytes(70000, 0x7E) } };
    for (size_t size : { 1u, 2u, 3u, 17u, 18u, 19u, 255u, 256u, 257u, 4113u, 16700u, 70000u }) {
        inputs.emplace_back("noise " + std::to_string(size), noise(size, static_cast<uint32_t>(size)));
        inputs.emplace_back("picture " + std::to_string(size), picture(size, static_cast<uint32_t>(size) + 1));
    }
    auto codec = makeCodec();
    const Bytes first = compress(*codec, inputs[0].second, kLzss2);
    for (const auto& [name, input] : inputs) {
        for (int32_t method : { kPlain, kLzss2 }) {
            Bytes stream = compress(*codec, input, method);
            ASSERT_FALSE(stream.empty()) << name << " method " << method;
            EXPECT_EQ(decompress(*codec, stream, method, input.size()), input) << name << " method " << method;
            if (method == kLzss2) {
                EXPECT_EQ(Bytes(stream.begin(), stream.begin() + 4),
                    (Bytes { static_cast<uint8_t>(input.size() >> 24), static_cast<uint8_t>(input.size() >> 16),
                        static_cast<uint8_t>(input.size() >> 8), static_cast<uint8_t>(input.size()) }))
                    << name;
            }
        }
    }
    // Nothing of earlier calls leaks into a later one.
    EXPECT_EQ(compress(*codec, inputs[0].second, kLzss2), first);
}

TEST(Lzss, CompressNeedsOneByteToSpare)
{
    const Bytes input = picture(3000, 7);
    auto codec = makeCodec();
    for (int32_t method : { kPlain, kKeep00, kKeepFE, kLzss2 }) {
        const Bytes stream = compress(*codec, input, method);
        ASSERT_FALSE(stream.empty());
        for (size_t capacity : { size_t { 0 }, size_t { 1 }, size_t { 5 }, stream.size() - 1, stream.size() }) {
            Bytes output(capacity + 1, 0xAA);
            EXPECT_EQ(codec->compress(output.data(), static_cast<int32_t>(capacity), input.data(),
                          static_cast<int32_t>(input.size()), method),
                0)
                << "method " << method << " capacity " << capacity;
            EXPECT_EQ(output[capacity], 0xAA) << "method " << method << " capacity " << capacity;
        }
        Bytes output(stream.size() + 1);
        EXPECT_EQ(codec->compress(output.data(), static_cast<int32_t>(output.size()), input.data(),
                      static_cast<int32_t>(input.size()), method),
            static_cast<int32_t>(stream.size()));
        output.pop_back();
        EXPECT_EQ(output, stream);
    }
}

TEST(Lzss, EmptyInputsAndUnknownMethodsGiveZero)
{
    auto codec = makeCodec();
    Bytes output(64);
    const Bytes input = text("ABC");
    for (int32_t method : { kPlain, kKeep00, kKeepFE, kLzss2 }) {
        EXPECT_EQ(codec->compress(output.data(), 64, input.data(), 0, method), 0) << method;
        EXPECT_EQ(codec->decompress(output.data(), 64, input.data(), 0, method), 0) << method;
    }
    for (int32_t method : { -1, 4 }) {
        EXPECT_EQ(codec->compress(output.data(), 64, input.data(), 3, method), 0) << method;
        EXPECT_EQ(codec->decompress(output.data(), 64, Bytes { 0xFF, 'A' }.data(), 2, method), 0) << method;
    }
    EXPECT_EQ(codec->reserved(1, 2, 3, 4), 0);
}

// Every prefix of a valid stream is a truncated stream: it must decode to a
// prefix of the original and stop there (all of it when only the method-3
// end code is cut).
TEST(Lzss, TruncatedStreamsDecodeToPrefixes)
{
    const Bytes input = picture(1500, 3);
    auto codec = makeCodec();
    for (int32_t method : { kPlain, kLzss2 }) {
        const Bytes stream = compress(*codec, input, method);
        for (size_t cut = 0; cut < stream.size(); ++cut) {
            Bytes decoded = decompress(*codec, Bytes(stream.begin(), stream.begin() + cut), method, input.size());
            ASSERT_EQ(decoded, Bytes(input.begin(), input.begin() + decoded.size()))
                << "method " << method << " cut " << cut;
        }
    }
}

TEST(Lzss, RandomStreamsStayInBounds)
{
    auto codec = makeCodec();
    std::mt19937 random(2024);
    for (int round = 0; round < 400; ++round) {
        Bytes stream = noise(random() % 600, random());
        for (int32_t method : { kPlain, kKeep00, kKeepFE, kLzss2 })
            for (size_t capacity : { 0u, 1u, 7u, 300u, 20000u })
                decompress(*codec, stream, method, capacity);
    }
}

TEST(FCCompress, DecompressesThroughItsCodec)
{
    auto codec = makeCodec();
    const Bytes input = picture(5000, 11);
    FCCompress front;
    for (int32_t method : { kPlain, kKeep00, kKeepFE, kLzss2 }) {
        const Bytes stream = compress(*codec, input, method);
        Bytes output(input.size(), 0);
        EXPECT_EQ(front.decompress(output.data(), static_cast<int32_t>(output.size()), stream.data(),
                      static_cast<int32_t>(stream.size()), method),
            static_cast<int32_t>(input.size()));
        // Over a zeroed destination, keeping 0x00 is the same as storing it.
        if (method != kKeepFE) {
            EXPECT_EQ(output, input) << method;
        }
    }
}

// The decoders copy whole runs where they can; what they produce must be the
// byte-at-a-time result, for valid streams, cut streams and noise, whatever
// room the output has.
TEST(Lzss, DecodersMatchTheByteAtATimeReference)
{
    auto codec = makeCodec();
    std::mt19937 random(77);
    std::vector<Bytes> inputs;
    Bytes runs;
    for (int i = 0; i < 300; ++i)
        runs.insert(runs.end(), random() % 40 + 1, static_cast<uint8_t>(random() % 3));
    inputs.push_back(runs);
    inputs.push_back(picture(20000, 5));
    inputs.push_back(noise(3000, 6));
    std::vector<std::pair<int32_t, Bytes>> streams;
    for (const Bytes& input : inputs) {
        streams.emplace_back(kPlain, compress(*codec, input, kPlain));
        streams.emplace_back(kLzss2, compress(*codec, input, kLzss2));
        Bytes mcg(input.size() * 2 + 64);
        mcg.resize(static_cast<size_t>(codec->compressMcg(
            mcg.data(), static_cast<int32_t>(mcg.size()), input.data(), static_cast<int32_t>(input.size()))));
        streams.emplace_back(-1, mcg);
    }
    for (int round = 0; round < 300; ++round) {
        Bytes stream = noise(random() % 2000, random());
        if (round % 2 && stream.size() > 4)
            stream[0] = stream[1] = stream[2] = stream[3] = 0;
        streams.emplace_back(static_cast<int32_t>(random() % 5) - 1, stream);
    }
    for (size_t n = 0; n < streams.size(); ++n) {
        const auto& [method, stream] = streams[n];
        for (size_t capacity : { size_t(1), size_t(100), size_t(4113), size_t(70000) }) {
            const Bytes before = noise(capacity, static_cast<uint32_t>(n));
            std::vector<int32_t> methods = { method };
            if (method == kPlain)
                methods = { kPlain, kKeep00, kKeepFE };
            for (int32_t m : methods) {
                Bytes expected;
                if (m == kLzss2)
                    expected = referenceLzss2(stream, capacity);
                else
                    expected = referenceClassic(stream, capacity,
                        m == kKeep00       ? 0
                            : m == kKeepFE ? 0xFE
                                           : -1,
                        m == -1, before);
                Bytes output = before;
                const int32_t count = m == -1 ? codec->decompressMcg(output.data(), static_cast<int32_t>(capacity),
                                          stream.data(), static_cast<int32_t>(stream.size()))
                                              : codec->decompress(output.data(), static_cast<int32_t>(capacity),
                                                  stream.data(), static_cast<int32_t>(stream.size()), m);
                ASSERT_EQ(static_cast<size_t>(count), expected.size()) << "stream " << n << " method " << m;
                ASSERT_TRUE(std::equal(expected.begin(), expected.end(), output.begin()))
                    << "stream " << n << " method " << m << " capacity " << capacity;
                // The methods that keep destination bytes change nothing past
                // what was decoded.
                if (m == kKeep00 || m == kKeepFE) {
                    ASSERT_TRUE(std::equal(output.begin() + count, output.end(), before.begin() + count))
                        << "stream " << n << " method " << m;
                }
            }
        }
    }
}

TEST(Lzss, McgVariantRoundTripsAndTurnsTheFieldsRound)
{
    auto codec = makeCodec();
    const Bytes input = picture(5000, 12);
    Bytes classic = compress(*codec, input, kPlain);
    Bytes mcg(classic.size() + 1);
    ASSERT_EQ(codec->compressMcg(
                  mcg.data(), static_cast<int32_t>(mcg.size()), input.data(), static_cast<int32_t>(input.size())),
        static_cast<int32_t>(classic.size()));
    mcg.pop_back();
    EXPECT_NE(mcg, classic);
    Bytes output(input.size());
    EXPECT_EQ(codec->decompressMcg(
                  output.data(), static_cast<int32_t>(output.size()), mcg.data(), static_cast<int32_t>(mcg.size())),
        static_cast<int32_t>(input.size()));
    EXPECT_EQ(output, input);
    const Bytes fixture = { 0x01, 'A', 0xEE, 0x2F }; // literal; position 0xFEE, length 2 + 3
    EXPECT_EQ(referenceClassic(fixture, 6, -1, true, Bytes(6)), text("AAAAAA"));
}
