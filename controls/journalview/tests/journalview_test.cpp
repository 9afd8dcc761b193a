// The event-log view as the event-log dialog drives it: made by class id
// from a template, lines on top in the colour of their type, the log file
// appended byte for byte, and a box that keeps the newest lines once full.

#include <gtest/gtest.h>

#include <dirent.h>

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "helm/com/testing/plugin.h"
#include "helm/gdi/pixel_checks.h"
#include "helm/test/support.h"
#include "helm/user/richedit.h"
#include "helm/user/snapshot.h"
#include "journalview/Journalview.h"
#include "journalview_test_ids.h"

namespace {

using helm::test::read_file;
using helm::test::TempDir;
using helm::test::write_file;

const std::string plugin = HELM_JOURNALVIEW_FILE;

// How many files this process has open.
int open_files()
{
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir))
            ++count;
        closedir(dir);
    }
    return count;
}

struct Line {
    std::string text;
    COLORREF colour;
    bool bold;
};

class Journalview : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_host.emplace(plugin, IDD_JOURNALVIEW_HOST, IDC_JOURNALVIEW);
        ASSERT_TRUE(m_host->registered());
        m_dialog = m_host->dialog();
        m_window = m_host->item();
        ASSERT_NE(m_window, nullptr) << "the view was not made from the template";
        m_view = m_host->control<IJournalviewCtrl>();
        ASSERT_TRUE(m_view);
        for (HWND child = GetWindow(m_window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            char name[32] = {};
            GetClassName(child, name, sizeof name);
            if (std::string(name) == RICHEDIT_CLASS)
                m_box = child;
        }
        ASSERT_NE(m_box, nullptr);
    }
    void TearDown() override
    {
        m_view.reset();
        m_host.reset();
        EXPECT_TRUE(helm::com::testing::plugin_idle(plugin)) << "the host's closing left the view alive";
    }

    HRESULT add(USHORT type, std::string text) { return m_view->F_AddInfo(type, text.data()); }
    HRESULT log_on(std::string path) { return m_view->F_SetLogON(path.data()); }
    std::string box_text() const
    {
        std::string text(size_t(GetWindowTextLength(m_box)) + 1, '\0');
        text.resize(size_t(GetWindowText(m_box, text.data(), int(text.size()))));
        return text;
    }
    // The box's lines, top first, with the format of each line's first
    // character.
    std::vector<Line> lines() const
    {
        std::vector<Line> out;
        const int count = int(SendMessage(m_box, EM_GETLINECOUNT, 0, 0));
        const std::string text = box_text();
        for (int i = 0; i + 1 < count; ++i) {
            const LONG start = LONG(SendMessage(m_box, EM_LINEINDEX, WPARAM(i), 0));
            const LONG next = LONG(SendMessage(m_box, EM_LINEINDEX, WPARAM(i + 1), 0));
            CHARRANGE range{start, start + 1};
            SendMessage(m_box, EM_EXSETSEL, 0, LPARAM(&range));
            CHARFORMAT format{};
            format.cbSize = sizeof format;
            SendMessage(m_box, EM_GETCHARFORMAT, SCF_SELECTION, LPARAM(&format));
            std::string line = text.substr(size_t(start), size_t(next - start));
            while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
                line.pop_back();
            out.push_back({line, format.crTextColor, (format.dwEffects & CFE_BOLD) != 0});
        }
        return out;
    }

    std::optional<helm::com::testing::DialogHost> m_host;
    HWND m_dialog = nullptr;
    HWND m_window = nullptr;
    HWND m_box = nullptr;
    helm::com::ComPtr<IJournalviewCtrl> m_view;
};

constexpr COLORREF red = RGB(255, 0, 0), green = RGB(0, 255, 0), white = RGB(255, 255, 255);

TEST_F(Journalview, NewestEventOnTopInTheColourOfItsType)
{
    EXPECT_EQ(add(1, "alarm a"), S_OK);
    EXPECT_EQ(add(2, "good b\n"), S_OK);
    EXPECT_EQ(add(7, "other c"), S_OK);
    EXPECT_EQ(add(0, ""), S_OK);
    EXPECT_EQ(box_text(), "\r\nother c\r\ngood b\nalarm a\r\n");
    const std::vector<Line> shown = lines();
    ASSERT_EQ(shown.size(), 4u);
    const Line expected[] = {{"", white, true}, {"other c", white, true}, {"good b", green, true},
                             {"alarm a", red, true}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(shown[i].text, expected[i].text) << i;
        EXPECT_EQ(shown[i].colour, expected[i].colour) << i;
        EXPECT_EQ(shown[i].bold, expected[i].bold) << i;
    }
    // The caller's text is only read; the caret is back at the top.
    char text[] = "kept";
    m_view->F_AddInfo(1, text);
    EXPECT_STREQ(text, "kept");
    DWORD start = 9, end = 9;
    SendMessage(m_box, EM_GETSEL, WPARAM(&start), LPARAM(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 0u);

    // The title line and the box on black, the lines in their colours.
    auto picture = helm::user::snapshot_window(m_dialog);
    ASSERT_TRUE(picture);
    helm::gdi::testing::keep_png(*picture, "journalview_events");
    const RECT client = helm::user::rect_in_snapshot(m_dialog, m_window, true);
    const RECT title{client.left, client.top, client.right, client.top + 20};
    EXPECT_GT(helm::gdi::testing::count_of(*picture, title, white, 60), 0);
    EXPECT_TRUE(helm::gdi::testing::pixel_is(*picture, title.left + 1, title.top + 1, RGB(0, 0, 0)));
    const RECT box = helm::user::rect_in_snapshot(m_dialog, m_box, true);
    EXPECT_GT(helm::gdi::testing::count_of(*picture, box, red, 40), 0);
    EXPECT_GT(helm::gdi::testing::count_of(*picture, box, green, 40), 0);
    EXPECT_TRUE(helm::gdi::testing::pixel_is(*picture, box.right - 3, box.bottom - 3, RGB(0, 0, 0)));
}

TEST_F(Journalview, LogFileGetsEveryLineWithOneLineEnd)
{
    TempDir dir;
    const std::string path = dir.file("TalvorLog.log");
    write_file(path, "Date:01/02/2026 earlier\r\n");
    // Lines written before logging starts reach only the box.
    add(1, "before");
    ASSERT_EQ(log_on(path), S_OK);
    add(1, "alarm a");
    add(2, "good b\n");
    add(3, "crlf c\r\n");
    add(0, "");
    // The line is on disk at once.
    EXPECT_EQ(read_file(path), "Date:01/02/2026 earlier\r\nalarm a\r\ngood b\r\ncrlf c\r\n\r\n");
    EXPECT_EQ(m_view->F_SetLogOFF(), S_OK);
    add(1, "after");
    EXPECT_EQ(read_file(path), "Date:01/02/2026 earlier\r\nalarm a\r\ngood b\r\ncrlf c\r\n\r\n");
    EXPECT_EQ(lines().size(), 6u) << "the box shows every line, logged or not";
}

TEST_F(Journalview, UnwritableLogLeavesTheDisplayGoing)
{
    TempDir dir;
    EXPECT_EQ(log_on(dir.file("missing/TalvorLog.log")), S_FALSE);
    write_file(dir.file("plain"), "");
    EXPECT_EQ(log_on(dir.file("plain/TalvorLog.log")), S_FALSE) << "a file stands where the folder should";
    EXPECT_EQ(add(1, "still shown"), S_OK);
    EXPECT_EQ(lines().at(0).text, "still shown");
    // A later log that opens takes the next lines.
    EXPECT_EQ(log_on(dir.file("TalvorLog.log")), S_OK);
    add(2, "logged");
    EXPECT_EQ(read_file(dir.file("TalvorLog.log")), "logged\r\n");
}

TEST_F(Journalview, EachLogIsClosedByTheNextAndByTheWindowGoing)
{
    TempDir dir;
    const int before = open_files();
    ASSERT_EQ(log_on(dir.file("first.log")), S_OK);
    add(1, "one");
    ASSERT_EQ(log_on(dir.file("second.log")), S_OK);
    add(1, "two");
    EXPECT_EQ(open_files(), before + 1) << "the first log was left open";
    EXPECT_EQ(read_file(dir.file("first.log")), "one\r\n");
    EXPECT_EQ(read_file(dir.file("second.log")), "two\r\n");
    DestroyWindow(m_dialog);
    EXPECT_EQ(open_files(), before) << "the log outlived the view's window";
}

TEST_F(Journalview, FullBoxKeepsTheNewestLines)
{
    struct Case {
        const char* name;
        int events;
        size_t width;  // characters of each line
    };
    // Bounded by the number of lines, then by the box's text limit.
    for (const Case& c : {Case{"many short lines", 700, 10}, Case{"long lines", 400, 150}}) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        for (int i = 0; i < c.events; ++i) {
            std::string line = "event " + std::to_string(i) + " ";
            line.resize(c.width, '.');
            add(USHORT(i % 3), line);
        }
        const std::vector<Line> shown = lines();
        ASSERT_FALSE(shown.empty());
        EXPECT_LE(shown.size(), 500u);
        EXPECT_LE(long(box_text().size()), long(SendMessage(m_box, EM_GETLIMITTEXT, 0, 0)));
        // The newest on top, then every older one down to the oldest kept,
        // none left out between them.
        for (size_t k = 0; k < shown.size(); ++k) {
            std::string expected = "event " + std::to_string(c.events - 1 - int(k)) + " ";
            expected.resize(c.width, '.');
            ASSERT_EQ(shown[k].text, expected) << k;
        }
        // Room is made a quarter of the box at a time: at least three
        // quarters of either bound stay.
        const long limit = long(SendMessage(m_box, EM_GETLIMITTEXT, 0, 0));
        const size_t by_length = size_t(limit * 3 / 4) / (c.width + 2);
        EXPECT_GE(shown.size(), std::min<size_t>(375, by_length)) << "more lines went than room needed";
    }
}

}  // namespace
