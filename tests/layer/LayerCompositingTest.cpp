#include <gtest/gtest.h>

#include <vector>

#include "layer/LayerCompositing.h"
#include "surface/PixelBlend.h"

using namespace LayerCompositing;

namespace {

struct DirtySet {
    uint32_t flags = 0;
    FCRect clip { 0, 0, 640, 480 };
    FCXList<FCRect> list;
    FCRect bounds;
    DirtyRects view() { return DirtyRects { flags, clip, list, bounds }; }
    std::vector<FCRect> rects() const
    {
        std::vector<FCRect> out;
        auto* node = list.head();
        for (int32_t i = 0; i < list.count; ++i, node = node->next)
            out.push_back(*node->item);
        return out;
    }
};

} // namespace

TEST(LayerDirtySet, OverlappingMergeTouchingStayApart)
{
    DirtySet set;
    addDirty(set.view(), FCRect(10, 10, 50, 50));
    addDirty(set.view(), FCRect(40, 40, 80, 80));
    EXPECT_EQ(set.rects(), std::vector<FCRect> { FCRect(10, 10, 80, 80) });
    addDirty(set.view(), FCRect(80, 10, 90, 20)); // touches the right edge only
    EXPECT_EQ(set.rects().size(), 2u);
    // A rectangle bridging both swallows them, even the one merged second.
    addDirty(set.view(), FCRect(85, 15, 200, 30));
    addDirty(set.view(), FCRect(70, 25, 100, 26));
    EXPECT_EQ(set.rects(), std::vector<FCRect> { FCRect(10, 10, 200, 80) });
    EXPECT_EQ(set.bounds, FCRect(10, 10, 200, 80));
}

TEST(LayerDirtySet, ClippedAndCoveringMakesEverythingDirty)
{
    DirtySet set;
    addDirty(set.view(), FCRect(-100, -100, -1, 5)); // outside: ignored
    addDirty(set.view(), FCRect(5, 5, 5, 90)); // empty
    addDirty(set.view(), FCRect(30, 40, 20, 10)); // inverted
    EXPECT_TRUE(set.rects().empty());
    addDirty(set.view(), FCRect(600, 400, 100000, 100000));
    EXPECT_EQ(set.rects(), std::vector<FCRect> { FCRect(600, 400, 640, 480) });
    addDirty(set.view(), FCRect(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX));
    EXPECT_EQ(set.flags, uint32_t(DirtyRects::kEverything));
    EXPECT_EQ(set.rects(), std::vector<FCRect> { FCRect(0, 0, 640, 480) });
    addDirty(set.view(), FCRect(1, 1, 2, 2)); // a no-op now
    EXPECT_EQ(set.rects().size(), 1u);
    clearDirty(set.view());
    EXPECT_EQ(set.flags, 0u);
    EXPECT_TRUE(set.rects().empty());
    EXPECT_TRUE(isEmpty(set.bounds));
}

TEST(LayerBaseChoice, TopmostFullScreenOpaqueLayerWithoutKeyAlphaOrMask)
{
    const FCRect full(0, 0, 640, 480);
    BaseCandidate plain { 3, true, 16, kNoColourKey, false, -1, full };
    std::vector<BaseCandidate> layers { plain, plain, plain };
    layers[0].number = 1;
    layers[1].number = 7;
    layers[2].number = 9;
    EXPECT_EQ(chooseBaseLayer(layers.data(), layers.size(), 640, 480), 9);
    // Each disqualifying fact on the top layer passes the choice down.
    auto withTop = [&](auto change) {
        auto copy = layers;
        change(copy[2]);
        return chooseBaseLayer(copy.data(), copy.size(), 640, 480);
    };
    EXPECT_EQ(withTop([](BaseCandidate& l) { l.shown = false; }), 7);
    EXPECT_EQ(withTop([](BaseCandidate& l) { l.level = 15; }), 7);
    EXPECT_EQ(withTop([](BaseCandidate& l) { l.colourKey = 0; }), 7);
    EXPECT_EQ(withTop([](BaseCandidate& l) { l.alphaInUse = true; }), 7);
    EXPECT_EQ(withTop([](BaseCandidate& l) { l.maskIndex = 0; }), 7);
    EXPECT_EQ(withTop([](BaseCandidate& l) { l.display = FCRect(0, 0, 640, 479); }), 7);
    EXPECT_EQ(withTop([](BaseCandidate& l) { l.display = FCRect(-5, -5, 700, 500); }), 9);
    EXPECT_EQ(chooseBaseLayer(layers.data(), 0, 640, 480), -1);
}

TEST(LayerPieces, PlainLayerClippedToRectangleAndImage)
{
    DrawPiece pieces[4];
    // A 100x50 display showing source (20, 10) of a 110x55 image: the image
    // ends 90 pixels in, 45 rows down.
    ASSERT_EQ(layerPieces(FCRect(0, 0, 640, 480), FCRect(200, 100, 300, 150), FCRect(20, 10, 120, 60), 110, 55, 0, 0, 0,
                  pieces),
        1);
    EXPECT_EQ(pieces[0].target, FCRect(200, 100, 290, 145));
    EXPECT_EQ(pieces[0].sourceX, 20);
    EXPECT_EQ(pieces[0].sourceY, 10);
    ASSERT_EQ(layerPieces(FCRect(250, 120, 260, 400), FCRect(200, 100, 300, 150), FCRect(20, 10, 120, 60), 110, 55, 0,
                  0, 0, pieces),
        1);
    EXPECT_EQ(pieces[0].target, FCRect(250, 120, 260, 145));
    EXPECT_EQ(pieces[0].sourceX, 70);
    EXPECT_EQ(pieces[0].sourceY, 30);
    // A negative source shows nothing left of the image.
    ASSERT_EQ(
        layerPieces(FCRect(0, 0, 640, 480), FCRect(0, 0, 10, 10), FCRect(-4, -2, 6, 8), 100, 100, 0, 0, 0, pieces), 1);
    EXPECT_EQ(pieces[0].target, FCRect(4, 2, 10, 10));
    EXPECT_EQ(pieces[0].sourceX, 0);
    EXPECT_EQ(
        layerPieces(FCRect(0, 0, 5, 5), FCRect(10, 10, 20, 20), FCRect(0, 0, 10, 10), 10, 10, 0, 0, 0, pieces), 0);
    EXPECT_EQ(layerPieces(FCRect(0, 0, 640, 480), FCRect(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX),
                  FCRect(INT32_MAX, 0, 0, 0), 10, 10, 0, 0, 0, pieces),
        0);
}

TEST(LayerPieces, WrapAroundDrawsTheFourPiecesAroundTheWrapPoint)
{
    DrawPiece pieces[4];
    // A 100x80 tile scrolled by (-130, 250): wraps to (70, 10).
    ASSERT_EQ(layerPieces(FCRect(0, 0, 640, 480), FCRect(0, 0, 100, 80), FCRect(-130, 250, -30, 330), 100, 80, 100, 80,
                  kWrapHorizontal | kWrapVertical, pieces),
        4);
    EXPECT_EQ(pieces[0].target, FCRect(0, 0, 30, 70));
    EXPECT_EQ((std::pair { pieces[0].sourceX, pieces[0].sourceY }), (std::pair { 70, 10 }));
    EXPECT_EQ(pieces[1].target, FCRect(30, 0, 100, 70));
    EXPECT_EQ((std::pair { pieces[1].sourceX, pieces[1].sourceY }), (std::pair { 0, 10 }));
    EXPECT_EQ(pieces[2].target, FCRect(0, 70, 30, 80));
    EXPECT_EQ((std::pair { pieces[2].sourceX, pieces[2].sourceY }), (std::pair { 70, 0 }));
    EXPECT_EQ(pieces[3].target, FCRect(30, 70, 100, 80));
    EXPECT_EQ((std::pair { pieces[3].sourceX, pieces[3].sourceY }), (std::pair { 0, 0 }));
    // Only horizontally: two pieces, rows as they are.
    ASSERT_EQ(layerPieces(FCRect(0, 0, 640, 480), FCRect(0, 0, 100, 80), FCRect(40, 0, 140, 80), 100, 80, 100, 80,
                  kWrapHorizontal, pieces),
        2);
    EXPECT_EQ(pieces[1].target, FCRect(60, 0, 100, 80));
    EXPECT_EQ(pieces[1].sourceX, 0);
}

TEST(LayerPlacement, CentringByTileAndPriorityFromNumber)
{
    NewLayer layer { 12, 200, 100, 5, 6, 300, 150, 1, 2, -1, kCreateCentreX };
    Placement placed = placeNewLayer(layer, 641, 480, FCRect());
    EXPECT_EQ(placed.display, FCRect(220, 6, 520, 156)); // (641 - 200) / 2
    EXPECT_EQ(placed.source, FCRect(1, 2, 301, 152));
    EXPECT_EQ(placed.priority, 12);
    layer.flags = kCreateCentreY;
    layer.priority = 3;
    layer.tileHeight = 481; // (480 - 481) / 2 truncates toward zero
    placed = placeNewLayer(layer, 641, 480, FCRect());
    EXPECT_EQ(placed.display.left, 5);
    EXPECT_EQ(placed.display.top, 0);
    EXPECT_EQ(placed.priority, 3);
    layer.displayWidth = 0;
    layer.displayHeight = -4;
    placed = placeNewLayer(layer, 641, 480, FCRect(9, 9, 49, 29));
    EXPECT_EQ(placed.display.width(), 40);
    EXPECT_EQ(placed.display.height(), 20);
}

TEST(LayerKeyedBlend, KeyedPixelsStayAndTheOthersBlendLikeTheKernel)
{
    // Row: key, red, key, green (colour values 0x00BBGGRR; bytes B, G, R, x).
    const uint8_t src[16] = { 0x30, 0x20, 0x10, 0, 0, 0, 0xFF, 0, 0x30, 0x20, 0x10, 0, 0, 0xFF, 0, 0 };
    const uint8_t alpha[4] = { 255, 128, 255, 255 };
    for (const uint8_t* a : { static_cast<const uint8_t*>(nullptr), alpha }) {
        uint8_t dst[16], expected[16];
        for (int i = 0; i < 16; ++i)
            dst[i] = expected[i] = static_cast<uint8_t>(i * 7);
        blendKeyed(dst, 16, src, 16, a, 4, 4, 1, 9, 0x00302010);
        for (int x : { 1, 3 }) {
            if (a)
                PixelBlend::scalar::blendAlpha(
                    expected + x * 4, 16, src + x * 4, 16, a + x, 4, 1, 1, PixelBlend::levelOpacity(9));
            else
                PixelBlend::scalar::blendConstant(expected + x * 4, 16, src + x * 4, 16, 1, 1, 9);
        }
        EXPECT_EQ(std::vector<uint8_t>(dst, dst + 16), std::vector<uint8_t>(expected, expected + 16));
    }
}

TEST(LayerFade, LevelsStepTowardTheTargetAndEndOnIt)
{
    EXPECT_EQ(fadeLevels(16, 0, 3), (std::vector<int32_t> { 16, 13, 10, 7, 4, 1, 0 }));
    EXPECT_EQ(fadeLevels(2, 16, 7), (std::vector<int32_t> { 2, 9, 16 }));
    EXPECT_EQ(fadeLevels(5, 5, 1), (std::vector<int32_t> { 5 }));
    EXPECT_TRUE(fadeLevels(17, 0, 1).empty());
    EXPECT_TRUE(fadeLevels(0, -1, 1).empty());
    EXPECT_TRUE(fadeLevels(0, 16, 0).empty());
}
