// The mounting offsets of an equipment in force at the model's reference
// date, with the start of the file entry they came from.
#pragma once

#include "afxwin.h"

class CGeoOffset {
public:
    CGeoOffset() = default;
    virtual ~CGeoOffset() = default;
    CGeoOffset(const CGeoOffset&) = default;
    CGeoOffset& operator=(const CGeoOffset&) = default;

    // Everything zero, the valid-from time included.
    void P_reset();
    // Each of the seven values within 0.00001 of the other's; the
    // valid-from time is not compared.
    bool F_isEqual(const CGeoOffset& other) const;

    SYSTEMTIME m_validFrom{};  // all zero unless read from a file entry
    double m_dX = 0.0, m_dY = 0.0, m_dZ = 0.0;             // metres
    double m_dRoll = 0.0, m_dPitch = 0.0, m_dYaw = 0.0;    // degrees
    double m_dLatency = 0.0;                               // milliseconds
};
