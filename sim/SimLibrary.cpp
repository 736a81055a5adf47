#include "SimLibrary.h"

#include "SimDriveData.h"
#include "SimWorld.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Firmware images beyond this are refused, as a controller's staging area would.
const size_t kFwStagingLimit = 4 * 1024 * 1024;
// The SPI NOR flash of the controller, cleared by an erase.
const DWORD kNorBase = 0xBFC40000;
const DWORD kNorSize = 0x40000;

SimBus BusOf(int library)
{
    return library == SIM_LIB_NVME ? SIM_BUS_NVME : SIM_BUS_SATA;
}

// The drive of a library index, or null; a strict machine answers only open drives.
SimDrive* OpenDrive(SimWorld& world, int library, int index)
{
    int drive = world.machine.DriveOfLibraryIndex(BusOf(library), index);
    if (drive < 0)
        return nullptr;
    SimDrive& d = world.machine.drives[drive];
    return d.openCount > 0 || !world.machine.strictOpen ? &d : nullptr;
}

void CopyText(const std::string& text, char* out, DWORD size)
{
    if (size == 0)
        return;
    size_t count = std::min<size_t>(text.size(), size - 1);
    std::memcpy(out, text.data(), count);
    out[count] = '\0';
}

void CopyBlock(const BYTE* block, DWORD blockSize, BYTE* out, DWORD length)
{
    std::memcpy(out, block, std::min(blockSize, length));
}

// A read of the NVMe SMART data: a pending clock switch shows once the drive
// has answered the reads it waits for.
void CountSmartRead(SimDrive& d)
{
    ++d.smartReads;
    if (d.switchPending < 0)
        return;
    if (d.switchPending > 0) {
        --d.switchPending;
        return;
    }
    d.switchPending = -1;
    if (SimAttribute* clock = d.FindAttribute(0xFD))
        clock->raw = clock->raw == 120 ? 100 : 120;
}

// The response-th answer of a script (counted from 1; the last repeats). The
// bytes after the error code carry a pattern so that a saved copy of the
// block can be told from a zeroed one.
void AnswerScripted(const std::vector<SimLlfResponse>& script, int response, BYTE* buffer, DWORD length)
{
    const SimLlfResponse& r = script[std::min<size_t>(static_cast<size_t>(response), script.size()) - 1];
    buffer[0] = r.state;
    buffer[1] = r.percent;
    buffer[2] = static_cast<BYTE>(r.error);
    buffer[3] = static_cast<BYTE>(r.error >> 8);
    for (DWORD i = 4; i < std::min<DWORD>(length, 512); ++i)
        buffer[i] = static_cast<BYTE>(i ^ 0xA5);
}

std::string ReadIniSection(const char* path)
{
    std::vector<char> section(32768);
    DWORD length =
        GetPrivateProfileSectionA("TEST_PARAMETER", section.data(), static_cast<DWORD>(section.size()), path);
    return std::string(section.data(), length);
}

} // namespace

extern "C" {

int SimLibBegin(const char* function, int library, int index, const char* arguments)
{
    SimLock lock;
    SimWorld& world = lock.World();
    int drive = index >= 0 ? world.machine.DriveOfLibraryIndex(BusOf(library), index) : -1;
    if (index < 0 && library == SIM_LIB_NVME)
        drive = world.lastOpenedNvme;
    int action = SimRecordCall(world, function, drive, "%s", arguments ? arguments : "");
    // A library call's delay comes after its work, as a seam call's does.
    SimLatency::Defer();
    return action;
}

void SimLibEnd(void)
{
    SimWorld::Get().latency.WaitDeferred();
}

int SimLibScan(int library, DWORD* devInsts, DWORD* ahciFlags, DWORD* count)
{
    SimLock lock;
    const SimMachine& machine = lock.World().machine;
    if (!devInsts || !count || (library == SIM_LIB_ATA && !ahciFlags))
        return 0;
    std::vector<int> drives = machine.LibraryDrives(BusOf(library));
    DWORD found = 0;
    for (int drive : drives) {
        if (found == 256)
            break;
        const SimDrive& d = machine.drives[drive];
        // NVMe: the controller; SATA: the disk, flagged when an AHCI controller holds it.
        devInsts[found] = SimMachine::DevInstOf(library == SIM_LIB_NVME ? d.controller : d.disk);
        if (ahciFlags)
            ahciFlags[found] = d.ahci ? 1 : 0;
        ++found;
    }
    *count = found;
    return 1;
}

int SimLibAhciController(DWORD diskInst, DWORD* controllerInst)
{
    SimLock lock;
    const SimMachine& machine = lock.World().machine;
    int node = machine.NodeOf(diskInst);
    if (!controllerInst || node < 0)
        return 0;
    for (const SimDrive& d : machine.drives)
        if (d.disk == node && d.bus == SIM_BUS_SATA && d.ahci) {
            *controllerInst = SimMachine::DevInstOf(d.controller);
            return 1;
        }
    return 0;
}

int SimLibOpen(int library, int index, DWORD devInst)
{
    SimLock lock;
    SimWorld& world = lock.World();
    SimMachine& machine = world.machine;
    int drive = machine.DriveOfLibraryIndex(BusOf(library), index);
    int node = machine.NodeOf(devInst);
    if (drive < 0 || node < 0)
        return 0;
    SimDrive& d = machine.drives[drive];
    if (node != d.controller && node != d.disk)
        return 0;
    const SimNode& controller = machine.nodes[d.controller];
    if (!controller.present || !controller.enabled)
        return 0;
    ++d.openCount;
    if (library == SIM_LIB_NVME)
        world.lastOpenedNvme = drive;
    return 1;
}

int SimLibClose(int library, int index)
{
    SimLock lock;
    SimDrive* d = OpenDrive(lock.World(), library, index);
    if (!d || d->openCount == 0)
        return 0;
    --d->openCount;
    return 1;
}

int SimLibCapacity(int library, int index, ULONGLONG* capacity)
{
    SimLock lock;
    SimDrive* d = OpenDrive(lock.World(), library, index);
    if (!d || !capacity)
        return 0;
    *capacity = d->capacity;
    return 1;
}

int SimLibDiskNum(int library, int index, int* diskNum)
{
    SimLock lock;
    SimWorld& world = lock.World();
    SimDrive* d = OpenDrive(world, library, index);
    if (!d || !diskNum)
        return 0;
    *diskNum = world.machine.nodes[d->disk].diskNumber;
    return 1;
}

int SimLibDevName(int library, int index, char* name, DWORD size)
{
    SimLock lock;
    SimWorld& world = lock.World();
    SimDrive* d = OpenDrive(world, library, index);
    if (!d || !name)
        return 0;
    std::string text = d->devName;
    if (text.empty())
        text = "\\\\.\\PhysicalDrive" + std::to_string(world.machine.nodes[d->disk].diskNumber);
    CopyText(text, name, size);
    return 1;
}

int SimLibReadCapacity10(int library, int index, char* text, DWORD size)
{
    SimLock lock;
    SimDrive* d = OpenDrive(lock.World(), library, index);
    if (!d || !text)
        return 0;
    CopyText(SimDriveData::ReadCapacity10Text(*d), text, size);
    return 1;
}

int SimLibGetPath2(int library, int index, BYTE volume, DWORD* letterIndex)
{
    SimLock lock;
    SimWorld& world = lock.World();
    SimDrive* d = OpenDrive(world, library, index);
    if (!d || !letterIndex)
        return 0;
    std::vector<int> volumes = world.machine.VolumesOfDisk(world.machine.nodes[d->disk].diskNumber);
    // Only volumes with a letter count: the number is the position among them.
    std::vector<wchar_t> letters;
    for (int v : volumes)
        if (world.machine.nodes[v].volumeLetter)
            letters.push_back(world.machine.nodes[v].volumeLetter);
    if (volume >= letters.size())
        return 0;
    *letterIndex = letters[volume] - L'A';
    return 1;
}

int SimLibGetWriteCache(int library, int index, int* state)
{
    SimLock lock;
    SimDrive* d = OpenDrive(lock.World(), library, index);
    if (!d || !state)
        return 0;
    *state = d->writeCache;
    return 1;
}

int SimLibSetWriteCache(int library, int index, int state)
{
    SimLock lock;
    SimDrive* d = OpenDrive(lock.World(), library, index);
    if (!d)
        return 0;
    d->writeCache = state;
    return 1;
}

int SimLibIdentifyController(int library, int index, DWORD length, BYTE* buffer)
{
    SimLock lock;
    SimWorld& world = lock.World();
    SimDrive* d = OpenDrive(world, library, index);
    if (!d || !buffer || library != SIM_LIB_NVME)
        return 0;
    BYTE block[4096];
    SimDriveData::IdentifyController(world.machine, *d, block);
    CopyBlock(block, sizeof(block), buffer, length);
    return 1;
}

int SimLibIdentifyNamespace(int library, int index, DWORD length, BYTE* buffer)
{
    SimLock lock;
    SimDrive* d = OpenDrive(lock.World(), library, index);
    if (!d || !buffer || library != SIM_LIB_NVME)
        return 0;
    BYTE block[4096];
    SimDriveData::IdentifyNamespace(*d, block);
    CopyBlock(block, sizeof(block), buffer, length);
    return 1;
}

int SimLibGetFeature(int library, int index, BYTE feature, DWORD length, BYTE* buffer, DWORD* dword0)
{
    SimLock lock;
    SimDrive* d = OpenDrive(lock.World(), library, index);
    // Only the host memory buffer feature (0x0D) is modelled.
    if (!d || !buffer || !dword0 || feature != 0x0D)
        return 0;
    std::memset(buffer, 0, std::min<DWORD>(length, 4096));
    if (length >= 4)
        std::memcpy(buffer, &d->hmbSize, 4);
    *dword0 = d->hmbEnabled ? 1 : 0;
    return 1;
}

int SimLibPcieConfig(int library, int index, DWORD offset, DWORD length, BYTE* buffer)
{
    SimLock lock;
    SimWorld& world = lock.World();
    SimDrive* d = OpenDrive(world, library, index);
    if (!d || !buffer || offset > 256 || length > 256 - offset)
        return 0;
    BYTE space[256];
    SimDriveData::PciConfig(world.machine, *d, space);
    std::memcpy(buffer, space + offset, length);
    return 1;
}

int SimLibSmartLog(int library, int index, DWORD length, BYTE* buffer)
{
    SimLock lock;
    SimDrive* d = OpenDrive(lock.World(), library, index);
    if (!d || !buffer)
        return 0;
    CountSmartRead(*d);
    BYTE block[512];
    SimDriveData::SmartData(*d, block);
    CopyBlock(block, sizeof(block), buffer, length);
    return 1;
}

int SimLibAtaIdentify(int library, int index, DWORD length, BYTE* buffer)
{
    SimLock lock;
    SimDrive* d = OpenDrive(lock.World(), library, index);
    if (!d || !buffer)
        return 0;
    BYTE block[512];
    SimDriveData::AtaIdentify(*d, block);
    CopyBlock(block, sizeof(block), buffer, length);
    return 1;
}

int SimLibFormat(int library, int index)
{
    SimLock lock;
    SimDrive* d = OpenDrive(lock.World(), library, index);
    if (!d)
        return 0;
    // The user area reads as zero again; the area beyond it keeps its data.
    ULONGLONG user = d->UserSectors();
    for (auto it = d->medium.begin(); it != d->medium.end();)
        it = it->first < user ? d->medium.erase(it) : std::next(it);
    ++d->formats;
    return 1;
}

int SimLibFwDownload(int library, int index, DWORD offset, DWORD size, const BYTE* data)
{
    SimLock lock;
    SimDrive* d = OpenDrive(lock.World(), library, index);
    if (!d)
        return 0;
    if (size == 0 && !data) {
        if (d->fwStaging.empty())
            return 0;
        ++d->fwCommits;
        return 1;
    }
    if (!data || static_cast<size_t>(offset) + size > kFwStagingLimit)
        return 0;
    if (d->fwStaging.size() < static_cast<size_t>(offset) + size)
        d->fwStaging.resize(static_cast<size_t>(offset) + size, 0);
    std::memcpy(d->fwStaging.data() + offset, data, size);
    return 1;
}

int SimLibFwActivate(int library, int index)
{
    SimLock lock;
    SimDrive* d = OpenDrive(lock.World(), library, index);
    if (!d || d->fwStaging.empty())
        return 0;
    ++d->fwActivations;
    return 1;
}

int SimLibGetFwMode(int library, int index, char* text, DWORD size)
{
    SimLock lock;
    SimDrive* d = OpenDrive(lock.World(), library, index);
    if (!d || !text)
        return 0;
    CopyText(d->llfMode ? "LLF mode" : "Normal mode", text, size);
    return 1;
}

int SimLibSetFwMode(int library, int index, BYTE mode)
{
    SimLock lock;
    SimDrive* d = OpenDrive(lock.World(), library, index);
    if (!d)
        return 0;
    d->llfMode = mode == 1;
    return 1;
}

int SimLibReboot(int library, int index, BYTE mode)
{
    (void)mode;
    SimLock lock;
    SimDrive* d = OpenDrive(lock.World(), library, index);
    if (!d)
        return 0;
    d->llfMode = false;
    d->job = SimLlfJob();
    ++d->reboots;
    return 1;
}

int SimLibEraseNor(int library, int index, BYTE value)
{
    (void)value;
    SimLock lock;
    SimDrive* d = OpenDrive(lock.World(), library, index);
    if (!d)
        return 0;
    for (auto it = d->memory.begin(); it != d->memory.end();) {
        DWORD address = it->first * 512;
        it = address >= kNorBase && address < kNorBase + kNorSize ? d->memory.erase(it) : std::next(it);
    }
    ++d->norErased;
    return 1;
}

int SimLibReadSpace(int library, int index, DWORD address, DWORD length, BYTE* buffer)
{
    SimLock lock;
    SimDrive* d = OpenDrive(lock.World(), library, index);
    if (!d || !buffer)
        return 0;
    SimMachine::ReadSpace(*d, address, length, buffer);
    return 1;
}

int SimLibWriteSpace(int library, int index, DWORD address, DWORD length, const BYTE* data)
{
    SimLock lock;
    SimDrive* d = OpenDrive(lock.World(), library, index);
    if (!d || !data)
        return 0;
    SimMachine::WriteSpace(*d, address, length, data);
    return 1;
}

int SimLibReadMedium(int library, int index, DWORD lba, DWORD sectors, BYTE* buffer)
{
    SimLock lock;
    SimDrive* d = OpenDrive(lock.World(), library, index);
    return d && buffer && SimMachine::ReadMedium(*d, lba, sectors, buffer) ? 1 : 0;
}

int SimLibWriteMedium(int library, int index, DWORD lba, DWORD sectors, const BYTE* data)
{
    SimLock lock;
    SimDrive* d = OpenDrive(lock.World(), library, index);
    return d && data && SimMachine::WriteMedium(*d, lba, sectors, data) ? 1 : 0;
}

int SimLibStartJob(int library, int index, int job)
{
    SimLock lock;
    SimDrive* d = OpenDrive(lock.World(), library, index);
    if (!d)
        return 0;
    // The format jobs run only in the controller's low-level-format firmware.
    if (job != SIM_JOB_SELF_TEST && !d->llfMode)
        return 0;
    d->job.active = true;
    d->job.kind = job;
    d->job.answered = 0;
    d->job.pollsTotal = d->llfPolls;
    d->job.pollsLeft = d->llfPolls;
    d->job.errorCode = d->llfError;
    if (job == SIM_JOB_LLF_ALL)
        ++d->llfStarted;
    return 1;
}

int SimLibJobResponse(int library, int index, DWORD length, BYTE* buffer)
{
    SimLock lock;
    SimDrive* d = OpenDrive(lock.World(), library, index);
    if (!d || !buffer || length < 4)
        return 0;
    std::memset(buffer, 0, std::min<DWORD>(length, 512));
    SimLlfJob& job = d->job;
    if (!job.active)
        return 1;
    ++job.answered;
    const std::vector<SimLlfResponse>& script = d->llfScripts[job.kind];
    if (!script.empty()) {
        AnswerScripted(script, job.answered, buffer, length);
        return 1;
    }
    if (job.pollsLeft > 0) {
        int done = job.pollsTotal - job.pollsLeft + 1;
        --job.pollsLeft;
        buffer[0] = 1;
        buffer[1] = static_cast<BYTE>(done * 100 / (job.pollsTotal + 1));
        return 1;
    }
    buffer[0] = 0;
    buffer[1] = 100;
    buffer[2] = static_cast<BYTE>(job.errorCode);
    buffer[3] = static_cast<BYTE>(job.errorCode >> 8);
    return 1;
}

int SimLibSsdInfo(int library, int index, DWORD length, BYTE* buffer)
{
    SimLock lock;
    SimDrive* d = OpenDrive(lock.World(), library, index);
    if (!d || !buffer)
        return 0;
    BYTE block[512] = {'K', 'S', 'I', 'M'};
    std::memcpy(block + 8, d->flashId, 8);
    std::memcpy(block + 16, d->serial.data(), d->serial.size());
    std::memcpy(block + 48, d->model.data(), d->model.size());
    std::memcpy(block + 96, d->firmware.data(), d->firmware.size());
    CopyBlock(block, sizeof(block), buffer, length);
    return 1;
}

int SimLibFlashId(int library, int index, DWORD length, BYTE* buffer)
{
    SimLock lock;
    SimDrive* d = OpenDrive(lock.World(), library, index);
    if (!d || !buffer || length < 8)
        return 0;
    std::memset(buffer, 0, std::min<DWORD>(length, 512));
    std::memcpy(buffer, d->flashId, 8);
    return 1;
}

int SimLibMaxTxLen(int library, int index, DWORD* maxLength)
{
    SimLock lock;
    SimDrive* d = OpenDrive(lock.World(), library, index);
    if (!d || !maxLength)
        return 0;
    *maxLength = 128 * 1024;
    return 1;
}

int SimLibPlain(int library, int index)
{
    SimLock lock;
    return OpenDrive(lock.World(), library, index) ? 1 : 0;
}

int SimLibSwitchSpeed(void)
{
    SimLock lock;
    SimWorld& world = lock.World();
    if (world.lastOpenedNvme < 0 || world.lastOpenedNvme >= static_cast<int>(world.machine.drives.size()))
        return 0;
    SimDrive& d = world.machine.drives[world.lastOpenedNvme];
    ++d.switches;
    d.switchPending = d.switchReads;
    return 1;
}

int SimLibConfigToBin(const char* iniPath, const char* binPath)
{
    if (!iniPath || !binPath || GetFileAttributesA(iniPath) == INVALID_FILE_ATTRIBUTES)
        return 0;
    std::string section = ReadIniSection(iniPath);
    std::vector<BYTE> image = {'K', 'S', 'I', 'M', 'C', 'F', 'G', '1', 0, 0, 0, 0};
    DWORD count = 0;
    for (size_t at = 0; at < section.size() && section[at];) {
        std::string line(section.c_str() + at);
        at += line.size() + 1;
        size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        BYTE entry[36] = {};
        std::memcpy(entry, line.data(), std::min<size_t>(equals, 31));
        DWORD value = std::strtoul(line.c_str() + equals + 1, nullptr, 0);
        std::memcpy(entry + 32, &value, 4);
        image.insert(image.end(), entry, entry + sizeof(entry));
        ++count;
    }
    std::memcpy(image.data() + 8, &count, 4);
    HANDLE file = CreateFileA(binPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    DWORD written = 0;
    BOOL ok = WriteFile(file, image.data(), static_cast<DWORD>(image.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == image.size() ? 1 : 0;
}

} // extern "C"
