#pragma once

#include <cstring>
#include <map>

#include "foundation/FCString.h"

// The pair lines shared by the .rnf readers and writers.
namespace pairtext {

// Keys in byte order: the same order on every system and in every locale,
// and two keys are one key only when their bytes are equal.
struct KeyLess {
    bool operator()(const FCString& a, const FCString& b) const { return std::strcmp(a.text(), b.text()) < 0; }
};
using Pairs = std::map<FCString, FCString, KeyLess>;

// A line whose leading blanks are gone: the key runs up to the first "=",
// blank or tab; a run of those follows; the value runs up to the next tab or
// the end of the line. A line without separator is a key with an empty value.
void splitPairLine(const FCString& line, FCString& key, FCString& value);

// Writes text into a temporary file beside path, flushes it to the disk and
// then puts it in path's place, so that a crash at any moment leaves either
// the previous file or the new one. Failures to open or write are reported by
// FCFile (which throws after the player's Cancel); false on any failure,
// with path untouched and the temporary file removed.
bool replaceWholeFile(const char* path, const FCString& text);

} // namespace pairtext
