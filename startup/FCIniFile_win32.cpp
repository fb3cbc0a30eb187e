#include <windows.h>

#include "foundation/FCFile.h"
#include "foundation/FCPath.h"
#include "foundation/TextCodePage.h"
#include "startup/FCIniFile.h"

#include <string>

namespace {

std::wstring wideFrom(const char* text, UINT codePage)
{
    if (!text || !*text)
        return std::wstring();
    int length = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    if (length <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text, -1, wide.data(), length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

std::string bytesFrom(const wchar_t* text, UINT codePage)
{
    if (!text || !*text)
        return std::string();
    int length = WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return std::string();
    std::string bytes(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, text, -1, bytes.data(), length, nullptr, nullptr);
    bytes.resize(static_cast<size_t>(length - 1));
    return bytes;
}

// A file of 8-bit text is read and written by the system in its ANSI code
// page: converting with that same code page hands the game's bytes through
// unchanged (a Japanese game's ini reads right on an English system). A
// UTF-16 file holds real characters, converted in the game's code page.
bool isUtf16File(const char* path)
{
    FCFile file;
    if (file.open(path, FCFile::kOpenExisting, FCFile::kRead, FCFile::kShareRead | FCFile::kShareWrite, 0x80, true))
        return false;
    unsigned char mark[2] = {};
    return file.read(mark, 2) == 2 && mark[0] == 0xFF && mark[1] == 0xFE;
}

} // namespace

FCIniFile::FCIniFile()
    : m_defaultSection("setting")
    , m_state(kClosed)
    , m_reserved(0)
{
}

FCIniFile::~FCIniFile() = default;

bool FCIniFile::open(const char* fileName, bool createIfMissing)
{
    close();
    m_path.set(fileName);
    bool exists = FCPath::exists(m_path.text());
    if (!exists && createIfMissing) {
        FCFile file;
        exists = file.open(m_path.text(), FCFile::kOpenAlways, FCFile::kWrite, FCFile::kShareRead, 0x80, true) == 0;
    }
    m_reserved = exists && isUtf16File(m_path.text()) ? kUtf16 : 0;
    m_state = kOpen;
    return exists;
}

void FCIniFile::close()
{
    m_state = kClosed;
}

const FCString& FCIniFile::getString(const char* key, const char* fallback, const char* section)
{
    if (!isOpen()) {
        m_value.clear();
        return m_value;
    }
    wchar_t buffer[kBufferSize];
    buffer[0] = L'\0';
    GetPrivateProfileStringW(wide(sectionOr(section)).c_str(), wide(key).c_str(), wide(fallback).c_str(), buffer,
        kBufferSize, toWide(m_path.text()).c_str());
    m_value = bytesFrom(buffer, codePage()).c_str();
    return m_value;
}

unsigned FCIniFile::codePage() const
{
    return m_reserved == kUtf16 ? textCodePage() : CP_ACP;
}

std::wstring FCIniFile::wide(const char* text) const
{
    return wideFrom(text ? text : "", codePage());
}

FCString FCIniFile::readString(const char* key, const char* fallback, const char* section)
{
    return getString(key, fallback, section);
}

bool FCIniFile::writeInt(const char* key, int32_t value, const char* section)
{
    FCString text;
    text.setNumber(value);
    return writeString(key, text.text(), section);
}

bool FCIniFile::writeString(const char* key, const char* text, const char* section)
{
    if (!isOpen())
        return false;
    bool written = WritePrivateProfileStringW(wide(sectionOr(section)).c_str(), wide(key).c_str(), wide(text).c_str(),
                       toWide(m_path.text()).c_str())
        != FALSE;
    // The system caches ini files; flushing makes the write visible to
    // readers of the file itself at once.
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, toWide(m_path.text()).c_str());
    return written;
}
