#pragma once
// A POINT with arithmetic, in the framework's manner.

#include <windows.h>

class CPoint : public tagPOINT {
public:
    CPoint() { x = 0, y = 0; }
    CPoint(int initX, int initY) { x = initX, y = initY; }
    CPoint(POINT pt) { x = pt.x, y = pt.y; }
    CPoint(SIZE size) { x = size.cx, y = size.cy; }

    void Offset(int dx, int dy) { x += dx, y += dy; }
    void Offset(POINT pt) { Offset(pt.x, pt.y); }
    void SetPoint(int newX, int newY) { x = newX, y = newY; }

    bool operator==(POINT pt) const { return x == pt.x && y == pt.y; }
    bool operator!=(POINT pt) const { return !(*this == pt); }
    CPoint& operator+=(POINT pt) { return Offset(pt), *this; }
    CPoint& operator-=(POINT pt) { return Offset(-pt.x, -pt.y), *this; }
    CPoint operator+(POINT pt) const { return CPoint(x + pt.x, y + pt.y); }
    CPoint operator-(POINT pt) const { return CPoint(x - pt.x, y - pt.y); }
    CPoint operator-() const { return CPoint(-x, -y); }
};
