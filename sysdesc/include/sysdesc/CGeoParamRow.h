// One row of the System Geometry dialog's grid: the current values of an
// equipment's mounting and offsets, and the values last committed, to tell
// whether the row was changed.
#pragma once

#include "afxwin.h"

enum E_GEO_PARAM_KIND {
    E_GEO_PARAM_NONE = 0,
    E_GEO_PARAM_NAVIGATION = 1,
    E_GEO_PARAM_ATTITUDE = 2,
    E_GEO_PARAM_WINCH = 3,
    E_GEO_PARAM_SEISMIC_SOURCE = 4,
    E_GEO_PARAM_SEISMIC_RECEIVER = 5,
    E_GEO_PARAM_SONAR = 6,
};

class CGeoParamRow {
public:
    CGeoParamRow() = default;
    virtual ~CGeoParamRow() = default;
    CGeoParamRow(const CGeoParamRow&) = default;  // both copies
    CGeoParamRow& operator=(const CGeoParamRow&) = default;

    int F_getKind() const { return m_current.kind; }
    // Stores the kind; an empty name becomes the kind's label from the
    // library's string table ("Navigation" ... "Sonar"); a source, receiver
    // or sonar without a mount becomes towed.
    void P_setKind(int kind);
    const CString& F_getName() const { return m_current.name; }
    void P_setName(const char* name) { m_current.name = name; }
    int F_getMount() const { return m_current.mount; }
    void P_setMount(int mount) { m_current.mount = mount; }
    double F_getX() const { return m_current.x; }
    void P_setX(double value) { m_current.x = value; }
    double F_getY() const { return m_current.y; }
    void P_setY(double value) { m_current.y = value; }
    double F_getZ() const { return m_current.z; }
    void P_setZ(double value) { m_current.z = value; }
    double F_getRoll() const { return m_current.roll; }
    void P_setRoll(double value) { m_current.roll = value; }
    double F_getPitch() const { return m_current.pitch; }
    void P_setPitch(double value) { m_current.pitch = value; }
    double F_getYaw() const { return m_current.yaw; }
    void P_setYaw(double value) { m_current.yaw = value; }
    double F_getLatency() const { return m_current.latency; }
    void P_setLatency(double value) { m_current.latency = value; }
    // The model object the row edits; the row never looks into it.
    void* F_getEquipment() const { return m_current.equipment; }
    void P_setEquipment(void* equipment) { m_current.equipment = equipment; }

    // Which values apply: a towed source, receiver or sonar has only its
    // mount; the others have a lever arm, navigation its yaw and latency,
    // attitude its roll, pitch and yaw.
    bool F_isTowed() const;
    bool F_hasMount() const;
    bool F_hasLeverArm() const;
    bool F_hasRollPitch() const;
    bool F_hasYaw() const;
    bool F_hasLatency() const;

    // Whether any current value differs from the committed one.
    bool F_isModified() const;
    void P_commit() { m_saved = m_current; }

private:
    struct Block {
        int kind = 0;
        CString name;
        int mount = 0;  // 1 hull mounted, 2 towed, 0 not set
        double x = 0.0, y = 0.0, z = 0.0, roll = 0.0, pitch = 0.0, yaw = 0.0, latency = 0.0;
        void* equipment = nullptr;
        bool operator==(const Block& other) const;
    };
    Block m_current, m_saved;
};
