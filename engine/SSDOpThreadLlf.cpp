// The low-level-format request: its guards, the folder's "config.ini", and
// the five-step sequence that puts the controller into its low-level-format
// firmware, downloads the configuration and the DRAM code, runs the format
// and reboots the controller.

#include "SSDOpThread.h"

#include <io.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "DiskOperation.h"
#include "EngineWait.h"
#include "FileUtil.h"
#include "LlfLimits.h"
#include "ScopedDriveOpen.h"
#include "ScopedHeapBlock.h"
#include "VntNvmed.h"
#include "define.h"

namespace {

const char kLlfSection[] = "TEST_PARAMETER";
const DWORD kConfigAddress = 0x8021F000;
const DWORD kDramCodeAddress = 0x100000;
const UINT kBlock = 512;
const UINT kResponseLength = 512;
const DWORD kOneSecond = 1000;
// Fixed seconds between the start of the format proper and its first poll.
const int kLlfAllSettleSeconds = 25;

// A file opened with the C runtime, closed when its holder goes out of scope.
struct FileCloser {
    void operator()(FILE* file) const { fclose(file); }
};
typedef std::unique_ptr<FILE, FileCloser> ScopedFile;

ScopedFile OpenForReading(const CString& path)
{
    return ScopedFile(_wfopen(path, L"rb"));
}

} // namespace

// ---- request and configuration ---------------------------------------------

void CSSDOpThread::OnLowLevelFormat(WPARAM folder, LPARAM)
{
    // The page's buffer may change once the request is taken: work on a copy,
    // made first thing (and only while the window is open).
    CString folderText;
    OperationLock operation(this, L"CSSDOpThread::OnLowLevelFormat", folder, &folderText);
    if (!operation.Acquired())
        return;
    VntSSD* device = GetRequestDevice();
    if (!device) {
        PostInfoMessage(INFO_KIND_RESULT, L"No device!");
        return;
    }
    if (DiskOperation::IsSystemDisk(device->m_childInst)) {
        PostInfoMessage(INFO_KIND_RESULT, L"Operation fail, OS is running on the selected device!");
        return;
    }
    m_llfResPathStr = folderText;
    if (m_llfResPathStr.IsEmpty()) {
        PostInfoMessage(INFO_KIND_RESULT, L"Please select resource path for llf!");
        return;
    }
    LoadLlfConfig(m_llfResPathStr);

    std::string narrowFolder = WideToNarrowString(m_llfResPathStr);
    std::string iniPath = narrowFolder + "config.ini";
    std::string binPath = narrowFolder + "config.bin";
    // A failed conversion is reported, but the sequence still runs: it sends
    // whatever "config.bin" the folder holds and stops at that step without one.
    if (!NvmeConfigToBin(iniPath.c_str(), binPath.c_str()))
        PostInfoMessage(INFO_KIND_RESULT, L"Generate configure file fail");
    LowLevelFormat();
}

BOOL CSSDOpThread::LoadLlfConfig(CString folder)
{
    m_configIni.SetPath(folder + L"config.ini");
    m_configIni.Read();

    m_llfStep = 0;
    m_stepDelayMs = 100;
    m_dlSpi = m_configIni.GetBool(kLlfSection, "DL_SPI", false);
    m_pollIntervalMs = 1000;
    // Timeouts are bounded so that the poll count and every later product
    // with them fit 32 bits and no wait lasts beyond a day.
    m_llfAllTimeout = LlfClampSeconds(m_configIni.GetInt(kLlfSection, "LLF_ALL_TIMEOUT", 200));
    m_llfPollCount = LlfPollCount(m_llfAllTimeout, m_pollIntervalMs);
    m_selfTestTimeout = LlfClampSeconds(m_configIni.GetInt(kLlfSection, "SELF_TEST_TIMEOUT", 10));
    m_llfInitTimeout = LlfClampSeconds(m_configIni.GetInt(kLlfSection, "LLF_INIT_TIMEOUT", 60));
    m_resetDeviceTimeout = LlfClampSeconds(m_configIni.GetInt(kLlfSection, "RESET_DEVICE_TIMEOUT", 10));
    m_llfToNormalTimeout = LlfClampSeconds(m_configIni.GetInt(kLlfSection, "LLF_TO_NORMAL_TIMEOUT", 30));
    m_fcTestItem = static_cast<BYTE>(m_configIni.GetInt(kLlfSection, "SELF_TEST_FCTEST_ITEM", 0));
    m_fcScanBlkNum = static_cast<BYTE>(m_configIni.GetInt(kLlfSection, "SELF_TEST_FCSCAN_BLKNUM", 1));
    m_setFlashType = m_configIni.GetInt(kLlfSection, "SET_FLASH_TYPE", 0);
    m_flashType = m_configIni.GetHex(kLlfSection, "FLASH_TYPE", 0x8A25);

    m_configIni.Reset();
    return TRUE;
}

// ---- the sequence -----------------------------------------------------------

BOOL CSSDOpThread::LowLevelFormat()
{
    static const LlfStep kSteps[] = {
        {L"Switch to llf mode", &CSSDOpThread::SwitchToLlfMode, L"Switch to llf mode fail"},
        {L"Downloading configure file", &CSSDOpThread::LoadConfigureFile, L"Download configure file fail"},
        {L"Configuring llf parameter", &CSSDOpThread::SetConfigure, L"Configure llf parameter fail"},
        {L"Doing low level format", &CSSDOpThread::DoLlf, L"Do llf fail"},
    };
    BOOL result = FALSE;
    bool stepsPassed = true;
    for (const LlfStep& step : kSteps) {
        PostInfoMessage(INFO_KIND_STATUS, step.status);
        result = (this->*step.run)();
        if (!result) {
            PostInfoMessage(INFO_KIND_RESULT, step.failure);
            stepsPassed = false;
            break;
        }
        EngineWait(m_stepDelayMs);
        ++m_llfStep;
    }
    if (stepsPassed) {
        // The reboot only chooses the advice: the format itself is done.
        PostInfoMessage(INFO_KIND_STATUS, L"Reboot device");
        result = ResetDevice();
        EngineWait(m_stepDelayMs);
        PostInfoMessage(INFO_KIND_RESULT, result ? L"Low level format succeed! Please reboot to take effect."
                                                 : L"Low level format succeed! Please shutdown to take effect.");
    }
    SetProgress(0);
    return result;
}

BOOL CSSDOpThread::SwitchToLlfMode()
{
    CString header;
    header.Format(L"-- Step %d -- Switch To Llf Mode  ->  ", m_llfStep);
    VntSSD* device = GetRequestDevice();
    ScopedDriveOpen drive(device);
    if (!drive.Open()) {
        DebugPrint(L"%s Open device fail", header.GetString());
        return FALSE;
    }
    if (!device->DeviceSetFwMode(1)) {
        DebugPrint(L"%s Set fw mode to llf mode fail", header.GetString());
        return FALSE;
    }
    DebugPrint(L"%s  Pass", header.GetString());
    return TRUE;
}

BOOL CSSDOpThread::LoadConfigureFile()
{
    CString header;
    header.Format(L"-- Step %d -- Load Configure File  ->", m_llfStep);
    CString path;
    path.Format(L"%s%S", m_llfResPathStr.GetString(), "config.bin");
    return DownloadLlfImage(header, path, L"%s Check configure file fail", kConfigAddress, 100,
                            &CSSDOpThread::LogLlfPass);
}

BOOL CSSDOpThread::SetConfigure()
{
    CString header;
    header.Format(L"-- Step %d -- Set Configure  ->", m_llfStep);
    return RunLlfJob(header, LLF_JOB_INIT, m_llfInitTimeout, TRUE, TRUE);
}

BOOL CSSDOpThread::DoLlf()
{
    CString header;
    header.Format(L"-- Step %d -- Do LLF  ->", m_llfStep);
    CString path = m_llfResPathStr + L"bank_dram.ram";
    // The download logs its own failures; its progress takes the first quarter.
    return DownloadLlfImage(header, path, L"%s Check dram code file fail", kDramCodeAddress, 25,
                            &CSSDOpThread::StartLlfAll);
}

BOOL CSSDOpThread::StartLlfAll(VntSSD* device, const CString& header)
{
    if (!device->DeviceLlfAll()) {
        DebugPrint(L"%s Llf all fail", header.GetString());
        return FALSE;
    }
    return AwaitLlfAll(device, header);
}

// The format proper: a fixed wait while the controller starts it, then the
// response polls until it reports the end, an error or the polls run out.
BOOL CSSDOpThread::AwaitLlfAll(VntSSD* device, const CString& header)
{
    for (int second = 1; second <= kLlfAllSettleSeconds; ++second) {
        EngineWait(kOneSecond);
        SetProgress(25 + second);
    }
    DebugPrint(L"**Retry to get response\n");
    BYTE block[kResponseLength] = {};
    DWORD interval = static_cast<DWORD>(m_pollIntervalMs > 0 ? m_pollIntervalMs : 0);
    LlfPollOutcome outcome = PollLlfResponse(device, header, m_llfPollCount, interval, block, TRUE, 50, 50, TRUE);
    if (outcome == LLF_POLL_FINISHED)
        DebugPrint(L"%s Pass", header.GetString());
    else if (outcome == LLF_POLL_TIMEOUT)
        DebugPrint(L"%s Timeout", header.GetString());
    else if (outcome == LLF_POLL_ERROR)
        DebugPrint(L"%s Fail! Error Code: 0x%02x%02x", header.GetString(), block[3], block[2]);
    return outcome == LLF_POLL_FINISHED;
}

BOOL CSSDOpThread::ResetDevice()
{
    CString header;
    header.Format(L"-- Step %02d -- Reset Device  ->", m_llfStep);
    VntSSD* device = GetRequestDevice();
    ScopedDriveOpen drive(device);
    if (!drive.Open()) {
        DebugPrint(L"%s Open device fail", header.GetString());
        return FALSE;
    }
    if (!device->DeviceReboot(2)) {
        DebugPrint(L"%s Device reboot fail", header.GetString());
        return FALSE;
    }
    return TRUE;
}

// ---- response decoding and files --------------------------------------------

int CSSDOpThread::CheckResponse(const BYTE* response, UINT length, UINT* progress)
{
    // A block too short to hold state, percent and error code tells nothing:
    // treated as an error rather than read past its end.
    if (!response || length < 4)
        return 1;
    UINT errorCode = response[3] * 256u + response[2];
    if (errorCode != 0) {
        DebugPrint(L"CheckResponse, Get error code: 0x%04x\n", errorCode);
        return 1;
    }
    if (response[0] == 0 && response[1] == 100) {
        DebugPrint(L"CheckResponse get progress 100\n");
        return 0;
    }
    if (progress)
        *progress = response[1];
    return 2;
}

BOOL CSSDOpThread::SaveLlfResponse(const void* data, UINT length)
{
    CString path;
    GetModuleDir(path);
    return SaveBufferToFile(path + L"LlfResp.dat", data, length);
}

BOOL CSSDOpThread::GetFileLength(CString& path, ULONGLONG* size)
{
    if (!FindFileByPattern(path))
        return FALSE;
    ScopedFile file = OpenForReading(path);
    if (!file)
        return FALSE;
    LONGLONG length = _filelengthi64(_fileno(file.get()));
    if (length < 0)
        return FALSE;
    if (size)
        *size = static_cast<ULONGLONG>(length);
    return TRUE;
}

BOOL CSSDOpThread::ReadFileData(CString path, void* buffer, UINT size)
{
    ScopedFile file = OpenForReading(path);
    if (!file) {
        DebugPrint(L"Open file: %s fail\n", path.GetString());
        return FALSE;
    }
    return fread(buffer, 1, size, file.get()) == size;
}

BOOL CSSDOpThread::CompareBlock(const void* a, const void* b, int length)
{
    return length <= 0 || std::memcmp(a, b, static_cast<size_t>(length)) == 0;
}

// ---- shared pieces of the steps ---------------------------------------------

BOOL CSSDOpThread::CheckImageFile(const CString& header, CString& path, LPCWSTR checkText, DWORD address,
                                  ULONGLONG* size)
{
    // An empty file would send nothing and pass; one that does not fit the
    // controller's address space is refused before a byte of it is read.
    if (!GetFileLength(path, size) || !LlfImageFits(*size, address)) {
        DebugPrint(checkText, header.GetString());
        return FALSE;
    }
    return TRUE;
}

BOOL CSSDOpThread::DownloadLlfImage(const CString& header, CString path, LPCWSTR checkText, DWORD address, int span,
                                    LlfAfterDownload then)
{
    ULONGLONG size = 0;
    if (!CheckImageFile(header, path, checkText, address, &size))
        return FALSE;
    VntSSD* device = GetRequestDevice();
    ScopedDriveOpen drive(device);
    if (!drive.Open()) {
        DebugPrint(L"%s Open device fail", header.GetString());
        return FALSE;
    }
    BOOL result = WriteImageBlocks(device, header, path, size, address, kBlock, span, FALSE);
    if (result)
        result = (this->*then)(device, header);
    drive.Close();
    SetProgress(0);
    return result;
}

BOOL CSSDOpThread::LogLlfPass(VntSSD*, const CString& header)
{
    DebugPrint(L"%s Pass", header.GetString());
    return TRUE;
}

BOOL CSSDOpThread::WriteImageBlocks(VntSSD* device, const CString& header, const CString& path, ULONGLONG size,
                                    DWORD address, UINT blockSize, int span, BOOL pauseBeforeReadBack)
{
    // The last block is padded with zeros: the buffer is zeroed before the read.
    ULONGLONG rounded = LlfRoundToBlocks(size);
    ScopedHeapBlock image(static_cast<SIZE_T>(rounded));
    if (!image.IsValid() || !ReadFileData(path, image.Get(), static_cast<UINT>(size))) {
        DebugPrint(L"%s Get data from file fail", header.GetString());
        return FALSE;
    }
    ScopedHeapBlock readBack(blockSize);
    if (!readBack.IsValid()) {
        DebugPrint(L"%s Get data from file fail", header.GetString());
        return FALSE;
    }
    BYTE* data = image.As<BYTE>();
    for (ULONGLONG offset = 0; offset < rounded;) {
        UINT length = static_cast<UINT>(rounded - offset < blockSize ? rounded - offset : blockSize);
        DWORD target = address + static_cast<DWORD>(offset);
        if (!device->DeviceWriteBlk(target, length / kBlock, length, data + offset)) {
            DebugPrint(L"%s Write block fail", header.GetString());
            return FALSE;
        }
        if (pauseBeforeReadBack)
            EngineWait(m_stepDelayMs);
        ZeroMemory(readBack.Get(), length);
        if (!device->DeviceReadBlk(target, length / kBlock, length, readBack.As<BYTE>())) {
            DebugPrint(L"%s Read block fail", header.GetString());
            return FALSE;
        }
        if (!CompareBlock(data + offset, readBack.Get(), static_cast<int>(length))) {
            DebugPrint(L"%s Compare block fail", header.GetString());
            return FALSE;
        }
        offset += length;
        // 64-bit: bytes done times the span overflows 32 bits for large images.
        SetProgress(static_cast<int>(offset * static_cast<ULONGLONG>(span) / rounded));
    }
    return TRUE;
}

CSSDOpThread::LlfPollOutcome CSSDOpThread::PollLlfResponse(VntSSD* device, const CString& header, int limit,
                                                           DWORD intervalMs, BYTE* block, BOOL saveOnError,
                                                           int progressBase, int progressSpan, BOOL logProgress)
{
    for (int count = 0; count < limit;) {
        EngineWait(intervalMs);
        if (!device->DeviceLlfResp(kResponseLength, block)) {
            DebugPrint(L"%s Llf get response fail", header.GetString());
            return LLF_POLL_READ_FAIL;
        }
        UINT percent = 0;
        switch (CheckResponse(block, kResponseLength, &percent)) {
        case 1:
            if (saveOnError)
                SaveLlfResponse(block, kResponseLength);
            return LLF_POLL_ERROR;
        case 0:
            SetProgress(100);
            return LLF_POLL_FINISHED;
        default:
            ++count;
            if (logProgress)
                DebugPrint(L"**Get progress: %d\n", percent);
            SetProgress(progressBase + static_cast<int>(percent) * progressSpan / 100);
            break;
        }
    }
    return LLF_POLL_TIMEOUT;
}
