#include "tools/lvtool/ToolSupport.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>

#include "foundation/Diagnostic.h"

bool parseNumber(const char* text, long long& value)
{
    if (!text || !*text)
        return false;
    int base = 10;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text += 2;
        if (!*text)
            return false;
    }
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text, &end, base);
    return errno == 0 && end && *end == '\0';
}

bool readWholeFile(const char* path, std::vector<uint8_t>& content)
{
    FILE* file = std::fopen(path, "rb");
    if (!file)
        return false;
    content.clear();
    uint8_t buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        content.insert(content.end(), buffer, buffer + got);
    bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

bool writeWholeFile(const char* path, const uint8_t* data, size_t size)
{
    FILE* file = std::fopen(path, "wb");
    if (!file)
        return false;
    bool ok = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && ok;
}

int fail(const char* file, const char* reason)
{
    std::fprintf(stderr, "lvtool: %s: %s\n", file, reason);
    return 1;
}

std::string currentFailure()
{
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return "not enough memory";
    } catch (const Diagnostic& failure) {
        return std::string(failure.operation()) + ": " + failure.message();
    } catch (const std::exception& failure) {
        return failure.what();
    } catch (...) {
        return "unknown failure";
    }
}
