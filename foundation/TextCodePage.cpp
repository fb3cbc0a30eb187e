#include "foundation/TextCodePage.h"

#include <atomic>

namespace {
std::atomic<unsigned> g_codePage { 932 };
}

unsigned textCodePage()
{
    return g_codePage.load(std::memory_order_relaxed);
}

void setTextCodePage(unsigned codePage)
{
    g_codePage.store(codePage, std::memory_order_relaxed);
}
