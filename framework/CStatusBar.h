#pragma once
// A status bar over the common status-bar control: panes with ids, widths
// and texts. RepositionBars of the parent lays it along the bottom edge.

#include "CWnd.h"

#include <commctrl.h>
#include <vector>

// Control-bar ids and styles of the framework.
#define AFX_IDW_CONTROLBAR_FIRST 0xE800
#define AFX_IDW_CONTROLBAR_LAST 0xE8FF
#define AFX_IDW_STATUS_BAR 0xE801
#define CBRS_ALIGN_BOTTOM 0x2000L
#define CBRS_BORDER_TOP 0x0200L
#define CBRS_BOTTOM (CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP)
#define CBRS_ALL 0x0040FFFFL
#define SBPS_NORMAL 0x0000
#define SBPS_NOBORDERS SBT_NOBORDERS
#define SBPS_POPOUT SBT_POPOUT
#define SBPS_STRETCH 0x08000000

class CStatusBar : public CWnd {
    DECLARE_DYNAMIC(CStatusBar)

public:
    // The control-bar style bits choose the placement; the window gets the rest.
    BOOL Create(CWnd* parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, UINT id = AFX_IDW_STATUS_BAR);
    // One pane per id; widths start equal.
    BOOL SetIndicators(const UINT* ids, int count);
    void SetPaneInfo(int index, UINT id, UINT style, int width);
    void GetPaneInfo(int index, UINT& id, UINT& style, int& width) const;
    BOOL SetPaneText(int index, LPCWSTR text, BOOL update = TRUE);
    CString GetPaneText(int index) const;
    void GetItemRect(int index, LPRECT rect) const;
    int GetCount() const { return static_cast<int>(m_panes.size()); }
    // The bar itself stands for the framework's status-bar control.
    CStatusBar& GetStatusBarCtrl() { return *this; }
    void SetMinHeight(int height);

protected:
    DECLARE_MESSAGE_MAP()

private:
    struct Pane {
        UINT id;
        UINT style;
        int width;
        CString text;
    };
    std::vector<Pane> m_panes;

    void ApplyParts();
};

// Lays the parent's control bars (ids first..last) out: each status bar is
// sized along the parent's bottom edge.
void RepositionBars(CWnd* parent, UINT first, UINT last);
