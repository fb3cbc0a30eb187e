#include "surface/ClipRects.h"

#include <algorithm>

namespace {

// One axis of the rule; 64-bit so that hostile values cannot overflow.
void clipAxis(int64_t& d, int64_t& s, int64_t& n)
{
    if (d >= 0 && s < 0) {
        d -= s;
        n += s;
        s = 0;
    } else if (d < 0) {
        if (d < s) {
            s -= d;
            n += d;
            d = 0;
        } else {
            d -= s;
            n += s;
            s = 0;
        }
    }
}

} // namespace

bool clipRects(int32_t srcWidth, int32_t srcHeight, int32_t dstWidth, int32_t dstHeight, int32_t& dx, int32_t& dy,
    int32_t& sx, int32_t& sy, int32_t& w, int32_t& h)
{
    int64_t x = dx, y = dy, u = sx, v = sy, cw = w, ch = h;
    clipAxis(x, u, cw);
    clipAxis(y, v, ch);
    bool left = !(cw < 1 || ch < 1 || x >= dstWidth || u >= srcWidth || y >= dstHeight || v >= srcHeight);
    if (left) {
        cw = std::min<int64_t>(x + cw, dstWidth) - x;
        cw = std::min<int64_t>(u + cw, srcWidth) - u;
        ch = std::min<int64_t>(y + ch, dstHeight) - y;
        ch = std::min<int64_t>(v + ch, srcHeight) - v;
        left = cw >= 1 && ch >= 1;
    }
    // Whatever is left lies inside both surfaces, so it fits the 32-bit fields;
    // a rejected rectangle keeps values saturated to them.
    auto narrow = [](int64_t value) { return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX)); };
    dx = narrow(x);
    dy = narrow(y);
    sx = narrow(u);
    sy = narrow(v);
    w = narrow(cw);
    h = narrow(ch);
    return left;
}
