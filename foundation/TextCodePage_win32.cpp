#include <windows.h>

#include "foundation/TextCodePage.h"

namespace {

std::wstring convertToWide(const char* text, unsigned codePage)
{
    if (!text || !*text)
        return {};
    int length = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    if (length <= 0)
        return {};
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text, -1, wide.data(), length);
    wide.resize(static_cast<size_t>(length) - 1);
    return wide;
}

std::string convertFromWide(const wchar_t* text, unsigned codePage)
{
    if (!text || !*text)
        return {};
    int length = WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return {};
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, text, -1, narrow.data(), length, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(length) - 1);
    return narrow;
}

} // namespace

std::wstring toWide(const char* text)
{
    return convertToWide(text, textCodePage());
}

std::string fromWide(const wchar_t* text)
{
    return convertFromWide(text, textCodePage());
}

std::string toUtf8(const char* text)
{
    return convertFromWide(toWide(text).c_str(), CP_UTF8);
}

std::string fromUtf8(const char* text)
{
    return fromWide(convertToWide(text, CP_UTF8).c_str());
}
