#include <gtest/gtest.h>

#include <windows.h>

#include "foundation/Diagnostic.h"

// A module built from the kit throws one of the host's exception classes;
// this program, linked to the host DLL, catches it by the exact class and as
// Diagnostic. Both need one shared runtime and one type identity per class.
TEST(ModuleBoundary, HostExceptionThrownInModuleIsCaught)
{
    HMODULE module = LoadLibraryW(L"test-game\\story.dll");
    ASSERT_NE(module, nullptr) << "error " << GetLastError();
    auto throwCannotRead = reinterpret_cast<void(__cdecl*)()>(GetProcAddress(module, "throwCannotRead"));
    ASSERT_NE(throwCannotRead, nullptr);

    bool caughtExact = false;
    try {
        throwCannotRead();
    } catch (const CannotReadException& error) {
        caughtExact = true;
        EXPECT_STREQ(error.operation(), "cannot read");
        EXPECT_STREQ(error.message(), "save.dat");
    }
    EXPECT_TRUE(caughtExact);

    bool caughtBase = false;
    try {
        throwCannotRead();
    } catch (const Diagnostic& error) {
        caughtBase = true;
        EXPECT_STREQ(error.message(), "save.dat");
    }
    EXPECT_TRUE(caughtBase);
    FreeLibrary(module);
}
