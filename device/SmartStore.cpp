// SmartStore: the per-slot SMART records, the value map and the "SMART.ini"
// attribute catalogue.

#include "SmartStore.h"

#include <cstring>
#include <cwchar>
#include <set>
#include <vector>

namespace {

const int kTextBufferLength = 1024;
// Section names beyond this many characters are a broken file, not a catalogue.
const DWORD kMaxSectionNamesLength = 1 << 22;

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

// N of a section named "AttributeN" as "Attribute%d" writes it (no sign, no
// leading zero), or -1 for any other name.
int AttributeSectionNumber(const wchar_t* name)
{
    const wchar_t prefix[] = L"Attribute";
    const size_t prefixLength = sizeof(prefix) / sizeof(prefix[0]) - 1;
    if (_wcsnicmp(name, prefix, prefixLength) != 0) {
        return -1;
    }
    const wchar_t* digits = name + prefixLength;
    if (digits[0] == L'\0' || (digits[0] == L'0' && digits[1] != L'\0')) {
        return -1;
    }
    long long number = 0;
    for (const wchar_t* c = digits; *c != L'\0'; ++c) {
        if (*c < L'0' || *c > L'9') {
            return -1;
        }
        number = number * 10 + (*c - L'0');
        if (number > 0x7FFFFFFF) {
            return -1;
        }
    }
    return static_cast<int>(number);
}

// The numbers of the file's "AttributeN" sections below `count`, ascending.
// The walk of the catalogue goes by these instead of counting up to "Max
// Attributes": a huge count costs nothing, and a section past any fixed cap
// is still read.
std::set<int> AttributeSections(const wchar_t* file, int count)
{
    std::set<int> numbers;
    std::vector<wchar_t> names(4096, L'\0');
    DWORD length = 0;
    for (;;) {
        length = GetPrivateProfileSectionNamesW(names.data(), static_cast<DWORD>(names.size()), file);
        // A full buffer returns its size - 2: the list may have been cut.
        if (length + 2 < names.size() || names.size() >= kMaxSectionNamesLength) {
            break;
        }
        names.assign(names.size() * 2, L'\0');
    }
    for (const wchar_t* name = names.data(); *name != L'\0' && name < names.data() + length; name += wcslen(name) + 1) {
        int number = AttributeSectionNumber(name);
        if (number >= 0 && number < count) {
            numbers.insert(number);
        }
    }
    return numbers;
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
    // Counting up to the count, a section that is missing reads as the
    // defaults: an entry for id 0 that only the first gap can add.
    int next = 0;
    bool gapRead = false;
    for (int number : AttributeSections(file, count)) {
        if (number != next && !gapRead) {
            LoadAttributeDef(file, next);
            gapRead = true;
        }
        LoadAttributeDef(file, number);
        next = number + 1;
    }
}

void SmartStore::LoadAttributeDef(const wchar_t* file, int number)
{
    CString section;
    section.Format(L"Attribute%d", number);
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
