#include "image_list.h"

#include <algorithm>

#include "helm/kernel/error.h"

namespace helm::user::commctrl {

namespace {

// Bounds on what a caller may ask for, so a wrong size never exhausts memory.
constexpr int max_side = 1024;
constexpr size_t max_images = 1 << 16;

uint32_t rgb_of(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

// The pixels of a bitmap as 0x00RRGGBB rows, top-down.
bool read_pixels(HBITMAP bitmap, int& width, int& height, std::vector<uint32_t>& pixels)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    if (!GetDIBits(nullptr, bitmap, 0, 0, nullptr, &info, DIB_RGB_COLORS))
        return false;
    width = info.bmiHeader.biWidth;
    height = std::abs(info.bmiHeader.biHeight);
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384)
        return false;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    pixels.assign(static_cast<size_t>(width) * height, 0);
    if (GetDIBits(nullptr, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS) != height)
        return false;
    for (uint32_t& p : pixels)
        p &= 0x00FFFFFFu;
    return true;
}

uint32_t blend(uint32_t rgb, COLORREF with, int percent)
{
    const uint32_t w = rgb_of(with);
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int a = static_cast<int>((rgb >> shift) & 0xFF);
        const int b = static_cast<int>((w >> shift) & 0xFF);
        out |= static_cast<uint32_t>((a * (100 - percent) + b * percent) / 100) << shift;
    }
    return out;
}

}  // namespace

ImageList::ImageList(int cx, int cy, UINT flags) : m_cx(cx), m_cy(cy), m_flags(flags) {}

std::shared_ptr<ImageList> ImageList::of(HIMAGELIST list)
{
    return list ? kernel::lookup_handle_as<ImageList>(reinterpret_cast<HANDLE>(list)) : nullptr;
}

void ImageList::resize(int cx, int cy)
{
    // As on Windows, a new size empties the list.
    m_cx = cx;
    m_cy = cy;
    m_images.clear();
}

bool ImageList::set_count(UINT count)
{
    if (count > max_images)
        return false;
    Image blank;
    blank.pixels.assign(static_cast<size_t>(m_cx) * m_cy, 0);
    blank.clear.assign(static_cast<size_t>(m_cx) * m_cy, 0);
    m_images.resize(count, blank);
    return true;
}

bool ImageList::cut(HBITMAP image, HBITMAP mask, const COLORREF* key, std::vector<Image>& out) const
{
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    if (!image || !read_pixels(image, width, height, pixels))
        return false;
    int mask_width = 0, mask_height = 0;
    std::vector<uint32_t> mask_pixels;
    const bool use_mask = masked() && mask && read_pixels(mask, mask_width, mask_height, mask_pixels);
    // CLR_DEFAULT takes the colour of the top-left pixel.
    uint32_t key_rgb = 0;
    const bool use_key = masked() && key;
    if (use_key)
        key_rgb = *key == CLR_DEFAULT ? pixels[0] : rgb_of(*key);

    const int n = width / m_cx;
    for (int i = 0; i < n; ++i) {
        Image img;
        img.pixels.assign(static_cast<size_t>(m_cx) * m_cy, 0);
        img.clear.assign(static_cast<size_t>(m_cx) * m_cy, 0);
        for (int y = 0; y < std::min(m_cy, height); ++y) {
            for (int x = 0; x < m_cx; ++x) {
                const int sx = i * m_cx + x;
                const uint32_t p = pixels[static_cast<size_t>(y) * width + sx];
                bool clear = false;
                if (use_mask && sx < mask_width && y < mask_height)
                    clear = mask_pixels[static_cast<size_t>(y) * mask_width + sx] == 0x00FFFFFFu;
                if (use_key && p == key_rgb)
                    clear = true;
                const size_t at = static_cast<size_t>(y) * m_cx + x;
                // A transparent pixel is black in the image, as Windows keeps it.
                img.pixels[at] = clear ? 0 : p;
                img.clear[at] = clear ? 1 : 0;
            }
        }
        out.push_back(std::move(img));
    }
    return true;
}

int ImageList::add(HBITMAP image, HBITMAP mask, const COLORREF* key)
{
    std::vector<Image> cut_images;
    if (!cut(image, mask, key, cut_images) || cut_images.empty() || m_images.size() + cut_images.size() > max_images)
        return -1;
    const int first = count();
    for (Image& img : cut_images)
        m_images.push_back(std::move(img));
    return first;
}

bool ImageList::replace(int index, HBITMAP image, HBITMAP mask)
{
    if (index < 0 || index >= count())
        return false;
    std::vector<Image> cut_images;
    if (!cut(image, mask, nullptr, cut_images) || cut_images.empty())
        return false;
    m_images[static_cast<size_t>(index)] = std::move(cut_images.front());
    return true;
}

bool ImageList::remove(int index)
{
    if (index == -1) {
        m_images.clear();
        return true;
    }
    if (index < 0 || index >= count())
        return false;
    m_images.erase(m_images.begin() + index);
    return true;
}

bool ImageList::draw(int index, HDC dc, int x, int y, int dx, int dy, COLORREF background, COLORREF foreground,
                     UINT style) const
{
    if (index < 0 || index >= count() || !dc)
        return false;
    const Image& img = m_images[static_cast<size_t>(index)];
    const int w = dx > 0 ? std::min(dx, m_cx) : m_cx;
    const int h = dy > 0 ? std::min(dy, m_cy) : m_cy;

    // What each pixel becomes: drawn (with its colour) or left alone.
    if (background == CLR_DEFAULT)
        background = m_background;
    const bool see_through = masked() && ((style & ILD_TRANSPARENT) || background == CLR_NONE);
    const int percent = (style & ILD_BLEND50) ? 50 : (style & ILD_BLEND25) ? 25 : 0;
    if (foreground == CLR_DEFAULT || foreground == CLR_NONE)
        foreground = GetSysColor(COLOR_HIGHLIGHT);

    std::vector<uint32_t> out(static_cast<size_t>(w) * h, 0);
    std::vector<uint8_t> skip(static_cast<size_t>(w) * h, 0);
    for (int row = 0; row < h; ++row) {
        for (int col = 0; col < w; ++col) {
            const size_t from = static_cast<size_t>(row) * m_cx + col;
            const size_t to = static_cast<size_t>(row) * w + col;
            const bool clear = masked() && img.clear[from];
            if (style & ILD_MASK) {
                // The mask alone: black where the image is, white elsewhere
                // (nothing drawn there when drawn transparent).
                out[to] = clear ? 0x00FFFFFFu : 0;
                skip[to] = clear && (style & ILD_TRANSPARENT) ? 1 : 0;
            } else if (clear) {
                skip[to] = see_through ? 1 : 0;
                out[to] = rgb_of(background);
            } else {
                out[to] = percent ? blend(img.pixels[from], foreground, percent) : img.pixels[from];
            }
        }
    }

    HBITMAP bitmap = CreateBitmap(w, h, 1, 32, out.data());
    if (!bitmap)
        return false;
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    // Runs of drawn pixels, row by row: what the mask leaves out is never
    // touched, so whatever lies under the image shows through.
    for (int row = 0; row < h; ++row) {
        int col = 0;
        while (col < w) {
            while (col < w && skip[static_cast<size_t>(row) * w + col])
                ++col;
            const int start = col;
            while (col < w && !skip[static_cast<size_t>(row) * w + col])
                ++col;
            if (col > start)
                BitBlt(dc, x + start, y + row, col - start, 1, memory, start, row, SRCCOPY);
        }
    }
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
    return true;
}

}  // namespace helm::user::commctrl

using helm::user::commctrl::ImageList;

namespace {

std::shared_ptr<ImageList> list_of(HIMAGELIST list)
{
    auto found = ImageList::of(list);
    if (!found)
        SetLastError(ERROR_INVALID_HANDLE);
    return found;
}

}  // namespace

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int, int)
{
    if (cx <= 0 || cy <= 0 || cx > helm::user::commctrl::max_side || cy > helm::user::commctrl::max_side) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return reinterpret_cast<HIMAGELIST>(helm::kernel::insert_handle(std::make_shared<ImageList>(cx, cy, flags)));
}

BOOL ImageList_Destroy(HIMAGELIST list)
{
    if (!list_of(list))
        return FALSE;
    return CloseHandle(reinterpret_cast<HANDLE>(list));
}

int ImageList_GetImageCount(HIMAGELIST list)
{
    auto found = list_of(list);
    return found ? found->count() : 0;
}

BOOL ImageList_SetImageCount(HIMAGELIST list, UINT count)
{
    auto found = list_of(list);
    return found && found->set_count(count) ? TRUE : FALSE;
}

int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask)
{
    auto found = list_of(list);
    return found ? found->add(image, mask, nullptr) : -1;
}

int ImageList_AddMasked(HIMAGELIST list, HBITMAP image, COLORREF mask)
{
    auto found = list_of(list);
    return found ? found->add(image, nullptr, &mask) : -1;
}

int ImageList_ReplaceIcon(HIMAGELIST list, int index, HICON icon)
{
    auto found = list_of(list);
    ICONINFO info{};
    if (!found || !icon || !GetIconInfo(icon, &info))
        return -1;
    int result = -1;
    if (index == -1)
        result = found->add(info.hbmColor ? info.hbmColor : info.hbmMask, info.hbmMask, nullptr);
    else if (found->replace(index, info.hbmColor ? info.hbmColor : info.hbmMask, info.hbmMask))
        result = index;
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    if (info.hbmMask)
        DeleteObject(info.hbmMask);
    return result;
}

BOOL ImageList_Replace(HIMAGELIST list, int index, HBITMAP image, HBITMAP mask)
{
    auto found = list_of(list);
    return found && found->replace(index, image, mask) ? TRUE : FALSE;
}

BOOL ImageList_Remove(HIMAGELIST list, int index)
{
    auto found = list_of(list);
    return found && found->remove(index) ? TRUE : FALSE;
}

BOOL ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style)
{
    auto found = list_of(list);
    return found && found->draw(index, dc, x, y, 0, 0, CLR_DEFAULT, CLR_DEFAULT, style) ? TRUE : FALSE;
}

BOOL ImageList_DrawEx(HIMAGELIST list, int index, HDC dc, int x, int y, int dx, int dy, COLORREF background,
                      COLORREF foreground, UINT style)
{
    auto found = list_of(list);
    return found && found->draw(index, dc, x, y, dx, dy, background, foreground, style) ? TRUE : FALSE;
}

BOOL ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy)
{
    auto found = list_of(list);
    if (!found || !cx || !cy)
        return FALSE;
    *cx = found->width();
    *cy = found->height();
    return TRUE;
}

BOOL ImageList_SetIconSize(HIMAGELIST list, int cx, int cy)
{
    auto found = list_of(list);
    if (!found || cx <= 0 || cy <= 0 || cx > helm::user::commctrl::max_side || cy > helm::user::commctrl::max_side)
        return FALSE;
    found->resize(cx, cy);
    return TRUE;
}

COLORREF ImageList_SetBkColor(HIMAGELIST list, COLORREF colour)
{
    auto found = list_of(list);
    if (!found)
        return CLR_NONE;
    const COLORREF before = found->background();
    found->set_background(colour);
    return before;
}

COLORREF ImageList_GetBkColor(HIMAGELIST list)
{
    auto found = list_of(list);
    return found ? found->background() : CLR_NONE;
}

HICON ImageList_GetIcon(HIMAGELIST list, int index, UINT)
{
    auto found = list_of(list);
    if (!found || index < 0 || index >= found->count())
        return nullptr;
    const int w = found->width(), h = found->height();
    HDC screen = CreateCompatibleDC(nullptr);
    HBITMAP colour = CreateBitmap(w, h, 1, 32, nullptr);
    HBITMAP mask = CreateBitmap(w, h, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(screen, colour);
    found->draw(index, screen, 0, 0, 0, 0, RGB(0, 0, 0), CLR_DEFAULT, ILD_NORMAL);
    SelectObject(screen, mask);
    found->draw(index, screen, 0, 0, 0, 0, CLR_NONE, CLR_DEFAULT, ILD_MASK);
    SelectObject(screen, old);
    DeleteDC(screen);
    ICONINFO info{TRUE, 0, 0, mask, colour};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(colour);
    DeleteObject(mask);
    return icon;
}
