#include <gtest/gtest.h>

#include <windows.h>

#include <mmsystem.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/TestFiles_win32.h"

namespace {

std::vector<int16_t> readSamples(const std::wstring& path)
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

} // namespace

// What the host plays through waveOut is captured bit for bit: 16-bit stereo
// frames whose samples encode their own index come out unchanged.
TEST(SoundCapture, WaveOutReachesCaptureFileExactly)
{
    std::wstring capture = soundCaptureFile();
    if (capture.empty())
        GTEST_SKIP() << "LUMIVEX_SOUND_CAPTURE is not set";
    DeleteFileW(capture.c_str());

    WAVEFORMATEX format {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = 44100;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = 44100 * 4;
    HANDLE done = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HWAVEOUT device = nullptr;
    ASSERT_EQ(waveOutOpen(&device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(done), 0, CALLBACK_EVENT),
        MMSYSERR_NOERROR);

    const int frames = 8820;
    std::vector<int16_t> played(frames * 2);
    for (int i = 0; i < frames; ++i) {
        played[2 * i] = static_cast<int16_t>(i + 1);
        played[2 * i + 1] = static_cast<int16_t>(-(i + 1));
    }
    WAVEHDR header {};
    header.lpData = reinterpret_cast<LPSTR>(played.data());
    header.dwBufferLength = static_cast<DWORD>(played.size() * 2);
    ASSERT_EQ(waveOutPrepareHeader(device, &header, sizeof header), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutWrite(device, &header, sizeof header), MMSYSERR_NOERROR);
    for (int wait = 0; wait < 100 && !(header.dwFlags & WHDR_DONE); ++wait)
        WaitForSingleObject(done, 100);
    EXPECT_TRUE(header.dwFlags & WHDR_DONE);
    waveOutUnprepareHeader(device, &header, sizeof header);
    waveOutClose(device);
    CloseHandle(done);

    std::vector<int16_t> captured = readSamples(capture);
    size_t start = 0;
    while (start + 1 < captured.size() && !(captured[start] == 1 && captured[start + 1] == -1))
        ++start;
    ASSERT_LT(start + played.size(), captured.size() + 1) << "pattern not found in " << captured.size() << " samples";
    EXPECT_TRUE(std::equal(played.begin(), played.end(), captured.begin() + static_cast<std::ptrdiff_t>(start)));
}
