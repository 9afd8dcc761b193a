// The settings dialogs of a serial port and of a socket, driven as the
// operator drives them: picks in the lists, typing, clicks, Enter and
// Escape.
#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include <unistd.h>

#include <windows.h>

#include "helm/gdi/pixel_checks.h"
#include "helm/portlink/port_settings.h"
#include "helm/portlink/settings_dialogs.h"
#include "helm/test/support.h"
#include "helm/user/common_dialogs.h"
#include "helm/user/snapshot.h"
#include "helm/user/testing/driver.h"
#include "portlink_resource.h"

namespace driver = helm::user::testing;

namespace {

std::function<void(HWND)> g_act;
std::string g_caption;

void CALLBACK look_for_dialog(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = FindWindow("#32770", g_caption.c_str());
    if (!dialog || !IsWindowVisible(dialog))
        return;
    KillTimer(nullptr, timer);
    auto act = std::move(g_act);
    act(dialog);
}

// Runs `act` on the dialog of that caption once it shows, from inside its
// modal loop, as the operator would act on it.
void when_shown(const std::string& caption, std::function<void(HWND)> act)
{
    g_caption = caption;
    g_act = std::move(act);
    SetTimer(nullptr, 0, 10, look_for_dialog);
}

std::string item_text(HWND dialog, int id)
{
    char text[256] = {};
    GetDlgItemText(dialog, id, text, sizeof text);
    return text;
}

void pick(HWND dialog, int combo, const char* entry)
{
    const HWND box = GetDlgItem(dialog, combo);
    const int index = static_cast<int>(SendMessage(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                   reinterpret_cast<LPARAM>(entry)));
    ASSERT_GE(index, 0) << entry;
    ASSERT_TRUE(driver::pick_combo_entry(box, index)) << entry;
}

// Replaces an edit's text by typing.
void retype(HWND dialog, int id, const char* text)
{
    const HWND edit = GetDlgItem(dialog, id);
    driver::focus(edit);
    SendMessage(edit, EM_SETSEL, 0, -1);
    driver::type(text);
}

TEST(ComDialog, ChangesAreWrittenBackOnOk)
{
    sCOM_CONFIG config{1, 1, 9600, 0, 0, 8, 0, 5000};
    when_shown("Settings for COM 3", [](HWND dialog) {
        EXPECT_EQ(item_text(dialog, IDS_COM_PORT_LABEL), "COM n\xB0" "03");
        EXPECT_EQ(item_text(dialog, IDS_BAUD), "BaudRate");
        EXPECT_EQ(item_text(dialog, IDS_TRIGGER), "Caractere de d\xE9" "clenchement");
        EXPECT_EQ(item_text(dialog, IDC_COM_BAUD), "9600");
        EXPECT_EQ(item_text(dialog, IDC_COM_PARITY), "None");
        EXPECT_EQ(item_text(dialog, IDC_COM_TIMEOUT), "5000");
        helm::gdi::testing::keep_png(*helm::user::snapshot_window(dialog), "com_settings_dialog");
        pick(dialog, IDC_COM_BAUD, "19200");
        pick(dialog, IDC_COM_PARITY, "Odd");
        pick(dialog, IDC_COM_STOP_BITS, "2");
        retype(dialog, IDC_COM_TIMEOUT, "1500");
        retype(dialog, IDC_COM_TRIGGER, "10");
        driver::click(GetDlgItem(dialog, IDC_SETTINGS_OK));
    });
    EXPECT_EQ(F_ComDialog(nullptr, 3, &config), 1);
    const sCOM_CONFIG expected{1, 1, 19200, 1, 2, 8, 10, 1500};
    EXPECT_EQ(std::memcmp(&config, &expected, sizeof config), 0);
}

TEST(ComDialog, NothingChangedOrCancelledGivesZero)
{
    // A rate set elsewhere stays on offer and is kept.
    const sCOM_CONFIG start{1, 0, 31250, 2, 0, 7, 0, 200};
    sCOM_CONFIG config = start;
    when_shown("Settings for COM 1", [](HWND dialog) {
        EXPECT_EQ(item_text(dialog, IDC_COM_BAUD), "31250");
        driver::press_enter();
    });
    EXPECT_EQ(F_ComDialog(nullptr, 1, &config), 0);
    when_shown("Settings for COM 1", [](HWND dialog) {
        pick(dialog, IDC_COM_PARITY, "Mark");
        driver::click(GetDlgItem(dialog, IDC_SETTINGS_CANCEL));
    });
    EXPECT_EQ(F_ComDialog(nullptr, 1, &config), 0);
    EXPECT_EQ(std::memcmp(&config, &start, sizeof config), 0);
    EXPECT_EQ(F_ComDialog(nullptr, 33, &config), 0);  // serial ports only
}

TEST(ComDialog, OutOfRangeEntryIsRefusedUntilMended)
{
    sCOM_CONFIG config{1, 0, 9600, 0, 0, 8, 0, 5000};
    std::string question;
    helm::user::set_message_box_answer([&](const helm::user::MessageBoxQuestion& q) {
        question = q.text;
        return IDOK;
    });
    when_shown("Settings for COM 2", [&](HWND dialog) {
        retype(dialog, IDC_COM_TRIGGER, "300");
        driver::click(GetDlgItem(dialog, IDC_SETTINGS_OK));
        EXPECT_FALSE(question.empty());
        EXPECT_TRUE(IsWindowVisible(dialog));
        retype(dialog, IDC_COM_TRIGGER, "36");
        driver::click(GetDlgItem(dialog, IDC_SETTINGS_OK));
    });
    EXPECT_EQ(F_ComDialog(nullptr, 2, &config), 1);
    helm::user::set_message_box_answer({});
    EXPECT_NE(question.find("255"), std::string::npos) << question;
    EXPECT_EQ(config.trigger, 36);
}

class SockDialog : public ::testing::Test {
protected:
    void SetUp() override { setenv("HELM_PORTLINK_INI", m_dir.file("Portserver.ini").c_str(), 1); }
    void TearDown() override { unsetenv("HELM_PORTLINK_INI"); }
    helm::test::TempDir m_dir;
};

TEST_F(SockDialog, ChangesGoToTheRecordAndTheFile)
{
    sSOCK_CONFIG config{1, 3, 8110, {192, 168, 1, 9}, 5000, SOCK_MODE_TCP_CLIENT};
    when_shown("Socket Settings", [](HWND dialog) {
        EXPECT_EQ(item_text(dialog, IDC_SOCK_LABEL), "Socket n\xB0" "2");
        EXPECT_EQ(item_text(dialog, IDC_SOCK_ADDRESS_LABEL), "Adresse IP");
        EXPECT_EQ(item_text(dialog, IDC_SOCK_MODE_FIRST + 3), "UDP Broadcast");
        EXPECT_EQ(item_text(dialog, IDC_SETTINGS_CANCEL), "Cancel");
        EXPECT_EQ(item_text(dialog, IDC_SOCK_ADDRESS), "192.168.1.9");
        EXPECT_EQ(item_text(dialog, IDC_SOCK_PORT), "8110");
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_SOCK_MODE_FIRST + SOCK_MODE_TCP_CLIENT), BST_CHECKED);
        helm::gdi::testing::keep_png(*helm::user::snapshot_window(dialog), "socket_settings_dialog");
        const HWND address = GetDlgItem(dialog, IDC_SOCK_ADDRESS);
        SendMessage(address, IPM_CLEARADDRESS, 0, 0);
        driver::focus(address);
        driver::type("10.0.0.5");
        driver::click(GetDlgItem(dialog, IDC_SOCK_MODE_FIRST + SOCK_MODE_UDP_BROADCAST));
        retype(dialog, IDC_SOCK_PORT, "9000");
        driver::press_enter();
    });
    EXPECT_EQ(F_SockDialog(nullptr, 2, &config), 1);
    const sSOCK_CONFIG expected{1, 3, 9000, {10, 0, 0, 5}, 5000, SOCK_MODE_UDP_BROADCAST};
    EXPECT_EQ(std::memcmp(&config, &expected, sizeof config), 0);
    sSOCK_CONFIG stored{};
    ASSERT_EQ(F_ReadSockConfig(&stored, nullptr, 2), 1);
    EXPECT_EQ(std::memcmp(&stored, &expected, sizeof stored), 0);
}

TEST_F(SockDialog, EscapeOrPortOutOfRangeChangesNothing)
{
    const sSOCK_CONFIG start{0, 0, 8110, {127, 0, 0, 1}, 5000, SOCK_MODE_TCP_SERVER};
    sSOCK_CONFIG config = start;
    when_shown("Socket Settings", [](HWND dialog) {
        retype(dialog, IDC_SOCK_PORT, "9001");
        driver::press_escape();
    });
    EXPECT_EQ(F_SockDialog(nullptr, 1, &config), 0);

    helm::user::set_message_box_answer([](const helm::user::MessageBoxQuestion&) { return IDOK; });
    when_shown("Socket Settings", [](HWND dialog) {
        retype(dialog, IDC_SOCK_PORT, "70000");
        driver::press_enter();  // refused: the dialog stays
        EXPECT_TRUE(IsWindowVisible(dialog));
        driver::press_escape();
    });
    EXPECT_EQ(F_SockDialog(nullptr, 1, &config), 0);
    helm::user::set_message_box_answer({});
    EXPECT_EQ(std::memcmp(&config, &start, sizeof config), 0);
    EXPECT_EQ(F_SockDialog(nullptr, 6, &config), 0);
    EXPECT_NE(access(m_dir.file("Portserver.ini").c_str(), F_OK), 0);  // nothing written
}

}  // namespace
