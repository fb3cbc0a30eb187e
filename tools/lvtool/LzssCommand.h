#pragma once

// lvtool lzss decode|encode: argv starts at "decode" or "encode".
int runLzssCommand(int argc, char** argv);
