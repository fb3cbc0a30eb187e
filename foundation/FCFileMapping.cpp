#include "foundation/FCFileMapping.h"

#include <string>

#include "foundation/detail/FileSystem.h"

FCFileMapping::FCFileMapping()
    : m_mapping(nullptr)
    , m_view(nullptr)
    , m_viewAccess(kMapRead)
    , m_granularity(fcsystem::allocationGranularity())
    , m_viewMultiple(1)
    , m_sizeLow(0)
    , m_sizeHigh(0)
    , m_viewOffset(0)
    , m_viewSize(0)
{
}

FCFileMapping::~FCFileMapping()
{
    close();
}

bool FCFileMapping::open(const char* path, uint32_t protection)
{
    close();
    bool readWrite = protection == kPageReadWrite || protection == kPageWriteCopy;
    bool copyOnWrite = protection == kPageWriteCopy;
    uint64_t size = 0;
    void* mapping = nullptr;
    if (!fcsystem::openMapping(fcsystem::resolve(path).c_str(), readWrite, copyOnWrite, &mapping, size))
        return false;
    m_mapping = mapping;
    // A write-copy mapping takes copy views; the system refuses all access there.
    m_viewAccess = copyOnWrite ? kMapCopy : readWrite ? kMapAllAccess : kMapRead;
    m_sizeLow = static_cast<uint32_t>(size);
    m_sizeHigh = static_cast<uint32_t>(size >> 32);
    mapView(0, size < m_granularity ? size : m_granularity);
    return true;
}

uint8_t* FCFileMapping::at(uint64_t offset, uint32_t length, uint32_t* available)
{
    if (available)
        *available = 0;
    uint64_t fileSize = size();
    if (!m_mapping || offset >= fileSize)
        return nullptr;
    uint64_t clipped = fileSize - offset < length ? fileSize - offset : length;
    // An empty range still needs its first byte in the view.
    uint64_t end = offset + (clipped ? clipped : 1);
    if (!m_view || offset < m_viewOffset || end > m_viewOffset + m_viewSize) {
        uint64_t base = offset - offset % m_granularity;
        uint64_t viewSize = end - base;
        if (m_viewMultiple > 1) {
            uint64_t multiple = static_cast<uint64_t>(m_viewMultiple);
            viewSize = (viewSize + multiple - 1) / multiple * multiple;
        }
        if (viewSize > fileSize - base)
            viewSize = fileSize - base;
        if (!mapView(base, viewSize))
            return nullptr;
    }
    if (available)
        *available = static_cast<uint32_t>(clipped);
    return m_view + (offset - m_viewOffset);
}

uint8_t* FCFileMapping::mapAll()
{
    if (!m_mapping)
        return nullptr;
    if (m_view && m_viewOffset == 0 && m_viewSize == size())
        return m_view;
    return mapView(0, size()) ? m_view : nullptr;
}

void FCFileMapping::setViewMultiple(int32_t n)
{
    m_viewMultiple = n > 0 ? n : 1;
}

void FCFileMapping::unmap()
{
    if (m_view)
        fcsystem::unmapView(m_view, m_viewSize);
    m_view = nullptr;
    m_viewOffset = 0;
    m_viewSize = 0;
}

void FCFileMapping::close()
{
    unmap();
    if (m_mapping)
        fcsystem::closeMapping(m_mapping);
    m_mapping = nullptr;
    m_sizeLow = 0;
    m_sizeHigh = 0;
}

bool FCFileMapping::mapView(uint64_t offset, uint64_t size)
{
    unmap();
    // A view is addressed with 32 bits.
    if (size == 0 || size > 0xFFFFFFFFu)
        return false;
    void* view = fcsystem::mapView(m_mapping, m_viewAccess, offset, static_cast<uint32_t>(size));
    if (!view)
        return false;
    m_view = static_cast<uint8_t*>(view);
    m_viewOffset = offset;
    m_viewSize = static_cast<uint32_t>(size);
    return true;
}
