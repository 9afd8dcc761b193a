#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "tvr_fixture.h"

namespace {

class TvrAnswers : public ::testing::Test {
protected:
    void SetUp() override { make_model(&cmd, TVR_MODEL_TALVOR4); posts.clear(); }

    int decode(const std::string& body) { return cmd.F_DecodeTvrCnf(sealed(body)); }
    sTVR_SETTINGS& sys() { return *cmd.F_GetAllTvrCnfSys(); }
    sTVR_TEXT& text() { return *cmd.F_GetAllTvrText(); }

    PostRecorder posts;
    C_Q_TvrCtrlCmd cmd;
};

struct AnswerCase {
    uint16_t model;
    const char* sentence;
    int result;     // of F_DecodeTvrCnf
    int id;         // removed from the queue and posted as "VARNEK_TALVOR_CNF"; 0 none
    std::function<bool(const sTVR_SETTINGS&)> holds;
};

TEST_F(TvrAnswers, SettingsAnswersFillTheReadCopy)
{
    const AnswerCase cases[] = {
        {7, "$KVCNF,RSCM_B,5,1,0,1", 0, 1552,
         [](auto& s) { auto& p = s.RsPort[1]; return p.Baudrate == 5 && p.Parity == 1 && p.StopBits == 0 && p.RsLevel == 1 && p.RsCmValid; }},
        {15, "$KVCNF,RSCM_C,4,2,1", 0, 1553,
         [](auto& s) { auto& p = s.RsPort[2]; return p.Baudrate == 4 && p.Parity == 2 && p.StopBits == 1 && p.RsCmValid; }},
        {7, "$KVCNF,RSIN_D,2,1500", 0, 1559, [](auto& s) { return s.RsPort[3].InProtocol == 2 && s.RsPort[3].InTimeOut == 1500 && s.RsPort[3].RsInValid; }},
        {15, "$KVCNF,RSIN_A,1,200,1", 0, 1556, [](auto& s) { return s.RsPort[0].InMode == 1 && s.RsPort[0].RsInValid; }},
        {7, "$KVCNF,RSOUTC,2,1,50,2,1,user.txt", 0, 1563,
         [](auto& s) { auto& p = s.RsPort[2]; return p.OutProtocol == 2 && p.LeverArm == 1 && p.OutRate == 50 && p.HeaveFilter == 2 && p.Zda == 1 && std::string(p.UserProtocolName) == "user.txt" && p.RsOutValid; }},
        {7, "$KVCNF,RSUDPA,F1,F2~F3~", 0, 0, [](auto& s) { return std::string(s.RsPort[0].UserProtocol) == "F1,F2~F3~"; }},
        {7, "$KVCNF,EDIRIE,4", 0, 1578, [](auto& s) { return s.DeviceIn[4].Device == 4 && s.DeviceIn[4].Valid; }},
        {7, "$KVCNF,EDIROA,1", 0, 1579, [](auto& s) { return s.DeviceOut[0].Device == 1 && s.DeviceOut[0].Valid; }},
        {7, "$KVCNF,ELCFID,1,10.20.30.40,8110", 0, 1587,
         [](auto& s) { auto& e = s.EthernetIn[3]; return e.Transport == 1 && e.IpAddress[0] == 10 && e.IpAddress[3] == 40 && e.IpPort == 8110 && e.Valid; }},
        {7, "$KVCNF,ELCFOB,0,255.0.0.1,1", 0, 1590, [](auto& s) { return s.EthernetOut[1].IpAddress[0] == 255 && s.EthernetOut[1].Valid; }},
        {7, "$KVCNF,UTCINT,2,1", 0, 1594, [](auto& s) { return s.UtcInterface == 2 && s.UtcPpsMode == 1 && s.UtcValid; }},
        {7, "$KVCNF,PPSIN_,1,0.500000", 0, 1595, [](auto& s) { return s.Pulse[0].Protocol == 1 && s.Pulse[0].Parameter == 0.5f && s.Pulse[0].Valid; }},
        {7, "$KVCNF,PULSOB,3,12.250000", 0, 1600, [](auto& s) { return s.Pulse[5].Protocol == 3 && s.Pulse[5].Parameter == 12.25f; }},
        {15, "$KVCNF,IOOUTB,0.750,2", 0, 1600, [](auto& s) { return s.Pulse[5].Protocol == 2 && s.Pulse[5].Parameter == 0.75f && s.Pulse[5].Valid; }},
        {15, "$KVCNF,IOIN_A,1.500,1", 0, 1597, [](auto& s) { return s.Pulse[2].Protocol == 1 && s.Pulse[2].Parameter == 1.5f; }},
        {7, "$KVCNF,ETHIP,1,192.168.0.9,255.255.255.0", 0, 1601,
         [](auto& s) { return s.EthDhcpMode == 1 && s.EthIpAddress[3] == 9 && s.EthNetMask[2] == 255 && s.EthBootValid; }},
        {15, "$KVCNF,ANOUTD,2.500,3,1", 0, 1606, [](auto& s) { auto& a = s.AnalogOutput[3]; return a.Scale == 2.5f && a.Variable == 3 && a.Range == 1 && a.Valid; }},
        {7, "$KVBIA,0.100,-0.200,0.300", -1, 1566, [](auto& s) { return s.Bias.X == 0.1f && s.Bias.Y == -0.2f && s.Bias.Z == 0.3f && s.Bias.Valid; }},
        {7, "$KVLEV,1.000,+2.000,-3.000", -1, 1567, [](auto& s) { return s.LeverArm.Y == 2.0f && s.LeverArm.Valid; }},
        {7, "$KVLVC,0.000,0.000,6.000", -1, 1570, [](auto& s) { return s.LeverArm2[2].Z == 6.0f && s.LeverArm2[2].Valid; }},
        {7, "$KVORI,3", -1, 1571, [](auto& s) { return s.AxisOrientation == 3 && s.AxisOrientationValid; }},
        {7, "$KVMAN,12.50,47.25", -1, 1602, [](auto& s) { return s.ManualSpeed == 12.5f && s.ManualLatitude == 47.25f && s.ManualValid; }},
        // Malformed or foreign answers change nothing and leave the ask queued.
        {7, "$KVCNF,RSCM_B,5,1,0", 0, 0, [](auto& s) { return !s.RsPort[1].RsCmValid; }},       // Talvor3 layout on a Talvor4
        {15, "$KVCNF,RSCM_B,5,1,0,1", 0, 0, [](auto& s) { return !s.RsPort[1].RsCmValid; }},     // and the other way round
        {7, "$KVCNF,RSCM_F,5,1,0,1", 0, 0, [](auto&) { return true; }},                          // no port F
        {7, "$KVCNF,RSCM_B,5,x,0,1", 0, 0, [](auto& s) { return s.RsPort[1].Baudrate == 0; }},   // not a number
        {7, "$KVCNF,RSCM_B,99999999999,1,0,1", 0, 0, [](auto& s) { return s.RsPort[1].Baudrate == 0; }},
        {7, "$KVCNF,ELCFIA,1,10.20.30.400,8110", 0, 0, [](auto& s) { return !s.EthernetIn[0].Valid; }},
        {7, "$KVCNF,ELCFIA,1,10.20.30,8110", 0, 0, [](auto& s) { return !s.EthernetIn[0].Valid; }},
        {7, "$KVBIA,nan,0,0", -1, 0, [](auto& s) { return !s.Bias.Valid; }},
        {7, "$KVBIA,1e300,0,0", -1, 0, [](auto& s) { return !s.Bias.Valid; }},
        {7, "$KVBIA,,", -1, 0, [](auto& s) { return !s.Bias.Valid; }},
        {7, "$KVCNF,PPSIN_,1,0.5", 0, 1595, [](auto& s) { return s.Pulse[0].Valid; }},
        {7, "$KVCNF,IOIN_A,1.500,1", 0, 0, [](auto& s) { return !s.Pulse[2].Valid; }},            // a Talvor3 sentence
        {7, "$GPGGA,1,2,3", -1, 0, [](auto&) { return true; }},
    };
    for (const AnswerCase& c : cases) {
        make_model(&cmd, c.model);
        posts.clear();
        for (int id = 1551; id <= 1606; ++id)
            cmd.F_AddNewMsgFifo(id, 0, false, 0);
        const unsigned before = cmd.F_GetTailleFifo();
        EXPECT_EQ(decode(c.sentence), c.result) << c.sentence;
        EXPECT_TRUE(c.holds(sys())) << c.sentence;
        const std::vector<LPARAM> cnf = posts.params_of(C_Q_TvrCtrlCmd::F_GetTvrCnfMsg());
        if (c.id != 0) {
            EXPECT_FALSE(cmd.F_IsInFifo(c.id)) << c.sentence;
            EXPECT_EQ(cmd.F_GetTailleFifo(), before - 1) << c.sentence;
            EXPECT_EQ(cnf, std::vector<LPARAM>{c.id}) << c.sentence;
        } else {
            EXPECT_EQ(cmd.F_GetTailleFifo(), before) << c.sentence;
            EXPECT_TRUE(cnf.empty()) << c.sentence;
        }
    }
}

struct ModelCase {
    const char* answer;
    uint16_t type;
    uint16_t rs, analog, pulse;
    const char* name;
    std::vector<int> queued;  // in order
};

std::vector<int> range(int a, int b)
{
    std::vector<int> v;
    for (int i = a; i <= b; ++i)
        v.push_back(i);
    return v;
}

std::vector<int> join(std::vector<std::vector<int>> parts)
{
    std::vector<int> v;
    for (auto& p : parts)
        v.insert(v.end(), p.begin(), p.end());
    return v;
}

std::vector<int> drain_order(C_Q_TvrCtrlCmd& cmd)
{
    std::vector<int> ids;
    sMSG msg{};
    const unsigned n = cmd.F_GetTailleFifo();
    for (unsigned i = 0; i < n && cmd.F_GetFirstMsgFifo(&msg, 1) == 0; ++i)
        ids.push_back(msg.id);
    return ids;
}

TEST_F(TvrAnswers, ModelAnswerFixesTheCountsAndQueuesTheLoad)
{
    const ModelCase cases[] = {
        {"$KVTXT,EQP___,E,1,0,TALV3", 15, 3, 4, 2, "Talvor3", join({range(1524, 1550), range(1602, 1606)})},
        {"$KVTXT,EQP___,E,1,0,TALV4", 7, 5, 0, 2, "Talvor4", join({range(1525, 1547), range(1566, 1573), {1601, 1602}})},
        {"$KVTXT,EQP___,E,1,0,TALV4X", 7, 5, 0, 2, "Talvor4", join({range(1525, 1547), range(1566, 1573), {1601, 1602}})},
        {"$KVTXT,EQP___,E,1,0,OTHER", 0, 5, 0, 2, "", {}},
        {"$KVTXT,EQP___,E,1,0,TALV", 0, 5, 0, 2, "", {}},
        {"$KVTXT,EQP___,garbage", 0, 5, 0, 2, "", {}},
    };
    for (const ModelCase& c : cases) {
        make_model(&cmd, 0);
        posts.clear();
        cmd.F_AddNewMsgFifo(TVR_ID_MODEL, 0, false, 0);
        EXPECT_EQ(decode(c.answer), 0);
        EXPECT_EQ(cmd.F_GetTvrSystemType(), c.type) << c.answer;
        EXPECT_EQ(cmd.F_GetTvrNbRsPort(), c.rs) << c.answer;
        EXPECT_EQ(cmd.F_GetTvrNbAnalogicOutput(), c.analog) << c.answer;
        EXPECT_EQ(cmd.F_GetTvrNbPulsePort(), c.pulse) << c.answer;
        EXPECT_EQ(cmd.F_GetTvrNbRsOutPort(), 3) << c.answer;
        EXPECT_STREQ(sys().SystemName, c.name);
        EXPECT_FALSE(cmd.F_IsInFifo(TVR_ID_MODEL)) << c.answer;  // the model ask leaves in every case
        EXPECT_EQ(drain_order(cmd), c.queued) << c.answer;
        EXPECT_EQ(posts.params_of(C_Q_TvrCtrlCmd::F_GetTvrStartLoadMsg()).size(), c.type ? 1u : 0u) << c.answer;
    }
}

TEST_F(TvrAnswers, RepeatedModelAnswerDoesNotRestartTheLoad)
{
    make_model(&cmd, 0);
    decode("$KVTXT,EQP___,E,1,0,TALV4");
    cmd.F_FindAndRemoveFifo(1525);
    posts.clear();
    decode("$KVTXT,EQP___,E,1,0,TALV4");
    EXPECT_FALSE(cmd.F_IsInFifo(1525));
    EXPECT_TRUE(posts.params_of(C_Q_TvrCtrlCmd::F_GetTvrStartLoadMsg()).empty());
}

TEST_F(TvrAnswers, TextListReadsOneTextPerAnswerCleansItAndEndsOnTheMarker)
{
    cmd.F_AddNewMsgFifo(TVR_ID_TXT_UTCINT, 0, false, 0);
    EXPECT_EQ(decode("$KVTXT,UTCINT,E,0,3,None"), 0);
    EXPECT_EQ(decode("$KVTXT,UTCINT,E,0,3,None"), 0);  // the answer of an ask sent twice
    EXPECT_EQ(decode("$KVTXT,UTCINT,E,1,3,ZDA_and_PPS"), 0);
    EXPECT_EQ(decode("$KVTXT,UTCINT,E,2,3,0123456789012345678901234567890123456789"), 0);
    EXPECT_TRUE(cmd.F_IsInFifo(TVR_ID_TXT_UTCINT));  // still reading
    EXPECT_TRUE(posts.params_of(C_Q_TvrCtrlCmd::F_GetTvrTextMsg()).empty());
    EXPECT_EQ(decode("$KVTXT,UTCINT,E,0,3,________________"), 0);

    const sTVR_TEXT_LIST& list = text().Group[TVR_TXT_UTCINT].List[0];
    EXPECT_EQ(list.NbText, 3);
    EXPECT_EQ(list.NbAnnounced, 3);
    EXPECT_STREQ(list.Text[0], "None");
    EXPECT_STREQ(list.Text[1], "ZDA and PPS");
    EXPECT_STREQ(list.Text[2], "01234567890123456789012345678901");  // cut at 32
    EXPECT_EQ(list.Code[1], 1);
    EXPECT_TRUE(list.Valid);
    EXPECT_TRUE(text().Group[TVR_TXT_UTCINT].Complete);
    EXPECT_FALSE(cmd.F_IsInFifo(TVR_ID_TXT_UTCINT));
    EXPECT_TRUE(cmd.F_IsInFifo(TVR_ID_UTCINT));  // its settings ask follows
    EXPECT_EQ(posts.params_of(C_Q_TvrCtrlCmd::F_GetTvrTextMsg()), std::vector<LPARAM>{TVR_ID_TXT_UTCINT});
}

TEST_F(TvrAnswers, EqualTextsThatAreNotNeighboursAreBothKept)
{
    for (const char* t : {"A", "Spare", "B", "Spare", "C"})
        decode(std::string("$KVTXT,EDIRIA,E,0,5,") + t);
    const sTVR_TEXT_LIST& list = text().Group[TVR_TXT_EDIRI].List[0];
    EXPECT_EQ(list.NbText, 5);
    EXPECT_EQ(list.Cursor, 5);
    EXPECT_STREQ(list.Text[3], "Spare");
}

TEST_F(TvrAnswers, TextListStopsAtSixtyFourTexts)
{
    cmd.F_AddNewMsgFifo(TVR_ID_TXT_EDIRO, 0, false, 0);
    for (int i = 0; i < 70; ++i)
        decode("$KVTXT,EDIROA,E," + std::to_string(i) + ",70,T" + std::to_string(i));
    const sTVR_TEXT_LIST& list = text().Group[TVR_TXT_EDIRO].List[0];
    EXPECT_EQ(list.NbText, 64);
    EXPECT_STREQ(list.Text[63], "T63");
    EXPECT_TRUE(text().Group[TVR_TXT_EDIRO].Complete);
    EXPECT_FALSE(cmd.F_IsInFifo(TVR_ID_TXT_EDIRO));
    EXPECT_EQ(list.Text[63][TVR_TEXT_SIZE - 1], '\0');
}

TEST_F(TvrAnswers, GroupWithSeveralFieldsCompletesAfterItsLastList)
{
    cmd.F_AddNewMsgFifo(TVR_ID_TXT_RSCM, 0, false, 0);
    for (int field = 0; field < 4; ++field) {
        EXPECT_EQ(text().Group[TVR_TXT_RSCM].CurrentField, field);
        decode("$KVTXT,RSCM_A,E,0,1,Value" + std::to_string(field));
        decode("$KVTXT,RSCM_A,E,0,1,________________");
    }
    EXPECT_TRUE(text().Group[TVR_TXT_RSCM].Complete);
    EXPECT_STREQ(text().Group[TVR_TXT_RSCM].List[3].Text[0], "Value3");
    EXPECT_EQ(drain_order(cmd), range(1551, 1555));  // line settings of the five ports
}

TEST_F(TvrAnswers, FollowUpAsksOfEachCompletedList)
{
    struct Case {
        uint16_t model;
        const char* name;
        int fields;
        std::vector<int> follow;
    };
    const Case cases[] = {
        {7, "RSIN_A", 1, {1559, 1560}},           {7, "RSOUTA", 3, {1561, 1562, 1563}},
        {7, "EDIRIA", 1, {1577, 1578}},           {7, "EDIROA", 1, {1579, 1580, 1581}},
        {7, "ELCFIA", 1, {1587, 1588}},           {7, "ELCFOA", 1, {1589, 1590, 1591}},
        {7, "PPSIN_", 1, {1595}},                 {7, "SYNCIN", 1, {1596}},
        {7, "PULSIA", 1, {1597}},                 {7, "PULSIB", 1, {1598, 1549, 1550}},
        {7, "PULSOA", 1, {1599}},                 {7, "PULSOB", 1, {1600}},
        {7, "IOIN_A", 1, {}},                     {7, "SERNUM", 1, {}},
        {15, "RSCM_A", 3, {1551, 1552, 1553}},    {15, "RSIN_A", 2, {1556, 1557, 1558}},
        {15, "RSOUTA", 3, {1561, 1562, 1563}},    {15, "EDIRIA", 1, {1574, 1575, 1576}},
        {15, "IOIN_A", 1, {1597, 1598}},          {15, "IOOUTA", 1, {1599, 1600}},
        {15, "PPSIN_", 1, {}},                    {15, "ANOUTA", 2, {}},
    };
    for (const Case& c : cases) {
        make_model(&cmd, c.model);
        for (int f = 0; f < c.fields; ++f)
            decode(std::string("$KVTXT,") + c.name + ",E,0,0,________________");
        EXPECT_EQ(drain_order(cmd), c.follow) << c.model << " " << c.name;
    }
}

TEST_F(TvrAnswers, SystemInformationFillsTheHeadTexts)
{
    decode("$KVTXT,SERNUM,E,0,1,T4-01234");
    decode("$KVTXT,SERNUM,E,0,1,________________");
    decode("$KVTXT,VERSCI,E,0,1,MPC_FW_3.3");
    decode("$KVTXT,VERSCI,E,0,1,________________");
    EXPECT_STREQ(sys().SerialNumber, "T4-01234");
    EXPECT_STREQ(sys().MpcFirmware, "MPC FW 3.3");
    EXPECT_EQ(posts.params_of(C_Q_TvrCtrlCmd::F_GetTvrTextMsg()), (std::vector<LPARAM>{1529, 1533}));
}

TEST_F(TvrAnswers, StatusListsFillTheirWordsAndSortWhenAllFourEnd)
{
    cmd.F_AddNewMsgFifo(TVR_ID_STAALG, 0, false, 0);
    for (int i = 0; i < 40; ++i)
        decode("$KVTXT,STAALG,E," + std::to_string(0x10000 + (39 - i) * 16 + 4) + ",40,Alg_" + std::to_string(i));
    decode("$KVTXT,STAALG,E,0,40,________________");
    decode("$KVTXT,STASYS,E,0,0,________________");  // complete and empty
    decode("$KVTXT,STASOR,E,8200,1,Gyro");
    decode("$KVTXT,STASOR,E,0,1,________________");
    EXPECT_TRUE(posts.params_of(C_Q_TvrCtrlCmd::F_GetTvrTextMsg()).empty());
    decode("$KVTXT,STA_HL,E,8195,1,Ready");
    decode("$KVTXT,STA_HL,E,0,1,________________");

    const sTVR_STATUS_LIST& alg = text().Status[TVR_STATUS_ALG];
    EXPECT_EQ(alg.Cursor, 40);
    EXPECT_EQ(alg.Word[0].NbBit, 32);
    EXPECT_EQ(alg.Word[1].NbBit, 8);
    EXPECT_EQ(alg.Word[0].Bit[0].mask, 1u);
    EXPECT_EQ(alg.Word[0].Bit[31].mask, 0x80000000u);
    EXPECT_EQ(alg.Word[1].Bit[0].mask, 1u);  // entries 32 on start their own word
    EXPECT_EQ(alg.Word[1].Bit[7].mask, 0x80u);
    EXPECT_STREQ(alg.Word[1].Bit[0].text, "Alg 32");
    EXPECT_EQ(alg.Word[0].Bit[0].green, 255);  // mode 4: green
    EXPECT_EQ(text().Status[TVR_STATUS_SYS].Cursor, 0);
    EXPECT_EQ(text().NbStatusPtr, 42);
    for (int i = 1; i < text().NbStatusPtr; ++i)
        EXPECT_LE(text().StatusPtr[i - 1]->code, text().StatusPtr[i]->code);
    EXPECT_FALSE(cmd.F_IsInFifo(TVR_ID_STAALG));
    EXPECT_EQ(posts.params_of(C_Q_TvrCtrlCmd::F_GetTvrTextMsg()), std::vector<LPARAM>{TVR_ID_STASYS});
}

TEST_F(TvrAnswers, StatusListStopsAtSixtyFourEntries)
{
    cmd.F_AddNewMsgFifo(TVR_ID_STASOR, 0, false, 0);
    for (int i = 0; i < 80; ++i)
        decode("$KVTXT,STASOR,E," + std::to_string(i + 9000) + ",80,S" + std::to_string(i));
    const sTVR_STATUS_LIST& sor = text().Status[TVR_STATUS_SOR];
    EXPECT_EQ(sor.Cursor, 64);
    EXPECT_EQ(sor.Word[1].NbBit, 32);
    EXPECT_TRUE(text().StatusComplete[TVR_STATUS_SOR]);
    EXPECT_FALSE(cmd.F_IsInFifo(TVR_ID_STASOR));
    EXPECT_EQ(text().NbStatusPtr, 64);
}

TEST_F(TvrAnswers, SortKeepsEqualCodesInArrivalOrder)
{
    decode("$KVTXT,STASYS,E,9000,3,First");
    decode("$KVTXT,STASYS,E,8500,3,Low");
    decode("$KVTXT,STASYS,E,9000,3,Second");
    for (const char* list : {"STAALG", "STASYS", "STASOR", "STA_HL"})
        decode(std::string("$KVTXT,") + list + ",E,0,0,________________");
    ASSERT_EQ(text().NbStatusPtr, 3);
    EXPECT_STREQ(text().StatusPtr[0]->text, "Low");
    EXPECT_STREQ(text().StatusPtr[1]->text, "First");
    EXPECT_STREQ(text().StatusPtr[2]->text, "Second");
}

TEST_F(TvrAnswers, UpdateAllCnfFalseCopiesTheReadSettingsByteForByte)
{
    decode("$KVBIA,1.000,2.000,3.000");
    decode("$KVCNF,RSCM_A,1,2,3,4");
    fill_edited(cmd.F_GetAllTvrCnfIhm());
    cmd.F_UpdateTvrAllCnf(false);
    EXPECT_EQ(std::memcmp(cmd.F_GetAllTvrCnfIhm(), cmd.F_GetAllTvrCnfSys(), sizeof(sTVR_SETTINGS)), 0);
}

TEST_F(TvrAnswers, UpdateAllCnfTrueQueuesEverySetOfTheModel)
{
    cmd.F_UpdateTvrAllCnf(true);
    std::vector<int> expected = join({{1551}, range(1552, 1555), range(1559, 1562), {1563}, range(1566, 1571),
                                      range(1577, 1581), range(1587, 1591), range(1594, 1602)});
    EXPECT_EQ(drain_order(cmd), expected);
    make_model(&cmd, TVR_MODEL_TALVOR3);
    cmd.F_UpdateTvrAllCnf(true);
    expected = join({range(1551, 1553), range(1556, 1558), range(1561, 1563), range(1566, 1571), range(1574, 1576),
                     range(1579, 1581), range(1584, 1586), range(1589, 1591), {1594}, range(1597, 1602),
                     range(1603, 1606)});
    EXPECT_EQ(drain_order(cmd), expected);
}

}  // namespace
