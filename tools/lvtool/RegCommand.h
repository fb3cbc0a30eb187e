#pragma once

// lvtool reg dump FILE
int runRegCommand(int argc, char** argv);
