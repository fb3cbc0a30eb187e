// FCString's serialised form and whole-file load and save.
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "foundation/Diagnostic.h"
#include "foundation/FCFile.h"
#include "foundation/FCString.h"
#include "foundation/TextCodePage.h"
#include "foundation/UxTextScramble.h"

namespace {

constexpr uint32_t kMarker = 0x7FFFFFFFu;
constexpr const char* kCreate = "FCString - create()";
// Room kept below 2 GiB for the capacity rule's spare block.
constexpr int64_t kLargestText = INT32_MAX - 0x10000;

std::unique_ptr<FCStringRep> makeRep(int32_t length, int32_t blockSize)
{
    std::unique_ptr<FCStringRep> rep(new (std::nothrow) FCStringRep(nullptr, length, blockSize));
    if (!rep)
        throw NotEnoughMemoryException(kCreate, kNotEnoughMemoryText);
    return rep;
}

uint32_t littleEndian(const uint8_t* bytes)
{
    return bytes[0] | (uint32_t(bytes[1]) << 8) | (uint32_t(bytes[2]) << 16) | (uint32_t(bytes[3]) << 24);
}

void putLittleEndian(uint8_t* bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

// The text ends at the first zero byte.
int32_t textLength(const char* bytes, int64_t count)
{
    const void* zero = std::memchr(bytes, 0, static_cast<size_t>(count));
    return static_cast<int32_t>(zero ? static_cast<const char*>(zero) - bytes : count);
}

// Reads until count bytes came or the file ends; the bytes read.
int64_t readFully(FCFile& file, char* buffer, int64_t count)
{
    int64_t total = 0;
    while (total < count) {
        int64_t chunk = count - total;
        uint32_t got = file.read(buffer + total, static_cast<uint32_t>(chunk > 0x40000000 ? 0x40000000 : chunk));
        if (!got)
            break;
        total += got;
    }
    return total;
}

// Bytes from the current position to the end; -1 when unknown.
int64_t bytesLeft(FCFile& file)
{
    int64_t size = file.size();
    int64_t position = file.position();
    if (size < 0 || position < 0)
        return -1;
    return size > position ? size - position : 0;
}

} // namespace

FCTextFile::FCTextFile(FCFile& textFile, uint32_t count, uint32_t scrambleSeed, int32_t lines, uint32_t options)
    : file(textFile)
    , byteCount(count)
    , seed(scrambleSeed)
    , plainLines(lines)
    , flags(options)
{
}

FCTextFile::~FCTextFile()
{
    if (flags & kOwnsFile)
        file.close();
}

void FCString::write(FCFile& file) const
{
    if (!file.isOpen())
        return;
    uint8_t header[12];
    putLittleEndian(header, kMarker);
    putLittleEndian(header + 4, 0); // code-page text
    putLittleEndian(header + 8, static_cast<uint32_t>(m_rep->length) + 1);
    file.write(header, sizeof header);
    file.write(m_rep->text, static_cast<uint32_t>(m_rep->length) + 1);
}

bool FCString::read(FCFile& file)
{
    if (!file.isOpen())
        return false;
    int64_t start = file.position();
    auto refuse = [&] {
        file.seek(FCFile::kFromStart, start);
        return false;
    };
    uint8_t word[4];
    if (file.read(word, 4) != 4)
        return refuse();
    bool utf8 = false;
    int64_t count;
    if (littleEndian(word) == kMarker) {
        uint8_t header[8];
        if (file.read(header, 8) != 8)
            return refuse();
        utf8 = header[0] != 0; // the encoding word's low byte
        count = static_cast<int32_t>(littleEndian(header + 4));
        if (count < 1)
            return refuse();
    } else {
        // The older form: the word is the byte count of the text that follows.
        count = static_cast<int32_t>(littleEndian(word));
        if (count < 0)
            return refuse();
    }
    // A count the file cannot hold is a lie: refuse it before allocating.
    int64_t left = bytesLeft(file);
    if (left < 0 || count > left || count > kLargestText)
        return refuse();
    std::unique_ptr<FCStringRep> rep = makeRep(static_cast<int32_t>(count), m_rep->blockSize);
    if (readFully(file, rep->text, count) != count)
        return refuse();
    rep->length = textLength(rep->text, count);
    rep->text[rep->length] = '\0';
    if (utf8) {
        std::string converted = ::fromUtf8(rep->text);
        assign(converted.c_str(), static_cast<int32_t>(converted.size()), m_rep->blockSize);
        return true;
    }
    release();
    m_rep = rep.release();
    m_cursor = m_rep->text;
    return true;
}

bool FCString::loadFile(const char* path)
{
    return loadFile(path, 0, 0, 0);
}

bool FCString::loadFile(const char* path, uint32_t byteCount, uint32_t seed, int32_t plainLines, uint32_t flags)
{
    FCFile file;
    if (file.open(path, FCFile::kOpenExisting, FCFile::kRead, FCFile::kShareRead) != 0)
        return false;
    FCTextFile source(file, byteCount, seed, plainLines, flags | FCTextFile::kOwnsFile);
    return loadFile(source);
}

bool FCString::loadFile(FCFile& file, uint32_t byteCount, uint32_t seed, int32_t plainLines)
{
    FCTextFile source(file, byteCount, seed, plainLines);
    return loadFile(source);
}

bool FCString::loadFile(FCTextFile& source)
{
    FCFile& file = source.file;
    if (!file.isOpen())
        return false;
    int64_t count = bytesLeft(file);
    if (count < 0)
        return false;
    if (source.byteCount && source.byteCount < count)
        count = source.byteCount;
    if (count > kLargestText)
        throw NotEnoughMemoryException(kCreate, kNotEnoughMemoryText);
    std::unique_ptr<FCStringRep> rep = makeRep(static_cast<int32_t>(count), m_rep->blockSize);
    int64_t got = readFully(file, rep->text, count);
    // Unscramble the bytes as they were written, before any conversion.
    if (source.seed) {
        size_t region = scrambleRegionStart(rep->text, static_cast<size_t>(got), source.plainLines);
        if (region != SIZE_MAX)
            unscrambleBytes(rep->text + region, static_cast<size_t>(got) - region, source.seed);
    }
    rep->length = textLength(rep->text, got);
    rep->text[rep->length] = '\0';
    if (source.isUtf8()) {
        const char* text = rep->text;
        if (std::strncmp(text, "\xEF\xBB\xBF", 3) == 0)
            text += 3; // a byte-order mark is no text
        std::string converted = ::fromUtf8(text);
        assign(converted.c_str(), static_cast<int32_t>(converted.size()), m_rep->blockSize);
        return true;
    }
    release();
    m_rep = rep.release();
    m_cursor = m_rep->text;
    return true;
}

bool FCString::saveFile(const char* path)
{
    return saveFile(path, 0, 0);
}

bool FCString::saveFile(const char* path, uint32_t seed, int32_t plainLines, uint32_t flags)
{
    FCFile file;
    if (file.open(path, FCFile::kOpenAlways, FCFile::kReadWrite, FCFile::kShareRead) != 0)
        return false;
    FCTextFile target(file, 0, seed, plainLines, flags | FCTextFile::kOwnsFile);
    bool written = saveFile(target);
    file.truncate();
    return written;
}

bool FCString::saveFile(FCTextFile& target) const
{
    FCFile& file = target.file;
    if (!file.isOpen())
        return false;
    // The bytes are scrambled in a copy: the representation may be shared
    // with strings on other threads.
    std::string bytes = target.isUtf8() ? toUtf8() : std::string(m_rep->text, static_cast<size_t>(m_rep->length));
    if (target.seed) {
        size_t region = scrambleRegionStart(bytes.data(), bytes.size(), target.plainLines);
        if (region != SIZE_MAX)
            scrambleBytes(bytes.data() + region, bytes.size() - region, target.seed);
    }
    return file.write(bytes.data(), static_cast<uint32_t>(bytes.size())) == bytes.size();
}
