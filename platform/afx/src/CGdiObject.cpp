#include "helm/afx/CGdiObject.h"

#include "helm/afx/module_state.h"
#include "thread_state.h"

IMPLEMENT_DYNCREATE(CGdiObject, CObject)
IMPLEMENT_DYNAMIC(CPen, CGdiObject)
IMPLEMENT_DYNAMIC(CBrush, CGdiObject)
IMPLEMENT_DYNAMIC(CFont, CGdiObject)
IMPLEMENT_DYNAMIC(CBitmap, CGdiObject)

BOOL CGdiObject::Attach(HGDIOBJ object)
{
    if (!object || m_hObject)
        return FALSE;
    m_hObject = object;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach()
{
    HGDIOBJ object = m_hObject;
    m_hObject = nullptr;
    return object;
}

BOOL CGdiObject::DeleteObject()
{
    if (!m_hObject)
        return FALSE;
    return ::DeleteObject(Detach());
}

CGdiObject* CGdiObject::FromHandle(HGDIOBJ object)
{
    if (!object)
        return nullptr;
    return helm::afx::thread_state().temporary_gdi.get(object, [object]() -> std::unique_ptr<CGdiObject> {
        switch (::GetObjectType(object)) {
        case OBJ_PEN: return std::make_unique<CPen>();
        case OBJ_BRUSH: return std::make_unique<CBrush>();
        case OBJ_FONT: return std::make_unique<CFont>();
        case OBJ_BITMAP: return std::make_unique<CBitmap>();
        default: return std::make_unique<CGdiObject>();
        }
    });
}

void CGdiObject::DeleteTempMap()
{
    helm::afx::thread_state().temporary_gdi.clear();
}

BOOL CBitmap::LoadBitmap(LPCSTR name)
{
    HINSTANCE module = AfxFindResourceHandle(name, RT_BITMAP);
    return Attach(::LoadBitmap(module, name));
}

BOOL CBitmap::LoadBitmap(UINT id)
{
    return LoadBitmap(MAKEINTRESOURCE(id));
}
