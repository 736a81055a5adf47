#include "SimControl.h"

#include "SimDriveKeys.h"
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
    lock.World().latency.Clear();
}

// The latency has a lock of its own: these never wait for the machine's lock,
// which a call under test may hold.
void SimSetLatency(const char* function, int drive, int milliseconds)
{
    SimWorld::Get().latency.Set(function ? function : "", drive, milliseconds);
}

int SimWaitForHeldCall(int timeoutMs)
{
    return SimWorld::Get().latency.WaitForHeld(timeoutMs) ? 1 : 0;
}

void SimReleaseHeldCalls(void)
{
    SimWorld::Get().latency.ReleaseHeld();
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
    if (!d || !key || !SimDriveKeys::Get(lock.World().machine, *d, key, value))
        return -1;
    return CopyOut(value, buffer, size);
}

int SimSetDriveValue(int drive, const char* key, const char* value)
{
    SimLock lock;
    SimDrive* d = DriveAt(lock.World(), drive);
    std::string why;
    if (!d || !key || !value || !SimDriveKeys::Set(lock.World().machine, *d, key, value, false, why))
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
