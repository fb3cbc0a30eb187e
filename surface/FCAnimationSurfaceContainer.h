#pragma once

#include <cstdint>
#include <new>

#include "foundation/Diagnostic.h"
#include "foundation/LumivexApi.h"
#include "surface/UxLayerSurface.h"

class FCFile;
class FCVSurface;

// One frame of a layer animation: a held surface and the key mode it is
// drawn with. Win32 only.
class LUMIVEX_API FCAnimationSurfaceContainer {
public:
    // The key mode that draws nothing.
    enum : int32_t { kKeyHidden = -3 };

    FCAnimationSurfaceContainer();
    FCAnimationSurfaceContainer(const FCAnimationSurfaceContainer& other);
    FCAnimationSurfaceContainer& operator=(const FCAnimationSurfaceContainer& other);
    // 0.
    virtual ~FCAnimationSurfaceContainer();
    // 1: the "FCAnimationSurfaceContainer" record, the key mode, the surface.
    virtual int32_t save(FCFile& file);
    // 2: reads what save wrote; another record rewinds the file.
    virtual int32_t restore(FCFile& file);

    // The held 8-bit surface copied with the key mode at (dx, dy), and its
    // alpha plane opaquely when both have alpha in use.
    int32_t drawTo(FCVSurface& destination, int32_t dx, int32_t dy);

    UxLayerSurface holder;
    int32_t keyMode;
};

// The growable array that frames live in: an index at or beyond the capacity
// grows it to step x (index / step + 1), the old elements assigned across.
template <typename Element> class FCVector {
public:
    explicit FCVector(int32_t step)
        : elements(nullptr)
        , capacity(0)
        , step(step > 0 ? step : 1)
    {
    }
    FCVector(const FCVector&) = delete;
    FCVector& operator=(const FCVector&) = delete;
    virtual ~FCVector() { delete[] elements; }

    // The element at index, growing the array; throws NotEnoughMemoryException
    // ("FCVector - increase") when it cannot grow. A negative index is 0.
    Element& at(int32_t index)
    {
        if (index < 0)
            index = 0;
        if (index >= capacity)
            increase(index);
        return elements[index];
    }
    int32_t size() const { return capacity; }

    Element* elements;
    int32_t capacity;
    int32_t step;

private:
    void increase(int32_t index)
    {
        const int64_t wanted = int64_t(step) * (index / step + 1);
        Element* grown = wanted <= 0x7FFFFFFF ? new (std::nothrow) Element[static_cast<size_t>(wanted)] : nullptr;
        if (!grown)
            throw NotEnoughMemoryException("FCVector - increase", kNotEnoughMemoryText);
        for (int32_t i = 0; i < capacity; ++i)
            grown[i] = elements[i];
        delete[] elements;
        elements = grown;
        capacity = static_cast<int32_t>(wanted);
    }
};
