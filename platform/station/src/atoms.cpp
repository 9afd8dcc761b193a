#include "helm/station/atoms.h"

#include <cstring>
#include <string>
#include <string_view>

#include "helm/kernel/error.h"
#include "helm/station/atom_table.h"

using helm::station::AtomTable;
using helm::station::station_atoms;

namespace {

// Bounded length of a caller's string: max_name + 1 means "too long".
std::string_view bounded(LPCSTR name) { return {name, strnlen(name, AtomTable::max_name + 1)}; }

// MAKEINTATOM(n) passes n as the pointer itself.
bool is_int_atom_pointer(LPCSTR name) { return reinterpret_cast<ULONG_PTR>(name) <= 0xFFFF; }

// "#123" names the integer atom 123; the value, -1 when `name` is not of
// that form (then it is an ordinary string atom).
long integer_atom_text(std::string_view name)
{
    if (name.size() < 2 || name.size() > 6 || name[0] != '#')
        return -1;
    long value = 0;
    for (char c : name.substr(1)) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

ATOM integer_atom(ULONG_PTR value)
{
    if (value == 0 || value >= MAXINTATOM) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return static_cast<ATOM>(value);
}

}  // namespace

UINT RegisterWindowMessage(LPCSTR name)
{
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return station_atoms().add(bounded(name));
}

ATOM GlobalAddAtom(LPCSTR name)
{
    if (is_int_atom_pointer(name))
        return integer_atom(reinterpret_cast<ULONG_PTR>(name));
    std::string_view text = bounded(name);
    if (long value = integer_atom_text(text); value >= 0)
        return integer_atom(static_cast<ULONG_PTR>(value));
    return station_atoms().add(text);
}

ATOM GlobalFindAtom(LPCSTR name)
{
    if (is_int_atom_pointer(name))
        return integer_atom(reinterpret_cast<ULONG_PTR>(name));
    std::string_view text = bounded(name);
    if (long value = integer_atom_text(text); value >= 0)
        return integer_atom(static_cast<ULONG_PTR>(value));
    ATOM atom = station_atoms().find(text);
    if (!atom)
        SetLastError(ERROR_FILE_NOT_FOUND);
    return atom;
}

UINT GlobalGetAtomName(ATOM atom, LPSTR buffer, int size)
{
    if (!buffer || size <= 0 || atom == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string name;
    if (atom < MAXINTATOM) {
        name = "#" + std::to_string(atom);
    } else if (auto found = station_atoms().name_of(atom)) {
        name = std::move(*found);
    } else {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    size_t copied = std::min(name.size(), static_cast<size_t>(size) - 1);
    std::memcpy(buffer, name.data(), copied);
    buffer[copied] = '\0';
    if (copied < name.size())
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return static_cast<UINT>(copied);
}
