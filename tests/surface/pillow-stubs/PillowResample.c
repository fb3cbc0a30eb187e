#include "PillowResample.h"

#include "Imaging.h"

PillowImage pillowWrapRows(int w, int h, uint8_t* top, ptrdiff_t stride)
{
    /* The prologue allocates only the descriptor and the row pointers;
     * without a destroy function, ImagingDelete frees just those. */
    Imaging im = ImagingNewPrologue("RGBA", w, h);
    if (!im)
        return NULL;
    for (int y = 0; y < h; ++y)
        im->image[y] = (char*)(top + (ptrdiff_t)y * stride);
    return im;
}

PillowImage pillowResizeLanczos(PillowImage image, int w, int h)
{
    float box[4] = { 0.0f, 0.0f, (float)image->xsize, (float)image->ysize };
    return ImagingResample(image, w, h, IMAGING_TRANSFORM_LANCZOS, box);
}

const uint8_t* pillowRow(PillowImage image, int y)
{
    return (const uint8_t*)image->image[y];
}

void pillowDelete(PillowImage image)
{
    ImagingDelete(image);
}
