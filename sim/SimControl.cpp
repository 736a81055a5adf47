#include "SimControl.h"

#include "SimLlfScript.h"
#include "SimMachineParser.h"
#include "SimWorld.h"

#include <cstring>

namespace {

int CopyOut(const std::string& text, char* buffer, int size)
{
    if (buffer && size > 0) {
        size_t count = text.size() < static_cast<size_t>(size - 1) ? text.size() : static_cast<size_t>(size - 1);
        std::memcpy(buffer, text.data(), count);
        buffer[count] = '\0';
    }
    return static_cast<int>(text.size());
}

SimDrive* DriveAt(SimWorld& world, int drive)
{
    if (drive < 0 || drive >= static_cast<int>(world.machine.drives.size()))
        return nullptr;
    return &world.machine.drives[drive];
}

std::string Number(ULONGLONG value)
{
    return std::to_string(value);
}

std::string HexBytes(const BYTE* bytes, size_t count)
{
    std::string text;
    for (size_t i = 0; i < count; ++i)
        text += SimFormat(i ? " %02X" : "%02X", bytes[i]);
    return text;
}

// A drive value as text; false for an unknown key.
bool DriveValue(const SimMachine& machine, const SimDrive& d, const std::string& key, std::string& value)
{
    if (key.compare(0, 6, "smart:") == 0) {
        ULONGLONG id = 0;
        if (!SimMachineParser::ParseNumber(key.substr(6), id) || id > 255)
            return false;
        for (const SimAttribute& a : d.attributes)
            if (a.id == id) {
                value = Number(a.raw);
                return true;
            }
        return false;
    }
    if (key == "bus")
        value = d.bus == SIM_BUS_NVME ? "nvme" : "sata";
    else if (key == "controller")
        value = machine.nodes[d.controller].name;
    else if (key == "disk")
        value = machine.nodes[d.disk].name;
    else if (key == "ahci")
        value = Number(d.ahci);
    else if (key == "serial")
        value = d.serial;
    else if (key == "model")
        value = d.model;
    else if (key == "fw")
        value = d.firmware;
    else if (key == "version")
        value = d.version;
    else if (key == "dev-name")
        value = d.devName;
    else if (key == "capacity")
        value = Number(d.capacity);
    else if (key == "sector")
        value = Number(d.sectorSize);
    else if (key == "write-cache")
        value = Number(static_cast<ULONGLONG>(static_cast<LONGLONG>(d.writeCache)));
    else if (key == "hmb")
        value = Number(d.hmbEnabled);
    else if (key == "hmb-size")
        value = Number(d.hmbSize);
    else if (key == "revision")
        value = Number(d.revision);
    else if (key == "flash-id")
        value = HexBytes(d.flashId, 8);
    else if (key == "fw-mode")
        value = d.llfMode ? "LLF mode" : "Normal mode";
    else if (key == "fw-staged")
        value = Number(d.fwStaging.size());
    else if (key == "fw-commits")
        value = Number(d.fwCommits);
    else if (key == "fw-activations")
        value = Number(d.fwActivations);
    else if (key == "reboots")
        value = Number(d.reboots);
    else if (key == "nor-erased")
        value = Number(d.norErased);
    else if (key == "formats")
        value = Number(d.formats);
    else if (key == "switches")
        value = Number(d.switches);
    else if (key == "llf-started")
        value = Number(d.llfStarted);
    else if (key == "smart-reads")
        value = Number(d.smartReads);
    else if (key == "switch-reads")
        value = Number(d.switchReads);
    else if (key == "llf-polls")
        value = Number(d.llfPolls);
    else if (key == "llf-error")
        value = Number(d.llfError);
    else if (int kind = SimLlfScript::KindOfKey(key))
        value = SimLlfScript::Text(d.llfScripts[kind]);
    else if (key == "llf-job") {
        static const char* const kNames[SIM_JOB_KINDS] = {"none", "init", "all", "erase", "self-test"};
        value = kNames[d.job.active ? d.job.kind : 0];
    } else if (key == "llf-answered")
        value = Number(d.job.answered);
    else
        return false;
    return true;
}

} // namespace

extern "C" {

int SimLoadMachineText(const char* text)
{
    SimLock lock;
    return text && lock.World().Load(text) ? 1 : 0;
}

int SimLoadMachineFile(const wchar_t* path)
{
    SimLock lock;
    return path && lock.World().LoadFile(path) ? 1 : 0;
}

void SimResetMachine(void)
{
    SimLock lock;
    lock.World().LoadDefault();
}

int SimGetLoadError(char* buffer, int size)
{
    SimLock lock;
    return CopyOut(lock.World().loadError, buffer, size);
}

const char* SimDefaultMachineText(void)
{
    return kSimDefaultMachine;
}

int SimGetJournal(char* buffer, int size)
{
    SimLock lock;
    return CopyOut(lock.World().journal.Text(), buffer, size);
}

void SimClearJournal(void)
{
    SimLock lock;
    lock.World().journal.Clear();
}

void SimSetFault(const char* function, int drive, int mode, int afterCalls, int times)
{
    SimLock lock;
    if (function)
        lock.World().faults.Set(function, drive, mode, afterCalls, times);
}

void SimClearFaults(void)
{
    SimLock lock;
    lock.World().faults.Clear();
}

int SimGetDriveCount(void)
{
    SimLock lock;
    return static_cast<int>(lock.World().machine.drives.size());
}

int SimGetDriveValue(int drive, const char* key, char* buffer, int size)
{
    SimLock lock;
    SimDrive* d = DriveAt(lock.World(), drive);
    std::string value;
    if (!d || !key || !DriveValue(lock.World().machine, *d, key, value))
        return -1;
    return CopyOut(value, buffer, size);
}

int SimSetDriveValue(int drive, const char* key, const char* value)
{
    SimLock lock;
    SimDrive* d = DriveAt(lock.World(), drive);
    if (!d || !key || !value)
        return 0;
    std::string k = key;
    if (k.compare(0, 6, "smart:") == 0) {
        ULONGLONG id = 0;
        SimAttribute attribute;
        if (!SimMachineParser::ParseNumber(k.substr(6), id) || id == 0 || id > 255 ||
            !SimMachineParser::ParseAttributeValues(value, attribute))
            return 0;
        attribute.id = static_cast<BYTE>(id);
        if (SimAttribute* existing = d->FindAttribute(attribute.id))
            *existing = attribute;
        else if (d->attributes.size() < 30)
            d->attributes.push_back(attribute);
        else
            return 0;
        return 1;
    }
    std::string error;
    if (!SimMachineParser::ApplyDriveKey(lock.World().machine, *d, k, value, error))
        return 0;
    SimMachine::PresetRegisters(*d);
    return 1;
}

int SimReadLba(int drive, unsigned lba, unsigned sectors, void* buffer)
{
    SimLock lock;
    SimDrive* d = DriveAt(lock.World(), drive);
    return d && buffer && SimMachine::ReadMedium(*d, lba, sectors, static_cast<BYTE*>(buffer)) ? 1 : 0;
}

int SimWriteLba(int drive, unsigned lba, unsigned sectors, const void* data)
{
    SimLock lock;
    SimDrive* d = DriveAt(lock.World(), drive);
    return d && data && SimMachine::WriteMedium(*d, lba, sectors, static_cast<const BYTE*>(data)) ? 1 : 0;
}

int SimReadMemory(int drive, unsigned address, unsigned length, void* buffer)
{
    SimLock lock;
    SimDrive* d = DriveAt(lock.World(), drive);
    if (!d || !buffer)
        return 0;
    SimMachine::ReadSpace(*d, address, length, static_cast<BYTE*>(buffer));
    return 1;
}

int SimWriteMemory(int drive, unsigned address, unsigned length, const void* data)
{
    SimLock lock;
    SimDrive* d = DriveAt(lock.World(), drive);
    if (!d || !data)
        return 0;
    SimMachine::WriteSpace(*d, address, length, static_cast<const BYTE*>(data));
    return 1;
}

int SimReadFwStaging(int drive, unsigned offset, unsigned length, void* buffer)
{
    SimLock lock;
    SimDrive* d = DriveAt(lock.World(), drive);
    if (!d || !buffer)
        return 0;
    BYTE* out = static_cast<BYTE*>(buffer);
    for (unsigned i = 0; i < length; ++i) {
        size_t at = static_cast<size_t>(offset) + i;
        out[i] = at < d->fwStaging.size() ? d->fwStaging[at] : 0;
    }
    return 1;
}

int SimGetNodeEnabled(const char* name)
{
    SimLock lock;
    const SimMachine& machine = lock.World().machine;
    int node = name ? machine.NodeByName(name) : -1;
    return node < 0 ? -1 : machine.nodes[node].enabled ? 1 : 0;
}

int SimGetOpenCount(int drive)
{
    SimLock lock;
    SimDrive* d = DriveAt(lock.World(), drive);
    return d ? d->openCount : -1;
}

} // extern "C"
