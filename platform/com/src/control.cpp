#include "helm/com/control.h"

#include <windows.h>

#include "helm/com/hosting.h"

namespace helm::com {

BOOL ControlWindow::ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&) { return FALSE; }

HRESULT ControlWindow::OnDraw(HDC, const RECT&) { return S_OK; }

void ControlWindow::FireViewChange()
{
    if (m_hWnd)
        InvalidateRect(m_hWnd, nullptr, TRUE);
}

HRESULT ControlWindow::make_window(HWND parent, const RECT& rect, UINT id, DWORD style, DWORD ex_style, HWND* window)
{
    if (!window)
        return E_POINTER;
    *window = nullptr;
    if (m_hWnd)
        return E_UNEXPECTED;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (!m_dialog_id) {
        static const bool registered = [] {
            WNDCLASS wc{};
            wc.style = CS_DBLCLKS;
            wc.lpfnWndProc = &ControlWindow::window_procedure;
            wc.cbWndExtra = sizeof(ControlWindow*);
            wc.hInstance = helm_this_module();
            wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<intptr_t>(COLOR_WINDOW + 1));
            wc.lpszClassName = control_window_class;
            return RegisterClass(&wc) != 0;
        }();
        if (!registered)
            return E_FAIL;
        HWND made = CreateWindowEx(ex_style, control_window_class, "", style | WS_CHILD, rect.left, rect.top, width,
                                   height, parent, reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)),
                                   helm_this_module(), this);
        if (!made)
            return E_FAIL;
        *window = made;
        return S_OK;
    }

    // A composite: the dialog of its own template, placed as the host's item.
    enable_control_hosting();
    HWND made = CreateDialogParam(m_module, MAKEINTRESOURCE(m_dialog_id), parent, &ControlWindow::dialog_procedure,
                                  reinterpret_cast<LPARAM>(this));
    if (!made)
        return E_FAIL;
    if (!(GetWindowLong(made, GWL_STYLE) & WS_CHILD)) {
        helm::kernel::trace("composite control: template %u is not a child dialog\n", m_dialog_id);
        DestroyWindow(made);
        return E_FAIL;
    }
    m_hWnd = made;
    SetWindowLongPtr(made, GWLP_ID, static_cast<LONG_PTR>(id));
    // The host's item decides tab stop, group and state; the template the rest.
    constexpr DWORD from_item = WS_TABSTOP | WS_GROUP | WS_DISABLED;
    const DWORD own = static_cast<DWORD>(GetWindowLong(made, GWL_STYLE)) & ~from_item;
    SetWindowLong(made, GWL_STYLE, static_cast<LONG>(own | (style & from_item)));
    if (ex_style)
        SetWindowLong(made, GWL_EXSTYLE, static_cast<LONG>(GetWindowLong(made, GWL_EXSTYLE) | ex_style));
    SetWindowPos(made, nullptr, rect.left, rect.top, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE | ((style & WS_VISIBLE) ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    *window = made;
    return S_OK;
}

void ControlWindow::destroy_window()
{
    if (m_hWnd && IsWindow(m_hWnd))
        DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
}

LRESULT CALLBACK ControlWindow::window_procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        // Only a control makes windows of this class; one made otherwise
        // stays a plain window.
        if (auto* made = static_cast<ControlWindow*>(reinterpret_cast<CREATESTRUCT*>(lParam)->lpCreateParams)) {
            SetWindowLongPtr(window, 0, reinterpret_cast<LONG_PTR>(made));
            made->m_hWnd = window;
        }
    }
    auto* self = reinterpret_cast<ControlWindow*>(GetWindowLongPtr(window, 0));
    if (!self)
        return DefWindowProc(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // The host destroyed the window; the object lives on until released.
        self->m_hWnd = nullptr;
        SetWindowLongPtr(window, 0, 0);
    }
    LRESULT result = 0;
    if (self->ProcessWindowMessage(window, message, wParam, lParam, result))
        return result;
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT bounds{};
        GetClientRect(window, &bounds);
        self->OnDraw(dc, bounds);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
        // A press activates the control: it takes the focus unless a window
        // of its own has it.
        HWND focus = GetFocus();
        if (focus != window && !IsChild(window, focus))
            SetFocus(window);
        break;
    }
    default:
        break;
    }
    return DefWindowProc(window, message, wParam, lParam);
}

INT_PTR CALLBACK ControlWindow::dialog_procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<ControlWindow*>(GetWindowLongPtr(dialog, DWLP_USER));
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<ControlWindow*>(lParam);
        SetWindowLongPtr(dialog, DWLP_USER, lParam);
        self->m_hWnd = dialog;
    }
    if (!self)
        return FALSE;
    if (message == WM_NCDESTROY) {
        self->m_hWnd = nullptr;
        SetWindowLongPtr(dialog, DWLP_USER, 0);
    }
    LRESULT result = 0;
    if (!self->ProcessWindowMessage(dialog, message, wParam, lParam, result))
        return FALSE;
    // These answer with the value itself, the others through DWLP_MSGRESULT.
    if (message == WM_INITDIALOG || (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC))
        return static_cast<INT_PTR>(result);
    SetWindowLongPtr(dialog, DWLP_MSGRESULT, result);
    return TRUE;
}

}  // namespace helm::com
