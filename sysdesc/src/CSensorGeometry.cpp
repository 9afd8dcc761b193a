#include "sysdesc/CSensorGeometry.h"

#include <cstdlib>

namespace {

constexpr const char* section_prefix = "{16C401BF-E144-49ec-B6E3-8FE6E816F27F}";

// The group and key of each value, in storage order.
struct Slot {
    int group;  // 0 navigation, 1 attitude, 2 winch
    int key;
};
constexpr Slot slots[CSensorGeometry::PARAM_COUNT] = {
    {0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4}, {1, 0}, {1, 1}, {1, 2}, {1, 3}, {1, 4}, {1, 5}, {2, 0}, {2, 1}, {2, 2},
};

bool in_range(CSensorGeometry::E_param index)
{
    return index >= 0 && index < CSensorGeometry::PARAM_COUNT;
}

}  // namespace

const char* CFloatParam::F_getAsString(CString& out, unsigned short digits) const
{
    CString format;
    format.Format("%%.0%dlf", digits);
    out.Empty();
    out.Format(format, static_cast<double>(m_fValue));
    return out;
}

CSensorGeometry::CSensorGeometry(const char* iniFile)
    : m_prefix(section_prefix),
      m_navigation("Navigation"),
      m_navigationKeys{"Offset X (m)", "Offset Y (m)", "Offset Z (m)", "Offset Yaw (\xB0)", "Offset Lag (ms)"},
      m_attitude("Attitude"),
      m_attitudeKeys{"Offset X (m)", "Offset Y (m)", "Offset Z (m)", "Offset Yaw (\xB0)", "Offset Pitch (\xB0)",
                     "Offset Roll (\xB0)"},
      m_winch("Winch"),
      m_winchKeys{"Offset X (m)", "Offset Y (m)", "Offset Z (m)"},
      m_strIniFile(iniFile ? iniFile : "")
{
}

CSensorGeometry::CSensorGeometry(const CSensorGeometry& other) : CSensorGeometry(other.m_strIniFile)
{
    for (int i = 0; i < PARAM_COUNT; ++i)
        m_values[i] = other.m_values[i];
}

CSensorGeometry CSensorGeometry::operator=(const CSensorGeometry& other)
{
    for (int i = 0; i < PARAM_COUNT; ++i)
        m_values[i] = other.m_values[i];
    return *this;
}

CFloatParam* CSensorGeometry::F_getParam(E_param index)
{
    return in_range(index) ? &m_values[index] : nullptr;
}

void CSensorGeometry::P_setParam(E_param index, CFloatParam value)
{
    if (in_range(index))
        m_values[index] = value;
}

bool CSensorGeometry::F_load()
{
    if (m_strIniFile.IsEmpty())
        return false;
    const char* const groups[] = {m_navigation, m_attitude, m_winch};
    const char* const* keys[] = {m_navigationKeys, m_attitudeKeys, m_winchKeys};
    for (int i = 0; i < PARAM_COUNT; ++i) {
        const CString section = CString(m_prefix) + groups[slots[i].group];
        char text[50] = {0};
        GetPrivateProfileString(section, keys[slots[i].group][slots[i].key], "0.0F", text, sizeof text, m_strIniFile);
        // The lag is a whole number of milliseconds.
        m_values[i] = i == NAV_LAG ? static_cast<float>(std::atoi(text)) : static_cast<float>(std::atof(text));
    }
    return true;
}

bool CSensorGeometry::F_save()
{
    if (m_strIniFile.IsEmpty())
        return false;
    const char* const groups[] = {m_navigation, m_attitude, m_winch};
    const char* const* keys[] = {m_navigationKeys, m_attitudeKeys, m_winchKeys};
    for (int i = 0; i < PARAM_COUNT; ++i) {
        const CString section = CString(m_prefix) + groups[slots[i].group];
        CString text;
        m_values[i].F_getAsString(text, i == NAV_LAG ? 0 : 3);
        WritePrivateProfileString(section, keys[slots[i].group][slots[i].key], text, m_strIniFile);
    }
    return true;
}
