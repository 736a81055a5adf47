#include "CToolTipCtrl.h"

IMPLEMENT_DYNAMIC(CToolTipCtrl, CWnd)

BEGIN_MESSAGE_MAP(CToolTipCtrl, CWnd)
END_MESSAGE_MAP()

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style)
{
    return CreateEx(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP | style,
                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent ? parent->m_hWnd : nullptr,
                    nullptr);
}

void CToolTipCtrl::FillToolInfo(TTTOOLINFOW& info, CWnd* wnd, UINT_PTR toolId)
{
    info = {};
    // The size without lpReserved works with every common-controls version.
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = wnd->m_hWnd;
    if (toolId == 0) {
        info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        info.uId = reinterpret_cast<UINT_PTR>(wnd->m_hWnd);
    } else {
        info.uId = toolId;
    }
}

BOOL CToolTipCtrl::AddTool(CWnd* wnd, LPCWSTR text, LPCRECT rect, UINT_PTR toolId)
{
    TTTOOLINFOW info;
    FillToolInfo(info, wnd, toolId);
    if (rect)
        info.rect = *rect;
    info.lpszText = const_cast<LPWSTR>(text ? text : LPSTR_TEXTCALLBACKW);
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)));
}

void CToolTipCtrl::DelTool(CWnd* wnd, UINT_PTR toolId)
{
    TTTOOLINFOW info;
    FillToolInfo(info, wnd, toolId);
    SendMessage(TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void CToolTipCtrl::UpdateTipText(LPCWSTR text, CWnd* wnd, UINT_PTR toolId)
{
    TTTOOLINFOW info;
    FillToolInfo(info, wnd, toolId);
    info.lpszText = const_cast<LPWSTR>(text);
    SendMessage(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

void CToolTipCtrl::GetText(CString& text, CWnd* wnd, UINT_PTR toolId) const
{
    TTTOOLINFOW info;
    FillToolInfo(info, wnd, toolId);
    wchar_t buffer[1024] = {};
    info.lpszText = buffer;
    SendMessage(TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&info));
    text = buffer;
}
