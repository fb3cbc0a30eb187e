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

// Parses pair lines and "<--" ... "-->" blocks into pairs, keeping the first
// definition of each key. trim: FCString's line options; with
// skipLeadingSeparators, "=", blanks and tabs at a pair line's start come
// before its key.
void parsePairs(const FCString& text, Pairs& pairs, int32_t trim, bool skipLeadingSeparators);

// Writes text into path + ".new", flushes it to the disk, keeps the previous
// file as path + ".bak" and then gives the new one the name, so that a crash
// at any moment leaves a whole generation for pathToLoad to find. Failures to
// open, write or rename are reported by FCFile (which throws after the
// player's Cancel, path then left as it was); false on a failure without a
// box, with path untouched and the temporary file removed.
bool replaceWholeFile(const char* path, const FCString& text);

// The file a reader of path loads: path, or its backup when a save was cut
// off before the new file took the name.
FCString pathToLoad(const char* path);

} // namespace pairtext
