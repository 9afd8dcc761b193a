// CRichEditCtrl: the rich edit control's object ("RichEdit", version 1.0).
// Each call is the control's message; formats and ranges are the
// control's own blocks (richedit.h).
#pragma once

#include "helm/afx/CWnd.h"
#include "helm/user/richedit.h"

class CRichEditCtrl : public CWnd {
    DECLARE_DYNAMIC(CRichEditCtrl)

public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CWnd::Create(RICHEDIT_CLASS, nullptr, style, rect, parent, id);
    }

    // The colour the text is drawn on; `system` takes the window colour.
    // The previous colour.
    COLORREF SetBackgroundColor(BOOL system, COLORREF colour)
    {
        return static_cast<COLORREF>(SendMessage(EM_SETBKGNDCOLOR, static_cast<WPARAM>(system), colour));
    }
    void SetSel(LONG start, LONG end)
    {
        CHARRANGE range{start, end};
        SendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    }
    void GetSel(LONG& start, LONG& end) const
    {
        CHARRANGE range{0, 0};
        SendMessage(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
        start = range.cpMin;
        end = range.cpMax;
    }
    // The format over the selection; the mask of what is the same over it.
    DWORD GetSelectionCharFormat(CHARFORMAT& format) const
    {
        format.cbSize = sizeof format;
        return static_cast<DWORD>(SendMessage(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format)));
    }
    // On an empty selection, the format of what is inserted there next.
    BOOL SetSelectionCharFormat(CHARFORMAT& format)
    {
        format.cbSize = sizeof format;
        return static_cast<BOOL>(SendMessage(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format)));
    }
    void ReplaceSel(LPCSTR text, BOOL canUndo = FALSE)
    {
        SendMessage(EM_REPLACESEL, static_cast<WPARAM>(canUndo), reinterpret_cast<LPARAM>(text));
    }
    LONG GetTextLength() const { return static_cast<LONG>(SendMessage(WM_GETTEXTLENGTH)); }
    void LimitText(LONG count = 0) { SendMessage(EM_EXLIMITTEXT, 0, count); }
    LONG GetLimitText() const { return static_cast<LONG>(SendMessage(EM_GETLIMITTEXT)); }
    int GetLineCount() const { return static_cast<int>(SendMessage(EM_GETLINECOUNT)); }
    // The character index where `line` starts; -1 past the last line.
    int LineIndex(int line = -1) const { return static_cast<int>(SendMessage(EM_LINEINDEX, static_cast<WPARAM>(line))); }
    BOOL SetReadOnly(BOOL readOnly = TRUE) { return static_cast<BOOL>(SendMessage(EM_SETREADONLY, readOnly)); }
    DWORD SetEventMask(DWORD mask) { return static_cast<DWORD>(SendMessage(EM_SETEVENTMASK, 0, mask)); }

private:
    // A control is made through its own Create.
    using CWnd::Create;
};
