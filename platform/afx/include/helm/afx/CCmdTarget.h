// CCmdTarget: an object with a message map; commands and control
// notifications are routed to it through OnCmdMsg.
#pragma once

#include "helm/afx/CObject.h"
#include "helm/afx/event_sink_map.h"
#include "helm/afx/message_map.h"

struct AFX_CMDHANDLERINFO;

class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)

public:
    CCmdTarget() = default;

    // nCode is MAKELONG(notification code, message): message 0 or WM_COMMAND
    // for commands and control notifications, WM_NOTIFY for notifications
    // (pExtra then is the NMHDR and pHandlerInfo's result slot is used).
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);

    // Calls the entries of this object's map chain that match, most derived
    // class first, until one takes the message; FALSE when none did. The id
    // counts for commands and notifications only.
    BOOL DispatchToMap(UINT message, UINT code, UINT id, WPARAM wParam, LPARAM lParam, LRESULT* result);

    // The events of hosted controls this object handles (an empty map
    // unless the class has DECLARE_EVENTSINK_MAP).
    virtual const AFX_EVENTSINKMAP* GetEventSinkMap() const;

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
    static const AFX_EVENTSINKMAP* GetThisEventSinkMap();
};

// Where a notification handler writes its result.
struct AFX_CMDHANDLERINFO {
    LRESULT* pResult;
};
