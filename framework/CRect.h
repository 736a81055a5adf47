#pragma once
// A RECT with the framework's helpers. Width and height may be negative for
// an unnormalised rectangle, as with the platform's own rectangles.

#include "CPoint.h"
#include "CSize.h"

#include <utility>

class CRect : public tagRECT {
public:
    CRect() { left = top = right = bottom = 0; }
    CRect(int l, int t, int r, int b) { left = l, top = t, right = r, bottom = b; }
    CRect(const RECT& rc) { CopyRect(&rc); }
    CRect(const RECT* rc) { CopyRect(rc); }
    CRect(POINT topLeft, SIZE size)
    {
        left = topLeft.x, top = topLeft.y, right = left + size.cx, bottom = top + size.cy;
    }
    CRect(POINT topLeft, POINT bottomRight)
    {
        left = topLeft.x, top = topLeft.y, right = bottomRight.x, bottom = bottomRight.y;
    }

    operator LPRECT() { return this; }
    operator LPCRECT() const { return this; }

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    CSize Size() const { return CSize(Width(), Height()); }
    CPoint TopLeft() const { return CPoint(left, top); }
    CPoint BottomRight() const { return CPoint(right, bottom); }
    CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }

    BOOL IsRectEmpty() const { return ::IsRectEmpty(this); }
    BOOL IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    BOOL PtInRect(POINT pt) const { return ::PtInRect(this, pt); }

    void SetRect(int l, int t, int r, int b) { left = l, top = t, right = r, bottom = b; }
    void SetRectEmpty() { SetRect(0, 0, 0, 0); }
    void CopyRect(const RECT* rc) { left = rc->left, top = rc->top, right = rc->right, bottom = rc->bottom; }
    BOOL EqualRect(const RECT* rc) const { return ::EqualRect(this, rc); }

    void InflateRect(int dx, int dy) { left -= dx, top -= dy, right += dx, bottom += dy; }
    void InflateRect(int l, int t, int r, int b) { left -= l, top -= t, right += r, bottom += b; }
    void DeflateRect(int dx, int dy) { InflateRect(-dx, -dy); }
    void DeflateRect(int l, int t, int r, int b) { InflateRect(-l, -t, -r, -b); }
    void OffsetRect(int dx, int dy) { left += dx, top += dy, right += dx, bottom += dy; }
    void OffsetRect(POINT pt) { OffsetRect(pt.x, pt.y); }
    void MoveToXY(int x, int y) { OffsetRect(x - left, y - top); }
    void MoveToX(int x) { OffsetRect(x - left, 0); }
    void MoveToY(int y) { OffsetRect(0, y - top); }
    void NormalizeRect()
    {
        if (left > right)
            std::swap(left, right);
        if (top > bottom)
            std::swap(top, bottom);
    }
    BOOL IntersectRect(const RECT* a, const RECT* b) { return ::IntersectRect(this, a, b); }
    BOOL UnionRect(const RECT* a, const RECT* b) { return ::UnionRect(this, a, b); }

    bool operator==(const RECT& rc) const
    {
        return left == rc.left && top == rc.top && right == rc.right && bottom == rc.bottom;
    }
    bool operator!=(const RECT& rc) const { return !(*this == rc); }
    CRect& operator=(const RECT& rc) { return CopyRect(&rc), *this; }
};
