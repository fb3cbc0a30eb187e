#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>

#include "foundation/detail/FileSystem.h"

// mmap twin of the Windows mapping: the handle holds the open descriptor and
// views are mapped at the Windows granularity, a multiple of every page size.
namespace {

struct Mapping {
    int fd;
    bool writable;
    bool copyOnWrite;
};

} // namespace

namespace fcsystem {

uint32_t allocationGranularity()
{
    return 65536;
}

bool openMapping(const char* path, bool readWrite, bool copyOnWrite, void** mapping, uint64_t& size)
{
    int fd = ::open(path, readWrite ? O_RDWR | O_CREAT | O_CLOEXEC : O_RDONLY | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    struct stat status;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size <= 0) {
        ::close(fd);
        return false;
    }
    *mapping = new Mapping { fd, readWrite, copyOnWrite };
    size = static_cast<uint64_t>(status.st_size);
    return true;
}

void* mapView(void* mapping, uint32_t, uint64_t offset, uint32_t size)
{
    auto* object = static_cast<Mapping*>(mapping);
    int protection = object->writable ? PROT_READ | PROT_WRITE : PROT_READ;
    int flags = object->copyOnWrite || !object->writable ? MAP_PRIVATE : MAP_SHARED;
    void* view = mmap(nullptr, size, protection, flags, object->fd, static_cast<off_t>(offset));
    return view == MAP_FAILED ? nullptr : view;
}

void unmapView(void* view, uint32_t size)
{
    munmap(view, size);
}

void closeMapping(void* mapping)
{
    auto* object = static_cast<Mapping*>(mapping);
    ::close(object->fd);
    delete object;
}

} // namespace fcsystem
