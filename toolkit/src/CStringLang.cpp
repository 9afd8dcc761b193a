#include "toolkit/CStringLang.h"

#include "language.h"

namespace {
// What the module form gives at most.
constexpr int module_string_room = 500;
}  // namespace

BOOL CStringLang::LoadString(UINT id)
{
    const std::string text = helm::toolkit::chain_language_string(id);
    if (!text.empty())
        *this = CString(text.c_str());
    else
        CString::LoadString(id);
    return !IsEmpty();
}

BOOL CStringLang::LoadString(HINSTANCE module, UINT id)
{
    std::string text = helm::toolkit::language_string(module, id);
    if (text.empty()) {
        char buffer[module_string_room] = {0};
        ::LoadString(module, id, buffer, module_string_room);
        text = buffer;
    }
    if (text.size() > module_string_room - 1)
        text.resize(module_string_room - 1);
    *this = CString(text.c_str());
    return !IsEmpty();
}
