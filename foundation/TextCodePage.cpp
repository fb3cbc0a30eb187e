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

bool isLeadByte(unsigned char byte)
{
    if (textCodePage() != 932)
        return false;
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}
