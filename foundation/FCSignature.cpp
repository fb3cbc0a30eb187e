#include "foundation/FCSignature.h"

#include "foundation/FCFile.h"

FCSignature::FCSignature() = default;

FCSignature::FCSignature(const char* className)
    : name(className)
{
}

FCSignature::~FCSignature() = default;

int32_t FCSignature::kind() const
{
    return 0;
}

void FCSignature::switchOff()
{
}

void FCSignature::write(FCFile& file) const
{
    name.write(file);
}

bool FCSignature::check(FCFile& file) const
{
    if (!file.isOpen())
        return false;
    int64_t start = file.position();
    FCString stored;
    if (stored.read(file) && stored == name)
        return true;
    file.seek(FCFile::kFromStart, start);
    return false;
}
