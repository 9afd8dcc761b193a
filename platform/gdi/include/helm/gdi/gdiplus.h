// The GDI+ subset the suite draws with: the flat functions (GdipXxx), which
// do the work, and the Gdiplus classes over them, in the form the suite's
// code calls them. Graphics draw on 32-bit ARGB bitmaps or on a DC;
// smoothing, world transforms, dashed pens, string formats and colour keys
// behave as on Windows.
#pragma once

#include <cstdint>

#include "helm/gdi/wingdi.h"
#include "helm/kernel/types.h"

typedef float REAL;

namespace Gdiplus {

typedef DWORD ARGB;
typedef INT PixelFormat;

enum Status {
    Ok = 0,
    GenericError = 1,
    InvalidParameter = 2,
    OutOfMemory = 3,
    ObjectBusy = 4,
    InsufficientBuffer = 5,
    NotImplemented = 6,
    Win32Error = 7,
    WrongState = 8,
    Aborted = 9,
    FileNotFound = 10,
    ValueOverflow = 11,
    AccessDenied = 12,
    UnknownImageFormat = 13,
    FontFamilyNotFound = 14,
    FontStyleNotFound = 15,
    NotTrueTypeFont = 16,
    UnsupportedGdiplusVersion = 17,
    GdiplusNotInitialized = 18,
    PropertyNotFound = 19,
    PropertyNotSupported = 20,
};

enum SmoothingMode {
    SmoothingModeInvalid = -1,
    SmoothingModeDefault = 0,
    SmoothingModeHighSpeed = 1,
    SmoothingModeHighQuality = 2,
    SmoothingModeNone = 3,
    SmoothingModeAntiAlias = 4,
};

enum TextRenderingHint {
    TextRenderingHintSystemDefault = 0,
    TextRenderingHintSingleBitPerPixelGridFit = 1,
    TextRenderingHintSingleBitPerPixel = 2,
    TextRenderingHintAntiAliasGridFit = 3,
    TextRenderingHintAntiAlias = 4,
    TextRenderingHintClearTypeGridFit = 5,
};

enum DashStyle {
    DashStyleSolid = 0,
    DashStyleDash = 1,
    DashStyleDot = 2,
    DashStyleDashDot = 3,
    DashStyleDashDotDot = 4,
    DashStyleCustom = 5,
};

enum StringAlignment { StringAlignmentNear = 0, StringAlignmentCenter = 1, StringAlignmentFar = 2 };

enum Unit {
    UnitWorld = 0,
    UnitDisplay = 1,
    UnitPixel = 2,
    UnitPoint = 3,
    UnitInch = 4,
    UnitDocument = 5,
    UnitMillimeter = 6,
};

enum FontStyle {
    FontStyleRegular = 0,
    FontStyleBold = 1,
    FontStyleItalic = 2,
    FontStyleBoldItalic = 3,
    FontStyleUnderline = 4,
    FontStyleStrikeout = 8,
};

enum MatrixOrder { MatrixOrderPrepend = 0, MatrixOrderAppend = 1 };
enum FillMode { FillModeAlternate = 0, FillModeWinding = 1 };
enum CombineMode {
    CombineModeReplace = 0,
    CombineModeIntersect = 1,
    CombineModeUnion = 2,
    CombineModeXor = 3,
    CombineModeExclude = 4,
    CombineModeComplement = 5,
};
enum ColorAdjustType {
    ColorAdjustTypeDefault = 0,
    ColorAdjustTypeBitmap = 1,
    ColorAdjustTypeBrush = 2,
    ColorAdjustTypePen = 3,
    ColorAdjustTypeText = 4,
};

#define PixelFormat24bppRGB 0x00021808
#define PixelFormat32bppRGB 0x00022009
#define PixelFormat32bppARGB 0x0026200A
#define PixelFormat32bppPARGB 0x000E200B

struct GdiplusStartupInput {
    UINT GdiplusVersion = 1;
    void* DebugEventCallback = nullptr;
    BOOL SuppressBackgroundThread = FALSE;
    BOOL SuppressExternalCodecs = FALSE;
};

struct GdiplusStartupOutput {
    void* NotificationHook = nullptr;
    void* NotificationUnhook = nullptr;
};

struct PointF {
    PointF() = default;
    PointF(REAL x, REAL y) : X(x), Y(y) {}
    REAL X = 0;
    REAL Y = 0;
};

struct Point {
    Point() = default;
    Point(INT x, INT y) : X(x), Y(y) {}
    INT X = 0;
    INT Y = 0;
};

struct SizeF {
    SizeF() = default;
    SizeF(REAL w, REAL h) : Width(w), Height(h) {}
    REAL Width = 0;
    REAL Height = 0;
};

struct RectF {
    RectF() = default;
    RectF(REAL x, REAL y, REAL w, REAL h) : X(x), Y(y), Width(w), Height(h) {}
    REAL GetLeft() const { return X; }
    REAL GetTop() const { return Y; }
    REAL GetRight() const { return X + Width; }
    REAL GetBottom() const { return Y + Height; }
    BOOL Contains(const RectF& r) const
    {
        return X <= r.X && r.GetRight() <= GetRight() && Y <= r.Y && r.GetBottom() <= GetBottom();
    }
    REAL X = 0;
    REAL Y = 0;
    REAL Width = 0;
    REAL Height = 0;
};

struct Rect {
    Rect() = default;
    Rect(INT x, INT y, INT w, INT h) : X(x), Y(y), Width(w), Height(h) {}
    INT X = 0;
    INT Y = 0;
    INT Width = 0;
    INT Height = 0;
};

class Color {
public:
    Color() = default;
    Color(BYTE r, BYTE g, BYTE b) : m_argb(MakeARGB(255, r, g, b)) {}
    Color(BYTE a, BYTE r, BYTE g, BYTE b) : m_argb(MakeARGB(a, r, g, b)) {}
    Color(ARGB argb) : m_argb(argb) {}
    static ARGB MakeARGB(BYTE a, BYTE r, BYTE g, BYTE b)
    {
        return (ARGB(a) << 24) | (ARGB(r) << 16) | (ARGB(g) << 8) | ARGB(b);
    }
    ARGB GetValue() const { return m_argb; }
    void SetValue(ARGB argb) { m_argb = argb; }
    BYTE GetA() const { return BYTE(m_argb >> 24); }
    BYTE GetR() const { return BYTE(m_argb >> 16); }
    BYTE GetG() const { return BYTE(m_argb >> 8); }
    BYTE GetB() const { return BYTE(m_argb); }
    COLORREF ToCOLORREF() const { return RGB(GetR(), GetG(), GetB()); }
    void SetFromCOLORREF(COLORREF c) { m_argb = MakeARGB(255, GetRValue(c), GetGValue(c), GetBValue(c)); }

    enum : ARGB {
        Black = 0xFF000000,
        White = 0xFFFFFFFF,
        Red = 0xFFFF0000,
        Green = 0xFF008000,
        Blue = 0xFF0000FF,
        Transparent = 0x00FFFFFF,
    };

private:
    ARGB m_argb = 0xFF000000;
};

}  // namespace Gdiplus

// The flat interface. The objects behind these pointers belong to the
// drawing layer; each is freed by its GdipDelete/GdipDispose function.
struct GpGraphics;
struct GpImage;
typedef GpImage GpBitmap;
struct GpPen;
struct GpBrush;
typedef GpBrush GpSolidFill;
struct GpFontFamily;
struct GpFontCollection;
struct GpFont;
struct GpStringFormat;
struct GpImageAttributes;
struct GpCachedBitmap;
typedef Gdiplus::Status GpStatus;
typedef Gdiplus::PointF GpPointF;
typedef Gdiplus::Point GpPoint;
typedef Gdiplus::RectF GpRectF;
typedef Gdiplus::Rect GpRect;
typedef BOOL (*DrawImageAbort)(void*);

using Gdiplus::ARGB;

GpStatus GdiplusStartup(ULONG_PTR* token, const Gdiplus::GdiplusStartupInput* input,
                        Gdiplus::GdiplusStartupOutput* output);
void GdiplusShutdown(ULONG_PTR token);

GpStatus GdipCreateFromHDC(HDC dc, GpGraphics** graphics);
GpStatus GdipGetImageGraphicsContext(GpImage* image, GpGraphics** graphics);
GpStatus GdipDeleteGraphics(GpGraphics* graphics);
GpStatus GdipGraphicsClear(GpGraphics* graphics, ARGB colour);
GpStatus GdipSetSmoothingMode(GpGraphics* graphics, Gdiplus::SmoothingMode mode);
GpStatus GdipGetSmoothingMode(GpGraphics* graphics, Gdiplus::SmoothingMode* mode);
GpStatus GdipSetTextRenderingHint(GpGraphics* graphics, Gdiplus::TextRenderingHint hint);
GpStatus GdipGetTextRenderingHint(GpGraphics* graphics, Gdiplus::TextRenderingHint* hint);
GpStatus GdipTranslateWorldTransform(GpGraphics* graphics, REAL dx, REAL dy, Gdiplus::MatrixOrder order);
GpStatus GdipRotateWorldTransform(GpGraphics* graphics, REAL angle, Gdiplus::MatrixOrder order);
GpStatus GdipScaleWorldTransform(GpGraphics* graphics, REAL sx, REAL sy, Gdiplus::MatrixOrder order);
GpStatus GdipResetWorldTransform(GpGraphics* graphics);
GpStatus GdipSetClipRect(GpGraphics* graphics, REAL x, REAL y, REAL width, REAL height, Gdiplus::CombineMode mode);
GpStatus GdipSetClipRectI(GpGraphics* graphics, INT x, INT y, INT width, INT height, Gdiplus::CombineMode mode);
GpStatus GdipResetClip(GpGraphics* graphics);

GpStatus GdipCreatePen1(ARGB colour, REAL width, Gdiplus::Unit unit, GpPen** pen);
GpStatus GdipDeletePen(GpPen* pen);
GpStatus GdipSetPenDashStyle(GpPen* pen, Gdiplus::DashStyle style);
GpStatus GdipGetPenDashStyle(GpPen* pen, Gdiplus::DashStyle* style);
GpStatus GdipSetPenWidth(GpPen* pen, REAL width);
GpStatus GdipSetPenColor(GpPen* pen, ARGB colour);
GpStatus GdipCreateSolidFill(ARGB colour, GpSolidFill** brush);
GpStatus GdipSetSolidFillColor(GpSolidFill* brush, ARGB colour);
GpStatus GdipDeleteBrush(GpBrush* brush);

GpStatus GdipDrawLine(GpGraphics* graphics, GpPen* pen, REAL x1, REAL y1, REAL x2, REAL y2);
GpStatus GdipDrawLineI(GpGraphics* graphics, GpPen* pen, INT x1, INT y1, INT x2, INT y2);
GpStatus GdipDrawLines(GpGraphics* graphics, GpPen* pen, const GpPointF* points, INT count);
GpStatus GdipDrawLinesI(GpGraphics* graphics, GpPen* pen, const GpPoint* points, INT count);
GpStatus GdipDrawRectangle(GpGraphics* graphics, GpPen* pen, REAL x, REAL y, REAL width, REAL height);
GpStatus GdipDrawRectangleI(GpGraphics* graphics, GpPen* pen, INT x, INT y, INT width, INT height);
GpStatus GdipFillRectangle(GpGraphics* graphics, GpBrush* brush, REAL x, REAL y, REAL width, REAL height);
GpStatus GdipFillRectangleI(GpGraphics* graphics, GpBrush* brush, INT x, INT y, INT width, INT height);
GpStatus GdipDrawEllipse(GpGraphics* graphics, GpPen* pen, REAL x, REAL y, REAL width, REAL height);
GpStatus GdipDrawEllipseI(GpGraphics* graphics, GpPen* pen, INT x, INT y, INT width, INT height);
GpStatus GdipFillEllipse(GpGraphics* graphics, GpBrush* brush, REAL x, REAL y, REAL width, REAL height);
GpStatus GdipFillEllipseI(GpGraphics* graphics, GpBrush* brush, INT x, INT y, INT width, INT height);
GpStatus GdipDrawPolygon(GpGraphics* graphics, GpPen* pen, const GpPointF* points, INT count);
GpStatus GdipDrawPolygonI(GpGraphics* graphics, GpPen* pen, const GpPoint* points, INT count);
GpStatus GdipFillPolygon(GpGraphics* graphics, GpBrush* brush, const GpPointF* points, INT count,
                         Gdiplus::FillMode mode);
GpStatus GdipFillPolygonI(GpGraphics* graphics, GpBrush* brush, const GpPoint* points, INT count,
                          Gdiplus::FillMode mode);
GpStatus GdipDrawArc(GpGraphics* graphics, GpPen* pen, REAL x, REAL y, REAL width, REAL height, REAL start,
                     REAL sweep);
GpStatus GdipDrawPie(GpGraphics* graphics, GpPen* pen, REAL x, REAL y, REAL width, REAL height, REAL start,
                     REAL sweep);
GpStatus GdipFillPie(GpGraphics* graphics, GpBrush* brush, REAL x, REAL y, REAL width, REAL height, REAL start,
                     REAL sweep);

GpStatus GdipCreateFontFamilyFromName(const WCHAR* name, GpFontCollection* collection, GpFontFamily** family);
GpStatus GdipDeleteFontFamily(GpFontFamily* family);
GpStatus GdipCreateFont(const GpFontFamily* family, REAL size, INT style, Gdiplus::Unit unit, GpFont** font);
GpStatus GdipDeleteFont(GpFont* font);
GpStatus GdipGetFontSize(GpFont* font, REAL* size);
GpStatus GdipCreateStringFormat(INT flags, WORD language, GpStringFormat** format);
GpStatus GdipDeleteStringFormat(GpStringFormat* format);
GpStatus GdipSetStringFormatAlign(GpStringFormat* format, Gdiplus::StringAlignment align);
GpStatus GdipGetStringFormatAlign(GpStringFormat* format, Gdiplus::StringAlignment* align);
GpStatus GdipSetStringFormatLineAlign(GpStringFormat* format, Gdiplus::StringAlignment align);
GpStatus GdipGetStringFormatLineAlign(GpStringFormat* format, Gdiplus::StringAlignment* align);
GpStatus GdipDrawString(GpGraphics* graphics, const WCHAR* text, INT length, const GpFont* font,
                        const GpRectF* layout, const GpStringFormat* format, const GpBrush* brush);
GpStatus GdipMeasureString(GpGraphics* graphics, const WCHAR* text, INT length, const GpFont* font,
                           const GpRectF* layout, const GpStringFormat* format, GpRectF* bounds,
                           INT* codepointsFitted, INT* linesFilled);

GpStatus GdipCreateBitmapFromScan0(INT width, INT height, INT stride, Gdiplus::PixelFormat format, BYTE* scan0,
                                   GpBitmap** bitmap);
GpStatus GdipCreateBitmapFromHBITMAP(HBITMAP hbitmap, HPALETTE palette, GpBitmap** bitmap);
GpStatus GdipCreateBitmapFromResource(HINSTANCE module, const WCHAR* name, GpBitmap** bitmap);
GpStatus GdipCreateHBITMAPFromBitmap(GpBitmap* bitmap, HBITMAP* hbitmap, ARGB background);
GpStatus GdipDisposeImage(GpImage* image);
GpStatus GdipGetImageWidth(GpImage* image, UINT* width);
GpStatus GdipGetImageHeight(GpImage* image, UINT* height);
GpStatus GdipBitmapGetPixel(GpBitmap* bitmap, INT x, INT y, ARGB* colour);
GpStatus GdipBitmapSetPixel(GpBitmap* bitmap, INT x, INT y, ARGB colour);
GpStatus GdipCreateImageAttributes(GpImageAttributes** attributes);
GpStatus GdipDisposeImageAttributes(GpImageAttributes* attributes);
GpStatus GdipSetImageAttributesColorKeys(GpImageAttributes* attributes, Gdiplus::ColorAdjustType type, BOOL enable,
                                         ARGB low, ARGB high);
GpStatus GdipDrawImage(GpGraphics* graphics, GpImage* image, REAL x, REAL y);
GpStatus GdipDrawImageI(GpGraphics* graphics, GpImage* image, INT x, INT y);
GpStatus GdipDrawImageRect(GpGraphics* graphics, GpImage* image, REAL x, REAL y, REAL width, REAL height);
GpStatus GdipDrawImageRectRect(GpGraphics* graphics, GpImage* image, REAL x, REAL y, REAL width, REAL height,
                               REAL srcX, REAL srcY, REAL srcWidth, REAL srcHeight, Gdiplus::Unit unit,
                               const GpImageAttributes* attributes, DrawImageAbort callback, void* data);
GpStatus GdipDrawImageRectRectI(GpGraphics* graphics, GpImage* image, INT x, INT y, INT width, INT height, INT srcX,
                                INT srcY, INT srcWidth, INT srcHeight, Gdiplus::Unit unit,
                                const GpImageAttributes* attributes, DrawImageAbort callback, void* data);
GpStatus GdipCreateCachedBitmap(GpBitmap* bitmap, GpGraphics* graphics, GpCachedBitmap** cached);
GpStatus GdipDeleteCachedBitmap(GpCachedBitmap* cached);
GpStatus GdipDrawCachedBitmap(GpGraphics* graphics, GpCachedBitmap* cached, INT x, INT y);

namespace Gdiplus {

using ::GdiplusShutdown;
using ::GdiplusStartup;

class Graphics;
class Image;

class Brush {
public:
    virtual ~Brush() { GdipDeleteBrush(m_brush); }
    Status GetLastStatus() const { return m_status; }
    Brush(const Brush&) = delete;
    Brush& operator=(const Brush&) = delete;

protected:
    Brush() = default;
    friend class Graphics;
    GpBrush* m_brush = nullptr;
    mutable Status m_status = Ok;
};

class SolidBrush : public Brush {
public:
    explicit SolidBrush(const Color& colour) { m_status = GdipCreateSolidFill(colour.GetValue(), &m_brush); }
    Status SetColor(const Color& colour) { return m_status = GdipSetSolidFillColor(m_brush, colour.GetValue()); }
};

class Pen {
public:
    Pen(const Color& colour, REAL width = 1.0f) { m_status = GdipCreatePen1(colour.GetValue(), width, UnitWorld, &m_pen); }
    ~Pen() { GdipDeletePen(m_pen); }
    Pen(const Pen&) = delete;
    Pen& operator=(const Pen&) = delete;
    Status SetDashStyle(DashStyle style) { return m_status = GdipSetPenDashStyle(m_pen, style); }
    DashStyle GetDashStyle() const
    {
        DashStyle style = DashStyleSolid;
        GdipGetPenDashStyle(m_pen, &style);
        return style;
    }
    Status SetWidth(REAL width) { return m_status = GdipSetPenWidth(m_pen, width); }
    Status SetColor(const Color& colour) { return m_status = GdipSetPenColor(m_pen, colour.GetValue()); }
    Status GetLastStatus() const { return m_status; }

private:
    friend class Graphics;
    GpPen* m_pen = nullptr;
    Status m_status = Ok;
};

class FontFamily {
public:
    explicit FontFamily(const WCHAR* name) { m_status = GdipCreateFontFamilyFromName(name, nullptr, &m_family); }
    ~FontFamily() { GdipDeleteFontFamily(m_family); }
    FontFamily(const FontFamily&) = delete;
    FontFamily& operator=(const FontFamily&) = delete;
    BOOL IsAvailable() const { return m_family != nullptr; }
    Status GetLastStatus() const { return m_status; }

private:
    friend class Font;
    GpFontFamily* m_family = nullptr;
    Status m_status = Ok;
};

class Font {
public:
    Font(const FontFamily* family, REAL size, INT style = FontStyleRegular, Unit unit = UnitPoint)
    {
        m_status = GdipCreateFont(family ? family->m_family : nullptr, size, style, unit, &m_font);
    }
    Font(const WCHAR* family, REAL size, INT style = FontStyleRegular, Unit unit = UnitPoint)
    {
        GpFontFamily* made = nullptr;
        m_status = GdipCreateFontFamilyFromName(family, nullptr, &made);
        if (m_status == Ok)
            m_status = GdipCreateFont(made, size, style, unit, &m_font);
        GdipDeleteFontFamily(made);
    }
    ~Font() { GdipDeleteFont(m_font); }
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    BOOL IsAvailable() const { return m_font != nullptr; }
    REAL GetSize() const
    {
        REAL size = 0;
        GdipGetFontSize(m_font, &size);
        return size;
    }
    Status GetLastStatus() const { return m_status; }

private:
    friend class Graphics;
    GpFont* m_font = nullptr;
    Status m_status = Ok;
};

class StringFormat {
public:
    explicit StringFormat(INT flags = 0, WORD language = 0) { m_status = GdipCreateStringFormat(flags, language, &m_format); }
    ~StringFormat() { GdipDeleteStringFormat(m_format); }
    StringFormat(const StringFormat&) = delete;
    StringFormat& operator=(const StringFormat&) = delete;
    Status SetAlignment(StringAlignment align) { return m_status = GdipSetStringFormatAlign(m_format, align); }
    Status SetLineAlignment(StringAlignment align) { return m_status = GdipSetStringFormatLineAlign(m_format, align); }
    StringAlignment GetAlignment() const
    {
        StringAlignment align = StringAlignmentNear;
        GdipGetStringFormatAlign(m_format, &align);
        return align;
    }
    StringAlignment GetLineAlignment() const
    {
        StringAlignment align = StringAlignmentNear;
        GdipGetStringFormatLineAlign(m_format, &align);
        return align;
    }
    Status GetLastStatus() const { return m_status; }

private:
    friend class Graphics;
    GpStringFormat* m_format = nullptr;
    Status m_status = Ok;
};

class ImageAttributes {
public:
    ImageAttributes() { m_status = GdipCreateImageAttributes(&m_attributes); }
    ~ImageAttributes() { GdipDisposeImageAttributes(m_attributes); }
    ImageAttributes(const ImageAttributes&) = delete;
    ImageAttributes& operator=(const ImageAttributes&) = delete;
    Status SetColorKey(const Color& low, const Color& high, ColorAdjustType type = ColorAdjustTypeDefault)
    {
        return m_status = GdipSetImageAttributesColorKeys(m_attributes, type, TRUE, low.GetValue(), high.GetValue());
    }
    Status ClearColorKey(ColorAdjustType type = ColorAdjustTypeDefault)
    {
        return m_status = GdipSetImageAttributesColorKeys(m_attributes, type, FALSE, 0, 0);
    }
    Status GetLastStatus() const { return m_status; }

private:
    friend class Graphics;
    GpImageAttributes* m_attributes = nullptr;
    Status m_status = Ok;
};

class Image {
public:
    virtual ~Image() { GdipDisposeImage(m_image); }
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;
    UINT GetWidth() const
    {
        UINT width = 0;
        GdipGetImageWidth(m_image, &width);
        return width;
    }
    UINT GetHeight() const
    {
        UINT height = 0;
        GdipGetImageHeight(m_image, &height);
        return height;
    }
    Status GetLastStatus() const { return m_status; }

protected:
    Image() = default;
    friend class Graphics;
    friend class CachedBitmap;
    GpImage* m_image = nullptr;
    mutable Status m_status = Ok;
};

class Bitmap : public Image {
public:
    Bitmap(INT width, INT height, PixelFormat format = PixelFormat32bppARGB)
    {
        m_status = GdipCreateBitmapFromScan0(width, height, 0, format, nullptr, &m_image);
    }
    Bitmap(INT width, INT height, INT stride, PixelFormat format, BYTE* scan0)
    {
        m_status = GdipCreateBitmapFromScan0(width, height, stride, format, scan0, &m_image);
    }
    Bitmap(HBITMAP hbitmap, HPALETTE palette) { m_status = GdipCreateBitmapFromHBITMAP(hbitmap, palette, &m_image); }
    Bitmap(HINSTANCE module, const WCHAR* name) { m_status = GdipCreateBitmapFromResource(module, name, &m_image); }
    static Bitmap* FromHBITMAP(HBITMAP hbitmap, HPALETTE palette) { return new Bitmap(hbitmap, palette); }
    static Bitmap* FromResource(HINSTANCE module, const WCHAR* name) { return new Bitmap(module, name); }
    Status GetPixel(INT x, INT y, Color* colour) const
    {
        ARGB value = 0;
        Status status = GdipBitmapGetPixel(m_image, x, y, &value);
        if (colour)
            colour->SetValue(value);
        return status;
    }
    Status SetPixel(INT x, INT y, const Color& colour) { return GdipBitmapSetPixel(m_image, x, y, colour.GetValue()); }
    Status GetHBITMAP(const Color& background, HBITMAP* out)
    {
        return GdipCreateHBITMAPFromBitmap(m_image, out, background.GetValue());
    }
};

class CachedBitmap {
public:
    CachedBitmap(Bitmap* bitmap, Graphics* graphics);
    ~CachedBitmap() { GdipDeleteCachedBitmap(m_cached); }
    CachedBitmap(const CachedBitmap&) = delete;
    CachedBitmap& operator=(const CachedBitmap&) = delete;
    Status GetLastStatus() const { return m_status; }

private:
    friend class Graphics;
    GpCachedBitmap* m_cached = nullptr;
    Status m_status = Ok;
};

class Graphics {
public:
    explicit Graphics(HDC dc) { m_status = GdipCreateFromHDC(dc, &m_graphics); }
    explicit Graphics(Image* image)
    {
        m_status = image ? GdipGetImageGraphicsContext(image->m_image, &m_graphics) : InvalidParameter;
    }
    static Graphics* FromHDC(HDC dc) { return new Graphics(dc); }
    static Graphics* FromImage(Image* image) { return new Graphics(image); }
    ~Graphics() { GdipDeleteGraphics(m_graphics); }
    Graphics(const Graphics&) = delete;
    Graphics& operator=(const Graphics&) = delete;

    Status GetLastStatus() const { return m_status; }
    Status Clear(const Color& colour) { return set(GdipGraphicsClear(m_graphics, colour.GetValue())); }
    Status SetSmoothingMode(SmoothingMode mode) { return set(GdipSetSmoothingMode(m_graphics, mode)); }
    SmoothingMode GetSmoothingMode() const
    {
        SmoothingMode mode = SmoothingModeInvalid;
        GdipGetSmoothingMode(m_graphics, &mode);
        return mode;
    }
    Status SetTextRenderingHint(TextRenderingHint hint) { return set(GdipSetTextRenderingHint(m_graphics, hint)); }
    Status TranslateTransform(REAL dx, REAL dy, MatrixOrder order = MatrixOrderPrepend)
    {
        return set(GdipTranslateWorldTransform(m_graphics, dx, dy, order));
    }
    Status RotateTransform(REAL angle, MatrixOrder order = MatrixOrderPrepend)
    {
        return set(GdipRotateWorldTransform(m_graphics, angle, order));
    }
    Status ScaleTransform(REAL sx, REAL sy, MatrixOrder order = MatrixOrderPrepend)
    {
        return set(GdipScaleWorldTransform(m_graphics, sx, sy, order));
    }
    Status ResetTransform() { return set(GdipResetWorldTransform(m_graphics)); }
    Status SetClip(const RectF& r, CombineMode mode = CombineModeReplace)
    {
        return set(GdipSetClipRect(m_graphics, r.X, r.Y, r.Width, r.Height, mode));
    }
    Status SetClip(const Rect& r, CombineMode mode = CombineModeReplace)
    {
        return set(GdipSetClipRectI(m_graphics, r.X, r.Y, r.Width, r.Height, mode));
    }
    Status ResetClip() { return set(GdipResetClip(m_graphics)); }

    Status DrawLine(const Pen* pen, REAL x1, REAL y1, REAL x2, REAL y2)
    {
        return set(GdipDrawLine(m_graphics, p(pen), x1, y1, x2, y2));
    }
    Status DrawLine(const Pen* pen, INT x1, INT y1, INT x2, INT y2)
    {
        return set(GdipDrawLineI(m_graphics, p(pen), x1, y1, x2, y2));
    }
    Status DrawLine(const Pen* pen, const PointF& a, const PointF& b) { return DrawLine(pen, a.X, a.Y, b.X, b.Y); }
    Status DrawLines(const Pen* pen, const PointF* points, INT count)
    {
        return set(GdipDrawLines(m_graphics, p(pen), points, count));
    }
    Status DrawLines(const Pen* pen, const Point* points, INT count)
    {
        return set(GdipDrawLinesI(m_graphics, p(pen), points, count));
    }
    Status DrawRectangle(const Pen* pen, REAL x, REAL y, REAL w, REAL h)
    {
        return set(GdipDrawRectangle(m_graphics, p(pen), x, y, w, h));
    }
    Status DrawRectangle(const Pen* pen, INT x, INT y, INT w, INT h)
    {
        return set(GdipDrawRectangleI(m_graphics, p(pen), x, y, w, h));
    }
    Status DrawRectangle(const Pen* pen, const RectF& r) { return DrawRectangle(pen, r.X, r.Y, r.Width, r.Height); }
    Status DrawRectangle(const Pen* pen, const Rect& r) { return DrawRectangle(pen, r.X, r.Y, r.Width, r.Height); }
    Status FillRectangle(const Brush* brush, REAL x, REAL y, REAL w, REAL h)
    {
        return set(GdipFillRectangle(m_graphics, b(brush), x, y, w, h));
    }
    Status FillRectangle(const Brush* brush, INT x, INT y, INT w, INT h)
    {
        return set(GdipFillRectangleI(m_graphics, b(brush), x, y, w, h));
    }
    Status FillRectangle(const Brush* brush, const RectF& r) { return FillRectangle(brush, r.X, r.Y, r.Width, r.Height); }
    Status FillRectangle(const Brush* brush, const Rect& r) { return FillRectangle(brush, r.X, r.Y, r.Width, r.Height); }
    Status DrawEllipse(const Pen* pen, REAL x, REAL y, REAL w, REAL h)
    {
        return set(GdipDrawEllipse(m_graphics, p(pen), x, y, w, h));
    }
    Status DrawEllipse(const Pen* pen, INT x, INT y, INT w, INT h)
    {
        return set(GdipDrawEllipseI(m_graphics, p(pen), x, y, w, h));
    }
    Status DrawEllipse(const Pen* pen, const RectF& r) { return DrawEllipse(pen, r.X, r.Y, r.Width, r.Height); }
    Status FillEllipse(const Brush* brush, REAL x, REAL y, REAL w, REAL h)
    {
        return set(GdipFillEllipse(m_graphics, b(brush), x, y, w, h));
    }
    Status FillEllipse(const Brush* brush, INT x, INT y, INT w, INT h)
    {
        return set(GdipFillEllipseI(m_graphics, b(brush), x, y, w, h));
    }
    Status FillEllipse(const Brush* brush, const RectF& r) { return FillEllipse(brush, r.X, r.Y, r.Width, r.Height); }
    Status FillEllipse(const Brush* brush, const Rect& r) { return FillEllipse(brush, r.X, r.Y, r.Width, r.Height); }
    Status DrawPolygon(const Pen* pen, const PointF* points, INT count)
    {
        return set(GdipDrawPolygon(m_graphics, p(pen), points, count));
    }
    Status DrawPolygon(const Pen* pen, const Point* points, INT count)
    {
        return set(GdipDrawPolygonI(m_graphics, p(pen), points, count));
    }
    Status FillPolygon(const Brush* brush, const PointF* points, INT count, FillMode mode = FillModeAlternate)
    {
        return set(GdipFillPolygon(m_graphics, b(brush), points, count, mode));
    }
    Status FillPolygon(const Brush* brush, const Point* points, INT count, FillMode mode = FillModeAlternate)
    {
        return set(GdipFillPolygonI(m_graphics, b(brush), points, count, mode));
    }
    Status DrawArc(const Pen* pen, REAL x, REAL y, REAL w, REAL h, REAL start, REAL sweep)
    {
        return set(GdipDrawArc(m_graphics, p(pen), x, y, w, h, start, sweep));
    }
    Status DrawPie(const Pen* pen, REAL x, REAL y, REAL w, REAL h, REAL start, REAL sweep)
    {
        return set(GdipDrawPie(m_graphics, p(pen), x, y, w, h, start, sweep));
    }
    Status FillPie(const Brush* brush, REAL x, REAL y, REAL w, REAL h, REAL start, REAL sweep)
    {
        return set(GdipFillPie(m_graphics, b(brush), x, y, w, h, start, sweep));
    }

    Status DrawString(const WCHAR* text, INT length, const Font* font, const RectF& layout,
                      const StringFormat* format, const Brush* brush)
    {
        return set(GdipDrawString(m_graphics, text, length, f(font), &layout, sf(format), b(brush)));
    }
    Status DrawString(const WCHAR* text, INT length, const Font* font, const PointF& origin,
                      const StringFormat* format, const Brush* brush)
    {
        RectF layout(origin.X, origin.Y, 0, 0);
        return set(GdipDrawString(m_graphics, text, length, f(font), &layout, sf(format), b(brush)));
    }
    Status DrawString(const WCHAR* text, INT length, const Font* font, const PointF& origin, const Brush* brush)
    {
        return DrawString(text, length, font, origin, nullptr, brush);
    }
    Status MeasureString(const WCHAR* text, INT length, const Font* font, const RectF& layout,
                         const StringFormat* format, RectF* bounds, INT* fitted = nullptr, INT* lines = nullptr) const
    {
        return set(GdipMeasureString(m_graphics, text, length, f(font), &layout, sf(format), bounds, fitted, lines));
    }
    Status MeasureString(const WCHAR* text, INT length, const Font* font, const PointF& origin,
                         const StringFormat* format, RectF* bounds) const
    {
        RectF layout(origin.X, origin.Y, 0, 0);
        return set(GdipMeasureString(m_graphics, text, length, f(font), &layout, sf(format), bounds, nullptr, nullptr));
    }
    Status MeasureString(const WCHAR* text, INT length, const Font* font, const PointF& origin, RectF* bounds) const
    {
        return MeasureString(text, length, font, origin, nullptr, bounds);
    }

    Status DrawImage(Image* image, REAL x, REAL y) { return set(GdipDrawImage(m_graphics, i(image), x, y)); }
    Status DrawImage(Image* image, INT x, INT y) { return set(GdipDrawImageI(m_graphics, i(image), x, y)); }
    Status DrawImage(Image* image, INT x, INT y, INT w, INT h)
    {
        return set(GdipDrawImageRect(m_graphics, i(image), REAL(x), REAL(y), REAL(w), REAL(h)));
    }
    Status DrawImage(Image* image, REAL x, REAL y, REAL w, REAL h)
    {
        return set(GdipDrawImageRect(m_graphics, i(image), x, y, w, h));
    }
    Status DrawImage(Image* image, const RectF& r) { return set(GdipDrawImageRect(m_graphics, i(image), r.X, r.Y, r.Width, r.Height)); }
    Status DrawImage(Image* image, const Rect& dest, INT sx, INT sy, INT sw, INT sh, Unit unit,
                     const ImageAttributes* attributes = nullptr, DrawImageAbort callback = nullptr,
                     void* data = nullptr)
    {
        return set(GdipDrawImageRectRectI(m_graphics, i(image), dest.X, dest.Y, dest.Width, dest.Height, sx, sy, sw, sh,
                                          unit, a(attributes), callback, data));
    }
    Status DrawImage(Image* image, const RectF& dest, REAL sx, REAL sy, REAL sw, REAL sh, Unit unit,
                     const ImageAttributes* attributes = nullptr, DrawImageAbort callback = nullptr,
                     void* data = nullptr)
    {
        return set(GdipDrawImageRectRect(m_graphics, i(image), dest.X, dest.Y, dest.Width, dest.Height, sx, sy, sw, sh,
                                         unit, a(attributes), callback, data));
    }
    Status DrawCachedBitmap(CachedBitmap* cached, INT x, INT y)
    {
        return set(GdipDrawCachedBitmap(m_graphics, cached ? cached->m_cached : nullptr, x, y));
    }

private:
    friend class CachedBitmap;
    Status set(Status status) const
    {
        if (status != Ok)
            m_status = status;
        return status;
    }
    static GpPen* p(const Pen* pen) { return pen ? pen->m_pen : nullptr; }
    static GpBrush* b(const Brush* brush) { return brush ? brush->m_brush : nullptr; }
    static const GpFont* f(const Font* font) { return font ? font->m_font : nullptr; }
    static const GpStringFormat* sf(const StringFormat* format) { return format ? format->m_format : nullptr; }
    static GpImage* i(Image* image) { return image ? image->m_image : nullptr; }
    static const GpImageAttributes* a(const ImageAttributes* attributes)
    {
        return attributes ? attributes->m_attributes : nullptr;
    }

    GpGraphics* m_graphics = nullptr;
    mutable Status m_status = Ok;
};

inline CachedBitmap::CachedBitmap(Bitmap* bitmap, Graphics* graphics)
{
    m_status = GdipCreateCachedBitmap(bitmap ? bitmap->m_image : nullptr, graphics ? graphics->m_graphics : nullptr,
                                      &m_cached);
}

}  // namespace Gdiplus
