#pragma once
// A progress bar.

#include "CWnd.h"

#include <commctrl.h>

class CProgressCtrl : public CWnd {
    DECLARE_DYNAMIC(CProgressCtrl)

public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CWnd::Create(PROGRESS_CLASSW, nullptr, style, rect, parent, id);
    }

    void SetRange(short lower, short upper) { SendMessage(PBM_SETRANGE, 0, MAKELPARAM(lower, upper)); }
    void SetRange32(int lower, int upper) { SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(lower), upper); }
    void GetRange(int& lower, int& upper) const
    {
        PBRANGE range = {};
        SendMessage(PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
        lower = range.iLow, upper = range.iHigh;
    }
    int GetPos() const { return static_cast<int>(SendMessage(PBM_GETPOS)); }
    int SetPos(int pos) { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(pos))); }
    int OffsetPos(int delta) { return static_cast<int>(SendMessage(PBM_DELTAPOS, static_cast<WPARAM>(delta))); }
    int SetStep(int step) { return static_cast<int>(SendMessage(PBM_SETSTEP, static_cast<WPARAM>(step))); }
    int StepIt() { return static_cast<int>(SendMessage(PBM_STEPIT)); }
    COLORREF SetBarColor(COLORREF color) { return static_cast<COLORREF>(SendMessage(PBM_SETBARCOLOR, 0, color)); }
    COLORREF SetBkColor(COLORREF color) { return static_cast<COLORREF>(SendMessage(PBM_SETBKCOLOR, 0, color)); }

protected:
    DECLARE_MESSAGE_MAP()
};
