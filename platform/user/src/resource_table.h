// The registered resource tables of the loaded modules, and the look-up
// that FindResource, LoadString and the image and version readers share.
#pragma once

#include <optional>
#include <vector>

#include <windows.h>

#include "helm/user/resources.h"

namespace helm::user::resources {

// The entry, or null with the Windows error code in *error.
// No language: the preferred order of the calling thread.
const ResourceEntry* find(HMODULE module, LPCSTR type, LPCSTR name, std::optional<LANGID> language, DWORD* error);
// The languages tried, in order, when none is named.
std::vector<LANGID> preferred_languages();
// Whether `entry` lies in a registered table (handles from callers are
// checked before use).
bool registered(const ResourceEntry* entry);
// The loaded modules that have resources.
std::vector<HMODULE> modules();

}  // namespace helm::user::resources
