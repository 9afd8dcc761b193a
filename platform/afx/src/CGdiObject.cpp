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
    auto& slot = helm::afx::thread_state().temporary_gdi[object];
    if (!slot) {
        switch (::GetObjectType(object)) {
        case OBJ_PEN: slot = std::make_unique<CPen>(); break;
        case OBJ_BRUSH: slot = std::make_unique<CBrush>(); break;
        case OBJ_FONT: slot = std::make_unique<CFont>(); break;
        case OBJ_BITMAP: slot = std::make_unique<CBitmap>(); break;
        default: slot = std::make_unique<CGdiObject>(); break;
        }
        slot->m_hObject = object;
    }
    return slot.get();
}

void CGdiObject::DeleteTempMap()
{
    auto& objects = helm::afx::thread_state().temporary_gdi;
    for (auto& [handle, object] : objects)
        object->m_hObject = nullptr;
    objects.clear();
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
