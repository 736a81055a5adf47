#pragma once
// The data blocks a simulated drive answers with, built from its model.
//
// Layouts chosen for the stand-in libraries (the program parses them):
//   - SMART data (NVMe SMART log call and ATA SMART READ DATA): bytes 0..1
//     revision 0x0010; 30 entries of 12 bytes from byte 2: id, flags (2
//     bytes), current, worst, raw bytes 5..10 little-endian, byte 11 the
//     threshold (ATA: reserved, 0; the thresholds come in their own sector).
//   - Identify Controller (4096 bytes): PCI vendor 0..1, subsystem vendor
//     2..3, serial 4..23, model 24..63, firmware 64..71, all blank-padded.
//   - Identify Namespace (4096 bytes): size, capacity and utilisation in
//     blocks (0..7, 8..15, 16..23), LBA format 0 at 128 with the block size
//     as a power of two in bits 16..23.
//   - ATA IDENTIFY DEVICE (512 bytes): serial words 10..19, firmware 23..26,
//     model 27..46 (ATA string order), LBA count words 60..61 and 100..103,
//     SATA speed bits 3..1 of word 76 and 77, version text words 129..136.
//   - PCI configuration space (256 bytes): vendor and device id from the
//     controller's instance id, class 01 08 02, capability list from 0x40
//     (power management) to 0x70 (PCI Express, link status at 0x82).
//   - READ CAPACITY (10) text: the eight data bytes (last LBA, block length,
//     both most significant first) as upper-case hex pairs separated by single
//     blanks, e.g. "74 70 6D AF 00 00 02 00".

#include "SimMachine.h"

#include <string>

class SimDriveData {
public:
    static void SmartData(const SimDrive& drive, BYTE* out512);
    static void SmartThresholds(const SimDrive& drive, BYTE* out512);
    static void AtaIdentify(const SimDrive& drive, BYTE* out512);
    static void IdentifyController(const SimMachine& machine, const SimDrive& drive, BYTE* out4096);
    static void IdentifyNamespace(const SimDrive& drive, BYTE* out4096);
    static void PciConfig(const SimMachine& machine, const SimDrive& drive, BYTE* out256);
    static std::string ReadCapacity10Text(const SimDrive& drive);
    // 4-character hexadecimal id after "VEN_" / "DEV_" in the controller's instance id.
    static WORD IdAfter(const SimMachine& machine, const SimDrive& drive, const wchar_t* marker);
};
