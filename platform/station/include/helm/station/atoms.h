// Registered window messages and global atoms: one table per station, so a
// name gives the same number in every process of the station.
#pragma once

#include "helm/kernel/types.h"

// The number for `name` (compared ASCII case-insensitively), in
// 0xC000..0xFFFF; 0 when the name is null, empty or longer than 255 bytes
// (ERROR_INVALID_PARAMETER) or the table is full (ERROR_NOT_ENOUGH_MEMORY).
UINT RegisterWindowMessage(LPCSTR name);
#define RegisterWindowMessageA RegisterWindowMessage

// Global atoms share the registered-message table. A string atom is the same
// number RegisterWindowMessage gives; "#123" and MAKEINTATOM(123) are integer
// atoms (1..0xBFFF) that need no table. Atoms are never deleted.
#define MAXINTATOM 0xC000
#define MAKEINTATOM(i) ((LPCSTR)((ULONG_PTR)((WORD)(i))))
ATOM GlobalAddAtom(LPCSTR name);
ATOM GlobalFindAtom(LPCSTR name);
// Copies the atom's name (integer atoms read "#123"), cut to size - 1 bytes
// and terminated; returns the bytes copied, 0 for an unknown atom.
UINT GlobalGetAtomName(ATOM atom, LPSTR buffer, int size);
#define GlobalAddAtomA GlobalAddAtom
#define GlobalFindAtomA GlobalFindAtom
#define GlobalGetAtomNameA GlobalGetAtomName
