#pragma once

#include <cstdint>

#include "foundation/FCString.h"
#include "foundation/LumivexApi.h"
#include "window/FCCursor.h"
#include "window/FCVWin.h"

// A window whose class registration, creation and every message are virtual
// calls. Slots 14 to 35 are the questions that registration and creation
// ask; from slot 36 on they handle messages. Every handler's default passes
// its own message to the system's default window procedure unless noted.
// Scenario modules derive from this class and call its slots, so slot and
// member order are fixed: derived classes append.
class LUMIVEX_API FCWindow : public FCVWin {
public:
    explicit FCWindow(FCWindowHandle parentWindow = nullptr);
    ~FCWindow() override;

    int32_t kind() const override;
    using FCVWin::invalidate;
    using FCVWin::redraw;

    // --- Registration and creation (slots 8 to 13) ---
    // Creates a window of a class registered already; 0 at once when a live
    // window exists, else whether the window now exists.
    virtual int32_t createWithClass(const char* windowClassName);
    // Register the class (RegisterClass or, with a small icon, RegisterClassEx)
    // and create the window; when the class exists already the window is made
    // from it. 1 when the window exists afterwards, 0 when one existed before
    // or creation failed.
    virtual int32_t create();
    virtual int32_t createEx();
    virtual void adoptCursor(FCCursor* other);
    // A resource number (below 0x10000) or a name; a name equal to the one
    // loaded last loads nothing.
    virtual void selectCursor(const char* nameOrNumber);
    // The dispatcher: turns a message into a call of its slot.
    virtual FCLResult windowProc(uint32_t message, FCWParam wParam, FCLParam lParam);

    // --- Class and window questions (slots 14 to 35) ---
    virtual uint32_t classStyle();
    virtual int32_t classExtraBytes();
    virtual int32_t windowExtraBytes();
    virtual HICON__* classIcon();
    virtual HICON__* classCursor();
    virtual HBRUSH__* classBrush();
    virtual const char* classMenuName();
    virtual const char* className();
    virtual HICON__* classSmallIcon();
    virtual uint32_t exStyle();
    virtual const char* windowTitle();
    virtual uint32_t style();
    virtual int32_t initialX();
    virtual int32_t initialY();
    virtual int32_t initialWidth();
    virtual int32_t initialHeight();
    virtual FCWindowHandle parentHandle();
    virtual HMENU__* menuHandle();
    // The menu resource of that name in the executable; null for no name.
    virtual HMENU__* loadMenuByName(const char* menuName);
    virtual int32_t showCommand();
    virtual int32_t showOnCreate();
    // Once, after the window was created and shown.
    virtual void onCreated();

    // --- Message handlers (slots 36 to 97) ---
    // Non-zero lets the window close.
    virtual int32_t onClose();
    // Every message without a slot of its own, registered messages included.
    virtual FCLResult defaultProc(uint32_t message, FCWParam wParam, FCLParam lParam);
    virtual void onBeginPaint();
    virtual void onPaint(tagPAINTSTRUCT* paint);
    virtual void onEndPaint();
    // Messages 0x0400 to 0x7FFF.
    virtual FCLResult onUserMessage(uint32_t message, FCWParam wParam, FCLParam lParam);
    // Messages 0x8000 to 0xBFFF.
    virtual FCLResult onAppMessage(uint32_t message, FCWParam wParam, FCLParam lParam);
    virtual FCLResult onDestroy(FCWParam wParam, FCLParam lParam);
    // The handle comes as an argument: the member is set only after creation.
    virtual FCLResult onCreate(FCWindowHandle window, tagCREATESTRUCTW* create);
    virtual FCLResult onTimer(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onQueryEndSession(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onEndSession(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onCommand(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onNotify(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onParentNotify(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onSysCommand(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onDisplayChange(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onLButtonDblClk(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onLButtonDown(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onLButtonUp(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onRButtonDblClk(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onRButtonDown(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onRButtonUp(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onMButtonDown(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onMButtonUp(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onMouseMove(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onDropFiles(FCWParam wParam, FCLParam lParam);
    // Shows the window's cursor over the client area.
    virtual FCLResult onSetCursor(FCWParam wParam, FCLParam lParam);
    // Characters come in the game's code page, a double-byte character as
    // two calls (lead byte, then trail byte), whatever the system's code page.
    virtual FCLResult onChar(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onKeyDown(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onKeyUp(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onSysChar(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onSysKeyDown(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onSysKeyUp(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onQueryOpen(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onSize(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onSizing(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onGetMinMaxInfo(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onMove(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onMoving(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onWindowPosChanged(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onWindowPosChanging(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onEnterSizeMove(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onExitSizeMove(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onInitMenuPopup(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onContextMenu(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onActivateApp(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onActivate(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onSetFocus(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onKillFocus(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onHScroll(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onVScroll(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onPaletteChanged(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onQueryNewPalette(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onSysColorChange(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onNcActivate(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onNcHitTest(FCWParam wParam, FCLParam lParam);
    // The character as one value in the game's code page (a double-byte
    // character as lead byte times 256 plus trail byte).
    virtual FCLResult onImeChar(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onCopyData(FCWParam wParam, FCLParam lParam);
    // 0 by default.
    virtual FCLResult onMciNotify(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onEraseBkgnd(FCWParam wParam, FCLParam lParam);
    virtual FCLResult onDeviceChange(FCWParam wParam, FCLParam lParam);

    // The system's default handling of a message for this window.
    FCLResult callDefault(uint32_t message, FCWParam wParam, FCLParam lParam);

    // The parent given to the constructor (its handle; null for a top-level
    // window).
    FCVWin parent;
    // The cursor shown over the client area.
    FCCursor cursor;
    // The resource name the cursor was last loaded from; empty after a load
    // by number.
    FCString cursorName;
    uint32_t reserved;

private:
    int32_t registerAndCreate(bool extended);
    int32_t createWindow(const char* windowClassName);
    int32_t finishCreation(bool showFirst);
};
