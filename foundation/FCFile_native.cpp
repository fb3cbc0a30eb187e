#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>

#include "foundation/detail/FileSystem.h"

// POSIX files for the native tools. Paths are used as given; sharing modes
// and shortcuts do not exist here.
namespace {

int descriptor(void* handle)
{
    return static_cast<int>(reinterpret_cast<intptr_t>(handle));
}

uint32_t windowsError(int error)
{
    switch (error) {
    case ENOENT:
        return 2;
    case ENOTDIR:
        return 3;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
        return 5;
    case EEXIST:
        return 80;
    default:
        return static_cast<uint32_t>(error ? error : 1);
    }
}

// 100-nanosecond intervals since 1601, the FILETIME clock.
uint64_t toFileTime(const timespec& time, long offsetSeconds)
{
    constexpr int64_t kEpochDifference = 11644473600;
    int64_t seconds = static_cast<int64_t>(time.tv_sec) + offsetSeconds + kEpochDifference;
    return static_cast<uint64_t>(seconds) * 10000000u + static_cast<uint64_t>(time.tv_nsec / 100);
}

} // namespace

namespace fcsystem {

std::string resolve(const char* path)
{
    return path ? path : "";
}

bool shortcutTarget(const char*, std::string&)
{
    return false;
}

uint32_t openFile(const char* path, uint32_t disposition, uint32_t access, uint32_t, uint32_t, void** handle)
{
    int flags = O_CLOEXEC;
    bool reading = access & 0x80000000u;
    bool writing = access & 0x40000000u;
    flags |= reading && writing ? O_RDWR : writing ? O_WRONLY : O_RDONLY;
    switch (disposition) {
    case 1:
        flags |= O_CREAT | O_EXCL;
        break;
    case 2:
        flags |= O_CREAT | O_TRUNC;
        break;
    case 3:
        break;
    case 4:
        flags |= O_CREAT;
        break;
    case 5:
        flags |= O_TRUNC;
        break;
    default:
        return 87; // invalid parameter
    }
    int fd = ::open(path, flags, 0666);
    if (fd < 0)
        return windowsError(errno);
    struct stat status;
    if (fstat(fd, &status) == 0 && S_ISDIR(status.st_mode)) {
        ::close(fd);
        return 5;
    }
    *handle = reinterpret_cast<void*>(static_cast<intptr_t>(fd));
    return 0;
}

void closeFile(void* handle)
{
    ::close(descriptor(handle));
}

uint32_t readFile(void* handle, void* buffer, uint32_t count, uint32_t* done)
{
    for (;;) {
        ssize_t read = ::read(descriptor(handle), buffer, count);
        if (read >= 0) {
            *done = static_cast<uint32_t>(read);
            return 0;
        }
        if (errno != EINTR)
            return errno == EBADF ? 5 : windowsError(errno);
    }
}

uint32_t writeFile(void* handle, const void* buffer, uint32_t count, uint32_t* done)
{
    for (;;) {
        ssize_t written = ::write(descriptor(handle), buffer, count);
        if (written >= 0) {
            *done = static_cast<uint32_t>(written);
            return 0;
        }
        if (errno != EINTR)
            return errno == EBADF ? 5 : windowsError(errno);
    }
}

int64_t seekFile(void* handle, uint32_t method, int64_t distance)
{
    static const int kWhence[] = { SEEK_SET, SEEK_CUR, SEEK_END };
    if (method > 2)
        return -1;
    off_t position = lseek(descriptor(handle), static_cast<off_t>(distance), kWhence[method]);
    return position < 0 ? -1 : static_cast<int64_t>(position);
}

int64_t fileSize(void* handle)
{
    struct stat status;
    if (fstat(descriptor(handle), &status) != 0)
        return -1;
    return static_cast<int64_t>(status.st_size);
}

bool truncateFile(void* handle)
{
    off_t position = lseek(descriptor(handle), 0, SEEK_CUR);
    return position >= 0 && ftruncate(descriptor(handle), position) == 0;
}

bool flushFile(void* handle)
{
    return fsync(descriptor(handle)) == 0;
}

bool fileTime(void* handle, uint32_t which, bool keepUtc, uint64_t& time, uint16_t fields[8])
{
    struct stat status;
    if (which > 2 || fstat(descriptor(handle), &status) != 0)
        return false;
    // POSIX keeps no creation time; the status change time stands in.
    const timespec& chosen = which == 0 ? status.st_mtim : which == 1 ? status.st_ctim : status.st_atim;
    std::tm broken {};
    time_t seconds = chosen.tv_sec;
    if (keepUtc ? !gmtime_r(&seconds, &broken) : !localtime_r(&seconds, &broken))
        return false;
    time = toFileTime(chosen, keepUtc ? 0 : broken.tm_gmtoff);
    fields[0] = static_cast<uint16_t>(broken.tm_year + 1900);
    fields[1] = static_cast<uint16_t>(broken.tm_mon + 1);
    fields[2] = static_cast<uint16_t>(broken.tm_wday);
    fields[3] = static_cast<uint16_t>(broken.tm_mday);
    fields[4] = static_cast<uint16_t>(broken.tm_hour);
    fields[5] = static_cast<uint16_t>(broken.tm_min);
    fields[6] = static_cast<uint16_t>(broken.tm_sec);
    fields[7] = static_cast<uint16_t>(chosen.tv_nsec / 1000000);
    return true;
}

bool attributes(const char* path, uint32_t& out)
{
    struct stat status;
    if (stat(path, &status) != 0)
        return false;
    out = S_ISDIR(status.st_mode) ? 0x10u : 0x80u;
    if (access(path, W_OK) != 0)
        out |= 0x01u;
    return true;
}

bool makeFolder(const char* path)
{
    if (mkdir(path, 0777) == 0)
        return true;
    struct stat status;
    return errno == EEXIST && stat(path, &status) == 0 && S_ISDIR(status.st_mode);
}

bool removeFile(const char* path)
{
    return unlink(path) == 0;
}

uint32_t replaceFile(const char* source, const char* target)
{
    if (rename(source, target) != 0)
        return errno != 0 ? static_cast<uint32_t>(errno) : EIO;
    // The rename itself lives in the folder: flush it too, so that the new
    // name survives a crash. A folder that cannot be opened is no failure.
    std::string folder(target);
    size_t slash = folder.find_last_of('/');
    folder = slash == std::string::npos ? "." : slash == 0 ? "/" : folder.substr(0, slash);
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        ::close(fd);
    }
    return 0;
}

} // namespace fcsystem
