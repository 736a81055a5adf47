#pragma once
// The framework's extended dialog: the same dialog, as the program's
// top-level windows derive from it.

#include "CDialog.h"

class CDialogEx : public CDialog {
    DECLARE_DYNAMIC(CDialogEx)

public:
    CDialogEx() = default;
    explicit CDialogEx(UINT templateId, CWnd* parent = nullptr) : CDialog(templateId, parent) {}
    explicit CDialogEx(LPCWSTR templateName, CWnd* parent = nullptr) : CDialog(templateName, parent) {}

protected:
    DECLARE_MESSAGE_MAP()
};
