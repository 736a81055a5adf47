#include "SimMachineParser.h"

#include "SimDriveKeys.h"

#include <cctype>
#include <cstring>
#include <cwctype>
#include <set>
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

bool IsHexDigit(char c)
{
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
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

// "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}" exactly, braces included.
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
    if (text.size() != 38 || text.front() != '{' || text.back() != '}')
        return false;
    std::string digits;
    for (size_t i = 1; i + 1 < text.size(); ++i) {
        const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
        if (dash ? text[i] != '-' : !IsHexDigit(text[i]))
            return false;
        if (!dash)
            digits += text[i];
    }
    auto field = [&digits](size_t at, size_t count) { return std::stoull(digits.substr(at, count), nullptr, 16); };
    guid.Data1 = static_cast<unsigned long>(field(0, 8));
    guid.Data2 = static_cast<USHORT>(field(8, 4));
    guid.Data3 = static_cast<USHORT>(field(12, 4));
    for (int i = 0; i < 8; ++i)
        guid.Data4[i] = static_cast<BYTE>(field(16 + 2 * i, 2));
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

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream stream(text);
    while (std::getline(stream, part, separator))
        parts.push_back(part);
    if (!text.empty() && text.back() == separator)
        parts.push_back("");
    return parts;
}

// "a.b.c.d", four 16-bit fields and nothing after them.
bool ParseVersion(const std::string& text, DWORDLONG& version, std::string& why)
{
    std::vector<std::string> fields = Split(text, '.');
    if (fields.size() != 4) {
        why = "takes a.b.c.d";
        return false;
    }
    version = 0;
    for (const std::string& field : fields) {
        ULONGLONG value = 0;
        if (!SimMachineParser::ParseNumberIn(field, 0, 0xFFFF, value, why))
            return false;
        version = (version << 16) | value;
    }
    return true;
}

bool ParseDate(const std::string& text, FILETIME& date, std::string& why)
{
    std::vector<std::string> fields = Split(text, '-');
    ULONGLONG year = 0, month = 0, day = 0;
    if (fields.size() != 3) {
        why = "takes YYYY-MM-DD";
        return false;
    }
    if (!SimMachineParser::ParseNumberIn(fields[0], 1601, 30827, year, why) ||
        !SimMachineParser::ParseNumberIn(fields[1], 1, 12, month, why) ||
        !SimMachineParser::ParseNumberIn(fields[2], 1, 31, day, why))
        return false;
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    // Noon keeps the local date the same in every time zone.
    time.wHour = 12;
    if (!SystemTimeToFileTime(&time, &date)) {
        why = "no such day";
        return false;
    }
    return true;
}

// Whether the node's hardware or compatible ids name the NVMe class code.
bool IsNvmeController(const SimNode& node)
{
    for (DWORD code : {static_cast<DWORD>(SPDRP_HARDWAREID), static_cast<DWORD>(SPDRP_COMPATIBLEIDS)}) {
        auto found = node.properties.find(code);
        if (found == node.properties.end())
            continue;
        const std::vector<BYTE>& bytes = found->second.bytes;
        std::wstring ids(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
        if (SimUpper(ids).find(L"CC_0108") != std::wstring::npos)
            return true;
    }
    return false;
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

    bool Line(int number, const std::vector<Token>& tokens)
    {
        m_line = number;
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

    // What only the whole description shows: every volume lies on a disk
    // that some node has.
    bool Finish()
    {
        for (size_t i = 0; i < m_machine.nodes.size(); ++i) {
            const SimNode& node = m_machine.nodes[i];
            if (node.volumeDisk >= 0 && !HasDiskNumber(node.volumeDisk)) {
                m_line = m_nodeLines[i];
                return KeyFail("on-disk", "no node has disk=" + std::to_string(node.volumeDisk));
            }
        }
        return true;
    }

private:
    bool Fail(const std::string& text)
    {
        m_error = "line " + std::to_string(m_line) + ": " + text;
        return false;
    }

    bool KeyFail(const std::string& key, const std::string& why) { return Fail("key '" + key + "': " + why); }

    bool Flag(const Token& token, bool& flag)
    {
        ULONGLONG value = 0;
        if (!SimMachineParser::ParseNumberIn(token.value, 0, 1, value, m_why))
            return KeyFail(token.key, m_why);
        flag = value != 0;
        return true;
    }

    bool Number(const Token& token, ULONGLONG max, ULONGLONG& value)
    {
        return SimMachineParser::ParseNumberIn(token.value, 0, max, value, m_why) || KeyFail(token.key, m_why);
    }

    bool HasDiskNumber(int number) const
    {
        for (const SimNode& node : m_machine.nodes)
            if (node.diskNumber == number)
                return true;
        return false;
    }

    bool Machine(const std::vector<Token>& tokens)
    {
        for (size_t i = 1; i < tokens.size(); ++i) {
            if (tokens[i].key == "system-dir")
                m_machine.systemDirectory = SimWiden(tokens[i].value);
            else if (tokens[i].key == "strict-open") {
                if (!Flag(tokens[i], m_machine.strictOpen))
                    return false;
            } else
                return KeyFail(tokens[i].key.empty() ? tokens[i].value : tokens[i].key, "unknown machine key");
        }
        return true;
    }

    // A node named by a key (parent=, sibling=) or, with no key, by a
    // line's own word (prop, interface, driver).
    int NamedNode(const std::string& key, const std::string& name)
    {
        int node = m_machine.NodeByName(name);
        if (node < 0 && key.empty())
            Fail("unknown node '" + name + "'");
        else if (node < 0)
            KeyFail(key, "unknown node '" + name + "'");
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
            return KeyFail("id", "instance id of node '" + node.name + "' used twice");
        if (node.diskNumber >= 0 && HasDiskNumber(node.diskNumber))
            return KeyFail("disk", "disk " + std::to_string(node.diskNumber) + " is another node's already");
        if (node.volumeLetter != 0 && HasVolumeLetter(node.volumeLetter))
            return KeyFail("volume", std::string("volume ") + static_cast<char>(node.volumeLetter) +
                                         ": is another node's already");
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
            return KeyFail("path", "belongs to a disk or volume node");
        m_machine.nodes.push_back(node);
        m_nodeLines.push_back(m_line);
        return true;
    }

    bool HasVolumeLetter(wchar_t letter) const
    {
        for (const SimNode& node : m_machine.nodes)
            if (node.volumeLetter == letter)
                return true;
        return false;
    }

    bool NodeKey(SimNode& node, const Token& token, std::string& path)
    {
        const std::string& key = token.key;
        const std::string& value = token.value;
        ULONGLONG number = 0;
        if (key.empty())
            return KeyFail(value, "a node takes key=value pairs");
        if (key == "parent") {
            node.parent = NamedNode(key, value);
            return node.parent >= 0;
        }
        if (key == "sibling") {
            node.nextSibling = NamedNode(key, value);
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
        else if (key == "bus" || key == "address") {
            if (!Number(token, 0xFFFFFFFF, number))
                return false;
            node.properties[key == "bus" ? SPDRP_BUSNUMBER : SPDRP_ADDRESS] = DwordProperty(static_cast<DWORD>(number));
        } else if (key == "present")
            return Flag(token, node.present);
        else if (key == "needs-reboot")
            return Flag(token, node.needsReboot);
        else if (key == "disk") {
            if (!Number(token, 255, number))
                return false;
            node.diskNumber = static_cast<int>(number);
        } else if (key == "smart")
            return SmartMode(node, token);
        else if (key == "volume") {
            if (value == "-")
                node.volumeLetter = 0;
            else if (value.size() == 1 && std::isalpha(static_cast<unsigned char>(value[0])))
                node.volumeLetter = static_cast<wchar_t>(std::towupper(value[0]));
            else
                return KeyFail(key, "takes a drive letter or -");
        } else if (key == "on-disk") {
            if (!Number(token, 255, number))
                return false;
            node.volumeDisk = static_cast<int>(number);
        } else if (key == "partition") {
            if (!Number(token, 255, number))
                return false;
            node.volumePartition = static_cast<int>(number);
        } else if (key == "type") {
            if (value != "fixed" && value != "removable")
                return KeyFail(key, "takes fixed or removable");
            node.driveType = value == "fixed" ? DRIVE_FIXED : DRIVE_REMOVABLE;
        } else if (key == "path")
            path = value;
        else
            return KeyFail(key, "unknown node key");
        return true;
    }

    bool SmartMode(SimNode& node, const Token& token)
    {
        if (token.value == "none")
            node.smart = SimNode::SMART_NONE;
        else if (token.value == "nocap")
            node.smart = SimNode::SMART_NOCAP;
        else if (token.value == "ata")
            node.smart = SimNode::SMART_ATA;
        else
            return KeyFail(token.key, "takes none, nocap or ata");
        return true;
    }

    bool Prop(const std::vector<Token>& tokens)
    {
        if (tokens.size() != 5)
            return Fail("prop NODE CODE TYPE VALUE");
        int node = NamedNode("", tokens[1].value);
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
        else if (type == "dword") {
            if (!SimMachineParser::ParseNumberIn(value, 0, 0xFFFFFFFF, number, m_why))
                return Fail("dword value: " + m_why);
            property = DwordProperty(static_cast<DWORD>(number));
        } else if (type == "binary" && SimMachineParser::ParseHexBytes(value, property.bytes))
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
        int node = NamedNode("", tokens[1].value);
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
        int node = NamedNode("", tokens[1].value);
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
                if (!ParseVersion(t.value, driver.version, m_why))
                    return KeyFail(t.key, m_why);
            } else if (t.key == "date") {
                if (!ParseDate(t.value, driver.date, m_why))
                    return KeyFail(t.key, m_why);
            } else
                return KeyFail(t.key.empty() ? t.value : t.key, "unknown driver key");
        }
        m_machine.nodes[node].drivers.push_back(driver);
        return true;
    }

    bool Drive(const std::vector<Token>& tokens)
    {
        SimDrive drive;
        for (size_t i = 1; i < tokens.size(); ++i) {
            const Token& t = tokens[i];
            if (t.key.empty())
                return KeyFail(t.value, "a drive takes key=value pairs");
            if (!SimDriveKeys::Set(m_machine, drive, t.key, t.value, true, m_why))
                return KeyFail(t.key, m_why);
        }
        if (drive.controller < 0 || drive.disk < 0)
            return Fail("a drive needs controller= and disk=");
        if (drive.bus == SIM_BUS_SATA && IsNvmeController(m_machine.nodes[drive.controller]))
            return KeyFail("controller",
                           "a SATA drive on NVMe controller '" + m_machine.nodes[drive.controller].name + "'");
        for (size_t i = 0; i < m_machine.drives.size(); ++i)
            if (m_machine.drives[i].disk == drive.disk)
                return KeyFail("disk", "node '" + m_machine.nodes[drive.disk].name + "' holds drive " +
                                           std::to_string(i) + " already");
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
                if (!SimMachineParser::ParseHexBytes(t.value, table.bytes))
                    return KeyFail(t.key, "takes hex bytes");
                raw = true;
            } else if (t.key == "size") {
                if (!SimMachineParser::ParseNumberIn(t.value, 1, kMaxFirmwareTable, size, m_why))
                    return KeyFail(t.key, m_why);
                sized = true;
            } else if (t.key == "mcfg-base") {
                if (!acpi || table.id != kMcfgTableId)
                    return KeyFail(t.key, "belongs to the ACPI table MCFG");
                if (!SimMachineParser::ParseNumberIn(t.value, 0, ~0ull, base, m_why))
                    return KeyFail(t.key, m_why);
                mcfg = true;
            } else
                return KeyFail(t.key, "unknown firmware key");
        }
        if (raw && mcfg)
            return KeyFail("mcfg-base", "data= gives the table already");
        if (mcfg)
            table.bytes = McfgTable(base);
        if (sized) {
            if (size < table.bytes.size())
                return KeyFail("size", "shorter than the table");
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
    std::string m_why;
    int m_line = 0;
    std::vector<int> m_nodeLines; // the line of each node, for what Finish finds
};

} // namespace

bool SimMachineParser::ParseNumber(const std::string& text, ULONGLONG& value)
{
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const size_t first = hex ? 2 : 0;
    const ULONGLONG base = hex ? 16 : 10;
    if (text.size() <= first)
        return false;
    ULONGLONG result = 0;
    for (size_t i = first; i < text.size(); ++i) {
        const char c = text[i];
        ULONGLONG digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<ULONGLONG>(c - '0');
        else if (hex && IsHexDigit(c))
            digit = static_cast<ULONGLONG>(std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
        else
            return false;
        if (result > (~0ull - digit) / base)
            return false; // does not fit 64 bits
        result = result * base + digit;
    }
    value = result;
    return true;
}

bool SimMachineParser::ParseNumberIn(const std::string& text, ULONGLONG min, ULONGLONG max, ULONGLONG& value,
                                     std::string& why)
{
    ULONGLONG number = 0;
    const std::string range = std::to_string(min) + " to " + std::to_string(max);
    if (!ParseNumber(text, number)) {
        const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
        const std::string digits = hex ? text.substr(2) : text;
        const bool tooLong = !digits.empty() && digits.find_first_not_of(hex ? "0123456789abcdefABCDEF"
                                                                             : "0123456789") == std::string::npos;
        why = tooLong ? text + " does not fit " + range
                      : "'" + text + "' is not a number (decimal, or hexadecimal after 0x)";
        return false;
    }
    if (number < min || number > max) {
        why = text + " does not fit " + range;
        return false;
    }
    value = number;
    return true;
}

bool SimMachineParser::ParseHexBytes(const std::string& text, std::vector<BYTE>& bytes)
{
    std::string digits;
    for (char c : text) {
        if (c == ' ' || c == ':' || c == '-')
            continue;
        if (!IsHexDigit(c))
            return false;
        digits += c;
    }
    if (digits.size() % 2 != 0)
        return false;
    std::vector<BYTE> parsed;
    for (size_t i = 0; i < digits.size(); i += 2)
        parsed.push_back(static_cast<BYTE>(std::stoul(digits.substr(i, 2), nullptr, 16)));
    bytes.swap(parsed);
    return true;
}

bool SimMachineParser::ParseAttributeValues(const std::string& text, SimAttribute& attribute, std::string& why)
{
    std::vector<std::string> parts = Split(text, text.find(',') != std::string::npos ? ',' : ':');
    if (parts.size() < 3 || parts.size() > 4) {
        why = "'" + text + "' takes current, worst, raw and an optional threshold";
        return false;
    }
    const ULONGLONG limits[] = {0xFF, 0xFF, 0xFFFFFFFFFFFFull, 0xFF}; // raw: 48 bits
    ULONGLONG values[4] = {};
    for (size_t i = 0; i < parts.size(); ++i)
        if (!ParseNumberIn(parts[i], 0, limits[i], values[i], why))
            return false;
    attribute.current = static_cast<BYTE>(values[0]);
    attribute.worst = static_cast<BYTE>(values[1]);
    attribute.raw = values[2];
    attribute.threshold = static_cast<BYTE>(values[3]);
    return true;
}

bool SimMachineParser::ParseAttributes(const std::string& text, std::vector<SimAttribute>& attributes, std::string& why)
{
    std::vector<SimAttribute> parsed;
    std::set<BYTE> ids;
    std::istringstream stream(text);
    std::string item;
    while (stream >> item) {
        size_t colon = item.find(':');
        ULONGLONG id = 0;
        SimAttribute attribute;
        if (colon == std::string::npos) {
            why = "'" + item + "' takes ID:CURRENT:WORST:RAW[:THRESHOLD]";
            return false;
        }
        if (!ParseNumberIn(item.substr(0, colon), 1, 255, id, why) ||
            !ParseAttributeValues(item.substr(colon + 1), attribute, why))
            return false;
        attribute.id = static_cast<BYTE>(id);
        if (!ids.insert(attribute.id).second) {
            why = "attribute " + std::to_string(id) + " given twice";
            return false;
        }
        parsed.push_back(attribute);
    }
    if (parsed.size() > kMaxAttributes) {
        why = "more than " + std::to_string(kMaxAttributes) + " attributes";
        return false;
    }
    attributes.swap(parsed);
    return true;
}

std::string SimMachineParser::AttributesText(const std::vector<SimAttribute>& attributes)
{
    std::string text;
    for (const SimAttribute& a : attributes) {
        if (!text.empty())
            text += ' ';
        text += std::to_string(a.id) + ":" + std::to_string(a.current) + ":" + std::to_string(a.worst) + ":" +
                std::to_string(a.raw) + ":" + std::to_string(a.threshold);
    }
    return text;
}

bool SimMachineParser::Parse(const std::string& text, SimMachine& machine, std::string& error)
{
    machine = SimMachine();
    LineParser parser(machine, error);
    // A file saved with a UTF-8 byte-order mark reads as the text after it.
    const char kBom[] = "\xEF\xBB\xBF";
    std::istringstream stream(text.compare(0, 3, kBom) == 0 ? text.substr(3) : text);
    std::string line;
    int number = 0;
    while (std::getline(stream, line)) {
        ++number;
        std::vector<Token> tokens;
        std::string lineError;
        if (!Tokenize(line, tokens, lineError)) {
            error = "line " + std::to_string(number) + ": " + lineError;
            return false;
        }
        if (!tokens.empty() && !parser.Line(number, tokens))
            return false;
    }
    return parser.Finish();
}
