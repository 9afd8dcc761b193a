#include "cursors.h"

#include <X11/cursorfont.h>

#include <algorithm>

#include "helm/gdi/surface.h"
#include "helm/user/winuser.h"

namespace helm::display {

CursorPicture picture_of(HCURSOR cursor)
{
    static constexpr struct {
        WORD id;
        unsigned shape;
    } system[] = {
        {32512, XC_left_ptr},      {32513, XC_xterm},           {32514, XC_watch},
        {32515, XC_crosshair},     {32516, XC_center_ptr},      {32642, XC_sizing},
        {32643, XC_sizing},        {32644, XC_sb_h_double_arrow}, {32645, XC_sb_v_double_arrow},
        {32646, XC_fleur},         {32648, XC_X_cursor},        {32649, XC_hand2},
        {32650, XC_watch},         {32651, XC_question_arrow},
    };
    CursorPicture picture;
    picture.shape = XC_left_ptr;
    if (!cursor)
        return picture;
    for (const auto& row : system)
        if (LoadCursor(nullptr, MAKEINTRESOURCE(row.id)) == cursor) {
            picture.shape = row.shape;
            return picture;
        }
    ICONINFO info{};
    if (!GetIconInfo(cursor, &info))
        return picture;
    if (auto pixels = helm::gdi::bitmap_surface(info.hbmColor)) {
        picture.shape = 0;
        picture.width = pixels->width();
        picture.height = pixels->height();
        picture.hot_x = static_cast<int>(info.xHotspot);
        picture.hot_y = static_cast<int>(info.yHotspot);
        for (int y = 0; y < picture.height; ++y)
            picture.argb.insert(picture.argb.end(), pixels->row(y), pixels->row(y) + picture.width);
    }
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return picture;
}

Cursor make_cursor(Display* display, const CursorPicture& picture)
{
    if (picture.shape || picture.width <= 0 || picture.height <= 0)
        return XCreateFontCursor(display, picture.shape ? picture.shape : XC_left_ptr);
    // Bitmaps of the X format: rows of bytes, the first pixel in the low bit.
    const int stride = (picture.width + 7) / 8;
    std::vector<char> ink(static_cast<size_t>(stride * picture.height)), mask(ink.size());
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const uint32_t argb = picture.argb[static_cast<size_t>(y * picture.width + x)];
            const unsigned alpha = argb >> 24;
            const unsigned light = ((argb >> 16) & 0xFF) + ((argb >> 8) & 0xFF) + (argb & 0xFF);
            const size_t at = static_cast<size_t>(y * stride + x / 8);
            const char bit = static_cast<char>(1 << (x % 8));
            if (alpha >= 128)
                mask[at] = static_cast<char>(mask[at] | bit);
            if (alpha >= 128 && light < 3 * alpha / 2)  // dark: drawn in the foreground colour
                ink[at] = static_cast<char>(ink[at] | bit);
        }
    const Window root = DefaultRootWindow(display);
    Pixmap source = XCreateBitmapFromData(display, root, ink.data(), static_cast<unsigned>(picture.width),
                                          static_cast<unsigned>(picture.height));
    Pixmap shape = XCreateBitmapFromData(display, root, mask.data(), static_cast<unsigned>(picture.width),
                                         static_cast<unsigned>(picture.height));
    XColor black{}, white{};
    white.red = white.green = white.blue = 0xFFFF;
    Cursor made = XCreatePixmapCursor(display, source, shape, &black, &white,
                                      static_cast<unsigned>(std::clamp(picture.hot_x, 0, picture.width - 1)),
                                      static_cast<unsigned>(std::clamp(picture.hot_y, 0, picture.height - 1)));
    XFreePixmap(display, source);
    XFreePixmap(display, shape);
    return made;
}

}  // namespace helm::display
