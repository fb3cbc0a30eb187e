#include "startup/UxConfigFile.h"

#include "foundation/Diagnostic.h"
#include "foundation/FCPath.h"
#include "foundation/FCPathName.h"
#include "startup/UxRnf.h"

UxConfigFile::UxConfigFile() = default;

UxConfigFile::~UxConfigFile() = default;

bool UxConfigFile::open(const char* path)
{
    m_pairs.clear();
    m_unreadable = false;
    m_path = path && *path ? FCPathName(path).path() : FCString();
    if (m_path.isEmpty())
        return false;
    const FCString source = pairtext::pathToLoad(m_path.text());
    if (!FCPath::exists(source.text()) || FCPath::hasAttributes(source.text(), FCPath::kFolder))
        return false;
    // Until the pairs are read, a save would replace a file that is only
    // unreadable for the moment (locked, say) with the few pairs set since.
    m_unreadable = true;
    FCString text;
    try {
        if (!text.loadFile(source.text()))
            return true;
    } catch (const Diagnostic&) {
        // Cancelled after FCFile's Retry/Cancel box: the file exists, unread.
        return true;
    }
    parse(text, m_pairs);
    m_unreadable = false;
    return true;
}

void UxConfigFile::parse(const FCString& text, Pairs& pairs)
{
    pairtext::parsePairs(text, pairs, FCString::kTrimBlanks, true);
}

int32_t UxConfigFile::getInt(const char* key, int32_t fallback) const
{
    auto found = m_pairs.find(FCString(key ? key : ""));
    return found == m_pairs.end() ? fallback : found->second.toInt();
}

bool UxConfigFile::getBool(const char* key, bool fallback) const
{
    auto found = m_pairs.find(FCString(key ? key : ""));
    return found == m_pairs.end() ? fallback : found->second.toInt() != 0;
}

const FCString& UxConfigFile::getString(const char* key, const char* fallback)
{
    auto found = m_pairs.find(FCString(key ? key : ""));
    if (found == m_pairs.end())
        m_result = fallback ? fallback : "";
    else
        m_result = found->second;
    return m_result;
}

void UxConfigFile::set(const char* key, const char* text)
{
    if (m_path.isEmpty())
        return;
    m_pairs.insert_or_assign(FCString(key ? key : ""), FCString(text ? text : ""));
}

void UxConfigFile::setInt(const char* key, int32_t value)
{
    FCString text;
    text.setNumber(value);
    set(key, text.text());
}

bool UxConfigFile::save()
{
    if (m_path.isEmpty() || m_unreadable)
        return false;
    // The same text as UxRnf writes: a value of several lines (or the key
    // "<--") goes out as a block, which both readers take back whole.
    return pairtext::replaceWholeFile(m_path.text(), UxRnf::format(m_pairs));
}
