#pragma once

// lvtool midi schedule FILE
int runMidiCommand(int argc, char** argv);
