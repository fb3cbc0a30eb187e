#include "window/FCDialog.h"

#include <windows.h>

#include <string>

#include "foundation/Diagnostic.h"
#include "foundation/TextCodePage.h"
#include "foundation/UxMessageBox.h"
#include "window/FCResourceModule.h"

namespace {

HWND hwndOf(FCWindowHandle window)
{
    return reinterpret_cast<HWND>(window);
}

INT_PTR CALLBACK frameworkDialogProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    FCDialogBase* dialog;
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<FCDialogBase*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        if (dialog)
            dialog->window = reinterpret_cast<FCWindowHandle>(hwnd);
    } else {
        dialog = reinterpret_cast<FCDialogBase*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (!dialog || !dialog->operations)
        return FALSE;
    INT_PTR result = FALSE;
    // Nothing may be thrown through the system's dialog procedure.
    try {
        result = dialog->operations->message(dialog, message, wParam, lParam);
    } catch (const Diagnostic& failure) {
        failure.show(reinterpret_cast<FCWindowHandle>(hwnd));
    } catch (...) {
    }
    if (message == WM_NCDESTROY) {
        dialog->window = nullptr;
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    }
    return result;
}

intptr_t modalMessage(FCDialogBase* dialog, uint32_t message, FCWParam wParam, FCLParam lParam)
{
    return static_cast<FCDialog*>(dialog)->onMessage(message, wParam, lParam);
}

void modalEnd(FCDialogBase* dialog, intptr_t answer)
{
    dialog->result = answer;
    EndDialog(hwndOf(dialog->window), answer);
}

intptr_t modelessMessage(FCDialogBase* dialog, uint32_t message, FCWParam wParam, FCLParam lParam)
{
    return static_cast<FCModelessDialog*>(dialog)->onMessage(message, wParam, lParam);
}

void modelessEnd(FCDialogBase* dialog, intptr_t answer)
{
    dialog->result = answer;
    static_cast<FCModelessDialog*>(dialog)->destroy();
}

const FCDialogBase::Operations kModalOperations = { modalMessage, modalEnd };
const FCDialogBase::Operations kModelessOperations = { modelessMessage, modelessEnd };

int32_t floorToMultipleOf8(int32_t value)
{
    return static_cast<int32_t>(static_cast<uint32_t>(value) & ~7u);
}

} // namespace

// --- FCDialogBase ---

FCDialogBase::FCDialogBase(uint16_t dialogTemplate)
    : window(nullptr)
    , templateNumber(dialogTemplate)
    , operations(nullptr)
    , result(0)
{
}

FCDialogBase::~FCDialogBase() = default;

void FCDialogBase::end(intptr_t answer)
{
    if (operations && window && IsWindow(hwndOf(window)))
        operations->end(this, answer);
}

void FCDialogBase::place(int32_t x, int32_t y, int32_t keepOnMonitor)
{
    HWND dialog = hwndOf(window);
    if (!dialog || !IsWindow(dialog))
        return;
    HWND parentWindow = GetParent(dialog);
    if (!parentWindow)
        parentWindow = GetDesktopWindow();
    RECT parentRect;
    RECT dialogRect;
    if (!GetWindowRect(parentWindow, &parentRect) || !GetWindowRect(dialog, &dialogRect))
        return;
    int32_t width = dialogRect.right - dialogRect.left;
    int32_t height = dialogRect.bottom - dialogRect.top;
    int32_t left
        = x == -1 ? parentRect.left + 4 + (parentRect.right - parentRect.left - width) / 2 : parentRect.left + x + 4;
    left = floorToMultipleOf8(left);
    int32_t top = y == -1 ? parentRect.top + (parentRect.bottom - parentRect.top - height) / 2 : parentRect.top + y;
    if (keepOnMonitor) {
        RECT placed = { left, top, left + width, top + height };
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof(monitor);
        if (GetMonitorInfoW(MonitorFromRect(&placed, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
            const RECT& work = monitor.rcWork;
            if (left + width > work.right)
                left = work.right - width;
            if (left < work.left)
                left = work.left;
            if (top + height > work.bottom)
                top = work.bottom - height;
            if (top < work.top)
                top = work.top;
        }
    }
    MoveWindow(dialog, left, top, width, height, TRUE);
}

void FCDialogBase::addAnchor(int32_t control, uint32_t flags, int32_t left, int32_t top, int32_t right, int32_t bottom,
    int32_t width, int32_t height)
{
    anchors.addTail(new FCDialogAnchor { control, flags, left, top, right, bottom, width, height }, 1);
}

int32_t FCDialogBase::anchorControl(int32_t control, uint32_t flags)
{
    HWND dialog = hwndOf(window);
    HWND item = dialog ? GetDlgItem(dialog, control) : nullptr;
    RECT client;
    RECT placed;
    if (!item || !GetClientRect(dialog, &client) || !GetWindowRect(item, &placed))
        return 0;
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&placed), 2);
    addAnchor(control, flags, placed.left - client.left, placed.top - client.top, placed.right - client.right,
        placed.bottom - client.bottom, placed.right - placed.left, placed.bottom - placed.top);
    return 1;
}

void FCDialogBase::relayout()
{
    HWND dialog = hwndOf(window);
    RECT client;
    if (!dialog || !GetClientRect(dialog, &client))
        return;
    FCXListIterator<FCDialogAnchor> each(&anchors);
    while (FCDialogAnchor* anchor = each.next()) {
        int32_t x = client.left + anchor->left;
        int32_t y = client.top + anchor->top;
        int32_t width = anchor->width;
        int32_t height = anchor->height;
        if (anchor->flags & FCDialogAnchor::kFollowBottom) {
            if (anchor->flags & FCDialogAnchor::kStretchHeight)
                height = anchor->bottom - y + client.bottom;
            else
                y = anchor->bottom - height + client.bottom;
        }
        if (anchor->flags & FCDialogAnchor::kFollowRight) {
            if (anchor->flags & FCDialogAnchor::kStretchWidth)
                width = anchor->right - x + client.right;
            else
                x = anchor->right - width + client.right;
        }
        if (HWND item = GetDlgItem(dialog, anchor->control))
            MoveWindow(item, x, y, width, height, TRUE);
    }
    InvalidateRect(dialog, nullptr, FALSE);
}

intptr_t FCDialogBase::defaultMessage(uint32_t message, FCWParam wParam, FCLParam)
{
    HWND dialog = hwndOf(window);
    switch (message) {
    case WM_INITDIALOG: {
        if (!caption.isEmpty())
            SetWindowTextW(dialog, toWide(caption.text()).c_str());
        wchar_t title[256] = {};
        GetWindowTextW(dialog, title, 256);
        std::string shownTitle = fromWide(title);
        if (int answer = UxMessageBox::answerDialog(window, templateNumber, shownTitle.c_str())) {
            // The answer is a button: pressed as the player would press it,
            // once the dialog runs.
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                reinterpret_cast<LPARAM>(GetDlgItem(dialog, answer)));
        }
        return TRUE;
    }
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
            end(LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    case WM_SIZE:
        relayout();
        return TRUE;
    default:
        return FALSE;
    }
}

// --- FCDialog ---

FCDialog::FCDialog(uint16_t dialogTemplate, FCWindowHandle parentWindow)
    : FCDialogBase(dialogTemplate)
    , parent(parentWindow)
{
    operations = &kModalOperations;
}

FCDialog::~FCDialog() = default;

intptr_t FCDialog::run()
{
    operations = &kModalOperations;
    return runDialog(parent);
}

intptr_t FCDialog::run(FCWindowHandle parentWindow)
{
    parent = parentWindow;
    operations = &kModalOperations;
    return runDialog(parent);
}

intptr_t FCDialog::runDialog(FCWindowHandle parentWindow)
{
    result = DialogBoxParamW(FCResourceModule::get(), MAKEINTRESOURCEW(templateNumber), hwndOf(parentWindow),
        frameworkDialogProcedure, reinterpret_cast<LPARAM>(static_cast<FCDialogBase*>(this)));
    return result;
}

intptr_t FCDialog::onMessage(uint32_t message, FCWParam wParam, FCLParam lParam)
{
    return defaultMessage(message, wParam, lParam);
}

// --- FCModelessDialog ---

FCModelessDialog::FCModelessDialog(uint16_t dialogTemplate)
    : FCDialogBase(dialogTemplate)
{
    operations = &kModelessOperations;
}

FCModelessDialog::~FCModelessDialog()
{
    destroy();
}

int32_t FCModelessDialog::create(FCWindowHandle parentWindow)
{
    if (window && IsWindow(hwndOf(window)))
        return 0;
    operations = &kModelessOperations;
    HWND created = CreateDialogParamW(FCResourceModule::get(), MAKEINTRESOURCEW(templateNumber), hwndOf(parentWindow),
        frameworkDialogProcedure, reinterpret_cast<LPARAM>(static_cast<FCDialogBase*>(this)));
    window = reinterpret_cast<FCWindowHandle>(created);
    return created ? 1 : 0;
}

int32_t FCModelessDialog::destroy()
{
    HWND dialog = hwndOf(window);
    if (!dialog || !IsWindow(dialog))
        return 0;
    DestroyWindow(dialog);
    window = nullptr;
    return 1;
}

intptr_t FCModelessDialog::onMessage(uint32_t message, FCWParam wParam, FCLParam lParam)
{
    return defaultMessage(message, wParam, lParam);
}

int32_t FCModelessDialog::isDialogMessage(void* message)
{
    HWND dialog = hwndOf(window);
    if (!dialog || !message)
        return 0;
    return IsDialogMessageW(dialog, static_cast<MSG*>(message)) ? 1 : 0;
}
