#pragma once
// Message maps: each class that handles messages lists them between
// BEGIN_MESSAGE_MAP and END_MESSAGE_MAP; a map chains to its base class's map.
// Every entry carries a small thunk that unpacks the message's parameters and
// calls the class's handler, so handlers keep their typed signatures.

#include <windows.h>

class CCmdTarget;

// Returns TRUE when the entry handled the message; *result is the answer.
typedef BOOL (*AFX_PMSG)(CCmdTarget* target, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage; // window message, WM_COMMAND, WM_NOTIFY, or WM_REFLECT_BASE + one of them
    UINT nCode;    // notification code (WM_COMMAND, WM_NOTIFY) or control-colour kind
    UINT nID;      // first control id
    UINT nLastID;  // last control id
    AFX_PMSG pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// Messages a parent offers back to the control that sent them.
#define WM_REFLECT_BASE 0xBC00
// All WM_CTLCOLOR* kinds are mapped as one message; nCode is the kind (CTLCOLOR_*).
#ifndef WM_CTLCOLOR
#define WM_CTLCOLOR 0x0019
#endif

#define DECLARE_MESSAGE_MAP()                                                                                          \
protected:                                                                                                             \
    static const AFX_MSGMAP* GetThisMessageMap();                                                                      \
    virtual const AFX_MSGMAP* GetMessageMap() const;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                                         \
    const AFX_MSGMAP* theClass::GetMessageMap() const                                                                  \
    {                                                                                                                  \
        return GetThisMessageMap();                                                                                    \
    }                                                                                                                  \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                                                    \
    {                                                                                                                  \
        typedef theClass ThisClass;                                                                                    \
        typedef baseClass TheBaseClass;                                                                                \
        (void)sizeof(ThisClass); /* an empty map uses no thunk */                                                      \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                                              \
    {                                                                                                                  \
        0, 0, 0, 0, nullptr                                                                                            \
    }                                                                                                                  \
    }                                                                                                                  \
    ;                                                                                                                  \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]};                      \
    return &messageMap;                                                                                                \
    }

// The thunk body sees p_ (the object), m_ (the message; for WM_CTLCOLOR entries
// the CTLCOLOR_* kind), w_, l_ and r_ (the result).
#define AFX_THUNK(...)                                                                                                 \
    [](CCmdTarget* t_, UINT m_, WPARAM w_, LPARAM l_, LRESULT* r_) -> BOOL {                                           \
        ThisClass* p_ = static_cast<ThisClass*>(t_);                                                                   \
        (void)p_;                                                                                                      \
        (void)m_;                                                                                                      \
        (void)w_;                                                                                                      \
        (void)l_;                                                                                                      \
        (void)r_;                                                                                                      \
        __VA_ARGS__                                                                                                    \
    }

#define AFX_MSG_VOID(msg, call)                                                                                        \
    {                                                                                                                  \
        msg, 0, 0, 0, AFX_THUNK(p_->call; *r_ = 0; return TRUE;)                                                       \
    }                                                                                                                  \
    ,
#define AFX_MSG_RESULT(msg, call)                                                                                      \
    {                                                                                                                  \
        msg, 0, 0, 0, AFX_THUNK(*r_ = (LRESULT)(p_->call); return TRUE;)                                               \
    }                                                                                                                  \
    ,
#define AFX_POINT_ (CPoint(GET_X_LPARAM(l_), GET_Y_LPARAM(l_)))

// Window messages.
#define ON_WM_CREATE() AFX_MSG_RESULT(WM_CREATE, OnCreate(reinterpret_cast<LPCREATESTRUCT>(l_)))
#define ON_WM_DESTROY() AFX_MSG_VOID(WM_DESTROY, OnDestroy())
#define ON_WM_CLOSE() AFX_MSG_VOID(WM_CLOSE, OnClose())
#define ON_WM_PAINT() AFX_MSG_VOID(WM_PAINT, OnPaint())
#define ON_WM_NCPAINT() AFX_MSG_VOID(WM_NCPAINT, OnNcPaint())
#define ON_WM_ERASEBKGND() AFX_MSG_RESULT(WM_ERASEBKGND, OnEraseBkgnd(CDC::FromHandle(reinterpret_cast<HDC>(w_))))
#define ON_WM_SIZE() AFX_MSG_VOID(WM_SIZE, OnSize(static_cast<UINT>(w_), LOWORD(l_), HIWORD(l_)))
#define ON_WM_MOVE() AFX_MSG_VOID(WM_MOVE, OnMove(GET_X_LPARAM(l_), GET_Y_LPARAM(l_)))
#define ON_WM_SHOWWINDOW() AFX_MSG_VOID(WM_SHOWWINDOW, OnShowWindow(static_cast<BOOL>(w_), static_cast<UINT>(l_)))
#define ON_WM_TIMER() AFX_MSG_VOID(WM_TIMER, OnTimer(static_cast<UINT_PTR>(w_)))
#define ON_WM_SYSCOLORCHANGE() AFX_MSG_VOID(WM_SYSCOLORCHANGE, OnSysColorChange())
#define ON_WM_SETCURSOR()                                                                                              \
    AFX_MSG_RESULT(WM_SETCURSOR, OnSetCursor(CWnd::FromHandle(reinterpret_cast<HWND>(w_)), LOWORD(l_), HIWORD(l_)))
#define ON_WM_MOUSEMOVE() AFX_MSG_VOID(WM_MOUSEMOVE, OnMouseMove(static_cast<UINT>(w_), AFX_POINT_))
#define ON_WM_LBUTTONDOWN() AFX_MSG_VOID(WM_LBUTTONDOWN, OnLButtonDown(static_cast<UINT>(w_), AFX_POINT_))
#define ON_WM_LBUTTONUP() AFX_MSG_VOID(WM_LBUTTONUP, OnLButtonUp(static_cast<UINT>(w_), AFX_POINT_))
#define ON_WM_LBUTTONDBLCLK() AFX_MSG_VOID(WM_LBUTTONDBLCLK, OnLButtonDblClk(static_cast<UINT>(w_), AFX_POINT_))
#define ON_WM_RBUTTONDOWN() AFX_MSG_VOID(WM_RBUTTONDOWN, OnRButtonDown(static_cast<UINT>(w_), AFX_POINT_))
#define ON_WM_RBUTTONUP() AFX_MSG_VOID(WM_RBUTTONUP, OnRButtonUp(static_cast<UINT>(w_), AFX_POINT_))
#define ON_WM_MOUSELEAVE() AFX_MSG_VOID(WM_MOUSELEAVE, OnMouseLeave())
#define ON_WM_MOUSEWHEEL()                                                                                             \
    AFX_MSG_RESULT(WM_MOUSEWHEEL, OnMouseWheel(GET_KEYSTATE_WPARAM(w_), GET_WHEEL_DELTA_WPARAM(w_), AFX_POINT_))
#define ON_WM_KEYDOWN() AFX_MSG_VOID(WM_KEYDOWN, OnKeyDown(static_cast<UINT>(w_), LOWORD(l_), HIWORD(l_)))
#define ON_WM_CHAR() AFX_MSG_VOID(WM_CHAR, OnChar(static_cast<UINT>(w_), LOWORD(l_), HIWORD(l_)))
#define ON_WM_SETFOCUS() AFX_MSG_VOID(WM_SETFOCUS, OnSetFocus(CWnd::FromHandle(reinterpret_cast<HWND>(w_))))
#define ON_WM_KILLFOCUS() AFX_MSG_VOID(WM_KILLFOCUS, OnKillFocus(CWnd::FromHandle(reinterpret_cast<HWND>(w_))))
#define ON_WM_ACTIVATE()                                                                                               \
    AFX_MSG_VOID(WM_ACTIVATE,                                                                                          \
                 OnActivate(LOWORD(w_), CWnd::FromHandle(reinterpret_cast<HWND>(l_)), static_cast<BOOL>(HIWORD(w_))))
#define ON_WM_ENABLE() AFX_MSG_VOID(WM_ENABLE, OnEnable(static_cast<BOOL>(w_)))
#define ON_WM_CANCELMODE() AFX_MSG_VOID(WM_CANCELMODE, OnCancelMode())
#define ON_WM_GETDLGCODE() AFX_MSG_RESULT(WM_GETDLGCODE, OnGetDlgCode())
#define ON_WM_NCHITTEST() AFX_MSG_RESULT(WM_NCHITTEST, OnNcHitTest(AFX_POINT_))
#define ON_WM_SYSCOMMAND() AFX_MSG_VOID(WM_SYSCOMMAND, OnSysCommand(static_cast<UINT>(w_), l_))
#define ON_WM_QUERYDRAGICON() AFX_MSG_RESULT(WM_QUERYDRAGICON, OnQueryDragIcon())
#define ON_WM_GETMINMAXINFO() AFX_MSG_VOID(WM_GETMINMAXINFO, OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(l_)))
#define ON_WM_HSCROLL()                                                                                                \
    AFX_MSG_VOID(WM_HSCROLL, OnHScroll(LOWORD(w_), HIWORD(w_), CWnd::FromHandle(reinterpret_cast<HWND>(l_))))
#define ON_WM_VSCROLL()                                                                                                \
    AFX_MSG_VOID(WM_VSCROLL, OnVScroll(LOWORD(w_), HIWORD(w_), CWnd::FromHandle(reinterpret_cast<HWND>(l_))))
#define ON_WM_DRAWITEM()                                                                                               \
    {                                                                                                                  \
        WM_DRAWITEM, 0, 0, 0,                                                                                          \
            AFX_THUNK(p_->OnDrawItem(static_cast<int>(w_), reinterpret_cast<LPDRAWITEMSTRUCT>(l_)); *r_ = TRUE;        \
                      return TRUE;)                                                                                    \
    }                                                                                                                  \
    ,
#define ON_WM_MEASUREITEM()                                                                                            \
    {                                                                                                                  \
        WM_MEASUREITEM, 0, 0, 0,                                                                                       \
            AFX_THUNK(p_->OnMeasureItem(static_cast<int>(w_), reinterpret_cast<LPMEASUREITEMSTRUCT>(l_)); *r_ = TRUE;  \
                      return TRUE;)                                                                                    \
    }                                                                                                                  \
    ,
#define ON_WM_CONTEXTMENU()                                                                                            \
    AFX_MSG_VOID(WM_CONTEXTMENU, OnContextMenu(CWnd::FromHandle(reinterpret_cast<HWND>(w_)), AFX_POINT_))
#define ON_WM_CTLCOLOR()                                                                                               \
    {                                                                                                                  \
        WM_CTLCOLOR, 0, 0, 0,                                                                                          \
            AFX_THUNK(HBRUSH b_ = p_->OnCtlColor(CDC::FromHandle(reinterpret_cast<HDC>(w_)),                           \
                                                 CWnd::FromHandle(reinterpret_cast<HWND>(l_)), static_cast<UINT>(m_)); \
                      *r_ = reinterpret_cast<LRESULT>(b_); return TRUE;)                                               \
    }                                                                                                                  \
    ,

// User messages: LRESULT handler(WPARAM, LPARAM).
#define ON_MESSAGE(message, memberFxn)                                                                                 \
    {                                                                                                                  \
        message, 0, 0, 0, AFX_THUNK(*r_ = p_->memberFxn(w_, l_); return TRUE;)                                         \
    }                                                                                                                  \
    ,
// Thread messages of a user-interface thread: void handler(WPARAM, LPARAM).
#define ON_THREAD_MESSAGE(message, memberFxn)                                                                          \
    {                                                                                                                  \
        message, 0, 0, 0, AFX_THUNK(p_->memberFxn(w_, l_); *r_ = 0; return TRUE;)                                      \
    }                                                                                                                  \
    ,

// Commands and control notifications sent to the parent.
#define ON_COMMAND(id, memberFxn)                                                                                      \
    {                                                                                                                  \
        WM_COMMAND, 0, (UINT)(id), (UINT)(id), AFX_THUNK(p_->memberFxn(); *r_ = 0; return TRUE;)                       \
    }                                                                                                                  \
    ,
#define ON_COMMAND_RANGE(id, idLast, memberFxn)                                                                        \
    {                                                                                                                  \
        WM_COMMAND, 0, (UINT)(id), (UINT)(idLast), AFX_THUNK(p_->memberFxn(LOWORD(w_)); *r_ = 0; return TRUE;)         \
    }                                                                                                                  \
    ,
#define ON_CONTROL(code, id, memberFxn)                                                                                \
    {                                                                                                                  \
        WM_COMMAND, (UINT)(code), (UINT)(id), (UINT)(id), AFX_THUNK(p_->memberFxn(); *r_ = 0; return TRUE;)            \
    }                                                                                                                  \
    ,
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_CBN_DROPDOWN(id, memberFxn) ON_CONTROL(CBN_DROPDOWN, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_STN_CLICKED(id, memberFxn) ON_CONTROL(STN_CLICKED, id, memberFxn)
#define ON_NOTIFY(code, id, memberFxn)                                                                                 \
    {                                                                                                                  \
        WM_NOTIFY, (UINT)(code), (UINT)(id), (UINT)(id),                                                               \
            AFX_THUNK(*r_ = 0; p_->memberFxn(reinterpret_cast<NMHDR*>(l_), r_); return TRUE;)                          \
    }                                                                                                                  \
    ,

// Notifications the parent reflects back to the control that sent them.
#define ON_CONTROL_REFLECT(code, memberFxn)                                                                            \
    {                                                                                                                  \
        WM_REFLECT_BASE + WM_COMMAND, (UINT)(code), 0, 0, AFX_THUNK(p_->memberFxn(); *r_ = 0; return TRUE;)            \
    }                                                                                                                  \
    ,
// Extended: a handler that returns FALSE lets the parent handle the notification too.
#define ON_CONTROL_REFLECT_EX(code, memberFxn)                                                                         \
    {                                                                                                                  \
        WM_REFLECT_BASE + WM_COMMAND, (UINT)(code), 0, 0, AFX_THUNK(*r_ = 0; return p_->memberFxn() ? TRUE : FALSE;)   \
    }                                                                                                                  \
    ,
#define ON_NOTIFY_REFLECT(code, memberFxn)                                                                             \
    {                                                                                                                  \
        WM_REFLECT_BASE + WM_NOTIFY, (UINT)(code), 0, 0,                                                               \
            AFX_THUNK(*r_ = 0; p_->memberFxn(reinterpret_cast<NMHDR*>(l_), r_); return TRUE;)                          \
    }                                                                                                                  \
    ,
#define ON_NOTIFY_REFLECT_EX(code, memberFxn)                                                                          \
    {                                                                                                                  \
        WM_REFLECT_BASE + WM_NOTIFY, (UINT)(code), 0, 0,                                                               \
            AFX_THUNK(*r_ = 0; return p_->memberFxn(reinterpret_cast<NMHDR*>(l_), r_) ? TRUE : FALSE;)                 \
    }                                                                                                                  \
    ,
// A NULL brush from the handler leaves the colours to the parent.
#define ON_WM_CTLCOLOR_REFLECT()                                                                                       \
    {                                                                                                                  \
        WM_REFLECT_BASE + WM_CTLCOLOR, 0, 0, 0,                                                                        \
            AFX_THUNK(HBRUSH b_ = p_->CtlColor(CDC::FromHandle(reinterpret_cast<HDC>(w_)), static_cast<UINT>(m_));     \
                      *r_ = reinterpret_cast<LRESULT>(b_); return b_ != nullptr;)                                      \
    }                                                                                                                  \
    ,
#define ON_WM_DRAWITEM_REFLECT()                                                                                       \
    {                                                                                                                  \
        WM_REFLECT_BASE + WM_DRAWITEM, 0, 0, 0,                                                                        \
            AFX_THUNK(p_->DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(l_)); *r_ = TRUE; return TRUE;)                  \
    }                                                                                                                  \
    ,
#define ON_WM_MEASUREITEM_REFLECT()                                                                                    \
    {                                                                                                                  \
        WM_REFLECT_BASE + WM_MEASUREITEM, 0, 0, 0,                                                                     \
            AFX_THUNK(p_->MeasureItem(reinterpret_cast<LPMEASUREITEMSTRUCT>(l_)); *r_ = TRUE; return TRUE;)            \
    }                                                                                                                  \
    ,
