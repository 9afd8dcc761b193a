// The rich edit: formatted text inserted at the top as an event log does,
// the formats read back, text limits, the event mask, read-only, lines and
// scrolling, and the box painted.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <richedit.h>

#include <string>

#include "helm/gdi/pixel_checks.h"
#include "helm/user/snapshot.h"
#include "helm/user/testing/driver.h"
#include "views_fixture.h"

namespace driver = helm::user::testing;

namespace views_test {
namespace {

class RichEditTest : public ViewsTest {
protected:
    HWND box(DWORD style = ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL)
    {
        return make("RichEdit", style, 300, {0, 20, 300, 120});
    }

    static std::string text(HWND w)
    {
        char buffer[4096] = {};
        GetWindowText(w, buffer, sizeof buffer);
        return buffer;
    }

    // Puts `line` at the top in `colour`, bold, as the event log does.
    static void insert_top(HWND w, const char* line, COLORREF colour)
    {
        SendMessage(w, EM_SETSEL, 0, 0);
        CHARFORMAT cf{};
        cf.cbSize = sizeof cf;
        SendMessage(w, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
        cf.dwMask = CFM_COLOR | CFM_BOLD;
        cf.dwEffects = CFE_BOLD;
        cf.crTextColor = colour;
        ASSERT_TRUE(SendMessage(w, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf)));
        SendMessage(w, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(line));
        SendMessage(w, EM_SETSEL, 0, 0);
    }

    static CHARFORMAT format_of(HWND w, long from, long to)
    {
        CHARRANGE range{static_cast<LONG>(from), static_cast<LONG>(to)};
        SendMessage(w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        CHARFORMAT cf{};
        cf.cbSize = sizeof cf;
        SendMessage(w, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
        return cf;
    }

    int commands(int code) const
    {
        int n = 0;
        for (const auto& c : s_commands)
            n += c.second == code;
        return n;
    }
};

TEST_F(RichEditTest, LinesInsertedAtTheTopKeepTheirOwnFormat)
{
    HWND w = box(ES_MULTILINE | ES_READONLY | WS_VSCROLL);
    insert_top(w, "first\r\n", RGB(255, 0, 0));
    insert_top(w, "second\n", RGB(0, 255, 0));
    insert_top(w, "third\r\n", RGB(255, 255, 255));
    EXPECT_EQ(text(w), "third\r\nsecond\nfirst\r\n");
    EXPECT_EQ(SendMessage(w, EM_GETLINECOUNT, 0, 0), 4);

    struct Case {
        long from, to;
        COLORREF colour;
    };
    const Case cases[] = {{0, 5, RGB(255, 255, 255)}, {7, 13, RGB(0, 255, 0)}, {14, 19, RGB(255, 0, 0)}};
    for (const Case& c : cases) {
        CHARFORMAT cf = format_of(w, c.from, c.to);
        EXPECT_TRUE(cf.dwMask & CFM_COLOR) << c.from;
        EXPECT_EQ(cf.crTextColor, c.colour) << c.from;
        EXPECT_TRUE((cf.dwMask & CFM_BOLD) && (cf.dwEffects & CFE_BOLD)) << c.from;
        EXPECT_FALSE(cf.dwEffects & CFE_AUTOCOLOR) << c.from;
    }
    // Over lines of two colours the colour is not one; bold still is.
    CHARFORMAT mixed = format_of(w, 0, 13);
    EXPECT_FALSE(mixed.dwMask & CFM_COLOR);
    EXPECT_TRUE(mixed.dwMask & CFM_BOLD);

    // The default format is untouched; SCF_ALL reaches every character.
    CHARFORMAT all{};
    all.cbSize = sizeof all;
    all.dwMask = CFM_BOLD;
    all.dwEffects = 0;
    ASSERT_TRUE(SendMessage(w, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&all)));
    EXPECT_FALSE(format_of(w, 0, 19).dwEffects & CFE_BOLD);
    // A block of the wrong size is refused.
    all.cbSize = 12;
    EXPECT_FALSE(SendMessage(w, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&all)));
}

TEST_F(RichEditTest, TextIsCutToTheLimit)
{
    HWND w = box();
    EXPECT_EQ(SendMessage(w, EM_GETLIMITTEXT, 0, 0), 32767);
    struct Case {
        UINT message;
        LPARAM limit;
        const char* insert;
        const char* result;
        bool maxtext;
    };
    const Case cases[] = {
        {EM_EXLIMITTEXT, 10, "0123456789AB", "0123456789", true},
        {EM_EXLIMITTEXT, 10, "0123", "0123", false},
        // A CR LF pair is never cut in half.
        {EM_EXLIMITTEXT, 5, "abcd\r\nef", "abcd", true},
    };
    for (const Case& c : cases) {
        SetWindowText(w, "");
        SendMessage(w, c.message, 0, c.limit);
        forget();
        SendMessage(w, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(c.insert));
        EXPECT_EQ(text(w), c.result) << c.insert;
        EXPECT_EQ(commands(EN_MAXTEXT), c.maxtext ? 1 : 0) << c.insert;
    }
    SendMessage(w, EM_LIMITTEXT, 0, 0);
    EXPECT_EQ(SendMessage(w, EM_GETLIMITTEXT, 0, 0), 65536);
    SendMessage(w, EM_EXLIMITTEXT, 0, 0);
    EXPECT_EQ(SendMessage(w, EM_GETLIMITTEXT, 0, 0), 65536);
}

TEST_F(RichEditTest, TheEventMaskChoosesWhatTheParentHears)
{
    HWND w = box();
    SendMessage(w, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("abc"));
    EXPECT_EQ(commands(EN_CHANGE), 0);
    EXPECT_EQ(SendMessage(w, EM_SETEVENTMASK, 0, ENM_CHANGE), ENM_NONE);
    SendMessage(w, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("d"));
    EXPECT_EQ(commands(EN_CHANGE), 1);
    EXPECT_EQ(commands(EN_UPDATE), 0);
    EXPECT_EQ(text(w), "abcd");
    EXPECT_TRUE(SendMessage(w, EM_GETMODIFY, 0, 0));
}

TEST_F(RichEditTest, ReadOnlyRefusesTheOperatorOnly)
{
    HWND w = box(ES_MULTILINE | ES_READONLY);
    driver::focus(w);
    driver::type("xy");
    EXPECT_EQ(text(w), "");
    SendMessage(w, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("by program"));
    EXPECT_EQ(text(w), "by program");

    SendMessage(w, EM_SETREADONLY, FALSE, 0);
    SendMessage(w, EM_SETSEL, 0, 2);
    driver::type("to");
    EXPECT_EQ(text(w), "to program");
    // Background colour: the previous one comes back.
    EXPECT_EQ(SendMessage(w, EM_SETBKGNDCOLOR, 0, RGB(0, 0, 0)), static_cast<LRESULT>(GetSysColor(COLOR_WINDOW)));
    EXPECT_EQ(SendMessage(w, EM_SETBKGNDCOLOR, 0, RGB(1, 2, 3)), static_cast<LRESULT>(RGB(0, 0, 0)));
}

TEST_F(RichEditTest, LinesAndScrolling)
{
    HWND w = box();
    SetWindowText(w, "a\nbb\r\nccc\rdddd");
    EXPECT_EQ(SendMessage(w, EM_GETLINECOUNT, 0, 0), 4);
    struct Case {
        int line;
        int index;
        int length;
    };
    const Case cases[] = {{0, 0, 1}, {1, 2, 2}, {2, 6, 3}, {3, 10, 4}};
    for (const Case& c : cases) {
        EXPECT_EQ(SendMessage(w, EM_LINEINDEX, static_cast<WPARAM>(c.line), 0), c.index) << c.line;
        EXPECT_EQ(SendMessage(w, EM_LINELENGTH, static_cast<WPARAM>(c.index), 0), c.length) << c.line;
        EXPECT_EQ(SendMessage(w, EM_EXLINEFROMCHAR, 0, c.index), c.line) << c.line;
    }
    EXPECT_EQ(SendMessage(w, EM_LINEINDEX, 4, 0), -1);

    std::string many;
    for (int i = 0; i < 40; ++i)
        many += "line " + std::to_string(i) + "\r\n";
    SetWindowText(w, many.c_str());
    EXPECT_EQ(SendMessage(w, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    SendMessage(w, EM_LINESCROLL, 0, 5);
    EXPECT_EQ(SendMessage(w, EM_GETFIRSTVISIBLELINE, 0, 0), 5);
    EXPECT_EQ(LOWORD(SendMessage(w, EM_SCROLL, SB_LINEUP, 0)), static_cast<WORD>(-1));
    EXPECT_EQ(SendMessage(w, EM_GETFIRSTVISIBLELINE, 0, 0), 4);
    // The caret put at the end brings the last lines into view.
    SendMessage(w, EM_SETSEL, static_cast<WPARAM>(many.size()), static_cast<LPARAM>(many.size()));
    const LRESULT first = SendMessage(w, EM_GETFIRSTVISIBLELINE, 0, 0);
    EXPECT_GT(first, 20);
    SendMessage(w, EM_SETSEL, 0, 0);
    EXPECT_EQ(SendMessage(w, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(w, SB_VERT, &si));
    EXPECT_EQ(si.nMax, 40);
}

using helm::gdi::testing::count_of;
using helm::gdi::testing::ink_bounds;

// The event log's box: black, read-only, each line in its colour and bold;
// its bars come as the text outgrows it, and the thumb scrolls it.
TEST_F(RichEditTest, PaintsColouredBoldLinesAndScrolls)
{
    HWND w = box(WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_READONLY |
                 ES_WANTRETURN);
    SendMessage(w, EM_SETBKGNDCOLOR, 0, RGB(0, 0, 0));
    insert_top(w, "Port 1 closed\r\n", RGB(255, 0, 0));
    insert_top(w, "Sensor found\r\n", RGB(0, 255, 0));
    insert_top(w, "Port 1 closed\r\n", RGB(255, 255, 255));
    // The top line once more, not bold, to compare.
    SendMessage(w, EM_SETSEL, 0, 0);
    CHARFORMAT plain{};
    plain.cbSize = sizeof plain;
    plain.dwMask = CFM_COLOR | CFM_BOLD;
    plain.crTextColor = RGB(255, 255, 255);
    SendMessage(w, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&plain));
    SendMessage(w, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("Port 1 closed\r\n"));
    EXPECT_EQ(GetWindowLong(w, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL), 0) << "nothing to scroll yet";

    auto picture = helm::user::snapshot_window(m_parent);
    ASSERT_TRUE(picture);
    helm::gdi::testing::keep_png(*picture, "commctrl_richedit");
    const RECT area = helm::user::rect_in_snapshot(m_parent, w, true);
    // Lines are as high as the box's font.
    HDC measure = CreateCompatibleDC(nullptr);
    SelectObject(measure, GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRIC metrics{};
    GetTextMetrics(measure, &metrics);
    DeleteDC(measure);
    const int h = metrics.tmHeight;
    auto line = [&](int n) { return RECT{area.left, area.top + n * h, area.right, area.top + (n + 1) * h}; };
    const COLORREF black = RGB(0, 0, 0);
    const RECT plain_ink = ink_bounds(*picture, line(0), black, 40);
    const RECT bold_ink = ink_bounds(*picture, line(1), black, 40);
    EXPECT_GT(count_of(*picture, line(1), RGB(255, 255, 255), 60), 20);
    EXPECT_GT(count_of(*picture, line(2), RGB(0, 255, 0), 60), 20);
    EXPECT_GT(count_of(*picture, line(3), RGB(255, 0, 0), 60), 20);
    EXPECT_EQ(count_of(*picture, line(3), RGB(0, 255, 0), 60), 0);
    EXPECT_GT(bold_ink.right - bold_ink.left, plain_ink.right - plain_ink.left) << "bold draws wider";
    EXPECT_EQ(count_of(*picture, line(5), black), (area.right - area.left) * h) << "the background";

    // Read-only keeps the window colour where no background was set.
    HWND other = make("RichEdit", ES_MULTILINE | ES_READONLY, 301, {0, 130, 100, 160});
    auto second = helm::user::snapshot_window(m_parent);
    const RECT other_area = helm::user::rect_in_snapshot(m_parent, other, true);
    EXPECT_TRUE(helm::gdi::testing::area_is(*second, other_area, GetSysColor(COLOR_WINDOW)));

    // Forty more lines bring the vertical bar; the thumb moves the text.
    for (int i = 0; i < 40; ++i)
        insert_top(w, (i % 2 ? "odd\r\n" : "even\r\n"), i % 2 ? RGB(255, 0, 0) : RGB(0, 255, 0));
    EXPECT_NE(GetWindowLong(w, GWL_STYLE) & WS_VSCROLL, 0);
    SendMessage(w, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 1), 0);
    EXPECT_EQ(SendMessage(w, EM_GETFIRSTVISIBLELINE, 0, 0), 1);
    auto scrolled = helm::user::snapshot_window(m_parent);
    // The top line was "odd" (red) at the top; one line on it is green.
    EXPECT_GT(count_of(*scrolled, line(0), RGB(0, 255, 0), 60), 10);
    EXPECT_EQ(count_of(*scrolled, line(0), RGB(255, 0, 0), 60), 0);

    // A line wider than the box brings the horizontal bar; scrolling to the
    // right end moves the text left.
    insert_top(w, std::string(120, 'W').append("\r\n").c_str(), RGB(255, 255, 255));
    EXPECT_NE(GetWindowLong(w, GWL_STYLE) & WS_HSCROLL, 0);
    SendMessage(w, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
    const RECT left = ink_bounds(*helm::user::snapshot_window(m_parent), line(0), black, 40);
    SendMessage(w, WM_HSCROLL, SB_RIGHT, 0);
    auto right_picture = helm::user::snapshot_window(m_parent);
    helm::gdi::testing::keep_png(*right_picture, "commctrl_richedit_scrolled");
    EXPECT_EQ(ink_bounds(*right_picture, line(0), black, 40).left, area.left) << "the start is out of view";
    EXPECT_GT(left.left, area.left);
}

}  // namespace
}  // namespace views_test
