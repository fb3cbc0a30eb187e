#include <gtest/gtest.h>

#include <windows.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/TextCodePage.h"
#include "foundation/UxMessageBox.h"
#include "support/MessageBoxRecorder.h"
#include "support/WindowTestSupport_win32.h"
#include "window/FCDialog.h"
#include "window/FCMenu.h"
#include "window/FCWindow.h"

// The test executable carries dialog 100 (an edit 101, a button 102, a list
// 103, OK and Cancel, titled "Anchors") and menu 200 (a popup with items 201
// and 202, the second grayed).
namespace {

constexpr uint16_t kDialog = 100;
constexpr uint32_t kMenu = 200;

class ParentWindow : public FCWindow {
public:
    const char* className() override { return "LumivexDialogParent"; }
    int32_t initialX() override { return 100; }
    int32_t initialY() override { return 50; }
    int32_t initialWidth() override { return 640; }
    int32_t initialHeight() override { return 480; }
};

// Reads the edit control when OK is pressed, as a settings dialog would.
class NameDialog : public FCDialog {
public:
    using FCDialog::FCDialog;
    intptr_t onMessage(uint32_t message, FCWParam wParam, FCLParam lParam) override
    {
        if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
            wchar_t text[64] = {};
            GetDlgItemTextW(reinterpret_cast<HWND>(window), 101, text, 64);
            typed = text;
        }
        return FCDialog::onMessage(message, wParam, lParam);
    }
    std::wstring typed;
};

// Fills in the dialog the way a player would, then presses a button.
struct PlayerAtTheDialog {
    static int answer(const UxMessageBox::Request& request, void* context)
    {
        auto* self = static_cast<PlayerAtTheDialog*>(context);
        self->dialogTemplate = request.dialogTemplate;
        self->caption = request.caption;
        self->wasLive = IsWindow(reinterpret_cast<HWND>(request.owner));
        SetDlgItemTextW(reinterpret_cast<HWND>(request.owner), 101, L"Alice");
        return self->button;
    }
    int button = IDOK;
    int dialogTemplate = 0;
    std::string caption;
    bool wasLive = false;
};

RECT windowRect(FCWindowHandle window)
{
    RECT rect;
    GetWindowRect(reinterpret_cast<HWND>(window), &rect);
    return rect;
}

RECT controlRect(FCWindowHandle dialog, int control)
{
    RECT rect;
    GetWindowRect(GetDlgItem(reinterpret_cast<HWND>(dialog), control), &rect);
    MapWindowPoints(nullptr, reinterpret_cast<HWND>(dialog), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

} // namespace

TEST(Dialogs, SlotsLieInTheirContractOrder)
{
    EXPECT_EQ(slotOf(static_cast<intptr_t (FCDialog::*)()>(&FCDialog::run)), 1);
    EXPECT_EQ(slotOf(static_cast<intptr_t (FCDialog::*)(FCWindowHandle)>(&FCDialog::run)), 2);
    EXPECT_EQ(slotOf(&FCDialog::runDialog), 3);

    EXPECT_EQ(slotOf(&FCMenu::create), 1);
    EXPECT_EQ(slotOf(static_cast<int32_t (FCMenu::*)(FCWindowHandle, uint32_t)>(&FCMenu::load)), 2);
    EXPECT_EQ(slotOf(static_cast<int32_t (FCMenu::*)(uint32_t)>(&FCMenu::load)), 3);
    EXPECT_EQ(slotOf(static_cast<int32_t (FCMenu::*)(FCWindowHandle, const char*)>(&FCMenu::load)), 4);
    EXPECT_EQ(slotOf(&FCMenu::attach), 5);
    EXPECT_EQ(slotOf(static_cast<int32_t (FCMenu::*)(const char*)>(&FCMenu::load)), 6);
    EXPECT_EQ(slotOf(&FCMenu::setOwner), 7);
    EXPECT_EQ(slotOf(&FCMenu::appendPopup), 8);
    EXPECT_EQ(slotOf(&FCMenu::append), 9);
    EXPECT_EQ(slotOf(&FCMenu::appendBitmap), 10);
    EXPECT_EQ(slotOf(&FCMenu::appendMenu), 11);
    EXPECT_EQ(slotOf(&FCMenu::deleteItem), 12);
    EXPECT_EQ(slotOf(&FCMenu::insertItem), 13);
    EXPECT_EQ(slotOf(&FCMenu::insertIntoSubMenu), 14);
    EXPECT_EQ(slotOf(&FCMenu::insertSeparatorIntoSubMenu), 15);
    EXPECT_EQ(slotOf(&FCMenu::deleteFromSubMenu), 16);
    EXPECT_EQ(slotOf(&FCMenu::trackPopup), 17);
}

TEST(Dialogs, AModalDialogIsAnsweredThroughTheSeam)
{
    ParentWindow parent;
    ASSERT_EQ(parent.create(), 1);

    PlayerAtTheDialog player;
    UxMessageBox::Interceptor previous;
    void* previousContext;
    UxMessageBox::intercept(&PlayerAtTheDialog::answer, &player, &previous, &previousContext);
    NameDialog dialog(kDialog);
    EXPECT_EQ(dialog.run(parent.handle), IDOK);
    EXPECT_TRUE(player.wasLive);
    EXPECT_EQ(player.dialogTemplate, kDialog);
    EXPECT_EQ(player.caption, "Anchors");
    // The dialog's own handler saw the button pressed with the text typed.
    EXPECT_EQ(dialog.typed, L"Alice");
    EXPECT_EQ(dialog.result, IDOK);
    EXPECT_EQ(dialog.window, nullptr);

    player.button = IDCANCEL;
    NameDialog cancelled(kDialog, parent.handle);
    cancelled.caption = "Renamed";
    EXPECT_EQ(cancelled.run(), IDCANCEL);
    EXPECT_EQ(player.caption, "Renamed");
    EXPECT_TRUE(cancelled.typed.empty());
    UxMessageBox::intercept(previous, previousContext);

    // The message-box recorder takes dialogs too and presses their OK.
    MessageBoxRecorder boxes;
    NameDialog recorded(kDialog, parent.handle);
    EXPECT_EQ(recorded.run(), IDOK);
    ASSERT_EQ(boxes.requests().size(), 1u);
    EXPECT_EQ(boxes.requests()[0].dialogTemplate, kDialog);
}

TEST(Dialogs, AMissingTemplateFailsWithoutAWindow)
{
    MessageBoxRecorder boxes;
    FCDialog dialog(999);
    EXPECT_EQ(dialog.run(), -1);
    EXPECT_TRUE(boxes.requests().empty());
}

TEST(Dialogs, PlaceCentresOnTheParentOnTheEightPixelGrid)
{
    ParentWindow parent;
    ASSERT_EQ(parent.create(), 1);
    RECT parentRect = windowRect(parent.handle);
    FCModelessDialog dialog(kDialog);
    ASSERT_EQ(dialog.create(parent.handle), 1);
    RECT before = windowRect(dialog.window);
    int width = before.right - before.left;
    int height = before.bottom - before.top;
    int parentWidth = parentRect.right - parentRect.left;
    int parentHeight = parentRect.bottom - parentRect.top;

    dialog.place(-1, -1, 0);
    RECT centred = windowRect(dialog.window);
    EXPECT_EQ(centred.left, (parentRect.left + 4 + (parentWidth - width) / 2) & ~7);
    EXPECT_EQ(centred.left % 8, 0);
    EXPECT_EQ(centred.top, parentRect.top + (parentHeight - height) / 2);
    EXPECT_EQ(centred.right - centred.left, width);

    dialog.place(10, 20, 0);
    RECT placed = windowRect(dialog.window);
    EXPECT_EQ(placed.left, (parentRect.left + 10 + 4) & ~7);
    EXPECT_EQ(placed.top, parentRect.top + 20);

    // Kept on the monitor, a dialog sent far away stays inside the work area.
    dialog.place(5000, 5000, 1);
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT kept = windowRect(dialog.window);
    EXPECT_LE(kept.right, work.right);
    EXPECT_LE(kept.bottom, work.bottom);
    EXPECT_GE(kept.left, work.left);
}

TEST(Dialogs, AnchoredControlsFollowOrStretch)
{
    FCModelessDialog dialog(kDialog);
    ASSERT_EQ(dialog.create(nullptr), 1);
    const uint32_t right = FCDialogAnchor::kFollowRight;
    const uint32_t stretchWide = FCDialogAnchor::kFollowRight | FCDialogAnchor::kStretchWidth;
    const uint32_t bottom = FCDialogAnchor::kFollowBottom;
    const uint32_t stretchTall = FCDialogAnchor::kFollowBottom | FCDialogAnchor::kStretchHeight;
    struct Case {
        int control;
        uint32_t flags;
        int moveX, growX, moveY, growY;
    };
    const Case cases[] = {
        { 102, right, 1, 0, 0, 0 }, // moves with the right edge, keeps its width
        { 101, stretchWide, 0, 1, 0, 0 }, // keeps its left edge, grows
        { 103, stretchWide | stretchTall, 0, 1, 0, 1 }, { IDOK, right | bottom, 1, 0, 1, 0 },
        { IDCANCEL, 0, 0, 0, 0, 0 }, // not anchored to either edge
    };
    RECT before[5];
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(dialog.anchorControl(cases[i].control, cases[i].flags), 1);
        before[i] = controlRect(dialog.window, cases[i].control);
    }
    RECT frame = windowRect(dialog.window);
    const int wider = 100;
    const int taller = 60;
    MoveWindow(reinterpret_cast<HWND>(dialog.window), frame.left, frame.top, frame.right - frame.left + wider,
        frame.bottom - frame.top + taller, TRUE);
    for (int i = 0; i < 5; ++i) {
        RECT after = controlRect(dialog.window, cases[i].control);
        const Case& c = cases[i];
        EXPECT_EQ(after.left, before[i].left + c.moveX * wider) << c.control;
        EXPECT_EQ(after.right - after.left, before[i].right - before[i].left + c.growX * wider) << c.control;
        EXPECT_EQ(after.top, before[i].top + c.moveY * taller) << c.control;
        EXPECT_EQ(after.bottom - after.top, before[i].bottom - before[i].top + c.growY * taller) << c.control;
    }
    EXPECT_EQ(dialog.destroy(), 1);
    EXPECT_EQ(dialog.window, nullptr);
    EXPECT_EQ(dialog.destroy(), 0);
}

TEST(Menus, LoadedMenusAndTheirItems)
{
    unsigned saved = textCodePage();
    setTextCodePage(932);
    FCMenu menu;
    EXPECT_EQ(menu.load(999), 0);
    EXPECT_EQ(menu.trackPopup(0, 0, 0, nullptr), 0);
    ASSERT_EQ(menu.load(kMenu), 1);
    // Without an owner nothing is shown.
    EXPECT_EQ(menu.trackPopup(10, 10, TPM_RETURNCMD | TPM_NONOTIFY, nullptr), 0);

    HMENU popup = GetSubMenu(menu.menu, 0);
    EXPECT_EQ(FCMenu::isItemEnabled(popup, 201, 0), 1);
    EXPECT_EQ(FCMenu::isItemEnabled(popup, 202, 0), 0);
    EXPECT_EQ(FCMenu::isItemEnabled(popup, 999, 0), -1);

    // HIRAGANA LETTER A in the game's code page.
    ASSERT_EQ(menu.insertIntoSubMenu(0, 203, "\x82\xA0", 1, 1, nullptr, nullptr), 1);
    wchar_t text[16] = {};
    GetMenuStringW(popup, 203, text, 16, MF_BYCOMMAND);
    EXPECT_STREQ(text, L"\x3042");
    EXPECT_EQ(GetMenuItemID(popup, 1), 203u);

    ASSERT_EQ(menu.insertSeparatorIntoSubMenu(0, 0, 1), 1);
    MENUITEMINFOW information = { sizeof(information), MIIM_FTYPE };
    GetMenuItemInfoW(popup, 0, TRUE, &information);
    EXPECT_TRUE(information.fType & MFT_SEPARATOR);

    EXPECT_EQ(menu.deleteFromSubMenu(0, 203, 0), 1);
    EXPECT_EQ(FCMenu::isItemEnabled(popup, 203, 0), -1);
    EXPECT_EQ(GetMenuItemCount(popup), 3);

    HMENU inserted = FCMenu::insertPopup(menu.menu, 1, 1, "Edit");
    ASSERT_NE(inserted, nullptr);
    EXPECT_EQ(GetSubMenu(menu.menu, 1), inserted);
    setTextCodePage(saved);
}

TEST(Menus, BuiltMenusAndOwnership)
{
    FCMenu menu;
    EXPECT_EQ(menu.append(1, "One", 0), 0);
    ASSERT_EQ(menu.create(), 1);
    EXPECT_EQ(menu.append(1, "One", MF_STRING), 1);
    HMENU sub = CreatePopupMenu();
    EXPECT_EQ(menu.appendPopup(sub, "More"), 1);
    EXPECT_EQ(GetMenuItemCount(menu.menu), 2);
    EXPECT_EQ(menu.insertItem(5, "Five", 0, 1, nullptr, nullptr), 1);
    EXPECT_EQ(GetMenuItemID(menu.menu, 0), 5u);
    EXPECT_EQ(menu.deleteItem(5, MF_BYCOMMAND), 1);
    EXPECT_EQ(GetMenuItemCount(menu.menu), 2);

    // Attaching adopts the handle, forgets the owner and frees the old menu.
    HMENU old = menu.menu;
    menu.setOwner(reinterpret_cast<FCWindowHandle>(0x1234));
    HMENU adopted = CreateMenu();
    ASSERT_EQ(menu.attach(adopted), 1);
    EXPECT_EQ(menu.owner, nullptr);
    EXPECT_FALSE(IsMenu(old));
    EXPECT_EQ(menu.menu, adopted);
}

// A caller's own item record is taken as given, its text converted from the
// game's code page; a record of the older, shorter form is read no further
// than its size.
TEST(Menus, InsertItemTakesTheCallersRecord)
{
    const unsigned saved = textCodePage();
    setTextCodePage(932);
    FCMenu menu;
    ASSERT_EQ(menu.create(), 1);
    char text[] = "\x82\xA0";
    MENUITEMINFOA checked = { sizeof(MENUITEMINFOA) };
    checked.fMask = MIIM_STATE | MIIM_ID | MIIM_STRING;
    checked.fState = MFS_CHECKED | MFS_DISABLED;
    checked.wID = 7;
    checked.dwTypeData = text;
    EXPECT_EQ(menu.insertItem(0, "ignored", 0, 1, &checked, nullptr), 1);

    // The older record ends before the item bitmap: past it lies rubbish.
    union {
        MENUITEMINFOA record;
        unsigned char bytes[sizeof(MENUITEMINFOA)];
    } older;
    std::memset(older.bytes, 0xCC, sizeof older.bytes);
    const size_t olderSize = offsetof(MENUITEMINFOA, hbmpItem);
    std::memset(older.bytes, 0, olderSize);
    older.record.cbSize = static_cast<UINT>(olderSize);
    older.record.fMask = MIIM_ID | MIIM_STRING | MIIM_BITMAP;
    older.record.wID = 8;
    older.record.dwTypeData = text;
    EXPECT_EQ(menu.insertItem(0, nullptr, 1, 1, &older.record, nullptr), 1);

    MENUITEMINFOA separator = { sizeof(MENUITEMINFOA) };
    separator.fMask = MIIM_FTYPE;
    separator.fType = MFT_SEPARATOR;
    EXPECT_EQ(menu.insertItem(0, nullptr, 1, 1, &separator, nullptr), 1);

    ASSERT_EQ(GetMenuItemCount(menu.menu), 3);
    wchar_t label[8] = {};
    MENUITEMINFOW first = { sizeof(first), MIIM_STATE | MIIM_ID | MIIM_STRING };
    first.dwTypeData = label;
    first.cch = 8;
    ASSERT_TRUE(GetMenuItemInfoW(menu.menu, 0, TRUE, &first));
    EXPECT_EQ(first.wID, 7u);
    EXPECT_EQ(first.fState & (MFS_CHECKED | MFS_DISABLED), static_cast<UINT>(MFS_CHECKED | MFS_DISABLED));
    EXPECT_STREQ(label, L"\x3042");
    MENUITEMINFOW middle = { sizeof(middle), MIIM_FTYPE };
    ASSERT_TRUE(GetMenuItemInfoW(menu.menu, 1, TRUE, &middle));
    EXPECT_TRUE(middle.fType & MFT_SEPARATOR);
    MENUITEMINFOW last = { sizeof(last), MIIM_ID | MIIM_BITMAP };
    ASSERT_TRUE(GetMenuItemInfoW(menu.menu, 2, TRUE, &last));
    EXPECT_EQ(last.wID, 8u);
    EXPECT_EQ(last.hbmpItem, nullptr);
    setTextCodePage(saved);
}

// A modeless dialog lives beside the game: the keyboard moves between its
// controls through isDialogMessage, its messages reach onMessage, OK ends it
// (its window goes), and it is made once at a time.
TEST(Dialogs, AModelessDialogTakesItsMessagesAndKeys)
{
    struct Watching : FCModelessDialog {
        Watching()
            : FCModelessDialog(kDialog)
        {
        }
        intptr_t onMessage(uint32_t message, FCWParam wParam, FCLParam lParam) override
        {
            if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED)
                clicked.push_back(LOWORD(wParam));
            return FCModelessDialog::onMessage(message, wParam, lParam);
        }
        std::vector<int> clicked;
    } dialog;
    ParentWindow parent;
    ASSERT_EQ(parent.create(), 1);
    ASSERT_EQ(dialog.create(parent.handle), 1);
    EXPECT_EQ(dialog.create(parent.handle), 0); // one at a time
    HWND window = reinterpret_cast<HWND>(dialog.window);
    ShowWindow(window, SW_SHOW);

    HWND ok = GetDlgItem(window, IDOK);
    SetFocus(ok);
    ASSERT_EQ(GetFocus(), ok);
    MSG tab = { ok, WM_KEYDOWN, VK_TAB, 0 };
    EXPECT_EQ(dialog.isDialogMessage(&tab), 1);
    EXPECT_NE(GetFocus(), ok);
    EXPECT_TRUE(IsChild(window, GetFocus()));
    MSG other = { reinterpret_cast<HWND>(parent.handle), WM_KEYDOWN, VK_TAB, 0 };
    EXPECT_EQ(dialog.isDialogMessage(&other), 0);

    SendDlgItemMessageW(window, 102, BM_CLICK, 0, 0);
    SendMessageW(ok, BM_CLICK, 0, 0);
    EXPECT_EQ(dialog.clicked, (std::vector<int> { 102, IDOK }));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(dialog.window, nullptr);
    EXPECT_EQ(dialog.result, IDOK);

    EXPECT_EQ(dialog.create(parent.handle), 1); // made again once gone
    EXPECT_EQ(dialog.destroy(), 1);
}
