// CLanguageTools: translation of a window's texts into the language chosen
// in the toolkit's settings. Dialog templates carry placeholder texts; a
// child whose control id is also a string id gets that string.
#pragma once

#include "afxwin.h"

class CLanguageTools {
public:
    // For every child of `window`: the string of the child's control id,
    // in the chosen language from the current module or an extension
    // library of its resource chain (CStringLang), becomes its text when it
    // is not empty and does not begin with "//".
    static void F_ProcessWindow(CWnd* window);
};
