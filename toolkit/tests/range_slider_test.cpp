#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "helm/user/testing/driver.h"
#include "toolkit/CSliderCtrlRange.h"
#include "toolkit_fixture.h"
#include "toolkit_test_ids.h"

namespace {

using helm::gdi::testing::count_of;
using toolkit_test::Picture;
namespace driver = helm::user::testing;
namespace input = helm::user::input;

// A horizontal slider 216 pixels long and a vertical one 216 high, both on
// a range of 0 to 100: 8-pixel thumbs, so value v lies at pixel 8 + 2v
// (the vertical one counting up from its bottom).
class RangeSlider : public toolkit_test::WithDialog<IDD_TEST_SLIDERS> {
protected:
    void SetUp() override
    {
        WithDialog::SetUp();
        HWND timeItem = ::GetDlgItem(dialog.m_hWnd, IDC_TEST_TIME_SLIDER);
        HWND valueItem = ::GetDlgItem(dialog.m_hWnd, IDC_TEST_VALUE_SLIDER);
        ::MoveWindow(timeItem, 10, 10, 216, 12, TRUE);
        ::MoveWindow(valueItem, 250, 30, 12, 216, TRUE);
        ASSERT_TRUE(time.SubclassWindow(timeItem));
        ASSERT_TRUE(value.SubclassWindow(valueItem));
        for (CSliderCtrlRange* slider : {&time, &value}) {
            slider->F_SetRange(0, 100);
            slider->F_SetSel(20, 60);
        }
        log = std::make_unique<driver::MessageLog>(dialog.m_hWnd);
    }
    void TearDown() override
    {
        log.reset();
        WithDialog::TearDown();
    }
    // A point of the horizontal slider at pixel x, on screen.
    POINT on_time(int x) const
    {
        CRect r;
        time.GetWindowRect(&r);
        return {r.left + x, r.top + 6};
    }
    // A point of the vertical slider at pixel y counted from its bottom.
    POINT on_value(int fromBottom) const
    {
        CRect r;
        value.GetWindowRect(&r);
        return {r.left + 6, r.bottom - 1 - fromBottom};
    }
    // The message registered under a slider's name for it.
    static UINT message_named(const char* event, const CSliderCtrlRange& slider)
    {
        char name[128];
        std::snprintf(name, sizeof name, "CCustomSlider Selection %s - %X - {92610D9C-BCEC-47e7-8D9E-FA52A5FFDFB0}",
                      event, static_cast<unsigned>(reinterpret_cast<uintptr_t>(slider.m_hWnd)));
        return RegisterWindowMessage(name);
    }
    // What the dialog was posted by the slider, as "changing" and "changed".
    std::vector<std::string> told(const CSliderCtrlRange& slider) const
    {
        const UINT changing = message_named("Changing", slider), changed = message_named("Changed ", slider);
        std::vector<std::string> out;
        for (const auto& m : log->messages()) {
            if (!m.posted || m.wParam != reinterpret_cast<WPARAM>(slider.m_hWnd) || m.lParam != 0)
                continue;
            if (m.message == changing)
                out.push_back("changing");
            else if (m.message == changed)
                out.push_back("changed");
        }
        return out;
    }
    std::pair<int, int> sel(const CSliderCtrlRange& slider) const { return {slider.F_GetSelMin(), slider.F_GetSelMax()}; }

    CSliderCtrlRange time, value;
    std::unique_ptr<driver::MessageLog> log;
};

using Sel = std::pair<int, int>;

TEST_F(RangeSlider, MessagesAreNamedAfterTheSlidersWindow)
{
    CSliderCtrlRange unbound;
    EXPECT_EQ(unbound.F_GetMessage_Changed(), 0u);
    // "Changed" is followed by two blanks.
    EXPECT_EQ(time.F_GetMessage_Changed(), message_named("Changed ", time));
    EXPECT_EQ(time.F_GetMessage_Changing(), message_named("Changing", time));
    EXPECT_NE(time.F_GetMessage_Changed(), value.F_GetMessage_Changed());
    EXPECT_NE(time.F_GetMessage_Changed(), time.F_GetMessage_Changing());
}

TEST_F(RangeSlider, ProgramSetsRangeAndSelectionSilently)
{
    struct Case {
        const char* what;
        Sel before;
        Sel asked;
        Sel after;
    };
    // On the range 0..100.
    const Case selections[] = {
        {"inside", {20, 60}, {30, 40}, {30, 40}},
        {"below the range: its minimum", {20, 60}, {-5, 40}, {0, 40}},
        {"above the range: its maximum", {20, 60}, {30, 140}, {30, 100}},
        {"never inverted", {20, 40}, {60, 140}, {60, 100}},
        {"lower not below upper: kept", {20, 60}, {70, 50}, {20, 100}},
        {"lower above the range: kept", {20, 60}, {120, 150}, {20, 100}},
        {"upper below the range", {20, 60}, {10, -4}, {20, 100}},
        {"empty asked", {20, 60}, {50, 50}, {20, 100}},
    };
    for (const Case& c : selections) {
        time.F_SetSel(c.before.first, c.before.second);
        ASSERT_EQ(sel(time), c.before) << c.what;
        time.F_SetSel(c.asked.first, c.asked.second);
        EXPECT_EQ(sel(time), c.after) << c.what;
        EXPECT_LE(time.F_GetSelMin(), time.F_GetSelMax()) << c.what;
    }

    struct RangeCase {
        Sel range;
        Sel after;
    };
    // From a selection of 20..60: ends outside the new range go to its ends.
    const RangeCase ranges[] = {
        {{0, 100}, {20, 60}}, {{50, 10}, {20, 50}}, {{30, 200}, {30, 60}}, {{25, 35}, {25, 35}},
    };
    for (const RangeCase& c : ranges) {
        time.F_SetRange(0, 100);
        time.F_SetSel(20, 60);
        time.F_SetRange(c.range.first, c.range.second);
        EXPECT_EQ(time.F_GetRangeMin(), std::min(c.range.first, c.range.second));
        EXPECT_EQ(sel(time), c.after) << c.range.first << ".." << c.range.second;
    }
    driver::pump_until_idle();
    EXPECT_TRUE(told(time).empty());
}

// The operator drags the upper thumb, the lower thumb, the selection and a
// point outside it; every step says "changing", the release "changed".
TEST_F(RangeSlider, DraggingEitherEndOrTheWholeSelection)
{
    struct Case {
        const char* what;
        int from, to;  // pixels
        input::Button button;
        Sel after;
    };
    const Case cases[] = {
        {"upper thumb", 132, 172, input::Button::left, {20, 80}},
        {"upper thumb past the end", 132, 260, input::Button::left, {20, 100}},
        {"upper thumb onto the lower end", 132, 20, input::Button::left, {20, 21}},
        {"lower thumb", 44, 24, input::Button::left, {10, 60}},
        {"lower thumb past the upper end", 44, 200, input::Button::left, {59, 60}},
        {"selection", 90, 110, input::Button::left, {30, 70}},
        {"selection to the end", 90, 215, input::Button::left, {60, 100}},
        {"selection with the other button, from a thumb", 44, 64, input::Button::right, {30, 70}},
        {"outside: the nearer end comes", 188, 198, input::Button::left, {20, 95}},
    };
    for (const Case& c : cases) {
        time.F_SetSel(20, 60);
        log->clear();
        driver::drag(on_time(c.from), on_time(c.to), 4, c.button);
        EXPECT_EQ(sel(time), c.after) << c.what;
        const auto messages = told(time);
        ASSERT_GE(messages.size(), 2u) << c.what;
        EXPECT_EQ(messages.back(), "changed") << c.what;
        for (size_t i = 0; i + 1 < messages.size(); ++i)
            EXPECT_EQ(messages[i], "changing") << c.what;
    }
    // A press that moves nothing says nothing.
    time.F_SetSel(20, 60);
    log->clear();
    driver::click_at(on_time(90));
    EXPECT_TRUE(told(time).empty());
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(RangeSlider, DisabledMovesAndSwappedButtons)
{
    // Only moved as a whole: a thumb drags the selection.
    time.F_Disable_Resize_Min();
    time.F_Disable_Resize_Max();
    driver::drag(on_time(132), on_time(152));
    EXPECT_EQ(sel(time), Sel(30, 70));
    // Not moved either: nothing.
    time.F_Disable_Move();
    log->clear();
    driver::drag(on_time(90), on_time(150));
    EXPECT_EQ(sel(time), Sel(30, 70));
    EXPECT_TRUE(told(time).empty());

    // Swapped buttons: the left one moves the selection from a thumb, the
    // right one drags the thumb.
    EXPECT_TRUE(value.F_InvertMouse_Set(true));
    driver::drag(on_value(132), on_value(152), 4, input::Button::left);
    EXPECT_EQ(sel(value), Sel(30, 70));
    driver::drag(on_value(152), on_value(172), 4, input::Button::right);
    EXPECT_EQ(sel(value), Sel(30, 80));
}

// The heading's slider: 0..360, its selection centred on 180; the drum
// widens and narrows it about its centre, and it cannot be moved.
TEST_F(RangeSlider, DrumWidensAboutTheCentre)
{
    value.F_SetRange(0, 360);
    value.F_SetSel(90, 270);
    value.F_Able_Drum_behaviour(true);
    value.F_Disable_Move();
    // Value v lies at 8 + v * 200 / 360 from the bottom; the upper thumb of
    // 270 is at 158..166. Up by 20 pixels is 36 degrees: both ends move.
    driver::drag(on_value(160), on_value(180));
    EXPECT_EQ(sel(value), Sel(54, 306));
    // Narrowed from the lower thumb (now at 38..30 from the bottom), up.
    driver::drag(on_value(34), on_value(54));
    EXPECT_EQ(sel(value), Sel(90, 270));
    // The selection itself cannot be dragged, only widened or narrowed.
    driver::drag(on_value(150), on_value(170));
    EXPECT_EQ((value.F_GetSelMin() + value.F_GetSelMax()) / 2, 180);
    // The right button is ignored.
    const Sel before = sel(value);
    log->clear();
    driver::drag(on_value(160), on_value(60), 4, input::Button::right);
    EXPECT_EQ(sel(value), before);
    EXPECT_TRUE(told(value).empty());
}

TEST_F(RangeSlider, KeysMoveTheSelectionOrOneEnd)
{
    struct Case {
        const char* what;
        BYTE modifier;  // 0, VK_SHIFT or VK_CONTROL
        BYTE key;
        CSliderCtrlRange* slider;
        Sel after;
    };
    const Case cases[] = {
        {"right", 0, VK_RIGHT, &time, {21, 61}},
        {"left", 0, VK_LEFT, &time, {19, 59}},
        {"shift right: upper end", VK_SHIFT, VK_RIGHT, &time, {20, 61}},
        {"ctrl left: lower end", VK_CONTROL, VK_LEFT, &time, {19, 60}},
        {"page down", 0, VK_NEXT, &time, {30, 70}},
        {"home", 0, VK_HOME, &time, {0, 40}},
        {"end", 0, VK_END, &time, {60, 100}},
        {"up on a vertical slider", 0, VK_UP, &value, {21, 61}},
        {"up across the vertical slider's axis: nothing", 0, VK_RIGHT, &value, {20, 60}},
    };
    for (const Case& c : cases) {
        c.slider->F_SetSel(20, 60);
        driver::focus(c.slider->m_hWnd);
        log->clear();
        if (c.modifier)
            input::key(c.modifier, true);
        driver::press(c.key);
        if (c.modifier) {
            input::key(c.modifier, false);
            driver::pump_until_idle();
        }
        EXPECT_EQ(sel(*c.slider), c.after) << c.what;
        const bool moved = sel(*c.slider) != Sel(20, 60);
        EXPECT_EQ(told(*c.slider), moved ? std::vector<std::string>{"changing"} : std::vector<std::string>{})
            << c.what;
    }
    // Reversed, a vertical slider grows downward.
    value.F_ReverseVert_Set(true);
    value.F_SetSel(20, 60);
    driver::focus(value.m_hWnd);
    driver::press(VK_DOWN);
    EXPECT_EQ(sel(value), Sel(21, 61));
}

TEST_F(RangeSlider, PaintsTheSelectionBetweenItsThumbs)
{
    time.F_SetColorBck(RGB(0xA9, 0xA9, 0xA9));
    value.F_SetColorBck(RGB(0xA9, 0xA9, 0xA9));
    const COLORREF band = GetSysColor(COLOR_HIGHLIGHT), back = RGB(0xA9, 0xA9, 0xA9);
    {
        Picture picture(dialog, "toolkit_range_slider");
        const CRect t = picture.of(time);
        // 20..60 lies between pixels 48 and 128; the thumbs are outside it.
        EXPECT_EQ(picture.at(t.left + 60, t.top + 3), band);
        EXPECT_EQ(picture.at(t.left + 140, t.top + 1), back);
        EXPECT_EQ(picture.at(t.left + 4, t.top + 1), back);
        EXPECT_EQ(picture.at(t.left + 44, t.top + 6), GetSysColor(COLOR_BTNFACE));
        // The vertical slider has its selection low, near its bottom.
        const CRect v = picture.of(value);
        EXPECT_EQ(picture.at(v.left + 3, v.bottom - 1 - 60), band);
        EXPECT_EQ(picture.at(v.left + 3, v.bottom - 1 - 160), back);
    }
    // Reversed, the same selection lies near the top.
    value.F_ReverseVert_Set(true);
    Picture picture(dialog, "toolkit_range_slider_reversed");
    const CRect v = picture.of(value);
    EXPECT_EQ(picture.at(v.left + 3, v.top + 60), band);
    EXPECT_EQ(picture.at(v.left + 3, v.top + 160), back);
}

}  // namespace
