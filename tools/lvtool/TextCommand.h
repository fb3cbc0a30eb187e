#pragma once

// lvtool text scramble|unscramble --seed S [--plain-lines N] IN OUT
int runTextCommand(int argc, char** argv);
