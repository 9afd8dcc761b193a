#include <gtest/gtest.h>

#include "helm/user/testing/driver.h"
#include "toolkit/WidgetryFunctions.h"
#include "toolkit/WidgetryRes.h"
#include "toolkit_fixture.h"

namespace {

using helm::gdi::testing::count_of;
using toolkit_test::LanguageChoice;
using toolkit_test::Picture;
namespace driver = helm::user::testing;

// The About box: the window titled "About ..." (or in French "A propos ...").
HWND about_box()
{
    return toolkit_test::find_top_level([](HWND window) {
        char title[64] = {};
        GetWindowText(window, title, sizeof title);
        return CString(title).Find("propos") >= 0 || CString(title).Find("About") == 0;
    });
}

CString text_of(HWND box, int id)
{
    char text[128] = {};
    GetDlgItemText(box, id, text, sizeof text);
    return text;
}

TEST(AboutBox, ShowsTheProgramsVersionTextsInTheChosenLanguage)
{
    LanguageChoice language;
    CWinApp app("Helmsight");
    app.SetCurrentHandles();
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, "Main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr));

    LoadAboutBox(&owner);
    HWND box = about_box();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(IsWindowVisible(box));
    EXPECT_EQ(GetWindow(box, GW_OWNER), owner.m_hWnd);
    char title[64] = {};
    GetWindowText(box, title, sizeof title);
    EXPECT_STREQ(title, "About Helmsight");
    struct Row {
        int id;
        const char* english;
        const char* french;
    };
    const Row rows[] = {
        {IDC_ABOUT_NAME_LABEL, "Product Name", "Nom du produit"},
        {IDC_ABOUT_VERSION_LABEL, "Repeater Version", "Version du r\xE9p\xE9teur"},
        {IDC_ABOUT_COPYRIGHT_LABEL, "Copyrights", "Droits d'auteur"},
        {IDC_ABOUT_WEB_LABEL, "Web Site", "Site Web"},
        {IDC_ABOUT_NAME, "Helmsight", "Helmsight"},
        {IDC_ABOUT_VERSION, "2.5.0.1", "2.5.0.1"},
        {IDC_ABOUT_COPYRIGHT, "Copyright 2024", "Copyright 2024"},
        {IDC_ABOUT_WEB, "www.varnek.example", "www.varnek.example"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(text_of(box, row.id), row.english) << row.id;
    {
        // White statics with dark blue text, the logo above them.
        CWnd* boxWindow = CWnd::FromHandle(box);
        Picture picture(*boxWindow, "toolkit_about");
        const CRect name = picture.of(GetDlgItem(box, IDC_ABOUT_NAME));
        EXPECT_GT(count_of(*picture.surface, name, RGB(255, 255, 255)), name.Width() * name.Height() / 2);
        EXPECT_GT(count_of(*picture.surface, name, RGB(0, 0, 0xC0), 60), 10);
        EXPECT_GT(count_of(*picture.surface, picture.of(GetDlgItem(box, IDC_ABOUT_LOGO)), RGB(0, 0, 128)), 50);
    }

    // OK hides the box; the next call shows the same box again, now in
    // French and with the texts given.
    driver::click(GetDlgItem(box, IDOK));
    EXPECT_FALSE(IsWindowVisible(box));
    language.set(0);
    LoadAboutBox2(owner.m_hWnd, "Repeater", nullptr, "note");
    EXPECT_EQ(about_box(), box);
    EXPECT_TRUE(IsWindowVisible(box));
    GetWindowText(box, title, sizeof title);
    EXPECT_STREQ(title, "\xC0 propos de Repeater");
    for (const Row& row : rows) {
        if (row.id == IDC_ABOUT_NAME)
            continue;
        EXPECT_EQ(text_of(box, row.id), row.french) << row.id;
    }
    EXPECT_EQ(text_of(box, IDC_ABOUT_NAME), "Repeater");

    // The box goes with its owner, and comes back when asked for.
    owner.DestroyWindow();
    EXPECT_FALSE(IsWindow(box));
    LoadAboutBox(static_cast<HWND>(nullptr));
    EXPECT_NE(about_box(), nullptr);
    DestroyWindow(about_box());
}

}  // namespace
