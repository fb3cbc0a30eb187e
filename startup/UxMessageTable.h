#pragma once

#include <cstdint>
#include <initializer_list>

#include "foundation/FCString.h"
#include "foundation/LumivexApi.h"

// The message catalogue: messages 0-127 and values 0-15, read once at
// start-up from the file "Lumivex." + language code beside the executable,
// and read by every part of the host that shows a message. The process's own
// table is UxMessageTable::global().
//
// The file, line by line (leading blanks and tabs dropped):
//   ";..." or empty      comment
//   ".M" / ".V"           the entries that follow are messages / values
//   "26<TAB>text"         starts entry 26 (the number, a tab, the text)
//   "+<TAB>text"          appends a line break and text to the message
// An entry is stored when the next one starts, at a mode line and at the end
// of the file; numbers out of range are dropped.
class LUMIVEX_API UxMessageTable {
public:
    enum : int32_t { kMessageCount = 128, kValueCount = 16 };

    UxMessageTable();
    UxMessageTable(const UxMessageTable&) = delete;
    UxMessageTable& operator=(const UxMessageTable&) = delete;
    virtual ~UxMessageTable();

    static UxMessageTable& global();
    // "Lumivex." followed by the language code.
    static FCString catalogueName(const char* languageCode);

    // Empties the table and reads the file; a missing or unreadable file
    // leaves every message empty. Whether the file was read.
    bool load(const char* path);
    // load() of the catalogue of a language in the executable's folder
    // (the host's start-up; Windows paths).
    bool loadCatalogue(const char* languageCode);
    // Adds the entries of catalogue text to the table.
    void parse(const FCString& text);
    void clear();

    // Message id as it is (empty for an id out of range).
    const FCString& text(int32_t id) const;
    // Value index, 0 out of range.
    int32_t value(int32_t index) const;

    // A copy of message id with each "%N" (N from 1 to count) replaced by
    // argument N. The template is scanned once, so an argument that holds
    // "%2" is shown as it is; "%10" is argument 10 when there are ten
    // arguments, else argument 1 followed by "0".
    FCString message(int32_t id, int32_t count, ...) const;
    FCString message(int32_t id, std::initializer_list<const char*> arguments) const;
    // The replacement itself, on any text.
    static FCString expand(const char* text, int32_t count, const char* const* arguments);

private:
    FCString m_messages[kMessageCount];
    int32_t m_values[kValueCount];
};

// The language queries: the game's code page is 1252 for the language code
// "EN" and 932 for any other; every other code counts as Japanese.
LUMIVEX_API uint32_t languageCodePage(const char* languageCode);
LUMIVEX_API bool languageIsJapanese(const char* languageCode);
