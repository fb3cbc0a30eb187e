#pragma once

#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <string>

#include "foundation/LumivexApi.h"

class FCFile;

// Where and how loadFile reads and saveFile writes a text: the file (from its
// current position), the bytes to read (0: to the end of the file), the
// scramble seed (0: none), the leading lines left plain, and flags: bit 0 =
// the descriptor owns the file and closes it; bits 28-31 the encoding of the
// file's bytes (2 code-page text, 1 UTF-8). The scramble works on the file's
// bytes, so a UTF-8 file is converted after unscrambling.
class LUMIVEX_API FCTextFile {
public:
    enum Flags : uint32_t {
        kOwnsFile = 1,
        kEncodingMask = 0xF0000000u,
        kUtf8 = 1u << 28,
        kCodePageText = 2u << 28,
    };

    explicit FCTextFile(FCFile& file, uint32_t byteCount = 0, uint32_t seed = 0, int32_t plainLines = 0,
        uint32_t flags = kCodePageText);
    FCTextFile(const FCTextFile&) = delete;
    FCTextFile& operator=(const FCTextFile&) = delete;
    // Closes the file when the descriptor owns it.
    virtual ~FCTextFile();

    bool isUtf8() const { return (flags & kEncodingMask) == kUtf8; }

    FCFile& file;
    uint32_t byteCount;
    uint32_t seed;
    int32_t plainLines;
    uint32_t flags;
};

// Shared, reference-counted text of an FCString. Capacity always keeps at
// least one spare block: ((length + 1) / blockSize + 1) * blockSize.
class LUMIVEX_API FCStringRep {
public:
    // The text followed by an optional tail, each of the given length. A
    // failed allocation throws NotEnoughMemoryException naming operation.
    FCStringRep(const char* text, int32_t length, int32_t blockSize, const char* tail = nullptr, int32_t tailLength = 0,
        const char* operation = "FCString - create()");
    virtual ~FCStringRep();

    std::atomic<int32_t> references;
    int32_t length;
    int32_t capacity;
    int32_t blockSize;
    char* text;
};

// The host's string: copy-on-write 8-bit text in the game's code page with a
// scanning cursor. Copies share one representation; the counts change
// atomically, so strings may cross threads (one thread uses an object at a
// time). Every scan steps over double-byte characters with isLeadByte(), so
// a trail byte (which may be a backslash or a letter) never matches a
// single-byte character. Cursor positions are pointers into text().
class LUMIVEX_API FCString {
public:
    // Allocation granules (an enum, so that binding one to a reference
    // needs no imported data).
    enum BlockSize : int32_t { kDefaultBlockSize = 256, kPathBlockSize = 512, kShortBlockSize = 32 };

    // moveTo origins.
    enum Origin : int32_t { kFromStart = 0, kFromCursor = 1, kFromEnd = 2 };
    // split options: 0 skips runs of separators; with any other value each
    // separator ends a field.
    enum SplitOption : int32_t { kSplitSkipEmpty = 0, kSplitTrailingEmpty = 1, kSplitRestInLast = 2 };
    // readLine options (bits).
    enum LineOption : int32_t { kTrimBlanks = 1, kTrimIdeographicSpace = 2, kKeepEmptyLines = 4 };
    // mapString flags besides the system's mapping flags.
    enum MapFlag : int32_t {
        kMapLowerCase = 0x100,
        kMapUpperCase = 0x200,
        kMapHtmlEscape = -2,
        kMapHtmlUnescape = -3,
    };
    // getField results.
    enum FieldResult : int32_t { kNoField = 0, kField = 1, kFieldBeforeTrailingSeparator = 2 };

    FCString();
    FCString(const char* text, int32_t blockSize = kDefaultBlockSize);
    FCString(const FCString& other);
    FCString& operator=(const FCString& other);
    FCString& operator=(const char* text);
    virtual ~FCString();

    // --- Reading ---
    int32_t length() const { return m_rep->length; }
    const char* text() const { return m_rep->text; }
    int32_t blockSize() const { return m_rep->blockSize; }
    bool isEmpty() const { return m_rep->length == 0; }
    bool operator==(const FCString& other) const;
    bool operator==(const char* other) const;
    bool operator!=(const FCString& other) const { return !(*this == other); }
    bool operator!=(const char* other) const { return !(*this == other); }
    bool sharesWith(const FCString& other) const { return m_rep == other.m_rep; }
    // Copies the text and its terminator when length() < size and returns the
    // position of the copied terminator; else copies nothing and returns null.
    char* copyTo(char* buffer, int32_t size) const;
    // "0x" + hex digit reads hexadecimal, "0b" + 0/1 binary, else decimal
    // (blanks and sign allowed); stops at the first non-digit. The cursor
    // stays where it is.
    int32_t toInt(bool fromCursor = false) const;
    uint32_t toUnsigned(bool fromCursor = false) const;

    // --- Building ---
    // Always a new representation holding text (null: empty).
    void assign(const char* text, int32_t blockSize);
    // The same from exactly length bytes (which must not hold a zero byte).
    void assign(const char* text, int32_t length, int32_t blockSize);
    // In place when the representation is private and has room; null: nothing.
    void append(const char* text);
    // At most maxBytes bytes of text, never splitting a double-byte character.
    void append(const char* text, int32_t maxBytes);
    void append(const FCString& other) { append(other.text()); }
    void prepend(const char* text);
    // Base 2-36. A width above the digit count pads on the left with pad; a
    // width below it keeps only the last width digits.
    void appendNumber(int32_t value, int32_t base = 10, int32_t width = 0, char pad = ' ');
    void appendUnsigned(uint32_t value, int32_t base = 10, int32_t width = 0, char pad = ' ');
    void setNumber(int32_t value);
    // printf-style; the size is measured first, so there is no length limit.
    void format(const char* format, ...);
    void formatV(const char* format, va_list arguments);
    // Empties the text (a shared representation is replaced) and homes the cursor.
    void clear();
    // Gives this string a representation of its own, made by the host.
    void renew();

    // --- Cursor and characters (a double-byte character counts as one) ---
    void home() { m_cursor = m_rep->text; }
    const char* cursor() const { return m_cursor; }
    int32_t cursorIndex() const { return static_cast<int32_t>(m_cursor - m_rep->text); }
    // Positions outside the text are clamped to it, and a position on a
    // trail byte moves to its character's lead byte: the scans start on a
    // character boundary.
    void setCursor(const char* position);
    void setCursorIndex(int32_t byteIndex);
    bool atEnd() const { return *m_cursor == '\0'; }
    // The byte at the cursor, or lead * 256 + trail when the cursor is on
    // either byte of a double-byte character; 0 at the end.
    uint32_t character() const;
    // Past the current character; whether a character remains after it.
    bool next();
    // To the previous character; false (no move) at the start.
    bool previous();
    // The character index-th from the origin (kFromEnd takes negative
    // indices: -1 is the last character); the cursor moves there. Out of
    // range returns 0 and leaves the cursor (index == count reaches the end).
    uint32_t moveTo(int32_t index, int32_t origin = kFromStart);
    // From the cursor; the cursor ends on the match, or at the end with null.
    // ch is a byte or lead * 256 + trail.
    const char* findChar(uint32_t ch);
    const char* findAnyOf(const char* set);
    // The last match from the cursor on; the end (and null) without one.
    const char* findLastOf(const char* set);
    // Skips characters of set; the first other character, null at the end.
    const char* skip(const char* set);
    // From the character at the cursor (the last one when at the end) down
    // to bound (null: the start), skips characters of set; the cursor ends on
    // the first other character, returned; null when everything was skipped.
    const char* skipBackward(const char* set, const char* bound = nullptr);
    // Without separators the first occurrence of text from the cursor; with
    // them the first token equal to text.
    const char* findText(const char* text, const char* separators = nullptr);

    // --- Tokens ---
    // Skips separators, takes the token (and the separator after it when
    // asked) into out (block size 32); its start, or null when none is left.
    const char* nextToken(FCString& out, const char* separators, bool includeSeparator = false);
    // The text up to the next separator into out; the cursor moves past that
    // separator. Without keepEmpty separators at the cursor are skipped first.
    // kNoField when nothing is left (out is emptied), kFieldBeforeTrailingSeparator
    // when empty fields are kept and the separator was the text's last
    // character, else kField. separatorFound receives the separator, or 0.
    int32_t getField(FCString& out, const char* separators, bool keepEmpty = false, char* separatorFound = nullptr);
    // Fills up to count strings from the cursor; the number filled.
    int32_t split(FCString* out, int32_t count, const char* separators, int32_t options = kSplitSkipEmpty,
        const char* skipBefore = nullptr);
    // The next line (ending at CR, LF or CR LF) into out; false at the end.
    bool readLine(FCString& out, int32_t options = kTrimBlanks);

    // --- Changing ---
    // The inclusive range between two positions of this text (null: start,
    // respectively end; swapped when reversed). A position outside the text
    // shows the "FCString class" box and leaves out unchanged.
    void substring(FCString& out, const char* from, const char* to) const;
    int32_t replaceAll(const char* find, const char* replacement);
    // ASCII letters only; double-byte characters are left whole.
    void toLower();
    void toUpper();
    void mapString(int32_t flags);
    // Wide (UTF-16 on Windows) and UTF-8 text to the game's code page and back.
    void fromWide(const wchar_t* text);
    void fromUtf8(const char* text);
    std::wstring toWide() const;
    std::string toUtf8() const;

    // --- Files (need FCFile) ---
    // 0x7FFFFFFF, encoding word 0, length + 1, text, terminator; nothing when closed.
    void write(FCFile& file) const;
    // Both serialised forms. False, with the string and the file position
    // unchanged, when the file is closed, at its end, or the record is
    // invalid (a count below 1, or larger than the rest of the file).
    bool read(FCFile& file);
    // Text from a file (see FCTextFile); the cursor ends at the start. The
    // text ends at the first zero byte read. False when the path cannot be
    // opened (after the player's Cancel the open throws) or the file is closed.
    bool loadFile(const char* path);
    bool loadFile(const char* path, uint32_t byteCount, uint32_t seed, int32_t plainLines,
        uint32_t flags = FCTextFile::kCodePageText);
    bool loadFile(FCFile& file, uint32_t byteCount, uint32_t seed, int32_t plainLines);
    bool loadFile(FCTextFile& source);
    // Creates the file if missing (read and write access), writes the text
    // and truncates the file after it; whether every byte was written.
    bool saveFile(const char* path);
    bool saveFile(const char* path, uint32_t seed, int32_t plainLines, uint32_t flags = FCTextFile::kCodePageText);
    // Writes at the file's current position (no truncation).
    bool saveFile(FCTextFile& target) const;

private:
    void release();
    // Drops the current representation for rep, keeping the cursor's offset
    // (clamped to the new length).
    void adopt(FCStringRep* rep);
    // Copies a shared representation before writing in place.
    void makePrivate();
    // Old text plus the given bytes.
    void appendBytes(const char* text, int32_t length, const char* operation);

    FCStringRep* m_rep;
    const char* m_cursor;
};

// An FCString with an integer tag (the command-line tokenizer: 1 for a plain
// argument, 0 for an option).
class LUMIVEX_API FCIdString : public FCString {
public:
    FCIdString()
        : m_tag(0)
    {
    }
    explicit FCIdString(const char* text, int32_t tag = 0, int32_t blockSize = kDefaultBlockSize)
        : FCString(text, blockSize)
        , m_tag(tag)
    {
    }
    FCIdString(const FCIdString& other) = default;
    FCIdString& operator=(const FCIdString& other) = default;
    ~FCIdString() override;

    int32_t tag() const { return m_tag; }
    void setTag(int32_t tag) { m_tag = tag; }

private:
    int32_t m_tag;
};
