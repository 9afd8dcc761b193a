#include "toolkit/CStaticProgress.h"

#include <algorithm>
#include <cstdlib>

IMPLEMENT_DYNAMIC(CStaticProgress, CStatic)

BEGIN_MESSAGE_MAP(CStaticProgress, CStatic)
    ON_WM_PAINT()
    ON_MESSAGE(WM_SETTEXT, OnSetText)
END_MESSAGE_MAP()

void CStaticProgress::SetFgColor(COLORREF tail, COLORREF head)
{
    m_crFirstSet = m_crFirst = tail;
    m_crLastSet = m_crLast = head;
}

void CStaticProgress::SetBkColor(COLORREF colour)
{
    m_crBk = colour;
    if (m_hWnd)
        Invalidate();
}

void CStaticProgress::ResetProgress()
{
    m_nFirst = m_nLast = 0;
    m_bReverse = false;
    m_bEndReached = false;
    m_crFirst = m_crFirstSet;
    m_crLast = m_crLastSet;
}

int CStaticProgress::SafeStepLast()
{
    const int before = m_nLast;
    m_nLast = m_bReverse ? std::max(m_nLast - m_nStep, 0) : std::min(m_nLast + m_nStep, m_nMax);
    return std::abs(m_nLast - before);
}

int CStaticProgress::SafeStepFirst()
{
    if (!m_bEndReached) {
        const int run = m_bReverse ? m_nMax - m_nLast : m_nLast;
        if (run < m_nLength)
            return 0;
    }
    const int before = m_nFirst;
    m_nFirst = m_bReverse ? std::max(m_nFirst - m_nStep, 0) : std::min(m_nFirst + m_nStep, m_nMax);
    return std::abs(m_nFirst - before);
}

// The head has reached its end and the tail has caught up: back the other
// way, the colours in use swapped (forward again: as set).
void CStaticProgress::turn()
{
    m_bEndReached = false;
    if (!m_bReverse) {
        m_nFirst = m_nMax;
        m_nLast = m_nMax - m_nStep;
        m_bReverse = true;
        m_crLast = m_crFirstSet;
        m_crFirst = m_crLastSet;
    } else {
        m_nFirst = 0;
        m_nLast = m_nStep;
        m_bReverse = false;
        m_crFirst = m_crFirstSet;
        m_crLast = m_crLastSet;
    }
}

int CStaticProgress::StepIt()
{
    const int end = m_bReverse ? 0 : m_nMax;
    if (m_nLast != end && (m_bReverse ? m_nLast > end : m_nLast < end)) {
        SafeStepLast();
        SafeStepFirst();
    } else if (!m_bEndReached) {
        m_bEndReached = true;
    } else {
        SafeStepFirst();
        if (m_nFirst == end)
            turn();
    }
    if (m_hWnd) {
        Invalidate();
        UpdateWindow();
    }
    return m_nLast;
}

LRESULT CStaticProgress::OnSetText(WPARAM, LPARAM lParam)
{
    const LRESULT result = Default();
    const CString text = reinterpret_cast<LPCSTR>(lParam) ? reinterpret_cast<LPCSTR>(lParam) : "";
    if (text.CompareNoCase(m_strText) != 0) {
        m_strText = text;
        Invalidate();
    }
    return result;
}

void CStaticProgress::DrawGradient(CDC* dc, CRect rect)
{
    const int dr = GetRValue(m_crLast) - GetRValue(m_crFirst);
    const int dg = GetGValue(m_crLast) - GetGValue(m_crFirst);
    const int db = GetBValue(m_crLast) - GetBValue(m_crFirst);
    const int n = std::max({std::abs(dr), std::abs(dg), std::abs(db)});
    const int w = rect.Width();
    // One stripe per colour step; both edges of every stripe are rounded
    // alike, so the stripes tile the rectangle without gaps even when it is
    // narrower than the number of steps.
    auto edge = [&](int i) { return rect.left + static_cast<int>(static_cast<double>(i) * w / n + 0.5); };
    for (int i = 0; i < n; ++i) {
        const int left = edge(i), right = edge(i + 1);
        if (left >= rect.right)
            break;
        if (right <= left)
            continue;
        dc->FillSolidRect(left, rect.top, right - left, rect.Height(),
                          RGB(GetRValue(m_crFirst) + i * dr / n, GetGValue(m_crFirst) + i * dg / n,
                              GetBValue(m_crFirst) + i * db / n));
    }
}

void CStaticProgress::OnPaint()
{
    {
        CPaintDC validate(this);
    }
    CClientDC dc(this);
    CRect client;
    GetClientRect(&client);
    const int width = client.Width();
    if (m_nMax <= 0) {
        // Nothing can be placed on a scale without length.
        dc.FillSolidRect(&client, m_crBk);
    } else {
        auto x_of = [&](int position) {
            return std::clamp(static_cast<int>(static_cast<double>(width) * position / m_nMax), 0, width);
        };
        const int xTail = x_of(m_nFirst), xHead = x_of(m_nLast);
        const int from = std::min(xTail, xHead), to = std::max(xTail, xHead);
        if (from > 0)
            dc.FillSolidRect(0, client.top, from, client.Height(), m_crBk);
        if (to < width)
            dc.FillSolidRect(to, client.top, width - to, client.Height(), m_crBk);
        const CRect segment(from, client.top, to, client.bottom);
        if (m_crFirst == m_crLast) {
            dc.FillSolidRect(&segment, m_crLast);
        } else {
            // The band stays inside the segment however short it is.
            const int band = m_bGradientBand ? std::min(std::max(segment.Width() / 4, 10), segment.Width()) : 0;
            CRect solid = segment, shaded = segment;
            if (!m_bReverse) {
                solid.left = segment.right - band;
                shaded.right = solid.left;
            } else {
                solid.right = segment.left + band;
                shaded.left = solid.right;
            }
            if (band > 0)
                dc.FillSolidRect(&solid, m_crLast);
            if (!m_bReverse) {
                DrawGradient(&dc, shaded);
            } else {
                // Mirrored: the head colour on the left.
                std::swap(m_crFirst, m_crLast);
                DrawGradient(&dc, shaded);
                std::swap(m_crFirst, m_crLast);
            }
        }
    }
    CString text;
    GetWindowText(text);
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT));
    HGDIOBJ old = font ? ::SelectObject(dc, font) : nullptr;
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(m_crText);
    dc.DrawText(text, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (old)
        ::SelectObject(dc, old);
}
