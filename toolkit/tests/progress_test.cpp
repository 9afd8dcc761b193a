#include <gtest/gtest.h>

#include "toolkit/CStaticProgress.h"
#include "toolkit_fixture.h"
#include "toolkit_test_ids.h"

namespace {

using helm::gdi::testing::count_of;
using helm::gdi::testing::near_colour;
using toolkit_test::Picture;

constexpr COLORREF tail = RGB(0, 0, 255), head = RGB(0, 255, 0), background = RGB(40, 40, 40);

// A bar 200 pixels wide on a scale of 100: a position is two pixels.
class Progress : public toolkit_test::WithDialog<IDD_TEST_STATICS> {
protected:
    void SetUp() override
    {
        WithDialog::SetUp();
        ASSERT_TRUE(bar.SubclassDlgItem(IDC_TEST_PROGRESS, &dialog));
        bar.MoveWindow(10, 250, 200, 20);
        bar.SetFgColor(tail, head);
        bar.SetBkColor(background);
        bar.SetGradientBand(true);
    }
    void steps(int n)
    {
        for (int i = 0; i < n; ++i)
            bar.StepIt();
    }
    // The colour of column x of the bar, on a row the text leaves alone.
    COLORREF column(const Picture& picture, int x) const
    {
        const CRect area = picture.of(bar.m_hWnd);
        return picture.at(area.left + x, area.top + 1);
    }

    CStaticProgress bar;
};

TEST_F(Progress, HeadRunsOutTailFollowsAndBothComeBack)
{
    struct Case {
        int steps;  // in all, from the start
        int head, tail;
        bool reverse;
    };
    // Step 5, length 40: the tail leaves once the head is 40 out; at the
    // end one step marks it, the tail catches up, and the bar turns.
    const Case cases[] = {
        {1, 5, 0, false},    {7, 35, 0, false},   {8, 40, 5, false},   {20, 100, 65, false},
        {21, 100, 65, false}, {27, 100, 95, false}, {28, 95, 100, true}, {35, 60, 95, true},
        {47, 0, 35, true},   {48, 0, 35, true},   {55, 5, 0, false},
    };
    int done = 0;
    for (const Case& c : cases) {
        steps(c.steps - done);
        done = c.steps;
        EXPECT_EQ(bar.GetPositionLast(), c.head) << c.steps;
        EXPECT_EQ(bar.GetPositionFirst(), c.tail) << c.steps;
        EXPECT_EQ(bar.IsReverse(), c.reverse) << c.steps;
        // Going back the colours in use swap.
        EXPECT_EQ(bar.GetFgColorLast(), c.reverse ? tail : head);
    }
    bar.ResetProgress();
    EXPECT_EQ(bar.GetPositionLast(), 0);
    EXPECT_EQ(bar.GetPositionFirst(), 0);
    EXPECT_FALSE(bar.IsReverse());
    EXPECT_EQ(bar.GetFgColorFirst(), tail);
}

TEST_F(Progress, PaintsTheSegmentAtNoughtHalfAndFull)
{
    {
        Picture picture(dialog, "toolkit_progress_0");
        for (int x : {1, 50, 198})
            EXPECT_EQ(column(picture, x), background) << x;
        // The text in its colour.
        EXPECT_GT(count_of(*picture.surface, picture.of(bar.m_hWnd), RGB(255, 255, 255), 60), 10);
    }
    // 50 %: head 50, tail 15, so the segment spans 30 to 100; the last
    // quarter (17 pixels) is the head's band, the rest a gradient.
    steps(10);
    {
        Picture picture(dialog, "toolkit_progress_50");
        EXPECT_EQ(column(picture, 29), background);
        EXPECT_TRUE(near_colour(column(picture, 30), tail, 8));
        EXPECT_TRUE(near_colour(column(picture, 55), RGB(0, 120, 135), 12));
        EXPECT_EQ(column(picture, 83), head);
        EXPECT_EQ(column(picture, 99), head);
        EXPECT_EQ(column(picture, 100), background);
    }
    // 100 %: head 100, tail 65.
    steps(10);
    {
        Picture picture(dialog, "toolkit_progress_100");
        EXPECT_EQ(column(picture, 129), background);
        EXPECT_TRUE(near_colour(column(picture, 130), tail, 8));
        EXPECT_EQ(column(picture, 199), head);
    }
}

TEST_F(Progress, ShortSegmentsAndAnEmptyScale)
{
    // Step 2, length 4: the segment is two positions (4 pixels); the band
    // of at least 10 pixels must stay inside it.
    bar.SetStep(2);
    bar.SetLength(4);
    steps(20);
    ASSERT_EQ(bar.GetPositionLast(), 40);
    ASSERT_EQ(bar.GetPositionFirst(), 38);
    {
        Picture picture(dialog);
        for (int x = 60; x < 76; ++x)
            EXPECT_EQ(column(picture, x), background) << x;
        for (int x = 76; x < 80; ++x)
            EXPECT_EQ(column(picture, x), head) << x;
        EXPECT_EQ(column(picture, 80), background);
    }
    // Equal colours: one flat segment.
    bar.SetFgColor(head, head);
    {
        Picture picture(dialog);
        EXPECT_EQ(column(picture, 76), head);
    }
    // A scale of nothing shows the background (and the text) only.
    for (int maximum : {0, -10}) {
        bar.SetMax(maximum);
        bar.StepIt();
        Picture picture(dialog);
        for (int x : {1, 78, 150})
            EXPECT_EQ(column(picture, x), background) << maximum;
    }
}

TEST_F(Progress, NewTextRepaints)
{
    bar.SetWindowText("Loading");
    CString text;
    bar.GetWindowText(text);
    EXPECT_EQ(text, "Loading");
    Picture picture(dialog);
    EXPECT_GT(count_of(*picture.surface, picture.of(bar.m_hWnd), RGB(255, 255, 255), 60), 10);
}

}  // namespace
