// CDC: a device context object over the drawing layer's handle. A CDC made
// for a handle it did not create (FromHandle, the CDC* a handler is given)
// never deletes it; CPaintDC, CClientDC and CWindowDC get and release their
// window's context; CreateCompatibleDC makes one the object deletes.
#pragma once

#include "helm/afx/CGdiObject.h"
#include "helm/afx/CPoint.h"
#include "helm/afx/CRect.h"
#include "helm/afx/CString.h"

class CWnd;

class CDC : public CObject {
    DECLARE_DYNCREATE(CDC)

public:
    CDC() = default;
    ~CDC() override;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC = nullptr;

    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }
    BOOL Attach(HDC dc);
    HDC Detach();
    // A temporary object for the handle, valid until the thread is next idle;
    // null for a null handle.
    static CDC* FromHandle(HDC dc);
    static void DeleteTempMap();
    // A memory context this object owns (deleted with it).
    BOOL CreateCompatibleDC(CDC* dc);
    BOOL DeleteDC();
    int SaveDC() { return ::SaveDC(m_hDC); }
    BOOL RestoreDC(int saved) { return ::RestoreDC(m_hDC, saved); }

    // The object selected before, as a temporary object (null when none).
    CGdiObject* SelectObject(CGdiObject* object);
    CPen* SelectObject(CPen* pen) { return static_cast<CPen*>(SelectObject(static_cast<CGdiObject*>(pen))); }
    CBrush* SelectObject(CBrush* brush) { return static_cast<CBrush*>(SelectObject(static_cast<CGdiObject*>(brush))); }
    CFont* SelectObject(CFont* font) { return static_cast<CFont*>(SelectObject(static_cast<CGdiObject*>(font))); }
    CBitmap* SelectObject(CBitmap* bitmap)
    {
        return static_cast<CBitmap*>(SelectObject(static_cast<CGdiObject*>(bitmap)));
    }
    CGdiObject* SelectStockObject(int index);

    COLORREF SetTextColor(COLORREF colour) { return ::SetTextColor(m_hDC, colour); }
    COLORREF GetTextColor() const { return ::GetTextColor(m_hDC); }
    COLORREF SetBkColor(COLORREF colour) { return ::SetBkColor(m_hDC, colour); }
    COLORREF GetBkColor() const { return ::GetBkColor(m_hDC); }
    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }

    void FillRect(LPCRECT rect, CBrush* brush) { ::FillRect(m_hDC, rect, brush ? static_cast<HBRUSH>(*brush) : nullptr); }
    void FrameRect(LPCRECT rect, CBrush* brush)
    {
        ::FrameRect(m_hDC, rect, brush ? static_cast<HBRUSH>(*brush) : nullptr);
    }
    void FillSolidRect(LPCRECT rect, COLORREF colour);
    void FillSolidRect(int x, int y, int width, int height, COLORREF colour);
    // A frame one pixel wide: top and left in one colour, bottom and right
    // in the other.
    void Draw3dRect(LPCRECT rect, COLORREF topLeft, COLORREF bottomRight);
    CPoint MoveTo(int x, int y);
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    BOOL Rectangle(int left, int top, int right, int bottom) { return ::Rectangle(m_hDC, left, top, right, bottom); }
    BOOL Rectangle(LPCRECT rect) { return Rectangle(rect->left, rect->top, rect->right, rect->bottom); }
    BOOL Polygon(const POINT* points, int count) { return ::Polygon(m_hDC, points, count); }
    BOOL BitBlt(int x, int y, int width, int height, CDC* source, int sourceX, int sourceY, DWORD rop)
    {
        return ::BitBlt(m_hDC, x, y, width, height, source ? source->m_hDC : nullptr, sourceX, sourceY, rop);
    }

    int DrawText(LPCSTR text, int count, LPRECT rect, UINT format) { return ::DrawText(m_hDC, text, count, rect, format); }
    int DrawText(const CString& text, LPRECT rect, UINT format)
    {
        return DrawText(text.GetString(), text.GetLength(), rect, format);
    }
    CSize GetTextExtent(LPCSTR text, int count) const;
    CSize GetTextExtent(const CString& text) const { return GetTextExtent(text.GetString(), text.GetLength()); }

protected:
    bool m_owned = false;  // made by CreateCompatibleDC
};

// BeginPaint in the constructor, EndPaint in the destructor.
class CPaintDC : public CDC {
    DECLARE_DYNAMIC(CPaintDC)

public:
    explicit CPaintDC(CWnd* window);
    ~CPaintDC() override;

    PAINTSTRUCT m_ps{};

protected:
    HWND m_hWnd = nullptr;
};

// GetDC in the constructor, ReleaseDC in the destructor: the client area.
class CClientDC : public CDC {
    DECLARE_DYNAMIC(CClientDC)

public:
    explicit CClientDC(CWnd* window);
    ~CClientDC() override;

protected:
    HWND m_hWnd = nullptr;
};
