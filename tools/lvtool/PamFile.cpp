#include "tools/lvtool/PamFile.h"

#include <algorithm>
#include <string_view>

namespace {

// Pictures above this many pixels are refused before anything is allocated;
// each dimension is checked on its own first, so no product can overflow.
constexpr uint64_t kMaxPixels = uint64_t(1) << 26;

// A header number: decimal digits, saturating above kMaxPixels.
uint64_t headerNumber(std::string_view field)
{
    uint64_t value = 0;
    for (char c : field) {
        if (c < '0' || c > '9')
            return 0;
        value = std::min<uint64_t>(value * 10 + uint64_t(c - '0'), kMaxPixels + 1);
    }
    return value;
}

std::string_view nextToken(std::string_view& line)
{
    const size_t start = line.find_first_not_of(" \t\r");
    if (start == std::string_view::npos) {
        line = {};
        return {};
    }
    line.remove_prefix(start);
    const size_t end = std::min(line.find_first_of(" \t\r"), line.size());
    std::string_view token = line.substr(0, end);
    line.remove_prefix(end);
    return token;
}

} // namespace

bool readPamBytes(const uint8_t* data, size_t size, ToolPicture& picture, std::string& reason)
{
    // The header is text lines after "P7" up to ENDHDR, within the first KiB.
    const std::string_view text(reinterpret_cast<const char*>(data), std::min<size_t>(size, 1024));
    if (text.substr(0, 3) != "P7\n") {
        reason = "not a PAM file";
        return false;
    }
    const size_t end = text.find("ENDHDR\n", 3);
    if (end == std::string_view::npos) {
        reason = "PAM header without ENDHDR";
        return false;
    }
    uint64_t width = 0, height = 0, depth = 0, maxval = 0;
    std::string_view header = text.substr(3, end - 3);
    while (!header.empty()) {
        const size_t lineEnd = std::min(header.find('\n'), header.size());
        std::string_view line = header.substr(0, lineEnd);
        header.remove_prefix(std::min(lineEnd + 1, header.size()));
        const std::string_view key = nextToken(line);
        const uint64_t value = headerNumber(nextToken(line));
        if (key == "WIDTH")
            width = value;
        else if (key == "HEIGHT")
            height = value;
        else if (key == "DEPTH")
            depth = value;
        else if (key == "MAXVAL")
            maxval = value;
    }
    if (width < 1 || height < 1 || width > kMaxPixels || height > kMaxPixels || width * height > kMaxPixels || depth < 1
        || depth > 4 || maxval != 255) {
        reason = "PAM of a size, depth or MAXVAL lvtool does not take (MAXVAL 255, DEPTH 1 to 4, at most "
                 "67108864 pixels)";
        return false;
    }
    const size_t at = end + 7;
    const size_t pixels = size_t(width) * size_t(height);
    const size_t need = pixels * size_t(depth);
    if (size - at < need) {
        reason = "PAM shorter than its header says";
        return false;
    }
    picture.width = static_cast<int32_t>(width);
    picture.height = static_cast<int32_t>(height);
    picture.pixels.assign(pixels * 4, 0);
    const bool alpha = depth == 2 || depth == 4;
    const bool grey = depth <= 2;
    picture.alpha.assign(alpha ? pixels : 0, 0);
    for (size_t y = 0; y < height; ++y) {
        const uint8_t* from = data + at + y * size_t(width) * size_t(depth);
        // Rows go bottom-up, as the surface keeps them.
        const size_t row = (size_t(height) - 1 - y) * size_t(width);
        for (size_t x = 0; x < width; ++x, from += depth) {
            uint8_t* to = &picture.pixels[(row + x) * 4];
            to[0] = grey ? from[0] : from[2];
            to[1] = grey ? from[0] : from[1];
            to[2] = from[0];
            if (alpha)
                picture.alpha[row + x] = from[depth - 1];
        }
    }
    return true;
}
