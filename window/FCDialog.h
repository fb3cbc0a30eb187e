#pragma once

#include <cstdint>

#include "foundation/FCString.h"
#include "foundation/FCXList.h"
#include "foundation/LumivexApi.h"
#include "window/WindowTypes.h"

// How one control follows the dialog's edges when the dialog is resized.
struct FCDialogAnchor {
    enum Flag : uint32_t {
        kFollowRight = 1,
        kStretchWidth = 2, // with kFollowRight: keep the left edge and grow
        kFollowBottom = 4,
        kStretchHeight = 8, // with kFollowBottom: keep the top edge and grow
    };

    int32_t control;
    uint32_t flags;
    // From the client area's top left.
    int32_t left;
    int32_t top;
    // The control's right and bottom edges minus the client area's.
    int32_t right;
    int32_t bottom;
    int32_t width;
    int32_t height;
};

// What the modal and modeless dialogs share: the template, the placement
// rule and the anchored layout. Templates load from the resource module.
// The dialog procedure reaches the derived class's handlers through the
// operations the derived constructor stores (this class keeps its one slot,
// the destructor, so the derived classes' slots start at 1).
class LUMIVEX_API FCDialogBase {
public:
    struct Operations {
        intptr_t (*message)(FCDialogBase* dialog, uint32_t message, FCWParam wParam, FCLParam lParam);
        void (*end)(FCDialogBase* dialog, intptr_t answer);
    };

    explicit FCDialogBase(uint16_t dialogTemplate);
    FCDialogBase(const FCDialogBase&) = delete;
    FCDialogBase& operator=(const FCDialogBase&) = delete;
    virtual ~FCDialogBase();

    // Moves the dialog to (x, y) from its parent's top left (the desktop
    // without a parent); -1 centres on that axis. The left edge is moved 4
    // pixels right and then down to a multiple of 8. With keepOnMonitor the
    // dialog is then pulled into the work area of its monitor.
    void place(int32_t x, int32_t y, int32_t keepOnMonitor);
    void addAnchor(int32_t control, uint32_t flags, int32_t left, int32_t top, int32_t right, int32_t bottom,
        int32_t width, int32_t height);
    // Records a control's present place under the flags, for a dialog that
    // still has its template size.
    int32_t anchorControl(int32_t control, uint32_t flags);
    // Moves and sizes every anchored control for the present client area.
    void relayout();

    // The handling every dialog gets unless a derived handler answers first:
    // on WM_INITDIALOG the caption, then the message-box seam's answer,
    // which presses that button as the player would; OK and Cancel end the
    // dialog; a new size lays the controls out again.
    intptr_t defaultMessage(uint32_t message, FCWParam wParam, FCLParam lParam);
    // Ends the dialog with that result (modal) or destroys it (modeless).
    void end(intptr_t answer);

    FCWindowHandle window;
    uint16_t templateNumber;
    // Shown as the dialog's title when not empty.
    FCString caption;
    // The dialog's name for developers' messages.
    FCString name;
    FCXList<FCDialogAnchor> anchors;
    const Operations* operations;
    // The answer the dialog ended with.
    intptr_t result;
};

// A modal dialog: run returns the answer it ended with (-1 when the template
// could not be made into a dialog).
class LUMIVEX_API FCDialog : public FCDialogBase {
public:
    explicit FCDialog(uint16_t dialogTemplate, FCWindowHandle parentWindow = nullptr);
    ~FCDialog() override;

    // With the stored parent.
    virtual intptr_t run();
    virtual intptr_t run(FCWindowHandle parentWindow);
    virtual intptr_t runDialog(FCWindowHandle parentWindow);
    // Every message of the dialog; the default is defaultMessage.
    virtual intptr_t onMessage(uint32_t message, FCWParam wParam, FCLParam lParam);

    FCWindowHandle parent;
};

// A modeless dialog; its window is destroyed when it ends and with the object.
// The message loop of its thread passes messages through isDialogMessage.
class LUMIVEX_API FCModelessDialog : public FCDialogBase {
public:
    explicit FCModelessDialog(uint16_t dialogTemplate);
    ~FCModelessDialog() override;

    // Makes the dialog (shown when its template says so); 1 when it exists.
    virtual int32_t create(FCWindowHandle parentWindow);
    virtual int32_t destroy();
    virtual intptr_t onMessage(uint32_t message, FCWParam wParam, FCLParam lParam);

    // Keyboard navigation for the dialog; 1 when the message was its.
    int32_t isDialogMessage(void* message);
};
