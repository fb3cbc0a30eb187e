#include <cstdio>
#include <cstring>

#include "tools/lvtool/AnimCommand.h"
#include "tools/lvtool/DltCommand.h"
#include "tools/lvtool/ImageCommand.h"
#include "tools/lvtool/LzssCommand.h"
#include "tools/lvtool/MidiCommand.h"
#include "tools/lvtool/RegCommand.h"
#include "tools/lvtool/RnfCommand.h"
#include "tools/lvtool/SoundCommand.h"
#include "tools/lvtool/TextCommand.h"
#include "tools/lvtool/ToolSupport.h"

// lvtool: the game makers' asset tool. Commands are added as the formats
// they work on arrive; scripts depend on their names, options and output.

namespace {

constexpr const char* kVersion = "0.1.0";

int usage(FILE* out)
{
    std::fprintf(out,
        "usage: lvtool <command> [arguments]\n"
        "\n"
        "commands:\n"
        "  version    print the tool's version\n"
        "  help       print this text\n"
        "  image      MCG images: info, decode to PAM, encode, convert to PNG or BMP;\n"
        "             several inputs followed by an existing folder make a batch\n"
        "  dlt        DLT animations: every frame as a PAM\n"
        "  lzss       encode and decode LZSS streams\n"
        "  text       scramble and unscramble text files\n"
        "  reg        print the register records of a file\n"
        "  rnf        print and change .rnf configuration files\n"
        "  midi       print the messages the sequencer sends for a MIDI file\n"
        "  sound      sound files: the decoder type, decode to raw 44.1 kHz 16-bit stereo\n"
        "  anim       the frames an animation script chooses, step by step\n"
        "  ease       the eased value of a timed move\n");
    return out == stdout ? 0 : 2;
}

} // namespace

namespace {

int run(int argc, char** argv)
{
    if (argc < 2)
        return usage(stderr);
    const char* command = argv[1];
    if (std::strcmp(command, "version") == 0 || std::strcmp(command, "--version") == 0) {
        std::printf("lvtool %s\n", kVersion);
        return 0;
    }
    if (std::strcmp(command, "image") == 0)
        return runImageCommand(argc - 2, argv + 2);
    if (std::strcmp(command, "dlt") == 0)
        return runDltCommand(argc - 2, argv + 2);
    if (std::strcmp(command, "lzss") == 0)
        return runLzssCommand(argc - 2, argv + 2);
    if (std::strcmp(command, "text") == 0)
        return runTextCommand(argc - 2, argv + 2);
    if (std::strcmp(command, "reg") == 0)
        return runRegCommand(argc - 2, argv + 2);
    if (std::strcmp(command, "rnf") == 0)
        return runRnfCommand(argc - 2, argv + 2);
    if (std::strcmp(command, "midi") == 0)
        return runMidiCommand(argc - 2, argv + 2);
    if (std::strcmp(command, "sound") == 0)
        return runSoundCommand(argc - 2, argv + 2);
    if (std::strcmp(command, "anim") == 0)
        return runAnimCommand(argc - 2, argv + 2);
    if (std::strcmp(command, "ease") == 0)
        return runEaseCommand(argc - 2, argv + 2);
    if (std::strcmp(command, "help") == 0 || std::strcmp(command, "--help") == 0)
        return usage(stdout);
    std::fprintf(stderr, "lvtool: unknown command '%s'\n", command);
    return usage(stderr);
}

} // namespace

int main(int argc, char** argv)
{
    // The last guard: whatever a command did not catch ends in one line.
    try {
        return run(argc, argv);
    } catch (...) {
        std::fprintf(stderr, "lvtool: %s\n", currentFailure().c_str());
    }
    return 1;
}
