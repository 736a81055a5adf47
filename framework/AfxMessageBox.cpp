#include "AfxMessageBox.h"

#include "AfxResource.h"
#include "CString.h"

static CString& AppName()
{
    static CString name;
    if (name.IsEmpty()) {
        wchar_t path[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, path, MAX_PATH);
        CString full(path);
        name = full.Mid(full.ReverseFind(L'\\') + 1);
        int dot = name.ReverseFind(L'.');
        if (dot > 0)
            name = name.Left(dot);
    }
    return name;
}

LPCWSTR AfxGetAppName()
{
    return AppName();
}

void AfxSetAppName(LPCWSTR name)
{
    AppName() = name ? name : L"";
}

static HWND MessageBoxOwner()
{
    HWND owner = ::GetActiveWindow();
    while (owner && (::GetWindowLongPtrW(owner, GWL_STYLE) & WS_CHILD))
        owner = ::GetParent(owner);
    return owner;
}

int AfxMessageBox(LPCWSTR text, UINT type, UINT)
{
    return ::MessageBoxW(MessageBoxOwner(), text, AfxGetAppName(), type);
}

int AfxMessageBox(UINT stringId, UINT type, UINT helpId)
{
    wchar_t text[1024] = {};
    ::LoadStringW(AfxGetResourceHandle(), stringId, text, 1024);
    return AfxMessageBox(text, type, helpId);
}
