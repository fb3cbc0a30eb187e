#include "tools/lvtool/RegCommand.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "foundation/FCFile.h"
#include "scenario/FCReg.h"
#include "scenario/FCStrReg.h"
#include "tools/lvtool/ToolSupport.h"

namespace {

int regUsage()
{
    std::fprintf(stderr, "usage: lvtool reg dump FILE\n");
    return 2;
}

} // namespace

// Prints every register record of a file (a system data file or a save file
// of the game's own) in turn: "FCReg <count>" and one value a line, or
// "FCStrReg <count>" and one string a line. The records are read by the
// host's own register files, so the tool sees exactly what a game loads.
int runRegCommand(int argc, char** argv)
{
    if (argc != 2 || std::strcmp(argv[0], "dump") != 0)
        return regUsage();
    const char* path = argv[1];
    FCFile file;
    if (file.open(path, FCFile::kOpenExisting, FCFile::kRead, FCFile::kShareRead, 0x80, true) != 0)
        return fail(path, "cannot open the file");
    int64_t size = file.size();
    while (file.position() < size) {
        int64_t at = file.position();
        FCReg registers;
        registers.load(file);
        if (file.position() != at) {
            std::printf("FCReg %d\n", registers.count);
            for (int32_t i = 0; i < registers.count; ++i)
                std::printf("%d\n", registers.elements[i]);
            continue;
        }
        FCStrReg strings;
        strings.load(file);
        if (file.position() != at) {
            std::printf("FCStrReg %d\n", strings.count);
            for (int32_t i = 0; i < strings.count; ++i) {
                std::fwrite(strings.elements[i].text(), 1, static_cast<size_t>(strings.elements[i].length()), stdout);
                std::fputc('\n', stdout);
            }
            continue;
        }
        std::fflush(stdout);
        return fail(path, ("no register record at offset " + std::to_string(at)).c_str());
    }
    return 0;
}
