#include "CStatusBar.h"

IMPLEMENT_DYNAMIC(CStatusBar, CWnd)

BEGIN_MESSAGE_MAP(CStatusBar, CWnd)
END_MESSAGE_MAP()

BOOL CStatusBar::Create(CWnd* parent, DWORD style, UINT id)
{
    DWORD windowStyle = style & ~static_cast<DWORD>(CBRS_ALL);
    CRect rect;
    return CWnd::CreateEx(0, STATUSCLASSNAMEW, nullptr, windowStyle | WS_CHILD, rect, parent, id);
}

BOOL CStatusBar::SetIndicators(const UINT* ids, int count)
{
    m_panes.clear();
    CRect client;
    if (CWnd* parent = GetParent())
        parent->GetClientRect(&client);
    int width = count > 0 ? client.Width() / count : 0;
    for (int i = 0; i < count; ++i)
        m_panes.push_back(Pane{ids[i], SBPS_NORMAL, width, CString()});
    ApplyParts();
    return TRUE;
}

void CStatusBar::ApplyParts()
{
    std::vector<int> rightEdges;
    int right = 0;
    for (const Pane& pane : m_panes) {
        right += pane.width;
        rightEdges.push_back(pane.style & SBPS_STRETCH ? -1 : right);
    }
    SendMessage(SB_SETPARTS, rightEdges.size(), reinterpret_cast<LPARAM>(rightEdges.data()));
    for (size_t i = 0; i < m_panes.size(); ++i)
        SendMessage(SB_SETTEXTW, i | (m_panes[i].style & 0xFF00),
                    reinterpret_cast<LPARAM>(m_panes[i].text.GetString()));
}

void CStatusBar::SetPaneInfo(int index, UINT id, UINT style, int width)
{
    if (index < 0 || index >= GetCount())
        return;
    m_panes[index].id = id;
    m_panes[index].style = style;
    m_panes[index].width = width;
    ApplyParts();
}

void CStatusBar::GetPaneInfo(int index, UINT& id, UINT& style, int& width) const
{
    if (index < 0 || index >= GetCount())
        return;
    id = m_panes[index].id;
    style = m_panes[index].style;
    width = m_panes[index].width;
}

BOOL CStatusBar::SetPaneText(int index, LPCWSTR text, BOOL update)
{
    if (index < 0 || index >= GetCount())
        return FALSE;
    m_panes[index].text = text ? text : L"";
    SendMessage(SB_SETTEXTW, static_cast<WPARAM>(index) | (m_panes[index].style & 0xFF00),
                reinterpret_cast<LPARAM>(m_panes[index].text.GetString()));
    if (update)
        UpdateWindow();
    return TRUE;
}

CString CStatusBar::GetPaneText(int index) const
{
    return index >= 0 && index < GetCount() ? m_panes[index].text : CString();
}

void CStatusBar::GetItemRect(int index, LPRECT rect) const
{
    SendMessage(SB_GETRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(rect));
}

void CStatusBar::SetMinHeight(int height)
{
    SendMessage(SB_SETMINHEIGHT, static_cast<WPARAM>(height));
    SendMessage(WM_SIZE);
}

void RepositionBars(CWnd* parent, UINT first, UINT last)
{
    parent->RepositionBars(first, last);
}
