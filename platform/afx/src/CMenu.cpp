#include "helm/afx/CMenu.h"

#include "helm/afx/module_state.h"
#include "thread_state.h"

IMPLEMENT_DYNCREATE(CMenu, CObject)

CMenu::~CMenu()
{
    DestroyMenu();
}

CMenu* CMenu::FromHandlePermanent(HMENU menu)
{
    helm::afx::ThreadState* state = helm::afx::thread_state_if_alive();
    if (!state || !menu)
        return nullptr;
    auto found = state->permanent_menus.find(menu);
    return found == state->permanent_menus.end() ? nullptr : found->second;
}

CMenu* CMenu::FromItemPermanent(UINT id)
{
    helm::afx::ThreadState* state = helm::afx::thread_state_if_alive();
    if (!state)
        return nullptr;
    for (auto& [handle, menu] : state->permanent_menus)
        if (::GetMenuState(handle, id, MF_BYCOMMAND) != static_cast<UINT>(-1))
            return menu;
    return nullptr;
}

CMenu* CMenu::FromHandle(HMENU menu)
{
    if (!menu)
        return nullptr;
    if (CMenu* bound = FromHandlePermanent(menu))
        return bound;
    return helm::afx::thread_state().temporary_menus.get(menu, [] { return std::make_unique<CMenu>(); });
}

void CMenu::DeleteTempMap()
{
    helm::afx::thread_state().temporary_menus.clear();
}

BOOL CMenu::Attach(HMENU menu)
{
    if (!menu || m_hMenu)
        return FALSE;
    m_hMenu = menu;
    helm::afx::thread_state().permanent_menus[menu] = this;
    return TRUE;
}

HMENU CMenu::Detach()
{
    HMENU menu = m_hMenu;
    if (helm::afx::ThreadState* state = helm::afx::thread_state_if_alive()) {
        auto found = state->permanent_menus.find(menu);
        if (found != state->permanent_menus.end() && found->second == this)
            state->permanent_menus.erase(found);
    }
    m_hMenu = nullptr;
    return menu;
}

BOOL CMenu::LoadMenu(UINT id)
{
    HINSTANCE module = AfxFindResourceHandle(MAKEINTRESOURCE(id), RT_MENU);
    return Attach(::LoadMenu(module, MAKEINTRESOURCE(id)));
}

BOOL CMenu::DestroyMenu()
{
    if (!m_hMenu)
        return FALSE;
    return ::DestroyMenu(Detach());
}

void CMenu::DrawItem(LPDRAWITEMSTRUCT) {}

void CMenu::MeasureItem(LPMEASUREITEMSTRUCT) {}
