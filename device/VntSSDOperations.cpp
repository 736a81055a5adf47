// The device operations of the drive object: one per library function, the
// library chosen by bus type and the drive's library index appended last.

#include "VntSSD.h"

#include <cstdlib>
#include <cstring>

#include "Trace.h"
#include "VntAtad.h"
#include "VntNvmed.h"

namespace {

// The SATA library takes 16-bit lengths and counts: the low 16 bits are passed.
WORD Low16(DWORD value)
{
    return static_cast<WORD>(value & 0xFFFF);
}

// A firmware chunk in library units. A length that is not a whole number of
// units is rounded up: the chunk buffers are zero-filled beyond the image, and
// dropping the tail would lose firmware bytes while the download reports success.
DWORD WholeUnits(DWORD bytes, DWORD unit)
{
    return static_cast<DWORD>((static_cast<ULONGLONG>(bytes) + unit - 1) / unit);
}

const DWORD kBlockSize = 512;
const DWORD kNvmeFwUnit = 4;
const DWORD kSataFwUnit = 512;
const DWORD kNameBufferSize = 1024;
const DWORD kFwModeBufferSize = 256;

const DWORD kEfuseCommandReg = 0xFF501144;
const DWORD kEfuseDataReg = 0xFF50114C;
const DWORD kEfuseReadReg = 0xFF501150;
const DWORD kMdioReg = 0xFF50100C;
const DWORD kTemperatureReg = 0xFF5011A8;

} // namespace

int VntSSD::DeviceOpen()
{
    return IsNvme() ? NvmeOpenByInst(m_index, m_devInst) : VaOpenByInst(m_index, m_devInst);
}

int VntSSD::DeviceClose()
{
    return IsNvme() ? NvmeClose(m_index) : VaClose(m_index);
}

int VntSSD::DeviceCapacity(ULONGLONG* capacity)
{
    return IsNvme() ? NvmeCapacity(capacity, m_index) : VaCapacity(capacity, m_index);
}

int VntSSD::DeviceGetDiskNum(int* diskNum)
{
    return IsNvme() ? NvmeGetDiskNum(diskNum, m_index) : VaGetDiskNum(diskNum, m_index);
}

int VntSSD::DeviceGetDevName(CString& name)
{
    char buffer[kNameBufferSize] = {};
    int result = IsNvme() ? NvmeGetDevName(buffer, m_index) : VaGetDevName(buffer, m_index);
    // The library may fill the whole buffer: the text ends inside it.
    buffer[kNameBufferSize - 1] = '\0';
    name.Format(L"%S", buffer);
    return result;
}

int VntSSD::DeviceReadCapacity10(char* text)
{
    return IsNvme() ? NvmeReadCapacity10(text, m_index) : VaReadCapacity10(text, m_index);
}

int VntSSD::DeviceGetPath2(BYTE volume, DWORD* letterIndex)
{
    return IsNvme() ? NvmeGetPath2(volume, letterIndex, m_index) : VaGetPath2(volume, letterIndex, m_index);
}

int VntSSD::DeviceGetWriteCache(int* state)
{
    return IsNvme() ? NvmeGetWriteCache(state, m_index) : VaGetWriteCache(state, m_index);
}

int VntSSD::DeviceSetWriteCache(int state)
{
    return IsNvme() ? NvmeSetWriteCache(state, m_index) : VaSetWriteCache(state, m_index);
}

// The identify data always lands in m_ataIdentify, 512 bytes.
int VntSSD::DeviceIdentify(BYTE* /*buffer*/, WORD /*length*/)
{
    const WORD length = sizeof(m_ataIdentify);
    return IsNvme() ? NvmeIdentify(m_ataIdentify, length, m_index) : VaIdentify(length, m_ataIdentify, m_index);
}

int VntSSD::DeviceSmartLog()
{
    return DeviceSmartLog(m_smartLog);
}

int VntSSD::DeviceSmartLog(BYTE* buffer)
{
    if (!IsNvme()) {
        return FALSE;
    }
    memset(buffer, 0, sizeof(m_smartLog));
    return NvmeSmartLog(sizeof(m_smartLog), buffer, m_index);
}

int VntSSD::DeviceGetFeature(BYTE feature, DWORD* dword0, BYTE* buffer, DWORD length)
{
    if (!IsNvme()) {
        return FALSE;
    }
    return NvmeGetFeature(feature, length, buffer, dword0, m_index);
}

int VntSSD::DeviceFormat()
{
    return IsNvme() ? NvmeFormat(m_index) : VaSecurityErase(m_index);
}

int VntSSD::DeviceFwDownload(DWORD offset, DWORD size, BYTE* data)
{
    if (IsNvme()) {
        return NvmeFwDownload2(WholeUnits(offset, kNvmeFwUnit), WholeUnits(size, kNvmeFwUnit), data, m_index);
    }
    return VaFwDownload(3, Low16(WholeUnits(offset, kSataFwUnit)), Low16(WholeUnits(size, kSataFwUnit)), data, m_index);
}

int VntSSD::DeviceFwActivate(BYTE arg0, BYTE arg1)
{
    return IsNvme() ? NvmeFwActivate(arg0, arg1, m_index) : VaFwActivate(m_index);
}

// `text` is the library's 256-byte mode buffer; the text ends inside it.
int VntSSD::DeviceGetFwMode(char* text)
{
    int result = IsNvme() ? NvmeGetFwMode(text, m_index) : VaGetFWMode(text, m_index);
    if (text != nullptr) {
        text[kFwModeBufferSize - 1] = '\0';
    }
    return result;
}

int VntSSD::DeviceSetFwMode(BYTE mode)
{
    return IsNvme() ? NvmeSetFwMode(mode, m_index) : VaSetFWMode(mode, m_index);
}

int VntSSD::DeviceReboot(BYTE mode)
{
    return IsNvme() ? NvmeReboot(mode, m_index) : VaReboot(mode, m_index);
}

int VntSSD::DeviceEraseNor(BYTE value)
{
    return IsNvme() ? NvmeEraseNor(value, m_index) : VaEraseNor(value, m_index);
}

int VntSSD::DeviceReadReg(DWORD address, DWORD length, BYTE* buffer)
{
    return IsNvme() ? NvmeReadReg(address, length, buffer, m_index)
                    : VaReadReg(address, Low16(length), buffer, m_index);
}

int VntSSD::DeviceWriteReg(DWORD address, DWORD length, BYTE* data)
{
    return IsNvme() ? NvmeWriteReg(address, length, data, m_index) : VaWriteReg(address, Low16(length), data, m_index);
}

int VntSSD::DeviceReadBlk(DWORD address, DWORD blocks, DWORD /*length*/, BYTE* buffer)
{
    return IsNvme() ? NvmeReadBlk(address, blocks, blocks * kBlockSize, buffer, m_index)
                    : VaReadBlk(address, Low16(blocks), buffer, m_index);
}

int VntSSD::DeviceWriteBlk(DWORD address, DWORD blocks, DWORD /*length*/, BYTE* data)
{
    return IsNvme() ? NvmeWriteBlk(address, blocks, blocks * kBlockSize, data, m_index)
                    : VaWriteBlk(address, Low16(blocks), data, m_index);
}

int VntSSD::DeviceLlfInit(BYTE arg0, BYTE arg1)
{
    return IsNvme() ? NvmeLlfInit(arg0, arg1, m_index) : VaLLFInit(arg0, arg1, m_index);
}

int VntSSD::DeviceLlfAll()
{
    return IsNvme() ? NvmeLlfAll(m_index) : VaLLFAll(m_index);
}

int VntSSD::DeviceLlfResp(DWORD length, BYTE* buffer)
{
    return IsNvme() ? NvmeLlfResp(length, buffer, m_index) : VaLLFResponse(Low16(length), buffer, m_index);
}

int VntSSD::DeviceLlfSsdInfo(WORD value, DWORD length, BYTE* buffer)
{
    return IsNvme() ? NvmeLlfSsdInfo(value, length, buffer, m_index)
                    : VaLLFSSDInfo(value, Low16(length), buffer, m_index);
}

int VntSSD::DeviceLlfEraseNand(BYTE value)
{
    return IsNvme() ? NvmeLlfEraseNand(value, m_index) : VaLLFEraseNand(value, m_index);
}

int VntSSD::DeviceSelfTest(BYTE item, BYTE blocks)
{
    return IsNvme() ? NvmeSelfTest(item, blocks, m_index) : VaSelfTest(item, blocks, m_index);
}

int VntSSD::DeviceNandReadId(BYTE arg0, BYTE arg1, BYTE arg2, DWORD length, BYTE* buffer)
{
    return IsNvme() ? NvmeNandReadId(arg0, arg1, arg2, length, buffer, m_index)
                    : VaNandReadID(arg0, arg1, arg2, Low16(length), buffer, m_index);
}

// The switch command carries no drive index; a drive off NVMe has no clock modes.
int VntSSD::DeviceSwitchSpeed()
{
    return IsNvme() ? NvmeSwitchSpeed(0) : TRUE;
}

int VntSSD::DeviceRead10(DWORD lba, DWORD sectors, DWORD /*length*/, BYTE* buffer)
{
    return IsNvme() ? NvmeRead10(lba, sectors, sectors * kBlockSize, buffer, m_index)
                    : VaRead10(lba, Low16(sectors), buffer, m_index);
}

int VntSSD::DeviceWrite10(DWORD lba, DWORD sectors, DWORD /*length*/, BYTE* data)
{
    return IsNvme() ? NvmeWrite10(lba, sectors, sectors * kBlockSize, data, m_index)
                    : VaWrite10(lba, Low16(sectors), data, m_index);
}

int VntSSD::DeviceSynchronizeCache10()
{
    return IsNvme() ? NvmeSychronizeCache10(m_index) : VaSychronizeCache10(m_index);
}

int VntSSD::DeviceReady()
{
    return IsNvme() ? NvmeReady(m_index) : VaReady(m_index);
}

int VntSSD::DeviceFunctionTest()
{
    return IsNvme() ? NvmeFunctionTest(m_index) : VaFunctionTest(m_index);
}

int VntSSD::DeviceGetMaxTxLen(DWORD* maxLength)
{
    return IsNvme() ? NvmeGetMaxTxLen(maxLength, m_index) : VaGetMaxTxLen(maxLength, m_index);
}

int VntSSD::DeviceLlfCalibrate(BYTE arg0, BYTE arg1)
{
    return IsNvme() ? NvmeLlfCalibrate(arg0, arg1, m_index) : VaLLFCalibrate(arg0, arg1, m_index);
}

int VntSSD::DeviceLlfExecute(BYTE arg0, BYTE arg1, DWORD arg2)
{
    return IsNvme() ? NvmeLlfExecute(arg0, arg1, arg2, m_index) : VaLLFExecute(arg0, arg1, arg2, m_index);
}

int VntSSD::DeviceLlfFwUpdate()
{
    return IsNvme() ? NvmeLlfFwUpdate(m_index) : VaLLFFWUpdate(m_index);
}

int VntSSD::DeviceLlfOdbt(BYTE value)
{
    return IsNvme() ? NvmeLlfOdbt(value, m_index) : VaLLFODBT(value, m_index);
}

int VntSSD::DeviceLlfReadId(BYTE arg0, BYTE arg1)
{
    return IsNvme() ? NvmeLlfReadId(arg0, arg1, m_index) : VaLLFReadId(arg0, arg1, m_index);
}

int VntSSD::DeviceReadLba(DWORD lba, DWORD sectors, DWORD length, BYTE* buffer)
{
    switch (m_icVersion) {
    case IC_VX1200:
    case IC_VX1300:
        return VaReadLba(lba, Low16(sectors), buffer, m_index);
    case IC_NVME_6E42:
        return NvmeReadLba(lba, sectors, length, buffer, m_index);
    default:
        return FALSE;
    }
}

int VntSSD::DeviceWriteLba(DWORD lba, DWORD sectors, DWORD /*length*/, BYTE* data)
{
    if (m_icVersion == IC_VX1200 || m_icVersion == IC_VX1300) {
        return VaWriteLba(lba, Low16(sectors), data, m_index);
    }
    return FALSE;
}

int VntSSD::GetAhciController(DEVINST disk, DEVINST* controller)
{
    DWORD instance = *controller;
    int result = VaGetAhciController(disk, &instance);
    *controller = instance;
    return result;
}

BOOL VntSSD::WriteReg32(DWORD address, DWORD value)
{
    BYTE data[4];
    memcpy(data, &value, sizeof(data));
    return DeviceWriteReg(address, sizeof(data), data) ? TRUE : FALSE;
}

BOOL VntSSD::ReadReg32(DWORD address, DWORD* value)
{
    BYTE data[4] = {};
    if (!DeviceReadReg(address, sizeof(data), data)) {
        return FALSE;
    }
    memcpy(value, data, sizeof(data));
    return TRUE;
}

BOOL VntSSD::DeviceReadEfuse(DWORD address, DWORD* value)
{
    switch (m_icVersion) {
    case IC_NVME_6E40:
    case IC_VX1100:
        return ReadEfuseIc01(address, value);
    case IC_VX1200:
    case IC_VX1300:
        return ReadEfuseIc23(address, value);
    default:
        return FALSE;
    }
}

BOOL VntSSD::DeviceWriteEfuse(DWORD address, DWORD value)
{
    switch (m_icVersion) {
    case IC_NVME_6E40:
    case IC_VX1100:
        return WriteEfuseIc01(address, value);
    case IC_VX1200:
    case IC_VX1300:
        return WriteEfuseIc23(address, value);
    default:
        return FALSE;
    }
}

BOOL VntSSD::ReadEfuseIc01(DWORD address, DWORD* value)
{
    DWORD result = 0;
    for (DWORD i = 0; i < 4; ++i) {
        DWORD reg = 0;
        if (!WriteReg32(kEfuseCommandReg, (((address + i) * 4) & 0x7C) | 0x3E01)) {
            return FALSE;
        }
        Sleep(5);
        if (!ReadReg32(kEfuseCommandReg, &reg)) {
            return FALSE;
        }
        result |= ((reg >> 16) & 0xFF) << (8 * i);
    }
    *value = result;
    return TRUE;
}

BOOL VntSSD::ReadEfuseIc23(DWORD address, DWORD* value)
{
    DWORD result = 0;
    for (DWORD i = 0; i < 2; ++i) {
        DWORD reg = 0;
        if (!WriteReg32(kEfuseCommandReg, (((address + i) * 4) & 0x7C) | 0x1E01)) {
            return FALSE;
        }
        Sleep(5);
        if (!ReadReg32(kEfuseReadReg, &reg)) {
            return FALSE;
        }
        result |= (reg & 0xFFFF) << (16 * i);
    }
    *value = result;
    AfxTraceText(L"Read efuse succeed");
    return TRUE;
}

BOOL VntSSD::WriteEfuseIc01(DWORD address, DWORD value)
{
    if (!WriteReg32(kEfuseDataReg, value)) {
        return FALSE;
    }
    return WriteReg32(kEfuseCommandReg, ((address * 4) & 0x7C) | 0x3E03);
}

BOOL VntSSD::WriteEfuseIc23(DWORD address, DWORD value)
{
    if (!WriteEfuseIc01(address, value)) {
        return FALSE;
    }
    AfxTraceText(L"Write efuse succeed");
    return TRUE;
}

BOOL VntSSD::DeviceWriteMdio(DWORD reg, DWORD value)
{
    DWORD data = (reg << 16) | 0xCC000000 | value;
    TRACE(L"dataTmp: %x\n", data);
    return WriteReg32(kMdioReg, data);
}

BOOL VntSSD::DeviceGetTemperature(DWORD* temperature)
{
    static const struct {
        DWORD reg;
        DWORD value;
        LPCWSTR failText;
    } kSteps[] = {
        {0x3B3, 0x37, L"Write mido 0x3b3 fail"},
        {0x3B2, 0x7800, L"Write mido 0x3b2 fail"},
        {0x3BA, 0x205, L"Write mido 0x3ba fail"},
        {0x3B7, 0x43, L"Write mido 0x3b7 fail"},
    };
    for (const auto& step : kSteps) {
        if (!DeviceWriteMdio(step.reg, step.value)) {
            AfxTraceText(step.failText);
            return FALSE;
        }
    }
    Sleep(1000);
    DWORD data = 0;
    BOOL read = ReadReg32(kTemperatureReg, &data);
    TRACE(L"tempData: %x\n", data);
    if (!read) {
        TRACE(L"Read register: 0x%08x fail", kTemperatureReg);
        return FALSE;
    }
    *temperature = data;
    AfxTraceText(L"Get temperature succeed");
    return TRUE;
}

BOOL VntSSD::DeviceReadMultiBlock(DWORD address, DWORD blocks, BYTE* buffer)
{
    const wchar_t* fn = L"VntSSD::DeviceReadMultiBlock";
    for (DWORD i = 0; i < blocks; ++i) {
        TRACE(L"%s -> Read blk: 0x%08x\n", fn, address);
        if (!DeviceReadBlk(address, 1, kBlockSize, buffer)) {
            TRACE(L"%s -> Read blk: 0x%08x fail\n", fn, address);
            return FALSE;
        }
        address += kBlockSize;
        buffer += kBlockSize;
    }
    return TRUE;
}

BOOL VntSSD::DeviceWriteMultiBlock(DWORD address, DWORD blocks, BYTE* data)
{
    const wchar_t* fn = L"VntSSD::DeviceWriteMultiBlock";
    for (DWORD i = 0; i < blocks; ++i) {
        TRACE(L"%s -> Write blk: 0x%08x\n", fn, address);
        if (!DeviceWriteBlk(address, 1, kBlockSize, data)) {
            TRACE(L"%s -> Write blk: 0x%08x fail\n", fn, address);
            return FALSE;
        }
        address += kBlockSize;
        data += kBlockSize;
    }
    return TRUE;
}

BOOL VntSSD::FillPattern(int pattern, BYTE* buffer, DWORD length)
{
    static const BYTE kGroup[4] = {0x55, 0x55, 0xAA, 0xAA};
    if (pattern < -6 || pattern > 255) {
        return FALSE;
    }
    srand(GetTickCount());
    for (DWORD i = 0; i < length; ++i) {
        switch (pattern) {
        case -6: // a partial last group keeps its leading bytes
            buffer[i] = kGroup[i % 4];
            break;
        case -5:
            buffer[i] = static_cast<BYTE>(0x80 - i);
            break;
        case -4:
            buffer[i] = static_cast<BYTE>(0x80 + i);
            break;
        case -3:
            buffer[i] = static_cast<BYTE>(0 - i);
            break;
        case -2:
            buffer[i] = static_cast<BYTE>(i);
            break;
        case -1:
            buffer[i] = static_cast<BYTE>(rand() & 0xFF);
            break;
        default:
            buffer[i] = static_cast<BYTE>(pattern);
            break;
        }
    }
    return TRUE;
}
