// Scenario test module: a layer viewport asked of the window thread and
// driven from the scenario thread.
#include <string>
#include <utility>

#include "../trace/Trace.h"
#include "layer/FCLayerViewport.h"
#include "scenario/FCOasys.h"
#include "scenario/FCScenario.h"
#include "scenario/FCWindowRequest.h"

// A 160 x 120 viewport with one full-size red layer, faded in over a green
// background; then waits for a click and takes the layer away.
LUMIVEX_SCENARIO_ENTRY(layerViewport)
{
    FCWindowRequest request = {};
    request.kind = FCLayerViewport::kKind;
    request.right = 160;
    request.bottom = 120;
    request.name = "picture";
    auto* viewport = static_cast<FCLayerViewport*>(scenario->manager->requestWindow(request));
    if (!viewport || viewport->kind() != FCLayerViewport::kKind) {
        trace("no viewport");
        return;
    }
    FCVSurface24 background(160, 120);
    background.fill(0x0000FF00);
    viewport->setBackground(&background, 0, 0);
    viewport->updateLayer(-1, 1);
    FCLayerSurface* layer
        = viewport->createLayer(1, 80, 60, 0, 0, 80, 60, 0, 0, 80, 60, 0, 0, -2, 0, -1, 0x80 | 0x20 | 0x40);
    if (!layer) {
        trace("no layer");
        return;
    }
    layer->image.surface24()->fill(0x000000FF);
    viewport->showLayer(1, 255, 0);
    viewport->fadeLayer(1, 0, 16, 4, 10);
    // What the window shows: the layer's corners and just outside them.
    FCVSurface24 shot(160, 120);
    shot.capture(viewport->handle, 1);
    std::string shown = "pixels";
    for (auto [x, y] : { std::pair { 40, 30 }, { 119, 89 }, { 39, 30 }, { 120, 89 } })
        shown += " " + std::to_string(shot.pixel(x, y));
    trace(shown.c_str());
    trace(("viewport " + std::to_string(reinterpret_cast<uintptr_t>(viewport->handle))).c_str());
    scenario->manager->waitInput(-1, 1, 0);
    viewport->deleteLayer(1, 1);
    viewport->setBackground(nullptr, 0, 0);
    scenario->manager->destroyWindow("picture");
    trace("done");
    scenario->nextEntry = "";
}
