// The classes whose virtual slots scenario modules call. The build compiles
// this file with the compiler's class-layout dump and compares every table
// with contract-slots.txt (CheckContractSlots.cmake): a slot that moves
// fails the build.
#include "foundation/Diagnostic.h"
#include "foundation/FCFile.h"
#include "image/FCMcg.h"
#include "layer/FCAnimatedControl.h"
#include "layer/FCLayerViewport.h"
#include "movie/FCAviView.h"
#include "movie/UxWmvWindow.h"
#include "scenario/FCOasys.h"
#include "sound/FCCd.h"
#include "sound/FCMidi.h"
#include "sound/FCWaveDecoder_PCM.h"
#include "sound/FCWaveDecoder_VORBIS.h"
#include "sound/FCWaveDevice.h"
#include "sound/FCWaveNotify.h"
#include "surface/FCVSurface.h"
#include "surface/FCVSurface24.h"
#include "window/FCChildWindow.h"
#include "window/FCDialog.h"
#include "window/FCMenu.h"
#include "window/FCWindow.h"

// A class no included header uses is not laid out by the dump: use it.
[[maybe_unused]] static void useWaveNotify()
{
    FCWaveNotify notify;
}
