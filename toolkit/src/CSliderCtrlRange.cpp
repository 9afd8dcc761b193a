#include "toolkit/CSliderCtrlRange.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "toolkit/CColorTools.h"

IMPLEMENT_DYNAMIC(CSliderCtrlRange, CSliderCtrl)

BEGIN_MESSAGE_MAP(CSliderCtrlRange, CSliderCtrl)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_LBUTTONUP()
    ON_WM_RBUTTONDOWN()
    ON_WM_RBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_KEYDOWN()
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_WM_SETCURSOR()
    ON_MESSAGE(WM_GETDLGCODE, OnGetDlgCode)
    ON_MESSAGE(WM_CAPTURECHANGED, OnCaptureChanged)
    ON_MESSAGE(WM_RBUTTONDBLCLK, OnRButtonDblClk)
END_MESSAGE_MAP()

namespace {

// How far the derived colours lie from the background.
constexpr BYTE relief = 60;
// The longest thumb along the slider's axis.
constexpr int thumb_limit = 8;

COLORREF darken(COLORREF colour, BYTE amount)
{
    auto lower = [amount](int channel) { return static_cast<BYTE>(std::max(channel - amount, 0)); };
    return RGB(lower(GetRValue(colour)), lower(GetGValue(colour)), lower(GetBValue(colour)));
}

}  // namespace

CSliderCtrlRange::CSliderCtrlRange()
    : m_crBck(GetSysColor(COLOR_BTNFACE)), m_crBand(GetSysColor(COLOR_HIGHLIGHT)), m_crFace(GetSysColor(COLOR_BTNFACE))
{
    make_tools();
}

CSliderCtrlRange::~CSliderCtrlRange() = default;

void CSliderCtrlRange::make_tools()
{
    m_crLight = CColorTools::F_ColorLighten(m_crBck, relief);
    m_crShadow = darken(m_crBck, relief);
    m_penLight.DeleteObject();
    m_penShadow.DeleteObject();
    m_brushBck.DeleteObject();
    m_brushBand.DeleteObject();
    m_penLight.CreatePen(PS_SOLID, 1, m_crLight);
    m_penShadow.CreatePen(PS_SOLID, 1, m_crShadow);
    m_brushBck.CreateSolidBrush(m_crBck);
    m_brushBand.CreateSolidBrush(m_crBand);
}

void CSliderCtrlRange::PreSubclassWindow()
{
    CSliderCtrl::PreSubclassWindow();
    // The names carry the window, so every slider has messages of its own.
    const unsigned handle = static_cast<unsigned>(reinterpret_cast<uintptr_t>(m_hWnd));
    CString name;
    name.Format("CCustomSlider Selection Changed  - %X - {92610D9C-BCEC-47e7-8D9E-FA52A5FFDFB0}", handle);
    m_nMsgChanged = RegisterWindowMessage(name);
    name.Format("CCustomSlider Selection Changing - %X - {92610D9C-BCEC-47e7-8D9E-FA52A5FFDFB0}", handle);
    m_nMsgChanging = RegisterWindowMessage(name);
    Invalidate();
}

// ---------------------------------------------------------------------------
// The program's side.

void CSliderCtrlRange::F_SetRange(int a, int b)
{
    m_nMin = std::min(a, b);
    m_nMax = std::max(a, b);
    m_nMinWidth = std::min(m_nMinWidth, m_nMax - m_nMin);
    if (m_nSelMin < m_nMin || m_nSelMin > m_nMax)
        m_nSelMin = m_nMin;
    if (m_nSelMax < m_nMin || m_nSelMax > m_nMax)
        m_nSelMax = m_nMax;
    if (m_hWnd) {
        Invalidate();
        UpdateWindow();
    }
}

void CSliderCtrlRange::F_SetSel(int selMin, int selMax)
{
    int low = m_nSelMin, high = m_nSelMax;
    if (selMin < m_nMin)
        low = m_nMin;
    else if (selMin <= m_nMax && selMin < selMax)
        low = selMin;
    // An upper end above the range, or one not above the lower end asked
    // for, is the range's maximum: keeping the old one could leave it below
    // the new lower end.
    if (selMax >= m_nMin && selMax <= m_nMax && selMax > selMin)
        high = selMax;
    else
        high = m_nMax;
    apply(low, high, false);
}

void CSliderCtrlRange::F_Disable_Move()
{
    m_bCanMove = false;
}

void CSliderCtrlRange::F_Disable_Resize_Min()
{
    m_bCanResizeMin = false;
    if (m_hWnd)
        Invalidate();
}

void CSliderCtrlRange::F_Disable_Resize_Max()
{
    m_bCanResizeMax = false;
    if (m_hWnd)
        Invalidate();
}

void CSliderCtrlRange::F_Able_Drum_behaviour(bool drum)
{
    m_bDrum = drum;
    if (m_hWnd)
        Invalidate();
}

bool CSliderCtrlRange::F_ReverseVert_Set(bool reversed)
{
    m_bReverseVert = reversed;
    if (m_hWnd)
        Invalidate();
    return reversed;
}

bool CSliderCtrlRange::F_InvertMouse_Set(bool invert)
{
    m_bInvertMouse = invert;
    return invert;
}

void CSliderCtrlRange::F_SetColorBck(COLORREF colour)
{
    m_crBck = colour;
    make_tools();
    if (m_hWnd) {
        Invalidate();
        UpdateWindow();
    }
}

bool CSliderCtrlRange::apply(int low, int high, bool notify)
{
    if (low == m_nSelMin && high == m_nSelMax)
        return false;
    m_nSelMin = low;
    m_nSelMax = high;
    if (m_hWnd) {
        Invalidate();
        UpdateWindow();
    }
    if (notify)
        post(m_nMsgChanging);
    return true;
}

void CSliderCtrlRange::post(UINT message) const
{
    if (message && m_hWnd)
        if (CWnd* parent = GetParent())
            parent->PostMessage(message, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

void CSliderCtrlRange::fit(int& low, int& high) const
{
    const int width = std::min(std::max(high - low, m_nMinWidth), m_nMax - m_nMin);
    if (low < m_nMin)
        low = m_nMin;
    if (low + width > m_nMax)
        low = m_nMax - width;
    high = low + width;
}

void CSliderCtrlRange::about_centre(int low, int high, int width, int& outLow, int& outHigh) const
{
    width = std::clamp(width, m_nMinWidth, m_nMax - m_nMin);
    outLow = (low + high - width) / 2;
    outHigh = outLow + width;
    fit(outLow, outHigh);
}

// ---------------------------------------------------------------------------
// Geometry along the slider's axis.

bool CSliderCtrlRange::vertical() const
{
    if (GetStyle() & TBS_VERT)
        return true;
    CRect client;
    GetClientRect(&client);
    return client.Height() > client.Width();
}

bool CSliderCtrlRange::increasing() const
{
    return !vertical() || m_bReverseVert;
}

int CSliderCtrlRange::length() const
{
    CRect client;
    GetClientRect(&client);
    return vertical() ? client.Height() : client.Width();
}

int CSliderCtrlRange::thumb() const
{
    // Both thumbs and at least one pixel of track fit.
    return std::clamp((length() - 1) / 2, 0, thumb_limit);
}

int CSliderCtrlRange::pixel_of(int value) const
{
    const int t = thumb(), track = length() - 2 * t;
    const double share = m_nMax > m_nMin ? static_cast<double>(value - m_nMin) / (m_nMax - m_nMin) : 0.0;
    const int offset = static_cast<int>(std::lround(share * track));
    return increasing() ? t + offset : length() - t - offset;
}

int CSliderCtrlRange::value_at(int pixel) const
{
    const int t = thumb(), track = length() - 2 * t;
    if (track <= 0 || m_nMax <= m_nMin)
        return m_nMin;
    const int offset = increasing() ? pixel - t : length() - t - pixel;
    const long value = m_nMin + std::lround(static_cast<double>(offset) * (m_nMax - m_nMin) / track);
    return static_cast<int>(std::clamp<long>(value, m_nMin, m_nMax));
}

int CSliderCtrlRange::ticks_between(int fromPixel, int toPixel) const
{
    const int track = length() - 2 * thumb();
    if (track <= 0)
        return 0;
    const double ticks = static_cast<double>(toPixel - fromPixel) * (m_nMax - m_nMin) / track;
    return static_cast<int>(std::lround(increasing() ? ticks : -ticks));
}

int CSliderCtrlRange::along(CPoint point) const
{
    return vertical() ? point.y : point.x;
}

void CSliderCtrlRange::thumb_spans(int& lowerFrom, int& lowerTo, int& upperFrom, int& upperTo) const
{
    // The lower thumb lies on the smaller values' side of the lower end,
    // the upper thumb on the larger values' side of the upper end.
    const int t = thumb(), low = pixel_of(m_nSelMin), high = pixel_of(m_nSelMax);
    if (increasing()) {
        lowerFrom = low - t, lowerTo = low;
        upperFrom = high, upperTo = high + t;
    } else {
        lowerFrom = low, lowerTo = low + t;
        upperFrom = high - t, upperTo = high;
    }
}

CRect CSliderCtrlRange::span_rect(int from, int to) const
{
    CRect client;
    GetClientRect(&client);
    return vertical() ? CRect(client.left, from, client.right, to) : CRect(from, client.top, to, client.bottom);
}

CSliderCtrlRange::Grip CSliderCtrlRange::hit(int pixel) const
{
    int lowerFrom, lowerTo, upperFrom, upperTo;
    thumb_spans(lowerFrom, lowerTo, upperFrom, upperTo);
    if (pixel >= lowerFrom && pixel < lowerTo)
        return Grip::lower;
    if (pixel >= upperFrom && pixel < upperTo)
        return Grip::upper;
    const int bandFrom = std::min(lowerTo, upperFrom), bandTo = std::max(lowerFrom, upperTo);
    if (pixel >= std::min(bandFrom, bandTo) && pixel < std::max(bandFrom, bandTo))
        return Grip::both;
    return Grip::none;
}

// ---------------------------------------------------------------------------
// The operator's side.

bool CSliderCtrlRange::allowed(Grip grip) const
{
    switch (grip) {
    case Grip::lower: return m_bCanResizeMin;
    case Grip::upper: return m_bCanResizeMax;
    case Grip::both: return m_bCanMove;
    case Grip::none: break;
    }
    return false;
}

void CSliderCtrlRange::moved(Grip grip, int delta, int low, int high, int& outLow, int& outHigh) const
{
    outLow = low;
    outHigh = high;
    switch (grip) {
    case Grip::both:
        outLow += delta;
        outHigh += delta;
        fit(outLow, outHigh);
        break;
    case Grip::lower:
        if (m_bDrum)
            about_centre(low, high, high - low - 2 * delta, outLow, outHigh);
        else
            outLow = std::clamp(low + delta, m_nMin, std::max(m_nMin, high - m_nMinWidth));
        break;
    case Grip::upper:
        if (m_bDrum)
            about_centre(low, high, high - low + 2 * delta, outLow, outHigh);
        else
            outHigh = std::clamp(high + delta, std::min(m_nMax, low + m_nMinWidth), m_nMax);
        break;
    case Grip::none: break;
    }
}

void CSliderCtrlRange::press(Role role, CPoint point)
{
    SetFocus();
    const int value = value_at(along(point));
    Grip grip = role == Role::other ? Grip::both : hit(along(point));
    int delta = 0;
    if (grip == Grip::none) {
        // The main button outside the selection: the nearer end comes to
        // the point, or the whole selection when that end may not move.
        const bool lowerSide = value < m_nSelMin;
        grip = lowerSide ? Grip::lower : Grip::upper;
        if (!allowed(grip))
            grip = Grip::both;
        delta = value - (lowerSide ? m_nSelMin : m_nSelMax);
    }
    // A selection that may not move as a whole is resized in drum mode,
    // by the end on the pressed side of its centre; a thumb that may not
    // move moves the selection when that may.
    if (grip == Grip::both && !allowed(grip) && m_bDrum)
        grip = 2 * value < m_nSelMin + m_nSelMax ? Grip::lower : Grip::upper;
    if (grip != Grip::both && !allowed(grip))
        grip = Grip::both;
    if (!allowed(grip))
        return;
    int low, high;
    moved(grip, delta, m_nSelMin, m_nSelMax, low, high);
    m_bDragChanged = apply(low, high, true);
    m_grip = grip;
    m_nPressPixel = along(point);
    m_nPressMin = m_nSelMin;
    m_nPressMax = m_nSelMax;
    ::SetCapture(m_hWnd);
}

void CSliderCtrlRange::OnMouseMove(UINT, CPoint point)
{
    if (m_grip == Grip::none)
        return;
    int low, high;
    // Counted from the press, so the grip keeps its hold past the ends.
    moved(m_grip, ticks_between(m_nPressPixel, along(point)), m_nPressMin, m_nPressMax, low, high);
    if (apply(low, high, true))
        m_bDragChanged = true;
}

void CSliderCtrlRange::release()
{
    if (m_grip == Grip::none)
        return;
    m_grip = Grip::none;
    m_nDragButton = 0;
    if (::GetCapture() == m_hWnd)
        ReleaseCapture();
    if (m_bDragChanged)
        post(m_nMsgChanged);
    m_bDragChanged = false;
}

void CSliderCtrlRange::OnLButtonDown(UINT, CPoint point)
{
    press(m_bInvertMouse ? Role::other : Role::main, point);
    if (m_grip != Grip::none)
        m_nDragButton = WM_LBUTTONUP;
}

void CSliderCtrlRange::OnRButtonDown(UINT, CPoint point)
{
    if (m_bDrum)
        return;
    press(m_bInvertMouse ? Role::main : Role::other, point);
    if (m_grip != Grip::none)
        m_nDragButton = WM_RBUTTONUP;
}

// The track bar's class wants double clicks; a second press is a press.
void CSliderCtrlRange::OnLButtonDblClk(UINT flags, CPoint point)
{
    OnLButtonDown(flags, point);
}

LRESULT CSliderCtrlRange::OnRButtonDblClk(WPARAM wParam, LPARAM lParam)
{
    OnRButtonDown(static_cast<UINT>(wParam), CPoint(static_cast<DWORD>(lParam)));
    return 0;
}

void CSliderCtrlRange::OnLButtonUp(UINT, CPoint)
{
    if (m_nDragButton == WM_LBUTTONUP)
        release();
}

void CSliderCtrlRange::OnRButtonUp(UINT, CPoint)
{
    if (m_nDragButton == WM_RBUTTONUP)
        release();
}

LRESULT CSliderCtrlRange::OnCaptureChanged(WPARAM, LPARAM lParam)
{
    // Another window took the mouse: the drag ends where it is.
    if (reinterpret_cast<HWND>(lParam) != m_hWnd && m_grip != Grip::none) {
        m_grip = Grip::none;
        m_nDragButton = 0;
        if (m_bDragChanged)
            post(m_nMsgChanged);
        m_bDragChanged = false;
    }
    return 0;
}

void CSliderCtrlRange::OnKeyDown(UINT key, UINT repeat, UINT flags)
{
    const int page = std::max(1, (m_nMax - m_nMin) / 10);
    // The arrows along the slider, toward growing values or back.
    const bool forward = vertical() ? key == (m_bReverseVert ? VK_DOWN : VK_UP) : key == VK_RIGHT;
    const bool backward = vertical() ? key == (m_bReverseVert ? VK_UP : VK_DOWN) : key == VK_LEFT;
    int delta;
    if (forward || backward)
        delta = forward ? 1 : -1;
    else if (key == VK_PRIOR || key == VK_NEXT)
        delta = key == VK_NEXT ? page : -page;
    else if (key == VK_HOME)
        delta = m_nMin - m_nSelMin;
    else if (key == VK_END)
        delta = m_nMax - m_nSelMax;
    else {
        CSliderCtrl::OnKeyDown(key, repeat, flags);
        return;
    }
    Grip grip = GetKeyState(VK_SHIFT) < 0 ? Grip::upper : GetKeyState(VK_CONTROL) < 0 ? Grip::lower : Grip::both;
    if (grip == Grip::both && !allowed(grip) && m_bDrum)
        grip = Grip::upper;
    if (!allowed(grip))
        return;
    int low, high;
    moved(grip, delta, m_nSelMin, m_nSelMax, low, high);
    apply(low, high, true);
}

LRESULT CSliderCtrlRange::OnGetDlgCode(WPARAM, LPARAM)
{
    return DLGC_WANTARROWS;
}

void CSliderCtrlRange::OnSetFocus(CWnd*)
{
    Invalidate();
}

void CSliderCtrlRange::OnKillFocus(CWnd*)
{
    Invalidate();
}

BOOL CSliderCtrlRange::OnSetCursor(CWnd* window, UINT hitTest, UINT message)
{
    if (!m_bDrum)
        return CSliderCtrl::OnSetCursor(window, hitTest, message);
    ::SetCursor(LoadCursor(nullptr, vertical() ? IDC_SIZENS : IDC_SIZEWE));
    return TRUE;
}

// ---------------------------------------------------------------------------
// Painting.

BOOL CSliderCtrlRange::OnEraseBkgnd(CDC*)
{
    return TRUE;  // the whole client area is painted
}

void CSliderCtrlRange::draw_thumb(CDC& dc, const CRect& r, bool enabled) const
{
    if (r.IsRectEmpty())
        return;
    dc.FillSolidRect(&r, m_crFace);
    if (enabled)
        dc.Draw3dRect(&r, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
    else
        dc.Draw3dRect(&r, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNSHADOW));
}

void CSliderCtrlRange::OnPaint()
{
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    dc.FillRect(&client, &m_brushBck);
    const int t = thumb();
    // The groove along the middle, sunken.
    const int from = t, to = length() - t;
    if (vertical()) {
        const int x = client.Width() / 2;
        CPen* old = dc.SelectObject(&m_penShadow);
        dc.MoveTo(x - 1, from);
        dc.LineTo(x - 1, to);
        dc.SelectObject(&m_penLight);
        dc.MoveTo(x, from);
        dc.LineTo(x, to);
        dc.SelectObject(old);
    } else {
        const int y = client.Height() / 2;
        CPen* old = dc.SelectObject(&m_penShadow);
        dc.MoveTo(from, y - 1);
        dc.LineTo(to, y - 1);
        dc.SelectObject(&m_penLight);
        dc.MoveTo(from, y);
        dc.LineTo(to, y);
        dc.SelectObject(old);
    }
    // The selection between the thumbs, inset from the sides.
    const int low = pixel_of(m_nSelMin), high = pixel_of(m_nSelMax);
    CRect band = span_rect(std::min(low, high), std::max(low, high));
    if (vertical())
        band.DeflateRect(2, 0);
    else
        band.DeflateRect(0, 2);
    if (!band.IsRectEmpty())
        dc.FillRect(&band, &m_brushBand);
    int lowerFrom, lowerTo, upperFrom, upperTo;
    thumb_spans(lowerFrom, lowerTo, upperFrom, upperTo);
    draw_thumb(dc, span_rect(lowerFrom, lowerTo), m_bCanResizeMin || m_bDrum);
    draw_thumb(dc, span_rect(upperFrom, upperTo), m_bCanResizeMax || m_bDrum);
    if (GetFocus() == this) {
        CRect focus = client;
        ::DrawFocusRect(dc, &focus);
    }
}
