#pragma once

#include <cstdint>

#include "foundation/FCSync.h"
#include "foundation/FCXList.h"
#include "foundation/LumivexApi.h"
#include "sound/FCWaveChannel.h"

// Storage laid out like the system's WAVEFORMATEX, WAVEOUTCAPSA and WAVEHDR
// (packed to single bytes, as the system's multimedia records are), so this
// header needs no <windows.h>; the implementation checks all three.
#pragma pack(push, 1)
struct FCWaveFormat {
    uint16_t formatTag;
    uint16_t channels;
    uint32_t samplesPerSecond;
    uint32_t bytesPerSecond;
    uint16_t blockAlign;
    uint16_t bitsPerSample;
    uint16_t extraSize;
};

struct FCWaveOutCaps {
    uint16_t manufacturer;
    uint16_t product;
    uint32_t driverVersion;
    char name[32];
    uint32_t formats;
    uint16_t channels;
    uint16_t reserved;
    uint32_t support;
};

struct FCWaveHeader {
    char* data;
    uint32_t bufferLength;
    uint32_t bytesRecorded;
    uintptr_t user;
    uint32_t flags;
    uint32_t loops;
    FCWaveHeader* next;
    uintptr_t reserved;
};
#pragma pack(pop)

// One captured output buffer.
struct LUMIVEX_API FCWaveRecData {
    static constexpr uint32_t kBytes = 8192;
    FCWaveRecData();
    FCWaveRecData(const FCWaveRecData&) = delete;
    FCWaveRecData& operator=(const FCWaveRecData&) = delete;
    virtual ~FCWaveRecData();
    uint8_t* buffer; // kBytes
};

// The engine's one digital sound output: 44.1 kHz 16-bit stereo through
// waveOut, 64 channels mixed by a sound thread that keeps eight buffers
// queued at the device. Without a device every operation quietly does
// nothing. Scenario modules reach the members directly: order and width
// are part of their contract.
class LUMIVEX_API FCWaveDevice {
public:
    static constexpr int32_t kChannels = 64;
    static constexpr int32_t kBuffers = 8;
    static constexpr int32_t kBufferBytes = 8192;
    static constexpr int32_t kNoDevice = -12345;
    static constexpr int32_t kDefaultDevice = -1;
    // Thread messages of the sound thread.
    static constexpr uint32_t WM_SOUND_STOP = 0x622;
    // wParam: channel | milliseconds << 16; lParam: left << 16 | right.
    static constexpr uint32_t WM_SOUND_FADE = 0x623;
    // wParam: channel; lParam: seconds.
    static constexpr uint32_t WM_SOUND_DELAYSTART = 0x624;

    FCWaveDevice(int32_t dialogResource, int32_t listControlId, int32_t textControlId);
    FCWaveDevice(const FCWaveDevice&) = delete;
    FCWaveDevice& operator=(const FCWaveDevice&) = delete;
    virtual ~FCWaveDevice();

    void play(int32_t channel, const char* source, uint32_t flags, uint32_t count, int32_t type, int32_t bufferTenths,
        const ChannelOptions* options, int32_t scrambleSkip, uint32_t scrambleWords, uint32_t scrambleKey,
        int32_t startOffset, int32_t loopStart, int32_t userValue);
    void start(int32_t channel, bool restart);
    // A negative channel stops them all.
    void stop(int32_t channel);
    void stopAll() { stop(-1); }
    // Posts a thread message to the sound thread and waits until it is done;
    // false without a running sound thread.
    bool post(uint32_t message, uintptr_t wParam, intptr_t lParam);
    // Fades a channel on the sound thread (volumes 0..256).
    bool fade(int32_t channel, int32_t left, int32_t right, int32_t milliseconds);

    bool open();
    void close();
    bool output(FCWaveHeader* header);
    void fill(FCWaveHeader* header);
    void reset();
    bool reportError(uint32_t result, const char* caption);
    int32_t getDeviceCpas(int32_t dialogResource);
    int32_t chooseDevice(int32_t dialogResource, const char* message);
    void startThread();
    void stopThread();

    int32_t deviceId;
    int32_t listControlId;
    int32_t textControlId;
    uint8_t enabled;
    uint8_t threadRunning;
    uint8_t reportErrors;
    uint8_t mute;
    void* handle; // HWAVEOUT
    FCWaveFormat format;
    FCWaveOutCaps caps;
    FCWaveHeader headers[kBuffers];
    FCThread thread;
    int32_t* mix;
    FCEvent threadEvent;
    FCEvent deviceEvent;
    FCWaveChannel channels[kChannels];
    FCXList<FCWaveChannel> active;
    FCCriticalSection activeLock;
    FCXQue<FCWaveRecData> recordsAll;
    FCXQue<FCWaveRecData> recordsFree;
    FCXQue<FCWaveRecData> recordsFull;
    FCCriticalSection recordLock;
    int32_t captureOn;
};

// The process-wide table of output devices (number and capabilities, in
// ascending order); clearFirst empties it before it is filled again.
LUMIVEX_API void enumerateDevices(bool clearFirst);
