// Operator input: where mouse and keyboard input goes (the window under
// the point or the capture, the focus window), the key state, and window
// placement. The live display and the test driver hand input in through
// helm::user::input; it arrives as Windows' input messages on the input
// queue of the target window's thread (served after its posted messages),
// so message loops, IsDialogMessage and subclasses see it as they would on
// Windows.
#pragma once

#include "helm/user/winuser.h"

// Mouse messages and their key flags.
#define WM_NCHITTEST 0x0084
#define WM_LBUTTONDBLCLK 0x0203
#define WM_RBUTTONDOWN 0x0204
#define WM_RBUTTONUP 0x0205
#define WM_RBUTTONDBLCLK 0x0206
#define WM_MBUTTONDOWN 0x0207
#define WM_MBUTTONUP 0x0208
#define WM_MBUTTONDBLCLK 0x0209
#define WM_MOUSEWHEEL 0x020A
#define WHEEL_DELTA 120
#define WM_CAPTURECHANGED 0x0215
#define WM_CANCELMODE 0x001F

#define MK_LBUTTON 0x0001
#define MK_RBUTTON 0x0002
#define MK_SHIFT 0x0004
#define MK_CONTROL 0x0008
#define MK_MBUTTON 0x0010

// WM_NCHITTEST answers. Over the client area the mouse messages above
// come; elsewhere their non-client forms, with the answer in wParam and the
// screen point in lParam.
#define HTERROR (-2)
#define HTTRANSPARENT (-1)
#define HTNOWHERE 0
#define HTCLIENT 1
#define HTCAPTION 2
#define HTSYSMENU 3
#define HTMENU 5
#define HTHSCROLL 6
#define HTVSCROLL 7
#define HTBORDER 18
#define HTCLOSE 20
#define WM_NCMOUSEMOVE 0x00A0
#define WM_NCLBUTTONDOWN 0x00A1
#define WM_NCLBUTTONUP 0x00A2
#define WM_NCLBUTTONDBLCLK 0x00A3
#define WM_NCRBUTTONDOWN 0x00A4
#define WM_NCRBUTTONUP 0x00A5
#define WM_NCRBUTTONDBLCLK 0x00A6
#define WM_NCMBUTTONDOWN 0x00A7
#define WM_NCMBUTTONUP 0x00A8
#define WM_NCMBUTTONDBLCLK 0x00A9

// Virtual keys beyond those of the message loop.
#define VK_LBUTTON 0x01
#define VK_RBUTTON 0x02
#define VK_MBUTTON 0x04
#define VK_CAPITAL 0x14
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_INSERT 0x2D
#define VK_F1 0x70
#define VK_F4 0x73
#define VK_F10 0x79

// ChildWindowFromPointEx.
#define CWP_ALL 0x0000
#define CWP_SKIPINVISIBLE 0x0001
#define CWP_SKIPDISABLED 0x0002
#define CWP_SKIPTRANSPARENT 0x0004

// Mouse capture: the capture window gets every mouse message until it is
// released; WM_CAPTURECHANGED tells the window that loses it.
HWND SetCapture(HWND window);
BOOL ReleaseCapture();
HWND GetCapture();

// The key state as the calling thread's messages so far have shown it (high
// bit: down; low bit: toggled), and as input was last handed in.
SHORT GetKeyState(int virtualKey);
SHORT GetAsyncKeyState(int virtualKey);

// The deepest visible window under a screen point, letting through windows
// that answer WM_NCHITTEST with HTTRANSPARENT and disabled children.
HWND WindowFromPoint(POINT point);
// The child of `parent` (or `parent` itself) under a point in its client
// coordinates; null outside the parent.
HWND ChildWindowFromPoint(HWND parent, POINT point);
HWND ChildWindowFromPointEx(HWND parent, POINT point, UINT flags);

// Window placement, with the normal (restored) rectangle in workspace
// coordinates (here the screen's).
#define WPF_SETMINPOSITION 0x0001
#define WPF_RESTORETOMAXIMIZED 0x0002
#define WPF_ASYNCWINDOWPLACEMENT 0x0004

struct WINDOWPLACEMENT {
    UINT length;
    UINT flags;
    UINT showCmd;
    POINT ptMinPosition;
    POINT ptMaxPosition;
    RECT rcNormalPosition;
};
typedef WINDOWPLACEMENT* LPWINDOWPLACEMENT;
typedef WINDOWPLACEMENT* PWINDOWPLACEMENT;

struct MINMAXINFO {
    POINT ptReserved;
    POINT ptMaxSize;
    POINT ptMaxPosition;
    POINT ptMinTrackSize;
    POINT ptMaxTrackSize;
};
typedef MINMAXINFO* LPMINMAXINFO;
typedef MINMAXINFO* PMINMAXINFO;

BOOL GetWindowPlacement(HWND window, WINDOWPLACEMENT* placement);
BOOL SetWindowPlacement(HWND window, const WINDOWPLACEMENT* placement);

namespace helm::user {
// The sizes a window takes when maximised and may be given while sized, as
// its procedure answers WM_GETMINMAXINFO (asked now, on the calling thread).
MINMAXINFO min_max_info(HWND window);
}  // namespace helm::user

namespace helm::user::input {

enum class Button { left, right, middle };

// Where a piece of input came from, when a live display hands it in: the
// top-level window it was seen in (the point is looked up there first) and
// when it happened (a GetTickCount time, which becomes the message's time;
// 0 is now). The test driver leaves both out.
struct Origin {
    HWND top_level = nullptr;
    DWORD time = 0;
};

// Input is handed in on the input queue of the thread whose window will
// most likely take it (the origin's thread when given) and becomes its
// message when that thread comes to it, as on Windows: the windows and the
// focus are then as the input before it left them.

// A button pressed or released, or the mouse moved, at a screen point:
// WM_xBUTTONDOWN/UP or WM_MOUSEMOVE with client coordinates and the MK_
// flags (as they were when handed in) for the capture window, else the
// window under the point, which is first asked for its cursor (WM_SETCURSOR)
// when nothing has the capture. A second press on a window of a CS_DBLCLKS
// class within 500 ms and 2 pixels is WM_xBUTTONDBLCLK. False when no window
// takes it now (nothing there, or a disabled window).
bool mouse_button(POINT screen_point, Button button, bool down, Origin origin = {});
bool mouse_move(POINT screen_point, Origin origin = {});
// The wheel turned by `delta` (WHEEL_DELTA a notch, positive away from the
// operator): WM_MOUSEWHEEL with the MK_ flags and the screen point, for the
// window keys go to.
bool mouse_wheel(POINT screen_point, int delta, Origin origin = {});

// A key pressed or released: WM_KEYDOWN/WM_KEYUP (WM_SYSKEYDOWN/UP while Alt
// is held, or for F10) for the focus window of the thread (handed in to the
// thread of keyboard_target()), or its active window when nothing has the
// focus. The scan code goes into lParam, where TranslateMessage finds the
// key on the keyboard layout (Screen::key_character).
bool key(BYTE virtual_key, bool down, BYTE scan_code = 0, Origin origin = {});

// A typed character that no key makes (TranslateMessage makes the others
// from their keys): WM_CHAR where a key would go.
bool character(char c);

// The window input goes to now: the focus window of the calling thread if
// it has one, else of the thread whose active window is the highest.
HWND keyboard_target();

}  // namespace helm::user::input

namespace helm::user {
// The message loop's functions tell the key state about each input message a
// thread takes (so that GetKeyState follows the messages, as on Windows).
void note_input_message(const MSG& msg);
}  // namespace helm::user
