#pragma once
// One drive on one of the maker's controllers: its identity, capacity, volumes
// and buffers, filled through the maker's device libraries, and one Device...
// operation per library function. The worker owns every instance.

#include <windows.h>
#include <cfgmgr32.h>

#include "CString.h"

enum BusType {
    BUS_TYPE_NVME = 0, // NVMe controller, VntNvmed.dll
    BUS_TYPE_SATA = 1, // SATA disk, VntAtad.dll
    BUS_TYPE_AHCI = 2, // SATA disk behind an AHCI controller, VntAtad.dll
};

// Controller family: selects the LBA access, firmware-update and dump routes.
enum IcVersion {
    IC_NVME_6E40 = 0,
    IC_VX1100 = 1,
    IC_VX1200 = 2,
    IC_VX1300 = 3,
    IC_NVME_6E42 = 4,
};

class VntSSD {
public:
    VntSSD();
    VntSSD(int index, DEVINST devInst, int busType);
    ~VntSSD();

    void Reset();
    void Init(int index, DEVINST devInst, int busType);

    // Fill operations; each opens and closes the drive itself.
    BOOL GetControllerInfo();
    BOOL GetDiskInfo();

    BOOL GetParent();
    BOOL GetSectorSize(DWORD* sectorSize);
    BOOL GetVolumes();
    int GetSataSpeed();
    void GetPcieSpeed();
    void SetIcVersionForNvme();
    void SetIcVersionForSata();

    static void HexTextToUInt64(CString text, ULONGLONG* value);
    static void AtaWordsToString(const WORD* words, int wordCount, char* out);

    BOOL DeviceGetIcReversion(BYTE* reversion);

    // Library operations: the NVMe library for BUS_TYPE_NVME, the SATA library
    // otherwise; the library's result is passed on (non-zero = success).
    int DeviceOpen();
    int DeviceClose();
    int DeviceCapacity(ULONGLONG* capacity);
    int DeviceGetDiskNum(int* diskNum);
    int DeviceGetDevName(CString& name);
    int DeviceReadCapacity10(char* text);
    int DeviceGetPath2(BYTE volume, DWORD* letterIndex);
    int DeviceGetWriteCache(int* state);
    int DeviceSetWriteCache(int state);
    int DeviceIdentify(BYTE* buffer, WORD length);
    int DeviceSmartLog();
    // The same read into a caller's 512 bytes, leaving m_smartLog alone: a
    // caller that guards m_smartLog with a lock fills its own buffer while
    // the drive answers and copies it in under the lock.
    int DeviceSmartLog(BYTE* buffer);
    int DeviceGetFeature(BYTE feature, DWORD* dword0, BYTE* buffer, DWORD length);
    int DeviceFormat();
    int DeviceFwDownload(DWORD offset, DWORD size, BYTE* data);
    int DeviceFwActivate(BYTE arg0, BYTE arg1);
    int DeviceGetFwMode(char* text);
    int DeviceSetFwMode(BYTE mode);
    int DeviceReboot(BYTE mode);
    int DeviceEraseNor(BYTE value);
    int DeviceReadReg(DWORD address, DWORD length, BYTE* buffer);
    int DeviceWriteReg(DWORD address, DWORD length, BYTE* data);
    int DeviceReadBlk(DWORD address, DWORD blocks, DWORD length, BYTE* buffer);
    int DeviceWriteBlk(DWORD address, DWORD blocks, DWORD length, BYTE* data);
    int DeviceLlfInit(BYTE arg0, BYTE arg1);
    int DeviceLlfAll();
    int DeviceLlfResp(DWORD length, BYTE* buffer);
    int DeviceLlfSsdInfo(WORD value, DWORD length, BYTE* buffer);
    int DeviceLlfEraseNand(BYTE value);
    int DeviceSelfTest(BYTE item, BYTE blocks);
    int DeviceNandReadId(BYTE arg0, BYTE arg1, BYTE arg2, DWORD length, BYTE* buffer);
    int DeviceSwitchSpeed();
    int DeviceRead10(DWORD lba, DWORD sectors, DWORD length, BYTE* buffer);
    int DeviceWrite10(DWORD lba, DWORD sectors, DWORD length, BYTE* data);
    int DeviceSynchronizeCache10();
    int DeviceReady();
    int DeviceFunctionTest();
    int DeviceGetMaxTxLen(DWORD* maxLength);
    int DeviceLlfCalibrate(BYTE arg0, BYTE arg1);
    int DeviceLlfExecute(BYTE arg0, BYTE arg1, DWORD arg2);
    int DeviceLlfFwUpdate();
    int DeviceLlfOdbt(BYTE value);
    int DeviceLlfReadId(BYTE arg0, BYTE arg1);

    // Chosen by controller family rather than bus type.
    int DeviceReadLba(DWORD lba, DWORD sectors, DWORD length, BYTE* buffer);
    int DeviceWriteLba(DWORD lba, DWORD sectors, DWORD length, BYTE* data);

    static int GetAhciController(DEVINST disk, DEVINST* controller);

    // Composite helpers over the register and block calls.
    BOOL DeviceReadEfuse(DWORD address, DWORD* value);
    BOOL DeviceWriteEfuse(DWORD address, DWORD value);
    BOOL ReadEfuseIc01(DWORD address, DWORD* value);
    BOOL ReadEfuseIc23(DWORD address, DWORD* value);
    BOOL WriteEfuseIc01(DWORD address, DWORD value);
    BOOL WriteEfuseIc23(DWORD address, DWORD value);
    BOOL DeviceWriteMdio(DWORD reg, DWORD value);
    BOOL DeviceGetTemperature(DWORD* temperature);
    BOOL DeviceReadMultiBlock(DWORD address, DWORD blocks, BYTE* buffer);
    BOOL DeviceWriteMultiBlock(DWORD address, DWORD blocks, BYTE* data);
    static BOOL FillPattern(int pattern, BYTE* buffer, DWORD length);

    int m_index;
    DEVINST m_devInst;
    DEVINST m_childInst;
    DEVINST m_parentInst;
    int m_busType;
    int m_icVersion;
    BYTE m_icReversion;
    CString m_driverNameStr;
    CString m_devNameStr;
    CString m_venIdStr;
    CString m_devIdStr;
    int m_pcieGen;
    int m_pcieLane;
    int m_sataSpeed;
    int m_diskNum;
    ULONGLONG m_capacity;
    DWORD m_sectorSize;
    CString m_volumeStr;
    int m_writeCache;
    DWORD m_hmbFeature;
    BYTE m_ataIdentify[512];
    BYTE m_nvmeIdCtrl[4096];
    BYTE m_nvmeIdNs[4096];
    BYTE m_smartLog[512];
    BYTE m_featureData[4096];
    BYTE m_pciConfig[256];
    char m_serialNum[21];
    char m_modelName[41];
    char m_fwVersion[9];
    char m_version[17];

private:
    bool IsNvme() const { return m_busType == BUS_TYPE_NVME; }
    BOOL FillControllerInfoNvme();
    BOOL FillControllerInfoSata();
    void ReadControllerIds();
    BOOL ReadDiskBasics();
    BOOL FillDiskIdentityNvme();
    BOOL FillDiskIdentitySata();
    BOOL WriteReg32(DWORD address, DWORD value);
    BOOL ReadReg32(DWORD address, DWORD* value);
};
