#pragma once

#include <cstdint>

#include "foundation/LumivexApi.h"

class FCOasys;
class FCVWin;
struct HMENU__;

// What scenario code asks the window thread to make (FCOasys::requestWindow).
// Scenario modules fill it, so its layout is fixed: fields are only ever
// appended.
struct FCWindowRequest {
    // The kind number of the window class to make.
    int32_t kind;
    // Place and size in the parent's client coordinates.
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
    // The parent window; null: the scenario view.
    FCVWin* parent;
    // Window style bits added to the class's own, and extended style bits.
    uint32_t style;
    uint32_t exStyle;
    // The window's name in the window list (its identity for removal) and
    // its title; either may be null.
    const char* name;
    const char* title;
    // Values of the class's own (a show command, a file name, flags).
    intptr_t values[4];
    // Written back: the window made, or null when none could be.
    FCVWin* created;
    // kDraggable: a left press on the window (or on a window inside it)
    // held for 400 ms or moved by more than 2 pixels moves it instead of
    // clicking it.
    uint32_t flags;

    static constexpr uint32_t kDraggable = 1;
};

// A popup menu shown by the window thread (FCOasys::trackPopupMenu).
struct FCPopupMenuRequest {
    HMENU__* menu;
    // Screen coordinates; (-1, -1): where the pointer is.
    int32_t x;
    int32_t y;
    // TrackPopupMenu flags.
    uint32_t flags;
    // Written back: the chosen command, 0 when the menu was dismissed.
    int32_t command;
};

// Makes the window of one kind on the window thread from a request, creates
// it and returns it (null on failure). The classes of the host register
// theirs; a game's module may register more.
using FCWindowFactory = FCVWin* (*)(const FCWindowRequest& request, FCOasys& manager);
