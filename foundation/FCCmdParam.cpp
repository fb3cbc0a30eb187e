#include "foundation/FCCmdParam.h"

namespace {

constexpr const char* kBlanks = " \t";

} // namespace

FCCmdParam::FCCmdParam(const char* commandLine)
    : m_line(commandLine)
{
}

FCCmdParam::~FCCmdParam() = default;

bool FCCmdParam::next(FCIdString& out)
{
    if (!m_line.skip(kBlanks))
        return false;
    const char* start = m_line.cursor();
    int32_t tag = kPlain;
    const char* end;
    if (*start == '"') {
        ++start;
        m_line.next();
        end = m_line.findChar('"') ? m_line.cursor() : m_line.text() + m_line.length();
        m_line.next();
    } else {
        if (*start == '/') {
            tag = kOption;
            ++start;
        }
        m_line.findAnyOf(kBlanks);
        end = m_line.cursor();
    }
    out.assign(start, static_cast<int32_t>(end - start), out.blockSize());
    out.setTag(tag);
    return true;
}

void FCCmdParam::rewind()
{
    m_line.home();
}
