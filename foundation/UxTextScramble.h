#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/LumivexApi.h"

// The byte-rotation scramble of text files. A line is everything up to and
// including a line feed, so a CR LF pair ends one line and a last line
// without a line feed is never one of the plain lines. The plain lines are
// never rotated, so save and load find the same region start.

// Offset where the scrambled region begins: just after the first plainLines
// lines; SIZE_MAX when the text has fewer lines. 0 plain lines: offset 0.
LUMIVEX_API size_t scrambleRegionStart(const char* text, size_t length, int32_t plainLines);

// Byte i of the region rotates left (scramble) or right (unscramble) by key
// value i % 256, the 256 keys being UxStaticRandom(seed).next(8) in turn.
LUMIVEX_API void scrambleBytes(char* region, size_t length, uint32_t seed);
LUMIVEX_API void unscrambleBytes(char* region, size_t length, uint32_t seed);
