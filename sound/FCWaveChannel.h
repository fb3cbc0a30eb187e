#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "foundation/FCSync.h"
#include "foundation/LumivexApi.h"
#include "sound/SoundBlock.h"

class FCWaveDecoder;
class FCWaveNotify;
class UxFFT;

// Called as callback(index, event, position, flags): event 1 after a
// decoder was opened, 2 after one was released, 3 after each mixing attempt.
using ChannelCallback = void (*)(int32_t index, int32_t event, int32_t position, uint32_t flags);

// The effects a play may ask for: a mask, then five values.
struct ChannelOptions {
    enum Mask : uint32_t { kEcho = 0x1, kFilter1 = 0x10, kFilter2 = 0x20 };
    uint32_t mask;
    int32_t values[5]; // echo delay (frames), level (of 256), repeats; filter values 1 and 2
};

// One sound at a time for one of the wave device's 64 channels: the
// decoder, the blocks decoded ahead, volume and fades, loops and interval
// repeats, the echo and the low pass, and the notifications. Scenario code
// reaches the members directly: order and width are part of its contract.
class LUMIVEX_API FCWaveChannel {
public:
    enum Flag : uint32_t {
        kPreload = 0x1,
        kLoop = 0x2,
        kInterval = 0x4,
        kEcho = 0x100,
        kFilter1 = 0x1000,
        kFilter2 = 0x2000,
        kEffects = 0xFF00,
        kEndOfData = 0x04000000,
        kActive = 0x08000000,
        kSkipMix = 0x10000000, // this bit and above: the mixer takes nothing
        kWaiting = 0x40000000,
        kLoaded = 0x80000000,
    };
    enum Answer : int32_t { kEnded = 0, kMixed = 1, kSkipped = 2 };
    enum CallbackEvent : int32_t { kDecoderOpened = 1, kDecoderReleased = 2, kMixAttempt = 3 };
    static constexpr int32_t kHistoryBlocks = 10;
    // A tenth of a second of output.
    static constexpr int32_t kTenthBytes = 17640;
    static constexpr int32_t kSecondBytes = 176400;
    // Read-ahead longer than this many tenths is cut to it.
    static constexpr int32_t kMaxBufferTenths = 600;

    FCWaveChannel();
    FCWaveChannel(const FCWaveChannel&) = delete;
    FCWaveChannel& operator=(const FCWaveChannel&) = delete;
    virtual ~FCWaveChannel();

    // Loads a sound (type -1 detects it); the missing and unknown cases are
    // told in a message box and leave the channel without a decoder.
    void play(int32_t index, const char* source, uint32_t flags, uint32_t count, int32_t type, int32_t bufferTenths,
        int32_t decoderArgument, const ChannelOptions* options, int32_t scrambleSkip, uint32_t scrambleWords,
        uint32_t scrambleKey, int32_t startOffset, int32_t loopStart, int32_t userValue);
    // 0: nothing to start; 1: start now; -s: start after s seconds.
    int32_t activate();
    void rewind();
    void stop(bool byRequest);
    // 0: ended; 1: one block consumed; 2: nothing this time.
    int32_t mixBlock(int32_t* accumulator);
    void decodeAhead(uint32_t maximum);
    void fade(int32_t left, int32_t right, int32_t milliseconds);
    void setVolume(int32_t left, int32_t right);
    bool onTimer(uint32_t id);
    void delayStart(int32_t seconds);
    void decode();
    void unload();
    void skipBytes(int32_t bytes);

    int32_t index;
    uint32_t flags;
    uint32_t count;
    FCWaveDecoder* decoder;
    int32_t bufferTenths;
    uint32_t timerId;
    FCEvent idleEvent;
    int32_t gainL;
    int32_t gainR;
    int32_t fadeFromL;
    int32_t fadeFromR;
    int32_t fadeToL;
    int32_t fadeToR;
    int32_t fadeSteps;
    int32_t fadeStep;
    FCCriticalSection lock;
    std::deque<SoundBlock*> freeBlocks;
    std::deque<SoundBlock*> readyBlocks;
    int32_t loopStart;
    int32_t userValue;
    std::deque<SoundBlock*> history;
    int32_t echoDelay;
    int32_t echoLevel;
    int32_t echoRepeats;
    UxFFT* analyser;
    int32_t filterValue1;
    int32_t filterValue2;
    FCWaveNotify* notifyA;
    int32_t notifyAValue;
    FCWaveNotify* notifyB;
    int32_t notifyBValue;
    ChannelCallback callback;
    int32_t position;

private:
    // play's work under the lock: the text of the box to show, if any.
    std::string load(int32_t index, const char* source, uint32_t flags, uint32_t count, int32_t type,
        int32_t bufferTenths, int32_t decoderArgument, const ChannelOptions* options, int32_t scrambleSkip,
        uint32_t scrambleWords, uint32_t scrambleKey, int32_t startOffset, int32_t loopStart, int32_t userValue);
    bool decodeOne(SoundBlock* block);
    bool loopRestart(SoundBlock* block);
    void applyEffects(SoundBlock* block);
    void releaseDecoder();
    void recycleReady();
    void killTimer();
};
