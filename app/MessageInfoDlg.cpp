#include "MessageInfoDlg.h"

#include "define.h"

#include <richedit.h>

IMPLEMENT_DYNAMIC(CMessageInfoDlg, CDialogEx)

BEGIN_MESSAGE_MAP(CMessageInfoDlg, CDialogEx)
ON_WM_PAINT()
END_MESSAGE_MAP()

// Every line of the box, the leading empty ones too, is this high: 12 points.
static const int kLineTwips = 1440 / 6;
static const int kLinesPerInch = 6;

CMessageInfoDlg::CMessageInfoDlg(int kind, CString text) : CDialogEx(IDD_MESSAGEINFO, nullptr)
{
    LoadImages();
    m_kind = kind;
    m_text = text;
}

CMessageInfoDlg::CMessageInfoDlg(CWnd* parent) : CDialogEx(IDD_MESSAGEINFO, parent)
{
    m_kind = MSGINFO_SUCCESS;
    LoadImages();
}

CMessageInfoDlg::~CMessageInfoDlg()
{
    FreeImages();
}

void CMessageInfoDlg::SetMessage(int kind, CString text)
{
    m_kind = kind;
    m_text = text;
}

int CMessageInfoDlg::CountLines(const CString& text)
{
    int lines = 1;
    for (int at = text.Find(L'\n'); at >= 0; at = text.Find(L'\n', at + 1))
        ++lines;
    return lines;
}

static HICON LoadIconFile(LPCWSTR path, LPCWSTR failure)
{
    HICON icon = static_cast<HICON>(::LoadImageW(nullptr, path, IMAGE_ICON, 0, 0, LR_LOADFROMFILE));
    if (!icon)
        DebugPrint(failure, ::GetLastError());
    return icon;
}

void CMessageInfoDlg::LoadImages()
{
    m_hBkBitmap =
        static_cast<HBITMAP>(::LoadImageW(nullptr, L".\\res\\subbk.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    if (m_hBkBitmap) {
        m_bkBitmap.Attach(m_hBkBitmap);
        m_bkBitmap.GetBitmap(&m_bkInfo);
    }
    m_hIconSuccess = LoadIconFile(L".\\res\\msg_success.ico", L"Load success icon error, error num: %d\n");
    m_hIconFail = LoadIconFile(L".\\res\\msg_fail.ico", L"Load fail icon error, error num: %d\n");
    m_hIconWarning = LoadIconFile(L".\\res\\msg_warning.ico", L"Load warning icon error, error num: %d\n");
    m_hIconOk = LoadIconFile(L".\\res\\msg_ok.ico", L"Load ok icon error, error num: %d\n");
}

void CMessageInfoDlg::FreeImages()
{
    // Icons are USER objects: DestroyIcon frees them, DeleteObject would not.
    for (HICON* icon : {&m_hIconSuccess, &m_hIconFail, &m_hIconWarning, &m_hIconOk}) {
        if (*icon)
            ::DestroyIcon(*icon);
        *icon = nullptr;
    }
    m_bkBitmap.DeleteObject();
    m_hBkBitmap = nullptr;
}

void CMessageInfoDlg::DoDataExchange(CDataExchange* dx)
{
    CDialogEx::DoDataExchange(dx);
    DDX_Control(dx, IDC_BTN_MESSAGE_ICON, m_btnIcon);
    DDX_Control(dx, IDOK, m_btnOk);
}

BOOL CMessageInfoDlg::OnInitDialog()
{
    CDialogEx::OnInitDialog();

    HICON kindIcon = m_hIconSuccess;
    if (m_kind == MSGINFO_FAIL)
        kindIcon = m_hIconFail;
    else if (m_kind == MSGINFO_WARNING)
        kindIcon = m_hIconWarning;
    m_btnIcon.SetIcons(kindIcon, nullptr);
    m_btnOk.SetIcons(m_hIconOk, nullptr);
    m_btnOk.SetFlatLook(FALSE, TRUE);

    CWnd* edit = GetDlgItem(IDC_RICHEDIT_MESSAGE);
    if (!edit)
        return TRUE;

    CHARFORMATW charFormat = {};
    charFormat.cbSize = sizeof(charFormat);
    charFormat.dwMask = CFM_SIZE | CFM_BOLD;
    charFormat.dwEffects = CFE_BOLD;
    charFormat.yHeight = kLineTwips;
    edit->SendMessage(EM_SETCHARFORMAT, SCF_SELECTION | SCF_WORD, reinterpret_cast<LPARAM>(&charFormat));

    // Centre the text vertically with leading line breaks.
    CRect formatRect;
    edit->SendMessage(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&formatRect));
    CDC* dc = edit->GetDC();
    int resolution = dc ? dc->GetDeviceCaps(LOGPIXELSY) : 96;
    edit->ReleaseDC(dc);
    int lineHeight = resolution / kLinesPerInch;
    int visibleLines = lineHeight > 0 ? formatRect.Height() / lineHeight : 0;
    int leadingBreaks = (visibleLines - CountLines(m_text)) / 2;
    for (int i = 0; i < leadingBreaks; ++i)
        m_text.Insert(0, L"\r\n");

    CHARRANGE all = {0, -1};
    edit->SendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&all));
    // Some rich edit versions forget the insertion point's format when the
    // selection is set, even in an empty control: give it once more.
    edit->SendMessage(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&charFormat));

    PARAFORMAT2 paraFormat = {};
    paraFormat.cbSize = sizeof(paraFormat);
    paraFormat.dwMask = PFM_LINESPACING;
    paraFormat.dyLineSpacing = kLineTwips;
    paraFormat.bLineSpacingRule = 4; // exactly dyLineSpacing
    edit->SendMessage(EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&paraFormat));

    edit->SendMessage(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(m_text.GetString()));
    return TRUE;
}

void CMessageInfoDlg::OnPaint()
{
    CPaintDC dc(this);
    if (!m_hBkBitmap)
        return;
    CDC memory;
    memory.CreateCompatibleDC(&dc);
    HGDIOBJ old = memory.SelectObject(m_bkBitmap.m_hObject);
    CRect client;
    GetClientRect(&client);
    dc.StretchBlt(0, 0, client.Width(), client.Height(), &memory, 0, 0, m_bkInfo.bmWidth, m_bkInfo.bmHeight, SRCCOPY);
    memory.SelectObject(old);
}
