#include "CWnd.h"

#include "AfxMessageBox.h"
#include "AfxResource.h"
#include "AfxTempMaps.h"
#include "CDataExchange.h"
#include "CWinThread.h"

#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <unordered_map>

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

namespace {
// Windows belong to the thread that created them, and so do their maps.
// Both maps are held through plain pointers (see t_temps below); the
// permanent one is freed once it is empty when the thread deletes its
// temporaries.
typedef std::unordered_map<HWND, CWnd*> PermanentMap;
thread_local PermanentMap* t_permanent = nullptr;

PermanentMap& Permanent()
{
    if (!t_permanent)
        t_permanent = new PermanentMap;
    return *t_permanent;
}

struct TempDeleter {
    void operator()(CWnd* temp) const
    {
        temp->m_hWnd = nullptr;
        delete temp;
    }
};
// Held through a plain pointer, created on first use and freed by
// DeleteTempMap, which a thread runs before it ends: with mingw-w64 the
// thread-exit destructor of a thread_local object can run after the thread's
// storage for it was freed, and then writes into freed heap memory.
typedef std::unordered_map<HWND, std::unique_ptr<CWnd, TempDeleter>> TempMap;
thread_local TempMap* t_temps = nullptr;

TempMap& Temps()
{
    if (!t_temps)
        t_temps = new TempMap;
    return *t_temps;
}

// The message each nested window-procedure call is handling (for Default).
thread_local MSG t_currentMsg = {};
thread_local int t_callDepth = 0;

// The window the thread is creating, and the hook that catches its creation.
thread_local CWnd* t_wndInit = nullptr;
thread_local HHOOK t_cbtHook = nullptr;
} // namespace

// ---- handle map ----------------------------------------------------------

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    if (!t_permanent)
        return nullptr;
    auto it = t_permanent->find(hWnd);
    return it == t_permanent->end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    if (!hWnd)
        return nullptr;
    if (CWnd* wnd = FromHandlePermanent(hWnd))
        return wnd;
    auto& slot = Temps()[hWnd];
    if (!slot) {
        slot.reset(new CWnd);
        slot->m_hWnd = hWnd;
    }
    return slot.get();
}

void CWnd::DeleteTempMap()
{
    TempMap* temps = t_temps;
    t_temps = nullptr;
    delete temps;
    if (t_permanent && t_permanent->empty()) {
        delete t_permanent;
        t_permanent = nullptr;
    }
}

BOOL CWnd::Attach(HWND hWnd)
{
    // One object per window: a second would take the map entry and lose the
    // window procedure the first one keeps.
    if (!hWnd || m_hWnd || FromHandlePermanent(hWnd))
        return FALSE;
    m_hWnd = hWnd;
    // A temporary wrapper made earlier stays until idle time: a caller may
    // still hold it (e.g. from GetDlgItem), and the permanent object now
    // comes first in FromHandle anyway.
    Permanent()[hWnd] = this;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND hWnd = m_hWnd;
    if (hWnd) {
        auto it = Permanent().find(hWnd);
        if (it != Permanent().end() && it->second == this)
            Permanent().erase(it);
    }
    m_hWnd = nullptr;
    return hWnd;
}

void CWnd::HookAfxWndProc()
{
    WNDPROC old =
        reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    if (old != &AfxWndProc)
        m_pfnSuper = old;
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!Attach(hWnd))
        return FALSE;
    PreSubclassWindow();
    HookAfxWndProc();
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    HWND control = ::GetDlgItem(parent->m_hWnd, static_cast<int>(id));
    return control ? SubclassWindow(control) : FALSE;
}

HWND CWnd::UnsubclassWindow()
{
    if (m_pfnSuper)
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    return Detach();
}

CWnd::~CWnd()
{
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this)
        CWnd::DestroyWindow();
    Detach();
}

// ---- creation ------------------------------------------------------------

// The input-method window the platform may make for the thread just before
// the thread's first window: it is not the window being created.
static BOOL IsImeWindow(const CBT_CREATEWNDW* create)
{
    LPCWSTR className = create->lpcs->lpszClass;
    return className && !IS_INTRESOURCE(className) && ::lstrcmpiW(className, L"IME") == 0;
}

LRESULT CALLBACK AfxCbtFilterHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && t_wndInit && !IsImeWindow(reinterpret_cast<const CBT_CREATEWNDW*>(lParam))) {
        CWnd* wnd = t_wndInit;
        t_wndInit = nullptr;
        HWND hWnd = reinterpret_cast<HWND>(wParam);
        wnd->Attach(hWnd);
        wnd->PreSubclassWindow();
        wnd->HookAfxWndProc();
    }
    return ::CallNextHookEx(t_cbtHook, code, wParam, lParam);
}

void AfxHookWindowCreate(CWnd* wnd)
{
    if (!t_cbtHook)
        t_cbtHook = ::SetWindowsHookExW(WH_CBT, &AfxCbtFilterHook, nullptr, ::GetCurrentThreadId());
    t_wndInit = wnd;
}

BOOL AfxUnhookWindowCreate()
{
    if (t_cbtHook) {
        ::UnhookWindowsHookEx(t_cbtHook);
        t_cbtHook = nullptr;
    }
    BOOL created = t_wndInit == nullptr;
    t_wndInit = nullptr;
    return created;
}

LPCWSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon)
{
    // The name says every parameter, so one set of names is the whole record.
    // Any thread may ask, and the names handed out must stay valid for the
    // life of the process: a node-based set under one lock.
    static std::mutex lock;
    static std::set<std::wstring> registered;
    CString name;
    name.Format(L"KestrovaWnd:%x:%p:%p:%p", classStyle, cursor, background, icon);
    std::lock_guard<std::mutex> hold(lock);
    auto found = registered.find(name.GetString());
    if (found != registered.end())
        return found->c_str();
    WNDCLASSW wc = {};
    wc.style = classStyle;
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = AfxGetInstanceHandle();
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = name;
    if (!::RegisterClassW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return nullptr;
    return registered.insert(name.GetString()).first->c_str();
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTW& cs)
{
    if (!cs.lpszClass)
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    return TRUE;
}

BOOL CWnd::Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CreateEx(0, className, windowName, style | WS_CHILD, rect, parent, id);
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                    UINT id, LPVOID param)
{
    return CreateEx(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), param);
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU menuOrId, LPVOID param)
{
    if (m_hWnd)
        return FALSE;
    CREATESTRUCTW cs = {};
    cs.dwExStyle = exStyle;
    cs.lpszClass = className;
    cs.lpszName = windowName;
    cs.style = style;
    cs.x = x;
    cs.y = y;
    cs.cx = width;
    cs.cy = height;
    cs.hwndParent = parent;
    cs.hMenu = menuOrId;
    cs.hInstance = AfxGetInstanceHandle();
    cs.lpCreateParams = param;
    if (!PreCreateWindow(cs))
        return FALSE;
    AfxHookWindowCreate(this);
    HWND hWnd = ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy,
                                  cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    AfxUnhookWindowCreate();
    return hWnd != nullptr && m_hWnd == hWnd;
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd)
        return FALSE;
    HWND hWnd = m_hWnd;
    BOOL permanent = FromHandlePermanent(hWnd) == this;
    BOOL destroyed = ::DestroyWindow(hWnd);
    // PostNcDestroy may have deleted the object: touch it only while the map
    // still leads to it (a window attached without subclassing never sees
    // WM_NCDESTROY and is detached here).
    if (permanent && FromHandlePermanent(hWnd) == this)
        Detach();
    else if (!permanent && m_hWnd == hWnd)
        m_hWnd = nullptr;
    return destroyed;
}

void CWnd::PreSubclassWindow() {}

void CWnd::PostNcDestroy() {}

void CWnd::OnFinalNcDestroy()
{
    // A modal loop whose window is gone would wait for ever (its owner
    // still disabled): it ends as aborted.
    if (m_nFlags & WF_CONTINUEMODAL)
        EndModalLoop(IDABORT);
    if (m_pfnSuper && reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC)) == &AfxWndProc)
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    Detach();
    PostNcDestroy();
}

// ---- message routing -----------------------------------------------------

LRESULT AfxCallWndProc(CWnd* wnd, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG saved = t_currentMsg;
    t_currentMsg.hwnd = hWnd;
    t_currentMsg.message = message;
    t_currentMsg.wParam = wParam;
    t_currentMsg.lParam = lParam;
    ++t_callDepth;
    LRESULT result = wnd->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY && CWnd::FromHandlePermanent(hWnd) == wnd)
        wnd->OnFinalNcDestroy();
    --t_callDepth;
    t_currentMsg = saved;
    return result;
}

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* wnd = CWnd::FromHandlePermanent(hWnd);
    if (!wnd)
        return ::DefWindowProcW(hWnd, message, wParam, lParam);
    return AfxCallWndProc(wnd, hWnd, message, wParam, lParam);
}

int AfxWndProcDepth()
{
    return t_callDepth;
}

const MSG* CWnd::GetCurrentMessage()
{
    return &t_currentMsg;
}

LRESULT CWnd::Default()
{
    return DefWindowProc(t_currentMsg.message, t_currentMsg.wParam, t_currentMsg.lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper)
        return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

static BOOL IsCtlColor(UINT message)
{
    return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (ReflectToChild(message, wParam, lParam, result))
        return TRUE;
    if (message == WM_COMMAND) {
        // A menu item and an accelerator key are both the same command.
        UINT code = lParam ? HIWORD(wParam) : 0;
        return DispatchMapMessage(WM_COMMAND, code, LOWORD(wParam), message, wParam, lParam, result);
    }
    if (message == WM_NOTIFY) {
        if (!lParam)
            return FALSE; // a notification without its header names nothing
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        return DispatchMapMessage(WM_NOTIFY, header->code, static_cast<UINT>(header->idFrom), message, wParam, lParam,
                                  result);
    }
    if (IsCtlColor(message))
        return DispatchMapMessage(WM_CTLCOLOR, 0, 0, message - WM_CTLCOLORMSGBOX, wParam, lParam, result);
    return DispatchMapMessage(message, 0, 0, message, wParam, lParam, result);
}

// The control a parent's message is about, when the message is one a
// control may take back.
static HWND NotifyingChild(HWND parent, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Every message asked about names its control in lParam (itself or the
    // structure it points to); without one there is nothing to offer.
    if (!lParam)
        return nullptr;
    switch (message) {
    case WM_COMMAND:
        return reinterpret_cast<HWND>(lParam);
    case WM_NOTIFY:
        return reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        return item->CtlType == ODT_MENU ? nullptr : item->hwndItem;
    }
    case WM_MEASUREITEM: {
        const MEASUREITEMSTRUCT* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam);
        return item->CtlType == ODT_MENU ? nullptr : ::GetDlgItem(parent, static_cast<int>(item->CtlID));
    }
    case WM_COMPAREITEM:
        return reinterpret_cast<const COMPAREITEMSTRUCT*>(lParam)->hwndItem;
    case WM_DELETEITEM:
        return reinterpret_cast<const DELETEITEMSTRUCT*>(lParam)->hwndItem;
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
        return reinterpret_cast<HWND>(lParam);
    default:
        return IsCtlColor(message) ? reinterpret_cast<HWND>(lParam) : nullptr;
    }
    (void)wParam;
}

BOOL CWnd::ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    HWND child = NotifyingChild(m_hWnd, message, wParam, lParam);
    if (!child || child == m_hWnd)
        return FALSE;
    CWnd* control = FromHandlePermanent(child);
    return control ? control->OnChildNotify(message, wParam, lParam, result) : FALSE;
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    return ReflectChildNotify(message, wParam, lParam, result);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_COMMAND)
        return DispatchMapMessage(WM_REFLECT_BASE + WM_COMMAND, HIWORD(wParam), 0, message, wParam, lParam, result);
    if (message == WM_NOTIFY) {
        UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
        return DispatchMapMessage(WM_REFLECT_BASE + WM_NOTIFY, code, 0, message, wParam, lParam, result);
    }
    if (IsCtlColor(message))
        return DispatchMapMessage(WM_REFLECT_BASE + WM_CTLCOLOR, 0, 0, message - WM_CTLCOLORMSGBOX, wParam, lParam,
                                  result);
    return DispatchMapMessage(WM_REFLECT_BASE + message, 0, 0, message, wParam, lParam, result);
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

BOOL AfxPreTranslateMessage(MSG* msg)
{
    for (HWND hWnd = msg->hwnd; hWnd; hWnd = ::GetParent(hWnd)) {
        CWnd* wnd = CWnd::FromHandlePermanent(hWnd);
        if (wnd && wnd->PreTranslateMessage(msg))
            return TRUE;
        if (!(::GetWindowLongPtrW(hWnd, GWL_STYLE) & WS_CHILD))
            break;
    }
    return FALSE;
}

// ---- modal loop ----------------------------------------------------------

// A message the modal loop took: the thread object's map sees the thread's
// own messages (a request posted to the thread while a dialog runs), its
// windows' messages go up through PreTranslateMessage.
static BOOL PreTranslateForThread(MSG* msg)
{
    CWinThread* thread = CWinThread::GetCurrent();
    return thread ? thread->PreTranslateMessage(msg) : AfxPreTranslateMessage(msg);
}

int CWnd::RunModalLoop(DWORD flags)
{
    BOOL showOnIdle = (flags & MLF_SHOWONIDLE) && !(GetStyle() & WS_VISIBLE);
    m_nFlags |= WF_MODALLOOP | WF_CONTINUEMODAL;
    MSG msg = {};
    while (ContinueModal()) {
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (showOnIdle) {
                ShowWindow(SW_SHOWNORMAL);
                UpdateWindow();
                showOnIdle = FALSE;
                // Showing may have posted messages: look again before waiting.
                continue;
            }
            // Temporaries handed out by a handler further up must stay valid
            // while a nested loop runs; only the outermost loop frees them.
            if (AfxWndProcDepth() == 0)
                AfxDeleteTempMaps();
            ::WaitMessage();
            continue;
        }
        if (!::GetMessageW(&msg, nullptr, 0, 0)) {
            // The thread is quitting: leave the loop and let the outer loop see it too.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!PreTranslateForThread(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    m_nFlags &= ~(WF_MODALLOOP | WF_CONTINUEMODAL);
    return m_nModalResult;
}

void CWnd::EndModalLoop(int result)
{
    m_nModalResult = result;
    if (m_nFlags & WF_CONTINUEMODAL) {
        m_nFlags &= ~WF_CONTINUEMODAL;
        // Wakes the loop in case it is waiting (through the thread's queue
        // when the window is already being destroyed).
        if (!PostMessage(WM_NULL))
            ::PostThreadMessageW(::GetCurrentThreadId(), WM_NULL, 0, 0);
    }
}

// ---- data exchange -------------------------------------------------------

void CWnd::DoDataExchange(CDataExchange*) {}

BOOL CWnd::UpdateData(BOOL saveAndValidate)
{
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

// ---- helpers -------------------------------------------------------------

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT flags)
{
    DWORD style = GetStyle();
    DWORD changed = (style & ~remove) | add;
    if (changed == style)
        return FALSE;
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(changed));
    if (flags)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
    return TRUE;
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT flags)
{
    DWORD style = GetExStyle();
    DWORD changed = (style & ~remove) | add;
    if (changed == style)
        return FALSE;
    ::SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, static_cast<LONG_PTR>(changed));
    if (flags)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
    return TRUE;
}

void CWnd::ClientToScreen(LPRECT rect) const
{
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<LPPOINT>(rect), 2);
}

void CWnd::ScreenToClient(LPRECT rect) const
{
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<LPPOINT>(rect), 2);
}

void CWnd::CenterWindow(CWnd* alternateOwner)
{
    HWND owner = alternateOwner ? alternateOwner->m_hWnd : ::GetWindow(m_hWnd, GW_OWNER);
    CRect area;
    if (owner && !(GetStyle() & WS_CHILD))
        ::GetWindowRect(owner, &area);
    else
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    CRect rect;
    GetWindowRect(&rect);
    int x = area.left + (area.Width() - rect.Width()) / 2;
    int y = area.top + (area.Height() - rect.Height()) / 2;
    if (GetStyle() & WS_CHILD) {
        POINT pt = {x, y};
        ::ScreenToClient(::GetParent(m_hWnd), &pt);
        x = pt.x, y = pt.y;
    }
    SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWnd::GetWindowText(CString& text) const
{
    int length = GetWindowTextLength();
    LPWSTR buffer = text.GetBuffer(length);
    ::GetWindowTextW(m_hWnd, buffer, length + 1);
    text.ReleaseBuffer();
}

int CWnd::GetDlgItemText(int id, CString& text) const
{
    HWND item = ::GetDlgItem(m_hWnd, id);
    text.Empty();
    if (!item)
        return 0;
    CWnd::FromHandle(item)->GetWindowText(text);
    return text.GetLength();
}

void CWnd::RepositionBars(UINT first, UINT last, UINT)
{
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        UINT id = static_cast<UINT>(::GetDlgCtrlID(child));
        if (id >= first && id <= last)
            ::SendMessageW(child, WM_SIZE, 0, 0);
    }
}

CWnd* CWnd::GetTopLevelParent() const
{
    HWND hWnd = m_hWnd;
    while (hWnd && (::GetWindowLongPtrW(hWnd, GWL_STYLE) & WS_CHILD))
        hWnd = ::GetParent(hWnd);
    return FromHandle(hWnd);
}

int CWnd::MessageBox(LPCWSTR text, LPCWSTR caption, UINT type)
{
    return ::MessageBoxW(m_hWnd, text, caption ? caption : AfxGetAppName(), type);
}
