// The language choice kept in the toolkit's own profile ("Widgetry.ini",
// section "LANGUAGE TOOLS", key "LANGUAGE ID": 0 French, 1 English, the
// default, any other value the system's language), and the look-up of a
// string in that language, then English, then French.
#pragma once

#include <string>

#include "afxwin.h"

namespace helm::toolkit {

// The chosen language, read from the profile at each call, so that every
// program of the directory follows a change at once.
LANGID chosen_language();
// String `id` of `module` in the chosen language, then English, then
// French; empty when none has it.
std::string language_string(HINSTANCE module, UINT id);
// String `id` in the chosen language, then English, then French, each
// looked for along the resource chain: the current module state's resource
// module, then every extension library that joined it (so a library's
// strings come in the chosen language wherever they are loaded from).
std::string chain_language_string(UINT id);

}  // namespace helm::toolkit
