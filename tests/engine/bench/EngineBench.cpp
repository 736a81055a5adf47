// engine_bench [section ...]: runs the named sections, or all of them.

#include "EngineBench.h"

#include <cstdio>
#include <cstring>

#include "EngineTestApp.h"

namespace {

struct Section {
    const char* name;
    void (*run)();
};

const Section kSections[] = {
    {"scan", RunScanBench},
    {"llf", RunLlfRoundTripBench},
    {"slow-smart", RunSlowSmartBench},
};

} // namespace

std::string BenchMachine(int drives)
{
    std::string text = "machine system-dir=\"C:\\Windows\\system32\"\n"
                       "node root id=\"HTREE\\ROOT\\0\" desc=\"Computer\"\n"
                       "node pci id=\"ACPI\\PNP0A08\\0\" parent=root desc=\"PCI Express Root Complex\"\n";
    for (int i = 0; i < drives; ++i) {
        char lines[1024];
        std::snprintf(lines, sizeof(lines),
                      "node nvme%d id=\"PCI\\VEN_1F9B&DEV_6E40&SUBSYS_00011F9B&REV_01\\4&%X&0&00E8\" parent=pci "
                      "desc=\"Standard NVM Express Controller\" service=stornvme bus=%d address=0\n"
                      "node disk%d id=\"SCSI\\DISK&VEN_NVME&PROD_ZARVO_ZR80E\\5&%X&0&000000\" parent=nvme%d "
                      "desc=\"Disk drive\" friendly=\"Zarvo ZR80e 1TB\" disk=%d smart=nocap\n"
                      "drive bus=nvme controller=nvme%d disk=disk%d serial=ZR80E%05d model=\"Zarvo ZR80e 1TB\" "
                      "fw=VG1A0203 capacity=1000204886016 write-cache=1 smart=\"9:100:100:1873 253:100:100:120\"\n",
                      i, 0x1000 + i, i + 2, i, 0x2000 + i, i, i + 1, i, i, i);
        text += lines;
    }
    return text;
}

int main(int argc, char** argv)
{
    for (const Section& section : kSections) {
        bool wanted = argc < 2;
        for (int i = 1; i < argc; ++i)
            wanted = wanted || std::strcmp(argv[i], section.name) == 0;
        if (wanted)
            section.run();
    }
    return 0;
}
