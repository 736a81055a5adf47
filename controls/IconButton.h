#pragma once
// The push button of every window of the program: an owner-drawn button that
// shows an icon (or a bitmap) beside or above its caption, on a copy of the
// parent's background, flat (framed only while the mouse is over it) or in
// the classic 3-D look. It also keeps a balloon tooltip, an optional cursor,
// a checkbox mode and the default-button state of a dialog button.
//
// The button never frees the icons and bitmaps it is given; it owns its
// caption font, cursor, tooltip and background copy.

#include "Afx.h"

// Image placement (m_imageAlign).
#define BTNALIGN_HORZ 0       // image left of the caption
#define BTNALIGN_VERT 1       // image above the caption
#define BTNALIGN_HORZ_RIGHT 2 // image right of the caption

// Indices of the state colours.
#define BTNCOLOR_BK_ACTIVE 0
#define BTNCOLOR_FG_ACTIVE 1
#define BTNCOLOR_BK_NORMAL 2
#define BTNCOLOR_FG_NORMAL 3
#define BTNCOLOR_BK_FOCUS 4
#define BTNCOLOR_FG_FOCUS 5
#define BTNCOLOR_COUNT 6

// Vertical centring of the caption.
#define BTNCAPTION_ONE_LINE 0
#define BTNCAPTION_TWO_LINES 1

// Results of the setters.
#define BTNRESULT_OK 0
#define BTNRESULT_BAD_RESOURCE 1
#define BTNRESULT_MASK_FAILED 2
#define BTNRESULT_BAD_INDEX 3
#define BTNRESULT_BAD_ALIGN 4
#define BTNRESULT_BAD_PARAM 5
#define BTNRESULT_BAD_PRESSED_STYLE 6

// Normal-image arguments that derive the normal image from the active one.
#define BTNICON_AUTO_GRAY (-2)
#define BTNICON_AUTO_DARK (-3)

struct ButtonIconEntry {
    HICON handle;
    DWORD width;
    DWORD height;
};

struct ButtonBitmapEntry {
    HBITMAP handle;
    DWORD width;
    DWORD height;
    HBITMAP mask;
    COLORREF transparent;
};

class CIconButton : public CButton {
public:
    CIconButton();
    ~CIconButton() override;

    // Operations the windows of the program use.
    DWORD SetIcons(HICON active, HICON normal);
    void SetFontStyle(int height, int ignored, int weight, BYTE italic);
    DWORD SetCaptionPlacement(BYTE placement, BOOL repaint);
    DWORD SetStateColor(BYTE index, COLORREF color, BOOL repaint);
    void ResizeToImage();
    DWORD SetFlatLook(BOOL flat, BOOL repaint);
    DWORD ResetStateColors(BOOL repaint);

    // The rest of the button's interface.
    DWORD SetImageBitmaps(HBITMAP active, COLORREF transparentActive, HBITMAP normal, COLORREF transparentNormal);
    DWORD SetImageAlign(BYTE align, BOOL repaint);
    DWORD SetPressShift(BYTE style, BOOL repaint);
    DWORD ShowBorder(BOOL show, BOOL repaint);
    DWORD ShowFlatFocus(BOOL show, BOOL repaint);
    DWORD SetTrackWhenInactive(BOOL track);
    DWORD SetCheckState(int check, BOOL repaint);
    BOOL GetCheckState() const { return m_checkState; }
    BOOL IsDefaultButton() const { return m_defaultButton; }
    DWORD GetStateColor(BYTE index, COLORREF* color) const;
    DWORD OffsetStateColor(BYTE index, short offset, BOOL repaint);
    DWORD SetButtonCursor(int cursorId, BOOL repaint);
    void SetTooltip(LPCWSTR text, BOOL activate);
    void SetTooltipById(int stringId, BOOL activate);
    void ActivateTip(BOOL activate);
    void EnableTransparency(BOOL repaint);
    DWORD SetBackgroundCopy(CDC* parentDC);
    void ResizeToImageWithMargin(int margin);
    void EnableIfCreated(BOOL enable);
    void SetCreateParams(CString caption, UINT id, const RECT& rect);
    void SetCreateParent(CWnd* parent);
    BOOL CreateFromParams();
    DWORD SetLinkUrl(LPCWSTR url);
    // With destroy: frees both icons, bitmaps and masks; in any case forgets them.
    void FreeImages(BOOL destroy);

    // Derived images, computed once when an image is set.
    static COLORREF ScaleColorDown(COLORREF color, double factor);
    static HBITMAP MakeDarkBitmap(HBITMAP source, DWORD width, DWORD height, COLORREF transparent);
    static HBITMAP MakeGrayBitmap(HBITMAP source, DWORD width, DWORD height, COLORREF transparent);
    static HICON MakeDarkIcon(HICON source);
    static HICON MakeGrayIcon(HICON source);
    static HBITMAP MakeMaskBitmap(HBITMAP source, DWORD width, DWORD height, COLORREF transparent);

    BOOL PreTranslateMessage(MSG* msg) override;
    void DrawItem(LPDRAWITEMSTRUCT drawItem) override;

protected:
    void PreSubclassWindow() override;

    virtual DWORD DrawBackground(CDC* dc, CRect* rect);
    virtual DWORD DrawBorder(CDC* dc, CRect* rect);
    virtual void DrawIcon(CDC* dc, BOOL hasCaption, const RECT* item, CRect* caption, BOOL pressed, BOOL disabled);
    virtual void DrawBitmap(CDC* dc, BOOL hasCaption, const RECT* item, CRect* caption, BOOL pressed, BOOL disabled);
    virtual void DrawCaption(CDC* dc, LPCWSTR caption, const RECT* item, CRect* captionRect, BOOL pressed,
                             BOOL disabled);

    void PlaceImage(BOOL hasCaption, const RECT* item, CRect* caption, BOOL pressed, DWORD width, DWORD height,
                    CRect* image);
    void PaintParentBackground(CDC* dc);
    void EnsureTooltip();
    void SetBalloonStyle();
    void EndHover();

    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    void OnKillFocus(CWnd* newWnd);
    void OnMouseMove(UINT flags, CPoint point);
    void OnSysColorChange();
    BOOL OnBnClicked();
    void OnActivate(UINT state, CWnd* other, BOOL minimized);
    void OnEnable(BOOL enable);
    void OnCancelMode();
    UINT OnGetDlgCode();
    HBRUSH CtlColor(CDC* dc, UINT kind);
    LRESULT OnBmSetStyle(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseLeave(WPARAM wParam, LPARAM lParam);
    LRESULT OnBmSetCheck(WPARAM wParam, LPARAM lParam);
    LRESULT OnBmGetCheck(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

    CRect m_createRect;
    UINT m_createId = 0;
    CWnd* m_pCreateParent = nullptr;
    CString m_createCaption;
    CPoint m_imageOrigin{3, 3};
    CPoint m_pressedOffset{1, 1};
    CFont m_captionFont;
    BOOL m_flat = TRUE;
    BOOL m_hover = FALSE;
    BOOL m_transparent = TRUE;
    BOOL m_pressed = FALSE;
    BOOL m_focused = FALSE;
    BOOL m_defaultButton = FALSE;
    BOOL m_checkboxMode = FALSE;
    BYTE m_imageAlign = BTNALIGN_HORZ;
    BOOL m_showBorder = TRUE;
    BOOL m_flatFocus = FALSE;
    COLORREF m_stateColors[BTNCOLOR_COUNT] = {};
    BYTE m_captionPlacement = BTNCAPTION_ONE_LINE;
    HCURSOR m_cursor = nullptr;
    CToolTipCtrl m_tooltip;
    CDC m_bkCopyDC;
    CBitmap m_bkCopyBitmap;
    // The bitmap the copy DC held before ours; a raw handle, because a
    // temporary wrapper would not live as long as the copy does.
    HGDIOBJ m_hOldBkBitmap = nullptr;
    BOOL m_trackWhenInactive = TRUE;
    BOOL m_checkState = FALSE;
    DWORD m_tooltipStyle = 0;
    wchar_t m_linkUrl[260] = {};
    ButtonIconEntry m_icons[2] = {};
    ButtonBitmapEntry m_bitmaps[2] = {};

private:
    void Repaint(BOOL repaint);
    // Drops the copy of the parent's background: the previous bitmap goes
    // back into the DC before the copy's bitmap and DC are deleted.
    void DropBackgroundCopy();
    void CaptureBackground(CDC* parentDC);
    static BOOL ReadIconSize(HICON icon, ButtonIconEntry& entry);
    // The active icon's size, else the active bitmap's.
    CSize ActiveImageSize() const;
    // The image then fills the button: no origin offset.
    void ResizeWindowTo(CSize size);
    // Stores the bitmap with its transparent colour and reads its size.
    BOOL StoreBitmap(int index, HBITMAP bitmap, COLORREF transparent);
    BOOL MaskBitmap(int index);
};
