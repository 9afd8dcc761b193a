#include "objects.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <mutex>

#include "device_context.h"
#include "font_face.h"
#include "helm/gdi/hooks.h"
#include "helm/kernel/error.h"

namespace helm::gdi {
namespace {

// Numbers 1..31 passed as brushes mean system colours (COLOR_xxx + 1), so
// no GDI object may carry one: such numbers are held by placeholders.
class Placeholder : public kernel::KernelObject {};
constexpr uintptr_t kLowestObjectHandle = 32;

std::mutex g_hooks_mutex;
SystemColourSource g_system_colours;
BitmapResourceLoader g_bitmap_loader;

LOGFONT make_logfont(LONG height, LONG weight, const char* face)
{
    LOGFONT lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfCharSet = ANSI_CHARSET;
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return lf;
}

std::shared_ptr<kernel::KernelObject> make_stock(int index)
{
    auto pen = [](int style, COLORREF colour) {
        auto p = std::make_shared<Pen>();
        p->style = style;
        p->colour = colour;
        return p;
    };
    auto brush = [](int style, COLORREF colour) {
        auto b = std::make_shared<Brush>();
        b->style = style;
        b->colour = colour;
        return b;
    };
    auto font = [](const LOGFONT& lf) {
        auto f = std::make_shared<Font>();
        f->logfont = lf;
        f->face = FontFace::create(lf);
        return f;
    };
    std::shared_ptr<GdiObject> object;
    switch (index) {
    case WHITE_BRUSH: object = brush(BS_SOLID, RGB(255, 255, 255)); break;
    case LTGRAY_BRUSH: object = brush(BS_SOLID, RGB(192, 192, 192)); break;
    case GRAY_BRUSH: object = brush(BS_SOLID, RGB(128, 128, 128)); break;
    case DKGRAY_BRUSH: object = brush(BS_SOLID, RGB(64, 64, 64)); break;
    case BLACK_BRUSH: object = brush(BS_SOLID, RGB(0, 0, 0)); break;
    case NULL_BRUSH: object = brush(BS_NULL, 0); break;
    case WHITE_PEN: object = pen(PS_SOLID, RGB(255, 255, 255)); break;
    case BLACK_PEN: object = pen(PS_SOLID, RGB(0, 0, 0)); break;
    case NULL_PEN: object = pen(PS_NULL, 0); break;
    case OEM_FIXED_FONT:
    case ANSI_FIXED_FONT:
    case SYSTEM_FIXED_FONT: object = font(make_logfont(-13, FW_NORMAL, "Courier New")); break;
    case ANSI_VAR_FONT: object = font(make_logfont(-11, FW_NORMAL, "MS Sans Serif")); break;
    case SYSTEM_FONT:
    case DEVICE_DEFAULT_FONT: object = font(make_logfont(16, FW_BOLD, "System")); break;
    case DEFAULT_GUI_FONT: object = font(make_logfont(-11, FW_NORMAL, "MS Shell Dlg")); break;
    case DEFAULT_PALETTE: {
        auto palette = std::make_shared<Palette>();
        palette->entries.resize(20);
        object = palette;
        break;
    }
    case DC_BRUSH: {
        auto b = brush(BS_SOLID, RGB(255, 255, 255));
        b->dc_brush = true;
        object = b;
        break;
    }
    case DC_PEN: {
        auto p = pen(PS_SOLID, 0);
        p->dc_pen = true;
        object = p;
        break;
    }
    default: return nullptr;
    }
    object->stock = true;
    return object;
}

}  // namespace

Region::Region() : region(cairo_region_create()) {}

Region::Region(const RECT& rect)
{
    cairo_rectangle_int_t r{rect.left, rect.top, 0, 0};
    if (rect.right > rect.left && rect.bottom > rect.top) {
        r.width = rect.right - rect.left;
        r.height = rect.bottom - rect.top;
    }
    region = cairo_region_create_rectangle(&r);
}

Region::~Region()
{
    cairo_region_destroy(region);
}

int region_kind(const cairo_region_t* region)
{
    if (!region)
        return ERROR;
    if (cairo_region_is_empty(region))
        return NULLREGION;
    return cairo_region_num_rectangles(region) == 1 ? SIMPLEREGION : COMPLEXREGION;
}

HANDLE add_object(std::shared_ptr<kernel::KernelObject> object)
{
    for (int attempt = 0; attempt < 64; ++attempt) {
        HANDLE handle = kernel::insert_handle(object);
        if (!handle || reinterpret_cast<uintptr_t>(handle) >= kLowestObjectHandle)
            return handle;
        // Keep the low number taken for good and draw another.
        CloseHandle(handle);
        static std::mutex mutex;
        static std::vector<HANDLE> reserved;
        std::lock_guard lock(mutex);
        reserved.push_back(kernel::insert_handle(std::make_shared<Placeholder>()));
    }
    return nullptr;
}

void set_system_colour_source(SystemColourSource source)
{
    std::lock_guard lock(g_hooks_mutex);
    g_system_colours = std::move(source);
}

COLORREF system_colour(int index)
{
    SystemColourSource source;
    {
        std::lock_guard lock(g_hooks_mutex);
        source = g_system_colours;
    }
    return source ? source(index) : CLR_INVALID;
}

void set_bitmap_resource_loader(BitmapResourceLoader loader)
{
    std::lock_guard lock(g_hooks_mutex);
    g_bitmap_loader = std::move(loader);
}

HBITMAP load_bitmap_resource(HINSTANCE module, LPCSTR name)
{
    BitmapResourceLoader loader;
    {
        std::lock_guard lock(g_hooks_mutex);
        loader = g_bitmap_loader;
    }
    return loader ? loader(module, name) : nullptr;
}

}  // namespace helm::gdi

using namespace helm::gdi;

HGDIOBJ GetStockObject(int index)
{
    static std::mutex mutex;
    static std::array<HGDIOBJ, DC_PEN + 1> handles{};
    if (index < 0 || index > DC_PEN)
        return nullptr;
    std::lock_guard lock(mutex);
    if (!handles[index]) {
        auto object = make_stock(index);
        if (object)
            handles[index] = add_object(object);
    }
    return handles[index];
}

int GetObjectType(HGDIOBJ handle)
{
    if (auto dc = find_dc(static_cast<HDC>(handle)))
        return dc->memory ? OBJ_MEMDC : OBJ_DC;
    auto object = find_object<GdiObject>(handle);
    return object ? object->type() : 0;
}

BOOL DeleteObject(HGDIOBJ handle)
{
    auto object = find_object<GdiObject>(handle);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (object->stock)
        return TRUE;
    // A DC holding the object keeps its own reference until it selects
    // something else.
    return CloseHandle(handle);
}

int GetObject(HGDIOBJ handle, int size, LPVOID out)
{
    auto object = find_object<GdiObject>(handle);
    if (!object)
        return 0;
    auto copy = [&](const void* data, int needed) {
        if (!out)
            return needed;
        if (size < needed)
            return 0;
        std::memcpy(out, data, needed);
        return needed;
    };
    switch (object->type()) {
    case OBJ_PEN: {
        auto& pen = static_cast<Pen&>(*object);
        LOGPEN lp{static_cast<UINT>(pen.style), POINT{pen.width, 0}, pen.colour};
        return copy(&lp, sizeof lp);
    }
    case OBJ_BRUSH: {
        auto& brush = static_cast<Brush&>(*object);
        LOGBRUSH lb{static_cast<UINT>(brush.style), brush.colour, static_cast<ULONG_PTR>(brush.hatch)};
        return copy(&lb, sizeof lb);
    }
    case OBJ_FONT: return copy(&static_cast<Font&>(*object).logfont, sizeof(LOGFONT));
    case OBJ_BITMAP: {
        auto& bitmap = static_cast<Bitmap&>(*object);
        BITMAP bm{};
        bm.bmWidth = bitmap.surface->width();
        bm.bmHeight = bitmap.surface->height();
        bm.bmPlanes = 1;
        bm.bmBitsPixel = static_cast<WORD>(bitmap.bits_pixel);
        bm.bmWidthBytes = ((bm.bmWidth * bitmap.bits_pixel + 15) / 16) * 2;
        if (!bitmap.dib_bits.empty()) {
            bm.bmWidthBytes = ((bm.bmWidth * bitmap.bits_pixel + 31) / 32) * 4;
            bm.bmBits = bitmap.dib_bits.data();
        }
        return copy(&bm, sizeof bm);
    }
    case OBJ_PAL: {
        WORD count = static_cast<WORD>(static_cast<Palette&>(*object).entries.size());
        return copy(&count, sizeof count);
    }
    default: return 0;
    }
}

HPEN CreatePen(int style, int width, COLORREF colour)
{
    auto pen = std::make_shared<Pen>();
    pen->style = style & PS_STYLE_MASK;
    if (pen->style > PS_INSIDEFRAME)
        pen->style = PS_SOLID;
    pen->width = width < 0 ? 0 : std::min(width, 4096);
    pen->colour = colour & 0x00FFFFFFu;
    // Wide pens are solid whatever style was asked for, as on Windows.
    if (pen->width > 1 && pen->style >= PS_DASH && pen->style <= PS_DASHDOTDOT)
        pen->style = PS_SOLID;
    return static_cast<HPEN>(add_object(pen));
}

HPEN CreatePenIndirect(const LOGPEN* pen)
{
    if (!pen)
        return nullptr;
    return CreatePen(static_cast<int>(pen->lopnStyle), pen->lopnWidth.x, pen->lopnColor);
}

HBRUSH CreateSolidBrush(COLORREF colour)
{
    auto brush = std::make_shared<Brush>();
    brush->colour = colour & 0x00FFFFFFu;
    return static_cast<HBRUSH>(add_object(brush));
}

HBRUSH CreateHatchBrush(int hatch, COLORREF colour)
{
    if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS)
        return nullptr;
    auto brush = std::make_shared<Brush>();
    brush->style = BS_HATCHED;
    brush->hatch = hatch;
    brush->colour = colour & 0x00FFFFFFu;
    return static_cast<HBRUSH>(add_object(brush));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* brush)
{
    if (!brush)
        return nullptr;
    switch (brush->lbStyle) {
    case BS_SOLID: return CreateSolidBrush(brush->lbColor);
    case BS_HATCHED: return CreateHatchBrush(static_cast<int>(brush->lbHatch), brush->lbColor);
    case BS_NULL: {
        auto b = std::make_shared<Brush>();
        b->style = BS_NULL;
        return static_cast<HBRUSH>(add_object(b));
    }
    default: return nullptr;
    }
}

HFONT CreateFontIndirect(const LOGFONT* logfont)
{
    if (!logfont)
        return nullptr;
    auto font = std::make_shared<Font>();
    font->logfont = *logfont;
    font->logfont.lfFaceName[LF_FACESIZE - 1] = 0;
    font->face = FontFace::create(font->logfont);
    return static_cast<HFONT>(add_object(font));
}

HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                 DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                 DWORD quality, DWORD pitchAndFamily, LPCSTR face)
{
    LOGFONT lf{};
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = static_cast<BYTE>(italic);
    lf.lfUnderline = static_cast<BYTE>(underline);
    lf.lfStrikeOut = static_cast<BYTE>(strikeOut);
    lf.lfCharSet = static_cast<BYTE>(charSet);
    lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
    lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
    lf.lfQuality = static_cast<BYTE>(quality);
    lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
    if (face)
        std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirect(&lf);
}

HPALETTE CreatePalette(const LOGPALETTE* logpalette)
{
    if (!logpalette || logpalette->palNumEntries == 0)
        return nullptr;
    auto palette = std::make_shared<Palette>();
    palette->entries.assign(logpalette->palPalEntry, logpalette->palPalEntry + logpalette->palNumEntries);
    return static_cast<HPALETTE>(add_object(palette));
}

UINT GetPaletteEntries(HPALETTE handle, UINT start, UINT count, PALETTEENTRY* entries)
{
    auto palette = find_object<Palette>(handle);
    if (!palette)
        return 0;
    UINT size = static_cast<UINT>(palette->entries.size());
    if (!entries)
        return size;
    if (start >= size)
        return 0;
    UINT n = std::min(count, size - start);
    std::memcpy(entries, palette->entries.data() + start, n * sizeof(PALETTEENTRY));
    return n;
}

int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    long long product = static_cast<long long>(number) * numerator;
    long long half = (denominator < 0 ? -static_cast<long long>(denominator) : denominator) / 2;
    bool negative = (product < 0) != (denominator < 0);
    long long magnitude = (product < 0 ? -product : product) + half;
    long long result = magnitude / (denominator < 0 ? -static_cast<long long>(denominator) : denominator);
    if (negative)
        result = -result;
    if (result > std::numeric_limits<int>::max() || result < std::numeric_limits<int>::min())
        return -1;
    return static_cast<int>(result);
}
