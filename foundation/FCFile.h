#pragma once

#include <cstdint>

#include "foundation/FCString.h"
#include "foundation/LumivexApi.h"

// A file handle whose open, read and write ask the player Retry or Cancel on
// failure and throw CannotOpenException, CannotReadException or
// CannotWriteException (foundation/Diagnostic.h) on Cancel. Paths are
// resolved as path names (foundation/FCPathName.h); a path with the extension
// "lnk" opens the shortcut's target.
class LUMIVEX_API FCFile {
public:
    // The Windows CreateFile values, so callers need no Windows header.
    enum Disposition : uint32_t {
        kCreateNew = 1,
        kCreateAlways = 2,
        kOpenExisting = 3,
        kOpenAlways = 4,
        kTruncateExisting = 5
    };
    enum Access : uint32_t { kRead = 0x80000000u, kWrite = 0x40000000u, kReadWrite = 0xC0000000u };
    enum Share : uint32_t { kShareNone = 0, kShareRead = 1, kShareWrite = 2, kShareDelete = 4 };
    enum Seek : uint32_t { kFromStart = 0, kFromCurrent = 1, kFromEnd = 2 };
    // Which time getTime reads.
    enum Time : uint32_t { kLastWrite = 0, kCreation = 1, kLastAccess = 2 };

    // The SYSTEMTIME layout.
    struct TimeFields {
        uint16_t year;
        uint16_t month;
        uint16_t dayOfWeek;
        uint16_t day;
        uint16_t hour;
        uint16_t minute;
        uint16_t second;
        uint16_t milliseconds;
    };

    FCFile();
    virtual ~FCFile(); // the only virtual slot
    FCFile(const FCFile&) = delete;
    FCFile& operator=(const FCFile&) = delete;

    // 0 on success; quiet: the system error code instead of the Retry/Cancel box.
    uint32_t open(const char* path, uint32_t disposition = kOpenExisting, uint32_t access = kRead,
        uint32_t share = kShareRead, uint32_t attributes = 0x80, bool quiet = false);
    void close();
    bool isOpen() const;
    uint32_t read(void* buffer, uint32_t count); // bytes read (0 at end of file)
    uint32_t write(const void* buffer, uint32_t count); // bytes written
    int64_t seek(uint32_t method, int64_t distance); // new position, -1 when closed or failed
    int64_t position(); // seek(kFromCurrent, 0)
    int64_t size() const; // -1 when closed
    bool truncate(); // end of file at the current position
    // Pushes what was written through to the disk; false when closed or failed.
    bool flush();
    const FCString& name() const;

    // Puts source in target's place in one step (FCPath::replaceFile); a
    // failure asks Retry or Cancel as a failed write does, with target's
    // name, and Cancel throws CannotWriteException.
    static void replace(const char* source, const char* target);

    // Reads a time of the open file (local time unless keepUtc) into both
    // time members and returns it as a FILETIME value; 0 when closed or failed.
    uint64_t getTime(uint32_t which = kLastWrite, bool keepUtc = false);
    uint64_t fileTime() const { return m_time; }
    const TimeFields& timeFields() const { return m_timeFields; }

    // The system handle (HANDLE; natively the descriptor), (void*)-1 when closed.
    void* handle() const { return m_handle; }

private:
    void* m_handle;
    FCString m_name;
    uint64_t m_time;
    TimeFields m_timeFields;
};
