#include "startup/UxConfigFile.h"

#include <string>

#include "foundation/Diagnostic.h"
#include "foundation/FCPath.h"
#include "foundation/FCPathName.h"

UxConfigFile::UxConfigFile() = default;

UxConfigFile::~UxConfigFile() = default;

bool UxConfigFile::open(const char* path)
{
    m_pairs.clear();
    m_path = path && *path ? FCPathName(path).path() : FCString();
    if (m_path.isEmpty() || !FCPath::exists(m_path.text()) || FCPath::hasAttributes(m_path.text(), FCPath::kFolder))
        return false;
    FCString text;
    try {
        if (!text.loadFile(m_path.text()))
            return true;
    } catch (const Diagnostic&) {
        // Cancelled after FCFile's Retry/Cancel box: the file exists, unread.
        return true;
    }
    parse(text, m_pairs);
    return true;
}

void UxConfigFile::parse(const FCString& text, Pairs& pairs)
{
    FCString source(text);
    source.home();
    FCString line;
    FCString key;
    FCString value;
    while (source.readLine(line, FCString::kTrimBlanks)) {
        if (line.text()[0] == ';')
            continue;
        // Separators at the line's start come before the key.
        const char* start = line.text();
        while (*start == '=' || *start == ' ' || *start == '\t')
            ++start;
        pairtext::splitPairLine(FCString(start), key, value);
        pairs.emplace(key, value);
    }
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
    if (m_path.isEmpty())
        return false;
    std::string out;
    for (const auto& [key, value] : m_pairs)
        out.append(key.text()).append("=").append(value.text()).append("\n");
    FCString text;
    text.assign(out.data(), static_cast<int32_t>(out.size()), FCString::kDefaultBlockSize);
    return pairtext::replaceWholeFile(m_path.text(), text);
}
