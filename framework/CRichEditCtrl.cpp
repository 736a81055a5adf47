#include "CRichEditCtrl.h"

IMPLEMENT_DYNAMIC(CRichEditCtrl, CWnd)

BEGIN_MESSAGE_MAP(CRichEditCtrl, CWnd)
END_MESSAGE_MAP()

BOOL AfxInitRichEdit2()
{
    // Loaded once and kept for the life of the process, as the class must stay
    // registered; from the system folder only, never from beside the program.
    static HMODULE library = ::LoadLibraryExW(L"riched20.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return library != nullptr;
}
