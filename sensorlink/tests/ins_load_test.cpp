// The inertial command set against the simulated system, in process,
// through the link server's frame building and decoding.
#include <gtest/gtest.h>

#include "ins_fixture.h"
#include "sim_link.h"
#include "talvor_sim/ins_simulator.h"

namespace {

class InsLink : public SimulatedLink<talvor_sim::InertialSimulator> {
public:
    explicit InsLink(const char* code) : SimulatedLink(1, code) {}
    int run_until_empty(int max_turns) { return SimulatedLink::run_until_empty(cmd, max_turns); }

    C_Q_InsCtrlCmd& cmd = *server.F_GetInsCtrlCmd();
    C_Q_InsData& data = *server.F_GetInsDataDecoder();
};

std::string field(const sINS_SETTINGS& s, int id)
{
    // The read value as the set sentence would carry it.
    C_Q_InsCtrlCmd probe;
    *probe.F_GetAllInsCnfIhm() = s;
    CString frame;
    probe.P_MakeInsFrame(static_cast<uint16_t>(id), 1, &frame);
    return frame.str().substr(0, frame.str().find('*'));
}

TEST(InsLoad, FullLoadOfAQuillo7IOReadsEverySettingTheSystemHas)
{
    InsLink link("QUIL7");
    link.sim.set_data_enabled(true);
    // A data sentence with the system type unknown starts the load.
    link.turn();
    link.sim.set_data_enabled(false);
    const int turns = link.run_until_empty(2000);
    EXPECT_LT(turns, 2000);
    const sINS_SETTINGS& s = *link.cmd.F_GetAllInsCnfSys();
    const sINS_TEXT& t = *link.cmd.F_GetAllInsText();
    EXPECT_EQ(s.SystemType, INS_SYSTEM_QUILLO7IO);
    EXPECT_STREQ(s.SystemName, "Quillo7IO");
    EXPECT_STREQ(s.SerialNumber, "INS-QUIL7-0042");
    EXPECT_STREQ(s.Firmware, "FRM 4.2.1");
    EXPECT_EQ(t.Status[0].Count, 20);
    EXPECT_EQ(t.Status[1].Count, 9);
    EXPECT_EQ(t.Status[2].Count, 4);
    EXPECT_STREQ(t.Status[0].Entry[5].text, "Spare");
    EXPECT_EQ(t.NbStatusPtr, 33);
    for (int i = 1; i < t.NbStatusPtr; ++i)
        EXPECT_LE(t.StatusPtr[i - 1]->code, t.StatusPtr[i]->code);
    EXPECT_EQ(t.Group[INS_TXT_RSCM].List[0].Count, 6);
    EXPECT_EQ(t.Group[INS_TXT_RSCM].List[1].Count, 3);
    EXPECT_STREQ(t.Group[INS_TXT_UTCINT].List[0].Text[2], "Port B");

    // Every setting the load asks for holds the simulator's value.
    std::vector<int> read_ids;
    for (int p = 0; p < 7; ++p)
        read_ids.insert(read_ids.end(), {INS_ID_RSCM + p, INS_ID_RSIN + p, INS_ID_RSOUT + p});
    for (int id = INS_ID_ANOUT; id <= INS_ID_ALTMDE; ++id)
        read_ids.push_back(id);
    for (int id = INS_ID_USBKFM; id <= INS_ID_SECLV + 2; ++id) {
        if (id != INS_ID_USBKFM + 2 && id != INS_ID_USBLV + 2 && id != INS_ID_USBINT + 2)
            read_ids.push_back(id);
    }
    for (int id : read_ids) {
        const std::string set = field(s, id);
        const std::string keyword = set.substr(14, set.find(',', 14) - 14);
        std::string name = keyword;
        std::vector<std::string> expected = link.sim.item(name);
        if (keyword == "USBKFM" || keyword == "USBLV_" || keyword == "USBINT")
            expected = link.sim.item(keyword + set.substr(set.rfind(',') + 1));
        std::string want = "$PVRNK,CONFIG," + keyword;
        for (const std::string& v : expected)
            want += "," + v;
        if (keyword.rfind("USB", 0) == 0 && keyword != "USBVIE")
            want += set.substr(set.rfind(','));
        EXPECT_EQ(set, want) << id;
    }
    EXPECT_EQ(s.NbUsblBeacon, 2);
    EXPECT_EQ(s.Beacon[2].KfmValid, 0);
    EXPECT_EQ(link.sim.refused(), 0);

    // The announcements, in the order the load makes them.
    std::vector<PostedMessage> posted = link.posts.take();
    const UINT start = C_Q_InsCtrlCmd::F_GetInsStartLoadMsg();
    const UINT text = C_Q_InsCtrlCmd::F_GetInsTextMsg();
    auto at = [&](UINT message, LPARAM lParam) {
        for (std::size_t i = 0; i < posted.size(); ++i)
            if (posted[i].message == message && posted[i].lParam == lParam)
                return static_cast<int>(i);
        return -1;
    };
    EXPECT_GE(at(start, 0), 0);
    EXPECT_LT(at(start, 0), at(text, INS_ID_TXT_STATUS));
    EXPECT_LT(at(text, INS_ID_TXT_STATUS), at(text, INS_ID_TXT_GPSKFM));
    EXPECT_GE(at(C_Q_InsCtrlCmd::F_GetInsCnfMsg(), INS_ID_SECLV + 2), 0);
}

TEST(InsLoad, EditedSettingsReachTheSystemAndAreReadBack)
{
    InsLink link("SELVO");
    link.cmd.F_AddNewMsgFifo(INS_ID_EQP, 0, true, 0);
    link.run_until_empty(2000);
    ASSERT_EQ(link.cmd.F_GetInsSystemType(), INS_SYSTEM_SELVO);
    link.cmd.F_UpdateInsAllCnf(false, false);
    sINS_SETTINGS& edited = *link.cmd.F_GetAllInsCnfIhm();
    edited.RsCm[1].Baudrate = 4;
    edited.Bias = {0.5f, -0.25f, 0.125f, 0};
    edited.UtmPosition.Hemisphere = 'S';
    edited.UtmPosition.Easting = 612345.5;
    link.cmd.F_UpdateInsAllCnf(true, false);
    link.cmd.F_AddNewMsgFifo(INS_ID_SAVE, 0, false, 0);
    link.run_until_empty(500);
    EXPECT_EQ(link.cmd.F_GetTailleFifo(), 0u);
    EXPECT_EQ(link.sim.item("RSCM_B"), (std::vector<std::string>{"4", "0"}));
    EXPECT_EQ(link.sim.item("BIAS__"), (std::vector<std::string>{"0.500", "-0.250", "0.125"}));
    EXPECT_EQ(link.sim.item("UTMWGS")[0], "S");
    EXPECT_EQ(link.sim.saves(), 1);
    const sINS_SETTINGS& read = *link.cmd.F_GetAllInsCnfSys();
    EXPECT_EQ(read.RsCm[1].Baudrate, 4);
    EXPECT_EQ(read.RsCm[1].Valid, 1);
    EXPECT_EQ(read.UtmPosition.Easting, 612345.5);
    EXPECT_EQ(read.Bias.Z, 0.125f);
}

TEST(InsLoad, LostAnswersAreAskedAgainAndASleepingSystemIsWoken)
{
    InsLink link("TARNO");
    link.sim.set_asleep(true);
    link.sim.set_data_enabled(true);
    link.turn();
    EXPECT_EQ(link.data.F_GetInsWakeUpState(), 1);
    EXPECT_EQ(link.turn(), "$PVRNK,CONFIG,WAKEUP*46\r\n");
    EXPECT_FALSE(link.sim.asleep());
    link.turn();
    EXPECT_EQ(link.data.F_GetInsWakeUpState(), 0);
    link.sim.set_data_enabled(false);
    link.cmd.F_AddNewMsgFifo(INS_ID_EQP, 0, true, 0);
    link.sim.drop_next_answers(5);
    link.run_until_empty(2000);
    EXPECT_EQ(link.cmd.F_GetTailleFifo(), 0u);
    EXPECT_EQ(link.cmd.F_GetAllInsCnfSys()->NbRsPort, 3);
    EXPECT_EQ(link.cmd.F_GetAllInsCnfSys()->LeverArm[5].Valid, 1);
}

}  // namespace
