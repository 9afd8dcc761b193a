// The geometry of a survey system: its name and its mobiles, each with its
// equipment and their measures. Filled from a .GEO file (CGeoFileXml) or
// with one of the two built-in default systems.
#pragma once

#include <memory>
#include <vector>

#include "sysdesc/CGeoMobile.h"

class CGeoSystem {
public:
    CGeoSystem() = default;
    virtual ~CGeoSystem() = default;
    CGeoSystem(const CGeoSystem&) = delete;
    CGeoSystem& operator=(const CGeoSystem&) = delete;

    // The system's name; callers set it through the reference.
    CString& F_getName() { return m_strName; }
    // Set by every mobile added, cleared by P_clear.
    bool F_isModified() const { return m_bModified; }

    int F_getMobileCount() const { return int(m_mobiles.size()); }
    // Null when there is none; an index below 0 is the first, one past the
    // end the last.
    CGeoMobile* F_getMobile(int index) const;
    // Deletes every mobile (the name stays); not modified.
    void P_clear();
    // Adds a copy of the mobile, unless one with its ID is there already
    // (then nothing changes). A copy whose ID is -1 gets the first free ID
    // from the count + 1 up, so no two elements ever share an ID. True.
    bool F_addMobile(const CGeoMobile& mobile);
    // The first equipment of that E_GEO_EQUIPMENT type, mobiles in order.
    CGeoEquipment* F_findEquipmentByType(int type, bool& found) const;

    // The built-in systems: one ship with its sensors, a winch and either a
    // seismic source and receiver or a towed sonar.
    void P_makeSeismicDefault();
    void P_makeSonarDefault();

private:
    bool m_bModified = false;
    CString m_strName;
    std::vector<std::unique_ptr<CGeoMobile>> m_mobiles;
};
