// Icons, cursors and bitmaps from a module's resources (through the
// drawing layer's decoders), the system's own icons and cursors, and the
// current cursor.

#include <atomic>
#include <cmath>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "helm/gdi/hooks.h"
#include "helm/gdi/images.h"
#include "helm/kernel/error.h"
#include "helm/user/screen.h"
#include "helm/user/winuser.h"

namespace {

constexpr int default_icon_size = 32;
constexpr long max_image_file = 4 << 20;  // larger files are not pictures the system uses

// Icons and cursors handed out shared (LoadIcon, LoadCursor, LR_SHARED):
// one handle per module, name, kind and size, never destroyed.
struct SharedKey {
    uintptr_t module;
    std::string name;  // "#123" for a number
    UINT type;
    int cx, cy;
    bool operator<(const SharedKey& o) const
    {
        return std::tie(module, name, type, cx, cy) < std::tie(o.module, o.name, o.type, o.cx, o.cy);
    }
};

std::mutex g_shared_mutex;
std::map<SharedKey, HANDLE>& shared_images()
{
    static auto* m = new std::map<SharedKey, HANDLE>;
    return *m;
}

std::string name_key(LPCSTR name)
{
    if (IS_INTRESOURCE(name))
        return "#" + std::to_string(reinterpret_cast<uintptr_t>(name));
    std::string s = name;
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// The system's pictures, drawn once: a plain look that says what each is.
HICON draw_system_image(WORD id, bool cursor)
{
    const int size = default_icon_size;
    auto pixels = helm::gdi::Surface::create(size, size);
    if (!pixels)
        return nullptr;
    cairo_t* cr = cairo_create(pixels->cairo());
    auto colour = [&](COLORREF c) { cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0); };
    if (cursor) {
        // An arrow with its point at the top left (the hot spot).
        const double arrow[][2] = {{1, 1}, {1, 17}, {5, 13}, {8, 20}, {10, 19}, {7, 12}, {12, 12}};
        cairo_move_to(cr, arrow[0][0], arrow[0][1]);
        for (const auto& p : arrow)
            cairo_line_to(cr, p[0], p[1]);
        cairo_close_path(cr);
        colour(RGB(0, 0, 0));
        cairo_fill_preserve(cr);
        colour(RGB(255, 255, 255));
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    } else if (id == 32512) {  // the application: a small window
        colour(RGB(255, 255, 255));
        cairo_rectangle(cr, 2.5, 4.5, 27, 23);
        cairo_fill_preserve(cr);
        colour(RGB(0, 0, 0));
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        colour(GetSysColor(COLOR_ACTIVECAPTION));
        cairo_rectangle(cr, 3, 5, 26, 5);
        cairo_fill(cr);
    } else {
        COLORREF disc = id == 32513 ? RGB(255, 0, 0) : id == 32515 ? RGB(255, 255, 0) : RGB(0, 0, 255);
        colour(disc);
        cairo_arc(cr, size / 2.0, size / 2.0, size / 2.0 - 2, 0, 2 * M_PI);
        cairo_fill(cr);
        colour(id == 32515 ? RGB(0, 0, 0) : RGB(255, 255, 255));
        cairo_select_font_face(cr, "sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
        cairo_set_font_size(cr, 20);
        const char* mark = id == 32513 ? "X" : id == 32514 ? "?" : id == 32515 ? "!" : "i";
        cairo_text_extents_t e;
        cairo_text_extents(cr, mark, &e);
        cairo_move_to(cr, (size - e.width) / 2 - e.x_bearing, (size - e.height) / 2 - e.y_bearing);
        cairo_show_text(cr, mark);
    }
    cairo_destroy(cr);
    pixels->mark_dirty();
    return helm::gdi::icon_from_surface(*pixels);
}

bool is_system_icon(LPCSTR name)
{
    const uintptr_t id = reinterpret_cast<uintptr_t>(name);
    return IS_INTRESOURCE(name) && id >= 32512 && id <= 32516;
}

bool is_system_cursor(LPCSTR name)
{
    const uintptr_t id = reinterpret_cast<uintptr_t>(name);
    return IS_INTRESOURCE(name) && ((id >= 32512 && id <= 32516) || (id >= 32640 && id <= 32651));
}

std::vector<BYTE> read_image_file(LPCSTR path)
{
    std::vector<BYTE> bytes;
    if (!path || IS_INTRESOURCE(path))
        return bytes;
    FILE* f = std::fopen(path, "rb");
    if (!f)
        return bytes;
    if (std::fseek(f, 0, SEEK_END) == 0) {
        long size = std::ftell(f);
        if (size > 0 && size <= max_image_file && std::fseek(f, 0, SEEK_SET) == 0) {
            bytes.resize(static_cast<size_t>(size));
            if (std::fread(bytes.data(), 1, bytes.size(), f) != bytes.size())
                bytes.clear();
        }
    }
    std::fclose(f);
    return bytes;
}

HANDLE load_unshared(HINSTANCE module, LPCSTR name, UINT type, int cx, int cy, UINT flags)
{
    if (!module && type != IMAGE_BITMAP && !(flags & LR_LOADFROMFILE)) {
        if (type == IMAGE_CURSOR ? is_system_cursor(name) : is_system_icon(name))
            return draw_system_image(static_cast<WORD>(reinterpret_cast<uintptr_t>(name)), type == IMAGE_CURSOR);
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    if (flags & LR_LOADFROMFILE) {
        std::vector<BYTE> bytes = read_image_file(name);
        if (bytes.empty()) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return nullptr;
        }
        if (type == IMAGE_BITMAP)
            return helm::gdi::bitmap_from_bytes(bytes.data(), bytes.size());
        return helm::gdi::icon_from_bytes(bytes.data(), bytes.size(), cx, cy);
    }
    if (type == IMAGE_CURSOR) {
        // Modules carry no cursors of their own.
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return nullptr;
    }
    auto bytes = helm::user::image_resource_bytes(module, name, type, cx, cy);
    if (bytes.empty())
        return nullptr;
    if (type == IMAGE_BITMAP)
        return helm::gdi::bitmap_from_bytes(bytes.data(), bytes.size());
    return helm::gdi::icon_from_bytes(bytes.data(), bytes.size(), cx, cy);
}

HANDLE load_shared(HINSTANCE module, LPCSTR name, UINT type, int cx, int cy, UINT flags)
{
    if (!name)
        return nullptr;
    SharedKey key{reinterpret_cast<uintptr_t>(module), name_key(name), type, cx, cy};
    {
        std::lock_guard lock(g_shared_mutex);
        auto it = shared_images().find(key);
        if (it != shared_images().end())
            return it->second;
    }
    HANDLE made = load_unshared(module, name, type, cx, cy, flags);
    if (!made)
        return nullptr;
    std::lock_guard lock(g_shared_mutex);
    auto [it, inserted] = shared_images().emplace(key, made);
    if (!inserted)  // another thread made it first
        DestroyIcon(static_cast<HICON>(made));
    return it->second;
}

std::atomic<HCURSOR> g_cursor{nullptr};

// GDI+'s Bitmap(HINSTANCE, name) loads through this.
const bool g_loader_set = [] {
    helm::gdi::set_bitmap_resource_loader([](HINSTANCE module, LPCSTR name) { return LoadBitmap(module, name); });
    return true;
}();

}  // namespace

HICON LoadIcon(HINSTANCE module, LPCSTR name)
{
    return static_cast<HICON>(load_shared(module, name, IMAGE_ICON, default_icon_size, default_icon_size, 0));
}

HCURSOR LoadCursor(HINSTANCE module, LPCSTR name)
{
    return static_cast<HCURSOR>(load_shared(module, name, IMAGE_CURSOR, default_icon_size, default_icon_size, 0));
}

HBITMAP LoadBitmap(HINSTANCE module, LPCSTR name)
{
    if (!name)
        return nullptr;
    return static_cast<HBITMAP>(load_unshared(module, name, IMAGE_BITMAP, 0, 0, 0));
}

HANDLE LoadImage(HINSTANCE module, LPCSTR name, UINT type, int cx, int cy, UINT flags)
{
    if (!name || (type != IMAGE_BITMAP && type != IMAGE_ICON && type != IMAGE_CURSOR)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (type != IMAGE_BITMAP && (flags & LR_DEFAULTSIZE)) {
        if (cx == 0)
            cx = default_icon_size;
        if (cy == 0)
            cy = default_icon_size;
    }
    if (type != IMAGE_BITMAP && (flags & LR_SHARED))
        return load_shared(module, name, type, cx, cy, flags);
    return load_unshared(module, name, type, cx, cy, flags);
}

HCURSOR SetCursor(HCURSOR cursor)
{
    HCURSOR previous = g_cursor.exchange(cursor);
    if (previous != cursor)
        helm::user::screen()->cursor_changed(cursor);
    return previous;
}
HCURSOR GetCursor() { return g_cursor.load(); }
