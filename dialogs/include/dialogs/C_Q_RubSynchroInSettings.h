// C_Q_RubSynchroInSettings: the protocol of a synchro input, picked from the host's
// list (template 4201); a pick posts group 0.
#pragma once

#include "dialogs/C_Q_RubProtocolPage.h"
#include "dialogs/HelmdialogsRes.h"

class C_Q_RubSynchroInSettings : public C_Q_RubProtocolPage {
public:
    explicit C_Q_RubSynchroInSettings(CWnd* parent = nullptr) : C_Q_RubProtocolPage(IDD_RUB_SYNCHRO_IN, IDS_TITLE_PROTOCOL, parent)
    {
        P_SetInputCount(1);
        P_SetNotifications({{IDC_LIST_PROTOCOL, Event::selection, 0}});
    }
};
