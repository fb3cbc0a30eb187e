#include "startup/UxRnf.h"

#include <cstring>
#include <string>

#include "foundation/Diagnostic.h"
#include "foundation/FCPath.h"
#include "foundation/FCPathName.h"
#include "foundation/TextCodePage.h"
#include "foundation/UxTextScramble.h"

namespace {

FCString indexedKey(const char* key, int32_t index)
{
    FCString full(key ? key : "");
    if (index >= 0)
        full.appendNumber(index);
    return full;
}

FCString resolvedPath(const char* path)
{
    if (!path || !*path)
        return FCString();
    return FCPathName(path).path();
}

bool isLineBreak(char c)
{
    return c == '\r' || c == '\n';
}

// Appends bytes [text, end) for a line of its own. A lead byte of the game's
// code page as the last byte is no character, and would take the line feed
// after it as its trail byte: it is left out.
void appendLinePart(std::string& out, const char* text, const char* end)
{
    const char* p = text;
    while (p < end) {
        if (isLeadByte(static_cast<unsigned char>(*p)) && p + 1 == end)
            break;
        p += isLeadByte(static_cast<unsigned char>(*p)) ? 2 : 1;
    }
    out.append(text, static_cast<size_t>((p < end ? p : end) - text));
}

// The end of the line that starts at p as a reader cuts it: a line feed
// taken as the trail byte of a double-byte character ends no line.
const char* readerLineEnd(const char* p)
{
    while (*p && !isLineBreak(*p))
        p += isLeadByte(static_cast<unsigned char>(*p)) && p[1] ? 2 : 1;
    return p;
}

// The start of the line after the one that ends at end.
const char* nextReaderLine(const char* end)
{
    if (*end == '\r' && end[1] == '\n')
        ++end;
    return *end ? end + 1 : end;
}

// Whether the line [p, end), read back inside a block, would close it.
bool closesBlock(const char* p, const char* end)
{
    FCString source;
    source.assign(p, static_cast<int32_t>(end - p), FCString::kDefaultBlockSize);
    source.home();
    FCString line;
    return source.readLine(line, FCString::kTrimBlanks | FCString::kTrimIdeographicSpace) && line == "-->";
}

} // namespace

UxRnf::UxRnf()
    : m_flags(kWriteBack)
{
}

UxRnf::UxRnf(const char* path)
    : m_flags(kWriteBack)
{
    load(path);
}

UxRnf::~UxRnf()
{
    if (!writeBack() || (m_flags & kUnreadable) || m_path.isEmpty())
        return;
    try {
        save(nullptr, false);
    } catch (const Diagnostic&) {
        // The player has been told by FCFile; a destructor goes no further.
    }
}

bool UxRnf::load(const char* path)
{
    m_pairs.clear();
    m_flags &= ~(kScrambled | kUnreadable);
    m_path = resolvedPath(path);
    if (m_path.isEmpty())
        return false;
    const FCString source = pairtext::pathToLoad(m_path.text());
    if (!FCPath::exists(source.text()) || FCPath::hasAttributes(source.text(), FCPath::kFolder))
        return false;

    // Until the pairs are read, writing them back would destroy a file that
    // is only unreadable for the moment (locked, say), or too large.
    m_flags |= kUnreadable;
    FCString text;
    bool loaded = false;
    try {
        loaded = text.loadFile(source.text());
    } catch (const Diagnostic&) {
        // Cancelled after FCFile's Retry/Cancel box.
    }
    if (!loaded)
        return false;

    int32_t type = 0;
    uint32_t seed = 0;
    if (readTypeLine(text.text(), type, seed) && type == 1) {
        std::string bytes(text.text(), static_cast<size_t>(text.length()));
        size_t start = scrambleRegionStart(bytes.data(), bytes.size(), 1);
        if (start != SIZE_MAX && start < bytes.size())
            unscrambleBytes(bytes.data() + start, bytes.size() - start, seed);
        // A rotated byte is zero only when it was zero, and the loaded text
        // holds none.
        text.assign(bytes.data(), static_cast<int32_t>(bytes.size()), FCString::kDefaultBlockSize);
        m_flags |= kScrambled;
    }

    for (const FCIdString& variable : m_variables) {
        FCString name("%");
        name.appendNumber(variable.tag());
        name.append("%");
        text.replaceAll(name.text(), variable.text());
    }
    parse(text, m_pairs);
    m_flags &= ~kUnreadable;
    return true;
}

void UxRnf::addVariable(int32_t tag, const char* text)
{
    m_variables.emplace_back(text ? text : "", tag);
}

bool UxRnf::readTypeLine(const char* text, int32_t& type, uint32_t& seed)
{
    FCString source(text ? text : "");
    FCString line;
    if (!source.readLine(line, FCString::kTrimBlanks | FCString::kKeepEmptyLines))
        return false;
    FCString fields[2];
    line.home();
    if (line.split(fields, 2, "=", FCString::kSplitRestInLast, " \t") < 1)
        return false;
    fields[0].toLower();
    if (fields[0] != "rnftype")
        return false;
    FCString parts[2];
    fields[1].home();
    fields[1].split(parts, 2, ",", FCString::kSplitRestInLast, " \t");
    type = parts[0].toInt();
    seed = parts[1].toUnsigned();
    return true;
}

void UxRnf::parse(const FCString& text, Pairs& pairs)
{
    pairtext::parsePairs(text, pairs, FCString::kTrimBlanks | FCString::kTrimIdeographicSpace, false);
}

FCString UxRnf::format(const Pairs& pairs)
{
    std::string out;
    for (const auto& [key, value] : pairs) {
        const char* text = value.text();
        const char* firstEnd = readerLineEnd(text);
        // The key "<--" on a line of its own would open a block, and the key
        // "-->" would close the block it opens: of that key's value only the
        // first line can be kept.
        if ((!*firstEnd && key != "<--") || key == "-->") {
            out.append(key.text()).append("=");
            appendLinePart(out, text, firstEnd);
            out.append("\n");
            continue;
        }
        // A value of several lines goes out as a block, which reads back
        // as the same lines joined by line feeds (each line with its leading
        // blanks dropped, as every line read). A line that would close the
        // block is left out: the lines after it would come back as pairs.
        out.append("<--\n").append(key.text()).append("=\n");
        for (const char* p = text; *p;) {
            const char* end = readerLineEnd(p);
            if (!closesBlock(p, end)) {
                appendLinePart(out, p, end);
                out.append("\n");
            }
            p = nextReaderLine(end);
        }
        out.append("-->\n");
    }
    // Pairs whose first key is "rnftype" with type 1 would make the plain
    // text read back as scrambled: an empty first line keeps it plain and
    // is ignored by the parser.
    int32_t type = 0;
    uint32_t seed = 0;
    if (readTypeLine(out.c_str(), type, seed) && type == 1)
        out.insert(0, "\n");
    FCString result;
    result.assign(out.data(), static_cast<int32_t>(out.size()), FCString::kDefaultBlockSize);
    return result;
}

bool UxRnf::get(FCString& value, const char* key, int32_t index) const
{
    if (m_pairs.empty())
        return false;
    auto found = m_pairs.find(indexedKey(key, index));
    if (found == m_pairs.end())
        return false;
    value = found->second;
    return true;
}

bool UxRnf::getInt(int32_t& value, const char* key, int32_t index) const
{
    FCString text;
    if (!get(text, key, index))
        return false;
    value = text.toInt();
    return true;
}

bool UxRnf::getInt(int32_t& value, const char* key, int32_t fallback, int32_t index, bool create)
{
    if (getInt(value, key, index))
        return true;
    value = fallback;
    if (create)
        setInt(key, fallback, index);
    return false;
}

bool UxRnf::getString(FCString& value, const char* key, const char* fallback, int32_t index, bool create)
{
    if (get(value, key, index))
        return true;
    value = fallback ? fallback : "";
    if (create)
        set(key, fallback, index);
    return false;
}

void UxRnf::set(const char* key, const char* text, int32_t index)
{
    m_pairs.insert_or_assign(indexedKey(key, index), FCString(text ? text : ""));
}

void UxRnf::setInt(const char* key, int32_t value, int32_t index)
{
    FCString text;
    text.setNumber(value);
    set(key, text.text(), index);
}

bool UxRnf::remove(const char* key, int32_t index)
{
    return m_pairs.erase(indexedKey(key, index)) != 0;
}

bool UxRnf::save(const char* path, bool deleteIfEmpty)
{
    FCString target = path ? resolvedPath(path) : m_path;
    if (target.isEmpty())
        return false;
    bool saved;
    if (m_pairs.empty() && deleteIfEmpty && FCPath::exists(target.text()))
        saved = FCPath::deleteFile(target.text());
    else
        saved = pairtext::replaceWholeFile(target.text(), format(m_pairs));
    if (saved) {
        m_path = target;
        m_flags &= ~kUnreadable;
    }
    return saved;
}

void UxRnf::clear()
{
    m_pairs.clear();
    m_path.clear();
    m_variables.clear();
    m_flags &= ~(kScrambled | kUnreadable);
}
