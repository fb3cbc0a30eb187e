#pragma once

#include <cstdint>
#include <vector>

#include "foundation/FCString.h"
#include "foundation/LumivexApi.h"
#include "startup/detail/PairText.h"

// A .rnf configuration file: key and value pairs joined by "=", with ";"
// comments, multi-line values between "<--" and "-->", an optional first
// line "rnftype=TYPE,SEED" (type 1: the rest of the file is scrambled with
// SEED), substitution variables ("%TAG%") and indexed keys ("wincnf" and
// index 3 is the key "wincnf3"). The first definition of a key wins.
//
// With the write-back flag set (the default) the destructor saves the pairs
// to the object's path; readers that must not rewrite the file clear it.
//
//     UxRnf config(path);
//     config.setWriteBack(false);
//     int32_t sw = 0;
//     config.getInt(sw, "sw", 0, -1, false);
class LUMIVEX_API UxRnf {
public:
    using Pairs = pairtext::Pairs;

    // No path and no pairs.
    UxRnf();
    // load(path).
    explicit UxRnf(const char* path);
    UxRnf(const UxRnf&) = delete;
    UxRnf& operator=(const UxRnf&) = delete;
    // Saves to the path when the write-back flag is set (errors are shown
    // by FCFile and go no further).
    virtual ~UxRnf();

    // Replaces the pairs by those of the file: the path is resolved and
    // kept; a missing file leaves no pairs. The substitution variables
    // added before are applied. Whether the file exists.
    bool load(const char* path);
    // "%TAG%" in the loaded text becomes text; variables apply in the order
    // they were added, before the text is parsed.
    void addVariable(int32_t tag, const char* text);

    // The key is key followed by the decimal index when index >= 0.
    bool get(FCString& value, const char* key, int32_t index = -1) const;
    // get, then FCString's integer parse; value unchanged when missing.
    bool getInt(int32_t& value, const char* key, int32_t index = -1) const;
    // A missing key gives the fallback, and with create set adds the pair
    // (key, fallback). Whether the key existed.
    bool getInt(int32_t& value, const char* key, int32_t fallback, int32_t index, bool create);
    bool getString(FCString& value, const char* key, const char* fallback, int32_t index, bool create);

    // Replaces the value of the key or adds the pair.
    void set(const char* key, const char* text, int32_t index = -1);
    void setInt(const char* key, int32_t value, int32_t index = -1);
    // Whether the pair was there.
    bool remove(const char* key, int32_t index = -1);

    // Writes every pair in key order as plain text to path (null: the
    // object's own path; nothing happens when that is empty), replacing the
    // file whole or not at all. Without pairs and with deleteIfEmpty an
    // existing file is deleted instead. The saved path becomes the object's.
    // Whether the file now holds the pairs (or was deleted).
    bool save(const char* path = nullptr, bool deleteIfEmpty = false);
    // No pairs, no path, no variables.
    void clear();

    bool writeBack() const { return (m_flags & kWriteBack) != 0; }
    void setWriteBack(bool on) { m_flags = on ? (m_flags | kWriteBack) : (m_flags & ~kWriteBack); }
    const FCString& path() const { return m_path; }
    const Pairs& pairs() const { return m_pairs; }
    // Whether the last load unscrambled the file (its first line said type 1).
    bool wasScrambled() const { return (m_flags & kScrambled) != 0; }
    // Whether the last load met a file that exists but could not be read.
    bool loadFailed() const { return (m_flags & kUnreadable) != 0; }

    // The text save writes for these pairs.
    static FCString format(const Pairs& pairs);
    // Parses loaded (already unscrambled and substituted) text into pairs,
    // keeping the first definition of each key.
    static void parse(const FCString& text, Pairs& pairs);
    // The type and seed of a first line "rnftype=TYPE,SEED" (any letter
    // case, blanks and tabs before each field ignored); false when the text
    // does not begin with such a line.
    static bool readTypeLine(const char* text, int32_t& type, uint32_t& seed);

private:
    // kUnreadable: the file exists but could not be read, so the destructor
    // must not replace it with the empty set.
    enum : uint32_t { kWriteBack = 1, kScrambled = 2, kUnreadable = 4 };

    FCString m_path;
    Pairs m_pairs;
    uint32_t m_flags;
    std::vector<FCIdString> m_variables;
};
