#include "language.h"

#include <array>
#include <optional>

#include "WidgetryApp.h"

namespace helm::toolkit {

LANGID chosen_language()
{
    switch (static_cast<int>(library_app().GetProfileInt("LANGUAGE TOOLS", "LANGUAGE ID", 1))) {
    case 0: return MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH);
    case 1: return MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    default: return GetUserDefaultUILanguage();
    }
}

namespace {

// The languages a text is looked for in, in order.
std::array<LANGID, 3> language_order()
{
    return {chosen_language(), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH)};
}

std::optional<std::string> string_in(HINSTANCE module, UINT id, LANGID language)
{
    std::optional<std::string> text = helm::user::string_resource(module, id, language);
    if (text && text->empty())
        text.reset();
    return text;
}

}  // namespace

std::string language_string(HINSTANCE module, UINT id)
{
    for (LANGID language : language_order())
        if (std::optional<std::string> text = string_in(module, id, language))
            return *text;
    return {};
}

std::string chain_language_string(UINT id)
{
    AFX_MODULE_STATE* state = AfxGetModuleState();
    for (LANGID language : language_order()) {
        if (std::optional<std::string> text = string_in(state->m_hCurrentResourceHandle, id, language))
            return *text;
        for (CDynLinkLibrary* library = state->m_libraryList; library; library = library->m_pNextDLL)
            if (library->m_hResource)
                if (std::optional<std::string> text = string_in(library->m_hResource, id, language))
                    return *text;
    }
    return {};
}

}  // namespace helm::toolkit
