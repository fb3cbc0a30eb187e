#include <benchmark/benchmark.h>

#include <mpg123.h>
#include <vorbis/vorbisfile.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "foundation/FCPath.h"
#include "sound/FCWaveDecoder.h"
#include "tests/sound/SoundTestFiles.h"

// One minute of each format decoded into 8192-byte blocks, beside the
// library's own loop over the same bytes (mpg123 and vorbisfile decoding to
// memory) or memcpy of the samples (PCM). The MP3 and Ogg minutes are made
// at build time by lame and oggenc from the same signal (pink noise on the
// left, a sine on the right); PCM and IMA ADPCM are made here. The rate
// counter "realtime" is seconds of sound decoded per second.

using namespace soundtest;

namespace {

constexpr int kSeconds = 60;
constexpr size_t kFrames = size_t(kSeconds) * 44100;

#ifndef LUMIVEX_SOUND_BENCH_DIR
#define LUMIVEX_SOUND_BENCH_DIR ""
#endif

// A sound file that lives as long as the program.
struct BenchFile {
    std::string path;
    Bytes content;
    BenchFile(const char* name, Bytes bytes)
        : path(tempPath(name))
        , content(std::move(bytes))
    {
        writeFile(path, content);
    }
    ~BenchFile() { FCPath::deleteFile(path.c_str()); }
};

Bytes pcmSamples()
{
    std::mt19937 random(7);
    Bytes data;
    data.reserve(kFrames * 4);
    for (size_t i = 0; i < kFrames; ++i) {
        put16(data, uint16_t(int16_t(random() % 20000) - 10000));
        put16(data, uint16_t(int16_t(8000 * ((i / 50) % 2 ? 1 : -1))));
    }
    return data;
}

const BenchFile& pcmFile()
{
    static const BenchFile file("bench-pcm.wav", makeWave(WaveFields {}, pcmSamples()));
    return file;
}

const BenchFile& adpcmFile()
{
    // Stereo blocks of 2048 bytes (4089 frames); the nibbles are random,
    // which costs the decoder as much as any sound.
    static const BenchFile file("bench-ima.wav", [] {
        std::mt19937 random(11);
        const size_t blockAlign = 2048, frames = 1 + (blockAlign - 8);
        Bytes data((kFrames / frames + 1) * blockAlign);
        for (size_t at = 0; at < data.size(); ++at)
            data[at] = uint8_t(random());
        for (size_t at = 0; at < data.size(); at += blockAlign)
            data[at + 2] = data[at + 6] = 40, data[at + 3] = data[at + 7] = 0;
        WaveFields fields;
        fields.tag = 0x11;
        fields.bits = 4;
        fields.blockAlign = uint16_t(blockAlign);
        fields.samplesPerBlock = uint16_t(frames);
        return makeWave(fields, data);
    }());
    return file;
}

const BenchFile& madeFile(const char* name)
{
    static std::vector<std::unique_ptr<BenchFile>> files;
    for (auto& file : files)
        if (file->path.find(name) != std::string::npos)
            return *file;
    files.push_back(std::make_unique<BenchFile>(name, readFile(std::string(LUMIVEX_SOUND_BENCH_DIR) + name)));
    return *files.back();
}

void decodeWhole(benchmark::State& state, int32_t type, const BenchFile& file)
{
    if (file.content.empty()) {
        state.SkipWithError("input missing (lame or oggenc at build time)");
        return;
    }
    std::unique_ptr<FCWaveDecoder> decoder(createWaveDecoder(type));
    if (!decoder->open(file.path.c_str(), -1)) {
        state.SkipWithError("cannot open the input");
        return;
    }
    std::vector<int16_t> samples(SoundBlock::kBytes / 2);
    SoundBlock block { samples.data(), 0, 0, SoundBlock::kBytes, 0 };
    for (auto _ : state) {
        decoder->rewind();
        while (decoder->decode(&block))
            benchmark::DoNotOptimize(samples.data());
    }
    state.counters["realtime"] = benchmark::Counter(double(kSeconds), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Pcm_Decoder(benchmark::State& state)
{
    decodeWhole(state, FCWaveDecoder::kPcm, pcmFile());
}

void BM_Pcm_Memcpy(benchmark::State& state)
{
    const Bytes& samples = pcmFile().content;
    std::vector<uint8_t> block(SoundBlock::kBytes);
    for (auto _ : state) {
        for (size_t at = 44; at + block.size() <= samples.size(); at += block.size()) {
            std::memcpy(block.data(), samples.data() + at, block.size());
            benchmark::DoNotOptimize(block.data());
        }
    }
    state.counters["realtime"] = benchmark::Counter(double(kSeconds), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Adpcm_Decoder(benchmark::State& state)
{
    decodeWhole(state, FCWaveDecoder::kAdpcm, adpcmFile());
}

// The ADPCM decoder does its work at open: that too, for the whole minute.
void BM_Adpcm_OpenAndDecode(benchmark::State& state)
{
    std::unique_ptr<FCWaveDecoder> decoder(createWaveDecoder(FCWaveDecoder::kAdpcm));
    std::vector<int16_t> samples(SoundBlock::kBytes / 2);
    SoundBlock block { samples.data(), 0, 0, SoundBlock::kBytes, 0 };
    for (auto _ : state) {
        if (!decoder->open(adpcmFile().path.c_str(), -1)) {
            state.SkipWithError("cannot open the input");
            return;
        }
        while (decoder->decode(&block))
            benchmark::DoNotOptimize(samples.data());
    }
    state.counters["realtime"] = benchmark::Counter(double(kSeconds), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Mp3_Decoder(benchmark::State& state)
{
    decodeWhole(state, FCWaveDecoder::kMp3, madeFile("minute.mp3"));
}

// libmpg123's own loop: the whole file fed from memory, read 8192 bytes at
// a time, with the decoder's settings (no gapless trimming, 16-bit).
void BM_Mp3_Library(benchmark::State& state)
{
    const Bytes& mp3 = madeFile("minute.mp3").content;
    if (mp3.empty()) {
        state.SkipWithError("input missing (lame at build time)");
        return;
    }
    mpg123_init();
    std::vector<unsigned char> out(SoundBlock::kBytes);
    for (auto _ : state) {
        mpg123_handle* handle = mpg123_new(nullptr, nullptr);
        mpg123_param(handle, MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0);
        mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
        mpg123_open_feed(handle);
        mpg123_feed(handle, mp3.data(), mp3.size());
        size_t done = 0;
        int result;
        while (
            (result = mpg123_read(handle, out.data(), out.size(), &done)) == MPG123_OK || result == MPG123_NEW_FORMAT)
            benchmark::DoNotOptimize(out.data());
        mpg123_delete(handle);
    }
    state.counters["realtime"] = benchmark::Counter(double(kSeconds), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Vorbis_Decoder(benchmark::State& state)
{
    decodeWhole(state, FCWaveDecoder::kVorbis, madeFile("minute.ogg"));
}

// vorbisfile's own loop from memory: ov_read of 16-bit samples, 8192 bytes at a time.
void BM_Vorbis_Library(benchmark::State& state)
{
    const Bytes& ogg = madeFile("minute.ogg").content;
    if (ogg.empty()) {
        state.SkipWithError("input missing (oggenc at build time)");
        return;
    }
    std::vector<char> out(SoundBlock::kBytes);
    for (auto _ : state) {
        MemoryStream memory { &ogg, 0 };
        OggVorbis_File file;
        ov_callbacks callbacks = { readMemory, nullptr, nullptr, nullptr };
        if (ov_open_callbacks(&memory, &file, nullptr, 0, callbacks) != 0) {
            state.SkipWithError("vorbisfile refuses the input");
            return;
        }
        int section = 0;
        while (ov_read(&file, out.data(), int(out.size()), 0, 2, 1, &section) > 0)
            benchmark::DoNotOptimize(out.data());
        ov_clear(&file);
    }
    state.counters["realtime"] = benchmark::Counter(double(kSeconds), benchmark::Counter::kIsIterationInvariantRate);
}

} // namespace

BENCHMARK(BM_Pcm_Decoder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pcm_Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Adpcm_Decoder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Adpcm_OpenAndDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mp3_Decoder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mp3_Library)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Vorbis_Decoder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Vorbis_Library)->Unit(benchmark::kMillisecond);
