// CWinAppIni: the application object whose profile is an INI file beside
// the program (the program's name with ".ini") instead of the registry.
// "/rtfd" on the command line deletes that file before anything is read,
// and F_ResetConfig asks for a restart with "/rtfd" when the program ends.
// Colours and floats have their own profile forms.
#pragma once

#include "afxwin.h"

class CWinAppIni : public CWinApp {
    DECLARE_DYNAMIC(CWinAppIni)

public:
    explicit CWinAppIni(LPCSTR appName = nullptr);
    ~CWinAppIni() override;

    // Makes the INI file beside the program the profile; deletes it first
    // when "/rtfd" is one of the command line's arguments. Returns TRUE.
    BOOL InitInstance() override;
    // Starts the program again with "/rtfd" when a reset was asked for.
    int ExitInstance() override;

    // reset and confirm: asks the operator; on OK the reset is asked for and
    // the main window is told to close. Otherwise the reset flag is `reset`.
    void F_ResetConfig(bool reset, bool confirm);
    bool F_GetResetState() const { return m_bReset; }
    CString F_GetProfilePath() const { return m_pszProfileName ? m_pszProfileName : ""; }

    // "RGB(%03d,%03d,%03d)"; the default unless the text holds "RGB(" and
    // three components of 0 to 255.
    BOOL WriteProfileColor(LPCSTR section, LPCSTR entry, COLORREF colour);
    COLORREF GetProfileColor(LPCSTR section, LPCSTR entry, COLORREF defaultColour);
    // "%f"; the default for a missing key and for text that holds no finite
    // number.
    BOOL WriteProfileFloat(LPCSTR section, LPCSTR entry, float value);
    float GetProfileFloat(LPCSTR section, LPCSTR entry, float defaultValue);

protected:
    bool m_bReset = false;
};
