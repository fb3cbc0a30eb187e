#pragma once

#include <cstdint>

#include "foundation/LumivexApi.h"

class FCFile;
class FCString;

// The geometry records. Scenario modules read their members and call their
// slots, so both orders are fixed. Coordinates wrap in 32 bits rather than
// overflow, so hostile text cannot trip undefined arithmetic.

class LUMIVEX_API FCRect {
public:
    FCRect();
    FCRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
    FCRect(const FCRect& other);
    FCRect& operator=(const FCRect& other);
    virtual ~FCRect();

    // Appends "left<separator>top<separator>width<separator>height" in decimal.
    virtual void toText(FCString& out, const char* separator) const;
    // Writes left, top, right, bottom (16 bytes) at the file position;
    // 1 when written, 0 (nothing written) when the file is closed.
    virtual int32_t save(FCFile& file) const;
    // Reads left, top, width and height from text's cursor on.
    virtual void fromText(FCString& text, const char* separators);
    // Reads what save writes; 1 when all 16 bytes were there, else 0 with
    // the rectangle unchanged.
    virtual int32_t load(FCFile& file);

    int32_t width() const;
    int32_t height() const;
    bool operator==(const FCRect& other) const;

    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

class LUMIVEX_API FCPoint {
public:
    FCPoint();
    FCPoint(int32_t x, int32_t y);
    FCPoint(const FCPoint& other);
    FCPoint& operator=(const FCPoint& other);
    virtual ~FCPoint();

    // x and y (8 bytes) at the file position, as FCRect does.
    virtual int32_t save(FCFile& file) const;
    virtual int32_t load(FCFile& file);

    bool operator==(const FCPoint& other) const;

    int32_t x;
    int32_t y;
};

class LUMIVEX_API FCSize {
public:
    FCSize();
    FCSize(int32_t cx, int32_t cy);
    FCSize(const FCSize& other);
    FCSize& operator=(const FCSize& other);
    virtual ~FCSize();

    bool operator==(const FCSize& other) const;

    int32_t cx;
    int32_t cy;
};
