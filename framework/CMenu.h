#pragma once
// A menu. A CMenu made by CreateMenu/CreatePopupMenu/LoadMenu destroys its
// menu; FromHandle gives a temporary wrapper (e.g. of a window's system menu)
// that leaves it alone.

#include "CObject.h"

class CMenu : public CObject {
public:
    HMENU m_hMenu = nullptr;

    CMenu() = default;
    ~CMenu() override { DestroyMenu(); }

    operator HMENU() const { return m_hMenu; }
    HMENU GetSafeHmenu() const { return m_hMenu; }
    BOOL Attach(HMENU menu)
    {
        if (!menu)
            return FALSE;
        m_hMenu = menu;
        return TRUE;
    }
    HMENU Detach()
    {
        HMENU menu = m_hMenu;
        m_hMenu = nullptr;
        return menu;
    }
    BOOL CreateMenu() { return Attach(::CreateMenu()); }
    BOOL CreatePopupMenu() { return Attach(::CreatePopupMenu()); }
    BOOL DestroyMenu()
    {
        if (!m_hMenu)
            return FALSE;
        return ::DestroyMenu(Detach());
    }

    BOOL AppendMenu(UINT flags, UINT_PTR idOrPopup = 0, LPCWSTR text = nullptr)
    {
        return ::AppendMenuW(m_hMenu, flags, idOrPopup, text);
    }
    BOOL InsertMenu(UINT position, UINT flags, UINT_PTR idOrPopup = 0, LPCWSTR text = nullptr)
    {
        return ::InsertMenuW(m_hMenu, position, flags, idOrPopup, text);
    }
    BOOL DeleteMenu(UINT position, UINT flags) { return ::DeleteMenu(m_hMenu, position, flags); }
    BOOL RemoveMenu(UINT position, UINT flags) { return ::RemoveMenu(m_hMenu, position, flags); }
    UINT EnableMenuItem(UINT id, UINT enable) { return ::EnableMenuItem(m_hMenu, id, enable); }
    UINT CheckMenuItem(UINT id, UINT check) { return static_cast<UINT>(::CheckMenuItem(m_hMenu, id, check)); }
    int GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
    UINT GetMenuItemID(int position) const { return ::GetMenuItemID(m_hMenu, position); }
    int GetMenuString(UINT id, LPWSTR text, int maxCount, UINT flags) const
    {
        return ::GetMenuStringW(m_hMenu, id, text, maxCount, flags);
    }
    BOOL TrackPopupMenu(UINT flags, int x, int y, HWND owner)
    {
        return ::TrackPopupMenu(m_hMenu, flags, x, y, 0, owner, nullptr);
    }

    static CMenu* FromHandle(HMENU menu);
    static void DeleteTempMap();
};
