#include "helm/afx/CDC.h"

#include "helm/afx/CWnd.h"
#include "thread_state.h"

IMPLEMENT_DYNCREATE(CDC, CObject)
IMPLEMENT_DYNAMIC(CPaintDC, CDC)

BOOL CDC::Attach(HDC dc)
{
    if (!dc || m_hDC)
        return FALSE;
    m_hDC = dc;
    return TRUE;
}

HDC CDC::Detach()
{
    HDC dc = m_hDC;
    m_hDC = nullptr;
    return dc;
}

CDC* CDC::FromHandle(HDC dc)
{
    if (!dc)
        return nullptr;
    auto& dcs = helm::afx::thread_state().temporary_dcs;
    auto& slot = dcs[dc];
    if (!slot) {
        slot = std::make_unique<CDC>();
        slot->m_hDC = dc;
    }
    return slot.get();
}

void CDC::DeleteTempMap()
{
    auto& dcs = helm::afx::thread_state().temporary_dcs;
    for (auto& [hdc, dc] : dcs)
        dc->m_hDC = nullptr;
    dcs.clear();
}

CPaintDC::CPaintDC(CWnd* window) : m_hWnd(window ? window->m_hWnd : nullptr)
{
    m_hDC = ::BeginPaint(m_hWnd, &m_ps);
}

CPaintDC::~CPaintDC()
{
    ::EndPaint(m_hWnd, &m_ps);
    m_hDC = nullptr;
}
