// SmartStore: the ATA SMART reader. Identity, SMART values and thresholds of a
// SATA drive come through the system's SMART control codes on the physical
// drive, bypassing the maker's libraries.

#include "SmartStore.h"

#include <cctype>
#include <cstring>

#include "PlatformSeam.h"
#include "ScopedDeviceHandle.h"

namespace {

const int kReplyDataOffset = 16; // after the buffer size and the driver status
const DWORD kSectorSize = 512;
const DWORD kEnableReplySize = 17;
const DWORD kIdentifyReplySize = 528;
const DWORD kSmartReplySize = 531;

const int kEntryCount = 30;
const int kEntryBase = 2;
const int kEntrySize = 12;

struct AtaRequest {
    DWORD controlCode;
    DWORD bufferSize;
    BYTE features;
    BYTE cylinderLow;
    BYTE cylinderHigh;
    BYTE command;
    DWORD replySize;
};

// By SmartStore::AtaCommand.
const AtaRequest kRequests[] = {
    {SMART_SEND_DRIVE_COMMAND, 0, 0xD8, 0x4F, 0xC2, 0xB0, kEnableReplySize},         // ENABLE SMART
    {SMART_RCV_DRIVE_DATA, kSectorSize, 0x00, 0x00, 0x00, 0xEC, kIdentifyReplySize}, // IDENTIFY DEVICE
    {SMART_RCV_DRIVE_DATA, kSectorSize, 0xD0, 0x4F, 0xC2, 0xB0, kSmartReplySize},    // SMART READ DATA
    {SMART_RCV_DRIVE_DATA, kSectorSize, 0xD1, 0x4F, 0xC2, 0xB0, kSmartReplySize},    // SMART READ THRESHOLDS
};

// Sends one request for drive `slot`; the reply lands in `reply` (at least
// kSmartReplySize bytes).
BOOL SendAtaRequest(HANDLE drive, BYTE slot, SmartStore::AtaCommand command, BYTE* reply)
{
    BYTE block[SmartStore::ATA_REQUEST_SIZE];
    SmartStore::BuildAtaRequest(command, slot, block);
    DWORD returned = 0;
    const AtaRequest& request = kRequests[command];
    return seam::DeviceIoControl(drive, request.controlCode, block, sizeof(block), reply, request.replySize, &returned,
                                 nullptr);
}

} // namespace

void SmartStore::BuildAtaRequest(AtaCommand command, BYTE slot, BYTE* block)
{
    const AtaRequest& request = kRequests[command];
    memset(block, 0, ATA_REQUEST_SIZE);
    memcpy(block, &request.bufferSize, sizeof(DWORD));
    block[4] = request.features;
    block[5] = 1; // sector count
    block[6] = 1; // sector number
    block[7] = request.cylinderLow;
    block[8] = request.cylinderHigh;
    block[9] = 0xA0; // drive/head
    block[10] = request.command;
    block[12] = slot; // drive number
}

BOOL SmartStore::ReadAtaSmart(BYTE diskNum)
{
    CString path;
    path.Format(L"\\\\.\\PHYSICALDRIVE%d", diskNum);
    return ReadAtaSmartByPath(path, diskNum);
}

BOOL SmartStore::ReadAtaSmartByPath(const CString& path, BYTE slot)
{
    // A drive number beyond the records has nowhere to keep its values.
    if (!IsSlot(slot)) {
        return FALSE;
    }
    ScopedDeviceHandle drive(seam::CreateFileW(path.GetString(), GENERIC_READ | GENERIC_WRITE,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                               FILE_ATTRIBUTE_SYSTEM, nullptr));
    if (!drive.IsValid()) {
        return FALSE;
    }
    return ReadOpenDrive(drive.Get(), slot);
}

BOOL SmartStore::ReadOpenDrive(HANDLE drive, BYTE slot)
{
    GETVERSIONINPARAMS& version = m_drives[slot].versionParams;
    DWORD returned = 0;
    BOOL result =
        seam::DeviceIoControl(drive, SMART_GET_VERSION, nullptr, 0, &version, sizeof(version), &returned, nullptr);
    if (result && (version.fCapabilities & CAP_SMART_CMD) != 0 && EnableSmart(drive, slot)) {
        ReadIdentify(drive, slot);
        result = ReadAttributes(drive, slot);
    }
    return result;
}

BOOL SmartStore::EnableSmart(HANDLE drive, BYTE slot)
{
    BYTE reply[kSmartReplySize] = {};
    if (!SendAtaRequest(drive, slot, ATA_ENABLE_SMART, reply)) {
        m_drives[slot].errorText.Format(L"Error %d in reading SMART Enabled flag", GetLastError());
        return FALSE;
    }
    return TRUE;
}

BOOL SmartStore::ReadIdentify(HANDLE drive, BYTE slot)
{
    BYTE reply[kSmartReplySize] = {};
    if (!SendAtaRequest(drive, slot, ATA_IDENTIFY_DEVICE, reply)) {
        return FALSE;
    }
    BYTE* identify = m_drives[slot].identify;
    memcpy(identify, reply + kReplyDataOffset, sizeof(m_drives[slot].identify));
    SwapIdString(reinterpret_cast<char*>(identify + 54), 39); // model
    SwapIdString(reinterpret_cast<char*>(identify + 20), 20); // serial number
    SwapIdString(reinterpret_cast<char*>(identify + 46), 8);  // firmware revision
    return TRUE;
}

BOOL SmartStore::ReadAttributes(HANDLE drive, BYTE slot)
{
    BYTE reply[kSmartReplySize] = {};
    if (SendAtaRequest(drive, slot, ATA_READ_DATA, reply)) {
        StoreDataSector(slot, reply + kReplyDataOffset, false);
    }

    // Thresholds land on whatever attributes the slot holds, even those of an
    // earlier read when this one's data request failed.
    memset(reply, 0, sizeof(reply));
    if (!SendAtaRequest(drive, slot, ATA_READ_THRESHOLDS, reply)) {
        return FALSE;
    }
    const BYTE* thresholds = reply + kReplyDataOffset;
    for (int i = 0; i < kEntryCount; ++i) {
        const BYTE* entry = thresholds + kEntryBase + kEntrySize * i;
        if (entry[0] == 0) {
            continue;
        }
        SmartAttribute* attribute = FindAttribute(slot, entry[0]);
        if (attribute != nullptr) {
            attribute->threshold = entry[1];
        }
    }
    return TRUE;
}

void SmartStore::SwapIdString(char* field, int length)
{
    char text[260] = {};
    if (field == nullptr || length <= 0 || length > 256) {
        return;
    }
    // Two characters per word, the first in the high byte; an odd length takes
    // in the byte after the field.
    for (int i = 0; i < length; i += 2) {
        text[i] = field[i + 1];
        text[i + 1] = field[i];
    }
    int first = 0;
    while (text[first] != '\0' && isspace(static_cast<unsigned char>(text[first]))) {
        ++first;
    }
    int last = static_cast<int>(strlen(text));
    while (last > first && isspace(static_cast<unsigned char>(text[last - 1]))) {
        --last;
    }
    char trimmed[260] = {};
    memcpy(trimmed, text + first, static_cast<size_t>(last - first));
    memcpy(field, trimmed, static_cast<size_t>(length));
}

BOOL SmartStore::ReadAll(const CArray<CString>& paths)
{
    Clear();
    if (paths.IsEmpty()) {
        return FALSE;
    }
    // The 8-bit counters wrap after 255 paths; the verdict is taken on whole
    // counts so that a long list of unreadable paths is never a success.
    INT_PTR read = 0;
    for (INT_PTR i = 0; i < paths.GetSize(); ++i) {
        if (ReadAtaSmartByPath(paths[i], static_cast<BYTE>(i))) {
            ++m_drivesWithSmart;
            ++read;
        }
        ++m_drivesScanned;
    }
    return read == paths.GetSize();
}

BOOL SmartStore::ReadAllFixedDrives()
{
    Clear();
    DWORD drives = seam::GetLogicalDrives();
    // C: reads physical drive 0, D: drive 1 and so on; A: and B: map to no
    // drive and are left out.
    for (int i = 2; i < 26; ++i) {
        if ((drives & (1u << i)) == 0) {
            continue;
        }
        wchar_t root[8] = {};
        root[0] = static_cast<wchar_t>(L'A' + i);
        root[1] = L':';
        root[2] = L'\\';
        if (seam::GetDriveTypeW(root) != DRIVE_FIXED) {
            continue;
        }
        if (ReadAtaSmart(static_cast<BYTE>(i - 2))) {
            ++m_drivesWithSmart;
        }
        ++m_drivesScanned;
    }
    return m_drivesWithSmart == m_drivesScanned;
}
