// The settings file as Windows installations write it, read and written
// through Portlink.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include <windows.h>

#include "helm/kernel/trace.h"
#include "helm/portlink/port_settings.h"
#include "helm/test/support.h"

namespace {

class PortSettings : public ::testing::Test {
protected:
    void SetUp() override { setenv("HELM_PORTLINK_INI", m_dir.file("Portserver.ini").c_str(), 1); }
    void TearDown() override { unsetenv("HELM_PORTLINK_INI"); }
    void write(const std::string& text) { helm::test::write_file(m_dir.file("Portserver.ini"), text); }
    std::string file() const { return helm::test::read_file(m_dir.file("Portserver.ini")); }

    helm::test::TempDir m_dir;
};

TEST_F(PortSettings, ReadsTheFileAsWindowsWroteIt)
{
    write("[Parametres Port serie]\r\n"
          "On : 1, Off : 00=0\r\n"
          "On : 1, Off : 01=1\r\n"
          "BaudRate1=19200\r\n"
          "Parity1=1\r\n"
          "Stop Bit1=2\r\n"
          "Data Bit1=7\r\n"
          "Caractere de d\xE9" "clenchement1=10\r\n"
          " Timeout(ms)1=3000\r\n"
          "Type De Donn\xE9" "es1=TSS(Tss1)\r\n"
          "Options1=NOCLOCK\r\n"
          "\r\n"
          "[Parametres Ethernet]\r\n"
          "On : 1, Off : 02=1\r\n"
          "Socket Cnx Mode2=1\r\n"
          "Socket Type2=1\r\n"
          "Socket Port2=8110\r\n"
          "Socket IP Address2=192.168.010.009\r\n"
          " Timeout(ms)2=2500\r\n"
          "Type De Donn\xE9" "es2=NMEA0183\r\n");
    sCOM_CONFIG com{};
    sPORT_PROTOCOL protocol{};
    ASSERT_EQ(F_ReadPortConfig(&com, &protocol, 2), 1);
    EXPECT_EQ(com.on_off, 1);
    EXPECT_EQ(com.baud, 19200);
    EXPECT_EQ(com.parity, 1);
    EXPECT_EQ(com.stop_bits, 2);
    EXPECT_EQ(com.data_bits, 7);
    EXPECT_EQ(com.trigger, 10);
    EXPECT_EQ(+com.timeout_ms, 3000);
    EXPECT_STREQ(protocol.name, "TSS(Tss1)");
    EXPECT_STREQ(protocol.options, "NOCLOCK");

    // A port the file does not name has the defaults.
    ASSERT_EQ(F_ReadPortConfig(&com, &protocol, 32), 1);
    EXPECT_EQ(com.on_off, 0);
    EXPECT_EQ(com.baud, 9600);
    EXPECT_EQ(com.data_bits, 8);
    EXPECT_EQ(+com.timeout_ms, 5000);
    EXPECT_STREQ(protocol.name, "NMEA0183");
    EXPECT_STREQ(protocol.options, "");

    // Zero-padded address numbers are decimal, not octal.
    sSOCK_CONFIG sock{};
    ASSERT_EQ(F_ReadSockConfig(&sock, &protocol, 3), 1);
    EXPECT_EQ(sock.on_off, 1);
    EXPECT_EQ(sock.connection_mode, 1);
    EXPECT_EQ(sock.socket_type, 1);
    EXPECT_EQ(sock.ip_port, 8110);
    EXPECT_EQ(sock.ip_address[0], 192);
    EXPECT_EQ(sock.ip_address[1], 168);
    EXPECT_EQ(sock.ip_address[2], 10);
    EXPECT_EQ(sock.ip_address[3], 9);
    EXPECT_EQ(+sock.timeout_ms, 2500);
    EXPECT_STREQ(protocol.name, "NMEA0183");

    EXPECT_EQ(F_ReadPortConfig(&com, &protocol, 0), 0);
    EXPECT_EQ(F_ReadPortConfig(&com, &protocol, 33), 0);
    EXPECT_EQ(F_ReadSockConfig(&sock, &protocol, 6), 0);
}

TEST_F(PortSettings, DamagedAddressesReadAsZero)
{
    for (const char* text : {"1.2.3", "256.1.1.1", "1.2.3.4.5", "a.b.c.d", "1..2.3", "0001.2.3.4"}) {
        write(std::string("[Parametres Ethernet]\r\nSocket IP Address0=") + text + "\r\n");
        sSOCK_CONFIG sock{};
        std::memset(sock.ip_address, 0x55, 4);
        ASSERT_EQ(F_ReadSockConfig(&sock, nullptr, 1), 1);
        EXPECT_EQ(sock.ip_address[0] | sock.ip_address[1] | sock.ip_address[2] | sock.ip_address[3], 0) << text;
    }
}

// A value no line takes gives way to its default with a trace line naming
// it, and the other values of the port stand.
TEST_F(PortSettings, ValuesNoLineTakesReadAsTheirDefaults)
{
    struct Case {
        const char* key;
        const char* value;
        int32_t sCOM_CONFIG::*field;
        int32_t expected;
    };
    const Case cases[] = {
        {"BaudRate0", "0", &sCOM_CONFIG::baud, 9600},
        {"BaudRate0", "1", &sCOM_CONFIG::baud, 9600},
        {"BaudRate0", "2147483647", &sCOM_CONFIG::baud, 9600},
        {"BaudRate0", "4000000", &sCOM_CONFIG::baud, 4000000},
        {"Parity0", "77", &sCOM_CONFIG::parity, 0},
        {"Parity0", "-1", &sCOM_CONFIG::parity, 0},
        {"Parity0", "4", &sCOM_CONFIG::parity, 4},
        {"Data Bit0", "0", &sCOM_CONFIG::data_bits, 8},
        {"Data Bit0", "9", &sCOM_CONFIG::data_bits, 8},
        {"Stop Bit0", "9", &sCOM_CONFIG::stop_bits, 0},
        {"Stop Bit0", "1", &sCOM_CONFIG::stop_bits, 0},  // 1.5 stop bits need 5 data bits
    };
    std::string traced;
    helm::kernel::set_trace_sink([&](std::string_view text) { traced += text; });
    for (const Case& c : cases) {
        traced.clear();
        const bool baud = std::strcmp(c.key, "BaudRate0") == 0;
        write(std::string("[Parametres Port serie]\r\nOn : 1, Off : 00=1\r\n") + (baud ? "" : "BaudRate0=19200\r\n") +
              c.key + "=" + c.value + "\r\n");
        sCOM_CONFIG com{};
        sPORT_PROTOCOL protocol{};
        ASSERT_EQ(F_ReadPortConfig(&com, &protocol, 1), 1);
        EXPECT_EQ(com.*c.field, c.expected) << c.key << "=" << c.value;
        EXPECT_EQ(com.on_off, 1);
        if (!baud) {
            EXPECT_EQ(com.baud, 19200) << c.key << "=" << c.value;
        }
        const bool replaced = std::to_string(c.expected) != c.value;
        EXPECT_EQ(traced.find(std::string(c.key, std::strlen(c.key) - 1) + " " + c.value) != std::string::npos,
                  replaced)
            << traced;
    }
    helm::kernel::set_trace_sink({});
}

TEST_F(PortSettings, LongTextsStayInTheirFields)
{
    const std::string long_name(300, 'N'), long_options(300, 'O');
    write("[Parametres Port serie]\r\nType De Donn\xE9" "es0=" + long_name + "\r\nOptions0=" + long_options + "\r\n");
    sCOM_CONFIG com{};
    sPORT_PROTOCOL protocol{};
    protocol.binary = 0x12345678;
    ASSERT_EQ(F_ReadPortConfig(&com, &protocol, 1), 1);
    EXPECT_EQ(std::string(protocol.name), std::string(255, 'N'));
    EXPECT_EQ(std::string(protocol.options), std::string(255, 'O'));
    EXPECT_EQ(protocol.binary, 0x12345678);
}

TEST_F(PortSettings, WrittenSettingsReadBack)
{
    sCOM_CONFIG com{0, 1, 4800, 2, 2, 7, '\n', 1234};
    sPORT_PROTOCOL protocol{};
    std::strcpy(protocol.name, "Knudsen_Elac");
    std::strcpy(protocol.options, "NOPARSING");
    ASSERT_EQ(F_WritePortConfig(&com, &protocol, 5), 1);
    sSOCK_CONFIG sock{1, 0, 8110, {10, 0, 0, 7}, 900, 3};
    ASSERT_EQ(F_WriteSockConfig(&sock, &protocol, 5), 1);
    // Numbers as decimal text; the address zero-padded.
    EXPECT_NE(file().find("BaudRate4=4800\r\n"), std::string::npos);
    EXPECT_NE(file().find("Socket IP Address4=010.000.000.007\r\n"), std::string::npos);

    sCOM_CONFIG com_back{};
    sPORT_PROTOCOL protocol_back{};
    ASSERT_EQ(F_ReadPortConfig(&com_back, &protocol_back, 5), 1);
    com_back.present = com.present;
    EXPECT_EQ(std::memcmp(&com_back, &com, sizeof com), 0);
    EXPECT_STREQ(protocol_back.name, "Knudsen_Elac");
    EXPECT_STREQ(protocol_back.options, "NOPARSING");
    sSOCK_CONFIG sock_back{};
    ASSERT_EQ(F_ReadSockConfig(&sock_back, nullptr, 5), 1);
    EXPECT_EQ(std::memcmp(&sock_back, &sock, sizeof sock), 0);
}

TEST_F(PortSettings, SynchroSwapPutsTheUserSettingsBack)
{
    write("[Parametres Port serie]\r\nBaudRate0=4800\r\n");
    helm::test::write_file(m_dir.file("Portserver_synchro.ini"), "[Parametres Port serie]\r\nBaudRate0=38400\r\n");
    sCOM_CONFIG com{};
    sPORT_PROTOCOL protocol{};
    ASSERT_EQ(F_restaureSynchroIniFile(), 1);
    F_ReadPortConfig(&com, &protocol, 1);
    EXPECT_EQ(com.baud, 38400);
    com.baud = 57600;
    F_WritePortConfig(&com, &protocol, 1);
    ASSERT_EQ(F_saveSynchroIniFile(), 1);
    F_ReadPortConfig(&com, &protocol, 1);
    EXPECT_EQ(com.baud, 4800);
    EXPECT_NE(helm::test::read_file(m_dir.file("Portserver_synchro.ini")).find("BaudRate0=57600"), std::string::npos);
    EXPECT_EQ(_access(m_dir.file("Portserver_backup.ini").c_str(), 0), -1);
}

}  // namespace
