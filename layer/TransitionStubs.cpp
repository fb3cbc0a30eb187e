// Placeholders until the transitions land: every transition shows the whole
// new picture at once.
#include "foundation/FCGeometry.h"
#include "layer/LayerEffects.h"
#include "layer/ScreenTransition.h"
#include "layer/TransitionGeometry.h"

void wipeParts(int32_t, const FCRect&, int32_t, std::vector<FCRect>& parts)
{
    parts.clear();
}

void slideInStep(
    int32_t, const FCRect& display, const FCRect& source, int32_t, FCRect& shownDisplay, FCRect& shownSource)
{
    shownDisplay = display;
    shownSource = source;
}

void runScreenTransition(TransitionScreen& screen, const FCRect& area, int32_t effect, FCRandom&)
{
    if (effect != 255)
        screen.showWhole(area);
}

FCRect transformedExtent(const FCRect& display, const LayerTransform&)
{
    return display;
}

void drawTransformed(uint8_t*, ptrdiff_t, const FCRect&, const uint8_t*, ptrdiff_t, int32_t, int32_t, const uint8_t*,
    ptrdiff_t, const FCRect&, const FCRect&, const LayerTransform&)
{
}

void runLayerEffect(LayerEffectTarget& target, int32_t, int32_t, int32_t, int32_t, int32_t)
{
    target.setTransform(nullptr);
    target.updatePresent(target.area());
}
