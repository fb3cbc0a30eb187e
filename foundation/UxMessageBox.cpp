#include "foundation/UxMessageBox.h"

#include <atomic>

namespace {

struct InterceptorSlot {
    UxMessageBox::Interceptor function;
    void* context;
};

// Set by tests before the boxes they expect; read by whichever thread shows one.
std::atomic<InterceptorSlot*> g_slot { nullptr };
InterceptorSlot g_slots[2];
std::atomic<int> g_slotIndex { 0 };

} // namespace

int UxMessageBox::show(FCWindowHandle owner, const char* text, const char* caption, unsigned style)
{
    Request request { owner, text ? text : "", caption ? caption : "", style };
    if (InterceptorSlot* slot = g_slot.load(std::memory_order_acquire))
        return slot->function(request, slot->context);
    return showOnScreen(request);
}

int UxMessageBox::answerDialog(FCWindowHandle dialog, int dialogTemplate, const char* caption)
{
    Request request { dialog, "", caption ? caption : "", 0, dialogTemplate };
    if (InterceptorSlot* slot = g_slot.load(std::memory_order_acquire))
        return slot->function(request, slot->context);
    return answerDialogForProcess(request);
}

void UxMessageBox::intercept(Interceptor interceptor, void* context, Interceptor* previous, void** previousContext)
{
    InterceptorSlot* old = g_slot.load(std::memory_order_acquire);
    if (previous)
        *previous = old ? old->function : nullptr;
    if (previousContext)
        *previousContext = old ? old->context : nullptr;
    if (!interceptor) {
        g_slot.store(nullptr, std::memory_order_release);
        return;
    }
    // Two slots used in turn: a box being answered through the old slot keeps
    // reading consistent values while the new one is published.
    int index = g_slotIndex.fetch_xor(1) ^ 1;
    g_slots[index] = { interceptor, context };
    g_slot.store(&g_slots[index], std::memory_order_release);
}

int UxMessageBox::firstButton(unsigned style)
{
    switch (style & 0xF) {
    case kAbortRetryIgnore:
        return kIdAbort;
    case kYesNoCancel:
    case kYesNo:
        return kIdYes;
    case kRetryCancel:
        return kIdRetry;
    default:
        return kIdOk;
    }
}
