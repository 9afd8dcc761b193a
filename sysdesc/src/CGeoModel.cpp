// The geometry model: offsets, measures, equipment, mobiles, the system
// and its two default systems.
#include <cmath>

#include "geo_list.h"
#include "sysdesc/CGeoSystem.h"
#include "sysdesc/GeoCodes.h"

using helm::sysdesc::add_copy;
using helm::sysdesc::clamped_at;
using helm::sysdesc::copy_all;

void CGeoOffset::P_reset()
{
    *this = CGeoOffset();
}

bool CGeoOffset::F_isEqual(const CGeoOffset& other) const
{
    constexpr double tolerance = 0.00001;
    const auto near = [](double a, double b) { return std::fabs(a - b) <= tolerance; };
    return near(m_dX, other.m_dX) && near(m_dY, other.m_dY) && near(m_dZ, other.m_dZ) &&
           near(m_dRoll, other.m_dRoll) && near(m_dPitch, other.m_dPitch) && near(m_dYaw, other.m_dYaw) &&
           near(m_dLatency, other.m_dLatency);
}

CGeoEquipment::CGeoEquipment(const CGeoEquipment& other) : m_data(other.m_data)
{
    copy_all(m_mesures, other.m_mesures);
}

CGeoEquipment& CGeoEquipment::operator=(const CGeoEquipment& other)
{
    if (this != &other) {
        m_mesures.clear();
        m_data = other.m_data;
        copy_all(m_mesures, other.m_mesures);
    }
    return *this;
}

CGeoMesure* CGeoEquipment::F_getMesure(int index) const
{
    return clamped_at(m_mesures, index);
}

void CGeoEquipment::P_reset()
{
    CString name = m_data.m_strName;
    m_data = CGeoEquipmentData();
    m_data.m_strName = name;
    m_mesures.clear();
}

bool CGeoEquipment::F_addMesure(const CGeoMesure& mesure)
{
    add_copy(m_mesures, mesure);
    return true;
}

CGeoMobile::CGeoMobile(const CGeoMobile& other) : m_data(other.m_data)
{
    copy_all(m_equipments, other.m_equipments);
}

CGeoMobile& CGeoMobile::operator=(const CGeoMobile& other)
{
    if (this != &other) {
        m_equipments.clear();
        m_data = other.m_data;
        copy_all(m_equipments, other.m_equipments);
    }
    return *this;
}

CGeoEquipment* CGeoMobile::F_getEquipment(int index) const
{
    return clamped_at(m_equipments, index);
}

void CGeoMobile::P_reset()
{
    CString name = m_data.m_strName;
    m_data = CGeoMobileData();
    m_data.m_strName = name;
    m_equipments.clear();
}

bool CGeoMobile::F_addEquipment(const CGeoEquipment& equipment)
{
    add_copy(m_equipments, equipment);
    return true;
}

CGeoEquipment* CGeoMobile::F_findEquipmentByType(int type, bool& found) const
{
    for (const auto& equipment : m_equipments) {
        if (equipment->F_getData().m_nType == type) {
            found = true;
            return equipment.get();
        }
    }
    found = false;
    return nullptr;
}

CGeoMobile* CGeoSystem::F_getMobile(int index) const
{
    return clamped_at(m_mobiles, index);
}

void CGeoSystem::P_clear()
{
    m_mobiles.clear();
    m_bModified = false;
}

bool CGeoSystem::F_addMobile(const CGeoMobile& mobile)
{
    if (add_copy(m_mobiles, mobile))
        m_bModified = true;
    return true;
}

CGeoEquipment* CGeoSystem::F_findEquipmentByType(int type, bool& found) const
{
    for (const auto& mobile : m_mobiles) {
        if (CGeoEquipment* equipment = mobile->F_findEquipmentByType(type, found))
            return equipment;
    }
    found = false;
    return nullptr;
}

namespace {

struct DefaultEquipment {
    int id;
    const char* name;
    int type, mount, dual, position, attitude;
};

void make_default(CGeoSystem& system, const char* name, const DefaultEquipment* rows, size_t count)
{
    system.P_clear();
    system.F_getName() = name;
    CGeoMobile ship;
    ship.F_getData().m_nID = 1;
    ship.F_getData().m_bValid = true;
    ship.F_getData().m_nType = E_GEO_MOBILE_SHIP;
    ship.F_getData().m_strName = "ship";
    for (size_t i = 0; i < count; ++i) {
        CGeoEquipment equipment;
        CGeoEquipmentData& data = equipment.F_getData();
        data.m_bValid = true;
        data.m_nID = rows[i].id;
        data.m_nIDmobile = 1;
        data.m_strName = rows[i].name;
        data.m_nType = rows[i].type;
        data.m_nMount = rows[i].mount;
        data.m_nIDequipmentDual = rows[i].dual;
        data.m_nIDpositionMesure = rows[i].position;
        data.m_nIDattitudeMesure = rows[i].attitude;
        ship.F_addEquipment(equipment);
    }
    system.F_addMobile(ship);
}

}  // namespace

void CGeoSystem::P_makeSeismicDefault()
{
    static constexpr DefaultEquipment rows[] = {
        {1, "GPS", E_GEO_EQUIPMENT_GPS, E_GEO_MOUNT_HULL, -1, 1, 2},
        {2, "MRU", E_GEO_EQUIPMENT_MSU, E_GEO_MOUNT_HULL, -1, 1, 2},
        {3, "Winch", E_GEO_EQUIPMENT_WINCH, E_GEO_MOUNT_HULL, -1, 1, -1},
        {4, "source", E_GEO_EQUIPMENT_SISMIC_SOURCE, E_GEO_MOUNT_HULL, -1, 1, 2},
        {5, "receiver", E_GEO_EQUIPMENT_SISMIC_RECEIVER, E_GEO_MOUNT_HULL, 4, 1, 2},
    };
    make_default(*this, "TressaSismic_default_system", rows, std::size(rows));
}

void CGeoSystem::P_makeSonarDefault()
{
    static constexpr DefaultEquipment rows[] = {
        {1, "GPS", E_GEO_EQUIPMENT_GPS, E_GEO_MOUNT_HULL, -1, 1, 2},
        {2, "MRU", E_GEO_EQUIPMENT_MSU, E_GEO_MOUNT_HULL, -1, 1, 2},
        {3, "Winch", E_GEO_EQUIPMENT_WINCH, E_GEO_MOUNT_HULL, -1, 1, -1},
        {4, "sonar", E_GEO_EQUIPMENT_SONAR, E_GEO_MOUNT_TOWED, 4, 3, 2},
    };
    make_default(*this, "TressaSonar_default_system", rows, std::size(rows));
}
