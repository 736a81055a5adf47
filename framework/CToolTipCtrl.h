#pragma once
// A tooltip window for the tools of one window.

#include "CWnd.h"

#include <commctrl.h>

class CToolTipCtrl : public CWnd {
    DECLARE_DYNAMIC(CToolTipCtrl)

public:
    BOOL Create(CWnd* parent, DWORD style = 0);

    // A tool over a rectangle of the window (id != 0), or the whole window (id 0).
    BOOL AddTool(CWnd* wnd, LPCWSTR text, LPCRECT rect = nullptr, UINT_PTR toolId = 0);
    void DelTool(CWnd* wnd, UINT_PTR toolId = 0);
    void UpdateTipText(LPCWSTR text, CWnd* wnd, UINT_PTR toolId = 0);
    void GetText(CString& text, CWnd* wnd, UINT_PTR toolId = 0) const;
    int GetToolCount() const { return static_cast<int>(SendMessage(TTM_GETTOOLCOUNT)); }
    void Activate(BOOL activate) { SendMessage(TTM_ACTIVATE, activate); }
    int SetMaxTipWidth(int width) { return static_cast<int>(SendMessage(TTM_SETMAXTIPWIDTH, 0, width)); }
    void RelayEvent(MSG* msg) { SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg)); }

protected:
    DECLARE_MESSAGE_MAP()

private:
    static void FillToolInfo(TTTOOLINFOW& info, CWnd* wnd, UINT_PTR toolId);
};
