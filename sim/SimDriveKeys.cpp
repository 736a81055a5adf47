#include "SimDriveKeys.h"

#include "SimLlfScript.h"
#include "SimMachineParser.h"
#include "SimWorld.h"

#include <cstring>

namespace {

struct Context {
    SimMachine& machine;
    SimDrive& drive;
    const std::string& value;
    std::string& why;
};

typedef bool (*Setter)(Context& c);
typedef std::string (*Getter)(const SimMachine& machine, const SimDrive& drive);

struct Key {
    const char* name;
    SimDriveKeys::Use use;
    Setter set; // nullptr for READ_ONLY
    Getter get;
};

std::string Number(ULONGLONG value)
{
    return std::to_string(value);
}

template <typename T> bool SetNumber(Context& c, T& field, ULONGLONG min, ULONGLONG max)
{
    ULONGLONG n = 0;
    if (!SimMachineParser::ParseNumberIn(c.value, min, max, n, c.why))
        return false;
    field = static_cast<T>(n);
    return true;
}

bool SetText(Context& c, std::string& field, size_t max)
{
    if (c.value.size() > max) {
        c.why = "longer than " + std::to_string(max) + " characters";
        return false;
    }
    field = c.value;
    return true;
}

bool SetFlag(Context& c, bool& field)
{
    ULONGLONG n = 0;
    if (!SimMachineParser::ParseNumberIn(c.value, 0, 1, n, c.why))
        return false;
    field = n != 0;
    return true;
}

bool SetNode(Context& c, int& field)
{
    int node = c.machine.NodeByName(c.value);
    if (node < 0) {
        c.why = "unknown node '" + c.value + "'";
        return false;
    }
    field = node;
    return true;
}

std::string NodeName(const SimMachine& machine, int node)
{
    return node >= 0 && node < static_cast<int>(machine.nodes.size()) ? machine.nodes[node].name : "";
}

std::string HexBytes(const BYTE* bytes, size_t count)
{
    std::string text;
    for (size_t i = 0; i < count; ++i)
        text += SimFormat(i ? " %02X" : "%02X", bytes[i]);
    return text;
}

bool SetLlfScript(Context& c, int kind)
{
    if (SimLlfScript::Parse(c.value, c.drive.llfScripts[kind]))
        return true;
    c.why = "takes STATE:PERCENT:ERROR items";
    return false;
}

const char* const kJobNames[SIM_JOB_KINDS] = {"none", "init", "all", "erase", "self-test"};

// clang-format off
const Key kKeys[] = {
    {"bus", SimDriveKeys::SET_DESCRIPTION,
     [](Context& c) {
         if (c.value != "nvme" && c.value != "sata") {
             c.why = "takes nvme or sata";
             return false;
         }
         c.drive.bus = c.value == "nvme" ? SIM_BUS_NVME : SIM_BUS_SATA;
         return true;
     },
     [](const SimMachine&, const SimDrive& d) { return std::string(d.bus == SIM_BUS_NVME ? "nvme" : "sata"); }},
    {"controller", SimDriveKeys::SET_DESCRIPTION,
     [](Context& c) {
         int node = -1;
         if (!SetNode(c, node))
             return false;
         if (c.machine.nodes[node].diskNumber >= 0) {
             c.why = "node '" + c.value + "' is a disk, not a controller";
             return false;
         }
         c.drive.controller = node;
         return true;
     },
     [](const SimMachine& m, const SimDrive& d) { return NodeName(m, d.controller); }},
    {"disk", SimDriveKeys::SET_DESCRIPTION,
     [](Context& c) {
         int node = -1;
         if (!SetNode(c, node))
             return false;
         if (c.machine.nodes[node].diskNumber < 0) {
             c.why = "node '" + c.value + "' has no disk number";
             return false;
         }
         c.drive.disk = node;
         return true;
     },
     [](const SimMachine& m, const SimDrive& d) { return NodeName(m, d.disk); }},
    {"ahci", SimDriveKeys::SET_ANY, [](Context& c) { return SetFlag(c, c.drive.ahci); },
     [](const SimMachine&, const SimDrive& d) { return Number(d.ahci); }},
    {"serial", SimDriveKeys::SET_ANY, [](Context& c) { return SetText(c, c.drive.serial, 20); },
     [](const SimMachine&, const SimDrive& d) { return d.serial; }},
    {"model", SimDriveKeys::SET_ANY, [](Context& c) { return SetText(c, c.drive.model, 40); },
     [](const SimMachine&, const SimDrive& d) { return d.model; }},
    {"fw", SimDriveKeys::SET_ANY, [](Context& c) { return SetText(c, c.drive.firmware, 8); },
     [](const SimMachine&, const SimDrive& d) { return d.firmware; }},
    {"version", SimDriveKeys::SET_ANY, [](Context& c) { return SetText(c, c.drive.version, 16); },
     [](const SimMachine&, const SimDrive& d) { return d.version; }},
    {"dev-name", SimDriveKeys::SET_ANY, [](Context& c) { return SetText(c, c.drive.devName, 1023); },
     [](const SimMachine&, const SimDrive& d) { return d.devName; }},
    // The disk's length is a signed 64-bit value in the disk queries.
    {"capacity", SimDriveKeys::SET_ANY, [](Context& c) { return SetNumber(c, c.drive.capacity, 0, 0x7FFFFFFFFFFFFFFFull); },
     [](const SimMachine&, const SimDrive& d) { return Number(d.capacity); }},
    {"sector", SimDriveKeys::SET_ANY,
     [](Context& c) {
         DWORD size = 0;
         if (!SetNumber(c, size, 512, 4096))
             return false;
         if (size != 512 && size != 4096) {
             c.why = "takes 512 or 4096";
             return false;
         }
         c.drive.sectorSize = size;
         return true;
     },
     [](const SimMachine&, const SimDrive& d) { return Number(d.sectorSize); }},
    {"reserved", SimDriveKeys::SET_ANY, [](Context& c) { return SetNumber(c, c.drive.reservedSectors, 0, 0xFFFFFFFFFFFFull); },
     [](const SimMachine&, const SimDrive& d) { return Number(d.reservedSectors); }},
    {"write-cache", SimDriveKeys::SET_ANY, [](Context& c) { return SetNumber(c, c.drive.writeCache, 0, 0x7FFFFFFF); },
     [](const SimMachine&, const SimDrive& d) { return std::to_string(d.writeCache); }},
    {"hmb", SimDriveKeys::SET_ANY, [](Context& c) { return SetFlag(c, c.drive.hmbEnabled); },
     [](const SimMachine&, const SimDrive& d) { return Number(d.hmbEnabled); }},
    {"hmb-size", SimDriveKeys::SET_ANY, [](Context& c) { return SetNumber(c, c.drive.hmbSize, 0, 0xFFFFFFFF); },
     [](const SimMachine&, const SimDrive& d) { return Number(d.hmbSize); }},
    {"revision", SimDriveKeys::SET_ANY, [](Context& c) { return SetNumber(c, c.drive.revision, 0, 0xFFFFFFFF); },
     [](const SimMachine&, const SimDrive& d) { return Number(d.revision); }},
    {"flash-config", SimDriveKeys::SET_ANY, [](Context& c) { return SetNumber(c, c.drive.flashConfig, 0, 0xFF); },
     [](const SimMachine&, const SimDrive& d) { return Number(d.flashConfig); }},
    {"flash-id", SimDriveKeys::SET_ANY,
     [](Context& c) {
         std::vector<BYTE> bytes;
         if (!SimMachineParser::ParseHexBytes(c.value, bytes) || bytes.size() != 8) {
             c.why = "takes 8 hex bytes";
             return false;
         }
         std::memcpy(c.drive.flashId, bytes.data(), 8);
         return true;
     },
     [](const SimMachine&, const SimDrive& d) { return HexBytes(d.flashId, 8); }},
    {"pcie-gen", SimDriveKeys::SET_ANY, [](Context& c) { return SetNumber(c, c.drive.pcieGen, 0, 15); },
     [](const SimMachine&, const SimDrive& d) { return std::to_string(d.pcieGen); }},
    {"pcie-lanes", SimDriveKeys::SET_ANY, [](Context& c) { return SetNumber(c, c.drive.pcieLanes, 0, 63); },
     [](const SimMachine&, const SimDrive& d) { return std::to_string(d.pcieLanes); }},
    {"sata-speed", SimDriveKeys::SET_ANY, [](Context& c) { return SetNumber(c, c.drive.sataSpeed, 0, 7); },
     [](const SimMachine&, const SimDrive& d) { return std::to_string(d.sataSpeed); }},
    {"switch-reads", SimDriveKeys::SET_ANY, [](Context& c) { return SetNumber(c, c.drive.switchReads, 0, 1000); },
     [](const SimMachine&, const SimDrive& d) { return std::to_string(d.switchReads); }},
    {"llf-polls", SimDriveKeys::SET_ANY, [](Context& c) { return SetNumber(c, c.drive.llfPolls, 0, 100000); },
     [](const SimMachine&, const SimDrive& d) { return std::to_string(d.llfPolls); }},
    {"llf-error", SimDriveKeys::SET_ANY, [](Context& c) { return SetNumber(c, c.drive.llfError, 0, 0xFFFF); },
     [](const SimMachine&, const SimDrive& d) { return Number(d.llfError); }},
    {"llf-init", SimDriveKeys::SET_ANY, [](Context& c) { return SetLlfScript(c, 1); },
     [](const SimMachine&, const SimDrive& d) { return SimLlfScript::Text(d.llfScripts[1]); }},
    {"llf-all", SimDriveKeys::SET_ANY, [](Context& c) { return SetLlfScript(c, 2); },
     [](const SimMachine&, const SimDrive& d) { return SimLlfScript::Text(d.llfScripts[2]); }},
    {"llf-erase", SimDriveKeys::SET_ANY, [](Context& c) { return SetLlfScript(c, 3); },
     [](const SimMachine&, const SimDrive& d) { return SimLlfScript::Text(d.llfScripts[3]); }},
    {"llf-self-test", SimDriveKeys::SET_ANY, [](Context& c) { return SetLlfScript(c, 4); },
     [](const SimMachine&, const SimDrive& d) { return SimLlfScript::Text(d.llfScripts[4]); }},
    {"smart", SimDriveKeys::SET_ANY,
     [](Context& c) { return SimMachineParser::ParseAttributes(c.value, c.drive.attributes, c.why); },
     [](const SimMachine&, const SimDrive& d) { return SimMachineParser::AttributesText(d.attributes); }},
    {"fw-mode", SimDriveKeys::SET_ANY,
     [](Context& c) {
         if (c.value != "LLF mode" && c.value != "Normal mode") {
             c.why = "takes \"LLF mode\" or \"Normal mode\"";
             return false;
         }
         c.drive.llfMode = c.value == "LLF mode";
         return true;
     },
     [](const SimMachine&, const SimDrive& d) { return std::string(d.llfMode ? "LLF mode" : "Normal mode"); }},
    {"fw-staged", SimDriveKeys::READ_ONLY, nullptr,
     [](const SimMachine&, const SimDrive& d) { return Number(d.fwStaging.size()); }},
    {"fw-commits", SimDriveKeys::READ_ONLY, nullptr,
     [](const SimMachine&, const SimDrive& d) { return std::to_string(d.fwCommits); }},
    {"fw-activations", SimDriveKeys::READ_ONLY, nullptr,
     [](const SimMachine&, const SimDrive& d) { return std::to_string(d.fwActivations); }},
    {"reboots", SimDriveKeys::READ_ONLY, nullptr,
     [](const SimMachine&, const SimDrive& d) { return std::to_string(d.reboots); }},
    {"nor-erased", SimDriveKeys::READ_ONLY, nullptr,
     [](const SimMachine&, const SimDrive& d) { return std::to_string(d.norErased); }},
    {"formats", SimDriveKeys::READ_ONLY, nullptr,
     [](const SimMachine&, const SimDrive& d) { return std::to_string(d.formats); }},
    {"switches", SimDriveKeys::READ_ONLY, nullptr,
     [](const SimMachine&, const SimDrive& d) { return std::to_string(d.switches); }},
    {"llf-started", SimDriveKeys::READ_ONLY, nullptr,
     [](const SimMachine&, const SimDrive& d) { return std::to_string(d.llfStarted); }},
    {"smart-reads", SimDriveKeys::READ_ONLY, nullptr,
     [](const SimMachine&, const SimDrive& d) { return std::to_string(d.smartReads); }},
    {"llf-job", SimDriveKeys::READ_ONLY, nullptr,
     [](const SimMachine&, const SimDrive& d) { return std::string(kJobNames[d.job.active ? d.job.kind : 0]); }},
    {"llf-answered", SimDriveKeys::READ_ONLY, nullptr,
     [](const SimMachine&, const SimDrive& d) { return std::to_string(d.job.answered); }},
};
// clang-format on

const Key* FindKey(const std::string& name)
{
    for (const Key& key : kKeys)
        if (name == key.name)
            return &key;
    return nullptr;
}

const char kSmartPrefix[] = "smart:";
const size_t kSmartPrefixLength = sizeof(kSmartPrefix) - 1;

bool AttributeIdOf(const std::string& key, BYTE& id)
{
    ULONGLONG n = 0;
    if (key.compare(0, kSmartPrefixLength, kSmartPrefix) != 0 ||
        !SimMachineParser::ParseNumber(key.substr(kSmartPrefixLength), n) || n == 0 || n > 255)
        return false;
    id = static_cast<BYTE>(n);
    return true;
}

// "smart:<id>" = "current,worst,raw[,threshold]": one attribute, replaced or added.
bool SetAttribute(SimDrive& drive, BYTE id, const std::string& value, std::string& why)
{
    SimAttribute attribute;
    if (!SimMachineParser::ParseAttributeValues(value, attribute, why))
        return false;
    attribute.id = id;
    if (SimAttribute* existing = drive.FindAttribute(id)) {
        *existing = attribute;
        return true;
    }
    if (drive.attributes.size() >= SimMachineParser::kMaxAttributes) {
        why = "the drive has " + std::to_string(SimMachineParser::kMaxAttributes) + " attributes already";
        return false;
    }
    drive.attributes.push_back(attribute);
    return true;
}

} // namespace

bool SimDriveKeys::Set(SimMachine& machine, SimDrive& drive, const std::string& key, const std::string& value,
                       bool fromDescription, std::string& why)
{
    BYTE id = 0;
    if (!fromDescription && AttributeIdOf(key, id))
        return SetAttribute(drive, id, value, why);
    const Key* entry = FindKey(key);
    if (!entry) {
        why = "unknown drive key";
        return false;
    }
    if (entry->use == READ_ONLY || (entry->use == SET_DESCRIPTION && !fromDescription)) {
        why = entry->use == READ_ONLY ? "a state the machine keeps" : "set only by the description";
        return false;
    }
    Context context{machine, drive, value, why};
    return entry->set(context);
}

bool SimDriveKeys::Get(const SimMachine& machine, const SimDrive& drive, const std::string& key, std::string& value)
{
    BYTE id = 0;
    if (AttributeIdOf(key, id)) {
        for (const SimAttribute& a : drive.attributes)
            if (a.id == id) {
                value = Number(a.raw);
                return true;
            }
        return false;
    }
    const Key* entry = FindKey(key);
    if (!entry)
        return false;
    value = entry->get(machine, drive);
    return true;
}
