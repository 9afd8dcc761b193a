#include <gtest/gtest.h>

#include "helm/sensorlink/C_Q_InsData.h"
#include "ins_fixture.h"

namespace {

TEST(InsData, EachDataKindFillsItsValuesAndIsAnnounced)
{
    PostRecorder posts;
    C_Q_InsData data;
    const sINSDATA& d = *data.F_GetInsData();
    struct Case {
        const char* sentence;
        int kind;
    } cases[] = {
        {"$PVRNK,ATITUD,271.500,-3.250,1.125", INS_DATA_ATTITUDE},
        {"$PVRNK,HEAVE_,0.100,-0.200,1.500", INS_DATA_HEAVE},
        {"$PVRNK,POSITI,47.12345678,-3.98765432,-12.500", INS_DATA_POSITION},
        {"$PVRNK,SPEED_,5.000,-0.500,0.010", INS_DATA_SPEED},
        {"$PVRNK,STATUS,8000000F,0,a5", INS_DATA_STATUS},
    };
    uint32_t stamp = 100;
    for (const Case& c : cases) {
        EXPECT_EQ(data.F_DecodeInsData(ins_sealed(c.sentence), ++stamp), 0) << c.sentence;
        EXPECT_EQ(posts.params_of(C_Q_InsData::F_GetInsDataMsg()), std::vector<LPARAM>{c.kind}) << c.sentence;
        EXPECT_EQ(d.TimeStamp, stamp);
    }
    EXPECT_EQ(d.Heading, 271.5f);
    EXPECT_EQ(d.Roll, -3.25f);
    EXPECT_EQ(d.Pitch, 1.125f);
    EXPECT_EQ(d.Sway, -0.2f);
    EXPECT_EQ(d.Heave, 1.5f);
    EXPECT_EQ(d.Latitude, 47.12345678);
    EXPECT_EQ(d.Longitude, -3.98765432);
    EXPECT_EQ(d.Altitude, -12.5f);
    EXPECT_EQ(d.SpeedEast, -0.5f);
    EXPECT_EQ(d.SystemStatus, 0x8000000Fu);
    EXPECT_EQ(d.AlgoStatus, 0u);
    EXPECT_EQ(d.HighLevelStatus, 0xA5u);
}

TEST(InsData, MalformedOrForeignSentencesChangeNothing)
{
    PostRecorder posts;
    C_Q_InsData data;
    data.F_DecodeInsData(ins_sealed("$PVRNK,ATITUD,10,1,2"), 5);
    const sINSDATA before = *data.F_GetInsData();
    posts.clear();
    const char* cases[] = {
        "$PVRNK,ATITUD,10,1",           // a value short
        "$PVRNK,ATITUD,10,1,2,3",
        "$PVRNK,ATITUD,10,x,2",
        "$PVRNK,ATITUD,10,200,2",       // roll beyond a half turn
        "$PVRNK,POSITI,91.0,0.0,0.0",   // latitude beyond the pole
        "$PVRNK,HEAVE_,inf,0,0",
        "$PVRNK,SPEED_,1e300,0,0",
        "$PVRNK,STATUS,123456789,0,0",  // nine hex digits
        "$PVRNK,STATUS,-1,0,0",
        "$PVRNK,CONFIG,BIAS__,1,2,3",
        "$HEHDT,12.0,T",
        "PVRNK,ATITUD,1,2,3",
    };
    for (const char* c : cases) {
        EXPECT_EQ(data.F_DecodeInsData(ins_sealed(c), 9), -1) << c;
        EXPECT_EQ(std::memcmp(&before, data.F_GetInsData(), sizeof before), 0) << c;
    }
    EXPECT_TRUE(posts.take().empty());
    EXPECT_EQ(data.F_DecodeInsData(static_cast<const char*>(nullptr), 0), -1);
}

TEST(InsData, SleepSentenceAsksForTheWakeUpUntilDataComesBack)
{
    PostRecorder posts;
    C_Q_InsData data;
    EXPECT_EQ(data.F_DecodeInsData(ins_sealed("$PVRNK,SLEEP_"), 1), 1);
    EXPECT_EQ(data.F_GetInsWakeUpState(), 1);
    EXPECT_TRUE(posts.take().empty());
    EXPECT_EQ(data.F_DecodeInsData(ins_sealed("$PVRNK,SPEED_,1,2,3"), 2), 0);
    EXPECT_EQ(data.F_GetInsWakeUpState(), 0);
}

}  // namespace
