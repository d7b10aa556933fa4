#include "platform/win/geometry.h"
#include "platform/win/ptrarray.h"

#include <gtest/gtest.h>

#include <string>

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

namespace {
std::string Show(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}
}  // namespace

TEST(CRect, SizesAndEmptiness) {
    struct Case { CRect r; int width, height; bool empty; CPoint center; };
    const Case cases[] = {
        {{0, 0, 10, 20}, 10, 20, false, {5, 10}},
        {{10, 20, 0, 0}, -10, -20, true, {5, 10}},   // unnormalised: negative sizes, empty
        {{0, 0, 10, 0}, 10, 0, true, {5, 0}},        // no height
        {{0, 0, 0, 10}, 0, 10, true, {0, 5}},
        {{-30, -20, -10, 0}, 20, 20, false, {-20, -10}},
        {{0, 0, 1, 1}, 1, 1, false, {0, 0}},
        {{0, 10, 5, 0}, 5, -10, true, {2, 5}},       // y up: top above bottom is unnormalised here
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.r.Width(), c.width) << Show(c.r);
        EXPECT_EQ(c.r.Height(), c.height) << Show(c.r);
        EXPECT_EQ(c.r.Size(), CSize(c.width, c.height)) << Show(c.r);
        EXPECT_EQ(c.r.IsRectEmpty(), c.empty) << Show(c.r);
        EXPECT_EQ(c.r.CenterPoint(), c.center) << Show(c.r);
        EXPECT_EQ(c.r.TopLeft(), CPoint(c.r.left, c.r.top));
        EXPECT_EQ(c.r.BottomRight(), CPoint(c.r.right, c.r.bottom));
    }
    EXPECT_TRUE(CRect().IsRectNull());
    EXPECT_FALSE(CRect(0, 0, 0, 1).IsRectNull());
}

TEST(CRect, Operations) {
    struct Case { const char* what; CRect start; void (*op)(CRect&); CRect want; };
    const Case cases[] = {
        {"normalize swaps both", {10, 20, 0, 5}, [](CRect& r) { r.NormalizeRect(); }, {0, 5, 10, 20}},
        {"normalize keeps a normal one", {1, 2, 3, 4}, [](CRect& r) { r.NormalizeRect(); }, {1, 2, 3, 4}},
        {"normalize x only", {5, 0, 1, 9}, [](CRect& r) { r.NormalizeRect(); }, {1, 0, 5, 9}},
        {"inflate x y", {0, 5, 10, 20}, [](CRect& r) { r.InflateRect(2, 3); }, {-2, 2, 12, 23}},
        {"inflate size", {0, 0, 10, 10}, [](CRect& r) { r.InflateRect(CSize(1, -1)); }, {-1, 1, 11, 9}},
        {"inflate four sides", {0, 0, 10, 10}, [](CRect& r) { r.InflateRect(1, 2, 3, 4); }, {-1, -2, 13, 14}},
        {"inflate negative can unnormalise", {0, 0, 4, 4}, [](CRect& r) { r.InflateRect(-3, 0); }, {3, 0, 1, 4}},
        {"deflate x y", {-2, 2, 12, 23}, [](CRect& r) { r.DeflateRect(2, 3); }, {0, 5, 10, 20}},
        {"deflate four sides", {0, 0, 10, 10}, [](CRect& r) { r.DeflateRect(1, 2, 3, 4); }, {1, 2, 7, 6}},
        {"offset", {0, 5, 10, 20}, [](CRect& r) { r.OffsetRect(5, -5); }, {5, 0, 15, 15}},
        {"offset point", {0, 0, 1, 1}, [](CRect& r) { r.OffsetRect(CPoint(-3, 4)); }, {-3, 4, -2, 5}},
        {"offset size", {0, 0, 1, 1}, [](CRect& r) { r.OffsetRect(CSize(2, 2)); }, {2, 2, 3, 3}},
        {"plus point", {0, 0, 1, 1}, [](CRect& r) { r = r + CPoint(1, 1); }, {1, 1, 2, 2}},
        {"minus size", {0, 0, 1, 1}, [](CRect& r) { r = r - CSize(1, 2); }, {-1, -2, 0, -1}},
        {"plus-assign size", {0, 0, 1, 1}, [](CRect& r) { r += CSize(1, 2); }, {1, 2, 2, 3}},
        {"move to x keeps width", {10, 0, 30, 5}, [](CRect& r) { r.MoveToX(-5); }, {-5, 0, 15, 5}},
        {"move to xy", {10, 10, 30, 15}, [](CRect& r) { r.MoveToXY(0, 0); }, {0, 0, 20, 5}},
        {"set empty", {1, 2, 3, 4}, [](CRect& r) { r.SetRectEmpty(); }, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        CRect r = c.start;
        c.op(r);
        EXPECT_EQ(r, c.want) << c.what << ": " << Show(r);
    }
}

TEST(CRect, IntersectAndUnion) {
    struct Case { CRect a, b; bool meets; CRect both; bool any; CRect either; };
    const Case cases[] = {
        {{0, 0, 10, 10}, {5, 5, 20, 20}, true, {5, 5, 10, 10}, true, {0, 0, 20, 20}},
        {{0, 0, 10, 10}, {10, 0, 20, 10}, false, {}, true, {0, 0, 20, 10}},        // touching edges do not meet
        {{0, 0, 10, 10}, {2, 2, 4, 4}, true, {2, 2, 4, 4}, true, {0, 0, 10, 10}},
        {{0, 0, 0, 0}, {1, 2, 3, 4}, false, {}, true, {1, 2, 3, 4}},                // an empty one is ignored
        {{0, 0, 5, 5}, {1, 2, 13, 4}, true, {1, 2, 5, 4}, true, {0, 0, 13, 5}},
        {{10, 10, 0, 0}, {0, 0, 10, 10}, false, {}, true, {0, 0, 10, 10}},         // unnormalised counts as empty
        {{5, 5, 5, 9}, {7, 7, 7, 7}, false, {}, false, {}},
        {{-10, -10, -1, -1}, {-5, -20, 5, -5}, true, {-5, -10, -1, -5}, true, {-10, -20, 5, -1}},
    };
    for (const auto& c : cases) {
        CRect x(99, 99, 99, 99);
        EXPECT_EQ(x.IntersectRect(c.a, c.b), c.meets) << Show(c.a) << " & " << Show(c.b);
        EXPECT_EQ(x, c.both) << Show(c.a) << " & " << Show(c.b) << " = " << Show(x);
        EXPECT_EQ(c.a & c.b, c.both);
        CRect u(99, 99, 99, 99);
        EXPECT_EQ(u.UnionRect(c.a, c.b), c.any) << Show(c.a) << " | " << Show(c.b);
        EXPECT_EQ(u, c.either) << Show(c.a) << " | " << Show(c.b) << " = " << Show(u);
        EXPECT_EQ(c.b | c.a, c.either);
    }
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
