#include "VntSSD.h"

#include <cstring>
#include <cwchar>
#include <cstdlib>

#include "DeviceOperation.h"
#include "PlatformSeam.h"
#include "VntNvmed.h"
#include "define.h"

namespace {

// Controller revision register: its low nibble is the revision.
const DWORD kIcReversionReg = 0xFF501230;

// Identify Controller: serial, model and firmware revision byte ranges.
const int kIdCtrlSerialOffset = 4;
const int kIdCtrlSerialLength = 20;
const int kIdCtrlModelOffset = 24;
const int kIdCtrlModelLength = 40;
const int kIdCtrlFirmwareOffset = 64;
const int kIdCtrlFirmwareLength = 8;

// The capability list of a configuration space holds at most this many
// entries (dwords 0x40..0xFF); a longer walk means a looping list.
const int kMaxPciCapabilities = 48;

// Up to 4 characters after `marker` in `id`; the field keeps its value when
// the marker is absent.
void TakeIdField(const CString& id, LPCWSTR marker, CString& field)
{
    int pos = id.Find(marker);
    if (pos >= 0) {
        field = id.Mid(pos + static_cast<int>(wcslen(marker)), 4);
    }
}

// The first SATA chip name found in a lower-cased text, searched in family order.
bool FindChipName(const CString& text, int* icVersion)
{
    static const struct {
        LPCWSTR name;
        int version;
    } kChips[] = {{L"vx1100", IC_VX1100}, {L"vx1200", IC_VX1200}, {L"vx1300", IC_VX1300}};
    for (const auto& chip : kChips) {
        if (text.Find(chip.name) >= 0) {
            *icVersion = chip.version;
            return true;
        }
    }
    return false;
}

} // namespace

VntSSD::VntSSD()
{
    Reset();
}

VntSSD::VntSSD(int index, DEVINST devInst, int busType)
{
    Reset();
    Init(index, devInst, busType);
}

VntSSD::~VntSSD() = default;

void VntSSD::Reset()
{
    m_index = 0;
    m_devInst = 0;
    m_childInst = 0;
    m_parentInst = 0;
    m_busType = BUS_TYPE_NVME;
    m_icVersion = IC_NVME_6E40;
    m_icReversion = 2;
    m_pcieGen = 0;
    m_pcieLane = 0;
    m_sataSpeed = 0;
    m_diskNum = 0;
    m_capacity = 0;
    m_sectorSize = 0;
    m_writeCache = 0;
    m_hmbFeature = 0;
    memset(m_ataIdentify, 0, sizeof(m_ataIdentify));
    memset(m_nvmeIdCtrl, 0, sizeof(m_nvmeIdCtrl));
    memset(m_nvmeIdNs, 0, sizeof(m_nvmeIdNs));
    memset(m_smartLog, 0, sizeof(m_smartLog));
    memset(m_featureData, 0, sizeof(m_featureData));
    memset(m_pciConfig, 0, sizeof(m_pciConfig));
    memset(m_serialNum, 0, sizeof(m_serialNum));
    memset(m_modelName, 0, sizeof(m_modelName));
    memset(m_fwVersion, 0, sizeof(m_fwVersion));
    memset(m_version, 0, sizeof(m_version));
}

void VntSSD::Init(int index, DEVINST devInst, int busType)
{
    m_index = index;
    m_devInst = devInst;
    m_busType = busType;
}

BOOL VntSSD::GetControllerInfo()
{
    m_driverNameStr.Empty();
    m_hmbFeature = 0;
    memset(m_nvmeIdCtrl, 0, sizeof(m_nvmeIdCtrl));
    memset(m_nvmeIdNs, 0, sizeof(m_nvmeIdNs));
    memset(m_featureData, 0, sizeof(m_featureData));
    memset(m_pciConfig, 0, sizeof(m_pciConfig));

    switch (m_busType) {
    case BUS_TYPE_NVME:
        return FillControllerInfoNvme();
    case BUS_TYPE_SATA:
        return FillControllerInfoSata();
    default:
        return TRUE;
    }
}

void VntSSD::ReadControllerIds()
{
    wchar_t idBuffer[MAX_PATH] = {};
    seam::CM_Get_Device_IDW(m_devInst, idBuffer, MAX_PATH, 0);
    idBuffer[MAX_PATH - 1] = L'\0';
    CString id(idBuffer);
    id.MakeUpper();
    TakeIdField(id, L"VEN_", m_venIdStr);
    TakeIdField(id, L"DEV_", m_devIdStr);
}

BOOL VntSSD::FillControllerInfoNvme()
{
    const wchar_t* fn = L"VntSSD::GetControllerInfo";
    ReadControllerIds();
    if (!GetParent()) {
        DebugPrint(L"%s -> GetParent fail\n", fn);
        return FALSE;
    }
    if (!DeviceOpen()) {
        DebugPrint(L"%s -> DeviceOpen fail\n", fn);
        return FALSE;
    }
    DebugPrint(L"%s -> NvmeStatus\n", fn);
    if (!NvmeStatus(0, sizeof(m_nvmeIdCtrl), m_nvmeIdCtrl, m_index)) {
        DebugPrint(L"%s -> NvmeStatus fail\n", fn);
        DeviceClose();
        return FALSE;
    }
    if (!NvmeGetFeature(0x0D, sizeof(m_featureData), m_featureData, &m_hmbFeature, m_index)) {
        DebugPrint(L"%s -> NvmeGetFeature fail\n", fn);
    }
    NvmeReadPcieConfigSpace(0, sizeof(m_pciConfig), m_pciConfig, m_index);
    if (!DeviceGetIcReversion(&m_icReversion)) {
        DebugPrint(L"%s -> Get ic reversion fail\n", fn);
    }
    DebugPrint(L"%s -> Get ic reversion: %d\n", fn, m_icReversion);
    DeviceOperation::GetDevPropertyStr(m_devInst, SPDRP_SERVICE, m_driverNameStr);
    m_driverNameStr.MakeLower();
    DebugPrint(L"%s -> NVMe controller driver name: %s\n", fn, m_driverNameStr.GetString());
    DeviceClose();
    return TRUE;
}

BOOL VntSSD::FillControllerInfoSata()
{
    const wchar_t* fn = L"VntSSD::GetControllerInfo";
    if (!GetParent()) {
        DebugPrint(L"%s -> GetParent fail\n", fn);
        return FALSE;
    }
    DebugPrint(L"%s -> Get parent for %d: %d\n", fn, m_devInst, m_parentInst);
    DeviceOperation::GetDevPropertyStr(m_parentInst, SPDRP_SERVICE, m_driverNameStr);
    m_driverNameStr.MakeLower();
    DebugPrint(L"%s -> Sata parent device driver name: %s\n", fn, m_driverNameStr.GetString());
    return TRUE;
}

BOOL VntSSD::GetParent()
{
    DEVINST parent = 0;
    CONFIGRET result = seam::CM_Get_Parent(&parent, m_devInst, 0);
    if (result != CR_SUCCESS) {
        DebugPrint(L"%s -> CM_Get_Parent fail: %u\n", L"VntSSD::GetParent", result);
        return FALSE;
    }
    m_parentInst = parent;
    return TRUE;
}

BOOL VntSSD::GetDiskInfo()
{
    const wchar_t* fn = L"VntSSD::GetDiskInfo";
    m_capacity = 0;
    m_sectorSize = 0;
    m_devNameStr.Empty();
    m_volumeStr.Empty();
    memset(m_ataIdentify, 0, sizeof(m_ataIdentify));
    memset(m_nvmeIdNs, 0, sizeof(m_nvmeIdNs));
    memset(m_smartLog, 0, sizeof(m_smartLog));
    memset(m_serialNum, 0, sizeof(m_serialNum));
    memset(m_modelName, 0, sizeof(m_modelName));
    memset(m_fwVersion, 0, sizeof(m_fwVersion));
    memset(m_version, 0, sizeof(m_version));

    if (!DeviceOpen()) {
        DebugPrint(L"%s -> DeviceOpen fail\n", fn);
        return FALSE;
    }
    if (!ReadDiskBasics()) {
        DeviceClose();
        return FALSE;
    }
    GetVolumes();
    DebugPrint(L"%s -> Get device write cache info\n", fn);
    if (!DeviceGetWriteCache(&m_writeCache)) {
        DebugPrint(L"%s -> Get device write cache fail\n", fn);
    }

    BOOL result = TRUE;
    if (m_busType == BUS_TYPE_NVME) {
        result = FillDiskIdentityNvme();
    } else if (m_busType == BUS_TYPE_SATA) {
        result = FillDiskIdentitySata();
    }
    DeviceClose();
    return result;
}

// Disk number, device name, capacity and sector size, each announced before it
// runs; the first failure ends the fill.
BOOL VntSSD::ReadDiskBasics()
{
    const wchar_t* fn = L"VntSSD::GetDiskInfo";
    DebugPrint(L"%s -> DeviceGetDiskNum\n", fn);
    if (!DeviceGetDiskNum(&m_diskNum)) {
        DebugPrint(L"%s -> DeviceGetDiskNum fail\n", fn);
        return FALSE;
    }
    DebugPrint(L"%s -> DeviceGetDevName\n", fn);
    if (!DeviceGetDevName(m_devNameStr)) {
        DebugPrint(L"%s -> DeviceGetDevName fail\n", fn);
        return FALSE;
    }
    DebugPrint(L"%s -> DeviceCapacity\n", fn);
    if (!DeviceCapacity(&m_capacity)) {
        DebugPrint(L"%s -> DeviceCapacity fail\n", fn);
        return FALSE;
    }
    DebugPrint(L"%s -> GetSectorSize\n", fn);
    if (!GetSectorSize(&m_sectorSize)) {
        DebugPrint(L"%s -> GetSectorSize fail\n", fn);
        return FALSE;
    }
    return TRUE;
}

BOOL VntSSD::FillDiskIdentityNvme()
{
    const wchar_t* fn = L"VntSSD::GetDiskInfo";
    memcpy(m_serialNum, m_nvmeIdCtrl + kIdCtrlSerialOffset, kIdCtrlSerialLength);
    memcpy(m_modelName, m_nvmeIdCtrl + kIdCtrlModelOffset, kIdCtrlModelLength);
    memcpy(m_fwVersion, m_nvmeIdCtrl + kIdCtrlFirmwareOffset, kIdCtrlFirmwareLength);

    // A failed child lookup leaves no node rather than whatever the call wrote.
    DEVINST child = 0;
    if (seam::CM_Get_Child(&child, m_devInst, 0) != CR_SUCCESS) {
        child = 0;
    }
    m_childInst = child;

    DebugPrint(L"%s -> NvmeStatusLun\n", fn);
    if (!NvmeStatusLun(0, 0, sizeof(m_nvmeIdNs), m_nvmeIdNs, m_index)) {
        DebugPrint(L"%s -> NvmeStatusLun fail\n", fn);
        return FALSE;
    }
    SetIcVersionForNvme();
    return TRUE;
}

BOOL VntSSD::FillDiskIdentitySata()
{
    if (!DeviceIdentify(m_ataIdentify, sizeof(m_ataIdentify))) {
        DebugPrint(L"%s -> DeviceIdentify fail\n", L"VntSSD::GetDiskInfo");
        return FALSE;
    }
    GetSataSpeed();
    const WORD* words = reinterpret_cast<const WORD*>(m_ataIdentify);
    AtaWordsToString(words + 10, 10, m_serialNum);
    AtaWordsToString(words + 27, 20, m_modelName);
    AtaWordsToString(words + 23, 4, m_fwVersion);
    AtaWordsToString(words + 129, 8, m_version);
    m_childInst = m_devInst;
    SetIcVersionForSata();
    return TRUE;
}

BOOL VntSSD::GetSectorSize(DWORD* sectorSize)
{
    char buffer[260] = {};
    DeviceReadCapacity10(buffer);
    buffer[sizeof(buffer) - 1] = '\0';

    CString text(buffer);
    text.Trim(L' ');
    // The last four byte pairs and their three separating blanks: the block length.
    text = text.Right(11);
    ULONGLONG value = 0;
    HexTextToUInt64(text, &value);
    *sectorSize = static_cast<DWORD>(value);
    return TRUE;
}

BOOL VntSSD::GetVolumes()
{
    BOOL found = FALSE;
    for (BYTE volume = 0; volume < 26; ++volume) {
        DWORD letterIndex = 0;
        if (DeviceGetPath2(volume, &letterIndex)) {
            m_volumeStr += L' ';
            m_volumeStr += static_cast<wchar_t>(L'A' + letterIndex);
            found = TRUE;
        }
    }
    m_volumeStr.Trim(L' ');
    return found;
}

int VntSSD::GetSataSpeed()
{
    // IDENTIFY word 77, bits 3..1: the negotiated SATA speed.
    m_sataSpeed = (m_ataIdentify[154] >> 1) & 0x07;
    return m_sataSpeed;
}

void VntSSD::GetPcieSpeed()
{
    const wchar_t* fn = L"VntSSD::GetPcieSpeed";
    const int size = static_cast<int>(sizeof(m_pciConfig));
    int pointer = m_pciConfig[0x34];
    for (int step = 0; step < kMaxPciCapabilities && pointer != 0 && pointer != 0xFF; ++step) {
        if (pointer + 1 >= size) {
            return;
        }
        BYTE capabilityId = m_pciConfig[pointer];
        DebugPrint(L"%s -> Cap point: 0x%02x, data: 0x%02x\n", fn, pointer, capabilityId);
        if (capabilityId == 0x10) {
            if (pointer + 0x13 >= size) {
                return;
            }
            WORD linkStatus = static_cast<WORD>(m_pciConfig[pointer + 0x12] | (m_pciConfig[pointer + 0x13] << 8));
            m_pcieGen = linkStatus & 0x0F;
            m_pcieLane = (linkStatus >> 4) & 0x3F;
            DebugPrint(L"%s -> Speed info: 0x%04x, gen: %d, lane: %d\n", fn, linkStatus, m_pcieGen, m_pcieLane);
            return;
        }
        pointer = m_pciConfig[pointer + 1];
    }
}

void VntSSD::SetIcVersionForNvme()
{
    CString devId = m_devIdStr;
    devId.MakeLower();
    if (devId.Find(L"6e40") >= 0 || devId.Find(L"6e41") >= 0) {
        m_icVersion = IC_NVME_6E40;
    } else if (devId.Find(L"6e42") >= 0 || devId.Find(L"6e43") >= 0) {
        m_icVersion = IC_NVME_6E42;
    } else {
        m_icVersion = IC_NVME_6E40;
    }
    DebugPrint(L"%s -> [DEV %d] Device type: %s\n", L"VntSSD::SetIcVersionForNvme", m_index, devId.GetString());
}

void VntSSD::SetIcVersionForSata()
{
    CString model(m_modelName);
    CString version(m_version);
    model.MakeLower();
    version.MakeLower();

    // The model names the chip first; the version text only when it does not.
    m_icVersion = IC_VX1100;
    if (!FindChipName(model, &m_icVersion)) {
        FindChipName(version, &m_icVersion);
    }
    DebugPrint(L"%s -> Device type: %s\n", L"VntSSD::SetIcVersionForSata", version.GetString());
}

void VntSSD::HexTextToUInt64(CString text, ULONGLONG* value)
{
    text.MakeLower();
    text.Remove(L' ');
    const wchar_t* start = text.GetString();
    wchar_t* end = nullptr;
    ULONGLONG parsed = wcstoull(start, &end, 16);
    if (end != start) {
        *value = parsed;
    }
}

void VntSSD::AtaWordsToString(const WORD* words, int wordCount, char* out)
{
    if (words == nullptr || out == nullptr) {
        return;
    }
    memset(out, 0, static_cast<size_t>(wordCount) * 2);
    const BYTE* bytes = reinterpret_cast<const BYTE*>(words);
    for (int i = 0; i < wordCount; ++i) {
        // ATA strings keep the first character of each word in its high byte.
        out[2 * i] = static_cast<char>(bytes[2 * i + 1]);
        out[2 * i + 1] = static_cast<char>(bytes[2 * i]);
    }
}

BOOL VntSSD::DeviceGetIcReversion(BYTE* reversion)
{
    BYTE data[4] = {};
    if (!DeviceReadReg(kIcReversionReg, sizeof(data), data)) {
        DebugPrint(L"%s -> Read reg 0x%08x fail\n", L"VntSSD::DeviceGetIcReversion", kIcReversionReg);
        return FALSE;
    }
    *reversion = data[0] & 0x0F;
    return TRUE;
}
