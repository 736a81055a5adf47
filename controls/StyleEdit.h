#pragma once
// Edit box with a font and colours of its own: it answers its parent's colour
// question itself, so the text shows in its text colour on white (or on its
// back colour once transparency is switched off), whatever the dialog paints.

#include "Afx.h"

class CStyleEdit : public CEdit {
    DECLARE_DYNAMIC(CStyleEdit)
public:
    CStyleEdit();
    ~CStyleEdit() override;

    // The second argument is part of the signature and has no effect.
    void SetFontStyle(int height, int unused, int weight, BYTE italic);
    void SetBackColor(COLORREF color);
    void SetTextColor(COLORREF color);

protected:
    HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);
    DECLARE_MESSAGE_MAP()

    CFont m_font;
    CBrush m_brush;
    COLORREF m_crBackColor;
    COLORREF m_crTextColor;
    BOOL m_bTransparent;
};
