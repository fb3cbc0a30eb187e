// Register records from arbitrary bytes: load every record in turn, as the
// asset tool and a game's save loading do.
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "foundation/FCFile.h"
#include "scenario/FCReg.h"
#include "scenario/FCStrReg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/lumivex-register-fuzz-" + std::to_string(getpid());
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, out);
        std::fclose(out);
    }
    FCFile file;
    if (file.open(path.c_str(), FCFile::kOpenExisting, FCFile::kRead, FCFile::kShareRead, 0x80, true) != 0)
        return 0;
    for (;;) {
        int64_t at = file.position();
        FCReg registers;
        registers.load(file);
        FCStrReg strings;
        strings.load(file);
        if (file.position() == at)
            break;
    }
    return 0;
}
