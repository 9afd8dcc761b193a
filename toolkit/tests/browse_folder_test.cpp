#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "helm/test/support.h"
#include "helm/user/testing/driver.h"
#include "toolkit/CDialogBrowseFolder.h"

namespace {

namespace driver = helm::user::testing;

// The system's form of a path: backslashes.
std::string system_form(std::string path)
{
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

class BrowseFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(mkdir(dir.file("records").c_str(), 0700), 0);
        ASSERT_EQ(mkdir(dir.file("records/2024").c_str(), 0700), 0);
        ASSERT_TRUE(owner.CreateEx(0, nullptr, "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                                   nullptr));
    }
    void TearDown() override
    {
        helm::user::set_folder_answer(nullptr);
        helm::user::set_common_dialog_shown(nullptr);
        owner.DestroyWindow();
    }

    helm::test::TempDir dir;
    CWnd owner;
};

// The record page's way: its folder as the start, no root, the flags.
TEST_F(BrowseFolder, AsksWithTheOwnerTitleFlagsAndStart)
{
    std::vector<helm::user::FolderQuestion> asked;
    helm::user::set_folder_answer([&](const helm::user::FolderQuestion& q) {
        asked.push_back(q);
        return helm::user::FileDialogChoice{true, q.initial + "\\2024", 0};
    });
    const std::string start = system_form(dir.file("records"));
    char display[MAX_PATH] = {};
    CDialogBrowseFolder browser(owner.m_hWnd, display, "Data folder", 0x4042, start.c_str(), "");
    EXPECT_EQ(browser.F_DoModal(true), 1);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].owner, owner.m_hWnd);
    EXPECT_EQ(asked[0].title, "Data folder");
    EXPECT_EQ(asked[0].flags, 0x4042u);
    EXPECT_EQ(asked[0].root, "");
    EXPECT_EQ(asked[0].initial, start);
    EXPECT_EQ(std::string(browser.F_GetPathName()), start + "\\2024\\");
    EXPECT_STREQ(display, "2024");

    // Cancelled, with OLE set up around the call; no start, a root.
    helm::user::set_folder_answer([&](const helm::user::FolderQuestion& q) {
        asked.push_back(q);
        return helm::user::FileDialogChoice{};
    });
    CDialogBrowseFolder cancelled(owner.m_hWnd, nullptr, nullptr, 0, "", start.c_str());
    EXPECT_EQ(cancelled.F_DoModal(false), 2);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1].initial, "");
    EXPECT_EQ(asked[1].root, start);
}

// The real browser opens on the start; the operator takes it with Enter.
TEST_F(BrowseFolder, OperatorTakesTheFolderShown)
{
    int shown = 0;
    helm::user::set_common_dialog_shown([&](HWND) {
        ++shown;
        driver::press_enter();
    });
    const std::string start = system_form(dir.file("records/2024"));
    CDialogBrowseFolder browser(owner.m_hWnd, nullptr, "", 0, start.c_str(), "");
    EXPECT_EQ(browser.F_DoModal(true), 1);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(std::string(browser.F_GetPathName()), start + "\\");
}

}  // namespace
