#pragma once
// Points, sizes and rectangles with the semantics the model code was designed against:
// integer coordinates, right and bottom exclusive, no implicit normalisation.
#include <algorithm>
#include <cstdint>

struct POINT { int32_t x = 0; int32_t y = 0; };
struct SIZE { int32_t cx = 0; int32_t cy = 0; };
struct RECT { int32_t left = 0; int32_t top = 0; int32_t right = 0; int32_t bottom = 0; };

class CSize;
class CPoint : public POINT {
public:
    CPoint() = default;
    CPoint(int32_t X, int32_t Y) { x = X; y = Y; }
    CPoint(const POINT& p) { x = p.x; y = p.y; }
    inline explicit CPoint(const SIZE& s);
    void Offset(int32_t dx, int32_t dy) { x += dx; y += dy; }
    inline void Offset(const SIZE& s);
    void SetPoint(int32_t X, int32_t Y) { x = X; y = Y; }
    bool operator==(const POINT& p) const { return x == p.x && y == p.y; }
    bool operator!=(const POINT& p) const { return !(*this == p); }
    bool operator==(const CPoint& p) const { return x == p.x && y == p.y; }
    bool operator!=(const CPoint& p) const { return !(*this == p); }
    CPoint& operator+=(const SIZE& s) { x += s.cx; y += s.cy; return *this; }
    CPoint& operator-=(const SIZE& s) { x -= s.cx; y -= s.cy; return *this; }
    CPoint& operator+=(const POINT& p) { x += p.x; y += p.y; return *this; }
    CPoint& operator-=(const POINT& p) { x -= p.x; y -= p.y; return *this; }
    inline CPoint operator+(const SIZE& s) const;
    inline CPoint operator-(const SIZE& s) const;
    CPoint operator+(const POINT& p) const { return CPoint(x + p.x, y + p.y); }
    inline CSize operator-(const POINT& p) const;
    CPoint operator-() const { return CPoint(-x, -y); }
};

class CSize : public SIZE {
public:
    CSize() = default;
    CSize(int32_t CX, int32_t CY) { cx = CX; cy = CY; }
    CSize(const SIZE& s) { cx = s.cx; cy = s.cy; }
    explicit CSize(const POINT& p) { cx = p.x; cy = p.y; }
    void SetSize(int32_t CX, int32_t CY) { cx = CX; cy = CY; }
    bool operator==(const SIZE& s) const { return cx == s.cx && cy == s.cy; }
    bool operator!=(const SIZE& s) const { return !(*this == s); }
    bool operator==(const CSize& s) const { return cx == s.cx && cy == s.cy; }
    bool operator!=(const CSize& s) const { return !(*this == s); }
    CSize& operator+=(const SIZE& s) { cx += s.cx; cy += s.cy; return *this; }
    CSize& operator-=(const SIZE& s) { cx -= s.cx; cy -= s.cy; return *this; }
    CSize operator+(const SIZE& s) const { return CSize(cx + s.cx, cy + s.cy); }
    CSize operator-(const SIZE& s) const { return CSize(cx - s.cx, cy - s.cy); }
    CSize operator-() const { return CSize(-cx, -cy); }
};

inline CPoint::CPoint(const SIZE& s) { x = s.cx; y = s.cy; }
inline void CPoint::Offset(const SIZE& s) { x += s.cx; y += s.cy; }
inline CPoint CPoint::operator+(const SIZE& s) const { return CPoint(x + s.cx, y + s.cy); }
inline CPoint CPoint::operator-(const SIZE& s) const { return CPoint(x - s.cx, y - s.cy); }
inline CSize CPoint::operator-(const POINT& p) const { return CSize(x - p.x, y - p.y); }

class CRect : public RECT {
public:
    CRect() = default;
    CRect(int32_t l, int32_t t, int32_t r, int32_t b) { left = l; top = t; right = r; bottom = b; }
    CRect(const RECT& r) { left = r.left; top = r.top; right = r.right; bottom = r.bottom; }
    CRect(const POINT& p, const SIZE& s) { left = p.x; top = p.y; right = p.x + s.cx; bottom = p.y + s.cy; }
    CRect(const POINT& tl, const POINT& br) { left = tl.x; top = tl.y; right = br.x; bottom = br.y; }

    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    CSize Size() const { return CSize(Width(), Height()); }
    // Copies: const, so that `r.TopLeft() = p` (which would change nothing) does not compile.
    const CPoint TopLeft() const { return CPoint(left, top); }
    const CPoint BottomRight() const { return CPoint(right, bottom); }
    CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }

    // Empty when it has no area: an unnormalised rectangle is empty too.
    bool IsRectEmpty() const { return right <= left || bottom <= top; }
    bool IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    // Right and bottom edges are outside; an unnormalised rectangle contains nothing.
    bool PtInRect(const POINT& p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }

    void SetRect(int32_t l, int32_t t, int32_t r, int32_t b) { left = l; top = t; right = r; bottom = b; }
    void SetRectEmpty() { left = top = right = bottom = 0; }
    void CopyRect(const RECT& r) { *static_cast<RECT*>(this) = r; }
    bool EqualRect(const RECT& r) const { return left == r.left && top == r.top && right == r.right && bottom == r.bottom; }

    void NormalizeRect() {
        if (left > right) std::swap(left, right);
        if (top > bottom) std::swap(top, bottom);
    }
    void InflateRect(int32_t x, int32_t y) { left -= x; top -= y; right += x; bottom += y; }
    void InflateRect(const SIZE& s) { InflateRect(s.cx, s.cy); }
    void InflateRect(int32_t l, int32_t t, int32_t r, int32_t b) { left -= l; top -= t; right += r; bottom += b; }
    void DeflateRect(int32_t x, int32_t y) { InflateRect(-x, -y); }
    void DeflateRect(const SIZE& s) { InflateRect(-s.cx, -s.cy); }
    void DeflateRect(int32_t l, int32_t t, int32_t r, int32_t b) { left += l; top += t; right -= r; bottom -= b; }
    void OffsetRect(int32_t dx, int32_t dy) { left += dx; right += dx; top += dy; bottom += dy; }
    void OffsetRect(const POINT& p) { OffsetRect(p.x, p.y); }
    void OffsetRect(const SIZE& s) { OffsetRect(s.cx, s.cy); }
    void MoveToX(int32_t x) { right = x + Width(); left = x; }
    void MoveToY(int32_t y) { bottom = y + Height(); top = y; }
    void MoveToXY(int32_t x, int32_t y) { MoveToX(x); MoveToY(y); }

    // Intersection of two rectangles; empty (all zero) when they do not overlap. Returns whether it is non-empty.
    bool IntersectRect(const RECT& a, const RECT& b) {
        CRect r(std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom));
        if (r.IsRectEmpty()) { SetRectEmpty(); return false; }
        *this = r;
        return true;
    }
    // Smallest rectangle holding both; empty inputs are ignored. Returns whether the result is non-empty.
    bool UnionRect(const RECT& a, const RECT& b) {
        const CRect ra(a), rb(b);
        if (ra.IsRectEmpty() && rb.IsRectEmpty()) { SetRectEmpty(); return false; }
        if (ra.IsRectEmpty()) { *this = rb; return true; }
        if (rb.IsRectEmpty()) { *this = ra; return true; }
        SetRect(std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom));
        return true;
    }

    bool operator==(const RECT& r) const { return EqualRect(r); }
    bool operator!=(const RECT& r) const { return !EqualRect(r); }
    // Exact-type overloads: without them C++20's reversed candidates make CRect == CRect ambiguous.
    bool operator==(const CRect& r) const { return EqualRect(r); }
    bool operator!=(const CRect& r) const { return !EqualRect(r); }
    CRect& operator+=(const POINT& p) { OffsetRect(p); return *this; }
    CRect& operator-=(const POINT& p) { OffsetRect(-p.x, -p.y); return *this; }
    CRect& operator+=(const SIZE& s) { OffsetRect(s); return *this; }
    CRect& operator-=(const SIZE& s) { OffsetRect(-s.cx, -s.cy); return *this; }
    CRect operator+(const POINT& p) const { CRect r(*this); r.OffsetRect(p); return r; }
    CRect operator-(const POINT& p) const { CRect r(*this); r.OffsetRect(-p.x, -p.y); return r; }
    CRect operator+(const SIZE& s) const { CRect r(*this); r.OffsetRect(s); return r; }
    CRect operator-(const SIZE& s) const { CRect r(*this); r.OffsetRect(-s.cx, -s.cy); return r; }
    CRect operator&(const RECT& r) const { CRect x; x.IntersectRect(*this, r); return x; }
    CRect operator|(const RECT& r) const { CRect x; x.UnionRect(*this, r); return x; }
};
