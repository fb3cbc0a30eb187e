#pragma once

#include <cstdint>

class FCFile;
class FCSignature;

namespace registerRecord {

// A count the file cannot hold is still taken up to this many elements (the
// registers past the end of the file stay empty); beyond it the record is
// refused, so a damaged or hostile file never makes the host allocate what
// the file could not have stored.
constexpr int32_t kMaxCountBeyondData = 65536;

// Reads the class-name record and the element count that follows it. False,
// with the file position put back, for another class, a short record or a
// count too large for the file (each element needs at least elementBytes).
bool readHeader(FCFile& file, const FCSignature& signature, uint32_t elementBytes, int32_t& count);

void writeHeader(FCFile& file, const FCSignature& signature, int32_t count);

// The messages of a bad index and of a file never created; the caller goes on
// with element 0.
void reportBadIndex(const char* caption, int32_t index, int32_t count);
void reportNotCreated(const char* caption);

} // namespace registerRecord
