// The sensor-geometry INI: the value class's text forms, the file written
// and read back with its sections and keys, and what is refused.

#include <gtest/gtest.h>

#include "helm/test/support.h"
#include "sysdesc/CSensorGeometry.h"

namespace {

TEST(FloatParam, FormatsWithTheDigitsAsked)
{
    struct {
        float value;
        unsigned short digits;
        const char* text;
    } cases[] = {{1.5f, 3, "1.500"}, {-0.25f, 3, "-0.250"}, {120.0f, 0, "120"}, {12.7f, 0, "13"},
                 {0.0f, 3, "0.000"}, {2.125f, 1, "2.1"}};
    for (const auto& c : cases) {
        CFloatParam param(c.value);
        CString out = "left over";
        EXPECT_STREQ(param.F_getAsString(out, c.digits), c.text);
        EXPECT_STREQ(out, c.text);
    }
    CFloatParam a;
    EXPECT_EQ(a.F_get(), 0.0f);
    EXPECT_TRUE(a.F_set(3.5f));
    EXPECT_TRUE(a.F_check(-1e30f));
    CFloatParam b = a;
    EXPECT_EQ((b = 2.0f).F_get(), 2.0f);
    EXPECT_EQ(a.F_get(), 3.5f);
}

TEST(SensorGeometry, SavesAndLoadsEverySectionAndKey)
{
    helm::test::TempDir dir;
    const std::string file = dir.file("geometry.ini");
    CSensorGeometry geometry(file.c_str());
    const float values[CSensorGeometry::PARAM_COUNT] = {1.5f, -0.25f, 3.0f, 45.125f, 120.0f, 0.001f, 2.0f,
                                                         -3.5f, 10.0f, 1.25f, -2.75f, 7.0f, 8.5f, -9.0f};
    for (int i = 0; i < CSensorGeometry::PARAM_COUNT; ++i)
        geometry.P_setParam(CSensorGeometry::E_param(i), CFloatParam(values[i]));
    ASSERT_TRUE(geometry.F_save());

    const std::string prefix = "{16C401BF-E144-49ec-B6E3-8FE6E816F27F}";
    const std::string text = helm::test::read_file(file);
    for (const std::string& line :
         {"[" + prefix + "Navigation]", std::string("Offset X (m)=1.500"), std::string("Offset Y (m)=-0.250"),
          std::string("Offset Yaw (\xB0)=45.125"), std::string("Offset Lag (ms)=120"),
          "[" + prefix + "Attitude]", std::string("Offset Pitch (\xB0)=1.250"),
          std::string("Offset Roll (\xB0)=-2.750"), "[" + prefix + "Winch]", std::string("Offset Z (m)=-9.000")})
        EXPECT_NE(text.find(line + "\r\n"), std::string::npos) << line << "\n" << text;

    CSensorGeometry back(file.c_str());
    ASSERT_TRUE(back.F_load());
    for (int i = 0; i < CSensorGeometry::PARAM_COUNT; ++i)
        EXPECT_FLOAT_EQ(back.F_getParam(CSensorGeometry::E_param(i))->F_get(), values[i]) << i;
}

TEST(SensorGeometry, ReadsTheLagAsAWholeNumberAndOnlyPrefixedSections)
{
    helm::test::TempDir dir;
    const std::string file = dir.file("hand.ini");
    helm::test::write_file(file,
                           "[{16C401BF-E144-49ec-B6E3-8FE6E816F27F}Navigation]\r\n"
                           "Offset Lag (ms)=12.7\r\nOffset X (m)=4.25\r\n"
                           "[Winch]\r\nOffset X (m)=99\r\n");
    CSensorGeometry geometry(file.c_str());
    geometry.P_setParam(CSensorGeometry::WINCH_X, CFloatParam(5.0f));
    ASSERT_TRUE(geometry.F_load());
    EXPECT_EQ(geometry.F_getParam(CSensorGeometry::NAV_LAG)->F_get(), 12.0f);
    EXPECT_EQ(geometry.F_getParam(CSensorGeometry::NAV_X)->F_get(), 4.25f);
    EXPECT_EQ(geometry.F_getParam(CSensorGeometry::WINCH_X)->F_get(), 0.0f);  // missing key
    EXPECT_EQ(geometry.F_getParam(CSensorGeometry::ATT_ROLL)->F_get(), 0.0f);
    CSensorGeometry missing(dir.file("none.ini").c_str());
    EXPECT_TRUE(missing.F_load());
}

TEST(SensorGeometry, RefusesAnEmptyPathAndAnIndexOutOfRange)
{
    CSensorGeometry geometry("");
    geometry.P_setParam(CSensorGeometry::ATT_X, CFloatParam(2.0f));
    EXPECT_FALSE(geometry.F_load());
    EXPECT_FALSE(geometry.F_save());
    EXPECT_EQ(geometry.F_getParam(CSensorGeometry::ATT_X)->F_get(), 2.0f);
    for (int bad : {-1, 14, 1000}) {
        EXPECT_EQ(geometry.F_getParam(CSensorGeometry::E_param(bad)), nullptr);
        geometry.P_setParam(CSensorGeometry::E_param(bad), CFloatParam(1.0f));  // ignored
    }
    CSensorGeometry null_path(nullptr);
    EXPECT_FALSE(null_path.F_save());

    // Assignment copies the values only; the target keeps its file.
    helm::test::TempDir dir;
    CSensorGeometry target(dir.file("target.ini").c_str());
    target = geometry;
    EXPECT_EQ(target.F_getParam(CSensorGeometry::ATT_X)->F_get(), 2.0f);
    EXPECT_TRUE(target.F_save());
    EXPECT_NE(helm::test::read_file(dir.file("target.ini")).find("Offset X (m)=2.000"), std::string::npos);
}

}  // namespace
