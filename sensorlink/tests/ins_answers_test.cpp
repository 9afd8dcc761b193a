#include <gtest/gtest.h>

#include <functional>

#include "ins_fixture.h"

namespace {

struct AnswerCase {
    const char* sentence;  // without checksum
    int id;                // taken out of the queue and posted
    std::function<bool(const sINS_SETTINGS&)> stored;
};

// One answer of each settings family, stored into the read settings with
// its received flag, its id taken out of the queue and announced.
TEST(InsAnswers, EachSettingsFamilyIsStoredWithItsFlag)
{
    const AnswerCase cases[] = {
        {"$PVRNK,CONFIG,RSCM_C,5,2", INS_ID_RSCM + 2,
         [](const sINS_SETTINGS& s) { return s.RsCm[2].Baudrate == 5 && s.RsCm[2].Parity == 2 && s.RsCm[2].Valid; }},
        {"$PVRNK,CONFIG,RSIN_G,1,500,-3", INS_ID_RSIN + 6,
         [](const sINS_SETTINGS& s) { return s.RsIn[6].Protocol == 1 && s.RsIn[6].Param1 == 500 && s.RsIn[6].Param2 == -3 && s.RsIn[6].Valid; }},
        {"$PVRNK,CONFIG,RSOUTA,2,200,1,4,5", INS_ID_RSOUT,
         [](const sINS_SETTINGS& s) { return s.RsOut[0].Rate == 200 && s.RsOut[0].Param2 == 5 && s.RsOut[0].Valid; }},
        {"$PVRNK,CONFIG,ANOUTD,2.500,3,-0.125", INS_ID_ANOUT + 3,
         [](const sINS_SETTINGS& s) { return s.Analog[3].Scale == 2.5f && s.Analog[3].Variable == 3 && s.Analog[3].Offset == -0.125f && s.Analog[3].Valid; }},
        {"$PVRNK,CONFIG,IOOUTB,0.750,2", INS_ID_IOOUT + 1,
         [](const sINS_SETTINGS& s) { return s.PulseOut[1].Value == 0.75f && s.PulseOut[1].Mode == 2 && s.PulseOut[1].Valid && !s.PulseIn[1].Valid; }},
        {"$PVRNK,CONFIG,IOIN_A,1.500,1", INS_ID_IOIN,
         [](const sINS_SETTINGS& s) { return s.PulseIn[0].Value == 1.5f && s.PulseIn[0].Valid; }},
        {"$PVRNK,CONFIG,LBLKFM,2", INS_ID_KFM + 4, [](const sINS_SETTINGS& s) { return s.Kfm[4].Mode == 2 && s.Kfm[4].Valid; }},
        {"$PVRNK,CONFIG,LOGSND,6", INS_ID_INT + 7, [](const sINS_SETTINGS& s) { return s.Interface[7].Mode == 6 && s.Interface[7].Valid; }},
        {"$PVRNK,CONFIG,ZUP___,1", INS_ID_ZUP, [](const sINS_SETTINGS& s) { return s.ZupMode.Mode == 1 && s.ZupMode.Valid && !s.StartMode.Valid; }},
        {"$PVRNK,CONFIG,USBKFM,3,2", INS_ID_USBKFM + 2,
         [](const sINS_SETTINGS& s) { return s.Beacon[2].KfmMode == 3 && s.Beacon[2].KfmValid && !s.Beacon[0].KfmValid; }},
        {"$PVRNK,CONFIG,USBLV_,1.000,-2.000,3.500,1", INS_ID_USBLV + 1,
         [](const sINS_SETTINGS& s) { return s.Beacon[1].LvZ == 3.5f && s.Beacon[1].LvValid; }},
        {"$PVRNK,CONFIG,USBINT,4,CODE_7,0", INS_ID_USBINT,
         [](const sINS_SETTINGS& s) { return s.Beacon[0].Interface == 4 && std::strcmp(s.Beacon[0].Code, "CODE_7") == 0 && s.Beacon[0].IntValid; }},
        {"$PVRNK,CONFIG,USBVIE,1", INS_ID_USBVIE, [](const sINS_SETTINGS& s) { return s.BeaconViewer.Mode == 1 && s.BeaconViewer.Valid; }},
        {"$PVRNK,CONFIG,DEPLV_,0.100,0.200,-0.300", INS_ID_LV + 3,
         [](const sINS_SETTINGS& s) { return s.LeverArm[3].Z == -0.3f && s.LeverArm[3].Valid; }},
        {"$PVRNK,CONFIG,LOGCAL,1.000,2.000,3.000,0.9975", INS_ID_LOGCAL,
         [](const sINS_SETTINGS& s) { return s.LogCal.D == 0.9975f && s.LogCal.Valid; }},
        {"$PVRNK,CONFIG,LOGTAM,0.50,90.00", INS_ID_LOGTAM,
         [](const sINS_SETTINGS& s) { return s.LogTam.Direction == 90.0f && s.LogTam.Valid; }},
        {"$PVRNK,CONFIG,MANPOS,47.12345678,-3.98765432,12.500", INS_ID_MANPOS,
         [](const sINS_SETTINGS& s) { return s.ManualPosition.Latitude == 47.12345678 && s.ManualPosition.Longitude == -3.98765432 && s.ManualPosition.Valid; }},
        {"$PVRNK,CONFIG,UTMWGS,S,31,500000.125,5220000.250,-1.500", INS_ID_UTMWGS,
         [](const sINS_SETTINGS& s) { return s.UtmPosition.Hemisphere == 'S' && s.UtmPosition.Zone == 31 && s.UtmPosition.Northing == 5220000.25 && s.UtmPosition.Valid; }},
        {"$PVRNK,CONFIG,BIAS__,0.010,-0.020,0.030", INS_ID_BIAS, [](const sINS_SETTINGS& s) { return s.Bias.Y == -0.02f && s.Bias.Valid; }},
        {"$PVRNK,CONFIG,AXISOR,4", INS_ID_AXISOR, [](const sINS_SETTINGS& s) { return s.AxisOrientation.Mode == 4 && s.AxisOrientation.Valid; }},
        {"$PVRNK,CONFIG,LEVARM,1.000,2.000,-3.000", INS_ID_LEVARM,
         [](const sINS_SETTINGS& s) { return s.PrimaryLeverArm.Z == -3.0f && s.PrimaryLeverArm.Valid && !s.SecondaryLeverArm[0].Valid; }},
        {"$PVRNK,CONFIG,SECLVC,0.500,0.250,0.125", INS_ID_SECLV + 2,
         [](const sINS_SETTINGS& s) { return s.SecondaryLeverArm[2].Z == 0.125f && s.SecondaryLeverArm[2].Valid; }},
        {"$PVRNK,CONFIG,DDRECK,2", INS_ID_DDRECK, [](const sINS_SETTINGS& s) { return s.DvlDeadReckoning == 1 && s.DvlDeadReckoningValid; }},
        {"$PVRNK,CONFIG,SAVE__,OK", INS_ID_SAVE, [](const sINS_SETTINGS& s) { return s.SaveDone == 1; }},
    };
    PostRecorder posts;
    C_Q_InsCtrlCmd cmd;
    for (const AnswerCase& c : cases) {
        make_system(&cmd, "QUIL7");
        cmd.F_AddNewMsgFifo(c.id, 0, false, 0);
        posts.clear();
        EXPECT_EQ(cmd.F_DecodeInsCnf(ins_sealed(c.sentence)), 0) << c.sentence;
        EXPECT_TRUE(c.stored(*cmd.F_GetAllInsCnfSys())) << c.sentence;
        EXPECT_FALSE(cmd.F_IsInFifo(c.id)) << c.sentence;
        EXPECT_EQ(posts.params_of(C_Q_InsCtrlCmd::F_GetInsCnfMsg()), std::vector<LPARAM>{c.id}) << c.sentence;
    }
}

// Malformed answers change nothing, post nothing and leave the ask queued.
TEST(InsAnswers, MalformedAnswersChangeNothing)
{
    const char* cases[] = {
        "$PVRNK,CONFIG,RSCM_A,5",               // a field short
        "$PVRNK,CONFIG,RSCM_A,5,1,1",           // a field too many
        "$PVRNK,CONFIG,RSCM_A,5,x",             // not a number
        "$PVRNK,CONFIG,RSCM_H,5,1",             // no port H
        "$PVRNK,CONFIG,BIAS__,0.1,nan,0.3",     // not finite
        "$PVRNK,CONFIG,BIAS__,0.1,1e60,0.3",    // beyond a float
        "$PVRNK,CONFIG,USBKFM,3,3",             // no beacon 3
        "$PVRNK,CONFIG,USBKFM,3,-1",
        "$PVRNK,CONFIG,UTMWGS,NS,31,1.0,2.0,3.0",  // hemisphere of two letters
        "$PVRNK,CONFIG,MANPOS,47.0,,12.5",
        "$PVRNK,CONFIG,NBRIO_,7,2",
        "$PVRNK,CONFIG,IORS_A,9",               // no such port type
        "$PVRNK,CONFIG,UNKNOW,1",
    };
    PostRecorder posts;
    C_Q_InsCtrlCmd cmd;
    make_system(&cmd, "QUIL7");
    const sINS_SETTINGS before = *cmd.F_GetAllInsCnfSys();
    for (const char* sentence : cases) {
        for (int id : {INS_ID_RSCM, INS_ID_BIAS, INS_ID_USBKFM, INS_ID_UTMWGS, INS_ID_MANPOS, INS_ID_NBRIO, INS_ID_IORS})
            cmd.F_AddNewMsgFifo(id, 0, false, 0);
        posts.clear();
        EXPECT_EQ(cmd.F_DecodeInsCnf(ins_sealed(sentence)), 0) << sentence;
        EXPECT_EQ(std::memcmp(&before, cmd.F_GetAllInsCnfSys(), sizeof before), 0) << sentence;
        EXPECT_EQ(cmd.F_GetTailleFifo(), 7u) << sentence;
        EXPECT_TRUE(posts.take().empty()) << sentence;
    }
    // Neither a text nor a settings answer: the data decoder's turn.
    EXPECT_EQ(cmd.F_DecodeInsCnf(ins_sealed("$PVRNK,ATITUD,1,2,3")), -1);
    EXPECT_EQ(cmd.F_DecodeInsCnf(ins_sealed("$PVRNK,CONFIGX,BIAS__,1,2,3")), -1);
    EXPECT_EQ(cmd.F_DecodeInsCnf(static_cast<const char*>(nullptr)), -1);
}

struct SystemCase {
    const char* code;
    uint16_t type;
    const char* name;
    uint16_t serial, pulse, analog;
};

TEST(InsSystemType, EachCodeSetsTypeNameAndPortCountsAndAsksTheInfoTextsWhenKnown)
{
    const SystemCase cases[] = {
        {"SELVO", 1, "Selvo", 3, 2, 0},       {"QUIL3", 8, "Quillo3IO", 3, 2, 4},
        {"PELNO", 14, "Pelno", 7, 2, 4},      {"GRAVO", 13, "Gravo", 7, 2, 4},
        {"QUIL7", 9, "Quillo7IO", 7, 2, 4},   {"TARNO", 6, "Tarno", 3, 2, 0},
        {"SUBQU", 11, "Subsea Quillo", 6, 2, 0}, {"QUIL9", 0, "Unknown", 7, 2, 4},
        {"SELV", 0, "Unknown", 7, 2, 4},
    };
    C_Q_InsCtrlCmd cmd;
    for (const SystemCase& c : cases) {
        cmd.P_InitAllInsTextAndCnf();
        cmd.F_GetAllInsCnfSys()->RsPortType[2] = INS_PORT_INPUT;
        cmd.F_AddNewMsgFifo(INS_ID_EQP, 0, true, 0);
        EXPECT_EQ(cmd.F_DecodeInsCnf(ins_sealed(std::string("$PVRNK,TEXT__,EQP___,3,1,") + c.code)), 0);
        const sINS_SETTINGS& s = *cmd.F_GetAllInsCnfSys();
        EXPECT_EQ(s.SystemType, c.type) << c.code;
        EXPECT_STREQ(s.SystemName, c.name) << c.code;
        EXPECT_EQ(s.NbRsPort, c.serial) << c.code;
        EXPECT_EQ(s.NbPulsePort, c.pulse) << c.code;
        EXPECT_EQ(s.NbAnalogicOutput, c.analog) << c.code;
        EXPECT_EQ(s.RsPortType[2], INS_PORT_IN_OUT) << c.code;
        const std::vector<int> expected = c.type != 0 ? std::vector<int>{1527, 1528, 1529} : std::vector<int>{};
        EXPECT_EQ(drain_queue(&cmd), expected) << c.code;  // 1615 gone in every case
    }
}

// The load is driven by the answers: the info texts start the status
// lists, and the last status list starts the text and settings asks.
TEST(InsLoadSequence, InfoTextsThenStatusListsThenTheConfigurationAsks)
{
    PostRecorder posts;
    C_Q_InsCtrlCmd cmd;
    make_system(&cmd, "QUIL7");
    cmd.F_DecodeInsCnf(ins_sealed("$PVRNK,TEXT__,VERLDR,0,1,LDR_1.0"));
    cmd.F_DecodeInsCnf(ins_sealed("$PVRNK,TEXT__,SERNUM,0,1,INS_0042*"));
    EXPECT_TRUE(posts.take().empty());
    EXPECT_EQ(cmd.F_GetTailleFifo(), 0u);
    cmd.F_DecodeInsCnf(ins_sealed("$PVRNK,TEXT__,VERFRM,0,1,FRM_4.2"));
    const sINS_SETTINGS& s = *cmd.F_GetAllInsCnfSys();
    EXPECT_STREQ(s.SerialNumber, "INS 0042");
    EXPECT_STREQ(s.Firmware, "FRM 4.2");
    EXPECT_STREQ(s.Loader, "LDR 1.0");
    const std::vector<PostedMessage> info = posts.take();
    ASSERT_EQ(info.size(), 2u);
    EXPECT_EQ(info[0].message, C_Q_InsCtrlCmd::F_GetInsTextMsg());
    EXPECT_EQ(info[0].lParam, INS_ID_TXT_VERFRM);
    EXPECT_EQ(info[1].message, C_Q_InsCtrlCmd::F_GetInsStartLoadMsg());
    EXPECT_EQ(info[1].lParam, 0);
    EXPECT_EQ(drain_queue(&cmd), (std::vector<int>{1524, 1525, 1526}));

    const char* end = "________________";
    for (const char* list : {"STATUS", "ALGSTS"})
        cmd.F_DecodeInsCnf(ins_sealed(std::string("$PVRNK,TEXT__,") + list + ",0,0," + end));
    EXPECT_TRUE(posts.take().empty());
    cmd.F_DecodeInsCnf(ins_sealed(std::string("$PVRNK,TEXT__,HT_STS,0,0,") + end));
    EXPECT_EQ(posts.params_of(C_Q_InsCtrlCmd::F_GetInsTextMsg()), std::vector<LPARAM>{INS_ID_TXT_STATUS});
    EXPECT_EQ(drain_queue(&cmd),
              concat({{1530, 1531, 1532, 1534, 1535, 1533, 1538, 1539, 1540, 1537, 1536, 1622, 1599},
                      id_range(1607, 1614), id_range(1600, 1606)}));
}

struct StartCase {
    const char* code;
    std::vector<int> queued;
};

TEST(InsLoadSequence, ConfigurationAsksOfEachSystemType)
{
    const std::vector<int> tail_all = concat({{1622, 1599}, id_range(1607, 1614), id_range(1600, 1606)});
    const std::vector<int> tail_short = concat({{1622, 1599}, id_range(1607, 1614)});
    const StartCase cases[] = {
        {"QUIL3", concat({{1530, 1531, 1532, 1534, 1535, 1533, 1538, 1539, 1540, 1537, 1536}, tail_all})},
        {"SELVO", concat({{1530, 1531, 1532, 1534, 1535, 1538, 1539, 1540}, tail_short})},
        {"GRAVO", concat({{1530, 1531, 1532, 1534, 1535, 1533, 1538, 1539, 1540, 1537, 1536}, tail_short})},
        {"SUBQU", concat({{1530, 1531, 1532, 1534, 1535, 1538, 1539, 1540, 1537, 1536}, tail_all})},
        {"TARNO", concat({{1530, 1531, 1532, 1534, 1535, 1538, 1539, 1540, 1537, 1536}, tail_all})},
    };
    C_Q_InsCtrlCmd cmd;
    for (const StartCase& c : cases) {
        make_system(&cmd, c.code);
        for (const char* list : {"STATUS", "ALGSTS", "HT_STS"})
            cmd.F_DecodeInsCnf(ins_sealed(std::string("$PVRNK,TEXT__,") + list + ",0,0,________________"));
        EXPECT_EQ(drain_queue(&cmd), c.queued) << c.code;
    }
}

TEST(InsStatusLists, TextsAreStoredWithMasksLevelsAndSortedPointers)
{
    PostRecorder posts;
    C_Q_InsCtrlCmd cmd;
    make_system(&cmd, "QUIL7");
    cmd.F_AddNewMsgFifo(INS_ID_TXT_STATUS, 0, false, 0);
    const sINS_TEXT& t = *cmd.F_GetAllInsText();
    // Codes out of order; two "Spare" bits apart; a repeated answer.
    const char* answers[] = {"$PVRNK,TEXT__,STATUS,0x0,0,x",  // malformed code: ignored
                             "$PVRNK,TEXT__,STATUS,8196,1,GPS_lost*",
                             "$PVRNK,TEXT__,STATUS,4099,1,Spare",
                             "$PVRNK,TEXT__,STATUS,4099,1,Spare",  // the same ask answered twice
                             "$PVRNK,TEXT__,STATUS,12293,1,Heading_bad",
                             "$PVRNK,TEXT__,STATUS,4100,1,Spare"};
    for (const char* a : answers)
        cmd.F_DecodeInsCnf(ins_sealed(a));
    EXPECT_TRUE(cmd.F_IsInFifo(INS_ID_TXT_STATUS));
    const sINS_STATUS_LIST& list = t.Status[0];
    ASSERT_EQ(list.Count, 4);
    EXPECT_STREQ(list.Entry[0].text, "GPS lost");
    EXPECT_STREQ(list.Entry[1].text, "Spare");
    EXPECT_STREQ(list.Entry[3].text, "Spare");
    EXPECT_EQ(list.Entry[2].code, 12293u);
    EXPECT_EQ(list.Entry[0].mask, 1u);
    EXPECT_EQ(list.Entry[3].mask, 8u);
    EXPECT_EQ(list.Entry[2].green, 255);  // mode 5: green, bold
    EXPECT_EQ(list.Entry[2].bold, 2);
    ASSERT_EQ(t.NbStatusPtr, 4);
    for (const char* l : {"STATUS", "ALGSTS", "HT_STS"})
        cmd.F_DecodeInsCnf(ins_sealed(std::string("$PVRNK,TEXT__,") + l + ",0,0,________________"));
    EXPECT_FALSE(cmd.F_IsInFifo(INS_ID_TXT_STATUS));
    const uint32_t sorted[] = {4099, 4100, 8196, 12293};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(t.StatusPtr[i]->code, sorted[i]) << i;
}

TEST(InsStatusLists, AListStopsAtSixtyFourTextsAndCountsAsComplete)
{
    C_Q_InsCtrlCmd cmd;
    make_system(&cmd, "QUIL7");
    cmd.F_AddNewMsgFifo(INS_ID_TXT_STATUS + 2, 0, false, 0);
    for (int i = 0; i < 100; ++i)
        cmd.F_DecodeInsCnf(ins_sealed("$PVRNK,TEXT__,HT_STS," + std::to_string(i) + ",0,bit_" + std::to_string(i)));
    const sINS_TEXT& t = *cmd.F_GetAllInsText();
    EXPECT_EQ(t.Status[2].Count, INS_LIST_MAX_TEXTS);
    EXPECT_EQ(t.StatusComplete[2], 1);
    EXPECT_EQ(t.NbStatusPtr, INS_LIST_MAX_TEXTS);
    EXPECT_FALSE(cmd.F_IsInFifo(INS_ID_TXT_STATUS + 2));
    EXPECT_STREQ(t.Status[2].Entry[63].text, "bit 63");
    EXPECT_EQ(t.Status[2].Entry[63].mask, 1u << 31);
}

TEST(InsTexts, EnumerationListsFillAndAskTheirSettings)
{
    PostRecorder posts;
    C_Q_InsCtrlCmd cmd;
    make_system(&cmd, "QUIL3");  // three serial ports
    cmd.F_GetAllInsCnfSys()->RsPortType[1] = INS_PORT_OUTPUT;
    cmd.F_AddNewMsgFifo(INS_ID_TXT_RSIN, 0, false, 0);
    cmd.F_DecodeInsCnf(ins_sealed("$PVRNK,TEXT__,RSIN_X,0,3,None"));
    cmd.F_DecodeInsCnf(ins_sealed("$PVRNK,TEXT__,RSIN_X,4,3,DVL_aided_with_a_very_long_name_cut"));
    EXPECT_TRUE(cmd.F_IsInFifo(INS_ID_TXT_RSIN));
    cmd.F_DecodeInsCnf(ins_sealed("$PVRNK,TEXT__,RSIN_X,0,3,________________"));
    const sINS_TEXT_GROUP& g = cmd.F_GetAllInsText()->Group[INS_TXT_RSIN];
    EXPECT_EQ(g.Complete, 1);
    EXPECT_EQ(g.List[0].Count, 2);
    EXPECT_EQ(g.List[0].Code[1], 4);
    EXPECT_STREQ(g.List[0].Text[1], "DVL aided with a very long name ");
    EXPECT_EQ(posts.params_of(C_Q_InsCtrlCmd::F_GetInsTextMsg()), std::vector<LPARAM>{INS_ID_TXT_RSIN});
    // Port B only sends: its input settings are not asked.
    EXPECT_EQ(drain_queue(&cmd), (std::vector<int>{INS_ID_RSIN, INS_ID_RSIN + 2}));
}

TEST(InsPorts, CountsFromTheWireAreClampedToThePortRecords)
{
    PostRecorder posts;
    C_Q_InsCtrlCmd cmd;
    make_system(&cmd, "QUIL7");
    cmd.F_AddNewMsgFifo(INS_ID_NBRIO, 0, false, 0);
    cmd.F_DecodeInsCnf(ins_sealed("$PVRNK,CONFIG,NBRIO_,40,9,-2"));
    const sINS_SETTINGS& s = *cmd.F_GetAllInsCnfSys();
    EXPECT_EQ(s.NbRsPort, INS_MAX_RS_PORT);
    EXPECT_EQ(s.NbPulsePort, INS_MAX_PULSE_PORT);
    EXPECT_EQ(s.NbAnalogicOutput, 0);
    EXPECT_EQ(drain_queue(&cmd), std::vector<int>{INS_ID_IORS});

    cmd.F_AddNewMsgFifo(INS_ID_USBNBB, 0, false, 0);
    cmd.F_DecodeInsCnf(ins_sealed("$PVRNK,CONFIG,USBNBB,65535"));
    EXPECT_EQ(s.NbUsblBeacon, INS_MAX_BEACON);
    EXPECT_EQ(drain_queue(&cmd), (std::vector<int>{1589, 1592, 1595, 1590, 1593, 1596, 1591, 1594, 1597, 1598}));
    // The set of every setting then walks three beacons, no more.
    fill_ins_edited(cmd.F_GetAllInsCnfIhm());
    cmd.F_UpdateInsAllCnf(true, true);
    CString frames;
    for (int id : drain_queue(&cmd))
        cmd.P_MakeInsFrame(static_cast<uint16_t>(id), 1, &frames);
    EXPECT_NE(frames.Find("USBINT,9,BC2,2*"), -1);
}

TEST(InsPorts, PortTypesAreTakenUntilEveryPortHasOne)
{
    PostRecorder posts;
    C_Q_InsCtrlCmd cmd;
    make_system(&cmd, "SELVO");
    cmd.F_AddNewMsgFifo(INS_ID_NBRIO, 0, false, 0);
    cmd.F_DecodeInsCnf(ins_sealed("$PVRNK,CONFIG,NBRIO_,2,1,0"));
    EXPECT_TRUE(cmd.F_IsInFifo(INS_ID_IORS));
    cmd.F_DecodeInsCnf(ins_sealed("$PVRNK,CONFIG,IORS_C,1"));  // beyond the count
    cmd.F_DecodeInsCnf(ins_sealed("$PVRNK,CONFIG,IORS_B,2"));
    EXPECT_TRUE(cmd.F_IsInFifo(INS_ID_IORS));
    cmd.F_DecodeInsCnf(ins_sealed("$PVRNK,CONFIG,IORS_A,1"));
    EXPECT_FALSE(cmd.F_IsInFifo(INS_ID_IORS));
    const sINS_SETTINGS& s = *cmd.F_GetAllInsCnfSys();
    EXPECT_EQ(s.RsPortType[0], INS_PORT_OUTPUT);
    EXPECT_EQ(s.RsPortType[1], INS_PORT_INPUT);
    EXPECT_EQ(s.RsPortType[2], INS_PORT_IN_OUT);
    EXPECT_EQ(s.RsPortTypeValid[2], 0);
}

struct UpdateCase {
    const char* code;
    bool manual;
    std::vector<int> queued;
};

TEST(InsUpdateAll, SetsOfEachSystemType)
{
    const UpdateCase cases[] = {
        {"SELVO", false,
         concat({{1541, 1555, 1548, 1542, 1556, 1549, 1543, 1557, 1550, 1566, 1567, 1568, 1569, 1570, 1577, 1578,
                  1599, 1608},
                 id_range(1609, 1614)})},
        {"TARNO", true,
         concat({{1541, 1555, 1548, 1542, 1556, 1549, 1543, 1557, 1550, 1566, 1567, 1568, 1569}, id_range(1570, 1584),
                 id_range(1599, 1604), id_range(1585, 1587), {1607}, id_range(1609, 1614), {1605, 1606}})},
        {"GRAVO", false,
         concat({{1541, 1555, 1548, 1542, 1556, 1549, 1543, 1557, 1550, 1544, 1558, 1551, 1545, 1559, 1552, 1546, 1560,
                  1553, 1547, 1561, 1554, 1566, 1567, 1568, 1569, 1562, 1563, 1564, 1565},
                 id_range(1570, 1578), id_range(1599, 1604), id_range(1585, 1587), {1608}, id_range(1609, 1614),
                 {1605, 1606}})},
    };
    C_Q_InsCtrlCmd cmd;
    for (const UpdateCase& c : cases) {
        make_system(&cmd, c.code);
        cmd.F_UpdateInsAllCnf(true, c.manual);
        EXPECT_EQ(drain_queue(&cmd), c.queued) << c.code;
    }
    // Type 2 is a Selvo as well.
    make_system(&cmd, "SELVO");
    cmd.F_GetAllInsCnfSys()->SystemType = 2;
    cmd.F_UpdateInsAllCnf(true, false);
    EXPECT_EQ(drain_queue(&cmd), cases[0].queued);
}

TEST(InsUpdateAll, PortTypesAndBeaconsShapeTheSets)
{
    C_Q_InsCtrlCmd cmd;
    make_system(&cmd, "QUIL3");
    sINS_SETTINGS& s = *cmd.F_GetAllInsCnfSys();
    s.RsPortType[0] = INS_PORT_OUTPUT;
    s.RsPortType[1] = INS_PORT_INPUT;
    s.RsPortType[2] = 0;  // neither: nothing sent
    s.NbUsblBeacon = 2;
    cmd.F_UpdateInsAllCnf(true, true);
    EXPECT_EQ(drain_queue(&cmd),
              concat({{1541, 1555, 1542, 1549, 1566, 1567, 1568, 1569, 1562, 1563, 1564, 1565}, id_range(1570, 1584),
                      id_range(1599, 1604), id_range(1585, 1587), {1589, 1595, 1592, 1590, 1596, 1593, 1598, 1607},
                      id_range(1609, 1614), {1605, 1606}}));
    // An id queued again moves to the tail, with the set type.
    cmd.F_AddNewMsgFifo(INS_ID_BIAS, 0, false, 0);
    cmd.F_AddNewMsgFifo(INS_ID_AXISOR, 0, false, 0);
    cmd.F_UpdateInsAllCnf(true, true);
    sMSG head{};
    cmd.F_GetFirstMsgFifo(&head, 1);
    EXPECT_EQ(head.id, 1541);
    EXPECT_EQ(head.type, 1);
}

TEST(InsUpdateAll, FalseDropsTheEdits)
{
    C_Q_InsCtrlCmd cmd;
    make_system(&cmd, "QUIL7");
    fill_ins_edited(cmd.F_GetAllInsCnfIhm());
    cmd.F_UpdateInsAllCnf(false, false);
    EXPECT_EQ(std::memcmp(cmd.F_GetAllInsCnfIhm(), cmd.F_GetAllInsCnfSys(), sizeof(sINS_SETTINGS)), 0);
    EXPECT_EQ(cmd.F_GetTailleFifo(), 0u);
}

}  // namespace
