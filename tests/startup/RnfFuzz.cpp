#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "foundation/TextCodePage.h"
#include "startup/UxConfigFile.h"
#include "startup/UxMessageTable.h"
#include "startup/UxRnf.h"

// The bytes become an .rnf file (the first byte picks the code page) read by
// UxRnf, scrambled or not, and, as text, by the plain pair reader and the
// catalogue parser. The pairs formatted as a save writes them parse back to
// as many pairs.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const struct Scratch {
        std::string path = "rnf-fuzz-" + std::to_string(getpid()) + ".rnf";
        ~Scratch() { std::remove(path.c_str()); }
    } scratch;
    if (size < 1)
        return 0;
    setTextCodePage((data[0] & 1) ? 1252 : 932);
    std::FILE* f = std::fopen(scratch.path.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data + 1, 1, size - 1, f);
    std::fclose(f);
    UxRnf rnf;
    rnf.setWriteBack(false);
    rnf.addVariable(1, "%2%");
    rnf.addVariable(2, "value");
    rnf.load(scratch.path.c_str());
    // What a save writes reads back as the same keys.
    UxRnf::Pairs again;
    UxRnf::parse(UxRnf::format(rnf.pairs()), again);
    if (again.size() != rnf.pairs().size())
        __builtin_trap();
    FCString raw;
    raw.loadFile(scratch.path.c_str());
    UxConfigFile::Pairs pairs;
    UxConfigFile::parse(raw, pairs);
    UxMessageTable table;
    table.parse(raw);
    return 0;
}
