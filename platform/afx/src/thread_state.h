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

struct ThreadState {
    ~ThreadState();
    void delete_temporaries();

    std::unordered_map<HWND, CWnd*> permanent;
    std::unordered_map<HWND, std::unique_ptr<CWnd>> temporary;
    std::unordered_map<HDC, std::unique_ptr<CDC>> temporary_dcs;
    std::unordered_map<HGDIOBJ, std::unique_ptr<CGdiObject>> temporary_gdi;
    std::unordered_map<HMENU, CMenu*> permanent_menus;
    std::unordered_map<HMENU, std::unique_ptr<CMenu>> temporary_menus;
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
