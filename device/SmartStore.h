#pragma once
// The SMART attribute values of up to 32 drives, one record per slot, with the
// "SMART.ini" attribute catalogue that decides which attributes are shown and
// under which names. An NVMe drive's slot is its library index + 16, a SATA
// drive's slot its physical disk number.

#include <windows.h>
#include <winioctl.h>

#include <map>

#include "CArray.h"
#include "CString.h"

#define SMART_MAX_DRIVE_SLOTS 32
#define SMART_NVME_SLOT_BASE 16
#define SMART_MAX_ATTRIBUTES 256

struct SmartAttribute {
    BYTE id;
    DWORD raw; // low 32 bits of the raw value
    BYTE current;
    BYTE worst;
    DWORD threshold;
};

struct SmartAttributeDef {
    int critical;
    BYTE id;
    CString name;
    CString details;
};

struct SmartDriveInfo {
    GETVERSIONINPARAMS versionParams;
    BYTE identify[256];
    SmartAttribute attributes[SMART_MAX_ATTRIBUTES];
    BYTE attributeCount;
    BYTE slot;
    CString errorText;
};

class SmartStore {
public:
    SmartStore();
    ~SmartStore();

    void Clear();
    void ResetValues();
    void LoadAttributeDefs();
    void LoadAttributeDefsFrom(const CString& iniPath);

    void ParseAttributeData(int slot, const BYTE* data);
    // A slot without a record (32 or more) gives an empty record whose own
    // slot number finds nothing. The slot is taken whole: an NVMe slot of
    // 256 or more (library index + 16) must not wrap onto a low slot and show
    // another drive's values.
    const SmartDriveInfo& GetDriveRecord(int slot) const;
    SmartAttribute* FindAttribute(BYTE slot, BYTE id) const;
    const SmartAttributeDef* FindAttributeDef(BYTE id) const;

    // ATA SMART through the system's SMART control codes on the physical drive.
    BOOL ReadAtaSmart(BYTE diskNum);
    BOOL ReadAtaSmartByPath(const CString& path, BYTE slot);

    // One ATA SMART read as the drive answered it, not stored yet. A read
    // is two steps: ReadAtaSmartInto talks to the drive and touches no store;
    // StoreAtaSmart writes what came back into the slot, as ReadAtaSmart does.
    // A caller that guards the store with a lock takes it for the second step
    // only, so nobody waits on the lock while a slow drive answers.
    struct AtaReading {
        BYTE slot;
        BOOL versionRead;
        GETVERSIONINPARAMS version;
        BOOL enableSent;
        BOOL enabled;
        DWORD enableError; // the system's error code of a refused ENABLE SMART
        BOOL identifyRead;
        BYTE identify[256]; // strings already fixed up
        BOOL dataRead;
        BYTE data[512];
        BOOL thresholdsRead;
        BYTE thresholds[512];
        BOOL result; // what ReadAtaSmart returns for this read
    };
    static BOOL ReadAtaSmartInto(BYTE diskNum, AtaReading& reading);
    static BOOL ReadAtaSmartByPathInto(const CString& path, BYTE slot, AtaReading& reading);
    void StoreAtaSmart(const AtaReading& reading);
    BOOL ReadAll(const CArray<CString>& paths);
    BOOL ReadAllFixedDrives();
    BOOL EnableSmart(HANDLE drive, BYTE slot);
    BOOL ReadIdentify(HANDLE drive, BYTE slot);
    BOOL ReadAttributes(HANDLE drive, BYTE slot);
    static void SwapIdString(char* field, int length);

    // The ATA requests, each sent as a 33-byte, byte-packed SENDCMDINPARAMS.
    enum AtaCommand { ATA_ENABLE_SMART, ATA_IDENTIFY_DEVICE, ATA_READ_DATA, ATA_READ_THRESHOLDS };
    static const int ATA_REQUEST_SIZE = 33;
    static void BuildAtaRequest(AtaCommand command, BYTE slot, BYTE* block);

private:
    static bool IsSlot(int slot) { return slot >= 0 && slot < SMART_MAX_DRIVE_SLOTS; }
    static DWORD ValueKey(BYTE slot, BYTE id) { return (static_cast<DWORD>(slot) << 16) | id; }
    void LoadAttributeDef(const wchar_t* file, int number);
    void StoreDataSector(BYTE slot, const BYTE* data, bool thresholdInEntry);
    void StoreAttribute(BYTE slot, const SmartAttribute& attribute);
    void StoreThresholds(BYTE slot, const BYTE* thresholds);

    std::map<DWORD, SmartAttribute*> m_values;
    std::map<BYTE, SmartAttributeDef> m_attributeDefs;

public:
    BYTE m_drivesWithSmart;
    BYTE m_drivesScanned;

private:
    SmartDriveInfo m_drives[SMART_MAX_DRIVE_SLOTS];
    SmartDriveInfo m_noRecord;
};
