// The Talvor command set against the simulated sensor, in process, through
// the link server's frame building and decoding.
#include <gtest/gtest.h>

#include "helm/sensorlink/testing/talvor_read.h"
#include "sim_link.h"
#include "talvor_sim/simulator.h"
#include "tvr_fixture.h"

namespace {

class Link : public SimulatedLink<talvor_sim::Simulator> {
public:
    explicit Link(talvor_sim::Model model) : SimulatedLink(0, model) {}
    int run_until_empty(int max_turns) { return SimulatedLink::run_until_empty(cmd, max_turns); }

    C_Q_TvrCtrlCmd& cmd = *server.F_GetTvrCtrlCmd();
    C_Q_TvrData& data = *server.F_GetTvrDataDecoder();
};

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
    expect_talvor_read(link.cmd, link.sim);
    EXPECT_EQ(link.bad_lines, 0);
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
    expect_talvor_read(link.cmd, link.sim);
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
