#pragma once
// Combo box with a font of its own. It keeps a back and a text colour too, but
// handles no colour message, so the platform draws the list as usual.

#include "Afx.h"

class CStyleComboBox : public CComboBox {
    DECLARE_DYNAMIC(CStyleComboBox)
public:
    CStyleComboBox();
    ~CStyleComboBox() override;

    // The second argument is part of the signature and has no effect.
    void SetFontStyle(int height, int unused, int weight, BYTE italic);
    void SetBackColor(COLORREF color);
    void SetTextColor(COLORREF color);

protected:
    DECLARE_MESSAGE_MAP()

    CFont m_font;
    CBrush m_brush;
    COLORREF m_crBackColor;
    COLORREF m_crTextColor;
    BOOL m_bTransparent;
};
