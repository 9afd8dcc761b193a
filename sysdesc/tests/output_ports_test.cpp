// The output ports: the serial ports the I/O server owns, switched on and
// set to "Output", filtered by their options, against a stand-in server
// window and the server's settings file.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "helm/portlink/channel_block.h"
#include "helm/portlink/port_settings.h"
#include "helm/portlink/server_interface.h"
#include "helm/test/support.h"
#include "sysdesc/SetupdeskFunctions.h"

namespace {

using helm::portlink::BlockKind;
using helm::portlink::ChannelBlock;

class OutputPorts : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("HELM_PORTLINK_INI", m_dir.file("Portserver.ini").c_str(), 1);
        static bool registered = [] {
            WNDCLASS wc{};
            wc.lpfnWndProc = DefWindowProc;
            wc.lpszClassName = PORTSERVER_WINDOW_CLASS;
            return RegisterClass(&wc) != 0;
        }();
        ASSERT_TRUE(registered);
        m_server = CreateWindowEx(0, PORTSERVER_WINDOW_CLASS, "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(m_server, nullptr);
        // port, owned by the server, on, protocol, options
        const struct {
            int port;
            bool owned, on;
            const char* protocol;
            const char* options;
        } ports[] = {
            {2, true, true, "Output", "ZIVUDA "},  {3, true, false, "Output", ""},
            {4, true, true, "NMEA0183", "ZIVUDA "}, {5, true, true, "Output", "ABC ZIVUDA"},
            {6, false, true, "Output", ""},         {7, true, true, "output", ""},
            {32, true, true, "Output", "LAST"},
        };
        for (const auto& p : ports) {
            sCOM_CONFIG config{};
            sPORT_PROTOCOL protocol{};
            F_ReadPortConfig(&config, &protocol, p.port);
            config.on_off = p.on;
            std::strcpy(protocol.name, p.protocol);
            std::strcpy(protocol.options, p.options);
            ASSERT_EQ(F_WritePortConfig(&config, &protocol, p.port), 1);
            if (p.owned) {
                m_blocks.push_back(std::make_unique<ChannelBlock>());
                ASSERT_TRUE(m_blocks.back()->create(p.port, BlockKind::raw, p.protocol));
            }
        }
    }
    void TearDown() override
    {
        m_blocks.clear();
        DestroyWindow(m_server);
        unsetenv("HELM_PORTLINK_INI");
    }
    static std::vector<UINT> listed(const CUIntArray& ports)
    {
        std::vector<UINT> out;
        for (INT_PTR i = 0; i < ports.GetSize(); ++i)
            out.push_back(ports.GetAt(i));
        return out;
    }

    helm::test::TempDir m_dir;
    HWND m_server = nullptr;
    std::vector<std::unique_ptr<ChannelBlock>> m_blocks;
};

TEST_F(OutputPorts, ListsOwnedOutputPortsThatAreOnByTheirFilters)
{
    const struct {
        std::vector<const char*> filters;
        std::vector<UINT> ports;  // 0-based
    } cases[] = {
        {{}, {1, 4, 31}},
        {{"ZIVUDA"}, {1, 4}},
        {{"ABC", "ZIVUDA", "LAST"}, {1, 4, 31}},  // port 6 matches two filters, listed once
        {{"NOTHING"}, {}},
    };
    for (const auto& c : cases) {
        CStringArray filters;
        for (const char* f : c.filters)
            filters.Add(f);
        CUIntArray ports;
        EXPECT_EQ(F_GetOutputComPort(&filters, &ports), c.ports.empty() ? 0 : 1);
        EXPECT_EQ(listed(ports), c.ports);
    }
    // Entries already there stay; a null filter list is no filter.
    CUIntArray ports;
    ports.Add(17);
    EXPECT_EQ(F_GetOutputComPort(nullptr, &ports), 1);
    EXPECT_EQ(listed(ports), (std::vector<UINT>{17, 1, 4, 31}));
    EXPECT_EQ(F_GetOutputComPort(nullptr, nullptr), 0);

    // Without the server nothing is owned.
    DestroyWindow(m_server);
    m_server = nullptr;
    CUIntArray none;
    EXPECT_EQ(F_GetOutputComPort(nullptr, &none), 0);
    EXPECT_EQ(none.GetSize(), 0);
}

}  // namespace
