#pragma once
// A dialog from a template of the resource module: modal (DoModal runs the
// framework's own message loop, so every window on the way up gets
// PreTranslateMessage and the dialog its IsDialogMessage) or modeless
// (Create, e.g. a child page). The object is attached to the window before
// the window's first message, so WM_INITDIALOG reaches OnInitDialog.

#include "CWnd.h"

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)

public:
    CDialog() = default;
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    explicit CDialog(LPCWSTR templateName, CWnd* parent = nullptr);
    ~CDialog() override;

    // Creates, runs and destroys the dialog (through the virtual DestroyWindow);
    // the owner is disabled meanwhile. Returns the EndDialog result, or -1
    // when the dialog could not be created.
    virtual INT_PTR DoModal();
    // Modeless: the dialog stays until destroyed.
    BOOL Create(UINT templateId, CWnd* parent = nullptr);
    BOOL Create(LPCWSTR templateName, CWnd* parent = nullptr);
    BOOL CreateIndirect(LPCDLGTEMPLATEW dialogTemplate, CWnd* parent);

    // Runs the data exchange to the controls (UpdateData(FALSE)); TRUE lets
    // the platform set the focus.
    virtual BOOL OnInitDialog();
    void EndDialog(int result);

    void GotoDlgCtrl(CWnd* control);
    void NextDlgCtrl() const { SendMessage(WM_NEXTDLGCTL, 0, 0); }
    void PrevDlgCtrl() const { SendMessage(WM_NEXTDLGCTL, 1, 0); }
    void SetDefID(UINT id) { SendMessage(DM_SETDEFID, id, 0); }
    DWORD GetDefID() const { return static_cast<DWORD>(SendMessage(DM_GETDEFID, 0, 0)); }

    BOOL PreTranslateMessage(MSG* msg) override;

    LPCWSTR m_lpszTemplateName = nullptr;
    UINT m_nIDHelp = 0;
    CWnd* m_pParentWnd = nullptr;

protected:
    // IDOK: UpdateData(TRUE) and EndDialog(IDOK); IDCANCEL (Esc, WM_CLOSE): EndDialog(IDCANCEL).
    virtual void OnOK();
    virtual void OnCancel();

    DECLARE_MESSAGE_MAP()

private:
    LPCDLGTEMPLATEW LoadTemplate() const;
};

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
