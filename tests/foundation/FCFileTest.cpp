#include <gtest/gtest.h>

#include <windows.h>

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "foundation/Diagnostic.h"
#include "foundation/FCFile.h"
#include "foundation/FCFileEnumeration.h"
#include "foundation/FCPath.h"
#include "foundation/FCPathName.h"
#include "foundation/TextCodePage.h"
#include "support/MessageBoxRecorder.h"

namespace {

constexpr unsigned kErrorBoxStyle
    = UxMessageBox::kRetryCancel | UxMessageBox::kTaskModal | UxMessageBox::kSetForeground;
// 日本語のファイル.txt
const char kJapaneseName[] = "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x83\x74\x83\x40\x83\x43\x83\x8B.txt";

void removeTree(const std::wstring& path)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring child = path + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(path.c_str());
}

// A fresh folder of the test's own under the temporary folder; paths in the
// game's code page.
class FilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static LONG counter = 0;
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        m_folder = std::wstring(temp) + L"lumivex-files-" + std::to_wstring(GetCurrentProcessId()) + L"-"
            + std::to_wstring(InterlockedIncrement(&counter));
        removeTree(m_folder);
        ASSERT_TRUE(CreateDirectoryW(m_folder.c_str(), nullptr));
    }
    void TearDown() override { removeTree(m_folder); }

    std::string path(const char* name) const { return fromWide(m_folder.c_str()) + "\\" + name; }
    std::wstring widePath(const wchar_t* name) const { return m_folder + L"\\" + name; }

    void writeFile(const std::string& name, const std::string& content)
    {
        HANDLE file = CreateFileW(toWide(path(name.c_str()).c_str()).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
            FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
        CloseHandle(file);
    }

    std::wstring m_folder;
    // A box no test expects is cancelled instead of waiting for a player.
    MessageBoxRecorder m_unexpectedBoxes { UxMessageBox::kIdCancel };
};

std::string readAll(FCFile& file)
{
    std::string content;
    char buffer[64];
    while (uint32_t count = file.read(buffer, sizeof buffer))
        content.append(buffer, count);
    return content;
}

TEST_F(FilesTest, MissingFileAsksRetryOrCancelAndCancelThrowsWithThePath)
{
    MessageBoxRecorder boxes(UxMessageBox::kIdCancel);
    FCFile file;
    std::string missing = path("missing.dat");
    try {
        file.open(missing.c_str());
        FAIL() << "open of a missing file returned";
    } catch (const CannotOpenException& exception) {
        EXPECT_STREQ(exception.operation(), "cannot open");
        EXPECT_EQ(std::string(exception.message()), missing);
    }
    EXPECT_FALSE(file.isOpen());
    auto requests = boxes.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].text,
        missing + "\x82\xAA\n\x8C\xA9\x95\x74\x82\xA9\x82\xE8\x82\xDC\x82\xB9\x82\xF1"); // が\n見付かりません
    EXPECT_EQ(requests[0].caption, "FCFile - open");
    EXPECT_EQ(requests[0].style, kErrorBoxStyle);
}

TEST_F(FilesTest, RetryTriesTheOpenAgain)
{
    struct Context {
        std::wstring path;
        int boxes = 0;
    } context { widePath(L"late.dat") };
    UxMessageBox::Interceptor previous = nullptr;
    void* previousContext = nullptr;
    // The file appears while the player looks at the box.
    UxMessageBox::intercept(
        [](const UxMessageBox::Request&, void* data) {
            auto* context = static_cast<Context*>(data);
            ++context->boxes;
            HANDLE file = CreateFileW(
                context->path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            CloseHandle(file);
            return static_cast<int>(UxMessageBox::kIdRetry);
        },
        &context, &previous, &previousContext);
    FCFile file;
    uint32_t result = file.open(path("late.dat").c_str());
    UxMessageBox::intercept(previous, previousContext);
    EXPECT_EQ(result, 0u);
    EXPECT_TRUE(file.isOpen());
    EXPECT_EQ(context.boxes, 1);
    EXPECT_EQ(std::string(file.name().text()), path("late.dat"));
}

TEST_F(FilesTest, QuietOpenReturnsTheSystemErrorWithoutABox)
{
    MessageBoxRecorder boxes;
    FCFile file;
    EXPECT_EQ(
        file.open(path("missing.dat").c_str(), FCFile::kOpenExisting, FCFile::kRead, FCFile::kShareRead, 0x80, true),
        2u);
    EXPECT_EQ(file.open(path("no-folder\\missing.dat").c_str(), FCFile::kOpenExisting, FCFile::kRead,
                  FCFile::kShareRead, 0x80, true),
        3u);
    EXPECT_FALSE(file.isOpen());
    EXPECT_TRUE(file.name().isEmpty());
    EXPECT_TRUE(boxes.requests().empty());
}

TEST_F(FilesTest, WritesSeeksReadsAndTruncates)
{
    FCFile file;
    std::string name = path("data.bin");
    ASSERT_EQ(file.open(name.c_str(), FCFile::kCreateAlways, FCFile::kReadWrite), 0u);
    EXPECT_EQ(file.write("hello world", 11), 11u);
    EXPECT_EQ(file.size(), 11);
    EXPECT_EQ(file.position(), 11);
    char buffer[16] = {};
    EXPECT_EQ(file.read(buffer, sizeof buffer), 0u) << "end of file is no error";
    EXPECT_EQ(file.seek(FCFile::kFromStart, 6), 6);
    EXPECT_EQ(file.read(buffer, 5), 5u);
    EXPECT_EQ(std::string(buffer, 5), "world");
    EXPECT_EQ(file.seek(FCFile::kFromEnd, -6), 5);
    EXPECT_TRUE(file.truncate());
    EXPECT_EQ(file.size(), 5);
    EXPECT_NE(file.getTime(FCFile::kLastWrite, true), 0u);
    EXPECT_GE(file.timeFields().year, 2000);
    file.close();
    EXPECT_FALSE(file.isOpen());
    EXPECT_TRUE(file.name().isEmpty());
    EXPECT_EQ(file.size(), -1);
    EXPECT_EQ(file.seek(FCFile::kFromStart, 0), -1);
    EXPECT_EQ(file.read(buffer, 1), 0u);

    ASSERT_EQ(file.open(name.c_str()), 0u);
    EXPECT_EQ(readAll(file), "hello");
}

// Whether reading a region another handle locked fails with a lock
// violation here (Wine does not enforce byte-range locks on reads).
bool lockedReadsFail(const std::wstring& path)
{
    HANDLE reader = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
        FILE_ATTRIBUTE_NORMAL, nullptr);
    char byte;
    DWORD read = 0;
    bool fails = !ReadFile(reader, &byte, 1, &read, nullptr) && GetLastError() == ERROR_LOCK_VIOLATION;
    CloseHandle(reader);
    return fails;
}

TEST_F(FilesTest, ReadAndWriteFailuresAskRetryOrCancel)
{
    writeFile("data.bin", "0123456789");
    std::string name = path("data.bin");
    std::string folder = fromWide(m_folder.c_str());
    HANDLE locker = CreateFileW(toWide(name.c_str()).c_str(), GENERIC_READ | GENERIC_WRITE,
        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(locker, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(LockFile(locker, 0, 0, 4, 0));

    struct Case {
        const char* what;
        std::string path;
        uint32_t access;
        uint32_t attributes;
        bool reading;
        const char* caption;
        std::string text; // after the name; for other errors, before the code
    } cases[] = {
        { "read from a write-only handle", name, FCFile::kWrite, 0x80, true, "FCFile - read",
            "\x82\xD6\x82\xCC\n\x83\x41\x83\x4E\x83\x5A\x83\x58\x82\xCD\x8B\x91\x94\xDB\x82\xB3\x82\xEA\x82\xDC\x82\xB5"
            "\x82\xBD\x81\x42" }, // への\nアクセスは拒否されました。
        { "read of a locked region", name, FCFile::kRead, 0x80, true, "FCFile - read",
            "\x82\xCD\n\x91\xBC\x82\xCC\x83\x76\x83\x8D\x83\x5A\x83\x58\x82\xAA\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xF0"
            "\x83\x8D\x83\x62\x83\x4E\x82\xB5\x82\xC4\x82\xA2\x82\xDC\x82\xB7" }, // は\n他のプロセスがファイルをロックしています
        { "read from a folder", folder, FCFile::kRead, FILE_FLAG_BACKUP_SEMANTICS, true, "FCFile - read",
            "\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\nError code : " }, // 読み込みできません
        { "write to a read-only handle", name, FCFile::kRead, 0x80, false, "FCFile - write",
            "\x82\xCD\n\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x90\xEA\x97\x70\x82\xC5\x8A\x4A\x82\xA9\x82\xEA\x82\xC4\x82\xA2"
            "\x82\xDC\x82\xB7" }, // は\n読み込み専用で開かれています
        { "write to a folder", folder, FCFile::kWrite, FILE_FLAG_BACKUP_SEMANTICS, false, "FCFile - write",
            "\x8F\x91\x82\xAB\x8D\x9E\x82\xDD\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\nError code : " }, // 書き込みできません
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.text.find("\x83\x8D\x83\x62\x83\x4E") != std::string::npos && !lockedReadsFail(toWide(name.c_str()))) {
            std::printf("skipped: %s (byte-range locks are not enforced on this system)\n", c.what);
            continue;
        }
        MessageBoxRecorder boxes(UxMessageBox::kIdCancel);
        FCFile file;
        ASSERT_EQ(file.open(c.path.c_str(), FCFile::kOpenExisting, c.access, FCFile::kShareRead | FCFile::kShareWrite,
                      c.attributes),
            0u);
        char buffer[4] = { 'a', 'b', 'c', 'd' };
        // The same transfer through the system, for the code of other errors.
        SetLastError(0);
        DWORD done = 0;
        BOOL ok = c.reading ? ReadFile(file.handle(), buffer, sizeof buffer, &done, nullptr)
                            : WriteFile(file.handle(), buffer, sizeof buffer, &done, nullptr);
        ASSERT_FALSE(ok);
        DWORD error = GetLastError();
        try {
            if (c.reading)
                file.read(buffer, sizeof buffer);
            else
                file.write(buffer, sizeof buffer);
            ADD_FAILURE() << "no exception";
        } catch (const Diagnostic& exception) {
            EXPECT_STREQ(exception.operation(), c.reading ? "cannot read" : "cannot write");
            EXPECT_EQ(std::string(exception.message()), c.path);
            if (c.reading)
                EXPECT_NE(dynamic_cast<const CannotReadException*>(&exception), nullptr);
            else
                EXPECT_NE(dynamic_cast<const CannotWriteException*>(&exception), nullptr);
        }
        std::string expected = c.path + c.text;
        if (c.text.back() == ' ') {
            expected += std::to_string(error);
            if (c.reading)
                expected += "\nFile handle : " + std::to_string(reinterpret_cast<uintptr_t>(file.handle()));
        }
        auto requests = boxes.requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].text, expected);
        EXPECT_EQ(requests[0].caption, c.caption);
        EXPECT_EQ(requests[0].style, kErrorBoxStyle);
        EXPECT_TRUE(file.isOpen()) << "a failed transfer leaves the file open";
    }
    UnlockFile(locker, 0, 0, 4, 0);
    CloseHandle(locker);
}

TEST_F(FilesTest, JapaneseNamesReachTheFileSystemInTheGamesCodePage)
{
    std::string name = path(kJapaneseName);
    {
        FCFile file;
        ASSERT_EQ(file.open(name.c_str(), FCFile::kCreateAlways, FCFile::kWrite), 0u);
        EXPECT_EQ(file.write("kana", 4), 4u);
    }
    // The name on disk is the Japanese text whatever the system's code page.
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(widePath(L"*.txt").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_EQ(std::wstring(found.cFileName), L"\u65E5\u672C\u8A9E\u306E\u30D5\u30A1\u30A4\u30EB.txt");
    FindClose(search);

    FCFile file;
    ASSERT_EQ(file.open(name.c_str()), 0u);
    EXPECT_EQ(std::string(file.name().text()), name);
    EXPECT_EQ(readAll(file), "kana");
    uint32_t attributes = 0;
    EXPECT_TRUE(FCPath::exists(name.c_str(), &attributes));
    EXPECT_FALSE(attributes & FCPath::kFolder);
}

// Creates a shortcut with the shell's own link object; ole32 is looked up at
// run time so the test program needs no extra import.
bool createShortcut(const std::wstring& shortcut, const std::wstring& target)
{
    const CLSID clsidShellLink = { 0x00021401, 0, 0, { 0xC0, 0, 0, 0, 0, 0, 0, 0x46 } };
    const IID iidShellLinkW = { 0x000214F9, 0, 0, { 0xC0, 0, 0, 0, 0, 0, 0, 0x46 } };
    const IID iidPersistFile = { 0x0000010B, 0, 0, { 0xC0, 0, 0, 0, 0, 0, 0, 0x46 } };
    HMODULE ole = LoadLibraryW(L"ole32.dll");
    if (!ole)
        return false;
    auto initialize = reinterpret_cast<HRESULT(WINAPI*)(void*, DWORD)>(
        reinterpret_cast<void*>(GetProcAddress(ole, "CoInitializeEx")));
    auto uninitialize
        = reinterpret_cast<void(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(ole, "CoUninitialize")));
    auto create = reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, IUnknown*, DWORD, REFIID, void**)>(
        reinterpret_cast<void*>(GetProcAddress(ole, "CoCreateInstance")));
    bool saved = false;
    HRESULT init = initialize(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkW* link = nullptr;
    if (SUCCEEDED(
            create(clsidShellLink, nullptr, CLSCTX_INPROC_SERVER, iidShellLinkW, reinterpret_cast<void**>(&link)))) {
        link->SetPath(target.c_str());
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(iidPersistFile, reinterpret_cast<void**>(&file)))) {
            saved = SUCCEEDED(file->Save(shortcut.c_str(), TRUE));
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(init))
        uninitialize();
    return saved;
}

// A folder whose name the game's code page cannot hold ("Clément" and a
// kanji name fit neither code page 932 nor 1252): the current folder and the
// names found in it come in their short forms, and open what they name.
TEST_F(FilesTest, FoldersTheCodePageCannotHoldAreReachedByShortName)
{
    const std::wstring odd = widePath(L"Cl\u00e9ment \u5916\u5b57");
    ASSERT_TRUE(CreateDirectoryW(odd.c_str(), nullptr));
    const std::wstring inside = odd + L"\\d\u00e9j\u00e0 \u5916.dat";
    HANDLE created = CreateFileW(inside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(created, INVALID_HANDLE_VALUE);
    CloseHandle(created);
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    const unsigned previousPage = textCodePage();
    auto sameFile = [](const std::wstring& a, const std::wstring& b) {
        wchar_t longA[MAX_PATH] = {}, longB[MAX_PATH] = {};
        return GetLongPathNameW(a.c_str(), longA, MAX_PATH) && GetLongPathNameW(b.c_str(), longB, MAX_PATH)
            && lstrcmpiW(longA, longB) == 0;
    };
    for (unsigned page : { 932u, 1252u }) {
        SCOPED_TRACE(page);
        setTextCodePage(page);
        ASSERT_TRUE(SetCurrentDirectoryW(odd.c_str()));
        const FCPathName here(nullptr);
        EXPECT_TRUE(sameFile(toWide(here.text()), odd + L"\\")) << here.text();
        FCFileEnumeration each;
        each.start("*.dat");
        ASSERT_TRUE(each.next());
        EXPECT_TRUE(sameFile(toWide(each.fullPath().text()), inside)) << each.fullPath().text();
        FCFile file;
        EXPECT_EQ(
            file.open(each.fullPath().text(), FCFile::kOpenExisting, FCFile::kRead, FCFile::kShareRead, 0x80, true),
            0u);
    }
    SetCurrentDirectoryW(previous);
    setTextCodePage(previousPage);
    DeleteFileW(inside.c_str());
    RemoveDirectoryW(odd.c_str());
}

TEST_F(FilesTest, ShortcutOpensItsTarget)
{
    writeFile(kJapaneseName, "target");
    std::wstring target = toWide(path(kJapaneseName).c_str());
    ASSERT_TRUE(createShortcut(widePath(L"link.LNK"), target));
    FCFile file;
    ASSERT_EQ(file.open(path("link.LNK").c_str()), 0u);
    EXPECT_EQ(std::string(file.name().text()), path(kJapaneseName));
    EXPECT_EQ(readAll(file), "target");
}

TEST_F(FilesTest, PathFunctions)
{
    writeFile("file.txt", "x");
    std::string file = path("file.txt");
    uint32_t attributes = 0;
    EXPECT_TRUE(FCPath::exists(file.c_str(), &attributes));
    EXPECT_FALSE(attributes & FCPath::kFolder);
    EXPECT_TRUE(FCPath::hasAttributes(fromWide(m_folder.c_str()).c_str(), FCPath::kFolder));
    EXPECT_FALSE(FCPath::hasAttributes(file.c_str(), FCPath::kFolder));
    EXPECT_FALSE(FCPath::exists(path("missing").c_str()));

    // Nested creation, with a Japanese folder whose trail byte is a backslash
    // (表 is 0x95 0x5C).
    std::string nested = path("a\\\x95\x5C\\c");
    EXPECT_TRUE(FCPath::createFolders(nested.c_str()));
    EXPECT_EQ(GetFileAttributesW(widePath(L"a\\\u8868\\c").c_str()) & FILE_ATTRIBUTE_DIRECTORY,
        static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_TRUE(FCPath::createFolders(nested.c_str())) << "an existing folder";
    EXPECT_TRUE(FCPath::createFolders((nested + "\\d\\").c_str())) << "a trailing separator";
    EXPECT_TRUE(FCPath::hasAttributes((nested + "\\d").c_str(), FCPath::kFolder));
    EXPECT_FALSE(FCPath::createFolders((file + "\\sub").c_str())) << "below a file";

    EXPECT_TRUE(FCPath::deleteFile(file.c_str()));
    EXPECT_FALSE(FCPath::exists(file.c_str()));
    EXPECT_FALSE(FCPath::deleteFile(file.c_str()));
}

TEST_F(FilesTest, EnumerationListsFilesAndFoldersButNoDotNames)
{
    writeFile(kJapaneseName, "x");
    writeFile(".hidden", "x");
    ASSERT_TRUE(CreateDirectoryW(widePath(L"sub").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(widePath(L".git").c_str(), nullptr));

    FCFileEnumeration enumeration;
    EXPECT_FALSE(enumeration.next()) << "not started";
    enumeration.start(path("*").c_str());
    std::set<std::string> names;
    while (enumeration.next()) {
        std::string name = enumeration.name();
        EXPECT_EQ(std::string(enumeration.fullPath().text()), path(name.c_str()));
        EXPECT_TRUE(names.insert(name).second) << name;
    }
    EXPECT_EQ(names, (std::set<std::string> { kJapaneseName, "sub\\" }));
    EXPECT_FALSE(enumeration.next()) << "still at the end";

    enumeration.start(path("*.txt").c_str());
    ASSERT_TRUE(enumeration.next());
    EXPECT_STREQ(enumeration.name(), kJapaneseName);
    EXPECT_FALSE(enumeration.next());
    enumeration.close();
    EXPECT_TRUE(enumeration.fullPath().isEmpty());

    enumeration.start(path("none\\*").c_str());
    EXPECT_FALSE(enumeration.next());
}

} // namespace
