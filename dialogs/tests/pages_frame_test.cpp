// The page frame as a host panel uses it: pages stacked in a column, each
// folded and unfolded by a click on its title strip; the pages' texts in
// the chosen language; every page as the operator sees it.

#include <algorithm>

#include "dialogs/C_Q_RubDeviceSettings.h"
#include "dialogs/C_Q_RubDsp2RsHardSettings.h"
#include "dialogs/C_Q_RubDsp2RsInputSettings.h"
#include "dialogs/C_Q_RubEthernetBootSettings.h"
#include "dialogs/C_Q_RubEthernetBroadcastSettings.h"
#include "dialogs/C_Q_RubEthernetSettings.h"
#include "dialogs/C_Q_RubFileSettings.h"
#include "dialogs/C_Q_RubPPSInSettings.h"
#include "dialogs/C_Q_RubPulseSettings.h"
#include "dialogs/C_Q_RubRecordReplay.h"
#include "dialogs/C_Q_RubRsGeneralSettings.h"
#include "dialogs/C_Q_RubRsProInSettings.h"
#include "dialogs/C_Q_RubRsProOutSettings.h"
#include "dialogs/C_Q_RubSerialEthernetRepSettings.h"
#include "dialogs/C_Q_RubSerialRepSettings.h"
#include "dialogs/C_Q_RubSerialRepUsineSettings.h"
#include "dialogs/C_Q_RubSynchroInSettings.h"
#include "dialogs/HelmdialogsRes.h"
#include "helm/gdi/pixel_checks.h"
#include "helm/user/resources.h"
#include "helm/user/snapshot.h"
#include "pages_fixture.h"

namespace {

using namespace dialogs_test;
namespace driver = helm::user::testing;

UINT g_expand = C_Q_DialogRubrique::F_GetExpandMsg();

// A panel of the main program: its pages in a column, each folded to its
// title strip or unfolded to its whole height as its title is clicked.
class StackingPanel : public CWnd {
public:
    void add(C_Q_DialogRubrique& page)
    {
        m_pages.push_back({&page, false});
        layout();
    }
    bool folded(const C_Q_DialogRubrique& page) const
    {
        for (const Entry& e : m_pages)
            if (e.page == &page)
                return e.folded;
        return false;
    }

protected:
    LRESULT OnExpand(WPARAM, LPARAM page)
    {
        for (Entry& e : m_pages)
            if (reinterpret_cast<LPARAM>(e.page->m_hWnd) == page)
                e.folded = !e.folded;
        layout();
        return 0;
    }

private:
    struct Entry {
        C_Q_DialogRubrique* page;
        bool folded;
    };
    void layout()
    {
        int top = 0;
        for (Entry& e : m_pages) {
            CRect rect;
            e.page->GetWindowRect(&rect);
            const int height = e.page->F_GetDisplayHeight(!e.folded);
            e.page->MoveWindow(0, top, rect.Width(), height);
            top += height;
        }
    }
    std::vector<Entry> m_pages;

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(StackingPanel, CWnd)
    ON_REGISTERED_MESSAGE(g_expand, OnExpand)
END_MESSAGE_MAP()

CRect rect_in_parent(CWnd& window)
{
    CRect rect;
    window.GetWindowRect(&rect);
    window.GetParent()->ScreenToClient(&rect);
    return rect;
}

TEST_F(PagesTest, TitleStripsFoldAndUnfoldThePagesOfAPanel)
{
    StackingPanel panel;
    ASSERT_TRUE(panel.CreateEx(0, AfxRegisterWndClass(0, nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)),
                               "", WS_CHILD | WS_VISIBLE, 0, 0, 420, 460, m_main.m_hWnd, nullptr));
    C_Q_RubDeviceSettings device(&panel);
    C_Q_RubRsGeneralSettings serial(&panel);
    C_Q_RubEthernetSettings ethernet(&panel);
    C_Q_DialogRubrique* pages[] = {&device, &serial, &ethernet};
    for (C_Q_DialogRubrique* page : pages) {
        ASSERT_TRUE(page->Create(page->m_lpszTemplateName, &panel));
        page->ShowWindow(SW_SHOW);
        panel.add(*page);
    }
    const int full[] = {device.F_GetDisplayHeight(true), serial.F_GetDisplayHeight(true),
                        ethernet.F_GetDisplayHeight(true)};
    for (C_Q_DialogRubrique* page : pages) {
        EXPECT_EQ(page->F_GetRectAfterCreate(), page->F_GetDisplayHeight(true));
        EXPECT_EQ(page->F_GetDisplayHeight(false), page->F_GetTitleHeight());
        EXPECT_GT(page->F_GetTitleHeight(), 0);
        EXPECT_LT(page->F_GetTitleHeight(), page->F_GetDisplayHeight(true));
    }
    EXPECT_EQ(rect_in_parent(ethernet).top, full[0] + full[1]);

    // Fold the middle page: the last one moves up under its title strip.
    driver::click(::GetDlgItem(serial.m_hWnd, IDS_TITLE_SERIAL));
    EXPECT_TRUE(panel.folded(serial));
    EXPECT_EQ(rect_in_parent(serial).Height(), serial.F_GetTitleHeight());
    EXPECT_EQ(rect_in_parent(ethernet).top, full[0] + serial.F_GetTitleHeight());
    auto picture = helm::user::snapshot_window(m_main.m_hWnd);
    ASSERT_TRUE(picture);
    helm::gdi::testing::keep_png(*picture, "pages_folded");
    // Its lists are out of sight: below the strip, the next page's title.
    const RECT strip = helm::user::rect_in_snapshot(m_main.m_hWnd, ::GetDlgItem(ethernet.m_hWnd, IDS_TITLE_ETHERNET));
    EXPECT_TRUE(helm::gdi::testing::pixel_is(*picture, strip.right - 2, strip.top + 2, RGB(255, 255, 255)));

    // Fold the first, then unfold both: back to the full column. (Two
    // clicks in a row on one strip would be a double click.)
    driver::click(::GetDlgItem(device.m_hWnd, IDS_TITLE_DEVICE));
    EXPECT_EQ(rect_in_parent(serial).top, device.F_GetTitleHeight());
    driver::click(::GetDlgItem(serial.m_hWnd, IDS_TITLE_SERIAL));
    driver::click(::GetDlgItem(device.m_hWnd, IDS_TITLE_DEVICE));
    EXPECT_EQ(rect_in_parent(serial).top, full[0]);
    EXPECT_EQ(rect_in_parent(serial).Height(), full[1]);
    EXPECT_EQ(rect_in_parent(ethernet).top, full[0] + full[1]);

    // The title strip's own look: dark blue underlined text on white.
    EXPECT_EQ(device.F_SetTextForRubTitle("Sensor device"), 0);
    EXPECT_EQ(text_of(::GetDlgItem(device.m_hWnd, IDS_TITLE_DEVICE)), "Sensor device");
    for (C_Q_DialogRubrique* page : pages)
        page->DestroyWindow();
    panel.DestroyWindow();
}

// Every page of the serial, protocol, network, link and file Parts.
struct Shown {
    const char* name;
    std::function<std::unique_ptr<C_Q_DialogRubrique>()> make;
};
template <class Page>
Shown shown(const char* name)
{
    return {name, [] { return std::make_unique<Page>(); }};
}
const std::vector<Shown>& every_page()
{
    static const std::vector<Shown> pages = {
        shown<C_Q_RubDeviceSettings>("device"),
        shown<C_Q_RubPPSInSettings>("pps_input"),
        shown<C_Q_RubSynchroInSettings>("synchro_input"),
        shown<C_Q_RubRsGeneralSettings>("serial_port"),
        shown<C_Q_RubDsp2RsHardSettings>("serial_hardware"),
        shown<C_Q_RubDsp2RsInputSettings>("input"),
        shown<C_Q_RubRsProInSettings>("protocol_input"),
        shown<C_Q_RubPulseSettings>("pulse"),
        shown<C_Q_RubRsProOutSettings>("output"),
        shown<C_Q_RubEthernetSettings>("ethernet"),
        shown<C_Q_RubEthernetBootSettings>("ethernet_boot"),
        shown<C_Q_RubEthernetBroadcastSettings>("broadcast"),
        shown<C_Q_RubSerialRepSettings>("serial_link"),
        shown<C_Q_RubSerialEthernetRepSettings>("combined_link"),
        shown<C_Q_RubSerialRepUsineSettings>("factory_link"),
        shown<C_Q_RubFileSettings>("settings_file"),
        shown<C_Q_RubRecordReplay>("record"),
    };
    return pages;
}

// The statics of a page whose ids are strings of the library's table.
std::vector<HWND> string_statics(HWND page)
{
    HMODULE library = GetModuleHandle("helm_dialogs");
    std::vector<HWND> out;
    for (HWND child = ::GetWindow(page, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const int id = ::GetDlgCtrlID(child);
        if (id > 0 && helm::user::string_resource(library, static_cast<UINT>(id), 0x0409))
            out.push_back(child);
    }
    return out;
}

TEST_F(PagesTest, StaticsTakeTheirStringsInTheChosenLanguage)
{
    HMODULE library = GetModuleHandle("helm_dialogs");
    ASSERT_NE(library, nullptr);
    for (LANGID language : {LANGID(0x0409), LANGID(0x040C)}) {
        m_language.set(language == 0x040C ? 0 : 1);
        for (const Shown& s : every_page()) {
            SCOPED_TRACE(std::string(s.name) + (language == 0x040C ? " in French" : " in English"));
            C_Q_DialogRubrique& page = open(s.make());
            const std::vector<HWND> statics = string_statics(page.m_hWnd);
            EXPECT_FALSE(statics.empty());
            for (HWND label : statics) {
                const UINT id = static_cast<UINT>(::GetDlgCtrlID(label));
                EXPECT_EQ(text_of(label), *helm::user::string_resource(library, id, language)) << id;
                EXPECT_NE(text_of(label), "Text");
            }
            m_pages.clear();
        }
    }
}

TEST_F(PagesTest, EveryPageAsTheOperatorSeesIt)
{
    NameTable table("entry");
    for (const char* language : {"en", "fr"}) {
        m_language.set(std::string(language) == "fr" ? 0 : 1);
        for (const Shown& s : every_page()) {
            if (std::string(language) == "fr" && std::string(s.name) != "combined_link" &&
                std::string(s.name) != "output")
                continue;
            SCOPED_TRACE(s.name);
            C_Q_DialogRubrique& page = open(s.make(), 4);
            // Lists show their first entry, as after the host's filling.
            for (HWND child = ::GetWindow(page.m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
                char name[32] = {};
                ::GetClassName(child, name, sizeof name);
                if (std::string(name) != "ComboBox")
                    continue;
                if (::SendMessage(child, CB_GETCOUNT, 0, 0) == 0)
                    for (const char* entry : {"NMEA 0183", "Binary"})
                        ::SendMessage(child, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
                ::SendMessage(child, CB_SETCURSEL, 0, 0);
            }
            auto picture = helm::user::snapshot_window(m_main.m_hWnd);
            ASSERT_TRUE(picture);
            helm::gdi::testing::keep_png(*picture, std::string("page_") + s.name + "_" + language);
            // No control reaches past the page, and none overlaps another
            // but the ones laid over each other on purpose.
            CRect client;
            page.GetClientRect(&client);
            std::vector<std::pair<int, CRect>> placed;
            for (HWND child = ::GetWindow(page.m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
                if (!::IsWindowVisible(child))
                    continue;
                CRect r;
                ::GetWindowRect(child, &r);
                page.ScreenToClient(&r);
                char name[32] = {};
                ::GetClassName(child, name, sizeof name);
                if (std::string(name) == "ComboBox")
                    r.bottom = r.top + 21;  // the field; the list drops over the rest
                EXPECT_TRUE(client.PtInRect(r.TopLeft()) && r.right <= client.right && r.bottom <= client.bottom)
                    << ::GetDlgCtrlID(child) << " leaves the page";
                // Group boxes hold the controls they frame.
                if (std::string(name) == "Button" && (::GetWindowLong(child, GWL_STYLE) & 0xF) == BS_GROUPBOX)
                    continue;
                for (const auto& [other, o] : placed) {
                    CRect overlap;
                    if (overlap.IntersectRect(&r, &o))
                        ADD_FAILURE() << ::GetDlgCtrlID(child) << " overlaps " << other;
                }
                placed.emplace_back(::GetDlgCtrlID(child), r);
            }
            m_pages.clear();
        }
    }
}

}  // namespace
