#include "CRichEditCtrl.h"

IMPLEMENT_DYNAMIC(CRichEditCtrl, CWnd)

BEGIN_MESSAGE_MAP(CRichEditCtrl, CWnd)
END_MESSAGE_MAP()

BOOL AfxInitRichEdit2()
{
    // Loaded once and kept for the life of the process, as the class must stay registered.
    static HMODULE library = ::LoadLibraryW(L"riched20.dll");
    return library != nullptr;
}
