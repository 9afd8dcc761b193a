#include <gtest/gtest.h>

#include <functional>

#include "helm/sensorlink/C_Q_TvrData.h"
#include "helm/sensorlink/window_post.h"
#include "tvr_fixture.h"

namespace {

struct DataCase {
    const char* sentence;
    int result;
    std::vector<LPARAM> kinds;
    std::function<bool(const sTVRDATA&)> holds;
};

TEST(TvrData, SentencesAndWhatTheyFill)
{
    const DataCase cases[] = {
        {"$HEHDT,123.456,T", 0, {1024}, [](auto& d) { return d.Heading == 123.456f && d.PreviousHeading == 10.0f; }},
        {"$KVTRO,-1.5,2.25", 0, {1025}, [](auto& d) { return d.Roll == -1.5f && d.Pitch == 2.25f; }},
        {"$KVLIN,0.5,-0.25,0.125", 0, {1026}, [](auto& d) { return d.Heave == 0.5f && d.Surge == -0.25f && d.Sway == 0.125f; }},
        {"$KVSPD,1,2,3", 0, {1027}, [](auto& d) { return d.SpeedSurge == 1 && d.SpeedSway == 2 && d.SpeedHeave == 3; }},
        {"$KVCMP,47.123456,12.5", 0, {1028}, [](auto& d) { return d.Latitude == 47.123456 && d.SpeedKnots == 12.5f; }},
        {"$KVSTS,STASYS,0000001F,80000000", 0, {1029}, [](auto& d) { return d.SystemStatus1 == 0x1F && d.SystemStatus2 == 0x80000000u; }},
        {"$KVSTS,STAALG,A,b", 0, {1030}, [](auto& d) { return d.AlgoStatus1 == 0xA && d.AlgoStatus2 == 0xB; }},
        {"$KVSTS,STASOR,1,2", 0, {1031}, [](auto& d) { return d.SensorStatus1 == 1 && d.SensorStatus2 == 2; }},
        {"$KVSTS,STA_HL,FFFFFFFF", 0, {1032}, [](auto& d) { return d.HighLevelStatus == 0xFFFFFFFFu; }},
        {"$KVINF,00000011,23,59,59.875", 0, {1033, 1034},
         [](auto& d) { return d.UserStatus == 0x11 && d.UtcHours == 23 && d.UtcMinutes == 59 && d.UtcSeconds == 59.875f; }},
        {"$KVST_,SLEEP", 1, {}, [](auto& d) { return d.WakeUpState == 1; }},
        // Not data, or malformed: nothing changes, nothing is posted.
        {"$HEHDT,123.4,M", -1, {}, [](auto& d) { return d.Heading == 10.0f; }},
        {"$HEHDT,,T", -1, {}, [](auto& d) { return d.Heading == 10.0f; }},
        {"$HEHDT,1e999,T", -1, {}, [](auto& d) { return d.Heading == 10.0f; }},
        {"$KVTRO,1", -1, {}, [](auto& d) { return d.Roll == 0; }},
        {"$KVTRO,1,2,3", -1, {}, [](auto& d) { return d.Roll == 0; }},
        {"$KVCMP,91,1", -1, {}, [](auto& d) { return d.Latitude == 0; }},
        {"$KVSTS,STASYS,1FFFFFFFF,0", -1, {}, [](auto& d) { return d.SystemStatus1 == 0; }},
        {"$KVSTS,STASYS,-1,0", -1, {}, [](auto& d) { return d.SystemStatus1 == 0; }},
        {"$KVSTS,STA_HL,1,2", -1, {}, [](auto& d) { return d.HighLevelStatus == 0; }},
        {"$KVSTS,OTHER,1,2", -1, {}, [](auto&) { return true; }},
        {"$KVINF,11,24,00,00.000", -1, {}, [](auto& d) { return d.UtcHours == 0; }},
        {"$KVINF,11,12,60,00.000", -1, {}, [](auto& d) { return d.UtcHours == 0; }},
        {"$KVINF,11,12,00,61", -1, {}, [](auto& d) { return d.UtcHours == 0; }},
        {"$KVST_,RESET", -1, {}, [](auto& d) { return d.WakeUpState == 0; }},
        {"$GPGGA,1,2", -1, {}, [](auto&) { return true; }},
        {"no dollar", -1, {}, [](auto&) { return true; }},
    };
    for (const DataCase& c : cases) {
        PostRecorder posts;
        C_Q_TvrData data;
        data.F_DecodeTvrData(sealed("$HEHDT,10.0,T"), 1);
        posts.clear();
        EXPECT_EQ(data.F_DecodeTvrData(sealed(c.sentence), 4242), c.result) << c.sentence;
        EXPECT_TRUE(c.holds(*data.F_GetTvrData())) << c.sentence;
        EXPECT_EQ(posts.params_of(C_Q_TvrData::F_GetTvrDataMsg()), c.kinds) << c.sentence;
        if (c.result == 0) {
            EXPECT_EQ(data.F_GetTvrData()->TimeStamp, 4242u) << c.sentence;
        }
    }
}

TEST(TvrData, AnyDataSentenceEndsTheWakeUpState)
{
    PostRecorder posts;
    C_Q_TvrData data;
    data.F_DecodeTvrData(sealed("$KVST_,SLEEP"), 0);
    EXPECT_EQ(data.F_GetTvrWakeUpState(), 1);
    data.F_DecodeTvrData(sealed("$KVST_,AWAKE"), 0);
    EXPECT_EQ(data.F_GetTvrWakeUpState(), 0);
    data.F_DecodeTvrData(sealed("$KVST_,SLEEP"), 0);
    data.F_DecodeTvrData(sealed("$KVTRO,1,2"), 0);
    EXPECT_EQ(data.F_GetTvrWakeUpState(), 0);
}

TEST(TvrData, MessageGoesNowhereWithoutAMainWindow)
{
    EXPECT_EQ(helm::sensorlink::post_to_main_window(C_Q_TvrData::F_GetTvrDataMsg(), 0, 1024), FALSE);
    EXPECT_NE(C_Q_TvrData::F_GetTvrDataMsg(), 0u);
    EXPECT_NE(C_Q_TvrData::F_GetTvrDataMsg(), C_Q_TvrCtrlCmd::F_GetTvrCnfMsg());
}

}  // namespace
