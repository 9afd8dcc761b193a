// C_Q_RubPPSInSettings: the protocol of the PPS input, picked from the host's
// list (template 4200); a pick posts group 0.
#pragma once

#include "dialogs/C_Q_RubProtocolPage.h"
#include "dialogs/HelmdialogsRes.h"

class C_Q_RubPPSInSettings : public C_Q_RubProtocolPage {
public:
    explicit C_Q_RubPPSInSettings(CWnd* parent = nullptr) : C_Q_RubProtocolPage(IDD_RUB_PPS_IN, IDS_TITLE_PROTOCOL, parent)
    {
        P_SetInputCount(1);
        P_SetNotifications({{IDC_LIST_PROTOCOL, Event::selection, 0}});
    }
};
