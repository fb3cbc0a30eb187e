#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "foundation/FCFile.h"
#include "foundation/FCString.h"
#include "foundation/TextCodePage.h"

// The bytes become a file read as consecutive serialised strings (the first
// byte picks the code page), as register files read them: every record is
// taken or refused without reading past the end or allocating what the file
// cannot hold, and a taken record always moves the position on.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The scratch file goes when the fuzzer exits.
    static const struct Scratch {
        std::string path = "fcstring-fuzz-" + std::to_string(getpid()) + ".tmp";
        ~Scratch() { std::remove(path.c_str()); }
    } scratch;
    const std::string& path = scratch.path;
    if (size < 1)
        return 0;
    setTextCodePage((data[0] & 1) ? 1252 : 932);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data + 1, 1, size - 1, f);
    std::fclose(f);
    FCFile file;
    if (file.open(path.c_str(), FCFile::kOpenExisting, FCFile::kRead, FCFile::kShareRead, 0x80, true) != 0)
        return 0;
    FCString text;
    for (int64_t before = file.position(); text.read(file); before = file.position()) {
        if (file.position() <= before)
            __builtin_trap();
        FCString field;
        text.getField(field, ",");
    }
    return 0;
}
