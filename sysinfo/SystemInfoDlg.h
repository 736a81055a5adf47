#pragma once
// The system-information page: the computer's and the user's names, the
// processor, the operating system and every AHCI and NVMe storage controller
// (description, PCI location, driver name, driver version and date), kept as
// name/value pairs, shown in a two-column list and written as the
// "System Information:" section of the log export.

#include <cstdio>

#include "Afx.h"
#include "CArray.h"
#include "InfoPair.h"
#include "SystemOperation.h"
#include "resource.h"

#include <cfgmgr32.h>

class CSystemInfoDlg : public CDialog {
    DECLARE_DYNAMIC(CSystemInfoDlg)

public:
    enum { IDD = IDD_SYSTEMINFO };

    explicit CSystemInfoDlg(CWnd* parent = nullptr);
    ~CSystemInfoDlg() override;

    // Fits the list into the page once the page has its place.
    void InitLayout();

    // Gathers every fact; each step empties what it fills, so it can run again.
    void CollectSystemInfo();
    void CollectCpuInfo();
    void CollectOsInfo();
    void CollectControllerInfo();
    // Appends the four pairs of one controller.
    void AddControllerInfo(DEVINST node, CArray<InfoPair, InfoPair>& pairs);

    void FillInfoList();
    // Appends the export section to an open file (nothing for NULL).
    void ExportInfo(FILE* file);

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnPaint();
    DECLARE_MESSAGE_MAP()

    CBitmap m_bkBitmap;
    HBITMAP m_hBkBitmap = nullptr;
    BITMAP m_bkBitmapInfo = {};
    SystemOperation m_sysOp;
    InfoPair m_computerName;
    InfoPair m_userName;
    CArray<InfoPair, InfoPair> m_cpuInfo;
    CArray<InfoPair, InfoPair> m_osInfo;
    CArray<InfoPair, InfoPair> m_ahciControllers;
    CArray<InfoPair, InfoPair> m_nvmeControllers;
};
