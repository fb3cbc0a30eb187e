#pragma once

#include "foundation/LumivexApi.h"

class FCFile;

// An object that saves itself into an open file, behind its class-name
// record, and loads itself back from the file's current position, so several
// records can follow one another in one file.
class LUMIVEX_API FCSaveData {
public:
    virtual ~FCSaveData();
    virtual void save(FCFile& file) = 0;
    virtual void load(FCFile& file) = 0;
};
