#include "SimMachine.h"

#include <algorithm>
#include <cstring>
#include <cwctype>

const GUID SIM_GUID_DEVINTERFACE_DISK = {0x53F56307, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
const GUID SIM_GUID_DEVINTERFACE_VOLUME = {
    0x53F5630D, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};

namespace {
const DWORD kPage = 512;
} // namespace

std::wstring SimWiden(const std::string& text)
{
    std::wstring wide;
    for (unsigned char c : text)
        wide += static_cast<wchar_t>(c);
    return wide;
}

std::string SimNarrow(const std::wstring& text)
{
    std::string narrow;
    for (wchar_t c : text)
        narrow += c < 0x100 ? static_cast<char>(c) : '?';
    return narrow;
}

std::wstring SimUpper(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towupper(c));
    return text;
}

SimAttribute* SimDrive::FindAttribute(BYTE id)
{
    for (SimAttribute& a : attributes)
        if (a.id == id)
            return &a;
    return nullptr;
}

int SimMachine::NodeOf(DEVINST devInst) const
{
    if (devInst < SIM_DEVINST_BASE || devInst - SIM_DEVINST_BASE >= nodes.size())
        return -1;
    return static_cast<int>(devInst - SIM_DEVINST_BASE);
}

int SimMachine::NodeByName(const std::string& name) const
{
    for (size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].name == name)
            return static_cast<int>(i);
    return -1;
}

int SimMachine::NodeByInstanceId(const std::wstring& id) const
{
    std::wstring wanted = SimUpper(id);
    for (size_t i = 0; i < nodes.size(); ++i)
        if (SimUpper(nodes[i].instanceId) == wanted)
            return static_cast<int>(i);
    return -1;
}

int SimMachine::FirstChild(int node) const
{
    for (size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].parent == node && nodes[i].present)
            return static_cast<int>(i);
    return -1;
}

int SimMachine::NextSibling(int node) const
{
    if (nodes[node].nextSibling >= 0)
        return nodes[node].nextSibling;
    for (size_t i = node + 1; i < nodes.size(); ++i)
        if (nodes[i].parent == nodes[node].parent && nodes[i].present)
            return static_cast<int>(i);
    return -1;
}

int SimMachine::Depth(int node) const
{
    int depth = 0;
    // The description cannot make a loop (a parent is named before its child),
    // the bound only guards against a damaged model.
    for (int n = nodes[node].parent; n >= 0 && depth <= static_cast<int>(nodes.size()); n = nodes[n].parent)
        ++depth;
    return depth;
}

int SimMachine::DiskByNumber(int number) const
{
    for (size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].present && nodes[i].diskNumber == number && number >= 0)
            return static_cast<int>(i);
    return -1;
}

int SimMachine::VolumeByLetter(wchar_t letter) const
{
    letter = static_cast<wchar_t>(std::towupper(letter));
    for (size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].present && letter != 0 && nodes[i].volumeLetter == letter)
            return static_cast<int>(i);
    return -1;
}

std::vector<int> SimMachine::VolumesOfDisk(int number) const
{
    std::vector<int> volumes;
    for (size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].present && nodes[i].volumeDisk == number && number >= 0)
            volumes.push_back(static_cast<int>(i));
    std::stable_sort(volumes.begin(), volumes.end(),
                     [this](int a, int b) { return nodes[a].volumePartition < nodes[b].volumePartition; });
    return volumes;
}

int SimMachine::DriveOfNode(int node) const
{
    if (node < 0)
        return -1;
    for (size_t d = 0; d < drives.size(); ++d) {
        const SimDrive& drive = drives[d];
        if (drive.controller == node || drive.disk == node)
            return static_cast<int>(d);
        if (drive.disk >= 0 && nodes[node].volumeDisk >= 0 && nodes[node].volumeDisk == nodes[drive.disk].diskNumber)
            return static_cast<int>(d);
    }
    return -1;
}

std::vector<int> SimMachine::LibraryDrives(SimBus bus) const
{
    std::vector<int> list;
    for (size_t d = 0; d < drives.size(); ++d)
        if (drives[d].bus == bus)
            list.push_back(static_cast<int>(d));
    return list;
}

int SimMachine::DriveOfLibraryIndex(SimBus bus, int index) const
{
    std::vector<int> list = LibraryDrives(bus);
    if (index < 0 || index >= static_cast<int>(list.size()))
        return -1;
    return list[index];
}

int SimMachine::LibraryIndexOf(int drive) const
{
    std::vector<int> list = LibraryDrives(drives[drive].bus);
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i] == drive)
            return static_cast<int>(i);
    return -1;
}

void SimMachine::ReadSpace(const SimDrive& drive, DWORD address, DWORD length, BYTE* out)
{
    for (DWORD i = 0; i < length; ++i) {
        DWORD at = address + i;
        auto page = drive.memory.find(at / kPage);
        out[i] = page == drive.memory.end() ? 0 : page->second[at % kPage];
    }
}

void SimMachine::WriteSpace(SimDrive& drive, DWORD address, DWORD length, const BYTE* data)
{
    for (DWORD i = 0; i < length; ++i) {
        DWORD at = address + i;
        std::vector<BYTE>& page = drive.memory[at / kPage];
        if (page.empty())
            page.assign(kPage, 0);
        page[at % kPage] = data[i];
    }
}

bool SimMachine::ReadMedium(const SimDrive& drive, ULONGLONG lba, DWORD sectors, BYTE* out)
{
    if (lba + sectors > drive.MediumSectors())
        return false;
    for (DWORD s = 0; s < sectors; ++s) {
        auto sector = drive.medium.find(static_cast<DWORD>(lba + s));
        if (sector == drive.medium.end())
            std::memset(out + s * 512, 0, 512);
        else
            std::memcpy(out + s * 512, sector->second.data(), 512);
    }
    return true;
}

bool SimMachine::WriteMedium(SimDrive& drive, ULONGLONG lba, DWORD sectors, const BYTE* data)
{
    if (lba + sectors > drive.MediumSectors() || lba + sectors > 0x100000000ULL)
        return false;
    for (DWORD s = 0; s < sectors; ++s)
        drive.medium[static_cast<DWORD>(lba + s)].assign(data + s * 512, data + (s + 1) * 512);
    return true;
}

void SimMachine::PresetRegisters(SimDrive& drive)
{
    BYTE revision[4] = {static_cast<BYTE>(drive.revision), static_cast<BYTE>(drive.revision >> 8),
                        static_cast<BYTE>(drive.revision >> 16), static_cast<BYTE>(drive.revision >> 24)};
    WriteSpace(drive, 0xFF501230, 4, revision);
    WriteSpace(drive, 0xFF501020, 1, &drive.flashConfig);
}
