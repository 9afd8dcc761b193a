// The geometry model: codes and texts, the one rule for adding to a list,
// clamped look-ups, resets and deep copies, the default systems, offsets'
// tolerance, and the grid rows' defaults, predicates and changes.

#include <gtest/gtest.h>

#include "sysdesc/CGeoParamRow.h"
#include "sysdesc/CGeoSystem.h"
#include "sysdesc/GeoCodes.h"

namespace {

CGeoMobile mobile_with_id(int id, const char* name = "")
{
    CGeoMobile mobile;
    mobile.F_getData().m_nID = id;
    mobile.F_getData().m_strName = name;
    return mobile;
}

std::vector<int> mobile_ids(const CGeoSystem& system)
{
    std::vector<int> ids;
    for (int i = 0; i < system.F_getMobileCount(); ++i)
        ids.push_back(system.F_getMobile(i)->F_getData().m_nID);
    return ids;
}

TEST(GeoCodes, TextsBothWaysWithTheirFallbacks)
{
    struct {
        int code;
        const char* text;
    } equipment[] = {{1, "GPS"}, {2, "MSU"}, {3, "Winch"}, {4, "Balise"}, {5, "Ribo"},
                     {6, "Ins"}, {7, "SismicSource"}, {8, "SismicReceiver"}, {9, "Sonar"}};
    for (const auto& e : equipment) {
        EXPECT_STREQ(F_GeoEquipmentToText(e.code), e.text);
        EXPECT_EQ(F_GeoTextToEquipment(e.text), e.code);
        EXPECT_EQ(F_GeoTextToEquipment(CString(e.text).MakeUpper()), e.code);
    }
    EXPECT_STREQ(F_GeoEquipmentToText(0), "Unknown");
    EXPECT_EQ(F_GeoTextToEquipment("Unknown"), 10);
    EXPECT_EQ(F_GeoTextToEquipment(nullptr), 10);

    EXPECT_EQ(F_GeoTextToMount("TOWED"), 2);
    EXPECT_EQ(F_GeoTextToMount("hull"), 1);
    EXPECT_EQ(F_GeoTextToMount("Floating"), 3);
    EXPECT_EQ(F_GeoTextToMount(""), 3);
    EXPECT_STREQ(F_GeoMountToText(3), "");
    EXPECT_STREQ(F_GeoMountToText(0), "");
    EXPECT_STREQ(F_GeoMountToText(2), "Towed");

    const char* mobiles[] = {"ship", "ROV", "AUV", "TowFish", "Flute"};
    for (int code = 1; code <= 5; ++code) {
        EXPECT_STREQ(F_GeoMobileToText(code), mobiles[code - 1]);
        EXPECT_EQ(F_GeoTextToMobile(mobiles[code - 1]), code);
    }
    EXPECT_STREQ(F_GeoMobileToText(9), "Unknown");
    EXPECT_EQ(F_GeoTextToMobile("boat"), 6);

    EXPECT_STREQ(F_GeoBoolToText(true), "true");
    EXPECT_STREQ(F_GeoBoolToText(false), "false");
    for (const char* yes : {"true", "TRUE", "True"})
        EXPECT_TRUE(F_GeoTextIsTrue(yes));
    for (const char* no : {"false", "1", "-1", "yes", " true", "", static_cast<const char*>(nullptr)})
        EXPECT_FALSE(F_GeoTextIsTrue(no));
}

// IDs from -1 are the count + 1, stepping over any ID already taken, so
// two elements never share one; an ID that is there adds nothing.
TEST(GeoSystem, AddingGivesFreeIdsAndNeverMergesTwoElements)
{
    struct {
        std::vector<int> added;
        std::vector<int> ids;
    } cases[] = {
        {{-1, -1, -1}, {1, 2, 3}},
        {{-1, -1, 2}, {1, 2}},        // 2 is there already
        {{5, 6, -1}, {5, 6, 3}},
        {{3, -1, -1}, {3, 2, 4}},     // count + 1 = 3 is taken: 4
        {{2, 3, -1, -1}, {2, 3, 4, 5}},
        {{1, 3, -1}, {1, 3, 4}},
    };
    for (const auto& c : cases) {
        CGeoSystem system;
        for (int id : c.added)
            EXPECT_TRUE(system.F_addMobile(mobile_with_id(id)));
        EXPECT_EQ(mobile_ids(system), c.ids);
    }

    // The same rule for equipment and measures; the caller keeps its object.
    CGeoMobile mobile;
    CGeoEquipment equipment;
    equipment.F_getData().m_nID = -1;
    mobile.F_addEquipment(equipment);
    mobile.F_addEquipment(equipment);
    equipment.F_getData().m_nID = 7;
    mobile.F_addEquipment(equipment);
    equipment.F_getData().m_nID = -1;
    mobile.F_addEquipment(equipment);
    EXPECT_EQ(equipment.F_getData().m_nID, -1);
    ASSERT_EQ(mobile.F_getEquipmentCount(), 4);
    EXPECT_EQ(mobile.F_getEquipment(2)->F_getData().m_nID, 7);
    EXPECT_EQ(mobile.F_getEquipment(3)->F_getData().m_nID, 4);
    CGeoMesure mesure;
    equipment.F_addMesure(mesure);
    mesure.F_getData().m_nID = 1;
    equipment.F_addMesure(mesure);  // 1 is taken by the first
    EXPECT_EQ(equipment.F_getMesureCount(), 1);
}

TEST(GeoSystem, LookUpsClampTheirIndexAndFindTheFirstOfAType)
{
    CGeoSystem system;
    EXPECT_EQ(system.F_getMobile(0), nullptr);
    EXPECT_EQ(system.F_getMobile(-5), nullptr);
    EXPECT_FALSE(system.F_isModified());
    system.F_addMobile(mobile_with_id(-1, "first"));
    system.F_addMobile(mobile_with_id(-1, "second"));
    EXPECT_TRUE(system.F_isModified());
    EXPECT_STREQ(system.F_getMobile(-5)->F_getData().F_getName(), "first");
    EXPECT_STREQ(system.F_getMobile(9)->F_getData().F_getName(), "second");

    CGeoEquipment winch;
    winch.F_getData().m_nType = E_GEO_EQUIPMENT_WINCH;
    winch.F_getData().m_strName = "winch of the second";
    CGeoMobile* second = system.F_getMobile(1);
    second->F_addEquipment(winch);
    winch.F_getData().m_strName = "another winch";
    second->F_addEquipment(winch);
    bool found = false;
    CGeoEquipment* hit = system.F_findEquipmentByType(E_GEO_EQUIPMENT_WINCH, found);
    ASSERT_TRUE(found);
    EXPECT_STREQ(hit->F_getData().F_getName(), "winch of the second");
    EXPECT_EQ(system.F_findEquipmentByType(E_GEO_EQUIPMENT_GPS, found), nullptr);
    EXPECT_FALSE(found);

    system.F_getName() = "kept";
    system.P_clear();
    EXPECT_EQ(system.F_getMobileCount(), 0);
    EXPECT_FALSE(system.F_isModified());
    EXPECT_STREQ(system.F_getName(), "kept");
}

TEST(GeoSystem, ResetsKeepTheNameAndCopiesAreDeep)
{
    CGeoEquipment gps;
    CGeoEquipmentData& data = gps.F_getData();
    data.m_strName = "GPS";
    data.m_nID = 4;
    data.m_nIDmobile = 2;
    data.m_nType = 1;
    data.m_nMount = 2;
    data.m_bValid = true;
    data.m_offset.m_dX = 1.5;
    data.m_offset.m_validFrom.wYear = 2026;
    gps.F_addMesure(CGeoMesure());
    CGeoEquipment copy(gps);
    gps.P_reset();
    EXPECT_STREQ(gps.F_getData().F_getName(), "GPS");
    EXPECT_EQ(gps.F_getData().m_nID, -1);
    EXPECT_EQ(gps.F_getData().m_nIDmobile, 0);
    EXPECT_EQ(gps.F_getData().m_nType, 0);
    EXPECT_EQ(gps.F_getData().m_nMount, 0);
    EXPECT_FALSE(gps.F_getData().m_bValid);
    EXPECT_EQ(gps.F_getData().m_offset.m_dX, 0.0);
    EXPECT_EQ(gps.F_getData().m_offset.m_validFrom.wYear, 0);
    EXPECT_EQ(gps.F_getMesureCount(), 0);
    // The copy has its own measures.
    EXPECT_EQ(copy.F_getMesureCount(), 1);
    EXPECT_EQ(copy.F_getData().m_offset.m_dX, 1.5);

    CGeoMobile mobile = mobile_with_id(3, "ROV");
    mobile.F_getData().m_nType = 2;
    mobile.F_addEquipment(copy);
    CGeoMobile target = mobile_with_id(9, "old");
    target.F_addEquipment(CGeoEquipment());
    target.F_addEquipment(CGeoEquipment());
    target = mobile;
    mobile.P_reset();
    EXPECT_STREQ(mobile.F_getData().F_getName(), "ROV");
    EXPECT_EQ(mobile.F_getData().m_nType, 1);
    EXPECT_EQ(mobile.F_getEquipmentCount(), 0);
    ASSERT_EQ(target.F_getEquipmentCount(), 1);
    EXPECT_EQ(target.F_getData().m_nID, 3);
    EXPECT_EQ(target.F_getEquipment(0)->F_getMesureCount(), 1);
}

TEST(GeoSystem, DefaultSystems)
{
    struct Row {
        int id;
        const char* name;
        int type, mount, dual, position, attitude;
    };
    const std::vector<Row> seismic = {{1, "GPS", 1, 1, -1, 1, 2},       {2, "MRU", 2, 1, -1, 1, 2},
                                      {3, "Winch", 3, 1, -1, 1, -1},    {4, "source", 7, 1, -1, 1, 2},
                                      {5, "receiver", 8, 1, 4, 1, 2}};
    const std::vector<Row> sonar = {{1, "GPS", 1, 1, -1, 1, 2}, {2, "MRU", 2, 1, -1, 1, 2},
                                    {3, "Winch", 3, 1, -1, 1, -1}, {4, "sonar", 9, 2, 4, 3, 2}};
    for (int kind = 0; kind < 2; ++kind) {
        CGeoSystem system;
        system.F_addMobile(mobile_with_id(-1, "replaced"));
        if (kind == 0)
            system.P_makeSeismicDefault();
        else
            system.P_makeSonarDefault();
        const auto& rows = kind == 0 ? seismic : sonar;
        EXPECT_STREQ(system.F_getName(), kind == 0 ? "TressaSismic_default_system" : "TressaSonar_default_system");
        EXPECT_TRUE(system.F_isModified());
        ASSERT_EQ(system.F_getMobileCount(), 1);
        const CGeoMobile& ship = *system.F_getMobile(0);
        EXPECT_EQ(ship.F_getData().m_nID, 1);
        EXPECT_TRUE(ship.F_getData().m_bValid);
        EXPECT_EQ(ship.F_getData().m_nType, 1);
        EXPECT_STREQ(ship.F_getData().F_getName(), "ship");
        ASSERT_EQ(ship.F_getEquipmentCount(), int(rows.size()));
        for (size_t i = 0; i < rows.size(); ++i) {
            const CGeoEquipmentData& e = ship.F_getEquipment(int(i))->F_getData();
            SCOPED_TRACE(rows[i].name);
            EXPECT_EQ(e.m_nID, rows[i].id);
            EXPECT_STREQ(e.F_getName(), rows[i].name);
            EXPECT_EQ(e.m_nType, rows[i].type);
            EXPECT_EQ(e.m_nMount, rows[i].mount);
            EXPECT_EQ(e.m_nIDequipmentDual, rows[i].dual);
            EXPECT_EQ(e.m_nIDpositionMesure, rows[i].position);
            EXPECT_EQ(e.m_nIDattitudeMesure, rows[i].attitude);
            EXPECT_EQ(e.m_nIDmobile, 1);
            EXPECT_TRUE(e.m_bValid);
            EXPECT_TRUE(e.F_getOffset().F_isEqual(CGeoOffset()));
            EXPECT_EQ(ship.F_getEquipment(int(i))->F_getMesureCount(), 0);
        }
    }
}

TEST(GeoOffset, EqualWithinTheTolerance)
{
    CGeoOffset a;
    a.m_dX = 1.0;
    a.m_dLatency = 20.0;
    CGeoOffset b = a;
    double* fields[] = {&b.m_dX, &b.m_dY, &b.m_dZ, &b.m_dRoll, &b.m_dPitch, &b.m_dYaw, &b.m_dLatency};
    for (double* field : fields)
        *field += 0.000001;
    b.m_validFrom.wYear = 2020;  // not compared
    EXPECT_TRUE(a.F_isEqual(b));
    CGeoOffset c = a;
    c.m_dLatency += 0.0001;
    EXPECT_FALSE(a.F_isEqual(c));
    c.P_reset();
    EXPECT_TRUE(c.F_isEqual(CGeoOffset()));
}

TEST(GeoParamRow, KindsGiveLabelsMountsAndTheValuesThatApply)
{
    struct {
        int kind, mount;
        const char* label;
        int mount_after;
        bool lever, roll_pitch, yaw, latency, has_mount;
    } cases[] = {
        {1, 0, "Navigation", 0, true, false, true, true, false},
        {2, 0, "Attitude", 0, true, true, true, false, false},
        {3, 0, "Winch", 0, true, false, false, false, false},
        {4, 0, "Seismic Source", 2, false, false, false, false, true},
        {5, 0, "Seismic Receiver", 2, false, false, false, false, true},
        {5, 1, "Seismic Receiver", 1, true, false, false, false, true},
        {6, 0, "Sonar", 2, false, false, false, false, true},
        {0, 0, "", 0, true, false, false, false, false},
        {7, 0, "", 0, true, false, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        CGeoParamRow row;
        row.P_setMount(c.mount);
        row.P_setKind(c.kind);
        EXPECT_STREQ(row.F_getName(), c.label);
        EXPECT_EQ(row.F_getMount(), c.mount_after);
        EXPECT_EQ(row.F_hasLeverArm(), c.lever);
        EXPECT_EQ(row.F_hasRollPitch(), c.roll_pitch);
        EXPECT_EQ(row.F_hasYaw(), c.yaw);
        EXPECT_EQ(row.F_hasLatency(), c.latency);
        EXPECT_EQ(row.F_hasMount(), c.has_mount);
    }
    CGeoParamRow named;
    named.P_setName("Main GPS");
    named.P_setKind(1);
    EXPECT_STREQ(named.F_getName(), "Main GPS");
}

TEST(GeoParamRow, ModifiedOnlyWhileAValueDiffersFromTheCommittedOne)
{
    CGeoParamRow row;
    row.P_setKind(2);
    row.P_setX(0.125);
    CGeoParamRow copy(row);
    copy.P_commit();
    EXPECT_FALSE(copy.F_isModified());
    copy.P_setX(0.13);
    EXPECT_TRUE(copy.F_isModified());
    copy.P_setX(0.125);
    EXPECT_FALSE(copy.F_isModified());
    const std::function<void(CGeoParamRow&)> changes[] = {
        [](CGeoParamRow& r) { r.P_setName("other"); }, [](CGeoParamRow& r) { r.P_setMount(1); },
        [](CGeoParamRow& r) { r.P_setY(1); },         [](CGeoParamRow& r) { r.P_setZ(1); },
        [](CGeoParamRow& r) { r.P_setRoll(1); },      [](CGeoParamRow& r) { r.P_setPitch(1); },
        [](CGeoParamRow& r) { r.P_setYaw(1); },       [](CGeoParamRow& r) { r.P_setLatency(1); },
        [](CGeoParamRow& r) { r.P_setKind(3); },
    };
    for (const auto& change : changes) {
        CGeoParamRow changed(copy);
        change(changed);
        EXPECT_TRUE(changed.F_isModified());
        CGeoParamRow copied(changed);  // both blocks are copied
        EXPECT_TRUE(copied.F_isModified());
        copied.P_commit();
        EXPECT_FALSE(copied.F_isModified());
    }
}

}  // namespace
