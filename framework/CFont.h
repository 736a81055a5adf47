#pragma once
#include "CGdiObject.h"

class CFont : public CGdiObject {
public:
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
    BOOL CreateFontIndirect(const LOGFONTW* logFont) { return Attach(::CreateFontIndirectW(logFont)); }
    BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic, BYTE underline,
                    BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                    BYTE pitchAndFamily, LPCWSTR faceName)
    {
        return Attach(::CreateFontW(height, width, escapement, orientation, weight, italic, underline, strikeOut,
                                    charSet, outPrecision, clipPrecision, quality, pitchAndFamily, faceName));
    }
    // Height in tenths of a point on the screen (or the given DC).
    BOOL CreatePointFont(int pointSize, LPCWSTR faceName, HDC dc = nullptr);
    int GetLogFont(LOGFONTW* logFont) const { return GetObject(sizeof(LOGFONTW), logFont); }
    static CFont* FromHandle(HFONT handle) { return FromHandleAs<CFont>(handle); }
};
