#include "foundation/FCGeometry.h"

#include "foundation/FCFile.h"
#include "foundation/FCString.h"

namespace {

int32_t wrappingAdd(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

int32_t wrappingSubtract(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

// The words go to the file in memory order (little-endian on every target).
int32_t saveWords(FCFile& file, const int32_t* words, uint32_t count)
{
    if (!file.isOpen())
        return 0;
    const uint32_t bytes = count * sizeof(int32_t);
    return file.write(words, bytes) == bytes ? 1 : 0;
}

int32_t loadWords(FCFile& file, int32_t* words, uint32_t count)
{
    if (!file.isOpen())
        return 0;
    const uint32_t bytes = count * sizeof(int32_t);
    return file.read(words, bytes) == bytes ? 1 : 0;
}

} // namespace

FCRect::FCRect()
    : FCRect(0, 0, 0, 0)
{
}

FCRect::FCRect(int32_t left, int32_t top, int32_t right, int32_t bottom)
    : left(left)
    , top(top)
    , right(right)
    , bottom(bottom)
{
}

FCRect::FCRect(const FCRect& other) = default;

FCRect& FCRect::operator=(const FCRect& other) = default;

FCRect::~FCRect() = default;

void FCRect::toText(FCString& out, const char* separator) const
{
    const char* between = separator ? separator : "";
    out.appendNumber(left);
    out.append(between);
    out.appendNumber(top);
    out.append(between);
    out.appendNumber(width());
    out.append(between);
    out.appendNumber(height());
}

int32_t FCRect::save(FCFile& file) const
{
    const int32_t words[4] = { left, top, right, bottom };
    return saveWords(file, words, 4);
}

void FCRect::fromText(FCString& text, const char* separators)
{
    int32_t fields[4] = {};
    FCString field;
    for (int32_t& value : fields) {
        field.clear();
        text.getField(field, separators);
        value = field.toInt();
    }
    left = fields[0];
    top = fields[1];
    right = wrappingAdd(fields[0], fields[2]);
    bottom = wrappingAdd(fields[1], fields[3]);
}

int32_t FCRect::load(FCFile& file)
{
    int32_t words[4];
    if (!loadWords(file, words, 4))
        return 0;
    left = words[0];
    top = words[1];
    right = words[2];
    bottom = words[3];
    return 1;
}

int32_t FCRect::width() const
{
    return wrappingSubtract(right, left);
}

int32_t FCRect::height() const
{
    return wrappingSubtract(bottom, top);
}

bool FCRect::operator==(const FCRect& other) const
{
    return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
}

FCPoint::FCPoint()
    : FCPoint(0, 0)
{
}

FCPoint::FCPoint(int32_t x, int32_t y)
    : x(x)
    , y(y)
{
}

FCPoint::FCPoint(const FCPoint& other) = default;

FCPoint& FCPoint::operator=(const FCPoint& other) = default;

FCPoint::~FCPoint() = default;

int32_t FCPoint::save(FCFile& file) const
{
    const int32_t words[2] = { x, y };
    return saveWords(file, words, 2);
}

int32_t FCPoint::load(FCFile& file)
{
    int32_t words[2];
    if (!loadWords(file, words, 2))
        return 0;
    x = words[0];
    y = words[1];
    return 1;
}

bool FCPoint::operator==(const FCPoint& other) const
{
    return x == other.x && y == other.y;
}

FCSize::FCSize()
    : FCSize(0, 0)
{
}

FCSize::FCSize(int32_t cx, int32_t cy)
    : cx(cx)
    , cy(cy)
{
}

FCSize::FCSize(const FCSize& other) = default;

FCSize& FCSize::operator=(const FCSize& other) = default;

FCSize::~FCSize() = default;

bool FCSize::operator==(const FCSize& other) const
{
    return cx == other.cx && cy == other.cy;
}
