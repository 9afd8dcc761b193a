// CEditRestricted: an edit that drops typed characters outside an allowed
// set (or inside a refused one). Characters typed with Ctrl held, and
// pasted text, are never filtered.
#pragma once

#include <string>

#include "afxwin.h"

class CEditRestricted : public CEdit {
    DECLARE_DYNCREATE(CEditRestricted)

public:
    CEditRestricted() = default;
    ~CEditRestricted() override = default;

    // Only these characters (with tab, carriage return, line feed and
    // backspace) pass; the refused set is emptied.
    void F_SetEnableChars(const char* chars);
    // These characters are dropped; the allowed set is emptied.
    void F_SetDisableChars(const char* chars);

protected:
    void OnChar(UINT ch, UINT repeat, UINT flags);
    // Whether a typed character (without Ctrl) reaches the edit.
    bool accepts(UINT ch) const;

    std::string m_disabled;
    std::string m_enabled;

    DECLARE_MESSAGE_MAP()
};
