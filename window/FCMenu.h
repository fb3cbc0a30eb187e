#pragma once

#include <cstdint>

#include "foundation/LumivexApi.h"
#include "window/WindowTypes.h"

// A menu and the window that receives the commands of its tracked popup.
// Menus load from the resource module. Texts are in the game's code page.
// Scenario modules call these slots, so their order is fixed.
class LUMIVEX_API FCMenu {
public:
    FCMenu();
    FCMenu(const FCMenu&) = delete;
    FCMenu& operator=(const FCMenu&) = delete;
    // Destroys the menu it holds.
    virtual ~FCMenu();

    virtual int32_t create();
    virtual int32_t load(FCWindowHandle ownerWindow, uint32_t resourceNumber);
    virtual int32_t load(uint32_t resourceNumber);
    virtual int32_t load(FCWindowHandle ownerWindow, const char* resourceName);
    // Adopts a menu and forgets the owner.
    virtual int32_t attach(HMENU__* menu);
    virtual int32_t load(const char* resourceName);
    virtual void setOwner(FCWindowHandle ownerWindow);
    virtual int32_t appendPopup(HMENU__* subMenu, const char* text);
    virtual int32_t append(uint32_t identifier, const char* text, uint32_t flags);
    virtual int32_t appendBitmap(uint32_t identifier, HBITMAP__* bitmap, uint32_t flags);
    // The item is a text unless flags say bitmap or owner-drawn.
    virtual int32_t appendMenu(uint32_t flags, uintptr_t identifier, const char* item);
    virtual int32_t deleteItem(uint32_t item, uint32_t flags);
    // Without item information a string item is made. menu null: this one.
    virtual int32_t insertItem(uint32_t identifier, const char* text, uint32_t item, int32_t byPosition,
        tagMENUITEMINFOA* information, HMENU__* menu);
    virtual int32_t insertIntoSubMenu(int32_t subMenuIndex, uint32_t identifier, const char* text, uint32_t item,
        int32_t byPosition, tagMENUITEMINFOA* information, HMENU__* menu);
    virtual int32_t insertSeparatorIntoSubMenu(int32_t subMenuIndex, uint32_t item, int32_t byPosition);
    virtual int32_t deleteFromSubMenu(int32_t subMenuIndex, uint32_t item, int32_t byPosition);
    // Tracks the first submenu for the owner; 0 without a menu or an owner.
    // exclude (screen coordinates) may be null.
    virtual int32_t trackPopup(int32_t x, int32_t y, uint32_t flags, const tagRECT* exclude);

    // Operations on any menu handle.
    static int32_t insertSeparator(HMENU__* menu, uint32_t item, int32_t byPosition);
    // 1 enabled, 0 disabled or grayed, -1 no such item.
    static int32_t isItemEnabled(HMENU__* menu, uint32_t item, int32_t byPosition);
    // A new empty popup submenu with the text, inserted before the item;
    // null on failure.
    static HMENU__* insertPopup(HMENU__* menu, uint32_t item, int32_t byPosition, const char* text);

    HMENU__* menu;
    FCWindowHandle owner;

private:
    void release();
};
