#pragma once
// A SIZE with arithmetic, in the framework's manner.

#include <windows.h>

class CSize : public tagSIZE {
public:
    CSize() { cx = 0, cy = 0; }
    CSize(int initCX, int initCY) { cx = initCX, cy = initCY; }
    CSize(SIZE size) { cx = size.cx, cy = size.cy; }

    void SetSize(int newCX, int newCY) { cx = newCX, cy = newCY; }
    bool operator==(SIZE size) const { return cx == size.cx && cy == size.cy; }
    bool operator!=(SIZE size) const { return !(*this == size); }
    CSize operator+(SIZE size) const { return CSize(cx + size.cx, cy + size.cy); }
    CSize operator-(SIZE size) const { return CSize(cx - size.cx, cy - size.cy); }
};
