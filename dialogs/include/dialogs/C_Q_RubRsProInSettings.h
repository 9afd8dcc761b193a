// C_Q_RubRsProInSettings: an input port's protocol and time-out (template
// 4227). A protocol pick posts group 0, and so does a time-out chosen in
// the list or typed as the user's value (on leaving the edit or filling it).
#pragma once

#include "dialogs/C_Q_RubTimeOutPage.h"

class C_Q_RubRsProInSettings : public C_Q_RubTimeOutPage {
public:
    explicit C_Q_RubRsProInSettings(CWnd* parent = nullptr);

protected:
    BOOL OnInitDialog() override;

    DECLARE_MESSAGE_MAP()
};
