// The host's side of the serial, protocol, network, link, file and record
// pages: every setter and getter through the real controls, the page
// behaviours the host relies on, and the frame's list fillers.

#include <cstring>

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
#include "helm/user/common_dialogs.h"
#include "pages_fixture.h"

namespace {

using namespace dialogs_test;
namespace driver = helm::user::testing;
using Strings = std::vector<std::string>;

// One list of a page: how the host fills, sets and reads it.
struct ListCase {
    const char* name;
    std::function<std::unique_ptr<C_Q_DialogRubrique>()> make;
    int control;
    std::function<int(C_Q_DialogRubrique&, C_Q_ListTable*, unsigned)> fill;
    std::function<int(C_Q_DialogRubrique&, int)> set;
    std::function<int(C_Q_DialogRubrique&)> get;
};

template <class Page>
ListCase list_case(const char* name, int control, int (Page::*fill)(C_Q_ListTable*, unsigned), int (Page::*set)(int),
                   int (Page::*get)())
{
    return {name,
            [] { return std::make_unique<Page>(); },
            control,
            [fill](C_Q_DialogRubrique& p, C_Q_ListTable* t, unsigned n) { return (static_cast<Page&>(p).*fill)(t, n); },
            [set](C_Q_DialogRubrique& p, int i) { return (static_cast<Page&>(p).*set)(i); },
            [get](C_Q_DialogRubrique& p) { return (static_cast<Page&>(p).*get)(); }};
}

TEST_F(PagesTest, EveryHostListIsFilledSetAndReadBack)
{
    using Device = C_Q_RubDeviceSettings;
    using Serial = C_Q_RubRsGeneralSettings;
    using Hard = C_Q_RubDsp2RsHardSettings;
    using Input = C_Q_RubDsp2RsInputSettings;
    using Output = C_Q_RubRsProOutSettings;
    const ListCase cases[] = {
        list_case<Device>("device", IDC_LIST_DEVICE, &Device::F_InitListDevice, &Device::F_SetCurSelListDevice,
                          &Device::F_GetCurSelListDevice),
        list_case<C_Q_RubPPSInSettings>("PPS", IDC_LIST_PROTOCOL, &C_Q_RubPPSInSettings::F_InitListProtocol,
                                        &C_Q_RubPPSInSettings::F_SetCurSelListProtocol,
                                        &C_Q_RubPPSInSettings::F_GetCurSelListProtocol),
        list_case<C_Q_RubSynchroInSettings>("synchro", IDC_LIST_PROTOCOL,
                                            &C_Q_RubSynchroInSettings::F_InitListProtocol,
                                            &C_Q_RubSynchroInSettings::F_SetCurSelListProtocol,
                                            &C_Q_RubSynchroInSettings::F_GetCurSelListProtocol),
        list_case<Serial>("parity", IDC_LIST_PARITY, &Serial::F_InitListParity, &Serial::F_SetCurSelListParity,
                          &Serial::F_GetCurSelListParity),
        list_case<Serial>("stop bits", IDC_LIST_STOP_BITS, &Serial::F_InitListBitStop, &Serial::F_SetCurSelListBitStop,
                          &Serial::F_GetCurSelListBitStop),
        list_case<Serial>("RS level", IDC_LIST_RS_LEVEL, &Serial::F_InitListRsLevel, &Serial::F_SetCurSelListRsLevel,
                          &Serial::F_GetCurSelListRsLevel),
        list_case<Serial>("baud rate", IDC_LIST_BAUD_RATE, &Serial::F_InitListBaudrate,
                          &Serial::F_SetCurSelListBaudrate, &Serial::F_GetCurSelListBaudrate),
        list_case<Hard>("hard parity", IDC_LIST_PARITY, &Hard::F_InitListParity, &Hard::F_SetCurSelListParity,
                        &Hard::F_GetCurSelListParity),
        list_case<Hard>("hard stop bits", IDC_LIST_STOP_BITS, &Hard::F_InitListBitStop, &Hard::F_SetCurSelListBitStop,
                        &Hard::F_GetCurSelListBitStop),
        list_case<Input>("input protocol", IDC_LIST_PROTOCOL, &Input::F_InitListProtocol,
                         &Input::F_SetCurSelListProtocol, &Input::F_GetCurSelListProtocol),
        list_case<Input>("input baud rate", IDC_LIST_BAUD_RATE, &Input::F_InitListBaudRate,
                         &Input::F_SetCurSelListBaudRate, &Input::F_GetCurSelListBaudRate),
        list_case<C_Q_RubRsProInSettings>("protocol input", IDC_LIST_PROTOCOL,
                                          &C_Q_RubRsProInSettings::F_InitListProtocol,
                                          &C_Q_RubRsProInSettings::F_SetCurSelListProtocol,
                                          &C_Q_RubRsProInSettings::F_GetCurSelListProtocol),
        list_case<C_Q_RubPulseSettings>("pulse protocol", IDC_LIST_PROTOCOL, &C_Q_RubPulseSettings::F_InitListProtocol,
                                        &C_Q_RubPulseSettings::F_SetCurSelListProtocol,
                                        &C_Q_RubPulseSettings::F_GetCurSelListProtocol),
        list_case<Output>("output protocol", IDC_LIST_PROTOCOL, &Output::F_InitListProtocol,
                          &Output::F_SetCurSelListProtocol, &Output::F_GetCurSelListProtocol),
        list_case<Output>("lever arm", IDC_LIST_LEVER_ARM, &Output::F_InitListLeverArm,
                          &Output::F_SetCurSelListLeverArm, &Output::F_GetCurSelListLeverArm),
        list_case<C_Q_RubEthernetSettings>("transport", IDC_LIST_TRANSPORT,
                                           &C_Q_RubEthernetSettings::F_InitListTransport,
                                           &C_Q_RubEthernetSettings::F_SetCurSelListTransport,
                                           &C_Q_RubEthernetSettings::F_GetCurSelListTransport),
    };
    NameTable table;
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.name);
        C_Q_DialogRubrique& page = open(c.make());
        HWND list = item(page, c.control);
        EXPECT_EQ(c.fill(page, table.get(), 3), 0);
        EXPECT_EQ(entries_of(list), (Strings{"name 0", "name 1", "name 2"}));
        EXPECT_EQ(c.get(page), -1) << "nothing selected yet";
        EXPECT_EQ(c.set(page, 2), 2);
        EXPECT_EQ(c.get(page), 2);
        EXPECT_EQ(c.set(page, 5), -1) << "past the entries";
        EXPECT_EQ(c.fill(page, table.get(), 0), 0);
        EXPECT_TRUE(entries_of(list).empty());
        m_pages.clear();
    }
}

TEST_F(PagesTest, ListFillersTrustNeitherTheCountNorTheCells)
{
    auto& page = open(std::make_unique<C_Q_RubDeviceSettings>());
    NameTable table;
    std::memset(table.cells[1], 'X', sizeof table.cells[1]);  // no zero in the cell
    EXPECT_EQ(page.F_InitListDevice(table.get(), 1000), 0);
    const Strings shown = entries_of(item(page, IDC_LIST_DEVICE));
    ASSERT_EQ(shown.size(), 64u);
    EXPECT_EQ(shown[1], std::string(32, 'X'));
    EXPECT_EQ(shown[63], "name 63");
    EXPECT_EQ(page.F_InitListDevice(nullptr, 5), 0);
    EXPECT_TRUE(entries_of(item(page, IDC_LIST_DEVICE)).empty());
}

TEST_F(PagesTest, TimeOutKeepsTheOperatorsValue)
{
    auto& page = open(std::make_unique<C_Q_RubDsp2RsInputSettings>());
    HWND list = item(page, IDC_LIST_TIME_OUT), edit = item(page, IDC_EDIT_TIME_OUT);
    EXPECT_EQ(page.F_InitListTimeOut(), 0);
    EXPECT_EQ(entries_of(list), (Strings{"Automatic", "User setting (ms)..."}));
    EXPECT_FALSE(::IsWindowVisible(edit));
    EXPECT_EQ(page.F_GetCurSelListTimeOut(), -1) << "nothing chosen reads as no user value";
    EXPECT_EQ(page.F_SetCurSelListTimeOut(250), 2);
    EXPECT_EQ(page.F_SetCurSelListTimeOut(250), 2);
    EXPECT_EQ(entries_of(list), (Strings{"Automatic", "User setting (ms)...", "250 ms"}));
    EXPECT_EQ(page.F_GetCurSelListTimeOut(), 250);
    EXPECT_EQ(page.F_SetCurSelListTimeOut(0), 0);
    EXPECT_EQ(page.F_GetCurSelListTimeOut(), -1) << "automatic";

    // The operator's own value: the edit takes its place over the list.
    struct Typed {
        const char* text;
        int selection;
        int read;
    };
    for (const Typed& t : {Typed{"1500", 2, 1500}, Typed{"0", 0, -1}, Typed{"40", 2, 40}}) {
        SCOPED_TRACE(t.text);
        m_log->clear();
        ASSERT_TRUE(driver::pick_combo_entry(list, 1));
        EXPECT_TRUE(::IsWindowVisible(edit));
        EXPECT_FALSE(::IsWindowVisible(list));
        EXPECT_EQ(::GetFocus(), edit);
        EXPECT_TRUE(posted(C_Q_DialogRubrique::F_GetValidateMsg()).empty()) << "nothing until the edit is left";
        driver::type(std::string(t.text) + "x");
        driver::focus(m_main.m_hWnd);
        EXPECT_TRUE(::IsWindowVisible(list));
        EXPECT_FALSE(::IsWindowVisible(edit));
        EXPECT_EQ(::SendMessage(list, CB_GETCURSEL, 0, 0), t.selection);
        EXPECT_EQ(page.F_GetCurSelListTimeOut(), t.read);
        EXPECT_EQ(posted(C_Q_DialogRubrique::F_GetValidateMsg()).size(), 1u);
    }
    // An edit left empty brings back what is shown as chosen: the typed 40.
    m_log->clear();
    ASSERT_TRUE(driver::pick_combo_entry(list, 1));
    driver::focus(m_main.m_hWnd);
    EXPECT_EQ(::SendMessage(list, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(page.F_GetCurSelListTimeOut(), 40);
    EXPECT_TRUE(posted(C_Q_DialogRubrique::F_GetValidateMsg()).empty());

    EXPECT_EQ(page.F_InitDialog(), 0);
    EXPECT_EQ(::SendMessage(list, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(page.F_GetCurSelListTimeOut(), -1);
    EXPECT_EQ(page.F_EnableDialog(false), 0);
    EXPECT_FALSE(::IsWindowEnabled(list));
    EXPECT_FALSE(::IsWindowEnabled(item(page, IDC_LIST_PROTOCOL)));
    EXPECT_FALSE(::IsWindowEnabled(item(page, IDC_LIST_BAUD_RATE)));
    EXPECT_TRUE(::IsWindowEnabled(edit)) << "the edit is not the page's to lock";

    // The protocol-input page fills its time-out list itself.
    auto& input = open(std::make_unique<C_Q_RubRsProInSettings>(), 200);
    EXPECT_EQ(entries_of(item(input, IDC_LIST_TIME_OUT)).size(), 2u);
    EXPECT_EQ(input.F_SetCurSelListTimeOut(1000), 2);
    EXPECT_EQ(input.F_GetCurSelListTimeOut(), 1000);
}

TEST_F(PagesTest, PulseParameterAndPeriodsOfTheOutput)
{
    auto& pulse = open(std::make_unique<C_Q_RubPulseSettings>());
    HWND param = item(pulse, IDC_EDIT_PARAMETER);
    EXPECT_EQ(text_of(param), "0.00");
    EXPECT_EQ(pulse.F_SetParam(12.345f), 0);
    EXPECT_EQ(text_of(param), "12.35");
    float value = 0;
    EXPECT_EQ(pulse.F_GetParam(&value), 0);
    EXPECT_FLOAT_EQ(value, 12.35f);
    ::SetWindowText(param, "");
    value = 3;
    EXPECT_EQ(pulse.F_GetParam(&value), -1);
    EXPECT_EQ(value, 3);
    driver::focus(param);
    driver::type("-1.5x12345");
    EXPECT_EQ(text_of(param), "-1.5123") << "seven characters of a number";
    driver::focus(m_main.m_hWnd);
    EXPECT_EQ(pulse.F_SetTitle("Pulse A"), 0);
    EXPECT_EQ(text_of(item(pulse, IDS_TITLE_PROTOCOL)), "Pulse A");
    EXPECT_EQ(pulse.F_InitDialog(), 0);
    EXPECT_EQ(text_of(param), "0.00");
    EXPECT_EQ(pulse.F_EnableDialog(false), 0);
    EXPECT_FALSE(::IsWindowEnabled(param));

    auto& output = open(std::make_unique<C_Q_RubRsProOutSettings>(), 200);
    HWND periods = item(output, IDC_LIST_SAMPLE_PERIOD);
    const Strings shown = entries_of(periods);
    ASSERT_EQ(shown.size(), 18u);
    EXPECT_EQ(shown[0], "None");
    EXPECT_EQ(shown[12], "1000ms - 1Hz");
    EXPECT_EQ(shown[17], "10000ms - 0.1Hz");
    EXPECT_EQ(output.F_GetCurSelListSmpPeriod(), -1);
    EXPECT_EQ(output.F_SetCurSelListSmpPeriod(1000), 12);
    EXPECT_EQ(output.F_SetCurSelListSmpPeriod(15), -1);
    EXPECT_EQ(output.F_GetCurSelListSmpPeriod(), 1000) << "an unknown period leaves the choice";
    EXPECT_EQ(output.F_InitStructAndViewSmpPeriod(7, "7ms"), 0);
    EXPECT_EQ(output.F_SetCurSelListSmpPeriod(7), 18);
    EXPECT_EQ(output.F_GetCurSelListSmpPeriod(), 7);
    EXPECT_EQ(output.F_InitDialog(), 0);
    EXPECT_EQ(output.F_GetCurSelListSmpPeriod(), -1);
    // "Library" picks the user-defined protocol, entry 2, even when the
    // list lacks it.
    m_log->clear();
    driver::click(item(output, IDC_BUTTON_LIBRARY));
    EXPECT_EQ(posted(C_Q_DialogRubrique::F_GetValidateMsg()).size(), 1u);
    NameTable table;
    output.F_InitListProtocol(table.get(), 3);
    driver::click(item(output, IDC_BUTTON_LIBRARY));
    EXPECT_EQ(output.F_GetCurSelListProtocol(), 2);
    EXPECT_EQ(output.F_EnableDialog(false), 0);
    EXPECT_FALSE(::IsWindowEnabled(periods));
    EXPECT_TRUE(::IsWindowEnabled(item(output, IDC_BUTTON_LIBRARY)));
}

TEST_F(PagesTest, EthernetPortAddressAndTransport)
{
    auto& page = open(std::make_unique<C_Q_RubEthernetSettings>());
    std::vector<std::string> warnings;
    helm::user::set_message_box_answer([&](const helm::user::MessageBoxQuestion& q) {
        warnings.push_back(q.caption + ": " + q.text);
        return IDOK;
    });
    struct Port {
        int port;
        bool warned;
    };
    for (const Port& p : {Port{1024, false}, Port{65535, false}, Port{8110, false}, Port{80, true}, Port{99999, true}}) {
        warnings.clear();
        EXPECT_EQ(page.F_SetPort(p.port), 0);
        EXPECT_EQ(page.F_GetPort(), p.port);
        EXPECT_EQ(warnings.size(), p.warned ? 1u : 0u) << p.port;
    }
    EXPECT_EQ(warnings.at(0), "Warning on Ethernet preferences: 1024 < Port number < 65535");
    helm::user::set_message_box_answer({});
    ::SetWindowText(item(page, IDC_EDIT_PORT), "");
    EXPECT_EQ(page.F_GetPort(), -1);

    EXPECT_EQ(page.F_SetIPAdresse(192, 168, 0, 12), 0);
    BYTE a = 0, b = 0, c = 0, d = 0;
    EXPECT_EQ(page.F_GetIPAdresse(a, b, c, d), 0);
    EXPECT_EQ((std::vector<int>{a, b, c, d}), (std::vector<int>{192, 168, 0, 12}));

    // The address counts for transports other than entries 0 and 3.
    NameTable table;
    page.F_InitListTransport(table.get(), 4);
    HWND address = item(page, IDC_IP_ADDRESS);
    for (int transport : {3, 1, 0, 2}) {
        page.F_SetCurSelListTransport(transport);
        page.F_EnableDialog(true);
        EXPECT_EQ(::IsWindowEnabled(address) != FALSE, transport == 1 || transport == 2) << transport;
        page.F_EnableDialog(false);
        EXPECT_FALSE(::IsWindowEnabled(address));
        EXPECT_EQ(page.F_GetCurSelListTransport(), transport);
        EXPECT_EQ(::IsWindowEnabled(address) != FALSE, transport == 1 || transport == 2) << transport;
    }
    EXPECT_EQ(page.F_InitDialog(), 0);
    EXPECT_TRUE(entries_of(item(page, IDC_LIST_TRANSPORT)).empty());
    EXPECT_EQ(page.F_GetIPAdresse(a, b, c, d), 0);
    EXPECT_EQ(a, 192) << "the address stays";
}

TEST_F(PagesTest, BootAndBroadcastChecks)
{
    auto& boot = open(std::make_unique<C_Q_RubEthernetBootSettings>());
    EXPECT_EQ(boot.F_GetModeDHCP(), BST_UNCHECKED);
    EXPECT_EQ(boot.F_SetModeDHCP(BST_CHECKED), 0);
    EXPECT_EQ(boot.F_GetModeDHCP(), BST_CHECKED);
    EXPECT_EQ(boot.F_SetNetMask(255, 255, 255, 0), 0);
    EXPECT_EQ(boot.F_SetIPAdresse(10, 0, 0, 7), 0);
    BYTE a = 0, b = 0, c = 0, d = 0;
    boot.F_GetNetMask(a, b, c, d);
    EXPECT_EQ((std::vector<int>{a, b, c, d}), (std::vector<int>{255, 255, 255, 0}));
    boot.F_GetIPAdresse(a, b, c, d);
    EXPECT_EQ((std::vector<int>{a, b, c, d}), (std::vector<int>{10, 0, 0, 7}));
    EXPECT_EQ(boot.F_ShowModeDHCP(false), 0);
    EXPECT_FALSE(::IsWindowVisible(item(boot, IDC_CHECK_DHCP)));
    EXPECT_FALSE(::IsWindowVisible(item(boot, IDS_LABEL_DHCP)));
    boot.F_ShowModeDHCP(true);
    EXPECT_TRUE(::IsWindowVisible(item(boot, IDS_LABEL_DHCP)));
    EXPECT_EQ(boot.F_EnableDialog(false), 0);
    for (int id : {IDC_CHECK_DHCP, IDC_IP_ADDRESS, IDC_IP_NET_MASK})
        EXPECT_FALSE(::IsWindowEnabled(item(boot, id))) << id;
    EXPECT_EQ(boot.F_InitDialog(), 0);
    EXPECT_EQ(boot.F_GetModeDHCP(), BST_UNCHECKED);

    auto& broadcast = open(std::make_unique<C_Q_RubEthernetBroadcastSettings>(), 200);
    EXPECT_EQ(broadcast.F_GetDisplayHeight(false), 0) << "no title strip";
    EXPECT_EQ(broadcast.F_SetModeBroadcast(BST_CHECKED), 0);
    EXPECT_EQ(broadcast.F_GetModeBroadcast(), BST_CHECKED);
    EXPECT_EQ(broadcast.F_InitDialog(), 0);
    EXPECT_EQ(broadcast.F_GetModeBroadcast(), BST_UNCHECKED);
    EXPECT_EQ(broadcast.F_EnableDialog(false), 0);
    EXPECT_FALSE(::IsWindowEnabled(item(broadcast, IDC_CHECK_BROADCAST)));
}

TEST_F(PagesTest, SerialLinkShowsItsPortSettingsAndState)
{
    auto& page = open(std::make_unique<C_Q_RubSerialRepSettings>());
    HWND list = item(page, IDC_LIST_SERIAL_PORT), button = item(page, IDC_BUTTON_CONNECT);
    unsigned ports[] = {3, 1, 12};
    page.P_CreateListSerialRep(ports, 3);
    EXPECT_EQ(entries_of(list), (Strings{"COM 3 ", "COM 1 ", "COM 12 "}));
    EXPECT_EQ(page.P_GetSerialRepSelected(), 0u);
    page.P_SelectSerialRep(12, true);
    EXPECT_EQ(page.P_GetSerialRepSelected(), 12u);
    EXPECT_EQ(::SendMessage(button, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_FALSE(::IsWindowEnabled(list));
    const HANDLE connected = reinterpret_cast<HANDLE>(::SendMessage(button, BM_GETIMAGE, IMAGE_ICON, 0));
    page.P_SelectSerialRep(7, false);
    EXPECT_EQ(page.P_GetSerialRepSelected(), 12u) << "an unknown port keeps the selection";
    EXPECT_EQ(::SendMessage(button, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_TRUE(::IsWindowEnabled(list));
    EXPECT_NE(reinterpret_cast<HANDLE>(::SendMessage(button, BM_GETIMAGE, IMAGE_ICON, 0)), connected);
    page.P_CreateListSerialRep(ports, 0);
    EXPECT_TRUE(entries_of(list).empty());
    EXPECT_EQ(page.P_GetSerialRepSelected(), 0u);
    page.P_CreateListSerialRep(ports, 2);
    page.P_SelectSerialRep(9, false);
    EXPECT_EQ(page.P_GetSerialRepSelected(), 3u) << "entry 0 when nothing was selected";

    struct Hard {
        int baud, parity, stop;
        const char *baud_text, *parity_text, *stop_text;
    };
    // Codes outside their ranges show as their numbers.
    for (const Hard& h : {Hard{19200, 1, 2, "19200", "Odd", "2"}, Hard{9600, 0, 1, "9600", "None", "1"},
                          Hard{4800, 2, 1, "4800", "Even", "1"}, Hard{38400, 7, 0, "38400", "7", "0"},
                          Hard{115200, -1, 3, "115200", "-1", "3"}}) {
        page.P_UpdateSerialHardSettings(h.baud, h.parity, h.stop);
        EXPECT_EQ(text_of(item(page, IDC_TEXT_BAUD_RATE)), h.baud_text);
        EXPECT_EQ(text_of(item(page, IDC_TEXT_PARITY)), h.parity_text);
        EXPECT_EQ(text_of(item(page, IDC_TEXT_STOP_BITS)), h.stop_text);
    }
}

TEST_F(PagesTest, CombinedLinkSelectsSerialPortsAndSockets)
{
    auto& page = open(std::make_unique<C_Q_RubSerialEthernetRepSettings>());
    HWND serial = item(page, IDC_LIST_SERIAL_PORT), sockets = item(page, IDC_LIST_SOCKET_PORT);
    HWND serialButton = item(page, IDC_BUTTON_CONNECT_SERIAL), socketButton = item(page, IDC_BUTTON_CONNECT_SOCKET);
    HWND address = item(page, IDC_IP_ADDRESS);
    page.P_CreateListSerialRep(nullptr, 0);
    EXPECT_EQ(entries_of(serial), (Strings{"none"}));
    unsigned ports[] = {1, 2}, indices[] = {1, 2, 3};
    page.P_CreateListSerialRep(ports, 2);
    EXPECT_EQ(entries_of(serial), (Strings{"none", "COM 1 ", "COM 2 "})) << "appended, not replaced";
    page.P_CreateListSocketRep(indices, 3);
    EXPECT_EQ(entries_of(sockets), (Strings{"SOCK 1", "SOCK 2", "SOCK 3"}));

    page.P_SelectRepCnx(2, 34, true);
    EXPECT_EQ(text_of(sockets), "SOCK 2");
    EXPECT_EQ(page.P_GetSocketRepSelected(), 34u);
    EXPECT_FALSE(::IsWindowEnabled(address));
    EXPECT_FALSE(::IsWindowEnabled(sockets));
    EXPECT_EQ(::SendMessage(socketButton, BM_GETCHECK, 0, 0), BST_CHECKED);
    page.P_SelectRepCnx(2, 34, false);
    EXPECT_TRUE(::IsWindowEnabled(address));
    page.P_SelectRepCnx(1, 2, true);
    EXPECT_EQ(page.P_GetSerialRepSelected(), 2u);
    EXPECT_FALSE(::IsWindowEnabled(serial));

    page.P_SelectRepConnectingCnx(2);
    EXPECT_FALSE(::IsWindowEnabled(socketButton));
    EXPECT_FALSE(::IsWindowEnabled(serialButton));
    EXPECT_EQ(::SendMessage(socketButton, BM_GETCHECK, 0, 0), BST_CHECKED);
    page.P_SelectRepConnectingCnx(1);
    EXPECT_TRUE(::IsWindowEnabled(serialButton)) << "the serial link may still be used";
    page.P_EnableRepSerie(false);
    EXPECT_FALSE(::IsWindowEnabled(serial));
    page.P_SelectRepCnx(1, 1, false);
    EXPECT_FALSE(::IsWindowEnabled(serialButton)) << "serial not allowed";
    EXPECT_TRUE(::IsWindowEnabled(socketButton));

    CString baud = "19200", parity = "Odd", stop = "2", transport = "TCP", port = "8110";
    page.P_UpdateSerialHardSettings(&baud, &parity, &stop);
    page.P_UpdateEthernetFixedSettings(&transport, &port);
    EXPECT_EQ(text_of(item(page, IDC_TEXT_BAUD_RATE)), "19200");
    EXPECT_EQ(text_of(item(page, IDC_TEXT_PARITY)), "Odd");
    EXPECT_EQ(text_of(item(page, IDC_TEXT_STOP_BITS)), "2");
    EXPECT_EQ(text_of(item(page, IDC_TEXT_TRANSPORT)), "TCP");
    EXPECT_EQ(text_of(item(page, IDC_TEXT_SOCKET_PORT)), "8110");
    EXPECT_EQ(page.F_SetIPAdresse(10, 1, 2, 3), 0);
    BYTE a = 0, b = 0, c = 0, d = 0;
    EXPECT_EQ(page.F_GetIPAdresse(a, b, c, d), 0);
    EXPECT_EQ(d, 3);
}

TEST_F(PagesTest, FactoryLinkSettingsRoundTrip)
{
    auto& page = open(std::make_unique<C_Q_RubSerialRepUsineSettings>());
    EXPECT_EQ(entries_of(item(page, IDC_LIST_USINE_BAUD_RATE)), (Strings{"19200", "38400", "57600", "115200"}));
    EXPECT_EQ(entries_of(item(page, IDC_LIST_USINE_PARITY)), (Strings{"None", "Odd", "Even"}));
    EXPECT_EQ(entries_of(item(page, IDC_LIST_USINE_STOP_BITS)), (Strings{"1", "2"}));
    EXPECT_EQ(entries_of(item(page, IDC_LIST_USINE_BOARD)), (Strings{"DSP2", "DSP3", "DSP4", "CINT"}));
    unsigned port = 0, baud = 0;
    unsigned short parity = 0, stop = 0, board = 0;
    EXPECT_EQ(page.P_GetSerialRepSettingsSelected(&port, &baud, &parity, &stop, &board), -1) << "no port";
    unsigned ports[] = {4, 5};
    page.P_CreateListSerialRep(ports, 2);
    page.P_SelectSerialRepSettings(5, 57600, 2, 2, 5, true);
    EXPECT_EQ(page.P_GetSerialRepSettingsSelected(&port, &baud, &parity, &stop, &board), 0);
    EXPECT_EQ((std::vector<unsigned>{port, baud, parity, stop, board}), (std::vector<unsigned>{5, 57600, 2, 2, 5}));
    for (int id : {IDC_LIST_SERIAL_PORT, IDC_LIST_USINE_BAUD_RATE, IDC_LIST_USINE_PARITY, IDC_LIST_USINE_STOP_BITS,
                   IDC_LIST_USINE_BOARD})
        EXPECT_FALSE(::IsWindowEnabled(item(page, id))) << id;
    // Values the lists do not hold leave them as they were.
    page.P_SelectSerialRepSettings(4, 9600, 0, 1, 9, false);
    EXPECT_EQ(page.P_GetSerialRepSettingsSelected(&port, &baud, &parity, &stop, &board), 0);
    EXPECT_EQ((std::vector<unsigned>{port, baud, parity, stop, board}), (std::vector<unsigned>{4, 57600, 0, 2, 5}));
    EXPECT_TRUE(::IsWindowEnabled(item(page, IDC_LIST_USINE_BOARD)));
    // Nothing selected: the parity takes the list's -1, the others stay.
    ::SendMessage(item(page, IDC_LIST_USINE_PARITY), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    ::SendMessage(item(page, IDC_LIST_USINE_BOARD), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    board = 77;
    page.P_GetSerialRepSettingsSelected(&port, &baud, &parity, &stop, &board);
    EXPECT_EQ(parity, 65535);
    EXPECT_EQ(board, 77);
}

TEST_F(PagesTest, SettingsFileNamesComeFromTheBrowsers)
{
    helm::user::FileDialogQuestion asked{};
    helm::user::set_file_dialog_answer([&](const helm::user::FileDialogQuestion& q) {
        asked = q;
        return helm::user::FileDialogChoice{true, "/tmp/data/set1.txt", 0};
    });
    helm::user::FolderQuestion folder{};
    helm::user::set_folder_answer([&](const helm::user::FolderQuestion& q) {
        folder = q;
        return helm::user::FileDialogChoice{true, "/tmp/saved", 0};
    });

    auto load = std::make_unique<C_Q_RubFileSettings>();
    load->P_SetTypeDlg(0);
    load->P_SetFolderText(std::string(2000, 'f').c_str());
    load->P_SetFolderText("\\tmp\\");
    load->P_SetFileNameText("last.txt");
    auto& loading = open(std::move(load));
    EXPECT_EQ(text_of(item(loading, IDC_RUB_TITLE)), "Load settings file");
    EXPECT_EQ(text_of(item(loading, IDC_BUTTON_ACTION)), "Load");
    EXPECT_EQ(text_of(item(loading, IDC_EDIT_FOLDER)), "\\tmp\\");
    EXPECT_EQ(text_of(item(loading, IDC_EDIT_FILE_NAME)), "last.txt");
    driver::click(item(loading, IDC_BUTTON_BROWSE));
    EXPECT_FALSE(asked.save);
    ASSERT_EQ(asked.filters.size(), 1u);
    EXPECT_EQ(asked.filters[0], (std::pair<std::string, std::string>{"Settings File(*.txt)", "*.txt"}));
    EXPECT_EQ(asked.default_extension, "txt");
    EXPECT_EQ(asked.initial_folder, "\\tmp");
    CString text;
    EXPECT_EQ(loading.F_GetFileNameText(text), 0);
    EXPECT_EQ(text, "set1.txt");
    EXPECT_EQ(loading.F_GetFolderText(text), 0);
    EXPECT_EQ(text, "\\tmp\\data\\");
    // The file name refuses what no file name may hold.
    HWND name = item(loading, IDC_EDIT_FILE_NAME);
    ::SetWindowText(name, "");
    driver::focus(name);
    driver::type("a:b?c");
    EXPECT_EQ(text_of(name), "abc");
    ::SetWindowText(name, "");
    EXPECT_EQ(loading.F_GetFileNameText(text), -1);

    auto save = std::make_unique<C_Q_RubFileSettings>();
    save->P_SetTypeDlg(1);
    save->P_SetFolderText("\\tmp\\");
    auto& saving = open(std::move(save), 200);
    EXPECT_EQ(text_of(item(saving, IDC_RUB_TITLE)), "Save settings file");
    EXPECT_EQ(text_of(item(saving, IDC_BUTTON_ACTION)), "Save");
    asked = {};
    driver::click(item(saving, IDC_BUTTON_BROWSE));
    EXPECT_TRUE(asked.filters.empty()) << "a save page browses folders, not files";
    EXPECT_EQ(folder.flags, 0x4042u);
    EXPECT_EQ(saving.F_GetFolderText(text), 0);
    EXPECT_EQ(text, "\\tmp\\saved\\");
    helm::user::set_file_dialog_answer({});
    helm::user::set_folder_answer({});
}

TEST_F(PagesTest, RecordingFreezesTheNames)
{
    helm::user::set_folder_answer(
        [](const helm::user::FolderQuestion&) { return helm::user::FileDialogChoice{true, "/tmp/replays", 0}; });
    auto& page = open(std::make_unique<C_Q_RubRecordReplay>());
    HWND record = item(page, IDC_BUTTON_RECORD);
    m_log->clear();
    driver::click(record);
    EXPECT_TRUE(posted(C_Q_DialogRubrique::F_GetValidateMsg()).empty()) << "no names, no recording";
    page.P_SetFileNameText("run1");
    driver::click(record);
    EXPECT_TRUE(posted(C_Q_DialogRubrique::F_GetValidateMsg()).empty()) << "no folder yet";
    driver::click(item(page, IDC_BUTTON_BROWSE));
    CString text;
    EXPECT_EQ(page.F_GetFolderText(text), 0);
    EXPECT_EQ(text, "\\tmp\\replays\\");
    driver::click(record);
    EXPECT_EQ(posted(C_Q_DialogRubrique::F_GetValidateMsg()).size(), 1u);
    EXPECT_EQ(::SendMessage(record, BM_GETCHECK, 0, 0), BST_UNCHECKED) << "the host sets the state";

    page.P_UpdateRecordView(true);
    EXPECT_EQ(::SendMessage(record, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_FALSE(::IsWindowEnabled(item(page, IDC_BUTTON_BROWSE)));
    EXPECT_FALSE(::IsWindowEnabled(item(page, IDC_EDIT_FILE_NAME)));
    page.P_SetFolderText("\\elsewhere\\");
    page.P_SetFileNameText("run2");
    EXPECT_EQ(page.F_GetFolderText(text), 0);
    EXPECT_EQ(text, "\\tmp\\replays\\");
    EXPECT_EQ(page.F_GetFileNameText(text), 0);
    EXPECT_EQ(text, "run1");
    page.P_UpdateRecordView(false);
    page.P_SetFolderText("\\elsewhere\\");
    EXPECT_EQ(page.F_GetFolderText(text), 0);
    EXPECT_EQ(text, "\\elsewhere\\");
    EXPECT_TRUE(::IsWindowEnabled(item(page, IDC_BUTTON_BROWSE)));
    helm::user::set_folder_answer({});
}

}  // namespace
