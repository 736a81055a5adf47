#include "CDialogEx.h"

IMPLEMENT_DYNAMIC(CDialogEx, CDialog)

BEGIN_MESSAGE_MAP(CDialogEx, CDialog)
END_MESSAGE_MAP()
