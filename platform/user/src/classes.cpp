// Window classes: registered per process (the module instance is kept but
// not compared, as for CS_GLOBALCLASS), each named by a station atom so the
// same class name has the same atom in every process.

#include <cstring>

#include "helm/kernel/error.h"
#include "helm/station/atoms.h"
#include "window_table.h"

using namespace helm::user;

namespace {

constexpr size_t max_class_name = 255;
// Windows NT bounds extra bytes only by memory; a kilobyte is plenty and
// still keeps a class from asking for absurd amounts (DLGWINDOWEXTRA is 48).
constexpr int max_extra_bytes = 1024;

ATOM register_class(const WNDCLASSEX& wc, bool layer_control = false)
{
    if (!wc.lpszClassName || !wc.lpfnWndProc || wc.cbWndExtra < 0 || wc.cbWndExtra > max_extra_bytes ||
        wc.cbClsExtra < 0 || wc.cbClsExtra > max_extra_bytes) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string name;
    ATOM atom;
    if (IS_INTRESOURCE(wc.lpszClassName)) {
        atom = static_cast<ATOM>(reinterpret_cast<uintptr_t>(wc.lpszClassName));
        name = "#" + std::to_string(atom);
    } else {
        name = wc.lpszClassName;
        if (name.empty() || name.size() > max_class_name) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        atom = GlobalAddAtom(name.c_str());
        if (!atom)
            return 0;
    }
    auto c = std::make_shared<WindowClass>();
    c->name = name;
    c->atom = atom;
    c->style = wc.style;
    c->proc = wc.lpfnWndProc;
    c->class_extra = wc.cbClsExtra;
    c->window_extra = wc.cbWndExtra;
    c->instance = wc.hInstance;
    c->icon = wc.hIcon;
    c->small_icon = wc.hIconSm;
    c->cursor = wc.hCursor;
    c->background = wc.hbrBackground;
    c->menu_name = wc.lpszMenuName;
    c->layer_control = layer_control;
    WindowTable& t = window_table();
    std::lock_guard lock(t.mutex);
    if (t.find_class(IS_INTRESOURCE(wc.lpszClassName) ? wc.lpszClassName : name.c_str())) {
        SetLastError(1410);  // ERROR_CLASS_ALREADY_EXISTS
        return 0;
    }
    t.classes.push_back(std::move(c));
    return atom;
}

}  // namespace

void helm::user::register_control_classes(std::initializer_list<ControlClass> classes)
{
    for (const ControlClass& c : classes) {
        WNDCLASSEX wc{};
        wc.cbSize = sizeof wc;
        wc.style = c.style | CS_GLOBALCLASS;
        wc.lpfnWndProc = c.proc;
        wc.hCursor = LoadCursor(nullptr, c.cursor);
        wc.lpszClassName = c.name;
        register_class(wc, true);
    }
}

ATOM RegisterClass(const WNDCLASS* windowClass)
{
    if (!windowClass) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WNDCLASSEX wc{};
    wc.cbSize = sizeof wc;
    wc.style = windowClass->style;
    wc.lpfnWndProc = windowClass->lpfnWndProc;
    wc.cbClsExtra = windowClass->cbClsExtra;
    wc.cbWndExtra = windowClass->cbWndExtra;
    wc.hInstance = windowClass->hInstance;
    wc.hIcon = windowClass->hIcon;
    wc.hCursor = windowClass->hCursor;
    wc.hbrBackground = windowClass->hbrBackground;
    wc.lpszMenuName = windowClass->lpszMenuName;
    wc.lpszClassName = windowClass->lpszClassName;
    return register_class(wc);
}

ATOM RegisterClassEx(const WNDCLASSEX* windowClass)
{
    if (!windowClass || windowClass->cbSize != sizeof(WNDCLASSEX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return register_class(*windowClass);
}

BOOL UnregisterClass(LPCSTR className, HINSTANCE)
{
    WindowTable& t = window_table();
    std::lock_guard lock(t.mutex);
    auto c = t.find_class(className);
    if (!c) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    for (const auto& [handle, window] : t.windows) {
        if (window->window_class == c) {
            SetLastError(1412);  // ERROR_CLASS_HAS_WINDOWS
            return FALSE;
        }
    }
    std::erase(t.classes, c);
    return TRUE;
}

BOOL GetClassInfoEx(HINSTANCE, LPCSTR className, LPWNDCLASSEX out)
{
    if (!out) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    register_system_classes();
    WindowTable& t = window_table();
    std::lock_guard lock(t.mutex);
    auto c = t.find_class(className);
    if (!c) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    out->style = c->style;
    out->lpfnWndProc = c->proc;
    out->cbClsExtra = c->class_extra;
    out->cbWndExtra = c->window_extra;
    out->hInstance = c->instance;
    out->hIcon = c->icon;
    out->hIconSm = c->small_icon;
    out->hCursor = c->cursor;
    out->hbrBackground = c->background;
    out->lpszMenuName = c->menu_name;
    out->lpszClassName = className;
    return TRUE;
}

BOOL GetClassInfo(HINSTANCE instance, LPCSTR className, LPWNDCLASS out)
{
    if (!out) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    WNDCLASSEX wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoEx(instance, className, &wc))
        return FALSE;
    out->style = wc.style;
    out->lpfnWndProc = wc.lpfnWndProc;
    out->cbClsExtra = wc.cbClsExtra;
    out->cbWndExtra = wc.cbWndExtra;
    out->hInstance = wc.hInstance;
    out->hIcon = wc.hIcon;
    out->hCursor = wc.hCursor;
    out->hbrBackground = wc.hbrBackground;
    out->lpszMenuName = wc.lpszMenuName;
    out->lpszClassName = wc.lpszClassName;
    return TRUE;
}

int GetClassName(HWND window, LPSTR buffer, int size)
{
    if (!buffer || size <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WindowTable& t = window_table();
    std::lock_guard lock(t.mutex);
    Window* w = t.find(window);
    if (!w)
        return 0;
    size_t n = std::min(w->window_class->name.size(), static_cast<size_t>(size - 1));
    std::memcpy(buffer, w->window_class->name.data(), n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}
