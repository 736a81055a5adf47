#include "SysOptListCtrl.h"

#include "define.h"

IMPLEMENT_DYNAMIC(CSysOptListCtrl, CListCtrl)

BEGIN_MESSAGE_MAP(CSysOptListCtrl, CListCtrl)
ON_WM_DESTROY()
ON_WM_LBUTTONDOWN()
ON_NOTIFY_REFLECT(NM_CLICK, OnNMClick)
ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, OnNMCustomdraw)
ON_COMMAND(ID_SYSOPT_ACTION_0, OnOptionAction0)
ON_COMMAND(ID_SYSOPT_ACTION_1, OnOptionAction1)
ON_COMMAND(ID_SYSOPT_ACTION_2, OnOptionAction2)
ON_COMMAND(ID_SYSOPT_ACTION_3, OnOptionAction3)
ON_COMMAND(ID_SYSOPT_ACTION_4, OnOptionAction4)
ON_COMMAND(ID_SYSOPT_ACTION_5, OnOptionAction5)
ON_COMMAND(ID_SYSOPT_ACTION_6, OnOptionAction6)
END_MESSAGE_MAP()

CSysOptListCtrl::CSysOptListCtrl() : m_pParent(NULL), m_hActionIcon(NULL), m_columnCount(COLUMN_COUNT)
{
    InitColumns();
}

CSysOptListCtrl::~CSysOptListCtrl()
{
    m_imageList.DeleteImageList();
    if (m_hActionIcon)
        DestroyIcon(m_hActionIcon);
}

void CSysOptListCtrl::InitColumns()
{
    static const struct {
        LPCWSTR heading;
        int width;
    } columns[COLUMN_COUNT] = {
        {L"AttributeId", 100}, {L"Name", 290}, {L"Value", 60}, {L"Worst", 60}, {L"Raw", 100}, {L"Threshold", 60},
    };
    m_columnCount = COLUMN_COUNT;
    for (UINT i = 0; i < COLUMN_COUNT; i++) {
        m_columns[i].heading = columns[i].heading;
        m_columns[i].width = columns[i].width;
    }
}

void CSysOptListCtrl::PreSubclassWindow()
{
    SetExtendedStyle(GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_SUBITEMIMAGES);
    for (UINT i = 0; i < m_columnCount; i++)
        InsertColumn(static_cast<int>(i), m_columns[i].heading, LVCFMT_LEFT, m_columns[i].width, -1);
    m_pParent = GetParent();
    CListCtrl::PreSubclassWindow();
}

BOOL CSysOptListCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    return CListCtrl::OnChildNotify(message, wParam, lParam, pResult);
}

namespace {

HICON LoadIconFile(LPCWSTR path)
{
    return static_cast<HICON>(LoadImageW(NULL, path, IMAGE_ICON, 0, 0, LR_LOADFROMFILE));
}

} // namespace

void CSysOptListCtrl::LoadStateIcons()
{
    // A second load replaces the action icon: the one loaded before is freed.
    if (m_hActionIcon)
        DestroyIcon(m_hActionIcon);
    m_hActionIcon = LoadIconFile(L".\\res\\action.ico");
    if (m_hActionIcon == NULL)
        DebugPrint(L"Load Action icon error, error num: %d\n", GetLastError());
    if (m_imageList.GetSafeHandle())
        return;

    m_imageList.Create(48, 48, ILC_COLOR32 | ILC_MASK, 0, 0);
    HICON ok = LoadIconFile(L".\\res\\stateok.ico");
    if (ok == NULL)
        DebugPrint(L"Load stateok icon error, error num: %d\n", GetLastError());
    HICON warning = LoadIconFile(L".\\res\\statewarning.ico");
    if (warning == NULL)
        DebugPrint(L"Load statewarning icon error, error num: %d\n", GetLastError());
    // The image list keeps copies of its own.
    if (ok) {
        m_imageList.Add(ok);
        DestroyIcon(ok);
    }
    if (warning) {
        m_imageList.Add(warning);
        DestroyIcon(warning);
    }
}

void CSysOptListCtrl::OnDestroy()
{
    CListCtrl::OnDestroy();
}

void CSysOptListCtrl::OnLButtonDown(UINT, CPoint)
{
    // Swallowed: a left click neither selects a row nor takes the focus.
}

void CSysOptListCtrl::OnNMClick(NMHDR*, LRESULT*) {}

void CSysOptListCtrl::OnNMCustomdraw(NMHDR*, LRESULT*)
{
    // The default result: the list view draws every item itself.
}
