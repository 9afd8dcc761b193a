// A mobile (a ship or a body it carries or tows) and its equipment.
#pragma once

#include <memory>
#include <vector>

#include "sysdesc/CGeoEquipment.h"

class CGeoMobileData {
public:
    CString& F_getName() { return m_strName; }
    const CString& F_getName() const { return m_strName; }

    int m_nID = -1;
    bool m_bValid = false;
    int m_nType = 1;  // an E_GEO_MOBILE code
    CString m_strName;
};

class CGeoMobile {
public:
    CGeoMobile() = default;
    virtual ~CGeoMobile() = default;
    // A deep copy, as for an equipment.
    CGeoMobile(const CGeoMobile& other);
    CGeoMobile& operator=(const CGeoMobile& other);

    CGeoMobileData& F_getData() { return m_data; }
    const CGeoMobileData& F_getData() const { return m_data; }

    int F_getEquipmentCount() const { return int(m_equipments.size()); }
    // Null when there is none; the index is clamped into the list.
    CGeoEquipment* F_getEquipment(int index) const;
    // Attributes back to their defaults but the name; every equipment
    // deleted.
    void P_reset();
    // Adds a copy (see CGeoSystem::F_addMobile for the rule); true.
    bool F_addEquipment(const CGeoEquipment& equipment);
    // The first equipment of that E_GEO_EQUIPMENT type, found or null.
    CGeoEquipment* F_findEquipmentByType(int type, bool& found) const;

private:
    CGeoMobileData m_data;
    std::vector<std::unique_ptr<CGeoEquipment>> m_equipments;
};
