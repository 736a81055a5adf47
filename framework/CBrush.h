#pragma once
#include "CGdiObject.h"

class CBitmap;

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF color) { CreateSolidBrush(color); }

    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
    BOOL CreateSolidBrush(COLORREF color) { return Attach(::CreateSolidBrush(color)); }
    BOOL CreateHatchBrush(int index, COLORREF color) { return Attach(::CreateHatchBrush(index, color)); }
    BOOL CreatePatternBrush(HBITMAP bitmap) { return Attach(::CreatePatternBrush(bitmap)); }
    BOOL CreateBrushIndirect(const LOGBRUSH* logBrush) { return Attach(::CreateBrushIndirect(logBrush)); }
    BOOL CreateSysColorBrush(int index) { return Attach(::GetSysColorBrush(index)); }
    int GetLogBrush(LOGBRUSH* logBrush) const { return GetObject(sizeof(LOGBRUSH), logBrush); }
    static CBrush* FromHandle(HBRUSH handle) { return FromHandleAs<CBrush>(handle); }
};
