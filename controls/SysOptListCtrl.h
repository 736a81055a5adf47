#pragma once
// The SMART page's report list: six fixed columns with grid lines; a left
// click neither selects a row nor takes the focus. It also carries the hooks
// of a Windows tuning-option list, which change nothing.

#include "Afx.h"

enum SmartColumn {
    SMARTCOL_ATTRIBUTE_ID = 0,
    SMARTCOL_NAME = 1,
    SMARTCOL_VALUE = 2,
    SMARTCOL_WORST = 3,
    SMARTCOL_RAW = 4,
    SMARTCOL_THRESHOLD = 5,
};

enum SysOptItem {
    SYSOPT_ITEM_INDEXING = 0,
    SYSOPT_ITEM_DEFRAG = 1,
    SYSOPT_ITEM_PREFETCHER = 2,
    SYSOPT_ITEM_VIRTUAL_MEMORY = 3,
    SYSOPT_ITEM_HIBERNATE = 4,
    SYSOPT_ITEM_TRIM = 5,
    SYSOPT_ITEM_AHCI = 6,
};

const UINT ID_SYSOPT_ACTION_0 = 0x1000;
const UINT ID_SYSOPT_ACTION_1 = 0x1001;
const UINT ID_SYSOPT_ACTION_2 = 0x1002;
const UINT ID_SYSOPT_ACTION_3 = 0x1003;
const UINT ID_SYSOPT_ACTION_4 = 0x1004;
const UINT ID_SYSOPT_ACTION_5 = 0x1005;
const UINT ID_SYSOPT_ACTION_6 = 0x1006;

struct SysOptColumn {
    CString heading;
    int width; // pixels
};

class CSysOptListCtrl : public CListCtrl {
    DECLARE_DYNAMIC(CSysOptListCtrl)
public:
    static const UINT COLUMN_COUNT = 6;

    CSysOptListCtrl();
    ~CSysOptListCtrl() override;

    void InitColumns();
    void AdjustLayout() {}
    void SetOptionState(int, BOOL) {}
    void RefreshItems() {}
    void LoadStateIcons();

protected:
    void PreSubclassWindow() override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    void OnDestroy();
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnNMClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnNMCustomdraw(NMHDR* pNMHDR, LRESULT* pResult);
    void OnOptionAction0() {}
    void OnOptionAction1() {}
    void OnOptionAction2() {}
    void OnOptionAction3() {}
    void OnOptionAction4() {}
    void OnOptionAction5() {}
    void OnOptionAction6() {}
    DECLARE_MESSAGE_MAP()

    CWnd* m_pParent;
    HICON m_hActionIcon;
    CImageList m_imageList;
    UINT m_columnCount;
    SysOptColumn m_columns[COLUMN_COUNT];
};
