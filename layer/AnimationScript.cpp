#include "layer/AnimationScript.h"

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Decimal digits at p, saturating at the 32-bit maximum; p ends after them.
uint32_t readDigits(const char*& p)
{
    uint64_t value = 0;
    while (isDigit(*p)) {
        value = value * 10 + uint64_t(*p - '0');
        if (value > 0x7FFFFFFFu)
            value = 0x7FFFFFFFu;
        ++p;
    }
    return uint32_t(value);
}

// A number of a "(x,y)", "{dx,dy}" or "#N(...)" list: characters that are
// neither digits nor signs are skipped up to the next separator; a sign and
// digits then make the number, saturated to 32 bits. False (p at the
// separator, value unchanged) when the item holds no number.
bool readListNumber(const char*& p, int32_t& value)
{
    while (*p && *p != ',' && *p != ')' && *p != '}' && !isDigit(*p) && *p != '-' && *p != '+')
        ++p;
    if (*p != '-' && *p != '+' && !isDigit(*p))
        return false;
    bool negative = false;
    while (*p == '-' || *p == '+') {
        negative = *p == '-';
        ++p;
    }
    int64_t magnitude = readDigits(p);
    value = int32_t(negative ? -magnitude : magnitude);
    // What follows the digits up to the separator is not part of a number.
    while (*p && *p != ',' && *p != ')' && *p != '}')
        ++p;
    return true;
}

// Reads "a,b" up to and past the closing character; missing numbers keep
// their values.
void readPair(const char*& p, char closing, int32_t& a, int32_t& b)
{
    readListNumber(p, a);
    if (*p == ',') {
        ++p;
        readListNumber(p, b);
    }
    while (*p && *p != closing)
        ++p;
    if (*p)
        ++p;
}

} // namespace

void AnimationScript::load(const char* text, bool stopAtTheEnd)
{
    *this = AnimationScript {};
    start = text ? text : "";
    read = start;
    stopAtEnd = stopAtTheEnd ? 1 : 0;
    currentFrame = kEnded;
    pending = interpret();
}

int32_t AnimationScript::interpret()
{
    for (int32_t reads = 0; reads < kMaxReadsPerResult; ++reads) {
        const char c = *read;
        if (c == '\0') {
            // Open repeats are dropped too: the text starts afresh.
            read = start;
            x = y = dx = dy = 0;
            repeat = Repeat {};
            nesting = 0;
            if (stopAtEnd)
                return kStoppedAtEnd;
            continue;
        }
        if (isDigit(c)) {
            const char* p = read;
            const uint32_t count = readDigits(p);
            if (*p != '[' || nesting == kMaxNesting) {
                read = p;
                return kEnded;
            }
            saved[nesting++] = repeat;
            repeat = Repeat { p + 1, count };
            read = p + 1;
            continue;
        }
        if (c == ']') {
            if (!repeat.bodyStart) {
                ++read;
                return kEnded;
            }
            if (--repeat.counter != 0) {
                read = repeat.bodyStart;
                continue;
            }
            repeat = saved[--nesting];
            ++read;
            continue;
        }
        if (c == '.') {
            ++read;
            return kEnded;
        }
        if (c == '<') {
            const char* p = read + 1;
            bank = int32_t(readDigits(p));
            if (*p)
                ++p;
            read = p;
            continue;
        }
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            ++read;
            const int64_t frame = int64_t(bank) * 26 + ((c | 0x20) - 'a');
            return frame > 0x7FFFFFFF ? 0x7FFFFFFF : int32_t(frame);
        }
        if (c == '(') {
            ++read;
            readPair(read, ')', x, y);
            dx = dy = 0;
            return kMoved;
        }
        if (c == '{') {
            ++read;
            readPair(read, '}', dx, dy);
            return kMoved;
        }
        if (c == '#') {
            const char* p = read + 1;
            pauseCount = int32_t(readDigits(p));
            if (*p == '(') {
                ++p;
                for (int32_t i = 0; i < 4 && *p && *p != ')'; ++i) {
                    readListNumber(p, pauseParameters[i]);
                    if (*p == ',')
                        ++p;
                }
                while (*p && *p != ')')
                    ++p;
                if (*p)
                    ++p;
            }
            read = p;
            return kPaused;
        }
        ++read;
        return kEnded;
    }
    return kEnded;
}

int32_t AnimationScript::step(bool restart)
{
    int32_t result = pending;
    if (pending == kPaused) {
        result = kPaused;
    } else if (pending != kEnded && pending != kStoppedAtEnd) {
        // Wrapping, not overflowing, for positions driven far away.
        x = int32_t(uint32_t(x) + uint32_t(dx));
        y = int32_t(uint32_t(y) + uint32_t(dy));
        offsetX = x;
        offsetY = y;
        if (pending == kMoved) {
            result = kEnded;
        } else {
            currentFrame = pending;
            result = pending;
        }
    } else if (restart) {
        result = currentFrame;
    }
    if (pending != kStoppedAtEnd)
        pending = interpret();
    return result;
}
