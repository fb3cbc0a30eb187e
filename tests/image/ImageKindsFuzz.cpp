#include <cstddef>
#include <cstdint>

#include "image/ImageProbe.h"
#include "image/JpegReader.h"
#include "image/PngReader.h"
#include "image/SurfaceLoad.h"
#include "surface/FCDib.h"

// Any bytes through the recogniser and the reader it picks, as the surface
// load would run it from memory: BMP into a DIB and a surface, PNG and JPEG
// through their wrappers (whose header checks refuse stated sizes the file
// cannot justify before anything is allocated).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SurfaceLoad::Picture picture;
    switch (classifyImage(data, size)) {
    case kImageBmp: {
        FCDib dib;
        if (bmpToDib(data, size, dib) && SurfaceLoad::dibAccepted(dib)
            && int64_t(dib.width()) * (dib.height() < 0 ? -int64_t(dib.height()) : dib.height()) <= (1 << 22))
            picture.loadDib(dib);
        break;
    }
    case kImagePng:
        PngReader::decode(data, size, true, picture);
        break;
    case kImageJpeg:
        JpegReader::decode(data, size, picture);
        break;
    default:
        break;
    }
    return 0;
}
