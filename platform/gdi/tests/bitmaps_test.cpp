// Memory DCs, block transfers, DIBs, and pictures decoded from bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "canvas.h"
#include "helm/gdi/images.h"

using namespace gdi_tests;
using namespace helm::gdi::testing;

namespace {

void put16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(v & 0xFF);
    out.push_back(v >> 8);
}

void put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back((v >> (8 * i)) & 0xFF);
}

void put_header(std::vector<uint8_t>& out, int width, int height, int bits, uint32_t colours = 0)
{
    put32(out, 40);
    put32(out, static_cast<uint32_t>(width));
    put32(out, static_cast<uint32_t>(height));
    put16(out, 1);
    put16(out, static_cast<uint16_t>(bits));
    put32(out, BI_RGB);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, colours);
    put32(out, 0);
}

// A 3 x 2 24-bit BMP file, bottom-up: bottom row red, green, blue; top row
// white, black, grey.
std::vector<uint8_t> bmp_file()
{
    std::vector<uint8_t> pixels;
    auto bgr = [&](COLORREF c) {
        pixels.push_back(GetBValue(c));
        pixels.push_back(GetGValue(c));
        pixels.push_back(GetRValue(c));
    };
    bgr(kRed), bgr(RGB(0, 255, 0)), bgr(kBlue), pixels.resize(12);
    bgr(kWhite), bgr(kBlack), bgr(RGB(128, 128, 128)), pixels.resize(24);
    std::vector<uint8_t> out = {'B', 'M'};
    put32(out, static_cast<uint32_t>(14 + 40 + pixels.size()));
    put32(out, 0);
    put32(out, 14 + 40);
    put_header(out, 3, 2, 24);
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

// A 2 x 2 icon image as an icon resource holds it: a 4-bit DIB of doubled
// height, then its AND mask (top-left pixel transparent).
std::vector<uint8_t> icon_image()
{
    std::vector<uint8_t> out;
    put_header(out, 2, 4, 4, 2);
    put32(out, 0x000000);   // colour 0: black
    put32(out, 0xFF0000);   // colour 1: red
    put32(out, 0x00000011); // rows bottom-up: every pixel colour 1
    put32(out, 0x00000011);
    put32(out, 0x00000000);  // mask, bottom row opaque
    put32(out, 0x00000080);  // top row: left pixel transparent
    return out;
}

}  // namespace

TEST(Bitmaps, MemoryDcDrawsIntoItsBitmapAndBitBltCopiesIt)
{
    Canvas screen(40, 40);
    HDC memory = CreateCompatibleDC(screen.dc);
    HBITMAP bitmap = CreateCompatibleBitmap(screen.dc, 10, 10);
    HGDIOBJ old = SelectObject(memory, bitmap);
    ASSERT_NE(old, nullptr) << "the default bitmap comes back";
    BITMAP info{};
    GetObject(old, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 1);

    HBRUSH red = CreateSolidBrush(kRed);
    RECT r{0, 0, 5, 10};
    FillRect(memory, &r, red);
    ASSERT_TRUE(BitBlt(screen.dc, 20, 20, 10, 10, memory, 0, 0, SRCCOPY));
    EXPECT_TRUE(area_is(screen.pixels(), RECT{20, 20, 25, 30}, kRed));
    EXPECT_TRUE(area_is(screen.pixels(), RECT{25, 20, 30, 30}, kBlack)) << "a new bitmap is black";
    EXPECT_EQ(ink_bounds(screen.pixels(), screen.all(), kWhite).right, 30);

    // A bitmap lives in one DC at a time.
    HDC other = CreateCompatibleDC(screen.dc);
    EXPECT_EQ(SelectObject(other, bitmap), nullptr);
    EXPECT_EQ(SelectObject(memory, old), bitmap);
    EXPECT_NE(SelectObject(other, bitmap), nullptr);

    // Stretching doubles each pixel; a source offset picks the part copied.
    Canvas big(40, 40);
    StretchBlt(big.dc, 0, 0, 20, 20, other, 0, 0, 10, 10, SRCCOPY);
    EXPECT_TRUE(area_is(big.pixels(), RECT{0, 0, 10, 20}, kRed));
    EXPECT_TRUE(area_is(big.pixels(), RECT{10, 0, 20, 20}, kBlack));
    Canvas part(10, 10);
    BitBlt(part.dc, 0, 0, 10, 10, other, 4, 0, SRCCOPY);
    EXPECT_TRUE(area_is(part.pixels(), RECT{0, 0, 1, 10}, kRed));
    EXPECT_TRUE(area_is(part.pixels(), RECT{1, 0, 6, 10}, kBlack));
    EXPECT_TRUE(area_is(part.pixels(), RECT{6, 0, 10, 10}, kWhite)) << "nothing from outside the source";

    // Raster operations other than a copy.
    BitBlt(part.dc, 0, 0, 10, 10, other, 0, 0, SRCINVERT);
    EXPECT_TRUE(area_is(part.pixels(), RECT{0, 0, 1, 10}, kBlack)) << "red ^ red";
    EXPECT_TRUE(area_is(part.pixels(), RECT{6, 0, 10, 10}, kWhite)) << "white ^ black";
    PatBlt(part.dc, 0, 0, 10, 10, DSTINVERT);
    EXPECT_TRUE(area_is(part.pixels(), RECT{6, 0, 10, 10}, kBlack));
    EXPECT_FALSE(BitBlt(part.dc, 0, 0, 1, 1, nullptr, 0, 0, SRCCOPY));

    DeleteDC(other);
    DeleteDC(memory);
    DeleteObject(bitmap);
    DeleteObject(red);
}

TEST(Bitmaps, BitBltWithinOneSurfaceScrolls)
{
    Canvas canvas(20, 4);
    HBRUSH red = CreateSolidBrush(kRed);
    RECT r{0, 0, 4, 4};
    FillRect(canvas.dc, &r, red);
    BitBlt(canvas.dc, 2, 0, 10, 4, canvas.dc, 0, 0, SRCCOPY);
    EXPECT_TRUE(area_is(canvas.pixels(), RECT{0, 0, 6, 4}, kRed));
    EXPECT_TRUE(area_is(canvas.pixels(), RECT{6, 0, 20, 4}, kWhite));
    DeleteObject(red);
}

TEST(Bitmaps, DibBitsRoundTripBottomUp)
{
    std::vector<uint8_t> file = bmp_file();
    HBITMAP bitmap = helm::gdi::bitmap_from_bytes(file.data(), file.size());
    ASSERT_NE(bitmap, nullptr);
    BITMAP info{};
    GetObject(bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 3);
    EXPECT_EQ(info.bmHeight, 2);
    EXPECT_EQ(info.bmBitsPixel, 24);
    ASSERT_NE(info.bmBits, nullptr) << "a 24-bit picture keeps its rows";
    EXPECT_EQ(info.bmWidthBytes, 12);
    EXPECT_EQ(std::memcmp(info.bmBits, file.data() + 54, 24), 0);

    auto pixels = helm::gdi::bitmap_surface(bitmap);
    EXPECT_TRUE(pixel_is(*pixels, 0, 1, kRed)) << "the first row of the file is the bottom";
    EXPECT_TRUE(pixel_is(*pixels, 2, 1, kBlue));
    EXPECT_TRUE(pixel_is(*pixels, 2, 0, RGB(128, 128, 128)));

    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    ASSERT_EQ(GetDIBits(dc, bitmap, 0, 0, nullptr, &bmi, DIB_RGB_COLORS), 1);
    EXPECT_EQ(bmi.bmiHeader.biWidth, 3);
    bmi.bmiHeader.biBitCount = 24;
    std::vector<uint8_t> rows(24, 0xEE);
    ASSERT_EQ(GetDIBits(dc, bitmap, 0, 2, rows.data(), &bmi, DIB_RGB_COLORS), 2);
    EXPECT_EQ(std::memcmp(rows.data(), file.data() + 54, 9), 0);
    EXPECT_EQ(std::memcmp(rows.data() + 12, file.data() + 66, 9), 0);
    EXPECT_EQ(bmi.bmiHeader.biSizeImage, 24u);

    // Writing the bottom row only.
    uint8_t blue_row[12] = {255, 0, 0, 255, 0, 0, 255, 0, 0};
    EXPECT_EQ(SetDIBits(dc, bitmap, 0, 1, blue_row, &bmi, DIB_RGB_COLORS), 1);
    EXPECT_TRUE(area_is(*pixels, RECT{0, 1, 3, 2}, kBlue));
    EXPECT_TRUE(pixel_is(*pixels, 0, 0, kWhite));
    bmi.bmiHeader.biWidth = 4;
    EXPECT_EQ(SetDIBits(dc, bitmap, 0, 1, blue_row, &bmi, DIB_RGB_COLORS), 0) << "another size is refused";
    DeleteDC(dc);
    DeleteObject(bitmap);
}

TEST(Bitmaps, DecodersAcceptPngBmpDibAndIcons)
{
    auto surface = helm::gdi::Surface::create(4, 3);
    surface->fill(0x80FF0000u);  // half-transparent red, premultiplied
    surface->set_pixel(1, 1, 0xFF0000FFu);
    std::vector<uint8_t> png = surface->png();
    auto decoded = helm::gdi::decode_image(png.data(), png.size());
    ASSERT_NE(decoded, nullptr);
    EXPECT_EQ(decoded->width(), 4);
    EXPECT_EQ(decoded->pixel(1, 1), 0xFF0000FFu);
    EXPECT_EQ(decoded->pixel(0, 0) >> 24, 0x80u) << "PNG keeps alpha";

    std::vector<uint8_t> file = bmp_file();
    std::vector<uint8_t> dib(file.begin() + 14, file.end());
    auto from_dib = helm::gdi::decode_image(dib.data(), dib.size());
    ASSERT_NE(from_dib, nullptr);
    EXPECT_TRUE(pixel_is(*from_dib, 1, 1, RGB(0, 255, 0)));

    std::vector<uint8_t> image = icon_image();
    HICON icon = helm::gdi::icon_from_bytes(image.data(), image.size());
    ASSERT_NE(icon, nullptr);
    // The same image in an ICO file.
    std::vector<uint8_t> ico;
    put16(ico, 0), put16(ico, 1), put16(ico, 1);
    ico.push_back(2), ico.push_back(2), ico.push_back(2), ico.push_back(0);
    put16(ico, 1), put16(ico, 4);
    put32(ico, static_cast<uint32_t>(image.size()));
    put32(ico, 22);
    ico.insert(ico.end(), image.begin(), image.end());
    HICON from_file = helm::gdi::icon_from_bytes(ico.data(), ico.size(), 32, 32);
    ASSERT_NE(from_file, nullptr);

    for (HICON drawn : {icon, from_file}) {
        Canvas canvas(8, 8);
        ASSERT_TRUE(DrawIcon(canvas.dc, 2, 2, drawn));
        EXPECT_TRUE(pixel_is(canvas.pixels(), 2, 2, kWhite)) << "masked out";
        EXPECT_TRUE(pixel_is(canvas.pixels(), 3, 2, kRed));
        EXPECT_TRUE(area_is(canvas.pixels(), RECT{2, 3, 4, 4}, kRed));
        EXPECT_EQ(ink_count(canvas.pixels(), canvas.all(), kWhite), 3);
        Canvas stretched(8, 8);
        DrawIconEx(stretched.dc, 0, 0, drawn, 4, 4, 0, nullptr, DI_NORMAL);
        EXPECT_EQ(ink_bounds(stretched.pixels(), stretched.all(), kWhite).right, 4);
    }
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    auto mask = helm::gdi::bitmap_surface(info.hbmMask);
    EXPECT_EQ(mask->colour(0, 0), kWhite);
    EXPECT_EQ(mask->colour(1, 0), kBlack);
    HICON rebuilt = CreateIconIndirect(&info);
    Canvas again(4, 4, kBlue);
    DrawIcon(again.dc, 0, 0, rebuilt);
    EXPECT_TRUE(pixel_is(again.pixels(), 0, 0, kBlue));
    EXPECT_TRUE(pixel_is(again.pixels(), 1, 0, kRed));
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    EXPECT_TRUE(DestroyIcon(rebuilt));
    EXPECT_TRUE(DestroyIcon(icon));
    EXPECT_TRUE(DestroyIcon(from_file));
    EXPECT_FALSE(DestroyIcon(icon));
}

TEST(Bitmaps, DamagedPicturesAreRefusedWithoutReadingPastTheirBytes)
{
    // Every cut of a good file, and files whose fields point past the end.
    std::vector<uint8_t> file = bmp_file();
    for (size_t size = 0; size < file.size(); ++size) {
        std::vector<uint8_t> cut(file.begin(), file.begin() + static_cast<long>(size));
        EXPECT_EQ(helm::gdi::decode_image(cut.data(), cut.size()), nullptr) << size;
    }
    struct Damage {
        size_t at;
        uint32_t value;
    };
    const Damage damages[] = {
        {10, 0xFFFFFFF0u},  // pixel offset past the end
        {14, 0xFFFFFFFFu},  // header size
        {18, 0x7FFFFFFFu},  // width
        {22, 0x80000000u},  // height
        {28, 7},            // bits per pixel
        {30, BI_RLE8},      // compression
        {46, 0xFFFFFFFFu},  // colours used
    };
    for (const Damage& d : damages) {
        std::vector<uint8_t> bad = file;
        std::memcpy(bad.data() + d.at, &d.value, 4);
        auto image = helm::gdi::decode_image(bad.data(), bad.size());
        if (image) {
            EXPECT_LE(image->width() * image->height(), 6) << d.at;
        }
    }
    std::vector<uint8_t> image = icon_image();
    for (size_t size = 0; size < image.size() - 8; ++size)
        EXPECT_EQ(helm::gdi::icon_from_bytes(image.data(), size), nullptr) << size;
    std::vector<uint8_t> ico = {0, 0, 1, 0, 200, 0};  // 200 entries announced, none there
    EXPECT_EQ(helm::gdi::icon_from_bytes(ico.data(), ico.size()), nullptr);
    uint8_t noise[64];
    for (size_t i = 0; i < sizeof noise; ++i)
        noise[i] = static_cast<uint8_t>(i * 37 + 11);
    EXPECT_EQ(helm::gdi::decode_image(noise, sizeof noise), nullptr);
    EXPECT_EQ(helm::gdi::bitmap_from_bytes(nullptr, 10), nullptr);
}
