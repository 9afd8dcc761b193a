// The clipboard: who may open it and set data, blocks taken and freed,
// text and 24-bit device-independent bitmaps; global memory blocks.

#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "helm/user/screen.h"
#include "helm/user/testing/driver.h"

namespace {

std::vector<UINT> g_heard;

LRESULT CALLBACK owner_proc(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    if (m == WM_DESTROYCLIPBOARD)
        g_heard.push_back(m);
    return DefWindowProc(w, m, wp, lp);
}

HGLOBAL block_of(const void* bytes, size_t size)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    void* p = GlobalLock(block);
    std::memcpy(p, bytes, size);
    GlobalUnlock(block);
    return block;
}

class ClipboardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static const bool registered = [] {
            WNDCLASS wc{};
            wc.lpfnWndProc = owner_proc;
            wc.lpszClassName = "ClipboardOwner";
            return RegisterClass(&wc) != 0;
        }();
        ASSERT_TRUE(registered);
        for (HWND* w : {&m_a, &m_b})
            *w = CreateWindowEx(0, "ClipboardOwner", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                nullptr);
        ASSERT_TRUE(OpenClipboard(m_a));
        ASSERT_TRUE(EmptyClipboard());
        ASSERT_TRUE(CloseClipboard());
        g_heard.clear();
    }
    void TearDown() override
    {
        if (GetOpenClipboardWindow() || OpenClipboard(nullptr)) {
            OpenClipboard(nullptr);
            EmptyClipboard();
            CloseClipboard();
        }
        DestroyWindow(m_a);
        DestroyWindow(m_b);
    }
    HWND m_a = nullptr;
    HWND m_b = nullptr;
};

TEST_F(ClipboardTest, TextGoesThroughOpenEmptySetClose)
{
    const char text[] = "heading 123.4";
    ASSERT_TRUE(OpenClipboard(m_a));
    ASSERT_TRUE(EmptyClipboard());
    // The owner hears it even when it empties the clipboard itself.
    EXPECT_EQ(g_heard, std::vector<UINT>{WM_DESTROYCLIPBOARD});
    g_heard.clear();
    HGLOBAL block = block_of(text, sizeof text);
    EXPECT_EQ(SetClipboardData(CF_TEXT, block), block);
    EXPECT_EQ(GetClipboardOwner(), m_a);
    EXPECT_TRUE(CloseClipboard());

    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_DIB));
    EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);  // not open
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLIPBOARD_NOT_OPEN));

    ASSERT_TRUE(OpenClipboard(m_b));
    HGLOBAL held = GetClipboardData(CF_TEXT);
    ASSERT_TRUE(held);
    EXPECT_STREQ(static_cast<const char*>(GlobalLock(held)), text);
    GlobalUnlock(held);
    EXPECT_EQ(GetClipboardData(CF_DIB), nullptr);
    EXPECT_EQ(EnumClipboardFormats(0), static_cast<UINT>(CF_TEXT));
    EXPECT_EQ(EnumClipboardFormats(CF_TEXT), 0u);

    // Another window emptying it: the old owner hears of it, the block is
    // freed by the clipboard.
    ASSERT_TRUE(EmptyClipboard());
    EXPECT_EQ(g_heard, std::vector<UINT>{WM_DESTROYCLIPBOARD});
    EXPECT_EQ(GlobalSize(held), 0u);
    EXPECT_EQ(GetClipboardOwner(), m_b);
    EXPECT_EQ(CountClipboardFormats(), 0);
    EXPECT_TRUE(CloseClipboard());
    EXPECT_FALSE(CloseClipboard());
}

TEST_F(ClipboardTest, SettingNeedsTheClipboardOpenedAndEmptiedByAWindow)
{
    const char text[] = "x";
    struct Case {
        const char* what;
        bool open;
        bool with_window;
        bool empty;
        bool set_ok;
    };
    const Case cases[] = {
        {"not open", false, true, false, false},
        {"open, not emptied", true, true, false, false},
        {"opened without a window", true, false, true, false},
        {"opened and emptied", true, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.open) {
            ASSERT_TRUE(OpenClipboard(c.with_window ? m_a : nullptr));
        }
        if (c.empty) {
            ASSERT_TRUE(EmptyClipboard());
        }
        HGLOBAL block = block_of(text, sizeof text);
        bool set = SetClipboardData(CF_TEXT, block) != nullptr;
        EXPECT_EQ(set, c.set_ok);
        if (!set)
            GlobalFree(block);  // still the caller's
        if (c.open)
            CloseClipboard();
    }
    // Neither a null block nor one that is not a block.
    ASSERT_TRUE(OpenClipboard(m_a));
    ASSERT_TRUE(EmptyClipboard());
    int not_a_block = 0;
    EXPECT_EQ(SetClipboardData(CF_TEXT, nullptr), nullptr);
    EXPECT_EQ(SetClipboardData(CF_TEXT, &not_a_block), nullptr);
    // Setting a format again frees the block it replaces.
    HGLOBAL first = block_of(text, sizeof text);
    HGLOBAL second = block_of(text, sizeof text);
    ASSERT_TRUE(SetClipboardData(CF_TEXT, first));
    ASSERT_TRUE(SetClipboardData(CF_TEXT, second));
    EXPECT_EQ(GlobalSize(first), 0u);
    EXPECT_EQ(GetClipboardData(CF_TEXT), second);
    CloseClipboard();
}

TEST_F(ClipboardTest, AnotherThreadWaitsUntilItIsClosed)
{
    ASSERT_TRUE(OpenClipboard(m_a));
    BOOL other = TRUE;
    DWORD error = 0;
    std::thread([&] {
        other = OpenClipboard(nullptr);
        error = GetLastError();
    }).join();
    EXPECT_FALSE(other);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(OpenClipboard(m_b));  // the same thread may open it again
    EXPECT_EQ(GetOpenClipboardWindow(), m_b);
    CloseClipboard();
    std::thread([&] {
        other = OpenClipboard(nullptr);
        if (other)
            CloseClipboard();
    }).join();
    EXPECT_TRUE(other);
}

// A snapshot as a packed 24-bit DIB: header, then bottom-up BGR rows.
TEST_F(ClipboardTest, DeviceIndependentBitmapKeepsItsBytes)
{
    const LONG width = 4, height = 2;
    const size_t image = static_cast<size_t>(width * height * 3);
    HGLOBAL block = GlobalAlloc(GHND, 40 + image);
    ASSERT_TRUE(block);
    auto* bytes = static_cast<unsigned char*>(GlobalLock(block));
    for (size_t i = 0; i < 40 + image; ++i)
        ASSERT_EQ(bytes[i], 0) << "zero-filled";
    BITMAPINFOHEADER header{};
    header.biSize = 40;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biSizeImage = static_cast<DWORD>(image);
    std::memcpy(bytes, &header, sizeof header);
    for (size_t i = 0; i < image; ++i)
        bytes[40 + i] = static_cast<unsigned char>(i * 7);
    GlobalUnlock(block);
    ASSERT_TRUE(OpenClipboard(m_a));
    ASSERT_TRUE(EmptyClipboard());
    ASSERT_TRUE(SetClipboardData(CF_DIB, block));
    ASSERT_TRUE(CloseClipboard());

    EXPECT_TRUE(IsClipboardFormatAvailable(CF_DIB));
    ASSERT_TRUE(OpenClipboard(m_b));
    HGLOBAL held = GetClipboardData(CF_DIB);
    ASSERT_EQ(GlobalSize(held), 40 + image);
    const auto* read = static_cast<const unsigned char*>(GlobalLock(held));
    BITMAPINFOHEADER back{};
    std::memcpy(&back, read, sizeof back);
    EXPECT_EQ(back.biWidth, width);
    EXPECT_EQ(back.biHeight, height);
    EXPECT_EQ(back.biBitCount, 24);
    EXPECT_EQ(read[40 + 5], 35);
    GlobalUnlock(held);
    CloseClipboard();
}

// A desktop clipboard standing in for a live display's: it records what the
// process publishes and offers what another program put there.
class DesktopScreen final : public helm::user::Screen {
public:
    std::vector<helm::user::Monitor> monitors() const override { return helm::user::HeadlessScreen().monitors(); }
    void clipboard_published(const std::vector<helm::user::ClipboardItem>& items) override
    {
        published.push_back(items);
    }
    bool clipboard_from_desktop(std::vector<helm::user::ClipboardItem>* items) override
    {
        ++asked;
        if (offered.empty())
            return false;
        *items = std::move(offered);
        offered.clear();
        return true;
    }
    std::vector<std::vector<helm::user::ClipboardItem>> published;
    std::vector<helm::user::ClipboardItem> offered;
    int asked = 0;
};

std::vector<std::byte> bytes_of(std::string_view text)
{
    std::vector<std::byte> out(text.size() + 1);
    std::memcpy(out.data(), text.data(), text.size());
    return out;
}

TEST_F(ClipboardTest, JoinedToTheDesktopClipboardThroughTheScreen)
{
    auto desktop = std::make_shared<DesktopScreen>();
    helm::user::set_screen(desktop);
    ASSERT_TRUE(helm::user::clipboard_put_text(m_a, "Heading 012.5"));
    // Published once, when closed, with a copy of the bytes.
    ASSERT_EQ(desktop->published.size(), 1u);
    ASSERT_EQ(desktop->published[0].size(), 1u);
    EXPECT_EQ(desktop->published[0][0].format, static_cast<UINT>(CF_TEXT));
    EXPECT_EQ(desktop->published[0][0].bytes, bytes_of("Heading 012.5"));
    // Reading publishes nothing.
    std::string text;
    ASSERT_TRUE(helm::user::clipboard_take_text(m_b, text));
    EXPECT_EQ(desktop->published.size(), 1u);

    // Another program copies: its text replaces ours, and our owner hears it
    // lost the clipboard.
    g_heard.clear();
    desktop->offered = {{CF_TEXT, bytes_of("Roll -1.2")}};
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_EQ(g_heard, (std::vector<UINT>{WM_DESTROYCLIPBOARD}));
    EXPECT_EQ(GetClipboardOwner(), nullptr);
    ASSERT_TRUE(helm::user::clipboard_take_text(m_b, text));
    EXPECT_EQ(text, "Roll -1.2");

    // Nothing is taken in while the clipboard is open here.
    ASSERT_TRUE(OpenClipboard(m_a));
    desktop->offered = {{CF_TEXT, bytes_of("late")}};
    const int asked = desktop->asked;
    EXPECT_EQ(CountClipboardFormats(), 1);
    EXPECT_EQ(desktop->asked, asked);
    ASSERT_TRUE(CloseClipboard());
    EXPECT_EQ(desktop->published.size(), 1u);
    ASSERT_TRUE(helm::user::clipboard_take_text(m_b, text));
    EXPECT_EQ(text, "late");
    helm::user::set_screen(nullptr);
}

TEST(GlobalMemoryTest, BlocksAreCheckedHandles)
{
    // A size no 32-bit program gets is refused, not attempted.
    EXPECT_EQ(GlobalAlloc(GHND, static_cast<SIZE_T>(-1)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));

    HGLOBAL moveable = GlobalAlloc(GMEM_MOVEABLE, 16);
    HGLOBAL fixed = GlobalAlloc(GMEM_FIXED, 16);
    ASSERT_TRUE(moveable && fixed);
    void* p = GlobalLock(moveable);
    EXPECT_NE(p, static_cast<void*>(moveable));  // a moveable handle is not its address
    EXPECT_EQ(GlobalLock(fixed), static_cast<void*>(fixed));
    EXPECT_TRUE(GlobalLock(moveable));
    EXPECT_TRUE(GlobalUnlock(moveable));   // still locked once
    EXPECT_FALSE(GlobalUnlock(moveable));  // unlocked
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(NO_ERROR));
    EXPECT_EQ(GlobalSize(moveable), 16u);
    EXPECT_EQ(GlobalFree(moveable), nullptr);
    EXPECT_EQ(GlobalFree(moveable), moveable);  // freed twice: refused
    EXPECT_EQ(GlobalLock(moveable), nullptr);
    EXPECT_EQ(GlobalSize(moveable), 0u);
    EXPECT_EQ(GlobalFree(fixed), nullptr);
}

}  // namespace
