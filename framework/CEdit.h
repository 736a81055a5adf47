#pragma once
// An edit control.

#include "CWnd.h"

class CEdit : public CWnd {
    DECLARE_DYNAMIC(CEdit)

public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CWnd::Create(L"EDIT", nullptr, style, rect, parent, id);
    }

    void SetSel(int start, int end, BOOL noScroll = FALSE)
    {
        SendMessage(EM_SETSEL, static_cast<WPARAM>(start), end);
        if (!noScroll)
            SendMessage(EM_SCROLLCARET);
    }
    void GetSel(int& start, int& end) const
    {
        DWORD s = 0, e = 0;
        SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
        start = static_cast<int>(s), end = static_cast<int>(e);
    }
    void ReplaceSel(LPCWSTR text, BOOL canUndo = FALSE)
    {
        SendMessage(EM_REPLACESEL, canUndo, reinterpret_cast<LPARAM>(text));
    }
    BOOL SetReadOnly(BOOL readOnly = TRUE) { return static_cast<BOOL>(SendMessage(EM_SETREADONLY, readOnly)); }
    void SetLimitText(UINT max) { SendMessage(EM_SETLIMITTEXT, max); }
    void LimitText(int chars = 0) { SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(chars)); }
    int GetLineCount() const { return static_cast<int>(SendMessage(EM_GETLINECOUNT)); }
    void GetRect(LPRECT rect) const { SendMessage(EM_GETRECT, 0, reinterpret_cast<LPARAM>(rect)); }
    void SetRect(LPCRECT rect) { SendMessage(EM_SETRECT, 0, reinterpret_cast<LPARAM>(rect)); }

protected:
    DECLARE_MESSAGE_MAP()
};
