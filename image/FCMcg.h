#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/LumivexApi.h"

class FCFile;

// A CG image in a range of an open file. Scenario modules call the slots and
// read the members, so both orders are fixed; FCMcg fills in slots 2 to 4
// and appends 5 to 9.
class LUMIVEX_API FCCg {
public:
    FCCg();
    FCCg(const FCCg&) = delete;
    FCCg& operator=(const FCCg&) = delete;
    // 0
    virtual ~FCCg();
    // 1: remembers the file and the range from its position, `size` bytes
    // long (negative: to the end of the file); a closed file is ignored.
    virtual int32_t attach(FCFile& file, int32_t size);
    // 2 to 4: the format's own.
    virtual int32_t isReadable() = 0;
    virtual int32_t checkSignature() = 0;
    // A packed DIB (header, masks, table and rows in one FCHeap block that
    // the caller releases), or null.
    virtual uint8_t* decodeAll() = 0;

    FCFile* file;
    int32_t start;
    int32_t end;
};

// The plain MCG layout ("MCG "): a 64-byte header, the colour table (after
// three masks for bit fields) and the pixel rows, top-down, as an LZSS
// stream whose match items hold position and length the other way round.
class LUMIVEX_API FCMcg : public FCCg {
public:
    enum : uint32_t { kMagic = 0x2047434D };
    static constexpr int32_t kHeaderBytes = 64;

    FCMcg();
    ~FCMcg() override;
    // 2: always 1.
    int32_t isReadable() override;
    // 3: 1 when the range starts with "MCG "; the file is put back at the start.
    int32_t checkSignature() override;
    // 4: the whole range read into memory and decoded; null when nothing is
    // attached or the data is not a picture.
    uint8_t* decodeAll() override;
    // 5: a new packed DIB from the image in memory, or null when the magic
    // is wrong or the header describes no picture that the data can fill.
    virtual uint8_t* decodeMemory(const void* data, int32_t size);
    // 6: table[i] = the fourth byte of colour entry i for i < n, the rest 0.
    virtual int32_t readIndexAlpha(int32_t* table);
    // 7: the header's colour count.
    virtual int32_t colourCount();
    // 8: the stored colour entries.
    virtual int32_t readPalette(void* destination);
    // 9: writes entries over the stored table (at most the header's count).
    virtual int32_t writePalette(const void* entries, int32_t count);

    // The byte size of the packed DIB that decodeMemory returns.
    static size_t packedSize(const uint8_t* packed);
    // decodeMemory without the object (the resource loader and tools).
    static uint8_t* decode(const void* data, size_t size, size_t* packedBytes = nullptr);

private:
    // Reads the 64-byte header at the start of the range; false when nothing
    // is attached or the signature differs. The file is put back at the start.
    bool readHeader(uint8_t* header);
    int64_t tableOffset(const uint8_t* header) const;
};
