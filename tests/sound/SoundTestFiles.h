#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/FCPath.h"
#include "sound/FCWaveDecoder.h"
#include "sound/SoundBlock.h"

// Sound files for the decoders' tests, fuzz targets and benchmarks: built
// in memory, written to the temporary folder, decoded block by block.
namespace soundtest {

using Bytes = std::vector<uint8_t>;

inline void put16(Bytes& out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

inline void put32(Bytes& out, uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

inline void putTag(Bytes& out, const char* tag)
{
    out.insert(out.end(), tag, tag + 4);
}

struct WaveFields {
    uint16_t tag = 1;
    uint16_t channels = 2;
    uint32_t rate = 44100;
    uint16_t bits = 16;
    uint16_t blockAlign = 0; // 0: channels * bits / 8
    uint16_t samplesPerBlock = 0; // written (with the extra-size field) when nonzero
    uint32_t dataLength = 0xFFFFFFFF; // 0xFFFFFFFF: the data's size
};

// A RIFF/WAVE file: "fmt " first, then the chunks of `between`, then "data".
inline Bytes makeWave(const WaveFields& f, const Bytes& data, const Bytes& between = {})
{
    Bytes out;
    putTag(out, "RIFF");
    put32(out, 0);
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    put32(out, f.samplesPerBlock ? 20 : 16);
    uint16_t align = f.blockAlign ? f.blockAlign : uint16_t(f.channels * f.bits / 8);
    put16(out, f.tag);
    put16(out, f.channels);
    put32(out, f.rate);
    put32(out, f.rate * align);
    put16(out, align);
    put16(out, f.bits);
    if (f.samplesPerBlock) {
        put16(out, 2);
        put16(out, f.samplesPerBlock);
    }
    out.insert(out.end(), between.begin(), between.end());
    putTag(out, "data");
    put32(out, f.dataLength == 0xFFFFFFFF ? uint32_t(data.size()) : f.dataLength);
    out.insert(out.end(), data.begin(), data.end());
    uint32_t riff = uint32_t(out.size() - 8);
    std::memcpy(out.data() + 4, &riff, 4);
    return out;
}

inline std::string tempPath(const std::string& name)
{
    const char* folder = std::getenv("TMPDIR");
#if defined(_WIN32)
    if (!folder)
        folder = std::getenv("TEMP");
    std::string path = std::string(folder ? folder : ".") + "\\";
#else
    std::string path = std::string(folder ? folder : "/tmp") + "/";
#endif
    static unsigned counter = 0;
    return path + "lumivex-sound-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + "-"
        + std::to_string(++counter) + "-" + name;
}

inline bool writeFile(const std::string& path, const uint8_t* data, size_t size)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = size == 0 || std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && ok;
}

inline bool writeFile(const std::string& path, const Bytes& data)
{
    return writeFile(path, data.data(), data.size());
}

inline Bytes readFile(const std::string& path)
{
    Bytes content;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return content;
    uint8_t buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        content.insert(content.end(), buffer, buffer + got);
    std::fclose(file);
    return content;
}

// Bytes read from memory through a C stream callback (fread's shape, as
// vorbisfile takes it).
struct MemoryStream {
    const Bytes* bytes;
    size_t at;
};

inline size_t readMemory(void* out, size_t size, size_t count, void* source)
{
    auto* stream = static_cast<MemoryStream*>(source);
    size_t n = size * count < stream->bytes->size() - stream->at ? size * count : stream->bytes->size() - stream->at;
    std::memcpy(out, stream->bytes->data() + stream->at, n);
    stream->at += n;
    return size ? n / size : 0;
}

// A file in the temporary folder, removed with the object.
class TempFile {
public:
    explicit TempFile(const Bytes& content, const char* name = "sound.bin")
        : m_path(tempPath(name))
        , m_written(writeFile(m_path, content))
    {
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() { FCPath::deleteFile(m_path.c_str()); }
    const char* path() const { return m_path.c_str(); }
    bool written() const { return m_written; }

private:
    std::string m_path;
    bool m_written;
};

struct Decoded {
    std::vector<int16_t> samples; // every block's samples in turn
    std::vector<uint32_t> flags; // each block's flags after its decode
    size_t blocks() const { return flags.size(); }
};

// Successive decode calls into cleared blocks of `capacity` bytes, as the
// channel makes them, until the decoder ends or maxBlocks were decoded.
inline Decoded decodeAll(
    FCWaveDecoder& decoder, size_t maxBlocks = 100000, int32_t capacity = SoundBlock::kBytes, uint32_t extraFlags = 0)
{
    Decoded result;
    std::vector<int16_t> data(size_t(capacity) / 2 + 1);
    for (size_t i = 0; i < maxBlocks; ++i) {
        std::memset(data.data(), 0, data.size() * 2);
        SoundBlock block { data.data(), SoundBlock::kSilent | extraFlags, 0, capacity, capacity };
        if (!decoder.decode(&block))
            break;
        result.samples.insert(result.samples.end(), data.begin(), data.begin() + capacity / 2);
        result.flags.push_back(block.flags);
    }
    return result;
}

} // namespace soundtest
