// The drawing objects of the class library: each object owns the drawing
// layer's handle it made or was given (Attach) and deletes it when it goes,
// unless the handle was taken back with Detach.
#pragma once

#include "helm/afx/CObject.h"
#include "helm/gdi/wingdi.h"

class CGdiObject : public CObject {
    DECLARE_DYNCREATE(CGdiObject)

public:
    CGdiObject() = default;
    ~CGdiObject() override { DeleteObject(); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    HGDIOBJ m_hObject = nullptr;

    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    operator HGDIOBJ() const { return m_hObject; }
    BOOL Attach(HGDIOBJ object);
    HGDIOBJ Detach();
    // Deletes the handle (FALSE when there is none).
    BOOL DeleteObject();
    int GetObject(int size, LPVOID out) const { return ::GetObject(m_hObject, size, out); }
    // A temporary object of the handle's kind for a handle nobody here owns
    // (it never deletes it), valid until the thread is next idle.
    static CGdiObject* FromHandle(HGDIOBJ object);
    static void DeleteTempMap();
};

class CPen : public CGdiObject {
    DECLARE_DYNAMIC(CPen)

public:
    CPen() = default;
    CPen(int style, int width, COLORREF colour) { CreatePen(style, width, colour); }
    operator HPEN() const { return static_cast<HPEN>(m_hObject); }
    BOOL CreatePen(int style, int width, COLORREF colour) { return Attach(::CreatePen(style, width, colour)); }
};

class CBrush : public CGdiObject {
    DECLARE_DYNAMIC(CBrush)

public:
    CBrush() = default;
    explicit CBrush(COLORREF colour) { CreateSolidBrush(colour); }
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
    BOOL CreateSolidBrush(COLORREF colour) { return Attach(::CreateSolidBrush(colour)); }
    static CBrush* FromHandle(HBRUSH brush) { return static_cast<CBrush*>(CGdiObject::FromHandle(brush)); }
};

class CFont : public CGdiObject {
    DECLARE_DYNAMIC(CFont)

public:
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
    BOOL CreateFontIndirect(const LOGFONT* font) { return Attach(::CreateFontIndirect(font)); }
    int GetLogFont(LOGFONT* font) const { return GetObject(sizeof(LOGFONT), font); }
    static CFont* FromHandle(HFONT font) { return static_cast<CFont*>(CGdiObject::FromHandle(font)); }
};

class CBitmap : public CGdiObject {
    DECLARE_DYNAMIC(CBitmap)

public:
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
    // From the resource chain's modules, as LoadString looks.
    BOOL LoadBitmap(UINT id);
    BOOL LoadBitmap(LPCSTR name);
    BOOL CreateCompatibleBitmap(HDC dc, int width, int height)
    {
        return Attach(::CreateCompatibleBitmap(dc, width, height));
    }
    int GetBitmap(BITMAP* info) const { return GetObject(sizeof(BITMAP), info); }
};
