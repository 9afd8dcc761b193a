#include "dialogs/CFt.h"

IMPLEMENT_DYNCREATE(CFt, CWnd)

// AttHeadGauge's FtAttitudeHeadingCtrl.
const CLSID CFt::clsid = {0xCD6E2937, 0x4EBE, 0x44DB, {0xA9, 0x93, 0xEC, 0x14, 0x1A, 0x1B, 0x1A, 0x50}};

namespace {

// The gauge's dispatch ids.
enum : DISPID {
    dispid_init = 0x1,
    dispid_set_time_range = 0x2,
    dispid_get_time_range = 0x3,
    dispid_set_time_sel = 0x4,
    dispid_get_time_sel = 0x5,
    dispid_set_value_range = 0x7,
    dispid_set_value_sel = 0x8,
    dispid_set_data = 0xa,
    dispid_sub_title = 0xd,
    dispid_sub_title_color = 0xf,
    dispid_visible = 0x12,
    dispid_background_color = 0x13,
    dispid_time_label_on = 0x14,
    dispid_time_axis_color = 0x17,
    dispid_time_caption = 0x19,
    dispid_time_unit = 0x1a,
    dispid_value_axis_color = 0x20,
    dispid_value_caption = 0x22,
    dispid_value_unit = 0x23,
    dispid_value_format = 0x24,
    dispid_data_color = 0x26,
    dispid_refresh = 0x2d,
    dispid_time_slider_on = 0x2e,
    dispid_value_slider_on = 0x2f,
    dispid_get_value_range = 0x30,
    dispid_get_value_sel = 0x31,
    dispid_time_disable_move = 0x32,
    dispid_time_disable_resize_max = 0x34,
};

const BYTE two_doubles[] = VTS_R8 VTS_R8;
const BYTE two_double_refs[] = VTS_PR8 VTS_PR8;
const BYTE mask_two_doubles[] = VTS_UI4 VTS_R8 VTS_R8;
const BYTE mask_two_double_refs[] = VTS_UI4 VTS_PR8 VTS_PR8;
const BYTE mask_colour[] = VTS_UI4 VTS_UI4;
const BYTE mask_text[] = VTS_UI4 VTS_BSTR;
const BYTE mask_bool[] = VTS_UI4 VTS_BOOL;
const BYTE one_bool[] = VTS_BOOL;

}  // namespace

BOOL CFt::Create(LPCSTR, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id, void*)
{
    return CreateControl(clsid, windowName, style, rect, parent, id);
}

void CFt::F_Init(unsigned short type, unsigned long options)
{
    static const BYTE parms[] = VTS_UI2 VTS_UI4;
    InvokeHelper(dispid_init, DISPATCH_METHOD, VT_EMPTY, nullptr, parms, type, options);
}

void CFt::F_SetTimeRange(double low, double high)
{
    InvokeHelper(dispid_set_time_range, DISPATCH_METHOD, VT_EMPTY, nullptr, two_doubles, low, high);
}

void CFt::F_GetTimeRange(double* low, double* high)
{
    InvokeHelper(dispid_get_time_range, DISPATCH_METHOD, VT_EMPTY, nullptr, two_double_refs, low, high);
}

void CFt::F_SetTimeSel(double low, double high)
{
    InvokeHelper(dispid_set_time_sel, DISPATCH_METHOD, VT_EMPTY, nullptr, two_doubles, low, high);
}

void CFt::F_GetTimeSel(double* low, double* high)
{
    InvokeHelper(dispid_get_time_sel, DISPATCH_METHOD, VT_EMPTY, nullptr, two_double_refs, low, high);
}

void CFt::F_SetValueRange(unsigned long mask, double low, double high)
{
    InvokeHelper(dispid_set_value_range, DISPATCH_METHOD, VT_EMPTY, nullptr, mask_two_doubles, mask, low, high);
}

void CFt::F_SetValueSel(unsigned long mask, double low, double high)
{
    InvokeHelper(dispid_set_value_sel, DISPATCH_METHOD, VT_EMPTY, nullptr, mask_two_doubles, mask, low, high);
}

void CFt::F_GetValueRange(unsigned long mask, double* low, double* high)
{
    InvokeHelper(dispid_get_value_range, DISPATCH_METHOD, VT_EMPTY, nullptr, mask_two_double_refs, mask, low, high);
}

void CFt::F_GetValueSel(unsigned long mask, double* low, double* high)
{
    InvokeHelper(dispid_get_value_sel, DISPATCH_METHOD, VT_EMPTY, nullptr, mask_two_double_refs, mask, low, high);
}

void CFt::F_SetData(unsigned long count, double* times, double* heading, double* roll, double* pitch, double* fourth)
{
    static const BYTE parms[] = VTS_UI4 VTS_PR8 VTS_PR8 VTS_PR8 VTS_PR8 VTS_PR8;
    InvokeHelper(dispid_set_data, DISPATCH_METHOD, VT_EMPTY, nullptr, parms, count, times, heading, roll, pitch,
                 fourth);
}

void CFt::F_Refresh() { InvokeHelper(dispid_refresh, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr); }

void CFt::F_TimeDisableMove() { InvokeHelper(dispid_time_disable_move, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr); }

void CFt::F_TimeDisableResizeMax()
{
    InvokeHelper(dispid_time_disable_resize_max, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr);
}

void CFt::SetSubTitle(unsigned long mask, LPCSTR text)
{
    InvokeHelper(dispid_sub_title, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, mask_text, mask, text);
}

void CFt::SetSubTitleColor(unsigned long mask, unsigned long colour)
{
    InvokeHelper(dispid_sub_title_color, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, mask_colour, mask, colour);
}

void CFt::SetVisible(unsigned long mask, BOOL visible)
{
    InvokeHelper(dispid_visible, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, mask_bool, mask, visible);
}

void CFt::SetBackgroundColor(unsigned long colour) { SetProperty(dispid_background_color, VT_UI4, colour); }

void CFt::SetTimeLabelOn(BOOL on)
{
    InvokeHelper(dispid_time_label_on, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, one_bool, on);
}

void CFt::SetTimeAxisColor(unsigned long mask, unsigned long colour)
{
    InvokeHelper(dispid_time_axis_color, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, mask_colour, mask, colour);
}

void CFt::SetTimeCaption(unsigned long mask, LPCSTR text)
{
    InvokeHelper(dispid_time_caption, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, mask_text, mask, text);
}

void CFt::SetTimeUnit(unsigned long mask, LPCSTR text)
{
    InvokeHelper(dispid_time_unit, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, mask_text, mask, text);
}

void CFt::SetValueAxisColor(unsigned long mask, unsigned long colour)
{
    InvokeHelper(dispid_value_axis_color, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, mask_colour, mask, colour);
}

void CFt::SetValueCaption(unsigned long mask, LPCSTR text)
{
    InvokeHelper(dispid_value_caption, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, mask_text, mask, text);
}

void CFt::SetValueUnit(unsigned long mask, LPCSTR text)
{
    InvokeHelper(dispid_value_unit, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, mask_text, mask, text);
}

void CFt::SetValueFormat(unsigned long mask, LPCSTR format)
{
    InvokeHelper(dispid_value_format, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, mask_text, mask, format);
}

void CFt::SetDataColor(unsigned long mask, unsigned long colour)
{
    InvokeHelper(dispid_data_color, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, mask_colour, mask, colour);
}

void CFt::SetTimeSliderOn(BOOL on)
{
    InvokeHelper(dispid_time_slider_on, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, one_bool, on);
}

void CFt::SetValueSliderOn(BOOL on)
{
    InvokeHelper(dispid_value_slider_on, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, one_bool, on);
}
