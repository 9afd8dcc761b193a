// CFt: the wrapper through which the graph dialog reaches its attitude and
// heading gauge (FtAttitudeHeadingCtrl of AttHeadGauge), called by dispatch
// id. Plot masks: 1 heading, 2 roll, 4 pitch, 8 heave or speed norm. The
// gauge keeps the arrays given to F_SetData by pointer: they must outlive
// its drawing. Every call is skipped while the wrapper has no control.
#pragma once

#include "afxdisp.h"
#include "afxwin.h"

class CFt : public CWnd {
    DECLARE_DYNCREATE(CFt)

public:
    static const CLSID clsid;

    BOOL Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                void* context = nullptr) override;

    void F_Init(unsigned short type, unsigned long options);
    void F_SetTimeRange(double low, double high);
    void F_GetTimeRange(double* low, double* high);
    void F_SetTimeSel(double low, double high);
    void F_GetTimeSel(double* low, double* high);
    void F_SetValueRange(unsigned long mask, double low, double high);
    void F_SetValueSel(unsigned long mask, double low, double high);
    void F_GetValueRange(unsigned long mask, double* low, double* high);
    void F_GetValueSel(unsigned long mask, double* low, double* high);
    void F_SetData(unsigned long count, double* times, double* heading, double* roll, double* pitch, double* fourth);
    void F_Refresh();
    void F_TimeDisableMove();
    void F_TimeDisableResizeMax();

    // Properties (puts).
    void SetSubTitle(unsigned long mask, LPCSTR text);
    void SetSubTitleColor(unsigned long mask, unsigned long colour);
    void SetVisible(unsigned long mask, BOOL visible);
    void SetBackgroundColor(unsigned long colour);
    void SetTimeLabelOn(BOOL on);
    void SetTimeAxisColor(unsigned long mask, unsigned long colour);
    void SetTimeCaption(unsigned long mask, LPCSTR text);
    void SetTimeUnit(unsigned long mask, LPCSTR text);
    void SetValueAxisColor(unsigned long mask, unsigned long colour);
    void SetValueCaption(unsigned long mask, LPCSTR text);
    void SetValueUnit(unsigned long mask, LPCSTR text);
    void SetValueFormat(unsigned long mask, LPCSTR format);
    void SetDataColor(unsigned long mask, unsigned long colour);
    void SetTimeSliderOn(BOOL on);
    void SetValueSliderOn(BOOL on);
};
