// Fonts, text metrics and DrawText layout.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "canvas.h"
#include "helm/gdi/text.h"

using namespace gdi_tests;
using namespace helm::gdi::testing;

namespace {

HFONT dialog_font(const char* face = "MS Shell Dlg", int points = 8, int weight = FW_NORMAL)
{
    LOGFONT lf{};
    lf.lfHeight = -MulDiv(points, 96, 72);
    lf.lfWeight = weight;
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirect(&lf);
}

SIZE extent(HDC dc, const char* text)
{
    SIZE size{};
    GetTextExtentPoint32(dc, text, static_cast<int>(std::strlen(text)), &size);
    return size;
}

}  // namespace

TEST(Fonts, WindowsFacesMapToInstalledMetricCompatibleFaces)
{
    struct Case {
        const char* face;
        const char* family;
    };
    const Case cases[] = {
        {"MS Shell Dlg", "Liberation Sans"}, {"ms sans serif", "Liberation Sans"},
        {"Tahoma", "Liberation Sans"},       {"Arial", "Liberation Sans"},
        {"Courier New", "Liberation Mono"},  {"Times New Roman", "Liberation Serif"},
        {"", "Liberation Sans"},             {"DejaVu Sans", "DejaVu Sans"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(helm::gdi::family_for_face(c.face), c.family) << c.face;

    Canvas canvas;
    HFONT mono = dialog_font("Courier New", 10);
    SelectObject(canvas.dc, mono);
    EXPECT_EQ(extent(canvas.dc, "iiii").cx, extent(canvas.dc, "WWWW").cx) << "a fixed-pitch face";
    HFONT sans = dialog_font("Arial", 10);
    SelectObject(canvas.dc, sans);
    EXPECT_LT(extent(canvas.dc, "iiii").cx, extent(canvas.dc, "WWWW").cx);
    SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(mono);
    DeleteObject(sans);
}

TEST(Fonts, DialogFontMetricsAreThoseOfWindows)
{
    Canvas canvas;
    HFONT font = dialog_font();
    SelectObject(canvas.dc, font);
    SIZE protocol = extent(canvas.dc, "Protocol");
    // Windows gives 39 x 13 for this text in its 8-point dialog font.
    EXPECT_NEAR(protocol.cx, 39, 2);
    EXPECT_EQ(protocol.cy, 13);
    EXPECT_EQ(extent(canvas.dc, "Protocol").cx, protocol.cx) << "stable";

    TEXTMETRIC tm{};
    ASSERT_TRUE(GetTextMetrics(canvas.dc, &tm));
    EXPECT_EQ(tm.tmHeight, 13);
    EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);
    EXPECT_GE(tm.tmAveCharWidth, 4);
    EXPECT_LE(tm.tmAveCharWidth, 6);
    EXPECT_GT(tm.tmMaxCharWidth, tm.tmAveCharWidth);
    EXPECT_EQ(tm.tmInternalLeading, 2);

    SIZE units = helm::gdi::dialog_base_units(font);
    EXPECT_EQ(units.cx, 6);
    EXPECT_EQ(units.cy, 13);
    EXPECT_EQ(helm::gdi::dialog_base_units(nullptr).cx, 0);

    // A positive height is the cell height rather than the em.
    LOGFONT cell{};
    cell.lfHeight = 13;
    std::strcpy(cell.lfFaceName, "MS Shell Dlg");
    HFONT by_cell = CreateFontIndirect(&cell);
    SelectObject(canvas.dc, by_cell);
    GetTextMetrics(canvas.dc, &tm);
    EXPECT_NEAR(tm.tmHeight, 13, 1);
    SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(by_cell);
    DeleteObject(font);
}

TEST(Fonts, BoldIsWiderAndAbsurdHeightsAreBounded)
{
    Canvas canvas;
    HFONT regular = dialog_font("Arial", 10);
    HFONT bold = dialog_font("Arial", 10, FW_BOLD);
    SelectObject(canvas.dc, regular);
    LONG plain = extent(canvas.dc, "Heading").cx;
    SelectObject(canvas.dc, bold);
    EXPECT_GT(extent(canvas.dc, "Heading").cx, plain);

    LOGFONT huge{};
    huge.lfHeight = -2000000000;
    HFONT big = CreateFontIndirect(&huge);
    ASSERT_NE(big, nullptr);
    SelectObject(canvas.dc, big);
    TEXTMETRIC tm{};
    GetTextMetrics(canvas.dc, &tm);
    EXPECT_LE(tm.tmHeight, 2500);
    SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(big);
    DeleteObject(regular);
    DeleteObject(bold);
}

TEST(Text, TextOutDrawsInTheTextColourOnTheBackgroundMode)
{
    Canvas canvas(80, 20, kWhite);
    HFONT font = dialog_font();
    SelectObject(canvas.dc, font);
    SetTextColor(canvas.dc, kRed);
    SetBkColor(canvas.dc, kBlue);
    SetBkMode(canvas.dc, TRANSPARENT);
    ASSERT_TRUE(TextOut(canvas.dc, 2, 2, "Helm", 4));
    SIZE size = extent(canvas.dc, "Helm");
    RECT ink = ink_bounds(canvas.pixels(), canvas.all(), kWhite);
    EXPECT_GE(ink.left, 2);
    EXPECT_LE(ink.right, 2 + size.cx + 1);
    EXPECT_GE(ink.top, 2);
    EXPECT_LE(ink.bottom, 2 + size.cy);
    EXPECT_GT(count_of(canvas.pixels(), canvas.all(), kRed, 40), 10);
    EXPECT_EQ(count_of(canvas.pixels(), canvas.all(), kBlue), 0);

    // Opaque: the text's cell is filled with the background colour.
    Canvas opaque(80, 20, kWhite);
    SelectObject(opaque.dc, font);
    SetBkColor(opaque.dc, kBlue);
    TextOut(opaque.dc, 2, 2, "Helm", 4);
    RECT cell = ink_bounds(opaque.pixels(), opaque.all(), kWhite);
    EXPECT_EQ(cell.left, 2);
    EXPECT_EQ(cell.top, 2);
    EXPECT_EQ(cell.right, 2 + size.cx);
    EXPECT_EQ(cell.bottom, 2 + size.cy);
    SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
    SelectObject(opaque.dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
}

TEST(Text, DrawTextCentresASingleLine)
{
    Canvas canvas(120, 40, kWhite);
    HFONT font = dialog_font();
    SelectObject(canvas.dc, font);
    SetBkMode(canvas.dc, TRANSPARENT);
    RECT box{10, 5, 110, 35};
    int height = DrawText(canvas.dc, "Talvor", -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    keep_png(canvas.pixels(), "drawtext_centred");
    SIZE size = extent(canvas.dc, "Talvor");
    // The cell is centred in the box: the same space on both sides.
    int left = 10 + (100 - size.cx) / 2;
    int top = 5 + (30 - size.cy) / 2;
    EXPECT_EQ(height, top - 5 + size.cy);
    RECT ink = ink_bounds(canvas.pixels(), canvas.all(), kWhite);
    EXPECT_NEAR(ink.left - 10, 110 - ink.right, 2);
    EXPECT_GE(ink.left, left);
    EXPECT_LE(ink.right, left + size.cx + 1);
    EXPECT_GE(ink.top, top);
    EXPECT_LE(ink.bottom, top + size.cy);
    // Glyphs of a centred line stand about as far from the top as the baseline
    // leaves below.
    EXPECT_NEAR(ink.top - 5, 35 - ink.bottom, 5);

    Canvas right(120, 20, kWhite);
    SelectObject(right.dc, font);
    RECT line{0, 0, 100, 20};
    SetBkMode(right.dc, TRANSPARENT);
    DrawText(right.dc, "42.5", -1, &line, DT_RIGHT | DT_SINGLELINE | DT_VCENTER);
    RECT digits = ink_bounds(right.pixels(), right.all(), kWhite);
    EXPECT_LE(digits.right, 100);
    EXPECT_GE(digits.right, 97);
    SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
    SelectObject(right.dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
}

TEST(Text, DrawTextLayoutFlags)
{
    Canvas canvas(200, 100);
    HFONT font = dialog_font();
    SelectObject(canvas.dc, font);
    int line = extent(canvas.dc, "X").cy;

    struct Case {
        const char* text;
        UINT format;
        LONG width;
        int lines;
    };
    const Case cases[] = {
        {"one line", DT_SINGLELINE, 200, 1},
        {"first\nsecond\r\nthird", 0, 200, 3},
        {"first\nsecond", DT_SINGLELINE, 200, 1},
        {"several words that wrap in a narrow box", DT_WORDBREAK, 60, 0},  // 0: more than one
        {"", 0, 200, 1},
    };
    for (const Case& c : cases) {
        RECT r{0, 0, c.width, 0};
        int height = DrawText(canvas.dc, c.text, -1, &r, c.format | DT_CALCRECT);
        if (c.lines > 0) {
            EXPECT_EQ(height, c.lines * line * (c.text[0] ? 1 : 0)) << c.text;
        } else {
            EXPECT_GT(height, 2 * line) << c.text;
            EXPECT_LE(r.right, c.width) << "wrapped lines fit";
        }
        EXPECT_EQ(r.bottom - r.top, height) << c.text;
    }
    RECT fit{0, 0, 500, 0};
    DrawText(canvas.dc, "Protocol", -1, &fit, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(fit.right, extent(canvas.dc, "Protocol").cx);
    // "&&" is one ampersand, "&x" is x underlined: neither takes room.
    RECT prefix{0, 0, 500, 0};
    DrawText(canvas.dc, "&Save && quit", -1, &prefix, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(prefix.right, extent(canvas.dc, "Save & quit").cx);
    RECT literal{0, 0, 500, 0};
    DrawText(canvas.dc, "&Save", -1, &literal, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(literal.right, extent(canvas.dc, "&Save").cx);
    SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
}

TEST(Text, DrawTextClipsToItsRectangleAndEllipsisShortens)
{
    Canvas canvas(200, 40, kWhite);
    HFONT font = dialog_font();
    SelectObject(canvas.dc, font);
    SetBkMode(canvas.dc, TRANSPARENT);
    RECT box{0, 0, 30, 20};
    DrawText(canvas.dc, "A long caption that does not fit", -1, &box, DT_SINGLELINE);
    EXPECT_LE(ink_bounds(canvas.pixels(), canvas.all(), kWhite).right, 30);

    Canvas noclip(200, 40, kWhite);
    SelectObject(noclip.dc, font);
    SetBkMode(noclip.dc, TRANSPARENT);
    DrawText(noclip.dc, "A long caption that does not fit", -1, &box, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(ink_bounds(noclip.pixels(), noclip.all(), kWhite).right, 60);

    RECT cut{0, 0, 60, 20};
    RECT measured = cut;
    DrawText(canvas.dc, "A long caption that does not fit", -1, &measured,
             DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT);
    EXPECT_LE(measured.right, 60);
    EXPECT_GT(measured.right, 30);
    SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
    SelectObject(noclip.dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
}

TEST(Text, Windows1252BecomesUtf8AtTheBoundary)
{
    using helm::gdi::utf8_from_1252;
    EXPECT_EQ(utf8_from_1252("Heading 12\xB0"), "Heading 12\xC2\xB0");
    EXPECT_EQ(utf8_from_1252("\x80"), "\xE2\x82\xAC");
    EXPECT_EQ(utf8_from_1252("\x92"), "\xE2\x80\x99");
    EXPECT_EQ(utf8_from_1252("\x81"), "\xC2\x81") << "unassigned bytes keep their C1 code point";
    EXPECT_EQ(utf8_from_1252("\xE9t\xE9"), "\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(utf8_from_1252(std::string("a\0b", 3)), std::string("a\0b", 3));

    // The degree sign is measured as one glyph, not as two bytes.
    Canvas canvas;
    HFONT font = dialog_font();
    SelectObject(canvas.dc, font);
    EXPECT_LT(extent(canvas.dc, "\xB0").cx, extent(canvas.dc, "\xC2\xB0").cx);
    SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
}

TEST(Text, Utf8ComesBackAsWindows1252)
{
    using helm::gdi::text_1252_from_utf8;
    // Every byte goes there and back.
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(text_1252_from_utf8(helm::gdi::utf8_from_1252(all)), all);
    const struct {
        const char* utf8;
        const char* cp1252;
    } cases[] = {
        {"Cap 12\xC2\xB0", "Cap 12\xB0"},
        {"\xE2\x82\xAC 5", "\x80 5"},
        {"\xE2\x86\x92", "?"},            // an arrow has no byte
        {"\xF0\x9F\x9A\xA2", "?"},       // nor a ship
        {"a\xC3", "a?"},                    // cut short
        {"\xC3(", "?("},                    // not a continuation
        {"\xFF\xFE", "??"},                // not UTF-8 at all
    };
    for (const auto& c : cases)
        EXPECT_EQ(text_1252_from_utf8(c.utf8), c.cp1252) << c.utf8;
    EXPECT_EQ(helm::gdi::cp1252_from_unicode(0x0153), '\x9C');
    EXPECT_EQ(helm::gdi::cp1252_from_unicode(0x2192), 0);
}

TEST(Text, TextAlignmentPlacesTheCellAroundTheReferencePoint)
{
    HFONT font = dialog_font();
    struct Case {
        UINT align;
        int halves;  // where the cell starts from x, in half text widths
        bool baseline;
    };
    const Case cases[] = {
        {TA_LEFT | TA_TOP, 0, false},
        {TA_RIGHT | TA_TOP, -2, false},
        {TA_CENTER | TA_TOP, -1, false},
        {TA_LEFT | TA_BASELINE, 0, true},
    };
    for (const Case& c : cases) {
        Canvas canvas(120, 40, kWhite);
        SelectObject(canvas.dc, font);
        SetBkColor(canvas.dc, kBlue);  // opaque: the cell shows as a blue box
        SetTextAlign(canvas.dc, c.align);
        TextOut(canvas.dc, 60, 25, "Roll", 4);
        SIZE size = extent(canvas.dc, "Roll");
        TEXTMETRIC tm{};
        GetTextMetrics(canvas.dc, &tm);
        RECT cell = ink_bounds(canvas.pixels(), canvas.all(), kWhite);
        EXPECT_EQ(cell.left, 60 + c.halves * size.cx / 2) << c.align;
        EXPECT_EQ(cell.right - cell.left, size.cx) << c.align;
        EXPECT_EQ(cell.top, c.baseline ? 25 - tm.tmAscent : 25) << c.align;
        SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
    }

    // ETO_OPAQUE fills the given rectangle, ETO_CLIPPED keeps the text in it.
    Canvas canvas(120, 40, kWhite);
    SelectObject(canvas.dc, font);
    SetBkColor(canvas.dc, kBlue);
    RECT box{10, 10, 30, 30};
    ExtTextOut(canvas.dc, 12, 12, ETO_OPAQUE | ETO_CLIPPED, &box, "Heading", 7, nullptr);
    EXPECT_EQ(ink_bounds(canvas.pixels(), canvas.all(), kWhite).right, 30);
    EXPECT_EQ(count_of(canvas.pixels(), box, kBlue) + ink_count(canvas.pixels(), box, kBlue), 400);
    EXPECT_GT(ink_count(canvas.pixels(), box, kBlue), 10) << "text drawn on the box";

    // TA_UPDATECP draws at the current position and moves it on.
    SetTextAlign(canvas.dc, TA_UPDATECP);
    MoveToEx(canvas.dc, 5, 5, nullptr);
    TextOut(canvas.dc, 0, 0, "ab", 2);
    POINT at{};
    GetCurrentPositionEx(canvas.dc, &at);
    EXPECT_EQ(at.x, 5 + extent(canvas.dc, "ab").cx);
    SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
}
