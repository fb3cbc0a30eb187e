#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#if defined(_WIN32)
#include <process.h>
#define LUMIVEX_PROCESS_ID _getpid
#else
#include <unistd.h>
#define LUMIVEX_PROCESS_ID getpid
#endif

// Scratch files of one test in the working folder, named after the test and
// the process (the two locales' runs of a test never share one), removed at
// the end.
class ScratchFiles : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (const std::string& name : m_made) {
            std::remove(name.c_str());
            std::remove((name + ".new").c_str());
            std::remove((name + ".bak").c_str());
        }
    }

    // A fresh name, removed now and at the end.
    std::string scratch(const char* name)
    {
        std::string path = std::string("startup-") + ::testing::UnitTest::GetInstance()->current_test_info()->name()
            + "-" + std::to_string(LUMIVEX_PROCESS_ID()) + "-" + name;
        std::remove(path.c_str());
        m_made.push_back(path);
        return path;
    }

    static void put(const std::string& path, const std::string& bytes)
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }

    // The file's bytes; "<missing>" when it cannot be opened.
    static std::string get(const std::string& path)
    {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        if (!f)
            return "<missing>";
        std::string bytes;
        char buffer[4096];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            bytes.append(buffer, got);
        std::fclose(f);
        return bytes;
    }

private:
    std::vector<std::string> m_made;
};
