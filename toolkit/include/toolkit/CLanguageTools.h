// CLanguageTools: translation of a window's texts into the language chosen
// in the toolkit's settings. Dialog templates carry placeholder texts; a
// child whose control id is also a string id gets that string.
#pragma once

#include "afxwin.h"

class CLanguageTools {
public:
    // For every child of `window`: the string of the child's control id,
    // from the current module in the chosen language, becomes its text when
    // it is not empty and does not begin with "//".
    static void F_ProcessWindow(CWnd* window);
};
