#pragma once
// Data exchange between a dialog's controls and its members (UpdateData).

#include "CString.h"

#include <windows.h>

class CWnd;

class CDataExchange {
public:
    CDataExchange(CWnd* dlgWnd, BOOL saveAndValidate) : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dlgWnd) {}

    BOOL m_bSaveAndValidate; // TRUE: controls to members
    CWnd* m_pDlgWnd;

    HWND PrepareCtrl(int id);
};

// Attaches the control object to the dialog's control (subclassing it), once:
// an object that already has a window is left as it is.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
void DDX_Text(CDataExchange* dx, int id, CString& value);
void DDX_Text(CDataExchange* dx, int id, int& value);
void DDX_Check(CDataExchange* dx, int id, int& value);
void DDX_CBIndex(CDataExchange* dx, int id, int& index);
