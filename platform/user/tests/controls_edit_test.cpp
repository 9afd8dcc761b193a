// The edit control: typing and its notifications, the limit, selection
// ranges, the clipboard and undo, lines, and a subclass filtering WM_CHAR.

#include <algorithm>
#include <cstring>

#include "controls_fixture.h"
#include "helm/user/clipboard.h"
#include "helm/user/testing/driver.h"

using namespace controls_test;

namespace {

// The process clipboard's text, read and written as a program would.
class ClipboardView {
public:
    std::string value() const
    {
        std::string text;
        helm::user::clipboard_take_text(nullptr, text);
        return text;
    }
    bool has() const { return IsClipboardFormatAvailable(CF_TEXT) != FALSE; }
    void set(const std::string& text) { helm::user::clipboard_put_text(m_owner, text); }
    void clear()
    {
        if (OpenClipboard(nullptr)) {
            EmptyClipboard();
            CloseClipboard();
        }
    }
    HWND m_owner = nullptr;
};

class EditTest : public ControlsTest {
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        m_clipboard = std::make_shared<ClipboardView>();
        m_clipboard->m_owner = m_parent;
        m_clipboard->clear();
    }
    void TearDown() override
    {
        m_clipboard->clear();
        ControlsTest::TearDown();
    }
    HWND edit(DWORD style = ES_AUTOHSCROLL, const char* text = "")
    {
        return make("Edit", style | WS_TABSTOP, 100, {10, 10, 200, 30}, text);
    }
    static std::pair<DWORD, DWORD> sel(HWND e)
    {
        DWORD start = 99, end = 99;
        LRESULT r = SendMessage(e, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(r, MAKELONG(start, end));
        return {start, end};
    }
    std::shared_ptr<ClipboardView> m_clipboard;
};

TEST_F(EditTest, TypingChangesTheTextWithUpdateThenChange)
{
    HWND e = edit();
    type(e, "ab");
    EXPECT_EQ(text_of(e), "ab");
    EXPECT_EQ(codes(e), (std::vector<int>{EN_UPDATE, EN_CHANGE, EN_UPDATE, EN_CHANGE}));
    EXPECT_EQ(sel(e), std::make_pair(2u, 2u));
    EXPECT_TRUE(SendMessage(e, EM_GETMODIFY, 0, 0));
    SendMessage(e, EM_SETMODIFY, FALSE, 0);
    EXPECT_FALSE(SendMessage(e, EM_GETMODIFY, 0, 0));
}

TEST_F(EditTest, SetTextIsNotHeldToTheLimitClearsModifyAndNotifiesSingleLineOnly)
{
    HWND single = edit();
    HWND multi = make("Edit", ES_MULTILINE, 101, {10, 40, 200, 90});
    SendMessage(single, EM_LIMITTEXT, 3, 0);
    type(single, "x");
    forget();
    SetWindowText(single, "longer than three");
    SetWindowText(multi, "line");
    EXPECT_EQ(text_of(single), "longer than three");
    EXPECT_FALSE(SendMessage(single, EM_GETMODIFY, 0, 0));
    EXPECT_EQ(codes(single), (std::vector<int>{EN_UPDATE, EN_CHANGE}));
    EXPECT_TRUE(codes(multi).empty());
    EXPECT_EQ(sel(single), std::make_pair(0u, 0u));
}

TEST_F(EditTest, TypingAtTheLimitSendsEnMaxTextAndKeepsTheText)
{
    HWND e = edit();
    SendMessage(e, EM_LIMITTEXT, 3, 0);
    EXPECT_EQ(SendMessage(e, EM_GETLIMITTEXT, 0, 0), 3);
    type(e, "1234");
    EXPECT_EQ(text_of(e), "123");
    auto got = codes(e);
    EXPECT_EQ(std::count(got.begin(), got.end(), EN_MAXTEXT), 1);
    EXPECT_EQ(got.back(), EN_MAXTEXT);

    // Typing over a selection fits again.
    SendMessage(e, EM_SETSEL, 1, 2);
    forget();
    type(e, "9");
    EXPECT_EQ(text_of(e), "193");
    EXPECT_EQ(codes(e), (std::vector<int>{EN_UPDATE, EN_CHANGE}));

    // Inserted text is cut to fit, and says so.
    SendMessage(e, EM_LIMITTEXT, 5, 0);
    SendMessage(e, EM_SETSEL, 3, 3);
    forget();
    SendMessage(e, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("abcdef"));
    EXPECT_EQ(text_of(e), "193ab");
    EXPECT_EQ(codes(e), (std::vector<int>{EN_MAXTEXT, EN_UPDATE, EN_CHANGE}));

    SendMessage(e, EM_LIMITTEXT, 0, 0);  // no limit
    EXPECT_GT(SendMessage(e, EM_GETLIMITTEXT, 0, 0), 0x7FFF0000);
}

TEST_F(EditTest, DefaultLimitIsWindowsThirtyThousand)
{
    HWND e = edit();
    EXPECT_EQ(SendMessage(e, EM_GETLIMITTEXT, 0, 0), 30000);
}

TEST_F(EditTest, SetSelRangesAsWindowsTakesThem)
{
    HWND e = edit(ES_AUTOHSCROLL, "abcdef");
    struct Row {
        WPARAM start;
        LPARAM end;
        DWORD want_start, want_end;
    } rows[] = {
        {0, -1, 0, 6},                         // all
        {2, 4, 2, 4},
        {4, 2, 2, 4},                          // ends in either order
        {3, 100, 3, 6},                        // held to the text
        {static_cast<WPARAM>(-1), 0, 6, 6},    // -1 drops the selection, caret stays (at 6 after the row before)
        {1, -5, 1, 6},                         // any negative end is the end
    };
    for (const Row& r : rows) {
        SendMessage(e, EM_SETSEL, r.start, r.end);
        EXPECT_EQ(sel(e), std::make_pair(r.want_start, r.want_end)) << r.start << "," << r.end;
    }
    // The caret is at the second position: shift+left shrinks from there.
    SendMessage(e, EM_SETSEL, 4, 1);
    SendMessage(e, WM_KEYDOWN, VK_SHIFT, 1);
    key(e, VK_LEFT);
    SendMessage(e, WM_KEYUP, VK_SHIFT, 0xC0000001);
    EXPECT_EQ(sel(e), std::make_pair(0u, 4u));
    EXPECT_TRUE(codes(e).empty());  // selection changes are silent
}

TEST_F(EditTest, ReplaceSelInsertsAtTheCaretAndCanBeUndone)
{
    HWND e = edit(ES_AUTOHSCROLL, "hello world");
    SendMessage(e, EM_SETSEL, 6, 11);
    SendMessage(e, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("there"));
    EXPECT_EQ(text_of(e), "hello there");
    EXPECT_EQ(sel(e), std::make_pair(11u, 11u));
    EXPECT_TRUE(SendMessage(e, EM_CANUNDO, 0, 0));
    SendMessage(e, WM_UNDO, 0, 0);
    EXPECT_EQ(text_of(e), "hello world");
    SendMessage(e, EM_UNDO, 0, 0);  // undo of the undo
    EXPECT_EQ(text_of(e), "hello there");
    SendMessage(e, EM_SETSEL, 0, 0);
    SendMessage(e, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(">"));
    SendMessage(e, EM_UNDO, 0, 0);
    EXPECT_EQ(text_of(e), "hello world");  // the not-undoable insert left the old undo
}

TEST_F(EditTest, ARunOfTypingUndoesAsOne)
{
    HWND e = edit(ES_AUTOHSCROLL, "x");
    SendMessage(e, EM_SETSEL, 1, 1);
    type(e, "abc");
    SendMessage(e, WM_UNDO, 0, 0);
    EXPECT_EQ(text_of(e), "x");
}

TEST_F(EditTest, ClipboardCutCopyPasteClear)
{
    HWND e = edit(ES_AUTOHSCROLL, "alpha beta");
    SendMessage(e, EM_SETSEL, 0, 5);
    SendMessage(e, WM_COPY, 0, 0);
    EXPECT_EQ(m_clipboard->value(), "alpha");
    SendMessage(e, EM_SETSEL, 5, 10);
    SendMessage(e, WM_CUT, 0, 0);
    EXPECT_EQ(m_clipboard->value(), " beta");
    EXPECT_EQ(text_of(e), "alpha");
    SendMessage(e, EM_SETSEL, 0, 0);
    SendMessage(e, WM_PASTE, 0, 0);
    EXPECT_EQ(text_of(e), " betaalpha");

    // WM_CLEAR removes the selection only.
    SendMessage(e, EM_SETSEL, 5, 5);
    SendMessage(e, WM_CLEAR, 0, 0);
    EXPECT_EQ(text_of(e), " betaalpha");
    SendMessage(e, EM_SETSEL, 0, -1);
    SendMessage(e, WM_CLEAR, 0, 0);
    EXPECT_EQ(text_of(e), "");

    // The keyboard's forms.
    SetWindowText(e, "kb");
    type(e, "\x01");  // Ctrl+A
    type(e, "\x03");  // Ctrl+C
    EXPECT_EQ(m_clipboard->value(), "kb");
    type(e, "\x16\x16");  // Ctrl+V twice over the selection
    EXPECT_EQ(text_of(e), "kbkb");

    // A single-line edit pastes the first line.
    m_clipboard->set("one\r\ntwo");
    SetWindowText(e, "");
    SendMessage(e, WM_PASTE, 0, 0);
    EXPECT_EQ(text_of(e), "one");
}

TEST_F(EditTest, PasswordAndReadOnlyKeepTheirText)
{
    HWND password = edit(ES_PASSWORD, "secret");
    EXPECT_EQ(SendMessage(password, EM_GETPASSWORDCHAR, 0, 0), '*');
    SendMessage(password, EM_SETSEL, 0, -1);
    SendMessage(password, WM_COPY, 0, 0);
    SendMessage(password, WM_CUT, 0, 0);
    EXPECT_FALSE(m_clipboard->has());
    EXPECT_EQ(text_of(password), "secret");

    HWND ro = make("Edit", ES_READONLY, 102, {10, 40, 200, 60}, "fixed");
    m_clipboard->set("pasted");
    SendMessage(ro, EM_SETSEL, 0, -1);
    type(ro, "x\b");
    SendMessage(ro, WM_PASTE, 0, 0);
    SendMessage(ro, WM_CLEAR, 0, 0);
    key(ro, VK_DELETE);
    EXPECT_EQ(text_of(ro), "fixed");
    SendMessage(ro, WM_COPY, 0, 0);
    EXPECT_EQ(m_clipboard->value(), "fixed");  // copying is allowed
    EXPECT_TRUE(codes(ro).empty());

    SendMessage(ro, EM_SETREADONLY, FALSE, 0);
    EXPECT_EQ(GetWindowLong(ro, GWL_STYLE) & ES_READONLY, 0);
    SendMessage(ro, EM_SETSEL, 0, -1);
    type(ro, "y");
    EXPECT_EQ(text_of(ro), "y");
}

TEST_F(EditTest, CaseAndNumberStylesFilterTyping)
{
    HWND number = edit(ES_NUMBER);
    type(number, "1a2-3");
    EXPECT_EQ(text_of(number), "123");
    HWND upper = make("Edit", ES_UPPERCASE, 103, {10, 40, 200, 60});
    type(upper, "ab\xe9\xff");
    EXPECT_EQ(text_of(upper), "AB\xc9\x9f");
    HWND lower = make("Edit", ES_LOWERCASE, 104, {10, 70, 200, 90});
    type(lower, "AB\xc9");
    EXPECT_EQ(text_of(lower), "ab\xe9");
}

TEST_F(EditTest, BackspaceAndDeleteAtTheEnds)
{
    HWND e = edit(ES_AUTOHSCROLL, "abc");
    SendMessage(e, EM_SETSEL, 0, 0);
    type(e, "\b");
    key(e, VK_END);
    key(e, VK_DELETE);
    EXPECT_EQ(text_of(e), "abc");
    EXPECT_TRUE(codes(e).empty());  // nothing changed, nothing said
    type(e, "\b");
    key(e, VK_HOME);
    key(e, VK_DELETE);
    EXPECT_EQ(text_of(e), "b");
}

TEST_F(EditTest, MultiLineLines)
{
    HWND e = make("Edit", ES_MULTILINE | ES_WANTRETURN, 105, {10, 10, 200, 100});
    type(e, "ab\rcde\r");
    EXPECT_EQ(text_of(e), "ab\r\ncde\r\n");
    EXPECT_EQ(SendMessage(e, EM_GETLINECOUNT, 0, 0), 3);
    struct Row {
        int line;
        LRESULT index;
        std::string text;
    } rows[] = {{0, 0, "ab"}, {1, 4, "cde"}, {2, 9, ""}, {3, -1, ""}};
    for (const Row& r : rows) {
        EXPECT_EQ(SendMessage(e, EM_LINEINDEX, static_cast<WPARAM>(r.line), 0), r.index) << r.line;
        char buffer[16] = {};
        WORD room = 15;
        std::memcpy(buffer, &room, sizeof room);
        LRESULT n = SendMessage(e, EM_GETLINE, static_cast<WPARAM>(r.line), reinterpret_cast<LPARAM>(buffer));
        EXPECT_EQ(std::string(buffer, static_cast<size_t>(n)), r.text) << r.line;
    }
    EXPECT_EQ(SendMessage(e, EM_LINEFROMCHAR, 5, 0), 1);
    EXPECT_EQ(SendMessage(e, EM_LINELENGTH, 5, 0), 3);
    EXPECT_EQ(SendMessage(e, EM_LINEINDEX, static_cast<WPARAM>(-1), 0), 9);  // the caret's line

    // A line end goes in one step, both ways.
    type(e, "\b");
    EXPECT_EQ(text_of(e), "ab\r\ncde");
    key(e, VK_UP);
    EXPECT_EQ(sel(e), std::make_pair(2u, 2u));  // same column, held to the shorter line
    key(e, VK_RIGHT);
    EXPECT_EQ(sel(e), std::make_pair(4u, 4u));
    // A selection never ends between CR and LF.
    SendMessage(e, EM_SETSEL, 3, 3);
    EXPECT_EQ(sel(e), std::make_pair(4u, 4u));

    // A room of 2 bytes gets 2.
    char small[8] = {};
    WORD room = 2;
    std::memcpy(small, &room, sizeof room);
    EXPECT_EQ(SendMessage(e, EM_GETLINE, 1, reinterpret_cast<LPARAM>(small)), 2);
    EXPECT_EQ(std::string(small, 2), "cd");
}

TEST_F(EditTest, DestroyedInsideItsOwnNotification)
{
    HWND e = edit();
    s_on_command = [&](const Heard& h) {
        if (h.from == e && h.code == EN_UPDATE)
            DestroyWindow(e);
    };
    type(e, "ab");
    EXPECT_FALSE(IsWindow(e));
    EXPECT_EQ(codes(e), std::vector<int>{EN_UPDATE});
}

TEST_F(EditTest, SingleLineIgnoresEnterAndTab)
{
    HWND e = edit();
    type(e, "a\r\tb");
    EXPECT_EQ(text_of(e), "ab");
}

TEST_F(EditTest, DialogCodesSayWhatTheEditWants)
{
    HWND single = edit();
    HWND multi = make("Edit", ES_MULTILINE, 106, {10, 40, 200, 90});
    HWND multi_return = make("Edit", ES_MULTILINE | ES_WANTRETURN, 107, {10, 100, 200, 150});
    const LRESULT base = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    auto code = [](HWND w, WPARAM vk) {
        MSG m{};
        m.hwnd = w;
        m.message = WM_KEYDOWN;
        m.wParam = vk;
        return SendMessage(w, WM_GETDLGCODE, vk, reinterpret_cast<LPARAM>(&m));
    };
    EXPECT_EQ(code(single, VK_RETURN), base);
    EXPECT_EQ(code(multi, 'A'), base | DLGC_WANTALLKEYS);
    EXPECT_EQ(code(multi, VK_ESCAPE), base);
    EXPECT_EQ(code(multi, VK_RETURN), base);
    EXPECT_EQ(code(multi_return, VK_RETURN), base | DLGC_WANTALLKEYS);
}

TEST_F(EditTest, FocusNotifications)
{
    HWND a = edit();
    HWND b = make("Edit", 0, 108, {10, 40, 200, 60});
    SetFocus(a);
    SetFocus(b);
    EXPECT_EQ(codes(a), (std::vector<int>{EN_SETFOCUS, EN_KILLFOCUS}));
    EXPECT_EQ(codes(b), (std::vector<int>{EN_SETFOCUS}));
    click(a);
    EXPECT_EQ(GetFocus(), a);
}

// A subclass in the way the system restricts what an edit accepts: it
// drops characters outside its set and passes the rest on.
WNDPROC g_edit_proc = nullptr;
LRESULT CALLBACK digits_and_point(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CHAR && wParam >= 0x20 && !std::strchr("0123456789.", static_cast<int>(wParam)))
        return 0;
    return CallWindowProc(g_edit_proc, window, message, wParam, lParam);
}

TEST_F(EditTest, SubclassFiltersTypedCharacters)
{
    HWND e = make("Edit", ES_MULTILINE | ES_WANTRETURN | ES_RIGHT, 109, {10, 10, 200, 30});
    g_edit_proc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtr(e, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&digits_and_point)));
    ASSERT_NE(g_edit_proc, nullptr);
    type(e, "1x2.5e\b3");
    EXPECT_EQ(text_of(e), "12.3");
    auto got = codes(e);
    EXPECT_EQ(std::count(got.begin(), got.end(), EN_CHANGE), 6);  // 1 2 . 5 backspace 3
}

TEST_F(EditTest, TypingThroughTheInputLayerMeetsTheLimit)
{
    namespace driver = helm::user::testing;
    HWND e = edit();
    SendMessage(e, EM_LIMITTEXT, 4, 0);
    driver::focus(e);
    driver::type("AbC12");
    EXPECT_EQ(text_of(e), "AbC1");
    auto got = codes(e);
    EXPECT_EQ(std::count(got.begin(), got.end(), EN_MAXTEXT), 1);
    // Shift+Home selects back to the start.
    driver::press_with_shift(VK_HOME);
    EXPECT_EQ(SendMessage(e, EM_GETSEL, 0, 0), MAKELONG(0, 4));
}

}  // namespace
