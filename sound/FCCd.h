#pragma once

#include "foundation/LumivexApi.h"

// The CD audio player. For now an object with its place in the scenario.
class LUMIVEX_API FCCd {
public:
    FCCd() = default;
    FCCd(const FCCd&) = delete;
    FCCd& operator=(const FCCd&) = delete;
    virtual ~FCCd();

    virtual void stop();
};
