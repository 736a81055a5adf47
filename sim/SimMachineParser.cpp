#include "SimMachineParser.h"

#include "SimLlfScript.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <sstream>

namespace {

struct Token {
    std::string key; // empty for a positional token
    std::string value;
};

// Splits one line into tokens: words, "quoted texts" and key=value pairs whose
// value may be quoted. A '#' that begins a token starts a comment.
bool Tokenize(const std::string& line, std::vector<Token>& tokens, std::string& error)
{
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r'))
            ++i;
        if (i >= line.size() || line[i] == '#')
            break;
        Token token;
        std::string* target = &token.value;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') {
            char c = line[i];
            if (c == '"') {
                size_t end = line.find('"', i + 1);
                if (end == std::string::npos) {
                    error = "unterminated quote";
                    return false;
                }
                *target += line.substr(i + 1, end - i - 1);
                i = end + 1;
            } else if (c == '=' && target == &token.value && token.key.empty()) {
                token.key = token.value;
                token.value.clear();
                ++i;
            } else {
                *target += c;
                ++i;
            }
        }
        tokens.push_back(token);
    }
    return true;
}

bool ParseFlag(const std::string& text, bool& flag)
{
    ULONGLONG value = 0;
    if (!SimMachineParser::ParseNumber(text, value) || value > 1)
        return false;
    flag = value != 0;
    return true;
}

std::vector<std::wstring> SplitList(const std::string& text)
{
    std::vector<std::wstring> items;
    std::string item;
    std::istringstream stream(text);
    while (std::getline(stream, item, '|'))
        items.push_back(SimWiden(item));
    return items;
}

SimProperty TextProperty(const std::string& text)
{
    SimProperty property;
    property.type = REG_SZ;
    std::wstring wide = SimWiden(text);
    const BYTE* bytes = reinterpret_cast<const BYTE*>(wide.c_str());
    property.bytes.assign(bytes, bytes + (wide.size() + 1) * sizeof(wchar_t));
    return property;
}

SimProperty MultiTextProperty(const std::string& text)
{
    SimProperty property;
    property.type = REG_MULTI_SZ;
    std::wstring joined;
    for (const std::wstring& item : SplitList(text)) {
        joined += item;
        joined += L'\0';
    }
    joined += L'\0';
    const BYTE* bytes = reinterpret_cast<const BYTE*>(joined.data());
    property.bytes.assign(bytes, bytes + joined.size() * sizeof(wchar_t));
    return property;
}

SimProperty DwordProperty(DWORD value)
{
    SimProperty property;
    property.type = REG_DWORD;
    const BYTE* bytes = reinterpret_cast<const BYTE*>(&value);
    property.bytes.assign(bytes, bytes + sizeof(value));
    return property;
}

bool ParseHexBytes(const std::string& text, std::vector<BYTE>& bytes)
{
    std::string digits;
    for (char c : text)
        if (c != ' ' && c != ':' && c != '-')
            digits += c;
    if (digits.size() % 2 != 0)
        return false;
    bytes.clear();
    for (size_t i = 0; i < digits.size(); i += 2) {
        char* end = nullptr;
        std::string pair = digits.substr(i, 2);
        unsigned long value = std::strtoul(pair.c_str(), &end, 16);
        if (*end != '\0')
            return false;
        bytes.push_back(static_cast<BYTE>(value));
    }
    return true;
}

struct PropertyName {
    const char* name;
    DWORD code;
};

const PropertyName kPropertyNames[] = {
    {"DEVICEDESC", SPDRP_DEVICEDESC},
    {"HARDWAREID", SPDRP_HARDWAREID},
    {"COMPATIBLEIDS", SPDRP_COMPATIBLEIDS},
    {"SERVICE", SPDRP_SERVICE},
    {"CLASS", SPDRP_CLASS},
    {"CLASSGUID", SPDRP_CLASSGUID},
    {"DRIVER", SPDRP_DRIVER},
    {"MFG", SPDRP_MFG},
    {"FRIENDLYNAME", SPDRP_FRIENDLYNAME},
    {"LOCATION_INFORMATION", SPDRP_LOCATION_INFORMATION},
    {"PHYSICAL_DEVICE_OBJECT_NAME", SPDRP_PHYSICAL_DEVICE_OBJECT_NAME},
    {"ENUMERATOR_NAME", SPDRP_ENUMERATOR_NAME},
    {"BUSNUMBER", SPDRP_BUSNUMBER},
    {"ADDRESS", SPDRP_ADDRESS},
    {"CAPABILITIES", SPDRP_CAPABILITIES},
    {"UI_NUMBER", SPDRP_UI_NUMBER},
};

bool ParsePropertyCode(const std::string& text, DWORD& code)
{
    for (const PropertyName& entry : kPropertyNames)
        if (_stricmp(entry.name, text.c_str()) == 0) {
            code = entry.code;
            return true;
        }
    ULONGLONG value = 0;
    if (!SimMachineParser::ParseNumber(text, value) || value > 0xFFFF)
        return false;
    code = static_cast<DWORD>(value);
    return true;
}

bool ParseGuid(const std::string& text, GUID& guid)
{
    if (text == "disk") {
        guid = SIM_GUID_DEVINTERFACE_DISK;
        return true;
    }
    if (text == "volume") {
        guid = SIM_GUID_DEVINTERFACE_VOLUME;
        return true;
    }
    unsigned long d1 = 0;
    unsigned int d2 = 0, d3 = 0, b[8] = {};
    int got = std::sscanf(text.c_str(), "{%8lx-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x}", &d1, &d2, &d3, &b[0], &b[1], &b[2],
                          &b[3], &b[4], &b[5], &b[6], &b[7]);
    if (got != 11)
        return false;
    guid.Data1 = d1;
    guid.Data2 = static_cast<USHORT>(d2);
    guid.Data3 = static_cast<USHORT>(d3);
    for (int i = 0; i < 8; ++i)
        guid.Data4[i] = static_cast<BYTE>(b[i]);
    return true;
}

// The interface path Windows derives from an instance id: "\\?\" + the id
// with '\' turned into '#', lower-cased, + "#{class guid}".
std::wstring InterfacePath(const std::wstring& instanceId, const wchar_t* guidText)
{
    std::wstring path = L"\\\\?\\";
    for (wchar_t c : instanceId)
        path += c == L'\\' ? L'#' : static_cast<wchar_t>(std::towlower(c));
    path += L'#';
    path += guidText;
    return path;
}

bool ParseVersion(const std::string& text, DWORDLONG& version)
{
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (std::sscanf(text.c_str(), "%u.%u.%u.%u", &a, &b, &c, &d) != 4 || a > 0xFFFF || b > 0xFFFF || c > 0xFFFF ||
        d > 0xFFFF)
        return false;
    version =
        (static_cast<DWORDLONG>(a) << 48) | (static_cast<DWORDLONG>(b) << 32) | (static_cast<DWORDLONG>(c) << 16) | d;
    return true;
}

bool ParseDate(const std::string& text, FILETIME& date)
{
    SYSTEMTIME time{};
    unsigned y = 0, m = 0, d = 0;
    if (std::sscanf(text.c_str(), "%u-%u-%u", &y, &m, &d) != 3)
        return false;
    time.wYear = static_cast<WORD>(y);
    time.wMonth = static_cast<WORD>(m);
    time.wDay = static_cast<WORD>(d);
    // Noon keeps the local date the same in every time zone.
    time.wHour = 12;
    return SystemTimeToFileTime(&time, &date) != FALSE;
}

const DWORD kAcpiProvider = 0x41435049; // 'ACPI'
const DWORD kMcfgTableId = 0x4746434D;  // "MCFG" as stored
const ULONGLONG kMaxFirmwareTable = 1 << 20;
const size_t kAcpiHeaderSize = 36;

// A provider signature as the multi-character constant: "ACPI" is 0x41435049.
bool ParseProviderSignature(const std::string& text, DWORD& signature)
{
    if (text.size() != 4)
        return false;
    signature = 0;
    for (char c : text)
        signature = (signature << 8) | static_cast<BYTE>(c);
    return true;
}

// A table id: four characters that begin with a letter are a signature as its
// bytes are stored ("MCFG" is 0x4746434D), anything else a number.
bool ParseTableId(const std::string& text, DWORD& id)
{
    if (text.size() == 4 && std::isalpha(static_cast<unsigned char>(text[0]))) {
        id = 0;
        for (int i = 3; i >= 0; --i)
            id = (id << 8) | static_cast<BYTE>(text[i]);
        return true;
    }
    ULONGLONG value = 0;
    if (!SimMachineParser::ParseNumber(text, value) || value > 0xFFFFFFFF)
        return false;
    id = static_cast<DWORD>(value);
    return true;
}

void PutLittleEndian(std::vector<BYTE>& bytes, size_t at, ULONGLONG value, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        bytes[at + i] = static_cast<BYTE>(value >> (8 * i));
}

// An MCFG table with one configuration-space allocation: the ACPI header, 8
// reserved bytes, then base address, segment 0, buses 0 to 255.
std::vector<BYTE> McfgTable(ULONGLONG base)
{
    std::vector<BYTE> bytes(kAcpiHeaderSize + 8 + 16, 0);
    bytes[8] = 1; // revision
    PutLittleEndian(bytes, kAcpiHeaderSize + 8, base, 8);
    bytes[kAcpiHeaderSize + 8 + 11] = 0xFF; // end bus
    return bytes;
}

// The header of an ACPI table the description did not give byte for byte:
// signature, length, maker texts and a checksum that makes the bytes sum to 0.
void FillAcpiHeader(SimFirmwareTable& table)
{
    std::vector<BYTE>& bytes = table.bytes;
    if (bytes.size() < kAcpiHeaderSize)
        return;
    PutLittleEndian(bytes, 0, table.id, 4);
    PutLittleEndian(bytes, 4, bytes.size(), 4);
    std::memcpy(&bytes[10], "KSIM  ", 6);
    std::memcpy(&bytes[16], "KSIMTABL", 8);
    bytes[9] = 0;
    BYTE sum = 0;
    for (BYTE b : bytes)
        sum = static_cast<BYTE>(sum + b);
    bytes[9] = static_cast<BYTE>(0x100 - sum);
}

class LineParser {
public:
    LineParser(SimMachine& machine, std::string& error) : m_machine(machine), m_error(error) {}

    bool Line(const std::vector<Token>& tokens)
    {
        const std::string& kind = tokens[0].value;
        if (!tokens[0].key.empty())
            return Fail("a line begins with its kind");
        if (kind == "machine")
            return Machine(tokens);
        if (kind == "node")
            return Node(tokens);
        if (kind == "prop")
            return Prop(tokens);
        if (kind == "interface")
            return Interface(tokens);
        if (kind == "driver")
            return Driver(tokens);
        if (kind == "drive")
            return Drive(tokens);
        if (kind == "firmware")
            return Firmware(tokens);
        return Fail("unknown line kind '" + kind + "'");
    }

private:
    bool Fail(const std::string& text)
    {
        m_error = text;
        return false;
    }

    bool Machine(const std::vector<Token>& tokens)
    {
        for (size_t i = 1; i < tokens.size(); ++i) {
            if (tokens[i].key == "system-dir")
                m_machine.systemDirectory = SimWiden(tokens[i].value);
            else if (tokens[i].key == "strict-open") {
                if (!ParseFlag(tokens[i].value, m_machine.strictOpen))
                    return Fail("strict-open= takes 0 or 1");
            } else
                return Fail("unknown machine key '" + tokens[i].key + tokens[i].value + "'");
        }
        return true;
    }

    int NamedNode(const std::string& name)
    {
        int node = m_machine.NodeByName(name);
        if (node < 0)
            Fail("unknown node '" + name + "'");
        return node;
    }

    bool Node(const std::vector<Token>& tokens)
    {
        if (tokens.size() < 2 || !tokens[1].key.empty())
            return Fail("a node needs a name");
        if (m_machine.NodeByName(tokens[1].value) >= 0)
            return Fail("node '" + tokens[1].value + "' named twice");
        SimNode node;
        node.name = tokens[1].value;
        std::string path;
        for (size_t i = 2; i < tokens.size(); ++i)
            if (!NodeKey(node, tokens[i], path))
                return false;
        if (node.instanceId.empty())
            return Fail("node '" + node.name + "' has no id");
        if (m_machine.NodeByInstanceId(node.instanceId) >= 0)
            return Fail("instance id of node '" + node.name + "' used twice");
        if (node.diskNumber >= 0)
            node.interfaces.push_back({SIM_GUID_DEVINTERFACE_DISK,
                                       path.empty()
                                           ? InterfacePath(node.instanceId, L"{53f56307-b6bf-11d0-94f2-00a0c91efb8b}")
                                           : SimWiden(path)});
        else if (node.volumeDisk >= 0)
            node.interfaces.push_back({SIM_GUID_DEVINTERFACE_VOLUME,
                                       path.empty()
                                           ? InterfacePath(node.instanceId, L"{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}")
                                           : SimWiden(path)});
        else if (!path.empty())
            return Fail("path= belongs to a disk or volume node");
        m_machine.nodes.push_back(node);
        return true;
    }

    bool NodeKey(SimNode& node, const Token& token, std::string& path)
    {
        const std::string& key = token.key;
        const std::string& value = token.value;
        ULONGLONG number = 0;
        if (key == "parent") {
            node.parent = NamedNode(value);
            return node.parent >= 0;
        }
        if (key == "sibling") {
            node.nextSibling = NamedNode(value);
            return node.nextSibling >= 0;
        }
        if (key == "id")
            node.instanceId = SimWiden(value);
        else if (key == "desc")
            node.properties[SPDRP_DEVICEDESC] = TextProperty(value);
        else if (key == "friendly")
            node.properties[SPDRP_FRIENDLYNAME] = TextProperty(value);
        else if (key == "service")
            node.properties[SPDRP_SERVICE] = TextProperty(value);
        else if (key == "class")
            node.properties[SPDRP_CLASS] = TextProperty(value);
        else if (key == "mfg")
            node.properties[SPDRP_MFG] = TextProperty(value);
        else if (key == "hardware")
            node.properties[SPDRP_HARDWAREID] = MultiTextProperty(value);
        else if (key == "compatible")
            node.properties[SPDRP_COMPATIBLEIDS] = MultiTextProperty(value);
        else if ((key == "bus" || key == "address") && SimMachineParser::ParseNumber(value, number) &&
                 number <= 0xFFFFFFFF)
            node.properties[key == "bus" ? SPDRP_BUSNUMBER : SPDRP_ADDRESS] = DwordProperty(static_cast<DWORD>(number));
        else if (key == "present")
            return ParseFlag(value, node.present) || Fail("present= takes 0 or 1");
        else if (key == "needs-reboot")
            return ParseFlag(value, node.needsReboot) || Fail("needs-reboot= takes 0 or 1");
        else if (key == "disk" && SimMachineParser::ParseNumber(value, number) && number < 256)
            node.diskNumber = static_cast<int>(number);
        else if (key == "smart")
            return SmartMode(node, value);
        else if (key == "volume" && value.size() == 1)
            node.volumeLetter = value == "-" ? 0 : static_cast<wchar_t>(std::towupper(value[0]));
        else if (key == "on-disk" && SimMachineParser::ParseNumber(value, number) && number < 256)
            node.volumeDisk = static_cast<int>(number);
        else if (key == "partition" && SimMachineParser::ParseNumber(value, number) && number < 256)
            node.volumePartition = static_cast<int>(number);
        else if (key == "type" && (value == "fixed" || value == "removable"))
            node.driveType = value == "fixed" ? DRIVE_FIXED : DRIVE_REMOVABLE;
        else if (key == "path")
            path = value;
        else
            return Fail("bad node key '" + key + "=" + value + "'");
        return true;
    }

    bool SmartMode(SimNode& node, const std::string& value)
    {
        if (value == "none")
            node.smart = SimNode::SMART_NONE;
        else if (value == "nocap")
            node.smart = SimNode::SMART_NOCAP;
        else if (value == "ata")
            node.smart = SimNode::SMART_ATA;
        else
            return Fail("smart= takes none, nocap or ata");
        return true;
    }

    bool Prop(const std::vector<Token>& tokens)
    {
        if (tokens.size() != 5)
            return Fail("prop NODE CODE TYPE VALUE");
        int node = NamedNode(tokens[1].value);
        DWORD code = 0;
        if (node < 0)
            return false;
        if (!ParsePropertyCode(tokens[2].value, code))
            return Fail("bad property code '" + tokens[2].value + "'");
        const std::string& type = tokens[3].value;
        const std::string& value = tokens[4].value;
        ULONGLONG number = 0;
        SimProperty property;
        if (type == "sz")
            property = TextProperty(value);
        else if (type == "multi-sz")
            property = MultiTextProperty(value);
        else if (type == "dword" && SimMachineParser::ParseNumber(value, number) && number <= 0xFFFFFFFF)
            property = DwordProperty(static_cast<DWORD>(number));
        else if (type == "binary" && ParseHexBytes(value, property.bytes))
            property.type = REG_BINARY;
        else
            return Fail("bad property value '" + type + " " + value + "'");
        m_machine.nodes[node].properties[code] = property;
        return true;
    }

    bool Interface(const std::vector<Token>& tokens)
    {
        if (tokens.size() != 4)
            return Fail("interface NODE CLASS PATH");
        int node = NamedNode(tokens[1].value);
        if (node < 0)
            return false;
        SimInterface entry;
        if (!ParseGuid(tokens[2].value, entry.classGuid))
            return Fail("bad interface class '" + tokens[2].value + "'");
        entry.path = SimWiden(tokens[3].value);
        m_machine.nodes[node].interfaces.push_back(entry);
        return true;
    }

    bool Driver(const std::vector<Token>& tokens)
    {
        if (tokens.size() < 2)
            return Fail("driver NODE desc=... version=... date=...");
        int node = NamedNode(tokens[1].value);
        if (node < 0)
            return false;
        SimDriver driver;
        for (size_t i = 2; i < tokens.size(); ++i) {
            const Token& t = tokens[i];
            if (t.key == "desc")
                driver.description = SimWiden(t.value);
            else if (t.key == "provider")
                driver.provider = SimWiden(t.value);
            else if (t.key == "mfg")
                driver.manufacturer = SimWiden(t.value);
            else if (t.key == "version") {
                if (!ParseVersion(t.value, driver.version))
                    return Fail("version= takes a.b.c.d");
            } else if (t.key == "date") {
                if (!ParseDate(t.value, driver.date))
                    return Fail("date= takes YYYY-MM-DD");
            } else
                return Fail("bad driver key '" + t.key + "'");
        }
        m_machine.nodes[node].drivers.push_back(driver);
        return true;
    }

    bool Drive(const std::vector<Token>& tokens)
    {
        SimDrive drive;
        for (size_t i = 1; i < tokens.size(); ++i)
            if (!SimMachineParser::ApplyDriveKey(m_machine, drive, tokens[i].key, tokens[i].value, m_error))
                return false;
        if (drive.controller < 0 || drive.disk < 0)
            return Fail("a drive needs controller= and disk=");
        if (m_machine.nodes[drive.disk].diskNumber < 0)
            return Fail("the disk= node of a drive needs a disk number");
        SimMachine::PresetRegisters(drive);
        m_machine.drives.push_back(drive);
        return true;
    }

    bool Firmware(const std::vector<Token>& tokens)
    {
        if (tokens.size() < 3 || !tokens[1].key.empty() || !tokens[2].key.empty())
            return Fail("firmware PROVIDER TABLE [data=..] [size=..] [mcfg-base=..]");
        SimFirmwareTable table;
        if (!ParseProviderSignature(tokens[1].value, table.provider))
            return Fail("bad firmware provider '" + tokens[1].value + "'");
        if (!ParseTableId(tokens[2].value, table.id))
            return Fail("bad firmware table '" + tokens[2].value + "'");
        const bool acpi = table.provider == kAcpiProvider;
        bool raw = false;
        ULONGLONG size = 0, base = 0;
        bool sized = false, mcfg = false;
        for (size_t i = 3; i < tokens.size(); ++i) {
            const Token& t = tokens[i];
            if (t.key == "data") {
                if (!ParseHexBytes(t.value, table.bytes))
                    return Fail("data= takes hex bytes");
                raw = true;
            } else if (t.key == "size") {
                if (!SimMachineParser::ParseNumber(t.value, size) || size == 0 || size > kMaxFirmwareTable)
                    return Fail("size= takes 1 to " + std::to_string(kMaxFirmwareTable));
                sized = true;
            } else if (t.key == "mcfg-base") {
                if (!acpi || table.id != kMcfgTableId)
                    return Fail("mcfg-base= belongs to the ACPI table MCFG");
                if (!SimMachineParser::ParseNumber(t.value, base))
                    return Fail("mcfg-base= takes a number");
                mcfg = true;
            } else
                return Fail("bad firmware key '" + t.key + "'");
        }
        if (raw && mcfg)
            return Fail("data= and mcfg-base= exclude each other");
        if (mcfg)
            table.bytes = McfgTable(base);
        if (sized) {
            if (size < table.bytes.size())
                return Fail("size= is shorter than the table");
            table.bytes.resize(static_cast<size_t>(size), 0);
        }
        if (table.bytes.empty())
            return Fail("a firmware table needs data=, size= or mcfg-base=");
        if (acpi && !raw)
            FillAcpiHeader(table);
        m_machine.firmwareTables.push_back(table);
        return true;
    }

    SimMachine& m_machine;
    std::string& m_error;
};

bool ParseAttributes(const std::string& text, std::vector<SimAttribute>& attributes)
{
    attributes.clear();
    std::istringstream stream(text);
    std::string item;
    while (stream >> item) {
        size_t colon = item.find(':');
        ULONGLONG id = 0;
        SimAttribute attribute;
        if (colon == std::string::npos || !SimMachineParser::ParseNumber(item.substr(0, colon), id) || id == 0 ||
            id > 255 || !SimMachineParser::ParseAttributeValues(item.substr(colon + 1), attribute))
            return false;
        attribute.id = static_cast<BYTE>(id);
        attributes.push_back(attribute);
    }
    return attributes.size() <= 30;
}

} // namespace

bool SimMachineParser::ParseNumber(const std::string& text, ULONGLONG& value)
{
    if (text.empty() || text[0] == '-' || text[0] == '+')
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoull(text.c_str(), &end, 0);
    return *end == '\0' && errno == 0;
}

bool SimMachineParser::ParseAttributeValues(const std::string& text, SimAttribute& attribute)
{
    std::vector<ULONGLONG> values;
    std::istringstream stream(text);
    std::string part;
    while (std::getline(stream, part, text.find(',') != std::string::npos ? ',' : ':')) {
        ULONGLONG value = 0;
        if (!ParseNumber(part, value))
            return false;
        values.push_back(value);
    }
    if (values.size() < 3 || values.size() > 4 || values[0] > 255 || values[1] > 255 || values[2] > 0xFFFFFFFFFFFFULL)
        return false;
    attribute.current = static_cast<BYTE>(values[0]);
    attribute.worst = static_cast<BYTE>(values[1]);
    attribute.raw = values[2];
    attribute.threshold = values.size() == 4 ? static_cast<BYTE>(values[3]) : 0;
    return values.size() < 4 || values[3] <= 255;
}

bool SimMachineParser::ApplyDriveKey(SimMachine& machine, SimDrive& drive, const std::string& key,
                                     const std::string& value, std::string& error)
{
    ULONGLONG n = 0;
    bool number = ParseNumber(value, n);
    bool ok = true;
    if (key == "bus" && (value == "nvme" || value == "sata"))
        drive.bus = value == "nvme" ? SIM_BUS_NVME : SIM_BUS_SATA;
    else if (key == "controller" || key == "disk") {
        int node = machine.NodeByName(value);
        ok = node >= 0;
        (key == "controller" ? drive.controller : drive.disk) = node;
    } else if (key == "ahci")
        ok = ParseFlag(value, drive.ahci);
    else if (key == "serial" && value.size() <= 20)
        drive.serial = value;
    else if (key == "model" && value.size() <= 40)
        drive.model = value;
    else if (key == "fw" && value.size() <= 8)
        drive.firmware = value;
    else if (key == "version" && value.size() <= 16)
        drive.version = value;
    else if (key == "dev-name" && value.size() < 1024)
        drive.devName = value;
    else if (key == "capacity" && number)
        drive.capacity = n;
    else if (key == "sector" && number && (n == 512 || n == 4096))
        drive.sectorSize = static_cast<DWORD>(n);
    else if (key == "reserved" && number)
        drive.reservedSectors = n;
    else if (key == "write-cache" && number)
        drive.writeCache = static_cast<int>(n);
    else if (key == "hmb")
        ok = ParseFlag(value, drive.hmbEnabled);
    else if (key == "hmb-size" && number && n <= 0xFFFFFFFF)
        drive.hmbSize = static_cast<DWORD>(n);
    else if (key == "revision" && number && n <= 0xFFFFFFFF)
        drive.revision = static_cast<DWORD>(n);
    else if (key == "flash-config" && number && n <= 0xFF)
        drive.flashConfig = static_cast<BYTE>(n);
    else if (key == "flash-id") {
        std::vector<BYTE> bytes;
        ok = ParseHexBytes(value, bytes) && bytes.size() == 8;
        if (ok)
            std::memcpy(drive.flashId, bytes.data(), 8);
    } else if (key == "pcie-gen" && number && n <= 15)
        drive.pcieGen = static_cast<int>(n);
    else if (key == "pcie-lanes" && number && n <= 63)
        drive.pcieLanes = static_cast<int>(n);
    else if (key == "sata-speed" && number && n <= 7)
        drive.sataSpeed = static_cast<int>(n);
    else if (key == "switch-reads" && number && n <= 1000)
        drive.switchReads = static_cast<int>(n);
    else if (key == "llf-polls" && number && n <= 100000)
        drive.llfPolls = static_cast<int>(n);
    else if (key == "llf-error" && number && n <= 0xFFFF)
        drive.llfError = static_cast<WORD>(n);
    else if (int kind = SimLlfScript::KindOfKey(key))
        ok = SimLlfScript::Parse(value, drive.llfScripts[kind]);
    else if (key == "smart")
        ok = ParseAttributes(value, drive.attributes);
    else if (key == "fw-mode" && (value == "LLF mode" || value == "Normal mode"))
        drive.llfMode = value == "LLF mode";
    else
        ok = false;
    if (!ok)
        error = "bad drive key '" + key + "=" + value + "'";
    return ok;
}

bool SimMachineParser::Parse(const std::string& text, SimMachine& machine, std::string& error)
{
    machine = SimMachine();
    LineParser parser(machine, error);
    std::istringstream stream(text);
    std::string line;
    int number = 0;
    while (std::getline(stream, line)) {
        ++number;
        std::vector<Token> tokens;
        std::string lineError;
        bool ok = Tokenize(line, tokens, lineError);
        if (ok && tokens.empty())
            continue;
        if (ok)
            ok = parser.Line(tokens);
        else
            error = lineError;
        if (!ok) {
            error = "line " + std::to_string(number) + ": " + error;
            return false;
        }
    }
    return true;
}
