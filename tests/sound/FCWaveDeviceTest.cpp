#include <gtest/gtest.h>

#include <windows.h>

#include <mmsystem.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "foundation/TextCodePage.h"
#include "sound/FCWaveDevice.h"
#include "sound/FCWaveNotify.h"
#include "sound/SoundTestFiles.h"
#include "sound/WaveOutCalls_win32.h"
#include "support/ContractLayout.h"
#include "support/MessageBoxRecorder.h"
#include "support/SoundCapture_win32.h"
#include "support/TestFiles_win32.h"

// Scenario modules reach the device's and the channels' members directly.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
LUMIVEX_SIZE_IS(FCWaveFormat, 18);
LUMIVEX_SIZE_IS(FCWaveOutCaps, 52);
LUMIVEX_SIZE_IS(FCWaveHeader, 32);
LUMIVEX_MEMBER_AT(FCWaveDevice, deviceId, 4);
LUMIVEX_MEMBER_AT(FCWaveDevice, listControlId, 8);
LUMIVEX_MEMBER_AT(FCWaveDevice, textControlId, 12);
LUMIVEX_MEMBER_AT(FCWaveDevice, enabled, 16);
LUMIVEX_MEMBER_AT(FCWaveDevice, threadRunning, 17);
LUMIVEX_MEMBER_AT(FCWaveDevice, reportErrors, 18);
LUMIVEX_MEMBER_AT(FCWaveDevice, mute, 19);
LUMIVEX_MEMBER_AT(FCWaveDevice, handle, 20);
LUMIVEX_MEMBER_AT(FCWaveDevice, format, 24);
LUMIVEX_MEMBER_AT(FCWaveDevice, caps, 42);
LUMIVEX_MEMBER_AT(FCWaveDevice, headers, 94);
LUMIVEX_MEMBER_AT(FCWaveDevice, thread, 352);
LUMIVEX_MEMBER_AT(FCWaveDevice, mix, 372);
LUMIVEX_MEMBER_AT(FCWaveDevice, threadEvent, 376);
LUMIVEX_MEMBER_AT(FCWaveDevice, deviceEvent, 384);
LUMIVEX_MEMBER_AT(FCWaveDevice, channels, 392);
LUMIVEX_MEMBER_AT(FCWaveDevice, active, 18056);
LUMIVEX_MEMBER_AT(FCWaveDevice, activeLock, 18068);
LUMIVEX_MEMBER_AT(FCWaveDevice, recordsAll, 18100);
LUMIVEX_MEMBER_AT(FCWaveDevice, recordsFree, 18112);
LUMIVEX_MEMBER_AT(FCWaveDevice, recordsFull, 18124);
LUMIVEX_MEMBER_AT(FCWaveDevice, recordLock, 18136);
LUMIVEX_MEMBER_AT(FCWaveDevice, captureOn, 18168);
LUMIVEX_SIZE_IS(FCWaveDevice, 18172);
static_assert(ascending({ offsetof(FCWaveDevice, deviceId), offsetof(FCWaveDevice, listControlId),
    offsetof(FCWaveDevice, textControlId), offsetof(FCWaveDevice, enabled), offsetof(FCWaveDevice, threadRunning),
    offsetof(FCWaveDevice, reportErrors), offsetof(FCWaveDevice, mute), offsetof(FCWaveDevice, handle),
    offsetof(FCWaveDevice, format), offsetof(FCWaveDevice, caps), offsetof(FCWaveDevice, headers),
    offsetof(FCWaveDevice, thread), offsetof(FCWaveDevice, mix), offsetof(FCWaveDevice, threadEvent),
    offsetof(FCWaveDevice, deviceEvent), offsetof(FCWaveDevice, channels), offsetof(FCWaveDevice, active),
    offsetof(FCWaveDevice, activeLock), offsetof(FCWaveDevice, recordsAll), offsetof(FCWaveDevice, recordsFree),
    offsetof(FCWaveDevice, recordsFull), offsetof(FCWaveDevice, recordLock), offsetof(FCWaveDevice, captureOn) }));
LUMIVEX_MEMBER_AT(FCWaveChannel, index, 4);
LUMIVEX_MEMBER_AT(FCWaveChannel, flags, 8);
LUMIVEX_MEMBER_AT(FCWaveChannel, count, 12);
LUMIVEX_MEMBER_AT(FCWaveChannel, decoder, 16);
LUMIVEX_MEMBER_AT(FCWaveChannel, bufferTenths, 20);
LUMIVEX_MEMBER_AT(FCWaveChannel, timerId, 24);
LUMIVEX_MEMBER_AT(FCWaveChannel, idleEvent, 28);
LUMIVEX_MEMBER_AT(FCWaveChannel, gainL, 36);
LUMIVEX_MEMBER_AT(FCWaveChannel, gainR, 40);
LUMIVEX_MEMBER_AT(FCWaveChannel, fadeFromL, 44);
LUMIVEX_MEMBER_AT(FCWaveChannel, fadeToR, 56);
LUMIVEX_MEMBER_AT(FCWaveChannel, fadeStep, 64);
LUMIVEX_MEMBER_AT(FCWaveChannel, lock, 68);
LUMIVEX_MEMBER_AT(FCWaveChannel, freeBlocks, 100);
LUMIVEX_MEMBER_AT(FCWaveChannel, readyBlocks, 140);
LUMIVEX_MEMBER_AT(FCWaveChannel, loopStart, 180);
LUMIVEX_MEMBER_AT(FCWaveChannel, userValue, 184);
LUMIVEX_MEMBER_AT(FCWaveChannel, history, 188);
LUMIVEX_MEMBER_AT(FCWaveChannel, echoDelay, 228);
LUMIVEX_MEMBER_AT(FCWaveChannel, echoRepeats, 236);
LUMIVEX_MEMBER_AT(FCWaveChannel, analyser, 240);
LUMIVEX_MEMBER_AT(FCWaveChannel, filterValue1, 244);
LUMIVEX_MEMBER_AT(FCWaveChannel, filterValue2, 248);
LUMIVEX_MEMBER_AT(FCWaveChannel, notifyA, 252);
LUMIVEX_MEMBER_AT(FCWaveChannel, notifyAValue, 256);
LUMIVEX_MEMBER_AT(FCWaveChannel, notifyB, 260);
LUMIVEX_MEMBER_AT(FCWaveChannel, notifyBValue, 264);
LUMIVEX_MEMBER_AT(FCWaveChannel, callback, 268);
LUMIVEX_MEMBER_AT(FCWaveChannel, position, 272);
LUMIVEX_SIZE_IS(FCWaveChannel, 276);
static_assert(
    ascending({ offsetof(FCWaveChannel, index), offsetof(FCWaveChannel, flags), offsetof(FCWaveChannel, count),
        offsetof(FCWaveChannel, decoder), offsetof(FCWaveChannel, bufferTenths), offsetof(FCWaveChannel, timerId),
        offsetof(FCWaveChannel, idleEvent), offsetof(FCWaveChannel, gainL), offsetof(FCWaveChannel, gainR),
        offsetof(FCWaveChannel, fadeFromL), offsetof(FCWaveChannel, fadeFromR), offsetof(FCWaveChannel, fadeToL),
        offsetof(FCWaveChannel, fadeToR), offsetof(FCWaveChannel, fadeSteps), offsetof(FCWaveChannel, fadeStep),
        offsetof(FCWaveChannel, lock), offsetof(FCWaveChannel, freeBlocks), offsetof(FCWaveChannel, readyBlocks),
        offsetof(FCWaveChannel, loopStart), offsetof(FCWaveChannel, userValue), offsetof(FCWaveChannel, history),
        offsetof(FCWaveChannel, echoDelay), offsetof(FCWaveChannel, echoLevel), offsetof(FCWaveChannel, echoRepeats),
        offsetof(FCWaveChannel, analyser), offsetof(FCWaveChannel, filterValue1), offsetof(FCWaveChannel, filterValue2),
        offsetof(FCWaveChannel, notifyA), offsetof(FCWaveChannel, notifyAValue), offsetof(FCWaveChannel, notifyB),
        offsetof(FCWaveChannel, notifyBValue), offsetof(FCWaveChannel, callback), offsetof(FCWaveChannel, position) }));
#pragma GCC diagnostic pop

namespace {

constexpr int32_t kFramesPerBlock = 2048;

// Stereo 16-bit PCM at 44.1 kHz: frame i is (left(i), right(i)).
template <typename Sample> std::string writeSound(const char* name, int32_t frames, Sample sample)
{
    soundtest::Bytes data;
    for (int32_t i = 0; i < frames; ++i) {
        auto [left, right] = sample(i);
        soundtest::put16(data, uint16_t(left));
        soundtest::put16(data, uint16_t(right));
    }
    return writeScratchFile("wave", name, soundtest::makeWave({}, data));
}

// Frame i holds (i + 1, -(i + 1)): every frame names itself.
std::string writeRamp(const char* name, int32_t frames)
{
    return writeSound(name, frames, [](int32_t i) { return std::pair<int, int>(i + 1, -(i + 1)); });
}

std::string writeConstant(const char* name, int32_t frames, int16_t left, int16_t right)
{
    return writeSound(name, frames, [=](int32_t) { return std::pair<int, int>(left, right); });
}

class Notifications final : public FCWaveNotify {
public:
    Notifications() { stopped = CreateEventW(nullptr, TRUE, FALSE, nullptr); }
    ~Notifications() override { CloseHandle(stopped); }
    void onBlockMixed(int32_t) override { ++mixed; }
    void onBlockSilent(int32_t) override { ++silent; }
    void onStopped(bool byRequest) override
    {
        ++(byRequest ? byRequestCount : endedCount);
        SetEvent(stopped);
    }
    void onFinished(int32_t value) override
    {
        ++finished;
        finishedValue = value;
    }
    bool waitStopped() { return WaitForSingleObject(stopped, 20000) == WAIT_OBJECT_0; }

    HANDLE stopped;
    std::atomic<int> mixed { 0 }, silent { 0 }, byRequestCount { 0 }, endedCount { 0 }, finished { 0 };
    std::atomic<int> finishedValue { -1 };
};

// Everything the device plays while the test runs, read once the device
// is gone (the capture file is complete then).
class CaptureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        capture = soundCaptureFile();
        if (capture.empty())
            GTEST_SKIP() << "LUMIVEX_SOUND_CAPTURE is not set";
        DeleteFileW(capture.c_str());
        device = std::make_unique<FCWaveDevice>(910, 943, 944);
        ASSERT_TRUE(device->enabled);
        ASSERT_NE(device->handle, nullptr);
    }

    // Waits until the device has handed `count` more buffers back and
    // rewritten them: the sound mixed before the wait has then been played.
    void playBuffers(int count)
    {
        {
            FCLock hold(&device->recordLock);
            device->recordsFull.clearNodes();
            for (int i = 0; i < count; ++i)
                device->recordsFree.enqueue(new FCWaveRecData, 1);
            device->captureOn = 1;
        }
        for (int waited = 0; waited < 30000; waited += 10) {
            {
                FCLock hold(&device->recordLock);
                if (device->recordsFull.count >= count)
                    break;
            }
            Sleep(10);
        }
        FCLock hold(&device->recordLock);
        device->captureOn = 0;
        EXPECT_GE(device->recordsFull.count, count);
    }

    // Ends the device and reads what it played, from its first nonzero frame.
    std::vector<int16_t> played()
    {
        device.reset();
        std::vector<int16_t> samples = readCapturedSamples(capture);
        size_t first = 0;
        while (first < samples.size() && samples[first] == 0)
            ++first;
        first &= ~size_t(1);
        return { samples.begin() + std::ptrdiff_t(first), samples.end() };
    }

    void play(int32_t channel, const std::string& file, uint32_t flags = 0, uint32_t count = 0, int32_t startOffset = 0,
        int32_t loopStart = 0)
    {
        device->play(channel, file.c_str(), flags, count, -1, 20, nullptr, 0, 0, 0, startOffset, loopStart, 0);
    }

    std::wstring capture;
    std::unique_ptr<FCWaveDevice> device;
};

// Frames (left, right) of the ramp from frame `from` to `to` (exclusive).
std::vector<int16_t> ramp(int32_t from, int32_t to)
{
    std::vector<int16_t> out;
    for (int32_t i = from; i < to; ++i) {
        out.push_back(int16_t(i + 1));
        out.push_back(int16_t(-(i + 1)));
    }
    return out;
}

bool allZero(const std::vector<int16_t>& samples, size_t from)
{
    return std::all_of(samples.begin() + std::ptrdiff_t(std::min(from, samples.size())), samples.end(),
        [](int16_t s) { return s == 0; });
}

} // namespace

// One channel at unity reaches the output sample for sample, a sound shorter
// than the read-ahead is decoded whole at play, and its end is told once.
TEST_F(CaptureTest, OneChannelAtUnityIsPlayedExactlyAndEndsOnce)
{
    std::string file = writeRamp("ramp.wav", 3 * kFramesPerBlock);
    play(5, file);
    EXPECT_EQ(device->channels[5].readyBlocks.size(), 3u);
    Notifications notify;
    device->channels[5].notifyA = &notify;
    device->channels[5].notifyB = &notify;
    device->channels[5].notifyBValue = 77;
    device->start(5, false);
    ASSERT_TRUE(notify.waitStopped());
    playBuffers(10);
    EXPECT_EQ(notify.endedCount, 1);
    EXPECT_EQ(notify.byRequestCount, 0);
    EXPECT_EQ(notify.finished, 1);
    EXPECT_EQ(notify.finishedValue, 77);
    EXPECT_EQ(notify.mixed, 3);
    EXPECT_EQ(device->active.count, 0);

    std::vector<int16_t> samples = played();
    std::vector<int16_t> expected = ramp(0, 3 * kFramesPerBlock);
    ASSERT_GE(samples.size(), expected.size() + 4096);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), samples.begin()));
    EXPECT_TRUE(allZero(samples, expected.size())) << "silence after the sound";
}

// Two channels whose sum leaves the 16-bit range are clamped; setVolume
// (-1, 128) keeps the left gain and puts the right one at 130.
TEST_F(CaptureTest, TwoChannelsAreClampedAndVolumeFollowsTheCurve)
{
    std::string loud = writeConstant("loud.wav", 4 * kFramesPerBlock, 30000, -30000);
    play(0, loud);
    play(1, loud);
    Notifications notify;
    device->channels[1].notifyA = &notify;
    device->channels[0].setVolume(-1, 128);
    device->channels[1].setVolume(-1, 128);
    EXPECT_EQ(device->channels[0].gainL, 256);
    EXPECT_EQ(device->channels[0].gainR, 130);
    device->channels[0].setVolume(-1, 256);
    device->start(0, false);
    device->start(1, false);
    ASSERT_TRUE(notify.waitStopped());
    playBuffers(10);

    std::vector<int16_t> samples = played();
    int clamped = 0, single = 0, other = 0;
    for (size_t i = 0; i + 1 < samples.size(); i += 2) {
        int16_t left = samples[i], right = samples[i + 1];
        if (left == 32767 && right == -32768)
            ++clamped; // 30000 + 30000 and -30000 + (-30000 * 130) >> 8
        else if ((left == 30000 && right == -30000) || (left == 30000 && right == -15235))
            ++single;
        else if (left != 0 || right != 0)
            ++other;
    }
    EXPECT_GE(clamped, 2 * kFramesPerBlock);
    EXPECT_EQ(2 * clamped + single, 8 * kFramesPerBlock); // each channel's four blocks
    EXPECT_EQ(other, 0);
}

TEST_F(CaptureTest, SetVolumeKeepsTheLeftGain)
{
    std::string loud = writeConstant("loud.wav", 2 * kFramesPerBlock, 30000, -30000);
    play(2, loud);
    device->channels[2].setVolume(-1, 128);
    Notifications notify;
    device->channels[2].notifyA = &notify;
    device->start(2, false);
    ASSERT_TRUE(notify.waitStopped());
    playBuffers(10);
    std::vector<int16_t> samples = played();
    ASSERT_GE(samples.size(), size_t(4 * kFramesPerBlock));
    for (int32_t i = 0; i < 2 * kFramesPerBlock; ++i) {
        ASSERT_EQ(samples[size_t(2 * i)], 30000) << i;
        ASSERT_EQ(samples[size_t(2 * i + 1)], -15235) << i; // (-30000 * 130) >> 8
    }
    EXPECT_TRUE(allZero(samples, size_t(4 * kFramesPerBlock)));
}

// Muted, the device writes silence while the channel still runs to its end.
TEST_F(CaptureTest, MuteWritesSilenceAndKeepsTime)
{
    std::string file = writeRamp("ramp.wav", 4 * kFramesPerBlock);
    play(3, file);
    Notifications notify;
    device->channels[3].notifyA = &notify;
    device->mute = 1;
    device->start(3, false);
    ASSERT_TRUE(notify.waitStopped());
    EXPECT_EQ(notify.endedCount, 1);
    EXPECT_EQ(notify.mixed, 4);
    playBuffers(10);
    device->mute = 0;
    std::vector<int16_t> samples = played();
    EXPECT_TRUE(samples.empty()) << samples.size() << " samples were not silent";
}

// Flag 0x2 with count 2 plays three times, the repeats from loopStart.
TEST_F(CaptureTest, LoopCountTwoPlaysThreeTimesFromLoopStart)
{
    std::string file = writeRamp("ramp.wav", 4 * kFramesPerBlock);
    play(4, file, FCWaveChannel::kLoop, 2, 0, SoundBlock::kBytes);
    Notifications notify;
    device->channels[4].notifyA = &notify;
    device->start(4, false);
    ASSERT_TRUE(notify.waitStopped());
    playBuffers(10);
    std::vector<int16_t> expected = ramp(0, 4 * kFramesPerBlock);
    for (int repeat = 0; repeat < 2; ++repeat) {
        std::vector<int16_t> tail = ramp(kFramesPerBlock, 4 * kFramesPerBlock);
        expected.insert(expected.end(), tail.begin(), tail.end());
    }
    std::vector<int16_t> samples = played();
    ASSERT_GE(samples.size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), samples.begin()));
    EXPECT_TRUE(allZero(samples, expected.size()));
}

// A start offset skips whole blocks of a PCM sound (rounded down), however
// the offset falls within a second.
TEST_F(CaptureTest, StartOffsetSkipsWholeBlocks)
{
    std::string file = writeRamp("ramp.wav", 24 * kFramesPerBlock);
    struct Case {
        int32_t offset;
        int32_t firstFrame;
    } cases[] = { { 2 * SoundBlock::kBytes + 1000, 2 * kFramesPerBlock }, { 176400 + 1000, 21 * kFramesPerBlock } };
    for (const Case& c : cases) {
        play(6, file, 0, 0, c.offset);
        ASSERT_FALSE(device->channels[6].readyBlocks.empty());
        EXPECT_EQ(device->channels[6].readyBlocks.front()->data[0], int16_t(c.firstFrame + 1)) << c.offset;
    }
    Notifications notify;
    device->channels[6].notifyA = &notify;
    device->start(6, false);
    ASSERT_TRUE(notify.waitStopped());
    playBuffers(10);
    std::vector<int16_t> samples = played();
    std::vector<int16_t> expected = ramp(21 * kFramesPerBlock, 24 * kFramesPerBlock);
    ASSERT_GE(samples.size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), samples.begin()));
}

// Flag 0x4 with count 1: the sound comes back after a second of silence.
// The capture's file sink takes sound at least as fast as real time (its
// slave is the null device), so a second of waiting shows as at least
// 44100 frames of silence, never fewer.
TEST_F(CaptureTest, IntervalRepeatWaitsItsSecondsBetweenPlays)
{
    std::string file = writeRamp("ramp.wav", 2 * kFramesPerBlock);
    play(7, file, FCWaveChannel::kInterval, 1);
    Notifications notify;
    device->channels[7].notifyA = &notify;
    device->start(7, false);
    EXPECT_EQ(device->channels[7].flags & FCWaveChannel::kWaiting, uint32_t(FCWaveChannel::kWaiting));
    for (int waited = 0; notify.mixed < 4 && waited < 20000; waited += 20)
        Sleep(20);
    ASSERT_GE(notify.mixed, 4) << "the sound did not come back";
    playBuffers(10);
    device->stop(7);
    EXPECT_EQ(notify.endedCount, 0); // waiting for its interval is not an end
    std::vector<int16_t> samples = played();
    std::vector<size_t> starts;
    for (size_t i = 0; i + 1 < samples.size(); i += 2) {
        if (samples[i] == 1 && samples[i + 1] == -1)
            starts.push_back(i / 2);
    }
    ASSERT_GE(starts.size(), 2u);
    std::vector<int16_t> expected = ramp(0, 2 * kFramesPerBlock);
    for (size_t start : { starts[0], starts[1] })
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), samples.begin() + std::ptrdiff_t(2 * start)));
    int64_t gap = int64_t(starts[1] - starts[0]) - 2 * kFramesPerBlock;
    // The wait starts when the queue runs dry, a block after the sound.
    EXPECT_GE(gap, 44100) << gap;
    EXPECT_TRUE(std::all_of(samples.begin() + std::ptrdiff_t(2 * (starts[0] + 2 * kFramesPerBlock)),
        samples.begin() + std::ptrdiff_t(2 * starts[1]), [](int16_t s) { return s == 0; }));
}

// A fade over 1000 ms goes in 11 steps of 100 ms through the gains
// (to - from) * step / 11 + from, block by block.
TEST_F(CaptureTest, FadeOverASecondStepsThroughItsGains)
{
    std::string file = writeConstant("steady.wav", 100 * kFramesPerBlock, 30000, 0);
    play(8, file);
    Notifications notify;
    device->channels[8].notifyA = &notify;
    device->start(8, false);
    playBuffers(4);
    ASSERT_TRUE(device->fade(8, 0, 0, 1000));
    EXPECT_EQ(device->channels[8].fadeSteps, 11);
    EXPECT_EQ(WaitForSingleObject(device->channels[8].idleEvent.handle, 20000), WAIT_OBJECT_0);
    playBuffers(10);
    std::vector<int16_t> samples = played();

    const int32_t gains[] = { 256, 233, 210, 187, 163, 140, 117, 94, 70, 47, 24, 0 };
    std::vector<int16_t> levels;
    for (int32_t g : gains)
        levels.push_back(int16_t((30000 * g) >> 8));
    // The left side's runs of equal level, in order, with their lengths.
    std::vector<std::pair<int16_t, size_t>> runs;
    for (size_t i = 0; i < samples.size(); i += 2) {
        if (runs.empty() || runs.back().first != samples[i])
            runs.push_back({ samples[i], 0 });
        ++runs.back().second;
    }
    size_t next = 0;
    size_t fadeFrames = 0;
    for (size_t r = 0; r < runs.size(); ++r) {
        auto at = std::find(levels.begin() + std::ptrdiff_t(next), levels.end(), runs[r].first);
        ASSERT_NE(at, levels.end()) << "level " << runs[r].first << " out of order";
        next = size_t(at - levels.begin()) + 1;
        if (r > 0 && runs[r].first != 0)
            fadeFrames += runs[r].second;
        if (runs[r].first == 0)
            break;
    }
    EXPECT_GE(runs.size(), 9u) << "too few of the steps were heard";
    // Ten steps of 100 ms between the first reduced gain and silence: at
    // least a second of output, as the capture runs no slower than real time.
    EXPECT_GE(fadeFrames, size_t(44100 - 2 * kFramesPerBlock)) << fadeFrames;
}

// stop on a playing channel tells its targets byRequest = true.
TEST(WaveDevice, StopByRequestIsToldOnce)
{
    FCWaveDevice device(910, 943, 944);
    std::string file = writeRamp("long.wav", 40 * kFramesPerBlock);
    device.play(9, file.c_str(), 0, 0, -1, 20, nullptr, 0, 0, 0, 0, 0, 0);
    Notifications notify;
    device.channels[9].notifyA = &notify;
    device.channels[9].notifyB = &notify;
    device.channels[9].notifyBValue = 5;
    device.start(9, false);
    device.stop(9);
    device.stop(9);
    EXPECT_EQ(notify.byRequestCount, device.handle ? 1 : 0);
    EXPECT_EQ(notify.endedCount, 0);
    EXPECT_EQ(notify.finished, device.handle ? 1 : 0);
    EXPECT_EQ(device.active.count, 0);
}

// Missing and unplayable files are told in a box and leave the channel
// silent.
TEST(WaveDevice, MissingAndUnknownFilesAreToldAndPlayNothing)
{
    MessageBoxRecorder boxes;
    FCWaveDevice device(910, 943, 944);
    std::string missing = scratchFile("wave", "missing.wav");
    std::string garbage = writeScratchFile("wave", "garbage.bin", { 'n', 'o', 't', ' ', 's', 'o', 'u', 'n', 'd' });
    device.play(0, missing.c_str(), 0, 0, -1, 20, nullptr, 0, 0, 0, 0, 0, 0);
    device.play(1, garbage.c_str(), 0, 0, -1, 20, nullptr, 0, 0, 0, 0, 0, 0);
    device.start(0, false);
    device.start(1, false);
    EXPECT_EQ(device.active.count, 0);
    auto requests = boxes.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].caption, "FCString class");
    EXPECT_EQ(requests[0].style, 0x12000u);
    EXPECT_EQ(toUtf8(requests[0].text.c_str()),
        "指定されたファイル\n" + missing + " は、\n存在しないか壊れています。無視して処理を継続します。");
    EXPECT_EQ(toUtf8(requests[1].text.c_str()),
        "指定されたファイル\n" + garbage + " は、\n再生できないフォーマットです。無視して処理を継続します。");
}

namespace {

// waveOut without a usable device: the numbers of devices, the default
// device's answer and the open are the test's.
UINT g_devices = 0;
MMRESULT g_defaultAnswer = MMSYSERR_BADDEVICEID;
MMRESULT g_openAnswer = MMSYSERR_NOERROR;

UINT WINAPI fakeNumDevs()
{
    return g_devices;
}

MMRESULT WINAPI fakeDevCaps(UINT_PTR id, LPWAVEOUTCAPSA caps, UINT size)
{
    if (id == WAVE_MAPPER)
        return g_defaultAnswer;
    if (id >= g_devices)
        return MMSYSERR_BADDEVICEID;
    std::memset(caps, 0, size);
    lstrcpyA(caps->szPname, "Test device");
    caps->wChannels = 2;
    caps->dwFormats = WAVE_FORMAT_4S16;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI fakeOpen(LPHWAVEOUT, UINT, LPCWAVEFORMATEX, DWORD_PTR, DWORD_PTR, DWORD)
{
    return g_openAnswer;
}

struct FakeWaveOut {
    FakeWaveOut(UINT devices, MMRESULT defaultAnswer, MMRESULT openAnswer)
    {
        g_devices = devices;
        g_defaultAnswer = defaultAnswer;
        g_openAnswer = openAnswer;
        calls = systemWaveOutCalls();
        calls.getNumDevs = fakeNumDevs;
        calls.getDevCaps = fakeDevCaps;
        calls.open = fakeOpen;
        setWaveOutCalls(&calls);
        enumerateDevices(true);
    }
    ~FakeWaveOut()
    {
        setWaveOutCalls(nullptr);
        enumerateDevices(true);
    }
    WaveOutCalls calls;
};

} // namespace

// Without any device, or when the player chooses none, the game runs on
// silent after the box that says so; a failed open says so too.
TEST(WaveDevice, WithoutADeviceTheGameRunsSilentAfterItsBox)
{
    const char* caption = "FCWaveDevice::getDeviceCpas()";
    struct Case {
        UINT devices;
        MMRESULT defaultAnswer, openAnswer;
        const char* caption;
        std::string text;
        bool dialog;
        bool enabled;
    } cases[] = {
        { 0, MMSYSERR_BADDEVICEID, MMSYSERR_NOERROR, caption,
            "このＰＣで利用可能な音声再生デバイスを見つけられませんでした。\n音の再生なしで処理を続行します。", false,
            false },
        { 2, MMSYSERR_BADDEVICEID, MMSYSERR_NOERROR, caption,
            "再生デバイスが選択されませんでした。\n音の再生なしで処理を続行します。", true, false },
        { 1, MMSYSERR_NOERROR, MMSYSERR_ALLOCATED, "FCWaveDevice - open",
            "規定のデバイスを開くことが出来ませんでした。\n音の再生なしで処理を続行します。", false, true },
    };
    std::string ramp = writeRamp("ramp.wav", kFramesPerBlock);
    for (const Case& c : cases) {
        FakeWaveOut fake(c.devices, c.defaultAnswer, c.openAnswer);
        MessageBoxRecorder boxes(IDCANCEL);
        FCWaveDevice device(910, 943, 944);
        EXPECT_EQ(device.enabled, c.enabled ? 1 : 0) << c.text;
        EXPECT_EQ(device.handle, nullptr);
        EXPECT_EQ(device.deviceId, c.enabled ? -1 : -12345);
        device.play(0, ramp.c_str(), 0, 0, -1, 20, nullptr, 0, 0, 0, 0, 0, 0);
        device.start(0, true);
        device.stop(-1);
        EXPECT_EQ(device.active.count, 0);
        auto requests = boxes.requests();
        std::vector<MessageBoxRecorder::Recorded> shown;
        bool sawDialog = false;
        for (const auto& r : requests) {
            if (r.dialogTemplate == 910)
                sawDialog = true;
            else
                shown.push_back(r);
        }
        EXPECT_EQ(sawDialog, c.dialog) << c.text;
        ASSERT_EQ(shown.size(), 1u) << c.text;
        EXPECT_EQ(shown[0].caption, c.caption);
        EXPECT_EQ(toUtf8(shown[0].text.c_str()), c.text);
        EXPECT_EQ(shown[0].style, 0x12000u);
    }
}

// Closing the device while all 64 channels start and stop at random: every
// start is matched by exactly one stop notice, nothing hangs.
TEST(WaveDevice, ClosingWhileSixtyFourChannelsPlayLosesNoNotice)
{
    auto device = std::make_unique<FCWaveDevice>(910, 943, 944);
    if (!device->handle)
        GTEST_SKIP() << "no wave device";
    std::string longSound = writeRamp("long.wav", 200 * kFramesPerBlock);
    std::vector<std::unique_ptr<Notifications>> notices;
    std::vector<int> starts(FCWaveDevice::kChannels, 0);
    for (int32_t c = 0; c < FCWaveDevice::kChannels; ++c) {
        device->play(c, longSound.c_str(), 0, 0, -1, 20, nullptr, 0, 0, 0, 0, 0, 0);
        notices.push_back(std::make_unique<Notifications>());
        device->channels[c].notifyA = notices.back().get();
    }
    std::mt19937 random(18);
    for (int round = 0; round < 400; ++round) {
        int32_t c = int32_t(random() % FCWaveDevice::kChannels);
        if (random() % 3) {
            // The sounds last longer than the test: only the test ends them.
            if (!(device->channels[c].flags & FCWaveChannel::kActive))
                ++starts[size_t(c)];
            device->start(c, random() % 2 == 0);
        } else {
            device->stop(c);
        }
    }
    device.reset();
    for (int32_t c = 0; c < FCWaveDevice::kChannels; ++c) {
        EXPECT_EQ(notices[size_t(c)]->byRequestCount, starts[size_t(c)]) << "channel " << c;
        EXPECT_EQ(notices[size_t(c)]->endedCount, 0) << "channel " << c;
    }
}

// With the ALSA default pointing at no card (the suite runs this test once
// more with such a HOME), Wine has no device to give: one box says so and
// the game runs on silent.
TEST(WaveDeviceWithoutAlsa, TheGameRunsSilentAfterOneBox)
{
    if (!std::getenv("LUMIVEX_NO_SOUND_DEVICE"))
        GTEST_SKIP() << "runs where ALSA has no device (LUMIVEX_NO_SOUND_DEVICE)";
    MessageBoxRecorder boxes(IDCANCEL);
    {
        FCWaveDevice device(910, 943, 944);
        EXPECT_EQ(device.handle, nullptr);
        std::string ramp = writeRamp("ramp.wav", kFramesPerBlock);
        device.play(0, ramp.c_str(), 0, 0, -1, 20, nullptr, 0, 0, 0, 0, 0, 0);
        device.start(0, false);
        device.stop(-1);
        EXPECT_EQ(device.active.count, 0);
    }
    std::vector<MessageBoxRecorder::Recorded> shown;
    for (const auto& r : boxes.requests()) {
        if (r.dialogTemplate == 0)
            shown.push_back(r);
    }
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].caption == "FCWaveDevice::getDeviceCpas()" || shown[0].caption == "FCWaveDevice - open")
        << shown[0].caption;
    EXPECT_EQ(shown[0].style, 0x12000u);
}
