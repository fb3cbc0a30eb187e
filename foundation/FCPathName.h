#pragma once

#include <cstdint>

#include "foundation/FCString.h"
#include "foundation/LumivexApi.h"

// A path held in an FCString (block size 512), resolved against the current
// directory, the executable, special folders or the CD-ROM drive. Every scan
// for the separator or the extension dot steps over double-byte characters of
// the game's code page: a Shift-JIS trail byte may be 0x5C, the backslash.
class LUMIVEX_API FCPathName {
public:
    static constexpr int32_t kBlockSize = 512;

    // Special folder codes beside the shell's own (26 roaming application
    // data, 28 local application data, ...).
    enum SpecialFolder : int32_t {
        kExecutable = 0x7777,
        kExecutableFolder = 0x7778,
        kWindowsFolder = 0x777A,
        kSystemFolder = 0x777B,
        kTemporaryFolder = 0x777C,
    };

    // Empty, with no system query.
    FCPathName();
    // set(text): null gives the current directory.
    explicit FCPathName(const char* text);
    FCPathName(const FCPathName& other) = default;
    FCPathName& operator=(const FCPathName& other) = default;

    // The virtual slots, in this order, are part of the module contract.
    virtual ~FCPathName();
    // The current directory followed by other's text.
    virtual void setCurrentDirectoryPlus(const FCPathName& other);
    virtual void reserved();
    // "%:rest" gives the first CD-ROM drive's "X:" and rest (no drive: rest
    // alone); "\\..." and "X:..." are taken as they are; other text follows
    // the current directory; null gives the current directory.
    virtual void set(const char* text);
    // Codes other than the special and shell folders give the current directory.
    virtual void setSpecialFolder(int32_t code, bool addSeparator);
    virtual void setSpecialFolderWithSeparator(int32_t code);
    virtual void setCurrentDirectory();

    const FCString& path() const { return m_path; }
    const char* text() const { return m_path.text(); }
    int32_t length() const { return m_path.length(); }

    // Whether the last character is not a backslash (false for an empty path).
    bool needsSeparator() const;
    void addSeparator();
    // The text up to the last backslash, with or without it; empty without one.
    FCString folder(bool withSeparator = true) const;
    // The text after the last backslash (the whole text without one).
    FCString fileName() const;
    // Keeps the text before the file name's last "." and appends ext, which
    // brings its own dot (".bak"); a name without a dot gets ext appended.
    // Only for paths that hold a backslash and do not end in one.
    void replaceExtension(const char* ext);
    // Case-insensitive comparison of the text after the last "." with ext
    // (given with or without its dot).
    bool hasExtension(const char* ext) const;

    // The same rules on any text, for callers that hold no FCPathName.
    // Position of the last backslash that is not a trail byte, or null.
    static const char* findLastSeparator(const char* text);
    // Position of the last "." after the last backslash, or null.
    static const char* findExtensionDot(const char* text);
    static bool hasExtension(const char* text, const char* ext);

private:
    FCString m_path;
};
