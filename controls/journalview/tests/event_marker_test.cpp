// The event marker as a container uses it: made by class id, its dialog
// opened for a date, OK only with text, OK and Cancel told by the
// registered message, the text kept within its buffer.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "helm/com/testing/plugin.h"
#include "helm/gdi/pixel_checks.h"
#include "helm/user/snapshot.h"
#include "helm/user/testing/driver.h"
#include "journalview/Journalview.h"
#include "toolkit/testing/profiles.h"

namespace {

using helm::com::ComPtr;
namespace driver = helm::user::testing;

const std::string plugin = HELM_JOURNALVIEW_FILE;

constexpr int date_static = 203, text_edit = 202;

class EventMarkerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(helm::com::testing::register_plugin(plugin));
        ASSERT_EQ(CoCreateInstance(CLSID_EventMarker, nullptr, CLSCTX_INPROC_SERVER, IEventMarker::iid,
                                   m_marker.put_void()),
                  S_OK);
        m_owner = CreateWindowEx(0, "Static", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                                 nullptr);
        m_log = std::make_unique<driver::MessageLog>(m_owner);
        ASSERT_EQ(m_marker->put_HwndNotify(LONG(reinterpret_cast<uintptr_t>(m_owner))), S_OK);
    }
    void TearDown() override
    {
        m_marker.reset();
        m_log.reset();
        DestroyWindow(m_owner);
        helm::com::testing::unregister_plugin(plugin);
        EXPECT_TRUE(helm::com::testing::plugin_idle(plugin));
    }

    static VARIANT date(double value)
    {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_DATE;
        v.date = value;
        return v;
    }
    HWND dialog() const { return FindWindow("#32770", nullptr); }
    bool opened()
    {
        VARIANT_BOOL value = -7;
        EXPECT_EQ(m_marker->get_IsOpened(&value), S_OK);
        EXPECT_TRUE(value == 0 || value == 1) << value;
        return value == 1;
    }
    std::string event_text()
    {
        char buffer[event_text_buffer_size + 8];
        std::memset(buffer, 'Z', sizeof buffer);
        EXPECT_EQ(m_marker->get_EventText(buffer), S_OK);
        for (size_t i = std::strlen(buffer) + 1; i < sizeof buffer; ++i)
            EXPECT_EQ(buffer[i], 'Z') << "written past the text at " << i;
        return buffer;
    }
    // The wParams of the event messages the owner got.
    std::vector<WPARAM> told() const
    {
        std::vector<WPARAM> out;
        for (const auto& m : m_log->messages())
            if (m.message == RegisterWindowMessage(event_marker_message)) {
                EXPECT_TRUE(m.posted);
                EXPECT_EQ(m.lParam, 0);
                out.push_back(m.wParam);
            }
        return out;
    }

    ComPtr<IEventMarker> m_marker;
    HWND m_owner = nullptr;
    std::unique_ptr<driver::MessageLog> m_log;
};

TEST_F(EventMarkerTest, OkIsTakenOnlyWithTextAndTold)
{
    ULONG message = 0;
    EXPECT_EQ(m_marker->get_EventMessage(&message), S_OK);
    EXPECT_EQ(message, RegisterWindowMessage(event_marker_message));
    EXPECT_FALSE(opened());
    EXPECT_EQ(event_text(), "");

    // 2026-12-10 13:05:07.
    ASSERT_EQ(m_marker->F_EventMark(date(46366 + (13 * 3600 + 5 * 60 + 7) / 86400.0)), S_OK);
    HWND box = dialog();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(opened());
    EXPECT_EQ(GetWindow(box, GW_OWNER), m_owner);
    EXPECT_EQ(driver::item_text(box, date_static), "12/10/2026 1:05:07 PM");
    EXPECT_EQ(driver::item_text(box, 0xFFFF & 0), driver::item_text(box, 0));
    HWND ok = GetDlgItem(box, IDOK), edit = GetDlgItem(box, text_edit);
    EXPECT_FALSE(IsWindowEnabled(ok));

    driver::click(edit);
    driver::type("Buoy");
    EXPECT_TRUE(IsWindowEnabled(ok));
    for (int i = 0; i < 4; ++i)
        driver::press(VK_BACK);
    EXPECT_FALSE(IsWindowEnabled(ok)) << "OK follows the text as it is typed";
    driver::type("Buoy 12 passed");
    auto picture = helm::user::snapshot_window(box);
    ASSERT_TRUE(picture);
    helm::gdi::testing::keep_png(*picture, "event_mark_dialog");

    driver::click(ok);
    EXPECT_EQ(told(), (std::vector<WPARAM>{1}));
    EXPECT_FALSE(IsWindow(box));
    EXPECT_FALSE(opened());
    EXPECT_EQ(event_text(), "Buoy 12 passed");
    VARIANT stored;
    VariantInit(&stored);
    EXPECT_EQ(m_marker->get_EventDateTime(&stored), S_OK);
    EXPECT_EQ(stored.vt, VT_DATE);
    VariantClear(&stored);

    // Cancel tells 0 and keeps the text of the last OK.
    m_log->clear();
    ASSERT_EQ(m_marker->F_EventMark(date(46367)), S_OK);
    box = dialog();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(driver::item_text(box, date_static), "12/11/2026");
    driver::click(GetDlgItem(box, text_edit));
    driver::type("not kept");
    driver::click(GetDlgItem(box, IDCANCEL));
    EXPECT_EQ(told(), (std::vector<WPARAM>{0}));
    EXPECT_EQ(event_text(), "Buoy 12 passed");
}

TEST_F(EventMarkerTest, SecondMarkOnlyShowsTheOpenDialog)
{
    ASSERT_EQ(m_marker->F_EventMark(date(46366)), S_OK);
    HWND box = dialog();
    ASSERT_NE(box, nullptr);
    ShowWindow(box, SW_HIDE);
    EXPECT_FALSE(opened());
    ASSERT_EQ(m_marker->F_EventMark(date(10)), S_OK);
    EXPECT_EQ(dialog(), box);
    EXPECT_TRUE(opened());
    EXPECT_EQ(driver::item_text(box, date_static), "12/10/2026") << "the date of the first call stays";
    VARIANT stored;
    VariantInit(&stored);
    m_marker->get_EventDateTime(&stored);
    EXPECT_EQ(stored.date, 46366);
    // The marker going takes its open dialog with it.
    m_marker.reset();
    EXPECT_FALSE(IsWindow(box));
}

TEST_F(EventMarkerTest, TextIsBoundedToItsBuffer)
{
    ASSERT_EQ(m_marker->F_EventMark(date(46366)), S_OK);
    HWND box = dialog();
    driver::click(GetDlgItem(box, text_edit));
    driver::type(std::string(200, '7'));
    driver::type("8");
    EXPECT_EQ(driver::item_text(box, text_edit), std::string(200, '7')) << "the 201st character is refused";
    driver::click(GetDlgItem(box, IDOK));
    EXPECT_EQ(event_text(), std::string(200, '7'));
}

TEST_F(EventMarkerTest, DateThatIsNoDateShowsInvalid)
{
    helm::toolkit::testing::LanguageChoice language;
    language.set(0);
    VARIANT text;
    VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = helm::com::bstr_from_text("tomorrow");
    ASSERT_EQ(m_marker->F_EventMark(text), S_OK);
    VariantClear(&text);
    HWND box = dialog();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(driver::item_text(box, date_static), "Invalid DateTime");
    char caption[64] = {};
    GetWindowText(box, caption, sizeof caption);
    EXPECT_STREQ(caption, "Marque d'\xE9v\xE9nement") << "the caption in the chosen language";
    // A date given as text is converted.
    driver::click(GetDlgItem(box, IDCANCEL));
    VARIANT iso;
    VariantInit(&iso);
    iso.vt = VT_BSTR;
    iso.bstrVal = helm::com::bstr_from_text("2026-12-10 13:05:07");
    ASSERT_EQ(m_marker->F_EventMark(iso), S_OK);
    VariantClear(&iso);
    EXPECT_EQ(driver::item_text(dialog(), date_static), "12/10/2026 1:05:07 PM");
}

}  // namespace
