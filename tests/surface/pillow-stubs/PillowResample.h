/* A C++-friendly face on Pillow's imaging core for the resample benchmarks
 * (its own header does not compile as C++). */
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct ImagingMemoryInstance* PillowImage;

/* An RGBA image of w x h pixels whose rows are the caller's memory: row y
 * starts at top + y * stride (negative for bottom-up storage). Null when
 * memory runs out. */
PillowImage pillowWrapRows(int w, int h, uint8_t* top, ptrdiff_t stride);

/* Pillow's LANCZOS resize of the whole image into a new w x h image (what
 * Image.resize does for modes it filters directly); null on failure. */
PillowImage pillowResizeLanczos(PillowImage image, int w, int h);

/* The first byte of row y. */
const uint8_t* pillowRow(PillowImage image, int y);

/* Frees an image from either function (wrapped rows stay the caller's). */
void pillowDelete(PillowImage image);

#ifdef __cplusplus
}
#endif
