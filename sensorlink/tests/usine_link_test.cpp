// The factory command set against the simulated sensor in factory mode, in
// process: the worker's turn run by hand with a clock of 100 ms a turn.
#include <gtest/gtest.h>

#include "helm/test/support.h"
#include "talvor_sim/factory_simulator.h"
#include "usine_fixture.h"

namespace {

class UsineLink {
public:
    explicit UsineLink(int dsp) : sim(dsp) { cmd.P_SetTypeDSP(static_cast<uint16_t>(dsp)); }

    void turn()
    {
        now += 100;
        sMSG msg{};
        CString frame;
        if (cmd.F_GetFirstMsgFifo(&msg, now) == 0)
            cmd.P_MakeUsineFrame(static_cast<uint16_t>(msg.id), msg.type, &frame);
        sent += frame.IsEmpty() ? 0 : 1;
        sim.receive(frame.str());
        pending += sim.take_output();
        std::size_t end;
        while ((end = pending.find('\n')) != std::string::npos) {
            const std::string line = pending.substr(0, end + 1);
            pending.erase(0, end + 1);
            ASSERT_TRUE(C_Q_Tools::F_TestNMEAChecksum(line)) << line;
            cmd.F_DecodeUsineCnf(line);
        }
    }

    int run(int max_turns)
    {
        int turns = 0;
        while (cmd.F_GetTailleFifo() > 0 && turns++ < max_turns)
            turn();
        return turns;
    }

    PostRecorder posts;
    C_Q_CnfUsineCtrlCmd cmd;
    talvor_sim::FactorySimulator sim;
    std::string pending;
    uint32_t now = 1000;
    int sent = 0;
};

TEST(UsineLink, ReadingEveryParameterOfADspType4)
{
    UsineLink link(4);
    link.cmd.F_LoadSysToPc();
    EXPECT_LT(link.run(500), 500);
    EXPECT_EQ(link.sim.refused(), 0);
    const sUSINE_SETTINGS& s = *link.cmd.F_GetAllUsineCnfSys();
    // QAB2: family QAB (sixth by id, fifth in the record), entry 3.
    const std::vector<double> qab2 = link.sim.values("QAB2");
    EXPECT_EQ(s.Triple[4 * 5 + 3].X, qab2[0]);
    EXPECT_EQ(s.Triple[4 * 5 + 3].Y, qab2[1]);
    EXPECT_EQ(s.Triple[4 * 5 + 3].Valid, 1);
    // QAM_ is walked element by element; QAM0 is not in the reading.
    const std::vector<double> qam = link.sim.values("QAM_");
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(s.Matrix[4].M[i / 3][i % 3], qam[static_cast<std::size_t>(i)]) << i;
    EXPECT_EQ(s.Matrix[5].M[0][1], 0.0);
    EXPECT_EQ(s.Crt.Z, 3.0);
    EXPECT_EQ(s.Freq.V[0], 400);
    EXPECT_EQ(s.Hard.V[1], 3);
    EXPECT_EQ(s.Tmod.V[1], 6.0f);
    EXPECT_EQ(s.Net.Port2, 8111);
    EXPECT_STREQ(s.Net.Mac, "02:00:00:00:00:01");
    EXPECT_EQ(s.Mode.Second, 12u);
    // Not read on this DSP type: CAT entries beyond the lists.
    EXPECT_EQ(s.Triple[9 * 5 + 4].Valid, 0);
}

TEST(UsineLink, WritingTheEditedParametersThenReadingThemBack)
{
    UsineLink link(4);
    fill_usine_edited(link.cmd.F_GetAllUsineCnfIhm());
    link.cmd.F_LoadPcToSys();
    EXPECT_LT(link.run(1000), 1000);
    EXPECT_EQ(link.sim.refused(), 0);
    EXPECT_EQ(link.sim.serial_number(), "SN-123");
    EXPECT_EQ(link.sim.system_number(), 42);
    const sUSINE_SETTINGS& e = *link.cmd.F_GetAllUsineCnfIhm();
    EXPECT_EQ(link.sim.values("QGF_"), (std::vector<double>{e.Triple[0].X, e.Triple[0].Y, e.Triple[0].Z}));
    std::vector<double> qgm(9);
    for (int i = 0; i < 9; ++i)
        qgm[static_cast<std::size_t>(i)] = e.Matrix[0].M[i / 3][i % 3];
    EXPECT_EQ(link.sim.values("QGM_"), qgm);
    EXPECT_NE(link.sim.values("QGM2")[1], e.Matrix[3].M[0][1]);  // not in the writing
    EXPECT_EQ(link.sim.texts("NET_"), (std::vector<std::string>{"192.168.1.20", "00:11:22:33:44:55", "5000", "5001"}));
    EXPECT_EQ(link.sim.values("HARD"), (std::vector<double>{1, 2, 3}));

    const sUSINE_SETTINGS edited = e;
    link.cmd.F_LoadSysToPc();
    link.run(1000);
    const sUSINE_SETTINGS& s = *link.cmd.F_GetAllUsineCnfSys();
    // QGF, QAF, QGB, QAB and QGS entries travel; the other families do not.
    for (int i : {0, 7, 16, 24, 33})
        EXPECT_EQ(s.Triple[i].Y, edited.Triple[i].Y) << i;
    EXPECT_EQ(s.Triple[13].Valid, 0);
    EXPECT_EQ(s.Matrix[4].M[2][1], edited.Matrix[4].M[2][1]);
    EXPECT_EQ(s.Matrix[4].Complete, 1);
    EXPECT_EQ(s.Hard.V[1], 3);
    EXPECT_EQ(s.Algo.V[0], 7);
    EXPECT_EQ(s.Tmod.V[1], 3.0f);
    EXPECT_EQ(s.Mode.Second, 0x1234u);
}

TEST(UsineLink, FirmwareUploadDeliversEveryWordInCheckedBlocks)
{
    helm::test::TempDir dir;
    std::vector<uint32_t> words(700);
    for (std::size_t i = 0; i < words.size(); ++i)
        words[i] = static_cast<uint32_t>(i * 2654435761u);
    write_image(dir.file("image.hex"), 0x4000, words);
    UsineLink link(5);
    link.cmd.P_SetUploadExtra(1, 2);
    ASSERT_EQ(link.cmd.F_StartLoadProg(dir.file("image.hex").c_str(), "V3.1"), 0);
    std::vector<int> progress;
    int turns = 0;
    while (link.cmd.F_GetTailleFifo() > 0 && turns++ < 500) {
        link.turn();
        progress.push_back(link.cmd.F_GetInfoLoadProgState());
    }
    EXPECT_TRUE(link.sim.upload_finished());
    EXPECT_EQ(link.sim.program_address(), 0x4000u);
    EXPECT_EQ(link.sim.blocks_checked(), 3);
    ASSERT_EQ(link.sim.program().size(), 960u);  // three blocks, the last filled with zeros
    EXPECT_TRUE(std::equal(words.begin(), words.end(), link.sim.program().begin()));
    EXPECT_TRUE(std::all_of(link.sim.program().begin() + 700, link.sim.program().end(), [](uint32_t w) { return w == 0; }));
    EXPECT_EQ(progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(link.sim.refused(), 0);
}

}  // namespace
