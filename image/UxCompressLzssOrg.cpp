#include "image/UxCompressLzssOrg.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <iterator>

#include "foundation/FCFile.h"
#include "foundation/FCHeap.h"
#include "image/detail/CopyMatch.h"

namespace {

constexpr int32_t kMinMatch = 3;

} // namespace

// Where the encoder's groups go as they complete.
struct UxCompressLzssOrg::GroupSink {
    virtual bool write(const uint8_t* bytes, int32_t count) = 0;

protected:
    ~GroupSink() = default;
};

// A caller's buffer that must keep at least one byte free: a result that
// fills it exactly counts as not fitting.
struct UxCompressLzssOrg::BufferSink final : GroupSink {
    BufferSink(uint8_t* output, int32_t capacity)
        : m_output(output)
        , m_remaining(capacity > 0 && output ? capacity : 0)
    {
    }

    bool write(const uint8_t* bytes, int32_t count) override
    {
        if (count >= m_remaining)
            return false;
        std::memcpy(m_output, bytes, static_cast<size_t>(count));
        m_output += count;
        m_remaining -= count;
        return true;
    }

private:
    uint8_t* m_output;
    int32_t m_remaining;
};

UxCompressLzssOrg::UxCompressLzssOrg()
    : m_emitted(0)
    , m_matchPosition(0)
    , m_matchLength(0)
{
    // The window and the tree are reset by every compression and by the
    // decoders that use them; left untouched here, a codec made for one
    // image costs no more than its allocation.
}

UxCompressLzssOrg::~UxCompressLzssOrg() = default;

void* UxCompressLzssOrg::operator new(size_t size)
{
    return FCHeap::allocate(size, FCHeap::kThrow);
}

void UxCompressLzssOrg::operator delete(void* block)
{
    FCHeap::release(block);
}

int32_t UxCompressLzssOrg::compress(
    void* output, int32_t outputCapacity, const void* input, int32_t inputSize, int32_t method)
{
    if (!input)
        inputSize = 0;
    if (!output)
        outputCapacity = 0;
    auto* out = static_cast<uint8_t*>(output);
    auto* in = static_cast<const uint8_t*>(input);
    switch (method) {
    case kMethodPlain:
    case kMethodKeep00:
    case kMethodKeepFE: {
        BufferSink sink(out, outputCapacity);
        return encode(in, inputSize, sink);
    }
    case kMethodLzss2: {
        int32_t size = m_lzss2.compress(out, outputCapacity, in, inputSize);
        return size > 4 ? size : 0;
    }
    default:
        return 0;
    }
}

// Each group goes to the file as it completes; a short write fails the rest.
struct UxCompressLzssOrg::FileSink final : GroupSink {
    explicit FileSink(FCFile& file)
        : m_file(file)
    {
    }

    bool write(const uint8_t* bytes, int32_t count) override
    {
        return m_file.write(bytes, static_cast<uint32_t>(count)) == static_cast<uint32_t>(count);
    }

private:
    FCFile& m_file;
};

void UxCompressLzssOrg::compressToFile(FCFile& file, const void* input, int32_t inputSize, int32_t method)
{
    switch (method) {
    case kMethodPlain:
    case kMethodKeep00:
    case kMethodKeepFE: {
        if (!file.isOpen())
            return;
        FileSink sink(file);
        encode(static_cast<const uint8_t*>(input), input ? inputSize : 0, sink);
        return;
    }
    case kMethodLzss2:
        m_lzss2.reset();
        return;
    default:
        return;
    }
}

void UxCompressLzssOrg::decompressFile(
    FCFile& file, void* output, int32_t outputCapacity, int32_t inputSize, int32_t method)
{
    if (!file.isOpen())
        return;
    int64_t size = inputSize;
    if (size < 0) {
        const int64_t here = file.position();
        const int64_t end = file.size();
        if (here < 0 || end < here)
            return;
        size = std::min<int64_t>(end - here, INT32_MAX);
    }
    if (size == 0)
        return;
    auto* buffer = static_cast<uint8_t*>(FCHeap::allocate(static_cast<size_t>(size), FCHeap::kNoThrow));
    if (!buffer)
        return;
    const int32_t got = static_cast<int32_t>(file.read(buffer, static_cast<uint32_t>(size)));
    // Through the table, as a derived codec would have it.
    decompress(output, outputCapacity, buffer, got, method);
    FCHeap::release(buffer);
}

int32_t UxCompressLzssOrg::decompressMcg(void* output, int32_t outputCapacity, const void* input, int32_t inputSize)
{
    if (!input || !output)
        return 0;
    return decodeInPlace<true>(
        static_cast<uint8_t*>(output), outputCapacity, static_cast<const uint8_t*>(input), inputSize);
}

int32_t UxCompressLzssOrg::compressMcg(void* output, int32_t outputCapacity, const void* input, int32_t inputSize)
{
    const int32_t size = compress(output, outputCapacity, input, inputSize, kMethodPlain);
    // Walk the groups and turn each match item's two fields round.
    auto* stream = static_cast<uint8_t*>(output);
    int32_t at = 0;
    while (at < size) {
        const uint8_t flags = stream[at++];
        for (int32_t item = 0; item < 8 && at < size; ++item) {
            if (flags & (1u << item)) {
                ++at;
                continue;
            }
            const uint8_t b1 = stream[at + 1];
            stream[at + 1] = static_cast<uint8_t>((b1 << 4) | (b1 >> 4));
            at += 2;
        }
    }
    return size;
}

int32_t UxCompressLzssOrg::decompress(
    void* output, int32_t outputCapacity, const void* input, int32_t inputSize, int32_t method)
{
    if (!input)
        inputSize = 0;
    if (!output)
        outputCapacity = 0;
    auto* out = static_cast<uint8_t*>(output);
    auto* in = static_cast<const uint8_t*>(input);
    switch (method) {
    case kMethodPlain:
        return decodeInPlace<false>(out, outputCapacity, in, inputSize);
    case kMethodKeep00:
        return decode(out, outputCapacity, in, inputSize, 0x00);
    case kMethodKeepFE:
        return decode(out, outputCapacity, in, inputSize, 0xFE);
    case kMethodLzss2:
        return m_lzss2.decompress(out, outputCapacity, in, inputSize);
    default:
        return 0;
    }
}

int32_t UxCompressLzssOrg::encode(const uint8_t* input, int32_t inputSize, GroupSink& sink)
{
    constexpr int32_t kMask = kWindowSize - 1;
    m_emitted = 0;
    m_matchPosition = 0;
    m_matchLength = 0;
    if (inputSize <= 0)
        return 0;
    resetTree();
    // Zero beyond the look-ahead too: the tree compares a string's full 18
    // bytes even when fewer are left, so what lies there must be defined.
    std::memset(m_text, 0, sizeof m_text);

    int32_t read = 0;
    int32_t s = 0;
    int32_t r = kWindowSize - kMaxMatch;
    int32_t length = 0;
    while (length < kMaxMatch && read < inputSize)
        m_text[r + length++] = input[read++];
    // The strings that start in the zeroed window before the first byte can
    // already serve as matches.
    for (int32_t i = 1; i <= kMaxMatch; ++i)
        insertNode(r - i);
    insertNode(r);

    uint8_t group[1 + 8 * 2] = {};
    int32_t fill = 1;
    uint8_t mask = 1;
    do {
        if (m_matchLength > length)
            m_matchLength = length;
        if (m_matchLength < kMinMatch) {
            m_matchLength = 1;
            group[0] |= mask;
            group[fill++] = m_text[r];
        } else {
            group[fill++] = static_cast<uint8_t>(m_matchPosition);
            group[fill++] = static_cast<uint8_t>(((m_matchPosition >> 4) & 0xF0) | (m_matchLength - kMinMatch));
        }
        mask = static_cast<uint8_t>(mask << 1);
        if (mask == 0) {
            if (!sink.write(group, fill))
                return 0;
            m_emitted += fill;
            group[0] = 0;
            fill = 1;
            mask = 1;
        }

        // insertNode() replaces m_matchLength, so keep the count coded now.
        int32_t coded = m_matchLength;
        int32_t i = 0;
        for (; i < coded && read < inputSize; ++i) {
            deleteNode(s);
            uint8_t c = input[read++];
            m_text[s] = c;
            if (s < kMaxMatch - 1)
                m_text[s + kWindowSize] = c;
            s = (s + 1) & kMask;
            r = (r + 1) & kMask;
            insertNode(r);
        }
        for (; i < coded; ++i) {
            deleteNode(s);
            s = (s + 1) & kMask;
            r = (r + 1) & kMask;
            if (--length)
                insertNode(r);
        }
    } while (length > 0);

    if (fill > 1) {
        if (!sink.write(group, fill))
            return 0;
        m_emitted += fill;
    }
    return m_emitted;
}

int32_t UxCompressLzssOrg::decode(
    uint8_t* output, int32_t outputCapacity, const uint8_t* input, int32_t inputSize, int32_t keptValue)
{
    constexpr int32_t kMask = kWindowSize - 1;
    std::memset(m_text, 0, sizeof m_text);
    int32_t r = kWindowSize - kMaxMatch;
    uint32_t flags = 0;
    int32_t in = 0;
    int32_t out = 0;
    // The window always takes the decoded byte, so later matches copy what
    // was decoded even where the destination kept its own byte.
    auto emit = [&](uint8_t c) {
        if (c != keptValue)
            output[out] = c;
        ++out;
        m_text[r] = c;
        r = (r + 1) & kMask;
    };

    while (in < inputSize && out < outputCapacity) {
        flags >>= 1;
        if ((flags & 0x100) == 0) {
            flags = 0xFF00u | input[in++];
            if (in == inputSize)
                break;
        }
        if (flags & 1) {
            emit(input[in++]);
            continue;
        }
        if (inputSize - in < 2)
            break;
        int32_t position = input[in] | ((input[in + 1] & 0xF0) << 4);
        int32_t count = (input[in + 1] & 0x0F) + kMinMatch;
        in += 2;
        for (int32_t k = 0; k < count && out < outputCapacity; ++k)
            emit(m_text[(position + k) & kMask]);
    }
    return out;
}

// When every decoded byte is stored, the output itself is the window: output
// byte k went to window position (4078 + k) mod 4096, so a match at window
// position P starts d = ((4078 + out - P - 1) mod 4096) + 1 bytes back, and
// reads zero (the window's first content) where that lies before the output.
template <bool kSwapped>
int32_t UxCompressLzssOrg::decodeInPlace(
    uint8_t* output, int32_t outputCapacity, const uint8_t* input, int32_t inputSize)
{
    constexpr int32_t kMask = kWindowSize - 1;
    constexpr int32_t kStart = kWindowSize - kMaxMatch;
    // One group: a flag byte and eight items of at most two bytes, writing
    // at most eight whole matches.
    constexpr int32_t kGroupInput = 1 + 8 * 2;
    constexpr int32_t kGroupOutput = 8 * kMaxMatch;
    // Literal runs move eight bytes at a time and matches sixteen: with this
    // much more room on both sides the moves may run past them.
    constexpr int32_t kRunRoom = 16;
    auto match = [](const uint8_t* item, int32_t out, int32_t& distance) {
        int32_t position, length;
        if (kSwapped) {
            position = item[0] | ((item[1] & 0x0F) << 8);
            length = (item[1] >> 4) + kMinMatch;
        } else {
            position = item[0] | ((item[1] & 0xF0) << 4);
            length = (item[1] & 0x0F) + kMinMatch;
        }
        distance = ((kStart + out - position - 1) & kMask) + 1;
        return length;
    };

    int32_t in = 0;
    int32_t out = 0;
    while (in < inputSize && out < outputCapacity) {
        uint32_t flags = input[in++];
        if (in == inputSize)
            break;
        if (inputSize - in >= kGroupInput - 1 + kRunRoom && outputCapacity - out >= kGroupOutput + kRunRoom) {
            int32_t items = 8;
            while (items > 0) {
                // The literals whose flags come next: their bytes follow one
                // another in the input.
                const int32_t run = std::min(std::countr_one(flags), items);
                if (run > 0) {
                    std::memcpy(output + out, input + in, 8);
                    out += run;
                    in += run;
                    flags >>= run;
                    items -= run;
                    continue;
                }
                int32_t distance;
                const int32_t length = match(input + in, out, distance);
                in += 2;
                if (distance <= out) {
                    lzss::copyMatchWide(output + out, distance, length);
                    out += length;
                } else {
                    for (int32_t k = 0; k < length; ++k, ++out)
                        output[out] = out >= distance ? output[out - distance] : 0;
                }
                flags >>= 1;
                --items;
            }
            continue;
        }
        for (int32_t item = 0; item < 8; ++item, flags >>= 1) {
            if (in >= inputSize || out >= outputCapacity)
                return out;
            if (flags & 1) {
                output[out++] = input[in++];
                continue;
            }
            if (inputSize - in < 2)
                return out;
            int32_t distance;
            int32_t length = match(input + in, out, distance);
            in += 2;
            int32_t end = std::min(out + length, outputCapacity);
            for (; out < end; ++out)
                output[out] = out >= distance ? output[out - distance] : 0;
        }
    }
    return out;
}

void UxCompressLzssOrg::resetTree()
{
    std::fill(std::begin(m_parent), std::end(m_parent), kNil);
    std::fill(std::begin(m_left), std::end(m_left), kNil);
    std::fill(std::begin(m_right), std::end(m_right), kNil);
}

// Inserts the string at position into the tree of its first byte and leaves
// the longest earlier match in m_matchPosition / m_matchLength; on equal
// lengths the node met first stays. A node with all 18 bytes equal is
// replaced by the new position, which is nearer.
void UxCompressLzssOrg::insertNode(int32_t position)
{
    const uint8_t* key = &m_text[position];
    int32_t p = kWindowSize + 1 + key[0];
    int32_t cmp = 1;
    m_right[position] = m_left[position] = kNil;
    m_matchLength = 0;
    for (;;) {
        if (cmp >= 0) {
            if (m_right[p] == kNil) {
                m_right[p] = position;
                m_parent[position] = p;
                return;
            }
            p = m_right[p];
        } else {
            if (m_left[p] == kNil) {
                m_left[p] = position;
                m_parent[position] = p;
                return;
            }
            p = m_left[p];
        }
        int32_t i = 1;
        for (; i < kMaxMatch; ++i) {
            cmp = key[i] - m_text[p + i];
            if (cmp != 0)
                break;
        }
        if (i > m_matchLength) {
            m_matchPosition = p;
            m_matchLength = i;
            if (i >= kMaxMatch)
                break;
        }
    }
    m_parent[position] = m_parent[p];
    m_left[position] = m_left[p];
    m_right[position] = m_right[p];
    m_parent[m_left[p]] = position;
    m_parent[m_right[p]] = position;
    if (m_right[m_parent[p]] == p)
        m_right[m_parent[p]] = position;
    else
        m_left[m_parent[p]] = position;
    m_parent[p] = kNil;
}

void UxCompressLzssOrg::deleteNode(int32_t position)
{
    if (m_parent[position] == kNil)
        return;
    int32_t q;
    if (m_right[position] == kNil) {
        q = m_left[position];
    } else if (m_left[position] == kNil) {
        q = m_right[position];
    } else {
        // Two children: the predecessor (rightmost of the left subtree) takes its place.
        q = m_left[position];
        if (m_right[q] != kNil) {
            do
                q = m_right[q];
            while (m_right[q] != kNil);
            m_right[m_parent[q]] = m_left[q];
            m_parent[m_left[q]] = m_parent[q];
            m_left[q] = m_left[position];
            m_parent[m_left[position]] = q;
        }
        m_right[q] = m_right[position];
        m_parent[m_right[position]] = q;
    }
    m_parent[q] = m_parent[position];
    if (m_right[m_parent[position]] == position)
        m_right[m_parent[position]] = q;
    else
        m_left[m_parent[position]] = q;
    m_parent[position] = kNil;
}
