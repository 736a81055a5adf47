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

// The read steps: each sends its request and keeps the answer in the
// reading, touching no store.
SmartStore::AtaReading EmptyReading(BYTE slot)
{
    SmartStore::AtaReading reading;
    memset(&reading, 0, sizeof(reading));
    reading.slot = slot;
    return reading;
}

BOOL SendEnableSmart(HANDLE drive, SmartStore::AtaReading& reading)
{
    BYTE reply[kSmartReplySize] = {};
    reading.enableSent = TRUE;
    reading.enabled = SendAtaRequest(drive, reading.slot, SmartStore::ATA_ENABLE_SMART, reply);
    if (!reading.enabled) {
        reading.enableError = GetLastError();
    }
    return reading.enabled;
}

BOOL SendIdentify(HANDLE drive, SmartStore::AtaReading& reading)
{
    BYTE reply[kSmartReplySize] = {};
    if (!SendAtaRequest(drive, reading.slot, SmartStore::ATA_IDENTIFY_DEVICE, reply)) {
        return FALSE;
    }
    BYTE* identify = reading.identify;
    memcpy(identify, reply + kReplyDataOffset, sizeof(reading.identify));
    SmartStore::SwapIdString(reinterpret_cast<char*>(identify + 54), 39); // model
    SmartStore::SwapIdString(reinterpret_cast<char*>(identify + 20), 20); // serial number
    SmartStore::SwapIdString(reinterpret_cast<char*>(identify + 46), 8);  // firmware revision
    reading.identifyRead = TRUE;
    return TRUE;
}

// The data sector, then the thresholds whatever the data request gave; the
// result is that of the thresholds.
BOOL SendReadAttributes(HANDLE drive, SmartStore::AtaReading& reading)
{
    BYTE reply[kSmartReplySize] = {};
    if (SendAtaRequest(drive, reading.slot, SmartStore::ATA_READ_DATA, reply)) {
        memcpy(reading.data, reply + kReplyDataOffset, sizeof(reading.data));
        reading.dataRead = TRUE;
    }
    memset(reply, 0, sizeof(reply));
    if (SendAtaRequest(drive, reading.slot, SmartStore::ATA_READ_THRESHOLDS, reply)) {
        memcpy(reading.thresholds, reply + kReplyDataOffset, sizeof(reading.thresholds));
        reading.thresholdsRead = TRUE;
    }
    return reading.thresholdsRead;
}

// The version, and the SMART steps when the drive has SMART commands and
// takes the enable.
BOOL ReadOpenDrive(HANDLE drive, SmartStore::AtaReading& reading)
{
    DWORD returned = 0;
    reading.versionRead = seam::DeviceIoControl(drive, SMART_GET_VERSION, nullptr, 0, &reading.version,
                                                sizeof(reading.version), &returned, nullptr);
    reading.result = reading.versionRead;
    if (reading.versionRead && (reading.version.fCapabilities & CAP_SMART_CMD) != 0 &&
        SendEnableSmart(drive, reading)) {
        SendIdentify(drive, reading);
        reading.result = SendReadAttributes(drive, reading);
    }
    return reading.result;
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
    AtaReading reading;
    ReadAtaSmartInto(diskNum, reading);
    StoreAtaSmart(reading);
    return reading.result;
}

BOOL SmartStore::ReadAtaSmartByPath(const CString& path, BYTE slot)
{
    AtaReading reading;
    ReadAtaSmartByPathInto(path, slot, reading);
    StoreAtaSmart(reading);
    return reading.result;
}

BOOL SmartStore::ReadAtaSmartInto(BYTE diskNum, AtaReading& reading)
{
    CString path;
    path.Format(L"\\\\.\\PHYSICALDRIVE%d", diskNum);
    return ReadAtaSmartByPathInto(path, diskNum, reading);
}

BOOL SmartStore::ReadAtaSmartByPathInto(const CString& path, BYTE slot, AtaReading& reading)
{
    reading = EmptyReading(slot);
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
    return ReadOpenDrive(drive.Get(), reading);
}

// What a step did not reach stays unset and is not stored; so each step below
// is its read and its store.
void SmartStore::StoreAtaSmart(const AtaReading& reading)
{
    if (!IsSlot(reading.slot)) {
        return;
    }
    SmartDriveInfo& record = m_drives[reading.slot];
    if (reading.versionRead) {
        record.versionParams = reading.version;
    }
    if (reading.enableSent && !reading.enabled) {
        record.errorText.Format(L"Error %d in reading SMART Enabled flag", reading.enableError);
    }
    if (reading.identifyRead) {
        memcpy(record.identify, reading.identify, sizeof(record.identify));
    }
    if (reading.dataRead) {
        StoreDataSector(reading.slot, reading.data, false);
    }
    if (reading.thresholdsRead) {
        StoreThresholds(reading.slot, reading.thresholds);
    }
}

BOOL SmartStore::EnableSmart(HANDLE drive, BYTE slot)
{
    AtaReading reading = EmptyReading(slot);
    BOOL enabled = SendEnableSmart(drive, reading);
    StoreAtaSmart(reading);
    return enabled;
}

BOOL SmartStore::ReadIdentify(HANDLE drive, BYTE slot)
{
    AtaReading reading = EmptyReading(slot);
    BOOL read = SendIdentify(drive, reading);
    StoreAtaSmart(reading);
    return read;
}

BOOL SmartStore::ReadAttributes(HANDLE drive, BYTE slot)
{
    AtaReading reading = EmptyReading(slot);
    BOOL read = SendReadAttributes(drive, reading);
    StoreAtaSmart(reading);
    return read;
}

// Thresholds land on whatever attributes the slot holds, even those of an
// earlier read when this one's data request failed.
void SmartStore::StoreThresholds(BYTE slot, const BYTE* thresholds)
{
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
