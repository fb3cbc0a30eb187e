#include <windows.h>

#include <climits>
#include <cstring>
#include <new>
#include <string>

#include "foundation/Diagnostic.h"
#include "foundation/UxMessageBox.h"
#include "sound/FCWaveChannel.h"
#include "sound/FCWaveDecoder.h"
#include "sound/FCWaveNotify.h"
#include "sound/UxFFT.h"
#include "sound/WaveMixer.h"

namespace {

constexpr unsigned kBoxStyle = UxMessageBox::kOk | UxMessageBox::kTaskModal | UxMessageBox::kSetForeground;
// 指定されたファイル\n
const char kFileText[] = "\x8Ew\x92\xE8\x82\xB3\x82\xEA\x82\xBD\x83t\x83@\x83\x43\x83\x8B\n";
//  は、\n存在しないか壊れています。無視して処理を継続します。
const char kMissingText[]
    = " \x82\xCD\x81\x41\n\x91\xB6\x8D\xDD\x82\xB5\x82\xC8\x82\xA2\x82\xA9\x89\xF3\x82\xEA\x82\xC4"
      "\x82\xA2\x82\xDC\x82\xB7\x81\x42\x96\xB3\x8E\x8B\x82\xB5\x82\xC4\x8F\x88\x97\x9D\x82\xF0"
      "\x8Cp\x91\xB1\x82\xB5\x82\xDC\x82\xB7\x81\x42";
//  は、\n再生できないフォーマットです。無視して処理を継続します。
const char kUnknownText[]
    = " \x82\xCD\x81\x41\n\x8D\xC4\x90\xB6\x82\xC5\x82\xAB\x82\xC8\x82\xA2\x83t\x83H\x81[\x83}\x83"
      "\x62\x83g\x82\xC5\x82\xB7\x81\x42\x96\xB3\x8E\x8B\x82\xB5\x82\xC4\x8F\x88\x97\x9D\x82\xF0"
      "\x8Cp\x91\xB1\x82\xB5\x82\xDC\x82\xB7\x81\x42";

// Decoders that write 2048 frames a call whatever the block holds.
bool decodesFixedBlocks(FCWaveDecoder* decoder)
{
    int32_t type = decoder->getType();
    return type == FCWaveDecoder::kPcm || type == FCWaveDecoder::kAdpcm || type == FCWaveDecoder::kV;
}

void clearBlock(SoundBlock* block)
{
    std::memset(block->data, 0, size_t(block->capacity));
    block->used = block->capacity;
    block->flags = SoundBlock::kSilent;
}

// A cleared block of `bytes` bytes; null when memory is short.
SoundBlock* newBlock(int32_t bytes, int32_t channel)
{
    SoundBlock* block = new (std::nothrow) SoundBlock {};
    if (!block)
        return nullptr;
    block->data = new (std::nothrow) int16_t[size_t(bytes + 1) / 2];
    if (!block->data) {
        delete block;
        return nullptr;
    }
    block->capacity = bytes;
    block->channel = channel;
    clearBlock(block);
    return block;
}

void deleteBlock(SoundBlock* block)
{
    if (block) {
        delete[] block->data;
        delete block;
    }
}

void deleteAll(std::deque<SoundBlock*>& blocks)
{
    for (SoundBlock* block : blocks)
        deleteBlock(block);
    blocks.clear();
}

} // namespace

FCWaveChannel::FCWaveChannel()
    : index(-1)
    , flags(kLoaded)
    , count(0)
    , decoder(nullptr)
    , bufferTenths(20)
    , timerId(0)
    , gainL(wavemixer::kUnity)
    , gainR(wavemixer::kUnity)
    , fadeFromL(0)
    , fadeFromR(0)
    , fadeToL(0)
    , fadeToR(0)
    , fadeSteps(0)
    , fadeStep(0)
    , loopStart(0)
    , userValue(0)
    , echoDelay(0)
    , echoLevel(0)
    , echoRepeats(0)
    , analyser(nullptr)
    , filterValue1(0)
    , filterValue2(0)
    , notifyA(nullptr)
    , notifyAValue(0)
    , notifyB(nullptr)
    , notifyBValue(0)
    , callback(nullptr)
    , position(0)
{
    idleEvent.create(1, 1);
    try {
        for (int32_t i = 0; i < kHistoryBlocks; ++i) {
            SoundBlock* block = newBlock(SoundBlock::kBytes, -1);
            if (!block)
                throw NotEnoughMemoryException("FCWaveChannel - FCWaveChannel()", kNotEnoughMemoryText);
            history.push_back(block);
        }
        analyser = new UxFFT;
        analyser->setSize(SoundBlock::kFrames);
    } catch (...) {
        deleteAll(history);
        throw;
    }
}

FCWaveChannel::~FCWaveChannel()
{
    unload();
    delete analyser;
    deleteAll(history);
}

void FCWaveChannel::releaseDecoder()
{
    if (!decoder)
        return;
    delete decoder;
    decoder = nullptr;
    if (callback)
        callback(index, kDecoderReleased, position, flags);
}

void FCWaveChannel::recycleReady()
{
    while (!readyBlocks.empty()) {
        freeBlocks.push_back(readyBlocks.front());
        readyBlocks.pop_front();
    }
}

void FCWaveChannel::unload()
{
    FCLock hold(&lock);
    releaseDecoder();
    deleteAll(freeBlocks);
    deleteAll(readyBlocks);
}

void FCWaveChannel::killTimer()
{
    // A thread timer dies only on the thread that made it; one left behind
    // elsewhere is no longer anyone's id and the sound thread drops it.
    if (timerId)
        KillTimer(nullptr, timerId);
    timerId = 0;
}

void FCWaveChannel::play(int32_t newIndex, const char* source, uint32_t newFlags, uint32_t newCount, int32_t type,
    int32_t tenths, int32_t decoderArgument, const ChannelOptions* options, int32_t scrambleSkip,
    uint32_t scrambleWords, uint32_t scrambleKey, int32_t startOffset, int32_t newLoopStart, int32_t newUserValue)
{
    // The box is shown once the lock is free: the mixer takes this lock.
    std::string problem = load(newIndex, source, newFlags, newCount, type, tenths, decoderArgument, options,
        scrambleSkip, scrambleWords, scrambleKey, startOffset, newLoopStart, newUserValue);
    if (!problem.empty())
        UxMessageBox::show(nullptr, problem.c_str(), "FCString class", kBoxStyle);
}

std::string FCWaveChannel::load(int32_t newIndex, const char* source, uint32_t newFlags, uint32_t newCount,
    int32_t type, int32_t tenths, int32_t decoderArgument, const ChannelOptions* options, int32_t scrambleSkip,
    uint32_t scrambleWords, uint32_t scrambleKey, int32_t startOffset, int32_t newLoopStart, int32_t newUserValue)
{
    FCLock hold(&lock);
    idleEvent.set();
    count = newCount;
    flags = newFlags | kLoaded;
    index = newIndex;
    timerId = 0;
    notifyA = nullptr;
    notifyAValue = 0;
    notifyB = nullptr;
    notifyBValue = 0;
    // The read-ahead is kept to a sane length whatever the caller asks.
    bufferTenths = tenths < 0 ? 0 : tenths > kMaxBufferTenths ? kMaxBufferTenths : tenths;
    userValue = newUserValue;
    gainL = gainR = wavemixer::kUnity;
    position = loopStart = newLoopStart;

    for (SoundBlock* block : history)
        clearBlock(block);
    echoDelay = echoLevel = echoRepeats = filterValue1 = filterValue2 = 0;
    if (options) {
        flags &= ~uint32_t(kEcho | kFilter1 | kFilter2);
        if (options->mask & ChannelOptions::kEcho) {
            echoDelay = options->values[0];
            echoLevel = options->values[1];
            echoRepeats = options->values[2];
            // Taps past the kept history cannot sound: keep to those that can.
            int32_t within = wavemixer::echoRepeatsWithinHistory(echoDelay);
            if (echoRepeats > within)
                echoRepeats = within;
            if (echoDelay >= 0 && echoRepeats >= 0 && echoLevel > 0)
                flags |= kEcho;
        }
        if (options->mask & ChannelOptions::kFilter1) {
            filterValue1 = options->values[3];
            flags |= kFilter1;
        }
        if (options->mask & ChannelOptions::kFilter2) {
            filterValue2 = options->values[4];
            flags |= kFilter2;
        }
    }

    releaseDecoder();
    int32_t kind = type == -1 ? detectType(source ? source : "") : type;
    if (kind == FCWaveDecoder::kUnknown || kind == FCWaveDecoder::kUnreadable) {
        std::string text = kFileText;
        text += source ? source : "";
        text += kind == FCWaveDecoder::kUnreadable ? kMissingText : kUnknownText;
        return text;
    }
    decoder = createWaveDecoder(kind);
    if (decoder) {
        decoder->scrambleSkip = scrambleSkip;
        decoder->scrambleWords = scrambleWords;
        decoder->scrambleKey = scrambleKey;
        decoder->open(source ? source : "", decoderArgument);
        if (callback)
            callback(index, kDecoderOpened, position, flags);
    }

    if (flags & kPreload) {
        decode();
    } else {
        recycleReady();
        size_t wanted = size_t(bufferTenths) * kTenthBytes / SoundBlock::kBytes + 1;
        while (freeBlocks.size() > wanted) {
            deleteBlock(freeBlocks.back());
            freeBlocks.pop_back();
        }
        while (freeBlocks.size() < wanted) {
            SoundBlock* block = newBlock(SoundBlock::kBytes, index);
            if (!block)
                throw NotEnoughMemoryException("FCWaveChannel - play()", kNotEnoughMemoryText);
            freeBlocks.push_back(block);
        }
    }
    if (startOffset > 0)
        skipBytes(startOffset);
    if (!(flags & (kInterval | kPreload)))
        decodeAhead(UINT_MAX);
    return {};
}

int32_t FCWaveChannel::activate()
{
    FCLock hold(&lock);
    if ((flags & kActive) || !decoder)
        return 0;
    decoder->startHook();
    idleEvent.set();
    flags = (flags & ~0xF8000000u) | kActive;
    if (!(flags & kInterval))
        return 1;
    flags |= kWaiting;
    return -int32_t(count % 10 + 1);
}

void FCWaveChannel::delayStart(int32_t seconds)
{
    if (!(flags & kInterval))
        return;
    if (timerId)
        KillTimer(nullptr, timerId);
    timerId = uint32_t(SetTimer(nullptr, 0, UINT(seconds < 0 ? 0 : seconds) * 1000, nullptr));
}

void FCWaveChannel::rewind()
{
    FCLock hold(&lock);
    if (!decoder)
        return;
    flags &= ~uint32_t(kEndOfData);
    position = 0;
    decoder->rewind();
    recycleReady();
    if (!(flags & kPreload))
        decodeAhead(UINT_MAX);
}

void FCWaveChannel::stop(bool byRequest)
{
    {
        FCLock hold(&lock);
        if (!decoder || !(flags & kActive))
            return;
        flags &= ~uint32_t(kActive);
        killTimer();
        idleEvent.set();
        decoder->stopHook();
    }
    if (notifyA)
        notifyA->onStopped(byRequest);
    if (notifyB)
        notifyB->onFinished(notifyBValue);
}

int32_t FCWaveChannel::mixBlock(int32_t* accumulator)
{
    if (flags >= kSkipMix)
        return kSkipped;
    FCLock hold(&lock);
    int32_t answer;
    if (!readyBlocks.empty()) {
        SoundBlock* block = readyBlocks.front();
        readyBlocks.pop_front();
        bool added = wavemixer::addBlock(accumulator, *block, gainL, gainR);
        if (notifyA) {
            if (added)
                notifyA->onBlockMixed(notifyAValue);
            else
                notifyA->onBlockSilent(notifyAValue);
        }
        position += SoundBlock::kFrames;
        block->flags |= SoundBlock::kSilent;
        freeBlocks.push_back(block);
        answer = kMixed;
    } else {
        flags |= kWaiting;
        if (flags & kInterval) {
            if (timerId)
                KillTimer(nullptr, timerId);
            timerId = uint32_t(SetTimer(nullptr, 0, UINT(count) * 1000, nullptr));
            answer = kSkipped;
        } else {
            answer = kEnded;
        }
    }
    if (callback)
        callback(index, kMixAttempt, position, flags);
    return answer;
}

void FCWaveChannel::decodeAhead(uint32_t maximum)
{
    if (flags & kEndOfData)
        return;
    FCLock hold(&lock);
    for (uint32_t i = 0; i < maximum && !freeBlocks.empty(); ++i) {
        SoundBlock* block = freeBlocks.front();
        if (!decodeOne(block))
            break;
        freeBlocks.pop_front();
        readyBlocks.push_back(block);
    }
}

bool FCWaveChannel::decodeOne(SoundBlock* block)
{
    if (!decoder || (flags & kEndOfData))
        return false;
    bool filled = decoder->decode(block);
    if (!filled) {
        flags |= kEndOfData;
        if ((flags & kInterval) && count == 0)
            flags = (flags & ~uint32_t(kInterval)) | kLoop;
        if ((flags & kLoop) && loopRestart(block)) {
            flags &= ~uint32_t(kEndOfData);
            filled = true;
        }
    }
    if (filled && (flags & kEffects))
        applyEffects(block);
    return filled;
}

bool FCWaveChannel::loopRestart(SoundBlock* block)
{
    decoder->rewind();
    position = 0;
    if (loopStart > 0) {
        flags &= ~uint32_t(kEndOfData);
        skipBytes(loopStart);
        position = loopStart;
    }
    bool filled = decoder->decode(block);
    if (count != 0 && --count == 0)
        flags &= ~uint32_t(kLoop);
    return filled;
}

void FCWaveChannel::skipBytes(int32_t bytes)
{
    if ((flags & kEndOfData) || bytes < 17 || !decoder)
        return;
    FCLock hold(&lock);
    if (decodesFixedBlocks(decoder)) {
        // These decoders give 2048 frames a call whatever the block holds:
        // the skip is counted in whole blocks, rounded down.
        SoundBlock* block = newBlock(SoundBlock::kBytes, index);
        if (!block)
            return;
        for (int32_t n = bytes / SoundBlock::kBytes; n > 0; --n) {
            block->flags = SoundBlock::kDiscard;
            if (!decoder->decode(block))
                break;
        }
        deleteBlock(block);
        return;
    }
    int32_t seconds = bytes / kSecondBytes;
    int32_t rest = bytes % kSecondBytes;
    if (seconds >= 1 && rest < 4096) {
        --seconds;
        rest += kSecondBytes;
    }
    if (seconds >= 1) {
        SoundBlock* block = newBlock(kSecondBytes, index);
        if (!block)
            return;
        for (; seconds > 0; --seconds) {
            block->flags = SoundBlock::kDiscard;
            if (!decoder->decode(block)) {
                rest = 0;
                break;
            }
            if (flags & kEffects)
                applyEffects(block);
        }
        deleteBlock(block);
    }
    if (rest > 0) {
        SoundBlock* block = newBlock(rest & ~3, index);
        if (!block)
            return;
        block->flags = SoundBlock::kDiscard;
        if (block->capacity > 0 && decoder->decode(block) && (flags & kEffects))
            applyEffects(block);
        deleteBlock(block);
    }
}

void FCWaveChannel::applyEffects(SoundBlock* block)
{
    if (flags & (kFilter1 | kFilter2)) {
        if (analyser)
            analyser->lowPass(*block);
        return;
    }
    // The history keeps copies of the last ten queue blocks; a block of
    // another size (a skip) is copied only as far as a queue block holds.
    SoundBlock* oldest = history.back();
    history.pop_back();
    int32_t bytes = block->used < block->capacity ? block->used : block->capacity;
    if (bytes > oldest->capacity)
        bytes = oldest->capacity;
    if (bytes < 0)
        bytes = 0;
    std::memcpy(oldest->data, block->data, size_t(bytes));
    std::memset(reinterpret_cast<char*>(oldest->data) + bytes, 0, size_t(oldest->capacity - bytes));
    oldest->flags = block->flags & ~uint32_t(SoundBlock::kDiscard);
    oldest->used = bytes;
    history.push_front(oldest);
    if (flags & kEcho) {
        const SoundBlock* taps[kHistoryBlocks];
        for (int32_t i = 0; i < kHistoryBlocks; ++i)
            taps[i] = history[size_t(i)];
        wavemixer::applyEcho(*block, taps, kHistoryBlocks, echoDelay, echoLevel, echoRepeats);
    }
}

void FCWaveChannel::fade(int32_t left, int32_t right, int32_t milliseconds)
{
    if (flags & kInterval) {
        setVolume(left, right);
        return;
    }
    idleEvent.reset();
    fadeFromL = gainL;
    fadeFromR = gainR;
    fadeToL = wavemixer::volumeCurve(left);
    fadeToR = wavemixer::volumeCurve(right);
    fadeSteps = (milliseconds < 0 ? 0 : milliseconds) / 100 + 1;
    fadeStep = 0;
    if (!timerId)
        timerId = uint32_t(SetTimer(nullptr, 0, 100, nullptr));
}

bool FCWaveChannel::onTimer(uint32_t id)
{
    if (id == 0 || id != timerId)
        return false;
    if ((flags & kInterval) && KillTimer(nullptr, id)) {
        timerId = 0;
        FCLock hold(&lock);
        recycleReady();
        if (decoder)
            decoder->rewind();
        position = 0;
        flags &= ~uint32_t(kWaiting | kEndOfData);
        decodeAhead(8);
        return true;
    }
    ++fadeStep;
    int32_t left = wavemixer::fadeGain(fadeFromL, fadeToL, fadeStep, fadeSteps);
    int32_t right = wavemixer::fadeGain(fadeFromR, fadeToR, fadeStep, fadeSteps);
    {
        FCLock hold(&lock);
        gainL = left;
        gainR = right;
    }
    if (fadeStep >= fadeSteps) {
        KillTimer(nullptr, id);
        timerId = 0;
        idleEvent.set();
    }
    return true;
}

void FCWaveChannel::setVolume(int32_t left, int32_t right)
{
    FCLock hold(&lock);
    if (left >= 0)
        gainL = left > 0 ? wavemixer::volumeCurve(left) : 0;
    if (right >= 0)
        gainR = right > 0 ? wavemixer::volumeCurve(right) : 0;
}

void FCWaveChannel::decode()
{
    FCLock hold(&lock);
    // Whole means once: neither a loop nor an endless interval may keep
    // the preload going.
    uint32_t loop = flags & (kLoop | kInterval);
    flags &= ~uint32_t(kLoop | kInterval);
    for (;;) {
        SoundBlock* block;
        if (!freeBlocks.empty()) {
            block = freeBlocks.front();
            freeBlocks.pop_front();
        } else {
            block = newBlock(SoundBlock::kBytes, index);
            if (!block) {
                flags |= loop;
                throw NotEnoughMemoryException("FCWaveChannel - decode()", kNotEnoughMemoryText);
            }
        }
        if (!decodeOne(block)) {
            deleteBlock(block);
            break;
        }
        readyBlocks.push_back(block);
    }
    flags |= loop;
}
