#include <gtest/gtest.h>

#include <cstddef>

#include "layer/FCLayerViewport.h"
#include "support/ContractLayout.h"
#include "support/WindowTestSupport_win32.h"

// Scenario modules read and write the viewport's and the layers' members
// directly: they lie in their contract order at their 32-bit offsets
// (checked as this file compiles).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"

LUMIVEX_SIZE_IS(FCVSurface24, 140);
LUMIVEX_MEMBER_AT(FCViewport24, backSurface, 88);
LUMIVEX_MEMBER_AT(FCViewport24, paintSuppressed, 228);
LUMIVEX_MEMBER_AT(FCViewport24, storedShowCommand, 232);
LUMIVEX_MEMBER_AT(FCViewport24, reservedRect, 236);
LUMIVEX_SIZE_IS(FCViewport24, 256);
LUMIVEX_MEMBER_AT(FCLayerViewport, table, 260);
LUMIVEX_MEMBER_AT(FCLayerViewport, strings, 516);
LUMIVEX_MEMBER_AT(FCLayerViewport, text, 528);
LUMIVEX_MEMBER_AT(FCLayerViewport, popup, 540);
LUMIVEX_MEMBER_AT(FCLayerViewport, mouseX, 544);
LUMIVEX_MEMBER_AT(FCLayerViewport, mouseY, 548);
LUMIVEX_MEMBER_AT(FCLayerViewport, layers, 552);
LUMIVEX_MEMBER_AT(FCLayerViewport, layerList, 541736);
LUMIVEX_MEMBER_AT(FCLayerViewport, allocation, 541748);
LUMIVEX_MEMBER_AT(FCLayerViewport, background, 541776);
LUMIVEX_MEMBER_AT(FCLayerViewport, backgroundOffset, 541780);
LUMIVEX_MEMBER_AT(FCLayerViewport, backgroundShown, 541800);
LUMIVEX_MEMBER_AT(FCLayerViewport, lock, 541804);
LUMIVEX_MEMBER_AT(FCLayerViewport, displayHold, 541836);
LUMIVEX_MEMBER_AT(FCLayerViewport, dirty, 541840);
LUMIVEX_MEMBER_AT(FCLayerViewport, firstThread, 541952);
LUMIVEX_MEMBER_AT(FCLayerViewport, firstEvent, 541972);
LUMIVEX_MEMBER_AT(FCLayerViewport, secondThread, 541976);
LUMIVEX_MEMBER_AT(FCLayerViewport, secondEvent, 541996);
LUMIVEX_MEMBER_AT(FCLayerViewport, joystick, 542000);
LUMIVEX_MEMBER_AT(FCLayerViewport, baseLayer, 542020);
LUMIVEX_MEMBER_AT(FCLayerViewport, presentationWindow, 542024);
LUMIVEX_MEMBER_AT(FCLayerViewport, resizeMethod, 542028);
LUMIVEX_MEMBER_AT(FCLayerViewport, scaledSurface, 542032);
LUMIVEX_MEMBER_AT(FCLayerViewport, presenter, 542036);
LUMIVEX_MEMBER_AT(FCLayerViewport, transitionSpeed, 542040);
LUMIVEX_MEMBER_AT(FCLayerViewport, masks, 542044);
LUMIVEX_SIZE_IS(FCLayerViewport, 542232);
LUMIVEX_SIZE_IS(FCLayerSurface, 2416);
LUMIVEX_MEMBER_AT(FCLayerSurface, owner, 4);
LUMIVEX_MEMBER_AT(FCLayerSurface, number, 8);
LUMIVEX_MEMBER_AT(FCLayerSurface, display, 12);
LUMIVEX_MEMBER_AT(FCLayerSurface, level, 32);
LUMIVEX_MEMBER_AT(FCLayerSurface, source, 36);
LUMIVEX_MEMBER_AT(FCLayerSurface, tileWidth, 56);
LUMIVEX_MEMBER_AT(FCLayerSurface, tileHeight, 60);
LUMIVEX_MEMBER_AT(FCLayerSurface, palette, 64);
LUMIVEX_MEMBER_AT(FCLayerSurface, zoom, 1096);
LUMIVEX_MEMBER_AT(FCLayerSurface, image, 1100);
LUMIVEX_MEMBER_AT(FCLayerSurface, imageRect, 1112);
LUMIVEX_MEMBER_AT(FCLayerSurface, colourKey, 1132);
LUMIVEX_MEMBER_AT(FCLayerSurface, shown, 1136);
LUMIVEX_MEMBER_AT(FCLayerSurface, priority, 1140);
LUMIVEX_MEMBER_AT(FCLayerSurface, scroll, 1144);
LUMIVEX_MEMBER_AT(FCLayerSurface, animationAreas, 1180);
LUMIVEX_MEMBER_AT(FCLayerSurface, layerLock, 1192);
LUMIVEX_MEMBER_AT(FCLayerSurface, clickItems, 1224);
LUMIVEX_MEMBER_AT(FCLayerSurface, flags, 2248);
LUMIVEX_MEMBER_AT(FCLayerSurface, name, 2252);
LUMIVEX_MEMBER_AT(FCLayerSurface, comment, 2264);
LUMIVEX_MEMBER_AT(FCLayerSurface, links, 2276);
LUMIVEX_MEMBER_AT(FCLayerSurface, alternateImage, 2288);
LUMIVEX_MEMBER_AT(FCLayerSurface, transform, 2292);
LUMIVEX_MEMBER_AT(FCLayerSurface, lastDestination, 2296);
LUMIVEX_MEMBER_AT(FCLayerSurface, lastSource, 2316);
LUMIVEX_MEMBER_AT(FCLayerSurface, secondSource, 2336);
LUMIVEX_MEMBER_AT(FCLayerSurface, maskIndex, 2340);
LUMIVEX_MEMBER_AT(FCLayerSurface, overlays, 2344);
LUMIVEX_SIZE_IS(FCRectSet, 112);
LUMIVEX_MEMBER_AT(FCRectSet, lock, 4);
LUMIVEX_MEMBER_AT(FCRectSet, flags, 36);
LUMIVEX_MEMBER_AT(FCRectSet, clip, 40);
LUMIVEX_MEMBER_AT(FCRectSet, list, 60);
LUMIVEX_MEMBER_AT(FCRectSet, bounds, 72);
LUMIVEX_MEMBER_AT(FCRectSet, lastBounds, 92);

static_assert(ascending({ offsetof(FCViewport24, backSurface), offsetof(FCViewport24, paintSuppressed),
    offsetof(FCViewport24, storedShowCommand), offsetof(FCViewport24, reservedRect) }));
static_assert(ascending({ offsetof(FCLayerViewport, table), offsetof(FCLayerViewport, strings),
    offsetof(FCLayerViewport, text), offsetof(FCLayerViewport, popup), offsetof(FCLayerViewport, mouseX),
    offsetof(FCLayerViewport, mouseY), offsetof(FCLayerViewport, layers), offsetof(FCLayerViewport, layerList),
    offsetof(FCLayerViewport, allocation), offsetof(FCLayerViewport, background),
    offsetof(FCLayerViewport, backgroundOffset), offsetof(FCLayerViewport, backgroundShown),
    offsetof(FCLayerViewport, lock), offsetof(FCLayerViewport, displayHold), offsetof(FCLayerViewport, dirty),
    offsetof(FCLayerViewport, firstThread), offsetof(FCLayerViewport, firstEvent),
    offsetof(FCLayerViewport, secondThread), offsetof(FCLayerViewport, secondEvent),
    offsetof(FCLayerViewport, joystick), offsetof(FCLayerViewport, baseLayer),
    offsetof(FCLayerViewport, presentationWindow), offsetof(FCLayerViewport, resizeMethod),
    offsetof(FCLayerViewport, scaledSurface), offsetof(FCLayerViewport, presenter),
    offsetof(FCLayerViewport, transitionSpeed), offsetof(FCLayerViewport, masks) }));
static_assert(ascending({ offsetof(FCLayerSurface, owner), offsetof(FCLayerSurface, number),
    offsetof(FCLayerSurface, display), offsetof(FCLayerSurface, level), offsetof(FCLayerSurface, source),
    offsetof(FCLayerSurface, tileWidth), offsetof(FCLayerSurface, tileHeight), offsetof(FCLayerSurface, palette),
    offsetof(FCLayerSurface, zoom), offsetof(FCLayerSurface, image), offsetof(FCLayerSurface, imageRect),
    offsetof(FCLayerSurface, colourKey), offsetof(FCLayerSurface, shown), offsetof(FCLayerSurface, priority),
    offsetof(FCLayerSurface, scroll), offsetof(FCLayerSurface, animationAreas), offsetof(FCLayerSurface, layerLock),
    offsetof(FCLayerSurface, clickItems), offsetof(FCLayerSurface, flags), offsetof(FCLayerSurface, name),
    offsetof(FCLayerSurface, comment), offsetof(FCLayerSurface, links), offsetof(FCLayerSurface, alternateImage),
    offsetof(FCLayerSurface, transform), offsetof(FCLayerSurface, lastDestination),
    offsetof(FCLayerSurface, lastSource), offsetof(FCLayerSurface, secondSource), offsetof(FCLayerSurface, maskIndex),
    offsetof(FCLayerSurface, overlays) }));
static_assert(ascending({ offsetof(FCRectSet, lock), offsetof(FCRectSet, flags), offsetof(FCRectSet, clip),
    offsetof(FCRectSet, list), offsetof(FCRectSet, bounds), offsetof(FCRectSet, lastBounds) }));

#pragma GCC diagnostic pop

TEST(LayerViewportLayout, ViewportSlotsFollowTheWindowSlots)
{
    EXPECT_EQ(slotOf(&FCViewport24::createAndShow), 98);
    EXPECT_EQ(slotOf(&FCLayerViewport::onUserMessage), 41);
    EXPECT_EQ(slotOf(&FCLayerViewport::onAppMessage), 42);
    EXPECT_EQ(slotOf(&FCLayerViewport::onPaint), 39);
    EXPECT_EQ(slotOf(&FCWaveNotify::onFinished), 4);
}
