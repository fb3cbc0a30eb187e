#include "startup/UxApplicationFlags.h"

UxApplicationFlags& applicationFlags()
{
    static UxApplicationFlags flags;
    return flags;
}
