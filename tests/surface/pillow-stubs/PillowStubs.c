/* The few functions the imaging core expects from Pillow's Python module:
 * no interpreter lock to release, and errors are only signalled by the
 * null result the callers already check. */
#include "Imaging.h"

void ImagingSectionEnter(ImagingSectionCookie* cookie)
{
    *cookie = NULL;
}

void ImagingSectionLeave(ImagingSectionCookie* cookie)
{
    (void)cookie;
}

void* ImagingError_OSError(void)
{
    return NULL;
}

void* ImagingError_MemoryError(void)
{
    return NULL;
}

void* ImagingError_ModeError(void)
{
    return NULL;
}

void* ImagingError_Mismatch(void)
{
    return NULL;
}

void* ImagingError_ValueError(const char* message)
{
    (void)message;
    return NULL;
}

void ImagingError_Clear(void)
{
}
