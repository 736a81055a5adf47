#include "CDialog.h"

#include "AfxResource.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd* parent)
    : m_lpszTemplateName(MAKEINTRESOURCEW(templateId)), m_nIDHelp(templateId), m_pParentWnd(parent)
{
}

CDialog::CDialog(LPCWSTR templateName, CWnd* parent) : m_lpszTemplateName(templateName), m_pParentWnd(parent) {}

CDialog::~CDialog()
{
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this)
        CDialog::DestroyWindow();
}

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM)
{
    if (message != WM_INITDIALOG)
        return FALSE;
    CDialog* dialog = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(hWnd));
    return dialog ? dialog->OnInitDialog() : TRUE;
}

LPCDLGTEMPLATEW CDialog::LoadTemplate() const
{
    HINSTANCE module = AfxGetResourceHandle();
    HRSRC resource = ::FindResourceW(module, m_lpszTemplateName, MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    HGLOBAL loaded = resource ? ::LoadResource(module, resource) : nullptr;
    return loaded ? static_cast<LPCDLGTEMPLATEW>(::LockResource(loaded)) : nullptr;
}

BOOL CDialog::CreateIndirect(LPCDLGTEMPLATEW dialogTemplate, CWnd* parent)
{
    if (m_hWnd || !dialogTemplate)
        return FALSE;
    AfxHookWindowCreate(this);
    HWND hWnd = ::CreateDialogIndirectParamW(AfxGetResourceHandle(), dialogTemplate, parent ? parent->m_hWnd : nullptr,
                                             &AfxDlgProc, 0);
    AfxUnhookWindowCreate();
    return hWnd != nullptr && m_hWnd == hWnd;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent)
{
    return Create(MAKEINTRESOURCEW(templateId), parent);
}

BOOL CDialog::Create(LPCWSTR templateName, CWnd* parent)
{
    m_lpszTemplateName = templateName;
    if (IS_INTRESOURCE(templateName))
        m_nIDHelp = static_cast<UINT>(reinterpret_cast<UINT_PTR>(templateName));
    m_pParentWnd = parent;
    return CreateIndirect(LoadTemplate(), parent);
}

// The window the dialog belongs to: the given parent's top-level window, or
// the thread's active window.
static HWND ModalOwner(CWnd* parent)
{
    HWND owner = parent ? parent->m_hWnd : ::GetActiveWindow();
    while (owner && (::GetWindowLongPtrW(owner, GWL_STYLE) & WS_CHILD))
        owner = ::GetParent(owner);
    return owner;
}

INT_PTR CDialog::DoModal()
{
    // A dialog that already has its window (a page made by Create) cannot
    // run a second one; its window is left alone.
    if (m_hWnd)
        return -1;
    LPCDLGTEMPLATEW dialogTemplate = LoadTemplate();
    if (!dialogTemplate)
        return -1;
    HWND owner = ModalOwner(m_pParentWnd);
    BOOL enableOwner = FALSE;
    if (owner && ::IsWindowEnabled(owner)) {
        ::EnableWindow(owner, FALSE);
        enableOwner = TRUE;
    }

    m_nModalResult = -1;
    m_nFlags |= WF_CONTINUEMODAL;
    BOOL created = CreateIndirect(dialogTemplate, CWnd::FromHandle(owner));
    if (created && ContinueModal())
        RunModalLoop(MLF_SHOWONIDLE);
    m_nFlags &= ~(WF_CONTINUEMODAL | WF_MODALLOOP);
    // A window destroyed while it was being made (a control whose class is
    // not registered) ended the loop-to-be as aborted on its way out; the
    // caller must still see that the dialog never came to be.
    if (!created)
        m_nModalResult = -1;

    if (m_hWnd)
        SetWindowPos(nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    if (enableOwner)
        ::EnableWindow(owner, TRUE);
    if (owner && ::GetActiveWindow() == m_hWnd)
        ::SetActiveWindow(owner);
    DestroyWindow();
    return m_nModalResult;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::EndDialog(int result)
{
    if (m_nFlags & (WF_MODALLOOP | WF_CONTINUEMODAL))
        EndModalLoop(result);
    else
        m_nModalResult = result;
    ::EndDialog(m_hWnd, result);
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::GotoDlgCtrl(CWnd* control)
{
    if (control)
        SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control->m_hWnd), TRUE);
}

BOOL CDialog::PreTranslateMessage(MSG* msg)
{
    bool keyboard = msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST;
    bool mouse = msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST;
    if (!keyboard && !mouse)
        return FALSE;
    return ::IsDialogMessageW(m_hWnd, msg);
}
