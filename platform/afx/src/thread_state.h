// What the class library keeps per thread: the handle maps (windows,
// device contexts, drawing objects, menus), the message
// being handled (for CWnd::Default), the window being created, the window
// whose control notifications UpdateData holds back, the thread's object
// and its module state.
#pragma once

#include <memory>
#include <unordered_map>

#include "helm/afx/CDC.h"
#include "helm/afx/CGdiObject.h"
#include "helm/afx/CMenu.h"
#include "helm/afx/CWnd.h"

class CWinThread;
struct AFX_MODULE_STATE;

namespace helm::afx {

// The objects a thread makes for handles nobody bound (FromHandle): each
// stands for its handle until the thread is next idle, and lets go of it
// without destroying it.
template <class Handle, class Object, Handle Object::*handle_member>
class TemporaryMap {
public:
    ~TemporaryMap() { clear(); }
    // The object standing for `handle`; `make` makes it the first time.
    template <class Make>
    Object* get(Handle handle, Make make)
    {
        auto& slot = m_objects[handle];
        if (!slot) {
            slot = make();
            (*slot).*handle_member = handle;
        }
        return slot.get();
    }
    void clear()
    {
        for (auto& [handle, object] : m_objects)
            (*object).*handle_member = nullptr;
        m_objects.clear();
    }

private:
    std::unordered_map<Handle, std::unique_ptr<Object>> m_objects;
};

struct ThreadState {
    ~ThreadState();
    void delete_temporaries();

    std::unordered_map<HWND, CWnd*> permanent;
    std::unordered_map<HWND, std::unique_ptr<CWnd>> temporary;
    TemporaryMap<HDC, CDC, &CDC::m_hDC> temporary_dcs;
    TemporaryMap<HGDIOBJ, CGdiObject, &CGdiObject::m_hObject> temporary_gdi;
    std::unordered_map<HMENU, CMenu*> permanent_menus;
    TemporaryMap<HMENU, CMenu, &CMenu::m_hMenu> temporary_menus;
    MSG last_sent{};
    CWnd* creating = nullptr;
    CWnd* creating_dialog = nullptr;
    HWND lockout = nullptr;
    CWinThread* thread = nullptr;
    AFX_MODULE_STATE* module_state = nullptr;
};

// This thread's state, made at first use and freed when the thread ends.
ThreadState& thread_state();
// Null once the thread's state has been freed (objects destroyed late).
ThreadState* thread_state_if_alive();

}  // namespace helm::afx
