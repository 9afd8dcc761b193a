#include "helm/afx/CDC.h"

#include "helm/afx/CWnd.h"
#include "thread_state.h"

IMPLEMENT_DYNCREATE(CDC, CObject)
IMPLEMENT_DYNAMIC(CPaintDC, CDC)
IMPLEMENT_DYNAMIC(CClientDC, CDC)

CDC::~CDC()
{
    DeleteDC();
}

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
    m_owned = false;
    return dc;
}

BOOL CDC::CreateCompatibleDC(CDC* dc)
{
    if (m_hDC)
        return FALSE;
    m_hDC = ::CreateCompatibleDC(dc ? dc->m_hDC : nullptr);
    m_owned = m_hDC != nullptr;
    return m_owned;
}

BOOL CDC::DeleteDC()
{
    if (!m_owned)
        return FALSE;
    return ::DeleteDC(Detach());
}

CDC* CDC::FromHandle(HDC dc)
{
    if (!dc)
        return nullptr;
    return helm::afx::thread_state().temporary_dcs.get(dc, [] { return std::make_unique<CDC>(); });
}

void CDC::DeleteTempMap()
{
    helm::afx::thread_state().temporary_dcs.clear();
}

CGdiObject* CDC::SelectObject(CGdiObject* object)
{
    if (!object || !m_hDC)
        return nullptr;
    return CGdiObject::FromHandle(::SelectObject(m_hDC, object->m_hObject));
}

CGdiObject* CDC::SelectStockObject(int index)
{
    return m_hDC ? CGdiObject::FromHandle(::SelectObject(m_hDC, ::GetStockObject(index))) : nullptr;
}

void CDC::FillSolidRect(LPCRECT rect, COLORREF colour)
{
    HBRUSH brush = ::CreateSolidBrush(colour);
    ::FillRect(m_hDC, rect, brush);
    ::DeleteObject(brush);
}

void CDC::FillSolidRect(int x, int y, int width, int height, COLORREF colour)
{
    const RECT r{x, y, x + width, y + height};
    FillSolidRect(&r, colour);
}

void CDC::Draw3dRect(LPCRECT rect, COLORREF topLeft, COLORREF bottomRight)
{
    const int x = rect->left, y = rect->top;
    const int cx = rect->right - rect->left, cy = rect->bottom - rect->top;
    FillSolidRect(x, y, cx - 1, 1, topLeft);
    FillSolidRect(x, y, 1, cy - 1, topLeft);
    FillSolidRect(x + cx - 1, y, 1, cy, bottomRight);
    FillSolidRect(x, y + cy - 1, cx, 1, bottomRight);
}

CPoint CDC::MoveTo(int x, int y)
{
    POINT previous{};
    ::MoveToEx(m_hDC, x, y, &previous);
    return previous;
}

CSize CDC::GetTextExtent(LPCSTR text, int count) const
{
    SIZE size{};
    ::GetTextExtentPoint32(m_hDC, text, count, &size);
    return size;
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

CClientDC::CClientDC(CWnd* window) : m_hWnd(window ? window->m_hWnd : nullptr)
{
    m_hDC = ::GetDC(m_hWnd);
}

CClientDC::~CClientDC()
{
    ::ReleaseDC(m_hWnd, m_hDC);
    m_hDC = nullptr;
}
