#include "foundation/FCFileEnumeration.h"

#include <string>

#include "foundation/detail/FileSystem.h"

namespace {

void* const kClosed = reinterpret_cast<void*>(static_cast<intptr_t>(-1));

} // namespace

FCFileEnumeration::FCFileEnumeration()
    : m_fullPath("", FCPathName::kBlockSize)
    , m_search(kClosed)
    , m_findRecord {}
{
    static_assert(sizeof m_findRecord == fcsystem::kFindRecordSize);
}

FCFileEnumeration::~FCFileEnumeration()
{
    close();
}

void FCFileEnumeration::start(const char* pattern)
{
    close();
    m_pattern.set(pattern);
}

bool FCFileEnumeration::next()
{
    for (;;) {
        if (m_search == kClosed) {
            if (m_pattern.length() == 0)
                return false;
            void* search = fcsystem::findFirst(m_pattern.text(), m_findRecord);
            if (!search)
                return false;
            m_search = search;
        } else if (!fcsystem::findNext(m_search, m_findRecord)) {
            return false;
        }
        bool folder = false;
        std::string name = fcsystem::foundName(m_findRecord, folder);
        if (name.empty() || name[0] == '.')
            continue;
        std::string path = m_pattern.folder(true).text();
        path += name;
        if (folder)
            path += '\\';
        m_fullPath.assign(path.c_str(), FCPathName::kBlockSize);
        return true;
    }
}

const char* FCFileEnumeration::name() const
{
    const char* text = m_fullPath.text();
    if (!*text)
        return text;
    const char* separator = FCPathName::findLastSeparator(m_pattern.text());
    size_t folderLength = separator ? static_cast<size_t>(separator - m_pattern.text()) + 1 : 0;
    return folderLength <= static_cast<size_t>(m_fullPath.length()) ? text + folderLength : text;
}

void FCFileEnumeration::close()
{
    if (m_search != kClosed)
        fcsystem::findClose(m_search);
    m_search = kClosed;
    m_fullPath.clear();
}
