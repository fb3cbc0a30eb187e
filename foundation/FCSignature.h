#pragma once

#include <cstdint>

#include "foundation/FCString.h"
#include "foundation/LumivexApi.h"

class FCFile;

// The class-name record written ahead of every serialised object: the class
// name in the string's serialised form. A reader checks it and puts the file
// position back when it names another class, so the caller can try the next
// kind of record. Objects that scenario code keeps in the scenario's object
// list derive from it.
class LUMIVEX_API FCSignature {
public:
    FCSignature();
    explicit FCSignature(const char* className);
    virtual ~FCSignature();

    // What kind of object this is; objects of kind 110 are switched off when
    // a scenario is reset.
    virtual int32_t kind() const;
    virtual void switchOff();

    // Nothing when the file is closed.
    void write(FCFile& file) const;
    // Reads a record; true when it holds this class name. Otherwise, and on a
    // short or damaged record, the file position is put back.
    bool check(FCFile& file) const;

    FCString name;
};

// Inline, so that a module's own lists of signatures find by name too.
inline bool fcListItemEquals(const FCSignature& a, const FCSignature& b)
{
    return a.name == b.name;
}
