#pragma once

// lvtool anim steps SCRIPT COUNT
int runAnimCommand(int argc, char** argv);
// lvtool ease CURVE D T TOTAL
int runEaseCommand(int argc, char** argv);
