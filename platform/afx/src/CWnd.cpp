#include "helm/afx/CWnd.h"

#include <cstdio>
#include <mutex>
#include <set>
#include <string>

#include "helm/afx/CDataExchange.h"
#include "helm/afx/CDC.h"
#include "helm/afx/CMenu.h"
#include "helm/afx/module_state.h"
#include "control_container.h"
#include "thread_state.h"

using helm::afx::thread_state;

IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

const CWnd CWnd::wndTop(Placeholder{}, HWND_TOP);
const CWnd CWnd::wndBottom(Placeholder{}, HWND_BOTTOM);
const CWnd CWnd::wndTopMost(Placeholder{}, HWND_TOPMOST);
const CWnd CWnd::wndNoTopMost(Placeholder{}, HWND_NOTOPMOST);

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
    ON_WM_NCDESTROY()
    ON_WM_CTLCOLOR()
    ON_WM_MEASUREITEM()
    ON_WM_DRAWITEM()
END_MESSAGE_MAP()

namespace {

// Offers a notification a child sent to its object, if it has one.
BOOL reflect(HWND child, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    CWnd* window = CWnd::FromHandlePermanent(child);
    if (!window)
        return FALSE;
    LRESULT ignored = 0;
    return window->OnChildNotify(message, wParam, lParam, result ? result : &ignored);
}

bool is_ctlcolor(UINT message)
{
    return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

HWND parent_or_owner(HWND window)
{
    if (GetWindowLong(window, GWL_STYLE) & WS_CHILD)
        return ::GetParent(window);
    return ::GetWindow(window, GW_OWNER);
}

}  // namespace

// ---------------------------------------------------------------------------
// The handle maps.

CWnd::~CWnd()
{
    if (!m_hWnd || (m_nFlags & WF_TEMPORARY))
        return;
    helm::afx::ThreadState* state = helm::afx::thread_state_if_alive();
    if (!state)
        return;
    auto it = state->permanent.find(m_hWnd);
    if (it != state->permanent.end() && it->second == this) {
        // An object going away takes its window with it, as the class
        // library does; what the window still receives goes to this class.
        if (::IsWindow(m_hWnd))
            DestroyWindow();
        if (m_hWnd)
            Detach();
    }
}

CWnd* CWnd::FromHandlePermanent(HWND window)
{
    if (!window)
        return nullptr;
    auto& map = thread_state().permanent;
    auto it = map.find(window);
    return it == map.end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND window)
{
    if (!window)
        return nullptr;
    if (CWnd* permanent = FromHandlePermanent(window))
        return permanent;
    auto& slot = thread_state().temporary[window];
    if (!slot) {
        slot = std::make_unique<CWnd>();
        slot->m_hWnd = window;
        slot->m_nFlags |= WF_TEMPORARY;
    }
    return slot.get();
}

void CWnd::DeleteTempMap()
{
    auto& temporary = thread_state().temporary;
    for (auto& [hwnd, window] : temporary)
        window->m_hWnd = nullptr;
    temporary.clear();
}

BOOL CWnd::Attach(HWND window)
{
    if (!window || m_hWnd)
        return FALSE;
    auto& map = thread_state().permanent;
    if (map.count(window))
        return FALSE;
    map[window] = this;
    m_hWnd = window;
    return TRUE;
}

HWND CWnd::Detach()
{
    // The object no longer stands for the window: its sinks and its hold on
    // a control go (a control made by CreateControl goes with its window).
    m_control_container.reset();
    m_control_site.reset();
    HWND window = m_hWnd;
    if (window) {
        if (helm::afx::ThreadState* state = helm::afx::thread_state_if_alive()) {
            auto it = state->permanent.find(window);
            if (it != state->permanent.end() && it->second == this)
                state->permanent.erase(it);
        }
    }
    m_hWnd = nullptr;
    return window;
}

BOOL CWnd::SubclassWindow(HWND window)
{
    if (!::IsWindow(window) || !Attach(window))
        return FALSE;
    PreSubclassWindow();
    WNDPROC old = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtr(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    if (old != &AfxWndProc)
        m_pfnSuper = old;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    if (!parent)
        return FALSE;
    HWND control = ::GetDlgItem(parent->m_hWnd, static_cast<int>(id));
    return control && SubclassWindow(control);
}

HWND CWnd::UnsubclassWindow()
{
    if (!m_hWnd)
        return nullptr;
    if (m_pfnSuper)
        ::SetWindowLongPtr(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    return Detach();
}

// ---------------------------------------------------------------------------
// The window procedure.

LRESULT CALLBACK AfxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* object = CWnd::FromHandlePermanent(window);
    if (!object) {
        helm::afx::ThreadState& state = thread_state();
        // Only a window being made can be the one CreateEx waits for: an
        // older unbound window of the same class never gets these again.
        bool creation = message == WM_GETMINMAXINFO || message == WM_NCCREATE || message == WM_NCCALCSIZE ||
                        message == WM_CREATE;
        if (!state.creating || !creation)
            return ::DefWindowProc(window, message, wParam, lParam);
        // The first message of a window CreateEx is making: from here on the
        // object sees all of them. Its class procedure is this one, so the
        // default handling is the system's.
        object = state.creating;
        state.creating = nullptr;
        object->Attach(window);
    }
    return AfxCallWndProc(object, window, message, wParam, lParam);
}

LRESULT AfxCallWndProc(CWnd* object, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    helm::afx::ThreadState& state = thread_state();
    MSG saved = state.last_sent;
    state.last_sent = MSG{};
    state.last_sent.hwnd = window;
    state.last_sent.message = message;
    state.last_sent.wParam = wParam;
    state.last_sent.lParam = lParam;
    LRESULT result = object->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY && CWnd::FromHandlePermanent(window) == object) {
        // A map that took WM_NCDESTROY without the base handler: the window
        // is gone all the same, so the object must not keep its handle.
        object->Detach();
    }
    state.last_sent = saved;
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    LRESULT value = 0;
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam))
            return FALSE;
        *result = 1;
        return TRUE;
    }
    if (message == WM_NOTIFY) {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (!header || !OnNotify(wParam, lParam, &value))
            return FALSE;
        *result = value;
        return TRUE;
    }
    UINT key = is_ctlcolor(message) ? WM_CTLCOLOR : message;
    // Window messages are looked up without a code; the entry's handler
    // still sees the message as sent (the WM_CTLCOLOR* kind).
    for (const AFX_MSGMAP* m = GetMessageMap(); m; m = m->pfnGetBaseMap ? m->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* entry = m->lpEntries; entry->pfn; ++entry) {
            bool hit = entry->pnRegistered ? (*entry->pnRegistered != 0 && *entry->pnRegistered == message)
                                           : (entry->nMessage == key && entry->nCode == 0);
            if (hit && entry->pfn(this, message, wParam, lParam, &value)) {
                *result = value;
                return TRUE;
            }
        }
    }
    return FALSE;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper)
        return ::CallWindowProc(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProc(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    const MSG& msg = thread_state().last_sent;
    return DefWindowProc(msg.message, msg.wParam, msg.lParam);
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    UINT id = LOWORD(wParam);
    HWND control = reinterpret_cast<HWND>(lParam);
    UINT code = HIWORD(wParam);
    if (!control) {
        code = CN_COMMAND;  // a menu command or an accelerator
    } else {
        // UpdateData is filling the controls: what they report meanwhile is
        // the program's own doing, not the operator's.
        if (thread_state().lockout == m_hWnd)
            return TRUE;
        if (reflect(control, WM_COMMAND, wParam, lParam, nullptr))
            return TRUE;
        if (id == 0)
            return FALSE;
    }
    return OnCmdMsg(id, static_cast<int>(MAKELONG(code, WM_COMMAND)), nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
    if (reflect(header->hwndFrom, WM_NOTIFY, wParam, lParam, result))
        return TRUE;
    AFX_CMDHANDLERINFO info{result};
    return OnCmdMsg(static_cast<UINT>(header->idFrom), static_cast<int>(MAKELONG(header->code, WM_NOTIFY)), header,
                    &info);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    return ReflectChildNotify(message, wParam, lParam, result);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    LRESULT value = 0;
    if (message == WM_COMMAND) {
        if (!DispatchToMap(WM_REFLECT_BASE + WM_COMMAND, HIWORD(wParam), 0, wParam, lParam, &value))
            return FALSE;
        if (result)
            *result = 1;
        return TRUE;
    }
    if (message == WM_NOTIFY) {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (!DispatchToMap(WM_REFLECT_BASE + WM_NOTIFY, header->code, 0, wParam, lParam, &value))
            return FALSE;
        if (result)
            *result = value;
        return TRUE;
    }
    if (is_ctlcolor(message)) {
        // wParam the device context, lParam the kind (CTLCOLOR_*).
        if (!DispatchToMap(WM_REFLECT_BASE + WM_CTLCOLOR, 0, 0, wParam, static_cast<LPARAM>(message - WM_CTLCOLORMSGBOX),
                           &value) ||
            value == 0)
            return FALSE;
        if (result)
            *result = value;
        return TRUE;
    }
    return FALSE;
}

BOOL CWnd::ReflectLastMsg(HWND child, LRESULT* result)
{
    const MSG& msg = thread_state().last_sent;
    return reflect(child, msg.message, msg.wParam, msg.lParam, result);
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

BOOL CWnd::WalkPreTranslateTree(HWND stop, MSG* msg)
{
    for (HWND window = msg->hwnd; window; window = ::GetParent(window)) {
        CWnd* object = FromHandlePermanent(window);
        if (object && object->PreTranslateMessage(msg))
            return TRUE;
        if (window == stop)
            break;
    }
    return FALSE;
}

BOOL CWnd::PreTranslateInput(MSG* msg)
{
    bool key = msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST;
    bool mouse = msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST;
    if (!key && !mouse)
        return FALSE;
    return IsDialogMessage(msg);
}

BOOL CWnd::IsDialogMessage(MSG* msg)
{
    return ::IsDialogMessage(m_hWnd, msg);
}

// ---------------------------------------------------------------------------
// Creation and destruction.

namespace {

std::mutex g_class_mutex;
std::set<std::string> g_class_names;

}  // namespace

BOOL AfxRegisterClass(WNDCLASS* windowClass)
{
    WNDCLASS existing{};
    if (::GetClassInfo(windowClass->hInstance, windowClass->lpszClassName, &existing))
        return TRUE;
    return ::RegisterClass(windowClass) != 0;
}

LPCSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon)
{
    HINSTANCE instance = AfxGetInstanceHandle();
    char name[96];
    std::snprintf(name, sizeof name, "Afx:%p:%x:%p:%p:%p", static_cast<void*>(instance), classStyle,
                  static_cast<void*>(cursor), static_cast<void*>(background), static_cast<void*>(icon));
    std::lock_guard lock(g_class_mutex);
    auto [it, added] = g_class_names.insert(name);
    WNDCLASS wc{};
    wc.style = classStyle;
    wc.lpfnWndProc = &AfxWndProc;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.lpszClassName = it->c_str();
    if (!AfxRegisterClass(&wc)) {
        if (added)
            g_class_names.erase(it);
        return nullptr;
    }
    return it->c_str();
}

LPCSTR helm::afx::default_window_class()
{
    static const char name[] = "AfxWnd";
    WNDCLASS wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &AfxWndProc;
    wc.hInstance = nullptr;
    wc.lpszClassName = name;
    std::lock_guard lock(g_class_mutex);
    AfxRegisterClass(&wc);
    return name;
}

BOOL CWnd::PreCreateWindow(CREATESTRUCT& cs)
{
    if (!cs.lpszClass)
        cs.lpszClass = helm::afx::default_window_class();
    return TRUE;
}

BOOL CWnd::Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id, void*)
{
    return CreateEx(0, className, windowName, style | WS_CHILD, rect, parent, id);
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                    UINT id, LPVOID param)
{
    return CreateEx(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), param);
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU menuOrId, LPVOID param)
{
    if (m_hWnd)
        return FALSE;
    CREATESTRUCT cs{};
    cs.dwExStyle = exStyle;
    cs.lpszClass = className;
    cs.lpszName = windowName;
    cs.style = static_cast<LONG>(style);
    cs.x = x;
    cs.y = y;
    cs.cx = width;
    cs.cy = height;
    cs.hwndParent = parent;
    cs.hMenu = menuOrId;
    cs.hInstance = AfxGetInstanceHandle();
    cs.lpCreateParams = param;
    if (!PreCreateWindow(cs)) {
        PostNcDestroy();
        return FALSE;
    }
    helm::afx::ThreadState& state = thread_state();
    CWnd* saved = state.creating;
    state.creating = this;
    HWND window = ::CreateWindowEx(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x, cs.y,
                                   cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    if (state.creating == this)
        state.creating = saved;
    if (!window)
        return FALSE;
    // A class with its own procedure (a standard control): bound now.
    if (!m_hWnd)
        SubclassWindow(window);
    return m_hWnd == window;
}

BOOL CWnd::DestroyWindow()
{
    HWND window = m_hWnd;
    if (!window)
        return FALSE;
    // A routed window detaches itself at WM_NCDESTROY, and PostNcDestroy may
    // delete this object: then it must not be touched afterwards.
    bool routed = FromHandlePermanent(window) == this &&
                  reinterpret_cast<WNDPROC>(::GetWindowLongPtr(window, GWLP_WNDPROC)) == &AfxWndProc;
    BOOL ok = ::DestroyWindow(window);
    if (!routed && m_hWnd == window)
        Detach();
    return ok;
}

// ---------------------------------------------------------------------------
// Dialog data.

void CWnd::DoDataExchange(CDataExchange*)
{
}

BOOL CWnd::UpdateData(BOOL saveAndValidate)
{
    helm::afx::ThreadState& state = thread_state();
    HWND old_lockout = state.lockout;
    state.lockout = m_hWnd;
    CDataExchange dx(this, saveAndValidate);
    BOOL ok = TRUE;
    try {
        DoDataExchange(&dx);
    } catch (const helm::afx::DataExchangeFailure&) {
        ok = FALSE;
    }
    state.lockout = old_lockout;
    return ok;
}

// ---------------------------------------------------------------------------
// Wrappers.

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendMessage(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::PostMessage(m_hWnd, message, wParam, lParam);
}

CWnd* CWnd::GetDlgItem(int id) const
{
    return FromHandle(::GetDlgItem(m_hWnd, id));
}

void CWnd::GetDlgItem(int id, HWND* window) const
{
    *window = ::GetDlgItem(m_hWnd, id);
}

int CWnd::GetDlgCtrlID() const
{
    return ::GetDlgCtrlID(m_hWnd);
}

int CWnd::SetDlgCtrlID(int id)
{
    return static_cast<int>(::SetWindowLongPtr(m_hWnd, GWLP_ID, id));
}

void CWnd::SetWindowText(LPCSTR text)
{
    ::SetWindowText(m_hWnd, text);
}

int CWnd::GetWindowText(LPSTR buffer, int size) const
{
    return ::GetWindowText(m_hWnd, buffer, size);
}

void CWnd::GetWindowText(CString& text) const
{
    int length = ::GetWindowTextLength(m_hWnd);
    ::GetWindowText(m_hWnd, text.GetBufferSetLength(length), length + 1);
    text.ReleaseBuffer();
}

int CWnd::GetWindowTextLength() const
{
    return ::GetWindowTextLength(m_hWnd);
}

void CWnd::SetDlgItemText(int id, LPCSTR text)
{
    ::SetDlgItemText(m_hWnd, id, text);
}

int CWnd::GetDlgItemText(int id, CString& text) const
{
    text.Empty();
    if (HWND control = ::GetDlgItem(m_hWnd, id))
        CWnd::FromHandle(control)->GetWindowText(text);
    return text.GetLength();
}

int CWnd::GetDlgItemText(int id, LPSTR buffer, int size) const
{
    return static_cast<int>(::GetDlgItemText(m_hWnd, id, buffer, size));
}

UINT CWnd::GetDlgItemInt(int id, BOOL* translated, BOOL isSigned) const
{
    return ::GetDlgItemInt(m_hWnd, id, translated, isSigned);
}

void CWnd::SetDlgItemInt(int id, UINT value, BOOL isSigned)
{
    ::SetDlgItemInt(m_hWnd, id, value, isSigned);
}

void CWnd::CheckDlgButton(int id, UINT check)
{
    ::CheckDlgButton(m_hWnd, id, check);
}

UINT CWnd::IsDlgButtonChecked(int id) const
{
    return ::IsDlgButtonChecked(m_hWnd, id);
}

void CWnd::CheckRadioButton(int firstId, int lastId, int checkId)
{
    ::CheckRadioButton(m_hWnd, firstId, lastId, checkId);
}

LRESULT CWnd::SendDlgItemMessage(int id, UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendDlgItemMessage(m_hWnd, id, message, wParam, lParam);
}

BOOL CWnd::ShowWindow(int command)
{
    return ::ShowWindow(m_hWnd, command);
}

BOOL CWnd::IsWindowVisible() const
{
    return ::IsWindowVisible(m_hWnd);
}

BOOL CWnd::EnableWindow(BOOL enable)
{
    return ::EnableWindow(m_hWnd, enable);
}

BOOL CWnd::IsWindowEnabled() const
{
    return ::IsWindowEnabled(m_hWnd);
}

BOOL CWnd::IsIconic() const
{
    return ::IsIconic(m_hWnd);
}

BOOL CWnd::IsZoomed() const
{
    return ::IsZoomed(m_hWnd);
}

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint)
{
    ::MoveWindow(m_hWnd, x, y, width, height, repaint);
}

void CWnd::MoveWindow(LPCRECT rect, BOOL repaint)
{
    ::MoveWindow(m_hWnd, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, repaint);
}

BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int width, int height, UINT flags)
{
    return ::SetWindowPos(m_hWnd, insertAfter ? insertAfter->m_hWnd : nullptr, x, y, width, height, flags);
}

void CWnd::GetClientRect(LPRECT rect) const
{
    ::GetClientRect(m_hWnd, rect);
}

void CWnd::GetWindowRect(LPRECT rect) const
{
    ::GetWindowRect(m_hWnd, rect);
}

void CWnd::ClientToScreen(LPPOINT point) const
{
    ::ClientToScreen(m_hWnd, point);
}

void CWnd::ClientToScreen(LPRECT rect) const
{
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<LPPOINT>(rect), 2);
}

void CWnd::ScreenToClient(LPPOINT point) const
{
    ::ScreenToClient(m_hWnd, point);
}

void CWnd::ScreenToClient(LPRECT rect) const
{
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<LPPOINT>(rect), 2);
}

void CWnd::MapWindowPoints(CWnd* to, LPPOINT points, UINT count) const
{
    ::MapWindowPoints(m_hWnd, to ? to->m_hWnd : nullptr, points, count);
}

void CWnd::MapWindowPoints(CWnd* to, LPRECT rect) const
{
    ::MapWindowPoints(m_hWnd, to ? to->m_hWnd : nullptr, reinterpret_cast<LPPOINT>(rect), 2);
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc)
{
    return ::SetTimer(m_hWnd, id, elapse, proc);
}

BOOL CWnd::KillTimer(UINT_PTR id)
{
    return ::KillTimer(m_hWnd, id);
}

CWnd* CWnd::SetFocus()
{
    return FromHandle(::SetFocus(m_hWnd));
}

CWnd* CWnd::GetFocus()
{
    return FromHandle(::GetFocus());
}

CWnd* CWnd::GetActiveWindow()
{
    return FromHandle(::GetActiveWindow());
}

CWnd* CWnd::SetActiveWindow()
{
    return FromHandle(::SetActiveWindow(m_hWnd));
}

void CWnd::Invalidate(BOOL erase)
{
    ::InvalidateRect(m_hWnd, nullptr, erase);
}

void CWnd::InvalidateRect(LPCRECT rect, BOOL erase)
{
    ::InvalidateRect(m_hWnd, rect, erase);
}

void CWnd::ValidateRect(LPCRECT rect)
{
    ::ValidateRect(m_hWnd, rect);
}

void CWnd::UpdateWindow()
{
    ::UpdateWindow(m_hWnd);
}

CWnd* CWnd::GetParent() const
{
    return FromHandle(::GetParent(m_hWnd));
}

CWnd* CWnd::SetParent(CWnd* newParent)
{
    return FromHandle(::SetParent(m_hWnd, newParent ? newParent->m_hWnd : nullptr));
}

CWnd* CWnd::GetOwner() const
{
    return FromHandle(::GetWindow(m_hWnd, GW_OWNER));
}

CWnd* CWnd::GetTopLevelParent() const
{
    if (!m_hWnd)
        return nullptr;
    HWND top = m_hWnd;
    while (HWND up = parent_or_owner(top))
        top = up;
    return FromHandle(top);
}

CWnd* CWnd::GetWindow(UINT relation) const
{
    return FromHandle(::GetWindow(m_hWnd, relation));
}

CWnd* CWnd::GetNextDlgTabItem(CWnd* control, BOOL previous) const
{
    return FromHandle(::GetNextDlgTabItem(m_hWnd, control ? control->m_hWnd : nullptr, previous));
}

CWnd* CWnd::GetNextDlgGroupItem(CWnd* control, BOOL previous) const
{
    return FromHandle(::GetNextDlgGroupItem(m_hWnd, control ? control->m_hWnd : nullptr, previous));
}

BOOL CWnd::IsChild(const CWnd* window) const
{
    return window && ::IsChild(m_hWnd, window->m_hWnd);
}

DWORD CWnd::GetStyle() const
{
    return static_cast<DWORD>(::GetWindowLong(m_hWnd, GWL_STYLE));
}

DWORD CWnd::GetExStyle() const
{
    return static_cast<DWORD>(::GetWindowLong(m_hWnd, GWL_EXSTYLE));
}

namespace {

BOOL modify_long(HWND window, int index, DWORD remove, DWORD add, UINT flags)
{
    DWORD style = static_cast<DWORD>(::GetWindowLong(window, index));
    DWORD changed = (style & ~remove) | add;
    if (style == changed)
        return FALSE;
    ::SetWindowLong(window, index, static_cast<LONG>(changed));
    if (flags)
        ::SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
    return TRUE;
}

}  // namespace

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT flags)
{
    return modify_long(m_hWnd, GWL_STYLE, remove, add, flags);
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT flags)
{
    return modify_long(m_hWnd, GWL_EXSTYLE, remove, add, flags);
}

BOOL CWnd::GetWindowPlacement(WINDOWPLACEMENT* placement) const
{
    return ::GetWindowPlacement(m_hWnd, placement);
}

BOOL CWnd::SetWindowPlacement(const WINDOWPLACEMENT* placement)
{
    return ::SetWindowPlacement(m_hWnd, placement);
}

void CWnd::CenterWindow(CWnd* alternateOwner)
{
    RECT area{};
    HWND over = alternateOwner ? alternateOwner->m_hWnd : parent_or_owner(m_hWnd);
    bool child = (GetStyle() & WS_CHILD) != 0;
    if (child) {
        ::GetClientRect(::GetParent(m_hWnd), &area);
    } else if (over && ::IsWindowVisible(over) && !::IsIconic(over)) {
        ::GetWindowRect(over, &area);
    } else {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        ::GetMonitorInfo(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &info);
        area = info.rcWork;
    }
    RECT own{};
    ::GetWindowRect(m_hWnd, &own);
    int width = own.right - own.left;
    int height = own.bottom - own.top;
    int x = (area.left + area.right - width) / 2;
    int y = (area.top + area.bottom - height) / 2;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

CWnd* CWnd::FindWindow(LPCSTR className, LPCSTR windowName)
{
    return FromHandle(::FindWindow(className, windowName));
}

// ---------------------------------------------------------------------------
// Default handlers.

int CWnd::OnCreate(LPCREATESTRUCT) { return static_cast<int>(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnPaint() { Default(); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnMove(int, int) { Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
BOOL CWnd::OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
void CWnd::OnHScroll(UINT, UINT, CScrollBar*) { Default(); }
void CWnd::OnVScroll(UINT, UINT, CScrollBar*) { Default(); }
void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }
void CWnd::OnGetMinMaxInfo(MINMAXINFO*) { Default(); }
void CWnd::OnContextMenu(CWnd*, CPoint) { Default(); }
void CWnd::OnChar(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnSetFocus(CWnd*) { Default(); }
void CWnd::OnKillFocus(CWnd*) { Default(); }
void CWnd::OnMouseMove(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnRButtonUp(UINT, CPoint) { Default(); }
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) { return static_cast<BOOL>(Default()); }
BOOL CWnd::OnCopyData(CWnd*, COPYDATASTRUCT*) { return static_cast<BOOL>(Default()); }
HCURSOR CWnd::OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }
void CWnd::OnShowWindow(BOOL, UINT) { Default(); }
void CWnd::OnActivate(UINT, CWnd*, BOOL) { Default(); }
void CWnd::OnEnable(BOOL) { Default(); }
void CWnd::OnWindowPosChanged(WINDOWPOS*) { Default(); }
void CWnd::OnWindowPosChanging(WINDOWPOS*) { Default(); }

void CWnd::OnMeasureItem(int, LPMEASUREITEMSTRUCT measureItem)
{
    if (measureItem && measureItem->CtlType == ODT_MENU) {
        if (CMenu* menu = CMenu::FromItemPermanent(measureItem->itemID)) {
            menu->MeasureItem(measureItem);
            return;
        }
    }
    Default();
}

void CWnd::OnDrawItem(int, LPDRAWITEMSTRUCT drawItem)
{
    if (drawItem && drawItem->CtlType == ODT_MENU) {
        if (CMenu* menu = CMenu::FromHandlePermanent(reinterpret_cast<HMENU>(drawItem->hwndItem))) {
            menu->DrawItem(drawItem);
            return;
        }
    }
    Default();
}

HBRUSH CWnd::OnCtlColor(CDC*, CWnd* window, UINT)
{
    LRESULT brush = 0;
    if (window && ReflectLastMsg(window->m_hWnd, &brush))
        return reinterpret_cast<HBRUSH>(brush);
    return reinterpret_cast<HBRUSH>(Default());
}

void CWnd::OnNcDestroy()
{
    HWND window = m_hWnd;
    WNDPROC ours = reinterpret_cast<WNDPROC>(::GetWindowLongPtr(window, GWLP_WNDPROC));
    Default();
    // Hand the window back to its previous procedure unless someone else
    // subclassed it meanwhile.
    if (m_pfnSuper && ours == &AfxWndProc &&
        reinterpret_cast<WNDPROC>(::GetWindowLongPtr(window, GWLP_WNDPROC)) == ours)
        ::SetWindowLongPtr(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    Detach();
    PostNcDestroy();
}

CScrollBar* helm::afx::scroll_bar_of(LPARAM control)
{
    // The handler's signature names a scroll bar; the object is whatever the
    // control's own is (a slider's, say), as the class library passes it.
    return reinterpret_cast<CScrollBar*>(CWnd::FromHandle(reinterpret_cast<HWND>(control)));
}
