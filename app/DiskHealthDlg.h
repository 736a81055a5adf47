#pragma once
// The drive-health page: gauges for the current drive's life remaining and
// temperature, its total amount written and its flash id, and four buttons
// that ask the worker to re-read the SMART data or the flash id. The main
// window creates it hidden; the drive page's log section reads its values.

#include "Afx.h"
#include "CylinderGauge.h"
#include "IconButton.h"
#include "StyleStatic.h"
#include "resource.h"

#include <cstdio>

class CKestrovaDlg;
class CSSDOpThread;

class CDiskHealthDlg : public CDialog {
    DECLARE_DYNAMIC(CDiskHealthDlg)

public:
    enum { IDD = IDD_DISKHEALTH };

    explicit CDiskHealthDlg(CWnd* pParent);
    ~CDiskHealthDlg() override;

    void ExportInfo(FILE* file);
    void ShowFlashId(ULONGLONG flashId);
    void UpdateHealth();

    CKestrovaDlg* m_pMainDlg;
    CSSDOpThread* m_pOpThread;

protected:
    CBitmap m_bkBitmap;
    HBITMAP m_hBkBitmap;
    BITMAP m_bkInfo;
    HICON m_hIconLife;
    HICON m_hIconWrite;
    HICON m_hIconTemperature;
    HICON m_hIconFlashId;
    CIconButton m_btnLifeRemaining;
    CIconButton m_btnTotalWrite;
    CIconButton m_btnTemperature;
    CIconButton m_btnFlashId;
    CStyleStatic m_staticTotalWrite;
    CStyleStatic m_staticFlashId;
    CCylinderGauge m_gaugeLife;
    CCylinderGauge m_gaugeTemperature;
    Gdiplus::Color m_tempColorLow;
    Gdiplus::Color m_tempColorMid;
    Gdiplus::Color m_tempColorHigh;

public:
    // Read directly by the drive page's log section.
    ULONGLONG m_lifeRemaining;
    double m_totalWriteGB;
    double m_temperature;
    CString m_flashIdStr;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnPaint();
    void OnBnClickedTemperature();
    void OnBnClickedTotalWrite();
    void OnBnClickedLifeRemaining();
    void OnBnClickedFlashId();
    void LoadImages();
    void FreeImages();
    void RequestSmartRead();

    DECLARE_MESSAGE_MAP()
};
