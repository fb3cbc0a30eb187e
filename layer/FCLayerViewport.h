#pragma once

#include <cstdint>

#include "foundation/FCBit.h"
#include "foundation/FCGeometry.h"
#include "foundation/FCString.h"
#include "foundation/FCSync.h"
#include "foundation/FCXList.h"
#include "foundation/LumivexApi.h"
#include "layer/FCLayerSurface.h"
#include "scenario/FCRandom.h"
#include "sound/FCWaveNotify.h"
#include "surface/FCVSurface24.h"
#include "window/FCChildWindow.h"

class FCPopupViewport;
class FCWindow;
class FCD3DPresenter;
class FCOasys;
struct FCWindowRequest;

// A child window showing a 24-bit back surface: painting copies the damaged
// part of it, unscaled.
class LUMIVEX_API FCViewport24 : public FCChildWindow {
public:
    static constexpr int32_t kKind = 13;

    FCViewport24(FCWindowHandle parentWindow, int32_t x, int32_t y, int32_t width, int32_t height);
    ~FCViewport24() override;

    int32_t kind() const override;
    uint32_t classStyle() override;
    const char* className() override;
    const char* windowTitle() override;
    uint32_t style() override;
    int32_t showCommand() override;
    void onPaint(tagPAINTSTRUCT* paint) override;
    FCLResult onEraseBkgnd(FCWParam wParam, FCLParam lParam) override;
    // Slot 98: stores the show command, then creates the window.
    virtual int32_t createAndShow(int32_t command);

    FCVSurface24 backSurface;
    // Non-zero: painting copies nothing.
    int32_t paintSuppressed;
    int32_t storedShowCommand;
    FCRect reservedRect;
};

// The dirty rectangles of a viewport, merged as they come in.
class LUMIVEX_API FCRectSet {
public:
    FCRectSet();
    virtual ~FCRectSet();
    void add(const FCRect& rect);
    void clear();
    // Empties the set and makes `bounds` the clip rectangle.
    void reset(const FCRect& bounds);
    bool empty() const { return list.count == 0; }

    FCCriticalSection lock; // with its waiter count
    uint32_t flags;
    FCRect clip;
    FCXList<FCRect> list;
    FCRect bounds;
    FCRect lastBounds;
};

// The joystick reader the viewport polls for its input queue.
class LUMIVEX_API FCJoystick {
public:
    virtual ~FCJoystick() = default;
    uint32_t device = 0;
    uint32_t buttons = 0;
    int32_t x = 0;
    int32_t y = 0;
};

// The game's picture: up to 224 layers composed over a background into the
// back surface, dirty rectangles recomposed on demand and repainted at once.
// Scenario code calls the operations on its own thread while the window
// thread paints; painting never takes the viewport lock, which the
// operations hold while they repaint synchronously.
class LUMIVEX_API FCLayerViewport : public FCViewport24, public FCWaveNotify {
public:
    static constexpr int32_t kKind = 14;
    static constexpr int32_t kLayers = 224;
    static constexpr int32_t kMaskSlots = 8;
    static constexpr int32_t kNoPosition = -12345;
    // The effect number that presents nothing on the screen.
    static constexpr int32_t kNoEffect = 255;

    FCLayerViewport(FCWindowHandle parentWindow, int32_t x, int32_t y, int32_t width, int32_t height);
    ~FCLayerViewport() override;

    int32_t kind() const override;
    void onPaint(tagPAINTSTRUCT* paint) override;
    FCLResult onUserMessage(uint32_t message, FCWParam wParam, FCLParam lParam) override;
    FCLResult onAppMessage(uint32_t message, FCWParam wParam, FCLParam lParam) override;
    FCLResult onLButtonDown(FCWParam wParam, FCLParam lParam) override;
    FCLResult onLButtonUp(FCWParam wParam, FCLParam lParam) override;
    FCLResult onRButtonDown(FCWParam wParam, FCLParam lParam) override;
    FCLResult onMouseMove(FCWParam wParam, FCLParam lParam) override;
    FCLResult onDropFiles(FCWParam wParam, FCLParam lParam) override;
    int32_t createAndShow(int32_t command) override;
    void onFinished(int32_t value) override;

    // The window factory of window requests of kind 14.
    static FCVWin* make(const FCWindowRequest& request, FCOasys& manager);

    // --- Layer operations (each under the viewport lock) ---
    // The layer made, or null for a bad number or an image that cannot be
    // made.
    FCLayerSurface* createLayer(int32_t number, int32_t tileWidth, int32_t tileHeight, int32_t imageX, int32_t imageY,
        int32_t imageWidth, int32_t imageHeight, int32_t displayX, int32_t displayY, int32_t displayWidth,
        int32_t displayHeight, int32_t sourceX, int32_t sourceY, int32_t colourKey, int32_t opacity, int32_t priority,
        uint32_t flags);
    void deleteLayer(int32_t number, int32_t present);
    void showLayer(int32_t number, int32_t effect, int32_t opacity);
    // Hides the layer and shows what was under it.
    void hideLayer(int32_t number, int32_t present);
    void setOpacity(int32_t number, int32_t level);
    void fadeLayer(int32_t number, int32_t from, int32_t to, int32_t step, uint32_t interval);
    void fadeIn(int32_t number, int32_t step, uint32_t interval);
    void update(const FCRect& rect, int32_t present);
    void updateLayer(int32_t number, int32_t present);
    void presentLayer(int32_t number, int32_t effect);
    void transition(const FCRect& rect, int32_t effect);
    // Moves the layer's display rectangle and shows both places.
    void moveLayer(int32_t number, int32_t x, int32_t y, int32_t present);
    // Links `linked` to `number` with the link mask (FCLayerLink bits); a
    // mask of 0 removes the link.
    void linkLayer(int32_t number, int32_t linked, uint32_t mask);
    // The viewport takes the mask surface (null empties the slot).
    void setMask(int32_t slot, FCVSurface* mask, int32_t firstLayer, int32_t lastLayer);
    // The surface is the caller's; null shows no background.
    void setBackground(FCVSurface24* surface, int32_t sourceX, int32_t sourceY);
    // The display hold: while held, compositions wait and changes gather;
    // releasing the last hold composes all of them.
    void holdDisplay();
    void releaseDisplay(int32_t present);
    // The attached layer of that number, or null.
    FCLayerSurface* layer(int32_t number);
    // The layer's full area: its display rectangle with the linked layers'.
    FCRect layerArea(int32_t number);
    void compose(int32_t present);
    void reset();

    // --- Members (order fixed) ---
    int32_t table[64];
    FCXList<FCString> strings;
    FCString text;
    FCPopupViewport* popup;
    int32_t mouseX;
    int32_t mouseY;
    FCLayerSurface layers[kLayers];
    FCXSortableList<FCLayerSurface> layerList;
    FCBit<kLayers> allocation;
    FCVSurface24* background;
    FCRect backgroundOffset;
    uint8_t backgroundShown;
    FCCriticalSection lock; // with its waiter count
    int32_t displayHold;
    FCRectSet dirty;
    FCThread firstThread;
    void* firstEvent;
    FCThread secondThread;
    void* secondEvent;
    FCJoystick joystick;
    int32_t baseLayer;
    FCWindow* presentationWindow;
    uint32_t resizeMethod;
    FCVSurface24* scaledSurface;
    FCD3DPresenter* presenter;
    int32_t transitionSpeed;
    FCLayerMask* masks[kMaskSlots];
    // The order of random reveals.
    FCRandom random;
    // The sound wait: the low 16 bits name the sound waited for, bit 16 is
    // set when it finished; -1 when nothing waits.
    int32_t waiting;

private:
    FCLayerSurface* attachedLayer(int32_t number);
    void deleteLayerLocked(int32_t number, int32_t present);
    void updateLocked(const FCRect& rect, int32_t present);
    void setOpacityLocked(FCLayerSurface& layer, int32_t level, int32_t depth);
    FCRect areaLocked(const FCLayerSurface& layer, int32_t depth);
    int32_t findBaseLayer();
    void drawLayer(FCLayerSurface& layer, const FCRect& clip, int32_t depth);
    void slideIn(FCLayerSurface& layer, int32_t effect);
    void redrawNow(const FCRect& rect);
};
