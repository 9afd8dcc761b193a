// CDC: a device context object. The drawing itself belongs to the drawing
// layer; here a CDC carries its handle, so that handlers with the class
// library's signatures (OnEraseBkgnd, OnCtlColor, OnPaint) can be written.
#pragma once

#include "helm/afx/CObject.h"

class CWnd;

class CDC : public CObject {
    DECLARE_DYNCREATE(CDC)

public:
    CDC() = default;
    ~CDC() override = default;
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
