#include "startup/detail/PairText.h"

#include <string>

#include "foundation/Diagnostic.h"
#include "foundation/FCFile.h"
#include "foundation/FCPath.h"

namespace pairtext {

namespace {

bool isKeyEnd(char c)
{
    return c == '=' || c == ' ' || c == '\t';
}

FCString withSuffix(const char* path, const char* suffix)
{
    FCString name(path);
    name.append(suffix);
    return name;
}

// Removes the temporary file unless the replacement took it.
class TemporaryFile {
public:
    explicit TemporaryFile(const char* path)
        : m_path(withSuffix(path, ".new"))
    {
    }
    ~TemporaryFile()
    {
        m_file.close();
        if (!m_taken)
            FCPath::deleteFile(m_path.text());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    FCFile& file() { return m_file; }
    const char* path() const { return m_path.text(); }
    void taken() { m_taken = true; }

private:
    FCString m_path;
    FCFile m_file;
    bool m_taken = false;
};

} // namespace

void splitPairLine(const FCString& line, FCString& key, FCString& value)
{
    // "=", blank and tab are below every trail byte of code page 932, so a
    // byte scan never cuts a double-byte character.
    const char* text = line.text();
    const char* p = text;
    while (*p && !isKeyEnd(*p))
        ++p;
    key.assign(text, static_cast<int32_t>(p - text), FCString::kDefaultBlockSize);
    while (*p && isKeyEnd(*p))
        ++p;
    const char* start = p;
    while (*p && *p != '\t')
        ++p;
    value.assign(start, static_cast<int32_t>(p - start), FCString::kDefaultBlockSize);
}

void parsePairs(const FCString& text, Pairs& pairs, int32_t trim, bool skipLeadingSeparators)
{
    enum State { kNormal, kBlockKey, kFirstValueLine, kMoreValueLines };
    FCString source(text);
    source.home();
    FCString line;
    FCString key;
    FCString value;
    FCString blockKey;
    // Long blocks grow here: FCString would copy the whole value every block.
    std::string blockValue;
    State state = kNormal;
    // The plain reader lets separators at a pair line's start come before
    // its key; value lines inside a block are taken as they stand.
    auto splitPair = [&]() {
        const char* start = line.text();
        while (skipLeadingSeparators && isKeyEnd(*start))
            ++start;
        splitPairLine(start == line.text() ? line : FCString(start), key, value);
    };
    while (source.readLine(line, trim)) {
        if (line.text()[0] == ';')
            continue;
        switch (state) {
        case kNormal:
            splitPair();
            if (key == "<--") {
                blockKey.clear();
                blockValue.clear();
                state = kBlockKey;
            } else {
                pairs.emplace(key, value);
            }
            break;
        case kBlockKey:
            splitPair();
            if (key == "-->") {
                state = kNormal;
            } else {
                blockKey = key;
                blockValue.assign(value.text(), static_cast<size_t>(value.length()));
                state = kFirstValueLine;
            }
            break;
        case kFirstValueLine:
        case kMoreValueLines:
            if (line == "-->") {
                FCString whole;
                whole.assign(blockValue.data(), static_cast<int32_t>(blockValue.size()), FCString::kDefaultBlockSize);
                pairs.emplace(blockKey, whole);
                state = kNormal;
                break;
            }
            if (state == kMoreValueLines)
                blockValue += '\n';
            blockValue.append(line.text(), static_cast<size_t>(line.length()));
            state = kMoreValueLines;
            break;
        }
    }
}

bool replaceWholeFile(const char* path, const FCString& text)
{
    TemporaryFile temporary(path);
    FCFile& file = temporary.file();
    if (file.open(temporary.path(), FCFile::kCreateAlways, FCFile::kWrite, FCFile::kShareNone) != 0)
        return false;
    uint32_t length = static_cast<uint32_t>(text.length());
    uint32_t written = 0;
    while (written < length) {
        uint32_t done = file.write(text.text() + written, length - written);
        if (done == 0)
            return false;
        written += done;
    }
    if (!file.flush())
        return false;
    file.close();
    // The previous generation becomes the backup; from here until the new
    // file has the name, a reader finds the backup beside the temporary file.
    const FCString backup = withSuffix(path, ".bak");
    const bool hadFile = FCPath::exists(path) && !FCPath::hasAttributes(path, FCPath::kFolder);
    if (hadFile)
        FCFile::replace(path, backup.text());
    try {
        FCFile::replace(temporary.path(), path);
    } catch (const Diagnostic&) {
        // Given up: the file the player had goes back to its name.
        if (hadFile)
            FCPath::replaceFile(backup.text(), path);
        throw;
    }
    temporary.taken();
    return true;
}

FCString pathToLoad(const char* path)
{
    if (FCPath::exists(path))
        return FCString(path);
    // Only a save cut off between its two renames leaves the temporary file
    // and the backup without the file itself: the backup is the last whole
    // generation. A file the player removed stays removed.
    const FCString backup = withSuffix(path, ".bak");
    if (FCPath::exists(withSuffix(path, ".new").text()) && FCPath::exists(backup.text()))
        return backup;
    return FCString(path);
}

} // namespace pairtext
