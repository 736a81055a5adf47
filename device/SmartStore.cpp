// SmartStore: the per-slot SMART records, the value map and the "SMART.ini"
// attribute catalogue.

#include "SmartStore.h"

#include <cstring>

namespace {

// The catalogue holds at most one entry per 8-bit id; more sections than that
// cannot add anything, and a huge count would only stall the start-up.
const int kMaxAttributeSections = 256;
const int kTextBufferLength = 1024;

// NVMe SMART data: 30 entries of 12 bytes from byte 2.
const int kEntryCount = 30;
const int kEntryBase = 2;
const int kEntrySize = 12;

void InitRecord(SmartDriveInfo& record, BYTE slot)
{
    memset(&record.versionParams, 0, sizeof(record.versionParams));
    memset(record.identify, 0, sizeof(record.identify));
    memset(record.attributes, 0, sizeof(record.attributes));
    record.attributeCount = 0;
    record.slot = slot;
}

DWORD ReadLittleEndian32(const BYTE* bytes)
{
    return static_cast<DWORD>(bytes[0]) | (static_cast<DWORD>(bytes[1]) << 8) | (static_cast<DWORD>(bytes[2]) << 16) |
           (static_cast<DWORD>(bytes[3]) << 24);
}

} // namespace

SmartStore::SmartStore()
{
    for (int slot = 0; slot < SMART_MAX_DRIVE_SLOTS; ++slot) {
        InitRecord(m_drives[slot], static_cast<BYTE>(slot));
    }
    InitRecord(m_noRecord, SMART_MAX_DRIVE_SLOTS);
    Clear();
    LoadAttributeDefs();
}

SmartStore::~SmartStore()
{
    ResetValues();
}

void SmartStore::Clear()
{
    m_drivesWithSmart = 0;
    m_drivesScanned = 0;
    m_values.clear();
}

void SmartStore::ResetValues()
{
    Clear();
}

void SmartStore::LoadAttributeDefs()
{
    wchar_t modulePath[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, modulePath, MAX_PATH);
    modulePath[MAX_PATH - 1] = L'\0';
    CString path(modulePath);
    path = path.Left(path.ReverseFind(L'\\') + 1) + L"SMART.ini";
    LoadAttributeDefsFrom(path);
}

void SmartStore::LoadAttributeDefsFrom(const CString& iniPath)
{
    m_attributeDefs.clear();
    const wchar_t* file = iniPath.GetString();
    int count = static_cast<int>(GetPrivateProfileIntW(L"General", L"Max Attributes", 0, file));
    if (count > kMaxAttributeSections) {
        count = kMaxAttributeSections;
    }
    for (int i = 0; i < count; ++i) {
        CString section;
        section.Format(L"Attribute%d", i);
        SmartAttributeDef def;
        def.id = static_cast<BYTE>(GetPrivateProfileIntW(section, L"Id", 0, file) & 0xFF);
        def.critical = static_cast<int>(GetPrivateProfileIntW(section, L"Critical", 0, file));
        wchar_t text[kTextBufferLength] = {};
        GetPrivateProfileStringW(section, L"Name", L"", text, kTextBufferLength, file);
        def.name = text;
        text[0] = L'\0';
        GetPrivateProfileStringW(section, L"Details", L"", text, kTextBufferLength, file);
        def.details = text;
        // The first section of an id wins.
        m_attributeDefs.emplace(def.id, def);
    }
}

// The 30 attribute entries of a SMART data sector become the slot's records.
// A new read of a slot replaces what the slot held: the keys of the previous
// read go first, so ids the drive no longer reports do not linger. The NVMe
// data carries each threshold in its entry; the ATA thresholds come later in
// a sector of their own.
void SmartStore::StoreDataSector(BYTE slot, const BYTE* data, bool thresholdInEntry)
{
    m_values.erase(m_values.lower_bound(ValueKey(slot, 0)), m_values.upper_bound(ValueKey(slot, 0xFF)));
    m_drives[slot].attributeCount = 0;
    m_drives[slot].slot = slot;
    for (int i = 0; i < kEntryCount; ++i) {
        const BYTE* entry = data + kEntryBase + kEntrySize * i;
        if (entry[0] == 0) {
            continue;
        }
        SmartAttribute attribute;
        attribute.id = entry[0];
        attribute.current = entry[3];
        attribute.worst = entry[4];
        attribute.raw = ReadLittleEndian32(entry + 5);
        attribute.threshold = thresholdInEntry ? entry[11] : 0;
        StoreAttribute(slot, attribute);
    }
}

void SmartStore::StoreAttribute(BYTE slot, const SmartAttribute& attribute)
{
    SmartDriveInfo& record = m_drives[slot];
    if (record.attributeCount >= SMART_MAX_ATTRIBUTES - 1) {
        return;
    }
    SmartAttribute* stored = &record.attributes[record.attributeCount];
    *stored = attribute;
    m_values[ValueKey(slot, attribute.id)] = stored;
    ++record.attributeCount;
}

void SmartStore::ParseAttributeData(int slot, const BYTE* data)
{
    if (!IsSlot(slot) || data == nullptr) {
        return;
    }
    StoreDataSector(static_cast<BYTE>(slot), data, true);
}

const SmartDriveInfo& SmartStore::GetDriveRecord(int slot) const
{
    return IsSlot(slot) ? m_drives[slot] : m_noRecord;
}

SmartAttribute* SmartStore::FindAttribute(BYTE slot, BYTE id) const
{
    if (!IsSlot(slot)) {
        return nullptr;
    }
    auto found = m_values.find(ValueKey(slot, id));
    return found != m_values.end() ? found->second : nullptr;
}

const SmartAttributeDef* SmartStore::FindAttributeDef(BYTE id) const
{
    auto found = m_attributeDefs.find(id);
    return found != m_attributeDefs.end() ? &found->second : nullptr;
}
