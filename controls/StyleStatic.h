#pragma once
// Text label that paints itself: its window text in a font and colour of its
// own, straight over the parent (transparent, the default) or off-screen on a
// solid or left-to-right gradient background; optionally with a 3-D shadow,
// rotated about its centre, blinking, or acting as a web or mail link.

#include "Afx.h"

enum {
    STYLESTATIC_LINK_NONE = 0,
    STYLESTATIC_LINK_URL = 1,
    STYLESTATIC_LINK_MAIL = 2,
};

enum {
    STYLESTATIC_BLINK_NONE = 0,
    STYLESTATIC_BLINK_TEXT = 1,
    STYLESTATIC_BLINK_BACKGROUND = 2,
};

const UINT_PTR IDT_STYLESTATIC_BLINK = 1;
const UINT STYLESTATIC_BLINK_PERIOD_MS = 500; // one half of a blink period
const UINT NM_STYLESTATIC_CLICK = 0x8200;
const int STYLESTATIC_GRADIENT_STEPS = 100;

class CStyleStatic : public CStatic {
    DECLARE_DYNAMIC(CStyleStatic)
public:
    CStyleStatic();
    ~CStyleStatic() override;

    // The second argument is part of the signature and has no effect.
    void SetFontStyle(int height, int unused, int weight, BYTE italic);
    void SetTextColor(COLORREF color);
    void SetLogFont(const LOGFONT& lf);
    void SetFaceName(const CString& face, BYTE charset);
    void SetRotation(int degrees, BOOL rotate);
    void SetBackColor(COLORREF back, COLORREF gradientEnd, BOOL gradient);
    void Set3DText(BOOL on, BOOL offsetPositive);
    void SetShadowColor(COLORREF color);
    void SetText(const CString& text);
    void SetTransparentMode(BOOL transparent);
    void ShowBorder(BOOL show);
    void ShowSunken(BOOL show);
    void SetUrlLink(BOOL link, BOOL notifyParent);
    void SetMailtoLink(BOOL link, BOOL notifyParent);
    void SetLinkUrl(const CString& url) { m_strUrl = url; }
    void SetHoverCursor(HCURSOR cursor) { m_hCursor = cursor; }
    void BlinkText(BOOL on);
    void BlinkBackground(BOOL on);

    void RecreateFont();
    void RedrawInParent();
    // Fills rect with vertical strips running from one colour to the other.
    static void DrawGradient(CDC* pDC, const CRect& rect, COLORREF from, COLORREF to, int steps);

protected:
    void PreSubclassWindow() override;
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    // Hands a link's address to the shell.
    virtual void OpenLink(LPCWSTR verb, LPCWSTR address);

    void OnPaint();
    void OnTimer(UINT_PTR nIDEvent);
    void OnSysColorChange();
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnLButtonDown(UINT nFlags, CPoint point);
    DECLARE_MESSAGE_MAP()

    UINT TextFormat(const CString& text) const;
    void SetLinkKind(int kind, BOOL link, BOOL notifyParent);
    void StartBlink(int kind);
    void StopBlinkTimer();

    COLORREF m_crTextColor;
    COLORREF m_crShadowColor;
    COLORREF m_crGradientEnd;
    COLORREF m_crBackColor;
    HCURSOR m_hCursor;
    HBRUSH m_hDefaultBrush;
    HBRUSH m_hBackBrush;
    LOGFONT m_lf;
    CFont m_font;
    BOOL m_bBlinkPhase;
    BOOL m_bTimerRunning;
    BOOL m_bTransparent;
    BOOL m_b3DText;
    BOOL m_bNotifyParent;
    BOOL m_bRotate;
    int m_blinkKind;
    int m_linkKind;
    BOOL m_b3DOffsetPositive;
    BOOL m_bGradient;
    CString m_strUrl;
};
