#include <gtest/gtest.h>

#include "ins_fixture.h"

namespace {

struct InsFrameCase {
    int id;
    int type;
    const char* frame;  // "" when the id builds nothing
    bool stays;         // still queued after the build
};

#include "ins_frame_table.inc"

// Every ask and set the command set builds, byte for byte with its
// checksum, on a Quillo7IO whose edited settings are all distinct.
TEST(InsFrames, EverySentenceOfTheCommandTable)
{
    PostRecorder posts;
    C_Q_InsCtrlCmd cmd;
    for (const InsFrameCase& c : kInsFrames) {
        make_system(&cmd, "QUIL7");
        fill_ins_edited(cmd.F_GetAllInsCnfIhm());
        cmd.F_AddNewMsgFifo(c.id, static_cast<unsigned short>(c.type), false, 0);
        cmd.F_AddNewMsgFifo(9999, 0, false, 0);  // keeps the save from being alone
        CString frame;
        cmd.P_MakeInsFrame(static_cast<uint16_t>(c.id), static_cast<uint16_t>(c.type), &frame);
        EXPECT_EQ(frame.str(), c.frame) << "id " << c.id << " type " << c.type;
        EXPECT_EQ(cmd.F_IsInFifo(c.id), c.stays) << "id " << c.id << " type " << c.type;
    }
}

TEST(InsFrames, SetClearsOnlyTheReceivedFlagOfItsOwnItem)
{
    C_Q_InsCtrlCmd cmd;
    make_system(&cmd, "QUIL7");
    sINS_SETTINGS& sys = *cmd.F_GetAllInsCnfSys();
    sys.Beacon[1].LvValid = 1;
    sys.Beacon[1].KfmValid = 1;
    sys.RsCm[3].Valid = 1;
    sys.Bias.Valid = 1;
    CString frame;
    cmd.P_MakeInsFrame(INS_ID_USBLV + 1, 1, &frame);
    cmd.P_MakeInsFrame(INS_ID_RSCM + 3, 0, &frame);  // an ask keeps it
    EXPECT_EQ(sys.Beacon[1].LvValid, 0);
    EXPECT_EQ(sys.Beacon[1].KfmValid, 1);
    EXPECT_EQ(sys.RsCm[3].Valid, 1);
    EXPECT_EQ(sys.Bias.Valid, 1);
}

TEST(InsFrames, SaveWaitsUntilItIsTheOnlyEntry)
{
    C_Q_InsCtrlCmd cmd;
    make_system(&cmd, "QUIL7");
    cmd.F_AddNewMsgFifo(INS_ID_SAVE, 0, false, 0);
    cmd.F_AddNewMsgFifo(INS_ID_BIAS, 0, false, 0);
    CString frame;
    cmd.P_MakeInsFrame(INS_ID_SAVE, 0, &frame);
    EXPECT_EQ(frame.str(), "");
    EXPECT_TRUE(cmd.F_IsInFifo(INS_ID_SAVE));
    cmd.F_DecodeInsCnf(ins_sealed("$PVRNK,CONFIG,BIAS__,0.100,0.200,0.300"));
    EXPECT_FALSE(cmd.F_IsInFifo(INS_ID_BIAS));
    cmd.P_MakeInsFrame(INS_ID_SAVE, 0, &frame);
    EXPECT_EQ(frame.str(), ins_sealed("$PVRNK,CONFIG,SAVE__,,"));
    // It stays until the system confirms it.
    EXPECT_TRUE(cmd.F_IsInFifo(INS_ID_SAVE));
    cmd.F_DecodeInsCnf(ins_sealed("$PVRNK,CONFIG,SAVE__,OK"));
    EXPECT_FALSE(cmd.F_IsInFifo(INS_ID_SAVE));
}

TEST(InsFrames, FlagsOfTheReadSettingsChooseStaticAlignmentAndDeadReckoningValues)
{
    C_Q_InsCtrlCmd cmd;
    make_system(&cmd, "QUIL7");
    sINS_SETTINGS& sys = *cmd.F_GetAllInsCnfSys();
    sys.StaticAlignment = 1;
    sys.DvlDeadReckoning = 1;
    struct Case {
        int id, type;
        const char* sentence;
    } cases[] = {
        {INS_ID_CVSTAT, 0, "$PVRNK,CONFIG,CVSTAT,0"},
        {INS_ID_DDRECK, 1, "$PVRNK,CONFIG,DDRECK,2"},
        {INS_ID_DDRECK, 0, "$PVRNK,CONFIG,DDRECK,0"},
    };
    for (const Case& c : cases) {
        CString frame;
        cmd.P_MakeInsFrame(static_cast<uint16_t>(c.id), static_cast<uint16_t>(c.type), &frame);
        EXPECT_EQ(frame.str(), ins_sealed(c.sentence)) << c.id << " type " << c.type;
    }
}

TEST(InsFrames, PortTypeAskNamesOnlyThePortsStillMissingAndLeavesWhenNoneIs)
{
    C_Q_InsCtrlCmd cmd;
    make_system(&cmd, "SELVO");  // three serial ports
    cmd.F_AddNewMsgFifo(INS_ID_IORS, 0, false, 0);
    cmd.F_GetAllInsCnfSys()->RsPortTypeValid[1] = 1;
    CString frame;
    cmd.P_MakeInsFrame(INS_ID_IORS, 0, &frame);
    EXPECT_EQ(frame.str(), ins_sealed("$PVRNK,CONFIG,IORS_A,,") + ins_sealed("$PVRNK,CONFIG,IORS_C,,"));
    cmd.F_GetAllInsCnfSys()->RsPortTypeValid[0] = 1;
    cmd.F_GetAllInsCnfSys()->RsPortTypeValid[2] = 1;
    frame.Empty();
    cmd.P_MakeInsFrame(INS_ID_IORS, 0, &frame);
    EXPECT_EQ(frame.str(), "");
    EXPECT_FALSE(cmd.F_IsInFifo(INS_ID_IORS));
}

TEST(InsFrames, TextAsksCarryTheListCountAndTheLanguageLetter)
{
    C_Q_InsCtrlCmd cmd;
    make_system(&cmd, "QUIL7");
    cmd.P_SetLanguageTextLoaded("French");
    cmd.F_GetAllInsText()->Status[1].Count = 12;
    CString frame;
    cmd.P_MakeInsFrame(INS_ID_TXT_STATUS + 1, 0, &frame);
    EXPECT_EQ(frame.str(), ins_sealed("$PVRNK,TEXT__,ALGSTS,0,12,F"));
    // The serial line texts walk the baud rates, then the parities.
    cmd.F_DecodeInsCnf(ins_sealed("$PVRNK,TEXT__,RSCM_X,0,2,4800"));
    cmd.F_DecodeInsCnf(ins_sealed("$PVRNK,TEXT__,RSCM_X,0,2,________________"));
    frame.Empty();
    cmd.P_MakeInsFrame(INS_ID_TXT_RSCM, 0, &frame);
    EXPECT_EQ(frame.str(), ins_sealed("$PVRNK,TEXT__,RSCM_X,1,0,F"));
}

TEST(InsFrames, WakeUpSentence)
{
    C_Q_InsCtrlCmd cmd;
    CString frame = "left over";
    cmd.F_InsWakeUp(&frame);
    EXPECT_EQ(frame.str(), "$PVRNK,CONFIG,WAKEUP*46\r\n");
}

}  // namespace
