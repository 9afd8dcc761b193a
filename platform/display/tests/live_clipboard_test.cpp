// The clipboard joined to the X display's: what the program copies, other
// programs paste, and the other way round, as text and as pictures.
#include <gtest/gtest.h>

#include <cstring>

#include "helm/display/testing/x_client.h"
#include "helm/gdi/images.h"
#include "helm/test/support.h"
#include "live_fixture.h"

namespace {

using live_test::LiveDisplayTest;

// A 2 x 2 24-bit bottom-up DIB: red, green on the top row, blue, white below.
std::vector<BYTE> small_dib()
{
    std::vector<BYTE> dib(40 + 2 * 8, 0);
    const int32_t header[] = {40, 2, 2};
    std::memcpy(dib.data(), header, sizeof header);
    dib[12] = 1;   // planes
    dib[14] = 24;  // bits
    const BYTE rows[2][6] = {{255, 0, 0, 255, 255, 255}, {0, 0, 255, 0, 255, 0}};  // bottom row first, BGR
    std::memcpy(&dib[40], rows[0], 6);
    std::memcpy(&dib[48], rows[1], 6);
    return dib;
}

HGLOBAL block_of(const void* bytes, size_t size)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(block), bytes, size);
    GlobalUnlock(block);
    return block;
}

class LiveClipboardTest : public LiveDisplayTest {
protected:
    void SetUp() override
    {
        LiveDisplayTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        m_owner = keep(CreateWindowEx(0, "Static", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
    }
    HWND m_owner = nullptr;
};

TEST_F(LiveClipboardTest, TextAndPicturesTheProgramCopiesArePastedElsewhere)
{
    ASSERT_TRUE(OpenClipboard(m_owner));
    ASSERT_TRUE(EmptyClipboard());
    const char text[] = "Heading 12.5\xB0\r\nRoll -1.2";
    SetClipboardData(CF_TEXT, block_of(text, sizeof text));
    const auto dib = small_dib();
    SetClipboardData(CF_DIB, block_of(dib.data(), dib.size()));
    ASSERT_TRUE(CloseClipboard());
    ASSERT_TRUE(m_screen->sync());

    EXPECT_EQ(m_client->read_clipboard("UTF8_STRING"), "Heading 12.5\xC2\xB0\nRoll -1.2");
    EXPECT_EQ(m_client->read_clipboard("STRING"), "Heading 12.5\xB0\nRoll -1.2") << "Latin-1";
    const auto png = m_client->read_clipboard("image/png");
    ASSERT_TRUE(png);
    auto picture = helm::gdi::decode_image(png->data(), png->size());
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->colour(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(picture->colour(1, 1), RGB(255, 255, 255));
    const auto bmp = m_client->read_clipboard("image/bmp");
    ASSERT_TRUE(bmp);
    ASSERT_EQ(bmp->size(), dib.size() + 14);
    EXPECT_EQ(bmp->substr(0, 2), "BM");
    EXPECT_EQ(std::memcmp(bmp->data() + 14, dib.data(), dib.size()), 0);
    EXPECT_FALSE(m_client->read_clipboard("application/x-unknown")) << "refused";
}

TEST_F(LiveClipboardTest, WhatAnotherProgramCopiesIsPastedHere)
{
    m_client->offer_clipboard({{"UTF8_STRING", "Pitch 3\xC2\xB0\nOK \xE2\x86\x92 next"}});
    m_client->sync();
    ASSERT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    ASSERT_TRUE(OpenClipboard(m_owner));
    HGLOBAL block = GetClipboardData(CF_TEXT);
    ASSERT_NE(block, nullptr);
    EXPECT_STREQ(static_cast<const char*>(GlobalLock(block)), "Pitch 3\xB0\r\nOK ? next");
    GlobalUnlock(block);
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_DIB));
    ASSERT_TRUE(CloseClipboard());

    // A picture, and what a program that knows only Latin-1 offers.
    HBITMAP made = CreateBitmap(3, 1, 1, 32, nullptr);
    auto pixels = helm::gdi::bitmap_surface(made);
    pixels->fill(0xFF0000FFu);
    pixels->mark_dirty();
    const auto png = pixels->png();
    DeleteObject(made);
    m_client->offer_clipboard({{"STRING", "Caf\xE9"}, {"image/png", std::string(png.begin(), png.end())}});
    m_client->sync();
    ASSERT_TRUE(OpenClipboard(m_owner));
    block = GetClipboardData(CF_TEXT);
    ASSERT_NE(block, nullptr);
    EXPECT_STREQ(static_cast<const char*>(GlobalLock(block)), "Caf\xE9");
    GlobalUnlock(block);
    HGLOBAL picture = GetClipboardData(CF_DIB);
    ASSERT_NE(picture, nullptr);
    auto decoded = helm::gdi::decode_image(GlobalLock(picture), GlobalSize(picture));
    GlobalUnlock(picture);
    ASSERT_NE(decoded, nullptr);
    EXPECT_EQ(decoded->width(), 3);
    EXPECT_EQ(decoded->colour(2, 0), RGB(0, 0, 255));
    ASSERT_TRUE(CloseClipboard());
}

// A program that takes longer to answer than a read waits: its copy is
// not lost, the next read gets it without the program copying again.
TEST_F(LiveClipboardTest, ACopyAnsweredLateIsTakenByALaterRead)
{
    m_client->offer_clipboard({{"UTF8_STRING", "late answer"}}, 1500);
    m_client->sync();
    auto pasted = [&] {
        if (!OpenClipboard(m_owner))
            return std::string();
        std::string text;
        if (HGLOBAL block = GetClipboardData(CF_TEXT)) {
            text = static_cast<const char*>(GlobalLock(block));
            GlobalUnlock(block);
        }
        CloseClipboard();
        return text;
    };
    EXPECT_TRUE(helm::test::eventually([&] { return pasted() == "late answer"; }, 10000));
}

}  // namespace
