#include "link_lists.h"

#include <algorithm>
#include <cstdio>

#include "dialogs/HelmdialogsRes.h"
#include "toolkit/CStringLang.h"

namespace helm::dialogs {
namespace {

CString entry(UINT format, unsigned number)
{
    CStringLang pattern;
    pattern.LoadString(format);
    CString text;
    text.Format(pattern, static_cast<int>(number));
    return text;
}

CString string_or_number(UINT first, int value, int low, int high)
{
    CStringLang text;
    if (value >= low && value <= high)
        text.LoadString(first + static_cast<UINT>(value - low));
    else
        text.Format("%d", value);
    return text;
}

}  // namespace

void append_link_entries(CComboBox& list, UINT format, const unsigned* numbers, unsigned count)
{
    if (!numbers)
        return;
    for (unsigned i = 0; i < std::min(count, max_link_ports); ++i)
        list.InsertString(list.GetCount(), entry(format, numbers[i]));
}

void select_link_entry(CComboBox& list, UINT format, unsigned number)
{
    const int found = list.FindStringExact(-1, entry(format, number));
    if (found >= 0)
        list.SetCurSel(found);
    else if (list.GetCurSel() < 0)
        list.SetCurSel(0);
}

unsigned selected_link_number(const CComboBox& list, UINT format)
{
    CString text;
    list.GetWindowText(text);
    CStringLang pattern;
    pattern.LoadString(format);
    int number = 0;
    if (text.IsEmpty() || std::sscanf(text, pattern, &number) != 1 || number < 0)
        return 0;
    return static_cast<unsigned>(number);
}

CString parity_text(int parity) { return string_or_number(IDS_PARITY_NONE, parity, 0, 2); }

CString stop_bits_text(int stop) { return string_or_number(IDS_STOP_BITS_1, stop, 1, 2); }

}  // namespace helm::dialogs
