#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

// LUMIVEX_SOUND_CAPTURE names (as a Unix path) the file into which ALSA's
// file plugin writes everything played; Wine shows the Unix root as Z:.
inline std::wstring soundCaptureFile()
{
    const char* unixPath = std::getenv("LUMIVEX_SOUND_CAPTURE");
    if (!unixPath)
        return {};
    std::wstring path = L"Z:";
    for (const char* p = unixPath; *p; ++p)
        path += *p == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return path;
}

// The captured 16-bit samples (interleaved stereo).
inline std::vector<int16_t> readCapturedSamples(const std::wstring& path)
{
    std::vector<int16_t> samples;
    HANDLE file = CreateFileW(
        path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return samples;
    DWORD size = GetFileSize(file, nullptr);
    samples.resize(size / 2);
    DWORD got = 0;
    ReadFile(file, samples.data(), static_cast<DWORD>(samples.size() * 2), &got, nullptr);
    samples.resize(got / 2);
    CloseHandle(file);
    return samples;
}
