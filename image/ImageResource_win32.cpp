#include "image/ImageResource.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "foundation/FCFile.h"
#include "foundation/FCHeap.h"
#include "image/FCMcg.h"
#include "image/ImageProbe.h"
#include "surface/FCDib.h"
#include "window/FCResourceModule.h"

namespace {

// The bytes of a resource of the module, or null.
const uint8_t* resourceData(HMODULE module, uint16_t number, const wchar_t* type, DWORD& size)
{
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(number), type);
    if (!found)
        return nullptr;
    HGLOBAL loaded = LoadResource(module, found);
    size = SizeofResource(module, found);
    return loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
}

} // namespace

bool loadDibResource(FCDib& dib, const char* nameOrNumber, HINSTANCE__* module, int32_t option)
{
    dib.destroy();
    if (reinterpret_cast<uintptr_t>(nameOrNumber) >= 0x10000) {
        FCFile file;
        if (file.open(nameOrNumber, FCFile::kOpenExisting, FCFile::kRead, FCFile::kShareRead) != 0)
            return false;
        return loadDibFile(file, option, dib);
    }
    HMODULE from = module ? module : FCResourceModule::get();
    const uint16_t number = static_cast<uint16_t>(reinterpret_cast<uintptr_t>(nameOrNumber));
    DWORD size = 0;
    if (const uint8_t* packed = resourceData(from, number, MAKEINTRESOURCEW(2) /* RT_BITMAP */, size))
        return packedToDib(packed, size, dib);
    const uint8_t* data = resourceData(from, number, L"RCG", size);
    if (!data || size < 8 || std::memcmp(data, "RCG ", 4) != 0)
        return false;
    uint32_t stated;
    std::memcpy(&stated, data + 4, 4);
    size_t packedBytes = 0;
    uint8_t* packed = FCMcg::decode(data + 8, std::min<size_t>(stated, size - 8), &packedBytes);
    if (!packed)
        return false;
    bool made = false;
    try {
        made = packedToDib(packed, packedBytes, dib);
    } catch (...) {
        FCHeap::release(packed);
        throw;
    }
    FCHeap::release(packed);
    return made;
}
