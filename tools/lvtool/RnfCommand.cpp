#include "tools/lvtool/RnfCommand.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "foundation/Diagnostic.h"
#include "foundation/FCFile.h"
#include "foundation/FCPath.h"
#include "foundation/UxMessageBox.h"
#include "startup/UxRnf.h"
#include "tools/lvtool/ToolSupport.h"

namespace {

int rnfUsage()
{
    std::fprintf(stderr,
        "usage: lvtool rnf dump FILE\n"
        "       lvtool rnf set FILE KEY VALUE\n"
        "       lvtool rnf remove FILE KEY\n");
    return 2;
}

// Reads the file exactly as the host does. A file that exists but cannot be
// opened is a failure here, where the host would go on without its pairs.
bool readable(const char* path)
{
    FCFile file;
    return file.open(path, FCFile::kOpenExisting, FCFile::kRead, FCFile::kShareRead, 0x80, true) == 0;
}

int cancelFileErrors(const UxMessageBox::Request& request, void*)
{
    return (request.style & 0xF) == UxMessageBox::kRetryCancel ? UxMessageBox::kIdCancel
                                                               : UxMessageBox::firstButton(request.style);
}

} // namespace

// The .rnf configuration files: dump prints the pairs (unscrambled) as
// key=value lines in the order the host keeps and saves them; set and remove
// rewrite the file as the host saves it, as plain text, replacing it whole.
int runRnfCommand(int argc, char** argv)
{
    if (argc < 2)
        return rnfUsage();
    const char* action = argv[0];
    const char* path = argv[1];
    bool dump = std::strcmp(action, "dump") == 0 && argc == 2;
    bool set = std::strcmp(action, "set") == 0 && argc == 4;
    bool remove = std::strcmp(action, "remove") == 0 && argc == 3;
    if (!dump && !set && !remove)
        return rnfUsage();
    // Only what reads back as the same pair.
    if (set
        && (!*argv[2] || std::strpbrk(argv[2], "= \t\r\n") || std::strpbrk(argv[3], "\t\r\n")
            || (argv[3][0] && std::strchr("= ", argv[3][0])))) {
        std::fprintf(stderr,
            "lvtool: a key holds no '=', blank, tab or line break; a value no tab or line break "
            "and begins with no '=' or blank\n");
        return rnfUsage();
    }
    // The host's file errors ask Retry or Cancel; the tool cancels at once
    // and reports the failure in its own one line.
    UxMessageBox::intercept(cancelFileErrors, nullptr);

    bool exists = FCPath::exists(path);
    if ((dump || remove || exists) && !readable(path))
        return fail(path, "cannot read the file");

    UxRnf rnf;
    rnf.setWriteBack(false);
    rnf.load(path);
    if (dump) {
        for (const auto& [key, value] : rnf.pairs()) {
            std::fwrite(key.text(), 1, static_cast<size_t>(key.length()), stdout);
            std::fputc('=', stdout);
            std::fwrite(value.text(), 1, static_cast<size_t>(value.length()), stdout);
            std::fputc('\n', stdout);
        }
        return std::fflush(stdout) == 0 ? 0 : fail(path, "cannot write the output");
    }

    // Saving writes plain text: a scrambled file would lose its scramble.
    if (rnf.wasScrambled())
        return fail(path, "the file is scrambled (rnftype 1); edit its plain text instead");
    if (set) {
        rnf.set(argv[2], argv[3]);
    } else if (!rnf.remove(argv[2])) {
        return fail(path, (std::string("no key '") + argv[2] + "'").c_str());
    }
    bool saved = false;
    try {
        saved = rnf.save(path);
    } catch (const Diagnostic&) {
        saved = false;
    }
    return saved ? 0 : fail(path, "cannot write the file");
}
