#include "surface/FCAnimationSurfaceContainer.h"

#include "foundation/FCFile.h"
#include "foundation/FCSignature.h"
#include "surface/FCVSurface.h"

namespace {
constexpr char kSignature[] = "FCAnimationSurfaceContainer";
}

FCAnimationSurfaceContainer::FCAnimationSurfaceContainer()
    : keyMode(-2)
{
}

FCAnimationSurfaceContainer::FCAnimationSurfaceContainer(const FCAnimationSurfaceContainer& other)
    : holder(other.holder)
    , keyMode(other.keyMode)
{
}

FCAnimationSurfaceContainer& FCAnimationSurfaceContainer::operator=(const FCAnimationSurfaceContainer& other)
{
    holder = other.holder;
    keyMode = other.keyMode;
    return *this;
}

FCAnimationSurfaceContainer::~FCAnimationSurfaceContainer() = default;

int32_t FCAnimationSurfaceContainer::save(FCFile& file)
{
    if (!file.isOpen())
        return 0;
    FCSignature(kSignature).write(file);
    file.write(&keyMode, sizeof keyMode);
    holder.save(file);
    return 1;
}

int32_t FCAnimationSurfaceContainer::restore(FCFile& file)
{
    if (!file.isOpen())
        return 0;
    const int64_t start = file.position();
    if (!FCSignature(kSignature).check(file))
        return 0;
    int32_t mode = 0;
    if (file.read(&mode, sizeof mode) != sizeof mode) {
        file.seek(FCFile::kFromStart, start);
        return 0;
    }
    keyMode = mode;
    return holder.restore(file);
}

int32_t FCAnimationSurfaceContainer::drawTo(FCVSurface& destination, int32_t dx, int32_t dy)
{
    UxLayerVSurface8* source = holder.surface8();
    if (keyMode == kKeyHidden || !source)
        return 0;
    const int32_t w = source->width(), h = source->height();
    int32_t drawn = source->copy8(destination, dx, dy, 0, 0, w, h, keyMode);
    if (destination.alphaInUse() && source->alphaInUse())
        source->alpha->copy8(*destination.alpha, dx, dy, 0, 0, w, h, -2);
    return drawn;
}
