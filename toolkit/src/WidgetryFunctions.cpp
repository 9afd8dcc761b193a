#include "toolkit/WidgetryFunctions.h"

#include "toolkit/CStringLang.h"
#include "toolkit/WidgetryRes.h"

HICON F_Q_LoadIcon(int kind)
{
    static constexpr UINT icons[] = {IDI_WIDGETRY_PIN,     IDI_WIDGETRY_PINNED, IDI_WIDGETRY_MINIMISE,
                                     IDI_WIDGETRY_COMPASS, IDI_WIDGETRY_INFO,   IDI_WIDGETRY_KEYBOARD};
    if (kind < 0 || kind >= static_cast<int>(std::size(icons)))
        return nullptr;
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return LoadIcon(AfxGetResourceHandle(), MAKEINTRESOURCE(icons[kind]));
}

HBITMAP F_Q_LoadBitmap(int kind, CBitmap* bitmap, BITMAP* info)
{
    static constexpr UINT bitmaps[] = {IDB_WIDGETRY_LOGO_SMALL, IDB_WIDGETRY_LOGO_LARGE, IDB_WIDGETRY_BANNER};
    if (kind < 0 || kind >= static_cast<int>(std::size(bitmaps)) || !bitmap)
        return nullptr;
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    bitmap->DeleteObject();
    if (!bitmap->Attach(LoadBitmap(AfxGetResourceHandle(), MAKEINTRESOURCE(bitmaps[kind]))))
        return nullptr;
    if (info)
        bitmap->GetBitmap(info);
    return *bitmap;
}

void AppLoadString(CString& out, UINT id)
{
    const CString appName = AfxGetAppName();
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    CStringLang text;
    if (!text.LoadString(AfxGetResourceHandle(), id))
        return;
    text.Replace("%app%", appName);
    out = text;
}
