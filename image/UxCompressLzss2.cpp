#include "image/UxCompressLzss2.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstring>
#include <iterator>

#include "image/detail/CopyMatch.h"

namespace {

constexpr int32_t kRingMask = 16384 - 1;
// The first byte goes here, so that the whole first look-ahead sits at the
// end of the ring and the positions before it are zero.
constexpr int32_t kStart = 16384 - 256;
constexpr int32_t kMaxDistance = 8192;
constexpr int32_t kShortReach = 256;
constexpr int32_t kMaxRun = 255;
// Writes below this position are mirrored past the ring's end, which is as
// far as a compare starting inside the ring can read.
constexpr int32_t kMirrored = 255;
constexpr int32_t kNone = -1;

} // namespace

// The ring, runs and chains are reset by every compression; decoding uses
// none of them, so they are left untouched here.
UxCompressLzss2::UxCompressLzss2()
    : m_emitted(0)
    , m_previousRun(0)
    , m_pendingBits(0)
    , m_pendingCount(0)
    , m_groupFill(1)
    , m_codeCount(0)
    , m_matchLength(0)
    , m_matchDistance(0)
    , m_inputRemaining(0)
    , m_outputRemaining(0)
    , m_input(nullptr)
    , m_output(nullptr)
    , m_failed(false)
{
}

UxCompressLzss2::~UxCompressLzss2() = default;

void UxCompressLzss2::reset()
{
    m_emitted = 0;
    std::memset(m_ring, 0, sizeof m_ring);
    std::memset(m_run, 0, sizeof m_run);
    m_previousRun = 0;
    std::fill(std::begin(m_hashHead), std::end(m_hashHead), kNone);
    std::fill(std::begin(m_hashTail), std::end(m_hashTail), kNone);
    std::fill(std::begin(m_older), std::end(m_older), kNone);
    std::fill(std::begin(m_newer), std::end(m_newer), kNone);
    m_pendingBits = 0;
    m_pendingCount = 0;
    std::memset(m_group, 0, sizeof m_group);
    m_groupFill = 1;
    std::memset(m_code, 0, sizeof m_code);
    m_codeCount = 0;
    m_matchLength = 0;
    m_matchDistance = 0;
    m_inputRemaining = 0;
    m_outputRemaining = 0;
    m_input = nullptr;
    m_output = nullptr;
    m_failed = false;
}

int32_t UxCompressLzss2::compress(uint8_t* output, int32_t outputCapacity, const uint8_t* input, int32_t inputSize)
{
    reset();
    if (inputSize < 0 || !input)
        inputSize = 0;
    m_output = output;
    m_outputRemaining = output && outputCapacity > 0 ? outputCapacity : 0;
    m_input = input;
    m_inputRemaining = inputSize;

    const uint8_t header[4] = {
        static_cast<uint8_t>(inputSize >> 24),
        static_cast<uint8_t>(inputSize >> 16),
        static_cast<uint8_t>(inputSize >> 8),
        static_cast<uint8_t>(inputSize),
    };
    put(header, 4);
    if (m_failed)
        return 0;
    if (inputSize == 0)
        return m_emitted;

    int32_t lookAhead = std::min(kLookAhead, m_inputRemaining);
    std::memcpy(m_ring + kStart, m_input, static_cast<size_t>(lookAhead));
    m_input += lookAhead;
    m_inputRemaining -= lookAhead;
    int32_t write = (kStart + lookAhead) & kRingMask;
    bool overwriting = false;

    int32_t current = kStart;
    insert(current);
    put(m_ring + current, 1);
    // The raw first byte is passed without reading a new one, so from here
    // on the look-ahead holds at most 255 bytes.
    current = (current + 1) & kRingMask;
    if (--lookAhead > 0)
        insert(current);

    while (lookAhead > 0 && !m_failed) {
        findMatch(current, lookAhead);
        int32_t coded = emitCode(current);
        for (int32_t i = 0; i < coded; ++i) {
            if (m_inputRemaining > 0) {
                // The first kStart writes land on never inserted positions;
                // from then on each one replaces the oldest chained position.
                if (write == kStart)
                    overwriting = true;
                if (overwriting)
                    unlink(write);
                uint8_t c = *m_input++;
                --m_inputRemaining;
                m_ring[write] = c;
                if (write < kMirrored)
                    m_ring[write + kRingSize] = c;
                write = (write + 1) & kRingMask;
            } else {
                --lookAhead;
            }
            current = (current + 1) & kRingMask;
            if (lookAhead > 0)
                insert(current);
        }
    }

    // The end code: a long match whose length byte is 0.
    emitBits(0b01, 2);
    const uint8_t end[3] = { 0, 0, 0 };
    std::memcpy(m_group + m_groupFill, end, sizeof end);
    m_groupFill += 3;
    m_group[0] = static_cast<uint8_t>(m_pendingBits << (8 - m_pendingCount));
    put(m_group, m_groupFill);
    return m_failed ? 0 : m_emitted;
}

int32_t UxCompressLzss2::decompress(uint8_t* output, int32_t outputCapacity, const uint8_t* input, int32_t inputSize)
{
    if (!output || !input || inputSize < 5 || outputCapacity < 1)
        return 0;
    // The size the header states bounds only the fast path below, whose moves
    // run past the bytes they decode: in a buffer larger than the result,
    // nothing past the result changes. The checked path still decodes up to
    // the capacity, whatever the header says.
    const uint32_t stated = uint32_t(input[0]) << 24 | uint32_t(input[1]) << 16 | uint32_t(input[2]) << 8 | input[3];
    const int32_t fastLimit = static_cast<int32_t>(std::min<uint32_t>(stated, static_cast<uint32_t>(outputCapacity)));
    int32_t in = 4;
    int32_t out = 0;
    output[out++] = input[in++];

    uint32_t flags = 0;
    int32_t flagsLeft = 0;
    // A code takes at most four flag bits (so at most one new flag byte) and
    // three data bytes, and writes at most 256 bytes: with that much room on
    // both sides, a code is decoded without checking each read.
    constexpr int32_t kCodeInput = 4;
    constexpr int32_t kCodeOutput = 256;
    // Literal runs move eight bytes at a time and matches sixteen: with this
    // much more room on both sides the moves may run past them.
    constexpr int32_t kRunRoom = 16;

    for (;;) {
        if (inputSize - in >= kCodeInput + kRunRoom && fastLimit - out >= kCodeOutput + kRunRoom) {
            // The flag bits not yet used, top-aligned in a byte, zero below.
            uint32_t pending = (flags << (8 - flagsLeft)) & 0xFF;
            if (flagsLeft == 0) {
                flags = input[in++];
                flagsLeft = 8;
                pending = flags;
            }
            // The literals whose flags lead the rest of this flag byte: their
            // data bytes follow one another in the input.
            // Moved whether there are any or not: a branch on it would be
            // mispredicted as often as literals and matches alternate.
            const int32_t run = std::countl_one(static_cast<uint8_t>(pending));
            std::memcpy(output + out, input + in, 8);
            out += run;
            in += run;
            flagsLeft -= run;
            if (flagsLeft == 0)
                continue;
            // The next flag is 0: a match, short (flags 0 0 x y) or long (0 1).
            // Short and long alternate without a pattern, so both are worked
            // out and one is chosen without a branch. Its flags may run into
            // the next flag byte, which then comes before its data bytes.
            const uint32_t window = flags << 8 | input[in];
            const int32_t avail = flagsLeft + 8;
            const uint32_t isLong = (window >> (avail - 2)) & 1;
            const uint32_t xy = (window >> (avail - 4)) & 3;
            const int32_t need = isLong ? 2 : 4;
            const bool cross = flagsLeft < need;
            flags = cross ? input[in] : flags;
            flagsLeft = cross ? flagsLeft + 8 - need : flagsLeft - need;
            in += cross;
            const uint32_t word = uint32_t(input[in]) << 8 | input[in + 1];
            int32_t length = isLong ? static_cast<int32_t>(word & 7) + 2 : 2 + static_cast<int32_t>(xy);
            const int32_t distance = isLong ? kMaxDistance - static_cast<int32_t>(word >> 3) : kShortReach - input[in];
            in += 1 + static_cast<int32_t>(isLong);
            if (isLong && (word & 7) == 0) {
                const uint32_t l = input[in++];
                if (l == 0)
                    return out;
                length = static_cast<int32_t>(l) + 1;
            }
            if (distance > out)
                return out;
            lzss::copyMatchWide(output + out, distance, length);
            out += length;
            continue;
        }

        // Near either end every read is checked; false when the input ends.
        auto nextBit = [&](uint32_t& value) {
            if (flagsLeft == 0) {
                if (in >= inputSize)
                    return false;
                flags = input[in++];
                flagsLeft = 8;
            }
            value = (flags >> --flagsLeft) & 1;
            return true;
        };
        auto nextByte = [&](uint32_t& byte) {
            if (in >= inputSize)
                return false;
            byte = input[in++];
            return true;
        };
        uint32_t flag;
        if (!nextBit(flag))
            return out;
        if (flag) {
            uint32_t c;
            if (!nextByte(c) || out >= outputCapacity)
                return out;
            output[out++] = static_cast<uint8_t>(c);
            continue;
        }
        if (!nextBit(flag))
            return out;
        int32_t length;
        int32_t distance;
        if (!flag) {
            uint32_t high, low, d;
            if (!nextBit(high) || !nextBit(low) || !nextByte(d))
                return out;
            length = 2 + static_cast<int32_t>(high << 1 | low);
            distance = kShortReach - static_cast<int32_t>(d);
        } else {
            uint32_t b0, b1;
            if (!nextByte(b0) || !nextByte(b1))
                return out;
            uint32_t word = b0 << 8 | b1;
            distance = kMaxDistance - static_cast<int32_t>(word >> 3);
            if (word & 7) {
                length = static_cast<int32_t>(word & 7) + 2;
            } else {
                uint32_t l;
                if (!nextByte(l) || l == 0)
                    return out;
                length = static_cast<int32_t>(l) + 1;
            }
        }
        if (distance > out)
            return out;
        int32_t count = std::min(length, outputCapacity - out);
        lzss::copyMatch(output + out, distance, count);
        out += count;
        if (count < length)
            return out;
    }
}

int32_t UxCompressLzss2::hashAt(int32_t position) const
{
    return ((m_ring[position] << 5) ^ m_ring[position + 1]) & (kHashCount - 1);
}

void UxCompressLzss2::insert(int32_t position)
{
    const uint8_t* text = m_ring + position;
    // Positions are inserted one after another, so a run seen from the
    // previous position is known to go on here one byte shorter.
    int32_t run = m_previousRun > 1 ? m_previousRun - 1 : 1;
    while (run < kMaxRun && text[run] == text[0])
        ++run;
    m_run[position] = static_cast<uint8_t>(run);
    m_previousRun = run;

    int32_t hash = hashAt(position);
    m_older[position] = m_hashHead[hash];
    m_newer[position] = kNone;
    if (m_hashHead[hash] != kNone)
        m_newer[m_hashHead[hash]] = position;
    else
        m_hashTail[hash] = position;
    m_hashHead[hash] = position;
}

void UxCompressLzss2::unlink(int32_t position)
{
    // The ring still holds the two bytes the position was hashed with: it is
    // overwritten now, and the byte after it only next.
    int32_t hash = hashAt(position);
    int32_t older = m_older[position];
    int32_t newer = m_newer[position];
    if (older != kNone)
        m_newer[older] = newer;
    else
        m_hashTail[hash] = newer;
    if (newer != kNone)
        m_older[newer] = older;
    else
        m_hashHead[hash] = older;
    m_older[position] = m_newer[position] = kNone;
}

// The longest match for the string at position among the chained earlier
// positions at most kMaxDistance back, up to limit bytes (the look-ahead):
// bytes past it are not input yet. The nearest of equal lengths wins.
void UxCompressLzss2::findMatch(int32_t position, int32_t limit)
{
    limit = std::min(limit, kLookAhead);
    const uint8_t* key = m_ring + position;
    m_matchLength = 0;
    m_matchDistance = 0;
    for (int32_t candidate = m_older[position]; candidate != kNone; candidate = m_older[candidate]) {
        int32_t distance = (position - candidate) & kRingMask;
        if (distance > kMaxDistance)
            break;
        const uint8_t* text = m_ring + candidate;
        // Different first bytes share a hash value.
        if (text[0] != key[0])
            continue;
        // Only a candidate that also holds the best length's last bytes can beat it.
        int32_t best = m_matchLength;
        bool beaten = true;
        for (int32_t i = std::max(0, best - 4); i < best; ++i) {
            if (text[i] != key[i]) {
                beaten = false;
                break;
            }
        }
        if (!beaten)
            continue;
        // Both strings open with a run of the same byte; they agree for the shorter run.
        int32_t length = std::min<int32_t>({ m_run[position], m_run[candidate], limit });
        while (length < limit && text[length] == key[length])
            ++length;
        if (length > best) {
            m_matchLength = length;
            m_matchDistance = distance;
            if (length >= limit)
                break;
        }
    }
}

// Emits the code for the match found at position (or its literal) and
// returns the number of bytes it covers.
int32_t UxCompressLzss2::emitCode(int32_t position)
{
    int32_t length = m_matchLength;
    int32_t distance = m_matchDistance;
    if (length < 2 || (length == 2 && distance > kShortReach)) {
        emitBits(0b1, 1);
        m_code[0] = m_ring[position];
        m_codeCount = 1;
        length = 1;
    } else if (length <= 5 && distance <= kShortReach) {
        emitBits(static_cast<uint32_t>(length - 2), 4);
        m_code[0] = static_cast<uint8_t>(kShortReach - distance);
        m_codeCount = 1;
    } else {
        uint32_t word = static_cast<uint32_t>(kMaxDistance - distance) << 3;
        if (length <= 9)
            word |= static_cast<uint32_t>(length - 2);
        emitBits(0b01, 2);
        m_code[0] = static_cast<uint8_t>(word >> 8);
        m_code[1] = static_cast<uint8_t>(word);
        m_codeCount = 2;
        if (length > 9)
            m_code[m_codeCount++] = static_cast<uint8_t>(length - 1);
    }
    assert(m_groupFill + m_codeCount <= kGroupSize);
    std::memcpy(m_group + m_groupFill, m_code, static_cast<size_t>(m_codeCount));
    m_groupFill += m_codeCount;
    return length;
}

// Appends a code's flag bits. A flag byte is only complete once a bit beyond
// it arrives; the group it heads then goes out, and the new code's data
// bytes open the next group.
void UxCompressLzss2::emitBits(uint32_t bits, int32_t count)
{
    m_pendingBits = (m_pendingBits << count) | bits;
    m_pendingCount += count;
    if (m_pendingCount > 8) {
        m_pendingCount -= 8;
        m_group[0] = static_cast<uint8_t>(m_pendingBits >> m_pendingCount);
        m_pendingBits &= (1u << m_pendingCount) - 1;
        put(m_group, m_groupFill);
        m_groupFill = 1;
    }
}

// A result that would fill the output exactly counts as not fitting.
void UxCompressLzss2::put(const uint8_t* bytes, int32_t count)
{
    if (m_failed || count >= m_outputRemaining) {
        m_failed = true;
        return;
    }
    std::memcpy(m_output, bytes, static_cast<size_t>(count));
    m_output += count;
    m_outputRemaining -= count;
    m_emitted += count;
}
