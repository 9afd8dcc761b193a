// The command set against the simulated sensor, in process: the worker's
// turn (take the due entry, build, send; read the answers, test, decode)
// run by hand with a clock that moves 100 ms per turn. No threads, no
// sleeps.
#include <gtest/gtest.h>

#include "helm/sensorlink/C_Q_TvrData.h"
#include "talvor_sim/simulator.h"
#include "tvr_fixture.h"

namespace {

class Link {
public:
    Link(talvor_sim::Model model) : sim(model) { sim.set_data_enabled(false); }

    // One worker turn; returns the frame sent.
    std::string turn()
    {
        now += 100;
        std::string frame;
        if (data.F_GetTvrWakeUpState() == 1) {
            cmd.F_TvrWakeUp(&frame);
        } else {
            sMSG msg{};
            if (cmd.F_GetFirstMsgFifo(&msg, now) == 0)
                cmd.P_MakeTvrFrame(static_cast<uint16_t>(msg.id), msg.type, &frame);
        }
        if (!frame.empty())
            sim.receive(frame, now);
        read();
        return frame;
    }

    void read()
    {
        sim.advance(now);
        pending += sim.take_output();
        std::size_t end;
        while ((end = pending.find('\n')) != std::string::npos) {
            const std::string line = pending.substr(0, end + 1);
            pending.erase(0, end + 1);
            if (!C_Q_Tools::F_TestNMEAChecksum(&line)) {
                ++bad_lines;
                continue;
            }
            if (cmd.F_DecodeTvrCnf(line) == -1 && data.F_DecodeTvrData(line, now) == 0 &&
                cmd.F_GetTvrSystemType() == 0)
                cmd.F_AddNewMsgFifo(TVR_ID_MODEL, 0, false, 0);
        }
    }

    int run_until_empty(int max_turns)
    {
        int turns = 0;
        while (cmd.F_GetTailleFifo() > 0 && turns < max_turns) {
            turn();
            ++turns;
        }
        return turns;
    }

    PostRecorder posts;
    C_Q_TvrCtrlCmd cmd;
    C_Q_TvrData data;
    talvor_sim::Simulator sim;
    std::string pending;
    uint32_t now = 1000;
    int bad_lines = 0;
};

void expect_all_read(Link& link, talvor_sim::Model model)
{
    const sTVR_SETTINGS& s = *link.cmd.F_GetAllTvrCnfSys();
    const sTVR_TEXT& t = *link.cmd.F_GetAllTvrText();
    const bool t3 = model == talvor_sim::Model::Talvor3;
    EXPECT_EQ(link.cmd.F_GetTailleFifo(), 0u);
    EXPECT_EQ(s.SystemType, t3 ? 15 : 7);
    for (int p = 0; p < s.NbRsPort; ++p) {
        const bool output = t3 || p < s.NbRsOutPort;
        const bool input = t3 || p >= s.NbRsOutPort;
        EXPECT_TRUE(s.RsPort[p].RsCmValid) << p;
        EXPECT_EQ(s.RsPort[p].RsInValid, input) << p;
        EXPECT_EQ(s.RsPort[p].RsOutValid, output) << p;
        EXPECT_EQ(s.DeviceIn[p].Valid, input) << p;
        EXPECT_EQ(s.DeviceOut[p].Valid, output) << p;
        EXPECT_EQ(s.EthernetIn[p].Valid, input) << p;
        EXPECT_EQ(s.EthernetOut[p].Valid, output) << p;
        // Values as the sensor holds them.
        const std::string L(1, static_cast<char>('A' + p));
        EXPECT_EQ(std::to_string(s.RsPort[p].Baudrate), link.sim.item("RSCM_" + L)[0]);
        if (input) {
            const auto e = link.sim.item("ELCFI" + L);
            char address[20];
            std::snprintf(address, sizeof address, "%d.%d.%d.%d", s.EthernetIn[p].IpAddress[0],
                          s.EthernetIn[p].IpAddress[1], s.EthernetIn[p].IpAddress[2], s.EthernetIn[p].IpAddress[3]);
            EXPECT_EQ(address, e[1]);
            EXPECT_EQ(std::to_string(s.EthernetIn[p].IpPort), e[2]);
        }
    }
    EXPECT_TRUE(s.UtcValid);
    EXPECT_TRUE(s.ManualValid);
    EXPECT_EQ(s.ManualSpeed, 12.5f);
    if (t3) {
        for (int a = 0; a < 4; ++a)
            EXPECT_TRUE(s.AnalogOutput[a].Valid) << a;
        for (int k = 2; k < 6; ++k)
            EXPECT_TRUE(s.Pulse[k].Valid) << k;
        EXPECT_STREQ(s.SerialNumber, "T3-00042");
    } else {
        for (int k = 0; k < 6; ++k)
            EXPECT_TRUE(s.Pulse[k].Valid) << k;
        EXPECT_TRUE(s.Bias.Valid);
        EXPECT_EQ(s.Bias.Y, -0.2f);
        EXPECT_TRUE(s.LeverArm.Valid);
        EXPECT_TRUE(s.LeverArm2[2].Valid);
        EXPECT_TRUE(s.AxisOrientationValid);
        EXPECT_TRUE(s.EthBootValid);
        EXPECT_STREQ(s.MpcFirmware, "MPC FW 3.3");
    }
    EXPECT_STREQ(s.DspFirmware, "DSP FW 5.7");
    EXPECT_EQ(t.Status[TVR_STATUS_ALG].Cursor, 40);
    EXPECT_EQ(t.Status[TVR_STATUS_SYS].Cursor, 12);
    EXPECT_EQ(t.Status[TVR_STATUS_SOR].Cursor, 6);
    EXPECT_EQ(t.Status[TVR_STATUS_HL].Cursor, 4);
    EXPECT_STREQ(t.Status[TVR_STATUS_ALG].Word[0].Bit[7].text, "Spare");
    EXPECT_EQ(t.Group[TVR_TXT_RSCM].List[0].NbText, 6);
    EXPECT_STREQ(t.Group[TVR_TXT_RSCM].List[2].Text[1], "2 stops");
    EXPECT_TRUE(t.Group[TVR_TXT_UTCINT].Complete);
    EXPECT_EQ(link.bad_lines, 0);
}

class TvrLoad : public ::testing::TestWithParam<talvor_sim::Model> {};

TEST_P(TvrLoad, FullLoadAnswersEveryTextAndSettingAndEmptiesTheQueue)
{
    Link link(GetParam());
    link.sim.set_data_enabled(true);
    link.read();  // data arrives, the model is asked
    link.sim.set_data_enabled(false);
    link.read();
    ASSERT_TRUE(link.cmd.F_IsInFifo(TVR_ID_MODEL));
    const int turns = link.run_until_empty(2000);
    EXPECT_LT(turns, 2000);
    expect_all_read(link, GetParam());
}

TEST_P(TvrLoad, SendingEverySettingThenSavingReachesTheSensor)
{
    Link link(GetParam());
    link.cmd.F_AddNewMsgFifo(TVR_ID_MODEL, 0, false, 0);
    link.run_until_empty(2000);
    sTVR_SETTINGS& ihm = *link.cmd.F_GetAllTvrCnfIhm();
    link.cmd.F_UpdateTvrAllCnf(false);
    ihm.RsPort[0].Baudrate = 3;
    ihm.RsPort[0].OutProtocol = 2;
    std::snprintf(ihm.RsPort[0].UserProtocol, sizeof ihm.RsPort[0].UserProtocol, "H,R,P~");
    ihm.UtcInterface = 1;
    ihm.ManualLatitude = -12.5f;
    link.cmd.F_UpdateTvrAllCnf(true);
    link.cmd.F_AddNewMsgFifo(TVR_ID_SAVE, 0, false, 0);
    link.run_until_empty(2000);
    EXPECT_EQ(link.cmd.F_GetTailleFifo(), 0u);
    EXPECT_EQ(link.sim.saves(), 1);
    EXPECT_EQ(link.sim.item("RSCM_A")[0], "3");
    EXPECT_EQ(link.sim.item("RSUDPA")[0], "H,R,P~");
    EXPECT_EQ(link.sim.item("UTCINT")[0], "1");
    EXPECT_EQ(link.sim.item("KVMAN")[1], "-12.50");
    const sTVR_SETTINGS& sys = *link.cmd.F_GetAllTvrCnfSys();
    EXPECT_EQ(sys.RsPort[0].Baudrate, 3);
    EXPECT_STREQ(sys.RsPort[0].UserProtocol, "H,R,P~");
    EXPECT_EQ(sys.ManualLatitude, -12.5f);
    EXPECT_EQ(link.sim.sentences_refused(), 0);
}

INSTANTIATE_TEST_SUITE_P(Models, TvrLoad, ::testing::Values(talvor_sim::Model::Talvor3, talvor_sim::Model::Talvor4));

// Faults on the link: each still ends with everything read.
struct FaultCase {
    const char* name;
    void (*inject)(talvor_sim::Simulator&);
};

void PrintTo(const FaultCase& fault, std::ostream* os) { *os << fault.name; }

class TvrLoadFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(TvrLoadFaults, LoadSurvives)
{
    Link link(talvor_sim::Model::Talvor4);
    GetParam().inject(link.sim);
    link.cmd.F_AddNewMsgFifo(TVR_ID_MODEL, 0, false, 0);
    const int turns = link.run_until_empty(4000);
    EXPECT_LT(turns, 4000);
    link.bad_lines = 0;
    expect_all_read(link, talvor_sim::Model::Talvor4);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, TvrLoadFaults,
    ::testing::Values(FaultCase{"dropped", [](talvor_sim::Simulator& s) { s.drop_next_answers(25); }},
                      FaultCase{"delayed", [](talvor_sim::Simulator& s) { s.delay_answers(250); }},
                      FaultCase{"badchecksum", [](talvor_sim::Simulator& s) { s.corrupt_next_checksums(30); }},
                      FaultCase{"garbage", [](talvor_sim::Simulator& s) { s.set_garbage_between_sentences(true); }},
                      FaultCase{"overlong", [](talvor_sim::Simulator& s) { s.overlong_line_before_next(40); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TvrLoadLink, UnansweredAskIsSentAgainUntilAnswered)
{
    Link link(talvor_sim::Model::Talvor4);
    link.sim.drop_next_answers(3);
    link.cmd.F_AddNewMsgFifo(TVR_ID_BIAS, 0, false, 0);
    int sent = 0;
    while (link.cmd.F_GetTailleFifo() > 0 && sent < 10) {
        if (!link.turn().empty())
            ++sent;
    }
    EXPECT_EQ(sent, 4);
    EXPECT_TRUE(link.cmd.F_GetAllTvrCnfSys()->Bias.Valid);
}

TEST(TvrLoadLink, SleepingSensorIsWokenBeforeTheQueueGoesOn)
{
    Link link(talvor_sim::Model::Talvor4);
    link.sim.set_asleep(true);
    link.sim.set_data_enabled(true);
    link.read();
    EXPECT_EQ(link.data.F_GetTvrWakeUpState(), 1);
    link.cmd.F_AddNewMsgFifo(TVR_ID_BIAS, 0, false, 0);
    EXPECT_EQ(link.turn(), sealed("$KVST_,WAKE"));
    EXPECT_FALSE(link.sim.asleep());
    EXPECT_EQ(link.data.F_GetTvrWakeUpState(), 0);
    EXPECT_TRUE(link.cmd.F_IsInFifo(TVR_ID_BIAS));  // the queue waited
    EXPECT_EQ(link.turn(), sealed("$KVBIA,,"));
}

TEST(TvrLoadLink, RestartGoesOutOnce)
{
    Link link(talvor_sim::Model::Talvor4);
    link.cmd.F_AddNewMsgFifo(TVR_ID_RESET, 1, false, 0);
    for (int i = 0; i < 5; ++i)
        link.turn();
    EXPECT_EQ(link.sim.resets(), 1);
}

}  // namespace
