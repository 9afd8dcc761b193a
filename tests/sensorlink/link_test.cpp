// The sensor link through a real Portserver to the talvor-sim program:
// connection states, data, the full reading of a Talvor4, a setting sent
// and answered, disconnection, lost answers, a sleeping sensor, an
// inertial system, a server killed under the link, a port already in use,
// replay and remote support.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <termios.h>

#include <cmath>

#include "helm/sensorlink/C_Q_SerialServer.h"
#include "helm/sensorlink/testing/talvor_read.h"
#include "link_fixture.h"

using namespace helm::sensorlink::testing;

namespace {

// How far (in degrees of the simulated turn, 0.5 a second) a heading lags
// the simulator's heading at the time it was read. The sentence rounds to
// 0.001, so a heading read at once may lead by 0.0005.
double heading_lag(const Posted& p)
{
    return std::fmod(talvor_sim::heading_at(p.at_ms) - p.data.Heading + 360.0 + 0.01, 360.0) - 0.01;
}

struct Transport {
    const char* name;
    bool tcp;
};

void PrintTo(const Transport& t, std::ostream* os) { *os << t.name; }

class SensorLink : public LinkTest, public ::testing::WithParamInterface<Transport> {};

TEST_P(SensorLink, ConnectsReadsTheSensorWholeSendsASettingAndDisconnects)
{
    if (GetParam().tcp) {
        ASSERT_TRUE(sim.start_on_tcp({"--tcp", "8110", "--model", "TALV4"}, 60000));
        start_server();
        connect(CNX_TYPE_SOCKET, 33, tcp_link());
    } else {
        start_on_pty({"--model", "TALV4"});
        connect(CNX_TYPE_SERIAL, 1, serial_link());
        // The line as the server set it up for the link.
        const int fd = open(sim.where().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(fd, 0);
        termios tio{};
        ASSERT_EQ(tcgetattr(fd, &tio), 0);
        close(fd);
        EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B19200));
        EXPECT_TRUE(tio.c_cflag & PARODD);
        EXPECT_TRUE(tio.c_cflag & CSTOPB);
    }

    // Data: each heading is the simulator's at most a few seconds late.
    ASSERT_TRUE(window->pump_until([&] { return window->data().size() >= 60; }, 30000));
    std::vector<float> headings;
    for (const Posted& p : window->data()) {
        if (p.lParam != TVR_DATA_HEADING)
            continue;
        headings.push_back(p.data.Heading);
        EXPECT_GE(heading_lag(p), -0.0006) << p.data.Heading;
        EXPECT_LE(heading_lag(p), 5.0) << p.data.Heading;
    }
    ASSERT_GE(headings.size(), 5u);
    EXPECT_NE(headings.front(), headings.back());

    // The whole reading of the model, every text and setting answered.
    ASSERT_TRUE(wait_for_full_load(100000));
    EXPECT_EQ(window->count(C_Q_TvrCtrlCmd::F_GetTvrStartLoadMsg()), 1u);
    C_Q_TvrCtrlCmd& cmd = *link->F_GetTvrCtrlCmd();
    expect_talvor_read(cmd, talvor_sim::Simulator(talvor_sim::Model::Talvor4));
    const std::vector<LPARAM> texts = window->txt();
    for (LPARAM id : {1526, 1529, 1533, 1534, 1536, 1543, 1546, 1547})
        EXPECT_NE(std::find(texts.begin(), texts.end(), id), texts.end()) << id;

    // One setting: sent, taken by the sensor and answered.
    cmd.F_UpdateTvrAllCnf(false);
    sTVR_SETTINGS& edited = *cmd.F_GetAllTvrCnfIhm();
    edited.Bias.X = 0.5f;
    edited.Bias.Y = -0.25f;
    edited.Bias.Z = 0.125f;
    const size_t answers_before = window->cnf().size();
    cmd.F_AddNewMsgFifo(TVR_ID_BIAS, 1, false, 0);
    ASSERT_TRUE(window->pump_until(
        [&] {
            const std::vector<LPARAM> cnf = window->cnf();
            return std::find(cnf.begin() + static_cast<long>(answers_before), cnf.end(), TVR_ID_BIAS) != cnf.end();
        },
        20000));
    const sTVR_SETTINGS& read = *cmd.F_GetAllTvrCnfSys();
    EXPECT_EQ(read.Bias.X, 0.5f);
    EXPECT_EQ(read.Bias.Y, -0.25f);
    EXPECT_EQ(read.Bias.Z, 0.125f);
    EXPECT_TRUE(read.Bias.Valid);
    EXPECT_EQ(cmd.F_GetTailleFifo(), 0u);

    // Disconnection: one "disconnected", and nothing after it.
    const unsigned short port = GetParam().tcp ? 33 : 1;
    EXPECT_EQ(link->F_DisconnectCnxSystem(), 0);
    window->pump_for(1500);
    const UINT state = C_Q_Server::F_GetServerConnectionStateMessage();
    ASSERT_FALSE(window->log.empty());
    EXPECT_EQ(window->log.back().message, state);
    EXPECT_EQ(window->log.back().wParam, static_cast<WPARAM>(SERVER_STATE_DISCONNECTED));
    EXPECT_EQ(window->states(), (std::vector<WPARAM>{SERVER_STATE_CONNECTING, SERVER_STATE_CONNECTED,
                                                     SERVER_STATE_DISCONNECTED}));
    EXPECT_EQ(link->F_GetCnxSystemState(), 0);
    EXPECT_EQ(link->F_AskSendFrameToSystem(), -1);
    EXPECT_EQ(F_GetPortOnOff(port), 0);
    EXPECT_EQ(cmd.F_GetTvrSystemType(), 0);
}

INSTANTIATE_TEST_SUITE_P(Transports, SensorLink,
                         ::testing::Values(Transport{"pty", false}, Transport{"tcp8110", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LinkTest, LostAnswersAreAskedAgainAndTheLinkStaysUp)
{
    start_on_pty({"--model", "TALV4", "--drop", "40"});
    connect(CNX_TYPE_SERIAL, 1, serial_link());
    // The model's ask goes out at each turn of the queue while its answers
    // are lost; data keeps coming and the link stays.
    ASSERT_TRUE(window->pump_until([&] { return occurrences(trace(), "$KVTXT,EQP___,,*") >= 5; }, 30000));
    EXPECT_EQ(link->F_GetCnxSystemState(), 1);
    EXPECT_EQ(window->states(), (std::vector<WPARAM>{SERVER_STATE_CONNECTING, SERVER_STATE_CONNECTED}));
    EXPECT_GT(window->data().size(), 20u);
    // Once answers come through again, the reading goes to its end.
    ASSERT_TRUE(wait_for_full_load(100000));
    EXPECT_EQ(link->F_GetTvrCtrlCmd()->F_GetTvrSystemType(), 7);
    // The trace holds what was received too.
    EXPECT_NE(trace().find("$KVTXT,EQP___,E,1,0,TALV4*"), std::string::npos);
}

TEST_F(LinkTest, ASleepingSensorIsWokenAndRead)
{
    start_on_pty({"--model", "TALV4", "--asleep"});
    connect(CNX_TYPE_SERIAL, 1, serial_link());
    ASSERT_TRUE(window->pump_until(
        [&] { return window->count(C_Q_TvrCtrlCmd::F_GetTvrStartLoadMsg()) > 0; }, 30000));
    EXPECT_NE(trace().find("$KVST_,WAKE*"), std::string::npos);
    EXPECT_FALSE(window->data().empty());
}

TEST_F(LinkTest, AnInertialSystemIsReadThroughTheSameLink)
{
    link->F_UpdateCheminSoft(m_dir.path().c_str(), false, 1);
    start_on_pty({"--ins", "QUIL7"});
    connect(CNX_TYPE_SERIAL, 1, serial_link());
    C_Q_InsCtrlCmd& cmd = *link->F_GetInsCtrlCmd();
    ASSERT_TRUE(window->pump_until(
        [&] { return window->count(C_Q_InsCtrlCmd::F_GetInsStartLoadMsg()) > 0 && cmd.F_GetTailleFifo() == 0; },
        100000));
    EXPECT_EQ(cmd.F_GetInsSystemType(), INS_SYSTEM_QUILLO7IO);
    EXPECT_GT(window->count(C_Q_InsData::F_GetInsDataMsg()), 10u);
    EXPECT_GT(window->count(C_Q_InsCtrlCmd::F_GetInsCnfMsg()), 10u);
    EXPECT_TRUE(window->data().empty());  // nothing of the Talvor's
}

TEST_F(LinkTest, AServerKilledUnderTheLinkIsReported)
{
    start_on_pty({"--model", "TALV4"});
    connect(CNX_TYPE_SERIAL, 1, serial_link());
    ASSERT_TRUE(window->pump_until([&] { return window->data().size() >= 10; }, 20000));
    const pid_t server = helm::portserver::testing::server_pid();
    ASSERT_GT(server, 0);
    ASSERT_EQ(::kill(server, SIGKILL), 0);
    ASSERT_TRUE(window->pump_until([&] { return window->states().size() >= 3; }, 30000));
    window->pump_for(1000);
    EXPECT_EQ(window->states(), (std::vector<WPARAM>{SERVER_STATE_CONNECTING, SERVER_STATE_CONNECTED,
                                                     SERVER_STATE_DISCONNECTED}));
    EXPECT_EQ(link->F_GetCnxSystemState(), -2);
    EXPECT_EQ(link->F_AskSendFrameToSystem(), -1);
    // The main program's answer to it still works, and so does a new try.
    EXPECT_EQ(link->F_DisconnectCnxSystem(), 0);
    EXPECT_EQ(link->F_GetCnxSystemState(), 0);
    sCNX_PARAM param = serial_link();
    EXPECT_EQ(link->F_ConnectToSystem(CNX_TYPE_SERIAL, 1, &param), -1);
}

TEST_F(LinkTest, APortAlreadyInUseIsRefused)
{
    start_on_pty({"--model", "TALV4"});
    C_Q_Server& server = *link;
    // The ports on offer: the terminal's and every socket.
    ASSERT_EQ(server.F_CheckAndListValidSerialPort(), 0);
    const unsigned int* serial = server.F_GetListValidSerialPort();
    EXPECT_NE(std::find(serial, serial + server.F_GetTailleListSerialPort(), 1u),
              serial + server.F_GetTailleListSerialPort());
    ASSERT_EQ(server.F_CheckAndListValidSocketPort(), 0);
    EXPECT_EQ(server.F_GetTailleListSocketPort(), 5u);
    C_Q_SerialServer serial_only;
    EXPECT_EQ(serial_only.F_CheckAndListValidSocketPort(), -1);
    EXPECT_EQ(serial_only.F_GetTailleListSocketPort(), 0u);

    // Another client holds the port.
    ASSERT_EQ(F_ConfigPort(1, 19200, TWOSTOPBITS, ODDPARITY, 8, "NMEA0183"), 1);
    ASSERT_EQ(F_SetPortON(1), 1);
    sCNX_PARAM param = serial_link();
    EXPECT_EQ(server.F_ConnectToSystem(CNX_TYPE_SERIAL, 1, &param), -1);
    window->pump_for(300);
    EXPECT_EQ(window->states(), (std::vector<WPARAM>{SERVER_STATE_CONNECTING, SERVER_STATE_DISCONNECTED}));
    ASSERT_EQ(F_SetPortOFF(1), 1);
    window->log.clear();

    // This link holds it: no second worker, from this object or another.
    connect(CNX_TYPE_SERIAL, 1, serial_link());
    window->log.clear();
    EXPECT_EQ(server.F_ConnectToSystem(CNX_TYPE_SERIAL, 1, &param), -1);
    EXPECT_EQ(serial_only.F_ConnectToSystem(1, &param), -1);
    window->pump_for(300);
    EXPECT_EQ(window->states(), (std::vector<WPARAM>{SERVER_STATE_CONNECTING, SERVER_STATE_DISCONNECTED,
                                                     SERVER_STATE_CONNECTING, SERVER_STATE_DISCONNECTED}));
    EXPECT_EQ(server.F_GetCnxSystemState(), 1);
    EXPECT_TRUE(window->pump_until([&] { return window->data().size() >= 5; }, 20000));
    // A port on is no longer on offer.
    server.F_CheckAndListValidSerialPort();
    EXPECT_EQ(std::find(serial, serial + server.F_GetTailleListSerialPort(), 1u),
              serial + server.F_GetTailleListSerialPort());
}

// The fields a data message of `kind` announces.
std::vector<double> fields_of(const Posted& p)
{
    const sTVRDATA& d = p.data;
    switch (p.lParam) {
    case TVR_DATA_HEADING: return {d.Heading};
    case TVR_DATA_ATTITUDE: return {d.Roll, d.Pitch};
    case TVR_DATA_HEAVE: return {d.Heave, d.Surge, d.Sway};
    case TVR_DATA_SPEEDS: return {d.SpeedSurge, d.SpeedSway, d.SpeedHeave};
    case TVR_DATA_LAT_SPEED: return {d.Latitude, d.SpeedKnots};
    case TVR_DATA_STATUS_SYS: return {double(d.SystemStatus1), double(d.SystemStatus2)};
    case TVR_DATA_STATUS_ALG: return {double(d.AlgoStatus1), double(d.AlgoStatus2)};
    case TVR_DATA_STATUS_SOR: return {double(d.SensorStatus1), double(d.SensorStatus2)};
    case TVR_DATA_STATUS_HL: return {double(d.HighLevelStatus)};
    case TVR_DATA_USER_WORD: return {double(d.UserStatus)};
    case TVR_DATA_UTC_TIME: return {double(d.UtcHours), double(d.UtcMinutes), d.UtcSeconds};
    default: return {};
    }
}

TEST_F(LinkTest, ARecordedRunPlayedBackGivesTheSameDataMessages)
{
    // A slow sensor, so that each record is read before its next sentence.
    start_on_pty({"--model", "TALV4", "--period", "500"});
    connect(CNX_TYPE_SERIAL, 1, serial_link());
    ASSERT_TRUE(window->pump_until([&] { return window->data().size() >= 6; }, 20000));
    const std::string path = m_dir.file("run.txt");
    ASSERT_EQ(link->F_StartOrStopRecordFileReplay(path.c_str()), 0);
    window->pump_for(4000);
    ASSERT_EQ(link->F_StartOrStopRecordFileReplay(nullptr), 0);
    window->pump_for(500);
    const std::vector<Posted> live = window->data();
    EXPECT_EQ(link->F_DisconnectCnxSystem(), 0);
    window->pump_for(500);

    // Played back in steps of 10 ms of recorded time.
    window->log.clear();
    ASSERT_EQ(link->F_StartReplayFile(path.c_str()), 0);
    EXPECT_EQ(link->F_ConnectToSystem(CNX_TYPE_SERIAL, 1, nullptr), -1);  // no link during a replay
    window->log.clear();
    int steps = 0;
    while (link->F_ReadReplayFile(10) >= 0 && ++steps < 100000)
        window->pump_for(0);
    window->pump_for(100);
    EXPECT_EQ(window->count(C_Q_Server::F_GetReplayMessage()), 1u);
    const std::vector<Posted> replayed = window->data();
    ASSERT_GE(replayed.size(), 20u);
    EXPECT_EQ(link->F_StopReplayFile(), 0);

    // The replayed messages are a run of the live ones: the same kinds with
    // the same values, in the same order.
    auto same = [](const Posted& a, const Posted& b) { return a.lParam == b.lParam && fields_of(a) == fields_of(b); };
    bool found = false;
    for (size_t start = 0; !found && start + replayed.size() <= live.size(); ++start) {
        found = std::equal(replayed.begin(), replayed.end(), live.begin() + static_cast<long>(start), same);
    }
    EXPECT_TRUE(found) << replayed.size() << " replayed, " << live.size() << " live";
}

// A local TCP listener playing the remote-support tunnel.
class Tunnel {
public:
    Tunnel()
    {
        m_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && listen(m_listener, 1) == 0 &&
            getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size) == 0)
            m_port = ntohs(address.sin_port);
    }
    ~Tunnel()
    {
        if (m_peer >= 0)
            close(m_peer);
        close(m_listener);
    }
    unsigned short port() const { return m_port; }
    bool accepted()
    {
        if (m_peer < 0) {
            pollfd p{m_listener, POLLIN, 0};
            if (poll(&p, 1, 0) == 1)
                m_peer = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        }
        return m_peer >= 0;
    }
    void send(const std::string& bytes) { ASSERT_EQ(::send(m_peer, bytes.data(), bytes.size(), MSG_NOSIGNAL), ssize_t(bytes.size())); }
    // Reads what has come; false once the other side has closed.
    bool read()
    {
        char buffer[4096];
        for (;;) {
            pollfd p{m_peer, POLLIN, 0};
            if (poll(&p, 1, 0) != 1)
                return true;
            const ssize_t n = recv(m_peer, buffer, sizeof buffer, 0);
            if (n <= 0)
                return false;
            received.append(buffer, static_cast<size_t>(n));
        }
    }
    std::string received;

private:
    int m_listener = -1;
    int m_peer = -1;
    unsigned short m_port = 0;
};

TEST_F(LinkTest, RemoteSupportRelaysTheLinkToTheTunnel)
{
    start_on_pty({"--model", "TALV4"});
    connect(CNX_TYPE_SERIAL, 1, serial_link());
    ASSERT_TRUE(window->pump_until([&] { return window->data().size() >= 6; }, 20000));
    Tunnel tunnel;
    ASSERT_NE(tunnel.port(), 0);

    // The tunnel program's start: the relay connects to it.
    PostMessage(window->hwnd(), C_Q_Server::F_GetDistStartMessage(), tunnel.port(), 0);
    ASSERT_TRUE(window->pump_until([&] { return tunnel.accepted(); }, 20000));
    ASSERT_TRUE(window->pump_until([&] { return window->saw_state(SERVER_STATE_REMOTE_CONNECTED); }, 20000));
    EXPECT_EQ(link->F_GetCnxPcDistantState(), 33);
    // The sensor's sentences reach the support PC...
    ASSERT_TRUE(window->pump_until([&] { return tunnel.read() && tunnel.received.find("$HEHDT,") != std::string::npos; },
                                   20000));
    // ...and its commands reach the sensor, whose answer comes back.
    tunnel.received.clear();
    tunnel.send(talvor_sim::with_checksum("$KVLEV,,"));
    ASSERT_TRUE(window->pump_until(
        [&] { return tunnel.read() && tunnel.received.find("$KVLEV,1.000,2.000,-3.000*") != std::string::npos; },
        20000));
    EXPECT_EQ(link->F_GetCnxSystemState(), 1);

    // The tunnel program's end: the relay closes, the sensor link stays.
    PostMessage(window->hwnd(), C_Q_Server::F_GetDistStopMessage(), 0, 0);
    ASSERT_TRUE(window->pump_until([&] { return window->saw_state(SERVER_STATE_REMOTE_CLOSED); }, 20000));
    EXPECT_EQ(link->F_GetCnxPcDistantState(), 0);
    EXPECT_TRUE(window->pump_until([&] { return !tunnel.read(); }, 20000));
    EXPECT_EQ(F_GetPortOnOff(33), 0);
    EXPECT_EQ(link->F_GetCnxSystemState(), 1);
    const size_t data_before = window->data().size();
    EXPECT_TRUE(window->pump_until([&] { return window->data().size() > data_before + 5; }, 20000));
}

}  // namespace
