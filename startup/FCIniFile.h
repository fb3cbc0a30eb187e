#pragma once

#include <cstdint>
#include <string>

#include "foundation/FCPathName.h"
#include "foundation/FCString.h"
#include "foundation/LumivexApi.h"
#include "startup/IniKeyReader.h"

// An ini file read and written through the system's private-profile calls
// (Windows only), the wide ones. The system reads and writes a file of 8-bit
// text in its ANSI code page, so names and values are converted in that code
// page and the file's bytes reach the game unchanged, in the game's code
// page whatever the system's is; a UTF-16 file's characters are converted in
// the game's code page. Reads return at most 511 characters.
//
//     FCIniFile ini;
//     ini.open("Lumivex.ini", false);
//     int32_t width = ini.getInt("W_VIEW", 800, "setting");
class LUMIVEX_API FCIniFile : public IniKeyReader {
public:
    enum : int32_t { kClosed = -1, kOpen = 1, kBufferSize = 512 };

    FCIniFile();
    ~FCIniFile() override;

    // Resolves the name as a path name (relative to the current folder),
    // creates an empty file when asked and it is missing, and opens the
    // object on it; whether the file exists now.
    bool open(const char* fileName, bool createIfMissing);
    void close();
    bool isOpen() const { return m_state == kOpen; }
    const FCPathName& path() const { return m_path; }
    // Used when a call names no section; "setting" at first.
    void setDefaultSection(const char* section) { m_defaultSection = section ? section : ""; }

    // The value (the object's last result), fallback when missing; empty
    // when the object is closed.
    const FCString& getString(const char* key, const char* fallback, const char* section = nullptr);
    int32_t getInt(const char* key, int32_t fallback, const char* section = nullptr)
    {
        return readInt(key, fallback, section);
    }
    // Decimal text.
    bool writeInt(const char* key, int32_t value, const char* section = nullptr);
    bool writeString(const char* key, const char* text, const char* section = nullptr);

    FCString readString(const char* key, const char* fallback, const char* section) override;

private:
    enum : int32_t { kUtf16 = 1 };

    const char* sectionOr(const char* section) const { return section ? section : m_defaultSection.text(); }
    unsigned codePage() const;
    std::wstring wide(const char* text) const;

    FCString m_value;
    FCString m_defaultSection;
    int32_t m_state;
    int32_t m_reserved; // kUtf16 for a UTF-16 file

    FCPathName m_path;
};
