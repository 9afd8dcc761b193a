// The mounting offsets of a navigation sensor, an attitude sensor and a
// winch, kept in an INI file: one section per group, named by a fixed
// prefix and the group's name, one key per offset.
#pragma once

#include "sysdesc/CFloatParam.h"

class CSensorGeometry {
public:
    enum E_param {
        NAV_X = 0, NAV_Y, NAV_Z, NAV_YAW, NAV_LAG,
        ATT_X, ATT_Y, ATT_Z, ATT_YAW, ATT_PITCH, ATT_ROLL,
        WINCH_X, WINCH_Y, WINCH_Z,
        PARAM_COUNT
    };

    // The file's full path; every value 0.0.
    explicit CSensorGeometry(const char* iniFile);
    CSensorGeometry(const CSensorGeometry& other);
    virtual ~CSensorGeometry() = default;
    // Copies the fourteen values only: the target keeps its own file.
    CSensorGeometry operator=(const CSensorGeometry& other);

    // The value at the index; null for an index outside 0 to 13.
    CFloatParam* F_getParam(E_param index);
    // Ignored for an index outside 0 to 13.
    void P_setParam(E_param index, CFloatParam value);

    // False for an empty path; otherwise every key is read (a missing key
    // or file reads as 0.0; the lag as a whole number) and true.
    bool F_load();
    // False for an empty path; otherwise every key is written, values with
    // three decimals and the lag with none, and true.
    bool F_save();

private:
    const char* m_prefix;
    const char* m_navigation;
    const char* m_navigationKeys[5];
    const char* m_attitude;
    const char* m_attitudeKeys[6];
    const char* m_winch;
    const char* m_winchKeys[3];
    CString m_strIniFile;
    CFloatParam m_values[PARAM_COUNT];
};
