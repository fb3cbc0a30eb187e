#include "window/FCVWin.h"

FCVWin::~FCVWin() = default;

int32_t FCVWin::kind() const
{
    return 0;
}
