#include <gtest/gtest.h>

#include "tvr_fixture.h"

namespace {

struct FrameCase {
    int id;
    int type;
    const char* frame;  // "" when the id builds nothing
};

#include "tvr_frame_table.inc"

// Every ask and set the command set builds, byte for byte with its
// checksum, for each model; ids that build nothing leave the queue at once
// (except the analog-output texts, which wait for a Talvor3).
void check_frames(uint16_t model, const FrameCase* cases, std::size_t count)
{
    C_Q_TvrCtrlCmd cmd;
    for (std::size_t i = 0; i < count; ++i) {
        const FrameCase& c = cases[i];
        make_model(&cmd, model);
        fill_edited(cmd.F_GetAllTvrCnfIhm());
        cmd.F_AddNewMsgFifo(c.id, static_cast<unsigned short>(c.type), false, 0);
        cmd.F_AddNewMsgFifo(9999, 0, false, 0);  // keeps the save from being alone
        CString frame;
        cmd.P_MakeTvrFrame(static_cast<uint16_t>(c.id), static_cast<uint16_t>(c.type), &frame);
        EXPECT_EQ(frame.str(), c.frame) << "model " << model << " id " << c.id << " type " << c.type;
        const bool stays = std::string(c.frame).empty() ? (c.id == TVR_ID_TXT_ANOUT) : c.id != TVR_ID_RESET;
        EXPECT_EQ(cmd.F_IsInFifo(c.id), stays) << "model " << model << " id " << c.id;
    }
}

TEST(TvrFrames, Talvor4Table)
{
    PostRecorder posts;
    check_frames(TVR_MODEL_TALVOR4, kFrames7, std::size(kFrames7));
}

TEST(TvrFrames, Talvor3Table)
{
    PostRecorder posts;
    check_frames(TVR_MODEL_TALVOR3, kFrames15, std::size(kFrames15));
}

TEST(TvrFrames, SetClearsTheReceivedFlagOfItsItem)
{
    C_Q_TvrCtrlCmd cmd;
    make_model(&cmd, TVR_MODEL_TALVOR4);
    cmd.F_GetAllTvrCnfSys()->Bias.Valid = 1;
    cmd.F_GetAllTvrCnfSys()->RsPort[2].RsCmValid = 1;
    CString frame;
    cmd.P_MakeTvrFrame(TVR_ID_BIAS, 1, &frame);
    cmd.P_MakeTvrFrame(TVR_ID_RSCM + 2, 0, &frame);  // an ask keeps it
    EXPECT_EQ(cmd.F_GetAllTvrCnfSys()->Bias.Valid, 0);
    EXPECT_EQ(cmd.F_GetAllTvrCnfSys()->RsPort[2].RsCmValid, 1);
}

TEST(TvrFrames, SetOfAnUnknownModelSendsTheAskAlone)
{
    C_Q_TvrCtrlCmd cmd;
    make_model(&cmd, 0);
    fill_edited(cmd.F_GetAllTvrCnfIhm());
    CString frame;
    cmd.P_MakeTvrFrame(TVR_ID_BIAS, 1, &frame);
    EXPECT_EQ(frame.str(), sealed("$KVBIA,,"));
    frame.Empty();
    cmd.P_MakeTvrFrame(TVR_ID_RSCM + 4, 1, &frame);  // five ports until the model is known
    EXPECT_EQ(frame.str(), sealed("$KVCNF,RSCM_E,,"));
}

TEST(TvrFrames, SaveWaitsUntilItIsAloneThenGoesOnce)
{
    C_Q_TvrCtrlCmd cmd;
    make_model(&cmd, TVR_MODEL_TALVOR4);
    cmd.F_AddNewMsgFifo(TVR_ID_BIAS, 0, false, 0);
    cmd.F_AddNewMsgFifo(TVR_ID_SAVE, 0, false, 0);
    CString frame;
    cmd.P_MakeTvrFrame(TVR_ID_SAVE, 0, &frame);
    EXPECT_EQ(frame.str(), "");
    EXPECT_TRUE(cmd.F_IsInFifo(TVR_ID_SAVE));
    cmd.F_FindAndRemoveFifo(TVR_ID_BIAS);
    cmd.P_MakeTvrFrame(TVR_ID_SAVE, 0, &frame);
    EXPECT_EQ(frame.str(), "$KVSAV,,*59\r\n");
    EXPECT_EQ(cmd.F_GetTailleFifo(), 0u);
}

TEST(TvrFrames, TextAsksCarryTheCurrentFieldAndCursor)
{
    PostRecorder posts;
    C_Q_TvrCtrlCmd cmd;
    make_model(&cmd, TVR_MODEL_TALVOR4);
    cmd.F_AddNewMsgFifo(TVR_ID_TXT_RSCM, 0, false, 0);
    cmd.F_DecodeTvrCnf(sealed("$KVTXT,RSCM_A,E,0,2,4800"));
    cmd.F_DecodeTvrCnf(sealed("$KVTXT,RSCM_A,E,1,2,9600"));
    cmd.F_DecodeTvrCnf(sealed("$KVTXT,RSCM_A,E,0,2,________________"));
    cmd.F_DecodeTvrCnf(sealed("$KVTXT,RSCM_A,E,0,3,None"));
    CString frame;
    cmd.P_MakeTvrFrame(TVR_ID_TXT_RSCM, 0, &frame);
    EXPECT_EQ(frame.str(), sealed("$KVTXT,RSCM_A,E,1,1"));
    frame.Empty();
    cmd.F_DecodeTvrCnf(sealed("$KVTXT,STASOR,E,8194,1,Gyro"));
    cmd.P_MakeTvrFrame(TVR_ID_STASOR, 0, &frame);
    EXPECT_EQ(frame.str(), sealed("$KVTXT,STASOR,E,0,1"));
}

TEST(TvrFrames, WakeUp)
{
    C_Q_TvrCtrlCmd cmd;
    CString frame = "old";
    cmd.F_TvrWakeUp(&frame);
    EXPECT_EQ(frame.str(), sealed("$KVST_,WAKE"));
}

TEST(TvrFrames, TextsThatWouldBreakTheSentenceAreBlanked)
{
    C_Q_TvrCtrlCmd cmd;
    make_model(&cmd, TVR_MODEL_TALVOR4);
    sTVR_RS_PORT& port = cmd.F_GetAllTvrCnfIhm()->RsPort[0];
    port.OutProtocol = 2;
    std::snprintf(port.UserProtocolName, sizeof port.UserProtocolName, "a,b*c$d");
    std::snprintf(port.UserProtocol, sizeof port.UserProtocol, "x,y\r\n*z~");
    CString frame;
    cmd.P_MakeTvrFrame(TVR_ID_RSOUT, 1, &frame);
    EXPECT_EQ(frame.str(), sealed("$KVCNF,RSUDPA,x,y   z~") + sealed("$KVCNF,RSOUTA,2,0,0,0,0,a b c d") +
                         sealed("$KVCNF,RSOUTA,,"));
}

}  // namespace
