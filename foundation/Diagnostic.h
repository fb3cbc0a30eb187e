#pragma once

#include <exception>

#include "foundation/LumivexApi.h"

// Root of every exception the host throws. It carries an operation name
// ("FCFile - open") and a message, and can show itself to the player as a
// message box with the operation name as caption. Both texts are private heap
// copies; either may be null when memory ran out while copying.
class LUMIVEX_API Diagnostic {
public:
    Diagnostic(const char* operation, const char* message);
    Diagnostic(const Diagnostic& other);
    Diagnostic& operator=(const Diagnostic& other);
    virtual ~Diagnostic();

    virtual void show(FCWindowHandle owner) const;
    virtual void show() const;
    virtual const char* operation() const;
    virtual void setOperation(const char* text);
    virtual const char* message() const;
    virtual void setMessage(const char* text);
    // The message followed by text; an empty text changes nothing.
    virtual void appendMessage(const char* text);

private:
    char* m_operation;
    char* m_message;
};

#define LUMIVEX_DIAGNOSTIC_CLASS(Name)                                                                                 \
    class LUMIVEX_API Name : public Diagnostic {                                                                       \
    public:                                                                                                            \
        Name(const char* operation, const char* message)                                                               \
            : Diagnostic(operation, message)                                                                           \
        {                                                                                                              \
        }                                                                                                              \
        ~Name() override;                                                                                              \
    }

LUMIVEX_DIAGNOSTIC_CLASS(NotEnoughMemoryException);
LUMIVEX_DIAGNOSTIC_CLASS(OutOfBoundException);
LUMIVEX_DIAGNOSTIC_CLASS(CannotOpenException);
LUMIVEX_DIAGNOSTIC_CLASS(CannotReadException);
LUMIVEX_DIAGNOSTIC_CLASS(CannotWriteException);
LUMIVEX_DIAGNOSTIC_CLASS(CannotLoadException);

#undef LUMIVEX_DIAGNOSTIC_CLASS

// A stop request during an input wait or a window request. Showing it shows
// nothing: the player asked for the stop, so it only pauses 200 ms.
class LUMIVEX_API ExitScenarioException : public Diagnostic {
public:
    ExitScenarioException();
    ~ExitScenarioException() override;
    void show(FCWindowHandle owner) const override;
};

// Shows whatever was thrown: a Diagnostic as itself, anything else as a
// Diagnostic of the operation with its text (or "unknown exception").
LUMIVEX_API void showFailure(FCWindowHandle owner, std::exception_ptr failure, const char* operation);

// The message text of every allocation failure: "メモリが足りません！".
extern LUMIVEX_API const char kNotEnoughMemoryText[];
