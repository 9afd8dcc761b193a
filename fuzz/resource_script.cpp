// The resource compiler on arbitrary script text: it must either compile
// or report a CompileError, never crash, hang or read out of bounds.
#include <cstddef>
#include <cstdint>
#include <string>

#include "script_compiler.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        helm::rc::compile_script_text("fuzz.rc", text, {});
    } catch (const helm::rc::CompileError&) {
    }
    return 0;
}
