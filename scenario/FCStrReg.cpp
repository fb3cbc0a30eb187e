#include "scenario/FCStrReg.h"

#include <new>

#include "foundation/Diagnostic.h"
#include "foundation/FCFile.h"
#include "foundation/FCSignature.h"
#include "scenario/RegisterRecord.h"

namespace {
const FCSignature& signature()
{
    static const FCSignature record("FCStrReg");
    return record;
}

// The smallest stored string: the older form's byte count of 0.
constexpr uint32_t kSmallestStringBytes = 4;
} // namespace

FCStrReg::~FCStrReg()
{
    destroy();
}

void FCStrReg::create(int32_t newCount)
{
    if (newCount < 1)
        return;
    destroy();
    FCString* array = new (std::nothrow) FCString[static_cast<size_t>(newCount)];
    if (!array)
        throw NotEnoughMemoryException("FCStrReg - create", kNotEnoughMemoryText);
    elements = array;
    count = newCount;
}

FCString& FCStrReg::item(int32_t index)
{
    if (!elements) {
        registerRecord::reportNotCreated("FCStrReg - item()");
        create(1);
        return elements[0];
    }
    if (index < 0 || index >= count) {
        registerRecord::reportBadIndex("FCStrReg - item()", index, count);
        return elements[0];
    }
    return elements[index];
}

void FCStrReg::destroy()
{
    delete[] elements;
    elements = nullptr;
    count = 0;
}

void FCStrReg::renew()
{
    for (int32_t i = 0; i < count; ++i)
        elements[i].renew();
}

void FCStrReg::save(FCFile& file)
{
    if (!file.isOpen())
        return;
    registerRecord::writeHeader(file, signature(), count);
    for (int32_t i = 0; i < count; ++i)
        elements[i].write(file);
}

void FCStrReg::load(FCFile& file)
{
    if (!file.isOpen())
        return;
    int32_t stored = 0;
    if (!registerRecord::readHeader(file, signature(), kSmallestStringBytes, stored))
        return;
    destroy();
    create(stored);
    // A file that ends early, or a damaged string, leaves the rest empty.
    for (int32_t i = 0; i < count; ++i) {
        if (!elements[i].read(file))
            break;
    }
}
