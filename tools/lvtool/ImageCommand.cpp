#include "tools/lvtool/ImageCommand.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/FCFile.h"
#include "image/ImageProbe.h"
#include "image/McgWriter.h"
#include "surface/PixelBlend.h"
#include "surface/Resample.h"
#include "tools/lvtool/PictureFiles.h"
#include "tools/lvtool/ToolSupport.h"

#if defined(_WIN32)
#include <io.h>
#define isTerminal(fd) _isatty(fd)
#else
#include <unistd.h>
#define isTerminal(fd) isatty(fd)
#endif

namespace {

int imageUsage()
{
    std::fprintf(stderr,
        "usage: lvtool image info [--key K] IN...\n"
        "       lvtool image decode [--key K] [--ignore-mask] IN OUT.pam\n"
        "       lvtool image encode (--plain | --keyed [--method 0|3|raw] [--key K] [--mask none|17|256]) IN OUT.mcg\n"
        "       lvtool image convert [--key K] IN OUT.png|OUT.bmp\n"
        "       lvtool image scale --filter lanczos|bilinear W H IN OUT.pam\n"
        "  decode, encode and convert also take several inputs followed by an existing\n"
        "  folder: each output is named after its input (convert: --format png|bmp).\n");
    return 2;
}

struct Options {
    long long key = 0;
    bool ignoreMask = false;
    bool plain = false;
    bool keyedLayout = false;
    McgWriter::Encoding encoding = McgWriter::Encoding::Lzss3;
    int32_t mask = -1; // -1: 256 levels when the picture has alpha, else none
    std::string format = "png";
};

// One file's work; false with a reason.
using Job = bool (*)(const Options&, const char* in, const char* out, std::string& reason);

bool pictureFrom(const Options& options, const char* in, bool forEncoding, ToolPicture& picture, std::string& reason)
{
    PictureSource source;
    if (!readPicture(in, static_cast<uint32_t>(options.key), options.ignoreMask, picture, source, reason))
        return false;
    if (source == PictureSource::LockedMcg && forEncoding) {
        reason = "the image needs its key (--key)";
        return false;
    }
    if (source == PictureSource::LockedMcg)
        std::fprintf(stderr, "lvtool: %s: no key: the placeholder picture\n", in);
    // A 32-bit BMP that uses its fourth byte carries alpha there.
    if (forEncoding && !picture.hasAlpha()) {
        FCFile file;
        uint8_t bytes[32] = {};
        if (file.open(in, FCFile::kOpenExisting, FCFile::kRead, FCFile::kShareRead, 0x80, true) == 0
            && file.read(bytes, 32) == 32 && classifyImage(bytes, 32) == kImageBmp && bytes[28] == 32) {
            std::vector<uint8_t> alpha(picture.pixels.size() / 4);
            bool used = false;
            for (size_t i = 0; i < alpha.size(); ++i) {
                alpha[i] = picture.pixels[4 * i + 3];
                used |= alpha[i] != 0;
            }
            if (used) {
                picture.alpha = std::move(alpha);
                for (size_t i = 0; i < picture.alpha.size(); ++i)
                    picture.pixels[4 * i + 3] = 0;
            }
        }
    }
    return true;
}

bool decodeOne(const Options& options, const char* in, const char* out, std::string& reason)
{
    ToolPicture picture;
    if (!pictureFrom(options, in, false, picture, reason))
        return false;
    if (!writePam(out, picture)) {
        reason = std::string("cannot write ") + out;
        return false;
    }
    return true;
}

bool encodeOne(const Options& options, const char* in, const char* out, std::string& reason)
{
    ToolPicture picture;
    if (!pictureFrom(options, in, true, picture, reason))
        return false;
    std::vector<uint8_t> mcg;
    if (options.plain) {
        mcg = McgWriter::writePlain(picture.pixels.data(), picture.width, picture.height);
    } else {
        McgWriter::KeyedOptions keyed;
        keyed.encoding = options.encoding;
        keyed.key = static_cast<uint32_t>(options.key);
        keyed.maskLevels = options.mask >= 0 ? options.mask : (picture.hasAlpha() ? 256 : 0);
        mcg = McgWriter::writeKeyed(picture.pixels.data(), picture.hasAlpha() ? picture.alpha.data() : nullptr,
            picture.width, picture.height, keyed);
    }
    if (mcg.empty()) {
        reason = "cannot be encoded";
        return false;
    }
    if (!writeWholeFile(out, mcg.data(), mcg.size())) {
        reason = std::string("cannot write ") + out;
        return false;
    }
    return true;
}

bool endsWith(const std::string& text, const char* tail)
{
    const size_t n = std::strlen(tail);
    if (text.size() < n)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - n + i])) != tail[i])
            return false;
    return true;
}

bool convertOne(const Options& options, const char* in, const char* out, std::string& reason)
{
    ToolPicture picture;
    if (!pictureFrom(options, in, true, picture, reason))
        return false;
    const bool bmp = endsWith(out, ".bmp");
    if (!bmp && !endsWith(out, ".png")) {
        reason = std::string("the output must end in .png or .bmp: ") + out;
        return false;
    }
    if (!(bmp ? writeBmp(out, picture) : writePng(out, picture))) {
        reason = std::string("cannot write ") + out;
        return false;
    }
    return true;
}

bool infoOne(const Options& options, const char* in, bool named, std::string& reason)
{
    FCFile file;
    if (file.open(in, FCFile::kOpenExisting, FCFile::kRead, FCFile::kShareRead, 0x80, true) != 0) {
        reason = "cannot read the file";
        return false;
    }
    const ImageProbe probe = probeImage(file, static_cast<int32_t>(options.key));
    if (probe.kind == kImageNotRecognised) {
        reason = "not an image lvtool recognises";
        return false;
    }
    std::printf("%s%skind=%d width=%d height=%d bpp=%d alpha=%d\n", named ? in : "", named ? ": " : "", probe.kind,
        probe.width, probe.height, probe.bitsPerPixel, probe.alphaKind);
    return true;
}

// IN as a 24-bit surface holds it, scaled to w x h the way the surface
// scales: Lanczos through resample (equal sizes: a blend into a new
// zero-filled surface without alpha), bilinear through the fallback scaler.
bool scaleOne(bool lanczos, int32_t w, int32_t h, const char* in, const char* out, std::string& reason)
{
    ToolPicture source;
    if (!pictureFrom(Options(), in, false, source, reason))
        return false;
    ToolPicture scaled;
    scaled.width = w;
    scaled.height = h;
    scaled.pixels.assign(size_t(w) * size_t(h) * 4, 0);
    // Rows are bottom-up: start at the top row and step backwards.
    const ptrdiff_t srcStride = -ptrdiff_t(source.width) * 4, dstStride = -ptrdiff_t(w) * 4;
    const uint8_t* src = source.pixels.data() + (size_t(source.height) - 1) * size_t(source.width) * 4;
    uint8_t* dst = scaled.pixels.data() + (size_t(h) - 1) * size_t(w) * 4;
    Resample::Outcome outcome = lanczos
        ? Resample::resample(dst, dstStride, w, h, src, srcStride, source.width, source.height)
        : Resample::fallbackScale(dst, dstStride, w, h, src, srcStride, source.width, source.height);
    if (outcome == Resample::Outcome::UseFallback)
        outcome = Resample::fallbackScale(dst, dstStride, w, h, src, srcStride, source.width, source.height);
    if (outcome == Resample::Outcome::NoResampleNeeded) {
        const uint8_t* alpha
            = source.hasAlpha() ? source.alpha.data() + (size_t(source.height) - 1) * size_t(source.width) : nullptr;
        PixelBlend::blendMask(
            dst, dstStride, src, srcStride, alpha, -ptrdiff_t(source.width), nullptr, 0, w, h, PixelBlend::kMaxLevel);
        outcome = Resample::Outcome::Done;
    }
    if (outcome != Resample::Outcome::Done) {
        reason = "cannot be scaled";
        return false;
    }
    if (!writePam(out, scaled)) {
        reason = std::string("cannot write ") + out;
        return false;
    }
    return true;
}

int runScale(int argc, char** argv)
{
    // scale --filter F W H IN OUT.pam
    long long w = 0, h = 0;
    if (argc != 7 || std::strcmp(argv[1], "--filter") != 0
        || (std::strcmp(argv[2], "lanczos") != 0 && std::strcmp(argv[2], "bilinear") != 0) || !parseNumber(argv[3], w)
        || !parseNumber(argv[4], h) || w < 1 || h < 1 || w * h > (1LL << 28))
        return imageUsage();
    const bool lanczos = std::strcmp(argv[2], "lanczos") == 0;
    std::string reason;
    try {
        if (scaleOne(lanczos, static_cast<int32_t>(w), static_cast<int32_t>(h), argv[5], argv[6], reason))
            return 0;
    } catch (...) {
        reason = currentFailure();
    }
    return fail(argv[5], reason.c_str());
}

// Shows how far a batch is, on the terminal only.
class Progress {
public:
    Progress(size_t total, bool batch)
        : m_total(total)
        , m_shown(batch && isTerminal(2))
    {
    }
    void step(size_t done, const char* name)
    {
        if (!m_shown)
            return;
        constexpr int kWidth = 30;
        const int filled = static_cast<int>(done * kWidth / (m_total ? m_total : 1));
        std::string bar(static_cast<size_t>(filled), '#');
        bar.resize(kWidth, '.');
        std::fprintf(stderr, "\r[%s] %zu/%zu %-40.40s", bar.c_str(), done, m_total, name);
        std::fflush(stderr);
    }
    // Clears the bar before a message or at the end.
    void clear()
    {
        if (m_shown)
            std::fprintf(stderr, "\r%-*s\r", 80, "");
    }

private:
    size_t m_total;
    bool m_shown;
};

// Runs one file's job: a failure of any kind (memory, the host's
// exceptions) fails that file with a reason, never the whole tool.
template <typename Work> bool guarded(std::string& reason, Work work)
{
    try {
        return work();
    } catch (...) {
        reason = currentFailure();
    }
    return false;
}

int runBatch(Job job, const Options& options, const std::vector<std::string>& inputs, const std::string& folder,
    const char* extension)
{
    Progress progress(inputs.size(), true);
    int failures = 0;
    std::vector<std::string> written;
    for (size_t i = 0; i < inputs.size(); ++i) {
        progress.step(i, inputs[i].c_str());
        std::filesystem::path out = std::filesystem::path(folder) / std::filesystem::path(inputs[i]).stem();
        out += extension;
        std::string reason;
        // Two inputs of one name would write one output: the second fails.
        bool ok = std::find(written.begin(), written.end(), out.string()) == written.end();
        if (!ok)
            reason = "another input of this batch already wrote " + out.string();
        else
            ok = guarded(reason, [&] { return job(options, inputs[i].c_str(), out.string().c_str(), reason); });
        if (ok)
            written.push_back(out.string());
        if (!ok) {
            progress.clear();
            fail(inputs[i].c_str(), reason.c_str());
            ++failures;
        }
    }
    progress.step(inputs.size(), "");
    progress.clear();
    if (failures && inputs.size() > 1)
        std::fprintf(stderr, "lvtool: %d of %zu files failed\n", failures, inputs.size());
    return failures ? 1 : 0;
}

bool isFolder(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

} // namespace

int runImageCommand(int argc, char** argv)
{
    if (argc < 1)
        return imageUsage();
    const std::string command = argv[0];
    if (command == "scale")
        return runScale(argc, argv);
    if (command != "info" && command != "decode" && command != "encode" && command != "convert")
        return imageUsage();

    Options options;
    bool formatGiven = false;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--key" && hasValue) {
            if (!parseNumber(argv[++i], options.key) || options.key < 0 || options.key > 0xFFFFFFFFLL)
                return imageUsage();
        } else if (arg == "--ignore-mask" && command == "decode") {
            options.ignoreMask = true;
        } else if (arg == "--plain" && command == "encode") {
            options.plain = true;
        } else if (arg == "--keyed" && command == "encode") {
            options.keyedLayout = true;
        } else if (arg == "--method" && hasValue && command == "encode") {
            const std::string method = argv[++i];
            if (method == "0")
                options.encoding = McgWriter::Encoding::Lzss0;
            else if (method == "3")
                options.encoding = McgWriter::Encoding::Lzss3;
            else if (method == "raw")
                options.encoding = McgWriter::Encoding::Raw;
            else
                return imageUsage();
        } else if (arg == "--mask" && hasValue && command == "encode") {
            const std::string mask = argv[++i];
            if (mask == "none")
                options.mask = 0;
            else if (mask == "17")
                options.mask = 17;
            else if (mask == "256")
                options.mask = 256;
            else
                return imageUsage();
        } else if (arg == "--format" && hasValue && command == "convert") {
            options.format = argv[++i];
            formatGiven = true;
            if (options.format != "png" && options.format != "bmp")
                return imageUsage();
        } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
            return imageUsage();
        } else {
            files.push_back(arg);
        }
    }
    if (command == "encode" && options.plain == options.keyedLayout)
        return imageUsage();
    // The plain layout has no key, mask or method.
    if (options.plain && (options.key || options.mask >= 0))
        return imageUsage();

    if (command == "info") {
        if (files.empty())
            return imageUsage();
        int failures = 0;
        for (size_t i = 0; i < files.size(); ++i) {
            std::string reason;
            if (!guarded(reason, [&] { return infoOne(options, files[i].c_str(), files.size() > 1, reason); })) {
                fail(files[i].c_str(), reason.c_str());
                ++failures;
            }
        }
        return failures ? 1 : 0;
    }

    if (files.size() < 2)
        return imageUsage();
    Job job = command == "decode" ? decodeOne : command == "encode" ? encodeOne : convertOne;
    const std::string last = files.back();
    if (isFolder(last)) {
        files.pop_back();
        const char* extension = command == "decode" ? ".pam"
            : command == "encode"                   ? ".mcg"
            : options.format == "bmp"               ? ".bmp"
                                                    : ".png";
        return runBatch(job, options, files, last, extension);
    }
    if (files.size() != 2 || formatGiven)
        return imageUsage();
    std::string reason;
    if (!guarded(reason, [&] { return job(options, files[0].c_str(), files[1].c_str(), reason); }))
        return fail(files[0].c_str(), reason.c_str());
    return 0;
}
