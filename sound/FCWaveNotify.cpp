#include "sound/FCWaveNotify.h"

FCWaveNotify::~FCWaveNotify() = default;
void FCWaveNotify::onBlockSilent(int32_t)
{
}
void FCWaveNotify::onBlockMixed(int32_t)
{
}
void FCWaveNotify::onStopped(bool)
{
}
void FCWaveNotify::onFinished(int32_t)
{
}
