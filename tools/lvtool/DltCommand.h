#pragma once

// lvtool dlt: the frames of a DLT animation.
int runDltCommand(int argc, char** argv);
