#pragma once
// A device context. A CDC owns the DC it is given (CreateCompatibleDC,
// Attach) and deletes it; the paint, client and window DCs end or release
// the DC they obtained themselves, and own any DC attached later as a plain
// CDC does. FromHandle gives a temporary wrapper that leaves the DC alone.
// SelectObject hands back the previous object as a temporary wrapper, as the
// framework does.

#include "CBitmap.h"
#include "CBrush.h"
#include "CFont.h"
#include "CPen.h"
#include "CRect.h"

class CDC : public CObject {
public:
    HDC m_hDC = nullptr;

    CDC() = default;
    ~CDC() override;

    operator HDC() const { return m_hDC; }
    HDC GetSafeHdc() const { return m_hDC; }
    // A DC held before is given back first, the way this object came by it,
    // so making a DC again leaks nothing.
    BOOL Attach(HDC dc);
    HDC Detach();
    BOOL CreateCompatibleDC(CDC* dc) { return Attach(::CreateCompatibleDC(dc ? dc->m_hDC : nullptr)); }
    BOOL DeleteDC();
    static CDC* FromHandle(HDC dc);
    static void DeleteTempMap();

    // Selection: the previous object comes back as a temporary wrapper.
    CPen* SelectObject(CPen* pen) { return CPen::FromHandle(static_cast<HPEN>(Select(pen))); }
    CBrush* SelectObject(CBrush* brush) { return CBrush::FromHandle(static_cast<HBRUSH>(Select(brush))); }
    CFont* SelectObject(CFont* font) { return CFont::FromHandle(static_cast<HFONT>(Select(font))); }
    CBitmap* SelectObject(CBitmap* bitmap) { return CBitmap::FromHandle(static_cast<HBITMAP>(Select(bitmap))); }
    CGdiObject* SelectObject(CGdiObject* object) { return CGdiObject::FromHandle(Select(object)); }
    HGDIOBJ SelectObject(HGDIOBJ object) { return ::SelectObject(m_hDC, object); }
    CGdiObject* SelectStockObject(int index)
    {
        return CGdiObject::FromHandle(::SelectObject(m_hDC, ::GetStockObject(index)));
    }
    CPen* GetCurrentPen() const { return CPen::FromHandle(static_cast<HPEN>(::GetCurrentObject(m_hDC, OBJ_PEN))); }
    CFont* GetCurrentFont() const { return CFont::FromHandle(static_cast<HFONT>(::GetCurrentObject(m_hDC, OBJ_FONT))); }

    int SaveDC() { return ::SaveDC(m_hDC); }
    BOOL RestoreDC(int saved) { return ::RestoreDC(m_hDC, saved); }
    int GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hDC, index); }

    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
    int GetBkMode() const { return ::GetBkMode(m_hDC); }
    COLORREF SetBkColor(COLORREF color) { return ::SetBkColor(m_hDC, color); }
    COLORREF GetBkColor() const { return ::GetBkColor(m_hDC); }
    COLORREF SetTextColor(COLORREF color) { return ::SetTextColor(m_hDC, color); }
    COLORREF GetTextColor() const { return ::GetTextColor(m_hDC); }
    UINT SetTextAlign(UINT flags) { return ::SetTextAlign(m_hDC, flags); }
    int SetStretchBltMode(int mode) { return ::SetStretchBltMode(m_hDC, mode); }
    int SetMapMode(int mode) { return ::SetMapMode(m_hDC, mode); }

    BOOL GetTextMetrics(TEXTMETRICW* metrics) const { return ::GetTextMetricsW(m_hDC, metrics); }
    CSize GetTextExtent(LPCWSTR text, int count) const;
    CSize GetTextExtent(LPCWSTR text) const { return GetTextExtent(text, lstrlenW(text)); }
    int DrawText(LPCWSTR text, int count, LPRECT rect, UINT format)
    {
        return ::DrawTextW(m_hDC, text, count, rect, format);
    }
    BOOL TextOut(int x, int y, LPCWSTR text, int count) { return ::TextOutW(m_hDC, x, y, text, count); }
    BOOL TextOut(int x, int y, LPCWSTR text) { return TextOut(x, y, text, lstrlenW(text)); }

    BOOL BitBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, DWORD rop)
    {
        return ::BitBlt(m_hDC, x, y, width, height, src ? src->m_hDC : nullptr, xSrc, ySrc, rop);
    }
    BOOL StretchBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, int srcWidth, int srcHeight,
                    DWORD rop)
    {
        return ::StretchBlt(m_hDC, x, y, width, height, src ? src->m_hDC : nullptr, xSrc, ySrc, srcWidth, srcHeight,
                            rop);
    }
    BOOL PatBlt(int x, int y, int width, int height, DWORD rop) { return ::PatBlt(m_hDC, x, y, width, height, rop); }
    COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
    COLORREF GetPixel(POINT pt) const { return GetPixel(pt.x, pt.y); }
    COLORREF SetPixel(int x, int y, COLORREF color) { return ::SetPixel(m_hDC, x, y, color); }
    COLORREF SetPixel(POINT pt, COLORREF color) { return SetPixel(pt.x, pt.y, color); }

    void FillRect(LPCRECT rect, CBrush* brush)
    {
        ::FillRect(m_hDC, rect, brush ? static_cast<HBRUSH>(*brush) : nullptr);
    }
    void FrameRect(LPCRECT rect, CBrush* brush)
    {
        ::FrameRect(m_hDC, rect, brush ? static_cast<HBRUSH>(*brush) : nullptr);
    }
    void FillSolidRect(LPCRECT rect, COLORREF color);
    void FillSolidRect(int x, int y, int width, int height, COLORREF color);
    // Top and left edges in one colour, bottom and right in the other, one pixel wide.
    void Draw3dRect(LPCRECT rect, COLORREF topLeft, COLORREF bottomRight);
    void Draw3dRect(int x, int y, int width, int height, COLORREF topLeft, COLORREF bottomRight);
    void DrawFocusRect(LPCRECT rect) { ::DrawFocusRect(m_hDC, rect); }
    BOOL DrawEdge(LPRECT rect, UINT edge, UINT flags) { return ::DrawEdge(m_hDC, rect, edge, flags); }
    BOOL Rectangle(int l, int t, int r, int b) { return ::Rectangle(m_hDC, l, t, r, b); }
    BOOL Rectangle(LPCRECT rect) { return Rectangle(rect->left, rect->top, rect->right, rect->bottom); }
    BOOL Ellipse(int l, int t, int r, int b) { return ::Ellipse(m_hDC, l, t, r, b); }
    BOOL Ellipse(LPCRECT rect) { return Ellipse(rect->left, rect->top, rect->right, rect->bottom); }
    BOOL RoundRect(LPCRECT rect, POINT corner)
    {
        return ::RoundRect(m_hDC, rect->left, rect->top, rect->right, rect->bottom, corner.x, corner.y);
    }
    BOOL Polygon(const POINT* points, int count) { return ::Polygon(m_hDC, points, count); }
    CPoint MoveTo(int x, int y);
    CPoint MoveTo(POINT pt) { return MoveTo(pt.x, pt.y); }
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    BOOL LineTo(POINT pt) { return LineTo(pt.x, pt.y); }

    BOOL DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(m_hDC, x, y, icon); }
    BOOL DrawIcon(POINT pt, HICON icon) { return DrawIcon(pt.x, pt.y, icon); }
    BOOL DrawState(CPoint pt, CSize size, HICON icon, UINT flags, HBRUSH brush = nullptr)
    {
        return ::DrawStateW(m_hDC, brush, nullptr, reinterpret_cast<LPARAM>(icon), 0, pt.x, pt.y, size.cx, size.cy,
                            flags | DST_ICON);
    }
    BOOL DrawState(CPoint pt, CSize size, HBITMAP bitmap, UINT flags, HBRUSH brush = nullptr)
    {
        return ::DrawStateW(m_hDC, brush, nullptr, reinterpret_cast<LPARAM>(bitmap), 0, pt.x, pt.y, size.cx, size.cy,
                            flags | DST_BITMAP);
    }

    int GetClipBox(LPRECT rect) const { return ::GetClipBox(m_hDC, rect); }
    int IntersectClipRect(LPCRECT rect)
    {
        return ::IntersectClipRect(m_hDC, rect->left, rect->top, rect->right, rect->bottom);
    }
    int ExcludeClipRect(LPCRECT rect)
    {
        return ::ExcludeClipRect(m_hDC, rect->left, rect->top, rect->right, rect->bottom);
    }

protected:
    // Gives back the DC held now: a plain CDC deletes it.
    virtual void ReleaseHeldDC();

private:
    HGDIOBJ Select(CGdiObject* object) { return object ? ::SelectObject(m_hDC, object->m_hObject) : nullptr; }

    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;
};
