#include <gtest/gtest.h>

#include "usine_fixture.h"

namespace {

int decode(C_Q_CnfUsineCtrlCmd& cmd, const std::string& body)
{
    return cmd.F_DecodeUsineCnf(usine_sealed(body));
}

TEST(UsineAnswers, TripleSignCharactersAndBothCopies)
{
    PostRecorder posts;
    C_Q_CnfUsineCtrlCmd cmd;
    cmd.F_AddNewMsgFifo(1024, 0, true, 0);
    cmd.F_AddNewMsgFifo(1040, 0, true, 0);
    EXPECT_EQ(decode(cmd, "$KVST_,QGF_,+1.5,-2,+3"), -1);  // every answer is traced
    EXPECT_EQ(decode(cmd, "$KVST_,CSF0, 0.25,x4,+1e-3"), -1);
    const sUSINE_SETTINGS& s = *cmd.F_GetAllUsineCnfSys();
    EXPECT_EQ(s.Triple[0].X, 1.5);
    EXPECT_EQ(s.Triple[0].Y, -2.0);
    EXPECT_EQ(s.Triple[0].Z, 3.0);
    EXPECT_EQ(s.Triple[0].Valid, 1);
    // CSF0 is the second entry of its family, which sits eighth in the record.
    const sUSINE_TRIPLE& csf0 = s.Triple[7 * 5 + 1];
    EXPECT_EQ(csf0.X, -0.25);
    EXPECT_EQ(csf0.Y, -4.0);
    EXPECT_EQ(csf0.Z, 0.001);
    EXPECT_EQ(std::memcmp(&cmd.F_GetAllUsineCnfIhm()->Triple[36], &csf0, sizeof csf0), 0);
    EXPECT_EQ(cmd.F_GetTailleFifo(), 0u);
    EXPECT_EQ(posts.params_of(C_Q_CnfUsineCtrlCmd::F_GetUsineCnfMsg()), (std::vector<LPARAM>{1024, 1040}));
}

TEST(UsineAnswers, MatrixIsWalkedElementByElementAndChecksItsIndices)
{
    PostRecorder posts;
    C_Q_CnfUsineCtrlCmd cmd;
    cmd.F_AddNewMsgFifo(USINE_ID_QAM + 1, 0, true, 0);  // QAM0
    sUSINE_MATRIX& m = cmd.F_GetAllUsineCnfSys()->Matrix[5];
    const sUSINE_SETTINGS before = *cmd.F_GetAllUsineCnfSys();
    for (const char* bad : {"$KVST_,QAM0,+3,+0,+1", "$KVST_,QAM0,+0,-3,+1", "$KVST_,QAM0,+1e12,+0,+1",
                            "$KVST_,QAM0,+0,+0", "$KVST_,QAM0,+0,+0,+1,+2"}) {
        decode(cmd, bad);
        EXPECT_EQ(std::memcmp(&before, cmd.F_GetAllUsineCnfSys(), sizeof before), 0) << bad;
    }
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            ASSERT_TRUE(cmd.F_IsInFifo(USINE_ID_QAM + 1)) << r << c;
            CString frame;
            cmd.P_MakeUsineFrame(USINE_ID_QAM + 1, 0, &frame);
            char ask[32];
            std::snprintf(ask, sizeof ask, "$KVST_,QAM0,%d,%d,", r, c);
            EXPECT_EQ(frame.str(), usine_sealed(ask));
            char answer[64];
            std::snprintf(answer, sizeof answer, "$KVST_,QAM0,+%d.000000000,-%d.7,-%d.5", r, c, r * 3 + c);
            decode(cmd, answer);
        }
    }
    EXPECT_FALSE(cmd.F_IsInFifo(USINE_ID_QAM + 1));
    EXPECT_EQ(m.Complete, 1);
    EXPECT_EQ(m.Row, 0);
    EXPECT_EQ(m.Column, 0);
    EXPECT_EQ(m.M[2][1], -7.5);
    EXPECT_EQ(m.M[0][0], -0.5);
    EXPECT_EQ(cmd.F_GetAllUsineCnfIhm()->Matrix[5].M[1][2], -5.5);
    EXPECT_EQ(posts.params_of(C_Q_CnfUsineCtrlCmd::F_GetUsineCnfMsg()), std::vector<LPARAM>{USINE_ID_QAM + 1});
}

TEST(UsineAnswers, ScalarParametersKeepTheirMemoryOrderAndIgnoreSigns)
{
    C_Q_CnfUsineCtrlCmd cmd;
    decode(cmd, "$KVST_,HARD,+1,-2,+3");
    decode(cmd, "$KVST_,ALGO,+4.9,+5,+0");
    decode(cmd, "$KVST_,TMOD,+1.5,+2.5,-3.5");
    decode(cmd, "$KVST_,TFCT,+1,+2,+3");
    decode(cmd, "$KVST_,TACC,-0.5,+0.25,+0");
    decode(cmd, "$KVST_,CSOR,+0.125,-8,+0");
    decode(cmd, "$KVST_,FREQ,+100,+200,+0");
    const sUSINE_SETTINGS& s = *cmd.F_GetAllUsineCnfSys();
    EXPECT_EQ(s.Hard.V[0], 1);
    EXPECT_EQ(s.Hard.V[1], 3);
    EXPECT_EQ(s.Hard.V[2], 2);
    EXPECT_EQ(s.Algo.V[0], 5);
    EXPECT_EQ(s.Algo.V[1], 4);
    EXPECT_EQ(s.Tmod.V[1], 3.5f);
    EXPECT_EQ(s.Tmod.V[2], 2.5f);
    EXPECT_EQ(s.Tfct.V[2], 3.0f);
    EXPECT_EQ(s.Tacc.A, 0.5f);
    EXPECT_EQ(s.Csor.B, 8.0f);
    EXPECT_EQ(s.Freq.V[1], 200);
    for (uint8_t v : {s.Hard.Valid, s.Algo.Valid, s.Tmod.Valid, s.Tfct.Valid, s.Tacc.Valid, s.Csor.Valid, s.Freq.Valid})
        EXPECT_EQ(v, 1);
    EXPECT_EQ(std::memcmp(&cmd.F_GetAllUsineCnfIhm()->Hard, &s.Hard, sizeof s.Hard), 0);
    EXPECT_EQ(s.Tfog.Valid, 0);
    // Beyond 32 bits or a float: refused.
    decode(cmd, "$KVST_,FREQ,+1e10,+2,+0");
    decode(cmd, "$KVST_,TFOG,+1e39,+2,+0");
    EXPECT_EQ(s.Freq.V[0], 100);
    EXPECT_EQ(s.Tfog.Valid, 0);
}

TEST(UsineAnswers, NetworkAndModeAnswersAreBoundedToTheirFields)
{
    PostRecorder posts;
    C_Q_CnfUsineCtrlCmd cmd;
    const std::string long_mac(80, 'M');
    decode(cmd, "$CIPRG,NET_,10.1.2.3," + long_mac + ",502,65535");
    const sUSINE_SETTINGS& s = *cmd.F_GetAllUsineCnfSys();
    EXPECT_EQ(s.Net.Ip[3], 3);
    EXPECT_EQ(std::string(s.Net.Mac), std::string(USINE_MAC_SIZE - 1, 'M'));
    EXPECT_EQ(s.Net.Port1, 502);
    EXPECT_EQ(s.Net.Port2, 65535);
    EXPECT_EQ(s.Net.Valid, 1);
    decode(cmd, "$CIPRG,MODE,0,70000");
    EXPECT_EQ(s.Mode.Dhcp, 0);
    EXPECT_EQ(s.Mode.Second, 70000u & 0xFFFFu);
    EXPECT_EQ(s.Mode.Valid, 1);
    EXPECT_EQ(posts.params_of(C_Q_CnfUsineCtrlCmd::F_GetUsineCnfMsg()), (std::vector<LPARAM>{1094, 1095}));
    const sUSINE_SETTINGS before = s;
    for (const char* bad : {"$CIPRG,NET_,10.1.2.300,AA,1,2", "$CIPRG,NET_,10.1.2,AA,1,2", "$CIPRG,NET_,10.1.2.3,AA,1,70000",
                            "$CIPRG,NET_,10.1.2.3,AA,1", "$CIPRG,MODE,x,1"})
        decode(cmd, bad);
    EXPECT_EQ(std::memcmp(&before, &s, sizeof before), 0);
}

TEST(UsineAnswers, SystemInformationOfEachDspTypeAndTheFirstInformation)
{
    PostRecorder posts;
    C_Q_CnfUsineCtrlCmd cmd;
    cmd.F_AddNewMsgFifo(USINE_ID_SERI, 1, true, 0);
    cmd.F_AddNewMsgFifo(USINE_ID_VERS, 0, false, 20000);
    const std::string long_serial(100, 'S');
    decode(cmd, "$CIPRG,WA33,TD,TC," + long_serial + ",77,VB,VA");
    const sUSINE_SETTINGS& s = *cmd.F_GetAllUsineCnfSys();
    EXPECT_STREQ(s.TextD, "TD");
    EXPECT_STREQ(s.TextC, "TC");
    EXPECT_EQ(std::string(s.SerialNumber), std::string(USINE_SERIAL_SIZE - 1, 'S'));
    EXPECT_EQ(s.SystemNumber, 77);
    EXPECT_STREQ(s.VersionB, "VB");
    EXPECT_STREQ(s.VersionA, "VA");
    EXPECT_EQ(cmd.F_GetAllUsineCnfIhm()->SystemNumber, 77);
    EXPECT_EQ(cmd.F_GetTailleFifo(), 0u);
    const std::vector<PostedMessage> first = posts.take();
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(first[0].message, C_Q_CnfUsineCtrlCmd::F_GetSysStateMessage());
    EXPECT_EQ(first[1].message, C_Q_CnfUsineCtrlCmd::F_GetLoadProgStateMessage());
    EXPECT_EQ(first[1].lParam, 2);
    EXPECT_EQ(first[2].message, C_Q_CnfUsineCtrlCmd::F_GetUsineCnfMsg());
    EXPECT_EQ(first[2].lParam, USINE_ID_SERI);

    // Later answers update the read copy only; other DSP types have no texts C and D.
    cmd.P_SetTypeDSP(3);
    cmd.F_GetAllUsineCnfIhm()->SystemNumber = 5;
    decode(cmd, "$KVST_,WA33,VB3,VA3,SN9,12*");
    EXPECT_STREQ(s.VersionB, "VB3");
    EXPECT_STREQ(s.SerialNumber, "SN9");
    EXPECT_EQ(s.SystemNumber, 12);
    EXPECT_EQ(cmd.F_GetAllUsineCnfIhm()->SystemNumber, 5);
    EXPECT_EQ(posts.params_of(C_Q_CnfUsineCtrlCmd::F_GetSysStateMessage()), std::vector<LPARAM>{0});
    decode(cmd, "$KVST_,WA33,VB3,VA3,SN9");  // short
    decode(cmd, "$KVST_,WA33,VB3,VA3,SN9,99999");
    EXPECT_EQ(s.SystemNumber, 12);
}

TEST(UsineAnswers, ForeignSentencesAreNotFactoryAnswers)
{
    C_Q_CnfUsineCtrlCmd cmd;
    const sUSINE_SETTINGS before = *cmd.F_GetAllUsineCnfSys();
    for (const char* s : {"$KVCNF,RSCM_A,1,2,3", "$PVRNK,CONFIG,BIAS__,1,2,3", "$KVST_,QGF_", "$KVST_,QGF_,1,2,3",
                          "$KVST_,XXXX,+1,+2,+3", "$KVST_,NET_,+1,+2,+3", "$KVST_,QGF", "$KVST_,"})
        EXPECT_EQ(decode(cmd, s), -1) << s;
    // "1,2,3": the sign characters are the digits, the numbers empty.
    EXPECT_EQ(std::memcmp(&before, cmd.F_GetAllUsineCnfSys(), sizeof before), 0);
    EXPECT_EQ(cmd.F_DecodeUsineCnf(static_cast<const char*>(nullptr)), -1);
}

TEST(UsineAnswers, InitialisationGivesIdentityMatricesInBothCopies)
{
    C_Q_CnfUsineCtrlCmd cmd;
    cmd.F_GetAllUsineCnfSys()->Matrix[3].M[0][0] = 9;
    cmd.F_SetUsineSysActif(true);
    cmd.F_AddNewMsgFifo(1024, 0, true, 0);
    cmd.P_InitAllUsineCnf();
    EXPECT_FALSE(cmd.F_GetUsineSysActif());
    EXPECT_EQ(cmd.F_GetTailleFifo(), 0u);
    for (const sUSINE_SETTINGS* s : {cmd.F_GetAllUsineCnfSys(), cmd.F_GetAllUsineCnfIhm()}) {
        for (const sUSINE_MATRIX& m : s->Matrix) {
            EXPECT_EQ(m.Complete, 1);
            for (int r = 0; r < 3; ++r)
                for (int c = 0; c < 3; ++c)
                    EXPECT_EQ(m.M[r][c], r == c ? 1.0 : 0.0);
        }
    }
}

}  // namespace
