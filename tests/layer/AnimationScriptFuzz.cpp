#include <cstddef>
#include <cstdint>
#include <string>

#include "layer/AnimationScript.h"

// The whole input is a script, stepped a few hundred times both ways.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (bool stopAtEnd : { false, true }) {
        AnimationScript script;
        script.load(text.c_str(), stopAtEnd);
        for (int i = 0; i < 300; ++i)
            script.step(i % 7 == 0);
    }
    return 0;
}
