// Resources: dialogs, string tables, icons, bitmaps and version blocks that
// helm-rc compiled into a program or shared library. Each module's table is
// registered while the module is loaded; a module handle is its load
// address, as on Windows.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>

#include "helm/user/winuser.h"

DECLARE_HANDLE(HRSRC);
typedef WORD LANGID;

#define RT_CURSOR MAKEINTRESOURCE(1)
#define RT_BITMAP MAKEINTRESOURCE(2)
#define RT_ICON MAKEINTRESOURCE(3)
#define RT_MENU MAKEINTRESOURCE(4)
#define RT_DIALOG MAKEINTRESOURCE(5)
#define RT_STRING MAKEINTRESOURCE(6)
#define RT_FONTDIR MAKEINTRESOURCE(7)
#define RT_FONT MAKEINTRESOURCE(8)
#define RT_ACCELERATOR MAKEINTRESOURCE(9)
#define RT_RCDATA MAKEINTRESOURCE(10)
#define RT_MESSAGETABLE MAKEINTRESOURCE(11)
#define RT_GROUP_CURSOR MAKEINTRESOURCE(12)
#define RT_GROUP_ICON MAKEINTRESOURCE(14)
#define RT_VERSION MAKEINTRESOURCE(16)

#define MAKELANGID(p, s) ((WORD)((((WORD)(s)) << 10) | (WORD)(p)))
#define PRIMARYLANGID(l) ((WORD)(l) & 0x3ff)
#define SUBLANGID(l) ((WORD)(l) >> 10)
#define LANG_NEUTRAL 0x00
#define LANG_ENGLISH 0x09
#define LANG_FRENCH 0x0c
#define SUBLANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define SUBLANG_SYS_DEFAULT 0x02
#define SUBLANG_ENGLISH_US 0x01
#define SUBLANG_ENGLISH_UK 0x02
#define SUBLANG_FRENCH 0x01
#define SUBLANG_FRENCH_BELGIAN 0x02
#define SUBLANG_FRENCH_CANADIAN 0x03
#define SUBLANG_FRENCH_SWISS 0x04

#define ERROR_RESOURCE_DATA_NOT_FOUND 1812L
#define ERROR_RESOURCE_TYPE_NOT_FOUND 1813L
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L
#define ERROR_RESOURCE_LANG_NOT_FOUND 1815L

#define IMAGE_BITMAP 0
#define IMAGE_ICON 1

// Names and types are numbers (MAKEINTRESOURCE) or strings, which compare
// without regard to ASCII case ("#123" stands for the number 123). Without
// a language, the first of these that the module has is taken: the thread's
// UI language, the user's UI language, neutral, English (US), French (each
// exactly, else with any sub-language of it), then any language.
HRSRC FindResource(HMODULE module, LPCSTR name, LPCSTR type);
#define FindResourceA FindResource
// This language only (any sub-language of it when that exact one is
// missing: ERROR_RESOURCE_LANG_NOT_FOUND otherwise); LANG_NEUTRAL chooses
// as FindResource does.
HRSRC FindResourceEx(HMODULE module, LPCSTR type, LPCSTR name, WORD language);
#define FindResourceExA FindResourceEx
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
LPVOID LockResource(HGLOBAL data);
DWORD SizeofResource(HMODULE module, HRSRC resource);
BOOL FreeResource(HGLOBAL data);

// The string as 8-bit text, cut to size - 1 characters; returns the number
// of characters copied, 0 for a missing or empty string.
int LoadString(HINSTANCE module, UINT id, LPSTR buffer, int size);
#define LoadStringA LoadString
// With size 0, *(LPCWSTR*)buffer receives the string inside the resource
// (not terminated) and the result is its length.
int LoadStringW(HINSTANCE module, UINT id, LPWSTR buffer, int size);

// The language that resource look-ups prefer for the calling thread; 0
// returns to the user's. GetUserDefaultUILanguage reads LC_ALL,
// LC_MESSAGES and LANG: French for "fr...", English (US) otherwise.
LANGID SetThreadUILanguage(LANGID language);
LANGID GetThreadUILanguage();
LANGID GetUserDefaultUILanguage();
LANGID GetSystemDefaultUILanguage();

// Version blocks (VERSIONINFO).
struct VS_FIXEDFILEINFO {
    DWORD dwSignature;
    DWORD dwStrucVersion;
    DWORD dwFileVersionMS;
    DWORD dwFileVersionLS;
    DWORD dwProductVersionMS;
    DWORD dwProductVersionLS;
    DWORD dwFileFlagsMask;
    DWORD dwFileFlags;
    DWORD dwFileOS;
    DWORD dwFileType;
    DWORD dwFileSubtype;
    DWORD dwFileDateMS;
    DWORD dwFileDateLS;
};
// Only loaded modules have version blocks here: the file name is that of a
// loaded program or library (GetModuleFileName).
DWORD GetFileVersionInfoSize(LPCSTR fileName, LPDWORD handle);
BOOL GetFileVersionInfo(LPCSTR fileName, DWORD handle, DWORD size, LPVOID data);
// "\\" gives the VS_FIXEDFILEINFO, "\\VarFileInfo\\Translation" the
// language and code page pairs, "\\StringFileInfo\\<lang+cp>\\<key>" the
// text as 8-bit characters (length with the terminator).
BOOL VerQueryValue(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, UINT* length);
#define GetFileVersionInfoSizeA GetFileVersionInfoSize
#define GetFileVersionInfoA GetFileVersionInfo
#define VerQueryValueA VerQueryValue

namespace helm::user {

// One compiled resource, as helm-rc writes it into the module's source.
struct ResourceEntry {
    WORD type_number;
    const char* type_name;  // upper case, or null for a numbered type
    WORD name_number;
    const char* name_name;
    WORD language;
    const unsigned char* data;
    DWORD size;
};

// Registers a module's table for the module's lifetime (static object of
// the generated source). The module is the one that holds the table.
class ResourceRegistration {
public:
    ResourceRegistration(const ResourceEntry* entries, size_t count);
    ~ResourceRegistration();
    ResourceRegistration(const ResourceRegistration&) = delete;
    ResourceRegistration& operator=(const ResourceRegistration&) = delete;

private:
    const ResourceEntry* m_entries;
};

// The bytes of an image resource for the drawing layer: IMAGE_BITMAP gives
// the packed DIB (header, colours, bits); IMAGE_ICON gives the image of the
// icon group that best fits cx by cy (0: the 32-pixel size), preferring
// more colours among equal sizes. Empty when missing or malformed.
std::span<const BYTE> image_resource_bytes(HMODULE module, LPCSTR name, UINT image_type, int cx = 0, int cy = 0);

// String `id` of the module in exactly this language as 8-bit text, or
// nullopt when that language lacks it (LANG_NEUTRAL: as LoadString).
std::optional<std::string> string_resource(HMODULE module, UINT id, LANGID language);

}  // namespace helm::user
