#pragma once

#include <cstdint>

#include "foundation/LumivexApi.h"
#include "scenario/FCSaveData.h"

// The integer register file of a scenario. A bad index never throws: the
// player's game goes on with element 0 after a message (a file never created
// first gets one element).
class LUMIVEX_API FCReg : public FCSaveData {
public:
    FCReg() = default;
    FCReg(const FCReg&) = delete;
    FCReg& operator=(const FCReg&) = delete;
    ~FCReg() override;

    // "FCReg", the count, then the values, little-endian.
    void save(FCFile& file) override;
    // Only from an "FCReg" record; any other record, or one whose count the
    // file cannot hold, leaves the registers and the file position as they were.
    void load(FCFile& file) override;

    // Nothing for a count below 1; else count zeros replace the old elements.
    void create(int32_t count);
    int32_t& item(int32_t index);
    int32_t& operator[](int32_t index) { return item(index); }
    void destroy();

    int32_t* elements = nullptr;
    int32_t count = 0;
};
