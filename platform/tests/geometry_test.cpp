#include "platform/win/geometry.h"
#include "platform/win/ptrarray.h"

#include <gtest/gtest.h>

TEST(CRect, PtInRectExcludesRightAndBottomAndRejectsUnnormalised) {
    struct Case { CRect r; CPoint p; bool in; };
    const Case cases[] = {
        {{0, 0, 10, 10}, {0, 0}, true},
        {{0, 0, 10, 10}, {9, 9}, true},
        {{0, 0, 10, 10}, {10, 5}, false},
        {{0, 0, 10, 10}, {5, 10}, false},
        {{0, 0, 10, 10}, {-1, 5}, false},
        {{10, 10, 0, 0}, {5, 5}, false},   // unnormalised
        {{0, 0, 0, 0}, {0, 0}, false},     // empty
        {{-20, -30, -10, -5}, {-15, -6}, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.r.PtInRect(c.p), c.in) << c.r.left << "," << c.r.top << "," << c.r.right << "," << c.r.bottom
                                           << " @ " << c.p.x << "," << c.p.y;
}

TEST(CRect, NormalizeInflateOffsetAndSizes) {
    CRect r(10, 20, 0, 5);
    EXPECT_TRUE(r.IsRectEmpty());
    EXPECT_EQ(r.Width(), -10);
    r.NormalizeRect();
    EXPECT_EQ(r, CRect(0, 5, 10, 20));
    r.InflateRect(2, 3);
    EXPECT_EQ(r, CRect(-2, 2, 12, 23));
    r.DeflateRect(2, 3);
    r.OffsetRect(5, -5);
    EXPECT_EQ(r, CRect(5, 0, 15, 15));
    EXPECT_EQ(r.TopLeft(), CPoint(5, 0));
    EXPECT_EQ(r.BottomRight(), CPoint(15, 15));
    EXPECT_EQ(r.Size(), CSize(10, 15));
    EXPECT_FALSE(r.IsRectEmpty());
}

TEST(CRect, IntersectAndUnion) {
    CRect x;
    EXPECT_TRUE(x.IntersectRect(CRect(0, 0, 10, 10), CRect(5, 5, 20, 20)));
    EXPECT_EQ(x, CRect(5, 5, 10, 10));
    EXPECT_FALSE(x.IntersectRect(CRect(0, 0, 10, 10), CRect(10, 0, 20, 10)));
    EXPECT_TRUE(x.IsRectNull());
    EXPECT_TRUE(x.UnionRect(CRect(0, 0, 0, 0), CRect(1, 2, 3, 4)));
    EXPECT_EQ(x, CRect(1, 2, 3, 4));
    EXPECT_TRUE(x.UnionRect(CRect(0, 0, 5, 5), CRect(1, 2, 13, 4)));
    EXPECT_EQ(x, CRect(0, 0, 13, 5));
}

TEST(CTypedPtrArray, AddInsertRemoveFind) {
    int a = 1, b = 2, c = 3;
    CTypedPtrArray<int> arr;
    EXPECT_EQ(arr.Add(&a), 0);
    EXPECT_EQ(arr.Add(&c), 1);
    arr.InsertAt(1, &b);
    ASSERT_EQ(arr.GetSize(), 3);
    EXPECT_EQ(arr.GetAt(1), &b);
    EXPECT_EQ(arr.Find(&c), 2);
    EXPECT_EQ(arr.GetAt(3), nullptr);
    EXPECT_EQ(arr.GetAt(-1), nullptr);
    arr.RemoveAt(0, 5);
    EXPECT_EQ(arr.GetSize(), 0);
    arr.InsertAt(2, &a);  // past the end: grows with nulls
    EXPECT_EQ(arr.GetSize(), 3);
    EXPECT_EQ(arr.GetAt(0), nullptr);
    EXPECT_EQ(arr.Find(&b), -1);
    arr.RemoveAll();
    EXPECT_TRUE(arr.IsEmpty());
}
