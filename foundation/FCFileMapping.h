#pragma once

#include <cstdint>

#include "foundation/LumivexApi.h"

// A file mapped into memory through one sliding view: at() returns a pointer
// to any byte range, remapping the view when the range is outside it, so a
// pointer is valid only until the next at(), mapAll(), unmap() or close().
class LUMIVEX_API FCFileMapping {
public:
    // The Windows PAGE_* protections.
    enum Protection : uint32_t { kPageReadOnly = 0x02, kPageReadWrite = 0x04, kPageWriteCopy = 0x08 };
    // The Windows FILE_MAP_* view accesses.
    enum ViewAccess : uint32_t { kMapCopy = 0x01, kMapRead = 0x04, kMapAllAccess = 0xF001F };

    FCFileMapping();
    virtual ~FCFileMapping();
    FCFileMapping(const FCFileMapping&) = delete;
    FCFileMapping& operator=(const FCFileMapping&) = delete;

    // Closes any mapping. Read-write protections open the file for reading
    // and writing (creating it); others open an existing file shared for
    // reading. The first view covers the first allocation granularity bytes.
    // False (and unmapped) when the file cannot be opened or is empty.
    bool open(const char* path, uint32_t protection = kPageReadOnly);
    bool openReadOnly(const char* path) { return open(path, kPageReadOnly); }

    // The file's bytes from offset on; null when nothing is mapped or offset
    // is at or beyond the end. available receives length clipped to the end.
    uint8_t* at(uint64_t offset, uint32_t length, uint32_t* available = nullptr);
    // The whole file as the view; null when nothing is mapped.
    uint8_t* mapAll();
    // Remapped views are rounded up to a multiple of n bytes (n < 1: 1).
    void setViewMultiple(int32_t n);
    void unmap();
    void close();

    bool isOpen() const { return m_mapping != nullptr; }
    uint64_t size() const { return (static_cast<uint64_t>(m_sizeHigh) << 32) | m_sizeLow; }
    uint64_t viewOffset() const { return m_viewOffset; }
    uint32_t viewSize() const { return m_viewSize; }
    uint32_t allocationGranularity() const { return m_granularity; }

private:
    bool mapView(uint64_t offset, uint64_t size);

    void* m_mapping;
    uint8_t* m_view;
    uint32_t m_viewAccess;
    uint32_t m_granularity;
    int32_t m_viewMultiple;
    uint32_t m_sizeLow;
    uint32_t m_sizeHigh;
    uint64_t m_viewOffset;
    uint32_t m_viewSize;
};
