#pragma once
// The drive-information page: identity and state of the worker's current
// drive, its clock mode in large type, and the "Disk Information:" section
// of the log export. It also works out the clock-mode text and flag that
// the main window's clock-mode switch watches.

#include "Afx.h"
#include "StyleStatic.h"
#include "resource.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

class CKestrovaDlg;
class CSSDOpThread;

class CDriveInfoDlg : public CDialog {
    DECLARE_DYNAMIC(CDriveInfoDlg)

public:
    enum { IDD = IDD_DRIVEINFO };

    explicit CDriveInfoDlg(CKestrovaDlg* pParent);
    ~CDriveInfoDlg() override;

    // Asks the worker to re-read the current drive.
    void RequestDriveInfo();
    // Refills the page from the worker's current drive and SMART store.
    void UpdateSSDDriveInfo();
    void UpdateSmartStrings();
    void ExportInfo(FILE* fp);

    // The page's own SMART list and helpers (kept for a later layout).
    void UpdateSmartList();
    void InitSmartList();
    void FillNvmeSmartList();
    void FillSataSmartList();
    void PlaceSmartList();
    void InvalidateInfoArea();
    static void BytesToHexString(BYTE* data, int len, CString& out);
    static void AtaWordsToString(WORD* words, int count, CString& out);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnPaint();
    void LoadImages();
    void InitFonts();
    void FillSmartRows(int slot);

    DECLARE_MESSAGE_MAP()

public:
    CKestrovaDlg* m_pMainDlg;
    CSSDOpThread* m_pOpThread;

protected:
    CBitmap m_bkBitmap;
    HBITMAP m_hBkBitmap;
    BITMAP m_bkBitmapInfo;
    CStyleStatic m_labelSerial;
    CStyleStatic m_labelFirmware;
    CStyleStatic m_labelInterface;
    CStyleStatic m_labelSpeed;
    CStyleStatic m_labelDriveLetter;
    CStyleStatic m_labelLife;
    CStyleStatic m_labelCapacity;
    CStyleStatic m_labelHmb;
    CStyleStatic m_valueSerial;
    CStyleStatic m_valueFirmware;
    CStyleStatic m_valueInterface;
    CStyleStatic m_valueSpeed;
    CStyleStatic m_valueClockMode;
    CStyleStatic m_valueDriveLetter;
    CStyleStatic m_valueLife;
    CStyleStatic m_valueCapacity;
    CStyleStatic m_valueHmb;
    CStyleStatic m_labelModel;
    CStyleStatic m_labelOperationTime;
    CStyleStatic m_valueModel;
    CStyleStatic m_valueOperationTime;
    CStyleStatic m_labelSmart;

public:
    // Read by the main window's clock-mode switch.
    CString m_powerOnTimeStr;
    CString m_lifeRemaingStr;
    CString m_originalClkModeStr;
    int m_clkModeFlag;

protected:
    HICON m_hGreenIcon;
    HICON m_hRedIcon;
};
