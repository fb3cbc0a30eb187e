#include "foundation/FCPathName.h"

#include <atomic>
#include <string>

#include "foundation/TextCodePage.h"
#include "foundation/UxMessageBox.h"
#include "foundation/detail/FileSystem.h"

namespace {

bool isAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The next character after p, stepping over a whole double-byte character
// (a lead byte followed by the terminator counts as one byte).
const char* nextCharacter(const char* p)
{
    if (isLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0')
        return p + 2;
    return p + 1;
}

// The start of the last character of a non-empty text.
const char* lastCharacter(const char* text)
{
    const char* last = text;
    for (const char* p = text; *p; p = nextCharacter(p))
        last = p;
    return last;
}

// The first CD-ROM drive, looked for once: -1 not yet, 0 none, else the letter.
std::atomic<int> g_cdromDrive { -1 };

char cdromDrive()
{
    int drive = g_cdromDrive.load(std::memory_order_acquire);
    if (drive < 0) {
        drive = static_cast<unsigned char>(fcsystem::firstCdromDrive());
        g_cdromDrive.store(drive, std::memory_order_release);
    }
    return static_cast<char>(drive);
}

// The current directory with its separator; on failure the player is told and
// the path goes on from an empty folder.
std::string currentDirectory()
{
    std::string folder;
    if (uint32_t error = fcsystem::currentDirectory(folder)) {
        std::string message
            = "FCPathName - create()"
              "\x82\xC5\x83\x47\x83\x89\x81\x5B\x82\xAA\x94\xAD\x90\xB6\x82\xB5\x82\xDC\x82\xB5\x82\xBD"
              "\n"
              "\x83\x47\x83\x89\x81\x5B\x83\x52\x81\x5B\x83\x68\x82\xCD\x81\x41"; // でエラーが発生しました\nエラーコードは、
        message += std::to_string(error);
        message += "\x82\xC5\x82\xB7"; // です
        UxMessageBox::show(nullptr, message.c_str(), "FCString class", UxMessageBox::kOk);
        folder.clear();
    }
    return folder;
}

bool isAbsolute(const char* text)
{
    if (text[0] == '\\' && text[1] == '\\')
        return true;
    if (isAsciiLetter(text[0]) && text[1] == ':')
        return true;
#if !defined(_WIN32)
    // Native tools are given system paths.
    if (text[0] == '/')
        return true;
#endif
    return false;
}

} // namespace

FCPathName::FCPathName()
    : m_path("", kBlockSize)
{
}

FCPathName::FCPathName(const char* text)
    : m_path("", kBlockSize)
{
    set(text);
}

FCPathName::~FCPathName() = default;

void FCPathName::setCurrentDirectoryPlus(const FCPathName& other)
{
    std::string path = currentDirectory();
    path += other.text();
    m_path.assign(path.c_str(), kBlockSize);
}

void FCPathName::reserved()
{
}

void FCPathName::set(const char* text)
{
    std::string path;
    if (!text) {
        path = currentDirectory();
    } else if (text[0] == '%' && text[1] == ':') {
        if (char drive = cdromDrive()) {
            path += drive;
            path += ':';
        }
        path += text + 2;
    } else if (isAbsolute(text)) {
        path = text;
    } else {
        path = currentDirectory();
        path += text;
    }
    m_path.assign(path.c_str(), kBlockSize);
}

void FCPathName::setSpecialFolder(int32_t code, bool addSeparator)
{
    std::string folder;
    if (!fcsystem::specialFolder(code, folder))
        folder = currentDirectory();
    m_path.assign(folder.c_str(), kBlockSize);
    if (addSeparator)
        this->addSeparator();
}

void FCPathName::setSpecialFolderWithSeparator(int32_t code)
{
    setSpecialFolder(code, true);
}

void FCPathName::setCurrentDirectory()
{
    set(nullptr);
}

bool FCPathName::needsSeparator() const
{
    const char* text = m_path.text();
    if (!*text)
        return false;
    const char* last = lastCharacter(text);
    return !(last[0] == '\\' && last[1] == '\0');
}

void FCPathName::addSeparator()
{
    if (needsSeparator())
        m_path.append("\\");
}

FCString FCPathName::folder(bool withSeparator) const
{
    const char* text = m_path.text();
    const char* separator = findLastSeparator(text);
    if (!separator)
        return FCString("", kBlockSize);
    std::string part(text, static_cast<size_t>(separator - text) + (withSeparator ? 1 : 0));
    return FCString(part.c_str(), kBlockSize);
}

FCString FCPathName::fileName() const
{
    const char* text = m_path.text();
    const char* separator = findLastSeparator(text);
    return FCString(separator ? separator + 1 : text, kBlockSize);
}

void FCPathName::replaceExtension(const char* ext)
{
    const char* text = m_path.text();
    const char* separator = findLastSeparator(text);
    if (!separator || separator[1] == '\0')
        return;
    const char* dot = findExtensionDot(text);
    std::string path(text, dot ? static_cast<size_t>(dot - text) : static_cast<size_t>(m_path.length()));
    if (ext)
        path += ext;
    m_path.assign(path.c_str(), kBlockSize);
}

bool FCPathName::hasExtension(const char* ext) const
{
    return hasExtension(m_path.text(), ext);
}

const char* FCPathName::findLastSeparator(const char* text)
{
    const char* found = nullptr;
    if (!text)
        return found;
    for (const char* p = text; *p; p = nextCharacter(p)) {
        if (*p == '\\')
            found = p;
    }
    return found;
}

const char* FCPathName::findExtensionDot(const char* text)
{
    const char* found = nullptr;
    if (!text)
        return found;
    for (const char* p = text; *p; p = nextCharacter(p)) {
        if (*p == '\\')
            found = nullptr;
        else if (*p == '.')
            found = p;
    }
    return found;
}

bool FCPathName::hasExtension(const char* text, const char* ext)
{
    const char* dot = findExtensionDot(text);
    if (!dot || !ext)
        return false;
    if (*ext == '.')
        ++ext;
    // Double-byte characters compare byte for byte, single bytes without case.
    const char* a = dot + 1;
    const char* b = ext;
    while (*a && *b) {
        if (isLeadByte(static_cast<unsigned char>(*a)) && a[1] != '\0') {
            if (a[0] != b[0] || a[1] != b[1])
                return false;
            a += 2;
            b += 2;
            continue;
        }
        if (asciiLower(*a) != asciiLower(*b))
            return false;
        ++a;
        ++b;
    }
    return *a == '\0' && *b == '\0';
}
