#pragma once
// Progress bar drawn as a glass cylinder lying on its side (or standing, with
// PBS_VERTICAL): an unfilled and a filled section with shaded end caps and a
// translucent gloss band, the percentage written across the middle. The whole
// picture is composed off-screen with GDI+ and reaches the screen in one draw.

#include "Afx.h"

#include <gdiplus.h>

class CCylinderGauge : public CProgressCtrl {
public:
    CCylinderGauge();
    ~CCylinderGauge() override;

    // Range and position: each keeps its own copy and tells the base control.
    void SetRange32(int lower, int upper);
    void SetRange(short lower, short upper);
    int SetPos(int pos);
    int SetStep(int step);
    int StepIt();
    void UpdateRangeSize();

    // Look.
    void SetFillColor(Gdiplus::ARGB color, BOOL repaint);
    void SetEmptyColor(Gdiplus::ARGB color, BOOL repaint);
    void SetOutlineColor(Gdiplus::ARGB color, BOOL repaint);
    void SetTextColor(Gdiplus::ARGB color, BOOL repaint);
    void SetBackgroundColor(Gdiplus::ARGB color, BOOL repaint);
    void SetColors(Gdiplus::ARGB fill, Gdiplus::ARGB empty, Gdiplus::ARGB outline, Gdiplus::ARGB text,
                   Gdiplus::ARGB background, BOOL repaint);
    void SetAlpha(BYTE alpha, BOOL repaint);
    BYTE GetAlpha() const;
    void ShowText(BOOL show, BOOL repaint);
    void ShowOutline(BOOL show, BOOL repaint);
    void SetCapWidth(int pixels) { m_nCapWidth = pixels; }
    void SetUnitChar(WCHAR unit) { m_chUnit = unit; }

    // Transparency: the parent's pixels under the gauge, captured once.
    int EnableTransparency(BOOL repaint);
    int SetBackgroundCopy(CDC* pParentDC);

    // Tooltip.
    void SetTooltip(LPCWSTR text, BOOL activate);
    void SetTooltip(UINT stringId, BOOL activate);
    void ActivateTip(BOOL activate);
    void EnsureTooltip();
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // The share of the range that the position covers, 0..100.
    int GetPercent() const;

    // COLORREF to an opaque GDI+ colour.
    static Gdiplus::ARGB ArgbFromColorRef(COLORREF color);
    // A cap's colour: each channel scaled towards half its value.
    static Gdiplus::ARGB ShadeColor(Gdiplus::ARGB color, int index);

    // How the body (without the far cap) divides at a percentage.
    struct Sections {
        Gdiplus::Rect empty;  // the unfilled section
        Gdiplus::Rect filled; // the filled section (left, or bottom when vertical)
        Gdiplus::Rect farCap; // box of the cylinder's far end cap
    };
    static Sections SplitSections(const Gdiplus::Rect& body, int percent, int capWidth, BOOL horizontal);

protected:
    virtual int DrawBackground(Gdiplus::Graphics* graphics, const Gdiplus::Rect& rect);
    virtual int DrawPercentText(Gdiplus::Graphics* graphics, int percent, const Gdiplus::Rect& back,
                                const Gdiplus::Rect& empty, const Gdiplus::Rect& filled, BOOL horizontal);

    void DrawControl(Gdiplus::Graphics* graphics);
    void DrawCylinderSegment(Gdiplus::Graphics* graphics, BOOL horizontal, const Gdiplus::Rect& rect,
                             Gdiplus::ARGB color, Gdiplus::ARGB outline, BOOL nearCap, BOOL bodyOutline,
                             BOOL farCapOutline, BOOL nearCapOutline);
    void DrawGlossOverlay(Gdiplus::Graphics* graphics, const Gdiplus::Rect& rect, Gdiplus::GraphicsPath* path,
                          BOOL horizontal);
    void DrawParentBackground(Gdiplus::Graphics* graphics);
    void DropBackgroundCopy();
    void Repaint(BOOL repaint);

    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);
    HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);
    void OnNcPaint();
    DECLARE_MESSAGE_MAP()

    CToolTipCtrl m_tooltip;
    BOOL m_bTransparent;
    BOOL m_bShowText;
    BOOL m_bShowOutline;
    Gdiplus::ARGB m_crFill;
    Gdiplus::ARGB m_crEmpty;
    Gdiplus::ARGB m_crOutline;
    Gdiplus::ARGB m_crBackground;
    Gdiplus::ARGB m_crText;
    int m_nLower;
    int m_nUpper;
    int m_nRangeSize;
    int m_nStep;
    int m_nPos;
    int m_nCapWidth;
    WCHAR m_chUnit;
    CDC m_dcBackground;
    CBitmap m_bmpBackground;
    // The handle, not a wrapper: the framework's wrapper for a selected-out
    // object is temporary and goes at the next idle time, long before the copy.
    HBITMAP m_pOldBitmap;
};
