#include "toolkit/CStringArraySort.h"

#include <algorithm>
#include <vector>

IMPLEMENT_DYNAMIC(CStringArraySort, CStringArray)

void CStringArraySort::Sort()
{
    std::vector<CString> items(GetData(), GetData() + GetSize());
    std::stable_sort(items.begin(), items.end(), [](const CString& a, const CString& b) {
        const int folded = a.CompareNoCase(b);
        return folded != 0 ? folded < 0 : a.Compare(b) < 0;
    });
    for (INT_PTR i = 0; i < GetSize(); ++i)
        SetAt(i, items[static_cast<size_t>(i)]);
}
