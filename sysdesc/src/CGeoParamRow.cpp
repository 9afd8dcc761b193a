#include "sysdesc/CGeoParamRow.h"

#include "SetupdeskRes.h"
#include "toolkit/CStringLang.h"

bool CGeoParamRow::Block::operator==(const Block& other) const
{
    return kind == other.kind && name == other.name && mount == other.mount && x == other.x && y == other.y &&
           z == other.z && roll == other.roll && pitch == other.pitch && yaw == other.yaw &&
           latency == other.latency && equipment == other.equipment;
}

void CGeoParamRow::P_setKind(int kind)
{
    m_current.kind = kind;
    if (m_current.name.IsEmpty() && kind >= E_GEO_PARAM_NAVIGATION && kind <= E_GEO_PARAM_SONAR) {
        // The library's own table, whatever module state the caller is in.
        CStringLang label;
        label.LoadString(helm_this_module(), IDS_KIND_BASE + kind);
        m_current.name = label;
    }
    if (m_current.mount == 0 && F_hasMount())
        m_current.mount = 2;
}

bool CGeoParamRow::F_hasMount() const
{
    return m_current.kind >= E_GEO_PARAM_SEISMIC_SOURCE && m_current.kind <= E_GEO_PARAM_SONAR;
}

bool CGeoParamRow::F_isTowed() const
{
    return F_hasMount() && m_current.mount == 2;
}

bool CGeoParamRow::F_hasLeverArm() const
{
    return !F_isTowed();
}

bool CGeoParamRow::F_hasRollPitch() const
{
    return !F_isTowed() && m_current.kind == E_GEO_PARAM_ATTITUDE;
}

bool CGeoParamRow::F_hasYaw() const
{
    return !F_isTowed() && (m_current.kind == E_GEO_PARAM_NAVIGATION || m_current.kind == E_GEO_PARAM_ATTITUDE);
}

bool CGeoParamRow::F_hasLatency() const
{
    return !F_isTowed() && m_current.kind == E_GEO_PARAM_NAVIGATION;
}

bool CGeoParamRow::F_isModified() const
{
    return !(m_current == m_saved);
}
