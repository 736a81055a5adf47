#pragma once
// The result box: the final text of a maintenance operation in bold, centred
// in a read-only rich edit, beside a success, failure or warning icon, over
// a stretched background bitmap. Each result gets a new box, run modally.

#include "Afx.h"
#include "IconButton.h"
#include "resource.h"

#define MSGINFO_SUCCESS 0
#define MSGINFO_FAIL 1
#define MSGINFO_WARNING 2

class CMessageInfoDlg : public CDialogEx {
    DECLARE_DYNAMIC(CMessageInfoDlg)

public:
    enum { IDD = IDD_MESSAGEINFO };

    CMessageInfoDlg(int kind, CString text);
    explicit CMessageInfoDlg(CWnd* parent);
    ~CMessageInfoDlg() override;

    // Replaces kind and text before the box is run.
    void SetMessage(int kind, CString text);
    // Line feeds in the text plus one.
    static int CountLines(const CString& text);

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnPaint();

    void LoadImages();
    void FreeImages();

    DECLARE_MESSAGE_MAP()

    CBitmap m_bkBitmap;
    HBITMAP m_hBkBitmap = nullptr;
    BITMAP m_bkInfo = {};
    HICON m_hIconSuccess = nullptr;
    HICON m_hIconFail = nullptr;
    HICON m_hIconWarning = nullptr;
    HICON m_hIconOk = nullptr;
    CIconButton m_btnIcon;
    CIconButton m_btnOk;
    int m_kind = MSGINFO_SUCCESS;
    CString m_text;
};
