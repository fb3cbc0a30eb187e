#pragma once

// lvtool image info|decode|encode|convert.
int runImageCommand(int argc, char** argv);
