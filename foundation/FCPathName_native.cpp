#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

#include "foundation/detail/FileSystem.h"

// Natively paths are POSIX paths; only the folders a tool can use exist.
namespace fcsystem {

uint32_t currentDirectory(std::string& out)
{
    char buffer[PATH_MAX];
    if (!getcwd(buffer, sizeof buffer))
        return static_cast<uint32_t>(errno);
    out = buffer;
    if (out.empty() || out.back() != '/')
        out += '/';
    return 0;
}

bool specialFolder(int32_t code, std::string& out)
{
    if (code == 0x7777 || code == 0x7778) {
        char buffer[PATH_MAX];
        ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
        if (length <= 0)
            return false;
        out.assign(buffer, static_cast<size_t>(length));
        if (code == 0x7778)
            out.resize(out.find_last_of('/') == std::string::npos ? 0 : out.find_last_of('/'));
        return true;
    }
    if (code == 0x777C) {
        const char* temp = std::getenv("TMPDIR");
        out = temp && *temp ? temp : "/tmp";
        if (out.back() != '/')
            out += '/';
        return true;
    }
    return false;
}

char firstCdromDrive()
{
    return 0;
}

} // namespace fcsystem
