// Further low-level-format steps and the sequence built from them: the mode
// check, the low-level-format code and SPI NOR downloads, the NAND erase, the
// self test, the flash-type tag, and the restarts that disable and re-enable
// the controller's device node.

#include "SSDOpThread.h"

#include <cstring>

#include "EngineWait.h"
#include "LlfLimits.h"
#include "PlatformSeam.h"
#include "ScopedDeviceInfoSet.h"
#include "ScopedDriveOpen.h"
#include "define.h"

namespace {

const DWORD kBanka1Address = 0x80100000;
const DWORD kSpiAddress = 0xBFC40000;
const UINT kSpiBlockSize = 4096;
const DWORD kSpiTagAddress = 0xBFC7FFFC;
const BYTE kSpiTag[4] = {0x22, 0x11, 0x22, 0x11};
const DWORD kFlashConfigRegister = 0xFF501020;
// Bit 3 of the flash configuration register chooses where the tag lives.
const BYTE kFlashConfigAltTag = 0x08;
const DWORD kFlashTagAddress = 0xBFC7FFE0;
const DWORD kFlashTagAltAddress = 0xA003FFE0;
const UINT kResponseLength = 512;
const DWORD kOneSecond = 1000;
const int kEraseNandPolls = 60;
const int kFwModeLength = 256;

} // namespace

BOOL CSSDOpThread::CheckLlfMode()
{
    CString header;
    header.Format(L"-- Step %d -- Check Llf Mode  ->  ", m_llfStep);
    VntSSD* device = GetRequestDevice();
    ScopedDriveOpen drive(device);
    if (!drive.Open()) {
        DebugPrint(L"%s Open device fail", header.GetString());
        return FALSE;
    }
    char mode[kFwModeLength] = {};
    if (!device->DeviceGetFwMode(mode)) {
        DebugPrint(L"%s Get fw mode fail", header.GetString());
        return FALSE;
    }
    // The library's text need not end inside the buffer: it is cut at its end.
    mode[kFwModeLength - 1] = '\0';
    CString modeText;
    modeText.Format(L"%S", mode);
    modeText.MakeLower();
    if (modeText != L"llf mode") {
        DebugPrint(L"%s not in llf mode", header.GetString());
        return FALSE;
    }
    DebugPrint(L"%s  Pass", header.GetString());
    return TRUE;
}

BOOL CSSDOpThread::SetLlfTag()
{
    CString header;
    header.Format(L"-- Step %d -- Set Llf Tag  ->", m_llfStep);
    if (m_setFlashType == 0) {
        DebugPrint(L"%s Write flash type skipped", header.GetString());
        return TRUE;
    }
    VntSSD* device = GetRequestDevice();
    ScopedDriveOpen drive(device);
    if (!drive.Open()) {
        DebugPrint(L"%s Open device fail", header.GetString());
        return FALSE;
    }
    BYTE config = 0;
    if (!device->DeviceReadReg(kFlashConfigRegister, 1, &config)) {
        DebugPrint(L"%s Read reg fail", header.GetString());
        return FALSE;
    }
    DWORD address = (config & kFlashConfigAltTag) ? kFlashTagAltAddress : kFlashTagAddress;
    DWORD flashType = m_flashType;
    if (!device->DeviceWriteReg(address, 4, reinterpret_cast<BYTE*>(&flashType))) {
        DebugPrint(L"%s Write reg fail", header.GetString());
        return FALSE;
    }
    DWORD readBack = 0;
    if (!device->DeviceReadReg(address, 4, reinterpret_cast<BYTE*>(&readBack))) {
        DebugPrint(L"%s Read reg fail", header.GetString());
        return FALSE;
    }
    if (readBack != flashType) {
        DebugPrint(L"%s Reg Data Mismatch", header.GetString());
        return FALSE;
    }
    DebugPrint(L"%s Pass", header.GetString());
    return TRUE;
}

BOOL CSSDOpThread::DownloadBanka1()
{
    CString header;
    header.Format(L"-- Step %d -- Download banka1  ->", m_llfStep);
    CString path = m_llfResPathStr + L"banka1_llf.ram";
    return DownloadLlfImage(header, path, L"%s Check file fail", kBanka1Address, 100, &CSSDOpThread::LogLlfPass);
}

BOOL CSSDOpThread::DownloadSpi()
{
    CString header;
    header.Format(L"-- Step %d -- Download Spi  ->", m_llfStep);
    if (m_dlSpi == 0) {
        DebugPrint(L"%s Download code to spi skipped", header.GetString());
        return TRUE;
    }
    VntSSD* device = GetRequestDevice();
    if (!device) {
        DebugPrint(L"%s Open device fail", header.GetString());
        return FALSE;
    }
    // The boot image differs by interface; a drive behind AHCI has none.
    CString path;
    if (device->m_busType == BUS_TYPE_NVME)
        path = m_llfResPathStr + L"bank_nvme_imem.ram";
    else if (device->m_busType == BUS_TYPE_SATA)
        path = m_llfResPathStr + L"bank_sata_imem.ram";
    ULONGLONG size = 0;
    if (path.IsEmpty()) {
        DebugPrint(L"%s Check file fail", header.GetString());
        return FALSE;
    }
    if (!CheckImageFile(header, path, L"%s Check file fail", kSpiAddress, &size))
        return FALSE;
    ScopedDriveOpen drive(device);
    if (!drive.Open()) {
        DebugPrint(L"%s Open device fail", header.GetString());
        return FALSE;
    }
    BOOL result = FALSE;
    if (!device->DeviceEraseNor(0)) {
        DebugPrint(L"%s Erase nor flash fail", header.GetString());
    } else if (WriteImageBlocks(device, header, path, size, kSpiAddress, kSpiBlockSize, 100, TRUE)) {
        result = WriteSpiTag(device, header);
    }
    drive.Close();
    SetProgress(0);
    return result;
}

BOOL CSSDOpThread::WriteSpiTag(VntSSD* device, const CString& header)
{
    BYTE tag[sizeof(kSpiTag)];
    std::memcpy(tag, kSpiTag, sizeof(tag));
    if (!device->DeviceWriteReg(kSpiTagAddress, sizeof(tag), tag)) {
        DebugPrint(L"%s Write reg fail", header.GetString());
        return FALSE;
    }
    BYTE readBack[sizeof(kSpiTag)] = {};
    if (!device->DeviceReadReg(kSpiTagAddress, sizeof(readBack), readBack)) {
        DebugPrint(L"%s Read reg fail", header.GetString());
        return FALSE;
    }
    if (!CompareBlock(kSpiTag, readBack, sizeof(readBack))) {
        DebugPrint(L"%s Write spi tag fail", header.GetString());
        return FALSE;
    }
    DebugPrint(L"%s Pass", header.GetString());
    return TRUE;
}

BOOL CSSDOpThread::EraseNandFlash()
{
    CString header;
    header.Format(L"-- Step %d -- Erase nand flash  ->", m_llfStep);
    return RunLlfJob(header, LLF_JOB_ERASE_NAND, kEraseNandPolls, FALSE, TRUE);
}

BOOL CSSDOpThread::SelfTest()
{
    CString header;
    header.Format(L"-- Step %d -- Self Test  ->", m_llfStep);
    // The timeout is the number of one-second polls: bounded, so a negative
    // value polls never and a huge one stops within a day.
    return RunLlfJob(header, LLF_JOB_SELF_TEST, LlfClampSeconds(m_selfTestTimeout), FALSE, FALSE);
}

BOOL CSSDOpThread::RunLlfJob(const CString& header, LlfJob job, int polls, BOOL saveOnError, BOOL logPass)
{
    VntSSD* device = GetRequestDevice();
    ScopedDriveOpen drive(device);
    if (!drive.Open()) {
        DebugPrint(L"%s Open device fail", header.GetString());
        return FALSE;
    }
    BOOL success = FALSE;
    if (StartLlfJob(device, header, job)) {
        BYTE block[kResponseLength] = {};
        LlfPollOutcome outcome = PollLlfResponse(device, header, polls, kOneSecond, block, saveOnError, 0, 100, FALSE);
        success = outcome == LLF_POLL_FINISHED;
        if (!success)
            LogPollFailure(header, outcome, block);
        else if (logPass)
            DebugPrint(L"%s Pass", header.GetString());
    }
    drive.Close();
    SetProgress(0);
    return success;
}

BOOL CSSDOpThread::StartLlfJob(VntSSD* device, const CString& header, LlfJob job)
{
    BOOL started = FALSE;
    LPCWSTR failure = L"%s Llf init fail";
    switch (job) {
    case LLF_JOB_INIT:
        started = device->DeviceLlfInit(0xFF, 0xFF);
        break;
    case LLF_JOB_ERASE_NAND:
        started = device->DeviceLlfEraseNand(0);
        break;
    case LLF_JOB_SELF_TEST:
        started = device->DeviceSelfTest(m_fcTestItem, m_fcScanBlkNum);
        failure = L"%s Self test fail";
        break;
    }
    if (!started)
        DebugPrint(failure, header.GetString());
    return started;
}

void CSSDOpThread::LogPollFailure(const CString& header, LlfPollOutcome outcome, const BYTE* block)
{
    if (outcome == LLF_POLL_TIMEOUT)
        DebugPrint(L"%s Timeout", header.GetString());
    else if (outcome == LLF_POLL_ERROR)
        DebugPrint(L"%s Fail  --  Error Code: 0x%02x%02x", header.GetString(), block[3], block[2]);
}

BOOL CSSDOpThread::SwitchToNormalMode()
{
    CString header;
    header.Format(L"-- Step %d -- Switch To Normal Mode  ->", m_llfStep);
    return RestartByReenable(header, m_llfToNormalTimeout);
}

BOOL CSSDOpThread::ResetDeviceByReenable()
{
    CString header;
    header.Format(L"-- Step %d -- Reset Device  ->", m_llfStep);
    return RestartByReenable(header, m_resetDeviceTimeout);
}

BOOL CSSDOpThread::RestartByReenable(const CString& header, int waitSeconds)
{
    VntSSD* device = GetRequestDevice();
    if (!device) {
        DebugPrint(L"%s Open device fail", header.GetString());
        return FALSE;
    }
    {
        ScopedDriveOpen drive(device);
        if (!drive.Open()) {
            DebugPrint(L"%s Open device fail", header.GetString());
            return FALSE;
        }
        if (!device->DeviceReboot(2)) {
            DebugPrint(L"%s Device reboot fail", header.GetString());
            return FALSE;
        }
    }
    // The node stays disabled when the disable fails half-way: nothing more
    // can be done from here.
    if (!DisableEnableDevice(device->m_devInst, FALSE))
        return FALSE;
    // Bounded so that T + 10 is never 0 and the wait ends within a day.
    int seconds = LlfClampSeconds(waitSeconds);
    SetProgress(500 / (seconds + 10));
    for (int s = 1; s <= seconds; ++s) {
        EngineWait(kOneSecond);
        SetProgress((s + 5) * 100 / (seconds + 10));
    }
    BOOL success = DisableEnableDevice(device->m_devInst, TRUE);
    if (success) {
        SetProgress(100);
        DebugPrint(L"%s Pass", header.GetString());
    }
    SetProgress(0);
    return success;
}

BOOL CSSDOpThread::DisableEnableDevice(DEVINST devInst, BOOL enable)
{
    static const WCHAR kFn[] = L"CSSDOpThread::DisableEnableDevice";
    ScopedDeviceInfoSet set(seam::SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES));
    if (!set.IsValid()) {
        DebugPrint(L"%s -> Get device info list fail, GetLastError: %d!\n", kFn, static_cast<int>(::GetLastError()));
        return FALSE;
    }
    SP_DEVINFO_DATA data{};
    data.cbSize = sizeof(data);
    bool found = false;
    for (DWORD index = 0; seam::SetupDiEnumDeviceInfo(set.Get(), index, &data); ++index) {
        if (data.DevInst == devInst) {
            found = true;
            break;
        }
    }
    if (!found) {
        DebugPrint(L"%s -> No device match\n", kFn);
        return FALSE;
    }
    SP_PROPCHANGE_PARAMS change{};
    change.ClassInstallHeader.cbSize = sizeof(SP_CLASSINSTALL_HEADER);
    change.ClassInstallHeader.InstallFunction = DIF_PROPERTYCHANGE;
    change.StateChange = enable ? DICS_ENABLE : DICS_DISABLE;
    change.Scope = DICS_FLAG_CONFIGSPECIFIC;
    change.HwProfile = 0;
    if (!seam::SetupDiSetClassInstallParamsW(set.Get(), &data, &change.ClassInstallHeader, sizeof(change)) ||
        !seam::SetupDiCallClassInstaller(DIF_PROPERTYCHANGE, set.Get(), &data)) {
        DebugPrint(L"%s -> Fail to set state for the specific device, error: %u\n", kFn,
                   static_cast<unsigned>(::GetLastError()));
        DebugPrint(L"-- Step %d -- Switch to normal mode  ->  Disable/ enable device fail", m_llfStep);
        return FALSE;
    }
    SP_DEVINSTALL_PARAMS_W install{};
    install.cbSize = sizeof(install);
    if (seam::SetupDiGetDeviceInstallParamsW(set.Get(), &data, &install) &&
        (install.Flags & (DI_NEEDREBOOT | DI_NEEDRESTART))) {
        DebugPrint(L"%s -> Need to reboot the system.....\n", kFn);
        DebugPrint(L"-- Step %d -- Switch to normal mode  ->  Need to reboot the system", m_llfStep);
    } else {
        DebugPrint(L"%s -> DisableEnableDevice success!\n", kFn);
    }
    return TRUE;
}

BOOL CSSDOpThread::LowLevelFormatWithLlfCode()
{
    static const LlfStep kSteps[] = {
        {L"Switch to llf mode", &CSSDOpThread::SwitchToLlfMode, L"Switch to llf mode fail"},
        {L"Downloading llf code", &CSSDOpThread::DownloadBanka1, L"Download llf code fail"},
        {L"Downloading configure file", &CSSDOpThread::LoadConfigureFile, L"Download configure file fail"},
        {L"Configuring llf parameter", &CSSDOpThread::SetConfigure, L"Configure llf parameter fail"},
        {L"Doing low level format", &CSSDOpThread::DoLlf, L"Do low level format fail"},
    };
    const size_t count = sizeof(kSteps) / sizeof(kSteps[0]);
    BOOL result = FALSE;
    for (size_t i = 0; i < count; ++i) {
        PostInfoMessage(INFO_KIND_STATUS, kSteps[i].status);
        result = (this->*kSteps[i].run)();
        EngineWait(m_stepDelayMs);
        if (!result) {
            PostInfoMessage(INFO_KIND_RESULT, kSteps[i].failure);
            break;
        }
        if (i + 1 < count)
            ++m_llfStep;
    }
    if (result)
        PostInfoMessage(INFO_KIND_RESULT, L"Low level format succeed! Please reboot to take effect.");
    SetProgress(0);
    return result;
}
