#pragma once
// The simulated machine: the device tree (nodes with instance ids, parents,
// registry properties, interfaces and drivers), disks and volumes, and the
// maker's drives with the state their libraries read and change.

#include <windows.h>
#include <setupapi.h>
#include <cfgmgr32.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Device-node handles of the simulation start here, far from the small
// values of the platform's own nodes, so that a call that slips past the seam
// fails instead of matching a real node.
const DEVINST SIM_DEVINST_BASE = 0x1000;

struct SimProperty {
    DWORD type = REG_SZ;     // REG_SZ, REG_MULTI_SZ, REG_DWORD, REG_BINARY
    std::vector<BYTE> bytes; // the value exactly as the registry would hold it
};

struct SimInterface {
    GUID classGuid{};
    std::wstring path;
};

struct SimDriver {
    std::wstring description;
    std::wstring provider;
    std::wstring manufacturer;
    DWORDLONG version = 0; // four 16-bit fields, most significant first
    FILETIME date{};
};

struct SimNode {
    std::string name; // the name the description gives it
    std::wstring instanceId;
    int parent = -1; // index into SimMachine::nodes, -1 for the root
    // A damaged tree: the node the Configuration Manager names as the next
    // sibling instead of the next child of the same parent (-1: none named).
    int nextSibling = -1;
    bool present = true;
    bool enabled = true;
    bool needsReboot = false;                // a property change asks for a reboot
    std::map<DWORD, SimProperty> properties; // by SPDRP_* code
    std::vector<SimInterface> interfaces;
    std::vector<SimDriver> drivers;
    int diskNumber = -1;      // a disk: its PhysicalDrive number
    wchar_t volumeLetter = 0; // a volume: its drive letter (0: none)
    int volumeDisk = -1;      // a volume: the disk it lies on
    int volumePartition = 0;  // a volume: its partition number on that disk
    UINT driveType = DRIVE_FIXED;
    enum SmartMode { SMART_NONE, SMART_NOCAP, SMART_ATA } smart = SMART_NONE;
};

struct SimAttribute {
    BYTE id = 0;
    BYTE current = 0;
    BYTE worst = 0;
    ULONGLONG raw = 0; // 48 bits used
    BYTE threshold = 0;
};

// One scripted answer of the response call: the state byte (0 = finished),
// the percent byte and the error code of bytes 2..3.
struct SimLlfResponse {
    BYTE state = 0;
    BYTE percent = 0;
    WORD error = 0;
};

// Response scripts are kept per job kind, by the SIM_JOB_* numbers of
// SimLibrary.h (1 init, 2 all, 3 erase, 4 self test); 0 is no job.
const int SIM_JOB_KINDS = 5;

// A low-level-format style job of the controller, answered by the response call.
struct SimLlfJob {
    bool active = false;
    int kind = 0;
    int answered = 0;  // responses given so far
    int pollsLeft = 0; // responses still reporting "working"
    int pollsTotal = 0;
    WORD errorCode = 0; // reported once the job ends; 0 = success
};

// A firmware table as EnumSystemFirmwareTables lists it and
// GetSystemFirmwareTable returns it: provider signature ('ACPI' as the
// multi-character constant), table id (an ACPI signature as its bytes are
// stored: "MCFG" is 0x4746434D) and the table's bytes.
struct SimFirmwareTable {
    DWORD provider = 0;
    DWORD id = 0;
    std::vector<BYTE> bytes;
};

enum SimBus { SIM_BUS_NVME, SIM_BUS_SATA };

struct SimDrive {
    // Description.
    SimBus bus = SIM_BUS_NVME;
    bool ahci = false;   // a SATA drive behind an AHCI controller
    int controller = -1; // node indexes
    int disk = -1;
    std::string serial, model, firmware, version, devName;
    ULONGLONG capacity = 0; // bytes of the user area
    DWORD sectorSize = 512;
    ULONGLONG reservedSectors = 0x20000; // medium beyond the user area
    bool hmbEnabled = false;
    DWORD hmbSize = 0;    // buffer dword 0 of Get Features 0x0D
    DWORD revision = 0;   // register 0xFF501230
    BYTE flashConfig = 0; // register 0xFF501020
    BYTE flashId[8]{};
    int pcieGen = 3, pcieLanes = 4, sataSpeed = 3;
    int switchReads = 1; // SMART reads after a clock switch before 0xFD changes
    int llfPolls = 2;    // "working" responses of a job before it ends
    WORD llfError = 0;   // error code a job ends with
    // Per job kind: the responses a job of that kind gives, one per call, the
    // last one repeated once the script runs out (empty: llf-polls/llf-error).
    std::vector<SimLlfResponse> llfScripts[SIM_JOB_KINDS];
    std::vector<SimAttribute> attributes;

    // State.
    int writeCache = 1;
    bool llfMode = false;
    int openCount = 0;
    std::vector<BYTE> fwStaging;
    int fwCommits = 0, fwActivations = 0, reboots = 0, norErased = 0, formats = 0, switches = 0;
    int llfStarted = 0, smartReads = 0;
    int switchPending = -1; // SMART reads left before the clock switch shows; -1 none
    SimLlfJob job;
    std::map<DWORD, std::vector<BYTE>> memory; // controller space, 512-byte pages
    std::map<DWORD, std::vector<BYTE>> medium; // sectors written

    ULONGLONG UserSectors() const { return capacity / 512; }
    ULONGLONG MediumSectors() const { return UserSectors() + reservedSectors; }
    SimAttribute* FindAttribute(BYTE id);
};

class SimMachine {
public:
    std::wstring systemDirectory = L"C:\\Windows\\system32";
    // Per-drive library calls on a drive that is not open fail (else they are
    // answered and only the open count shows the missing open).
    bool strictOpen = false;
    std::vector<SimNode> nodes;
    std::vector<SimDrive> drives;
    std::vector<SimFirmwareTable> firmwareTables; // in listing order

    static DEVINST DevInstOf(int node) { return SIM_DEVINST_BASE + static_cast<DEVINST>(node); }
    // Node index of a handle, -1 when the machine has no such node.
    int NodeOf(DEVINST devInst) const;
    int NodeByName(const std::string& name) const;
    int NodeByInstanceId(const std::wstring& id) const;
    int FirstChild(int node) const;
    int NextSibling(int node) const;
    int Depth(int node) const;
    int DiskByNumber(int number) const;
    int VolumeByLetter(wchar_t letter) const;
    std::vector<int> VolumesOfDisk(int number) const; // in partition order
    // The drive a node belongs to (its controller, its disk or a volume on its disk), -1 for none.
    int DriveOfNode(int node) const;
    // Library view: the drives of one library in machine order.
    std::vector<int> LibraryDrives(SimBus bus) const;
    int DriveOfLibraryIndex(SimBus bus, int index) const;
    int LibraryIndexOf(int drive) const;

    // Controller address space (registers and memory alike), byte-addressed.
    static void ReadSpace(const SimDrive& drive, DWORD address, DWORD length, BYTE* out);
    static void WriteSpace(SimDrive& drive, DWORD address, DWORD length, const BYTE* data);
    // Medium: false when the range lies beyond the medium.
    static bool ReadMedium(const SimDrive& drive, ULONGLONG lba, DWORD sectors, BYTE* out);
    static bool WriteMedium(SimDrive& drive, ULONGLONG lba, DWORD sectors, const BYTE* data);

    // Presets a drive's registers from its description.
    static void PresetRegisters(SimDrive& drive);
};

// The interface classes the program uses.
extern const GUID SIM_GUID_DEVINTERFACE_DISK;
extern const GUID SIM_GUID_DEVINTERFACE_VOLUME;

std::wstring SimWiden(const std::string& text);
std::string SimNarrow(const std::wstring& text);
std::wstring SimUpper(std::wstring text);
