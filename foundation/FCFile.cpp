#include "foundation/FCFile.h"

#include <cstring>
#include <string>
#include <vector>

#include "foundation/Diagnostic.h"
#include "foundation/FCPath.h"
#include "foundation/FCPathName.h"
#include "foundation/TextCodePage.h"
#include "foundation/UxMessageBox.h"
#include "foundation/detail/FileSystem.h"

namespace {

void* const kClosed = reinterpret_cast<void*>(static_cast<intptr_t>(-1));
constexpr unsigned kErrorBoxStyle
    = UxMessageBox::kRetryCancel | UxMessageBox::kTaskModal | UxMessageBox::kSetForeground;

// The text shown after the path when a file cannot be opened.
std::string openErrorText(uint32_t error)
{
    switch (error) {
    case 2:
        return "\x82\xAA\n\x8C\xA9\x95\x74\x82\xA9\x82\xE8\x82\xDC\x82\xB9\x82\xF1"; // が\n見付かりません
    case 3:
        return "\x82\xC5\n\x8E\x77\x92\xE8\x82\xB3\x82\xEA\x82\xBD\x83\x70\x83\x58\x82\xAA\x8C\xA9\x95\x74\x82\xA9\x82"
               "\xE8\x82\xDC\x82\xB9\x82\xF1"; // で\n指定されたパスが見付かりません
    case 5:
        return "\n\x83\x41\x83\x4E\x83\x5A\x83\x58\x82\xAA\x8B\x91\x94\xDB\x82\xB3\x82\xEA\x82\xDC\x82\xB5\x82"
               "\xBD"; // \nアクセスが拒否されました
    case 21:
        return "\n\x83\x68\x83\x89\x83\x43\x83\x75\x82\xCC\x8F\x80\x94\xF5\x82\xAA\x82\xC5\x82\xAB\x82\xC4\x82\xA2\x82"
               "\xDC\x82\xB9\x82\xF1"; // \nドライブの準備ができていません
    case 31:
        return "\n\x83\x81\x83\x66\x83\x42\x83\x41\x82\xCD\x83\x74\x83\x48\x81\x5B\x83\x7D\x83\x62\x83\x67\x82\xB3\x82"
               "\xEA\x82\xC4\x82\xA2\x82\xC8\x82\xA2\x82\xA9\x81\x41\x8F\x80\x94\xF5\x82\xAA\x82\xC5\x82\xAB\x82\xC4"
               "\x82"
               "\xA2\x82\xDC\x82\xB9\x82\xF1"; // \nメディアはフォーマットされていないか、準備ができていません
    case 32:
        return "\x82\xCD\n\x91\xBC\x82\xCC\x83\x41\x83\x76\x83\x8A\x83\x50\x81\x5B\x83\x56\x83\x87\x83\x93\x82\xC9\x82"
               "\xE6\x82\xC1\x82\xC4\x8A\x4A\x82\xA9\x82\xEA\x82\xC4\x82\xA2\x82\xDC\x82\xB7"; // は\n他のアプリケーションによって開かれています
    case 53:
    case 67:
        return "\x83\x6C\x83\x62\x83\x67\x83\x8F\x81\x5B\x83\x4E\x83\x68\x83\x89\x83\x43\x83\x75\x82\xC9\x83\x41\x83"
               "\x4E\x83\x5A\x83\x58\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1"; // ネットワークドライブにアクセスできません
    case 2118:
        return "\n\x83\x6C\x83\x62\x83\x67\x83\x8F\x81\x5B\x83\x4E\x83\x68\x83\x89\x83\x43\x83\x75\x82\xC9\x83\x41\x83"
               "\x4E\x83\x5A\x83\x58\x8C\xA0\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1"; // \nネットワークドライブにアクセス権がありません
    default:
        return "\n\x96\xA2\x92\x6D\x82\xCC\x83\x47\x83\x89\x81\x5B\x82\xC5\x82\xB7 code:" // \n未知のエラーです code:
            + std::to_string(error);
    }
}

// The texts read and write share after the file name; null where they differ.
const char* transferErrorText(uint32_t error)
{
    switch (error) {
    case 21:
        return "\n\x83\x68\x83\x89\x83\x43\x83\x75\x82\xCC\x8F\x80\x94\xF5\x82\xAA\x82\xC5\x82\xAB\x82\xC4\x82\xA2\x82"
               "\xDC\x82\xB9\x82\xF1"; // \nドライブの準備ができていません
    case 31:
        return "\n\x83\x81\x83\x66\x83\x42\x83\x41\x82\xCD\x83\x74\x83\x48\x81\x5B\x83\x7D\x83\x62\x83\x67\x82\xB3\x82"
               "\xEA\x82\xC4\x82\xA2\x82\xC8\x82\xA2\x82\xA9\x81\x41\x8F\x80\x94\xF5\x82\xAA\x82\xC5\x82\xAB\x82\xC4"
               "\x82"
               "\xA2\x82\xDC\x82\xB9\x82\xF1"; // \nメディアはフォーマットされていないか、準備ができていません
    case 32:
        return "\x82\xCD\n\x91\xBC\x82\xCC\x83\x41\x83\x76\x83\x8A\x83\x50\x81\x5B\x83\x56\x83\x87\x83\x93\x82\xA9\x82"
               "\xE7\x97\x98\x97\x70\x82\xB3\x82\xEA\x82\xC4\x82\xA2\x82\xDC\x82\xB7"; // は\n他のアプリケーションから利用されています
    case 33:
        return "\x82\xCD\n\x91\xBC\x82\xCC\x83\x76\x83\x8D\x83\x5A\x83\x58\x82\xAA\x83\x74\x83\x40\x83\x43\x83\x8B\x82"
               "\xF0\x83\x8D\x83\x62\x83\x4E\x82\xB5\x82\xC4\x82\xA2\x82\xDC\x82\xB7"; // は\n他のプロセスがファイルをロックしています
    default:
        return nullptr;
    }
}

std::string readErrorText(uint32_t error, void* handle)
{
    if (error == 5)
        return "\x82\xD6\x82\xCC\n\x83\x41\x83\x4E\x83\x5A\x83\x58\x82\xCD\x8B\x91\x94\xDB\x82\xB3\x82\xEA\x82\xDC\x82"
               "\xB5\x82\xBD\x81\x42"; // への\nアクセスは拒否されました。
    if (const char* text = transferErrorText(error))
        return text;
    return "\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\n" // 読み込みできません\n
           "Error code : "
        + std::to_string(error) + "\nFile handle : " + std::to_string(reinterpret_cast<uintptr_t>(handle));
}

std::string writeErrorText(uint32_t error)
{
    if (error == 5)
        return "\x82\xCD\n\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x90\xEA\x97\x70\x82\xC5\x8A\x4A\x82\xA9\x82\xEA\x82\xC4\x82"
               "\xA2\x82\xDC\x82\xB7"; // は\n読み込み専用で開かれています
    if (const char* text = transferErrorText(error))
        return text;
    return "\x8F\x91\x82\xAB\x8D\x9E\x82\xDD\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\n" // 書き込みできません\n
           "Error code : "
        + std::to_string(error);
}

// Asks Retry or Cancel; true for Retry.
bool askRetry(const FCString& name, const std::string& errorText, const char* caption)
{
    std::string text = name.text();
    text += errorText;
    return UxMessageBox::show(nullptr, text.c_str(), caption, kErrorBoxStyle) == UxMessageBox::kIdRetry;
}

} // namespace

FCFile::FCFile()
    : m_handle(kClosed)
    , m_time(0)
    , m_timeFields {}
{
}

FCFile::~FCFile()
{
    close();
}

uint32_t FCFile::open(
    const char* path, uint32_t disposition, uint32_t access, uint32_t share, uint32_t attributes, bool quiet)
{
    close();
    std::string resolved = fcsystem::resolve(path);
    if (FCPathName::hasExtension(resolved.c_str(), "lnk")) {
        std::string target;
        if (fcsystem::shortcutTarget(resolved.c_str(), target))
            resolved = target;
    }
    m_name.assign(resolved.c_str(), FCPathName::kBlockSize);
    for (;;) {
        void* handle = kClosed;
        uint32_t error = fcsystem::openFile(m_name.text(), disposition, access, share, attributes, &handle);
        if (error == 0) {
            m_handle = handle;
            return 0;
        }
        if (quiet) {
            m_name.clear();
            return error;
        }
        if (!askRetry(m_name, openErrorText(error), "FCFile - open")) {
            CannotOpenException exception("cannot open", m_name.text());
            m_name.clear();
            throw exception;
        }
    }
}

void FCFile::close()
{
    if (m_handle != kClosed) {
        fcsystem::closeFile(m_handle);
        m_handle = kClosed;
    }
    m_name.clear();
}

bool FCFile::isOpen() const
{
    return m_handle != kClosed;
}

uint32_t FCFile::read(void* buffer, uint32_t count)
{
    if (!isOpen())
        return 0;
    for (;;) {
        uint32_t done = 0;
        uint32_t error = fcsystem::readFile(m_handle, buffer, count, &done);
        if (error == 0)
            return done;
        if (!askRetry(m_name, readErrorText(error, m_handle), "FCFile - read"))
            throw CannotReadException("cannot read", m_name.text());
    }
}

uint32_t FCFile::write(const void* buffer, uint32_t count)
{
    if (!isOpen())
        return 0;
    for (;;) {
        uint32_t done = 0;
        uint32_t error = fcsystem::writeFile(m_handle, buffer, count, &done);
        if (error == 0)
            return done;
        if (!askRetry(m_name, writeErrorText(error), "FCFile - write"))
            throw CannotWriteException("cannot write", m_name.text());
    }
}

void FCFile::replace(const char* source, const char* target)
{
    const std::string from = fcsystem::resolve(source);
    const FCString to(fcsystem::resolve(target).c_str());
    for (;;) {
        uint32_t error = fcsystem::replaceFile(from.c_str(), to.text());
        if (error == 0)
            return;
        if (!askRetry(to, writeErrorText(error), "FCFile - write"))
            throw CannotWriteException("cannot write", to.text());
    }
}

int64_t FCFile::seek(uint32_t method, int64_t distance)
{
    if (!isOpen() || method > kFromEnd)
        return -1;
    return fcsystem::seekFile(m_handle, method, distance);
}

int64_t FCFile::position()
{
    return seek(kFromCurrent, 0);
}

int64_t FCFile::size() const
{
    return isOpen() ? fcsystem::fileSize(m_handle) : -1;
}

bool FCFile::truncate()
{
    return isOpen() && fcsystem::truncateFile(m_handle);
}

bool FCFile::flush()
{
    return isOpen() && fcsystem::flushFile(m_handle);
}

const FCString& FCFile::name() const
{
    return m_name;
}

uint64_t FCFile::getTime(uint32_t which, bool keepUtc)
{
    uint16_t fields[8] = {};
    uint64_t time = 0;
    if (!isOpen() || !fcsystem::fileTime(m_handle, which, keepUtc, time, fields)) {
        time = 0;
        std::memset(fields, 0, sizeof fields);
    }
    m_time = time;
    static_assert(sizeof(TimeFields) == sizeof fields);
    std::memcpy(&m_timeFields, fields, sizeof fields);
    return m_time;
}

namespace FCPath {

bool exists(const char* path, uint32_t* attributes)
{
    uint32_t found = 0;
    if (!fcsystem::attributes(fcsystem::resolve(path).c_str(), found))
        return false;
    if (attributes)
        *attributes = found;
    return true;
}

bool hasAttributes(const char* path, uint32_t mask)
{
    uint32_t found = 0;
    return exists(path, &found) && (found & mask) != 0;
}

bool createFolders(const char* path)
{
    std::string resolved = fcsystem::resolve(path);
    uint32_t found = 0;
    if (fcsystem::attributes(resolved.c_str(), found) && (found & kFolder))
        return true;
    // The folders to make: each prefix ending before a separator, then the
    // whole path unless it ends in one. A drive ("C:") and the server and
    // share of a network path are never made.
    const char* text = resolved.c_str();
    const char* p = text;
    int skip = 0;
    if (text[0] == '\\' && text[1] == '\\') {
        p = text + 2;
        skip = 2;
    }
    std::vector<size_t> prefixes;
    bool endsInSeparator = false;
    for (; *p; ++p) {
        endsInSeparator = false;
        if (isLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') {
            ++p;
            continue;
        }
        if (*p != '\\' && *p != fcsystem::kSeparator)
            continue;
        endsInSeparator = true;
        size_t length = static_cast<size_t>(p - text);
        if (skip > 0) {
            --skip;
            continue;
        }
        if (length == 0 || (length == 2 && text[1] == ':'))
            continue;
        prefixes.push_back(length);
    }
    if (!endsInSeparator && skip == 0)
        prefixes.push_back(resolved.size());

    bool created = false;
    for (size_t length : prefixes) {
        std::string folder(text, length);
        uint32_t attributes = 0;
        if (fcsystem::attributes(folder.c_str(), attributes) && (attributes & kFolder)) {
            created = false;
            continue;
        }
        created = fcsystem::makeFolder(folder.c_str());
        if (!created)
            return false;
    }
    return created;
}

bool deleteFile(const char* path)
{
    return fcsystem::removeFile(fcsystem::resolve(path).c_str());
}

bool replaceFile(const char* source, const char* target)
{
    return fcsystem::replaceFile(fcsystem::resolve(source).c_str(), fcsystem::resolve(target).c_str()) == 0;
}

} // namespace FCPath
