// An equipment of a mobile (a sensor, a winch, a source or receiver, a
// sonar) with its mount, its current offsets and the measures that feed it.
#pragma once

#include <memory>
#include <vector>

#include "sysdesc/CGeoMesure.h"
#include "sysdesc/CGeoOffset.h"

class CGeoEquipmentData {
public:
    CString& F_getName() { return m_strName; }
    const CString& F_getName() const { return m_strName; }
    CGeoOffset& F_getOffset() { return m_offset; }
    const CGeoOffset& F_getOffset() const { return m_offset; }

    bool m_bValid = false;
    int m_nID = -1;
    int m_nIDmobile = 0;           // the mobile that carries it
    int m_nIDequipmentDual = -1;   // a paired equipment
    int m_nIDpositionMesure = -1;  // the measure that gives its position
    int m_nIDattitudeMesure = -1;  // the measure that gives its attitude
    int m_nType = 0;               // an E_GEO_EQUIPMENT code
    int m_nMount = 0;              // an E_GEO_MOUNT code
    CString m_strName;
    CGeoOffset m_offset;
};

class CGeoEquipment {
public:
    CGeoEquipment() = default;
    virtual ~CGeoEquipment() = default;
    // A deep copy: the target's measures go first, then the source's are
    // copied in order.
    CGeoEquipment(const CGeoEquipment& other);
    CGeoEquipment& operator=(const CGeoEquipment& other);

    CGeoEquipmentData& F_getData() { return m_data; }
    const CGeoEquipmentData& F_getData() const { return m_data; }

    int F_getMesureCount() const { return int(m_mesures.size()); }
    // Null when there is none; an index below 0 is the first, one past the
    // end the last.
    CGeoMesure* F_getMesure(int index) const;
    // Attributes back to their defaults but the name; offsets and their
    // valid-from time zeroed; every measure deleted.
    void P_reset();
    // Adds a copy (see CGeoSystem::F_addMobile for the rule); true.
    bool F_addMesure(const CGeoMesure& mesure);

private:
    CGeoEquipmentData m_data;
    std::vector<std::unique_ptr<CGeoMesure>> m_mesures;
};
