// Portlink's string table (in portlink.rc): the section and key labels of
// the settings file, the texts of the server start and of the settings
// dialogs. The settings file is shared with Windows installations, so its
// labels stay byte for byte in Windows-1252.
#include <map>
#include <mutex>
#include <string>

#include <windows.h>

#include "helm/portlink/port_settings.h"

extern "C" const char* P_GetStringFromDLLTable(int id)
{
    if (id < 0 || id > 0xFFFF)
        return "";
    // Each text is loaded once and kept, so the pointer stays valid.
    static std::mutex mutex;
    static auto* texts = new std::map<int, std::string>;
    std::lock_guard lock(mutex);
    auto [entry, fresh] = texts->try_emplace(id);
    if (fresh) {
        char buffer[1024];
        const int length = LoadString(helm_this_module(), static_cast<UINT>(id), buffer, sizeof buffer);
        entry->second.assign(buffer, length > 0 ? static_cast<size_t>(length) : 0);
    }
    return entry->second.c_str();
}
