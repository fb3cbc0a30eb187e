#include "window/FCMenu.h"

#include <windows.h>

#include <cstddef>

#include <string>

#include "foundation/TextCodePage.h"
#include "window/FCResourceModule.h"
#include "window/detail/WideResourceName.h"

namespace {

// The wide twin of an item record of the ANSI layout; the text, when the
// record carries one, converted from the game's code page into storage.
MENUITEMINFOW wideItemInformation(const MENUITEMINFOA& source, std::wstring& storage)
{
    MENUITEMINFOW wide = {};
    wide.cbSize = sizeof(wide);
    wide.fMask = source.fMask;
    wide.fType = source.fType;
    wide.fState = source.fState;
    wide.wID = source.wID;
    wide.hSubMenu = source.hSubMenu;
    wide.hbmpChecked = source.hbmpChecked;
    wide.hbmpUnchecked = source.hbmpUnchecked;
    wide.dwItemData = source.dwItemData;
    // Records of the older, shorter form end before the item bitmap: what
    // lies past their size is not theirs to give.
    constexpr size_t kBitmapEnd = offsetof(MENUITEMINFOA, hbmpItem) + sizeof(source.hbmpItem);
    if (source.cbSize >= kBitmapEnd)
        wide.hbmpItem = source.hbmpItem;
    else
        wide.fMask &= ~static_cast<UINT>(MIIM_BITMAP);
    bool carriesText = (source.fMask & MIIM_STRING)
        || ((source.fMask & MIIM_TYPE) && (source.fType & (MFT_BITMAP | MFT_SEPARATOR | MFT_OWNERDRAW)) == 0);
    if (carriesText && source.dwTypeData) {
        storage = toWide(source.dwTypeData);
        wide.dwTypeData = storage.data();
        wide.cch = static_cast<UINT>(storage.size());
    } else {
        wide.dwTypeData = reinterpret_cast<LPWSTR>(source.dwTypeData);
        wide.cch = source.cch;
    }
    return wide;
}

} // namespace

FCMenu::FCMenu()
    : menu(nullptr)
    , owner(nullptr)
{
}

FCMenu::~FCMenu()
{
    release();
}

void FCMenu::release()
{
    if (menu && IsMenu(menu))
        DestroyMenu(menu);
    menu = nullptr;
}

int32_t FCMenu::create()
{
    release();
    menu = CreateMenu();
    return menu ? 1 : 0;
}

int32_t FCMenu::load(FCWindowHandle ownerWindow, uint32_t resourceNumber)
{
    return load(ownerWindow, reinterpret_cast<const char*>(static_cast<uintptr_t>(resourceNumber)));
}

int32_t FCMenu::load(uint32_t resourceNumber)
{
    return load(reinterpret_cast<const char*>(static_cast<uintptr_t>(resourceNumber)));
}

int32_t FCMenu::load(FCWindowHandle ownerWindow, const char* resourceName)
{
    release();
    owner = ownerWindow;
    WideResourceName name(resourceName);
    menu = LoadMenuW(FCResourceModule::get(), name.get());
    return menu ? 1 : 0;
}

int32_t FCMenu::attach(HMENU__* adopted)
{
    release();
    owner = nullptr;
    menu = adopted;
    return menu ? 1 : 0;
}

int32_t FCMenu::load(const char* resourceName)
{
    release();
    WideResourceName name(resourceName);
    menu = LoadMenuW(FCResourceModule::get(), name.get());
    return menu ? 1 : 0;
}

void FCMenu::setOwner(FCWindowHandle ownerWindow)
{
    owner = ownerWindow;
}

int32_t FCMenu::appendPopup(HMENU__* subMenu, const char* text)
{
    return appendMenu(MF_POPUP, reinterpret_cast<uintptr_t>(subMenu), text);
}

int32_t FCMenu::append(uint32_t identifier, const char* text, uint32_t flags)
{
    return appendMenu(flags, identifier, text);
}

int32_t FCMenu::appendBitmap(uint32_t identifier, HBITMAP__* bitmap, uint32_t flags)
{
    return appendMenu(flags | MF_BITMAP, identifier, reinterpret_cast<const char*>(bitmap));
}

int32_t FCMenu::appendMenu(uint32_t flags, uintptr_t identifier, const char* item)
{
    if (!menu)
        return 0;
    if (flags & (MF_BITMAP | MF_OWNERDRAW | MF_SEPARATOR))
        return AppendMenuW(menu, flags, identifier, reinterpret_cast<LPCWSTR>(item)) ? 1 : 0;
    std::wstring text = toWide(item);
    return AppendMenuW(menu, flags, identifier, text.c_str()) ? 1 : 0;
}

int32_t FCMenu::deleteItem(uint32_t item, uint32_t flags)
{
    if (!menu)
        return 0;
    return DeleteMenu(menu, item, flags) ? 1 : 0;
}

int32_t FCMenu::insertItem(uint32_t identifier, const char* text, uint32_t item, int32_t byPosition,
    tagMENUITEMINFOA* information, HMENU__* target)
{
    HMENU into = target ? target : menu;
    if (!into)
        return 0;
    std::wstring storage;
    MENUITEMINFOW wide;
    if (information) {
        wide = wideItemInformation(*information, storage);
    } else {
        storage = toWide(text);
        wide = {};
        wide.cbSize = sizeof(wide);
        wide.fMask = MIIM_STATE | MIIM_ID | MIIM_TYPE;
        wide.fType = MFT_STRING;
        wide.fState = 0;
        wide.wID = identifier;
        wide.dwTypeData = storage.data();
        wide.cch = static_cast<UINT>(storage.size());
    }
    return InsertMenuItemW(into, item, byPosition ? TRUE : FALSE, &wide) ? 1 : 0;
}

int32_t FCMenu::insertIntoSubMenu(int32_t subMenuIndex, uint32_t identifier, const char* text, uint32_t item,
    int32_t byPosition, tagMENUITEMINFOA* information, HMENU__* target)
{
    HMENU from = target ? target : menu;
    if (!from)
        return 0;
    HMENU subMenu = GetSubMenu(from, subMenuIndex);
    if (!subMenu)
        return 0;
    return insertItem(identifier, text, item, byPosition, information, subMenu);
}

int32_t FCMenu::insertSeparatorIntoSubMenu(int32_t subMenuIndex, uint32_t item, int32_t byPosition)
{
    if (!menu)
        return 0;
    return insertSeparator(GetSubMenu(menu, subMenuIndex), item, byPosition);
}

int32_t FCMenu::deleteFromSubMenu(int32_t subMenuIndex, uint32_t item, int32_t byPosition)
{
    if (!menu)
        return 0;
    HMENU subMenu = GetSubMenu(menu, subMenuIndex);
    if (!subMenu)
        return 0;
    return DeleteMenu(subMenu, item, byPosition ? MF_BYPOSITION : MF_BYCOMMAND) ? 1 : 0;
}

int32_t FCMenu::trackPopup(int32_t x, int32_t y, uint32_t flags, const tagRECT* exclude)
{
    if (!menu || !owner)
        return 0;
    HMENU popup = GetSubMenu(menu, 0);
    if (!popup)
        return 0;
    TPMPARAMS parameters = {};
    parameters.cbSize = sizeof(parameters);
    if (exclude)
        parameters.rcExclude = *exclude;
    return TrackPopupMenuEx(popup, flags, x, y, reinterpret_cast<HWND>(owner), exclude ? &parameters : nullptr);
}

int32_t FCMenu::insertSeparator(HMENU__* target, uint32_t item, int32_t byPosition)
{
    if (!target)
        return 0;
    MENUITEMINFOW separator = {};
    separator.cbSize = sizeof(separator);
    separator.fMask = MIIM_TYPE;
    separator.fType = MFT_SEPARATOR;
    return InsertMenuItemW(target, item, byPosition ? TRUE : FALSE, &separator) ? 1 : 0;
}

int32_t FCMenu::isItemEnabled(HMENU__* target, uint32_t item, int32_t byPosition)
{
    MENUITEMINFOW information = {};
    information.cbSize = sizeof(information);
    information.fMask = MIIM_STATE | MIIM_ID;
    if (!target || !GetMenuItemInfoW(target, item, byPosition ? TRUE : FALSE, &information))
        return -1;
    return (information.fState & (MFS_DISABLED | MFS_GRAYED)) ? 0 : 1;
}

HMENU__* FCMenu::insertPopup(HMENU__* target, uint32_t item, int32_t byPosition, const char* text)
{
    if (!target)
        return nullptr;
    HMENU popup = CreatePopupMenu();
    if (!popup)
        return nullptr;
    std::wstring wide = toWide(text);
    MENUITEMINFOW information = {};
    information.cbSize = sizeof(information);
    information.fMask = MIIM_SUBMENU | MIIM_STRING | MIIM_FTYPE;
    information.fType = MFT_STRING;
    information.hSubMenu = popup;
    information.dwTypeData = wide.data();
    information.cch = static_cast<UINT>(wide.size());
    if (!InsertMenuItemW(target, item, byPosition ? TRUE : FALSE, &information)) {
        DestroyMenu(popup);
        return nullptr;
    }
    return popup;
}
