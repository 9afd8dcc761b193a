// A dialog of the layer on a live X screen, acted on by xdotool as an
// operator would: what the dialog hears, and what the screen shows.
#include <gtest/gtest.h>

#include "display_test_ids.h"
#include "helm/gdi/pixel_checks.h"
#include "helm/user/snapshot.h"
#include "helm/user/testing/driver.h"
#include "live_fixture.h"

namespace {

using helm::display::testing::pump_until;
using helm::user::testing::MessageLog;
using live_test::centre_of;
using live_test::LiveDisplayTest;
namespace pixels = helm::gdi::testing;

std::vector<std::pair<int, int>> g_commands;

INT_PTR CALLBACK settings_proc(HWND, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_COMMAND)
        g_commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
    return message == WM_INITDIALOG;
}

std::string text_of(HWND window)
{
    char text[256] = {};
    GetWindowText(window, text, sizeof text);
    return text;
}

RECT on_screen(HWND window, bool client)
{
    RECT r{};
    if (client) {
        GetClientRect(window, &r);
        MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    } else {
        GetWindowRect(window, &r);
    }
    return r;
}

class LiveDialogTest : public LiveDisplayTest {
protected:
    HWND open_settings()
    {
        g_commands.clear();
        HWND dialog = CreateDialogParam(GetModuleHandle(nullptr), MAKEINTRESOURCE(IDD_SETTINGS), nullptr,
                                        settings_proc, 0);
        if (!dialog)
            return nullptr;
        keep(dialog);
        SetWindowPos(dialog, nullptr, 100, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ShowWindow(dialog, SW_SHOW);
        helm::user::testing::pump_until_idle();
        return m_screen->sync() ? dialog : nullptr;
    }
};

TEST_F(LiveDialogTest, ClicksAndTypingReachTheDialogAndTheScreenShowsThem)
{
    HWND dialog = open_settings();
    ASSERT_NE(dialog, nullptr);
    ASSERT_NE(m_screen->x_window_of(dialog), 0u);
    HWND heading = GetDlgItem(dialog, IDC_HEADING);
    HWND name = GetDlgItem(dialog, IDC_NAME);
    MessageLog heading_log(heading), name_log(name);

    std::vector<std::string> operator_acts = {"mousemove", "--sync"};
    for (const auto& word : centre_of(heading))
        operator_acts.push_back(word);
    operator_acts.insert(operator_acts.end(), {"click", "1", "mousemove", "--sync"});
    for (const auto& word : centre_of(name))
        operator_acts.push_back(word);
    operator_acts.insert(operator_acts.end(), {"click", "1", "type", "--delay", "40", "Helm 42"});
    ASSERT_TRUE(act(operator_acts));
    ASSERT_TRUE(pump_until([&] { return text_of(name) == "Helm 42" && IsDlgButtonChecked(dialog, IDC_HEADING); }))
        << "name \"" << text_of(name) << "\", heading " << IsDlgButtonChecked(dialog, IDC_HEADING);

    // The press and release came through the check box's queue, the keys
    // through the edit's, each character made from its key.
    EXPECT_EQ(heading_log.only({WM_LBUTTONDOWN, WM_LBUTTONUP}), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP}));
    for (const auto& m : heading_log.messages())
        EXPECT_TRUE(m.posted || (m.message != WM_LBUTTONDOWN && m.message != WM_LBUTTONUP));
    std::string typed;
    for (const auto& m : name_log.messages())
        if (m.message == WM_CHAR)
            typed += static_cast<char>(m.wParam);
    EXPECT_EQ(typed, "Helm 42");
    EXPECT_EQ(name_log.only({WM_KEYDOWN}).size(), 8u) << "seven characters and Shift";
    // What the dialog heard, in order.
    std::vector<std::pair<int, int>> heard;
    for (const auto& c : g_commands)
        if (c.first == IDC_HEADING || c.first == IDC_NAME)
            heard.push_back(c);
    std::vector<std::pair<int, int>> expected = {{IDC_HEADING, BN_CLICKED}, {IDC_NAME, EN_SETFOCUS}};
    for (int i = 0; i < 7; ++i) {
        expected.emplace_back(IDC_NAME, EN_UPDATE);
        expected.emplace_back(IDC_NAME, EN_CHANGE);
    }
    EXPECT_EQ(heard, expected);

    // The X screen shows the dialog as the layer painted it: the check mark
    // in the box and the typed text in the edit.
    auto shot = screen_after_painting(dialog);
    ASSERT_NE(shot, nullptr);
    pixels::keep_png(*shot, "live_dialog_screen");
    auto layer = helm::user::snapshot_window(dialog);
    ASSERT_NE(layer, nullptr);
    // Without a window manager the dialog shows its own frame and caption.
    const RECT whole = on_screen(dialog, false);
    int different = 0;
    for (int y = whole.top; y < whole.bottom; ++y)
        for (int x = whole.left; x < whole.right; ++x)
            if (shot->colour(x, y) != layer->colour(x - whole.left, y - whole.top))
                ++different;
    EXPECT_EQ(different, 0) << "pixels of the dialog that differ from the layer's";
    const RECT box = on_screen(heading, true);
    const int mark_top = box.top + (box.bottom - box.top - 13) / 2;
    const RECT inside_box{box.left + 2, mark_top + 2, box.left + 11, mark_top + 11};
    EXPECT_GE(pixels::count_of(*shot, inside_box, RGB(0, 0, 0)), 7) << "the check mark";
    const RECT field = on_screen(name, true);
    EXPECT_GE(pixels::ink_count(*shot, field, GetSysColor(COLOR_WINDOW), 60), 40) << "the typed text";
    const RECT ink = pixels::ink_bounds(*shot, field, GetSysColor(COLOR_WINDOW), 60);
    EXPECT_GE(ink.right - ink.left, 30) << "seven characters wide";
}

}  // namespace
