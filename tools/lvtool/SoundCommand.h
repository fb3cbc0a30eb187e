#pragma once

// lvtool sound info|decode: argv starts at "info" or "decode".
int runSoundCommand(int argc, char** argv);
