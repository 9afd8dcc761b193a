// The settings pages of the serial lines and protocols, the network and
// link pages and the settings-file and record pages, driven as a host and
// an operator drive them: what each control posts, every setter and getter
// through the real controls, nothing without a window.

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
#include "pages_fixture.h"

namespace {

using namespace dialogs_test;
namespace driver = helm::user::testing;
using T = Trigger;

struct PageCase {
    const char* name;
    std::function<std::unique_ptr<C_Q_DialogRubrique>()> make;
    // What the host does before the operator acts.
    std::function<void(C_Q_DialogRubrique&)> prepare;
    std::vector<Trigger> triggers;
};

template <class Page>
std::function<std::unique_ptr<C_Q_DialogRubrique>()> maker()
{
    return [] { return std::make_unique<Page>(); };
}
template <class Page>
Page& as(C_Q_DialogRubrique& page)
{
    return static_cast<Page&>(page);
}
void nothing(C_Q_DialogRubrique&) {}

const std::vector<PageCase>& pages()
{
    static const std::vector<PageCase> cases = {
        {"device", maker<C_Q_RubDeviceSettings>(), nothing, {{T::pick, IDC_LIST_DEVICE, 0}}},
        {"PPS input", maker<C_Q_RubPPSInSettings>(), nothing, {{T::pick, IDC_LIST_PROTOCOL, 0}}},
        {"synchro input", maker<C_Q_RubSynchroInSettings>(), nothing, {{T::pick, IDC_LIST_PROTOCOL, 0}}},
        {"serial port", maker<C_Q_RubRsGeneralSettings>(), nothing,
         {{T::pick, IDC_LIST_PARITY, 0}, {T::pick, IDC_LIST_STOP_BITS, 0}, {T::pick, IDC_LIST_RS_LEVEL, 0},
          {T::pick, IDC_LIST_BAUD_RATE, 0}}},
        {"serial hardware", maker<C_Q_RubDsp2RsHardSettings>(), nothing,
         {{T::pick, IDC_LIST_PARITY, 0}, {T::pick, IDC_LIST_STOP_BITS, 1}}},
        {"input", maker<C_Q_RubDsp2RsInputSettings>(),
         [](C_Q_DialogRubrique& p) { as<C_Q_RubDsp2RsInputSettings>(p).F_InitListTimeOut(); },
         {{T::pick, IDC_LIST_PROTOCOL, 0},
          {T::pick, IDC_LIST_BAUD_RATE, 1},
          {T::pick, IDC_LIST_TIME_OUT, 2, "", 0},
          {T::pick, IDC_LIST_TIME_OUT, -1, "", 1},
          {T::type_and_leave, IDC_EDIT_TIME_OUT, 2, "1500"}}},
        {"protocol input", maker<C_Q_RubRsProInSettings>(), nothing,
         {{T::pick, IDC_LIST_PROTOCOL, 0},
          {T::pick, IDC_LIST_TIME_OUT, 0, "", 0},
          {T::pick, IDC_LIST_TIME_OUT, -1, "", 1},
          {T::fill, IDC_EDIT_TIME_OUT, 0, "1234567"}}},
        {"pulse", maker<C_Q_RubPulseSettings>(), nothing,
         {{T::pick, IDC_LIST_PROTOCOL, 0},
          {T::type_and_leave, IDC_EDIT_PARAMETER, 1, "1.5"},
          {T::leave_empty, IDC_EDIT_PARAMETER, -1}}},
        {"output", maker<C_Q_RubRsProOutSettings>(), nothing,
         {{T::pick, IDC_LIST_PROTOCOL, 12},
          {T::pick, IDC_LIST_LEVER_ARM, 10},
          {T::pick, IDC_LIST_SAMPLE_PERIOD, 11, "", 3},
          {T::click, IDC_BUTTON_LIBRARY, 12}}},
        {"Ethernet", maker<C_Q_RubEthernetSettings>(), nothing,
         {{T::pick, IDC_LIST_TRANSPORT, 0},
          {T::type_and_leave, IDC_EDIT_PORT, 0, "8110"},
          {T::leave_empty, IDC_EDIT_PORT, -1},
          {T::fill, IDC_EDIT_PORT, 0, "123456"},
          {T::ip_field, IDC_IP_ADDRESS, 0}}},
        {"Ethernet boot", maker<C_Q_RubEthernetBootSettings>(), nothing,
         {{T::click, IDC_CHECK_DHCP, 0}, {T::ip_field, IDC_IP_ADDRESS, 0}, {T::ip_field, IDC_IP_NET_MASK, 0}}},
        {"broadcast", maker<C_Q_RubEthernetBroadcastSettings>(), nothing, {{T::click, IDC_CHECK_BROADCAST, 0}}},
        {"serial link", maker<C_Q_RubSerialRepSettings>(), nothing,
         {{T::pick, IDC_LIST_SERIAL_PORT, -1}, {T::click, IDC_BUTTON_CONNECT, 0}}},
        {"combined link", maker<C_Q_RubSerialEthernetRepSettings>(), nothing,
         {{T::pick, IDC_LIST_SERIAL_PORT, -1},
          {T::pick, IDC_LIST_SOCKET_PORT, -1},
          {T::click, IDC_BUTTON_CONNECT_SERIAL, 1},
          {T::click, IDC_BUTTON_CONNECT_SOCKET, 2},
          {T::ip_field, IDC_IP_ADDRESS, -1}}},
        {"factory link", maker<C_Q_RubSerialRepUsineSettings>(), nothing,
         {{T::pick, IDC_LIST_USINE_BAUD_RATE, -1},
          {T::click, IDC_BUTTON_CONNECT, 0},
          {T::click, IDS_CHECK_AUTO_LOAD, 1}}},
        {"settings file", maker<C_Q_RubFileSettings>(), nothing, {{T::click, IDC_BUTTON_ACTION, 0}}},
        {"record", maker<C_Q_RubRecordReplay>(),
         [](C_Q_DialogRubrique& p) {
             as<C_Q_RubRecordReplay>(p).P_SetFolderText("\\tmp\\");
             as<C_Q_RubRecordReplay>(p).P_SetFileNameText("run1");
         },
         {{T::click, IDC_BUTTON_RECORD, 0}}},
    };
    return cases;
}

TEST_F(PagesTest, EachControlPostsItsGroup)
{
    for (const PageCase& c : pages()) {
        SCOPED_TRACE(c.name);
        C_Q_DialogRubrique& page = open(c.make());
        c.prepare(page);
        fill_empty_lists(page);
        expect_triggers(page, c.triggers);
        m_pages.clear();
        driver::pump_until_idle();  // what the page posted as it went
    }
}

TEST_F(PagesTest, TitleClickPostsExpandAndEnterOrEscapeCloseNothing)
{
    for (const PageCase& c : pages()) {
        SCOPED_TRACE(c.name);
        C_Q_DialogRubrique& page = open(c.make());
        HWND title = item(page, IDS_TITLE_DEVICE);
        for (HWND child = ::GetWindow(page.m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            if (::GetWindowLong(child, GWL_STYLE) & SS_NOTIFY)
                title = child;
        const bool has_title = title && (::GetWindowLong(title, GWL_STYLE) & SS_NOTIFY);
        EXPECT_EQ(page.F_GetDisplayHeight(false) > 0, has_title);
        if (has_title) {
            m_log->clear();
            driver::click(title);
            const auto told = posted(C_Q_DialogRubrique::F_GetExpandMsg());
            ASSERT_EQ(told.size(), 1u);
            EXPECT_EQ(told[0].first, 0u);
            EXPECT_EQ(told[0].second, reinterpret_cast<LPARAM>(page.m_hWnd));
        }
        page.SendMessage(WM_COMMAND, IDOK, 0);
        page.SendMessage(WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(page.IsWindowVisible());
        m_pages.clear();
    }
}

}  // namespace

namespace {

// Every operation that answers, called on pages that have no window yet.
TEST(PagesWithoutWindow, EveryOperationGivesMinusOne)
{
    NameTable table;
    BYTE a = 1, b = 2, c = 3, d = 4;
    float f = 7.5f;
    CString text = "kept";
    unsigned port = 9, baud = 9;
    unsigned short parity = 9, stop = 9, board = 9;
    C_Q_RubDeviceSettings device;
    C_Q_RubPPSInSettings pps;
    C_Q_RubSynchroInSettings synchro;
    C_Q_RubRsGeneralSettings serial;
    C_Q_RubDsp2RsHardSettings hard;
    C_Q_RubDsp2RsInputSettings input;
    C_Q_RubRsProInSettings protocolInput;
    C_Q_RubPulseSettings pulse;
    C_Q_RubRsProOutSettings output;
    C_Q_RubEthernetSettings ethernet;
    C_Q_RubEthernetBootSettings boot;
    C_Q_RubEthernetBroadcastSettings broadcast;
    C_Q_RubSerialRepSettings serialLink;
    C_Q_RubSerialEthernetRepSettings combined;
    C_Q_RubSerialRepUsineSettings factory;
    C_Q_RubFileSettings file;
    C_Q_RubRecordReplay record;
    const std::vector<std::pair<const char*, std::function<int()>>> calls = {
        {"frame height", [&] { return device.F_GetDisplayHeight(true); }},
        {"frame rect", [&] { return device.F_SetRectAfterCreate(); }},
        {"frame kept rect", [&] { return device.F_GetRectAfterCreate(); }},
        {"frame title", [&] { return device.F_SetTextForRubTitle("x"); }},
        {"device init", [&] { return device.F_InitDialog(); }},
        {"device enable", [&] { return device.F_EnableDialog(true); }},
        {"device fill", [&] { return device.F_InitListDevice(table.get(), 3); }},
        {"device set", [&] { return device.F_SetCurSelListDevice(1); }},
        {"device get", [&] { return device.F_GetCurSelListDevice(); }},
        {"PPS init", [&] { return pps.F_InitDialog(); }},
        {"PPS fill", [&] { return pps.F_InitListProtocol(table.get(), 3); }},
        {"synchro enable", [&] { return synchro.F_EnableDialog(false); }},
        {"synchro set", [&] { return synchro.F_SetCurSelListProtocol(0); }},
        {"synchro get", [&] { return synchro.F_GetCurSelListProtocol(); }},
        {"serial init", [&] { return serial.F_InitDialog(); }},
        {"serial enable", [&] { return serial.F_EnableDialog(true); }},
        {"serial parity", [&] { return serial.F_InitListParity(table.get(), 3); }},
        {"serial stop", [&] { return serial.F_SetCurSelListBitStop(1); }},
        {"serial level", [&] { return serial.F_GetCurSelListRsLevel(); }},
        {"serial baud", [&] { return serial.F_InitListBaudrate(table.get(), 3); }},
        {"hard init", [&] { return hard.F_InitDialog(); }},
        {"hard enable", [&] { return hard.F_EnableDialog(true); }},
        {"hard parity", [&] { return hard.F_SetCurSelListParity(0); }},
        {"hard stop", [&] { return hard.F_GetCurSelListBitStop(); }},
        {"input init", [&] { return input.F_InitDialog(); }},
        {"input enable", [&] { return input.F_EnableDialog(true); }},
        {"input protocol", [&] { return input.F_SetCurSelListProtocol(0); }},
        {"input baud", [&] { return input.F_SetCurSelListBaudRate(0); }},
        {"input baud read", [&] { return input.F_GetCurSelListBaudRate(); }},
        {"input time-out list", [&] { return input.F_InitListTimeOut(); }},
        {"input time-out set", [&] { return input.F_SetCurSelListTimeOut(250); }},
        {"input time-out get", [&] { return input.F_GetCurSelListTimeOut(); }},
        {"protocol input init", [&] { return protocolInput.F_InitDialog(); }},
        {"protocol input time-out", [&] { return protocolInput.F_SetCurSelListTimeOut(0); }},
        {"pulse init", [&] { return pulse.F_InitDialog(); }},
        {"pulse enable", [&] { return pulse.F_EnableDialog(true); }},
        {"pulse title", [&] { return pulse.F_SetTitle("x"); }},
        {"pulse set", [&] { return pulse.F_SetParam(1.5f); }},
        {"pulse get", [&] { return pulse.F_GetParam(&f); }},
        {"output init", [&] { return output.F_InitDialog(); }},
        {"output enable", [&] { return output.F_EnableDialog(true); }},
        {"output lever arm", [&] { return output.F_InitListLeverArm(table.get(), 3); }},
        {"output periods", [&] { return output.F_InitListSmpPeriod(); }},
        {"output period set", [&] { return output.F_SetCurSelListSmpPeriod(1000); }},
        {"output period get", [&] { return output.F_GetCurSelListSmpPeriod(); }},
        {"output period add", [&] { return output.F_InitStructAndViewSmpPeriod(7, "7ms"); }},
        {"Ethernet init", [&] { return ethernet.F_InitDialog(); }},
        {"Ethernet enable", [&] { return ethernet.F_EnableDialog(true); }},
        {"Ethernet transport", [&] { return ethernet.F_GetCurSelListTransport(); }},
        {"Ethernet port set", [&] { return ethernet.F_SetPort(8110); }},
        {"Ethernet port get", [&] { return ethernet.F_GetPort(); }},
        {"Ethernet address set", [&] { return ethernet.F_SetIPAdresse(a, b, c, d); }},
        {"Ethernet address get", [&] { return ethernet.F_GetIPAdresse(a, b, c, d); }},
        {"boot init", [&] { return boot.F_InitDialog(); }},
        {"boot enable", [&] { return boot.F_EnableDialog(true); }},
        {"boot mask", [&] { return boot.F_GetNetMask(a, b, c, d); }},
        {"boot DHCP set", [&] { return boot.F_SetModeDHCP(1); }},
        {"boot DHCP get", [&] { return boot.F_GetModeDHCP(); }},
        {"boot DHCP show", [&] { return boot.F_ShowModeDHCP(false); }},
        {"broadcast init", [&] { return broadcast.F_InitDialog(); }},
        {"broadcast enable", [&] { return broadcast.F_EnableDialog(true); }},
        {"broadcast set", [&] { return broadcast.F_SetModeBroadcast(1); }},
        {"broadcast get", [&] { return broadcast.F_GetModeBroadcast(); }},
        {"combined address", [&] { return combined.F_GetIPAdresse(a, b, c, d); }},
        {"factory read",
         [&] { return factory.P_GetSerialRepSettingsSelected(&port, &baud, &parity, &stop, &board); }},
        {"file folder", [&] { return file.F_GetFolderText(text); }},
        {"file name", [&] { return file.F_GetFileNameText(text); }},
        {"record folder", [&] { return record.F_GetFolderText(text); }},
        {"record name", [&] { return record.F_GetFileNameText(text); }},
    };
    for (const auto& [what, call] : calls)
        EXPECT_EQ(call(), -1) << what;
    // Outputs untouched; the pages without answers read no port.
    EXPECT_EQ((std::vector<int>{a, b, c, d, int(port), int(baud), parity, stop, board}),
              (std::vector<int>{1, 2, 3, 4, 9, 9, 9, 9, 9}));
    EXPECT_EQ(f, 7.5f);
    EXPECT_EQ(text, "kept");
    EXPECT_EQ(serialLink.P_GetSerialRepSelected(), 0u);
    EXPECT_EQ(combined.P_GetSocketRepSelected(), 0u);
    EXPECT_EQ(device.F_GetTitleHeight(), 0);
}

}  // namespace
