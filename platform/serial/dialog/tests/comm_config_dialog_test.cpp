// The port settings dialog, driven as the operator drives it: picks in its
// lists, OK, Cancel and Escape.
#include "helm/serial/comm_dialog.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <windows.h>

#include "helm/serial/comm_dialog_ids.h"
#include "helm/gdi/pixel_checks.h"
#include "helm/serial/pty_port.h"
#include "helm/user/snapshot.h"
#include "helm/user/testing/driver.h"

namespace driver = helm::user::testing;

namespace {

std::vector<std::string> entries(HWND combo)
{
    std::vector<std::string> texts;
    const int count = static_cast<int>(SendMessage(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[64] = {};
        if (SendMessage(combo, CB_GETLBTEXTLEN, i, 0) < static_cast<LRESULT>(sizeof text))
            SendMessage(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        texts.push_back(text);
    }
    return texts;
}

class PortSettingsDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_pty.ok());
        DWORD size = sizeof m_config;
        ASSERT_TRUE(GetDefaultCommConfig("COM7", &m_config, &size)) << GetLastError();
        DCB& dcb = m_config.dcb;
        dcb.BaudRate = 19200;
        dcb.ByteSize = 8;
        dcb.Parity = ODDPARITY;
        dcb.StopBits = TWOSTOPBITS;
        dcb.XonLim = 100;
        dcb.EvtChar = '\n';
    }

    helm::serial::testing::PtyPort m_pty{7};
    COMMCONFIG m_config{};
};

TEST_F(PortSettingsDialog, ShowsTheDcbAndOkTakesThePicks)
{
    struct {
        const char* flow_before;  // how the DCB comes
        const char *baud, *data_bits, *parity, *stop_bits, *flow;
        DWORD baud_after;
        BYTE data_bits_after, parity_after, stop_after;
        bool xon_xoff, cts;
        DWORD rts;
    } cases[] = {
        {"None", "4800", "7", "Even", "1", "Xon / Xoff", 4800, 7, EVENPARITY, ONESTOPBIT, true, false,
         RTS_CONTROL_ENABLE},
        {"Xon / Xoff", "9600", "5", "Space", "1.5", "Hardware", 9600, 5, SPACEPARITY, ONE5STOPBITS, false, true,
         RTS_CONTROL_HANDSHAKE},
        {"Hardware", "1200", "6", "None", "2", "None", 1200, 6, NOPARITY, TWOSTOPBITS, false, false,
         RTS_CONTROL_ENABLE},
        {"Hardware", "19200", "8", "Odd", "2", "Hardware", 19200, 8, ODDPARITY, TWOSTOPBITS, false, true,
         RTS_CONTROL_HANDSHAKE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.flow_before) + " to " + c.flow);
        DCB& dcb = m_config.dcb;
        dcb.BaudRate = 19200;
        dcb.ByteSize = 8;
        dcb.Parity = ODDPARITY;
        dcb.StopBits = TWOSTOPBITS;
        dcb.fOutX = dcb.fInX = std::strcmp(c.flow_before, "Xon / Xoff") == 0;
        dcb.fOutxCtsFlow = std::strcmp(c.flow_before, "Hardware") == 0;
        dcb.fRtsControl = dcb.fOutxCtsFlow ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
        std::vector<std::string> before;
        driver::when_dialog_shown("COM7 Properties", [&](HWND dialog) {
            for (int id : {IDC_PORT_BAUD, IDC_PORT_DATA_BITS, IDC_PORT_PARITY, IDC_PORT_STOP_BITS, IDC_PORT_FLOW})
                before.push_back(driver::item_text(dialog, id));
            if (&c == &cases[0])
                helm::gdi::testing::keep_png(*helm::user::snapshot_window(dialog), "port_settings_dialog");
            EXPECT_TRUE(driver::pick_combo_text(GetDlgItem(dialog, IDC_PORT_BAUD), c.baud));
            EXPECT_TRUE(driver::pick_combo_text(GetDlgItem(dialog, IDC_PORT_DATA_BITS), c.data_bits));
            EXPECT_TRUE(driver::pick_combo_text(GetDlgItem(dialog, IDC_PORT_PARITY), c.parity));
            EXPECT_TRUE(driver::pick_combo_text(GetDlgItem(dialog, IDC_PORT_STOP_BITS), c.stop_bits));
            EXPECT_TRUE(driver::pick_combo_text(GetDlgItem(dialog, IDC_PORT_FLOW), c.flow));
            driver::click(GetDlgItem(dialog, IDOK));
        });
        ASSERT_TRUE(CommConfigDialog("COM7", nullptr, &m_config)) << GetLastError();
        EXPECT_EQ(before, (std::vector<std::string>{"19200", "8", "Odd", "2", c.flow_before}));
        EXPECT_EQ(dcb.BaudRate, c.baud_after);
        EXPECT_EQ(dcb.ByteSize, c.data_bits_after);
        EXPECT_EQ(dcb.Parity, c.parity_after);
        EXPECT_EQ(dcb.StopBits, c.stop_after);
        EXPECT_EQ(dcb.fOutX && dcb.fInX, c.xon_xoff);
        EXPECT_EQ(dcb.fOutX || dcb.fInX, c.xon_xoff);
        EXPECT_EQ(dcb.fOutxCtsFlow != 0, c.cts);
        EXPECT_EQ(dcb.fRtsControl, c.rts);
        // What the dialog does not show stays.
        EXPECT_EQ(dcb.XonLim, 100);
        EXPECT_EQ(dcb.EvtChar, '\n');
        EXPECT_EQ(dcb.DCBlength, sizeof(DCB));
    }
}

TEST_F(PortSettingsDialog, UnusualRateIsListedInItsPlaceAndKept)
{
    m_config.dcb.BaudRate = 250000;
    std::vector<std::string> rates;
    std::string picked;
    driver::when_dialog_shown("COM7 Properties", [&](HWND dialog) {
        rates = entries(GetDlgItem(dialog, IDC_PORT_BAUD));
        picked = driver::item_text(dialog, IDC_PORT_BAUD);
        driver::press_enter();
    });
    ASSERT_TRUE(CommConfigDialog("COM7", nullptr, &m_config)) << GetLastError();
    EXPECT_EQ(picked, "250000");
    EXPECT_EQ(rates, (std::vector<std::string>{"110", "300", "1200", "2400", "4800", "9600", "19200", "38400", "57600",
                                               "115200", "230400", "250000", "460800", "921600"}));
    EXPECT_EQ(m_config.dcb.BaudRate, 250000u);
    EXPECT_EQ(m_config.dcb.Parity, ODDPARITY);
}

TEST_F(PortSettingsDialog, CancelAndEscapeLeaveTheDcb)
{
    for (bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Escape" : "Cancel");
        const COMMCONFIG before = m_config;
        driver::when_dialog_shown("COM7 Properties", [escape](HWND dialog) {
            EXPECT_TRUE(driver::pick_combo_text(GetDlgItem(dialog, IDC_PORT_BAUD), "300"));
            if (escape)
                driver::press_escape();
            else
                driver::click(GetDlgItem(dialog, IDCANCEL));
        });
        SetLastError(0);
        EXPECT_FALSE(CommConfigDialog("COM7", nullptr, &m_config));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANCELLED));
        EXPECT_EQ(std::memcmp(&before, &m_config, sizeof before), 0);
    }
}

// Each of these fails at once, without a dialog (one would wait here for
// an operator who never comes).
TEST_F(PortSettingsDialog, RefusedWithoutADialog)
{
    setenv("HELM_COM30", "/nonexistent/tty", 1);
    COMMCONFIG short_config = m_config;
    short_config.dwSize = sizeof(COMMCONFIG) - 1;
    struct {
        const char* what;
        const char* name;
        COMMCONFIG* config;
        DWORD error;
    } cases[] = {
        {"no config", "COM7", nullptr, ERROR_INVALID_PARAMETER},
        {"config too short", "COM7", &short_config, ERROR_INVALID_PARAMETER},
        {"no name", nullptr, &m_config, ERROR_INVALID_PARAMETER},
        {"not a port", "LPT1", &m_config, ERROR_FILE_NOT_FOUND},
        {"port without device", "COM30", &m_config, ERROR_FILE_NOT_FOUND},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetLastError(0);
        EXPECT_FALSE(CommConfigDialog(c.name, nullptr, c.config));
        EXPECT_EQ(GetLastError(), c.error);
    }
    unsetenv("HELM_COM30");
}

}  // namespace
