// A dialog of the layer on a live X screen, acted on by xdotool as an
// operator would: what the dialog hears, and what the screen shows.
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "display_test_ids.h"
#include "helm/display/testing/x_client.h"
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
std::string g_name_at_ok, g_speed_at_ok;

std::string text_of(HWND window)
{
    char text[256] = {};
    GetWindowText(window, text, sizeof text);
    return text;
}

// Records the commands; OK reads the fields, and ends a modal run.
INT_PTR CALLBACK settings_proc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        for (const char* port : {"COM1", "COM2", "COM3"})
            SendDlgItemMessage(dialog, IDC_PORT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(port));
        return TRUE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    g_commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
    if (LOWORD(wParam) == IDOK) {
        g_name_at_ok = text_of(GetDlgItem(dialog, IDC_NAME));
        g_speed_at_ok = text_of(GetDlgItem(dialog, IDC_SPEED));
    }
    if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
        EndDialog(dialog, LOWORD(wParam));
    return TRUE;
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
        g_name_at_ok.clear();
        g_speed_at_ok.clear();
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

TEST_F(LiveDialogTest, KeysTypedFasterThanTheLoopRunsKeepTheirOrder)
{
    HWND dialog = open_settings();
    ASSERT_NE(dialog, nullptr);
    SetFocus(GetDlgItem(dialog, IDC_NAME));
    // The loop does not run while the operator types: every key waits in the
    // input, and each character must still reach its field before the Tab
    // and the Enter behind it are taken.
    ASSERT_TRUE(act({"type", "--delay", "0", "Helm\t12.5\n"}));
    ASSERT_TRUE(pump_until([&] { return !g_name_at_ok.empty(); }));
    EXPECT_EQ(g_name_at_ok, "Helm");
    EXPECT_EQ(g_speed_at_ok, "12.5");
}

TEST_F(LiveDialogTest, TheDroppedListIsAPopupAboveTheDialogAndTakesTheClick)
{
    HWND dialog = open_settings();
    ASSERT_NE(dialog, nullptr);
    HWND port = GetDlgItem(dialog, IDC_PORT);
    std::vector<std::string> acts = {"mousemove", "--sync"};
    for (const auto& word : centre_of(port))
        acts.push_back(word);
    acts.insert(acts.end(), {"click", "1"});
    ASSERT_TRUE(act(acts));
    ASSERT_TRUE(pump_until([&] { return SendMessage(port, CB_GETDROPPEDSTATE, 0, 0) != 0; }));
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(port, &info));
    ASSERT_TRUE(m_screen->sync());
    const unsigned long list = m_screen->x_window_of(info.hwndList);
    ASSERT_NE(list, 0u);
    auto& client = *m_client;
    const auto placed = client.geometry(list);
    EXPECT_TRUE(placed.viewable);
    EXPECT_TRUE(placed.override_redirect) << "placed by us, not by a window manager";
    RECT r{};
    GetWindowRect(info.hwndList, &r);
    EXPECT_EQ(placed.x, r.left);
    EXPECT_EQ(placed.y, r.top);
    const auto tops = client.top_windows();
    const auto above = std::find(tops.begin(), tops.end(), list);
    const auto below = std::find(tops.begin(), tops.end(), m_screen->x_window_of(dialog));
    EXPECT_LT(above, below) << "the list lies above its dialog";
    if (auto shot = screen_after_painting(dialog))
        pixels::keep_png(*shot, "live_dropped_list");

    RECT item{};
    SendMessage(info.hwndList, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&item));
    MapWindowPoints(info.hwndList, nullptr, reinterpret_cast<POINT*>(&item), 2);
    ASSERT_TRUE(act({"mousemove", "--sync", std::to_string((item.left + item.right) / 2),
                     std::to_string((item.top + item.bottom) / 2), "click", "1"}));
    ASSERT_TRUE(pump_until([&] { return SendMessage(port, CB_GETDROPPEDSTATE, 0, 0) == 0; }));
    EXPECT_EQ(SendMessage(port, CB_GETCURSEL, 0, 0), 2);
    std::vector<int> port_codes;
    for (const auto& c : g_commands)
        if (c.first == IDC_PORT)
            port_codes.push_back(c.second);
    EXPECT_NE(std::find(port_codes.begin(), port_codes.end(), CBN_SELCHANGE), port_codes.end());
    ASSERT_TRUE(m_screen->sync());
    EXPECT_FALSE(client.geometry(list).viewable);
}

TEST_F(LiveDialogTest, TheCursorIsTheOneOfTheControlUnderTheMouse)
{
    HWND dialog = open_settings();
    ASSERT_NE(dialog, nullptr);
    auto& client = *m_client;
    // The layer's cursor once the move reached the loop, then the screen's.
    auto cursor_over = [&](HWND window, LPCSTR expected) {
        std::vector<std::string> acts = {"mousemove", "--sync"};
        for (const auto& word : centre_of(window))
            acts.push_back(word);
        if (!act(acts) || !pump_until([&] { return GetCursor() == LoadCursor(nullptr, expected); }))
            return 0ul;
        return m_screen->sync() ? client.cursor_digest() : 0ul;
    };
    const unsigned long over_edit = cursor_over(GetDlgItem(dialog, IDC_NAME), IDC_IBEAM);
    const unsigned long over_button = cursor_over(GetDlgItem(dialog, IDOK), IDC_ARROW);
    EXPECT_NE(over_edit, 0u);
    EXPECT_NE(over_button, 0u);
    EXPECT_NE(over_edit, over_button) << "an I-beam over the edit, the arrow over the button";
    EXPECT_EQ(cursor_over(GetDlgItem(dialog, IDC_SPEED), IDC_IBEAM), over_edit);
}

// The modal dialog tells the operator where its name field is.
std::promise<std::pair<HWND, POINT>>* g_modal_shown = nullptr;

INT_PTR CALLBACK modal_proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG && g_modal_shown) {
        RECT r{};
        GetWindowRect(GetDlgItem(dialog, IDC_NAME), &r);
        g_modal_shown->set_value({dialog, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}});
        g_modal_shown = nullptr;
    }
    return settings_proc(dialog, message, wParam, lParam);
}

TEST_F(LiveDialogTest, AModalDialogRunsItsLoopOnTheLiveScreen)
{
    g_commands.clear();
    g_name_at_ok.clear();
    // The operator waits for the dialog to show, clicks its name field, types
    // and presses Enter while the test's thread runs DialogBoxParam's loop.
    std::promise<std::pair<HWND, POINT>> shown;
    auto where = shown.get_future();
    g_modal_shown = &shown;
    std::thread operator_thread([&where] {
        if (where.wait_for(std::chrono::seconds(20)) != std::future_status::ready)
            return;
        const auto [dialog, field] = where.get();
        // Not before the dialog is mapped: a click on a window that exists
        // but is not on the screen yet would be lost.
        act({"search", "--sync", "--onlyvisible", "--name", "^Sensor settings$", "mousemove", "--sync",
             std::to_string(field.x), std::to_string(field.y), "click", "1", "type", "--delay", "20", "Port 2\n"});
        // A dialog that never heard the operator is closed, so the test ends.
        for (int i = 0; i < 200 && IsWindow(dialog); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (IsWindow(dialog))
            PostMessage(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    const INT_PTR result =
        DialogBoxParam(GetModuleHandle(nullptr), MAKEINTRESOURCE(IDD_SETTINGS), nullptr, modal_proc, 0);
    operator_thread.join();
    g_modal_shown = nullptr;
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(g_name_at_ok, "Port 2");
}

}  // namespace
