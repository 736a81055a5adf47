#pragma once
// The one recipe every styled control builds its font from: a proportional
// sans-serif face chosen by the font mapper, at a character height in
// logical units, with the given weight and slant.

#include "Afx.h"

inline LOGFONT MakeControlLogFont(int height, int weight, BYTE italic)
{
    LOGFONT lf;
    ZeroMemory(&lf, sizeof(lf));
    lf.lfHeight = -height;
    lf.lfWeight = weight;
    lf.lfItalic = italic;
    lf.lfCharSet = ANSI_CHARSET;
    lf.lfOutPrecision = OUT_STROKE_PRECIS;
    lf.lfClipPrecision = CLIP_STROKE_PRECIS;
    lf.lfQuality = CLEARTYPE_QUALITY;
    lf.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    return lf;
}

// A control's own font rebuilt by the recipe and handed to its window with a
// redraw. The old font is deleted first, so the control never holds two.
inline void SetControlFont(CWnd& control, CFont& font, int height, int weight, BYTE italic)
{
    LOGFONT lf = MakeControlLogFont(height, weight, italic);
    font.DeleteObject();
    font.CreateFontIndirect(&lf);
    control.SetFont(&font, TRUE);
}
