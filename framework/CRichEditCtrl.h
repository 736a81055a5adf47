#pragma once
// A rich edit control (version 2.0, class "RichEdit20W"; AfxInitRichEdit2
// loads its library first).

#include "CWnd.h"

#include <richedit.h>

BOOL AfxInitRichEdit2();

class CRichEditCtrl : public CWnd {
    DECLARE_DYNAMIC(CRichEditCtrl)

public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CWnd::Create(RICHEDIT_CLASSW, nullptr, style, rect, parent, id);
    }

    void SetSel(long start, long end)
    {
        CHARRANGE range = {start, end};
        SendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    }
    void GetSel(CHARRANGE& range) const { SendMessage(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range)); }
    void ReplaceSel(LPCWSTR text, BOOL canUndo = FALSE)
    {
        SendMessage(EM_REPLACESEL, canUndo, reinterpret_cast<LPARAM>(text));
    }
    BOOL SetSelectionCharFormat(CHARFORMATW& format)
    {
        format.cbSize = sizeof(format);
        return static_cast<BOOL>(SendMessage(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format)));
    }
    BOOL SetDefaultCharFormat(CHARFORMATW& format)
    {
        format.cbSize = sizeof(format);
        return static_cast<BOOL>(SendMessage(EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format)));
    }
    DWORD GetSelectionCharFormat(CHARFORMATW& format) const
    {
        format.cbSize = sizeof(format);
        return static_cast<DWORD>(SendMessage(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format)));
    }
    BOOL SetParaFormat(PARAFORMAT2& format)
    {
        format.cbSize = sizeof(format);
        return static_cast<BOOL>(SendMessage(EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format)));
    }
    void GetRect(LPRECT rect) const { SendMessage(EM_GETRECT, 0, reinterpret_cast<LPARAM>(rect)); }
    BOOL SetReadOnly(BOOL readOnly = TRUE) { return static_cast<BOOL>(SendMessage(EM_SETREADONLY, readOnly)); }
    COLORREF SetBackgroundColor(BOOL systemColor, COLORREF color)
    {
        return static_cast<COLORREF>(SendMessage(EM_SETBKGNDCOLOR, systemColor, static_cast<LPARAM>(color)));
    }
    long GetTextLength() const { return static_cast<long>(SendMessage(WM_GETTEXTLENGTH)); }
    int GetLineCount() const { return static_cast<int>(SendMessage(EM_GETLINECOUNT)); }
    int GetFirstVisibleLine() const { return static_cast<int>(SendMessage(EM_GETFIRSTVISIBLELINE)); }
    long LineFromChar(long charIndex) const { return static_cast<long>(SendMessage(EM_EXLINEFROMCHAR, 0, charIndex)); }
    CPoint PosFromChar(UINT charIndex) const
    {
        POINTL pt = {};
        SendMessage(EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&pt), static_cast<LPARAM>(charIndex));
        return CPoint(pt.x, pt.y);
    }
    DWORD SetEventMask(DWORD mask)
    {
        return static_cast<DWORD>(SendMessage(EM_SETEVENTMASK, 0, static_cast<LPARAM>(mask)));
    }

protected:
    DECLARE_MESSAGE_MAP()
};
