// The wrappers of the gauge and the 3D compass: each call reaches the
// control with the dispatch id, kind and argument types its interface
// takes (seen by a plug-in registered under their class ids that writes
// down what it is given), and nothing is sent without a control.

#include <string>

#include "dialogs/CCompass3dctrl.h"
#include "dialogs/CFt.h"
#include "dialogs_fixture.h"

namespace {

class Wrappers : public dialogs_test::WithMainWindow {
protected:
    Wrappers() : WithMainWindow({dialogs_test::recorder_plugin}) {}
    void closing() override
    {
        m_ft.DestroyWindow();
        m_compass.DestroyWindow();
    }
    static std::string journal(CWnd& wrapper)
    {
        CString text;
        wrapper.InvokeHelper(9999, DISPATCH_PROPERTYGET, VT_BSTR, &text, nullptr);
        return static_cast<LPCSTR>(text);
    }

    CFt m_ft;
    CCompass3dctrl m_compass;
};

TEST_F(Wrappers, GaugeCallsCarryTheirInterfaceTypes)
{
    ASSERT_TRUE(m_ft.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 100), &m_main, 4728));
    double times[2] = {0, 0.5}, a[2] = {}, b[2] = {}, c[2] = {}, d[2] = {};
    double low = 0, high = 0;
    m_ft.F_Init(0, 0);
    m_ft.SetTimeLabelOn(TRUE);
    m_ft.SetTimeUnit(15, "(s)");
    m_ft.SetTimeCaption(15, "Time");
    m_ft.F_SetTimeRange(0, 20);
    m_ft.F_SetTimeSel(0.5, 20);
    m_ft.SetTimeAxisColor(15, 8421504);
    m_ft.F_TimeDisableMove();
    m_ft.F_TimeDisableResizeMax();
    m_ft.SetValueUnit(8, "(knots)");
    m_ft.SetBackgroundColor(0);
    m_ft.SetValueAxisColor(15, 8421504);
    m_ft.SetValueFormat(15, "%.1f");
    m_ft.SetDataColor(1, 65280);
    m_ft.SetValueCaption(2, "Roll");
    m_ft.SetVisible(4, TRUE);
    m_ft.SetSubTitle(8, "Heave");
    m_ft.SetSubTitleColor(8, 16776960);
    m_ft.F_SetValueRange(2, -10, 10);
    m_ft.F_SetValueSel(2, -10, 10);
    m_ft.SetTimeSliderOn(TRUE);
    m_ft.SetValueSliderOn(FALSE);
    m_ft.F_Refresh();
    m_ft.F_GetTimeSel(&low, &high);
    EXPECT_EQ(low, 1.5);
    EXPECT_EQ(high, 2.5);
    m_ft.F_GetTimeRange(&low, &high);
    m_ft.F_GetValueRange(1, &low, &high);
    m_ft.F_GetValueSel(1, &low, &high);
    m_ft.F_SetData(2, times, a, b, c, d);
    EXPECT_EQ(journal(m_ft),
              "1 call (ui2 0) (ui4 0)\n"
              "14 put (bool -1)\n"
              "1a put (ui4 15) (bstr (s))\n"
              "19 put (ui4 15) (bstr Time)\n"
              "2 call (r8 0) (r8 20)\n"
              "4 call (r8 0.5) (r8 20)\n"
              "17 put (ui4 15) (ui4 8421504)\n"
              "32 call\n"
              "34 call\n"
              "23 put (ui4 8) (bstr (knots))\n"
              "13 put (ui4 0)\n"
              "20 put (ui4 15) (ui4 8421504)\n"
              "24 put (ui4 15) (bstr %.1f)\n"
              "26 put (ui4 1) (ui4 65280)\n"
              "22 put (ui4 2) (bstr Roll)\n"
              "12 put (ui4 4) (bool -1)\n"
              "d put (ui4 8) (bstr Heave)\n"
              "f put (ui4 8) (ui4 16776960)\n"
              "7 call (ui4 2) (r8 -10) (r8 10)\n"
              "8 call (ui4 2) (r8 -10) (r8 10)\n"
              "2e put (bool -1)\n"
              "2f put (bool 0)\n"
              "2d call\n"
              "5 call (r8* 0.00) (r8* 0.00)\n"
              "3 call (r8* 1.50) (r8* 2.50)\n"
              "30 call (ui4 1) (r8* 1.50) (r8* 2.50)\n"
              "31 call (ui4 1) (r8* 1.50) (r8* 2.50)\n"
              "a call (ui4 2) (r8* 0.00) (r8* 0.00) (r8* 0.00) (r8* 0.00) (r8* 0.00)\n");
}

TEST_F(Wrappers, CompassTakesTheAttitude)
{
    ASSERT_TRUE(m_compass.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 100), &m_main, 4701));
    m_compass.F_SetCompassAttitude(359.5, -2.25, 1);
    EXPECT_EQ(journal(m_compass), "1 call (r8 359.5) (r8 -2.25) (r8 1)\n");
}

TEST_F(Wrappers, NothingIsSentWithoutAControl)
{
    helm::com::testing::unregister_plugin(dialogs_test::recorder_plugin);
    EXPECT_FALSE(m_ft.Create(nullptr, nullptr, WS_CHILD, CRect(0, 0, 10, 10), &m_main, 4728));
    double low = 7, high = 7;
    m_ft.F_GetTimeSel(&low, &high);
    m_ft.F_Refresh();
    EXPECT_EQ(low, 7);
    EXPECT_EQ(high, 7);
    m_compass.F_SetCompassAttitude(1, 2, 3);
    EXPECT_EQ(m_compass.m_hWnd, nullptr);
}

}  // namespace
