#include <cerrno>
#include <cstring>
#include <iconv.h>

#include "foundation/TextCodePage.h"

// The conversions natively, through iconv with the code page's name
// (CP932, CP1252); what the target cannot hold becomes "?".
namespace {

std::string codePageName(unsigned codePage)
{
    return codePage == 65001 ? "UTF-8" : "CP" + std::to_string(codePage);
}

// Converts length bytes; unit is the size of one input character unit,
// skipped with a replacement when the input is invalid.
std::string convert(const char* input, size_t length, size_t unit, const std::string& from, const std::string& to)
{
    std::string output;
    if (!length)
        return output;
    iconv_t converter = iconv_open(to.c_str(), from.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1))
        return output;
    std::string replacement;
    {
        iconv_t ascii = iconv_open(to.c_str(), "ASCII");
        if (ascii != reinterpret_cast<iconv_t>(-1)) {
            char question[] = "?";
            char buffer[8];
            char* in = question;
            size_t inLeft = 1;
            char* out = buffer;
            size_t outLeft = sizeof buffer;
            if (iconv(ascii, &in, &inLeft, &out, &outLeft) != static_cast<size_t>(-1))
                replacement.assign(buffer, static_cast<size_t>(out - buffer));
            iconv_close(ascii);
        }
    }
    char* in = const_cast<char*>(input);
    size_t inLeft = length;
    char buffer[4096];
    while (inLeft) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        size_t done = iconv(converter, &in, &inLeft, &out, &outLeft);
        output.append(buffer, static_cast<size_t>(out - buffer));
        if (done != static_cast<size_t>(-1))
            break;
        if (errno == E2BIG)
            continue;
        // An invalid or incomplete sequence: one replacement, one unit on.
        output += replacement;
        size_t step = inLeft < unit ? inLeft : unit;
        in += step;
        inLeft -= step;
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(converter);
    return output;
}

} // namespace

std::wstring toWide(const char* text)
{
    if (!text)
        return {};
    std::string bytes = convert(text, std::strlen(text), 1, codePageName(textCodePage()), "WCHAR_T");
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
}

std::string fromWide(const wchar_t* text)
{
    if (!text)
        return {};
    return convert(reinterpret_cast<const char*>(text), std::wcslen(text) * sizeof(wchar_t), sizeof(wchar_t), "WCHAR_T",
        codePageName(textCodePage()));
}

std::string toUtf8(const char* text)
{
    if (!text)
        return {};
    return convert(text, std::strlen(text), 1, codePageName(textCodePage()), "UTF-8");
}

std::string fromUtf8(const char* text)
{
    if (!text)
        return {};
    return convert(text, std::strlen(text), 1, "UTF-8", codePageName(textCodePage()));
}
