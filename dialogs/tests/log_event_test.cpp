// The event-log dialog with the real event-log view made by class id from
// its template: each event line stamped and shown in its colour, the log
// file beside the program's folder, and the events told to the main window.

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/C_Q_DlgLogEvent.h"
#include "dialogs/HelmdialogsRes.h"
#include "dialogs_fixture.h"
#include "helm/gdi/pixel_checks.h"
#include "helm/kernel/clock.h"
#include "helm/test/support.h"
#include "helm/user/richedit.h"
#include "helm/user/snapshot.h"

namespace {

using helm::test::read_file;
using helm::test::TempDir;

// The local time every event of these tests is stamped with:
// 2026-12-10 13:05:07.005.
SYSTEMTIME stamp()
{
    SYSTEMTIME t{};
    t.wYear = 2026;
    t.wMonth = 12;
    t.wDay = 10;
    t.wHour = 13;
    t.wMinute = 5;
    t.wSecond = 7;
    t.wMilliseconds = 5;
    return t;
}
const std::string prefix = "Date:10/12/2026 Hour:13h 05m 07.005s -> ";

sSTATUS status(const char* text, unsigned category, uint16_t type)
{
    sSTATUS s{};
    std::snprintf(s.text, sizeof s.text, "%s", text);
    s.code = (category << 8) | 0x3;
    s.event_type = type;
    return s;
}

class LogEvent : public dialogs_test::WithMainWindow {
protected:
    LogEvent() : WithMainWindow({dialogs_test::journalview_plugin}) {}
    void SetUp() override
    {
        WithMainWindow::SetUp();
        helm::kernel::set_local_time_source(stamp);
    }
    void closing() override
    {
        m_dialog.reset();
        helm::kernel::set_local_time_source({});
    }

    // The dialog made with its log in <dir>\LogFile\TalvorLog.log.
    C_Q_DlgLogEvent& open(const std::string& dir)
    {
        m_dialog = std::make_unique<C_Q_DlgLogEvent>(&m_main);
        std::string folder = dir, name = "TalvorLog";
        EXPECT_EQ(m_dialog->F_UpdateCheminSoft(folder.data(), name.data()), 0);
        EXPECT_TRUE(m_dialog->Create(IDD_LOG_EVENT, &m_main));
        m_dialog->MoveWindow(0, 0, 520, 300);
        m_dialog->ShowWindow(SW_SHOW);
        HWND view = ::GetDlgItem(m_dialog->m_hWnd, IDC_JOURNALVIEW);
        EXPECT_NE(view, nullptr) << "the dialog made no view";
        for (HWND child = view ? ::GetWindow(view, GW_CHILD) : nullptr; child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            char name_of[32] = {};
            ::GetClassName(child, name_of, sizeof name_of);
            if (std::string(name_of) == RICHEDIT_CLASS)
                m_box = child;
        }
        return *m_dialog;
    }
    int insert(unsigned short type, std::string text) { return m_dialog->F_InsertEvent(type, text.data()); }
    // The lines of the view, top first, each with its colour.
    std::vector<std::pair<std::string, COLORREF>> shown() const
    {
        std::vector<std::pair<std::string, COLORREF>> out;
        std::string text(size_t(::GetWindowTextLength(m_box)) + 1, '\0');
        text.resize(size_t(::GetWindowText(m_box, text.data(), int(text.size()))));
        const int count = int(::SendMessage(m_box, EM_GETLINECOUNT, 0, 0));
        for (int i = 0; i + 1 < count; ++i) {
            const LONG start = LONG(::SendMessage(m_box, EM_LINEINDEX, WPARAM(i), 0));
            const LONG next = LONG(::SendMessage(m_box, EM_LINEINDEX, WPARAM(i + 1), 0));
            CHARRANGE range{start, start + 1};
            ::SendMessage(m_box, EM_EXSETSEL, 0, LPARAM(&range));
            CHARFORMAT format{};
            format.cbSize = sizeof format;
            ::SendMessage(m_box, EM_GETCHARFORMAT, SCF_SELECTION, LPARAM(&format));
            std::string line = text.substr(size_t(start), size_t(next - start));
            while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
                line.pop_back();
            out.emplace_back(line, format.crTextColor);
        }
        return out;
    }

    std::unique_ptr<C_Q_DlgLogEvent> m_dialog;
    HWND m_box = nullptr;
};

constexpr COLORREF red = RGB(255, 0, 0), green = RGB(0, 255, 0), white = RGB(255, 255, 255);

TEST_F(LogEvent, EventsAppearNewestOnTopInTheirColours)
{
    TempDir dir;
    open(dir.path());
    ASSERT_NE(m_box, nullptr);
    EXPECT_EQ(insert(1, "Heading alarm"), 0);
    EXPECT_EQ(insert(2, "Alignment done"), 0);
    EXPECT_EQ(insert(0, "Log input changed"), 0);
    EXPECT_EQ(insert(5, "DVL lost"), 0);
    using Shown = std::vector<std::pair<std::string, COLORREF>>;
    EXPECT_EQ(shown(), (Shown{{prefix + "DVL lost", white},
                              {prefix + "Log input changed", white},
                              {prefix + "Alignment done", green},
                              {prefix + "Heading alarm", red}}));
    auto picture = helm::user::snapshot_window(m_main.m_hWnd);
    ASSERT_TRUE(picture);
    helm::gdi::testing::keep_png(*picture, "log_event_mixed");
    const RECT box = helm::user::rect_in_snapshot(m_main.m_hWnd, m_box, true);
    EXPECT_GT(helm::gdi::testing::count_of(*picture, box, red, 40), 0);
    EXPECT_GT(helm::gdi::testing::count_of(*picture, box, green, 40), 0);
}

TEST_F(LogEvent, LineTimeKeepsThreeDigitsOfMilliseconds)
{
    TempDir dir;
    open(dir.path());
    struct Case {
        WORD day, month, hour, minute, second, milliseconds;
        const char* prefix;
    };
    const Case cases[] = {
        {10, 12, 13, 5, 7, 5, "Date:10/12/2026 Hour:13h 05m 07.005s -> "},
        {1, 2, 9, 0, 0, 123, "Date:01/02/2026 Hour: 9h 00m 00.123s -> "},
        {31, 7, 23, 59, 59, 50, "Date:31/07/2026 Hour:23h 59m 59.050s -> "},
    };
    for (const Case& c : cases) {
        helm::kernel::set_local_time_source([c] {
            SYSTEMTIME t = stamp();
            t.wDay = c.day, t.wMonth = c.month, t.wHour = c.hour, t.wMinute = c.minute, t.wSecond = c.second;
            t.wMilliseconds = c.milliseconds;
            return t;
        });
        insert(0, "x");
        EXPECT_EQ(shown().at(0).first, std::string(c.prefix) + "x");
    }
}

TEST_F(LogEvent, LogFileIsAppendedLineByLine)
{
    TempDir dir;
    // The folder is made; a file already there is appended to.
    CreateDirectory((dir.path() + "/LogFile").c_str(), nullptr);
    const std::string path = dir.file("LogFile/TalvorLog.log");
    helm::test::write_file(path, "Date:09/12/2026 Hour:08h 00m 00.000s -> earlier\r\n");
    std::string folder = dir.path() + "\\sub", name = "Other";
    C_Q_DlgLogEvent other(&m_main);
    EXPECT_EQ(other.F_UpdateCheminSoft(folder.data(), name.data()), 0);
    EXPECT_EQ(other.log_path(), CString((dir.path() + "\\sub\\LogFile\\Other.log").c_str()));

    open(dir.path());
    EXPECT_EQ(m_dialog->log_path(), CString((dir.path() + "\\LogFile\\TalvorLog.log").c_str()));
    insert(1, "Heading alarm");
    insert(2, "Alignment done");
    EXPECT_EQ(read_file(path), "Date:09/12/2026 Hour:08h 00m 00.000s -> earlier\r\n" + prefix + "Heading alarm\r\n" +
                                   prefix + "Alignment done\r\n");
    EXPECT_EQ(m_dialog->F_SetLogOff(), 0);
    insert(1, "not logged");
    EXPECT_EQ(read_file(path).find("not logged"), std::string::npos);
    EXPECT_EQ(shown().size(), 3u);
}

TEST_F(LogEvent, UnwritableLogLeavesTheDisplayGoing)
{
    TempDir dir;
    // A file stands where the log folder should be made.
    helm::test::write_file(dir.file("LogFile"), "");
    open(dir.path());
    EXPECT_EQ(insert(1, "Heading alarm"), 0);
    EXPECT_EQ(shown().at(0).first, prefix + "Heading alarm");
}

TEST_F(LogEvent, FullViewKeepsTheNewestEvents)
{
    TempDir dir;
    open(dir.path());
    for (int i = 0; i < 800; ++i)
        insert(uint16_t(i % 3), "event " + std::to_string(i));
    const auto lines = shown();
    ASSERT_GT(lines.size(), 100u);
    for (size_t k = 0; k < lines.size(); ++k)
        ASSERT_EQ(lines[k].first, prefix + "event " + std::to_string(799 - int(k))) << k;
    // Every one reached the file.
    const std::string log = read_file(dir.file("LogFile/TalvorLog.log"));
    EXPECT_NE(log.find(prefix + "event 0\r\n"), std::string::npos);
    EXPECT_NE(log.find(prefix + "event 799\r\n"), std::string::npos);
}

TEST_F(LogEvent, StatusEventsAreLoggedAndToldByCategory)
{
    TempDir dir;
    open(dir.path());
    struct Case {
        unsigned category;
        bool appear, init;
        const char* logged;  // the line's text, null for none
        std::vector<std::pair<WPARAM, LPARAM>> told;
    };
    const Case cases[] = {
        {0, true, false, nullptr, {}},
        {10, true, false, nullptr, {}},
        {3, true, false, "bit", {}},
        {3, false, false, nullptr, {}},
        {6, true, false, "bit", {}},
        {4, true, false, "bit", {{0, 4}}},
        {4, false, false, nullptr, {}},
        {7, true, false, "bit", {{1, 7}}},
        {7, false, false, "End of DVL calibration", {{0, 7}}},
        {7, false, true, nullptr, {}},
        {8, true, true, "bit", {{1, 8}}},
        {8, false, false, "End of static alignment", {{0, 8}}},
        {1, true, false, "bit", {{0, 1}}},
        {2, false, false, nullptr, {{1, 2}}},
        {5, false, true, nullptr, {}},
        {9, true, false, "bit", {{0, 9}}},
        {9, false, false, nullptr, {{1, 9}}},
    };
    const UINT message = C_Q_DlgLogEvent::F_GetEventMsg();
    EXPECT_EQ(message, RegisterWindowMessage("VARNEK_INS_EVENT"));
    for (const Case& c : cases) {
        SCOPED_TRACE("category " + std::to_string(c.category) + (c.appear ? " appears" : " goes") +
                     (c.init ? " at init" : ""));
        const size_t before = shown().size();
        m_log->clear();
        sSTATUS bit = status("bit", c.category, 1);
        m_dialog->P_UpdateEventViewer(c.appear, c.init, &bit);
        helm::user::testing::pump_until_idle();
        const auto lines = shown();
        if (c.logged) {
            ASSERT_EQ(lines.size(), before + 1);
            EXPECT_EQ(lines[0].first, prefix + c.logged);
            EXPECT_EQ(lines[0].second, red) << "the bit's type colours the line";
        } else {
            EXPECT_EQ(lines.size(), before);
        }
        EXPECT_EQ(posted(message), c.told);
    }
    // A text that fills its field is read within it.
    sSTATUS full = status("", 3, 2);
    std::memset(full.text, 'A', sizeof full.text);
    m_dialog->P_UpdateEventViewer(true, false, &full);
    EXPECT_EQ(shown().at(0).first, prefix + std::string(sizeof full.text, 'A'));
}

TEST_F(LogEvent, WithoutWindowsEverythingIsSkipped)
{
    C_Q_DlgLogEvent dialog(&m_main);
    std::string text = "x";
    EXPECT_EQ(dialog.F_InsertEvent(1, text.data()), -1);
    EXPECT_EQ(dialog.F_SetLogOff(), -1);
    EXPECT_EQ(dialog.F_UpdateCheminSoft(nullptr, text.data()), -1);
    sSTATUS bit = status("bit", 7, 1);
    dialog.P_UpdateEventViewer(false, false, &bit);
    dialog.P_UpdateEventViewer(true, false, nullptr);
    helm::user::testing::pump_until_idle();
    EXPECT_TRUE(posted(C_Q_DlgLogEvent::F_GetEventMsg()).empty());
}

}  // namespace
