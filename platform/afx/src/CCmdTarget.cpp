#include "helm/afx/CCmdTarget.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

const AFX_EVENTSINKMAP* CCmdTarget::GetThisEventSinkMap()
{
    static const AFX_EVENTSINKMAP_ENTRY entries[] = {{0, 0, nullptr, nullptr}};
    static const AFX_EVENTSINKMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_EVENTSINKMAP* CCmdTarget::GetEventSinkMap() const
{
    return GetThisEventSinkMap();
}

namespace {

bool matches(const AFX_MSGMAP_ENTRY& entry, UINT message, UINT code, UINT id)
{
    if (entry.pnRegistered)
        return *entry.pnRegistered != 0 && *entry.pnRegistered == message;
    // Notification codes are often negative: compare them as WORDs, as the
    // message carries them.
    if (entry.nMessage != message || LOWORD(entry.nCode) != LOWORD(code))
        return false;
    if (message == WM_COMMAND || message == WM_NOTIFY)
        return id >= entry.nID && id <= entry.nLastID;
    return true;
}

}  // namespace

BOOL CCmdTarget::DispatchToMap(UINT message, UINT code, UINT id, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    LRESULT ignored = 0;
    if (!result)
        result = &ignored;
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->pfn; ++entry) {
            if (matches(*entry, message, code, id) && entry->pfn(this, message, wParam, lParam, result))
                return TRUE;
        }
    }
    return FALSE;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    UINT message = HIWORD(static_cast<DWORD>(nCode));
    if (message == 0)
        message = WM_COMMAND;
    LRESULT* result = pHandlerInfo ? pHandlerInfo->pResult : nullptr;
    return DispatchToMap(message, LOWORD(static_cast<DWORD>(nCode)), nID, nID, reinterpret_cast<LPARAM>(pExtra),
                         result);
}
