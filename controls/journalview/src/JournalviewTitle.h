// The title line of the event-log view: a static the view paints itself,
// white text on black, centred on one line.
#pragma once

#include "afxwin.h"

class JournalviewTitle : public CWnd {
public:
    ~JournalviewTitle() override;

protected:
    void OnPaint();

private:
    HFONT m_font = nullptr;  // made at the first paint and kept

    DECLARE_MESSAGE_MAP()
};
