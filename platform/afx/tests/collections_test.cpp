#include <gtest/gtest.h>

#include <stdexcept>

#include "afxwin.h"

namespace {

TEST(CArrayTest, AddInsertRemoveAndGrow)
{
    CUIntArray a;
    EXPECT_EQ(a.GetUpperBound(), -1);
    EXPECT_EQ(a.Add(10), 0);
    EXPECT_EQ(a.Add(20), 1);
    a.InsertAt(1, 15);
    a.InsertAt(0, 5, 2);
    ASSERT_EQ(a.GetSize(), 5);
    EXPECT_EQ(a[0] + a[1] + a[2] + a[3] + a[4], 5u + 5 + 10 + 15 + 20);
    // Past the end, the array grows with zeros before the inserted element.
    a.InsertAt(7, 99);
    ASSERT_EQ(a.GetSize(), 8);
    EXPECT_EQ(a[5], 0u);
    EXPECT_EQ(a[7], 99u);
    a.RemoveAt(5, 50);  // a count beyond the end stops at the end
    EXPECT_EQ(a.GetSize(), 5);
    a.RemoveAt(-1);
    a.RemoveAt(5);
    EXPECT_EQ(a.GetSize(), 5);
    a.SetAtGrow(9, 1);
    EXPECT_EQ(a.GetSize(), 10);
    a.SetSize(2, 16);
    EXPECT_EQ(a.GetSize(), 2);
    EXPECT_THROW(a.GetAt(2), std::out_of_range);
    EXPECT_THROW(a[-1], std::out_of_range);
}

TEST(CArrayTest, InsertingAnElementOfTheSameArray)
{
    CStringArray a;
    a.Add("first");
    a.Add("second");
    a.InsertAt(0, a[1], 3);  // the reference must survive the growth
    ASSERT_EQ(a.GetSize(), 5);
    EXPECT_EQ(a[0], "second");
    EXPECT_EQ(a[2], "second");
    EXPECT_EQ(a[3], "first");
    CStringArray b;
    b.Copy(a);
    b.Append(a);
    EXPECT_EQ(b.GetSize(), 10);
    b.InsertAt(1, &a);
    EXPECT_EQ(b.GetSize(), 15);
    EXPECT_TRUE(b.IsKindOf(RUNTIME_CLASS(CStringArray)));
    EXPECT_TRUE(b.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(b.IsKindOf(RUNTIME_CLASS(CPtrArray)));
}

TEST(CListTest, PositionsWalkBothWaysAndSurviveOtherRemovals)
{
    CStringList list;
    POSITION b = list.AddTail("b");
    list.AddHead("a");
    POSITION d = list.AddTail("d");
    list.InsertBefore(d, "c");
    list.InsertAfter(d, "e");
    std::string forward;
    for (POSITION p = list.GetHeadPosition(); p;)
        forward += list.GetNext(p).GetString();
    EXPECT_EQ(forward, "abcde");
    std::string backward;
    for (POSITION p = list.GetTailPosition(); p;)
        backward += list.GetPrev(p).GetString();
    EXPECT_EQ(backward, "edcba");
    list.RemoveAt(b);
    EXPECT_EQ(list.GetAt(d), "d");
    EXPECT_EQ(list.Find("d"), d);
    EXPECT_EQ(list.Find("d", d), nullptr);
    EXPECT_EQ(list.FindIndex(1), list.Find("c"));
    EXPECT_EQ(list.FindIndex(9), nullptr);
    EXPECT_EQ(list.RemoveHead(), "a");
    EXPECT_EQ(list.RemoveTail(), "e");
    EXPECT_EQ(list.GetCount(), 2);
    list.RemoveAll();
    EXPECT_THROW(list.GetHead(), std::out_of_range);
    EXPECT_EQ(list.GetHeadPosition(), nullptr);
}

TEST(CRectTest, OperationsUsedByLayouts)
{
    CRect r(10, 20, 110, 70);
    EXPECT_EQ(r.Width(), 100);
    EXPECT_EQ(r.Height(), 50);
    EXPECT_EQ(r.CenterPoint(), CPoint(60, 45));
    r.OffsetRect(-10, -20);
    EXPECT_EQ(r, CRect(0, 0, 100, 50));
    r.DeflateRect(5, 5);
    EXPECT_EQ(r, CRect(5, 5, 95, 45));
    EXPECT_TRUE(r.PtInRect(CPoint(5, 5)));
    EXPECT_FALSE(r.PtInRect(CPoint(95, 45)));
    CRect o = r & CRect(50, 0, 200, 10);
    EXPECT_EQ(o, CRect(50, 5, 95, 10));
    EXPECT_TRUE((r & CRect(200, 200, 300, 300)).IsRectEmpty());
    EXPECT_EQ(r | CRect(0, 0, 1, 1), CRect(0, 0, 95, 45));
    EXPECT_EQ(CPoint(3, 4) - CPoint(1, 1), CSize(2, 3));
    EXPECT_EQ(CPoint(static_cast<DWORD>(MAKELONG(-3, 7))), CPoint(-3, 7));
    r.TopLeft() = CPoint(0, 0);
    EXPECT_EQ(r.left, 0);
}

}  // namespace
