#include "AfxMessageBox.h"

#include "AfxResource.h"
#include "CString.h"

namespace {

// The name is read on any thread (a box on one, the thread that answers it on
// another) and made at the first read. Every read and every set takes this
// lock, so the name is made once and no read hands out a text that another
// thread's write frees. A constant lock: there is nothing to make before the
// first read, however early it comes.
SRWLOCK s_nameLock = SRWLOCK_INIT;

class NameLock {
public:
    NameLock() { ::AcquireSRWLockExclusive(&s_nameLock); }
    ~NameLock() { ::ReleaseSRWLockExclusive(&s_nameLock); }
    NameLock(const NameLock&) = delete;
    NameLock& operator=(const NameLock&) = delete;
};

// Read and written under the lock only.
CString& AppName()
{
    static CString name;
    return name;
}

CString ProgramBaseName()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    CString name(path);
    name = name.Mid(name.ReverseFind(L'\\') + 1);
    int dot = name.ReverseFind(L'.');
    return dot > 0 ? name.Left(dot) : name;
}

} // namespace

LPCWSTR AfxGetAppName()
{
    NameLock lock;
    CString& name = AppName();
    if (name.IsEmpty())
        name = ProgramBaseName();
    return name;
}

void AfxSetAppName(LPCWSTR name)
{
    NameLock lock;
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
