#include "sigproc/C_TraitSig.h"

#include <climits>

#include "sigproc/SignalToolbox.h"

C_TraitSig::C_TraitSig(double* signal, long count, bool angular)
    : m_lCount(count), m_iKind(E_SIGNAL_DOUBLE), m_bAngular(angular)
{
    m_first.doubles = signal;
}

C_TraitSig::C_TraitSig(float* signal, long count, bool angular)
    : m_lCount(count), m_iKind(E_SIGNAL_FLOAT), m_bAngular(angular)
{
    m_first.floats = signal;
}

C_TraitSig::C_TraitSig(double* first, double* second, long count, bool angular)
    : m_pSecond(second), m_lCount(count), m_iKind(E_SIGNAL_PAIR), m_bAngular(angular)
{
    m_first.doubles = first;
}

bool C_TraitSig::counts_fit(long nOut) const
{
    return m_lCount >= 0 && m_lCount <= INT_MAX && nOut >= 0 && nOut <= INT_MAX;
}

int C_TraitSig::MinMaxSignal(float* min, float* max) const
{
    if (m_iKind != E_SIGNAL_FLOAT || !counts_fit(0))
        return -1;
    return F_DllMinMaxSignalF(m_first.floats, static_cast<int>(m_lCount), min, max);
}

int C_TraitSig::MinMaxSignal(double* min, double* max) const
{
    if (m_iKind != E_SIGNAL_DOUBLE || !counts_fit(0))
        return -1;
    return F_DllMinMaxSignalD(m_first.doubles, static_cast<int>(m_lCount), min, max);
}

int C_TraitSig::MinMaxSignal(double* xMin, double* yAtXMin, double* xMax, double* yAtXMax) const
{
    if (m_iKind != E_SIGNAL_PAIR || !counts_fit(0))
        return -1;
    return F_DllMinMaxSignalXY(m_first.doubles, m_pSecond, static_cast<int>(m_lCount), xMin, yAtXMin, xMax, yAtXMax);
}

int C_TraitSig::Interpol(float* out, long nOut) const
{
    if (m_iKind != E_SIGNAL_FLOAT || !counts_fit(nOut))
        return -1;
    return F_DllInterpolSignalF(m_first.floats, static_cast<int>(m_lCount), out, static_cast<int>(nOut), m_bAngular);
}

int C_TraitSig::Interpol(double* out, long nOut) const
{
    if (m_iKind != E_SIGNAL_DOUBLE || !counts_fit(nOut))
        return -1;
    return F_DllInterpolSignalD(m_first.doubles, static_cast<int>(m_lCount), out, static_cast<int>(nOut),
                                m_bAngular);
}

int C_TraitSig::Interpol(double* xOut, double* yOut, long nOut) const
{
    if (m_iKind != E_SIGNAL_PAIR || !counts_fit(nOut))
        return -1;
    return F_DllInterpolSignalXY(m_first.doubles, m_pSecond, static_cast<int>(m_lCount), xOut, yOut,
                                 static_cast<int>(nOut), m_bAngular);
}

int C_TraitSig::Decimation(int mode, float* out, long nOut) const
{
    if (m_iKind != E_SIGNAL_FLOAT || !counts_fit(nOut))
        return -1;
    return F_DllDecimSignalF(m_first.floats, static_cast<int>(m_lCount), mode, out, static_cast<int>(nOut),
                             m_bAngular);
}

int C_TraitSig::Decimation(int mode, double* out, long nOut) const
{
    if (m_iKind != E_SIGNAL_DOUBLE || !counts_fit(nOut))
        return -1;
    return F_DllDecimSignalD(m_first.doubles, static_cast<int>(m_lCount), mode, out, static_cast<int>(nOut),
                             m_bAngular);
}

int C_TraitSig::Decimation(int mode, double* xOut, double* yOut, long nOut) const
{
    if (m_iKind != E_SIGNAL_PAIR || !counts_fit(nOut))
        return -1;
    return F_DllDecimSignalXY(m_first.doubles, m_pSecond, static_cast<int>(m_lCount), mode, xOut, yOut,
                              static_cast<int>(nOut), m_bAngular);
}
