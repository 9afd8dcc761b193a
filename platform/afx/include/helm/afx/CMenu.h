// CMenu: a menu object. Attach, the Create functions and LoadMenu bind the
// menu permanently (FromHandlePermanent finds the object, and an owner-drawn
// item reaches its DrawItem and MeasureItem); FromHandle makes a temporary
// object for a menu nobody bound, valid until the thread is next idle. A
// bound menu is destroyed with its object unless detached first.
#pragma once

#include "helm/afx/CWnd.h"
#include "helm/user/menus.h"

class CMenu : public CObject {
    DECLARE_DYNCREATE(CMenu)

public:
    CMenu() = default;
    ~CMenu() override;
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    HMENU m_hMenu = nullptr;

    operator HMENU() const { return m_hMenu; }
    HMENU GetSafeHmenu() const { return m_hMenu; }
    static CMenu* FromHandle(HMENU menu);
    static CMenu* FromHandlePermanent(HMENU menu);
    // The bound menu of this thread that holds an item with this command id
    // (an owner-drawn item's measuring names no menu).
    static CMenu* FromItemPermanent(UINT id);
    static void DeleteTempMap();
    BOOL Attach(HMENU menu);
    HMENU Detach();

    BOOL CreateMenu() { return Attach(::CreateMenu()); }
    BOOL CreatePopupMenu() { return Attach(::CreatePopupMenu()); }
    // From the resource chain.
    BOOL LoadMenu(UINT id);
    BOOL DestroyMenu();

    BOOL AppendMenu(UINT flags, UINT_PTR id = 0, LPCSTR item = nullptr)
    {
        return ::AppendMenu(m_hMenu, flags, id, item);
    }
    BOOL InsertMenu(UINT position, UINT flags, UINT_PTR id = 0, LPCSTR item = nullptr)
    {
        return ::InsertMenu(m_hMenu, position, flags, id, item);
    }
    BOOL DeleteMenu(UINT position, UINT flags) { return ::DeleteMenu(m_hMenu, position, flags); }
    UINT CheckMenuItem(UINT item, UINT check) { return ::CheckMenuItem(m_hMenu, item, check); }
    UINT EnableMenuItem(UINT item, UINT enable) { return ::EnableMenuItem(m_hMenu, item, enable); }
    UINT GetMenuState(UINT item, UINT flags) const { return ::GetMenuState(m_hMenu, item, flags); }
    UINT GetMenuItemID(int position) const { return ::GetMenuItemID(m_hMenu, position); }
    UINT GetMenuItemCount() const { return static_cast<UINT>(::GetMenuItemCount(m_hMenu)); }
    CMenu* GetSubMenu(int position) const { return FromHandle(::GetSubMenu(m_hMenu, position)); }
    BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, LPCRECT exclude = nullptr)
    {
        return ::TrackPopupMenu(m_hMenu, flags, x, y, 0, owner ? owner->m_hWnd : nullptr, exclude);
    }

    // An owner-drawn item of this menu, told by its owner window.
    virtual void DrawItem(LPDRAWITEMSTRUCT drawItem);
    virtual void MeasureItem(LPMEASUREITEMSTRUCT measureItem);
};
