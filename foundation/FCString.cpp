#include "foundation/FCString.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "foundation/Diagnostic.h"
#include "foundation/FCHeap.h"
#include "foundation/FCStringPlatform.h"
#include "foundation/TextCodePage.h"
#include "foundation/UxMessageBox.h"

namespace {

constexpr const char* kCreate = "FCString - create()";
constexpr const char* kAppend = "FCString - append";
constexpr const char* kPrepend = "FCString - prepend";
constexpr const char* kFormat = "FCString - create(LPCTSTR,...)";
constexpr const char* kBuffer = "FCString";

[[noreturn]] void outOfMemory(const char* operation)
{
    throw NotEnoughMemoryException(operation, kNotEnoughMemoryText);
}

FCStringRep* makeRep(const char* text, int32_t length, int32_t blockSize, const char* operation,
    const char* tail = nullptr, int32_t tailLength = 0)
{
    auto* rep = new (std::nothrow) FCStringRep(text, length, blockSize, tail, tailLength, operation);
    if (!rep)
        outOfMemory(operation);
    return rep;
}

int32_t checkedLength(size_t length, const char* operation)
{
    // Leaves room for the spare block of the capacity rule.
    if (length > static_cast<size_t>(INT32_MAX) - 0x10000)
        outOfMemory(operation);
    return static_cast<int32_t>(length);
}

// Bytes of the character at p: 2 for a lead byte followed by another byte.
inline int32_t charLength(const char* p)
{
    return (isLeadByte(static_cast<unsigned char>(p[0])) && p[1] != '\0') ? 2 : 1;
}

inline uint32_t charCode(const char* p)
{
    auto lead = static_cast<unsigned char>(p[0]);
    return charLength(p) == 2 ? lead * 256u + static_cast<unsigned char>(p[1]) : lead;
}

// Counts the lead-range bytes just before p (down to text). A character
// boundary follows every byte outside the lead range, so the parity of this
// run tells whether p is a trail byte without scanning from the start.
inline int32_t leadRunBefore(const char* text, const char* p)
{
    int32_t run = 0;
    while (p > text && isLeadByte(static_cast<unsigned char>(p[-1]))) {
        --p;
        ++run;
    }
    return run;
}

// The start of the character holding the byte at p.
inline const char* charStart(const char* text, const char* p)
{
    if (*p != '\0' && (leadRunBefore(text, p) & 1))
        return p - 1;
    return p;
}

// The start of the character before p (p on a boundary, above text).
inline const char* previousChar(const char* text, const char* p)
{
    const char* last = p - 1;
    return (leadRunBefore(text, last) & 1) ? last - 1 : last;
}

bool inSet(const char* p, const char* set)
{
    if (!set)
        return false;
    uint32_t code = charCode(p);
    for (const char* s = set; *s; s += charLength(s)) {
        if (charCode(s) == code)
            return true;
    }
    return false;
}

const char* skipInSet(const char* p, const char* set)
{
    while (*p && inSet(p, set))
        p += charLength(p);
    return p;
}

const char* findInSet(const char* p, const char* set)
{
    while (*p && !inSet(p, set))
        p += charLength(p);
    return p;
}

// The first occurrence of find (length findLength) at a character boundary.
const char* findAt(const char* p, const char* find, size_t findLength)
{
    for (; *p; p += charLength(p)) {
        if (*p == *find && std::strncmp(p, find, findLength) == 0)
            return p;
    }
    return nullptr;
}

// Field and token copies go through a stack buffer, or a heap buffer for
// long ones, like every other text the string takes from itself.
void assignField(FCString& out, const char* start, int32_t length, int32_t blockSize)
{
    constexpr int32_t kLocal = 2048;
    char local[kLocal];
    std::unique_ptr<char, void (*)(void*)> heap(nullptr, FCHeap::release);
    char* buffer = local;
    if (length >= kLocal) {
        heap.reset(static_cast<char*>(FCHeap::allocate(static_cast<size_t>(length) + 1, FCHeap::kNoThrow)));
        if (!heap)
            outOfMemory(kBuffer);
        buffer = heap.get();
    }
    std::memcpy(buffer, start, static_cast<size_t>(length));
    buffer[length] = '\0';
    out.assign(buffer, length, blockSize);
}

int digitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 10;
    return 99;
}

bool isSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// 16 after "0x" and a hex digit, 2 after "0b" and a binary digit, else 10.
int detectBase(const char* p, const char** digits)
{
    *digits = p;
    if (p[0] != '0' || p[1] == '\0' || p[2] == '\0')
        return 10;
    if ((p[1] == 'x' || p[1] == 'X') && digitValue(p[2]) < 16) {
        *digits = p + 2;
        return 16;
    }
    if ((p[1] == 'b' || p[1] == 'B') && (p[2] == '0' || p[2] == '1')) {
        *digits = p + 2;
        return 2;
    }
    return 10;
}

// strtoul over 32 bits: blanks, sign, digits; saturates on overflow.
uint32_t parseUnsigned(const char* p, int base)
{
    while (isSpace(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    uint64_t value = 0;
    bool overflow = false;
    for (int digit; (digit = digitValue(*p)) < base; ++p) {
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
        if (value > UINT32_MAX) {
            overflow = true;
            value = UINT32_MAX;
        }
    }
    if (overflow)
        return UINT32_MAX;
    auto result = static_cast<uint32_t>(value);
    return negative ? 0u - result : result;
}

// Decimal with blanks and sign, clamped to the 32-bit range.
int32_t parseDecimal(const char* p)
{
    while (isSpace(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    int64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (value <= int64_t(INT32_MAX) + 1)
            value = value * 10 + (*p - '0');
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

// Digits of value in base (2-36), lower case, most significant first.
int32_t unsignedDigits(uint32_t value, int32_t base, char* out)
{
    char reversed[33];
    int32_t count = 0;
    do {
        auto digit = static_cast<int32_t>(value % static_cast<uint32_t>(base));
        reversed[count++] = static_cast<char>(digit < 10 ? '0' + digit : 'a' + digit - 10);
        value /= static_cast<uint32_t>(base);
    } while (value);
    for (int32_t i = 0; i < count; ++i)
        out[i] = reversed[count - 1 - i];
    out[count] = '\0';
    return count;
}

// The runtime keeps no far or near pointers: drops the F and N size
// modifiers of old formats ("%Fs", "%Np") so they reach vsnprintf as C99.
std::string withoutPointerModifiers(const char* format)
{
    std::string result;
    for (const char* p = format; *p;) {
        result += *p;
        if (*p++ != '%')
            continue;
        if (*p == '%') {
            result += *p++;
            continue;
        }
        while (*p && std::strchr("-+ #0123456789.*", *p))
            result += *p++;
        while ((*p == 'F' || *p == 'N') && p[1] && std::strchr("hlLIwcCsSdiouxXeEfgGpn", p[1]))
            ++p;
    }
    return result;
}

} // namespace

void mapAsciiCase(char* text, bool upper)
{
    for (char* p = text; *p; p += charLength(p)) {
        if (upper && *p >= 'a' && *p <= 'z')
            *p = static_cast<char>(*p - 'a' + 'A');
        else if (!upper && *p >= 'A' && *p <= 'Z')
            *p = static_cast<char>(*p - 'A' + 'a');
    }
}

FCStringRep::FCStringRep(const char* source, int32_t sourceLength, int32_t block, const char* tail, int32_t tailLength,
    const char* operation)
    : references(1)
    , blockSize(block < 16 ? 16 : block)
{
    const char* op = operation ? operation : kCreate;
    int64_t total = int64_t(sourceLength) + tailLength;
    if (sourceLength < 0 || tailLength < 0 || total > int64_t(INT32_MAX) - 2 * int64_t(blockSize))
        outOfMemory(op);
    length = static_cast<int32_t>(total);
    capacity = ((length + 1) / blockSize + 1) * blockSize;
    text = static_cast<char*>(FCHeap::allocate(static_cast<size_t>(capacity), FCHeap::kNoThrow));
    if (!text)
        outOfMemory(op);
    // A null source leaves its bytes for the caller to fill.
    if (sourceLength && source)
        std::memcpy(text, source, static_cast<size_t>(sourceLength));
    if (tailLength && tail)
        std::memcpy(text + sourceLength, tail, static_cast<size_t>(tailLength));
    text[length] = '\0';
}

FCStringRep::~FCStringRep()
{
    FCHeap::release(text);
}

FCString::FCString()
    : m_rep(makeRep("", 0, kDefaultBlockSize, kCreate))
    , m_cursor(m_rep->text)
{
}

FCString::FCString(const char* text, int32_t blockSize)
    : m_rep(makeRep(text, text ? checkedLength(std::strlen(text), kCreate) : 0, blockSize, kCreate))
    , m_cursor(m_rep->text)
{
}

FCString::FCString(const FCString& other)
    : m_rep(other.m_rep)
    , m_cursor(other.m_cursor)
{
    m_rep->references.fetch_add(1, std::memory_order_relaxed);
}

FCString& FCString::operator=(const FCString& other)
{
    if (m_rep != other.m_rep) {
        other.m_rep->references.fetch_add(1, std::memory_order_relaxed);
        release();
        m_rep = other.m_rep;
        m_cursor = other.m_cursor;
    }
    return *this;
}

FCString& FCString::operator=(const char* text)
{
    assign(text, m_rep->blockSize);
    return *this;
}

FCString::~FCString()
{
    release();
}

FCIdString::~FCIdString() = default;

void FCString::release()
{
    if (m_rep->references.fetch_sub(1, std::memory_order_acq_rel) == 1)
        delete m_rep;
}

void FCString::adopt(FCStringRep* rep)
{
    auto offset = static_cast<int32_t>(m_cursor - m_rep->text);
    release();
    m_rep = rep;
    m_cursor = rep->text + (offset < rep->length ? offset : rep->length);
}

void FCString::makePrivate()
{
    if (m_rep->references.load(std::memory_order_acquire) > 1)
        adopt(makeRep(m_rep->text, m_rep->length, m_rep->blockSize, kCreate));
}

bool FCString::operator==(const FCString& other) const
{
    return m_rep == other.m_rep
        || (m_rep->length == other.m_rep->length && std::strcmp(m_rep->text, other.m_rep->text) == 0);
}

bool FCString::operator==(const char* other) const
{
    return std::strcmp(m_rep->text, other ? other : "") == 0;
}

char* FCString::copyTo(char* buffer, int32_t size) const
{
    if (!buffer || m_rep->length >= size)
        return nullptr;
    std::memcpy(buffer, m_rep->text, static_cast<size_t>(m_rep->length) + 1);
    return buffer + m_rep->length;
}

int32_t FCString::toInt(bool fromCursor) const
{
    const char* digits;
    switch (detectBase(fromCursor ? m_cursor : m_rep->text, &digits)) {
    case 16:
        return static_cast<int32_t>(parseUnsigned(digits, 16));
    case 2:
        return static_cast<int32_t>(parseUnsigned(digits, 2));
    default:
        return parseDecimal(digits);
    }
}

uint32_t FCString::toUnsigned(bool fromCursor) const
{
    const char* digits;
    int base = detectBase(fromCursor ? m_cursor : m_rep->text, &digits);
    return parseUnsigned(digits, base);
}

void FCString::assign(const char* text, int32_t blockSize)
{
    assign(text, text ? checkedLength(std::strlen(text), kCreate) : 0, blockSize);
}

void FCString::assign(const char* text, int32_t length, int32_t blockSize)
{
    FCStringRep* rep = makeRep(text, text ? length : 0, blockSize, kCreate);
    release();
    m_rep = rep;
    m_cursor = rep->text;
}

void FCString::appendBytes(const char* text, int32_t added, const char* operation)
{
    if (added <= 0)
        return;
    int64_t newLength = int64_t(m_rep->length) + added;
    if (m_rep->capacity > newLength && m_rep->references.load(std::memory_order_acquire) == 1) {
        std::memcpy(m_rep->text + m_rep->length, text, static_cast<size_t>(added));
        m_rep->length = static_cast<int32_t>(newLength);
        m_rep->text[m_rep->length] = '\0';
        return;
    }
    // Old text plus the appended text in one new representation.
    adopt(makeRep(m_rep->text, m_rep->length, m_rep->blockSize, operation, text, added));
}

void FCString::append(const char* text)
{
    if (text)
        appendBytes(text, checkedLength(std::strlen(text), kAppend), kAppend);
}

void FCString::append(const char* text, int32_t maxBytes)
{
    if (!text)
        return;
    int32_t taken = 0;
    while (taken < maxBytes && text[taken]) {
        int32_t step = charLength(text + taken);
        if (taken + step > maxBytes)
            break;
        taken += step;
    }
    appendBytes(text, taken, kAppend);
}

void FCString::prepend(const char* text)
{
    if (!text)
        return;
    int32_t added = checkedLength(std::strlen(text), kPrepend);
    auto offset = static_cast<int32_t>(m_cursor - m_rep->text);
    FCStringRep* rep = makeRep(text, added, m_rep->blockSize, kPrepend, m_rep->text, m_rep->length);
    release();
    m_rep = rep;
    // The cursor stays on the character it was on.
    m_cursor = rep->text + added + offset;
}

void FCString::appendUnsigned(uint32_t value, int32_t base, int32_t width, char pad)
{
    if (base < 2 || base > 36)
        return;
    char digits[34];
    int32_t count = unsignedDigits(value, base, digits);
    if (width <= 0 || width == count) {
        append(digits);
    } else if (width < count) {
        append(digits + (count - width));
    } else {
        std::string padded(static_cast<size_t>(width - count), pad);
        padded += digits;
        append(padded.c_str());
    }
}

void FCString::appendNumber(int32_t value, int32_t base, int32_t width, char pad)
{
    if (base < 2 || base > 36)
        return;
    // Like the runtime's itoa: a sign in base 10, two's complement elsewhere.
    char digits[35];
    int32_t count;
    if (base == 10 && value < 0) {
        digits[0] = '-';
        count = 1 + unsignedDigits(0u - static_cast<uint32_t>(value), 10, digits + 1);
    } else {
        count = unsignedDigits(static_cast<uint32_t>(value), base, digits);
    }
    if (width <= 0 || width == count) {
        append(digits);
    } else if (width < count) {
        append(digits + (count - width));
    } else {
        std::string padded(static_cast<size_t>(width - count), pad);
        padded += digits;
        append(padded.c_str());
    }
}

void FCString::setNumber(int32_t value)
{
    assign("", m_rep->blockSize);
    appendNumber(value, 10);
}

void FCString::format(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    try {
        formatV(format, arguments);
    } catch (...) {
        va_end(arguments);
        throw;
    }
    va_end(arguments);
}

void FCString::formatV(const char* format, va_list arguments)
{
    if (!format) {
        assign("", m_rep->blockSize);
        return;
    }
    std::string pattern = withoutPointerModifiers(format);
    va_list measuring;
    va_copy(measuring, arguments);
    int needed = std::vsnprintf(nullptr, 0, pattern.c_str(), measuring);
    va_end(measuring);
    if (needed < 0) {
        assign("", m_rep->blockSize);
        return;
    }
    FCStringRep* rep = makeRep(nullptr, checkedLength(static_cast<size_t>(needed), kFormat), m_rep->blockSize, kFormat);
    std::vsnprintf(rep->text, static_cast<size_t>(needed) + 1, pattern.c_str(), arguments);
    // A %c of zero or a wide text the code page cannot hold may stop short.
    rep->length = static_cast<int32_t>(std::strlen(rep->text));
    release();
    m_rep = rep;
    m_cursor = rep->text;
}

void FCString::clear()
{
    if (m_rep->references.load(std::memory_order_acquire) > 1) {
        assign("", m_rep->blockSize);
        return;
    }
    m_rep->length = 0;
    m_rep->text[0] = '\0';
    m_cursor = m_rep->text;
}

void FCString::renew()
{
    adopt(makeRep(m_rep->text, m_rep->length, m_rep->blockSize, kCreate));
}

// --- Cursor ---

void FCString::setCursor(const char* position)
{
    const char* start = m_rep->text;
    const char* end = start + m_rep->length;
    if (!position || position < start)
        m_cursor = start;
    else
        m_cursor = charStart(start, position > end ? end : position);
}

void FCString::setCursorIndex(int32_t byteIndex)
{
    if (byteIndex < 0)
        byteIndex = 0;
    setCursor(m_rep->text + (byteIndex < m_rep->length ? byteIndex : m_rep->length));
}

uint32_t FCString::character() const
{
    return charCode(charStart(m_rep->text, m_cursor));
}

bool FCString::next()
{
    const char* p = m_cursor;
    if (*p)
        p += charLength(p);
    m_cursor = p;
    return *p != '\0';
}

bool FCString::previous()
{
    const char* p = m_cursor;
    if (p == m_rep->text) {
        m_cursor = p;
        return false;
    }
    m_cursor = previousChar(m_rep->text, p);
    return true;
}

uint32_t FCString::moveTo(int32_t index, int32_t origin)
{
    const char* text = m_rep->text;
    const char* p;
    if (origin == kFromEnd) {
        if (index > 0)
            return 0;
        p = text + m_rep->length;
    } else {
        p = origin == kFromCursor ? m_cursor : text;
        if (origin != kFromCursor && index < 0)
            return 0;
    }
    for (; index > 0; --index) {
        if (!*p)
            return 0;
        p += charLength(p);
    }
    for (; index < 0; ++index) {
        if (p == text)
            return 0;
        p = previousChar(text, p);
    }
    m_cursor = p;
    return charCode(p);
}

const char* FCString::findChar(uint32_t ch)
{
    const char* p = m_cursor;
    while (*p && charCode(p) != ch)
        p += charLength(p);
    m_cursor = p;
    return *p ? p : nullptr;
}

const char* FCString::findAnyOf(const char* set)
{
    const char* p = findInSet(m_cursor, set);
    m_cursor = p;
    return *p ? p : nullptr;
}

const char* FCString::findLastOf(const char* set)
{
    const char* last = nullptr;
    const char* p = m_cursor;
    for (; *p; p += charLength(p)) {
        if (inSet(p, set))
            last = p;
    }
    m_cursor = last ? last : p;
    return last;
}

const char* FCString::skip(const char* set)
{
    const char* p = skipInSet(m_cursor, set);
    m_cursor = p;
    return *p ? p : nullptr;
}

const char* FCString::skipBackward(const char* set, const char* bound)
{
    const char* text = m_rep->text;
    const char* end = text + m_rep->length;
    if (!bound || bound < text || bound > end)
        bound = text;
    const char* p = m_cursor;
    if (!*p) {
        if (p == bound) {
            m_cursor = p;
            return nullptr;
        }
        p = previousChar(text, p);
    }
    while (inSet(p, set)) {
        if (p <= bound) {
            m_cursor = bound;
            return nullptr;
        }
        p = previousChar(text, p);
    }
    m_cursor = p;
    return p;
}

const char* FCString::findText(const char* find, const char* separators)
{
    const char* p = m_cursor;
    const char* end = m_rep->text + m_rep->length;
    if (!find || !*find) {
        m_cursor = end;
        return nullptr;
    }
    size_t findLength = std::strlen(find);
    if (!separators) {
        const char* match = findAt(p, find, findLength);
        m_cursor = match ? match : end;
        return match;
    }
    for (;;) {
        p = skipInSet(p, separators);
        if (!*p)
            break;
        const char* tokenEnd = findInSet(p, separators);
        if (static_cast<size_t>(tokenEnd - p) == findLength && std::memcmp(p, find, findLength) == 0) {
            m_cursor = p;
            return p;
        }
        p = tokenEnd;
    }
    m_cursor = end;
    return nullptr;
}

// --- Tokens ---

const char* FCString::nextToken(FCString& out, const char* separators, bool includeSeparator)
{
    const char* start = skipInSet(m_cursor, separators);
    if (!*start) {
        m_cursor = start;
        out.assign("", kShortBlockSize);
        return nullptr;
    }
    const char* end = findInSet(start, separators);
    if (includeSeparator && *end)
        end += charLength(end);
    // out may be this string: take the offsets before replacing anything.
    auto startOffset = static_cast<int32_t>(start - m_rep->text);
    auto endOffset = static_cast<int32_t>(end - m_rep->text);
    m_cursor = end;
    assignField(out, start, endOffset - startOffset, kShortBlockSize);
    return &out == this ? m_rep->text : m_rep->text + startOffset;
}

int32_t FCString::getField(FCString& out, const char* separators, bool keepEmpty, char* separatorFound)
{
    if (separatorFound)
        *separatorFound = '\0';
    const char* p = m_cursor;
    if (!keepEmpty)
        p = skipInSet(p, separators);
    if (!*p) {
        m_cursor = p;
        out.clear();
        return kNoField;
    }
    const char* start = p;
    p = findInSet(p, separators);
    auto length = static_cast<int32_t>(p - start);
    int32_t result = kField;
    if (*p) {
        if (separatorFound)
            *separatorFound = *p;
        p += charLength(p);
        if (keepEmpty && !*p)
            result = kFieldBeforeTrailingSeparator;
    }
    m_cursor = p;
    assignField(out, start, length, out.blockSize());
    return result;
}

int32_t FCString::split(FCString* out, int32_t count, const char* separators, int32_t options, const char* skipBefore)
{
    const char* p = m_cursor;
    int32_t filled = 0;
    while (out && filled < count) {
        if (options == kSplitSkipEmpty) {
            while (*p && (inSet(p, skipBefore) || inSet(p, separators)))
                p += charLength(p);
        } else {
            while (*p && inSet(p, skipBefore) && !inSet(p, separators))
                p += charLength(p);
        }
        if (!*p)
            break;
        const char* start = p;
        if (options == kSplitRestInLast && filled == count - 1)
            p = start + std::strlen(start);
        else
            p = findInSet(p, separators);
        FCString& field = out[filled++];
        field.assign(start, static_cast<int32_t>(p - start), field.blockSize());
        if (!*p)
            break;
        p += charLength(p);
        if (!*p) {
            if (options == kSplitTrailingEmpty && filled < count) {
                FCString& empty = out[filled++];
                empty.assign("", empty.blockSize());
            }
            break;
        }
    }
    m_cursor = p;
    return filled;
}

bool FCString::readLine(FCString& out, int32_t options)
{
    const char* p = m_cursor;
    while (*p) {
        for (;;) {
            if ((options & kTrimBlanks) && (*p == ' ' || *p == '\t'))
                ++p;
            else if ((options & kTrimIdeographicSpace) && charLength(p) == 2 && charCode(p) == 0x8140)
                p += 2; // the ideographic space of code page 932
            else
                break;
        }
        const char* start = p;
        while (*p && *p != '\r' && *p != '\n')
            p += charLength(p);
        const char* end = p;
        if (*p == '\r' && p[1] == '\n')
            p += 2;
        else if (*p)
            ++p;
        if (end > start || (options & kKeepEmptyLines)) {
            m_cursor = p;
            assignField(out, start, static_cast<int32_t>(end - start), out.blockSize());
            return true;
        }
    }
    m_cursor = p;
    return false;
}

// --- Changing ---

void FCString::substring(FCString& out, const char* from, const char* to) const
{
    const char* text = m_rep->text;
    const char* end = text + m_rep->length;
    const char* first = from ? from : text;
    const char* last = to ? to : (end > text ? end - 1 : end);
    if (first < text || first > end || last < text || last > end) {
        char message[160];
        std::snprintf(message, sizeof message, "  start:%llu\n    end:%llu\nstrings:%llu\n length:%ld",
            static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(from)),
            static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(to)),
            static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(text)), static_cast<long>(m_rep->length));
        UxMessageBox::show(nullptr, message, "FCString class", UxMessageBox::kOk);
        return;
    }
    if (first > last)
        std::swap(first, last);
    first = charStart(text, first);
    const char* stop = last;
    if (*last) {
        last = charStart(text, last);
        stop = last + charLength(last);
    }
    out.assign(first, static_cast<int32_t>(stop - first), out.blockSize());
}

int32_t FCString::replaceAll(const char* find, const char* replacement)
{
    if (!find || !*find)
        return 0;
    if (!replacement)
        replacement = "";
    size_t findLength = std::strlen(find);
    size_t replacementLength = std::strlen(replacement);
    int32_t matches = 0;
    for (const char* p = m_rep->text; (p = findAt(p, find, findLength)); p += findLength)
        ++matches;
    if (!matches)
        return 0;
    int64_t newLength = int64_t(m_rep->length) + int64_t(matches) * (int64_t(replacementLength) - int64_t(findLength));
    FCStringRep* rep
        = makeRep(nullptr, checkedLength(static_cast<size_t>(newLength), kCreate), m_rep->blockSize, kCreate);
    char* out = rep->text;
    const char* p = m_rep->text;
    for (const char* match; (match = findAt(p, find, findLength)); p = match + findLength) {
        std::memcpy(out, p, static_cast<size_t>(match - p));
        out += match - p;
        std::memcpy(out, replacement, replacementLength);
        out += replacementLength;
    }
    std::memcpy(out, p, std::strlen(p) + 1);
    adopt(rep);
    home();
    return matches;
}

void FCString::toLower()
{
    makePrivate();
    mapAsciiCase(m_rep->text, false);
}

void FCString::toUpper()
{
    makePrivate();
    mapAsciiCase(m_rep->text, true);
}

void FCString::mapString(int32_t flags)
{
    if (flags == kMapHtmlEscape) {
        // "&" first, so the entities made after it stay as they are.
        replaceAll("&", "&amp;");
        replaceAll("\"", "&quot;");
        replaceAll("<", "&lt;");
        replaceAll(">", "&gt;");
        return;
    }
    if (flags == kMapHtmlUnescape) {
        replaceAll("&quot;", "\"");
        replaceAll("&lt;", "<");
        replaceAll("&gt;", ">");
        replaceAll("&amp;", "&");
        return;
    }
    std::string mapped;
    if (mapTextPlatform(m_rep->text, static_cast<uint32_t>(flags), mapped)) {
        auto offset = cursorIndex();
        assign(mapped.c_str(), checkedLength(mapped.size(), kCreate), m_rep->blockSize);
        setCursorIndex(offset);
    }
}

void FCString::fromWide(const wchar_t* text)
{
    std::string narrow = ::fromWide(text);
    assign(narrow.c_str(), checkedLength(narrow.size(), kCreate), m_rep->blockSize);
}

void FCString::fromUtf8(const char* text)
{
    std::string narrow = ::fromUtf8(text);
    assign(narrow.c_str(), checkedLength(narrow.size(), kCreate), m_rep->blockSize);
}

std::wstring FCString::toWide() const
{
    return ::toWide(m_rep->text);
}

std::string FCString::toUtf8() const
{
    return ::toUtf8(m_rep->text);
}
