// File mappings backed by the paging file (station memory), unnamed or
// named in the station, and their views. Mapping a real file is not
// provided.
#pragma once

#include <cstdint>

#include "helm/kernel/types.h"

#define PAGE_NOACCESS 0x01u
#define PAGE_READONLY 0x02u
#define PAGE_READWRITE 0x04u
#define PAGE_WRITECOPY 0x08u
#define SEC_COMMIT 0x08000000u
#define SEC_RESERVE 0x04000000u

#define FILE_MAP_COPY 0x0001u
#define FILE_MAP_WRITE 0x0002u
#define FILE_MAP_READ 0x0004u
#define FILE_MAP_ALL_ACCESS 0x000F001Fu

// Views start at multiples of this many bytes of the mapping.
#define HELM_ALLOCATION_GRANULARITY 65536u

// `file` must be INVALID_HANDLE_VALUE (ERROR_INVALID_HANDLE otherwise). A
// new mapping is zero-filled; a named one that exists is returned as it is,
// with its own size, and the last error ERROR_ALREADY_EXISTS. A name held
// by an event or a mutex fails with ERROR_INVALID_HANDLE.
HANDLE CreateFileMapping(HANDLE file, LPSECURITY_ATTRIBUTES attributes, DWORD protect, DWORD maximumSizeHigh,
                         DWORD maximumSizeLow, LPCSTR name);
// ERROR_FILE_NOT_FOUND unless a live process holds a mapping of that name.
HANDLE OpenFileMapping(DWORD access, BOOL inheritHandle, LPCSTR name);
// `bytes` 0 maps from the offset to the end. The offset must be a multiple
// of HELM_ALLOCATION_GRANULARITY (ERROR_MAPPED_ALIGNMENT); a view reaching
// past the mapping's size, or asking for more access than the handle has,
// fails with ERROR_ACCESS_DENIED. A view stays valid after the mapping's
// handles are closed; the name, as on Windows, goes with the last handle.
LPVOID MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow, SIZE_T bytes);
// `address` is what MapViewOfFile returned (ERROR_INVALID_ADDRESS otherwise).
BOOL UnmapViewOfFile(LPCVOID address);
#define CreateFileMappingA CreateFileMapping
#define OpenFileMappingA OpenFileMapping

namespace helm::kernel {
// The size in bytes of the mapping behind a handle, so that callers can
// bound offsets they are given; 0 (ERROR_INVALID_HANDLE) for another handle.
uint64_t mapping_size(HANDLE mapping);
}  // namespace helm::kernel
