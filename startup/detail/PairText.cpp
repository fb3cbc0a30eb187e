#include "startup/detail/PairText.h"

#include "foundation/FCFile.h"
#include "foundation/FCPath.h"

namespace pairtext {

namespace {

bool isKeyEnd(char c)
{
    return c == '=' || c == ' ' || c == '\t';
}

// Removes the temporary file unless the replacement took it.
class TemporaryFile {
public:
    explicit TemporaryFile(const char* path)
        : m_path(path)
    {
        m_path.append(".new");
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
    if (!FCPath::replaceFile(temporary.path(), path))
        return false;
    temporary.taken();
    return true;
}

} // namespace pairtext
