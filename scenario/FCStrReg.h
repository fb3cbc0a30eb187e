#pragma once

#include <cstdint>

#include "foundation/FCString.h"
#include "foundation/LumivexApi.h"
#include "scenario/FCSaveData.h"

// The string register file of a scenario; the same rules as FCReg.
class LUMIVEX_API FCStrReg : public FCSaveData {
public:
    FCStrReg() = default;
    FCStrReg(const FCStrReg&) = delete;
    FCStrReg& operator=(const FCStrReg&) = delete;
    ~FCStrReg() override;

    // "FCStrReg", the count, then each string in its serialised form.
    void save(FCFile& file) override;
    void load(FCFile& file) override;

    // Nothing for a count below 1; else count empty strings replace the old ones.
    void create(int32_t count);
    FCString& item(int32_t index);
    FCString& operator[](int32_t index) { return item(index); }
    void destroy();
    // Gives every string a representation made by the host.
    void renew();

    // Allocated as an array whose count sits in the word before the first element.
    FCString* elements = nullptr;
    int32_t count = 0;
};
