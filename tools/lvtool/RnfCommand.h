#pragma once

// lvtool rnf dump FILE | set FILE KEY VALUE | remove FILE KEY
int runRnfCommand(int argc, char** argv);
