#include "language.h"

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

std::string language_string(HINSTANCE module, UINT id)
{
    const LANGID order[] = {chosen_language(), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                            MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH)};
    for (LANGID language : order) {
        std::optional<std::string> text = helm::user::string_resource(module, id, language);
        if (text && !text->empty())
            return *text;
    }
    return {};
}

}  // namespace helm::toolkit
