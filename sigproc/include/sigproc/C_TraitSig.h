// C_TraitSig: one signal bound to the toolbox operations. It keeps the
// caller's arrays (which must outlive it), their sample count, their kind
// and whether they hold angles, and forwards them to the matching
// F_Dll... function. An operation of another kind than the object's
// returns -1.
#pragma once

enum E_SIGNAL_KIND {
    E_SIGNAL_FLOAT = 7,   // one float array
    E_SIGNAL_DOUBLE = 8,  // one double array
    E_SIGNAL_PAIR = 9,    // two double arrays: first and second coordinate
};

class C_TraitSig {
public:
    C_TraitSig(double* signal, long count, bool angular);
    C_TraitSig(float* signal, long count, bool angular);
    C_TraitSig(double* first, double* second, long count, bool angular);

    int MinMaxSignal(float* min, float* max) const;
    int MinMaxSignal(double* min, double* max) const;
    int MinMaxSignal(double* xMin, double* yAtXMin, double* xMax, double* yAtXMax) const;

    int Interpol(float* out, long nOut) const;
    int Interpol(double* out, long nOut) const;
    int Interpol(double* xOut, double* yOut, long nOut) const;

    int Decimation(int mode, float* out, long nOut) const;
    int Decimation(int mode, double* out, long nOut) const;
    int Decimation(int mode, double* xOut, double* yOut, long nOut) const;

private:
    // The toolbox counts in int; a longer signal is refused, not truncated.
    bool counts_fit(long nOut) const;

    union {
        float* floats;
        double* doubles;
    } m_first;
    double* m_pSecond = nullptr;
    long m_lCount = 0;
    int m_iKind = E_SIGNAL_DOUBLE;
    bool m_bAngular = false;
};
