#include "foundation/Diagnostic.h"

#include <cstdlib>
#include <cstring>

#include "foundation/FCHeap.h"
#include "foundation/UxMessageBox.h"

// メモリが足りません！
const char kNotEnoughMemoryText[] = "\x83\x81\x83\x82\x83\x8A\x82\xAA\x91\xAB\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81\x49";

namespace {

// A private copy, or null when the text is null or memory ran out: a
// diagnostic must still be throwable when the heap is exhausted.
char* copyText(const char* text)
{
    if (!text)
        return nullptr;
    size_t size = std::strlen(text) + 1;
    auto* copy = static_cast<char*>(FCHeap::allocate(size, FCHeap::kNoThrow));
    if (copy)
        std::memcpy(copy, text, size);
    return copy;
}

} // namespace

Diagnostic::Diagnostic(const char* operation, const char* message)
    : m_operation(copyText(operation))
    , m_message(copyText(message))
{
}

Diagnostic::Diagnostic(const Diagnostic& other)
    : m_operation(copyText(other.m_operation))
    , m_message(copyText(other.m_message))
{
}

Diagnostic& Diagnostic::operator=(const Diagnostic& other)
{
    if (this != &other) {
        setOperation(other.m_operation);
        setMessage(other.m_message);
    }
    return *this;
}

Diagnostic::~Diagnostic()
{
    FCHeap::release(m_operation);
    FCHeap::release(m_message);
}

void Diagnostic::show(FCWindowHandle owner) const
{
    UxMessageBox::show(owner, m_message ? m_message : "", m_operation ? m_operation : "",
        UxMessageBox::kOk | UxMessageBox::kTaskModal | UxMessageBox::kSetForeground);
}

void Diagnostic::show() const
{
    show(nullptr);
}

const char* Diagnostic::operation() const
{
    return m_operation;
}

void Diagnostic::setOperation(const char* text)
{
    char* copy = copyText(text);
    FCHeap::release(m_operation);
    m_operation = copy;
}

const char* Diagnostic::message() const
{
    return m_message;
}

void Diagnostic::setMessage(const char* text)
{
    char* copy = copyText(text);
    FCHeap::release(m_message);
    m_message = copy;
}

void Diagnostic::appendMessage(const char* text)
{
    if (!text || !*text)
        return;
    size_t oldLength = m_message ? std::strlen(m_message) : 0;
    size_t addLength = std::strlen(text);
    auto* joined = static_cast<char*>(FCHeap::allocate(oldLength + addLength + 1, FCHeap::kNoThrow));
    if (!joined)
        return;
    if (oldLength)
        std::memcpy(joined, m_message, oldLength);
    std::memcpy(joined + oldLength, text, addLength + 1);
    setMessage(joined);
    FCHeap::release(joined);
}

// Out-of-line destructors give each class its type information in the host,
// once, so a module's catch matches the host's throw and the reverse.
NotEnoughMemoryException::~NotEnoughMemoryException() = default;
OutOfBoundException::~OutOfBoundException() = default;
CannotOpenException::~CannotOpenException() = default;
CannotReadException::~CannotReadException() = default;
CannotWriteException::~CannotWriteException() = default;
CannotLoadException::~CannotLoadException() = default;

ExitScenarioException::ExitScenarioException()
    // シナリオが強制終了されました
    : Diagnostic("ExitOasysScenario",
        "\x83\x56\x83\x69\x83\x8A\x83\x49\x82\xAA\x8B\xAD\x90\xA7\x8F\x49\x97\xB9"
        "\x82\xB3\x82\xEA\x82\xDC\x82\xB5\x82\xBD")
{
}

ExitScenarioException::~ExitScenarioException() = default;

void ExitScenarioException::show(FCWindowHandle) const
{
    UxMessageBox::pause(200);
}

void showFailure(FCWindowHandle owner, std::exception_ptr failure, const char* operation)
{
    try {
        std::rethrow_exception(failure);
    } catch (const Diagnostic& diagnostic) {
        diagnostic.show(owner);
    } catch (const std::exception& other) {
        Diagnostic(operation, other.what()).show(owner);
    } catch (...) {
        Diagnostic(operation, "unknown exception").show(owner);
    }
}
