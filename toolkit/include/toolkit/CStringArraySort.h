// CStringArraySort: a string array that sorts itself.
#pragma once

#include "afxwin.h"

class CStringArraySort : public CStringArray {
    DECLARE_DYNAMIC(CStringArraySort)

public:
    // Ascending, ASCII case ignored (equal texts then by their bytes).
    void Sort();
};
