// The whole road through a real Portserver: Portlink starts it, a client in
// another process subscribes, sentences on the line arrive as records, text
// sent through Portlink reaches the line, and the server closes on request
// with its live settings in the file.
#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "helm/outside/timestamper.h"
#include "server_fixture.h"

using namespace helm::portserver::testing;

namespace {

// Subscribes to both blocks of port 1, then writes one line per parsed
// record, "kind port stamp payload", to the file args[0] until args[1]
// records have come; leaves and ends.
HELM_TEST_CHILD(subscriber)
{
    MSG msg;
    PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);
    sMMF_CLIENT client{};
    if (F_OpenSerialMMF(&client, 1) != 1 || F_ConnectThreadToMMF(&client, GetCurrentThreadId(), 2) != 1)
        return 2;
    const int wanted = std::atoi(args.at(1).c_str());
    const auto& messages = helm::portlink::channel_messages();
    std::ostringstream out;
    for (int seen = 0; seen < wanted;) {
        if (!wait_for_message(&msg, 20000))
            return 3;
        if (msg.message != messages.new_parsed_data)
            continue;
        BYTE* record = nullptr;
        if (msg.wParam != 1 || F_GetParsedMMFData(&client, msg.lParam, &record) != 1)
            return 4;
        const sPARSED_RECORD* head = reinterpret_cast<const sPARSED_RECORD*>(record);
        out << int(head->kind) << ' ' << int(head->port) << ' ';
        if (head->kind == REC_RAW_TEXT) {
            sRAW_TEXT_RECORD text;
            std::memcpy(&text, record, sizeof text);
            char payload[256];
            if (helm::portlink::read_raw_text(client, msg.lParam, payload, sizeof payload) < 0)
                return 5;
            std::string line(payload);
            line.erase(line.find_last_not_of("\r\n") + 1);
            out << text.time_stamp_ms << ' ' << line << '\n';
        } else if (head->kind == REC_HEADING_SPEED) {
            sHEADING_SPEED_RECORD heading;
            std::memcpy(&heading, record, sizeof heading);
            out << heading.head.time_stamp_ms << ' ' << heading.heading_true_deg << '\n';
        } else {
            out << "? ?\n";
        }
        ++seen;
    }
    F_DisconnectThreadToMMF(&client, GetCurrentThreadId());
    F_CloseSerialMMF(&client);
    helm::test::write_file(args.at(0), out.str());
    return 0;
}

struct Arrival {
    int kind, port;
    double stamp;
    std::string payload;
};

std::vector<Arrival> read_arrivals(const std::string& path)
{
    std::vector<Arrival> arrivals;
    std::istringstream in(helm::test::read_file(path));
    Arrival a;
    while (in >> a.kind >> a.port >> a.stamp >> a.payload)
        arrivals.push_back(a);
    return arrivals;
}

class SerialLink : public ServerTest {};

TEST_F(SerialLink, SentencesArriveAndTextGoesOut)
{
    start_with_port_on();
    const auto line = m_pty->line();
    EXPECT_EQ(line.baud, 19200u);
    EXPECT_TRUE(line.odd);
    EXPECT_TRUE(line.two_stop_bits);

    sMMF_CLIENT client{};
    ASSERT_EQ(F_OpenSerialMMF(&client, 1), 1);
    const sMMF_HEADER* raw = helm::portlink::raw_header(client);
    // Start, 8 data bits, the parity bit, 2 stop bits: 12 bits at 19200 baud.
    EXPECT_DOUBLE_EQ(+raw->ms_per_character, 12 * 1000.0 / 19200);
    EXPECT_EQ(+raw->on, 1);
    EXPECT_STREQ(raw->protocol, "NMEA0183");

    const std::string results = m_dir.file("arrivals.txt");
    const std::vector<std::string> sentences = {sentence("KVTRO,1.50,-0.25,0.02"), sentence("HEHDT,123.4,T"),
                                                sentence("KVINF,STATUS,0001")};
    helm::test::Child subscriber = helm::test::spawn_child("subscriber", {results, std::to_string(sentences.size())});
    ASSERT_TRUE(helm::test::eventually([&] { return helm::portlink::parsed_header(client)->subscriber_count == 1; },
                                       10000));

    // What is on the line when the port opens is not kept: the first block
    // after the start goes.
    ASSERT_TRUE(m_pty->write("\r\n"));
    Sleep(200);
    std::vector<std::pair<DWORD, DWORD>> written;
    for (const std::string& s : sentences) {
        const DWORD before = F_GetTickCountEx();
        ASSERT_TRUE(m_pty->write(s));
        written.push_back({before, F_GetTickCountEx()});
        Sleep(50);
    }
    ASSERT_EQ(subscriber.wait(20000), 0);

    const auto arrivals = read_arrivals(results);
    ASSERT_EQ(arrivals.size(), sentences.size());
    EXPECT_EQ(arrivals[0].kind, REC_RAW_TEXT);
    EXPECT_EQ(arrivals[0].payload, "$KVTRO,1.50,-0.25,0.02*" + sentences[0].substr(sentences[0].size() - 4, 2));
    EXPECT_EQ(arrivals[1].kind, REC_HEADING_SPEED);
    EXPECT_NEAR(std::stod(arrivals[1].payload), 123.4, 1e-3);
    EXPECT_EQ(arrivals[2].kind, REC_RAW_TEXT);
    for (size_t i = 0; i < arrivals.size(); ++i) {
        EXPECT_EQ(arrivals[i].port, 1);
        // The stamp is the tick of arrival less the sentence's time on the
        // line, so it may lie up to that much before the write began.
        const double line_time = sentences[i].size() * raw->ms_per_character;
        EXPECT_GE(arrivals[i].stamp, written[i].first - line_time - 2) << i;
        EXPECT_LE(arrivals[i].stamp, written[i].second + 100.0) << i;
    }

    // Text to the line, through the window and through the thread message.
    const std::string command = sentence("KVCNF,GET,1");
    EXPECT_EQ(F_WriteDataToPort(&client, command.c_str()), 1);
    EXPECT_EQ(m_pty->read(command.size()), command);
    const std::string second = sentence("KVCNF,GET,2");
    EXPECT_EQ(F_ConnectWriteDataToPort(1, second.c_str()), 1);
    EXPECT_EQ(m_pty->read(second.size()), second);
    EXPECT_EQ(F_WriteDataToPort(&client, std::string(1024, 'x').c_str()), 0);
    EXPECT_EQ(F_ConnectWriteDataToPort(1, std::string(1024, 'x').c_str()), 0);
    EXPECT_EQ(m_pty->read(1, 200), "");

    // No subscriber is left: the close request ends the server, which
    // writes its live settings.
    EXPECT_EQ(F_CloseSerialMMF(&client), 0);
    EXPECT_EQ(F_StopServer(), 1);
    ASSERT_TRUE(helm::test::eventually([] { return !server_running(); }, 10000));
    EXPECT_EQ(F_IsPortDispo(1), 0);
    sCOM_CONFIG config{};
    sPORT_PROTOCOL protocol{};
    ASSERT_EQ(F_ReadPortConfig(&config, &protocol, 1), 1);
    EXPECT_EQ(config.on_off, 1);
    EXPECT_EQ(config.baud, 19200);
    EXPECT_EQ(config.parity, ODDPARITY);
    EXPECT_EQ(config.stop_bits, TWOSTOPBITS);
    EXPECT_EQ(config.data_bits, 8);
    EXPECT_STREQ(protocol.name, "NMEA0183");
}

}  // namespace
