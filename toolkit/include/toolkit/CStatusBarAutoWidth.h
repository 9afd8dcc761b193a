// CStatusBarAutoWidth: a status bar whose pane takes the width of each text
// set into it, measured in the bar's own font.
#pragma once

#include "afxext.h"

class CStatusBarAutoWidth : public CStatusBar {
    DECLARE_DYNAMIC(CStatusBarAutoWidth)

public:
    BOOL SetPaneText(int index, LPCSTR text, BOOL update = TRUE) override;
};
