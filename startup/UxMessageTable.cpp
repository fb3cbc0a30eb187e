#include "startup/UxMessageTable.h"

#include <cstdarg>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/Diagnostic.h"
#include "foundation/FCPath.h"
#include "foundation/FCPathName.h"

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The number and the text of an entry line: split at the first tab, blanks
// and tabs before each part skipped.
void splitEntry(const FCString& line, FCString& number, FCString& text)
{
    const char* start = line.text();
    const char* tab = std::strchr(start, '\t');
    const char* end = tab ? tab : start + line.length();
    while (start < end && (*start == ' ' || *start == '\t'))
        ++start;
    number.assign(start, static_cast<int32_t>(end - start), FCString::kShortBlockSize);
    const char* rest = tab ? tab + 1 : end;
    while (*rest == ' ' || *rest == '\t')
        ++rest;
    text = rest;
}

} // namespace

UxMessageTable::UxMessageTable()
    : m_values {}
{
}

UxMessageTable::~UxMessageTable() = default;

UxMessageTable& UxMessageTable::global()
{
    static UxMessageTable table;
    return table;
}

FCString UxMessageTable::catalogueName(const char* languageCode)
{
    FCString name("Lumivex.");
    name.append(languageCode ? languageCode : "");
    return name;
}

void UxMessageTable::clear()
{
    for (FCString& message : m_messages)
        message.clear();
    for (int32_t& value : m_values)
        value = 0;
}

bool UxMessageTable::load(const char* path)
{
    clear();
    if (!path || !FCPath::exists(path) || FCPath::hasAttributes(path, FCPath::kFolder))
        return false;
    FCString text;
    try {
        if (!text.loadFile(path))
            return false;
    } catch (const Diagnostic&) {
        return false;
    }
    parse(text);
    return true;
}

bool UxMessageTable::loadCatalogue(const char* languageCode)
{
    FCPathName path;
    path.setSpecialFolder(FCPathName::kExecutableFolder, true);
    FCString name(path.text(), FCString::kPathBlockSize);
    name.append(catalogueName(languageCode));
    return load(name.text());
}

void UxMessageTable::parse(const FCString& catalogue)
{
    FCString source(catalogue);
    source.home();
    FCString line;
    FCString number;
    FCString text;
    bool values = false;
    // The pending entry; its text grows with continuation lines.
    bool pending = false;
    int32_t pendingNumber = 0;
    bool pendingIsValue = false;
    std::string pendingText;

    auto store = [&] {
        if (!pending)
            return;
        pending = false;
        if (pendingIsValue) {
            if (pendingNumber >= 0 && pendingNumber < kValueCount)
                m_values[pendingNumber] = FCString(pendingText.c_str()).toInt();
        } else if (pendingNumber >= 0 && pendingNumber < kMessageCount) {
            m_messages[pendingNumber].assign(
                pendingText.data(), static_cast<int32_t>(pendingText.size()), FCString::kDefaultBlockSize);
        }
    };

    while (source.readLine(line, FCString::kTrimBlanks)) {
        const char* p = line.text();
        if (p[0] == ';')
            continue;
        if (p[0] == '.' && (p[1] == 'M' || p[1] == 'm' || p[1] == 'V' || p[1] == 'v')) {
            store();
            values = p[1] == 'V' || p[1] == 'v';
        } else if (isDigit(p[0])) {
            store();
            splitEntry(line, number, text);
            pending = true;
            pendingNumber = number.toInt();
            pendingIsValue = values;
            pendingText.assign(text.text(), static_cast<size_t>(text.length()));
        } else if (p[0] == '+') {
            if (!pending || pendingIsValue)
                continue;
            splitEntry(line, number, text);
            pendingText.append("\n").append(text.text(), static_cast<size_t>(text.length()));
        }
    }
    store();
}

const FCString& UxMessageTable::text(int32_t id) const
{
    static const FCString empty;
    return id >= 0 && id < kMessageCount ? m_messages[id] : empty;
}

int32_t UxMessageTable::value(int32_t index) const
{
    return index >= 0 && index < kValueCount ? m_values[index] : 0;
}

FCString UxMessageTable::expand(const char* text, int32_t count, const char* const* arguments)
{
    std::string out;
    const char* p = text ? text : "";
    while (*p) {
        if (*p != '%' || !isDigit(p[1])) {
            out += *p++;
            continue;
        }
        // The longest run of digits after "%" that names an argument.
        const char* digits = p + 1;
        const char* end = digits;
        while (isDigit(*end))
            ++end;
        int32_t chosen = 0;
        const char* chosenEnd = digits;
        int64_t number = 0;
        for (const char* q = digits; q < end && number <= count; ++q) {
            number = number * 10 + (*q - '0');
            if (number >= 1 && number <= count) {
                chosen = static_cast<int32_t>(number);
                chosenEnd = q + 1;
            }
        }
        if (chosen == 0) {
            out += *p++;
            continue;
        }
        const char* argument = arguments[chosen - 1];
        out += argument ? argument : "";
        p = chosenEnd;
    }
    FCString result;
    result.assign(out.data(), static_cast<int32_t>(out.size()), FCString::kDefaultBlockSize);
    return result;
}

FCString UxMessageTable::message(int32_t id, int32_t count, ...) const
{
    std::vector<const char*> arguments;
    va_list list;
    va_start(list, count);
    for (int32_t i = 0; i < count; ++i)
        arguments.push_back(va_arg(list, const char*));
    va_end(list);
    if (id < 0 || id >= kMessageCount)
        return FCString();
    return expand(m_messages[id].text(), count, arguments.data());
}

FCString UxMessageTable::message(int32_t id, std::initializer_list<const char*> arguments) const
{
    if (id < 0 || id >= kMessageCount)
        return FCString();
    return expand(m_messages[id].text(), static_cast<int32_t>(arguments.size()), arguments.begin());
}

uint32_t languageCodePage(const char* languageCode)
{
    return languageCode && std::strcmp(languageCode, "EN") == 0 ? 1252 : 932;
}

bool languageIsJapanese(const char* languageCode)
{
    return !(languageCode && std::strcmp(languageCode, "EN") == 0);
}
