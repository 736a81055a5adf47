#include "CFont.h"

BOOL CFont::CreatePointFont(int pointSize, LPCWSTR faceName, HDC dc)
{
    LOGFONTW logFont = {};
    HDC screen = dc ? dc : ::GetDC(nullptr);
    logFont.lfHeight = -MulDiv(pointSize, ::GetDeviceCaps(screen, LOGPIXELSY), 720);
    if (!dc)
        ::ReleaseDC(nullptr, screen);
    logFont.lfCharSet = DEFAULT_CHARSET;
    if (faceName)
        lstrcpynW(logFont.lfFaceName, faceName, LF_FACESIZE);
    return CreateFontIndirect(&logFont);
}
