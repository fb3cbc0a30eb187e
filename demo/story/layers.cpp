// The sample game's picture: an evening sky and a character on layers of a
// layer viewport. Each click shows the character again through the next
// transition; a right click, or five seconds without input, goes on.
#include "layer/FCLayerViewport.h"
#include "scenario/FCOasys.h"
#include "scenario/FCScenario.h"
#include "scenario/FCWindowRequest.h"

namespace {

// Every transition number the viewport knows, plain (0) and fade (9) first.
constexpr int32_t kEffects[] = { 0, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 26, 27, 28, 29, 30, 31,
    32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 60, 61, 62, 63 };

constexpr int32_t kWidth = 640, kHeight = 480;
constexpr int32_t kSky = 0, kCharacter = 1;
constexpr uint32_t kTwentyFour = 0x80, kCentreX = 0x20;

} // namespace

LUMIVEX_SCENARIO_ENTRY(picture)
{
    scenario->nextEntry = "ending";
    FCWindowRequest request = {};
    request.kind = FCLayerViewport::kKind;
    request.right = kWidth;
    request.bottom = kHeight;
    request.name = "picture";
    auto* viewport = static_cast<FCLayerViewport*>(scenario->manager->requestWindow(request));
    if (!viewport)
        return;
    FCLayerSurface* sky = viewport->createLayer(
        kSky, kWidth, kHeight, 0, 0, kWidth, kHeight, 0, 0, kWidth, kHeight, 0, 0, -2, 16, -1, kTwentyFour);
    // The character stands centred, its feet on the bottom edge.
    FCLayerSurface* character = viewport->createLayer(
        kCharacter, 200, 360, 0, 0, 200, 360, 0, kHeight - 360, 200, 360, 0, 0, -2, 16, -1, kTwentyFour | kCentreX);
    if (!sky || !character || !sky->image.surface24()->load("sky.mcg", 0, 0)
        || !character->image.surface24()->load("character.mcg", 0, 0)) {
        scenario->manager->destroyWindow("picture");
        return;
    }
    viewport->showLayer(kSky, 9, 0);
    viewport->showLayer(kCharacter, 10, 16);
    for (int32_t effect : kEffects) {
        // A click (13) goes on; a right click (27) or five quiet seconds end.
        if (scenario->manager->waitInput(50, 1, 0) != 13)
            break;
        viewport->hideLayer(kCharacter, 1);
        viewport->showLayer(kCharacter, effect, 16);
    }
    viewport->fadeLayer(kCharacter, 16, 0, 1, 40);
    viewport->fadeLayer(kSky, 16, 0, 1, 40);
    scenario->manager->destroyWindow("picture");
}
