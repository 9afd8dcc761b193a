// Message boxes, the file dialogs and the folder browser: answered through
// their seams (what the program asked, what it gets back), and as real
// dialogs acted on through the operator test driver.

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "helm/gdi/pixel_checks.h"
#include "helm/test/support.h"
#include "helm/user/input.h"
#include "helm/user/screen.h"
#include "helm/user/snapshot.h"
#include "helm/user/testing/driver.h"

namespace drive = helm::user::testing;
using helm::user::FileDialogChoice;

namespace {

LRESULT CALLBACK owner_proc(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    return DefWindowProc(w, m, wp, lp);
}

std::string text_of(HWND w)
{
    char buffer[512] = {};
    GetWindowText(w, buffer, sizeof buffer);
    return buffer;
}

std::string system_form(std::string path)
{
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::vector<std::string> lines_of(HWND list)
{
    std::vector<std::string> lines;
    int n = static_cast<int>(SendMessage(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        char buffer[512] = {};
        SendMessage(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buffer));
        lines.push_back(buffer);
    }
    return lines;
}

// The screen point at the middle of a list box's line.
POINT line_point(HWND list, int index)
{
    RECT r{};
    EXPECT_NE(SendMessage(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r)), LB_ERR);
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(list, &p);
    return p;
}

int line_index(HWND list, const char* text)
{
    return static_cast<int>(SendMessage(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text)));
}

class CommonDialogsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static const bool registered = [] {
            WNDCLASS wc{};
            wc.lpfnWndProc = owner_proc;
            wc.lpszClassName = "CommonDialogsOwner";
            return RegisterClass(&wc) != 0;
        }();
        ASSERT_TRUE(registered);
        m_owner = CreateWindowEx(0, "CommonDialogsOwner", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 600,
                                 400, nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(m_owner);
        std::ofstream(m_dir.file("alpha.txt")) << "a";
        std::ofstream(m_dir.file("beta.log")) << "b";
        CreateDirectory(m_dir.file("sub").c_str(), nullptr);
        CreateDirectory(m_dir.file("sub/deeper").c_str(), nullptr);
        std::ofstream(m_dir.file("sub/gamma.txt")) << "c";
    }
    void TearDown() override
    {
        helm::user::set_message_box_answer(nullptr);
        helm::user::set_file_dialog_answer(nullptr);
        helm::user::set_folder_answer(nullptr);
        helm::user::set_common_dialog_shown(nullptr);
        DestroyWindow(m_owner);
        drive::pump_until_idle();
    }
    // Runs `act` on the real dialog once it is shown.
    void when_shown(std::function<void(HWND)> act)
    {
        helm::user::set_common_dialog_shown([this, act](HWND dialog) {
            ++m_shown;
            m_owner_enabled_while_shown = IsWindowEnabled(m_owner) != FALSE;
            act(dialog);
        });
    }
    OPENFILENAME open_request(char* file, DWORD size)
    {
        OPENFILENAME ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = m_owner;
        ofn.lpstrFilter = "Settings File(*.txt)\0*.txt\0All files\0*.*\0";
        ofn.lpstrFile = file;
        ofn.nMaxFile = size;
        ofn.lpstrDefExt = "txt";
        ofn.lpstrInitialDir = m_initial.c_str();
        ofn.Flags = OFN_HIDEREADONLY | OFN_NOVALIDATE | OFN_FILEMUSTEXIST | OFN_SHAREAWARE | OFN_EXPLORER |
                    OFN_LONGNAMES;
        return ofn;
    }

    HWND m_owner = nullptr;
    helm::test::TempDir m_dir;
    std::string m_initial = system_form(m_dir.path());
    int m_shown = 0;
    bool m_owner_enabled_while_shown = true;
};

TEST_F(CommonDialogsTest, MessageBoxSeamSeesTheQuestionAndGivesTheAnswer)
{
    std::vector<helm::user::MessageBoxQuestion> asked;
    helm::user::set_message_box_answer([&](const helm::user::MessageBoxQuestion& q) {
        asked.push_back(q);
        return IDNO;
    });
    EXPECT_EQ(MessageBox(m_owner, "Save the settings?", "Helmsight", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(MessageBox(nullptr, nullptr, nullptr, MB_OK), IDNO);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].owner, m_owner);
    EXPECT_EQ(asked[0].text, "Save the settings?");
    EXPECT_EQ(asked[0].caption, "Helmsight");
    EXPECT_EQ(asked[0].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(asked[1].text, "");
    EXPECT_EQ(asked[1].caption, "Error");  // Windows' caption when none is given
    // A set that does not exist is refused before anyone is asked.
    EXPECT_EQ(MessageBox(m_owner, "x", "y", 7), 0);
    EXPECT_EQ(asked.size(), 2u);
}

// The real box: its buttons, the default one, and what each key and click
// answers, acted on through the driver while the box's loop runs.
TEST_F(CommonDialogsTest, MessageBoxDialogAnswersTheOperator)
{
    struct Case {
        UINT type;
        std::vector<int> buttons;
        std::function<void(HWND)> act;
        int expected;
    };
    auto click_id = [](int id) { return [id](HWND box) { drive::click(GetDlgItem(box, id)); }; };
    const Case cases[] = {
        {MB_YESNO | MB_ICONQUESTION, {IDYES, IDNO}, click_id(IDNO), IDNO},
        {MB_OKCANCEL | MB_ICONEXCLAMATION, {IDOK, IDCANCEL}, [](HWND) { drive::press_escape(); }, IDCANCEL},
        {MB_OK, {IDOK}, [](HWND) { drive::press_escape(); }, IDOK},
        // No Cancel in the set: Escape and the close box do nothing.
        {MB_YESNO,
         {IDYES, IDNO},
         [](HWND box) {
             drive::press_escape();
             SendMessage(box, WM_CLOSE, 0, 0);
             drive::pump_until_idle();
             EXPECT_TRUE(IsWindowVisible(box));
             drive::click(GetDlgItem(box, IDYES));
         },
         IDYES},
        {MB_YESNOCANCEL | MB_DEFBUTTON2, {IDYES, IDNO, IDCANCEL}, [](HWND) { drive::press_enter(); }, IDNO},
        {MB_ABORTRETRYIGNORE | MB_ICONHAND, {IDABORT, IDRETRY, IDIGNORE}, [](HWND) { drive::press_enter(); }, IDABORT},
        {MB_RETRYCANCEL | MB_DEFBUTTON2, {IDRETRY, IDCANCEL}, [](HWND) { drive::press_enter(); }, IDCANCEL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        std::string seen_text;
        std::vector<int> seen_buttons;
        bool icon = false;
        m_shown = 0;
        when_shown([&](HWND box) {
            seen_text = text_of(GetDlgItem(box, 0xFFFF));
            icon = GetDlgItem(box, 20) != nullptr;
            for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                char cls[32] = {};
                GetClassName(child, cls, sizeof cls);
                if (std::string(cls) == "Button")
                    seen_buttons.push_back(GetDlgCtrlID(child));
            }
            EXPECT_EQ(text_of(box), "Question");
            c.act(box);
        });
        EXPECT_EQ(MessageBox(m_owner, "Line one\nLine two", "Question", c.type), c.expected);
        EXPECT_EQ(m_shown, 1);
        EXPECT_EQ(seen_text, "Line one\nLine two");
        EXPECT_EQ(seen_buttons, c.buttons);
        EXPECT_EQ(icon, (c.type & MB_ICONMASK) != 0);
        EXPECT_FALSE(m_owner_enabled_while_shown);
        EXPECT_TRUE(IsWindowEnabled(m_owner));
    }
}

using helm::gdi::testing::count_of;
using helm::gdi::testing::ink_bounds;
using helm::gdi::testing::keep_png;

// The box painted: the icon of its kind, the text measured and wrapped in
// the box's font so none of it is cut, and its buttons.
TEST_F(CommonDialogsTest, MessageBoxShowsItsIconTextAndButtons)
{
    const struct {
        UINT icon;
        COLORREF disc;
    } cases[] = {
        {MB_ICONQUESTION, RGB(0, 0, 255)},
        {MB_ICONHAND, RGB(255, 0, 0)},
        {MB_ICONEXCLAMATION, RGB(255, 255, 0)},
        {MB_ICONASTERISK, RGB(0, 0, 255)},
    };
    const std::string text =
        "The port settings were changed while the sensor was connected. Save them to the settings file now, "
        "before the link restarts?\nThe sensor keeps its own settings.";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.icon);
        when_shown([&](HWND box) {
            auto picture = helm::user::snapshot_window(box);
            ASSERT_TRUE(picture);
            if (c.icon == MB_ICONQUESTION)
                keep_png(*picture, "message_box");
            auto at = [&](int id) { return helm::user::rect_in_snapshot(box, GetDlgItem(box, id), true); };
            EXPECT_GT(count_of(*picture, at(20), c.disc, 40), 200) << "the icon";
            const COLORREF face = GetSysColor(COLOR_BTNFACE);
            const RECT words = at(0xFFFF);
            const RECT ink = ink_bounds(*picture, words, face, 40);
            // Wrapped to at least three lines, and nothing cut at the right
            // or bottom edge of the text's place.
            EXPECT_GE(ink.bottom - ink.top, 3 * 13 - 4);
            EXPECT_LT(ink.right, words.right);
            EXPECT_LT(ink.bottom, words.bottom);
            EXPECT_GT(words.right - words.left, 200) << "wide lines, not a narrow column";
            for (int id : {IDYES, IDNO})
                EXPECT_GT(count_of(*picture, at(id), GetSysColor(COLOR_BTNTEXT), 40), 5) << id;
            drive::click(GetDlgItem(box, IDNO));
        });
        EXPECT_EQ(MessageBox(m_owner, text.c_str(), "Helmsight", MB_YESNO | c.icon), IDNO);
    }
}

// Alt+Space from the focused button opens the box's system menu; its Close
// answers as the close box does.
TEST_F(CommonDialogsTest, MessageBoxClosesFromItsSystemMenu)
{
    int shown = 0;
    std::string popup_class;
    helm::user::set_common_dialog_shown([&](HWND window) {
        if (++shown == 1) {
            // The box: Alt+Space goes to its focused button.
            helm::user::input::key(VK_MENU, true);
            helm::user::input::key(VK_SPACE, true);
            helm::user::input::key(VK_SPACE, false);
            helm::user::input::key(VK_MENU, false);
            drive::pump_until_idle();
            return;
        }
        char cls[16] = {};
        GetClassName(window, cls, sizeof cls);
        popup_class = cls;
        HMENU system = GetSystemMenu(GetWindow(window, GW_OWNER), FALSE);
        RECT close{};
        ASSERT_TRUE(GetMenuItemRect(nullptr, system, static_cast<UINT>(GetMenuItemCount(system) - 1), &close));
        drive::click_at(POINT{(close.left + close.right) / 2, (close.top + close.bottom) / 2});
    });
    EXPECT_EQ(MessageBox(m_owner, "Stop the server?", "Portserver", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(popup_class, "#32768");
}

// A dialog left showing with no one to answer it: closed by a thread timer,
// so the test fails instead of waiting for ever.
bool g_left_waiting = false;
void CALLBACK end_waiting_dialog(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    g_left_waiting = true;
    EndDialog(GetActiveWindow(), IDCANCEL);
}

// Headless for want of a display, nobody can answer: each dialog fails at
// once and says on standard error what it would have asked. A test acting
// on shown dialogs is an operator.
TEST_F(CommonDialogsTest, WithNoOperatorTheDialogsFailAtOnceAndSayWhatTheyAsk)
{
    helm::user::set_screen(helm::user::HeadlessScreen::without_operator());
    struct OperatorAfter {
        ~OperatorAfter() { helm::user::set_screen(nullptr); }
    } operator_after;
    g_left_waiting = false;
    const UINT_PTR watchdog = SetTimer(nullptr, 0, 10000, end_waiting_dialog);

    char file[MAX_PATH] = "";
    OPENFILENAME ofn = open_request(file, sizeof file);
    ofn.lpstrTitle = "Load settings";
    BROWSEINFO bi{};
    bi.hwndOwner = m_owner;
    bi.lpszTitle = "Pick the log folder";
    const struct {
        const char* what;
        std::function<bool()> fails;
        std::string told;
    } cases[] = {
        {"message box",
         [&] {
             SetLastError(0);
             return MessageBox(m_owner, "Port COM3 cannot be opened.", "Portserver", MB_OK | MB_ICONHAND) == 0 &&
                    GetLastError() == ERROR_ACCESS_DENIED;
         },
         "message box \"Portserver\" with no operator: Port COM3 cannot be opened.\n"},
        {"open dialog", [&] { return !GetOpenFileName(&ofn) && CommDlgExtendedError() == CDERR_DIALOGFAILURE; },
         "open dialog \"Load settings\" with no operator: " + m_initial + "\n"},
        {"folder browser", [&] { return SHBrowseForFolder(&bi) == nullptr; },
         "folder browser \"Browse for Folder\" with no operator: Pick the log folder\n"},
    };
    for (const auto& c : cases) {
        testing::internal::CaptureStderr();
        const bool failed = c.fails();
        const std::string told = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(failed) << c.what;
        EXPECT_NE(told.find(c.told), std::string::npos) << c.what << " told: " << told;
    }
    EXPECT_EQ(m_shown, 0);

    when_shown([](HWND) { drive::press_enter(); });
    EXPECT_EQ(MessageBox(m_owner, "Saved.", "Portserver", MB_OK), IDOK);
    EXPECT_EQ(m_shown, 1);
    KillTimer(nullptr, watchdog);
    EXPECT_FALSE(g_left_waiting);
}

TEST_F(CommonDialogsTest, FileDialogSeamSeesTheRequestAndFillsTheStructure)
{
    std::vector<helm::user::FileDialogQuestion> asked;
    FileDialogChoice next{true, "sub\\gamma.txt", 2};
    helm::user::set_file_dialog_answer([&](const helm::user::FileDialogQuestion& q) {
        asked.push_back(q);
        return next;
    });
    char file[MAX_PATH] = "";
    char title[8] = {};
    OPENFILENAME ofn = open_request(file, sizeof file);
    ofn.lpstrFileTitle = title;
    ofn.nMaxFileTitle = sizeof title;
    ASSERT_TRUE(GetOpenFileName(&ofn));
    ASSERT_EQ(asked.size(), 1u);
    const auto& q = asked[0];
    EXPECT_FALSE(q.save);
    EXPECT_EQ(q.owner, m_owner);
    EXPECT_EQ(q.title, "Open");
    ASSERT_EQ(q.filters.size(), 2u);
    EXPECT_EQ(q.filters[0], (std::pair<std::string, std::string>{"Settings File(*.txt)", "*.txt"}));
    EXPECT_EQ(q.filters[1].second, "*.*");
    EXPECT_EQ(q.filter_index, 1);  // nFilterIndex 0 is the first
    EXPECT_EQ(q.initial_folder, m_initial);
    EXPECT_EQ(q.default_extension, "txt");
    EXPECT_EQ(q.flags, ofn.Flags);

    // The chosen path in the system's form, split as the program splits it.
    const std::string expected = m_initial + "\\sub\\gamma.txt";
    EXPECT_EQ(std::string(file), expected);
    EXPECT_EQ(ofn.nFileOffset, expected.rfind('\\') + 1);
    EXPECT_EQ(std::string(file + ofn.nFileExtension), "txt");
    EXPECT_EQ(ofn.nFilterIndex, 2u);
    EXPECT_STREQ(title, "gamma.t");  // cut to its buffer

    // A name with a folder of its own starts there.
    std::string start = m_initial + "\\sub\\start.txt";
    std::snprintf(file, sizeof file, "%s", start.c_str());
    ofn.lpstrFileTitle = nullptr;
    ASSERT_TRUE(GetSaveFileName(&ofn));
    EXPECT_TRUE(asked.back().save);
    EXPECT_EQ(asked.back().title, "Save As");
    EXPECT_EQ(asked.back().initial_folder, m_initial + "\\sub");
    EXPECT_EQ(asked.back().initial_name, "start.txt");

    // Cancel: FALSE with no error; a path that does not fit: FALSE with
    // the size it needs in the buffer's first two bytes.
    next = {};
    EXPECT_FALSE(GetOpenFileName(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    next = {true, "alpha.txt", 0};
    char small[8] = "";
    OPENFILENAME tight = open_request(small, sizeof small);
    EXPECT_FALSE(GetOpenFileName(&tight));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(FNERR_BUFFERTOOSMALL));
    WORD needed = 0;
    std::memcpy(&needed, small, sizeof needed);
    EXPECT_EQ(needed, m_initial.size() + std::string("\\alpha.txt").size() + 1);

    // A structure of the wrong size is refused before anyone is asked.
    size_t before = asked.size();
    OPENFILENAME bad = open_request(file, sizeof file);
    bad.lStructSize = 12;
    EXPECT_FALSE(GetOpenFileName(&bad));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_STRUCTSIZE));
    EXPECT_EQ(asked.size(), before);
}

// The real open dialog: the filter applied to the listing, a folder entered
// with a double click, a missing file refused with a message box, the
// default extension added, and the filter switched through the combo box.
TEST_F(CommonDialogsTest, FileDialogListsTheFolderAndTakesTheOperatorsChoice)
{
    std::vector<std::string> boxes;
    helm::user::set_message_box_answer([&](const helm::user::MessageBoxQuestion& q) {
        boxes.push_back(q.text);
        return IDOK;
    });
    std::vector<std::string> top, in_sub, all_files;
    when_shown([&](HWND dialog) {
        HWND list = GetDlgItem(dialog, helm::user::file_dialog_list_id);
        HWND name = GetDlgItem(dialog, helm::user::file_dialog_name_id);
        EXPECT_EQ(text_of(GetDlgItem(dialog, helm::user::file_dialog_folder_id)), m_initial);
        top = lines_of(list);
        ASSERT_TRUE(drive::pick_combo_entry(GetDlgItem(dialog, helm::user::file_dialog_filter_id), 1));
        all_files = lines_of(list);
        ASSERT_TRUE(drive::pick_combo_entry(GetDlgItem(dialog, helm::user::file_dialog_filter_id), 0));

        int sub = line_index(list, "[sub]");
        ASSERT_GE(sub, 0);
        drive::click_at(line_point(list, sub));
        drive::click_at(line_point(list, sub));
        in_sub = lines_of(list);

        drive::focus(name);
        drive::type("missing.txt");
        drive::press_enter();
        EXPECT_TRUE(IsWindowVisible(dialog));  // refused, the dialog stays

        drive::click_at(line_point(list, line_index(list, "gamma.txt")));
        EXPECT_EQ(text_of(name), "gamma.txt");
        SetWindowText(name, "gamma");  // the default extension completes it
        drive::click(GetDlgItem(dialog, IDOK));
    });
    char file[MAX_PATH] = "";
    OPENFILENAME ofn = open_request(file, sizeof file);
    ASSERT_TRUE(GetOpenFileName(&ofn));
    EXPECT_EQ(m_shown, 1);
    EXPECT_EQ(top, (std::vector<std::string>{"..", "[sub]", "alpha.txt"}));
    EXPECT_EQ(all_files, (std::vector<std::string>{"..", "[sub]", "alpha.txt", "beta.log"}));
    EXPECT_EQ(in_sub, (std::vector<std::string>{"..", "[deeper]", "gamma.txt"}));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "missing.txt\nFile not found.\nCheck the file name and try again.");
    EXPECT_EQ(std::string(file), m_initial + "\\sub\\gamma.txt");
    EXPECT_EQ(ofn.nFilterIndex, 1u);
    EXPECT_FALSE(m_owner_enabled_while_shown);

    // Cancel through the button.
    when_shown([](HWND dialog) { drive::click(GetDlgItem(dialog, IDCANCEL)); });
    EXPECT_FALSE(GetOpenFileName(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
}

TEST_F(CommonDialogsTest, SaveDialogAsksBeforeReplacingAFile)
{
    std::vector<int> answers{IDNO, IDYES};
    std::vector<std::string> boxes;
    helm::user::set_message_box_answer([&](const helm::user::MessageBoxQuestion& q) {
        boxes.push_back(q.text);
        int a = answers.front();
        answers.erase(answers.begin());
        return a;
    });
    int shown_name_edits = 0;
    when_shown([&](HWND dialog) {
        HWND name = GetDlgItem(dialog, helm::user::file_dialog_name_id);
        ++shown_name_edits;
        SetWindowText(name, "alpha.txt");
        drive::click(GetDlgItem(dialog, IDOK));  // No: the dialog stays
        EXPECT_TRUE(IsWindowVisible(dialog));
        drive::click(GetDlgItem(dialog, IDOK));  // Yes: chosen
    });
    char file[MAX_PATH] = "";
    OPENFILENAME ofn = open_request(file, sizeof file);
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    ASSERT_TRUE(GetSaveFileName(&ofn));
    EXPECT_EQ(std::string(file), m_initial + "\\alpha.txt");
    EXPECT_EQ(boxes, (std::vector<std::string>(2, "alpha.txt already exists.\nDo you want to replace it?")));
}

int CALLBACK select_start(HWND browser, UINT message, LPARAM, LPARAM data)
{
    if (message == BFFM_INITIALIZED)
        SendMessage(browser, BFFM_SETSELECTION, TRUE, data);
    return 0;
}

TEST_F(CommonDialogsTest, FolderBrowserSeamSeesTheStartChosenByTheCallback)
{
    std::vector<helm::user::FolderQuestion> asked;
    helm::user::set_folder_answer([&](const helm::user::FolderQuestion& q) {
        asked.push_back(q);
        return FileDialogChoice{true, q.initial, 0};
    });
    std::string start = m_initial + "\\sub";
    char display[MAX_PATH] = {};
    BROWSEINFO bi{};
    bi.hwndOwner = m_owner;
    bi.pszDisplayName = display;
    bi.lpszTitle = "";
    bi.ulFlags = 0x4042;  // BIF_DONTGOBELOWDOMAIN | BIF_NEWDIALOGSTYLE | BIF_BROWSEINCLUDEFILES
    bi.lpfn = select_start;
    bi.lParam = reinterpret_cast<LPARAM>(start.c_str());
    LPITEMIDLIST chosen = SHBrowseForFolder(&bi);
    ASSERT_TRUE(chosen);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].owner, m_owner);
    EXPECT_EQ(asked[0].flags, 0x4042u);
    EXPECT_EQ(asked[0].root, "");
    EXPECT_EQ(asked[0].initial, start);
    char path[MAX_PATH] = {};
    ASSERT_TRUE(SHGetPathFromIDList(chosen, path));
    EXPECT_EQ(std::string(path), start);
    EXPECT_STREQ(display, "sub");
    ILFree(chosen);

    helm::user::set_folder_answer([](const helm::user::FolderQuestion&) { return FileDialogChoice{}; });
    EXPECT_EQ(SHBrowseForFolder(&bi), nullptr);
}

// The real browser under a root: no way above it, a folder entered with a
// double click, and OK on a folder picked in the list.
TEST_F(CommonDialogsTest, FolderBrowserWalksUnderItsRoot)
{
    LPITEMIDLIST root = ILCreateFromPath(m_initial.c_str());
    ASSERT_TRUE(root);
    std::vector<std::string> at_root, in_sub;
    when_shown([&](HWND dialog) {
        HWND list = GetDlgItem(dialog, helm::user::folder_tree_id);
        at_root = lines_of(list);
        int sub = line_index(list, "[sub]");
        ASSERT_GE(sub, 0);
        drive::click_at(line_point(list, sub));
        drive::click_at(line_point(list, sub));
        in_sub = lines_of(list);
        drive::click_at(line_point(list, line_index(list, "[deeper]")));
        drive::click(GetDlgItem(dialog, IDOK));
    });
    char display[MAX_PATH] = {};
    BROWSEINFO bi{};
    bi.hwndOwner = m_owner;
    bi.pidlRoot = root;
    bi.pszDisplayName = display;
    LPITEMIDLIST chosen = SHBrowseForFolder(&bi);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(at_root, (std::vector<std::string>{"[sub]"}));  // files only with BIF_BROWSEINCLUDEFILES
    EXPECT_EQ(in_sub, (std::vector<std::string>{"..", "[deeper]"}));
    char path[MAX_PATH] = {};
    ASSERT_TRUE(SHGetPathFromIDList(chosen, path));
    EXPECT_EQ(std::string(path), m_initial + "\\sub\\deeper");
    EXPECT_STREQ(display, "deeper");
    ILFree(chosen);
    ILFree(root);

    // A damaged item list names no path.
    unsigned char damaged[6] = {0xFF, 0x7F, '/', 'x', 'y', 'z'};
    EXPECT_FALSE(SHGetPathFromIDList(reinterpret_cast<LPCITEMIDLIST>(damaged), path));
    unsigned char unterminated[6] = {6, 0, '/', 'x', 'y', 'z'};
    EXPECT_FALSE(SHGetPathFromIDList(reinterpret_cast<LPCITEMIDLIST>(unterminated), path));
}

// The file dialog and the folder browser painted: the folder, the listing
// with the operator's pick lit, the name's sunken field, the filter in its
// combo box, the buttons.
TEST_F(CommonDialogsTest, FileDialogAndFolderBrowserShowTheirControls)
{
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF ink = GetSysColor(COLOR_WINDOWTEXT);
    // Picks `line` in the listing, then checks the picture of the dialog:
    // every line inked, the pick lit, the folder shown, the buttons; the
    // rest as `more` says; then Cancel.
    auto look_at = [&](int list_id, const char* line, const char* name,
                       std::function<void(HWND, const helm::gdi::Surface&)> more) {
        when_shown([=](HWND dialog) {
            HWND list = GetDlgItem(dialog, list_id);
            drive::click_at(line_point(list, line_index(list, line)));
            auto picture = helm::user::snapshot_window(dialog);
            ASSERT_TRUE(picture);
            keep_png(*picture, name);
            const RECT l = helm::user::rect_in_snapshot(dialog, list, true);
            for (int i = 0; i < static_cast<int>(SendMessage(list, LB_GETCOUNT, 0, 0)); ++i) {
                RECT r{};
                SendMessage(list, LB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
                OffsetRect(&r, l.left, l.top);
                const bool picked = SendMessage(list, LB_GETCURSEL, 0, 0) == i;
                // ".." is two dots of ink.
                EXPECT_GT(count_of(*picture, r, picked ? GetSysColor(COLOR_HIGHLIGHTTEXT) : ink, 60), 1) << i;
                if (picked) {
                    EXPECT_GT(count_of(*picture, r, GetSysColor(COLOR_HIGHLIGHT)), 100) << i;
                }
            }
            const RECT folder = helm::user::rect_in_snapshot(dialog, GetDlgItem(dialog, helm::user::file_dialog_folder_id), true);
            EXPECT_GT(ink_bounds(*picture, folder, face, 40).right, 0);
            for (int id : {IDOK, IDCANCEL})
                EXPECT_GT(count_of(*picture, helm::user::rect_in_snapshot(dialog, GetDlgItem(dialog, id), true), GetSysColor(COLOR_BTNTEXT), 40), 5) << id;
            if (more)
                more(dialog, *picture);
            drive::click(GetDlgItem(dialog, IDCANCEL));
        });
    };
    look_at(helm::user::file_dialog_list_id, "alpha.txt", "file_dialog", [&](HWND dialog, const helm::gdi::Surface& picture) {
        // The name field: a sunken edge (no black line) round the name taken from the pick.
        HWND name = GetDlgItem(dialog, helm::user::file_dialog_name_id);
        const RECT n = helm::user::rect_in_snapshot(dialog, name, false);
        EXPECT_TRUE(helm::gdi::testing::pixel_is(picture, n.left, n.top + 4, GetSysColor(COLOR_BTNSHADOW)));
        EXPECT_GT(count_of(picture, helm::user::rect_in_snapshot(dialog, name, true), ink, 60), 10);
        // The filter in use, in the combo box's field.
        const RECT filter = helm::user::rect_in_snapshot(dialog, GetDlgItem(dialog, helm::user::file_dialog_filter_id), true);
        EXPECT_GT(count_of(picture, filter, ink, 60), 30);
    });
    char file[MAX_PATH] = "";
    OPENFILENAME ofn = open_request(file, sizeof file);
    EXPECT_FALSE(GetOpenFileName(&ofn));

    look_at(helm::user::folder_tree_id, "[sub]", "folder_browser", nullptr);
    LPITEMIDLIST root = ILCreateFromPath(m_initial.c_str());
    ASSERT_TRUE(root);
    BROWSEINFO bi{};
    bi.hwndOwner = m_owner;
    bi.pidlRoot = root;
    bi.lpszTitle = "Choose the folder of the record files";
    EXPECT_EQ(SHBrowseForFolder(&bi), nullptr);
    ILFree(root);
}

}  // namespace
