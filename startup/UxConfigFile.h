#pragma once

#include <cstdint>

#include "foundation/FCString.h"
#include "foundation/LumivexApi.h"
#include "startup/detail/PairText.h"

// The pair lines of a .rnf file, without scrambling or variables: the screen window's window configuration. It never
// saves by itself.
class LUMIVEX_API UxConfigFile {
public:
    using Pairs = pairtext::Pairs;

    UxConfigFile();
    UxConfigFile(const UxConfigFile&) = delete;
    UxConfigFile& operator=(const UxConfigFile&) = delete;
    virtual ~UxConfigFile();

    // Keeps the resolved path and reads the file when it exists; whether it
    // exists.
    bool open(const char* path);

    // The value when the key exists, else the fallback. getBool: non-zero is
    // true. getString returns the object's last result.
    int32_t getInt(const char* key, int32_t fallback) const;
    bool getBool(const char* key, bool fallback) const;
    const FCString& getString(const char* key, const char* fallback);

    // Only once a path is set: creates or replaces the pair.
    void set(const char* key, const char* text);
    void setInt(const char* key, int32_t value);

    // Writes every pair (key, "=", value, line feed; several lines as a
    // "<--" block) to the path, replacing the file whole or not at all;
    // false without a path, when the file at open could not be read (it is
    // never saved over), or on failure.
    bool save();

    const FCString& path() const { return m_path; }
    const Pairs& pairs() const { return m_pairs; }

    // Parses pair lines and blocks, keeping the first definition of each key.
    static void parse(const FCString& text, Pairs& pairs);

private:
    FCString m_path;
    FCString m_result;
    Pairs m_pairs;
    bool m_unreadable = false;
};
