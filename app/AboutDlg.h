#pragma once
// The About box of the main window's system menu.

#include "Afx.h"
#include "resource.h"

class CAboutDlg : public CDialogEx {
public:
    enum { IDD = IDD_ABOUTBOX };

    CAboutDlg();

protected:
    void DoDataExchange(CDataExchange* pDX) override;

    DECLARE_MESSAGE_MAP()
};
