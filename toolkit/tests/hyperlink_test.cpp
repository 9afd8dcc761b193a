#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "helm/kernel/process.h"
#include "helm/test/support.h"
#include "helm/user/testing/driver.h"
#include "toolkit/CStaticHyperLink.h"
#include "toolkit_fixture.h"
#include "toolkit_test_ids.h"

namespace {

using helm::gdi::testing::count_of;
using toolkit_test::Picture;
namespace driver = helm::user::testing;

// The longest unbroken run of ink along a row of `area` (an underline
// runs under the whole text; letters leave gaps).
int longest_ink_row(const Picture& picture, const CRect& area)
{
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    int longest = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        int run = 0;
        for (int x = area.left; x < area.right; ++x) {
            run = helm::gdi::testing::near_colour(picture.at(x, y), face, 40) ? 0 : run + 1;
            longest = std::max(longest, run);
        }
    }
    return longest;
}

class TestLink : public CStaticHyperLink {
public:
    using CStaticHyperLink::F_URL_ReportError;
    using CStaticHyperLink::m_tooltip;
};

// A $PATH whose one directory may hold a stand-in for the desktop's
// opener; the process start is answered without starting anything.
class Hyperlink : public toolkit_test::WithDialog<IDD_TEST_STATICS> {
protected:
    void SetUp() override
    {
        if (const char* path = std::getenv("PATH"))
            m_oldPath = path;
        setenv("PATH", (std::string("relative/dir:") + m_bin.path()).c_str(), 1);
        helm::kernel::set_process_starter([this](const helm::kernel::ProcessStart& start) {
            starts.push_back(start);
            return helm::kernel::ProcessStartOutcome{};
        });
        helm::afx::set_message_box([this](HWND, const char* text, const char*, UINT type) {
            boxes.push_back(text);
            box_types.push_back(type);
            return IDOK;
        });
        WithDialog::SetUp();
    }
    void TearDown() override
    {
        WithDialog::TearDown();
        helm::afx::set_message_box(nullptr);
        helm::kernel::set_process_starter(nullptr);
        setenv("PATH", m_oldPath.c_str(), 1);
    }
    void install_opener()
    {
        helm::test::write_file(m_bin.file("xdg-open"), "#!/bin/sh\n");
        ASSERT_EQ(chmod(m_bin.file("xdg-open").c_str(), 0755), 0);
    }
    std::string opener() const { return m_bin.file("xdg-open"); }

    helm::test::TempDir m_bin;
    std::string m_oldPath;
    std::vector<helm::kernel::ProcessStart> starts;
    std::vector<std::string> boxes;
    std::vector<UINT> box_types;
};

TEST_F(Hyperlink, ClickOpensTheLinkAsOneArgumentAndTurnsVisited)
{
    install_opener();
    TestLink link;
    ASSERT_TRUE(link.SubclassDlgItem(IDC_TEST_LINK, &dialog));
    // The window text is the link; the tip shows it.
    EXPECT_EQ(link.F_URL_GetURL(), "www.example.com/help");
    EXPECT_EQ(link.m_tooltip.GetText(&link, 1), "www.example.com/help");
    EXPECT_TRUE(link.GetStyle() & SS_NOTIFY);

    const COLORREF linkColour = RGB(0, 0, 238), visitedColour = RGB(85, 26, 139);
    {
        Picture picture(dialog, "toolkit_hyperlink");
        const CRect area = picture.of(link);
        EXPECT_GT(count_of(*picture.surface, area, linkColour, 30), 20);
        EXPECT_EQ(count_of(*picture.surface, area, visitedColour, 30), 0);
        // Underlined: one row of ink runs the text's whole width.
        EXPECT_GT(longest_ink_row(picture, area), 100);
    }

    // A link the shell would read twice over reaches the opener whole.
    const char* url = "https://www.example.com/a b?c=1&d=\"2\";rm -rf ~";
    link.F_URL_SetURL(url);
    EXPECT_EQ(link.m_tooltip.GetText(&link, 1), url);
    driver::click(link.m_hWnd);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].program, opener());
    EXPECT_EQ(starts[0].arguments, (std::vector<std::string>{"xdg-open", url}));
    EXPECT_EQ(starts[0].show_state, SW_SHOW);
    EXPECT_TRUE(link.F_URL_GetVisited());
    EXPECT_TRUE(boxes.empty());
    {
        Picture picture(dialog);
        const CRect area = picture.of(link);
        EXPECT_GT(count_of(*picture.surface, area, visitedColour, 30), 20);
        EXPECT_EQ(count_of(*picture.surface, area, linkColour, 30), 0);
    }
    // Colours and underline given by the program.
    link.F_URL_SetColours(RGB(0, 128, 0), RGB(128, 0, 0));
    link.F_URL_SetVisited(FALSE);
    link.F_URL_SetUnderline(FALSE);
    Picture picture(dialog);
    const CRect area = picture.of(link);
    EXPECT_GT(count_of(*picture.surface, area, RGB(0, 128, 0), 30), 20);
    EXPECT_LT(longest_ink_row(picture, area), 20);
}

TEST_F(Hyperlink, AFailedOpenIsReportedAndLeavesTheLinkUnvisited)
{
    TestLink link;
    ASSERT_TRUE(link.SubclassDlgItem(IDC_TEST_LINK, &dialog));
    driver::click(link.m_hWnd);  // no opener on the path
    EXPECT_TRUE(starts.empty());
    EXPECT_FALSE(link.F_URL_GetVisited());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Unable to open hyperlink:\n\nThe specified file was not found.");
    EXPECT_EQ(box_types[0] & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));

    // Links the opener is never given.
    install_opener();
    const std::string tooLong(3000, 'a');
    for (const char* bad : {"", "-option", "line\nbreak", tooLong.c_str()})
        EXPECT_EQ(reinterpret_cast<INT_PTR>(CStaticHyperLink::F_URL_GotoURL(bad, SW_SHOW)), SE_ERR_NOASSOC);
    EXPECT_TRUE(starts.empty());
    EXPECT_GT(reinterpret_cast<INT_PTR>(CStaticHyperLink::F_URL_GotoURL("mailto:crew@example.com", SW_SHOW)), 32);
    EXPECT_EQ(starts.size(), 1u);
}

TEST_F(Hyperlink, ErrorTextsByCode)
{
    struct Case {
        INT_PTR code;
        const char* text;
    };
    const Case cases[] = {
        {0, "The operating system is out\nof memory or resources."},
        {2, "The specified file was not found."},
        {11, "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
        {26, "A sharing violation occurred. "},
        {31, "There is no application associated\nwith the given filename extension."},
        {32, "The specified dynamic-link library was not found."},
        {33, "Unknown Error (33) occurred."},
        {-4, "Unknown Error (-4) occurred."},
    };
    TestLink link;
    for (const Case& c : cases) {
        boxes.clear();
        link.F_URL_ReportError(reinterpret_cast<HINSTANCE>(c.code));
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0], std::string("Unable to open hyperlink:\n\n") + c.text);
    }
}

}  // namespace
