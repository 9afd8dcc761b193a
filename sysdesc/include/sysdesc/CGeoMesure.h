// A measure: one data link that feeds an equipment. Its type, server,
// connection and port are carried through the file unchanged.
#pragma once

#include "afxwin.h"

class CGeoMesureData {
public:
    bool m_bValid = false;
    int m_nID = -1;
    int m_nIDequipment = -1;
    int m_nType = 1;
    int m_nServeur = 1;
    int m_nConnexion = 1;
    int m_nPortNumber = 1;
};

class CGeoMesure {
public:
    CGeoMesure() = default;
    virtual ~CGeoMesure() = default;
    CGeoMesure(const CGeoMesure&) = default;
    CGeoMesure& operator=(const CGeoMesure&) = default;

    CGeoMesureData& F_getData() { return m_data; }
    const CGeoMesureData& F_getData() const { return m_data; }
    // Every field back to its default.
    void P_reset() { m_data = CGeoMesureData(); }

private:
    CGeoMesureData m_data;
};
