#pragma once

#include <atomic>
#include <cstdint>

#include "foundation/LumivexApi.h"

// Shared, reference-counted text of an FCString. Capacity always keeps at
// least one spare block: ((length + 1) / blockSize + 1) * blockSize.
class LUMIVEX_API FCStringRep {
public:
    // The text followed by an optional tail, each of the given length.
    FCStringRep(
        const char* text, int32_t length, int32_t blockSize, const char* tail = nullptr, int32_t tailLength = 0);
    virtual ~FCStringRep();

    std::atomic<int32_t> references;
    int32_t length;
    int32_t capacity;
    int32_t blockSize;
    char* text;
};

// The host's string: copy-on-write 8-bit text in the game's code page with a
// scanning cursor. Copies share one representation; the counts change
// atomically, so strings may cross threads.
class LUMIVEX_API FCString {
public:
    static constexpr int32_t kDefaultBlockSize = 256;

    FCString();
    FCString(const char* text, int32_t blockSize = kDefaultBlockSize);
    FCString(const FCString& other);
    FCString& operator=(const FCString& other);
    FCString& operator=(const char* text);
    virtual ~FCString();

    int32_t length() const { return m_rep->length; }
    const char* text() const { return m_rep->text; }
    bool isEmpty() const { return m_rep->length == 0; }
    bool operator==(const FCString& other) const;
    bool operator==(const char* other) const;

    void assign(const char* text, int32_t blockSize);
    void append(const char* text);
    void clear();
    // Gives this string a representation of its own, made by the host.
    void renew();
    bool sharesWith(const FCString& other) const { return m_rep == other.m_rep; }

private:
    void release();
    // Drops the current representation for rep, keeping the cursor's offset.
    void adopt(FCStringRep* rep);

    FCStringRep* m_rep;
    const char* m_cursor;
};
