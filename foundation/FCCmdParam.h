#pragma once

#include <cstdint>

#include "foundation/FCString.h"
#include "foundation/LumivexApi.h"

// Tokenises a command line (the arguments, without the program name):
// tokens are separated by blanks and tabs; a token that begins with a double
// quote runs to the closing quote (or the end) and holds the text between
// the quotes; a token that begins with "/" is an option holding the text
// after the slash up to the next blank; every other token is a plain
// argument. Options take their value from the token that follows them.
//
//     FCCmdParam tokens(commandLine);
//     FCIdString token;
//     while (tokens.next(token))
//         if (token.tag() == FCCmdParam::kOption) ...
class LUMIVEX_API FCCmdParam {
public:
    enum Tag : int32_t { kOption = 0, kPlain = 1 };

    explicit FCCmdParam(const char* commandLine);
    virtual ~FCCmdParam();

    // The next token into out with its tag; false (out unchanged) at the end.
    bool next(FCIdString& out);
    // Back to the first token.
    void rewind();

private:
    FCString m_line;
};
