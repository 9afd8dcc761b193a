#include "resource_table.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string_view>

namespace helm::user {
namespace {

struct Table {
    const ResourceEntry* entries;
    size_t count;
    HMODULE module;
};

// Never destroyed: tables of modules torn down after this library's own
// statics still unregister into it.
struct Registry {
    std::mutex mutex;
    std::vector<Table> tables;
};
Registry& registry()
{
    static Registry* instance = new Registry;
    return *instance;
}

thread_local LANGID t_thread_language = 0;

char upper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// A requested type or name against an entry's: numbers by value, "#123"
// as the number 123, strings without regard to ASCII case.
bool id_matches(LPCSTR wanted, WORD number, const char* name)
{
    if (IS_INTRESOURCE(wanted))
        return !name && number == static_cast<WORD>(reinterpret_cast<ULONG_PTR>(wanted));
    if (wanted[0] == '#') {
        char* end = nullptr;
        const unsigned long value = std::strtoul(wanted + 1, &end, 10);
        return end != wanted + 1 && *end == 0 && value <= 0xFFFF && !name && number == value;
    }
    if (!name)
        return false;
    size_t i = 0;
    for (; wanted[i] && name[i]; ++i)
        if (upper(wanted[i]) != upper(name[i]))
            return false;
    return wanted[i] == 0 && name[i] == 0;
}

}  // namespace

ResourceRegistration::ResourceRegistration(const ResourceEntry* entries, size_t count) : m_entries(entries)
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.tables.push_back(Table{entries, count, helm::kernel::module_of_address(entries)});
}

ResourceRegistration::~ResourceRegistration()
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    std::erase_if(r.tables, [this](const Table& t) { return t.entries == m_entries; });
}

namespace resources {

std::vector<LANGID> preferred_languages()
{
    std::vector<LANGID> order;
    const auto add = [&](LANGID language) {
        if (std::find(order.begin(), order.end(), language) == order.end())
            order.push_back(language);
    };
    if (t_thread_language)
        add(t_thread_language);
    add(GetUserDefaultUILanguage());
    add(MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    add(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    add(MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH));
    return order;
}

const ResourceEntry* find(HMODULE module, LPCSTR type, LPCSTR name, std::optional<LANGID> language, DWORD* error)
{
    *error = ERROR_SUCCESS;
    if (!type || !name) {
        *error = ERROR_INVALID_PARAMETER;
        return nullptr;
    }
    if (!module)
        module = GetModuleHandle(nullptr);
    // -1: no language named (a neutral one names none either).
    const int wanted = (language && PRIMARYLANGID(*language) != LANG_NEUTRAL) ? *language : -1;

    std::vector<const ResourceEntry*> candidates;
    bool any_table = false, any_type = false;
    {
        Registry& r = registry();
        std::lock_guard lock(r.mutex);
        for (const Table& table : r.tables) {
            if (table.module != module)
                continue;
            any_table = true;
            for (size_t i = 0; i < table.count; ++i) {
                const ResourceEntry& e = table.entries[i];
                if (!e.data || !id_matches(type, e.type_number, e.type_name))
                    continue;
                any_type = true;
                if (id_matches(name, e.name_number, e.name_name))
                    candidates.push_back(&e);
            }
        }
    }
    if (candidates.empty()) {
        *error = !any_table ? ERROR_RESOURCE_DATA_NOT_FOUND
                 : !any_type ? ERROR_RESOURCE_TYPE_NOT_FOUND
                             : ERROR_RESOURCE_NAME_NOT_FOUND;
        return nullptr;
    }
    const auto exact = [&](LANGID l) -> const ResourceEntry* {
        for (const ResourceEntry* e : candidates)
            if (e->language == l)
                return e;
        return nullptr;
    };
    const auto primary = [&](LANGID l) -> const ResourceEntry* {
        for (const ResourceEntry* e : candidates)
            if (PRIMARYLANGID(e->language) == PRIMARYLANGID(l))
                return e;
        return nullptr;
    };
    if (wanted >= 0) {
        if (const ResourceEntry* e = exact(static_cast<LANGID>(wanted)))
            return e;
        if (const ResourceEntry* e = primary(static_cast<LANGID>(wanted)))
            return e;
        *error = ERROR_RESOURCE_LANG_NOT_FOUND;
        return nullptr;
    }
    // Each language in turn, exactly and then by its primary language, so a
    // thread in Canadian French gets French before the user's English.
    for (LANGID l : preferred_languages()) {
        if (const ResourceEntry* e = exact(l))
            return e;
        if (const ResourceEntry* e = primary(l))
            return e;
    }
    return candidates.front();
}

bool registered(const ResourceEntry* entry)
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    for (const Table& table : r.tables)
        if (entry >= table.entries && entry < table.entries + table.count)
            return true;
    return false;
}

std::vector<HMODULE> modules()
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    std::vector<HMODULE> out;
    for (const Table& table : r.tables)
        if (std::find(out.begin(), out.end(), table.module) == out.end())
            out.push_back(table.module);
    return out;
}

}  // namespace resources
}  // namespace helm::user

using helm::user::ResourceEntry;

HRSRC FindResource(HMODULE module, LPCSTR name, LPCSTR type)
{
    DWORD error = 0;
    const ResourceEntry* e = helm::user::resources::find(module, type, name, std::nullopt, &error);
    if (!e)
        SetLastError(error);
    return reinterpret_cast<HRSRC>(const_cast<ResourceEntry*>(e));
}

HRSRC FindResourceEx(HMODULE module, LPCSTR type, LPCSTR name, WORD language)
{
    DWORD error = 0;
    const ResourceEntry* e = helm::user::resources::find(module, type, name, language, &error);
    if (!e)
        SetLastError(error);
    return reinterpret_cast<HRSRC>(const_cast<ResourceEntry*>(e));
}

HGLOBAL LoadResource(HMODULE, HRSRC resource)
{
    const auto* e = reinterpret_cast<const ResourceEntry*>(resource);
    if (!e || !helm::user::resources::registered(e)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return const_cast<unsigned char*>(e->data);
}

LPVOID LockResource(HGLOBAL data)
{
    return data;
}

DWORD SizeofResource(HMODULE, HRSRC resource)
{
    const auto* e = reinterpret_cast<const ResourceEntry*>(resource);
    if (!e || !helm::user::resources::registered(e)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return e->size;
}

BOOL FreeResource(HGLOBAL)
{
    return FALSE;  // resources live as long as their module, as on Windows
}

LANGID SetThreadUILanguage(LANGID language)
{
    helm::user::t_thread_language = language;
    return language ? language : GetUserDefaultUILanguage();
}

LANGID GetThreadUILanguage()
{
    return helm::user::t_thread_language ? helm::user::t_thread_language : GetUserDefaultUILanguage();
}

LANGID GetUserDefaultUILanguage()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (!value || !*value)
            continue;
        const std::string_view text(value);
        if (text.size() >= 2 && (text[0] | 0x20) == 'f' && (text[1] | 0x20) == 'r' &&
            (text.size() == 2 || text[2] == '_' || text[2] == '.' || text[2] == '@'))
            return MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH);
        break;
    }
    return MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
}

LANGID GetSystemDefaultUILanguage()
{
    return GetUserDefaultUILanguage();
}
