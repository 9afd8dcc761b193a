// The names a script may use without defining them: window, dialog and
// control styles, extended styles, the standard command ids, and the
// language names of LANGUAGE statements. Values are those of Windows.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace helm::rc {

std::optional<uint32_t> builtin_symbol(std::string_view name);

}  // namespace helm::rc
