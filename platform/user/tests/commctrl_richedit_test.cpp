// The rich edit: formatted text inserted at the top as an event log does,
// the formats read back, text limits, the event mask, read-only, lines and
// scrolling.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <richedit.h>

#include <string>

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

}  // namespace
}  // namespace views_test
