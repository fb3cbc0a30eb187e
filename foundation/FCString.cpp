#include "foundation/FCString.h"

#include <cstring>

#include "foundation/Diagnostic.h"
#include "foundation/FCHeap.h"

namespace {

int32_t capacityFor(int32_t length, int32_t blockSize)
{
    return ((length + 1) / blockSize + 1) * blockSize;
}

} // namespace

FCStringRep::FCStringRep(const char* source, int32_t sourceLength, int32_t block, const char* tail, int32_t tailLength)
    : references(1)
    , length(sourceLength + tailLength)
    , blockSize(block < 16 ? 16 : block)
{
    capacity = capacityFor(length, blockSize);
    text = static_cast<char*>(FCHeap::allocate(static_cast<size_t>(capacity), FCHeap::kNoThrow));
    if (!text)
        throw NotEnoughMemoryException("FCString - create()", kNotEnoughMemoryText);
    if (sourceLength)
        std::memcpy(text, source, static_cast<size_t>(sourceLength));
    if (tailLength)
        std::memcpy(text + sourceLength, tail, static_cast<size_t>(tailLength));
    text[length] = '\0';
}

FCStringRep::~FCStringRep()
{
    FCHeap::release(text);
}

FCString::FCString()
    : m_rep(new FCStringRep("", 0, kDefaultBlockSize))
    , m_cursor(m_rep->text)
{
}

FCString::FCString(const char* text, int32_t blockSize)
    : m_rep(new FCStringRep(text ? text : "", text ? static_cast<int32_t>(std::strlen(text)) : 0, blockSize))
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

void FCString::release()
{
    if (m_rep->references.fetch_sub(1, std::memory_order_acq_rel) == 1)
        delete m_rep;
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

void FCString::assign(const char* text, int32_t blockSize)
{
    auto* rep = new FCStringRep(text ? text : "", text ? static_cast<int32_t>(std::strlen(text)) : 0, blockSize);
    release();
    m_rep = rep;
    m_cursor = rep->text;
}

void FCString::append(const char* text)
{
    if (!text)
        return;
    auto added = static_cast<int32_t>(std::strlen(text));
    int32_t newLength = m_rep->length + added;
    if (m_rep->capacity > newLength && m_rep->references.load(std::memory_order_acquire) == 1) {
        std::memcpy(m_rep->text + m_rep->length, text, static_cast<size_t>(added) + 1);
        m_rep->length = newLength;
        return;
    }
    // Old text plus the appended text in one new representation.
    adopt(new FCStringRep(m_rep->text, m_rep->length, m_rep->blockSize, text, added));
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
    adopt(new FCStringRep(m_rep->text, m_rep->length, m_rep->blockSize));
}

void FCString::adopt(FCStringRep* rep)
{
    size_t cursorOffset = static_cast<size_t>(m_cursor - m_rep->text);
    release();
    m_rep = rep;
    m_cursor = rep->text + cursorOffset;
}
