#include "SimDriveData.h"

#include <cstring>
#include <cwchar>

namespace {

void PutBlankPadded(BYTE* out, size_t size, const std::string& text)
{
    std::memset(out, ' ', size);
    std::memcpy(out, text.data(), text.size() < size ? text.size() : size);
}

// ATA strings: two characters per 16-bit word, the first in the high byte.
void PutAtaString(BYTE* data, int firstWord, int words, const std::string& text)
{
    std::string padded = text;
    padded.resize(words * 2, ' ');
    for (int i = 0; i < words; ++i) {
        data[(firstWord + i) * 2] = static_cast<BYTE>(padded[i * 2 + 1]);
        data[(firstWord + i) * 2 + 1] = static_cast<BYTE>(padded[i * 2]);
    }
}

void PutWord(BYTE* data, int word, WORD value)
{
    data[word * 2] = static_cast<BYTE>(value);
    data[word * 2 + 1] = static_cast<BYTE>(value >> 8);
}

void PutLe(BYTE* out, ULONGLONG value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out[i] = static_cast<BYTE>(value >> (8 * i));
}

int Log2(DWORD value)
{
    int bits = 0;
    while (value > 1) {
        value >>= 1;
        ++bits;
    }
    return bits;
}

} // namespace

void SimDriveData::SmartData(const SimDrive& drive, BYTE* out)
{
    std::memset(out, 0, 512);
    out[0] = 0x10;
    for (size_t i = 0; i < drive.attributes.size() && i < 30; ++i) {
        const SimAttribute& a = drive.attributes[i];
        BYTE* entry = out + 2 + 12 * i;
        entry[0] = a.id;
        entry[1] = 0x32; // flags: online collection, event count
        entry[3] = a.current;
        entry[4] = a.worst;
        PutLe(entry + 5, a.raw, 6);
        entry[11] = drive.bus == SIM_BUS_NVME ? a.threshold : 0;
    }
}

void SimDriveData::SmartThresholds(const SimDrive& drive, BYTE* out)
{
    std::memset(out, 0, 512);
    out[0] = 0x10;
    for (size_t i = 0; i < drive.attributes.size() && i < 30; ++i) {
        out[2 + 12 * i] = drive.attributes[i].id;
        out[2 + 12 * i + 1] = drive.attributes[i].threshold;
    }
}

void SimDriveData::AtaIdentify(const SimDrive& drive, BYTE* out)
{
    std::memset(out, 0, 512);
    PutWord(out, 0, 0x0040);
    PutAtaString(out, 10, 10, drive.serial);
    PutAtaString(out, 23, 4, drive.firmware);
    PutAtaString(out, 27, 20, drive.model);
    PutWord(out, 49, 0x0300); // LBA and DMA
    ULONGLONG sectors = drive.UserSectors();
    ULONGLONG sectors28 = sectors > 0x0FFFFFFF ? 0x0FFFFFFF : sectors;
    PutWord(out, 60, static_cast<WORD>(sectors28));
    PutWord(out, 61, static_cast<WORD>(sectors28 >> 16));
    PutWord(out, 76, static_cast<WORD>(((1 << drive.sataSpeed) - 1) << 1));
    PutWord(out, 77, static_cast<WORD>(drive.sataSpeed << 1));
    PutWord(out, 80, 0x03F0); // ATA8 and later
    PutWord(out, 82, 0x0001); // SMART supported
    PutWord(out, 85, 0x0001); // SMART enabled
    PutWord(out, 83, 0x0400); // 48-bit addresses
    for (int i = 0; i < 4; ++i)
        PutWord(out, 100 + i, static_cast<WORD>(sectors >> (16 * i)));
    PutAtaString(out, 129, 8, drive.version);
}

void SimDriveData::IdentifyController(const SimMachine& machine, const SimDrive& drive, BYTE* out)
{
    std::memset(out, 0, 4096);
    WORD vendor = IdAfter(machine, drive, L"VEN_");
    PutLe(out, vendor, 2);
    PutLe(out + 2, vendor, 2);
    PutBlankPadded(out + 4, 20, drive.serial);
    PutBlankPadded(out + 24, 40, drive.model);
    PutBlankPadded(out + 64, 8, drive.firmware);
    out[77] = 5;                        // largest transfer: 128 KiB
    PutLe(out + 80, 0x00010400, 4);     // version 1.4
    PutLe(out + 272, drive.hmbSize, 4); // preferred host memory buffer size
    PutLe(out + 516, 1, 4);             // one namespace
}

void SimDriveData::IdentifyNamespace(const SimDrive& drive, BYTE* out)
{
    std::memset(out, 0, 4096);
    ULONGLONG blocks = drive.capacity / drive.sectorSize;
    PutLe(out, blocks, 8);
    PutLe(out + 8, blocks, 8);
    PutLe(out + 16, blocks, 8);
    out[25] = 0; // one LBA format
    out[26] = 0; // format 0 in use
    PutLe(out + 128, static_cast<ULONGLONG>(Log2(drive.sectorSize)) << 16, 4);
}

WORD SimDriveData::IdAfter(const SimMachine& machine, const SimDrive& drive, const wchar_t* marker)
{
    std::wstring id = SimUpper(machine.nodes[drive.controller].instanceId);
    size_t at = id.find(marker);
    if (at == std::wstring::npos)
        return 0;
    return static_cast<WORD>(std::wcstoul(id.substr(at + 4, 4).c_str(), nullptr, 16));
}

void SimDriveData::PciConfig(const SimMachine& machine, const SimDrive& drive, BYTE* out)
{
    std::memset(out, 0, 256);
    PutLe(out, IdAfter(machine, drive, L"VEN_"), 2);
    PutLe(out + 2, IdAfter(machine, drive, L"DEV_"), 2);
    PutLe(out + 4, 0x0406, 2); // memory space, bus master
    PutLe(out + 6, 0x0010, 2); // capability list present
    out[8] = 0x01;             // revision
    out[9] = 0x02;             // programming interface: NVM Express
    out[10] = 0x08;            // subclass: non-volatile memory
    out[11] = 0x01;            // class: mass storage
    out[0x34] = 0x40;
    out[0x40] = 0x01; // power management
    out[0x41] = 0x70;
    out[0x70] = 0x10; // PCI Express
    out[0x71] = 0x00;
    WORD linkStatus = static_cast<WORD>((drive.pcieGen & 0xF) | ((drive.pcieLanes & 0x3F) << 4));
    PutLe(out + 0x70 + 0x12, linkStatus, 2);
}

std::string SimDriveData::ReadCapacity10Text(const SimDrive& drive)
{
    ULONGLONG blocks = drive.capacity / drive.sectorSize;
    ULONGLONG last = blocks == 0 ? 0 : blocks - 1;
    DWORD last32 = last > 0xFFFFFFFF ? 0xFFFFFFFF : static_cast<DWORD>(last);
    BYTE data[8] = {static_cast<BYTE>(last32 >> 24),
                    static_cast<BYTE>(last32 >> 16),
                    static_cast<BYTE>(last32 >> 8),
                    static_cast<BYTE>(last32),
                    static_cast<BYTE>(drive.sectorSize >> 24),
                    static_cast<BYTE>(drive.sectorSize >> 16),
                    static_cast<BYTE>(drive.sectorSize >> 8),
                    static_cast<BYTE>(drive.sectorSize)};
    std::string text;
    for (int i = 0; i < 8; ++i) {
        char pair[4];
        std::snprintf(pair, sizeof(pair), "%02X", data[i]);
        if (i > 0)
            text += ' ';
        text += pair;
    }
    return text;
}
