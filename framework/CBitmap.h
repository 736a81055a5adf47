#pragma once
#include "CGdiObject.h"

class CDC;

class CBitmap : public CGdiObject {
public:
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
    BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits)
    {
        return Attach(::CreateBitmap(width, height, planes, bitsPerPixel, bits));
    }
    BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
    BOOL LoadBitmap(UINT resourceId);
    int GetBitmap(BITMAP* info) const { return GetObject(sizeof(BITMAP), info); }
    static CBitmap* FromHandle(HBITMAP handle) { return FromHandleAs<CBitmap>(handle); }
};
