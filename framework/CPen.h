#pragma once
#include "CGdiObject.h"

class CPen : public CGdiObject {
public:
    CPen() = default;
    CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }

    operator HPEN() const { return static_cast<HPEN>(m_hObject); }
    BOOL CreatePen(int style, int width, COLORREF color) { return Attach(::CreatePen(style, width, color)); }
    BOOL CreatePenIndirect(LPLOGPEN logPen) { return Attach(::CreatePenIndirect(logPen)); }
    static CPen* FromHandle(HPEN handle) { return FromHandleAs<CPen>(handle); }
};
