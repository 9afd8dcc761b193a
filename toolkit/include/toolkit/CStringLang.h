// CStringLang: a string whose loaders take the text in the language chosen
// in the toolkit's settings ("Widgetry.ini"), then English, then French.
// The resource header names LoadStringA as LoadString, so both spellings
// reach these loaders.
#pragma once

#include "afxwin.h"

class CStringLang : public CString {
public:
    CStringLang() = default;
    using CString::CString;
    using CString::operator=;

    // String `id` in the chosen language, then English, then French, from
    // the current module state's resources or any extension library of its
    // resource chain; else the plain resource string. Non-zero when the
    // result is not empty.
    BOOL LoadString(UINT id);
    // The same from `module` alone, at most 499 characters.
    BOOL LoadString(HINSTANCE module, UINT id);
};
